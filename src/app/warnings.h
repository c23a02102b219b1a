// After a refresh of a US place: the gateway's alerts for it, a notification
// for each new warning or watch, and the tray's warning mark.
#pragma once

#include <functional>

#include "forecast/alert_watch.h"

namespace sky {

class MainLogic;

struct WarningPorts {
  INotificationPort* notices = nullptr;
  IAnnouncedStore* store = nullptr;
  std::function<void(bool)> warningMark;  // the tray's mark on or off
  std::function<bool()> noticesOn;        // the preference
  std::function<long long()> now;         // seconds since 1970
};

// Asks the gateway for the alerts of the place shown (none for a place
// abroad: the mark goes off). A failure of the request or a strange answer
// changes nothing and shows nothing: the conditions are what the person asked
// for. The status line keeps the text it had. Returns the check's outcome.
AlertCheck CheckWarningsOfShownPlace(MainLogic& logic, const WarningPorts& ports);

}  // namespace sky
