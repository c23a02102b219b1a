#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "common/run_cli.h"
#include "temp_config.h"

namespace {

using skytest::CliRun;

// With the test's store (or the `env` settings); stderr joins stdout.
CliRun Cli(const std::string& args, const std::string& env = "") { return skytest::RunCli(args, true, env); }

class SettingCommand : public TempConfig {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(std::string(SKYGLASS_BIN_DIR) + "/skyglass-cli"))
      GTEST_SKIP() << "skyglass-cli is not built";
    TempConfig::SetUp();
  }
};

TEST_F(SettingCommand, SetsGetsListsAndErases) {
  EXPECT_EQ(Cli("setting get Settings StartupLoc").out, "n/a\n");
  EXPECT_EQ(Cli("setting set Settings StartupLoc 'Chicago, IL'").exitCode, 0);
  EXPECT_EQ(Cli("setting set Locations loc0 'Paris (O)'").exitCode, 0);
  const CliRun got = Cli("setting get Settings startuploc");
  EXPECT_EQ(got.exitCode, 0);
  EXPECT_EQ(got.out, "Chicago, IL\n");
  EXPECT_EQ(Cli("setting list").out, "[Settings]\nStartupLoc = Chicago, IL\n\n[Locations]\nloc0 = Paris (O)\n");
  EXPECT_EQ(Cli("setting erase Locations").exitCode, 0);
  EXPECT_EQ(Cli("setting get Locations loc0").out, "n/a\n");
  EXPECT_EQ(Cli("setting get Settings").exitCode, 2);  // usage
}

TEST_F(SettingCommand, SkippedLinesAreToldOnceOnStderr) {
  PutFile("[Software\\Skyglass\\Settings]\nStartupLoc=sz:Chicago, IL\nAutoUpdate\n");
  CliRun r = Cli("setting get Settings StartupLoc");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out.rfind("Chicago, IL\nskyglass-cli: 1 line of the settings file " + File() +
                            " could not be read and was skipped (line 3: no \"=\"); the file as it was is kept as " +
                            File() + ".corrupt-",
                        0),
            0u)
      << r.out;
  EXPECT_EQ(Cli("setting get Settings StartupLoc").out, "Chicago, IL\n");
}

TEST_F(SettingCommand, FailuresGoToStderrWithExitOne) {
  EXPECT_EQ(Cli("setting set --dword Settings FfontSiz 12").exitCode, 0);
  CliRun r = Cli("setting get Settings FfontSiz");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("Invalid data type for 'FfontSiz'"), std::string::npos) << r.out;
  const std::string blocker = root_ + "/file";
  std::ofstream(blocker) << "x";
  r = Cli("setting set Settings AutoUpdate y", "XDG_CONFIG_HOME=" + blocker + " ");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("Failed to set data for 'AutoUpdate'"), std::string::npos) << r.out;
  // A command that reads the store on its way reports the same failure, not
  // an abort (the proxy is on loopback, so nothing leaves the machine).
  EXPECT_EQ(Cli("setting set Settings ProxyUse y").exitCode, 0);
  EXPECT_EQ(Cli("setting set Settings Proxy 127.0.0.1").exitCode, 0);
  r = Cli("setting set Settings ProxyPort 99999");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("from 1 to 65535; 99999 is not a port"), std::string::npos) << r.out;
  EXPECT_EQ(Cli("setting get Settings ProxyPort").out, "n/a\n");
  EXPECT_EQ(Cli("setting set --dword Settings ProxyPort 1").exitCode, 0);
  r = Cli("conditions 'Austin, TX' --json");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("Invalid data type for 'ProxyPort'"), std::string::npos) << r.out;
}

}  // namespace
