// Program start: the main window, the please-wait gauge advancing through
// the steps, the other windows made on first use, and the wiring of the main
// window to the core.
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
  // Called after each start-up step with the window just created ("ready"
  // for the last step) and the gauge's value (tests record the order).
  std::function<void(const std::string& window, int gauge)> onStep;
  // The please-wait window, with the gauge, covers the start for callers that
  // show the main window some time after making it. The program shows its
  // main window straight after; the window would only stand in its way.
  bool pleaseWait = true;
  // Opens an address in the user's browser (default: the desktop's).
  std::function<void(const std::string& url)> openUrl;
};

struct Program;  // the core state and the wiring behind the windows

// A window made, and wired, the first time anything asks for it: the
// program shows its main window without paying for windows it may never
// open. get(), * and -> make it; Made() only looks.
template <class T>
class FirstUse {
 public:
  T* get() const {
    if (!window_ && make_) {
      window_ = make_();
      if (wire_) wire_(*window_);
    }
    return window_.get();
  }
  T& operator*() const { return *get(); }
  T* operator->() const { return get(); }
  T* Made() const { return window_.get(); }
  void Set(std::function<std::unique_ptr<T>()> make, std::function<void(T&)> wire) {
    make_ = std::move(make);
    wire_ = std::move(wire);
  }
  void reset() {
    make_ = nullptr;
    wire_ = nullptr;
    window_.reset();
  }

 private:
  std::function<std::unique_ptr<T>()> make_;
  std::function<void(T&)> wire_;
  mutable std::unique_ptr<T> window_;
};

struct Windows {
  // Declared so that they go in reverse: the main window last, since the
  // others may still call into it. The ones made on first use follow the
  // main window's start.
  std::unique_ptr<TForm1> Form1;
  std::unique_ptr<TfrmPleaseWait> frmPleaseWait;  // null without ProgramOptions::pleaseWait
  FirstUse<TfrmAbout> frmAbout;
  FirstUse<TfrmPref> frmPref;
  FirstUse<TfrmImage> frmImage;
  FirstUse<TfrmForecast> frmForecast;
  FirstUse<TfrmLocation> frmLocation;
  FirstUse<TfrmDaily> frmDaily;
  std::shared_ptr<Program> program;

  Windows() = default;
  Windows(const Windows&) = delete;
  Windows& operator=(const Windows&) = delete;
  ~Windows();
};

// Creates the main window (hidden until Show), the please-wait window when
// the options call for it, and arranges the others to be made when first
// used. The caller owns
// the result; the main window is not yet shown.
std::unique_ptr<Windows> CreateWindows(const ProgramOptions& options);

// The logic behind the main window, and the name of the moon picture shown.
sky::MainLogic& ProgramLogic(const Windows& w);
std::string ShownMoonPicture(const Windows& w);

// The whole program: application, windows, message loop.
int RunProgram(int argc, char** argv);

}  // namespace sky::ui
