#include "historic/places.h"

#include <stdexcept>

#include "data/locations/location_data.h"

namespace sky::historic {

namespace {

struct Climate {
  const char* name;
  double latitude;
  double utcOffset;
  const char* zone;
  const char* daylightZone;  // nullptr: no daylight saving time kept here
};

// US states by code: rough centre latitude and standard time zone.
constexpr Climate kStateClimates[] = {
    {"AL", 32.8, -6, "CST", "CDT"},   {"AK", 61.2, -9, "AKST", "AKDT"}, {"AZ", 34.0, -7, "MST", nullptr},
    {"AR", 34.8, -6, "CST", "CDT"},   {"CA", 36.8, -8, "PST", "PDT"},   {"CO", 39.0, -7, "MST", "MDT"},
    {"CT", 41.6, -5, "EST", "EDT"},   {"DE", 39.0, -5, "EST", "EDT"},   {"DC", 38.9, -5, "EST", "EDT"},
    {"FL", 28.1, -5, "EST", "EDT"},   {"GA", 32.7, -5, "EST", "EDT"},   {"HI", 20.8, -10, "HST", nullptr},
    {"ID", 44.1, -7, "MST", "MDT"},   {"IL", 40.0, -6, "CST", "CDT"},   {"IN", 39.9, -5, "EST", "EDT"},
    {"IA", 42.0, -6, "CST", "CDT"},   {"KS", 38.5, -6, "CST", "CDT"},   {"KY", 37.5, -5, "EST", "EDT"},
    {"LA", 31.0, -6, "CST", "CDT"},   {"ME", 45.3, -5, "EST", "EDT"},   {"MD", 39.0, -5, "EST", "EDT"},
    {"MA", 42.3, -5, "EST", "EDT"},   {"MI", 43.3, -5, "EST", "EDT"},   {"MN", 46.3, -6, "CST", "CDT"},
    {"MS", 32.7, -6, "CST", "CDT"},   {"MO", 38.5, -6, "CST", "CDT"},   {"MT", 47.0, -7, "MST", "MDT"},
    {"NE", 41.5, -6, "CST", "CDT"},   {"NV", 39.0, -8, "PST", "PDT"},   {"NH", 43.7, -5, "EST", "EDT"},
    {"NJ", 40.1, -5, "EST", "EDT"},   {"NM", 34.4, -7, "MST", "MDT"},   {"NY", 42.9, -5, "EST", "EDT"},
    {"NC", 35.6, -5, "EST", "EDT"},   {"ND", 47.5, -6, "CST", "CDT"},   {"OH", 40.4, -5, "EST", "EDT"},
    {"OK", 35.6, -6, "CST", "CDT"},   {"OR", 44.0, -8, "PST", "PDT"},   {"PA", 40.9, -5, "EST", "EDT"},
    {"RI", 41.7, -5, "EST", "EDT"},   {"SC", 33.9, -5, "EST", "EDT"},   {"SD", 44.4, -6, "CST", "CDT"},
    {"TN", 35.9, -6, "CST", "CDT"},   {"TX", 31.0, -6, "CST", "CDT"},   {"UT", 39.3, -7, "MST", "MDT"},
    {"VT", 44.0, -5, "EST", "EDT"},   {"VA", 37.5, -5, "EST", "EDT"},   {"WA", 47.4, -8, "PST", "PDT"},
    {"WV", 38.6, -5, "EST", "EDT"},   {"WI", 44.6, -6, "CST", "CDT"},   {"WY", 43.0, -7, "MST", "MDT"},
    {"PR", 18.2, -4, "AST", nullptr}, {"VI", 18.3, -4, "AST", nullptr},
};

// Foreign countries and provinces, named as the group derivation table does.
constexpr Climate kCountryClimates[] = {
    {"Kenya", 0.0, 3, "EAT", nullptr},
    {"Egypt", 30.0, 2, "EET", nullptr},
    {"India", 23.0, 5.5, "IST", nullptr},
    {"Japan", 36.0, 9, "JST", nullptr},
    {"Australia", -25.0, 10, "AEST", nullptr},
    {"Capital Territory", -35.3, 10, "AEST", nullptr},
    {"New South Wales", -32.0, 10, "AEST", nullptr},
    {"New Zealand", -41.0, 12, "NZST", nullptr},
    {"Northern Territory", -19.0, 9.5, "ACST", nullptr},
    {"Queensland", -22.0, 10, "AEST", nullptr},
    {"South Australia", -32.0, 9.5, "ACST", nullptr},
    {"Tasmania", -42.0, 10, "AEST", nullptr},
    {"Victoria", -37.0, 10, "AEST", nullptr},
    {"Western Australia", -27.0, 8, "AWST", nullptr},
    {"Belize", 17.0, -6, "CST", nullptr},
    {"Costa Rica", 10.0, -6, "CST", nullptr},
    {"Dominica", 15.4, -4, "AST", nullptr},
    {"Dominican Republic", 19.0, -4, "AST", nullptr},
    {"El Salvador", 13.7, -6, "CST", nullptr},
    {"Guatemala", 15.5, -6, "CST", nullptr},
    {"Honduras", 15.0, -6, "CST", nullptr},
    {"Mexico", 23.0, -6, "CST", nullptr},
    {"Nicaragua", 12.9, -6, "CST", nullptr},
    {"Panama", 9.0, -5, "EST", nullptr},
    {"Finland", 64.0, 2, "EET", nullptr},
    {"France", 46.5, 1, "CET", nullptr},
    {"Germany", 51.0, 1, "CET", nullptr},
    {"Italy", 42.8, 1, "CET", nullptr},
    {"Netherlands", 52.2, 1, "CET", nullptr},
    {"Norway", 64.0, 1, "CET", nullptr},
    {"United Kingdom", 54.0, 0, "GMT", nullptr},
    {"Canada", 56.0, -5, "EST", nullptr},
    {"Alberta", 54.0, -7, "MST", nullptr},
    {"British Columbia", 53.7, -8, "PST", nullptr},
    {"Manitoba", 55.0, -6, "CST", nullptr},
    {"New Brunswick", 46.5, -4, "AST", nullptr},
    {"Nova Scotia", 45.0, -4, "AST", nullptr},
    {"Ontario", 50.0, -5, "EST", nullptr},
    {"Prince Edward Island", 46.3, -4, "AST", nullptr},
    {"Quebec", 52.0, -5, "EST", nullptr},
    {"Saskatchewan", 54.0, -6, "CST", nullptr},
    {"Antigua", 17.1, -4, "AST", nullptr},
    {"Cayman_Island", 19.3, -5, "EST", nullptr},
    {"Fiji", -17.7, 12, "FJT", nullptr},
    {"Bermuda", 32.3, -4, "AST", nullptr},
    {"Barbados", 13.1, -4, "AST", nullptr},
    {"Bahamas", 24.0, -5, "EST", nullptr},
    {"Jamaica", 18.0, -5, "EST", nullptr},
    {"Trinidad_And_Tobago", 10.5, -4, "AST", nullptr},
    {"Peru", -10.0, -5, "PET", nullptr},
};

struct ZipRow {
  const char* zip;
  const char* city;
  const char* code;
};

// Real zip codes of well-known places; the getForecast query answers these.
// clang-format off
constexpr ZipRow kZips[] = {
    {"00802", "Charlotte Amalie", "VI"}, {"00901", "San Juan", "PR"},     {"02108", "Boston", "MA"},
    {"02903", "Providence", "RI"},       {"03101", "Manchester", "NH"},   {"04101", "Portland", "ME"},
    {"05401", "Burlington", "VT"},       {"06103", "Hartford", "CT"},     {"07102", "Newark", "NJ"},
    {"10001", "New York", "NY"},         {"12207", "Albany", "NY"},       {"15222", "Pittsburgh", "PA"},
    {"19107", "Philadelphia", "PA"},     {"19801", "Wilmington", "DE"},   {"20001", "Washington", "DC"},
    {"21202", "Baltimore", "MD"},        {"23219", "Richmond", "VA"},     {"25301", "Charleston", "WV"},
    {"28202", "Charlotte", "NC"},        {"29201", "Columbia", "SC"},     {"30303", "Atlanta", "GA"},
    {"32801", "Orlando", "FL"},          {"33130", "Miami", "FL"},        {"35203", "Birmingham", "AL"},
    {"37203", "Nashville", "TN"},        {"39201", "Jackson", "MS"},      {"40202", "Louisville", "KY"},
    {"43215", "Columbus", "OH"},         {"46204", "Indianapolis", "IN"}, {"48226", "Detroit", "MI"},
    {"50309", "Des Moines", "IA"},       {"53202", "Milwaukee", "WI"},    {"55401", "Minneapolis", "MN"},
    {"57501", "Pierre", "SD"},           {"58501", "Bismarck", "ND"},     {"59601", "Helena", "MT"},
    {"60601", "Chicago", "IL"},          {"63101", "St. Louis", "MO"},    {"64106", "Kansas City", "MO"},
    {"68102", "Omaha", "NE"},            {"70112", "New Orleans", "LA"},  {"72201", "Little Rock", "AR"},
    {"73102", "Oklahoma City", "OK"},    {"75201", "Dallas", "TX"},       {"77002", "Houston", "TX"},
    {"78701", "Austin", "TX"},           {"80202", "Denver", "CO"},       {"82001", "Cheyenne", "WY"},
    {"83702", "Boise", "ID"},            {"84111", "Salt Lake City", "UT"}, {"85004", "Phoenix", "AZ"},
    {"87102", "Albuquerque", "NM"},      {"89101", "Las Vegas", "NV"},    {"90012", "Los Angeles", "CA"},
    {"90210", "Beverly Hills", "CA"},    {"92101", "San Diego", "CA"},    {"94103", "San Francisco", "CA"},
    {"96813", "Honolulu", "HI"},         {"97204", "Portland", "OR"},     {"98101", "Seattle", "WA"},
    {"99501", "Anchorage", "AK"},
};
// clang-format on

// Lines of an embedded table split at TABs, header row dropped.
std::vector<std::vector<std::string>> Rows(std::string_view file) {
  std::string_view text = sky::data::LocationDataFile(file);
  if (text.empty()) throw std::runtime_error(std::string("missing embedded table ") + std::string(file));
  std::vector<std::vector<std::string>> rows;
  bool header = true;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (header) {
      header = false;
      continue;
    }
    if (line.empty()) continue;
    std::vector<std::string> cells;
    std::size_t start = 0;
    while (true) {
      std::size_t tab = line.find('\t', start);
      cells.emplace_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
      if (tab == std::string_view::npos) break;
      start = tab + 1;
    }
    rows.push_back(std::move(cells));
  }
  return rows;
}

std::string Underscored(std::string s) {
  for (char& c : s) {
    if (c == ' ') c = '_';
  }
  return s;
}

std::string Blanked(std::string s) {
  for (char& c : s) {
    if (c == '_') c = ' ';
  }
  return s;
}

const Climate* FindClimate(std::string_view name, bool state) {
  if (state) {
    for (const Climate& c : kStateClimates) {
      if (name == c.name) return &c;
    }
  } else {
    for (const Climate& c : kCountryClimates) {
      if (name == c.name) return &c;
    }
  }
  return nullptr;
}

void ApplyClimate(Place& place, const Climate* climate) {
  if (climate == nullptr) return;
  place.latitude = climate->latitude;
  place.utcOffset = climate->utcOffset;
  place.zone = climate->zone;
  place.usDaylight = climate->daylightZone != nullptr;
  place.daylightZone = climate->daylightZone ? climate->daylightZone : "";
}

}  // namespace

