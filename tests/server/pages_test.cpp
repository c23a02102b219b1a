// The sample server's pages, called in-process: every address it answers,
// the names its titles give (which the program turns into presets), and
// reproducibility.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/hosts.h"
#include "conditions/htmlp.h"
#include "controls/gif_decoder.h"
#include "historic/maker_site.h"
#include "historic/places.h"
#include "historic/site.h"
#include "sample_server/population_clock.h"
#include "sample_server/sample_sites.h"

namespace sky::sample {
namespace {

using namespace sky::historic;

constexpr std::int64_t kWinterNoon = 1796644800;  // 2026-12-07 12:00 UTC
constexpr std::int64_t kSummerNoon = 1783425600;  // 2026-07-07 12:00 UTC

std::vector<std::vector<std::string>> ReadTable(const std::string& name) {
  std::ifstream in(std::string(SKYGLASS_SOURCE_DIR) + "/src/data/locations/" + name);
  std::vector<std::vector<std::string>> rows;
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::stringstream ss(line);
    std::string cell;
    while (std::getline(ss, cell, '\t')) cells.push_back(cell);
    if (!line.empty() && line.back() == '\t') cells.emplace_back();
    rows.push_back(cells);
  }
  return rows;
}

Reply Get(const Router& router, const std::string& host, const std::string& path, const std::string& query = "",
          std::int64_t now = kWinterNoon) {
  Request request;
  request.method = "GET";
  request.host = host;
  request.path = path;
  request.query = query;
  request.now = now;
  return router.Route(request);
}

Reply GetConditions(const Router& router, const std::string& path, const std::string& query = "",
                    std::int64_t now = kWinterNoon) {
  return Get(router, hosts::kWeatherUnderground, path, query, now);
}

// The place the program reads from a title: after "Underground:", up to "Weather".
std::string TitlePlace(const std::string& page) {
  std::size_t u = page.find("Underground:");
  if (u == std::string::npos) return "<no title>";
  std::string rest = page.substr(u + 12);
  std::string place = rest.substr(0, rest.find("Weather"));
  std::size_t b = place.find_first_not_of(' ');
  std::size_t e = place.find_last_not_of(' ');
  return b == std::string::npos ? "" : place.substr(b, e - b + 1);
}

std::string Trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t\r\n");
  std::size_t e = s.find_last_not_of(" \t\r\n");
  return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

class Messages : public IMessagePort {
 public:
  void ShowMessage(const std::string& text) override { shown.push_back(text); }
  void ShowError(const std::string& text) override { shown.push_back(text); }
  bool Confirm(const std::string& text) override {
    shown.push_back(text);
    return false;
  }
  void Beep() override {}
  std::vector<std::string> shown;
};

// Parses a page as the program does; any message (P1 to P3) fails the test.
ParsedConditionsPage Parse(const std::string& page, const std::string& what) {
  Messages messages;
  ParsedConditionsPage parsed = ParseConditionsPage(page, messages);
  EXPECT_TRUE(messages.shown.empty()) << what << ": " << messages.shown.front();
  return parsed;
}

int LeadingNumber(const std::string& text) {
  try {
    return std::stoi(text);
  } catch (const std::exception&) {
    return -999;
  }
}

class PagesTest : public ::testing::Test {
 protected:
  std::unique_ptr<Router> router_ = MakeDefaultRouter(kDefaultLatestVersion);
};

TEST_F(PagesTest, EveryAddressAnswersWithAPageTheProgramParsesCleanly) {
  const Places& places = Places::Get();
  std::vector<std::pair<std::string, std::string>> requests;
  for (const std::string& p : places.UsPaths()) requests.emplace_back("/" + p, "");
  for (const std::string& n : places.StationNumbers()) requests.emplace_back("/global/stations/" + n + ".html", "");
  for (const std::string& z : places.Zips()) requests.emplace_back("/cgi-bin/findweather/getForecast", "query=" + z);
  EXPECT_EQ(places.UsPaths().size(), 587u);
  EXPECT_EQ(places.StationNumbers().size(), 1246u);  // every row but the one without a number
  for (std::int64_t now : {kWinterNoon, kSummerNoon + 9 * 3600}) {
    for (const auto& [path, query] : requests) {
      const std::string what = path + "?" + query;
      Reply reply = GetConditions(*router_, path, query, now);
      ASSERT_EQ(reply.status, 200) << what;
      ParsedConditionsPage parsed = Parse(reply.body, what);
      const ConditionsRecord& r = parsed.Record;
      EXPECT_EQ(parsed.PageLocationName, TitlePlace(reply.body)) << what;
      ASSERT_TRUE(r.ObservedAt) << what;
      // The time alone, as in "10:53 AM CST".
      EXPECT_TRUE(r.ObservedAt->find(" AM ") != std::string::npos || r.ObservedAt->find(" PM ") != std::string::npos)
          << what << ": " << *r.ObservedAt;
      EXPECT_EQ(r.ObservedAt->find(" on"), std::string::npos) << what << ": " << *r.ObservedAt;
      EXPECT_NE(r.Temperature.find("\260F / "), std::string::npos) << what << ": " << r.Temperature;
      EXPECT_EQ(r.Humidity.size(), 4u) << what;
      EXPECT_NE(r.Humidity.find('%'), std::string::npos) << what << ": " << r.Humidity;
      EXPECT_TRUE(Trim(r.Visibility).ends_with(" miles")) << what << ": " << r.Visibility;
      EXPECT_NE(r.Pressure.find(" in"), std::string::npos) << what << ": " << r.Pressure;
      for (const std::string* value : {&r.Wind, &r.Sky, &r.Sunrise, &r.Sunset, &r.MoonRise, &r.MoonSet}) {
        EXPECT_FALSE(Trim(*value).empty()) << what;
        EXPECT_NE(*value, "n/a") << what;
        EXPECT_EQ(value->find("<"), std::string::npos) << what << ": " << *value;
      }
      for (const std::string* time : {&r.Sunrise, &r.Sunset, &r.MoonRise, &r.MoonSet}) {
        EXPECT_TRUE(time->find(" AM ") != std::string::npos || time->find(" PM ") != std::string::npos)
            << what << ": " << *time;
      }
      EXPECT_TRUE(r.TrayTip && r.SkyIcon) << what;
      if (r.HeatIndex != "n/a") {
        EXPECT_NE(r.HeatIndex.find("\260F"), std::string::npos) << what;
      }
    }
  }
}

TEST_F(PagesTest, UsTitlesNameTheStateAsTheTitleStateTableDoes) {
  std::map<std::string, std::string> code_of_title;
  for (const auto& row : ReadTable("title_states.tsv")) code_of_title[row[0]] = row[1];

  EXPECT_EQ(TitlePlace(GetConditions(*router_, "/US/TX/Austin.html").body), "Austin, Texas");
  EXPECT_EQ(TitlePlace(GetConditions(*router_, "/US/CA/San_Francisco.html").body), "San Francisco, California");
  for (const std::string& p : Places::Get().UsPaths()) {
    std::string place = TitlePlace(GetConditions(*router_, "/" + p).body);
    std::size_t comma = place.find(',');
    ASSERT_NE(comma, std::string::npos) << p;
    EXPECT_EQ(code_of_title[Trim(place.substr(comma + 1))], p.substr(3, 2)) << p;
  }
}

TEST_F(PagesTest, ZipTitlesGiveCityAndStateCodeForThePreset) {
  std::map<std::string, std::string> code_of_title;
  for (const auto& row : ReadTable("title_states.tsv")) code_of_title[row[0]] = row[1];

  std::string page = GetConditions(*router_, "/cgi-bin/findweather/getForecast", "query=78701").body;
  EXPECT_EQ(TitlePlace(page), "Austin, Texas");
  page = GetConditions(*router_, "/cgi-bin/findweather/getForecast", "query=70112").body;
  EXPECT_EQ(TitlePlace(page), "New Orleans, Louisiana");  // the table's last spelling
  for (const std::string& zip : Places::Get().Zips()) {
    std::string place = TitlePlace(GetConditions(*router_, "/cgi-bin/findweather/getForecast", "query=" + zip).body);
    std::size_t comma = place.find(',');
    ASSERT_NE(comma, std::string::npos) << zip;
    EXPECT_EQ(code_of_title[Trim(place.substr(comma + 1))].size(), 2u) << zip << " " << place;
  }
}

// A foreign preset is the title plus " (O)"; fetched again, the program takes
// the city before the comma ("_" as blanks), derives the group from the
// country and finds the station in that group's rows. Every station page must
// lead back to its own number that way.
TEST_F(PagesTest, StationTitlesLeadBackToTheirStation) {
  std::map<std::string, std::string> group_of;
  for (const auto& row : ReadTable("group_derivation.tsv")) group_of[row[0]] = row[1];
  std::map<std::string, std::set<std::string>> keys_of_group;
  for (const auto& row : ReadTable("station_groups.tsv")) {
    std::stringstream ss(row[1]);
    std::string key;
    while (std::getline(ss, key, '|')) keys_of_group[row[0]].insert(key);
  }
  const auto stations = ReadTable("stations.tsv");

  EXPECT_EQ(TitlePlace(GetConditions(*router_, "/global/stations/02975.html").body), "Helsinki-Malmi, Finland");
  EXPECT_EQ(TitlePlace(GetConditions(*router_, "/global/stations/71122.html").body), "Banff, Alberta");
  EXPECT_EQ(TitlePlace(GetConditions(*router_, "/global/stations/78862.html").body), "Vc Bird Int'L, Antigua");

  for (const std::string& number : Places::Get().StationNumbers()) {
    std::string place = TitlePlace(GetConditions(*router_, "/global/stations/" + number + ".html").body);
    std::string preset = place + " (O)";
    std::size_t comma = preset.find(',');
    ASSERT_NE(comma, std::string::npos) << number;
    std::string city = preset.substr(0, comma);
    for (char& c : city) {
      if (c == '_') c = ' ';
    }
    std::size_t paren = preset.find('(');
    std::string region = preset.substr(comma + 2, paren - (comma + 2)) + "(O)";
    ASSERT_TRUE(group_of.count(region)) << number << ": " << preset;
    const std::string group = group_of[region];
    const auto& keys = keys_of_group[group];
    ASSERT_TRUE(keys.count("*") || keys.count(region)) << preset;
    std::string found;
    for (const auto& row : stations) {
      if (row[0] != group || (row[1] != "*" && row[1] != region) || row[2] != city) continue;
      found = row[3];
      break;
    }
    EXPECT_EQ(found, number) << preset;
  }
}

TEST_F(PagesTest, UnknownAddressesAre404) {
  EXPECT_EQ(GetConditions(*router_, "/US/TX/Nowhere.html").status, 404);
  EXPECT_EQ(GetConditions(*router_, "/US/XX/Austin.html").status, 404);
  EXPECT_EQ(GetConditions(*router_, "/US/TX/Austin.htm").status, 404);
  EXPECT_EQ(GetConditions(*router_, "/US/Austin.html").status, 404);
  EXPECT_EQ(GetConditions(*router_, "/global/stations/99999.html").status, 404);
  EXPECT_EQ(GetConditions(*router_, "/global/stations/.html").status, 404);  // Bella Coola Arpt has no number
  EXPECT_EQ(GetConditions(*router_, "/cgi-bin/findweather/getForecast", "query=99999").status, 404);
  EXPECT_EQ(GetConditions(*router_, "/cgi-bin/findweather/getForecast", "query=787").status, 404);
  EXPECT_EQ(GetConditions(*router_, "/cgi-bin/findweather/getForecast", "").status, 404);
  EXPECT_EQ(GetConditions(*router_, "/nothing/here").status, 404);
  EXPECT_EQ(Get(*router_, "www.example.com", "/US/TX/Austin.html").status, 404);
  EXPECT_EQ(Get(*router_, hosts::kMaker, "/US/TX/Austin.html").status, 404);
  // Whatever was asked for comes back escaped in the 404 page.
  Reply reply = GetConditions(*router_, "/cgi-bin/findweather/getForecast", "query=<b>");
  EXPECT_EQ(reply.body.find("<b>"), std::string::npos);
  EXPECT_EQ(Get(*router_, "x", "/<script>").body.find("<script>"), std::string::npos);
  EXPECT_EQ(GetConditions(*router_, "/").status, 200);
}

TEST_F(PagesTest, SameHourSamePageOtherHoursOtherWeather) {
  const std::string path = "/US/TX/Austin.html";
  const std::string first = GetConditions(*router_, path, "", kWinterNoon).body;
  EXPECT_EQ(GetConditions(*router_, path, "", kWinterNoon + 3599).body, first);
  EXPECT_EQ(
      MakeDefaultRouter(kDefaultLatestVersion)->Route({"GET", hosts::kWeatherUnderground, path, "", kWinterNoon}).body,
      first);
  std::set<std::string> pages;
  for (int h = 0; h < 24; ++h) pages.insert(GetConditions(*router_, path, "", kWinterNoon + h * 3600).body);
  EXPECT_EQ(pages.size(), 24u);
  EXPECT_NE(GetConditions(*router_, "/US/TX/Dallas.html").body, first);
}

struct Values {
  int temperature, humidity, heatIndex;
};

Values ValuesOf(const std::string& page) {
  ConditionsRecord r = Parse(page, "page").Record;
  return {LeadingNumber(Trim(r.Temperature)), LeadingNumber(Trim(r.Humidity)),
          r.HeatIndex == "n/a" ? -999 : LeadingNumber(Trim(r.HeatIndex))};
}

TEST_F(PagesTest, WeatherIsPlausibleForPlaceAndSeason) {
  // Across every place and both seasons: values within bounds, heat index
  // only on hot humid hours, and summer warmer than winter up north.
  int hot_pages = 0;
  double kotzebue_winter = 0, kotzebue_summer = 0, miami_winter = 0;
  for (int h = 0; h < 24; ++h) {
    kotzebue_winter +=
        ValuesOf(GetConditions(*router_, "/US/AK/Kotzebue.html", "", kWinterNoon + h * 3600).body).temperature;
    kotzebue_summer +=
        ValuesOf(GetConditions(*router_, "/US/AK/Kotzebue.html", "", kSummerNoon + h * 3600).body).temperature;
    miami_winter += ValuesOf(GetConditions(*router_, "/US/FL/Miami.html", "", kWinterNoon + h * 3600).body).temperature;
  }
  EXPECT_GT(kotzebue_summer / 24, kotzebue_winter / 24 + 20);
  EXPECT_GT(miami_winter / 24, kotzebue_winter / 24 + 30);
  for (std::int64_t now : {kWinterNoon, kSummerNoon}) {
    for (const std::string& p : Places::Get().UsPaths()) {
      Values v = ValuesOf(GetConditions(*router_, "/" + p, "", now).body);
      int t = v.temperature;
      int rh = v.humidity;
      EXPECT_GE(t, -60) << p;
      EXPECT_LE(t, 125) << p;
      EXPECT_GE(rh, 0) << p;
      EXPECT_LE(rh, 100) << p;
      int heat = v.heatIndex;
      if (heat != -999) {
        ++hot_pages;
        EXPECT_GE(t, 80) << p;
        EXPECT_GE(heat, t) << p;
      }
    }
  }
  EXPECT_GT(hot_pages, 0);
}

std::vector<std::string> ForecastPeriods(const std::string& page) {
  std::vector<std::string> periods;
  std::size_t at = page.find("<!-- forecast -->");
  while ((at = page.find("<tr><td><font", at)) != std::string::npos) {
    at = page.find("<b>", at);
    std::size_t end = page.find("</b><br>", at);
    if (at == std::string::npos || end == std::string::npos) break;
    periods.push_back(page.substr(at + 3, end - at - 3));
    at = end;
  }
  return periods;
}

TEST_F(PagesTest, ForecastPeriodsFollowTheLocalClock) {
  // 2026-12-07 is a Monday; Austin keeps Central time, 6 hours behind UTC.
  const std::string path = "/US/TX/Austin.html";
  EXPECT_EQ(ForecastPeriods(GetConditions(*router_, path, "", kWinterNoon).body),
            (std::vector<std::string>{"Today", "Tonight", "Tuesday", "Tuesday Night", "Wednesday", "Wednesday Night"}));
  EXPECT_EQ(
      ForecastPeriods(GetConditions(*router_, path, "", kWinterNoon + 10 * 3600).body),
      (std::vector<std::string>{"Tonight", "Tuesday", "Tuesday Night", "Wednesday", "Wednesday Night", "Thursday"}));
  // Observed a few minutes before the hour, in local time; summer time in July.
  ParsedConditionsPage winter = Parse(GetConditions(*router_, path, "", kWinterNoon).body, "winter");
  EXPECT_TRUE(winter.Record.ObservedAt->starts_with("5:5")) << *winter.Record.ObservedAt;
  EXPECT_TRUE(winter.Record.ObservedAt->ends_with(" AM CST")) << *winter.Record.ObservedAt;
  ParsedConditionsPage summer = Parse(GetConditions(*router_, path, "", kSummerNoon).body, "summer");
  EXPECT_TRUE(summer.Record.ObservedAt->ends_with(" AM CDT")) << *summer.Record.ObservedAt;
}

TEST_F(PagesTest, MakerServerHasVersionAndCountFiles) {
  Reply version = Get(*router_, hosts::kMaker, "/assets/skyglassvs.txt");
  EXPECT_EQ(version.status, 200);
  std::size_t marker = version.body.find("Version#");
  ASSERT_NE(marker, std::string::npos);
  EXPECT_EQ(version.body.substr(marker + 8, 8), "1.30.6.3");
  EXPECT_EQ(
      MakeDefaultRouter("1.31.0.0")->Route({"GET", hosts::kMaker, "/assets/skyglassvs.txt", "", 0}).body.substr(8, 8),
      "1.31.0.0");
  EXPECT_EQ(Get(*router_, hosts::kMaker, "/assets/SkyglassCount.txt").status, 200);
}

TEST_F(PagesTest, CensusPopulationClocksAreGifPicturesOfTheFigure) {
  for (const char* path : {"/cgi-bin/ipc/pcwgif", "/cgi-bin/pcugifd.pl"}) {
    Reply r = router_->Route({"GET", hosts::kCensus, path, "1", kWinterNoon});
    ASSERT_EQ(r.status, 200) << path;
    EXPECT_EQ(r.contentType, "image/gif");
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(r.body.data());
    GifDecodeResult gif = DecodeGif({bytes, r.body.size()});
    EXPECT_TRUE(gif.ok) << path;
    EXPECT_EQ(gif.image.width, 360);
  }
  EXPECT_EQ(router_->Route({"GET", hosts::kCensus, "/cgi-bin/other", "", 0}).status, 404);
  EXPECT_EQ(WithThousands(6070000000ull), "6,070,000,000");
  EXPECT_EQ(WithThousands(999), "999");
  EXPECT_LT(UsPopulationAt(kWinterNoon), UsPopulationAt(kWinterNoon + 3600));
  EXPECT_GT(WorldPopulationAt(kWinterNoon), 6070000000ull);
}

TEST(SplitTargetTest, ProxyAndDirectForms) {
  auto t = SplitTarget("http://www.wunderground.com/US/TX/Austin.html", "");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->host, "www.wunderground.com");
  EXPECT_EQ(t->path, "/US/TX/Austin.html");
  EXPECT_EQ(t->query, "");

