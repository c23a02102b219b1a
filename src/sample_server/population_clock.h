// The census server's population clocks: a GIF picture with the estimated
// world or US population at the moment of the request, as the program's
// "Current World Population..." and "Current US Population..." show them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "historic/site.h"

namespace sky::sample {

using historic::Reply;
using historic::Request;
using historic::Router;
using historic::Site;

// The estimates (made up from a base figure and a steady growth), for a
// time in seconds since 1970.
std::uint64_t WorldPopulationAt(std::int64_t now);
std::uint64_t UsPopulationAt(std::int64_t now);
// "6,123,456,789".
std::string WithThousands(std::uint64_t n);

// Answers "/cgi-bin/ipc/pcwgif" and "/cgi-bin/pcugifd.pl" (any query).
std::unique_ptr<Site> MakePopulationClockSite();

}  // namespace sky::sample
