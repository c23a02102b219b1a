#include "app/startup.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdlib>

#include "app/Unit1.h"
#include "app/app_info.h"
#include "controls/Unit_pleasewait.h"
#include "forecast/Unit_frmforecast.h"
#include "images/Unit_frmImage.h"
#include "info/frmAbout_Unit.h"
#include "settings/Unit_pref.h"

namespace sky::ui {

struct Program {};

Windows::~Windows() {
  // Owned top-level windows go in reverse order of creation; the main window
  // last, since the others may still call into it.
  delete frmForecast;
  delete frmImage;
  delete frmPref;
  delete frmAbout;
  delete frmPleaseWait;
  delete Form1;
}

Windows CreateWindows(const ProgramOptions& options) {
  Windows w;
  auto step = [&](const char* name, int gauge) {
    if (gauge >= 0) w.frmPleaseWait->SetProgress(gauge);
    if (options.onStep) options.onStep(name, gauge >= 0 ? gauge : w.frmPleaseWait->Gauge1->Progress());
  };
  w.Form1 = new TForm1(options.intervals);
  w.frmPleaseWait = new TfrmPleaseWait();
  step("TfrmPleaseWait", 10);
  w.frmAbout = new TfrmAbout();
  step("TfrmAbout", 15);
  w.frmPref = new TfrmPref();
  step("TfrmPref", 20);
  w.frmImage = new TfrmImage();
  step("TfrmImage", 25);
  w.frmForecast = new TfrmForecast();
  step("TfrmForecast", 35);
  step("TfrmLocation", 100);

  TfrmPleaseWait* wait = w.frmPleaseWait;
  w.Form1->hooks.firstPaint = [wait] {
    if (wait->isVisible()) wait->hide();
  };
  return w;
}

namespace {
// SKYGLASS_SCREENSHOT=file.png: once the first fetch is over (or after
// SKYGLASS_SCREENSHOT_WAIT_MS, 15 s by default, when none comes), the program
// saves a picture of its main window there and quits. Used by the display
// check of the test suite.
void ArmScreenshot(TForm1* form) {
  const char* path = std::getenv("SKYGLASS_SCREENSHOT");
  if (!path || !*path) return;
  const QString file = QString::fromLocal8Bit(path);
  auto shoot = [form, file] {
    form->grab().save(file, "PNG");
    QApplication::quit();
  };
  QObject::connect(form, &TForm1::firstFetchDone, form, [shoot] { QTimer::singleShot(500, shoot); });
  int wait_ms = 15000;
  if (const char* w = std::getenv("SKYGLASS_SCREENSHOT_WAIT_MS")) wait_ms = std::atoi(w);
  QTimer::singleShot(wait_ms, form, shoot);
}
}  // namespace

int RunProgram(int argc, char** argv) {
  QApplication app(argc, argv);
  app::InitApplicationInfo();
  Windows w = CreateWindows({});
  ArmScreenshot(w.Form1);
  w.Form1->show();
  return app.exec();
}

}  // namespace sky::ui
