// Decoding of the live sources' answers and the locally computed sky times.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "forecast/forecast_catalogue.h"
#include "gateway/alerts.h"
#include "gateway/json_limits.h"
#include "gateway/observation.h"
#include "gateway/open_meteo.h"
#include "gateway/products.h"
#include "gateway/sky_times.h"
#include "gateway/upstream.h"

namespace sky::gateway {
namespace {

using nlohmann::json;

TEST(GatewayDecode, MetarGroupsBecomeWordsOfThePictureTable) {
  const json none = json::array();
  EXPECT_EQ(MetarSky("-SHRA BR", none), "Light Rain Showers");
  EXPECT_EQ(MetarSky("+TSRA", none), "Heavy Thunderstorm Rain");
  EXPECT_EQ(MetarSky("FZFG", none), "Freezing Fog");
  EXPECT_EQ(MetarSky("", json::parse(R"([{"cover":"FEW"},{"cover":"BKN"}])")), "Mostly Cloudy");
  EXPECT_EQ(MetarSky("", json::parse(R"([{"cover":"CAVOK"}])")), "Clear");
  EXPECT_EQ(MetarSky("", json::parse(R"([{"cover":7}])")), std::nullopt);
  EXPECT_EQ(MetarSky("", json()), std::nullopt);
}

json Recorded(const std::string& name) {
  std::ifstream in(std::string(SKYGLASS_TEST_DATA) + "/gateway/" + name);
  std::stringstream text;
  text << in.rdbuf();
  return json::parse(text.str());
}

ConditionsPageContent PageOf(const Observed& o) {
  ConditionsPageContent page;
  FillObservedValues(o, page);
  return page;
}

TEST(GatewayDecode, MetarCoverOfBothShapes) {
  // Today's shape: no layers, the summary only; the older shape: layers only.
  EXPECT_EQ(PageOf(DecodeMetar(Recorded("metar/eddb_cavok.json")[0])).sky, "Clear");
  EXPECT_EQ(PageOf(DecodeMetar(Recorded("metar/lejr_old_shape.json")[0])).sky, "Partly Cloudy");
  for (const char* clear : {"CAVOK", "CLR", "SKC", "NCD", "NSC"})
    EXPECT_EQ(MetarSky("", json::array(), clear), "Clear");
  EXPECT_EQ(MetarSky("", json::array(), "BKN"), "Mostly Cloudy");
  EXPECT_EQ(MetarSky("", json::parse(R"([{"cover":"OVC"}])"), "CLR"), "Overcast");  // layers first
  EXPECT_EQ(MetarSky("-RA", json::array(), "CAVOK"), "Light Rain");
}

TEST(GatewayDecode, RawMetarTexts) {
  // Raw texts the services sent (see tests/data/gateway/README.md).
  ConditionsPageContent katt = PageOf(DecodeRawMetar("KATT 200451Z AUTO 35005KT 10SM OVC029 M04/M09 A3054 RMK AO2"));
  EXPECT_EQ(katt.tempC, -4);
  EXPECT_EQ(katt.wind, "N at 6 mph");
  EXPECT_EQ(katt.visibility, "10");
  EXPECT_EQ(katt.pressure, "30.54");
  EXPECT_EQ(katt.sky, "Overcast");
  EXPECT_EQ(katt.humidity, 68);
  ConditionsPageContent kjfk =
      PageOf(DecodeRawMetar("METAR KJFK 271851Z 17020G27KT 4SM -TSRA BR FEW015 BKN043CB BKN110 OVC130 23/22 A3003"));
  EXPECT_EQ(kjfk.wind, "S at 23 mph gusting to 31 mph");
  EXPECT_EQ(kjfk.visibility, "4");
  EXPECT_EQ(kjfk.sky, "Light Thunderstorm Rain");
  ConditionsPageContent pacd = PageOf(DecodeRawMetar("SPECI PACD 271823Z 14015G22KT 1/2SM FG VV002 12/12 A3011"));
  EXPECT_EQ(pacd.visibility, "0.50");
  EXPECT_EQ(pacd.sky, "Fog");
  ConditionsPageContent eham = PageOf(DecodeRawMetar("METAR EHAM 271855Z 31003KT CAVOK 22/17 Q1008 NOSIG"));
  EXPECT_EQ(eham.sky, "Clear");
  EXPECT_EQ(eham.pressure, "29.77");
  EXPECT_EQ(eham.visibility, "6.2");
  EXPECT_EQ(PageOf(DecodeRawMetar("KXYZ 010000Z 00000KT 1 1/2SM")).visibility, "1.5");
  EXPECT_EQ(PageOf(DecodeRawMetar("")).tempC, std::nullopt);
}

TEST(GatewayDecode, NullValuedObservationFromItsRawText) {
  ConditionsPageContent page = PageOf(DecodeNwsObservation(Recorded("nws/latest_kpwm_null_values.json")));
  EXPECT_EQ(page.tempF, 60);  // the tenths of the T group: 15.6
  EXPECT_EQ(page.tempC, 16);
  EXPECT_EQ(page.humidity, 90);
  EXPECT_EQ(page.wind, "Calm");
  EXPECT_EQ(page.visibility, "10");
  EXPECT_EQ(page.pressure, "30.00");
  EXPECT_EQ(page.sky, "Scattered Clouds");
}

TEST(GatewayDecode, AlertsShownOfARecordedCollection) {
  std::vector<std::string> events;
  const json alerts = Recorded("nws/alerts_al_update_cancel_test.json");
  for (const json* a : ShownAlerts(alerts["features"]))
    events.push_back((*a)["properties"]["messageType"].get<std::string>());
  EXPECT_EQ(events, std::vector<std::string>{"Update"});
  EXPECT_TRUE(ShownAlerts(json::parse(R"([1, {"properties": 2}, {"properties": {}}])")).empty());
  EXPECT_EQ(ActiveAlertsUrl("https://api.weather.gov", "point=30.2672,-97.7431"),
            "https://api.weather.gov/alerts/active?point=30.2672,-97.7431&status=actual");
}

TEST(GatewayDecode, ZoneOffices) {
  EXPECT_EQ(ZoneOffices(Recorded("nws/zones_ak_no_cwa.json")), std::vector<std::string>{"AFC"});
  EXPECT_EQ(ZoneOffices(Recorded("nws/zones_tx.json")), (std::vector<std::string>{"EWX", "FWD"}));
  EXPECT_EQ(ZoneOffices(json::parse(R"({"features":[{"properties":{"awipsLocationIdentifier":"ABQ",
            "forecastOffice":"nonsense"}}, {"properties":{"cwa":["x"]}}]})")),
            std::vector<std::string>{"ABQ"});
  EXPECT_TRUE(ZoneOffices(json::parse("[]")).empty());
}

