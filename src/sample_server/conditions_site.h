// The conditions server: current-conditions pages for the three address forms
// ("US/<code>/<city>.html", "global/stations/<number>.html",
// "cgi-bin/findweather/getForecast?query=<zip>") and a home page.
#pragma once

#include <memory>
#include <string>

#include "historic/places.h"
#include "historic/site.h"
#include "sample_server/weather.h"

namespace sky::sample {

using historic::Place;
using historic::Places;
using historic::Reply;
using historic::Request;
using historic::Router;
using historic::Site;

std::unique_ptr<Site> MakeConditionsSite();

// The page for one place and observation, in the layout the program reads.
std::string ConditionsPage(const Place& place, const Observation& observation);

}  // namespace sky::sample
