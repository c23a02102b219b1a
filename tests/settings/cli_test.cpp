#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>

#include "temp_config.h"

namespace {

struct CliRun {
  int code = -1;
  std::string out;
};

// Runs the terminal companion with the test's store (or `env` settings);
// stderr goes to stdout.
CliRun Cli(const std::string& args, const std::string& env = "") {
  CliRun r;
  const std::string cmd = env + std::string(SKYGLASS_BIN_DIR) + "/skyglass-cli " + args + " 2>&1";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  std::array<char, 512> buf;
  while (std::size_t n = std::fread(buf.data(), 1, buf.size(), p)) r.out.append(buf.data(), n);
  const int status = pclose(p);
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

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
  EXPECT_EQ(Cli("setting set Settings StartupLoc 'Chicago, IL'").code, 0);
  EXPECT_EQ(Cli("setting set Locations loc0 'Paris (O)'").code, 0);
  const CliRun got = Cli("setting get Settings startuploc");
  EXPECT_EQ(got.code, 0);
  EXPECT_EQ(got.out, "Chicago, IL\n");
  EXPECT_EQ(Cli("setting list").out,
            "[Settings]\nStartupLoc = Chicago, IL\n\n[Locations]\nloc0 = Paris (O)\n");
  EXPECT_EQ(Cli("setting erase Locations").code, 0);
  EXPECT_EQ(Cli("setting get Locations loc0").out, "n/a\n");
  EXPECT_EQ(Cli("setting get Settings").code, 2);  // usage
}

TEST_F(SettingCommand, FailuresGoToStderrWithExitOne) {
  EXPECT_EQ(Cli("setting set --dword Settings FfontSiz 12").code, 0);
  CliRun r = Cli("setting get Settings FfontSiz");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("Invalid data type for 'FfontSiz'"), std::string::npos) << r.out;
  const std::string blocker = root_ + "/file";
  std::ofstream(blocker) << "x";
  r = Cli("setting set Settings AutoUpdate y", "XDG_CONFIG_HOME=" + blocker + " ");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("Failed to set data for 'AutoUpdate'"), std::string::npos) << r.out;
}

}  // namespace