const Places& Places::Get() {
  static const Places places;
  return places;
}

Places::Places() {
  // Title names of the states: the title state table, codes of two letters.
  for (const auto& row : Rows("title_states.tsv")) {
    if (row.size() >= 2 && row[1].size() == 2) states_[row[1]].titleName = row[0];
  }
  std::map<std::string, std::string> code_of_node;
  for (const auto& row : Rows("state_codes.tsv")) {
    if (row.size() >= 2) code_of_node[row[0]] = row[1];
  }

  // Catalogue tree: US cities by state; for every other city the country or
  // province it stands under, so station pages can name it.
  std::map<std::string, std::string> country_of;  // group + "/" + city without "_" -> country node
  std::vector<std::string> path;
  std::string_view text = sky::data::LocationDataFile("catalogue.txt");
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::size_t depth = 0;
    while (depth < line.size() && line[depth] == '\t') ++depth;
    if (depth == line.size()) continue;
    path.resize(depth);
    path.emplace_back(line.substr(depth));
    if (path.size() == 5 && path[1] == "North America" && path[2] == "United States") {
      auto code = code_of_node.find(path[3]);
      if (code != code_of_node.end()) states_[code->second].cities.insert(path[4]);
    } else if (path.size() == 5 && path[2] == "Canada") {
      country_of["Canada/" + Blanked(path[4])] = path[3];
    } else if (path.size() == 4 && path[1] != "North America") {
      country_of[path[1] + "/" + Blanked(path[3])] = path[2];
    }
  }

  std::set<std::string> derivable;  // countries the group derivation table knows
  for (const auto& row : Rows("group_derivation.tsv")) {
    const std::string marker = " (O)";
    if (!row.empty() && row[0].size() > marker.size() && row[0].ends_with(marker)) {
      derivable.insert(row[0].substr(0, row[0].size() - marker.size()));
    }
  }

  for (const auto& row : Rows("stations.tsv")) {
    if (row.size() < 4 || row[3].empty()) continue;
    const std::string& group = row[0];
    std::string country = row[1];
    if (country == "*") {
      auto it = country_of.find(group + "/" + Blanked(row[2]));
      country = it != country_of.end() ? it->second : group;
    } else if (country.ends_with(" (O)")) {
      country.resize(country.size() - 4);
    }
    // The title must name the country as the group derivation table does, so
    // that a preset made from it finds its way back to this station.
    if (!derivable.count(country) && derivable.count(Underscored(country))) country = Underscored(country);
    if (!derivable.count(country) && group == "Canada") country = "Canada";
    stations_[row[3]] = StationRow{row[2], country};
  }
}

