// The census pages and population counters from recorded answers of the
// Census Bureau's data API and population clock, read as the program reads
// them (forecast/forecast_text.h, the GIF decoder).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <mutex>

#include "common/hosts.h"
#include "controls/gif_decoder.h"
#include "forecast/forecast_text.h"
#include "gateway/upstream.h"
#include "gateway/census.h"
#include "gateway/gateway.h"
#include "gateway/stub_upstream.h"

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
            "\r\nSource: U.S. Census Bureau, American Community Survey 5-Year Estimates, 2019-2023,\r\n"
            "table B01001 (B01001_001E), from the Census Bureau's data API (vintage 2023).\r\n");
  // The program shows the page up to its first "http://": the source note too.
  EXPECT_EQ(page.find("http://"), std::string::npos);
}

TEST(CensusPages, UnpublishedValuesAndOtherAreasAreNotRanked) {
  const RankedMeasure& income = RankedMeasures().front();
  const std::string page =
      CensusRankingPage(income, *ReadCensusTable(Recorded("census/acs5_states_income_stub.json")), std::nullopt);
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

class CensusGatewayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Options o;
    o.censusApi = stub_.Base() + "/data";
    o.popclockApi = stub_.Base() + "/popclock/data";
    gates_ = std::make_unique<HostGates>(clock_, 30000, 600000, kRequestsPerHost);
    UpstreamSettings settings;
    settings.userAgent = UserAgent(o);
    settings.redirectOrigins = SourceOrigins(o);
    upstream_ = std::make_unique<CurlUpstream>(settings, *gates_, [this](const std::string& l) { Log(l); });
    gateway_ = std::make_unique<Gateway>(
        o, *upstream_, clock_, [] { return kClockRecorded + 60; }, [this](const std::string& l) { Log(l); });
  }
  void Log(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    log_.push_back(line);
  }
  Reply Get(const std::string& host, const std::string& path) {
    Request r;
    r.method = "GET";
    r.host = host;
    r.path = path;
    return gateway_->Handle(r);
  }
  static std::string Lookup(const std::string& level, const std::string& selection) {
    return "/cdrom/lookup/906003812=/CMD=RET/DB=C90STF3B/FMT=HTML/LEV=" + level + "/SEL=" + selection + "/T=P1/T=H61A";
  }

  skytest::StubUpstream stub_;
  ManualClock clock_;
  std::unique_ptr<HostGates> gates_;
  std::unique_ptr<CurlUpstream> upstream_;
  std::unique_ptr<Gateway> gateway_;
  std::mutex mutex_;
  std::vector<std::string> log_;
};

TEST_F(CensusGatewayTest, LookUpsByStateAndZipFromRecordedAnswers) {
  Reply state = Get(hosts::kCensusLookup, Lookup("STATE", "04,Arizona"));
  ASSERT_EQ(state.status, 200) << state.body;
  const std::string text = TagStrip(state.body);
  EXPECT_NE(text.find("B01001  Persons                                     6,641,928\n"), std::string::npos) << text;
  EXPECT_NE(text.find("B25077  Median value (dollars)                      N/A\n"), std::string::npos);
  EXPECT_NE(text.find("vintage 2023"), std::string::npos);

  Reply zip = Get(hosts::kCensusLookup, Lookup("ZIP", "83014"));
  ASSERT_EQ(zip.status, 200);
  EXPECT_NE(zip.body.find("<H2>Zip Code 83014</H2>"), std::string::npos);
  EXPECT_NE(TagStrip(zip.body).find("Median value (dollars)                      685,000"), std::string::npos);
  const std::size_t asked = stub_.Requests().size();
  EXPECT_EQ(Get(hosts::kCensusLookup, Lookup("ZIP", "83014")).body, zip.body);  // kept a day
  // Nothing that is not a zip goes into the address.
  EXPECT_NE(Get(hosts::kCensusLookup, Lookup("ZIP", "8301&x")).body.find("No records match 8301&x."),
            std::string::npos);
  EXPECT_EQ(stub_.Requests().size(), asked);
  // The API's answer for an area it has no figures for: no content.
  const std::string none = "/data/2023/acs/acs5?get=" + DetailVariables() + "&for=zip%20code%20tabulation%20area:00000";
  stub_.Override(none, 204, "");
  EXPECT_NE(Get(hosts::kCensusLookup, Lookup("ZIP", "00000")).body.find("No records match 00000."), std::string::npos);
  // A failing API is a failure, never a page of made-up figures.
  stub_.failing = true;
  EXPECT_EQ(Get(hosts::kCensusLookup, Lookup("ZIP", "10001")).status, 502);
}

TEST_F(CensusGatewayTest, RankingAndCountersServed) {
  Reply ranking = Get(hosts::kCensus, "/statab/ranks/pg20.txt");
  ASSERT_EQ(ranking.status, 200);
  EXPECT_TRUE(ranking.body.starts_with("State Rankings -- Median Household Income, 2019-2023\r\n"));
  // The nation's figure is not in the recordings: the ranking stands without it.
  EXPECT_EQ(ranking.body.find("United States"), std::string::npos);
  EXPECT_EQ(Get(hosts::kCensus, "/statab/ranks/pg18.txt").status, 502);  // no recording of earnings

  Reply counter = Get(hosts::kCensus, "/cgi-bin/pcugifd.pl");
  ASSERT_EQ(counter.status, 200);
  EXPECT_EQ(counter.contentType, "image/gif");
  GifDecodeResult decoded = DecodeGif(
      std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(counter.body.data()), counter.body.size()));
  ASSERT_TRUE(decoded.ok) << decoded.error;
  EXPECT_EQ(decoded.image.width, 360);
  EXPECT_EQ(Get(hosts::kCensus, "/cgi-bin/ipc/pcwgif").status, 200);
  EXPECT_NE(Get(hosts::kCensus, "/cgi-bin/ipc/pcwgif").body, counter.body);
}

}  // namespace
}  // namespace sky::gateway
