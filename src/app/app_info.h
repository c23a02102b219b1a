#pragma once

namespace sky::app {
// The application title: message box captions, the tray tip at start.
inline constexpr const char* kTitle = "Skyglass";
// The application's help file, among the data files (common/data_files.h).
inline constexpr const char* kHelpFile = "help/index.html";
void InitApplicationInfo();
}  // namespace sky::app
