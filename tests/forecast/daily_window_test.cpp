// The 7-Day Forecast window offscreen, filled from the weather service's
// recorded gridpoint forecast as the gateway decodes it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPixmap>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "common/offscreen_app.h"
#include "forecast/DailyWindow.h"
#include "gateway/daily_sources.h"

using skytest::App;

namespace {

sky::DailyResult Recorded() {
  std::ifstream in(std::string(SKYGLASS_TEST_DATA) + "/gateway/nws/gridpoint_forecast_buf.json", std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  sky::DailyResult r;
  r.forecast = sky::gateway::DecodeNwsDailyForecast(nlohmann::json::parse(s.str()), "Rochester, New York");
  return r;
}

std::string Text(const QLabel* l) { return l->text().toLatin1().toStdString(); }

// SKYGLASS_SHOT_DIR=folder keeps a picture of the window for a person to look at.
void Shoot(QWidget& w, const char* name) {
  if (const char* dir = std::getenv("SKYGLASS_SHOT_DIR")) w.grab().save(QString(dir) + "/" + name, "PNG");
}

TEST(DailyWindow, SevenDaysInTheChosenUnits) {
  App();
  sky::ui::TfrmDaily w;
  const sky::DailyResult r = Recorded();
  ASSERT_TRUE(r.forecast);
  w.show();
  w.Show(r, sky::UnitSystem::US);
  EXPECT_EQ(w.windowTitle(), "Skyglass - 7-Day Forecast");
  EXPECT_EQ(Text(w.lblDailyHeader), "7-Day Forecast for Rochester, New York");
  EXPECT_EQ(Text(w.columns[0].name), "Tonight");
  EXPECT_EQ(Text(w.columns[0].highLow), "Low 19\260F");
  EXPECT_EQ(Text(w.columns[1].highLow), "High 23\260F  Low 18\260F");
  EXPECT_EQ(Text(w.columns[1].precipitation), "Precip. 50%");
  EXPECT_EQ(Text(w.columns[1].wind), "Wind NE\n8 to 12 mph");
  EXPECT_FALSE(w.columns[6].picture->pixmap().isNull());
  EXPECT_TRUE(w.columns[6].name->isVisibleTo(&w));
  EXPECT_EQ(Text(w.lblDailySource), "Forecast by National Weather Service, made 2025-01-05T23:02:33+00:00");
  Shoot(w, "daily-us.png");

  w.ShowUnits(sky::UnitSystem::Metric);
  EXPECT_EQ(Text(w.columns[0].highLow), "Low -7\260C");
  EXPECT_EQ(Text(w.columns[1].wind), "Wind NE\n13 to 19 km/h");
  Shoot(w, "daily-metric.png");
}

TEST(DailyWindow, StaleIsSaidAndAFailureKeepsWhatWasShown) {
  App();
  sky::ui::TfrmDaily w;
  sky::DailyResult r = Recorded();
  r.stale = true;
  r.ageSeconds = 7800;
  w.Show(r, sky::UnitSystem::UK);
  EXPECT_EQ(Text(w.lblDailyStatus), "stale: the forecast is 2 h 10 min old");

  sky::DailyResult failed;
  failed.error = sky::kDailyNoSource;
  w.Show(failed, sky::UnitSystem::UK);
  EXPECT_EQ(Text(w.lblDailyStatus), sky::kDailyNoSource);
  EXPECT_EQ(Text(w.columns[0].name), "Tonight");

  // Fewer days than seven: the empty columns hide.
  sky::DailyResult few = Recorded();
  few.forecast->days.resize(4);
  w.Show(few, sky::UnitSystem::UK);
  EXPECT_FALSE(w.columns[4].name->isVisibleTo(&w));
  EXPECT_TRUE(w.columns[3].name->isVisibleTo(&w));
}

}  // namespace
