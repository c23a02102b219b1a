// Current conditions as the live sources give them, and their decoding from
// the weather service's observation JSON and the aviation METAR JSON.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>

#include "conditions/page_writer.h"

namespace sky::gateway {

// Metric values as they arrive; missing stays missing.
struct Observed {
  std::optional<std::int64_t> time;  // UTC seconds
  std::optional<double> tempC, dewpointC, humidity, heatIndexC;
  std::optional<double> windDirDeg, windKmh, gustKmh;
  bool windVariable = false;
  std::optional<double> pressureHpa;
  std::optional<double> visibilityMiles;
  std::optional<std::string> sky;  // words of the parser's picture table where possible
};

// "2026-12-07T16:53:00+00:00" (also "Z", fractions, a blank for "T").
std::optional<std::int64_t> ParseIsoTime(const std::string& text);

// The "properties" of a weather-service observation (a "latest observation"
// answer is a feature; pass the whole answer). A value the service left null
// is taken from its raw METAR text where that has it.
Observed DecodeNwsObservation(const nlohmann::json& feature);

// One element of the METAR data API's JSON array.
Observed DecodeMetar(const nlohmann::json& metar);
// Weather and cloud groups ("-SHRA BR", [{"cover":"BKN"}]) -> "Light Rain Showers".
// `cover` is the report's summary ("CAVOK", "OVC"): today's service sends a
// clear sky as no layers and that summary alone.
std::optional<std::string> MetarSky(const std::string& weather, const nlohmann::json& clouds,
                                    const std::string& cover = "");

// The values of a raw METAR text ("KATT 200451Z AUTO 35005KT 10SM OVC029
// M04/M09 A3054 RMK AO2 T10391089"): wind, visibility, weather and sky
// groups, temperature and dew point (the tenths of the T group where given),
// altimeter. No time: the text names only the day of the month.
Observed DecodeRawMetar(const std::string& text);

// Drops what no real observation can hold (a value beyond physical limits;
// the whole report when its time is more than a day ahead) and brings the
// wind direction to 0..360.
Observed WithinLimits(Observed o, std::int64_t now);

// The observed values in the page's units and wording.
void FillObservedValues(const Observed& o, ConditionsPageContent& page);

}  // namespace sky::gateway
