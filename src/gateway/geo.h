// Positions of the program's places: the catalogue's cities and stations and
// the US zip codes (src/data/geo, compiled in).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sky::gateway {

// The text of one table of src/data/geo ("catalogue_coords.tsv", "us_zips.tsv").
std::string_view GeoDataFile(std::string_view name);

struct GeoPoint {
  double lat = 0;  // degrees, north positive
  double lon = 0;  // degrees, east positive
};

struct CataloguePlace {
  std::string continent, country, state, city;  // as in the location tree
  GeoPoint point;
  std::string wmo, icao;  // the place's station, either may be empty
};

class GeoData {
 public:
  // The compiled-in tables, read once.
  static const GeoData& Get();
  GeoData(std::string_view catalogue_tsv, std::string_view zips_tsv);

  std::optional<GeoPoint> Zip(std::string_view zip) const;
  // A US city by its state's tree name and the city text ("_" and blanks alike).
  const CataloguePlace* UsCity(std::string_view state_name, std::string_view city) const;
  // The foreign place whose station has this five-digit number.
  const CataloguePlace* Station(std::string_view wmo) const;

 private:
  std::vector<CataloguePlace> places_;
  std::map<std::string, std::size_t, std::less<>> usCities_;  // "state\tcity" with blanks
  std::map<std::string, std::size_t, std::less<>> stations_;  // by number, first row wins
  std::map<std::string, GeoPoint, std::less<>> zips_;
};

// The IANA zone of a foreign catalogue place, from its country or province
// (and longitude where a country spans zones); empty when none is known.
std::string ForeignZone(const CataloguePlace& place);

}  // namespace sky::gateway