// The pages the gateway serves under /iwin/ are the catalogue's state
// products: a new row without a live source would answer 404.
TEST(GatewayDecode, EveryStateProductOfTheForecastCatalogueHasAPage) {
  std::size_t state = 0;
  for (const ForecastRow& row : ForecastCatalogue()) {
    if (!row.stateProduct) continue;
    ++state;
    const ProductPage* page = FindProductPage(row.productPage);
    ASSERT_NE(page, nullptr) << row.kind;
    EXPECT_STREQ(page->page, row.productPage);
    // Only the warnings come from the alerts rather than from product codes.
    EXPECT_EQ(page->types.empty(), row.treatment == ForecastTreatment::kWarnings) << row.kind;
  }
  EXPECT_EQ(state, 6u);
  EXPECT_EQ(FindProductPage(""), nullptr);
  EXPECT_EQ(FindProductPage("index.html"), nullptr);
}

TEST(GatewayDecode, OpenMeteoCurrent) {
  std::optional<Observed> o = DecodeOpenMeteoCurrent(Recorded("openmeteo/moscow_current.json"));
  ASSERT_TRUE(o);
  EXPECT_EQ(o->time, ParseIsoTime("2025-12-25T03:45:00Z"));
  // 1006 hPa at 151 m is about 1024 at sea level.
  EXPECT_NEAR(*o->pressureHpa, 1024.5, 1.0);
  EXPECT_FALSE(o->sky);  // no weather code asked for in that recording
  EXPECT_EQ(WmoCodeWords(0), "Clear");
  EXPECT_EQ(WmoCodeWords(65), "Heavy Rain");
  EXPECT_EQ(WmoCodeWords(42), std::nullopt);
  EXPECT_FALSE(DecodeOpenMeteoCurrent(json::parse(R"({"current":{"temperature_2m":null}})")));
}

TEST(GatewayDecode, MetarValuesInThePageUnits) {
  json m = json::parse(R"({"obsTime":1796662200,"temp":-3.5,"dewp":-6,"wdir":"VRB","wspd":3,"visib":"1.5",
                           "altim":1033.2,"wxString":"-SN","clouds":[]})");
  Observed o = DecodeMetar(m);
  ConditionsPageContent page;
  FillObservedValues(o, page);
  EXPECT_EQ(page.tempF, 26);
  EXPECT_EQ(page.tempC, -4);  // rounds away from zero as the sample server does
  EXPECT_EQ(page.humidity, 83);
  EXPECT_EQ(page.wind, "Variable at 3 mph");
  EXPECT_EQ(page.pressure, "30.51");
  EXPECT_EQ(page.visibility, "1.5");
  EXPECT_EQ(page.sky, "Light Snow");
  EXPECT_EQ(o.time, 1796662200);
}

