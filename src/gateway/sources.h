// The live sources: each registers the historical hosts it answers on the
// gateway's router. A new upstream is a new source file (copy
// products_source.cpp), its registration below and in Gateway's constructor,
// and its address as an option (options.h).
#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "gateway/gateway.h"
#include "historic/site.h"

namespace sky::gateway {

// www.wunderground.com: conditions by US city, station and zip, from the
// weather service's observations and the aviation weather METARs.
void AddConditionsSource(Gateway& gateway, historic::Router& router);
// iwin.nws.noaa.gov: the state text products and warnings.
void AddProductsSource(Gateway& gateway, historic::Router& router);
// The picture catalogue's hosts: today's public equivalents of its rows.
void AddPictureSource(Gateway& gateway, historic::Router& router);
// www.wunderground.com, beside the conditions: the seven-day forecast
// ("/daily/...") and the warnings by point ("/alerts/...") of a place.
void AddDailySource(Gateway& gateway, historic::Router& router);

// www.corvantis.com's version file, from the release feed of --releases-url.
void AddReleasesSource(Gateway& gateway, historic::Router& router);
// "v1.31.0" -> "1.31.0.0"; empty for a tag without a number.
std::string VersionOfTag(const std::string& tag);

// www.census.gov and venus.census.gov: the census rankings and look-ups
// (--census-api) and the population counters (--popclock-api).
void AddCensusSource(Gateway& gateway, historic::Router& router);

// Helpers the sources share.
// The tree's name of a US state by its two-letter code, empty if none.
std::string StateName(const std::string& code);
nlohmann::json ParseJson(const std::string& text);
const nlohmann::json* Member(const nlohmann::json& j, const char* key);
std::string StringAt(const nlohmann::json& j, const char* key);
Reply Plain(int status, std::string body);
// A coordinate as the weather service's /points and /alerts take it: four
// decimals at most, no trailing zeros (it redirects those).
std::string Coordinate(double v);

}  // namespace sky::gateway
