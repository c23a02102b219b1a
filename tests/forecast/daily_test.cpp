// The seven-day forecast in the core: the gateway's answer read and written,
// the paths beside a conditions page, and the days as shown in each system.
#include <gtest/gtest.h>

#include "forecast/daily.h"

namespace {

using sky::DailyDay;
using sky::DailyForecast;
using sky::UnitSystem;

DailyForecast Sample() {
  DailyForecast f;
  f.place = "Rochester, New York";
  f.source = "National Weather Service";
  f.issued = "2025-01-05T23:02:33+00:00";
  f.days.push_back({"2025-01-05", "Tonight", std::nullopt, 19, 'F', "Snow Showers Likely", 60, "NW 7 to 13 mph"});
  f.days.push_back({"2025-01-06", "Monday", 23, 18, 'F', "Chance Snow Showers", 50, "NE 8 to 12 mph"});
  f.days.push_back({"2025-01-10", "Friday", 27, 18, 'F', "Partly Sunny", std::nullopt, ""});
  return f;
}

TEST(DailyAnswer, WrittenAndReadBackAlike) {
  const DailyForecast f = Sample();
  const std::string text = sky::WriteDailyAnswer(f);
  EXPECT_EQ(text.substr(0, text.find('\n')), sky::kDailySignature);
  EXPECT_NE(text.find("day\t2025-01-05\tTonight\tn/a\t19\tF\tSnow Showers Likely\t60\tNW 7 to 13 mph\n"),
            std::string::npos);
  const sky::DailyRead read = sky::ReadDailyAnswer(text);
  ASSERT_TRUE(read.forecast) << read.error;
  EXPECT_EQ(*read.forecast, f);

  // A text with a TAB or a line break cannot break the lines apart.
  DailyForecast odd = f;
  odd.place = "Odd\tPlace\nName";
  odd.days[0].sky = "Rain\tand\nSnow";
  const sky::DailyRead back = sky::ReadDailyAnswer(sky::WriteDailyAnswer(odd));
  ASSERT_TRUE(back.forecast);
  EXPECT_EQ(back.forecast->place, "Odd Place Name");
  EXPECT_EQ(back.forecast->days[0].sky, "Rain and Snow");
  EXPECT_EQ(back.forecast->days.size(), 3u);
}

TEST(DailyAnswer, StrangeAnswersAreRefusedOrReadCautiously) {
  EXPECT_EQ(sky::ReadDailyAnswer("<html>502 Bad Gateway</html>").error, "not a daily forecast");
  EXPECT_EQ(sky::ReadDailyAnswer("").error, "not a daily forecast");
  EXPECT_EQ(sky::ReadDailyAnswer(std::string(sky::kDailySignature) + "\nplace\tX\n").error, "no days");

  std::string text = std::string(sky::kDailySignature) + "\r\nsomething-new\tlater\r\n";
  for (int i = 0; i < 9; ++i) text += "day\t2025-01-0" + std::to_string(i + 1) + "\tD\t1\t0\tC\tClear\t0\tN 5 km/h\r\n";
  text += "day\t2025-01-01\tBad\t1\t0\tK\tClear\t0\tn/a\n";  // no known scale
  text += "day\ttoo\tfew\n";
  const sky::DailyRead read = sky::ReadDailyAnswer(text);
  ASSERT_TRUE(read.forecast);
  EXPECT_EQ(read.forecast->days.size(), 7u);  // seven at most
  EXPECT_EQ(read.forecast->days[0].wind, "N 5 km/h");
  EXPECT_EQ(read.forecast->days[0].unit, 'C');
}

TEST(DailyAnswer, PathsBesideTheConditionsPage) {
  EXPECT_EQ(sky::DailyPath("US/TX/Austin.html"), "daily/US/TX/Austin.txt");
  EXPECT_EQ(sky::DailyPath("global/stations/03772.html"), "daily/global/stations/03772.txt");
  EXPECT_EQ(sky::DailyPath("cgi-bin/findweather/getForecast?query=78701"), "daily/zip/78701.txt");
  EXPECT_EQ(sky::AlertsPath("US/NY/Rochester.html"), "alerts/US/NY/Rochester.txt");
  EXPECT_EQ(sky::AlertsPath("cgi-bin/findweather/getForecast?query=78701"), "alerts/zip/78701.txt");
  EXPECT_FALSE(sky::AlertsPath("global/stations/03772.html"));  // no warnings abroad
  EXPECT_FALSE(sky::DailyPath(""));
  EXPECT_FALSE(sky::DailyPath("cgi-bin/findweather/getForecast?query=1/../x"));
  EXPECT_FALSE(sky::DailyPath("images/radar.gif"));
}

TEST(DailyAnswer, DaysAsShownInEachSystem) {
  const DailyForecast f = Sample();
  sky::DailyRow tonight = sky::ShowDay(f.days[0], UnitSystem::US);
  EXPECT_EQ(tonight.name, "Tonight");
  EXPECT_EQ(tonight.highLow, "Low 19\260F");  // a night has no high
  EXPECT_EQ(tonight.precipitation, "Precip. 60%");
  EXPECT_EQ(tonight.wind, "Wind NW 7 to 13 mph");
  EXPECT_EQ(tonight.icon, 10);  // snow

  sky::DailyRow metric = sky::ShowDay(f.days[1], UnitSystem::Metric);
  EXPECT_EQ(metric.highLow, "High -5\260C  Low -8\260C");
  EXPECT_EQ(metric.wind, "Wind NE 13 to 19 km/h");
  sky::DailyRow uk = sky::ShowDay(f.days[1], UnitSystem::UK);
  EXPECT_EQ(uk.highLow, "High -5\260C  Low -8\260C");
  EXPECT_EQ(uk.wind, "Wind NE 8 to 12 mph");

  sky::DailyRow friday = sky::ShowDay(f.days[2], UnitSystem::US);
  EXPECT_EQ(friday.precipitation, "");  // the service gave no chance
  EXPECT_EQ(friday.wind, "");
  EXPECT_EQ(friday.icon, 11);  // "Partly Sunny" is a sun

  const DailyDay celsius{"2025-04-15", "Tuesday", 21, 13, 'C', "Overcast", 10, "ESE 21 km/h"};
  EXPECT_EQ(sky::ShowDay(celsius, UnitSystem::US).highLow, "High 70\260F  Low 55\260F");
  EXPECT_EQ(sky::ShowDay(celsius, UnitSystem::US).wind, "Wind ESE 13 mph");
}

TEST(DailyAnswer, StaleText) {
  EXPECT_EQ(sky::StaleText(7800), "stale: the forecast is 2 h 10 min old");
  EXPECT_EQ(sky::StaleText(300), "stale: the forecast is 5 min old");
}

}  // namespace
