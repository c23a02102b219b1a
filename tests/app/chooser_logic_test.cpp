#include "locations/chooser_logic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sky {
namespace {

struct Recorder : IMessagePort {
  std::vector<std::string> shown;
  int beeps = 0;
  void ShowMessage(const std::string& t) override { shown.push_back(t); }
  void ShowError(const std::string& t) override { shown.push_back("error: " + t); }
  bool Confirm(const std::string&) override { return true; }
  void Beep() override { ++beeps; }
};

TEST(ChooserPath, RootFirstEachFollowedByABackslash) {
  EXPECT_EQ(ChooserPath({"Continent", "Europe", "France", "Abbeville"}), "Continent\\Europe\\France\\Abbeville\\");
  EXPECT_EQ(ChooserPath({}), "");
}

TEST(ReadChoice, UsCityAtDepthFive) {
  Recorder ui;
  CurrentLocation loc;
  EXPECT_EQ(ReadChoice("Continent\\North America\\United States\\Texas\\San Antonio\\", "", loc, ui),
            ChoiceResult::Fetch);
  EXPECT_EQ(loc.Country, "United States");
  EXPECT_EQ(loc.Region, "TX");
  EXPECT_EQ(loc.City, "San Antonio");
  EXPECT_TRUE(loc.Zip.empty());
  EXPECT_EQ(*ChooserAddress(loc, ui), "US/TX/San_Antonio.html");
  EXPECT_TRUE(ui.shown.empty());
}

TEST(ReadChoice, ForeignCityAtDepthFourShiftsTheLevels) {
  Recorder ui;
  CurrentLocation loc;
  EXPECT_EQ(ReadChoice("Continent\\Europe\\France\\Abbeville\\", "", loc, ui), ChoiceResult::Fetch);
  EXPECT_EQ(loc.Country, "Europe");
  EXPECT_EQ(loc.Region, "France");
  EXPECT_EQ(loc.City, "Abbeville");
  const auto address = ChooserAddress(loc, ui);
  EXPECT_EQ(loc.Region, "France (O)");
  ASSERT_TRUE(address.has_value());
  EXPECT_EQ(address->rfind("global/stations/", 0), 0u);
  EXPECT_EQ(*address, "global/stations/" + loc.City + ".html");
  EXPECT_EQ(loc.City.size(), 5u);
}

TEST(ReadChoice, MissingLevelsKeepTheDialogOpen) {
  const struct {
    const char* path;
    const char* message;
  } cases[] = {
      {"Continent\\", kChooserSelectContinent},
      {"Continent\\Europe\\", kChooserSelectCountry},
      {"Continent\\Europe\\France\\", kChooserSelectState},
  };
  for (const auto& c : cases) {
    Recorder ui;
    CurrentLocation loc;
    EXPECT_EQ(ReadChoice(c.path, "", loc, ui), ChoiceResult::StayOpen) << c.path;
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0], c.message);
    EXPECT_EQ(ui.beeps, 1);
  }
}

TEST(ReadChoice, ZipWinsAndShortZipStillFetches) {
  Recorder ui;
  CurrentLocation loc;
  EXPECT_EQ(ReadChoice("Continent\\Europe\\France\\Abbeville\\", "78701", loc, ui), ChoiceResult::Fetch);
  EXPECT_EQ(loc.Zip, "78701");
  EXPECT_EQ(loc.City, "78701");
  EXPECT_EQ(loc.Region, ".");
  EXPECT_TRUE(loc.Country.empty());
  EXPECT_EQ(*ChooserAddress(loc, ui), "cgi-bin/findweather/getForecast?query=78701");

  Recorder ui2;
  CurrentLocation loc2;
  EXPECT_EQ(ReadChoice("", "787", loc2, ui2), ChoiceResult::Fetch);
  EXPECT_EQ(ui2.shown, (std::vector<std::string>{kChooserParsingError}));
  EXPECT_EQ(*ChooserAddress(loc2, ui2), "cgi-bin/findweather/getForecast?query=787");
}

TEST(ReadChoice, NothingChosenAsksAgain) {
  Recorder ui;
  CurrentLocation loc;
  EXPECT_EQ(ReadChoice("", "7", loc, ui), ChoiceResult::ShowAgain);
  EXPECT_EQ(ui.shown, (std::vector<std::string>{kChooserParsingError, kChooserSelectLocation}));
  EXPECT_EQ(ui.beeps, 1);
}

TEST(ChooserAddress, AnUnknownForeignCityClosesTheDialog) {
  Recorder ui;
  CurrentLocation loc{"South America", "South America", "Peru", "Nowhere", "", ""};
  EXPECT_FALSE(ChooserAddress(loc, ui));
  ASSERT_FALSE(ui.shown.empty());
  EXPECT_EQ(ui.shown.back(), "Error - Invalid station:n/a");
  EXPECT_TRUE(ChooserClosesWithoutAddress(loc));
}

TEST(ChooserAddress, NoAddressWithoutAStationNumber) {
  // A state node is read as a depth-four place of the group "North America",
  // which has no rows; a station row may lack its number.
  for (const char* path : {"Continent\\North America\\United States\\Texas\\",
                           "Continent\\North America\\Canada\\British Columbia\\Bella Coola Arpt\\"}) {
    Recorder ui;
    CurrentLocation loc;
    ASSERT_EQ(ReadChoice(path, "", loc, ui), ChoiceResult::Fetch) << path;
    EXPECT_FALSE(ChooserAddress(loc, ui)) << path;
    ASSERT_FALSE(ui.shown.empty());
    EXPECT_EQ(ui.shown.back(), MissingDataMessage(loc)) << path;
    EXPECT_EQ(ui.shown.back().rfind("Error - missing data for the chosen place. State=", 0), 0u);
    EXPECT_FALSE(ChooserClosesWithoutAddress(loc)) << path;  // the user picks again
  }
}

}  // namespace
}  // namespace sky
