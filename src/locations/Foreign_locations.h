// The station table: a place outside the United States is asked for by its
// five-digit station number.
#pragma once

#include <string>

#include "common/ports.h"
#include "locations/Unit_location.h"

namespace sky {

// The station number of loc.City within the rows chosen by loc.Country (the
// group) and loc.Region (the country text). When Country is empty it is first
// derived from Region. Returns the number; "n/a" after the group's not-found
// message; empty when the lookup stops (the messages and beeps go to `ui`).
// The caller puts the result into loc.City.
std::string StationNumberOf(CurrentLocation& loc, IMessagePort& ui);

}  // namespace sky
