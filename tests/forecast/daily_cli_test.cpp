// "skyglass-cli daily" as a person and a script use it, against a loopback
// stand-in for the weather gateway answering the daily path.
#include <gtest/gtest.h>

#include <mutex>

#include "common/run_cli.h"
#include "forecast/daily.h"
#include "net/test_server.h"
#include "settings/ini_proc.h"
#include "settings/temp_config.h"

namespace {

// The gateway's answer for the first two days of the weather service's
// recorded Rochester forecast (tests/data/gateway/nws/gridpoint_forecast_buf.json).
std::string Answer() {
  sky::DailyForecast f;
  f.place = "Rochester, New York";
  f.source = "National Weather Service";
  f.issued = "2025-01-05T23:02:33+00:00";
  f.days.push_back({"2025-01-05", "Tonight", std::nullopt, 19, 'F', "Snow Showers Likely", 60, "NW 7 to 13 mph"});
  f.days.push_back({"2025-01-06", "Monday", 23, 18, 'F', "Chance Snow Showers", 50, "NE 8 to 12 mph"});
  return sky::WriteDailyAnswer(f);
}

class DailyCli : public TempConfig {
 protected:
  void SetUp() override {
    TempConfig::SetUp();
    server_ = std::make_unique<nettest::TestServer>([this](nettest::Connection& c) {
      const std::string request = c.ReadRequest();
      {
        std::lock_guard<std::mutex> lock(m_);
        lines_.push_back(request.substr(0, request.find('\r')));
      }
      if (request.find("/daily/US/NY/Rochester.txt") != std::string::npos)
        c.Send(nettest::HttpReply("200 OK", Answer(),
                                  stale_ ? "Age: 7800\r\nWarning: 110 - \"Response is Stale\"\r\n" : ""));
      else c.Send(nettest::HttpReply("404 Not Found", "<html>404</html>"));
      c.Close();
    });
    sky::WriteSetting("Settings", "ProxyUse", "y");
    sky::WriteSetting("Settings", "Proxy", "127.0.0.1");
    sky::WriteSetting("Settings", "ProxyPort", std::to_string(server_->port()));
  }
  std::unique_ptr<nettest::TestServer> server_;
  std::mutex m_;
  std::vector<std::string> lines_;
  bool stale_ = false;
};

TEST_F(DailyCli, JsonOneObjectPerDayInTheChosenUnits) {
  skytest::CliRun r = skytest::RunCli("daily Rochester, NY --units metric --json");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            "{\"ok\": true, \"place\": \"Rochester, New York\", \"source\": \"National Weather Service\", "
            "\"issued\": \"2025-01-05T23:02:33+00:00\", \"stale\": false, \"units\": \"metric\", \"days\": ["
            "{\"date\": \"2025-01-05\", \"name\": \"Tonight\", \"high\": null, \"low\": -7, \"unit\": \"C\", "
            "\"sky\": \"Snow Showers Likely\", \"precipitationChance\": 60, \"wind\": \"NW 11 to 21 km/h\"}, "
            "{\"date\": \"2025-01-06\", \"name\": \"Monday\", \"high\": -5, \"low\": -8, \"unit\": \"C\", "
            "\"sky\": \"Chance Snow Showers\", \"precipitationChance\": 50, \"wind\": \"NE 13 to 19 km/h\"}]}\n");
  std::lock_guard<std::mutex> lock(m_);
  ASSERT_EQ(lines_.size(), 1u);
  EXPECT_EQ(lines_[0].rfind("GET http://www.wunderground.com/daily/US/NY/Rochester.txt", 0), 0u) << lines_[0];
}

TEST_F(DailyCli, TextForPeopleSaysWhenTheForecastIsStale) {
  stale_ = true;
  skytest::CliRun r = skytest::RunCli("daily \"Rochester, NY\" --units US");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("7-Day Forecast for Rochester, New York\n(stale: the forecast is 2 h 10 min old)\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("  Tonight          Snow Showers Likely"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Low 19\xC2\260F"), std::string::npos);  // UTF-8 on the terminal
  EXPECT_NE(r.out.find("Forecast by National Weather Service"), std::string::npos);
}

TEST_F(DailyCli, FailuresAndUsage) {
  skytest::CliRun none = skytest::RunCli("daily Austin, TX", true);
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_NE(none.out.find(sky::kDailyNoSource), std::string::npos) << none.out;
  EXPECT_EQ(skytest::RunCli("daily Nowhere").exitCode, 1);  // not a place: nothing asked
  EXPECT_EQ(skytest::RunCli("daily Austin, TX --units kelvin").exitCode, 2);
  EXPECT_EQ(skytest::RunCli("daily").exitCode, 2);
  std::lock_guard<std::mutex> lock(m_);
  EXPECT_EQ(lines_.size(), 1u);
}

// "forecast d7" is the catalogue's 7-Day Forecast row: the same text as
// "daily", for --place or the first preset.
TEST_F(DailyCli, ForecastKindD7PrintsTheSevenDays) {
  skytest::CliRun none = skytest::RunCli("forecast d7", true);  // no place, no preset
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_NE(none.out.find(sky::kDailyNoPlace), std::string::npos) << none.out;
  const skytest::CliRun daily = skytest::RunCli("daily Rochester, NY --units metric");
  ASSERT_EQ(daily.exitCode, 0);
  skytest::CliRun r = skytest::RunCli("forecast d7 --place \"Rochester, NY\" --units metric");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, daily.out);
  sky::WriteSetting("Locations", "loc0", "Rochester, NY");
  EXPECT_EQ(skytest::RunCli("forecast d7 --units metric").out, daily.out);

  EXPECT_EQ(skytest::RunCli("forecast d7 --place \"Rochester, NY\" --units kelvin").exitCode, 2);
  EXPECT_EQ(skytest::RunCli("forecast f --place \"Rochester, NY\" --units metric").exitCode, 2);
  // The text window's plumbing has no 7-Day Forecast.
  EXPECT_EQ(skytest::RunCli("forecast-text d7 /dev/null").exitCode, 2);
  std::lock_guard<std::mutex> lock(m_);
  EXPECT_EQ(lines_.size(), 3u);
}

}  // namespace
