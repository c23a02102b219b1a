// The names every window uses: the title of message boxes and the help file.
// Kept here, below every area, so that a window outside app/ can name them.
#pragma once

namespace sky::app {
// The application title: message box captions, the tray tip at start.
inline constexpr const char* kTitle = "Skyglass";
// The application's help file, among the data files (common/data_files.h).
inline constexpr const char* kHelpFile = "help/index.html";
}  // namespace sky::app
