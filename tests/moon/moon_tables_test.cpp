// The shipped moon tables: the values they must reproduce, their layout for
// every year, and the checks that keep a damaged table out.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "conditions/moon.h"
#include "data/moon/moon_data.h"

using sky::MoonTables;

namespace {

std::string Squeeze(std::string s) {
  std::erase(s, ' ');
  return s;
}

std::string Row(const MoonTables& t, int year, int day) {
  const std::string* text = t.Year(year);
  if (!text) return {};
  return text->substr(MoonTables::kRowLength * static_cast<std::size_t>(day - 1), MoonTables::kRowLength);
}

bool RealDate(int y, int m, int d) {
  return std::chrono::year_month_day{std::chrono::year{y}, std::chrono::month{static_cast<unsigned>(m)},
                                     std::chrono::day{static_cast<unsigned>(d)}}
      .ok();
}

// A well-formed table text for one year with every real day at `value`.
std::string YearText(int year, const std::string& value = "0.50") {
  std::string s = std::to_string(year) + "\n";
  for (int d = 1; d <= 31; ++d) {
    char label[8];
    std::snprintf(label, sizeof label, "%04d", d);
    s += label;
    for (int m = 1; m <= 12; ++m) s += RealDate(year, m, d) ? value : (year < 2000 ? "9.99" : "0.00");
    s += "\n";
  }
  s += "9999" + std::string(48, ' ') + "\n";
  for (int i = 0; i < 12; ++i) s.replace(s.size() - 49 + 4 * i, 4, "9.99");
  return s;
}

}  // namespace

TEST(MoonTables, ReproduceTheRowsOfTheOlderTables) {
  const MoonTables& t = MoonTables::Shipped();
  EXPECT_EQ(Row(t, 1998, 1), Squeeze("0001 0.07 0.19 0.08 0.21 0.26 0.40 0.43 0.55 0.67 0.71 0.85 0.90"));
  EXPECT_EQ(Row(t, 1998, 2), Squeeze("0002 0.13 0.28 0.15 0.31 0.36 0.49 0.52 0.64 0.77 0.81 0.93 0.96"));
  EXPECT_EQ(Row(t, 1998, 13), Squeeze("0013 1.00 0.98 1.00 0.99 0.98 0.92 0.87 0.71 0.51 0.44 0.31 0.29"));
  EXPECT_EQ(Row(t, 1998, 29), Squeeze("0029 0.01 9.99 0.01 0.09 0.13 0.24 0.27 0.39 0.51 0.55 0.72 0.78"));
  EXPECT_EQ(Row(t, 1998, 31), Squeeze("0031 0.10 9.99 0.12 9.99 0.30 9.99 0.45 0.58 9.99 0.76 9.99 0.94"));
  EXPECT_EQ(Row(t, 1998, 32), Squeeze("9999 9.99 9.99 9.99 9.99 9.99 9.99 9.99 9.99 9.99 9.99 9.99 9.99"));
  EXPECT_EQ(Row(t, 2000, 30), Squeeze("0030 0.34 0.00 0.32 0.20 0.17 0.05 0.02 0.01 0.06 0.08 0.15 0.16"));
  EXPECT_EQ(Row(t, 2000, 31), Squeeze("0031 0.26 0.00 0.23 0.00 0.09 0.00 0.00 0.04 0.00 0.14 0.00 0.23"));
}

TEST(MoonTables, ReproduceTheSingleValuesOfTheOlderTables) {
  struct Case {
    int y, m, d;
    const char* value;
  };
  const Case cases[] = {
      {1998, 1, 13, "1.00"},  {1998, 1, 2, "0.13"},   {1998, 1, 3, "0.22"},   {1998, 12, 15, "0.14"},
      {1998, 12, 16, "0.08"}, {1998, 12, 19, "0.00"}, {1998, 12, 21, "0.04"}, {1998, 2, 28, "0.02"},
      {1998, 3, 1, "0.08"},   {1998, 1, 31, "0.10"},  {1998, 2, 1, "0.19"},   {2001, 2, 28, "0.20"},
      {2001, 3, 1, "0.29"},
  };
  const MoonTables& t = MoonTables::Shipped();
  for (const Case& c : cases) EXPECT_EQ(t.Cell(c.y, c.m, c.d), c.value) << c.y << "-" << c.m << "-" << c.d;
}

TEST(MoonTables, EveryShippedYearHasTheFixedLayout) {
  const MoonTables& t = MoonTables::Shipped();
  ASSERT_EQ(t.FirstYear(), 1998);
  ASSERT_EQ(t.LastYear(), 2100);
  for (int y = 1998; y <= 2100; ++y) {
    const std::string* text = t.Year(y);
    ASSERT_NE(text, nullptr) << y;
    ASSERT_EQ(text->size(), 1664u) << y;
    for (int d = 1; d <= 31; ++d) {
      char label[8];
      std::snprintf(label, sizeof label, "%04d", d);
      ASSERT_EQ(Row(t, y, d).substr(0, 4), label) << y;
      for (int m = 1; m <= 12; ++m) {
        const std::string v = t.Cell(y, m, d);
        if (RealDate(y, m, d)) {
          ASSERT_TRUE(v.size() == 4 && v[1] == '.' && v <= "1.00" && v >= "0.00") << y << "-" << m << "-" << d;
        } else {
          ASSERT_EQ(v, y < 2000 ? "9.99" : "0.00") << y << "-" << m << "-" << d;
        }
      }
    }
    ASSERT_EQ(Row(t, y, 32), "9999" + std::string("9.99") + "9.99" + "9.99" + "9.99" + "9.99" + "9.99" + "9.99" +
                                 "9.99" + "9.99" + "9.99" + "9.99" + "9.99")
        << y;
  }
  EXPECT_EQ(t.Year(1997), nullptr);
  EXPECT_EQ(t.Year(2101), nullptr);
}

