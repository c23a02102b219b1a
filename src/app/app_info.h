#pragma once

namespace sky::app {
// The application title: message box captions, the tray tip at start.
inline constexpr const char* kTitle = "Skyglass";
void InitApplicationInfo();
}  // namespace sky::app
