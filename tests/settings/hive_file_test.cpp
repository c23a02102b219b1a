#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <iterator>
#include <random>

#include "settings/hive.h"
#include "settings/ini_proc.h"
#include "settings/store_notice.h"
#include "temp_config.h"

using namespace sky;
using namespace sky::hive;

namespace {

std::string RandomBytes(std::mt19937& rng, std::size_t maxLen) {
  std::uniform_int_distribution<std::size_t> len(0, maxLen);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string s(len(rng), '\0');
  for (char& c : s) c = static_cast<char>(byte(rng));
  return s;
}

bool SameHive(const Hive& a, const Hive& b) {
  if (a.keys.size() != b.keys.size()) return false;
  for (std::size_t i = 0; i < a.keys.size(); ++i) {
    const Key &x = a.keys[i], &y = b.keys[i];
    if (x.path != y.path || x.values.size() != y.values.size()) return false;
    for (std::size_t j = 0; j < x.values.size(); ++j) {
      const Value &v = x.values[j], &w = y.values[j];
      if (v.name != w.name || v.type != w.type || v.text != w.text || v.dword != w.dword || v.otherType != w.otherType)
        return false;
    }
  }
  return true;
}

TEST(HiveText, AnyNamesAndTextsRoundTrip) {
  std::mt19937 rng(20261207);
  for (int round = 0; round < 300; ++round) {
    Hive h;
    h.Create("Software\\Skyglass");
    for (int i = 0; i < 8; ++i) {
      Value v;
      v.name = RandomBytes(rng, 12) + std::to_string(i);  // distinct names
      if (i % 3 == 0) {
        v.type = ValueType::Dword;
        v.dword = static_cast<std::uint32_t>(rng());
      } else {
        v.text = RandomBytes(rng, 40);
      }
      h.Set(i % 2 ? "Software\\Skyglass\\Settings" : "Control Panel\\Desktop \xE9t\xE9", v);
    }
    Hive back;
    std::string error;
    ASSERT_TRUE(Parse(Serialize(h), back, error)) << error;
    ASSERT_TRUE(SameHive(h, back)) << Serialize(h);
  }
}

TEST(HiveText, RandomAndMangledFilesNeverCrashTheReader) {
  std::mt19937 rng(7);
  Hive sample;
  Value v;
  v.name = "StartupLoc";
  v.text = "Chicago, IL \xB0";
  sample.Set("Software\\Skyglass\\Settings", v);
  const std::string good = Serialize(sample);
  for (int round = 0; round < 3000; ++round) {
    std::string text = round % 2 ? RandomBytes(rng, 300) : good;
    if (round % 2 == 0) {  // flip, drop and insert a few bytes of a good file
      for (int k = 0; k < 3; ++k) {
        const std::size_t at = rng() % text.size();
        switch (rng() % 3) {
          case 0: text[at] = static_cast<char>(rng()); break;
          case 1: text.erase(at, 1); break;
          default: text.insert(at, 1, "\\=[]:\n\r"[rng() % 7]); break;
        }
      }
    }
    // Whatever lines can be read are read, and written back they read the same.
    ParseReport report;
    const Hive readable = ParseReadable(text, report);
    Hive back;
    std::string error;
    ASSERT_TRUE(Parse(Serialize(readable), back, error)) << error;
    ASSERT_TRUE(SameHive(readable, back));
    Hive h;
    if (Parse(text, h, error)) {
      EXPECT_EQ(report.skipped, 0u);
      // Whatever was accepted must be written back so that it reads the same.
      Hive again;
      ASSERT_TRUE(Parse(Serialize(h), again, error)) << error;
      ASSERT_TRUE(SameHive(h, again));
    } else {
      EXPECT_EQ(error.rfind("line ", 0), 0u);
    }
  }
}

TEST(HiveText, AcceptsHandEditsAndRejectsBrokenLines) {
  Hive h;
  std::string error;
  ASSERT_TRUE(
      Parse("# edited\r\n[Software\\Skyglass\\Settings]\r\n  ProxyPort = sz: 8080 \r\n"
            "n=dword:0x10\nproxyport=sz:8081\nx=binary:ab\\x01\n\n",
            h, error))
      << error;
  const Value* port = h.Get("software\\skyglass\\settings", "PROXYPORT");
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(port->name, "ProxyPort");  // a repeated name: later text, first spelling
  EXPECT_EQ(port->text, "8081");
  EXPECT_EQ(h.Get("Software\\Skyglass\\Settings", "n")->dword, 16u);
  EXPECT_EQ(h.Get("Software\\Skyglass\\Settings", "x")->type, ValueType::Other);
  ASSERT_TRUE(Parse("\xEF\xBB\xBF[k]\na=sz:b\n", h, error)) << error;  // saved by an editor with a BOM
  EXPECT_EQ(h.Get("k", "a")->text, "b");
  // A key given twice in another case is one key, spelled as first given.
  ASSERT_TRUE(Parse("[Key]\nA=sz:1\n[other]\n[KEY]\na=sz:2\nb=sz:3\n", h, error)) << error;
  ASSERT_EQ(h.keys.size(), 2u);
  EXPECT_EQ(h.keys[0].path, "Key");
  ASSERT_EQ(h.keys[0].values.size(), 2u);
  EXPECT_EQ(h.keys[0].values[0].name, "A");
  EXPECT_EQ(h.keys[0].values[0].text, "2");

  using namespace std::string_literals;
  for (const std::string& bad : {"a=sz:b\n"s,                  // value before any key
                                 "[Software\\Skyglass\n"s,     // unclosed key
                                 "[Software\\\\Skyglass]\n"s,  // empty level
                                 "[k]\nno equals sign\n"s, "[k]\na=b\n"s, "[k]\na=Sz:b\n"s,
                                 "[k]\na=dword:4294967296\n"s, "[k]\na=sz:\\q\n"s, "[k]\na=sz:\\x4\n"s,
                                 "[k]\na=sz:\xE9\n"s,          // Latin-1, not UTF-8
                                 "[k]\na=sz:\xE2\x82\xAC\n"s,  // a character beyond Latin-1
                                 "[k]\na=sz:b\0c\n"s}) {
    EXPECT_FALSE(Parse(bad, h, error)) << bad;
  }
}

class HiveFile : public TempConfig {};

struct Messages : IMessagePort {
  std::vector<std::string> shown;
  void ShowMessage(const std::string& text) override { shown.push_back(text); }
  void ShowError(const std::string& text) override { shown.push_back(text); }
  bool Confirm(const std::string&) override { return false; }
  void Beep() override {}
};

TEST_F(HiveFile, LinesThatCannotBeReadAreSkippedAndTheFileKeptAsideOnce) {
  // A byte typed by hand, a line without "=", and a broken key line whose
  // value must not land in the key above it.
  const std::string original =
      "[Software\\Skyglass\\Settings]\nStartupLoc=sz:Chicago\n\x01garbage\nAutoUpdate=sz:y\n"
      "[Software\\Skyglass\\Locations]\nloc0=sz:Paris (O)\nloc1 Boston\n[Software\\Broken\nloc9=sz:x\n";
  PutFile(original);
  EXPECT_EQ(ReadSetting("Settings", "StartupLoc"), "Chicago");
  EXPECT_EQ(ReadSetting("Settings", "AutoUpdate"), "y");
  EXPECT_EQ(ReadSetting("Locations", "loc0"), "Paris (O)");
  EXPECT_EQ(ReadSetting("Locations", "loc9"), "n/a");
  const auto others = OtherFiles();
  ASSERT_EQ(others.size(), 1u);
  EXPECT_EQ(others[0].rfind("settings.ini.corrupt-", 0), 0u);
  std::ifstream kept(Dir() + "/" + others[0], std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), original);
  // The file now holds what could be read, so the user is told once.
  Hive h;
  std::string error;
  EXPECT_TRUE(Parse(FileText(), h, error)) << error;
  Messages m;
  EXPECT_TRUE(TellStoreNotice(m));
  ASSERT_EQ(m.shown.size(), 1u);
  EXPECT_EQ(m.shown[0], "4 lines of the settings file " + File() +
                            " could not be read and were skipped (line 3: no \"=\"); the file as it "
                            "was is kept as " +
                            Dir() + "/" + others[0] + ".");
  EXPECT_FALSE(TellStoreNotice(m));
  WriteSetting("Settings", "StartupLoc", "Boston, MA");
  EXPECT_EQ(ReadSetting("Settings", "StartupLoc"), "Boston, MA");
  EXPECT_EQ(OtherFiles().size(), 1u);
  EXPECT_FALSE(TakeStoreNotice());
}

