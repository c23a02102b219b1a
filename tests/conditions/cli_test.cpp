// Runs the terminal companion and checks its JSON text, which other tools
// read as a contract.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "common/run_cli.h"

namespace {

using skytest::CliRun;
using skytest::RunCli;

std::string TempFile(const std::string& name, const std::string& bytes) {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

}  // namespace

TEST(ConditionsCli, ParsePagePrintsTheRecord) {
  const CliRun r = RunCli("parse-page " SKYGLASS_SOURCE_DIR "/tools/sample-pages/conditions.html");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            "{\"messages\": [], \"PageLocationName\": \"Madison, Wisconsin\", \"record\": "
            "{\"ObservedAt\": \"10:53 AM CST\", \"Temperature\": \"28\xC2\260F / -2\xC2\260C \", "
            "\"HeatIndex\": \"n/a\", \"Humidity\": \"78% \", \"Wind\": \"NW at 12 mph \", "
            "\"Pressure\": \"30.12 in \", \"Sky\": \"Mostly Cloudy\", \"Visibility\": \"10 miles\", "
            "\"Sunrise\": \" 7:16 AM CST \", \"Sunset\": \" 4:22 PM CST \", \"MoonRise\": \" 9:48 PM CST \", "
            "\"MoonSet\": \" 11:37 AM CST \", \"TrayTip\": \"Mostly Cloudy && 28\xC2\260F / -2\xC2\260C \", "
            "\"SkyIcon\": 3}}\n");
}

TEST(ConditionsCli, ParsePageReportsMessagesAndUnsetFields) {
  const CliRun r = RunCli("parse-page " + TempFile("no_title.html", "<html>nothing here</html>"));
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            "{\"messages\": [\"Error (P1) occurred parsing data.  Please try again in a few minutes.\", "
            "\"Error (P2) occurred parsing data.  Please try again in a few minutes.\"], "
            "\"PageLocationName\": null, \"record\": {\"ObservedAt\": null, \"Temperature\": \"\", "
            "\"HeatIndex\": \"\", \"Humidity\": \"\", \"Wind\": \"\", \"Pressure\": \"\", \"Sky\": \"\", "
            "\"Visibility\": \"\", \"Sunrise\": \"\", \"Sunset\": \"\", \"MoonRise\": \"\", \"MoonSet\": \"\", "
            "\"TrayTip\": null, \"SkyIcon\": null}}\n");
}

TEST(ConditionsCli, UsageErrors) {
  EXPECT_EQ(RunCli("parse-page").exitCode, 2);
  EXPECT_EQ(RunCli("parse-page /nonexistent/page.html").exitCode, 2);
  EXPECT_EQ(RunCli("parse-page " + ::testing::TempDir()).exitCode, 2);
  EXPECT_EQ(RunCli("derive --speed 5").exitCode, 2);
}

TEST(ConditionsCli, DeriveComputesBothValues) {
  CliRun r = RunCli("derive --temp '90' --humidity '70% ' --wind 'NW at 10 mph'");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "{\"HeatIndex\": \"106\xC2\xB0 F\", \"WindChill\": \"90\xC2\xB0 F\"}\n");
  r = RunCli("derive");
  EXPECT_EQ(r.out, "{\"HeatIndex\": \"0\xC2\xB0 F\", \"WindChill\": \"n/a\"}\n");
  r = RunCli("derive --temp 90 --heat-index ' 95\xC2\260F'");
  EXPECT_EQ(r.out, "{\"HeatIndex\": \" 95\xC2\260F\", \"WindChill\": \"n/a\"}\n");
  // The same boundaries as the main window: cool air, and a gust after the speed.
  r = RunCli("derive --temp 79 --humidity 90 --wind 'N 5 G 12 mph'");
  EXPECT_EQ(r.out, "{\"HeatIndex\": \"79\xC2\xB0 F\", \"WindChill\": \"79\xC2\xB0 F\"}\n");
  r = RunCli("derive --temp 20 --humidity 90 --wind 'N 5 G 12 mph'");
  EXPECT_EQ(r.out, "{\"HeatIndex\": \"20\xC2\xB0 F\", \"WindChill\": \"13\xC2\xB0 F\"}\n");
  // Today's wind chill, and the air temperature where it does not apply.
  r = RunCli("derive --temp 40 --wind 'W at 17 mph'");
  EXPECT_NE(r.out.find("\"WindChill\": \"31\xC2\xB0 F\""), std::string::npos) << r.out;
  r = RunCli("derive --temp 50 --wind 'W at 10 mph'");
  EXPECT_NE(r.out.find("\"WindChill\": \"50\xC2\xB0 F\""), std::string::npos) << r.out;
  r = RunCli("derive --temp 30 --wind 'W at 3 mph'");
  EXPECT_NE(r.out.find("\"WindChill\": \"30\xC2\xB0 F\""), std::string::npos) << r.out;
}