std::optional<Place> Places::UsCity(std::string_view code, std::string_view city) const {
  auto state = states_.find(code);
  if (state == states_.end()) return std::nullopt;
  std::string name = Underscored(std::string(city));
  if (!state->second.cities.count(name)) return std::nullopt;
  Place place;
  place.key = "US/" + std::string(code) + "/" + name;
  place.title = Blanked(name) + ", " + state->second.titleName;
  ApplyClimate(place, FindClimate(code, true));
  return place;
}

std::optional<Place> Places::Station(std::string_view number) const {
  auto it = stations_.find(number);
  if (it == stations_.end()) return std::nullopt;
  Place place;
  place.key = "station/" + it->first;
  place.title = it->second.city + ", " + it->second.country;
  ApplyClimate(place, FindClimate(it->second.country, false));
  return place;
}

std::optional<Place> Places::Zip(std::string_view zip) const {
  for (const ZipRow& row : kZips) {
    if (zip != row.zip) continue;
    auto state = states_.find(std::string_view(row.code));
    if (state == states_.end()) return std::nullopt;
    Place place;
    place.key = std::string("zip/") + row.zip;
    place.title = std::string(row.city) + ", " + state->second.titleName;
    ApplyClimate(place, FindClimate(row.code, true));
    return place;
  }
  return std::nullopt;
}

std::vector<std::string> Places::UsPaths() const {
  std::vector<std::string> paths;
  for (const auto& [code, state] : states_) {
    for (const auto& city : state.cities) paths.push_back("US/" + code + "/" + city + ".html");
  }
  return paths;
}

std::vector<std::string> Places::StationNumbers() const {
  std::vector<std::string> numbers;
  for (const auto& [number, unused] : stations_) numbers.push_back(number);
  return numbers;
}

std::vector<std::pair<std::string, std::string>> Places::States() const {
  std::vector<std::pair<std::string, std::string>> states;
  for (const auto& [code, state] : states_) states.emplace_back(code, state.titleName);
  return states;
}

std::vector<std::string> Places::Zips() const {
  std::vector<std::string> zips;
  for (const ZipRow& row : kZips) zips.emplace_back(row.zip);
  return zips;
}

}  // namespace sky::historic
