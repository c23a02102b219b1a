// The preferences dialog without the dialog: what its fields show when it
// opens, how the proxy tick switches the proxy fields, and what "&Okay"
// stores. The Qt dialog copies a PrefForm into its widgets and back.
#pragma once

#include <string>
#include <vector>

#include "common/units.h"
#include "images/served_pictures.h"
#include "settings/settings_names.h"

namespace sky {

// Names of the "Settings" values the dialog reads and writes.
namespace pref_names = settings;

inline constexpr const char* kNoneChoice = settings::kNone;

// The wallpaper choices: "None", then the AutoWallpaper values of the picture
// rows in the catalogue's order; the box shows them sorted. The Texas texts
// carry two ampersands: they are stored and compared so. Only the choices
// that can be a wallpaper (IsWallpaperChoice) are offered.
const std::vector<std::string>& WallpaperChoices();
// The list as it was drawn up, the animated storm watch included.
const std::vector<std::string>& DesignedWallpaperChoices();
// The choices as the box lists them: alphabetically, without regard to case.
// With the gateway's list of served pictures, a choice none of whose rows it
// serves is left out: it could only ever fail to download.
std::vector<std::string> SortedWallpaperChoices(const ServedPictures* served = nullptr);

// The state of one proxy field: enabled, and silver (else the window colour).
struct ProxyField {
  bool enabled = false;
  bool silver = true;
  std::string text;
};

struct PrefForm {
  bool autoUpdateYes = true;               // radioYesupstat, else radioNoupstat
  std::vector<std::string> startupList;    // cboStartupLoc's list
  std::string startupText;                 // cboStartupLoc's text
  std::vector<std::string> wallpaperList;  // cboAutoWallpaper's list
  std::string wallpaperText;               // cboAutoWallpaper's text
  bool proxyTicked = false;                // CheckBox1
  // As designed: the host field disabled, the port field enabled, both silver.
  ProxyField proxyHost{false, true, {}};
  ProxyField proxyPort{true, true, {}};
  // cboUnits: 0 follows the desktop's locale (the text says which system
  // that is), 1..3 the systems US, metric and UK.
  std::vector<std::string> unitsList;
  int unitsIndex = 0;
  bool warningNotices = true;  // chkWarnNotify
};

// The units box's entries, the locale's default first.
std::vector<std::string> UnitsChoices(UnitSystem localeDefault);

// CheckBox1Click: runs whenever the tick changes. It looks at the host field
// alone: an enabled host field disables both, a disabled one enables both.
void CheckBox1Click(PrefForm& form);
// Setting the tick runs CheckBox1Click when the tick changes.
void SetProxyTick(PrefForm& form, bool ticked);

// FormShow: fills `form` (kept from the previous showing, as the dialog is)
// from the store and the presets. Throws what the store throws.
void FillPrefForm(PrefForm& form, const ServedPictures* served = nullptr);

// btnOkayClick without the closing: stores "AutoUpdate" and "StartupLoc",
// then, with the proxy ticked, checks the port; a port that is no integer
// throws EConvertError before anything else is stored (the dialog stays
// open). Then the proxy values, "AutoWallpaper", "Units" (empty for the
// locale's default) and "WarnNotify".
void StorePrefForm(const PrefForm& form);

}  // namespace sky
