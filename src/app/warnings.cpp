#include "app/warnings.h"

#include <ctime>
#include <exception>

#include "app/main_logic.h"
#include "common/hosts.h"
#include "forecast/daily.h"
#include "net/HttpClient.h"
#include "net/request_profile.h"

namespace sky {

AlertCheck CheckWarningsOfShownPlace(MainLogic& logic, const WarningPorts& ports) {
  AlertCheck none;
  const std::optional<std::string> path = AlertsPath(logic.State().ShownPath);
  if (!path) {
    if (ports.warningMark) ports.warningMark(false);
    return none;
  }
  std::string body;
  try {
    body = logic.RequestPage(profiles::kForecast, hosts::kWeatherUndergroundUrl + *path);
  } catch (const std::exception&) {
    return none;
  }
  const bool ok = logic.State().SuccessFlag == "Y";
  logic.State().SuccessFlag.clear();
  if (!ok) return none;
  const AlertsRead read = ReadAlertsAnswer(body);
  if (!read.alerts || !ports.store || !ports.notices) return none;
  const long long now = ports.now ? ports.now() : static_cast<long long>(std::time(nullptr));
  const bool notify = !ports.noticesOn || ports.noticesOn();
  AlertCheck check = CheckAlerts(*read.alerts, now, notify, *ports.store, *ports.notices);
  if (ports.warningMark) ports.warningMark(check.warningActive);
  return check;
}

}  // namespace sky
