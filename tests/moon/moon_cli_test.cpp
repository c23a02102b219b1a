// skyglass-cli moon: one JSON object on stdout, exit 2 for a malformed date.
#include <gtest/gtest.h>

#include <string>

#include "common/run_cli.h"

using skytest::CliRun;
using skytest::RunCli;

TEST(MoonCli, PrintsThePictureOfTheDate) {
  CliRun r = RunCli("moon 1998-01-02");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            "{\"picture\": \"GIFImagel10x\", \"today\": \"0.13\", \"next\": \"0.22\", \"trend\": \"rising\", "
            "\"messages\": []}\n");
  r = RunCli("moon 1998-12-15");
  EXPECT_NE(r.out.find("\"picture\": \"GIFImage10x\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"trend\": \"falling\""), std::string::npos) << r.out;
}

TEST(MoonCli, YearWithoutTableGivesNoPictureAndTheWarning) {
  const CliRun r = RunCli("moon 2101-06-01");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out.rfind("{\"picture\": null, \"messages\": [\"Warning - invalid year1 in moon phase logic.", 0), 0u)
      << r.out;
}

TEST(MoonCli, MalformedDateIsAUsageError) {
  for (const char* bad : {"1998-1-02", "1998-02-29", "1998-13-01", "02/01/1998", "x", "1998-01-02 1998-01-03", ""})
    EXPECT_EQ(RunCli(std::string("moon ") + bad).exitCode, 2) << bad;
}
