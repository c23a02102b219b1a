// Gives each test a settings store of its own: XDG_CONFIG_HOME points at a
// fresh temporary folder for the test's lifetime.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class TempConfig : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/skyglass-settings-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    root_ = tmpl;
    setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::permissions(root_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(root_, ec);
  }
  std::string Dir() const { return root_ + "/skyglass"; }
  std::string File() const { return Dir() + "/settings.ini"; }
  std::string FileText() const {
    std::ifstream f(File(), std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
  }
  void PutFile(const std::string& bytes) const {
    std::filesystem::create_directories(Dir());
    std::ofstream(File(), std::ios::binary) << bytes;
  }
  // Names in the store's folder, the settings file and its lock left out.
  std::vector<std::string> OtherFiles() const {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(Dir())) {
      const auto n = e.path().filename().string();
      if (n != "settings.ini" && n != "settings.lock") out.push_back(n);
    }
    return out;
  }
  std::string root_;
};
