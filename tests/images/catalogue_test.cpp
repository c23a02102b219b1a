// The picture catalogue against the menus' tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "images/image_catalogue.h"
#include "settings/preferences.h"

namespace {

using sky::ImageGroup;
using sky::ImageRow;

std::map<ImageGroup, int> CountByGroup() {
  std::map<ImageGroup, int> n;
  for (const ImageRow& r : sky::ImageCatalogue()) ++n[r.group];
  return n;
}

TEST(ImageCatalogue, FiftySixRowsInTheirGroupsWithUniqueCommands) {
  ASSERT_EQ(sky::ImageCatalogue().size(), 56u);
  const auto n = CountByGroup();
  EXPECT_EQ(n.at(ImageGroup::Radar), 4);
  EXPECT_EQ(n.at(ImageGroup::Satellite), 5);
  EXPECT_EQ(n.at(ImageGroup::Camera), 23);
  EXPECT_EQ(n.at(ImageGroup::TempOutlook), 10);
  EXPECT_EQ(n.at(ImageGroup::PrecOutlook), 10);
  EXPECT_EQ(n.at(ImageGroup::Seasonal), 3);
  EXPECT_EQ(n.at(ImageGroup::StormWatch), 1);
  std::set<std::string> commands, items;
  for (const ImageRow& r : sky::ImageCatalogue()) {
    SCOPED_TRACE(r.command);
    EXPECT_TRUE(commands.insert(r.command).second);
    EXPECT_TRUE(items.insert(std::string(r.menu) + "|" + r.submenu + "|" + r.caption).second);
    // The local file is the path's last part: the file lands under that name.
    const std::string path = r.path;
    EXPECT_EQ(path.substr(path.rfind('/') + 1), r.file);
    EXPECT_EQ(std::string(r.viewerCaption).rfind("Skyglass - ", 0), 0u);
    EXPECT_EQ(r.animate, r.group == ImageGroup::StormWatch);
    EXPECT_EQ(r.note[0] != '\0', r.group == ImageGroup::Seasonal);
    EXPECT_EQ(std::string(r.menu), r.group == ImageGroup::TempOutlook || r.group == ImageGroup::PrecOutlook ||
                                           r.group == ImageGroup::Seasonal
                                       ? sky::kForecastsMenu
                                       : sky::kImagesMenu);
  }
  for (const char* named :
       {"mnuUSRadarPurdueClick", "mnu10Africa1Click", "mnu10PrecAfricaClick", "mnuCamAlaskaAnchorage1Click",
        "mnuUSStormWatch1Click", "mnu1and3monthUSPrecipitation1Click"})
    EXPECT_NE(sky::FindImageCommand(named), nullptr) << named;
}

TEST(ImageCatalogue, RowsAsTheMenusShowThem) {
  const ImageRow* us = nullptr;
  for (const ImageRow& r : sky::ImageCatalogue())
    if (r.group == ImageGroup::TempOutlook && std::string(r.caption) == "&4 - Continental US") us = &r;
  ASSERT_NE(us, nullptr);
  EXPECT_STREQ(us->path, "/pix/temp1.gif");
  EXPECT_STREQ(us->file, "temp1.gif");
  EXPECT_STREQ(us->viewerCaption, "Skyglass - 10-Day Outlook for Continental US");

  const ImageRow* tamu = sky::FindImageCommand("mnuUSRadarTexasAMClick");
  ASSERT_NE(tamu, nullptr);
  EXPECT_STREQ(tamu->caption, "&2 - US Radar Image - Texas A&&M");
  EXPECT_STREQ(tamu->viewerCaption, "Skyglass - US Radar Image - Texas A&&M University");
  EXPECT_EQ(sky::PlainCaption(tamu->caption), "2 - US Radar Image - Texas A&M");

  const ImageRow* storm = sky::FindImageCommand("mnuUSStormWatch1Click");
  ASSERT_NE(storm, nullptr);
  EXPECT_EQ(storm->SourceAddress(), std::string("http://") + storm->host + "/STORMWATCH/images/SWUS2D.gif");

  // Region N's files: Africa 10, Australia 7, ... South Asia 6.
  const int expected[] = {10, 7, 2, 1, 5, 4, 3, 9, 8, 6};
  int i = 0, j = 0;
  for (const ImageRow& r : sky::ImageCatalogue()) {
    if (r.group == ImageGroup::TempOutlook) {
      EXPECT_EQ(r.file, "temp" + std::to_string(expected[i++]) + ".gif");
    }
    if (r.group == ImageGroup::PrecOutlook) {
      EXPECT_EQ(r.file, "prec" + std::to_string(expected[j++]) + ".gif");
    }
  }
  const ImageRow* page2 = sky::FindImageCommand("mnu1and3monthUSPrecipitation1Click");
  ASSERT_NE(page2, nullptr);
  EXPECT_STREQ(
      page2->note,
      "Note: The bottom two images depict the 3-month outlook.  The letters above the purple bar indicate month.");
  EXPECT_STREQ(sky::kPurdueFallbackPath, "/radar/previous/rad_comp-2.gif");
  EXPECT_STREQ(sky::kPurdueFallbackFile, "rad_comp-2.gif");
}

TEST(ImageCatalogue, NineWallpaperRowsMatchThePreferenceChoices) {
  std::vector<std::string> values;
  for (const ImageRow& r : sky::ImageCatalogue()) {
    if (r.autoWallpaper[0] == '\0') continue;
    EXPECT_TRUE(r.group == ImageGroup::Radar || r.group == ImageGroup::Satellite) << r.command;
    values.push_back(r.autoWallpaper);
    EXPECT_EQ(sky::FindAutoWallpaperRow(r.autoWallpaper), &r);
  }
  EXPECT_EQ(values.size(), 9u);
  // The preferences offer exactly these, besides "None"; the animated storm
  // watch of the list as drawn up is no wallpaper.
  std::vector<std::string> offered;
  for (const std::string& c : sky::WallpaperChoices())
    if (c != "None") offered.push_back(c);
  EXPECT_EQ(sky::DesignedWallpaperChoices().size(), sky::WallpaperChoices().size() + 1);
  EXPECT_FALSE(sky::IsWallpaperChoice("U.S. StormWatch"));
  EXPECT_FALSE(sky::IsWallpaperChoice(""));
  EXPECT_TRUE(sky::IsWallpaperChoice("None"));
  EXPECT_TRUE(sky::IsWallpaperChoice("US Radar Image - Texas A&&M"));
  std::sort(values.begin(), values.end());
  std::sort(offered.begin(), offered.end());
  EXPECT_EQ(values, offered);
  EXPECT_EQ(sky::FindAutoWallpaperRow("US Radar Image - Texas A&M"), nullptr);
  EXPECT_EQ(sky::FindAutoWallpaperRow("U.S. StormWatch"), nullptr);
  EXPECT_EQ(sky::FindAutoWallpaperRow(""), nullptr);
}

TEST(ImageCatalogue, LocalRadarSendsThePlaceAlong) {
  const ImageRow& radar = sky::LocalRadarRow();
  EXPECT_EQ(sky::FindImageCommand(radar.command), nullptr);  // not one of the 56
  EXPECT_TRUE(radar.animate);
  EXPECT_EQ(sky::LocalRadarAddress("US/TX/Austin.html"),
            "http://weather.purdue.edu/radar/local_loop.gif?place=US%2FTX%2FAustin.html");
  // A zip address and blanks stay one query value; Latin-1 bytes are escaped.
  EXPECT_EQ(sky::LocalRadarAddress("cgi-bin/findweather/getForecast?query=78701"),
            "http://weather.purdue.edu/radar/local_loop.gif?place=cgi-bin%2Ffindweather%2FgetForecast%3Fquery%3D78701");
  EXPECT_EQ(sky::LocalRadarAddress("US/TX/San Antonio&x=\xE9.html").substr(53),
            "US%2FTX%2FSan%20Antonio%26x%3D%E9.html");
}

}  // namespace
