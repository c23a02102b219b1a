#include "sample_server/sample_sites.h"

#include "common/hosts.h"
#include "sample_server/conditions_site.h"
#include "sample_server/forecast_site.h"
#include "sample_server/pictures.h"
#include "sample_server/population_clock.h"

namespace sky::sample {

void AddSampleSites(Router& router, const std::string& latestVersion) {
  router.Add(hosts::kWeatherUnderground, MakeConditionsSite());
  router.Add(hosts::kMaker, historic::MakeMakerSite(latestVersion));
  AddPictureSites(router);
  router.Add(hosts::kIwin, MakeIwinSite());
  router.Add(hosts::kCensus, MakeCensusTextSite());
  router.Add(hosts::kCensusLookup, MakeCensusLookupSite());
  // Behind any other census pages: the population clocks.
  router.Chain(hosts::kCensus, MakePopulationClockSite());
}

std::unique_ptr<Router> MakeDefaultRouter(const std::string& latestVersion) {
  auto router = std::make_unique<Router>();
  AddSampleSites(*router, latestVersion);
  return router;
}

}  // namespace sky::sample
