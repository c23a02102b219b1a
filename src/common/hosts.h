// Every outside server the program talks to, in one place. Requests always
// name these hosts; a proxy set in the preferences reroutes all of them (the
// bundled sample server answers as such a proxy).
#pragma once

namespace sky::hosts {

// Conditions pages and the forecast service's root page.
inline constexpr const char* kWeatherUnderground = "www.wunderground.com";
// State text products under "/iwin/".
inline constexpr const char* kIwin = "iwin.nws.noaa.gov";
// Census ranking texts, look-ups and the population clocks.
inline constexpr const char* kCensus = "www.census.gov";
// The census data look-ups by state and by zip ("/cdrom/lookup/...").
inline constexpr const char* kCensusLookup = "venus.census.gov";
// The maker's server: version file and once-per-run count file.
inline constexpr const char* kMaker = "www.corvantis.com";

// The local live-weather gateway (skyglass-gateway): the proxy a new
// settings store starts with.
inline constexpr const char* kGatewayHost = "127.0.0.1";
inline constexpr int kGatewayPort = 8077;

// "http://" + host, the form the request addresses are built on.
inline constexpr const char* kWeatherUndergroundUrl = "http://www.wunderground.com/";
inline constexpr const char* kMakerUrl = "http://www.corvantis.com";

}  // namespace sky::hosts