TEST_F(HiveFile, RandomFileContentsGiveAnswersNotCrashes) {
  std::mt19937 rng(99);
  for (int round = 0; round < 40; ++round) {
    PutFile(RandomBytes(rng, 2000));
    testing::internal::CaptureStderr();
    EXPECT_NO_THROW(ReadSetting("Settings", "StartupLoc"));
    WriteSetting("Settings", "StartupLoc", "x");
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadSetting("Settings", "StartupLoc"), "x");
    std::filesystem::remove_all(Dir());
  }
}

// Runs `body` in a child process; its exit code is returned.
template <class F>
int InChild(F body) {
  const pid_t pid = fork();
  if (pid == 0) {
    int code = 0;
    try {
      code = body();
    } catch (...) {
      code = 100;
    }
    _exit(code);
  }
  return pid;
}

TEST_F(HiveFile, TwoProcessesWritingAtOnceLoseNothing) {
  constexpr int kEach = 60;
  pid_t kids[2];
  for (int k = 0; k < 2; ++k) {
    kids[k] = InChild([k] {
      for (int i = 0; i < kEach; ++i)
        WriteSetting(k ? "Settings" : "Locations", "v" + std::to_string(k) + "_" + std::to_string(i),
                     std::to_string(i));
      return 0;
    });
  }
  for (pid_t pid : kids) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  EXPECT_EQ(ReadSection("Locations").size(), static_cast<std::size_t>(kEach));
  EXPECT_EQ(ReadSection("Settings").size(), static_cast<std::size_t>(kEach));
  EXPECT_EQ(ReadSetting("Settings", "v1_59"), "59");
  EXPECT_TRUE(OtherFiles().empty());
}

