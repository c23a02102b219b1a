// Files in the program's folders are never written through a planted link,
// and a folder another user could change under the program is refused.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/safe_file.h"
#include "common/user_dirs.h"

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

class SafeFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("skyglass_safe_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    fs::permissions(dir_, fs::perms::owner_all);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(SafeFile, APlantedLinkIsReplacedNotWrittenThrough) {
  const fs::path victim = dir_ / "victim.txt", link = dir_ / "skyglass.bmp";
  std::ofstream(victim) << "precious";
  fs::create_symlink(victim, link);
  ASSERT_TRUE(sky::WriteReplacing(link.string(), "BM", 2));
  EXPECT_EQ(Slurp(victim), "precious");
  EXPECT_FALSE(fs::is_symlink(link));
  EXPECT_EQ(Slurp(link), "BM");

  fs::remove(link);
  fs::create_symlink(victim, link);
  EXPECT_EQ(sky::CopyReplacing(link.string(), (dir_ / "copy").string()), "Too many levels of symbolic links");
  EXPECT_EQ(sky::CopyReplacing(victim.string(), link.string()), "");
  EXPECT_EQ(Slurp(victim), "precious");
  EXPECT_EQ(Slurp(link), "precious");
}

TEST_F(SafeFile, AFileGivenUpLeavesTheOldOneAndNoTrace) {
  const fs::path target = dir_ / "radar.gif";
  std::ofstream(target) << "old";
  {
    sky::ReplacingFile f(target.string());
    ASSERT_TRUE(f);
    std::fputs("half of the new", f.get());
  }
  EXPECT_EQ(Slurp(target), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(SafeFile, FoldersOthersMayWriteInAreRefused) {
  EXPECT_EQ(sky::FolderRefusal(dir_.string()), "");
  fs::permissions(dir_, fs::perms::all);
  const std::string why = sky::FolderRefusal(dir_.string());
  EXPECT_NE(why.find("every user may write in it"), std::string::npos) << why;
  if (::geteuid() != 0) {
    EXPECT_NE(sky::FolderRefusal("/").find("belongs to another user"), std::string::npos);
  }

  // The program's own folders: refused with the reason, not used.
  fs::create_directories(dir_ / "cache" / "skyglass");
  fs::permissions(dir_ / "cache" / "skyglass", fs::perms::all);
  ::setenv("XDG_CACHE_HOME", (dir_ / "cache").c_str(), 1);
  std::string refusal;
  EXPECT_EQ(sky::WorkingDirectory(&refusal), "");
  EXPECT_NE(refusal.find((dir_ / "cache" / "skyglass").string()), std::string::npos) << refusal;
  fs::permissions(dir_ / "cache" / "skyglass", fs::perms::owner_all);
  EXPECT_EQ(sky::WorkingDirectory(), (dir_ / "cache" / "skyglass").string());
  ::unsetenv("XDG_CACHE_HOME");
}

}  // namespace
