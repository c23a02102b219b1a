// The two timers of the main window as plain logic: the start-up fetch four
// seconds after start, and the refresh timer that polls "AutoUpdate" every
// second and, once it is on, re-fetches the shown place every 40 minutes.
// The Qt layer owns the real timers and asks this class what to do on a tick
// and which interval comes next; tests drive the ticks by hand.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace sky {

struct RefreshIntervals {
  int startupMs = 4000;
  int pollMs = 1000;
  int refreshMs = 2400000;
};

// What a tick may need from the rest of the program.
struct RefreshHooks {
  // A value of the section "Settings" ("n/a" when missing).
  std::function<std::string(const std::string& name)> readSetting;
  // The main window's caption.
  std::function<std::string()> caption;
  // Whether a fetch is running now (a tick then waits for a later one).
  std::function<bool()> busy;
  // Puts the place into RequestText and raises/lowers the silent flag.
  std::function<void(const std::string& request)> setRequest;
  std::function<void(bool silent)> setSilent;
  // The conditions fetch, and the automatic wallpaper after a timed refresh.
  // The fetch reports false when an error ended it (it has shown the error
  // itself); the wallpaper step of that tick is then skipped.
  std::function<bool()> getTheStats;
  std::function<void()> wallpaper;
};

// The place behind "Skyglass - " in a caption, or nothing when the caption
// has 15 characters or fewer (no place shown yet).
std::optional<std::string> RequestFromCaption(const std::string& caption);

class RefreshCycle {
 public:
  explicit RefreshCycle(RefreshHooks hooks, RefreshIntervals intervals = {});

  const RefreshIntervals& Intervals() const { return intervals_; }
  bool StartupEnabled() const { return startupEnabled_; }
  // The refresh timer's interval as it stands now.
  int RefreshInterval() const { return refreshInterval_; }

  // Start-up timer tick: fetches "StartupLoc" once, silently. Errors of the
  // fetch propagate to the caller after the silent flag is lowered.
  void StartupTick();
  // Refresh timer tick.
  void RefreshTick();

 private:
  void SilentFetch(const std::string& request, bool with_wallpaper);

  RefreshHooks hooks_;
  RefreshIntervals intervals_;
  bool startupEnabled_ = true;
  int refreshInterval_;
};

}  // namespace sky
