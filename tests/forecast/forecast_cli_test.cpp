// skyglass-cli forecast-text: the JSON of one retrieval, and its usage errors.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "common/run_cli.h"

namespace {

TEST(ForecastTextCommand, OneRetrievalAsJson) {
  const std::string file = testing::TempDir() + "/zone.html";
  std::ofstream(file, std::ios::binary) << "<pre>CAZ001-ORANGE-\nHIGH 70&#176;\n$$\n</pre>";
  auto r = skytest::RunCli("forecast-text f " + file + " --state CA --city Irvine --county orange");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            "{\"messages\": [], \"beeps\": 0, \"caption\": \"Skyglass - Text Forecast for ORANGE county, CA\", "
            "\"path\": \"/iwin/CA/zone.html\", \"server\": \"iwin\", \"font\": \"form\", \"status\": [\"Starting "
            "retrieval of Forecast...\", \"Attempting connection...\", \"Connection process complete...\", \"level 2 "
            "parsing started...\", \"level 2 parsing completed...\", \"parsing data...\", \"parsing - looking for "
            "ORANGE county...\", \"parsing - found ORANGE county...\", \"parsing complete...\", \" Thank you for using "
            "Skyglass...\"], \"text\": \"-ORANGE-\\nHIGH 70\xC2\xB0\\n\"}\n");

  r = skytest::RunCli("forecast-text s2 " + file + " --zip 123");
  EXPECT_NE(r.out.find("\"messages\": [\"Sorry, you entered an invalid zip.\"]"), std::string::npos);
  EXPECT_NE(r.out.find("\"caption\": \"Skyglass - Census Detail by Zip\", \"path\": null, \"server\": null"),
            std::string::npos);
  r = skytest::RunCli("forecast-text s1 " + file + " --state-row 06-California");
  EXPECT_NE(r.out.find("SEL=06,California/T=P1"), std::string::npos);
  EXPECT_NE(r.out.find("\"server\": \"census-lookup\", \"font\": \"Fixedsys\""), std::string::npos);

  EXPECT_EQ(skytest::RunCli("forecast-text x " + file).exitCode, 2);
  EXPECT_EQ(skytest::RunCli("forecast-text f").exitCode, 2);
}

}  // namespace
