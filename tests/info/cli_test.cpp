// skyglass-cli version-check and prefs, against the sample server.
#include <gtest/gtest.h>

#include "common/run_cli.h"
#include "fetch/sample_server.h"
#include "settings/temp_config.h"

namespace {

class InfoCli : public TempConfig {
 protected:
  skytest::CliRun Cli(const std::string& args) { return skytest::RunCli(args, true, "XDG_CONFIG_HOME=" + root_ + " "); }
  void UseProxy(int port) {
    Cli("setting set Settings ProxyUse y");
    Cli("setting set Settings Proxy 127.0.0.1");
    Cli("setting set Settings ProxyPort " + std::to_string(port));
  }
};

TEST_F(InfoCli, VersionCheckThroughTheStoredProxy) {
  skytest::SampleServer server({"--latest-version", "1.31.0.0"});
  ASSERT_GT(server.port(), 0);
  UseProxy(server.port());
  auto r = Cli("version-check");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "You are using an older version (1.30.6.3). The latest version is 1.31.0.0.\n");
  r = Cli("version-check --json");
  EXPECT_EQ(r.out,
            "{\"current\": \"1.30.6.3\", \"outcome\": \"older\", \"latest\": \"1.31.0.0\", \"message\": \"You are "
            "using an older version (1.30.6.3). The latest version is 1.31.0.0.\"}\n");

  // A proxy nobody listens on: a clear failure, at once.
  Cli("setting set Settings ProxyPort 1");
  r = Cli("version-check");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("skyglass-cli version-check: Connection"), std::string::npos) << r.out;
  r = Cli("version-check --json");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("\"outcome\": \"error\""), std::string::npos) << r.out;
  EXPECT_EQ(Cli("version-check --bogus").exitCode, 2);
}

TEST_F(InfoCli, PrefsReadable) {
  Cli("setting set Settings AutoUpdate y");
  Cli("setting set Settings StartupLoc \"Austin, TX\"");
  Cli("setting set Settings ProxyUse n");
  Cli("setting set Settings Proxy proxy.example");
  Cli("setting set Settings Labelfcolor clTeal");
  Cli("setting set Settings statsfcolor nonsense");
  Cli("setting set Locations loc0 \"Austin, TX\"");
  const auto r = Cli("prefs");
  EXPECT_EQ(r.exitCode, 0);
  for (const char* expected :
       {"Auto update:           yes, every 40 minutes\n", "Start-up location:     Austin, TX\n",
        "Wallpaper image:       not set (None)\n", "Proxy:                 off (kept: proxy.example:(no port))\n",
        "Label colour:          not set (design colour)\n", "Label font colour:     clTeal (#008080)\n",
        "Stats font colour:     nonsense (not a colour: ignored)\n",
        "Preset locations:      1 of 20\n   1. Austin, TX\n"})
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
}

}  // namespace
