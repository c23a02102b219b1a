// A Qt application, a settings store of the test's own and the program's
// windows, for the tests of the desktop program (offscreen platform).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Unit1.h"
#include "app/main_logic.h"
#include "app/startup.h"
#include "settings/ini_proc.h"
#include "common/offscreen_app.h"

namespace skytest {

// Runs the event loop until `done` or the time is up.
inline bool WaitFor(const std::function<bool()>& done, int ms = 10000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

struct Box {
  std::string kind;
  std::string text;
};

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    App();
    ASSERT_TRUE(dir_.isValid());
    setenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit().constData(), 1);
  }
  void TearDown() override { windows.reset(); }

  // Creates the windows (main window not shown yet).
  void Create(sky::RefreshIntervals intervals = {60000, 60000, 60000}, bool pleaseWait = true) {
    sky::ui::ProgramOptions o;
    o.intervals = intervals;
    o.pleaseWait = pleaseWait;
    o.onStep = [this](const std::string& w, int g) { steps.emplace_back(w, g); };
    windows = sky::ui::CreateWindows(o);
    form().boxRecorder = [this](const std::string& kind, const std::string& text) -> std::optional<bool> {
      boxes.push_back({kind, text});
      return confirmAnswer;
    };
    form().statusObserver = [this](const std::string& s) {
      statuses.push_back(s);
      if (onStatus) onStatus(s);
    };
  }
  void ShowMain() {
    form().show();
    QCoreApplication::processEvents();
  }
  sky::ui::TForm1& form() { return *windows->Form1; }
  sky::MainLogic& logic() { return sky::ui::ProgramLogic(*windows); }

  void UseProxy(int port) {
    sky::WriteSetting("Settings", "ProxyUse", "y");
    sky::WriteSetting("Settings", "Proxy", "127.0.0.1");
    sky::WriteSetting("Settings", "ProxyPort", std::to_string(port));
  }
  bool HasBox(const std::string& text) const {
    for (const Box& b : boxes)
      if (b.text == text) return true;
    return false;
  }
  bool HasStatus(const std::string& text) const {
    for (const std::string& s : statuses)
      if (s == text) return true;
    return false;
  }

  QTemporaryDir dir_;
  std::unique_ptr<sky::ui::Windows> windows;
  std::vector<std::pair<std::string, int>> steps;
  std::vector<Box> boxes;
  std::vector<std::string> statuses;
  std::function<void(const std::string&)> onStatus;
  bool confirmAnswer = true;
};

}  // namespace skytest
