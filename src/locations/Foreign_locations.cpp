#include "locations/Foreign_locations.h"

#include "locations/catalogue.h"

namespace sky {

std::string StationNumberOf(CurrentLocation& loc, IMessagePort& ui) {
  const LocationCatalogue& cat = LocationCatalogue::Get();
  if (loc.City.empty()) {
    ui.ShowMessage("Error - City field is empty in Foreign_locations; city:" + loc.City);
    ui.Beep();
    return "";
  }
  if (loc.Country.empty()) {
    auto it = cat.GroupDerivation().find(loc.Region);
    if (it == cat.GroupDerivation().end()) {
      ui.Beep();
      ui.ShowMessage("Error - invalid state/territory (Foreign_locations):" + loc.Region);
      return "";
    }
    loc.Country = it->second;
  }
  const StationGroup* chosen = nullptr;
  bool knownGroup = false;
  for (const auto& g : cat.StationGroups()) {
    if (g.group != loc.Country) continue;
    knownGroup = true;
    if (g.Accepts(loc.Region)) {
      chosen = &g;
      break;
    }
  }
  if (!knownGroup) {
    ui.ShowMessage("Sorry, this foreign country info is not added yet..." + loc.Country);
    return "";
  }
  if (chosen == nullptr) return "";  // a country of the group that has no rows
  for (const auto& [city, station] : chosen->rows)
    if (city == loc.City) return station;
  ui.ShowMessage(chosen->notFoundMessage + loc.City);
  return "n/a";
}

}  // namespace sky