TEST(GatewayDecode, HostileValuesStayMissing) {
  // Wrong types, unknown units and absurd numbers are not invented into values.
  json m = json::parse(R"({"temp":"warm","dewp":null,"wdir":[1],"wspd":{"a":1},"visib":"lots","altim":99999})");
  ConditionsPageContent page;
  FillObservedValues(DecodeMetar(m), page);
  EXPECT_FALSE(page.tempF);
  EXPECT_FALSE(page.humidity);
  EXPECT_FALSE(page.wind);
  EXPECT_FALSE(page.visibility);
  EXPECT_FALSE(page.pressure);
  json n = json::parse(R"({"properties":{"temperature":{"unitCode":"wmoUnit:K","value":280},
                          "windSpeed":{"unitCode":"wmoUnit:m_s-1","value":5}}})");
  ConditionsPageContent p2;
  FillObservedValues(DecodeNwsObservation(n), p2);
  EXPECT_FALSE(p2.tempF);
  EXPECT_EQ(p2.wind, "Variable at 11 mph");
  FillObservedValues(DecodeNwsObservation(json::parse("[1,2]")), p2);
}

TEST(GatewayDecode, NumbersBeyondPhysicalLimitsAreDropped) {
  const std::int64_t now = 1796662200;
  json m = json::parse(R"({"obsTime":1e300,"temp":-3.5,"dewp":-600,"wdir":-725,"wspd":30,"altim":1013})");
  Observed o = WithinLimits(DecodeMetar(m), now);
  EXPECT_FALSE(o.time);  // would overflow into a year far beyond any clock
  EXPECT_FALSE(o.dewpointC);
  ASSERT_TRUE(o.windDirDeg);
  EXPECT_DOUBLE_EQ(*o.windDirDeg, 355);  // -725 is 5 degrees west of north
  ConditionsPageContent page;
  FillObservedValues(o, page);
  EXPECT_EQ(page.wind, "N at 35 mph");
  EXPECT_EQ(page.tempC, -4);

  json wild = json::parse(R"({"obsTime":1796662200,"temp":900,"wspd":1e9,"visib":-1,"dewp":5})");
  o = WithinLimits(DecodeMetar(wild), now + 3600);
  EXPECT_EQ(o.time, 1796662200);
  EXPECT_FALSE(o.tempC);
  EXPECT_FALSE(o.windKmh);
  EXPECT_FALSE(o.visibilityMiles);
  EXPECT_EQ(o.dewpointC, 5);
  // Two days ahead of the clock: no value of it is believed.
  o = WithinLimits(DecodeMetar(wild), now - 2 * 86400);
  EXPECT_FALSE(o.time || o.dewpointC || o.sky);
}

