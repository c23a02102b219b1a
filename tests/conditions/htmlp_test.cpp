#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "conditions/htmlp.h"

using namespace sky;
using namespace std::string_literals;

namespace {

class Recorder : public IMessagePort {
 public:
  void ShowMessage(const std::string& text) override { shown.push_back(text); }
  void ShowError(const std::string& text) override { shown.push_back("error: " + text); }
  bool Confirm(const std::string& text) override {
    shown.push_back("confirm: " + text);
    return true;
  }
  void Beep() override {}
  std::vector<std::string> shown;
};

const std::string kHead =
    "<html><head><title>The Weather Underground: Testville, Texas Weather</title></head>\n"
    "<body>Updated: <b>7:50 PM PST on December 5, 1998</b>\n";

// The observation rows in the layout of the service: "key", line break,
// value, line break; every tag disappears and every break becomes a blank.
std::string Rows(const std::vector<std::pair<std::string, std::string>>& rows) {
  std::string s = "<table>\n";
  for (const auto& [k, v] : rows) s += "<tr><td>" + k + "</td>\n<td>" + v + "</td></tr>\n";
  return s + "</table></body></html>\n";
}

const std::vector<std::pair<std::string, std::string>> kFullRows = {
    {"Temperature", "<b>45</b>&#176;F / <b>7</b>&#176;C"},
    {"Humidity", "65%"},
    {"Wind", "NW at 10 mph"},
    {"Pressure", "30.05&nbsp;in"},
    {"Conditions", "<b>Partly Cloudy</b>"},
    {"Visibility", "10&nbsp;miles"},
    {"Sunrise", "6:58 AM"},
    {"Sunset", "4:51 PM"},
    {"Moon Rise", "10:02 PM"},
    {"Moon Set", "11:40 AM"},
    {"Moon Phase", "<img src=\"m.gif\">"},
};

std::vector<std::pair<std::string, std::string>> Without(const std::string& key) {
  auto rows = kFullRows;
  std::erase_if(rows, [&](const auto& r) { return r.first == key; });
  return rows;
}

ParsedConditionsPage Parse(const std::string& page, Recorder* rec = nullptr) {
  Recorder local;
  return ParseConditionsPage(page, rec ? *rec : local);
}

std::string ReadSample() {
  std::ifstream f(SKYGLASS_SOURCE_DIR "/tools/sample-pages/conditions.html", std::ios::binary);
  std::ostringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

}  // namespace

TEST(ConditionsParser, ReadsEveryValueOfAWellFormedPage) {
  Recorder msgs;
  const auto p = Parse(kHead + Rows(kFullRows), &msgs);
  const ConditionsRecord& r = p.Record;
  EXPECT_TRUE(msgs.shown.empty());
  EXPECT_EQ(p.PageLocationName, "Testville, Texas");
  EXPECT_EQ(r.ObservedAt, "7:50 PM PST");
  EXPECT_EQ(r.Temperature, "45\260F / 7\260C ");  // not trimmed
  EXPECT_EQ(r.HeatIndex, "n/a");
  EXPECT_EQ(r.Humidity, "65% ");
  EXPECT_EQ(r.Wind, "NW at 10 mph ");
  EXPECT_EQ(r.Pressure, "30.05 in ");
  EXPECT_EQ(r.Sky, "Partly Cloudy");
  EXPECT_EQ(r.Visibility, "10 miles");
  // These four keys are followed directly by their value: the separator stays.
  EXPECT_EQ(r.Sunrise, " 6:58 AM ");
  EXPECT_EQ(r.Sunset, " 4:51 PM ");
  EXPECT_EQ(r.MoonRise, " 10:02 PM ");
  EXPECT_EQ(r.MoonSet, " 11:40 AM ");
  EXPECT_EQ(r.TrayTip, "Partly Cloudy && 45\260F / 7\260C ");
  EXPECT_EQ(r.SkyIcon, 4);
}

TEST(ConditionsParser, MalformedPagesShowTheirMessagesInOrder) {
  {  // no "Underground:": P1 then P2, nothing set
    Recorder msgs;
    const auto p = Parse("<html>Updated: <b>x</b> Temperature 45 Humidity 65%</html>", &msgs);
    EXPECT_EQ(msgs.shown, (std::vector<std::string>{kParseErrorP1, kParseErrorP2}));
    EXPECT_FALSE(p.PageLocationName.has_value());
    EXPECT_EQ(p.Record, ConditionsRecord{});
  }
  {  // no "Updated:": P2 only; the place from the title is still reported
    Recorder msgs;
    const auto p = Parse("<title>Weather Underground: Testville, Texas Weather</title>" + Rows(kFullRows), &msgs);
    EXPECT_EQ(msgs.shown, std::vector<std::string>{kParseErrorP2});
    EXPECT_EQ(p.PageLocationName, "Testville, Texas");
    EXPECT_EQ(p.Record, ConditionsRecord{});
  }
  {  // "Updated:" right at the ninth character after the colon counts as missing
    Recorder msgs;
    const auto p = Parse("Underground:12345678Updated: <b>7:50 PM on x" + Rows(kFullRows), &msgs);
    EXPECT_EQ(msgs.shown, std::vector<std::string>{kParseErrorP2});
    EXPECT_EQ(p.Record, ConditionsRecord{});
  }
  {  // no "Temperature": P3, only the observation time is kept
    Recorder msgs;
    const auto p = Parse(kHead + Rows(Without("Temperature")), &msgs);
    EXPECT_EQ(msgs.shown, std::vector<std::string>{kParseErrorP3});
    ConditionsRecord expected;
    expected.ObservedAt = "7:50 PM PST";
    EXPECT_EQ(p.Record, expected);
  }
  EXPECT_EQ(std::string(kParseErrorP3), "Error (P3) occurred parsing data.  Please try again in a few minutes.");
}

TEST(ConditionsParser, TitleAndHeaderCuts) {
  // No "Weather" after the colon: an empty place, but a found one.
  EXPECT_EQ(Parse("Underground:  Nowhere  12Updated: <b>1 on" + Rows(kFullRows)).PageLocationName, "");
  // Without " on" the thirteen characters from position 14 are taken, trimmed.
  const auto p = Parse(
      "<title>Weather Underground: Testville, Texas Weather</title>"
      "Updated: <b>10:53 AM EST\n</b>" +
      Rows(kFullRows));
  EXPECT_EQ(p.Record.ObservedAt, "10:53 AM EST");
  // A page that says "Conditions at" keeps the previous header and reads its
  // values from everything after the title's colon.
  const auto q = Parse(
      "<title>Weather Underground: Testville, Texas Weather</title>"
      "<h1>Conditions at 7:50 PM</h1>\n" +
      Rows(kFullRows));
  EXPECT_FALSE(q.Record.ObservedAt.has_value());
  EXPECT_EQ(q.Record.Humidity, "65% ");
  // ...including a "Conditions" that is only the header's: the sky is then
  // cut after it, a fault of such pages the parser does not repair.
  EXPECT_EQ(q.Record.Sky.substr(0, 2), "at");
}

TEST(ConditionsParser, ValueBoundaries) {
  // The temperature ends at the heat index when that comes first.
  auto rows = kFullRows;
  rows.insert(rows.begin() + 1, {"HeatIndex", "95&#176;F"});
  auto p = Parse(kHead + Rows(rows));
  EXPECT_EQ(p.Record.Temperature, "45\260F / 7\260C ");
  EXPECT_EQ(p.Record.HeatIndex, "95\260F ");

  // "HeatIndex" after "Humidity": the temperature ends at "Humidity" and the
  // heat index has a negative count.
  rows = kFullRows;
  rows.insert(rows.begin() + 2, {"HeatIndex", "95&#176;F"});
  p = Parse(kHead + Rows(rows));
  EXPECT_EQ(p.Record.Temperature, "45\260F / 7\260C ");
  EXPECT_EQ(p.Record.HeatIndex, "");

  // A missing end key empties the value before it; the missing key is "n/a".
  p = Parse(kHead + Rows(Without("Sunset")));
  EXPECT_EQ(p.Record.Sunrise, "");
  EXPECT_EQ(p.Record.Sunset, "n/a");
  EXPECT_EQ(p.Record.MoonRise, " 10:02 PM ");

  p = Parse(kHead + Rows(Without("Humidity")));
  EXPECT_EQ(p.Record.Humidity, "n/a");
  EXPECT_EQ(p.Record.Temperature, "");  // its end key is gone

  // Humidity and visibility have fixed widths, cut short at the end.
  p = Parse(kHead + "Temperature 1 Humidity 100% Visibility 2 mi");
  EXPECT_EQ(p.Record.Humidity, "100%");
  EXPECT_EQ(p.Record.Visibility, "2 mi");
}

TEST(ConditionsParser, SkyWithoutVisibility) {
  // Without "Visibility" and without " Up" close behind, 19 characters.
  auto p = Parse(kHead + "Temperature 5 Humidity 1 Conditions Light Snow And Blowing Snow Later");
  EXPECT_EQ(p.Record.Sky, "Light Snow And Blow");
  EXPECT_EQ(p.Record.Visibility, "n/a");
  EXPECT_EQ(p.Record.SkyIcon, 10);
  // " Up" within the window ends it.
  p = Parse(kHead + "Temperature 5 Humidity 1 Conditions Fog Up to date");
  EXPECT_EQ(p.Record.Sky, "Fog");
  EXPECT_EQ(p.Record.SkyIcon, 1);
  // No "Conditions": no sky, and the tray keeps its tip and picture.
  p = Parse(kHead + Rows(Without("Conditions")));
  EXPECT_EQ(p.Record.Sky, "n/a");
  EXPECT_FALSE(p.Record.TrayTip.has_value());
  EXPECT_FALSE(p.Record.SkyIcon.has_value());
  EXPECT_EQ(p.Record.Pressure, "");  // its end key is gone
}

TEST(ConditionsParser, SkyKeywordOrder) {
  EXPECT_EQ(SkyIconFor("Mostly Sunny"), 11);  // "sun" before "mostly cloud"
  EXPECT_EQ(SkyIconFor("CLEAR"), 11);
  EXPECT_EQ(SkyIconFor("Mostly Cloudy"), 3);
  EXPECT_EQ(SkyIconFor("Scattered Clouds"), 4);
  EXPECT_EQ(SkyIconFor("Partly Cloudy"), 4);
  EXPECT_EQ(SkyIconFor("Cloudy"), 12);
  EXPECT_EQ(SkyIconFor("Thunderstorm Rain"), 2);
  EXPECT_EQ(SkyIconFor("Light Rain Mist"), 9);  // "rain" before "mist"
  EXPECT_EQ(SkyIconFor("Fair"), 0);
  EXPECT_EQ(SkyIconFor("\311CLAIRCIE"), 0);  // only A..Z are lower-cased
}

TEST(PlainTextPass, MapsEntitiesAndControls) {
  EXPECT_EQ(PlainTextOf("a_b"), "a b");
  EXPECT_EQ(PlainTextOf("a\r\nb"), "a  b");
  EXPECT_EQ(PlainTextOf("\t\v\f\b"s + '\0'), "     ");
  EXPECT_EQ(PlainTextOf("5&#176;F"), "5\260F");
  EXPECT_EQ(PlainTextOf("1&nbsp;2 nbsp;"), "1 2  ");
  EXPECT_EQ(PlainTextOf("A&amp;B"), "Aamp;B");
  EXPECT_EQ(PlainTextOf("#FF0000x"), "\26000x");
  EXPECT_EQ(PlainTextOf("x#12"), "x\xB0");  // the skip stops at the end
  EXPECT_EQ(PlainTextOf("nbsp"), "nbsp");
  EXPECT_EQ(PlainTextOf("a<b>c</b>d"), "acd");
  EXPECT_EQ(PlainTextOf("keep <unclosed and the rest"), "keep ");
  EXPECT_EQ(PlainTextOf("a>b"), "a>b");
  EXPECT_EQ(PlainTextOf("\xE9\xFF"), "\xE9\xFF");
}

TEST(ConditionsParserRobustness, AnyBytesNeverCrash) {
  const std::vector<std::string> odd = {
      "",
      "<",
      ">",
      "#",
      "&",
      "Underground:",
      "Underground:<",
      "Underground:Updated:",
      "Underground:12345678 Updated:",
      "Underground:123456789Updated: on",
      std::string(1, '\0'),
      std::string(100, '\0') + "Underground:" + std::string(50, '\0'),
      "Underground: x Weather Updated: <b Temperature",
      kHead + "Temperature",
      kHead + "Conditions Temperature",
      kHead + "Temperature Conditions",
      kHead + "TemperatureHeatIndexHumidityWindPressureConditionsVisibilitySunriseSunsetMoon RiseMoon SetMoon Phase",
      std::string(5000, '<'),
      std::string(5000, '#'),
      std::string(5000, '\xFF')};
  for (const auto& page : odd) {
    Recorder msgs;
    EXPECT_NO_FATAL_FAILURE(ParseConditionsPage(page, msgs));
    EXPECT_LE(msgs.shown.size(), 2u);
  }

  // Every prefix length class of a real page, and random bytes seeded with
  // the key words so that the parse gets deep.
  const std::string sample = ReadSample();
  for (std::size_t n = 0; n < sample.size(); n += 89) Parse(sample.substr(0, n));

  const std::vector<std::string> words = {"Underground:", "Weather",     "Updated:",   "Conditions at",
                                          " on",          "Temperature", "HeatIndex",  "Humidity",
                                          "Wind",         "Pressure",    "Conditions", "Visibility",
                                          "Sunrise",      "Sunset",      "Moon Rise",  "Moon Set",
                                          "Moon Phase",   " Up",         "<",          ">",
                                          "&#176;",       "&nbsp;",      "#",          "_",
                                          "<b>"};
  std::mt19937 rng(12345);
  for (int i = 0; i < 2000; ++i) {
    std::string page;
    const int parts = static_cast<int>(rng() % 40);
    for (int k = 0; k < parts; ++k) {
      if (rng() % 2) {
        page += words[rng() % words.size()];
      } else {
        for (int b = static_cast<int>(rng() % 6); b > 0; --b) page.push_back(static_cast<char>(rng()));
      }
    }
    const auto p = Parse(page);
    if (p.Record.SkyIcon) {
      EXPECT_GE(*p.Record.SkyIcon, 0);
      EXPECT_LE(*p.Record.SkyIcon, 12);
    }
    if (p.Record.Humidity != "n/a") {
      EXPECT_LE(p.Record.Humidity.size(), 4u);
    }
    if (p.Record.Visibility != "n/a") {
      EXPECT_LE(p.Record.Visibility.size(), 8u);
    }
  }
}
