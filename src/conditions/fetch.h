// The steps of a conditions fetch that come before the request: reading the
// requested LocationName and building the address of the conditions page.
// The whole fetch (client, parse and display) is sky::MainLogic.
#pragma once

#include <optional>
#include <string>

#include "common/ports.h"
#include "locations/Unit_location.h"

namespace sky {

inline constexpr const char* kInvalidCityShort = "Error in Unit1 - Invalid city:";
inline constexpr const char* kInvalidCityNA = "Error - Invalid city:";

// Clears Country and Region, then decodes `request` into `loc`.
void ReadRequest(const std::string& request, CurrentLocation& loc);

// Whether `loc`, as ReadRequest left it, names a place whose conditions
// address needs no guess: a zip, a foreign place (the station lookup decides
// that one), or a US place with a city and a state code the catalogue knows.
// "Nowhere" (no comma: an empty city) or "Austin, Txas" (no such state) fail.
// The main window still asks for those, as it always has; the terminal says
// "not a place" instead of passing the server's 404 off as the answer.
bool NamesAPlace(const CurrentLocation& loc);

// The address of the conditions page after the server root:
//   zip of two or more characters: "cgi-bin/findweather/getForecast?query=" + zip
//   Country "US":                  "US/" + Region + "/" + City + ".html"
//   otherwise:                     "global/stations/" + station number + ".html"
// For a foreign place the station lookup's result replaces loc.City first;
// when it is no usable number the message is shown and nullopt returned
// (nothing may be requested).
std::optional<std::string> ConditionsPath(CurrentLocation& loc, IMessagePort& ui);

}  // namespace sky
