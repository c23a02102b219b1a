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
    : hooks_(std::move(hooks)), intervals_(intervals), refreshInterval_(intervals.pollMs) {}

void RefreshCycle::SilentFetch(const std::string& request, bool with_wallpaper) {
  hooks_.setRequest(request);
  hooks_.setSilent(true);
  try {
    const bool ok = hooks_.getTheStats();
    if (ok && with_wallpaper && hooks_.wallpaper) hooks_.wallpaper();
  } catch (...) {
    hooks_.setSilent(false);
    throw;
  }
  hooks_.setSilent(false);
}

void RefreshCycle::StartupTick() {
  if (!startupEnabled_) return;
  // A fetch the user started in the first seconds is let finish; the
  // start-up fetch follows on a later tick instead of breaking into it.
  if (hooks_.busy && hooks_.busy()) return;
  startupEnabled_ = false;
  const std::optional<std::string> loc = settings::StartupLocation(hooks_.readSetting);
  if (!loc) return;
  SilentFetch(*loc, false);
}

void RefreshCycle::RefreshTick() {
  if (!settings::IsYes(hooks_.readSetting(settings::kAutoUpdate))) return;
  if (hooks_.busy && hooks_.busy()) return;
  refreshInterval_ = intervals_.refreshMs;
  const auto request = RequestFromCaption(hooks_.caption());
  if (!request) return;
  SilentFetch(*request, true);
}

}  // namespace sky
