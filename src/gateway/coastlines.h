// Shorelines for the drawn maps, from the binned shoreline data set that
// Debian packages as gmt-gshhg-low (netCDF files under /usr/share/gmt-gshhg).
#pragma once

#include <string>
#include <vector>

namespace sky::gateway {

struct GeoLine {
  std::vector<float> lon, lat;  // degrees; longitudes 0 to 360 as stored
};

struct Coastlines {
  std::vector<GeoLine> lines;
};

inline constexpr const char* kDefaultCoastlineFile = "/usr/share/gmt-gshhg/binned_GSHHS_l.nc";

// Reads the shoreline pieces of every bin (sea against land and lakes, up to
// `max_level`); false with a message when the file is missing or not of the
// binned layout.
bool LoadCoastlines(const std::string& path, int max_level, Coastlines& out, std::string& error);

}  // namespace sky::gateway
