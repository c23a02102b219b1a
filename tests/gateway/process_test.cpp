// skyglass-gateway as a process: the program's own HTTP client fetches each
// kind of place through it (as its proxy) from the stub of the live sources.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/ports.h"
#include "common/run_cli.h"
#include "conditions/answer_age.h"
#include "conditions/htmlp.h"
#include "gateway/stub_upstream.h"
#include "net/HttpClient.h"
#include "settings/ini_proc.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

class Messages : public sky::IMessagePort {
 public:
  void ShowMessage(const std::string& text) override { shown.push_back(text); }
  void ShowError(const std::string& text) override { shown.push_back(text); }
  bool Confirm(const std::string&) override { return false; }
  void Beep() override {}
  std::vector<std::string> shown;
};

struct Run {
  int status = -1;
  std::string out;
};

// Runs the gateway with the arguments; with wait=false it stays running and
// its first output line is read.
class GatewayProcess {
 public:
  GatewayProcess(std::vector<std::string> args, bool wait) {
    std::string exe = std::string(SKYGLASS_BIN_DIR) + "/skyglass-gateway";
    args.insert(args.begin(), exe);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int fds[2];
    if (pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    if (posix_spawn(&pid_, exe.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    char c;
    if (wait) {
      while (read(fds[0], &c, 1) == 1) out_ += c;
      int st = 0;
      waitpid(pid_, &st, 0);
      pid_ = -1;
      status_ = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    } else {
      while (read(fds[0], &c, 1) == 1 && c != '\n') out_ += c;
      auto colon = out_.rfind(':');
      if (out_.rfind("listening on 127.0.0.1:", 0) == 0) port_ = std::atoi(out_.c_str() + colon + 1);
    }
    close(fds[0]);
  }
  ~GatewayProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  int port() const { return port_; }
  int status() const { return status_; }
  const std::string& out() const { return out_; }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
  int status_ = -1;
  std::string out_;
};

class GatewayProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("skyglass-gateway-" + std::to_string(getpid()));
    fs::create_directories(dir_ / "skyglass");
    setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

sky::ParsedConditionsPage Fetch(int port, const std::string& url) {
  sky::THttpClient client;
  client.Proxy = "127.0.0.1";
  client.ProxyPort = port;
  client.TimeOut = 20000;
  bool success = false;
  client.OnSuccess = [&](sky::CmdType) { success = true; };
  client.Get(url);
  EXPECT_TRUE(success) << url << "\n" << client.Header;
  Messages messages;
  sky::ParsedConditionsPage parsed = sky::ParseConditionsPage(client.Body, messages);
  EXPECT_TRUE(messages.shown.empty()) << url;
  return parsed;
}

TEST_F(GatewayProcessTest, ProgramClientReadsEveryKindOfPlace) {
  skytest::StubUpstream stub;
  // The config file gives the contact; the command line the sources.
  std::ofstream(dir_ / "skyglass" / "gateway.conf") << "# test\ncontact = config@example.org\nport = 1\n";
  GatewayProcess gateway({"--port", "0", "--nws-api", stub.Base(), "--metar-api", stub.Base() + "/api/data/metar",
                          "--open-meteo-api", stub.Base() + "/v1/forecast"},
                         false);
  ASSERT_GT(gateway.port(), 0) << gateway.out();

  sky::ParsedConditionsPage city = Fetch(gateway.port(), "http://www.wunderground.com/US/TX/Austin.html");
  EXPECT_EQ(city.PageLocationName, "Austin, Texas");
  EXPECT_EQ(city.Record.Temperature, "55\260F / 13\260C ");
  EXPECT_EQ(city.Record.Wind, "NNW at 11 mph ");
  EXPECT_EQ(city.Record.Sky, "Mostly Cloudy");
  EXPECT_EQ(stub.UserAgent(), "skyglass-gateway/0.1 (config@example.org)");

  sky::ParsedConditionsPage zip =
      Fetch(gateway.port(), "http://www.wunderground.com/cgi-bin/findweather/getForecast?query=10001");
  EXPECT_EQ(zip.PageLocationName, "New York, New York");
  EXPECT_EQ(zip.Record.Humidity, "97% ");
  EXPECT_EQ(zip.Record.Pressure, "29.86 in ");

  sky::ParsedConditionsPage station = Fetch(gateway.port(), "http://www.wunderground.com/global/stations/03772.html");
  EXPECT_EQ(station.Record.Temperature, "48\260F / 9\260C ");
  EXPECT_EQ(station.Record.Visibility, "6 miles ");
  EXPECT_FALSE(station.Record.MoonRise.empty());

  // A CAVOK station, and one without a METAR (the second source).
  EXPECT_EQ(Fetch(gateway.port(), "http://www.wunderground.com/global/stations/10385.html").Record.Sky, "Clear");
  EXPECT_EQ(Fetch(gateway.port(), "http://www.wunderground.com/global/stations/47409.html").Record.Humidity, "93% ");

  sky::THttpClient client;
  client.Proxy = "127.0.0.1";
  client.ProxyPort = gateway.port();
  client.TimeOut = 20000;
  // The recorded observation is months old by the real clock: the status
  // line's notice says so from the reply's Date and Last-Modified.
  client.Get("http://www.wunderground.com/global/stations/10385.html");
  const std::optional<std::string> notice = sky::AgeNotice(sky::ReadAnswerAge(client.Header));
  ASSERT_TRUE(notice) << client.Header;
  EXPECT_TRUE(notice->starts_with("observed ") && notice->ends_with(" ago")) << *notice;
  EXPECT_NE(notice->find(" days "), std::string::npos) << *notice;

  client.Get("http://iwin.nws.noaa.gov/iwin/TX/allwarnings.html");
  EXPECT_EQ(client.StatusCode(), 200);
  EXPECT_NE(client.Body.find("Freeze Warning"), std::string::npos);
}

// The terminal companion through the gateway as its proxy: a census ranking
// read by the program's census retrieval, and the age of old conditions.
TEST_F(GatewayProcessTest, CensusRankingAndOldConditionsInTheTerminal) {
  skytest::StubUpstream stub;
  GatewayProcess gateway({"--port", "0", "--nws-api", stub.Base(), "--metar-api", stub.Base() + "/api/data/metar",
                          "--open-meteo-api", stub.Base() + "/v1/forecast", "--census-api", stub.Base() + "/data"},
                         false);
  ASSERT_GT(gateway.port(), 0) << gateway.out();
  sky::WriteSetting("Settings", "ProxyUse", "y");
  sky::WriteSetting("Settings", "Proxy", "127.0.0.1");
  sky::WriteSetting("Settings", "ProxyPort", std::to_string(gateway.port()));

  skytest::CliRun r = skytest::RunCli("forecast si", true);
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_TRUE(
      r.out.starts_with("Skyglass - US/State Census Median HH Income\n\n"
                        "State Rankings -- Median Household Income, 2019-2023\n"))
      << r.out;
  EXPECT_NE(r.out.find("   1  Maryland                98,461\n   2  New Jersey"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Source: U.S. Census Bureau, American Community Survey\n5-Year Estimates, 2019-2023"),
            std::string::npos);

  // The recorded CAVOK report is months old: said under the heading.
  r = skytest::RunCli("conditions 'Berlin-Schoenefeld, Germany (O)'", true);
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_NE(r.out.find("\n(observed "), std::string::npos) << r.out;
  r = skytest::RunCli("conditions 'Berlin-Schoenefeld, Germany (O)' --json");
  EXPECT_NE(r.out.find("\"age\": \"observed "), std::string::npos) << r.out;
}

TEST_F(GatewayProcessTest, HelpAndBadSettings) {
  GatewayProcess help({"--help"}, true);
  EXPECT_EQ(help.status(), 0);
  EXPECT_NE(help.out().find("--nws-api URL"), std::string::npos);
  GatewayProcess list({"--list-pictures"}, true);
  EXPECT_EQ(list.status(), 0);
  EXPECT_NE(list.out().find("Arkansas - Little Rock (mnuCamArkansasLittleRock1Click)\tnone: "), std::string::npos);
  EXPECT_NE(list.out().find(" of 56 pictures live\n"), std::string::npos);
  EXPECT_EQ(GatewayProcess({"--port", "70000"}, true).status(), 2);
  EXPECT_EQ(GatewayProcess({"--metar-api", "ftp://x"}, true).status(), 2);
  std::ofstream(dir_ / "skyglass" / "gateway.conf") << "colour = blue\n";
  EXPECT_EQ(GatewayProcess({"--help"}, true).status(), 2);
}

}  // namespace
