// The second source of current conditions: a keyless global forecast
// service's model values at a place's coordinates, for places whose stations
// have no current report. Its terms ask for attribution, which the page
// carries (kOpenMeteoAttribution).
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

#include "gateway/geo.h"
#include "gateway/observation.h"

namespace sky::gateway {

inline constexpr const char* kOpenMeteoAttribution = "Weather data by Open-Meteo.com (CC BY 4.0), model values";

// "<api>?latitude=..&longitude=..&current=temperature_2m,...".
std::string OpenMeteoCurrentUrl(const std::string& api, GeoPoint point);

// The "current" block of an answer with its units ("current_units"), its
// time made UTC by "utc_offset_seconds", a surface pressure reduced to sea
// level by the answer's "elevation", and the WMO weather code in the words of
// the picture table. Nothing when the answer has no current temperature.
std::optional<Observed> DecodeOpenMeteoCurrent(const nlohmann::json& answer);

// WMO weather interpretation code (0 clear ... 99 thunderstorm with hail) in
// the picture table's words; nothing for an unknown code.
std::optional<std::string> WmoCodeWords(int code);

}  // namespace sky::gateway
