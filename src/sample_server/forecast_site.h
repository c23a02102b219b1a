// The state text products of the weather service ("/iwin/<ST>/<page>.html")
// and the two census servers: the ranking texts and the data look-ups by
// state and by zip.
#pragma once

#include <memory>

#include "historic/site.h"

namespace sky::sample {

using historic::Reply;
using historic::Request;
using historic::Router;
using historic::Site;

std::unique_ptr<Site> MakeIwinSite();
std::unique_ptr<Site> MakeCensusTextSite();
std::unique_ptr<Site> MakeCensusLookupSite();

}  // namespace sky::sample
