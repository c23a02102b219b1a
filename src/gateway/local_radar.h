// The loop for "Local Radar": the weather service's radar nearest to a place
// (src/data/geo/us_radars.tsv), else the satellite loop that covers it, else
// the reason there is none.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "gateway/geo.h"

namespace sky::gateway {

struct Radar {
  std::string id, name;  // "KEWX", "Austin/San Antonio, TX"
  GeoPoint point;
};

std::vector<Radar> ParseRadars(std::string_view tsv);
// The compiled-in list.
const std::vector<Radar>& Radars();

// Great-circle distance.
double DistanceKm(GeoPoint a, GeoPoint b);

// A radar sees about 230 km; beyond this its loop shows nothing of the place.
inline constexpr double kRadarReachKm = 300;

struct LocalRadarChoice {
  std::string url;     // https source, empty when none
  std::string what;    // "KEWX Austin/San Antonio, TX radar loop"
  std::string reason;  // when none
  int minutes = 5;     // how often the source changes
};

LocalRadarChoice ChooseLocalRadar(GeoPoint place, const std::vector<Radar>& radars);

}  // namespace sky::gateway
