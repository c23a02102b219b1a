// The lookups that turn a place into what a conditions request needs.
#include <gtest/gtest.h>

#include <fstream>

#include "locations/Foreign_locations.h"
#include "locations/US_cities.h"
#include "locations/Unit_location.h"
#include "locations/catalogue.h"
#include "locations/recording_ports.h"

namespace {

using sky::CurrentLocation;
using skytest::RecordingMessages;

using Log = std::vector<std::string>;

TEST(StateCodes, NamesBecomeCodesOtherTextsStay) {
  EXPECT_EQ(sky::ToStateCode("Texas"), "TX");
  EXPECT_EQ(sky::ToStateCode("Lousiana"), "LA");
  EXPECT_EQ(sky::ToStateCode("Louisiana"), "LA");  // the spelling the chooser shows
  EXPECT_EQ(sky::ToStateCode("France"), "France");
  EXPECT_EQ(sky::ToStateCode("texas"), "texas");
}

TEST(StateCodeFromTitle, SplitsAtTheFirstCommaAndTrims) {
  auto t = sky::StateCodeFromTitle("Austin, Texas");
  EXPECT_EQ(t.city, "Austin");
  EXPECT_EQ(t.code, "TX");
  t = sky::StateCodeFromTitle("San_Francisco,California\r\n");
  EXPECT_EQ(t.city, "San_Francisco");
  EXPECT_EQ(t.code, "CA");
  t = sky::StateCodeFromTitle("No comma here");
  EXPECT_EQ(t.city, "No comma here");
  EXPECT_EQ(t.code, "");
  EXPECT_EQ(sky::StateCodeFromTitle("Lima, Peru").code, "Peru (O)");
  EXPECT_EQ(sky::StateCodeFromTitle("London, United_Kingdom").code, "United Kingdom (O)");
  EXPECT_EQ(sky::StateCodeFromTitle("London, United Kingdom").code, "");
  // Codes themselves are not in the title table.
  EXPECT_EQ(sky::StateCodeFromTitle("Austin, TX").code, "");
  t = sky::StateCodeFromTitle("A, B, Texas");
  EXPECT_EQ(t.city, "A");
  EXPECT_EQ(t.code, "");
  EXPECT_EQ(sky::StateCodeFromTitle("").city, "");
}

TEST(DecodeLocationName, UsForms) {
  CurrentLocation loc;
  sky::DecodeLocationName("Muscle_Shoals, AL", loc);
  EXPECT_EQ(loc.City, "Muscle_Shoals");
  EXPECT_EQ(loc.Region, "AL");
  EXPECT_EQ(loc.Country, "US");
  EXPECT_EQ(loc.Zip, "");

  sky::DecodeLocationName("San Francisco, California", loc);
  EXPECT_EQ(loc.City, "San_Francisco");
  EXPECT_EQ(loc.Region, "CA");
  sky::DecodeLocationName("Boston, Massachusetts", loc);
  EXPECT_EQ(loc.Region, "MA");
  sky::DecodeLocationName("Austin, Texas", loc);
  EXPECT_EQ(loc.Region, "TX");
  sky::DecodeLocationName("Austin, Texass", loc);
  EXPECT_EQ(loc.Region, "");

  // No comma: the city is empty and the region lacks the first character.
  sky::DecodeLocationName("XTX", loc);
  EXPECT_EQ(loc.City, "");
  EXPECT_EQ(loc.Region, "TX");
  EXPECT_EQ(loc.Country, "US");
  // ... and a longer one is taken for a state name, which is unknown.
  sky::DecodeLocationName("Austin", loc);
  EXPECT_EQ(loc.Region, "");
  // A comma without the blank after it loses the first character of the state.
  sky::DecodeLocationName("Austin,TX", loc);
  EXPECT_EQ(loc.Region, "X");
}

TEST(DecodeLocationName, ForeignAndZipForms) {
  CurrentLocation loc;
  loc.Country = "stale";
  sky::DecodeLocationName("Cairo, Egypt (O)", loc);
  EXPECT_EQ(loc.City, "Cairo");
  EXPECT_EQ(loc.Region, "Egypt (O)");
  EXPECT_EQ(loc.Country, "");

  sky::DecodeLocationName("Boscombe_Down, United Kingdom (O)", loc);
  EXPECT_EQ(loc.City, "Boscombe Down");
  EXPECT_EQ(loc.Region, "United Kingdom (O)");

  // "(" at the first position is not the foreign form.
  sky::DecodeLocationName("(O), X", loc);
  EXPECT_EQ(loc.Country, "US");

  // A parenthesis before the comma must not break the cut.
  sky::DecodeLocationName("A (b), c", loc);
  EXPECT_EQ(loc.Region, "(O)");

  CurrentLocation zip;
  zip.City = "kept";
  zip.Region = "kept too";
  sky::DecodeLocationName("78701 - Austin, TX", zip);
  EXPECT_EQ(zip.Zip, "78701");
  // A zip place knows its state, so forecasts can be had for it.
  EXPECT_EQ(zip.City, "Austin");
  EXPECT_EQ(zip.Region, "TX");
  sky::DecodeLocationName("10001", zip);  // a bare zip: the zip's state
  EXPECT_EQ(zip.Region, "NY");
  EXPECT_EQ(zip.City, "10001");
  sky::DecodeLocationName("73301 - Austin, Nowhere", zip);  // no state in the name
  EXPECT_EQ(zip.Region, "TX");
  sky::DecodeLocationName("787", zip);
  EXPECT_EQ(zip.Zip, "787");
  EXPECT_EQ(zip.Region, "");
}

TEST(ZipStateCode, ByPrefixWithTheSharedPrefixes) {
  EXPECT_EQ(sky::ZipStateCode("78701"), "TX");
  EXPECT_EQ(sky::ZipStateCode("00601"), "PR");
  EXPECT_EQ(sky::ZipStateCode("02139"), "MA");
  EXPECT_EQ(sky::ZipStateCode("05501"), "MA");  // inside Vermont's run
  EXPECT_EQ(sky::ZipStateCode("20101"), "VA");  // between Washington's
  EXPECT_EQ(sky::ZipStateCode("73301"), "TX");  // inside Oklahoma's run
  EXPECT_EQ(sky::ZipStateCode("88510"), "TX");
  EXPECT_EQ(sky::ZipStateCode("96799"), "AS");
  EXPECT_EQ(sky::ZipStateCode("96701"), "HI");
  EXPECT_EQ(sky::ZipStateCode("96910"), "GU");
  EXPECT_EQ(sky::ZipStateCode("99501"), "AK");
  EXPECT_EQ(sky::ZipStateCode("09001"), "");  // military mail
  EXPECT_EQ(sky::ZipStateCode("7870"), "");
  EXPECT_EQ(sky::ZipStateCode("7870x"), "");
  // Every zip code of the geographic data set that has a state gets a code
  // the state products know.
  const auto& codes = sky::LocationCatalogue::Get().StateCodes();
  std::ifstream in(std::string(SKYGLASS_SOURCE_DIR) + "/src/data/geo/us_zips.tsv");
  ASSERT_TRUE(in);
  std::string line;
  std::getline(in, line);
  int rows = 0, none = 0, unknown = 0;
  while (std::getline(in, line)) {
    ++rows;
    const std::string code = sky::ZipStateCode(line.substr(0, 5));
    bool known = false;
    for (const auto& [name, c] : codes) known = known || c == code;
    if (code.empty()) ++none;
    else if (!known) ++unknown;  // the Pacific territories
  }
  EXPECT_GT(rows, 30000);
  EXPECT_EQ(none, 0);
  EXPECT_LT(unknown, 20);
}

TEST(StateOfPlace, AZipPlaceFromTheChooserGetsItsZipsState) {
  CurrentLocation loc;
  loc.Zip = "78701";
  loc.Region = ".";  // what the chooser leaves for a typed zip
  EXPECT_EQ(sky::StateOfPlace(loc), "TX");
  loc.Region = "OK";  // the page's own state stays
  EXPECT_EQ(sky::StateOfPlace(loc), "OK");
  loc.Zip.clear();
  loc.Region = "Egypt (O)";
  EXPECT_EQ(sky::StateOfPlace(loc), "Egypt (O)");
}

TEST(LocationNameForms, BuildsTheThreeForms) {
  EXPECT_EQ(sky::UsLocationName("Muscle_Shoals", "AL"), "Muscle_Shoals, AL");
  EXPECT_EQ(sky::ForeignLocationName("Cairo, Egypt"), "Cairo, Egypt (O)");
  EXPECT_EQ(sky::ZipLocationName("78701", "Austin, Texas"), "78701 - Austin, TX");
  EXPECT_EQ(sky::ZipLocationName("78701", "Nowhere"), "78701 - Nowhere, ");
  EXPECT_TRUE(sky::IsForeignRegion("Egypt (O)"));
  EXPECT_FALSE(sky::IsForeignRegion("(O)"));
  EXPECT_FALSE(sky::IsForeignRegion("TX"));
}

std::string Station(CurrentLocation loc, Log& log, std::string* country = nullptr) {
  RecordingMessages ui;
  std::string result = sky::StationNumberOf(loc, ui);
  log = ui.log;
  if (country) *country = loc.Country;
  return result;
}

TEST(StationNumberOf, FindsRowsByGroupAndCountry) {
  Log log;
  std::string country;
  EXPECT_EQ(Station({"", "Asia", "India (O)", "Ahmedabad", "", ""}, log), "42647");
  EXPECT_EQ(Station({"", "Asia", "Japan (O)", "Abashiri", "", ""}, log), "47409");
  EXPECT_EQ(Station({"", "Europe", "Finland (O)", "Helsinki-Malmi", "", ""}, log), "02975");
  EXPECT_EQ(Station({"", "Europe", "Germany (O)", "Berlin-Tegel", "", ""}, log), "10382");
  EXPECT_EQ(Station({"", "Canada", "Alberta (O)", "Banff", "", ""}, log), "71122");
  EXPECT_EQ(Station({"", "Islands", "Antigua (O)", "Vc Bird Int'L", "", ""}, log), "78862");
  EXPECT_TRUE(log.empty());
  // A decoded preset has no group: it is derived from the country text.
  EXPECT_EQ(Station({"", "", "Egypt (O)", "Cairo", "", ""}, log, &country).size(), 5u);
  EXPECT_EQ(country, "Africa");
  EXPECT_EQ(Station({"", "", "Trinidad_And_Tobago (O)", "Piarco Int'L", "", ""}, log, &country).size(), 5u);
  EXPECT_EQ(country, "Islands");
}

TEST(StationNumberOf, MessagesAndSilentStops) {
  Log log;
  EXPECT_EQ(Station({"", "Canada", "British Columbia (O)", "Bella Coola Arpt", "", ""}, log), "");
  EXPECT_TRUE(log.empty());

  EXPECT_EQ(Station({"", "Europe", "United Kingdom (O)", "Boscombe_Down", "", ""}, log), "n/a");
  EXPECT_EQ(log, (Log{"Sorry, invalid City found for UK:Boscombe_Down"}));
  EXPECT_EQ(Station({"", "Europe", "United Kingdom (O)", "Boscombe Down", "", ""}, log), "03746");
  // Keys compare exactly.
  EXPECT_EQ(Station({"", "Europe", "France (O)", "abbeville", "", ""}, log), "n/a");
  EXPECT_EQ(log, (Log{"Sorry, invalid City found for France:abbeville"}));

  // The island countries as the tree writes them are not keys: no message.
  EXPECT_EQ(Station({"", "Islands", "Cayman Island (O)", "Owen Roberts", "", ""}, log), "");
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(Station({"", "Asia", "China (O)", "Beijing", "", ""}, log), "");
  EXPECT_TRUE(log.empty());

  EXPECT_EQ(Station({"", "North America", "Yukon Territory (O)", "X", "", ""}, log), "");
  EXPECT_EQ(log, (Log{"Sorry, this foreign country info is not added yet...North America"}));

  EXPECT_EQ(Station({"", "", "Atlantis (O)", "X", "", ""}, log), "");
  EXPECT_EQ(log, (Log{"<beep>", "Error - invalid state/territory (Foreign_locations):Atlantis (O)"}));

  EXPECT_EQ(Station({"", "Europe", "France (O)", "", "", ""}, log), "");
  EXPECT_EQ(log, (Log{"Error - City field is empty in Foreign_locations; city:", "<beep>"}));
}

// Every foreign city of the tree, passed the way the chooser passes it.
TEST(StationNumberOf, EveryForeignTreeCity) {
  const auto& root = sky::LocationCatalogue::Get().Root();
  int numbers = 0, notFound = 0, empty = 0;
  std::vector<std::string> emptyCities;
  for (const auto& continent : root.children) {
    for (const auto& country : continent.children) {
      if (country.text == "United States") continue;
      auto run = [&](const std::string& group, const std::string& region, const std::string& city) {
        CurrentLocation loc{continent.text, group, region + sky::kForeignMarker, city, "", ""};
        RecordingMessages ui;
        std::string r = sky::StationNumberOf(loc, ui);
        if (r == "n/a") {
          ++notFound;
        } else if (r.empty()) {
          ++empty;
          emptyCities.push_back(city);
          EXPECT_TRUE(ui.log.empty()) << city;
        } else {
          ++numbers;
          EXPECT_EQ(r.size(), 5u) << city;
        }
      };
      if (country.text == "Canada") {
        for (const auto& prov : country.children)
          for (const auto& city : prov.children) run("Canada", prov.text, city.text);
      } else {
        for (const auto& city : country.children) run(continent.text, country.text, city.text);
      }
    }
  }
  EXPECT_EQ(numbers, 1241);
  EXPECT_EQ(notFound, 4);
  EXPECT_EQ(empty, 4);
}

}  // namespace
