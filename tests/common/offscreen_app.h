// The one Qt application of a widget test binary, on the offscreen platform
// unless the caller chose another (the screenshot checks run under Xvfb).
#pragma once

#include <QApplication>
#include <cstdlib>

namespace skytest {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "skyglass-test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return new QApplication(argc, argv);
  }();
  return *app;
}

}  // namespace skytest
