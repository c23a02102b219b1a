#include "gateway/local_radar.h"

#include <cmath>
#include <cstdlib>

namespace sky::gateway {

namespace {

// GOES-East's continental sector, with its animated GeoColor loop: the
// satellite loop for places beyond every radar's reach inside it.
constexpr double kConusSouth = 14, kConusNorth = 56, kConusWest = -135, kConusEast = -55;
constexpr const char* kConusLoop =
    "https://cdn.star.nesdis.noaa.gov/GOES19/ABI/CONUS/GEOCOLOR/GOES19-CONUS-GEOCOLOR-625x375.gif";

}  // namespace

std::vector<Radar> ParseRadars(std::string_view tsv) {
  std::vector<Radar> out;
  std::size_t pos = tsv.find('\n');  // after the header
  while (pos != std::string_view::npos && pos + 1 < tsv.size()) {
    const std::size_t start = pos + 1;
    pos = tsv.find('\n', start);
    const std::string line(tsv.substr(start, pos == std::string_view::npos ? std::string_view::npos : pos - start));
    std::size_t a = line.find('\t'), b = line.find('\t', a + 1), c = line.find('\t', b + 1);
    if (a == std::string::npos || b == std::string::npos || c == std::string::npos) continue;
    Radar r;
    r.id = line.substr(0, a);
    r.name = line.substr(a + 1, b - a - 1);
    r.point.lat = std::atof(line.c_str() + b + 1);
    r.point.lon = std::atof(line.c_str() + c + 1);
    out.push_back(std::move(r));
  }
  return out;
}

const std::vector<Radar>& Radars() {
  static const std::vector<Radar> radars = ParseRadars(GeoDataFile("us_radars.tsv"));
  return radars;
}

double DistanceKm(GeoPoint a, GeoPoint b) {
  constexpr double kRad = 3.14159265358979323846 / 180, kEarthKm = 6371.0;
  const double dlat = (b.lat - a.lat) * kRad, dlon = (b.lon - a.lon) * kRad;
  const double h = std::sin(dlat / 2) * std::sin(dlat / 2) +
                   std::cos(a.lat * kRad) * std::cos(b.lat * kRad) * std::sin(dlon / 2) * std::sin(dlon / 2);
  return 2 * kEarthKm * std::asin(std::sqrt(std::min(1.0, h)));
}

LocalRadarChoice ChooseLocalRadar(GeoPoint place, const std::vector<Radar>& radars) {
  LocalRadarChoice choice;
  const Radar* nearest = nullptr;
  double best = 0;
  for (const Radar& r : radars) {
    const double d = DistanceKm(place, r.point);
    if (nearest == nullptr || d < best) nearest = &r, best = d;
  }
  if (nearest != nullptr && best <= kRadarReachKm) {
    choice.url = "https://radar.weather.gov/ridge/standard/" + nearest->id + "_loop.gif";
    choice.what = nearest->id + " " + nearest->name + " radar loop";
    return choice;
  }
  if (place.lat >= kConusSouth && place.lat <= kConusNorth && place.lon >= kConusWest && place.lon <= kConusEast) {
    choice.url = kConusLoop;
    choice.what = "GOES-East continental satellite loop";
    choice.minutes = 15;
    return choice;
  }
  choice.reason = "no weather-service radar or satellite loop covers this place";
  return choice;
}

}  // namespace sky::gateway
