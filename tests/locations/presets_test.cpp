// The twenty presets on a settings store of the test's own.
#include "locations/presets.h"

#include <gtest/gtest.h>

#include "locations/recording_ports.h"
#include "settings/ini_proc.h"
#include "settings/temp_config.h"

namespace {

using Names = std::vector<std::string>;

class PresetsTest : public TempConfig {
 protected:
  skytest::RecordingMessages ui;
  skytest::FakePresetMenu menu;
  int repaints = 0;
  sky::Presets presets{&ui, &menu, [this] { ++repaints; }};

  sky::CurrentLocation Us(const std::string& city, const std::string& code) {
    sky::CurrentLocation loc;
    loc.Country = "US";
    loc.City = city;
    loc.Region = code;
    return loc;
  }
  void Store(const Names& names) {
    for (std::size_t i = 0; i < names.size(); ++i) sky::WriteSetting("Locations", "loc" + std::to_string(i), names[i]);
  }
};

TEST_F(PresetsTest, AddsEachPlaceOnceInTheFirstFreeSlot) {
  auto loc = Us("Austin", "TX");
  presets.AddPreset(false, loc, "ignored for US places");
  EXPECT_EQ(loc.LocationName, "Austin, TX");
  EXPECT_EQ(ui.log, Names{"Location added to location presets: Austin, TX"});
  EXPECT_EQ(menu.Visible(), Names{"Austin, TX"});
  EXPECT_EQ(repaints, 1);

  ui.log.clear();
  loc.LocationName.clear();
  presets.AddPreset(false, loc, "");
  EXPECT_TRUE(ui.log.empty());
  EXPECT_EQ(loc.LocationName, "Austin, TX");
  EXPECT_EQ(presets.Stored(), Names{"Austin, TX"});

  // A foreign place is stored under the page title: a changed title is a new preset.
  sky::CurrentLocation cairo;
  cairo.City = "62366";
  cairo.Region = "Egypt (O)";
  presets.AddPreset(false, cairo, "Cairo, Egypt");
  presets.AddPreset(false, cairo, "Cairo Airport, Egypt");
  EXPECT_EQ(presets.Stored(), (Names{"Austin, TX", "Cairo, Egypt (O)", "Cairo Airport, Egypt (O)"}));

  // A zip fetch is named from the title and takes the title's state code.
  sky::CurrentLocation zip;
  zip.Zip = "78701";
  zip.Region = ".";
  presets.AddPreset(false, zip, "Austin, Texas");
  EXPECT_EQ(zip.LocationName, "78701 - Austin, TX");
  EXPECT_EQ(zip.Region, "TX");
  EXPECT_EQ(sky::ReadSetting("Locations", "loc3"), "78701 - Austin, TX");

  // A page without a title (a parse error) names no foreign or zip place:
  // nothing like " (O)" or "78702 - , " is stored.
  ui.log.clear();
  sky::CurrentLocation untitled;
  untitled.City = "03772";
  untitled.Region = "United Kingdom (O)";
  presets.AddPreset(false, untitled, "");
  zip.Zip = "78702";
  presets.AddPreset(false, zip, " ");
  EXPECT_TRUE(ui.log.empty());
  EXPECT_EQ(presets.Stored().size(), 4u);
}

TEST_F(PresetsTest, SilentFetchesAddNothing) {
  auto loc = Us("Austin", "TX");
  presets.AddPreset(true, loc, "");
  EXPECT_TRUE(presets.Stored().empty());
  EXPECT_TRUE(ui.log.empty());
  EXPECT_EQ(loc.LocationName, "");
}

TEST_F(PresetsTest, TwentyIsTheLimitEvenForAStoredName) {
  Names names;
  for (int i = 0; i < 20; ++i) names.push_back("City" + std::to_string(i) + ", TX");
  Store(names);
  auto loc = Us("City3", "TX");
  presets.AddPreset(false, loc, "");
  EXPECT_EQ(ui.log, Names{sky::kPresetLimitMessage});
  loc = Us("Waco", "TX");
  presets.AddPreset(false, loc, "");
  EXPECT_EQ(presets.Stored().size(), 20u);

  ui.log.clear();
  presets.ClearPresets();
  EXPECT_EQ(ui.log, Names{"<beep>"});
  EXPECT_TRUE(presets.Stored().empty());
  EXPECT_TRUE(menu.Visible().empty());
  presets.AddPreset(false, loc, "");
  EXPECT_EQ(sky::ReadSetting("Locations", "loc0"), "Waco, TX");
}

TEST_F(PresetsTest, LoadShowsSlotsUpToTheFirstGap) {
  Store({"B, TX", "A, TX"});
  sky::WriteSetting("Locations", "loc3", "after the gap");
  presets.LoadPresetMenu();
  EXPECT_EQ(menu.Visible(), (Names{"B, TX", "A, TX"}));
  presets.ShowPresetInMenu(20, "x");
  presets.ShowPresetInMenu(-1, "x");
  EXPECT_EQ(menu.Visible().size(), 2u);
}

TEST_F(PresetsTest, SortIgnoresCaseAndRemoveAlsoSorts) {
  Store({"Toledo, OH", "austin, TX", "Boston, MA", "Zurich, Switzerland (O)", "Austin, TX"});
  presets.LoadPresetMenu();
  presets.RebuildPresets(false, "");
  EXPECT_EQ(presets.Stored(),
            (Names{"Austin, TX", "austin, TX", "Boston, MA", "Toledo, OH", "Zurich, Switzerland (O)"}));
  EXPECT_EQ(ui.log, (Names{"<beep>", "<beep>"}));

  ui.log.clear();
  presets.RebuildPresets(true, "Boston, MA");
  EXPECT_EQ(presets.Stored(), (Names{"Austin, TX", "austin, TX", "Toledo, OH", "Zurich, Switzerland (O)"}));
  EXPECT_EQ(menu.Visible(), presets.Stored());
  EXPECT_FALSE(menu.visible[4]);
  EXPECT_EQ(menu.captions[4], "");

  // A name that matches nothing only re-sorts.
  presets.RebuildPresets(true, "Nowhere, XX");
  EXPECT_EQ(presets.Stored().size(), 4u);
}

TEST_F(PresetsTest, RemoveAsksFirst) {
  ui.confirmAnswer = false;
  EXPECT_FALSE(presets.ConfirmRemove());
  EXPECT_EQ(ui.log, Names{std::string("<confirm>") + sky::kRemoveConfirmMessage});
  ui.log.clear();
  ui.confirmAnswer = true;
  EXPECT_TRUE(presets.ConfirmRemove());
  EXPECT_EQ(ui.log, (Names{std::string("<confirm>") + sky::kRemoveConfirmMessage, sky::kRemoveSelectMessage}));
}

}  // namespace
