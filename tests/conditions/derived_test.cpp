#include <gtest/gtest.h>

#include "conditions/derived.h"

using namespace sky;

namespace {
std::string F(const char* n) { return std::string(n) + "\xB0 F"; }
}  // namespace

TEST(LabelNumber, ReadsTheLeadingNumberOfTheFirstThreeCharacters) {
  EXPECT_EQ(ReadLabelNumber("45\xB0" "F / 7\xB0" "C "), 45);
  EXPECT_EQ(ReadLabelNumber("100\xB0" "F"), 100);
  EXPECT_EQ(ReadLabelNumber("-5\xB0" "F"), -5);
  EXPECT_EQ(ReadLabelNumber("  +7 "), 7);
  EXPECT_EQ(ReadLabelNumber("1050"), 105);   // only three characters count
  EXPECT_EQ(ReadLabelNumber("-105"), -10);
  EXPECT_EQ(ReadLabelNumber("'12"), 0);      // apostrophe: two characters, no digit
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
  EXPECT_EQ(ComputeHeatIndex("90\xB0" "F / 32\xB0" "C ", "70% ", "n/a"), F("106"));
  EXPECT_EQ(ComputeHeatIndex("90", "70", ""), F("106"));
  EXPECT_EQ(ComputeHeatIndex("90", "70", "?"), F("106"));  // one character is no value
  // A page value of two or more characters stays as it is, blanks included.
  EXPECT_EQ(ComputeHeatIndex("90", "70", " 95\xB0" "F "), " 95\xB0" "F ");
  // Below 55 degrees, and for an empty temperature, 0.
  EXPECT_EQ(ComputeHeatIndex("50\xB0" "F", "90%", "n/a"), F("0"));
  EXPECT_EQ(ComputeHeatIndex("", "", ""), F("0"));
  EXPECT_EQ(ComputeHeatIndex("-40", "50", ""), F("0"));
  // Humidity is held to 0..100 before the regression.
  EXPECT_EQ(ComputeHeatIndex("90", "150", ""), ComputeHeatIndex("90", "100", ""));
  EXPECT_EQ(ComputeHeatIndex("90", "-20", ""), ComputeHeatIndex("90", "0", ""));
  // At 55 degrees the regression applies (and stays far from negative).
  EXPECT_EQ(ComputeHeatIndex("55", "0", ""), F("50"));  // 49.63
}

TEST(WindChill, SpeedDigitsAndFormula) {
  EXPECT_EQ(ComputeWindChill("20\xB0" "F / -7\xB0" "C ", "NW at 10 mph "), F("4"));
  EXPECT_EQ(ComputeWindChill("-5\xB0" "F", "NW at 10 mph"), F("-27"));
  EXPECT_EQ(ComputeWindChill("20", "Calm "), "n/a");
  EXPECT_EQ(ComputeWindChill("20", ""), "n/a");
  // Below 5 mph the air temperature is shown.
  EXPECT_EQ(ComputeWindChill("20", "NW at 3 mph"), F("20"));
  EXPECT_EQ(ComputeWindChill("", "SW at 0 mph"), F("0"));
  // No digit in the first nine characters: the first fourteen are searched.
  EXPECT_EQ(ComputeWindChill("20", "North at 12 mph"), ComputeWindChill("20", "NW at 12 mph"));
  EXPECT_EQ(ComputeWindChill("20", "Northwesterly at 12 mph"), "n/a");
  // All digits are joined: N 5 G 12 reads as 512.
  EXPECT_EQ(ComputeWindChill("20", "N 5 G 12 mph"), ComputeWindChill("20", "512"));
  // No upper limit on the temperature.
  EXPECT_EQ(ComputeWindChill("95", "S at 20 mph"), F("97"));
}

TEST(WindChill, LongDigitRunsDoNotOverflow) {
  // Nine joined digits and the coldest readable temperature give a chill of
  // about 3.9e9, beyond a 32-bit number; it must still print as one.
  const std::string r = ComputeWindChill("-99", "999999999 mph");
  EXPECT_EQ(r, "3887094997\xB0 F");
  ASSERT_GE(r.size(), 4u);
  EXPECT_EQ(r.substr(r.size() - 3), "\xB0 F");
  EXPECT_EQ(r.find_first_not_of("-0123456789"), r.size() - 3);
}
