#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "settings/hive.h"
#include "settings/ini_proc.h"
#include "temp_config.h"

using namespace sky;

namespace {

class Store : public TempConfig {};

TEST_F(Store, FirstRunReadsNaAndCreatesTheEmptyRootKeyOnly) {
  EXPECT_FALSE(std::filesystem::exists(File()));
  EXPECT_EQ(ReadSetting("Settings", "StartupLoc"), "n/a");
  EXPECT_EQ(ReadSetting("Locations", "loc0"), "n/a");
  EXPECT_TRUE(hive::KeyExists("Software\\Skyglass"));
  EXPECT_FALSE(hive::KeyExists("Software\\Skyglass\\Settings"));  // reads create no section
  EXPECT_FALSE(hive::KeyExists("Software\\Skyglass\\Locations"));
  WriteSetting("Locations", "loc0", "Chicago, IL");
  EXPECT_TRUE(hive::KeyExists("Software\\Skyglass\\Locations"));
  EXPECT_FALSE(hive::KeyExists("Software\\Skyglass\\Settings"));
}

TEST_F(Store, WritesReplaceAndKeepEmptyAndStoredNaReadsAsMissing) {
  WriteSetting("Settings", "AutoUpdate", "y");
  WriteSetting("Settings", "AutoUpdate", "n");
  EXPECT_EQ(ReadSetting("Settings", "AutoUpdate"), "n");
  WriteSetting("Settings", "StartupLoc", "");
  EXPECT_EQ(ReadSetting("Settings", "StartupLoc"), "");
  ASSERT_EQ(ReadSection("Settings").size(), 2u);  // the empty text is a value, not a removal
  WriteSetting("Settings", "Proxy", "n/a");
  EXPECT_EQ(ReadSetting("Settings", "Proxy"), ReadSetting("Settings", "NeverWritten"));
  EXPECT_EQ(ReadSetting("Locations", "AutoUpdate"), "n/a");  // sections are separate
}

TEST_F(Store, NamesIgnoreCaseAndKeepTheFirstSpelling) {
  WriteSetting("Settings", "Labelfcolor", "clRed");
  EXPECT_EQ(ReadSetting("Settings", "labelfcolor"), "clRed");
  WriteSetting("Settings", "Ffontsiz", "12");
  WriteSetting("Settings", "FFONTSIZ", "8");
  EXPECT_EQ(ReadSetting("Settings", "FfontSiz"), "8");
  EXPECT_EQ(ReadSetting("settings", "ffontsiz"), "8");  // section names too
  const auto values = ReadSection("Settings");
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].first, "Labelfcolor");
  EXPECT_EQ(values[1].first, "Ffontsiz");
  // Only ASCII letters fold: these are two names.
  WriteSetting("Settings", "\xC9t\xE9", "1");
  WriteSetting("Settings", "\xE9t\xE9", "2");
  EXPECT_EQ(ReadSetting("Settings", "\xC9t\xE9"), "1");
}

TEST_F(Store, ErasedPresetsReadAsMissingAndLeaveTheOtherSection) {
  for (int i = 0; i < 20; ++i) WriteSetting("Locations", "loc" + std::to_string(i), "Place " + std::to_string(i));
  WriteSetting("Settings", "StartupLoc", "Place 3");
  EraseSection("Locations");
  EXPECT_FALSE(hive::KeyExists("Software\\Skyglass\\Locations"));
  EXPECT_EQ(ReadSetting("Locations", "loc0"), "n/a");
  EXPECT_EQ(ReadSetting("Settings", "StartupLoc"), "Place 3");
  EraseSection("Locations");  // erasing what is not there is no error
  WriteSetting("Locations", "loc0", "Again");
  EXPECT_EQ(ReadSection("Locations").size(), 1u);
}

TEST_F(Store, SwitchingTheProxyOffKeepsHostAndPort) {
  WriteSetting("Settings", "ProxyUse", "y");
  WriteSetting("Settings", "Proxy", "127.0.0.1");
  WriteSetting("Settings", "ProxyPort", "8888");
  WriteSetting("Settings", "ProxyUse", "n");
  EXPECT_EQ(ReadSetting("Settings", "ProxyUse"), "n");
  EXPECT_EQ(ReadSetting("Settings", "Proxy"), "127.0.0.1");
  EXPECT_EQ(ReadSetting("Settings", "ProxyPort"), "8888");
}

TEST_F(Store, EveryLatin1ByteRoundTrips) {
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  WriteSetting("Settings", "all", all);
  WriteSetting("Settings", all, "name of every byte");
  WriteSetting("Settings", " = [x] ", " ;leading and trailing blanks\t ");
  EXPECT_EQ(ReadSetting("Settings", "all"), all);
  EXPECT_EQ(ReadSetting("Settings", all), "name of every byte");
  EXPECT_EQ(ReadSetting("Settings", " = [x] "), " ;leading and trailing blanks\t ");
  // Still one value per line in a file a person can read.
  for (unsigned char c : FileText()) EXPECT_TRUE(c >= 0x20 || c == '\n') << int(c);
  EXPECT_NE(FileText().find("[Software\\Skyglass\\Settings]\n"), std::string::npos);
}