// A FIFO (or a device) in the file's place: reads answer "n/a" at once,
// writes fail naming the cause, and nothing is set aside or replaced.
TEST_F(HiveFile, AFifoInPlaceOfTheFileNeitherHangsNorIsReplaced) {
  std::filesystem::create_directories(Dir());
  ASSERT_EQ(mkfifo(File().c_str(), 0600), 0);
  alarm(20);  // a hang fails the test instead of the whole run
  testing::internal::CaptureStderr();
  EXPECT_EQ(ReadSetting("Settings", "StartupLoc"), "n/a");
  EXPECT_NE(testing::internal::GetCapturedStderr().find("not a regular file"), std::string::npos);
  try {
    WriteSetting("Settings", "StartupLoc", "x");
    ADD_FAILURE() << "write reported as done";
  } catch (const ESettingsError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Failed to set data for 'StartupLoc' (cannot read " + File() + ": it is not a regular file)");
  }
  alarm(0);
  EXPECT_TRUE(std::filesystem::is_fifo(File()));
  EXPECT_TRUE(OtherFiles().empty());
}

// A store linked into another folder: temporary files are made beside the
// target, and those an interrupted writer left there are cleaned up.
TEST_F(HiveFile, ALinkedStoreKeepsItsTargetFolderClean) {
  const std::filesystem::path dotfiles = root_ + "/dotfiles";
  std::filesystem::create_directories(dotfiles);
  std::filesystem::create_directories(Dir());
  std::filesystem::create_symlink("../dotfiles/skyglass.ini", File());  // dangling until the first write
  WriteSetting("Settings", "StartupLoc", "Chicago, IL");
  ASSERT_TRUE(std::filesystem::is_symlink(File()));
  ASSERT_TRUE(std::filesystem::is_regular_file(dotfiles / "skyglass.ini"));
  for (int round = 0; round < 4; ++round) {
    const pid_t pid = InChild([] {
      for (int i = 0;; ++i) WriteSetting("Locations", "loc" + std::to_string(i % 20), std::string(i % 500, 'p'));
      return 0;
    });
    usleep(static_cast<useconds_t>(2000 + 3000 * round));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  WriteSetting("Settings", "AutoUpdate", "y");
  EXPECT_TRUE(std::filesystem::is_symlink(File()));
  EXPECT_EQ(ReadSetting("Settings", "StartupLoc"), "Chicago, IL");
  std::vector<std::string> left;
  for (const auto& e : std::filesystem::directory_iterator(dotfiles)) left.push_back(e.path().filename());
  EXPECT_EQ(left, std::vector<std::string>{"skyglass.ini"});
  EXPECT_TRUE(OtherFiles().empty());
}

TEST_F(HiveFile, AKillInTheMiddleOfWritesLeavesAReadableFile) {
  std::mt19937 rng(5);
  WriteSetting("Settings", "StartupLoc", "Chicago, IL");
  for (int round = 0; round < 15; ++round) {
    const pid_t pid = InChild([] {
      for (int i = 0;; ++i) WriteSetting("Locations", "loc" + std::to_string(i % 20), std::string(i % 500, 'p'));
      return 0;
    });
    usleep(static_cast<useconds_t>(1000 + rng() % 20000));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    Hive h;
    std::string error;
    ASSERT_TRUE(Parse(FileText(), h, error)) << error;
    ASSERT_NE(h.Get("Software\\Skyglass\\Settings", "StartupLoc"), nullptr);
  }
  // The next writer clears what the killed one left behind.
  WriteSetting("Settings", "AutoUpdate", "y");
  EXPECT_TRUE(OtherFiles().empty());
}

}  // namespace
