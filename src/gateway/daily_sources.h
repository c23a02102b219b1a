// The live sources of the daily forecast and of the warnings by point,
// decoded into the answers the program reads (forecast/daily.h,
// forecast/alert_watch.h): the weather service's gridpoint forecast for US
// places, Open-Meteo's daily values elsewhere, the weather service's active
// alerts for a point.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "forecast/alert_watch.h"
#include "forecast/daily.h"

namespace sky::gateway {

inline constexpr const char* kNwsForecastSource = "National Weather Service";
// Open-Meteo's terms ask for this credit wherever its data is shown.
inline constexpr const char* kOpenMeteoSource = "Open-Meteo.com (weather data by Open-Meteo.com, CC BY 4.0)";

// A gridpoint forecast (`/gridpoints/OFFICE/X,Y/forecast`): its day and night
// periods joined into days, the night before the first day ("Tonight") a day
// of its own with only a low. Nothing when it has no periods.
std::optional<DailyForecast> DecodeNwsDailyForecast(const nlohmann::json& forecast, const std::string& place);

// Open-Meteo `daily=` values (weather_code, temperature_2m_max/min, and where
// asked for precipitation_probability_max, wind_speed_10m_max,
// wind_direction_10m_dominant). `now` (UTC seconds) decides the first day's
// name: "Today", or "Tonight" with its low only from 18:00 at the place.
std::optional<DailyForecast> DecodeOpenMeteoDaily(const nlohmann::json& daily, const std::string& place,
                                                  std::int64_t now);

// 16 points of the compass for a direction in degrees: 111 -> "ESE".
std::string CompassPoint(double degrees);

// An `/alerts/active?point=...&status=actual` answer: every alert still
// announced as "Actual" (a test or exercise that slips through stays out).
std::vector<Alert> DecodeNwsAlerts(const nlohmann::json& alerts);

}  // namespace sky::gateway
