// skyglass-cli's location commands, run as the user runs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "common/run_cli.h"
#include "fetch/sample_server.h"
#include "settings/ini_proc.h"
#include "settings/temp_config.h"

namespace {

using skytest::CliRun;
using skytest::RunCli;

class CliTest : public TempConfig {
 protected:
  static void SetUpTestSuite() { server_ = new skytest::SampleServer(); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void UseProxy(int port) {
    sky::WriteSetting("Settings", "ProxyUse", "y");
    sky::WriteSetting("Settings", "Proxy", "127.0.0.1");
    sky::WriteSetting("Settings", "ProxyPort", std::to_string(port));
  }
  static skytest::SampleServer* server_;
};
skytest::SampleServer* CliTest::server_ = nullptr;

TEST_F(CliTest, LocatePrintsTheAddressOrNull) {
  CliRun r = RunCli("locate 'San Francisco, California'");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            "{\"messages\": [], \"Country\": \"US\", \"Region\": \"CA\", \"City\": "
            "\"San_Francisco\", \"Zip\": \"\", \"path\": \"US/CA/San_Francisco.html\"}\n");
  r = RunCli("locate 'Nowhere, Peru (O)'");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("\"messages\": [\"Sorry, invalid City found for Peru:Nowhere\", "
                       "\"Error - Invalid city:n/a\"]"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("\"path\": null"), std::string::npos);
  EXPECT_EQ(RunCli("locate").exitCode, 2);
  EXPECT_EQ(RunCli("locate a b").exitCode, 2);
}

TEST_F(CliTest, LocationsListsNamesThatLocateAccepts) {
  CliRun r = RunCli("locations muscle_shoals");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "Muscle_Shoals, AL\n");
  r = RunCli("locations 'BOSCOMBE down'");
  EXPECT_EQ(r.out, "Boscombe_Down, United Kingdom (O)\n");
  r = RunCli("locations");
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1836);
  r = RunCli("locations atlantis", true);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("no place in the catalogue matches \"atlantis\""), std::string::npos);
  // Island countries are written the way the station table knows them.
  r = RunCli("locations piarco");
  EXPECT_EQ(r.out, "Piarco Int'L, Trinidad_And_Tobago (O)\n");
  r = RunCli("locate \"Piarco Int'L, Trinidad_And_Tobago (O)\"");
  EXPECT_EQ(r.out.find("\"path\": null"), std::string::npos) << r.out;
}

TEST_F(CliTest, ConditionsThroughTheProxyOfTheSettings) {
  ASSERT_NE(server_->port(), 0);
  UseProxy(server_->port());
  CliRun r = RunCli("conditions 'Austin, TX'");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out.rfind("Austin, Texas\nConditions at ", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("  Temperature:     "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\xC2\xB0"), std::string::npos);  // the degree sign in UTF-8
  EXPECT_NE(r.out.find("  Wind Chill:      "), std::string::npos);
  // An automatic fetch: no preset.
  EXPECT_EQ(sky::ReadSetting("Locations", "loc0"), "n/a");

  r = RunCli("conditions 'London, United Kingdom (O)' --json");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out.rfind("{\"ok\": true, \"outcome\": \"shown\", \"place\": "
                        "\"London, United Kingdom (O)\"",
                        0),
            0u)
      << r.out;

  r = RunCli("conditions 'Atlantis, TX'", true);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("status 404"), std::string::npos) << r.out;
  r = RunCli("conditions 'Nowhere, Peru (O)'", true);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("Sorry, invalid City found for Peru:Nowhere"), std::string::npos);
  EXPECT_EQ(RunCli("conditions").exitCode, 2);
  EXPECT_EQ(RunCli("conditions x --bogus").exitCode, 2);
}

TEST_F(CliTest, ConditionsReportsAnUnreachableServer) {
  UseProxy(skytest::RefusedPort());
  CliRun r = RunCli("conditions 'Austin, TX' --json", true);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("error: "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"ok\": false"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"reason\": \"the request did not complete: "), std::string::npos) << r.out;
  sky::WriteSetting("Settings", "ProxyPort", "80a");
  r = RunCli("conditions 'Austin, TX'", true);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("'80a' is not a valid integer value"), std::string::npos) << r.out;
}

}  // namespace
