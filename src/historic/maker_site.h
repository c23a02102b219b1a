// The maker's server: the version file the version check reads and the count
// file requested once per run.
#pragma once

#include <memory>
#include <string>

#include "historic/site.h"

namespace sky::historic {

// The version the version file announces unless the server is told otherwise.
inline constexpr const char* kDefaultLatestVersion = "1.30.6.3";

std::unique_ptr<Site> MakeMakerSite(const std::string& latestVersion = kDefaultLatestVersion);

}  // namespace sky::historic
