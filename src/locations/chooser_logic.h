// What "&Okay" of the location chooser does, without the dialog: the path of
// the selected tree node and the zip box become the CurrentLocation texts,
// and the address of that place. The fetch itself is the main window's
// (app/chooser_fetch.h); the dialog reaches it through IChooserHost.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/ports.h"
#include "locations/Unit_location.h"

namespace sky {

inline constexpr const char* kChooserParsingError = "Error - parsing pathStr.";
inline constexpr const char* kChooserSelectContinent = "Error - please select a Continent.";
inline constexpr const char* kChooserSelectCountry = "Error - please select a Country.";
inline constexpr const char* kChooserSelectState = "Error - please select a State.";
inline constexpr const char* kChooserSelectLocation = "Please select your location for weather conditions.";
inline constexpr const char* kChooserInvalidStation = "Error - Invalid station:";
// The server answered, but not with the conditions page; the place and the
// server's status follow (ChooserRetrieveMessage).
inline constexpr const char* kChooserRetrieveError = "Error retrieving data...";
std::string ChooserRetrieveMessage(const std::string& place, int status);

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
ChoiceResult ReadChoice(const std::string& pathStr, const std::string& zipText, CurrentLocation& loc, IMessagePort& ui);

// "Error - missing data for the chosen place. State=..." for `loc`.
std::string MissingDataMessage(const CurrentLocation& loc);

// The address of the chosen place after the server root; nullopt, after its
// message, when the station lookup gives no usable number: nothing may then
// be requested, and the dialog stays open for another choice.
// After ChooserAddress gave no address: true for a foreign city the station
// table does not know ("Error - Invalid station:n/a"), where the dialog
// closes with nothing fetched; false where the user can pick again.
bool ChooserClosesWithoutAddress(const CurrentLocation& loc);
std::optional<std::string> ChooserAddress(CurrentLocation& loc, IMessagePort& ui);

// What the chooser dialog needs from the main window.
class IChooserHost {
 public:
  virtual ~IChooserHost() = default;
  // True while a fetch runs: the choice would change the texts it uses.
  virtual bool Busy() const = 0;
  virtual IMessagePort& Messages() = 0;
  // The main window's status line.
  virtual IStatusPort& Status() = 0;
  // The program's CurrentLocation texts, which the choice is read into.
  virtual CurrentLocation& Location() = 0;
  // The fetch of `address` (ChooserAddress's) for the place now in
  // Location(), through the main window's gate.
  virtual void FetchChoice(const std::string& address) = 0;
  // No place chosen: the fetch pre-step only, through the same gate.
  virtual void FetchNothing() = 0;
};

}  // namespace sky
