// skyglass-cli explains itself: the overview, one command's help, and the
// ways of asking for it.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "common/run_cli.h"

namespace {

using skytest::CliRun;
using skytest::RunCli;

// The command names of the overview's two lists, in order.
void ListedCommands(const std::string& overview, std::vector<std::string>& user, std::vector<std::string>& plumbing) {
  std::istringstream in(overview);
  std::string line;
  std::vector<std::string>* list = nullptr;
  while (std::getline(in, line)) {
    if (line == "Commands:") list = &user;
    else if (line.rfind("Plumbing", 0) == 0) list = &plumbing;
    else if (line.empty()) list = nullptr;
    else if (list && line.rfind("  ", 0) == 0) list->push_back(line.substr(2, line.find(' ', 2) - 2));
  }
}

TEST(CliHelp, OverviewListsUserCommandsFirstThenThePlumbing) {
  const CliRun r = RunCli("--help");
  ASSERT_EQ(r.exitCode, 0);
  std::vector<std::string> user, plumbing;
  ListedCommands(r.out, user, plumbing);
  ASSERT_GE(user.size(), 5u) << r.out;
  EXPECT_EQ(std::vector<std::string>(user.begin(), user.begin() + 5),
            (std::vector<std::string>{"conditions", "locations", "fetch", "moon", "setting"}));
  for (const char* p : {"parse-page", "derive", "request", "get", "locate"})
    EXPECT_NE(std::find(plumbing.begin(), plumbing.end(), p), plumbing.end()) << p;
  EXPECT_NE(r.out.find("\"Paris, France (O)\""), std::string::npos);
  EXPECT_NE(r.out.find("Exit codes"), std::string::npos);
  EXPECT_EQ(RunCli("-h").out, r.out);
  EXPECT_EQ(RunCli("help").out, r.out);

  // Every command listed explains itself, however it is asked.
  user.insert(user.end(), plumbing.begin(), plumbing.end());
  for (const std::string& name : user) {
    const CliRun h = RunCli("help " + name);
    EXPECT_EQ(h.exitCode, 0) << name;
    EXPECT_EQ(h.out.rfind("usage: skyglass-cli " + name, 0), 0u) << h.out;
    EXPECT_NE(h.out.find("Exit codes:"), std::string::npos) << name;
    EXPECT_EQ(RunCli(name + " --help").out, h.out) << name;
  }
}

TEST(CliHelp, CommandHelpShowsArgumentsExamplesAndExitCodes) {
  const CliRun r = RunCli("conditions --help");  // answered without fetching anything
  ASSERT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("skyglass-cli conditions \"Austin, TX\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("78701"), std::string::npos);
  EXPECT_NE(r.out.find("  1  not a place"), std::string::npos) << r.out;
  EXPECT_EQ(RunCli("conditions 'Austin, TX' -h").out, r.out);

  // After "--" an option is an argument like any other.
  EXPECT_EQ(RunCli("locations -- --help").exitCode, 1);

  CliRun bad = RunCli("help nosuch", true);
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.out.find("unknown command 'nosuch'"), std::string::npos);
  bad = RunCli("conditions", true);
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.out.find("skyglass-cli help conditions"), std::string::npos) << bad.out;
}

TEST(CliHelp, PictureCommandsAreUserCommandsWithExamples) {
  const CliRun overview = RunCli("--help");
  std::vector<std::string> user, plumbing;
  ListedCommands(overview.out, user, plumbing);
  for (const char* name : {"images", "image", "wallpaper"}) {
    EXPECT_NE(std::find(user.begin(), user.end(), name), user.end()) << name;
    const CliRun h = RunCli(std::string("help ") + name);
    EXPECT_NE(h.out.find("Example"), std::string::npos) << h.out;
    EXPECT_NE(h.out.find(std::string("  skyglass-cli ") + name), std::string::npos) << h.out;
    // Listing cannot fail but for its usage; the other two have failures of their own.
    if (std::string(name) != "images") {
      EXPECT_NE(h.out.find("  1  "), std::string::npos) << h.out;
    }
  }
  // The summaries start in one column, the longest name ("forecast-text")
  // included.
  std::istringstream in(overview.out);
  std::string line;
  std::size_t column = 0;
  int rows = 0;
  bool inList = false;
  while (std::getline(in, line)) {
    if (line == "Commands:" || line.rfind("Plumbing", 0) == 0) inList = true;
    else if (line.empty()) inList = false;
    if (!inList || line.rfind("  ", 0) != 0) continue;
    const std::size_t summary = line.find_first_not_of(' ', line.find(' ', 2));
    ASSERT_NE(summary, std::string::npos) << line;
    if (column == 0) column = summary;
    EXPECT_EQ(summary, column) << line;
    ++rows;
  }
  EXPECT_GE(rows, 15);
}

}  // namespace
