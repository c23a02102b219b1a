// skyglass-screenshots OUTDIR: starts the program's windows as the program
// does, waits for the start-up fetch (the settings store names the place and
// the proxy), then saves main-window.png, chooser.png, about.png and help.png
// in OUTDIR.
#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "app/Unit1.h"
#include "app/app_info.h"
#include "app/startup.h"
#include "info/HelpWindow.h"
#include "info/frmAbout_Unit.h"
#include "locations/frmLocation.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: skyglass-screenshots OUTDIR\n");
    return 2;
  }
  const QString dir = QString::fromLocal8Bit(argv[1]);
  QApplication app(argc, argv);
  sky::app::InitApplicationInfo();
  sky::ui::ProgramOptions options;
  options.pleaseWait = false;  // as the program starts
  auto windows = sky::ui::CreateWindows(options);
  sky::ui::Windows& w = *windows;
  int status = 0;
  auto save = [&](QWidget* widget, const char* name) {
    if (!widget->grab().save(dir + "/" + name, "PNG")) {
      std::fprintf(stderr, "skyglass-screenshots: cannot write %s\n", name);
      status = 1;
    }
  };
  QObject::connect(w.Form1.get(), &sky::ui::TForm1::firstFetchDone, w.Form1.get(), [&] {
    QTimer::singleShot(500, [&] {
      save(w.Form1.get(), "main-window.png");
      w.frmLocation->Choose();
      w.frmLocation->SelectPath({"North America", "United States", "Texas", "Austin"});
      QTimer::singleShot(500, [&] {
        save(w.frmLocation.get(), "chooser.png");
        w.frmLocation->hide();
        w.frmAbout->ShowAbout();
        QTimer::singleShot(500, [&] {
          save(w.frmAbout.get(), "about.png");
          w.frmAbout->hide();
          sky::ui::launch_help();
          QTimer::singleShot(500, [&] {
            if (sky::ui::HelpWindow()) {
              save(sky::ui::HelpWindow(), "help.png");
            } else {
              std::fprintf(stderr, "skyglass-screenshots: the help window did not open\n");
              status = 1;
            }
            app.quit();
          });
        });
      });
    });
  });
  QTimer::singleShot(30000, [&] {
    std::fprintf(stderr, "skyglass-screenshots: the start-up fetch did not end within 30 s\n");
    status = 1;
    app.quit();
  });
  w.Form1->show();
  app.exec();
  windows.reset();
  return status;
}
