#include "conditions/fetch.h"

#include "historic/addresses.h"
#include "common/text.h"
#include "locations/Foreign_locations.h"
#include "locations/catalogue.h"

namespace sky {

namespace {

// The request texts come from the user (a typed zip, a hand-edited preset):
// bytes that would break the request line or the address are sent
// percent-encoded. Catalogue names and station numbers pass unchanged.
std::string AddressPart(const std::string& text) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
                 c == '.' || c == '\'' || c == '~' || c == '(' || c == ')' || c == '!' || c == '*' || c == ',';
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

}  // namespace

void ReadRequest(const std::string& request, CurrentLocation& loc) {
  loc.Country.clear();
  loc.Region.clear();
  DecodeLocationName(request, loc);
}

bool NamesAPlace(const CurrentLocation& loc) {
  if (!loc.Zip.empty() || loc.Country != "US") return true;
  if (loc.City.empty()) return false;
  for (const auto& [name, code] : LocationCatalogue::Get().StateCodes())
    if (code == loc.Region) return true;
  return false;
}

std::optional<std::string> ConditionsPath(CurrentLocation& loc, IMessagePort& ui) {
  if (loc.Zip.size() >= 2) return historic::ZipConditionsPath(AddressPart(loc.Zip));
  if (loc.Country == "US") return historic::UsConditionsPath(AddressPart(loc.Region), AddressPart(loc.City));
  loc.City = StationNumberOf(loc, ui);
  if (loc.City.size() < 2) {
    ui.ShowMessage(kInvalidCityShort + loc.City);
    return std::nullopt;
  }
  if (loc.City == kNA) {
    ui.ShowMessage(kInvalidCityNA + loc.City);
    return std::nullopt;
  }
  return historic::StationConditionsPath(AddressPart(loc.City));
}

}  // namespace sky