TEST_F(Store, ValuesOfAnotherTypeFailToReadAsText) {
  hive::WriteDword("Software\\Skyglass\\Settings", "FfontSiz", 12);
  try {
    ReadSetting("Settings", "ffontsiz");
    FAIL() << "read a number as text";
  } catch (const ESettingsError& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'ffontsiz'");
  }
  // Writing text over it makes it text again.
  WriteSetting("Settings", "Ffontsiz", "8");
  EXPECT_EQ(ReadSetting("Settings", "FfontSiz"), "8");
}

TEST_F(Store, TheDesktopKeyLivesBesideTheProgramKey) {
  hive::WriteString("Control Panel\\Desktop", "Wallpaper", "/home/u/skyglass.bmp");
  hive::WriteString("Control Panel\\Desktop", "TileWallpaper", "0");
  std::string s;
  ASSERT_TRUE(hive::ReadString("control panel\\desktop", "WALLPAPER", s));
  EXPECT_EQ(s, "/home/u/skyglass.bmp");
  EXPECT_FALSE(hive::ReadString("Control Panel\\Desktop", "WallpaperStyle", s));
  EXPECT_EQ(ReadSetting("Settings", "Wallpaper"), "n/a");
  EXPECT_EQ(hive::ReadSubKeys("Control Panel"), std::vector<std::string>{"Control Panel\\Desktop"});
}

TEST_F(Store, ALinkedFileStaysALinkAndKeepsItsPermissions) {
  WriteSetting("Settings", "AutoUpdate", "y");
  const std::string elsewhere = root_ + "/dotfiles-settings.ini";
  std::filesystem::rename(File(), elsewhere);
  std::filesystem::permissions(elsewhere, std::filesystem::perms(0640));
  std::filesystem::create_symlink(elsewhere, File());
  WriteSetting("Settings", "AutoUpdate", "n");
  EXPECT_TRUE(std::filesystem::is_symlink(File()));
  EXPECT_EQ(std::filesystem::status(elsewhere).permissions(), std::filesystem::perms(0640));
  EXPECT_EQ(ReadSetting("Settings", "AutoUpdate"), "n");
}

// --- refusals ---------------------------------------------------------------

TEST_F(Store, AFolderThatCannotBeCreatedRefusesWrites) {
  // A regular file where a folder should be stops root as well.
  const std::string blocker = root_ + "/not-a-folder";
  std::ofstream(blocker) << "x";
  setenv("XDG_CONFIG_HOME", blocker.c_str(), 1);
  try {
    WriteSetting("Settings", "AutoUpdate", "y");
    FAIL() << "write reported as done";
  } catch (const ESettingsError& e) {
    EXPECT_EQ(std::string(e.what()), "Failed to set data for 'AutoUpdate' (cannot create the folder " + blocker +
                                         "/skyglass: Not a directory)");
  }
  EXPECT_EQ(ReadSetting("Settings", "AutoUpdate"), "n/a");  // reads still answer
  EXPECT_THROW(EraseSection("Locations"), ESettingsError);
}

TEST_F(Store, ALockThatCannotBeTakenIsNamedAsTheCause) {
  std::filesystem::create_directories(Dir() + "/settings.lock");
  try {
    WriteSetting("Settings", "AutoUpdate", "y");
    FAIL() << "write reported as done";
  } catch (const ESettingsError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Failed to set data for 'AutoUpdate' (cannot lock " + Dir() + "/settings.lock: Is a directory)");
  }
}

TEST_F(Store, AnUnwritableFileRefusesWritesAndLeavesNothingBehind) {
  WriteSetting("Settings", "AutoUpdate", "y");
  std::filesystem::remove(File());
  std::filesystem::create_directory(File());  // the file's place is taken by a folder
  EXPECT_THROW(WriteSetting("Settings", "AutoUpdate", "n"), ESettingsError);
  EXPECT_TRUE(std::filesystem::is_directory(File()));
  EXPECT_TRUE(OtherFiles().empty());
}

TEST_F(Store, AFullDiskKeepsTheOldFileAndRemovesTheTemporaryOne) {
  WriteSetting("Settings", "StartupLoc", "Chicago, IL");
  const std::string before = FileText();
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    // A file size limit fails the write just as a full disk does.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit lim{512, 512};
    setrlimit(RLIMIT_FSIZE, &lim);
    int code = 3;
    try {
      WriteSetting("Settings", "Big", std::string(4096, 'x'));
      code = 1;
    } catch (const ESettingsError& e) {
      const std::string what = e.what();
      code = what.starts_with("Failed to set data for 'Big' (cannot write ") && what.ends_with(": File too large)") ? 0
                                                                                                                    : 2;
    }
    _exit(code);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(FileText(), before);
  EXPECT_TRUE(OtherFiles().empty());
}

}  // namespace
