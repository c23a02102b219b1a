#include "locations/Unit_location.h"

#include <algorithm>

#include "common/text.h"
#include "locations/US_cities.h"

namespace sky {

bool IsForeignRegion(const std::string& region) { return Pos("(", region) >= 2; }

void DecodeLocationName(const std::string& name, CurrentLocation& loc) {
  if (!name.empty() && name[0] >= '0' && name[0] <= '9') {
    loc.Zip = Cut(name, 1, 5);
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

std::string UsLocationName(const std::string& city, const std::string& stateCode) { return city + ", " + stateCode; }

std::string ForeignLocationName(const std::string& pageTitle) { return pageTitle + kForeignMarker; }

std::string ZipLocationName(const std::string& zip, const std::string& pageTitle) {
  TitleState t = StateCodeFromTitle(pageTitle);
  return zip + " - " + t.city + ", " + t.code;
}

}  // namespace sky
