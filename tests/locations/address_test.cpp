// From a requested LocationName to the address of its conditions page.
#include <gtest/gtest.h>

#include "conditions/fetch.h"
#include "locations/recording_ports.h"

namespace {

struct Located {
  std::optional<std::string> path;
  sky::CurrentLocation loc;
  std::vector<std::string> log;
};

Located Locate(const std::string& request, sky::CurrentLocation loc = {}) {
  skytest::RecordingMessages ui;
  sky::ReadRequest(request, loc);
  Located r;
  r.path = sky::ConditionsPath(loc, ui);
  r.loc = loc;
  r.log = ui.log;
  return r;
}

TEST(ConditionsAddress, UsPlaces) {
  EXPECT_EQ(Locate("San Francisco, California").path, "US/CA/San_Francisco.html");
  EXPECT_EQ(Locate("Boston, Massachusetts").path, "US/MA/Boston.html");
  EXPECT_EQ(Locate("Muscle_Shoals, AL").path, "US/AL/Muscle_Shoals.html");
  // No comma: an empty city, and the region lacks the first character.
  EXPECT_EQ(Locate("XTX").path, "US/TX/.html");
}

TEST(ConditionsAddress, ZipTakesFiveCharactersWhateverFollows) {
  EXPECT_EQ(Locate("78701 - Austin, TX").path, "cgi-bin/findweather/getForecast?query=78701");
  EXPECT_EQ(Locate("787").path, "cgi-bin/findweather/getForecast?query=787");
  // A one-digit "zip" is not one, and the text is no place either.
  EXPECT_FALSE(Locate("7").path);
}

TEST(ConditionsAddress, TypedTextCannotBreakTheRequestLine) {
  EXPECT_EQ(Locate("1 \r\nX").path, "cgi-bin/findweather/getForecast?query=1%20%0D%0AX");
  EXPECT_EQ(Locate("Austin\r\nHost: x, TX").path, "US/TX/Austin%0D%0AHost%3A_x.html");
  EXPECT_EQ(Locate("a/../b?c#d, TX").path, "US/TX/a%2F..%2Fb%3Fc%23d.html");
}

TEST(ConditionsAddress, ForeignPlacesByStation) {
  Located r = Locate("London, United Kingdom (O)");
  ASSERT_TRUE(r.path);
  EXPECT_EQ(r.loc.Region, "United Kingdom (O)");
  EXPECT_EQ(r.loc.Country, "Europe");
  EXPECT_EQ(*r.path, "global/stations/" + r.loc.City + ".html");
  EXPECT_EQ(r.loc.City.size(), 5u);
  EXPECT_TRUE(r.log.empty());

  // The fetch clears what a previous one left.
  sky::CurrentLocation stale;
  stale.Country = "Asia";
  stale.Region = "Japan (O)";
  EXPECT_EQ(Locate("Cairo, Egypt (O)", stale).loc.Country, "Africa");
}

TEST(ConditionsAddress, StopsBeforeTheRequest) {
  Located r = Locate("Boscombe_Down, United Kingdom (O)");
  EXPECT_EQ(r.path, "global/stations/03746.html");  // "_" becomes a blank: the key matches

  r = Locate("Nowhere, United Kingdom (O)");
  EXPECT_FALSE(r.path);
  EXPECT_EQ(r.log, (std::vector<std::string>{"Sorry, invalid City found for UK:Nowhere", "Error - Invalid city:n/a"}));
  r = Locate("Bella Coola Arpt, British Columbia (O)");
  EXPECT_FALSE(r.path);
  EXPECT_EQ(r.log, (std::vector<std::string>{"Error in Unit1 - Invalid city:"}));
  r = Locate(", France (O)");
  EXPECT_FALSE(r.path);
  EXPECT_EQ(r.log, (std::vector<std::string>{"Error - City field is empty in Foreign_locations; city:", "<beep>",
                                             "Error in Unit1 - Invalid city:"}));
}

TEST(ConditionsAddress, NamesAPlaceOnlyWithACityAndAKnownState) {
  auto names = [](const std::string& request) {
    sky::CurrentLocation loc;
    sky::ReadRequest(request, loc);
    return sky::NamesAPlace(loc);
  };
  EXPECT_TRUE(names("Austin, TX"));
  EXPECT_TRUE(names("Austin, Texas"));
  EXPECT_TRUE(names("Atlantis, TX"));  // only the server knows its cities
  EXPECT_TRUE(names("78701"));
  EXPECT_TRUE(names("Nowhere, Peru (O)"));  // the station lookup speaks for these
  EXPECT_FALSE(names("Nowhere"));
  EXPECT_FALSE(names("Austin Texas"));
  EXPECT_FALSE(names("Austin, Txas"));
  EXPECT_FALSE(names("Austin, tx"));
  EXPECT_FALSE(names(", TX"));
}

}  // namespace
