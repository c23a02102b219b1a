// The 56 weather pictures of the Images and Forecasts menus, as data: one row
// per menu command. The download logic depends on no row but the Purdue
// radar's fallback. Texts are as the menus and captions show them, with each
// doubled "&&".
#pragma once

#include <span>
#include <string>

namespace sky {

enum class ImageGroup { Radar, Satellite, Camera, TempOutlook, PrecOutlook, Seasonal, StormWatch };

struct ImageRow {
  const char* command;  // the command's name, after its menu item
  ImageGroup group;
  const char* menu;     // "&Images" or "&Forecasts"
  const char* submenu;  // "" when the item sits in the menu itself
  const char* caption;  // the menu item
  const char* host;     // the server the picture comes from
  const char* path;     // on that server
  const char* file;     // the local image file (a bare name)
  const char* viewerCaption;
  const char* autoWallpaper;  // the AutoWallpaper value that picks it; "" for none
  const char* note;           // shown after the download; "" for none
  bool animate;               // the GIF control animates it

  std::string SourceAddress() const { return std::string("http://") + host + path; }
};

inline constexpr const char* kImagesMenu = "&Images";
inline constexpr const char* kForecastsMenu = "&Forecasts";

// Every row in menu order: radar, satellite, cameras, storm watch (Images),
// then the 10-day temperature and precipitation outlooks and the seasonal
// outlooks (Forecasts).
std::span<const ImageRow> ImageCatalogue();

// The Purdue radar row, and the picture two hours older that stands in for it
// when the current one is missing.
inline constexpr const char* kPurdueRadarFile = "rad_comp.gif";
inline constexpr const char* kPurdueFallbackPath = "/radar/previous/rad_comp-2.gif";
inline constexpr const char* kPurdueFallbackFile = "rad_comp-2.gif";
inline constexpr long long kPurdueMinimumBytes = 10000;
inline constexpr const char* kPurdueFallbackMessage =
    "Sorry, this image is not available at the moment.  I will retry an image 2 hours older than the current.";

// "Images > Local Radar": not a row of the catalogue (its address depends on
// the current place), but shown and downloaded as one. Its server is the
// Purdue radar's; the place goes along as the conditions address
// (ConditionsPath) in the query: LocalRadarAddress("US/TX/Austin.html") is
// "http://weather.purdue.edu/radar/local_loop.gif?place=US%2FTX%2FAustin.html".
inline constexpr const char* kLocalRadarPath = "/radar/local_loop.gif";
const ImageRow& LocalRadarRow();
std::string LocalRadarAddress(const std::string& conditionsPath);
// The place's part of such an address: "?place=US%2FTX%2FAustin.html".
std::string PlaceQuery(const std::string& conditionsPath);

// The row whose command is `command`, or nullptr.
const ImageRow* FindImageCommand(const std::string& command);
// The radar or satellite row whose AutoWallpaper value equals `value`
// exactly ("&&" included), or nullptr.
const ImageRow* FindAutoWallpaperRow(const std::string& value);
// Whether a wallpaper choice can be one: "None", or the AutoWallpaper value of
// a still picture (an animation has no single picture to lay on the desktop).
// The preferences offer only such choices.
bool IsWallpaperChoice(const std::string& value);
// The menu caption without access-key marks: "&&" becomes "&", a single "&"
// goes ("&2 - US Radar Image - Texas A&&M" -> "2 - US Radar Image - Texas A&M").
std::string PlainCaption(const std::string& caption);

}  // namespace sky
