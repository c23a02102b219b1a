// The weather the sample server reports: made up, but plausible for the
// place's latitude, season and hour, and the same for one place all through
// one UTC hour.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "historic/places.h"

namespace sky::sample {

using historic::Place;
using historic::Places;

struct Observation {
  std::string observed;  // "10:53 AM CST on December 7, 2026"
  int tempF = 0;
  int tempC = 0;
  std::optional<int> heatIndexF;  // only on hot, humid hours
  int humidity = 0;               // percent
  std::string wind;               // "SW at 9 mph" or "Calm"
  std::string pressure;           // inches of mercury, "30.12"
  std::string sky;                // "Partly Cloudy"
  int visibilityMiles = 10;
  std::string sunrise, sunset, moonrise, moonset;  // "7:18 AM CST"
  std::string moonPhase;                           // "Waxing Gibbous"
  std::string moonPicture;                         // "moon18.gif", by the moon's age in days
  int moonIlluminated = 0;                         // percent
  // Half-day periods from now: ("Tonight", "Clear. Lows around 15. West winds 5 to 10 mph.")
  std::vector<std::pair<std::string, std::string>> forecast;
};

Observation Observe(const Place& place, std::int64_t now);

int FahrenheitToCelsius(int f);

}  // namespace sky::sample
