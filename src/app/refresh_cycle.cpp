#include "app/refresh_cycle.h"

#include <utility>

#include "common/text.h"
#include "settings/settings_names.h"

namespace sky {

std::optional<std::string> RequestFromCaption(const std::string& caption) {
  if (caption.size() <= 15) return std::nullopt;
  return Trim(Cut(caption, 12, 30));
}

RefreshCycle::RefreshCycle(RefreshHooks hooks, RefreshIntervals intervals)
    : hooks_(std::move(hooks)), intervals_(intervals), refresh_interval_(intervals.poll_ms) {}

void RefreshCycle::SilentFetch(const std::string& request, bool with_wallpaper) {
  hooks_.set_request(request);
  hooks_.set_silent(true);
  try {
    const bool ok = hooks_.get_the_stats();
    if (ok && with_wallpaper && hooks_.wallpaper) hooks_.wallpaper();
  } catch (...) {
    hooks_.set_silent(false);
    throw;
  }
  hooks_.set_silent(false);
}

void RefreshCycle::StartupTick() {
  if (!startup_enabled_) return;
  // A fetch the user started in the first seconds is let finish; the
  // start-up fetch follows on a later tick instead of breaking into it.
  if (hooks_.busy && hooks_.busy()) return;
  startup_enabled_ = false;
  const std::optional<std::string> loc = settings::StartupLocation(hooks_.read_setting);
  if (!loc) return;
  SilentFetch(*loc, false);
}

void RefreshCycle::RefreshTick() {
  if (!settings::IsYes(hooks_.read_setting(settings::kAutoUpdate))) return;
  if (hooks_.busy && hooks_.busy()) return;
  refresh_interval_ = intervals_.refresh_ms;
  const auto request = RequestFromCaption(hooks_.caption());
  if (!request) return;
  SilentFetch(*request, true);
}

}  // namespace sky
