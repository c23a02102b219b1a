// The sample server's set of sites on the historical router: generated pages
// for every host the program asks, so that everything runs without the
// outside servers.
#pragma once

#include <memory>
#include <string>

#include "historic/maker_site.h"
#include "historic/site.h"

namespace sky::sample {

using historic::kDefaultLatestVersion;
using historic::Router;

// Registers every sample site on the router; the maker's version file
// announces latestVersion.
void AddSampleSites(Router& router, const std::string& latestVersion);

// A router with the sample sites only.
std::unique_ptr<Router> MakeDefaultRouter(const std::string& latestVersion);

}  // namespace sky::sample