  t = SplitTarget("HTTP://WWW.Corvantis.COM:80/assets/skyglassvs.txt", "ignored.example");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->host, "www.corvantis.com");
  EXPECT_EQ(t->path, "/assets/skyglassvs.txt");

  t = SplitTarget("http://www.wunderground.com/cgi-bin/findweather/getForecast?query=78701", "");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->path, "/cgi-bin/findweather/getForecast");
  EXPECT_EQ(t->query, "query=78701");

  t = SplitTarget("http://www.wunderground.com", "");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->path, "/");
  t = SplitTarget("http://www.wunderground.com?x=1", "");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->path, "/");
  EXPECT_EQ(t->query, "x=1");

  t = SplitTarget("/assets/SkyglassCount.txt", "www.corvantis.com:8080");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->host, "www.corvantis.com");

  // No Host, or a Host naming this machine: the conditions server.
  for (const char* host : {"", "127.0.0.1:4000", "localhost", "[::1]:80"}) {
    t = SplitTarget("/US/CA/San%20Francisco.html", host);
    ASSERT_TRUE(t) << host;
    EXPECT_EQ(t->host, hosts::kWeatherUnderground) << host;
    EXPECT_EQ(t->path, "/US/CA/San Francisco.html");
  }

  EXPECT_FALSE(SplitTarget("", ""));
  EXPECT_FALSE(SplitTarget("*", ""));
  EXPECT_FALSE(SplitTarget("http:///path", ""));
  EXPECT_FALSE(SplitTarget("ftp://host/x", ""));
}

}  // namespace
}  // namespace sky::sample
