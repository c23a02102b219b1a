// The daily forecast's and the warnings' live sources, decoded from answers
// the services really gave (tests/data/gateway/README.md names them), and the
// program reading what the gateway writes from them.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "conditions/htmlp.h"
#include "gateway/daily_sources.h"
#include "gateway/open_meteo.h"

namespace sky::gateway {
namespace {

using nlohmann::json;

json Recorded(const std::string& name) {
  std::ifstream in(std::string(SKYGLASS_TEST_DATA) + "/gateway/" + name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return json::parse(s.str(), nullptr, false);
}

TEST(DailySources, GridpointForecastInTheEveningStartsWithTonight) {
  const json recorded = Recorded("nws/gridpoint_forecast_buf.json");
  ASSERT_FALSE(recorded.is_discarded());
  std::optional<DailyForecast> f = DecodeNwsDailyForecast(recorded, "Rochester, New York");
  ASSERT_TRUE(f);
  EXPECT_EQ(f->source, "National Weather Service");
  EXPECT_EQ(f->issued, "2025-01-05T23:02:33+00:00");
  ASSERT_EQ(f->days.size(), 7u);  // 14 periods, tonight and six days
  EXPECT_EQ(f->days[0],
            (DailyDay{"2025-01-05", "Tonight", std::nullopt, 19, 'F', "Snow Showers Likely", 60, "NW 7 to 13 mph"}));
  EXPECT_EQ(f->days[1], (DailyDay{"2025-01-06", "Monday", 23, 18, 'F', "Chance Snow Showers", 50, "NE 8 to 12 mph"}));
  EXPECT_EQ(f->days[5].name, "Friday");
  EXPECT_EQ(f->days[5].precipitation, std::nullopt);  // the service's null
  EXPECT_EQ(f->days[6].name, "Saturday");
  EXPECT_EQ(f->days[6].low, 20);

  // What the gateway writes is what the program reads.
  const DailyRead read = ReadDailyAnswer(WriteDailyAnswer(*f));
  ASSERT_TRUE(read.forecast);
  EXPECT_EQ(*read.forecast, *f);
}

TEST(DailySources, OpenMeteoDailyValuesWithCodesAsWordsAndItsCredit) {
  const json berlin = Recorded("openmeteo/daily_berlin.json");
  // 10:00 at the place (UTC+2) on its first day.
  std::optional<DailyForecast> f = DecodeOpenMeteoDaily(berlin, "Berlin, Germany", 1744704000);
  ASSERT_TRUE(f);
  EXPECT_NE(f->source.find("Open-Meteo.com"), std::string::npos);
  ASSERT_EQ(f->days.size(), 4u);  // the recording asked for four
  EXPECT_EQ(f->days[0], (DailyDay{"2025-04-15", "Today", 21, 13, 'C', "Overcast", 10, "ESE 21 km/h"}));
  EXPECT_EQ(f->days[1].name, "Wednesday");
  EXPECT_EQ(f->days[3].wind, "NNE 13 km/h");  // 18 degrees, 12.5 km/h

  // 19:00 at the place: tonight, without the day's past high.
  std::optional<DailyForecast> evening = DecodeOpenMeteoDaily(berlin, "Berlin, Germany", 1744736400);
  ASSERT_TRUE(evening);
  EXPECT_EQ(evening->days[0].name, "Tonight");
  EXPECT_FALSE(evening->days[0].high);
  EXPECT_EQ(evening->days[0].low, 13);

  const json paris = Recorded("openmeteo/daily_paris.json");
  std::optional<DailyForecast> p = DecodeOpenMeteoDaily(paris, "Paris, France", 1724068800);
  ASSERT_TRUE(p);
  ASSERT_EQ(p->days.size(), 7u);
  EXPECT_EQ(p->days[1], (DailyDay{"2024-08-20", "Tuesday", 23, 15, 'C', "Light Rain Showers", 94, ""}));
  // A day before the place's date is over and left out.
  std::optional<DailyForecast> later = DecodeOpenMeteoDaily(paris, "Paris, France", 1724068800 + 86400);
  ASSERT_TRUE(later);
  EXPECT_EQ(later->days.size(), 6u);
  EXPECT_EQ(later->days[0].name, "Today");

  EXPECT_FALSE(DecodeOpenMeteoDaily(json::parse(R"({"error":true,"reason":"x"})"), "X", 0));
  EXPECT_FALSE(DecodeNwsDailyForecast(json::parse(R"({"properties":{"periods":[]}})"), "X"));
}

TEST(DailySources, WeatherCodesAndCompassPoints) {
  // The conditions page and the daily forecast read the same table.
  EXPECT_EQ(WmoCodeWords(1), "Mostly Clear");
  EXPECT_EQ(WmoCodeWords(55), "Heavy Drizzle");
  EXPECT_EQ(WmoCodeWords(99), "Thunderstorm with Hail");
  EXPECT_EQ(WmoCodeWords(4), std::nullopt);
  // Every code the table knows gets a sky picture.
  for (int code = 0; code < 100; ++code) {
    if (const std::optional<std::string> words = WmoCodeWords(code)) {
      EXPECT_NE(SkyIconFor(*words), 0) << code << " " << *words;
    }
  }
  // A day whose code is unknown shows no sky words rather than a made-up one.
  const json daily =
      json::parse(R"({"daily_units":{"temperature_2m_max":"\u00b0C"},"daily":{"time":["2030-01-01","2030-01-02"],)"
                  R"("temperature_2m_max":[5,6],"temperature_2m_min":[1,2],"weather_code":[42,61]}})");
  std::optional<DailyForecast> f = DecodeOpenMeteoDaily(daily, "X", 0);
  ASSERT_TRUE(f);
  ASSERT_EQ(f->days.size(), 2u);
  EXPECT_EQ(f->days[0].sky, "");
  EXPECT_EQ(f->days[1].sky, "Light Rain");
  EXPECT_EQ(CompassPoint(0), "N");
  EXPECT_EQ(CompassPoint(359), "N");
  EXPECT_EQ(CompassPoint(111), "ESE");
  EXPECT_EQ(CompassPoint(-90), "W");
}

TEST(DailySources, AlertsByPointKeepOnlyActualOnes) {
  const json recorded = Recorded("nws/alerts_point_abq.json");
  std::vector<Alert> alerts = DecodeNwsAlerts(recorded);
  ASSERT_EQ(alerts.size(), 2u);
  EXPECT_EQ(alerts[0].id, "NWS-IDP-PROD-2587691");
  EXPECT_EQ(alerts[0].event, "Special Weather Statement");
  EXPECT_EQ(alerts[0].expires, "2017-12-06T11:00:00+00:00");
  EXPECT_TRUE(alerts[0].ends.empty());  // the service's null
  // Statements are no warnings: nothing to announce, no mark.
  EXPECT_FALSE(IsActiveWarning(alerts[0], 1512515096));

  json test = recorded;
  test["features"][0]["properties"]["status"] = "Test";
  EXPECT_EQ(DecodeNwsAlerts(test).size(), 1u);

  const AlertsRead read = ReadAlertsAnswer(WriteAlertsAnswer("Grants, New Mexico", alerts));
  ASSERT_TRUE(read.alerts);
  EXPECT_EQ(*read.alerts, alerts);
}

}  // namespace
}  // namespace sky::gateway
