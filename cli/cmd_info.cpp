// "version-check": the Help menu's version check from the terminal, through
// the proxy of the settings. "prefs": the stored preferences, readable.
#include <cstdio>
#include <iostream>

#include "cli.h"
#include "common/text.h"
#include "info/info_links.h"
#include "json.h"
#include "locations/presets.h"
#include "net/request_service.h"
#include "settings/colors.h"
#include "settings/ini_proc.h"
#include "settings/settings_names.h"

namespace {

constexpr const char* kNA = "n/a";

std::string Setting(const char* name) { return sky::ReadSetting(sky::kSectionSettings, name); }

const char* OutcomeName(sky::VersionOutcome o) {
  switch (o) {
    case sky::VersionOutcome::Older: return "older";
    case sky::VersionOutcome::Current: return "current";
    case sky::VersionOutcome::NoMarker: break;
  }
  return "no-version";
}

int RunVersionCheck(const cli::Args& args) {
  const auto p = cli::ParseArgs(args, {}, {"json"}, 0, 0);
  const bool json = p.Has("json");
  sky::RequestService requests;
  std::string error;
  sky::VersionCheck check;
  try {
    // As the main window takes it: host and port only with "ProxyUse" = "y".
    requests.UseProxySettings(sky::settings::StoreReader());
    check = sky::RunVersionCheck(requests);
    error = check.error;
  } catch (const std::exception& e) {
    error = e.what();
  }
  if (json) {
    cli::Json j;
    j.BeginObject().Field("current", sky::kCurrentVersion);
    if (error.empty()) {
      j.Field("outcome", OutcomeName(check.outcome));
      j.Key("latest");
      if (check.outcome == sky::VersionOutcome::NoMarker) j.Null();
      else j.String(check.latest);
      j.Field("message", check.message);
    } else {
      j.Field("outcome", "error").Key("latest").Null().Field("message", error);
    }
    j.EndObject().Print();
    return cli::kExitOk;
  }
  if (!error.empty()) {
    std::cerr << "skyglass-cli version-check: " << sky::Latin1ToUtf8(error) << '\n';
    return cli::kExitFailed;
  }
  std::cout << sky::Latin1ToUtf8(check.message) << '\n';
  return check.outcome == sky::VersionOutcome::NoMarker ? cli::kExitFailed : cli::kExitOk;
}

std::string Shown(const std::string& value) { return sky::Latin1ToUtf8(value); }

std::string ColourText(const std::string& stored) {
  if (stored == kNA) return "not set (design colour)";
  const auto c = sky::TryStringToColor(stored);
  if (!c) return stored + " (not a colour: ignored)";
  const sky::Rgb rgb = sky::ColorToRgb(*c);
  char buf[32];
  std::snprintf(buf, sizeof buf, " (#%02X%02X%02X)", rgb.r, rgb.g, rgb.b);
  return stored + buf;
}

int RunPrefs(const cli::Args& args) {
  cli::ParseArgs(args, {}, {}, 0, 0);
  using namespace sky::settings;
  auto line = [](const char* label, const std::string& text) { std::printf("%-22s %s\n", label, text.c_str()); };
  const std::string autoUpdate = Setting(kAutoUpdate);
  line("Auto update:", autoUpdate == "y"   ? "yes, every 40 minutes"
                       : autoUpdate == kNA ? "not set (off; the dialog offers Yes)"
                                           : "no");
  const std::string startup = Setting(kStartupLoc);
  line("Start-up location:", startup == kNA ? "not set (none)" : Shown(startup));
  const std::string wallpaper = Setting(kAutoWallpaper);
  line("Wallpaper image:", wallpaper == kNA ? "not set (None)" : Shown(wallpaper));
  const std::string host = Setting(kProxy), port = Setting(kProxyPort);
  std::string stored = (host == kNA ? std::string("(no host)") : Shown(host)) + ":" +
                       (port == kNA ? std::string("(no port)") : Shown(port));
  line("Proxy:", Setting(kProxyUse) == "y"    ? "on, " + stored
                 : host == kNA && port == kNA ? std::string("off")
                                              : "off (kept: " + stored + ")");
  line("Label colour:", ColourText(Setting(kLabelColor)));
  line("Label font colour:", ColourText(Setting(kLabelFontColor)));
  line("Stats font colour:", ColourText(Setting(kStatsFontColor)));
  {
    const std::string bg = Setting(kForecastBackground);
    line("Forecast background:", bg == kNA ? std::string("not set (white)") : ColourText(bg));
  }
  const std::string size = Setting(kForecastFontSize);
  line("Forecast font size:", size == kNA ? "not set (8 points)" : Shown(size) + " points");
  const std::vector<std::string> presets = sky::Presets(nullptr, nullptr, {}).Stored();
  std::printf("Preset locations:      %zu of 20\n", presets.size());
  for (std::size_t i = 0; i < presets.size(); ++i) std::printf("  %2zu. %s\n", i + 1, Shown(presets[i]).c_str());
  return cli::kExitOk;
}

const cli::Register kVersionCheck{cli::Command{"version-check", "version-check [--json]", RunVersionCheck}};
const cli::Register kPrefs{cli::Command{"prefs", "prefs", RunPrefs}};

}  // namespace
