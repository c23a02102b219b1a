// A bare Qt window of the main window's size: the least any Qt program pays
// to show a window. It reports its first paint on stderr in the words and
// the clock the program uses under SKYGLASS_TRACE, so one script times both.
#include <QApplication>
#include <QPaintEvent>
#include <QWidget>

#include <chrono>
#include <cstdio>

namespace {

class BareWindow : public QWidget {
 protected:
  void paintEvent(QPaintEvent* e) override {
    QWidget::paintEvent(e);
    if (painted_) return;
    painted_ = true;
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    std::fprintf(stderr, "skyglass: first paint at %lld ms\n", static_cast<long long>(ms));
  }

 private:
  bool painted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  BareWindow w;
  w.setWindowTitle("bare");
  w.resize(322, 370);
  w.show();
  return app.exec();
}
