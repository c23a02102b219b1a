// The sample server's state products and census pages, called in-process:
// every state answers every product, and the pages carry what the forecast
// window's treatments look for.
#include <gtest/gtest.h>

#include <string>

#include "common/hosts.h"
#include "forecast/forecast_text.h"
#include "historic/site.h"
#include "sample_server/sample_sites.h"

namespace sky::sample {
namespace {

using namespace sky::historic;

Reply Get(const Router& r, const std::string& host, const std::string& path) {
  Request q;
  q.method = "GET";
  q.host = host;
  q.path = path;
  q.now = 1796644800;  // 2026-12-07 12:00 UTC
  return r.Route(q);
}

TEST(ForecastPages, EveryStateEveryProductAndTheCensusPages) {
  auto router = MakeDefaultRouter("1.0");
  const char* states[] = {"AL", "AK", "AZ", "AR", "CA", "CO", "CT", "DE", "DC", "FL", "GA", "HI", "ID",
                          "IL", "IN", "IA", "KS", "KY", "LA", "ME", "MD", "MA", "MI", "MN", "MS", "MO",
                          "MT", "NE", "NV", "NH", "NJ", "NM", "NY", "NC", "ND", "OH", "OK", "OR", "PA",
                          "RI", "SC", "SD", "TN", "TX", "UT", "VT", "VA", "WA", "WV", "WI", "WY"};
  int notAvailable = 0;
  for (const char* st : states) {
    for (const char* page : {"shortterm", "zone", "hydro", "public", "special", "allwarnings"}) {
      const Reply r = Get(*router, hosts::kIwin, std::string("/iwin/") + st + "/" + page + ".html");
      ASSERT_EQ(r.status, 200) << st << " " << page;
      if (r.body.find("not currently available") != std::string::npos) {
        ++notAvailable;
        continue;
      }
      EXPECT_NE(r.body.find("$$"), std::string::npos) << st << " " << page;
    }
    // The zone forecast cut to its first county, as the window does.
    const std::string zone = TagStrip(Get(*router, hosts::kIwin, std::string("/iwin/") + st + "/zone.html").body);
    const std::size_t header = zone.find(std::string(st) + "Z");
    ASSERT_NE(header, std::string::npos) << st;
    const std::string county = zone.substr(header + 7, zone.find('-', header + 7) - header - 7);
    const CountySectionResult cut = CountySection(zone, county);
    EXPECT_TRUE(cut.found) << st;
    EXPECT_NE(cut.text.find('\xB0'), std::string::npos) << st;
  }
  EXPECT_GT(notAvailable, 10);
  EXPECT_EQ(Get(*router, hosts::kIwin, "/iwin/XX/zone.html").status, 404);

  const std::string pg18 = Get(*router, hosts::kCensus, "/statab/ranks/pg18.txt").body;
  EXPECT_NE(pg18.find("District of Columbia"), std::string::npos);
  EXPECT_NE(PlainTextCut(pg18).find("Wyoming"), std::string::npos);
  EXPECT_EQ(PlainTextCut(pg18).find("census.gov"), std::string::npos);
  EXPECT_NE(Get(*router, hosts::kCensus, "/statab/ranks/pg20.txt").body.find("http://"), std::string::npos);
  const std::string lookup = "/cdrom/lookup/906005492=/CMD=RET/DB=C90STF3C1/F0=FIPS.STATE/FMT=HTML/LEV=STATE/SEL=";
  EXPECT_NE(Get(*router, hosts::kCensusLookup, lookup + "06,California/T=P1").body.find("<H2>California</H2>"),
            std::string::npos);
  EXPECT_NE(Get(*router, hosts::kCensusLookup, lookup + "No,e/T=P1").body.find("No records match"), std::string::npos);
  const std::string zip = "/cdrom/lookup/906003812=/CMD=RET/DB=C90STF3B/F0=ZIP/FMT=HTML/LEV=ZIP/SEL=78701/T=P1";
  EXPECT_NE(Get(*router, hosts::kCensusLookup, zip).body.find("Zip Code 78701"), std::string::npos);
}

}  // namespace
}  // namespace sky::sample
