// The seven-day forecast of a place, fetched through the main window's client
// from the gateway's daily path beside the place's conditions page.
#pragma once

#include <optional>
#include <string>

#include "forecast/daily.h"

namespace sky {

class MainLogic;

// The forecast of the place whose conditions page is at `conditionsPath`.
// Never throws: a network fault becomes the error text.
DailyResult FetchDailyForecastAt(MainLogic& logic, const std::string& conditionsPath);
// The forecast of the place the main window shows now.
DailyResult FetchDailyForecast(MainLogic& logic);

}  // namespace sky
