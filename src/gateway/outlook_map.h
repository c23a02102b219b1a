// The continental 10-day outlook maps, drawn by the gateway where no public
// map exists: a keyless gridded forecast (the Open-Meteo forecast API asked
// for a coarse grid of places in one request) coloured in bands over the
// shorelines, with the data's attribution on the picture.
#pragma once

#include <string>
#include <vector>

#include "gateway/coastlines.h"

namespace sky::gateway {

struct OutlookRegion {
  const char* key;    // as in picture_sources.tsv ("africa")
  const char* title;  // on the map
  double south, north, west, east;
};

const OutlookRegion* FindOutlookRegion(const std::string& key);

// Grid points per side: 10 x 10 places in one request.
inline constexpr int kOutlookGridSide = 10;

// The request for a region's grid: daily highs, lows and precipitation for
// ten days at each grid point, south-west first, west to east, then north.
std::string OutlookRequestUrl(const std::string& api_base, const OutlookRegion& region);

struct OutlookGrid {
  int side = kOutlookGridSide;
  std::vector<double> meanTemperatureC;  // side*side, NaN where missing
  std::vector<double> precipitationMm;   // ten-day totals, NaN where missing
  std::string firstDay, lastDay;         // "2026-12-08"
};

// Reads the service's answer (one object per grid point, in request order);
// false with the reason when it is not that.
bool ParseOutlookAnswer(const std::string& json, OutlookGrid& grid, std::string& error);

enum class OutlookKind { kTemperature, kPrecipitation };

// A 640 x 480 GIF: bands of the ten-day mean temperature or the ten-day total
// precipitation, shorelines, a legend, the days and the attribution. The same
// grid always gives the same picture.
std::string DrawOutlookMap(const OutlookRegion& region, const OutlookGrid& grid, OutlookKind kind,
                           const Coastlines& coast);

}  // namespace sky::gateway
