// What "&Okay" of the location chooser does, without the dialog: the path of
// the selected tree node and the zip box become the CurrentLocation texts,
// and then the conditions of that place are fetched and shown through the
// main window's logic.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/ports.h"
#include "locations/Unit_location.h"

namespace sky {

class MainLogic;

inline constexpr const char* kChooserParsingError = "Error - parsing pathStr.";
inline constexpr const char* kChooserSelectContinent = "Error - please select a Continent.";
inline constexpr const char* kChooserSelectCountry = "Error - please select a Country.";
inline constexpr const char* kChooserSelectState = "Error - please select a State.";
inline constexpr const char* kChooserSelectLocation = "Please select your location for weather conditions.";
inline constexpr const char* kChooserInvalidStation = "Error - Invalid station:";
inline constexpr const char* kChooserRetrieveError = "Error retrieving data...(Unit_Location)";

// The path text of a node: each node's text followed by "\", root first
// ("Continent\Europe\France\Abbeville\"); empty when nothing is selected.
std::string ChooserPath(const std::vector<std::string>& textsRootFirst);

enum class ChoiceResult {
  StayOpen,   // a level is missing: message and beep shown, the dialog stays
  ShowAgain,  // no place at all: the dialog is shown again for a new choice
  Fetch,      // the place is in `loc`: go on with the fetch
};

// Reads the path and the zip box into `loc` (Continent, Country, Region,
// City, Zip). A zip of two or more characters wins over the tree.
ChoiceResult ReadChoice(const std::string& pathStr, const std::string& zipText, CurrentLocation& loc,
                        IMessagePort& ui);

// What the fetch needs from the windows.
struct ChooserFetchPorts {
  IMessagePort* messages = nullptr;
  IStatusPort* status = nullptr;
  std::function<void()> repaint;
  std::function<void()> updateMoonPhase;
};

// The fetch of a place read by ReadChoice: builds the address, requests it
// through the main logic's client, parses and shows the page (which also
// offers the place as a preset), derives the values and updates the moon
// picture. Errors are shown; nothing is thrown. Ends with the once-per-run
// count request.
void ChooserFetch(MainLogic& logic, const ChooserFetchPorts& ports);

// The address of the chosen place after the server root; nullopt when the
// station lookup failed (its message is shown).
std::optional<std::string> ChooserAddress(CurrentLocation& loc, IMessagePort& ui);

}  // namespace sky
