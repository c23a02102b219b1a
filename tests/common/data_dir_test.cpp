#include "common/data_dir.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "common/version.h"

namespace {

// The test runs from build/bin like the programs, so it finds the build
// tree's data folder the way an installed program finds its own.
TEST(DataDir, BesideTheExecutableUnlessTheEnvironmentSaysOtherwise) {
  unsetenv("SKYGLASS_DATA_DIR");
  const std::filesystem::path bin = sky::ExecutableDir();
  EXPECT_EQ(bin, std::filesystem::path(SKYGLASS_BIN_DIR));
  EXPECT_EQ(sky::DataDir(), (bin.parent_path() / "share" / "skyglass").string());
  EXPECT_EQ(sky::DataFile("help/index.html"), sky::DataDir() + "/help/index.html");

  setenv("SKYGLASS_DATA_DIR", "/opt/sky/data/", 1);
  EXPECT_EQ(sky::DataDir(), "/opt/sky/data/");
  EXPECT_EQ(sky::DataFile("a.txt"), "/opt/sky/data/a.txt");
  setenv("SKYGLASS_DATA_DIR", "", 1);
  EXPECT_EQ(sky::DataDir(), (bin.parent_path() / "share" / "skyglass").string());
  unsetenv("SKYGLASS_DATA_DIR");
}

TEST(Version, IsTheReleaseTheProgramReports) { EXPECT_STREQ(sky::kVersion, "1.30.6.3"); }

}  // namespace
