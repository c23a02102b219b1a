#include <QApplication>
#include <QMainWindow>

#include "app/app_info.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  sky::app::InitApplicationInfo();
  QMainWindow w;
  w.setWindowTitle(sky::app::kTitle);
  w.setStyleSheet("background: black");
  w.setFixedSize(322, 304);
  w.show();
  return app.exec();
}
