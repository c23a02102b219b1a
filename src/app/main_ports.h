// What the main window's logic needs from the main window and its companions.
// The core declares these small interfaces; the Qt windows implement them, and
// tests and the terminal companion implement them with recorders. Every text
// is Latin-1.
#pragma once

#include <string>

#include "common/ports.h"
#include "locations/preset_menu.h"

namespace sky {

// The labels of the conditions area that the logic writes and reads back: the
// twelve value labels and the header line.
enum class ValueLabel {
  Sky,         // lblsky2
  Temp,        // lblTemp2
  Humid,       // lblHumid2
  Press,       // lblPress2
  Wind,        // lblWind2
  Visible,     // lblVisible2
  Sunrise,     // lblSunrise2
  Sunset,      // lblSunset2
  MoonRise,    // lblMoonRise2
  MoonSet,     // lblMoonSet2
  WindChill,   // lblWindChill2 (design text "n/a")
  HeatIndex,   // lblHeatIndex2 (design text "n/a")
  Conditions,  // lblConditions, the header "Conditions at ..."
};
inline constexpr int kValueLabelCount = 13;

// The rows of labels the colour settings address.
enum class ColorRow {
  CaptionBackground,  // "labelcolor": background of the thirteen caption labels
  CaptionText,        // "labelfcolor": their text
  ValueText,          // "statsfcolor": text of the twelve value labels
};

// The main window itself: labels, caption, repaint.
class IMainWindowPort : public IRepaintPort {
 public:
  virtual void SetLabel(ValueLabel label, const std::string& text) = 0;
  virtual std::string Label(ValueLabel label) const = 0;
  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  // A stored colour text for a row: one that converts is set on every label
  // of the row; one that does not changes nothing, silently. Windows without
  // the labels ignore it.
  virtual void ApplyColorSetting(ColorRow /*row*/, const std::string& /*colorText*/) {}
};

// The notification-area icon.
class ITrayPort {
 public:
  virtual ~ITrayPort() = default;
  virtual void SetHint(const std::string& hint) = 0;
  // Copies picture `index` (0..12) of the tray picture list into the icon.
  virtual void SetIconIndex(int index) = 0;
  // Setting true also brings an icon already in the tray up to date.
  virtual void SetActive(bool active) = 0;
  // A warning for the place is in force: the icon carries a mark.
  virtual void SetWarningMark(bool /*on*/) {}
};

// Brings the moon picture up to date (the moon-phase step).
class IMoonPort {
 public:
  virtual ~IMoonPort() = default;
  virtual void UpdateMoonPhase() = 0;
};

// Everything at once, as the main window hands it to its logic. A null
// pointer is allowed for every port: that part of the window is then simply
// not there (the terminal companion has no tray, no menu, no moon picture).
struct MainPorts {
  IMainWindowPort* window = nullptr;
  IStatusPort* status = nullptr;          // the main window's status line
  IStatusPort* forecastStatus = nullptr;  // the forecast window's status bar
  ITrayPort* tray = nullptr;
  IPresetMenuPort* presetMenu = nullptr;
  IMoonPort* moon = nullptr;
  IMessagePort* messages = nullptr;
};

}  // namespace sky
