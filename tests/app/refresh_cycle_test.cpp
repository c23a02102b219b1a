#include "app/refresh_cycle.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <vector>

namespace sky {
namespace {

// A program around the cycle: settings, caption and a log of what happens.
struct Fixture {
  std::map<std::string, std::string> settings;
  std::string caption = "Skyglass";
  bool busy = false;
  bool fail = false;
  bool reportError = false;
  std::vector<std::string> log;

  RefreshHooks Hooks() {
    RefreshHooks h;
    h.readSetting = [this](const std::string& n) {
      auto it = settings.find(n);
      return it == settings.end() ? std::string("n/a") : it->second;
    };
    h.caption = [this] { return caption; };
    h.busy = [this] { return busy; };
    h.setRequest = [this](const std::string& r) { log.push_back("request " + r); };
    h.setSilent = [this](bool on) { log.push_back(on ? "silent y" : "silent off"); };
    h.getTheStats = [this] {
      log.push_back("fetch");
      if (fail) throw std::runtime_error("Connection refused");
      return !reportError;
    };
    h.wallpaper = [this] { log.push_back("wallpaper"); };
    return h;
  }
};

TEST(RequestFromCaption, TakesThirtyCharactersBehindTheTitle) {
  EXPECT_FALSE(RequestFromCaption("Skyglass").has_value());
  EXPECT_FALSE(RequestFromCaption("Skyglass - 1234").has_value());  // 15 characters
  EXPECT_EQ(*RequestFromCaption("Skyglass - San_Francisco, CA"), "San_Francisco, CA");
  EXPECT_EQ(*RequestFromCaption("Skyglass - 78701"), "78701");
  EXPECT_EQ(*RequestFromCaption("Skyglass - " + std::string(40, 'a')), std::string(30, 'a'));
}

TEST(RefreshCycle, StartupFetchesTheStartupPlaceSilentlyOnce) {
  Fixture f;
  f.settings["StartupLoc"] = "Austin, TX";
  RefreshCycle c(f.Hooks());
  c.StartupTick();
  c.StartupTick();
  EXPECT_FALSE(c.StartupEnabled());
  EXPECT_EQ(f.log, (std::vector<std::string>{"request Austin, TX", "silent y", "fetch", "silent off"}));
}

TEST(RefreshCycle, StartupDoesNothingForNoneOrMissing) {
  for (const char* v : {static_cast<const char*>("None"), static_cast<const char*>(nullptr)}) {
    Fixture f;
    if (v) f.settings["StartupLoc"] = v;
    RefreshCycle c(f.Hooks());
    c.StartupTick();
    EXPECT_TRUE(f.log.empty());
    EXPECT_FALSE(c.StartupEnabled());
  }
}

TEST(RefreshCycle, StartupWaitsWhileAnotherFetchRuns) {
  Fixture f;
  f.settings["StartupLoc"] = "Austin, TX";
  f.busy = true;
  RefreshCycle c(f.Hooks());
  c.StartupTick();
  EXPECT_TRUE(c.StartupEnabled());
  EXPECT_TRUE(f.log.empty());
  f.busy = false;
  c.StartupTick();
  EXPECT_EQ(f.log.size(), 4u);
}

TEST(RefreshCycle, SilentFlagIsLoweredWhenTheFetchFails) {
  Fixture f;
  f.settings["StartupLoc"] = "Austin, TX";
  f.fail = true;
  RefreshCycle c(f.Hooks());
  EXPECT_THROW(c.StartupTick(), std::runtime_error);
  EXPECT_EQ(f.log.back(), "silent off");
}

TEST(RefreshCycle, PollsUntilAutoUpdateThenRefreshesTheShownPlace) {
  Fixture f;
  RefreshCycle c(f.Hooks(), {4000, 1000, 2400000});
  c.RefreshTick();
  EXPECT_EQ(c.RefreshInterval(), 1000);
  f.settings["AutoUpdate"] = "Y";  // only exactly "y" counts
  c.RefreshTick();
  EXPECT_EQ(c.RefreshInterval(), 1000);
  EXPECT_TRUE(f.log.empty());

  // On with no place shown: only the long interval is set.
  f.settings["AutoUpdate"] = "y";
  c.RefreshTick();
  EXPECT_EQ(c.RefreshInterval(), 2400000);
  EXPECT_TRUE(f.log.empty());

  f.caption = "Skyglass - Austin, TX";
  c.RefreshTick();
  EXPECT_EQ(f.log, (std::vector<std::string>{"request Austin, TX", "silent y", "fetch", "wallpaper", "silent off"}));

  // Switched off again: no fetch, the long interval stays.
  f.log.clear();
  f.settings["AutoUpdate"] = "n";
  c.RefreshTick();
  EXPECT_TRUE(f.log.empty());
  EXPECT_EQ(c.RefreshInterval(), 2400000);
}

TEST(RefreshCycle, FailedRefreshSkipsWallpaperAndLowersTheFlag) {
  Fixture f;
  f.settings["AutoUpdate"] = "y";
  f.caption = "Skyglass - Austin, TX";
  f.fail = true;
  RefreshCycle c(f.Hooks());
  EXPECT_THROW(c.RefreshTick(), std::runtime_error);
  EXPECT_EQ(f.log, (std::vector<std::string>{"request Austin, TX", "silent y", "fetch", "silent off"}));

  // A fetch that reported its own error skips the wallpaper too.
  f.log.clear();
  f.fail = false;
  f.reportError = true;
  c.RefreshTick();
  EXPECT_EQ(f.log, (std::vector<std::string>{"request Austin, TX", "silent y", "fetch", "silent off"}));
}

}  // namespace
}  // namespace sky
