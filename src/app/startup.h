// Program start: the windows in their order of creation with the please-wait
// gauge advancing after each, and the wiring of the main window to the core.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/refresh_cycle.h"

namespace sky {
class MainLogic;
}

namespace sky::ui {

class TForm1;
class TfrmPleaseWait;
class TfrmAbout;
class TfrmPref;
class TfrmImage;
class TfrmForecast;
class TfrmLocation;
class TfrmDaily;

struct ProgramOptions {
  RefreshIntervals intervals;
  // Called after each start-up step with the window just created and the
  // gauge's value (tests record the order).
  std::function<void(const std::string& window, int gauge)> onStep;
  // Opens an address in the user's browser (default: the desktop's).
  std::function<void(const std::string& url)> openUrl;
};

struct Program;  // the core state and the wiring behind the windows

struct Windows {
  // In creation order, so that they go in reverse: the main window last,
  // since the others may still call into it.
  std::unique_ptr<TForm1> Form1;
  std::unique_ptr<TfrmPleaseWait> frmPleaseWait;
  std::unique_ptr<TfrmAbout> frmAbout;
  std::unique_ptr<TfrmPref> frmPref;
  std::unique_ptr<TfrmImage> frmImage;
  std::unique_ptr<TfrmForecast> frmForecast;
  std::unique_ptr<TfrmLocation> frmLocation;
  std::unique_ptr<TfrmDaily> frmDaily;
  std::shared_ptr<Program> program;

  Windows() = default;
  Windows(const Windows&) = delete;
  Windows& operator=(const Windows&) = delete;
  ~Windows();
};

// Creates every window in the start-up order (the main window first, hidden
// until Show). The caller owns the result; the main window is not yet shown.
std::unique_ptr<Windows> CreateWindows(const ProgramOptions& options);

// The logic behind the main window, and the name of the moon picture shown.
sky::MainLogic& ProgramLogic(const Windows& w);
std::string ShownMoonPicture(const Windows& w);

// The whole program: application, windows, message loop.
int RunProgram(int argc, char** argv);

}  // namespace sky::ui
