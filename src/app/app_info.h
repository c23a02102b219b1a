#pragma once

#include "common/app_names.h"

namespace sky::app {
// Name, version, desktop file name and, with a GUI application, the icon of
// every window.
void InitApplicationInfo();
// `skyglass --help`, `--version` and unknown options: prints and ends the
// process as the command-line parser does. Needs an application object.
void ParseCommandLine();
// True when the command line only asks for --help or --version, so no
// display is needed to answer it.
bool CommandLineNeedsNoDisplay(int argc, char** argv);
}  // namespace sky::app
