// skyglass-cli images / image / wallpaper as a user runs them.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>

#include "common/run_cli.h"
#include "fetch/sample_server.h"

namespace {

namespace fs = std::filesystem;

TEST(ImagesCli, ListsDownloadsAndMakesTheWallpaper) {
  skytest::SampleServer server;
  ASSERT_NE(server.port(), 0);
  char tmpl[] = "/tmp/skyglass-images-cli-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string root = tmpl;
  const std::string env = "XDG_CONFIG_HOME=" + root + "/config XDG_CACHE_HOME=" + root +
                          "/cache XDG_DATA_HOME=" + root + "/data XDG_CURRENT_DESKTOP=GNOME PATH=/usr/bin:/bin ";
  for (const std::string& s :
       {std::string("ProxyUse y"), std::string("Proxy 127.0.0.1"), "ProxyPort " + std::to_string(server.port())})
    ASSERT_EQ(skytest::RunCli("setting set Settings " + s, false, env).exitCode, 0);

  const skytest::CliRun list = skytest::RunCli("images", false, env);
  EXPECT_EQ(list.exitCode, 0);
  EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 56);

  // A part that two pictures share is refused; the menu path settles it.
  const skytest::CliRun both = skytest::RunCli("image 'Continental US'", true, env);
  EXPECT_EQ(both.exitCode, 1);
  EXPECT_NE(both.out.find("names 2 pictures"), std::string::npos) << both.out;
  const std::string gif = root + "/t.gif";
  EXPECT_EQ(skytest::RunCli("image 'Precipitation Outlook / 4 - Continental US' -o " + gif, false, env).exitCode, 0);
  EXPECT_GT(fs::file_size(gif), 1000u);
  EXPECT_TRUE(fs::is_empty(root + "/cache/skyglass"));  // nothing left behind

  const skytest::CliRun dry = skytest::RunCli("wallpaper " + gif + " --dry-run", false, env);
  EXPECT_EQ(dry.exitCode, 0);
  if (dry.out.find("gsettings set") != std::string::npos) {
    EXPECT_NE(dry.out.find("gsettings set org.gnome.desktop.background picture-options centered"), std::string::npos);
  } else {
    EXPECT_NE(dry.out.find("No wallpaper setter found"), std::string::npos) << dry.out;
  }
  EXPECT_FALSE(fs::exists(root + "/data/skyglass/skyglass.bmp"));  // a dry run changes nothing

  EXPECT_EQ(skytest::RunCli("wallpaper " + root + "/missing.jpg", false, env).exitCode, 1);
  fs::remove_all(root);
}

}  // namespace
