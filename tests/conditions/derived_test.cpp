#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "conditions/derived.h"

using namespace sky;

namespace {
std::string F(const char* n) { return std::string(n) + "\xB0 F"; }
}  // namespace

TEST(LabelNumber, ReadsTheLeadingNumberOfTheFirstThreeCharacters) {
  EXPECT_EQ(ReadLabelNumber("45\260F / 7\260C "), 45);
  EXPECT_EQ(ReadLabelNumber("100\260F"), 100);
  EXPECT_EQ(ReadLabelNumber("-5\260F"), -5);
  EXPECT_EQ(ReadLabelNumber("  +7 "), 7);
  EXPECT_EQ(ReadLabelNumber("1050"), 105);  // only three characters count
  EXPECT_EQ(ReadLabelNumber("-105"), -10);
  EXPECT_EQ(ReadLabelNumber("'12"), 0);  // apostrophe: two characters, no digit
  EXPECT_EQ(ReadLabelNumber("n/a"), 0);
  EXPECT_EQ(ReadLabelNumber(""), 0);
  EXPECT_EQ(ReadLabelNumber("-"), 0);
  EXPECT_EQ(ReadLabelNumber("\t\r\n 65% "), 65);
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(-3.5), -4);
  EXPECT_EQ(RoundHalfEven(105.92), 106);
  EXPECT_EQ(RoundHalfEven(-27.07), -27);
  EXPECT_EQ(DegreesFText(0), "0\xB0 F");
  EXPECT_EQ(DegreesFText(-27), "-27\xB0 F");
}

TEST(HeatIndex, ComputedOnlyWhenThePageHasNone) {
  EXPECT_EQ(ComputeHeatIndex("90\260F / 32\260C ", "70% ", "n/a"), F("106"));
  EXPECT_EQ(ComputeHeatIndex("90", "70", ""), F("106"));
  EXPECT_EQ(ComputeHeatIndex("90", "70", "?"), F("106"));  // one character is no value
  // A page value of two or more characters stays as it is, blanks included.
  EXPECT_EQ(ComputeHeatIndex("90", "70", " 95\260F "), " 95\260F ");
  EXPECT_EQ(ComputeHeatIndex("63", "44", " 70\260F"), " 70\260F");
  // Humidity is held to 0..100 before the regression.
  EXPECT_EQ(ComputeHeatIndex("90", "150", ""), ComputeHeatIndex("90", "100", ""));
  EXPECT_EQ(ComputeHeatIndex("90", "-20", ""), ComputeHeatIndex("90", "0", ""));
}

TEST(HeatIndex, BelowEightyDegreesTheAirTemperature) {
  EXPECT_EQ(ComputeHeatIndex("63\260F / 17\260C", "44%", "n/a"), F("63"));  // was 80
  EXPECT_EQ(ComputeHeatIndex("79", "90", ""), F("79"));
  EXPECT_EQ(ComputeHeatIndex("50\260F", "90%", "n/a"), F("50"));  // was 0
  EXPECT_EQ(ComputeHeatIndex("-5", "50", ""), F("-5"));
  EXPECT_EQ(ComputeHeatIndex("", "", ""), F("0"));
}

TEST(HeatIndex, FromEightyTheSimpleFormulaThenTheAdjustedRegression) {
  // The simple value averaged with the temperature stays below 80: 79.77.
  EXPECT_EQ(ComputeHeatIndex("80", "44", ""), F("80"));
  EXPECT_EQ(ComputeHeatIndex("80", "0", ""), F("78"));  // 77.7
  // Dry air: the regression less its adjustment (94.75 - 0.63).
  EXPECT_EQ(ComputeHeatIndex("100", "10", ""), F("94"));
  EXPECT_EQ(ComputeHeatIndex("100", "13", ""), F("95"));  // no adjustment at 13 %
  // Damp air up to 87 degrees: the regression plus its adjustment (87.19 + 2.1).
  EXPECT_EQ(ComputeHeatIndex("80", "100", ""), F("89"));
}

TEST(WindChill, SpeedDigitsAndFormula) {
  EXPECT_EQ(ComputeWindChill("20\260F / -7\260C ", "NW at 10 mph "), F("9"));  // 8.85
  EXPECT_EQ(ComputeWindChill("-5\260F", "NW at 10 mph"), F("-22"));
  EXPECT_EQ(ComputeWindChill("20", "Calm "), "n/a");
  EXPECT_EQ(ComputeWindChill("20", "n/a"), "n/a");
  EXPECT_EQ(ComputeWindChill("20", ""), "n/a");
  // No digit in the first nine characters: the first fourteen are searched.
  EXPECT_EQ(ComputeWindChill("20", "North at 12 mph"), ComputeWindChill("20", "NW at 12 mph"));
  EXPECT_EQ(ComputeWindChill("20", "Northwesterly at 12 mph"), "n/a");
  // A number that begins inside the window is read whole.
  EXPECT_EQ(ComputeWindChill("20", "NNW at 10 mph"), F("9"));
}