// A wrong term in the lunar or solar series shows as jumps or a wrong count
// of new moons long before it shows in a single value.
TEST(MoonTables, FollowTheLunarCycleInEveryYear) {
  const MoonTables& t = MoonTables::Shipped();
  std::vector<int> series;
  for (int y = 1998; y <= 2100; ++y)
    for (int m = 1; m <= 12; ++m)
      for (int d = 1; d <= 31; ++d)
        if (RealDate(y, m, d)) series.push_back(std::stoi(t.Cell(y, m, d).erase(1, 1)));
  int newMoons = 0;
  for (std::size_t i = 1; i < series.size(); ++i) {
    ASSERT_LE(std::abs(series[i] - series[i - 1]), 16) << "day " << i;
    if (i + 1 < series.size() && series[i] < series[i - 1] && series[i] <= series[i + 1]) ++newMoons;
  }
  // 103 years of 365.2425 days over a synodic month of 29.530589 days.
  const double expected = 103 * 365.2425 / 29.530589;
  EXPECT_NEAR(newMoons, expected, 1.5);
}

TEST(MoonTables, EmbeddedTextParsesLikeTheShippedTables) {
  std::string why;
  const auto parsed = MoonTables::Parse(sky::moon_data::TablesText(), &why);
  ASSERT_TRUE(parsed) << why;
  EXPECT_EQ(*parsed->Year(2050), *MoonTables::Shipped().Year(2050));
  // The built-in tables are indexed by stride from their first year alone.
  const MoonTables& shipped = MoonTables::Shipped();
  EXPECT_EQ(shipped.FirstYear(), parsed->FirstYear());
  ASSERT_EQ(shipped.LastYear(), parsed->LastYear());
  EXPECT_EQ(*shipped.Year(shipped.LastYear()), *parsed->Year(parsed->LastYear()));
}

TEST(MoonTables, IndexedTablesCheckEachYearWhenFirstRead) {
  const std::string text = "# comment\n" + YearText(1999) + YearText(2001, "1.01") + YearText(2004);
  const auto t = MoonTables::Index(text);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->FirstYear(), 1999);
  EXPECT_EQ(t->LastYear(), 2004);
  // A damaged year keeps only itself out, and the warning says so.
  EXPECT_FALSE(t->Has(2001));
  const auto parsed = MoonTables::Parse(YearText(2004));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(*t->Year(2004), *parsed->Year(2004));
  EXPECT_NE(sky::MoonYearWarning(*t, {2001, 3, 1}).find("could not be read"), std::string::npos);
  EXPECT_NE(sky::MoonYearWarning(*t, {2005, 3, 1}).find("1999 to 2004"), std::string::npos);
  // Years in a row are indexed by their stride without reading them: a year
  // line out of place keeps its own year out once read.
  const std::string inRow = "# c\n" + YearText(1999) + YearText(2005) + YearText(2001);
  const auto r = MoonTables::Index(inRow);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->LastYear(), 2001);
  EXPECT_TRUE(r->Has(1999));
  EXPECT_FALSE(r->Has(2000));
  EXPECT_EQ(*r->Year(2001), *MoonTables::Parse(YearText(2001))->Year(2001));
  // Out of shape as a whole: no tables.
  EXPECT_FALSE(MoonTables::Index(YearText(1999) + YearText(1999)));
  EXPECT_FALSE(MoonTables::Index("98\n"));
}

TEST(MoonTables, ParseRefusesDamagedTables) {
  std::string why;
  ASSERT_TRUE(MoonTables::Parse("# comment\n" + YearText(1999) + YearText(2004), &why)) << why;
  EXPECT_TRUE(MoonTables::Parse(YearText(2001, "1.00")));
  // CR LF line ends are read as well.
  std::string crlf;
  for (char c : YearText(2001)) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_TRUE(MoonTables::Parse(crlf));

  auto refused = [](const std::string& text) {
    std::string reason;
    const bool ok = MoonTables::Parse(text, &reason).has_value();
    return !ok && !reason.empty();
  };
  std::string t = YearText(1999);
  EXPECT_TRUE(refused(t.substr(0, t.size() - 54))) << "end row missing";
  EXPECT_TRUE(refused(YearText(1999) + YearText(1999))) << "year twice";
  EXPECT_TRUE(refused(YearText(2001, "1.01"))) << "more than the whole disc";
  EXPECT_TRUE(refused(YearText(2001, "0,50"))) << "not a value";
  EXPECT_TRUE(refused("98\n")) << "not a year line";

  std::string shortRow = YearText(2001);
  shortRow.erase(10, 1);
  EXPECT_TRUE(refused(shortRow));

  std::string label = YearText(2001);
  label.replace(5 + 53, 4, "0003");  // row 2 labelled as day 3
  EXPECT_TRUE(refused(label));

  std::string filler = YearText(1999);  // February 29 of 1999 must be "9.99"
  filler.replace(5 + 53 * 28 + 8, 4, "0.00");
  EXPECT_TRUE(refused(filler));

  std::string leap = YearText(2004);  // February 29 of 2004 is a real day
  leap.replace(5 + 53 * 28 + 8, 4, "9.99");
  EXPECT_TRUE(refused(leap));
}
