// Location subcommands: the catalogue, the address of a place, and a whole
// conditions fetch from the terminal.
#include <cstdio>
#include <string>
#include <vector>

#include "cli.h"
#include "common/text.h"
#include "conditions/fetch.h"
#include "json.h"
#include "locations/Unit_location.h"
#include "locations/US_cities.h"
#include "locations/catalogue.h"

namespace {


// "locate NAME": the steps of a fetch before its request, without fetching.
int Locate(const cli::Args& args) {
  const auto a = cli::ParseArgs(args, {}, {}, 1, 1);
  sky::CurrentLocation loc;
  cli::RecordingMessages messages;
  sky::ReadRequest(a.positional[0], loc);
  std::optional<std::string> path = sky::ConditionsPath(loc, messages);

  cli::Json j;
  j.BeginObject();
  j.Field("messages", messages.messages);
  j.Key("Country").String(loc.Country);
  j.Key("Region").String(loc.Region);
  j.Key("City").String(loc.City);
  j.Key("Zip").String(loc.Zip);
  j.Field("path", path);
  j.EndObject();
  j.Print();
  return cli::kExitOk;
}

// The country text of a foreign LocationName that the station lookup knows:
// the tree's text, or its spelling with "_" where only that one is a key
// ("Cayman Island" is known as "Cayman_Island (O)").
std::string ForeignRegionText(const std::string& country) {
  const auto& groups = sky::LocationCatalogue::Get().GroupDerivation();
  if (groups.count(country + sky::kForeignMarker)) return country;
  std::string underscored = country;
  for (char& c : underscored)
    if (c == ' ') c = '_';
  if (groups.count(underscored + sky::kForeignMarker)) return underscored;
  return country;
}

// Blanks and "_" count as the same character: US city texts use "_".
std::string SearchForm(const std::string& s) {
  std::string out = sky::LowerAscii(s);
  for (char& c : out)
    if (c == '_') c = ' ';
  return out;
}

int ListLocations(const cli::Args& args) {
  const auto a = cli::ParseArgs(args, {}, {}, 0, 1);
  const std::string search = a.positional.empty() ? "" : SearchForm(a.positional[0]);
  const auto& cat = sky::LocationCatalogue::Get();
  std::string out;
  auto emit = [&](const std::string& city, const std::string& name) {
    if (!search.empty() && SearchForm(city).find(search) == std::string::npos) return;
    out += sky::Latin1ToUtf8(name);
    out += '\n';
  };
  for (const auto& continent : cat.Root().children) {
    for (const auto& country : continent.children) {
      if (country.text == "United States") {
        for (const auto& state : country.children)
          for (const auto& city : state.children)
            emit(city.text, sky::UsLocationName(city.text, sky::ToStateCode(state.text)));
      } else if (country.text == "Canada") {
        for (const auto& prov : country.children)
          for (const auto& city : prov.children)
            emit(city.text, city.text + ", " + ForeignRegionText(prov.text) + sky::kForeignMarker);
      } else {
        for (const auto& city : country.children)
          emit(city.text,
               city.text + ", " + ForeignRegionText(country.text) + sky::kForeignMarker);
      }
    }
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return cli::kExitOk;
}

const cli::Register kLocate{{"locate", "locate NAME", Locate}};
const cli::Register kLocations{{"locations", "locations [SEARCH]", ListLocations}};

}  // namespace
