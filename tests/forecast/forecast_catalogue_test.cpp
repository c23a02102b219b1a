// The forecast catalogue as the menus, the windows and the gateway rely on
// it: one row per kind and per object name, the state products under their
// own pages, and the 7-Day Forecast kept out of the text window.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "forecast/forecast_catalogue.h"
#include "forecast/forecast_logic.h"

namespace {

using namespace sky;

TEST(ForecastCatalogue, KindsAndMenuItemsAreUniqueAndEachRowIsComplete) {
  std::set<std::string> kinds, names, pages;
  for (const ForecastRow& row : ForecastCatalogue()) {
    EXPECT_TRUE(kinds.insert(row.kind).second) << row.kind;
    EXPECT_TRUE(names.insert(row.objectName).second) << row.objectName;
    EXPECT_EQ(FindForecastRow(row.kind), &row);
    // One access key in the menu caption; "&&" is a shown ampersand.
    const std::string menu = row.menu;
    std::size_t keys = 0;
    for (std::size_t i = 0; i < menu.size(); ++i)
      if (menu[i] == '&') keys += menu[i + 1] == '&' ? (++i, 0) : 1;
    EXPECT_EQ(keys, 1u) << menu;
    EXPECT_FALSE(std::string(row.start).empty()) << row.kind;
    ForecastQuery q{"TX", "Austin", "48,Texas", "78701", "US/TX/Austin.html"};
    // A window caption is no menu: a doubled "&" would show twice.
    EXPECT_EQ(row.caption(q).find("&&"), std::string::npos) << row.kind;
    EXPECT_EQ(row.caption(q).rfind("Skyglass - ", 0), 0u) << row.kind;
    if (row.stateProduct) {
      EXPECT_TRUE(pages.insert(row.productPage).second) << row.productPage;
      EXPECT_EQ(row.address(q), "http://iwin.nws.noaa.gov/iwin/TX/" + std::string(row.productPage));
      EXPECT_TRUE(IsNwsKind(row.kind));
    } else {
      EXPECT_STREQ(row.productPage, "") << row.kind;
      EXPECT_FALSE(IsNwsKind(row.kind));
    }
  }
  EXPECT_EQ(kinds.size(), 11u);
  EXPECT_EQ(FindForecastRow("x"), nullptr);
  EXPECT_EQ(FindForecastRow(""), nullptr);
}

TEST(ForecastCatalogue, TheSevenDayForecastIsARowOfItsOwnWindow) {
  const ForecastRow* row = FindForecastRow(kDailyForecastKind);
  ASSERT_NE(row, nullptr);
  EXPECT_FALSE(InTextWindow(*row));
  EXPECT_FALSE(IsForecastKind(kDailyForecastKind));
  EXPECT_EQ(TextRow(kDailyForecastKind), nullptr);
  EXPECT_STREQ(row->menu, "&7-Day Forecast");
  EXPECT_STREQ(row->objectName, "mnuDailyForecast");
  EXPECT_EQ(row->asks, ForecastAsks::kNothing);
  // The address follows the place's conditions page; a page of no place has none.
  auto at = [row](const char* path) {
    ForecastQuery q;
    q.conditionsPath = path;
    return row->address(q);
  };
  EXPECT_EQ(at("US/NY/Rochester.html"), "http://www.wunderground.com/daily/US/NY/Rochester.txt");
  EXPECT_EQ(at("global/stations/03772.html"), "http://www.wunderground.com/daily/global/stations/03772.txt");
  EXPECT_EQ(at("cgi-bin/findweather/getForecast?query=14604"), "http://www.wunderground.com/daily/zip/14604.txt");
  EXPECT_EQ(at(""), "");
  EXPECT_EQ(at("index.html"), "");
  // Every other row is the text window's, reached by its kind.
  for (const ForecastRow& r : ForecastCatalogue()) {
    if (&r == row) continue;
    EXPECT_EQ(TextRow(r.kind), &r) << r.kind;
  }
}

}  // namespace
