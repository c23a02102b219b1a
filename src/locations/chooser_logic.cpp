#include "locations/chooser_logic.h"

#include "historic/addresses.h"
#include "common/hosts.h"
#include "common/text.h"
#include "locations/Foreign_locations.h"
#include "locations/US_cities.h"

namespace sky {

std::string ChooserPath(const std::vector<std::string>& textsRootFirst) {
  std::string path;
  for (const std::string& t : textsRootFirst) path += t + "\\";
  return path;
}

namespace {

// The text before the next "\" of `rest`, which must stand at the second
// position or later; the level and its "\" leave `rest`.
std::optional<std::string> NextLevel(std::string& rest) {
  const std::size_t p = Pos("\\", rest);
  if (p < 2) return std::nullopt;
  std::string level = rest.substr(0, p - 1);
  rest.erase(0, p);
  return level;
}

}  // namespace

ChoiceResult ReadChoice(const std::string& pathStr, const std::string& zipText, CurrentLocation& loc,
                        IMessagePort& ui) {
  const std::size_t first = Pos("\\", pathStr);
  if (first <= 1) {
    if (zipText.size() < 5) ui.ShowMessage(kChooserParsingError);
  } else {
    std::string rest = pathStr.substr(first);  // without the root and its "\"
    auto fail = [&](const char* text) {
      ui.ShowMessage(text);
      ui.Beep();
      return ChoiceResult::StayOpen;
    };
    auto continent = NextLevel(rest);
    if (!continent) return fail(kChooserSelectContinent);
    loc.Continent = *continent;
    auto country = NextLevel(rest);
    if (!country) return fail(kChooserSelectCountry);
    loc.Country = *country;
    auto region = NextLevel(rest);
    if (!region) return fail(kChooserSelectState);
    loc.Region = *region;
    if (auto city = NextLevel(rest)) {
      loc.City = *city;  // Canada and the United States: a state level
    } else {
      loc.City = loc.Region;
      loc.Region = loc.Country;
      loc.Country = loc.Continent;
    }
  }
  loc.Region = ToStateCode(loc.Region);
  if (zipText.size() >= 2) {
    loc.Zip = zipText;
    loc.City = zipText;
    loc.Region.assign(1, '.');  // not = ".": GCC 12 warns falsely (-Wrestrict) there
    loc.Country.clear();
  } else {
    loc.Zip.clear();
  }
  if (loc.Region.empty() || loc.City.empty()) {
    ui.Beep();
    ui.ShowMessage(kChooserSelectLocation);
    return ChoiceResult::ShowAgain;
  }
  return ChoiceResult::Fetch;
}

std::string MissingDataMessage(const CurrentLocation& loc) {
  return "Error - missing data for the chosen place. State=" + loc.Region + "/ City = " + loc.City +
         "/ Country = " + loc.Country;
}

bool ChooserClosesWithoutAddress(const CurrentLocation& loc) { return loc.City == kNA; }

std::string ChooserRetrieveMessage(const std::string& place, int status) {
  std::string text =
      std::string(kChooserRetrieveError) + "\n\nThe conditions server did not send the page for " + place;
  if (status > 0) text += " (status " + std::to_string(status) + ")";
  return text + ". Try again later, or choose another place.";
}

std::optional<std::string> ChooserAddress(CurrentLocation& loc, IMessagePort& ui) {
  if (loc.Zip.size() >= 2) return historic::ZipConditionsPath(loc.Zip);
  if (loc.Country == "United States") {
    // Page names spell blanks as "_", as every LocationName does; a blank
    // would also end the request line early.
    std::string city = loc.City;
    for (char& c : city)
      if (c == ' ') c = '_';
    loc.City = city;
    return historic::UsConditionsPath(loc.Region, city);
  }
  loc.Region += kForeignMarker;
  loc.City = StationNumberOf(loc, ui);
  if (loc.City == kNA) {
    ui.ShowMessage(kChooserInvalidStation + loc.City);
    return std::nullopt;
  }
  // A state or province node (taken for a city), or a station row without a
  // number: the box that used to follow a request for "global/stations/.html"
  // now comes instead of it.
  if (loc.City.size() < 2) {
    ui.ShowMessage(MissingDataMessage(loc));
    return std::nullopt;
  }
  return historic::StationConditionsPath(loc.City);
}

}  // namespace sky
