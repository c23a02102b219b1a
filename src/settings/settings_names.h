// Every name under which the program stores a setting, and typed readers for
// the rules that more than one caller applies to them.
//
// The texts are the stored ones: changing a spelling here changes what the
// settings file holds. Value names compare without regard to case, so a pair
// such as "labelfcolor" (read) and "Labelfcolor" (written) is one value; both
// spellings are kept because both are what the program has always used.
//
// A new setting: add its name to the section it lives in (keep the list in
// the order of the settings table), and, when more than one place applies the
// same rule to it, a typed reader below.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "common/units.h"

namespace sky::settings {

// ---- sections of the key "Software\Skyglass"
inline constexpr const char* kSectionSettings = "Settings";
inline constexpr const char* kSectionLocations = "Locations";

// ---- values of the section "Settings"
inline constexpr const char* kStartupLoc = "StartupLoc";        // a LocationName, or "None"
inline constexpr const char* kAutoUpdate = "AutoUpdate";        // "y" / "n"
inline constexpr const char* kProxyUse = "ProxyUse";            // "y" / "n"
inline constexpr const char* kProxy = "Proxy";                  // host text as typed
inline constexpr const char* kProxyPort = "ProxyPort";          // decimal text as typed
inline constexpr const char* kAutoWallpaper = "AutoWallpaper";  // a wallpaper choice, or "None"
inline constexpr const char* kLabelColor = "labelcolor";        // colour texts
inline constexpr const char* kLabelFontColor = "labelfcolor";
inline constexpr const char* kLabelFontColorWritten = "Labelfcolor";
inline constexpr const char* kStatsFontColor = "statsfcolor";
inline constexpr const char* kForecastBackground = "Fbgcolor";
inline constexpr const char* kForecastFontSize = "FfontSiz";  // "8" / "12"
inline constexpr const char* kForecastFontSizeWritten = "Ffontsiz";
inline constexpr const char* kUnits = "Units";                // "US" / "metric" / "UK"; missing: the locale's
inline constexpr const char* kWarningNotices = "WarnNotify";  // "y" / "n"; missing: "y"

// ---- section "Alerts": one value per warning already announced, named by the
// alert's id, holding its expiry (seconds since 1970) so it can be forgotten.
inline constexpr const char* kSectionAlerts = "Alerts";

// ---- values of the section "Locations": "loc0" .. "loc19"
inline constexpr const char* kPresetValuePrefix = "loc";

// ---- stored flag and marker texts
inline constexpr const char* kYes = "y";
inline constexpr const char* kNo = "n";
inline constexpr const char* kNone = "None";

// Reads one value of the section "Settings" ("n/a" when missing). The program
// reads the store; tests and the windows' hooks may read from elsewhere.
using Reader = std::function<std::string(const std::string& name)>;
// The reader of the settings store (ReadSetting of the section "Settings").
Reader StoreReader();

// True for exactly the stored text "y"; a missing value is false.
bool IsYes(const std::string& stored);

// The proxy as the settings give it: nothing unless "ProxyUse" is "y"; then
// each of "Proxy" and "ProxyPort" when present.
struct ProxySettings {
  std::optional<std::string> host;
  std::optional<std::string> portText;
};
std::optional<ProxySettings> ReadProxy(const Reader& read);

// The one rule for a port text: the classic integer conversion (leading
// blanks skipped, trailing ones not), then the range of TCP ports. Throws
// EConvertError "'<text>' is not a valid integer value", or for a number
// outside 1 to 65535 a text that gives the range.
inline constexpr int kMinPort = 1;
inline constexpr int kMaxPort = 65535;
int ParsePort(const std::string& text);

// Hands the proxy to a client: the host first, then the port, so a port that
// is no number throws after the host is set (the host stays, as it always
// did). Nothing happens when the proxy is off.
void ApplyProxy(const std::optional<ProxySettings>& proxy, std::string& host, int& port);

// The units shown: "Units" when it names a system, else the locale's default.
UnitSystem ReadUnits(const Reader& read);

// Desktop notifications of new warnings: on unless "WarnNotify" is "n".
bool WarningNoticesOn(const Reader& read);

// The start-up place: nullopt when "StartupLoc" is missing or "None".
std::optional<std::string> StartupLocation(const Reader& read);

}  // namespace sky::settings
