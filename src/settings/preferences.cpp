#include "settings/preferences.h"

#include <algorithm>

#include "images/image_catalogue.h"
#include "locations/presets.h"
#include "settings/ini_proc.h"
#include "settings/settings_names.h"

namespace sky {

namespace {

constexpr const char* kNA = "n/a";

std::string Read(const char* name) { return ReadSetting(kSectionSettings, name); }
void Write(const char* name, const std::string& text) { WriteSetting(kSectionSettings, name, text); }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool LessNoCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(Lower(x)) < static_cast<unsigned char>(Lower(y));
  });
}

void SetField(ProxyField& f, bool enabled) {
  f.enabled = enabled;
  f.silver = !enabled;
}

}  // namespace

const std::vector<std::string>& WallpaperChoices() {
  // The picture rows that carry an AutoWallpaper value, in the catalogue's
  // order: a new picture row with one is offered without a second list.
  static const std::vector<std::string> kChoices = [] {
    std::vector<std::string> choices{settings::kNone};
    for (const ImageRow& row : ImageCatalogue())
      if (row.autoWallpaper[0] != '\0' && IsWallpaperChoice(row.autoWallpaper)) choices.emplace_back(row.autoWallpaper);
    return choices;
  }();
  return kChoices;
}

const std::vector<std::string>& DesignedWallpaperChoices() {
  static const std::vector<std::string> kChoices = {
      "None",
      "US Radar Image - Purdue",
      "US Radar Image - Texas A&&M",
      "US Radar Image - Yahoo",
      "US Radar w/Topography - Texas A&&M",
      "Europe Satellite Image",
      "Europe Satellite Image - Meteo",
      "Global Temp/Weather Image - UW-M",
      "US Infrared Satellite Image - Purdue",
      "US Infrared/Satellite/Radar Image - Purdue",
      "U.S. StormWatch",
  };
  return kChoices;
}

std::vector<std::string> SortedWallpaperChoices(const ServedPictures* served) {
  std::vector<std::string> sorted = WallpaperChoices();
  if (served != nullptr) {
    const auto unserved = [served](const std::string& choice) {
      if (choice == settings::kNone) return false;
      for (const ImageRow& row : ImageCatalogue())
        if (choice == row.autoWallpaper && served->Serves(row.command)) return false;
      return true;
    };
    std::erase_if(sorted, unserved);
  }
  std::stable_sort(sorted.begin(), sorted.end(), LessNoCase);
  return sorted;
}

std::vector<std::string> UnitsChoices(UnitSystem localeDefault) {
  std::vector<std::string> list{"As the desktop: " + UnitSystemCaption(localeDefault)};
  for (UnitSystem u : {UnitSystem::US, UnitSystem::Metric, UnitSystem::UK}) list.push_back(UnitSystemCaption(u));
  return list;
}

void CheckBox1Click(PrefForm& form) {
  const bool enable = !form.proxyHost.enabled;
  SetField(form.proxyHost, enable);
  SetField(form.proxyPort, enable);
}

void SetProxyTick(PrefForm& form, bool ticked) {
  if (form.proxyTicked == ticked) return;
  form.proxyTicked = ticked;
  CheckBox1Click(form);
}

void FillPrefForm(PrefForm& form, const ServedPictures* served) {
  const std::string autoUpdate = Read(settings::kAutoUpdate);
  form.autoUpdateYes = autoUpdate == "y" || autoUpdate == kNA;

  form.startupList = Presets(nullptr, nullptr, {}).Stored();
  form.startupList.emplace_back(settings::kNone);
  // The box keeps the text it had when nothing is stored.
  if (const std::string startup = Read(settings::kStartupLoc); startup != kNA) form.startupText = startup;

  form.wallpaperList = SortedWallpaperChoices(served);
  const std::string wallpaper = Read(settings::kAutoWallpaper);
  form.wallpaperText = wallpaper == kNA ? std::string(settings::kNone) : wallpaper;

  if (Read(settings::kProxyUse) != "y") {
    SetProxyTick(form, false);
    SetField(form.proxyHost, false);
    SetField(form.proxyPort, false);
  } else {
    SetProxyTick(form, true);
  }
  if (const std::string host = Read(settings::kProxy); host != kNA) form.proxyHost.text = host;
  if (const std::string port = Read(settings::kProxyPort); port != kNA) form.proxyPort.text = port;

  form.unitsList = UnitsChoices(UnitSystemForLocale(MeasurementLocaleName()));
  form.unitsIndex = 0;
  if (std::optional<UnitSystem> chosen = ParseUnitSystem(Read(settings::kUnits)))
    form.unitsIndex = 1 + static_cast<int>(*chosen);
  form.warningNotices = Read(settings::kWarningNotices) != settings::kNo;
}

void StorePrefForm(const PrefForm& form) {
  Write(settings::kAutoUpdate, form.autoUpdateYes ? settings::kYes : settings::kNo);
  Write(settings::kStartupLoc, form.startupText);
  if (form.proxyTicked) {
    settings::ParsePort(form.proxyPort.text);  // throws for a port that is no integer
    Write(settings::kProxy, form.proxyHost.text);
    Write(settings::kProxyPort, form.proxyPort.text);
    Write(settings::kProxyUse, settings::kYes);
  } else {
    Write(settings::kProxyUse, settings::kNo);
  }
  Write(settings::kAutoWallpaper, form.wallpaperText);
  // Until the person picks a system the locale's default holds, also when
  // the desktop's locale changes later.
  const int u = form.unitsIndex;
  Write(settings::kUnits, u >= 1 && u <= 3 ? UnitSystemName(static_cast<UnitSystem>(u - 1)) : "");
  Write(settings::kWarningNotices, form.warningNotices ? settings::kYes : settings::kNo);
}

}  // namespace sky