TEST(GatewayDecode, JsonBeyondItsBoundsIsRefusedBeforeParsing) {
  EXPECT_TRUE(JsonWithinLimits(R"({"a":[[1,{"b":"[[[[[[[[\"[[[["}]]})", 1000, 4));
  EXPECT_FALSE(JsonWithinLimits(std::string(65, '['), 1000, 64));
  EXPECT_TRUE(JsonWithinLimits(std::string(64, '['), 1000, 64));  // malformed, but the parser says so cheaply
  EXPECT_FALSE(JsonWithinLimits(std::string(kMaxJsonBytes + 1, ' ')));
}

TEST(GatewayDecode, IsoTimes) {
  EXPECT_EQ(ParseIsoTime("2026-12-07T16:53:00+00:00"), 1796662380);
  EXPECT_EQ(ParseIsoTime("2026-12-07T10:53:00-06:00"), 1796662380);
  EXPECT_EQ(ParseIsoTime("2026-12-07 16:53:00.000Z"), 1796662380);
  EXPECT_EQ(ParseIsoTime("yesterday"), std::nullopt);
  EXPECT_EQ(ParseIsoTime("2026-13-07T16:53:00Z"), std::nullopt);
}

// Minutes after local midnight of a time text "7:16 AM CST".
int Minutes(const std::string& text) {
  int h = 0, m = 0;
  char ampm[3] = {};
  if (std::sscanf(text.c_str(), "%d:%d %2s", &h, &m, ampm) != 3) return -1;
  return (h % 12 + (ampm[0] == 'P' ? 12 : 0)) * 60 + m;
}

TEST(GatewaySkyTimes, SunAndMoonInThePlacesZone) {
  const std::int64_t noon = 1796644800;  // 2026-12-07 12:00 UTC
  // Austin, 7 December 2026: sunrise 7:16, sunset 17:31 CST (almanac).
  RiseSet sun = SunTimes(30.26715, -97.74306, noon, "America/Chicago");
  ASSERT_TRUE(sun.rise && sun.set);
  EXPECT_NEAR(Minutes(ClockText(ToLocal(*sun.rise, "America/Chicago"))), 7 * 60 + 16, 2);
  EXPECT_NEAR(Minutes(ClockText(ToLocal(*sun.set, "America/Chicago"))), 17 * 60 + 31, 2);
  EXPECT_EQ(ToLocal(*sun.rise, "America/Chicago").abbreviation, "CST");
  // Summer time: Helsinki on 7 July 2026, sunrise 4:08, sunset 22:41 EEST.
  RiseSet summer = SunTimes(60.17, 24.94, 1783425600, "Europe/Helsinki");
  ASSERT_TRUE(summer.rise && summer.set);
  EXPECT_EQ(ToLocal(*summer.rise, "Europe/Helsinki").abbreviation, "EEST");
  EXPECT_NEAR(Minutes(ClockText(ToLocal(*summer.rise, "Europe/Helsinki"))), 4 * 60 + 8, 3)
      << ClockText(ToLocal(*summer.rise, "Europe/Helsinki"));
  EXPECT_NEAR(Minutes(ClockText(ToLocal(*summer.set, "Europe/Helsinki"))), 22 * 60 + 41, 3)
      << ClockText(ToLocal(*summer.set, "Europe/Helsinki"));
  // Polar night: no sunrise in Barrow in December.
  RiseSet polar = SunTimes(71.29, -156.79, noon, "America/Anchorage");
  EXPECT_FALSE(polar.rise);
  // The moon rises and sets within the day or not at all, never twice the same way.
  RiseSet moon = MoonTimes(30.26715, -97.74306, noon, "America/Chicago");
  EXPECT_TRUE(moon.rise || moon.set);
  MoonState state = MoonAt(noon);
  EXPECT_GE(state.illuminated, 0);
  EXPECT_LE(state.illuminated, 100);
  EXPECT_EQ(ToLocal(noon, "No/Such_Zone").abbreviation, "UTC");
  EXPECT_EQ(LongitudeZone(-97.7), "Etc/GMT+7");
}

TEST(GatewayHostGates, ExponentialBackOffOnTheInjectedClock) {
  ManualClock clock;
  HostGates gates(clock, 1000, 8000);
  const Deadline far = SteadyNowMs() + 60000;
  ASSERT_EQ(gates.Acquire("a", far), HostGates::Admit::kGo);
  gates.Release("a", false);
  EXPECT_EQ(gates.BackoffLeftMs("a"), 1000);
  EXPECT_EQ(gates.Acquire("a", far), HostGates::Admit::kBackingOff);
  EXPECT_EQ(gates.Acquire("b", far), HostGates::Admit::kGo);  // per host
  gates.Release("b", true);
  clock.Advance(999);
  EXPECT_EQ(gates.Acquire("a", far), HostGates::Admit::kBackingOff);
  clock.Advance(1);
  ASSERT_EQ(gates.Acquire("a", far), HostGates::Admit::kGo);
  gates.Release("a", false);
  EXPECT_EQ(gates.BackoffLeftMs("a"), 2000);
  for (int i = 0; i < 5; ++i) {
    clock.Advance(10000);
    ASSERT_EQ(gates.Acquire("a", far), HostGates::Admit::kGo);
    gates.Release("a", false);
  }
  EXPECT_EQ(gates.BackoffLeftMs("a"), 8000);  // capped
  clock.Advance(8000);
  ASSERT_EQ(gates.Acquire("a", far), HostGates::Admit::kGo);
  gates.Release("a", true);
  EXPECT_EQ(gates.BackoffLeftMs("a"), 0);
}

TEST(GatewayHostGates, OneRequestInFlightPerHost) {
  ManualClock clock;
  HostGates gates(clock, 1000, 8000);
  ASSERT_EQ(gates.Acquire("a", SteadyNowMs() + 1000), HostGates::Admit::kGo);
  EXPECT_EQ(gates.Acquire("a", SteadyNowMs() + 20), HostGates::Admit::kTimedOut);
  gates.Release("a", true);
  EXPECT_EQ(gates.Acquire("a", SteadyNowMs() + 20), HostGates::Admit::kGo);
  gates.Release("a", true);
  EXPECT_EQ(HostOf("https://API.weather.gov:443/points/1,2"), "api.weather.gov:443");
}

}  // namespace
}  // namespace sky::gateway
