#include <gtest/gtest.h>

#include <algorithm>

#include "common/convert.h"
#include "images/image_catalogue.h"
#include "settings/color_commands.h"
#include "settings/ini_proc.h"
#include "settings/preferences.h"
#include "temp_config.h"

using namespace sky;

namespace {

class Preferences : public TempConfig {};

std::string Get(const char* name) { return ReadSetting(kSectionSettings, name); }
void Put(const char* name, const std::string& text) { WriteSetting(kSectionSettings, name, text); }

TEST_F(Preferences, EmptyStoreShowsTheDefaults) {
  PrefForm f;
  FillPrefForm(f);
  EXPECT_TRUE(f.autoUpdateYes);
  EXPECT_EQ(f.startupList, std::vector<std::string>{"None"});
  EXPECT_EQ(f.startupText, "");
  EXPECT_EQ(f.wallpaperText, "None");
  EXPECT_FALSE(f.proxyTicked);
  EXPECT_FALSE(f.proxyHost.enabled);
  EXPECT_FALSE(f.proxyPort.enabled);
  EXPECT_TRUE(f.proxyHost.silver && f.proxyPort.silver);
}

TEST_F(Preferences, FullStoreFillsEveryField) {
  WriteSetting(kSectionLocations, "loc0", "Austin, TX");
  WriteSetting(kSectionLocations, "loc1", "Paris (O)");
  WriteSetting(kSectionLocations, "loc3", "after a gap: not read");
  Put("AutoUpdate", "n");
  Put("StartupLoc", "Typed_Town, ZZ");
  Put("AutoWallpaper", "US Radar Image - Texas A&&M");
  Put("ProxyUse", "y");
  Put("Proxy", "proxy.example");
  Put("ProxyPort", "8080");
  PrefForm f;
  FillPrefForm(f);
  EXPECT_FALSE(f.autoUpdateYes);
  EXPECT_EQ(f.startupList, (std::vector<std::string>{"Austin, TX", "Paris (O)", "None"}));
  EXPECT_EQ(f.startupText, "Typed_Town, ZZ");
  EXPECT_EQ(f.wallpaperText, "US Radar Image - Texas A&&M");
  EXPECT_TRUE(f.proxyTicked);
  EXPECT_TRUE(f.proxyHost.enabled && f.proxyPort.enabled);
  EXPECT_FALSE(f.proxyHost.silver || f.proxyPort.silver);
  EXPECT_EQ(f.proxyHost.text, "proxy.example");
  EXPECT_EQ(f.proxyPort.text, "8080");

  // A second showing after the proxy was switched off keeps host and port, greyed.
  Put("ProxyUse", "n");
  FillPrefForm(f);
  EXPECT_FALSE(f.proxyTicked);
  EXPECT_FALSE(f.proxyHost.enabled || f.proxyPort.enabled);
  EXPECT_EQ(f.proxyHost.text, "proxy.example");
}

TEST_F(Preferences, TickSwitchesOnTheHostFieldAlone) {
  PrefForm f;  // as designed: host disabled, port enabled
  SetProxyTick(f, true);
  EXPECT_TRUE(f.proxyHost.enabled && f.proxyPort.enabled);
  SetProxyTick(f, true);  // no change, no switch
  EXPECT_TRUE(f.proxyHost.enabled);
  SetProxyTick(f, false);
  EXPECT_FALSE(f.proxyHost.enabled || f.proxyPort.enabled);
  EXPECT_TRUE(f.proxyPort.silver);
}

TEST_F(Preferences, UntickedProxyStoresOnlyTheSwitch) {
  Put("Proxy", "old.host");
  Put("ProxyPort", "3128");
  PrefForm f;
  FillPrefForm(f);
  f.proxyHost.text = "new.host";
  f.startupText = "Typed by hand, XX";
  StorePrefForm(f);
  EXPECT_EQ(Get("ProxyUse"), "n");
  EXPECT_EQ(Get("Proxy"), "old.host");
  EXPECT_EQ(Get("ProxyPort"), "3128");
  EXPECT_EQ(Get("AutoUpdate"), "y");
  EXPECT_EQ(Get("StartupLoc"), "Typed by hand, XX");
  EXPECT_EQ(Get("AutoWallpaper"), "None");
}

TEST_F(Preferences, BadPortStopsAfterRefreshAndStartup) {
  PrefForm f;
  FillPrefForm(f);
  f.autoUpdateYes = false;
  f.startupText = "None";
  SetProxyTick(f, true);
  f.proxyHost.text = "proxy.example";
  f.proxyPort.text = "80a";
  f.wallpaperText = "Europe Satellite Image";
  try {
    StorePrefForm(f);
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'80a' is not a valid integer value");
  }
  EXPECT_EQ(Get("AutoUpdate"), "n");
  EXPECT_EQ(Get("StartupLoc"), "None");
  EXPECT_EQ(Get("ProxyUse"), "n/a");
  EXPECT_EQ(Get("Proxy"), "n/a");
  EXPECT_EQ(Get("AutoWallpaper"), "n/a");

  // A number that is no port is refused where it is typed, with the range.
  for (const char* outside : {"99999", "0", "-1", "65536"}) {
    f.proxyPort.text = outside;
    try {
      StorePrefForm(f);
      ADD_FAILURE() << outside << " stored";
    } catch (const EConvertError& e) {
      EXPECT_NE(std::string(e.what()).find("from 1 to 65535; " + std::string(outside) + " is not a port"),
                std::string::npos)
          << e.what();
    }
    EXPECT_EQ(Get("ProxyPort"), "n/a");
  }
  f.proxyPort.text = "65535";
  StorePrefForm(f);
  EXPECT_EQ(Get("ProxyPort"), "65535");
  f.proxyPort.text = "8080";
  StorePrefForm(f);
  EXPECT_EQ(Get("ProxyUse"), "y");
  EXPECT_EQ(Get("ProxyPort"), "8080");
  EXPECT_EQ(Get("AutoWallpaper"), "Europe Satellite Image");
}

TEST(WallpaperChoices, SortedWithDoubledAmpersands) {
  const auto sorted = SortedWallpaperChoices();
  ASSERT_EQ(sorted.size(), 10u);  // the animated storm watch is no wallpaper
  EXPECT_EQ(std::count(sorted.begin(), sorted.end(), "U.S. StormWatch"), 0);
  EXPECT_EQ(sorted.front(), "Europe Satellite Image");
  EXPECT_EQ(sorted.back(), "US Radar w/Topography - Texas A&&M");
  EXPECT_TRUE(std::is_permutation(sorted.begin(), sorted.end(), WallpaperChoices().begin()));

  // Through the gateway: a choice is offered while one of its rows is served.
  ServedPictures served;
  EXPECT_EQ(SortedWallpaperChoices(&served), sorted);
  for (const ImageRow& row : ImageCatalogue())
    if (std::string(row.autoWallpaper) == "Europe Satellite Image") served.unserved[row.command] = "no source";
  const auto offered = SortedWallpaperChoices(&served);
  EXPECT_EQ(offered.size(), sorted.size() - 1);
  EXPECT_EQ(std::count(offered.begin(), offered.end(), "Europe Satellite Image"), 0);
  EXPECT_EQ(std::count(offered.begin(), offered.end(), "None"), 1);
}

class ScriptedDialog : public IColorDialogPort {
 public:
  Answer answer = Answer::Chosen;
  TColor chosen = clBlack;
  Answer Execute(TColor& color) override {
    color = chosen;
    return answer;
  }
};

class Messages : public IMessagePort {
 public:
  void ShowMessage(const std::string& t) override { shown.push_back(t); }
  void ShowError(const std::string& t) override { shown.push_back(t); }
  bool Confirm(const std::string&) override { return true; }
  void Beep() override {}
  std::vector<std::string> shown;
};

TEST_F(Preferences, ColourCommandsApplyAndStoreByName) {
  ScriptedDialog dialog;
  Messages messages;
  std::vector<std::string> applied;
  auto apply = [&](const std::string& t) { applied.push_back(t); };

  dialog.chosen = clRed;
  EXPECT_EQ(RunColorCommand(ColorCommand::LabelColor, dialog, apply, &messages), "clRed");
  dialog.chosen = 0x123456;
  RunColorCommand(ColorCommand::LabelFontColor, dialog, apply, &messages);
  dialog.chosen = clTeal;
  RunColorCommand(ColorCommand::StatsFontColor, dialog, apply, &messages);
  EXPECT_EQ(applied, (std::vector<std::string>{"clRed", "$00123456", "clTeal"}));
  EXPECT_EQ(Get("labelcolor"), "clRed");
  EXPECT_EQ(Get("labelfcolor"), "$00123456");
  EXPECT_EQ(Get("statsfcolor"), "clTeal");

  dialog.answer = IColorDialogPort::Answer::Cancelled;
  EXPECT_FALSE(RunColorCommand(ColorCommand::LabelColor, dialog, apply, &messages));
  dialog.answer = IColorDialogPort::Answer::Failed;
  RunColorCommand(ColorCommand::LabelColor, dialog, apply, &messages);
  RunColorCommand(ColorCommand::StatsFontColor, dialog, apply, &messages);
  EXPECT_EQ(applied.size(), 3u);
  EXPECT_EQ(Get("labelcolor"), "clRed");
  EXPECT_EQ(messages.shown, (std::vector<std::string>{"Error - Color selection dialog failed to load",
                                                      "Error - Color selection dialog failed to load."}));
}

}  // namespace
