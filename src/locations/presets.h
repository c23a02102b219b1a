// The twenty location presets: LocationName texts in the values loc0..loc19 of
// the settings section "Locations", mirrored by the preset items of the Get
// Stats menu. Slots are filled from loc0 upward without gaps.
//
// Every operation is one or more complete accesses to the settings store; a
// store that cannot be written throws its own error (the caller shows it in
// the standard error box).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/ports.h"
#include "locations/Unit_location.h"
#include "locations/preset_menu.h"

namespace sky {

inline constexpr const char* kPresetLimitMessage =
    "Sorry, you can only have up to 20 preset locations. Please use the Clear option under "
    "Get_Stats to clear the locations and start over.";
inline constexpr const char* kPresetAddedMessage = "Location added to location presets: ";
inline constexpr const char* kRemoveConfirmMessage =
    "Are you sure you want to select and delete a location from the GetStats menu?";
inline constexpr const char* kRemoveSelectMessage =
    "Please select (click) the location you would like to remove (from the GetStats menu).";

// The value name of a slot: "loc" + the slot number.
std::string PresetValueName(int slot);

class Presets {
 public:
  // Every port may be null (no menu in the terminal companion, for one).
  Presets(IMessagePort* messages, IPresetMenuPort* menu, std::function<void()> repaint);

  // The stored names, loc0 upward until the first missing slot.
  std::vector<std::string> Stored() const;

  // Fills the menu from the stored slots (at most twenty items).
  void LoadPresetMenu();
  // Caption + visible for one item; a slot outside 0..19 does nothing.
  void ShowPresetInMenu(int slot, const std::string& name);

  // Offers the place just shown as a preset. Does nothing while `silent`.
  // Builds its LocationName from `loc` and the page's location title, leaves
  // it in loc.LocationName (a zip fetch also gets loc.Region = the title's
  // code), stores it in the first free slot unless it is already stored, and
  // tells the user. With all twenty slots taken it shows the limit message
  // and stores nothing. A foreign or zip place with an empty `pageTitle` is
  // not stored (and loc.LocationName is left as it was).
  void AddPreset(bool silent, CurrentLocation& loc, const std::string& pageTitle);

  // "Clear all locations": erases the section, beeps, empties and hides every
  // item. No confirmation.
  void ClearPresets();

  // Stores the presets again, sorted without regard to case; with
  // `removeMode`, without the names equal to `requestText`. Clears first (one
  // beep) and beeps again at the end.
  void RebuildPresets(bool removeMode, const std::string& requestText);

  // "Remove a specific location": asks, and on Yes explains what to do next.
  // True when the user said Yes (the caller then raises remove mode).
  bool ConfirmRemove();

 private:
  void Repaint();
  IMessagePort* messages_;
  IPresetMenuPort* menu_;
  std::function<void()> repaint_;
};

}  // namespace sky
