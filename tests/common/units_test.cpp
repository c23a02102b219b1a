// The person's units: conversions at their edges, the locale's default, and
// what the texts of a conditions page become in each system.
#include <gtest/gtest.h>

#include "common/units.h"
#include "settings/settings_names.h"

namespace {

using sky::UnitSystem;
constexpr UnitSystem kUS = UnitSystem::US, kMetric = UnitSystem::Metric, kUK = UnitSystem::UK;

TEST(Units, ConversionEdges) {
  EXPECT_DOUBLE_EQ(sky::FahrenheitToCelsius(-40), -40);
  EXPECT_DOUBLE_EQ(sky::CelsiusToFahrenheit(-40), -40);
  EXPECT_EQ(sky::RoundWhole(sky::InHgToHPa(29.92)), 1013);
  EXPECT_EQ(sky::RoundWhole(sky::FahrenheitToCelsius(31)), -1);  // -0.56
  EXPECT_EQ(sky::RoundWhole(-0.4), 0);                           // never "-0"
  EXPECT_EQ(sky::ShowDegrees(-40, 'F', kMetric), "-40\260C");
  EXPECT_EQ(sky::ShowDegrees(32.4, 'F', kMetric), "0\260C");
  EXPECT_EQ(sky::ShowDegrees(37, 'C', kUS), "99\260F");  // 98.6
}

TEST(Units, TemperatureTextsTakeThePagesOwnScaleWhenItHasOne) {
  // The page rounded -2.2 to -2; converting 28 would give the same, but a page
  // value is the service's own rounding.
  EXPECT_EQ(sky::ShowTemperature("28\260F / -2\260C ", kMetric), "-2\260C");
  EXPECT_EQ(sky::ShowTemperature("28\260F / -2\260C ", kUK), "-2\260C");
  EXPECT_EQ(sky::ShowTemperature("28\260F / -2\260C ", kUS), "28\260F");
  // A derived value in degrees F alone is converted, or kept as it is.
  EXPECT_EQ(sky::ShowTemperature("106\260 F", kMetric), "41\260C");
  EXPECT_EQ(sky::ShowTemperature("106\260 F", kUS), "106\260 F");
  EXPECT_EQ(sky::ShowTemperature("-40\260C", kUS), "-40\260F");
  for (UnitSystem u : {kUS, kMetric, kUK}) {
    EXPECT_EQ(sky::ShowTemperature("n/a", u), "n/a");
    EXPECT_EQ(sky::ShowTemperature("N/A", u), "N/A");
    EXPECT_EQ(sky::ShowTemperature("", u), "");
  }
}

TEST(Units, PressureWindAndVisibility) {
  EXPECT_EQ(sky::ShowPressure("29.92 in ", kMetric), "1013 hPa");
  EXPECT_EQ(sky::ShowPressure("29.92 in ", kUK), "1013 hPa");
  EXPECT_EQ(sky::ShowPressure("29.92 in ", kUS), "29.92 in ");
  EXPECT_EQ(sky::ShowPressure("1013 hPa", kUS), "29.91 in");  // 29.914
  EXPECT_EQ(sky::ShowPressure("N/A", kMetric), "N/A");

  EXPECT_EQ(sky::ShowWind("NW at 12 mph ", kMetric), "NW at 19 km/h ");
  EXPECT_EQ(sky::ShowWind("NW at 12 mph ", kUK), "NW at 12 mph ");
  EXPECT_EQ(sky::ShowWind("N 5 G 12 mph", kMetric), "N 8 G 19 km/h");
  EXPECT_EQ(sky::ShowWind("S 5 to 10 mph", kMetric), "S 8 to 16 km/h");
  EXPECT_EQ(sky::ShowWind("W 20 km/h", kUK), "W 12 mph");
  for (UnitSystem u : {kUS, kMetric, kUK}) {
    EXPECT_EQ(sky::ShowWind("Calm", u), "Calm");
    EXPECT_EQ(sky::ShowWind("n/a", u), "n/a");
  }

  EXPECT_EQ(sky::ShowVisibility("10 miles", kMetric), "16 km");
  EXPECT_EQ(sky::ShowVisibility("10 miles", kUK), "10 miles");
  EXPECT_EQ(sky::ShowVisibility("0.25 mil", kMetric), "0.4 km");
  EXPECT_EQ(sky::ShowVisibility("16 km", kUS), "9.9 miles");
  EXPECT_EQ(sky::ShowVisibility("n/a", kMetric), "n/a");
}

TEST(Units, NamesAndTheLocalesDefault) {
  EXPECT_EQ(sky::ParseUnitSystem("us"), kUS);
  EXPECT_EQ(sky::ParseUnitSystem(" Metric"), kMetric);
  EXPECT_EQ(sky::ParseUnitSystem("UK"), kUK);
  EXPECT_FALSE(sky::ParseUnitSystem("imperial"));
  EXPECT_FALSE(sky::ParseUnitSystem("n/a"));
  for (UnitSystem u : {kUS, kMetric, kUK}) EXPECT_EQ(sky::ParseUnitSystem(sky::UnitSystemName(u)), u);

  EXPECT_EQ(sky::UnitSystemForLocale("en_US.UTF-8"), kUS);
  EXPECT_EQ(sky::UnitSystemForLocale("es_US"), kUS);
  EXPECT_EQ(sky::UnitSystemForLocale("en_US@euro"), kUS);
  EXPECT_EQ(sky::UnitSystemForLocale("en_GB.UTF-8"), kMetric);
  EXPECT_EQ(sky::UnitSystemForLocale("de_DE.UTF-8"), kMetric);
  EXPECT_EQ(sky::UnitSystemForLocale("C.UTF-8"), kMetric);
  EXPECT_EQ(sky::UnitSystemForLocale(""), kMetric);
}

TEST(Units, TheStoredChoiceElseTheLocale) {
  auto reader = [](std::string units, std::string notify) {
    return [=](const std::string& name) { return name == "Units" ? units : name == "WarnNotify" ? notify : "n/a"; };
  };
  const UnitSystem locale = sky::UnitSystemForLocale(sky::MeasurementLocaleName());
  EXPECT_EQ(sky::settings::ReadUnits(reader("UK", "n/a")), kUK);
  EXPECT_EQ(sky::settings::ReadUnits(reader("n/a", "n/a")), locale);
  EXPECT_EQ(sky::settings::ReadUnits(reader("", "n/a")), locale);  // "As the desktop"
  EXPECT_EQ(sky::settings::ReadUnits(reader("kelvin", "n/a")), locale);
  EXPECT_TRUE(sky::settings::WarningNoticesOn(reader("n/a", "n/a")));
  EXPECT_TRUE(sky::settings::WarningNoticesOn(reader("n/a", "y")));
  EXPECT_FALSE(sky::settings::WarningNoticesOn(reader("n/a", "n")));
}

}  // namespace
