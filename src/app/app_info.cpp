#include "app/app_info.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/version.h"
#include "controls/app_icon.h"
#include "controls/bar_style.h"

namespace sky::app {
void InitApplicationInfo() {
  QCoreApplication::setApplicationName(kTitle);
  QCoreApplication::setApplicationVersion(kVersion);
  // No display name: on X11 it would be appended to every window title
  // (after a dash: "Skyglass - Austin, TX -- Skyglass").
  QCoreApplication::setOrganizationName(kTitle);
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    // Lets the desktop match the windows to the installed desktop file.
    QGuiApplication::setDesktopFileName(kAppId);
    QApplication::setWindowIcon(ui::AppIcon());
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) ui::UseProgramStyle();
  }
}

void ParseCommandLine() {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Desktop weather: the current conditions of a chosen place, forecasts and\n"
      "warnings, weather pictures and the moon's phase. All settings are made in\n"
      "the program's windows; see skyglass(1).");
  parser.addHelpOption();
  parser.addVersionOption();
  parser.process(*QCoreApplication::instance());
  const QStringList extra = parser.positionalArguments();
  if (!extra.isEmpty()) {
    std::fprintf(stderr, "skyglass: unexpected argument '%s' (the program takes no arguments; see --help)\n",
                 qUtf8Printable(extra.first()));
    std::exit(1);
  }
}

bool CommandLineNeedsNoDisplay(int argc, char** argv) {
  // Only when every argument is one of these: display options such as
  // -platform are understood by the GUI application alone.
  auto isInfo = [](const char* a) {
    for (const char* info : {"-h", "--help", "-?", "--help-all", "-v", "--version"})
      if (std::strcmp(a, info) == 0) return true;
    return false;
  };
  for (int i = 1; i < argc; ++i)
    if (!isInfo(argv[i])) return false;
  return argc > 1;
}
}  // namespace sky::app
