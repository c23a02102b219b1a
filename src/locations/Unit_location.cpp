#include "locations/Unit_location.h"

#include <algorithm>

#include "common/text.h"
#include "locations/US_cities.h"

namespace sky {

bool IsForeignRegion(const std::string& region) { return Pos("(", region) >= 2; }

namespace {

bool IsStateCode(const std::string& text) {
  if (text.size() != 2) return false;
  for (const auto& [name, code] : LocationCatalogue::Get().StateCodes())
    if (code == text) return true;
  return false;
}

}  // namespace

void DecodeLocationName(const std::string& name, CurrentLocation& loc) {
  if (!name.empty() && name[0] >= '0' && name[0] <= '9') {
    loc.Zip = Cut(name, 1, 5);
    // The state products need the state: the name's own ("78701 - Austin,
    // TX"), else the zip's.
    const std::size_t dash = Pos(" - ", name);
    const std::string place =
        dash ? Cut(name, static_cast<long long>(dash) + 3, static_cast<long long>(name.size())) : "";
    TitleState t = StateCodeFromTitle(place);
    const std::size_t comma = place.rfind(", ");
    if (comma != std::string::npos && IsStateCode(place.substr(comma + 2))) t.code = place.substr(comma + 2);
    loc.Region = t.code.size() == 2 ? t.code : ZipStateCode(loc.Zip);
    loc.City = dash && !t.city.empty() ? t.city : loc.Zip;
    return;
  }
  loc.Zip.clear();
  const long long len = static_cast<long long>(name.size());
  const long long comma = static_cast<long long>(Pos(",", name));
  loc.City = Cut(name, 1, comma - 1);
  loc.Region = Cut(name, comma + 2, len);
  const long long paren = static_cast<long long>(Pos("(", name));
  if (paren >= 2) {
    std::replace(loc.City.begin(), loc.City.end(), '_', ' ');
    loc.Region = Cut(name, comma + 2, paren - (comma + 2)) + "(O)";
    loc.Country.clear();
    return;
  }
  loc.Country = "US";
  std::replace(loc.City.begin(), loc.City.end(), ' ', '_');
  if (loc.Region.size() > 2) loc.Region = StateCodeFromTitle(loc.City + "," + loc.Region).code;
}

std::string StateOfPlace(const CurrentLocation& loc) {
  if (loc.Zip.size() >= 2 && loc.Region.size() != 2) {
    std::string code = ZipStateCode(loc.Zip);
    if (!code.empty()) return code;
  }
  return loc.Region;
}

std::string UsLocationName(const std::string& city, const std::string& stateCode) { return city + ", " + stateCode; }

std::string ForeignLocationName(const std::string& pageTitle) { return pageTitle + kForeignMarker; }

std::string ZipLocationName(const std::string& zip, const std::string& pageTitle) {
  TitleState t = StateCodeFromTitle(pageTitle);
  return zip + " - " + t.city + ", " + t.code;
}

}  // namespace sky
