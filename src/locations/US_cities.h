// US state names and codes: the chooser's state nodes and the state part of a
// conditions page title.
#pragma once

#include <string>

namespace sky {

// A US state node text ("Texas", "Lousiana") becomes its two-letter code;
// any other text comes back unchanged.
std::string ToStateCode(const std::string& state);

struct TitleState {
  std::string city;  // the title before its first comma (the whole title without one)
  std::string code;  // the state's code, "Peru (O)" / "United Kingdom (O)", or empty
};

// The state of a US zip code (its first five characters), by the Postal
// Service's assignment of the first three digits to states, with the few
// codes whose prefix belongs to another state (733xx and 885xx are Texas,
// 201xx Virginia, 969xx the Pacific territories). Empty for a text that is no
// zip or a prefix without a state (unassigned, or military mail).
std::string ZipStateCode(const std::string& zip);

// Splits a title "city, state": the state part is trimmed of blanks and
// control characters and looked up in the title state table.
TitleState StateCodeFromTitle(const std::string& title);

}  // namespace sky
