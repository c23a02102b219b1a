// The state text products of the weather service ("/iwin/<ST>/<page>.html")
// and the two census servers: the ranking texts and the data look-ups by
// state and by zip.
#pragma once

#include <memory>

#include "site.h"

namespace sky::sample {

std::unique_ptr<Site> MakeIwinSite();
std::unique_ptr<Site> MakeCensusTextSite();
std::unique_ptr<Site> MakeCensusLookupSite();

}  // namespace sky::sample
