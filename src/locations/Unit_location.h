// The texts that describe the place of one fetch, and the one text form in
// which a place travels through the program (the LocationName):
//   US place:      "Muscle_Shoals, AL"       (city with "_" for blanks, code)
//   foreign place: "Cairo, Egypt (O)"        (page title + the foreign marker)
//   zip place:     "78701 - Austin, TX"      (zip, city and code of the page title)
#pragma once

#include <string>

// The place tree the chooser shows (LocationCatalogue::Get().Root()).
#include "locations/catalogue.h"

namespace sky {

// The four characters that mark a place outside the United States.
inline constexpr const char* kForeignMarker = " (O)";

struct CurrentLocation {
  std::string Continent;  // only while the chooser works
  std::string Country;    // "US", a station group, "Canada"/"United States" from the chooser, or empty
  std::string Region;     // state code, or country/province text ending in "(O)"
  std::string City;       // city text; a station number just before a foreign request
  std::string Zip;        // zip code of a zip request, else empty
  // The name that the preset step built for the place last shown.
  std::string LocationName;
};

// A region text holding "(" at its second position or later marks a place
// outside the United States, everywhere in the program.
bool IsForeignRegion(const std::string& region);

// Reads a LocationName into `loc` the way a conditions fetch does:
//   starts with a digit: Zip = first five characters; Region = the state
//     code after the name's comma ("78701 - Austin, TX"), else the zip's
//     state; City = the city of the name, else the zip;
//   contains "(" at position 2 or later: foreign; City with "_" made blanks,
//     Region = country text + "(O)", Country emptied;
//   otherwise US: Country "US", City with blanks made "_", a written-out state
//     name turned into its code (empty when unknown).
void DecodeLocationName(const std::string& name, CurrentLocation& loc);

// The state whose products the forecasts fetch for the place: Region, or for
// a zip place whose Region is no state code (the chooser's "."), the zip's.
std::string StateOfPlace(const CurrentLocation& loc);

// The three LocationName forms.
std::string UsLocationName(const std::string& city, const std::string& stateCode);
std::string ForeignLocationName(const std::string& pageTitle);
// The city and code come from the page title ("Austin, TX" or "Austin, Texas").
std::string ZipLocationName(const std::string& zip, const std::string& pageTitle);

}  // namespace sky
