// The census pages and population counters made from recorded answers of the
// Census Bureau's data API and population clock; the gateway serving them is
// tested in gateway_test.cpp.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "gateway/census.h"

namespace sky::gateway {
namespace {

constexpr std::int64_t kClockRecorded = 1458140658;  // the recorded clock answers' last_updated

nlohmann::json Recorded(const std::string& name) {
  std::ifstream in(std::string(SKYGLASS_TEST_DATA) + "/gateway/" + name);
  return nlohmann::json::parse(std::string(std::istreambuf_iterator<char>(in), {}));
}

TEST(CensusPages, RankingOfARecordedStateTable) {
  // The generic ranking over the recorded 2009 population answer.
  const RankedMeasure population{"", "Population", "B01001_001E", "Persons"};
  const std::string page =
      CensusRankingPage(population, *ReadCensusTable(Recorded("census/acs5_2009_states_population.json")),
                        ReadCensusTable(Recorded("census/acs5_2009_us_population.json")));
  EXPECT_EQ(page,
            "State Rankings -- Population, 2019-2023\r\n\r\n"
            "Rank  State                   Persons\r\n"
            "   1  Alabama                 4,633,360\r\n"
            "   2  Alaska                  683,142\r\n"
            "\r\nUnited States           301,461,533\r\n"
            "\r\nSource: U.S. Census Bureau, American Community Survey\r\n"
            "5-Year Estimates, 2019-2023, table B01001 (B01001_001E),\r\n"
            "from the Census Bureau's data API (vintage 2023).\r\n");
  // The program shows the page up to its first "http://": the source note too.
  EXPECT_EQ(page.find("http://"), std::string::npos);
}

TEST(CensusPages, UnpublishedValuesAndOtherAreasAreNotRanked) {
  const RankedMeasure& income = RankedMeasures().front();
  // The nation's answer is one row; the states' table in its place is no figure for it.
  const std::optional<CensusTable> states = ReadCensusTable(Recorded("census/acs5_states_income_stub.json"));
  const std::string page = CensusRankingPage(income, *states, states);
  EXPECT_NE(page.find("   1  Maryland                98,461\r\n"
                      "   2  New Jersey              97,126\r\n"
                      "   3  Vermont                 74,014\r\n"
                      "   4  Mississippi             52,985\r\n"),
            std::string::npos)
      << page;
  EXPECT_NE(page.find("Not published for: Delaware, Wyoming.\r\n"), std::string::npos);  // null, -666666666
  EXPECT_EQ(page.find("Puerto Rico"), std::string::npos);
  EXPECT_EQ(page.find("United States"), std::string::npos);

  // A row of another width is left out, not read into the wrong columns.
  EXPECT_EQ(ReadCensusTable(nlohmann::json::parse(R"([["NAME","state"],["Ohio"],["Iowa","19"]])"))->rows.size(), 1u);
  EXPECT_EQ(CensusNumber("-222222222"), std::nullopt);
  EXPECT_EQ(CensusNumber("1234.6"), 1235);
}

TEST(PopulationClock, RecordedAnswersAdvanceForADayOnly) {
  const nlohmann::json us = Recorded("popclock/us_2016.json");
  std::optional<ClockFigure> f = PopulationClockFigure(us, "us", kClockRecorded + 100);
  ASSERT_TRUE(f);
  EXPECT_TRUE(f->current);
  EXPECT_EQ(f->population, 323177593u + 6);  // 0.068 a second
  // Years on, the clock's estimate is shown as it stood, with its date.
  f = PopulationClockFigure(us, "us", kClockRecorded + 10LL * 365 * 86400);
  ASSERT_TRUE(f);
  EXPECT_FALSE(f->current);
  EXPECT_EQ(f->population, 323177593u);
  EXPECT_EQ(f->date, "03/16/2016");
  EXPECT_FALSE(PopulationClockFigure(us, "world", kClockRecorded));
  // The world answer writes no date: the estimate's own time gives it.
  f = PopulationClockFigure(Recorded("popclock/world_2016.json"), "world", kClockRecorded + 2 * 86400);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->population, 7312020325u);
  EXPECT_EQ(f->date, "03/16/2016");
  EXPECT_FALSE(PopulationClockFigure(nlohmann::json::parse(R"({"us":{"population":-5}})"), "us", 0));
}

}  // namespace
}  // namespace sky::gateway
