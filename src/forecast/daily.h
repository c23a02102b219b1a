// The seven-day forecast of the current place: the answer the gateway gives
// at a path of its own, the model read from it, and the texts the window and
// the terminal show in the person's units.
//
// The answer is plain Latin-1 text, one record a line, fields split by TABs:
//
//   Skyglass daily forecast 1
//   place   Rochester, New York
//   source  National Weather Service
//   issued  2025-01-05T23:02:33+00:00
//   day     DATE  NAME  HIGH  LOW  UNIT  SKY  PRECIPITATION  WIND
//
// one "day" line per day in order (at most seven are read): the date
// (YYYY-MM-DD), the day's name ("Tonight" first in the evening, "Monday"),
// high and low as whole degrees or "n/a", the unit "F" or "C", the sky words,
// the chance of precipitation in percent or "n/a", and the wind as the source
// words it ("NW 7 to 13 mph", "SW 15 km/h") or "n/a". Lines of other kinds are
// skipped, so the gateway may add some without breaking older programs.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/units.h"

namespace sky {

inline constexpr const char* kDailySignature = "Skyglass daily forecast 1";
inline constexpr int kDailyDays = 7;

struct DailyDay {
  std::string date;  // YYYY-MM-DD
  std::string name;  // "Tonight", "Monday"
  std::optional<int> high, low;
  char unit = 'F';                   // of high and low: 'F' or 'C'
  std::string sky;                   // "Chance Snow Showers"
  std::optional<int> precipitation;  // percent
  std::string wind;                  // "NW 7 to 13 mph", or empty
  friend bool operator==(const DailyDay&, const DailyDay&) = default;
};

struct DailyForecast {
  std::string place;   // as the source names it
  std::string source;  // who made the forecast, shown with it
  std::string issued;  // ISO time the source made it
  std::vector<DailyDay> days;
  friend bool operator==(const DailyForecast&, const DailyForecast&) = default;
};

// A forecast, or why the answer holds none ("not a daily forecast", "no days").
struct DailyRead {
  std::optional<DailyForecast> forecast;
  std::string error;
};
DailyRead ReadDailyAnswer(std::string_view body);
// The answer for a forecast (what the gateway serves): TABs and line breaks in
// the texts become blanks.
std::string WriteDailyAnswer(const DailyForecast& forecast);

// The path of a place's daily forecast after the conditions server's root,
// from the path of its conditions page:
//   "US/TX/Austin.html"                           -> "daily/US/TX/Austin.txt"
//   "global/stations/03772.html"                  -> "daily/global/stations/03772.txt"
//   "cgi-bin/findweather/getForecast?query=78701" -> "daily/zip/78701.txt"
// Nothing for any other path. The warnings of a place live beside it, with
// "alerts/" in place of "daily/" (US places and zips only).
std::optional<std::string> DailyPath(std::string_view conditionsPath);
std::optional<std::string> AlertsPath(std::string_view conditionsPath);

// What a fetch of the forecast brought.
struct DailyResult {
  std::optional<DailyForecast> forecast;
  bool stale = false;  // the gateway's last good copy, its source silent
  std::optional<long long> ageSeconds;
  std::string error;  // why there is no forecast
};

inline constexpr const char* kDailyNoPlace =
    "Get the conditions of a place first: the forecast is for the place shown.";
inline constexpr const char* kDailyNoSource = "There is no daily forecast for this place.";

// One day as the window and the terminal show it.
struct DailyRow {
  std::string name;
  std::string sky;
  int icon = 0;               // the tray picture of the sky words
  std::string highLow;        // "High 23\260F  Low 18\260F", "Low 19\260F" for a night
  std::string precipitation;  // "Precip. 60%", "" without a chance
  std::string wind;           // "Wind NW 11 to 21 km/h", "" without one
};
DailyRow ShowDay(const DailyDay& day, UnitSystem units);

// "stale: the forecast is 2 h 10 min old" for the status bar, from the
// reply's Age (conditions/answer_age.h reads it).
std::string StaleText(std::optional<long long> ageSeconds);

}  // namespace sky
