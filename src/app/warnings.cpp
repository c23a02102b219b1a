#include "app/warnings.h"

#include <ctime>

#include "app/main_logic.h"
#include "common/hosts.h"
#include "forecast/daily.h"
#include "net/request_profile.h"
#include "net/request_service.h"

namespace sky {

AlertCheck CheckWarningsOfShownPlace(MainLogic& logic, const WarningPorts& ports) {
  AlertCheck none;
  const std::optional<std::string> path = AlertsPath(logic.State().ShownPath);
  if (!path) {
    if (ports.warningMark) ports.warningMark(false);
    return none;
  }
  // A check that fails says nothing: the warnings are a bonus of the fetch.
  const FetchResult page = logic.FetchPage(profiles::kForecast, hosts::kWeatherUndergroundUrl + *path);
  if (!page.ok) return none;
  const AlertsRead read = ReadAlertsAnswer(page.body);
  if (!read.alerts || !ports.store || !ports.notices) return none;
  const long long now = ports.now ? ports.now() : static_cast<long long>(std::time(nullptr));
  const bool notify = !ports.noticesOn || ports.noticesOn();
  AlertCheck check = CheckAlerts(*read.alerts, now, notify, *ports.store, *ports.notices);
  if (ports.warningMark) ports.warningMark(check.warningActive);
  return check;
}

}  // namespace sky