TEST(WindChill, TodaysFormulaAndItsLimits) {
  // The weather service's own table: 40 degrees in a 17 mph wind feels like 31
  // (the formula replaced in 2001 gave 21).
  EXPECT_EQ(ComputeWindChill("40\260F / 4\260C", "W at 17 mph"), F("31"));
  EXPECT_EQ(ComputeWindChill("40", "W at 17 mph G 30"), F("31"));
  // Below 50 degrees, above 3 mph.
  EXPECT_EQ(ComputeWindChill("50", "S at 10 mph"), F("50"));
  EXPECT_EQ(ComputeWindChill("49", "S at 10 mph"), F("45"));  // 44.80
  EXPECT_EQ(ComputeWindChill("30", "S at 3 mph"), F("30"));
  EXPECT_EQ(ComputeWindChill("30", "S at 4 mph"), F("26"));  // 25.77
  EXPECT_EQ(ComputeWindChill("20", "NW at 5 mph"), F("13"));
  EXPECT_EQ(ComputeWindChill("", "SW at 0 mph"), F("0"));
}

TEST(WindChill, TheSustainedSpeedNotTheGust) {
  // The gust used to be joined to the speed (512 mph).
  EXPECT_EQ(ComputeWindChill("20", "N 5 G 12 mph"), F("13"));
  EXPECT_EQ(ComputeWindChill("20", "N at 10 G 25"), F("9"));
}

TEST(WindChill, FromFiftyDegreesTheAirTemperature) {
  EXPECT_EQ(ComputeWindChill("95", "S at 13 mph"), F("95"));  // was 96
  EXPECT_EQ(ComputeWindChill("51", "S at 13 mph"), F("51"));
  EXPECT_EQ(ComputeWindChill("50", "S at 13 mph"), F("50"));  // was 37
}

TEST(WindChill, LongDigitRunsDoNotOverflow) {
  // Nine joined digits and the coldest readable temperature: still one
  // whole number of degrees.
  const std::string r = ComputeWindChill("-99", "999999999 mph");
  EXPECT_EQ(r, "-2176\xB0 F");
  ASSERT_GE(r.size(), 4u);
  EXPECT_EQ(r.substr(r.size() - 3), "\xB0 F");
  EXPECT_EQ(r.find_first_not_of("-0123456789"), r.size() - 3);
}

// The help describes what the two labels show; it must name the limits the
// computation uses, and those limits must be where the labels change.
TEST(DerivedValues, TheHelpDescribesTheLabelsLimits) {
  std::ifstream in(std::string(SKYGLASS_SOURCE_DIR) + "/help/main-window.html");
  ASSERT_TRUE(in) << "help/main-window.html";
  std::stringstream ss;
  ss << in.rdbuf();
  auto row = [text = ss.str()](const std::string& id) {
    const std::size_t start = text.find("<tr id=\"" + id + "\">");
    if (start == std::string::npos) return std::string();
    std::string r = text.substr(start, text.find("</tr>", start) - start);
    for (char& c : r)
      if (c == '\n') c = ' ';
    return r;
  };
  const std::string chill = row("wind-chill"), heat = row("heat-index");
  const std::string below = std::to_string(kWindChillBelowF) + " degrees F";
  EXPECT_NE(chill.find("colder than " + below), std::string::npos) << chill;
  EXPECT_NE(chill.find("At " + below + " and above"), std::string::npos) << chill;
  EXPECT_NE(chill.find("faster than " + std::to_string(kWindChillMaxCalmMph) + " mph"), std::string::npos) << chill;
  EXPECT_NE(chill.find("air temperature"), std::string::npos);
  EXPECT_NE(chill.find("\"n/a\""), std::string::npos);
  EXPECT_NE(heat.find("from " + std::to_string(kHeatIndexMinF) + " degrees F up"), std::string::npos) << heat;
  EXPECT_NE(heat.find("air temperature"), std::string::npos);

  const std::string t = std::to_string(kWindChillBelowF);
  const std::string fast = "W at " + std::to_string(kWindChillMaxCalmMph + 10) + " mph";
  EXPECT_EQ(ComputeWindChill(t, fast), F(t.c_str()));
  EXPECT_NE(ComputeWindChill(std::to_string(kWindChillBelowF - 1), fast),
            F(std::to_string(kWindChillBelowF - 1).c_str()));
  EXPECT_EQ(ComputeWindChill("20", "W at " + std::to_string(kWindChillMaxCalmMph) + " mph"), F("20"));
  EXPECT_EQ(ComputeWindChill("20", "Calm"), "n/a");
  const std::string h = std::to_string(kHeatIndexMinF - 1);
  EXPECT_EQ(ComputeHeatIndex(h, "90", "n/a"), F(h.c_str()));
  EXPECT_NE(ComputeHeatIndex(std::to_string(kHeatIndexMinF + 10), "90", "n/a"),
            F(std::to_string(kHeatIndexMinF + 10).c_str()));
}
