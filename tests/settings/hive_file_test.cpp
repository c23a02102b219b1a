#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <random>

#include "settings/hive.h"
#include "settings/ini_proc.h"
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
      if (v.name != w.name || v.type != w.type || v.text != w.text || v.dword != w.dword ||
          v.otherType != w.otherType)
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
    Hive h;
    std::string error;
    if (Parse(text, h, error)) {
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
  ASSERT_TRUE(Parse("# edited\r\n[Software\\Skyglass\\Settings]\r\n  ProxyPort = sz: 8080 \r\n"
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

  using namespace std::string_literals;
  for (const std::string& bad : {"a=sz:b\n"s,                 // value before any key
                                 "[Software\\Skyglass\n"s,    // unclosed key
                                 "[Software\\\\Skyglass]\n"s, // empty level
                                 "[k]\nno equals sign\n"s, "[k]\na=b\n"s, "[k]\na=Sz:b\n"s,
                                 "[k]\na=dword:4294967296\n"s, "[k]\na=sz:\\q\n"s,
                                 "[k]\na=sz:\\x4\n"s,
                                 "[k]\na=sz:\xE9\n"s,          // Latin-1, not UTF-8
                                 "[k]\na=sz:\xE2\x82\xAC\n"s, // a character beyond Latin-1
                                 "[k]\na=sz:b\0c\n"s}) {
    EXPECT_FALSE(Parse(bad, h, error)) << bad;
  }
}

class HiveFile : public TempConfig {};

TEST_F(HiveFile, AnUnparseableFileIsKeptAsideAndTheStoreStartsEmpty) {
  PutFile("[Software\\Skyglass\\Settings]\nStartupLoc=sz:Chicago\n\x01garbage\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(ReadSetting("Settings", "StartupLoc"), "n/a");
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("settings.ini"), std::string::npos) << err;
  const auto others = OtherFiles();
  ASSERT_EQ(others.size(), 1u);
  EXPECT_EQ(others[0].rfind("settings.ini.corrupt-", 0), 0u);
  std::ifstream kept(Dir() + "/" + others[0], std::ios::binary);
  std::string first;
  std::getline(kept, first);
  EXPECT_EQ(first, "[Software\\Skyglass\\Settings]");
  WriteSetting("Settings", "StartupLoc", "Boston, MA");
  EXPECT_EQ(ReadSetting("Settings", "StartupLoc"), "Boston, MA");
  EXPECT_EQ(OtherFiles().size(), 1u);
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
