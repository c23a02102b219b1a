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
  // The whole name as printed is searched, and the state's and country's names.
  r = RunCli("locations Kenya");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("Nairobi"), std::string::npos) << r.out;
  const CliRun texas = RunCli("locations texas");
  EXPECT_NE(texas.out.find("Austin, TX\n"), std::string::npos) << texas.out;
  EXPECT_EQ(RunCli("locations TX").out, texas.out);
  EXPECT_EQ(RunCli("locations 'Austin, TX'").out, "Austin, TX\n");
  EXPECT_EQ(RunCli("locations austin, tx").out, "Austin, TX\n");  // unquoted words are joined
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

  // Unquoted, the words of a name are joined.
  r = RunCli("conditions Austin, TX --json");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("\"place\": \"Austin, TX\""), std::string::npos) << r.out;

  // Only a page the server itself does not have is reported as its 404.
  r = RunCli("conditions 'Atlantis, TX'", true);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("the server www.wunderground.com has no conditions page for \"Atlantis, TX\" "
                       "(status 404); try 'skyglass-cli locations Atlantis'"),
            std::string::npos)
      << r.out;
  r = RunCli("conditions 'Nowhere, Peru (O)'", true);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("Sorry, invalid City found for Peru:Nowhere"), std::string::npos);
  EXPECT_NE(r.out.find("not a place: Nowhere, Peru (O); try 'skyglass-cli locations Nowhere'"), std::string::npos)
      << r.out;
  // Names that cannot make an address are not sent at all.
  for (const char* name : {"Nowhere", "'Austin Texas'", "'San Antonio, Txas'"}) {
    r = RunCli(std::string("conditions ") + name, true);
    EXPECT_EQ(r.exitCode, 1) << name;
    EXPECT_NE(r.out.find("conditions: not a place: "), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("404"), std::string::npos) << r.out;
  }
  EXPECT_NE(r.out.find("try 'skyglass-cli locations \"San Antonio\"'"), std::string::npos) << r.out;
  EXPECT_EQ(RunCli("conditions").exitCode, 2);
  EXPECT_EQ(RunCli("conditions x --bogus").exitCode, 2);
}

TEST_F(CliTest, ConditionsReportsAnUnreachableServer) {
  const std::string port = std::to_string(skytest::RefusedPort());
  UseProxy(std::stoi(port));
  CliRun r = RunCli("conditions 'Austin, TX' --json", true);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("error: "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"ok\": false"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"reason\": \"the request did not complete: proxy 127.0.0.1:" + port +
                       ": Connection Failed (10061:Connection refused); connection refused: is the "
                       "server or proxy running?\""),
            std::string::npos)
      << r.out;
  r = RunCli("conditions 'Austin, TX'", true);
  EXPECT_NE(r.out.find("Connection Failed (10061:Connection refused)\n"
                       "  connection refused: is the server or proxy running?\n"),
            std::string::npos)
      << r.out;
  sky::WriteSetting("Settings", "ProxyPort", "80a");
  r = RunCli("conditions 'Austin, TX'", true);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("'80a' is not a valid integer value"), std::string::npos) << r.out;
}

TEST_F(CliTest, PlaceNamesMatchWhateverTheirCaseAndZipsHaveTheirState) {
  UseProxy(server_->port());
  CliRun r = RunCli("conditions 'austin, tx' --json");
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_NE(r.out.find("\"place\": \"Austin, TX\""), std::string::npos) << r.out;
  r = RunCli("conditions SAN FRANCISCO, california --json");
  EXPECT_NE(r.out.find("\"place\": \"San_Francisco, CA\""), std::string::npos) << r.out;
  r = RunCli("conditions 'london, united kingdom (o)' --json");
  EXPECT_NE(r.out.find("\"place\": \"London, United Kingdom (O)\""), std::string::npos) << r.out;
  // A zip place knows its state: its state's warnings come.
  r = RunCli("forecast w --place 78701", true);
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_NE(r.out.find("Advisories for TX"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("has not been selected"), std::string::npos) << r.out;
  r = RunCli("forecast w --place '78701 - Austin, TX'", true);
  EXPECT_EQ(r.exitCode, 0) << r.out;
  r = RunCli("forecast h --place 'new orleans, la'", true);
  EXPECT_NE(r.out.find("Hydrological data for LA"), std::string::npos) << r.out;
}

}  // namespace
