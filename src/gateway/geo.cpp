#include "gateway/geo.h"

#include <cstdlib>
#include <utility>

#include "common/text.h"

namespace sky::gateway {

namespace {

template <typename F>
void EachRow(std::string_view text, F&& f) {
  bool header = true;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (header || line.empty()) {
      header = false;
      continue;
    }
    f(SplitText(line, '\t'));
  }
}

std::string Blanked(std::string_view text) {
  std::string s(text);
  for (char& c : s) {
    if (c == '_') c = ' ';
  }
  return s;
}

}  // namespace

const GeoData& GeoData::Get() {
  static const GeoData data(GeoDataFile("catalogue_coords.tsv"), GeoDataFile("us_zips.tsv"));
  return data;
}

GeoData::GeoData(std::string_view catalogue_tsv, std::string_view zips_tsv) {
  EachRow(catalogue_tsv, [&](const std::vector<std::string>& c) {
    if (c.size() < 10 || c[4].empty() || c[5].empty()) return;
    CataloguePlace p{c[0], c[1], c[2], c[3], {std::atof(c[4].c_str()), std::atof(c[5].c_str())}, c[8], c[9]};
    places_.push_back(std::move(p));
    const CataloguePlace& added = places_.back();
    const std::size_t index = places_.size() - 1;
    if (added.country == "United States") {
      usCities_.emplace(added.state + "\t" + Blanked(added.city), index);
    } else if (!added.wmo.empty()) {
      stations_.emplace(added.wmo, index);
    }
  });
  EachRow(zips_tsv, [&](const std::vector<std::string>& c) {
    if (c.size() < 3) return;
    zips_.emplace(c[0], GeoPoint{std::atof(c[1].c_str()), std::atof(c[2].c_str())});
  });
}

std::optional<GeoPoint> GeoData::Zip(std::string_view zip) const {
  auto it = zips_.find(zip);
  if (it == zips_.end()) return std::nullopt;
  return it->second;
}

const CataloguePlace* GeoData::UsCity(std::string_view state_name, std::string_view city) const {
  auto it = usCities_.find(std::string(state_name) + "\t" + Blanked(city));
  return it == usCities_.end() ? nullptr : &places_[it->second];
}

const CataloguePlace* GeoData::Station(std::string_view wmo) const {
  auto it = stations_.find(wmo);
  return it == stations_.end() ? nullptr : &places_[it->second];
}

std::string ForeignZone(const CataloguePlace& place) {
  static const std::map<std::string, std::string, std::less<>> kZones = {
      {"Egypt", "Africa/Cairo"},
      {"Kenya", "Africa/Nairobi"},
      {"India", "Asia/Kolkata"},
      {"Japan", "Asia/Tokyo"},
      {"Capital Territory", "Australia/Sydney"},
      {"New South Wales", "Australia/Sydney"},
      {"New Zealand", "Pacific/Auckland"},
      {"Northern Territory", "Australia/Darwin"},
      {"Queensland", "Australia/Brisbane"},
      {"South Australia", "Australia/Adelaide"},
      {"Tasmania", "Australia/Hobart"},
      {"Victoria", "Australia/Melbourne"},
      {"Western Australia", "Australia/Perth"},
      {"Belize", "America/Belize"},
      {"Costa Rica", "America/Costa_Rica"},
      {"Dominica", "America/Dominica"},
      {"Dominican Republic", "America/Santo_Domingo"},
      {"El Salvador", "America/El_Salvador"},
      {"Guatemala", "America/Guatemala"},
      {"Honduras", "America/Tegucigalpa"},
      {"Nicaragua", "America/Managua"},
      {"Panama", "America/Panama"},
      {"Finland", "Europe/Helsinki"},
      {"France", "Europe/Paris"},
      {"Germany", "Europe/Berlin"},
      {"Italy", "Europe/Rome"},
      {"Netherlands", "Europe/Amsterdam"},
      {"Norway", "Europe/Oslo"},
      {"United Kingdom", "Europe/London"},
      {"Antigua", "America/Antigua"},
      {"Bahamas", "America/Nassau"},
      {"Barbados", "America/Barbados"},
      {"Bermuda", "Atlantic/Bermuda"},
      {"Cayman Island", "America/Cayman"},
      {"Fiji", "Pacific/Fiji"},
      {"Jamaica", "America/Jamaica"},
      {"Trinidad And Tobago", "America/Port_of_Spain"},
      {"Peru", "America/Lima"},
      {"Alberta", "America/Edmonton"},
      {"British Columbia", "America/Vancouver"},
      {"Manitoba", "America/Winnipeg"},
      {"New Brunswick", "America/Moncton"},
      {"Nova Scotia", "America/Halifax"},
      {"Prince Edward Island", "America/Halifax"},
      {"Quebec", "America/Toronto"},
      {"Saskatchewan", "America/Regina"},
  };
  const double lon = place.point.lon;
  if (place.country == "Mexico") {
    if (lon < -114.0 && place.point.lat > 28.0) return "America/Tijuana";
    if (lon < -105.5) return "America/Mazatlan";
    if (lon > -89.5 && place.point.lat < 22.0) return "America/Cancun";
    return "America/Mexico_City";
  }
  if (place.country == "Canada" && place.state == "Ontario") {
    // North-western Ontario keeps central time.
    return lon < -90.0 ? "America/Winnipeg" : "America/Toronto";
  }
  const std::string& key = place.country == "Canada" ? place.state : place.country;
  auto it = kZones.find(key);
  return it == kZones.end() ? std::string() : it->second;
}

}  // namespace sky::gateway
