// The texts of one parsed conditions page, as the main window and the tray
// show them.
#pragma once

#include <optional>
#include <string>

namespace sky {

struct ConditionsRecord {
  // Observation time from the "Updated:" header line. Unset when the page had
  // no such header (the window then keeps its previous header line).
  std::optional<std::string> ObservedAt;

  std::string Temperature;  // not trimmed
  std::string HeatIndex;    // "n/a" when the page has none
  std::string Humidity;     // four characters when present
  std::string Wind;         // not trimmed
  std::string Pressure;     // not trimmed
  std::string Sky;          // trimmed
  std::string Visibility;   // eight characters when present
  std::string Sunrise;
  std::string Sunset;
  std::string MoonRise;
  std::string MoonSet;

  // Both set only when the page has a sky condition; otherwise the tray keeps
  // its previous tip and picture.
  std::optional<std::string> TrayTip;
  std::optional<int> SkyIcon;  // 0..12 into the tray picture list

  // Every field empty, the three optional ones unset.
  void Clear() { *this = ConditionsRecord{}; }

  friend bool operator==(const ConditionsRecord&, const ConditionsRecord&) = default;
};

}  // namespace sky
