// The places the sample conditions server knows: the catalogue's US cities,
// the station table, and a small table of real zip codes; each with the name
// the page title gives it and a rough climate (latitude and time zone).
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sky::historic {

struct Place {
  std::string key;           // seeds the weather: the same place, the same weather
  std::string title;         // "Austin, Texas", "Helsinki-Malmi, Finland"
  double latitude = 40;      // degrees, south negative
  double utcOffset = 0;      // hours of standard time
  bool usDaylight = false;   // follows the US daylight saving rule
  std::string zone;          // standard time abbreviation ("CST")
  std::string daylightZone;  // daylight time abbreviation ("CDT"), when usDaylight
};

class Places {
 public:
  // Built once from the embedded location tables.
  static const Places& Get();

  // "US/<code>/<city>.html": code as in the state code table, city as in the
  // catalogue (with "_" for blanks).
  std::optional<Place> UsCity(std::string_view code, std::string_view city) const;
  // "global/stations/<number>.html".
  std::optional<Place> Station(std::string_view number) const;
  // "getForecast?query=<zip>".
  std::optional<Place> Zip(std::string_view zip) const;

  // Every address form the server answers, for tests that walk them all.
  std::vector<std::string> UsPaths() const;         // "US/TX/Austin.html"
  std::vector<std::string> StationNumbers() const;  // "02975"
  std::vector<std::string> Zips() const;            // "78701"
  // (code, name as in the title state table), in code order.
  std::vector<std::pair<std::string, std::string>> States() const;

 private:
  Places();

  struct UsState {
    std::string titleName;  // the title state table's last row for the code ("Louisiana")
    std::set<std::string, std::less<>> cities;
  };
  struct StationRow {
    std::string city;
    std::string country;  // as the group derivation table knows it, without " (O)"
  };
  std::map<std::string, UsState, std::less<>> states_;       // by code
  std::map<std::string, StationRow, std::less<>> stations_;  // by number
};

}  // namespace sky::historic
