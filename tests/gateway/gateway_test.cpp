// The gateway in-process against the stub of the live sources: each kind of
// place read back by the program's parser, and the faults.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <mutex>

#include "common/hosts.h"
#include "common/ports.h"
#include "conditions/htmlp.h"
#include "controls/gif_decoder.h"
#include "gateway/cache.h"
#include "forecast/alert_watch.h"
#include "forecast/daily.h"
#include "forecast/forecast_text.h"
#include "gateway/census.h"
#include "gateway/gateway.h"
#include "gateway/sources.h"
#include "gateway/products.h"
#include "gateway/stub_upstream.h"
#include "images/image_catalogue.h"
#include "images/served_pictures.h"

namespace sky::gateway {
namespace {

constexpr std::int64_t kNoon = 1796644800;  // 2026-12-07 12:00 UTC

class Messages : public IMessagePort {
 public:
  void ShowMessage(const std::string& text) override { shown.push_back(text); }
  void ShowError(const std::string& text) override { shown.push_back(text); }
  bool Confirm(const std::string&) override { return false; }
  void Beep() override {}
  std::vector<std::string> shown;
};

ParsedConditionsPage ParsePage(const std::string& page) {
  Messages messages;
  ParsedConditionsPage parsed = ParseConditionsPage(page, messages);
  EXPECT_TRUE(messages.shown.empty()) << messages.shown.front();
  return parsed;
}

class GatewayTest : public ::testing::Test {
 protected:
  void SetUp() override { Make(Options()); }
  void Make(Options o) {
    o.nwsApi = stub_.Base();
    o.metarApi = stub_.Base() + "/api/data/metar";
    o.openMeteoApi = stub_.Base() + "/v1/forecast";
    o.contact = "tester@example.org";
    options_ = o;
    gateway_.reset();
    upstream_.reset();
    gates_ = std::make_unique<HostGates>(clock_, 30000, 600000, kRequestsPerHost);
    UpstreamSettings settings;
    settings.userAgent = UserAgent(o);
    settings.maxBodyBytes = o.maxBodyBytes;
    settings.redirectOrigins = SourceOrigins(o);
    upstream_ = std::make_unique<CurlUpstream>(settings, *gates_, [this](const std::string& l) { Log(l); });
    gateway_ = std::make_unique<Gateway>(
        o, *upstream_, clock_, [] { return kNoon; }, [this](const std::string& l) { Log(l); });
  }
  // Product texts are fetched from several threads.
  void Log(const std::string& line) {
    std::lock_guard<std::mutex> lock(logMutex_);
    log_.push_back(line);
  }
  bool Logged(const std::string& part) {
    std::lock_guard<std::mutex> lock(logMutex_);
    return std::any_of(log_.begin(), log_.end(),
                       [&](const std::string& l) { return l.find(part) != std::string::npos; });
  }
  Reply Get(const std::string& path, const std::string& query = "") {
    Request r;
    r.method = "GET";
    r.host = hosts::kWeatherUnderground;
    r.path = path;
    r.query = query;
    r.now = kNoon;
    return gateway_->Handle(r);
  }

  // The census sources on the stub.
  void CensusOptions() {
    Options o;
    o.censusApi = stub_.Base() + "/data";
    o.popclockApi = stub_.Base() + "/popclock/data";
    Make(o);
  }
  Reply GetAt(const std::string& host, const std::string& path) {
    Request r;
    r.method = "GET";
    r.host = host;
    r.path = path;
    return gateway_->Handle(r);
  }
  static std::string Lookup(const std::string& level, const std::string& selection) {
    return "/cdrom/lookup/906003812=/CMD=RET/DB=C90STF3B/FMT=HTML/LEV=" + level + "/SEL=" + selection + "/T=P1/T=H61A";
  }

  skytest::StubUpstream stub_;
  ManualClock clock_;
  Options options_;
  std::unique_ptr<HostGates> gates_;
  std::unique_ptr<CurlUpstream> upstream_;
  std::unique_ptr<Gateway> gateway_;
  std::mutex logMutex_;
  std::vector<std::string> log_;
};

TEST_F(GatewayTest, UsCityFromTheNextStationWhenTheNearestHasNoTemperature) {
  Reply reply = Get("/US/TX/Austin.html");
  ASSERT_EQ(reply.status, 200) << reply.body;
  ParsedConditionsPage p = ParsePage(reply.body);
  const ConditionsRecord& r = p.Record;
  EXPECT_EQ(p.PageLocationName, "Austin, Texas");
  EXPECT_EQ(r.ObservedAt, "10:53 AM CST");
  EXPECT_EQ(r.Temperature, "55\260F / 13\260C ");
  EXPECT_EQ(r.Humidity, "55% ");
  EXPECT_EQ(r.Wind, "NNW at 11 mph ");
  EXPECT_EQ(r.Pressure, "30.22 in ");
  EXPECT_EQ(r.Sky, "Mostly Cloudy");
  EXPECT_EQ(r.SkyIcon, 3);
  EXPECT_EQ(r.Visibility, "10 miles");
  EXPECT_EQ(r.HeatIndex, "n/a");
  EXPECT_TRUE(r.Sunrise.starts_with(" 7:1")) << r.Sunrise;  // the parser keeps the blank before
  EXPECT_TRUE(r.Sunset.ends_with(" PM CST ")) << r.Sunset;
  const std::vector<std::string> asked = stub_.Requests();
  EXPECT_EQ(asked,
            (std::vector<std::string>{"/points/30.2672,-97.7431", "/gridpoints/EWX/156,91/stations",
                                      "/stations/KATT/observations/latest", "/stations/KAUS/observations/latest"}));
  EXPECT_EQ(stub_.UserAgent(), "skyglass-gateway/0.1 (tester@example.org)");
  // Fresh for ten minutes: no second round of requests.
  clock_.Advance(9 * 60 * 1000);
  EXPECT_EQ(Get("/US/TX/Austin.html").body, reply.body);
  EXPECT_EQ(stub_.Requests().size(), 4u);
}

TEST_F(GatewayTest, ZipAndForeignStation) {
  Reply zip = Get("/cgi-bin/findweather/getForecast", "query=10001");
  ASSERT_EQ(zip.status, 200) << zip.body;
  ParsedConditionsPage z = ParsePage(zip.body);
  EXPECT_EQ(z.PageLocationName, "New York, New York");
  EXPECT_EQ(z.Record.ObservedAt, "11:51 AM EST");
  EXPECT_EQ(z.Record.Temperature, "38\260F / 3\260C ");
  EXPECT_EQ(z.Record.Humidity, "97% ");
  EXPECT_EQ(z.Record.Wind, "Calm ");
  EXPECT_EQ(z.Record.Pressure, "29.86 in ");
  EXPECT_EQ(z.Record.Sky, "Light Rain and Fog/Mist");
  EXPECT_EQ(z.Record.SkyIcon, 1);  // "fog" before "rain" in the picture table
  EXPECT_EQ(z.Record.Visibility, "1.5 mile");

  Reply station = Get("/global/stations/03772.html");
  ASSERT_EQ(station.status, 200) << station.body;
  ParsedConditionsPage s = ParsePage(station.body);
  EXPECT_EQ(s.PageLocationName, "London, United Kingdom");
  EXPECT_EQ(s.Record.ObservedAt, "4:50 PM GMT");
  EXPECT_EQ(s.Record.Temperature, "48\260F / 9\260C ");
  EXPECT_EQ(s.Record.Humidity, "87% ");
  EXPECT_EQ(s.Record.Wind, "WSW at 16 mph gusting to 29 mph ");
  EXPECT_EQ(s.Record.Pressure, "29.88 in ");
  EXPECT_EQ(s.Record.Sky, "Light Rain");
  EXPECT_EQ(s.Record.Visibility, "6 miles ");
  EXPECT_TRUE(s.Record.Sunset.ends_with(" PM GMT ")) << s.Record.Sunset;

  // Places the sources cannot answer for: no upstream request at all.
  const std::size_t asked = stub_.Requests().size();
  EXPECT_EQ(Get("/cgi-bin/findweather/getForecast", "query=00000").status, 404);
  EXPECT_EQ(Get("/US/TX/Nowhere.html").status, 404);
  EXPECT_EQ(Get("/global/stations/99999.html").status, 404);
  EXPECT_EQ(stub_.Requests().size(), asked);
}

std::string Header(const Reply& reply, const std::string& name) {
  for (const auto& [n, v] : reply.headers) {
    if (n == name) return v;
  }
  return {};
}

TEST_F(GatewayTest, SourceDownServesTheLastGoodAnswerThenFails) {
  const Reply first = Get("/global/stations/03772.html");
  const std::string good = first.body;
  EXPECT_EQ(Header(first, "Age"), "");  // fresh from the source
  EXPECT_EQ(Header(first, "Warning"), "");
  stub_.failing = true;
  clock_.Advance(11 * 60 * 1000);  // past the ten minutes
  Reply stale = Get("/global/stations/03772.html");
  EXPECT_EQ(stale.status, 200);
  EXPECT_EQ(stale.body, good);
  // Marked as kept and stale, with the observation's time: what the program
  // turns into "observed ... ago".
  EXPECT_EQ(Header(stale, "Age"), "660");
  EXPECT_TRUE(Header(stale, "Warning").starts_with("110 ")) << Header(stale, "Warning");
  EXPECT_EQ(Header(stale, "Date"), "Mon, 07 Dec 2026 12:00:00 GMT");
  EXPECT_EQ(Header(stale, "Last-Modified"), "Mon, 07 Dec 2026 16:50:00 GMT");
  ASSERT_FALSE(log_.empty());
  EXPECT_NE(log_.back().find("from the cache"), std::string::npos) << log_.back();
  // The host backs off: within its back-off nothing more is asked of it.
  const std::size_t asked = stub_.Requests().size();
  clock_.Advance(6 * 3600 * 1000);  // the cached answer is too old now
  EXPECT_EQ(Get("/global/stations/03772.html").status, 502);
  EXPECT_EQ(Get("/cgi-bin/findweather/getForecast", "query=10001").status, 502);
  EXPECT_LE(stub_.Requests().size(), asked + 2);
  clock_.Advance(2 * 60 * 1000);
  stub_.failing = false;
  EXPECT_EQ(Get("/global/stations/03772.html").status, 200);
}

TEST_F(GatewayTest, BadJsonAndHugeBodiesFailCleanly) {
  stub_.Override("/points/30.2672,-97.7431", 200, "{\"properties\": [truncated");
  EXPECT_EQ(Get("/US/TX/Austin.html").status, 502);
  stub_.Override("/api/data/metar?ids=EGLL&format=json", 200, "<html>maintenance</html>");
  EXPECT_EQ(Get("/global/stations/03772.html").status, 502);
  // No current report is no outage: the second source answers (see SecondSource below).
  stub_.Override("/api/data/metar?ids=EGLL&format=json", 200, "[]");
  EXPECT_EQ(Get("/global/stations/03772.html").status, 200);
  Options small;
  small.maxBodyBytes = 512;
  Make(small);
  EXPECT_EQ(Get("/cgi-bin/findweather/getForecast", "query=10001").status, 502);
  bool logged = false;
  for (const std::string& l : log_) logged |= l.find("larger than 512 bytes") != std::string::npos;
  EXPECT_TRUE(logged);
}

TEST_F(GatewayTest, NoTemperatureAtAnyStationIsWrittenAsMissing) {
  stub_.Override("/stations/KAUS/observations/latest", 200, "{not json");
  Reply reply = Get("/US/TX/Austin.html");
  ASSERT_EQ(reply.status, 200);
  ParsedConditionsPage p = ParsePage(reply.body);
  EXPECT_EQ(p.Record.Temperature, "N/A ");
  EXPECT_EQ(p.Record.Sky, "N/A");
  EXPECT_EQ(p.Record.Visibility, "N/A Sunr");
  EXPECT_EQ(p.Record.ObservedAt, "10:51 AM CST");
}

TEST_F(GatewayTest, SlowSourceGivesAFailureInTime) {
  Options quick;
  quick.answerWithinMs = 300;
  Make(quick);
  stub_.delayMs = 1500;
  const auto start = std::chrono::steady_clock::now();
  Reply reply = Get("/global/stations/03772.html");
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(reply.status, 502);
  EXPECT_LT(took, std::chrono::milliseconds(1200));
  stub_.delayMs = 0;
}

Reply GetIwin(Gateway& gateway, const std::string& path) {
  Request r;
  r.method = "GET";
  r.host = hosts::kIwin;
  r.path = path;
  return gateway.Handle(r);
}

TEST_F(GatewayTest, StateProductsAndAlerts) {
  // The newest zone forecast of each office serving the state, in <pre> blocks
  // with the "$$" segment ends the county search cuts at.
  Reply zone = GetIwin(*gateway_, "/iwin/TX/zone.html");
  ASSERT_EQ(zone.status, 200) << zone.body;
  EXPECT_NE(zone.body.find("<pre>\n000\nFPUS54 KEWX 071547"), std::string::npos);
  EXPECT_NE(zone.body.find("Travis-\nIncluding the city of Austin"), std::string::npos);
  EXPECT_NE(zone.body.find("Dallas-\nIncluding the city of Dallas"), std::string::npos);
  EXPECT_EQ(zone.body.find("not currently available"), std::string::npos);
  std::vector<std::string> asked = stub_.Requests();
  EXPECT_EQ(std::count_if(asked.begin(), asked.end(), [](const std::string& a) { return a.starts_with("/products/"); }),
            2);

  Reply warnings = GetIwin(*gateway_, "/iwin/TX/allwarnings.html");
  ASSERT_EQ(warnings.status, 200);
  EXPECT_NE(warnings.body.find("Freeze Warning issued December 7"), std::string::npos);
  EXPECT_NE(warnings.body.find("Take steps now"), std::string::npos);
  // Nothing in force, nothing issued: the notice the warning display looks for.
  EXPECT_NE(GetIwin(*gateway_, "/iwin/VT/allwarnings.html").body.find("not currently available"), std::string::npos);
  EXPECT_NE(GetIwin(*gateway_, "/iwin/TX/special.html").body.find("not currently available"), std::string::npos);
  EXPECT_EQ(GetIwin(*gateway_, "/iwin/XX/zone.html").status, 404);
  EXPECT_EQ(GetIwin(*gateway_, "/iwin/TX/other.html").status, 404);
  // Cached for half an hour, then stale while the service is down.
  const std::size_t before = stub_.Requests().size();
  clock_.Advance(29 * 60 * 1000);
  EXPECT_EQ(GetIwin(*gateway_, "/iwin/TX/zone.html").body, zone.body);
  EXPECT_EQ(stub_.Requests().size(), before);
  stub_.failing = true;
  clock_.Advance(2 * 60 * 1000);
  EXPECT_EQ(GetIwin(*gateway_, "/iwin/TX/zone.html").body, zone.body);
  EXPECT_EQ(GetIwin(*gateway_, "/iwin/TX/hydro.html").status, 502);
}

TEST_F(GatewayTest, CavokStationShowsAClearSky) {
  // Today's METAR JSON: a CAVOK report has no layers, only "cover": "CAVOK".
  Reply reply = Get("/global/stations/10385.html");
  ASSERT_EQ(reply.status, 200) << reply.body;
  ParsedConditionsPage p = ParsePage(reply.body);
  EXPECT_EQ(p.Record.Sky, "Clear");
  EXPECT_EQ(p.Record.SkyIcon, 11);
  EXPECT_EQ(p.Record.Temperature, "54\260F / 12\260C ");
  EXPECT_EQ(p.Record.Wind, "Variable at 2 mph ");
  EXPECT_EQ(p.Record.Pressure, "30.27 in ");
  EXPECT_NE(reply.body.find("Source: METAR of EDDB"), std::string::npos);
}

TEST_F(GatewayTest, StationWithoutACurrentReportFallsBackToTheSecondSource) {
  for (const char* empty : {"", "[]"}) {
    stub_.Override("/api/data/metar?ids=EGLL&format=json", 200, empty);
    Make(Options());  // an empty cache
    Reply reply = Get("/global/stations/03772.html");
    ASSERT_EQ(reply.status, 200) << reply.body;
    ParsedConditionsPage p = ParsePage(reply.body);
    EXPECT_EQ(p.Record.Temperature, "25\260F / -4\260C ");
    EXPECT_EQ(p.Record.Humidity, "93% ");
    EXPECT_EQ(p.Record.Wind, "W at 5 mph gusting to 13 mph ");
    EXPECT_EQ(p.Record.ObservedAt, "3:45 AM GMT");  // 06:45 at UTC+3
    EXPECT_NE(reply.body.find("Source: Weather data by Open-Meteo.com"), std::string::npos);
    EXPECT_TRUE(Logged("no current report of EGLL"));
  }
  // A station the aviation service does not list: the second source at once.
  Reply abashiri = Get("/global/stations/47409.html");
  ASSERT_EQ(abashiri.status, 200) << abashiri.body;
  EXPECT_EQ(ParsePage(abashiri.body).Record.Humidity, "93% ");
  // The second source failing too is a failure, not an invented page.
  stub_.Override("/api/data/metar?ids=EDDB&format=json", 200, "[]");
  EXPECT_EQ(Get("/global/stations/10385.html").status, 502);
}

TEST_F(GatewayTest, AlertsOnlyActualAndInForce) {
  Reply page = GetIwin(*gateway_, "/iwin/AL/allwarnings.html");
  ASSERT_EQ(page.status, 200);
  const std::vector<std::string> asked = stub_.Requests();
  EXPECT_NE(std::find(asked.begin(), asked.end(), "/alerts/active?area=AL&status=actual"), asked.end());
  // The update stands in for the watch it replaces; the cancellation of one
  // county leaves it in force for the others; the test message never shows.
  EXPECT_NE(page.body.find("TORNADO WATCH 641 REMAINS VALID"), std::string::npos);
  EXPECT_EQ(page.body.find("HAS ISSUED TORNADO WATCH"), std::string::npos);
  EXPECT_EQ(page.body.find("has been cancelled"), std::string::npos);
  EXPECT_EQ(page.body.find("Tsunami"), std::string::npos);
  EXPECT_EQ(page.body.find("TEST"), std::string::npos);
}

TEST_F(GatewayTest, OfficesWithoutCwaAndNoOfficeAtAll) {
  Reply zone = GetIwin(*gateway_, "/iwin/AK/zone.html");
  EXPECT_EQ(zone.status, 200);
  const std::vector<std::string> asked = stub_.Requests();
  EXPECT_NE(std::find(asked.begin(), asked.end(), "/products?type=ZFP&location=AFC&limit=100"), asked.end());
  // A zone list naming no office is a changed answer, never "not available".
  stub_.Override("/zones?type=forecast&area=AK", 200, R"({"features":[{"properties":{"id":"AKZ101"}}]})");
  Make(Options());
  EXPECT_EQ(GetIwin(*gateway_, "/iwin/AK/zone.html").status, 502);
  EXPECT_TRUE(Logged("no forecast office"));
}

TEST_F(GatewayTest, OneProductOfTenFailingLeavesTheRest) {
  std::string list = R"({"@graph":[)";
  for (int i = 0; i < 10; ++i) {
    const std::string id = "/products/p" + std::to_string(i);
    list += std::string(i ? "," : "") + R"({"@id":"{{BASE}})" + id + R"(","issuingOffice":"K)" + std::to_string(i) +
            R"(","productCode":"ZFP"})";
    if (i == 3) stub_.Override(id, 404, R"({"status":404})");
    else stub_.Override(id, 200, R"({"productText":"TEXT NUMBER )" + std::to_string(i) + R"(\n$$"})");
  }
  stub_.Override("/products?type=ZFP&location=EWX,FWD&limit=100", 200, list + "]}");
  Reply page = GetIwin(*gateway_, "/iwin/TX/zone.html");
  ASSERT_EQ(page.status, 200);
  EXPECT_NE(page.body.find("Not retrieved this time: ZFP of K3."), std::string::npos) << page.body;
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(page.body.find("TEXT NUMBER " + std::to_string(i)) != std::string::npos, i != 3) << i;
  }
  // Texts are kept by their id: the page made again asks only for the list
  // and the one that was missing.
  const std::size_t before = stub_.Requests().size();
  clock_.Advance(31 * 60 * 1000);
  GetIwin(*gateway_, "/iwin/TX/zone.html");
  const std::vector<std::string> asked = stub_.Requests();
  EXPECT_EQ(std::vector<std::string>(asked.begin() + static_cast<std::ptrdiff_t>(before), asked.end()),
            (std::vector<std::string>{"/products?type=ZFP&location=EWX,FWD&limit=100", "/products/p3"}));
}

TEST_F(GatewayTest, RedirectsOnlyToListedOrigins) {
  stub_.Override("/moved", 302, stub_.Base() + "/products/p1");
  stub_.Override("/products/p1", 200, R"({"productText":"ARRIVED"})");
  FetchResult followed = upstream_->Get(stub_.Base() + "/moved", SteadyNowMs() + 5000);
  EXPECT_TRUE(followed.ok);
  EXPECT_NE(followed.body.find("ARRIVED"), std::string::npos);
  // Off the list (and not https): refused without a request to it.
  stub_.Override("/away", 302, "http://127.0.0.2:9/picture.gif");
  FetchResult refused = upstream_->Get(stub_.Base() + "/away", SteadyNowMs() + 5000);
  EXPECT_FALSE(refused.ok);
  EXPECT_NE(refused.error.find("refused"), std::string::npos) << refused.error;
  // A loop ends after three hops.
  stub_.Override("/loop", 302, stub_.Base() + "/loop");
  FetchResult loop = upstream_->Get(stub_.Base() + "/loop", SteadyNowMs() + 5000);
  EXPECT_FALSE(loop.ok);
  EXPECT_NE(loop.error.find("more than 3 redirects"), std::string::npos) << loop.error;
}

TEST(GatewayProducts, Latin1AndEscaping) {
  EXPECT_EQ(Latin1FromUtf8("Ca\xC3\xB1on \xE2\x80\x94 \xFF"), "Ca\xF1on ? ?");
  EXPECT_EQ(Latin1FromUtf8("\xC3"), "?");
  const std::string html = ProductsHtml("Zone Forecast", "TX", {"WINDS <10 MPH & GUSTS >20"});
  EXPECT_NE(html.find("WINDS &lt;10 MPH & GUSTS &gt;20"), std::string::npos);
}

TEST_F(GatewayTest, PicturesFromTheirPublicEquivalents) {
  Options o;
  o.picturesBase = stub_.Base() + "/pictures";
  o.gridApi = stub_.Base() + "/grid";
  Make(o);
  auto get = [&](const std::string& host, const std::string& path) {
    Request r;
    r.method = "GET";
    r.host = host;
    r.path = path;
    return gateway_->Handle(r);
  };
  // The national radar rows show the national mosaic, which the GIF decoder reads.
  Reply radar = get("weather.yahoo.com", "/graphics/radar/nat_rad.wni.gif");
  ASSERT_EQ(radar.status, 200);
  EXPECT_EQ(radar.contentType, "image/gif");
  std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(radar.body.data()), radar.body.size());
  EXPECT_TRUE(DecodeGif(bytes).ok);
  EXPECT_EQ(get("weather.purdue.edu", "/radar/rad_comp.gif").body, radar.body);
  Reply europe = get("www.meteo.fr", "/tpsreel/images/satt0.jpg");
  EXPECT_EQ(europe.status, 200);
  EXPECT_EQ(europe.contentType, "image/jpeg");
  // Not a picture: refused. A drawn map whose forecast does not answer: 502.
  // No source: 404 with the reason.
  EXPECT_EQ(get("grads.iges.org", "/pix/temp1.gif").status, 502);
  EXPECT_EQ(get("grads.iges.org", "/pix/temp7.gif").status, 502);
  EXPECT_EQ(get("www.littlerockweather.net", "/weather/wxcam.jpg").status, 404);
}

TEST_F(GatewayTest, LocalRadarForThePlaceOfAConditionsAddress) {
  Options o;
  o.picturesBase = stub_.Base() + "/pictures";
  Make(o);
  std::ifstream in(std::string(SKYGLASS_TEST_DATA) + "/gif/perl-tk--anim.gif", std::ios::binary);
  const std::string loop((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  stub_.Override("/pictures/radar.weather.gov/ridge/standard/KAMX_loop.gif", 200, loop);
  auto get = [&](const std::string& place) {
    Request r;
    r.method = "GET";
    r.host = "weather.purdue.edu";
    r.path = kLocalRadarPath;
    r.query = "place=" + place;
    return gateway_->Handle(r);
  };
  Reply city = get("US%2FFL%2FMiami.html");
  ASSERT_EQ(city.status, 200);
  EXPECT_EQ(city.contentType, "image/gif");
  EXPECT_EQ(city.body, loop);
  EXPECT_EQ(get("cgi-bin%2Ffindweather%2FgetForecast%3Fquery%3D33130").body, loop);
  EXPECT_EQ(get("US%2FFL%2FNowhere.html").status, 404);
  EXPECT_EQ(get("").status, 404);
  EXPECT_FALSE(Header(city, "Date").empty());

  // The list of served pictures, asked with the current place, tells the
  // program beforehand whether Local Radar has a loop for it.
  const std::size_t asked = stub_.Requests().size();
  auto listed = [&](const std::string& place) {
    Request r;
    r.method = "GET";
    r.host = "weather.purdue.edu";
    r.path = kServedPicturesPath;
    r.query = place.empty() ? "" : "place=" + place;
    const Reply reply = gateway_->Handle(r);
    EXPECT_EQ(reply.status, 200);
    return ParseServedPictures(reply.body).value_or(ServedPictures{});
  };
  EXPECT_TRUE(listed("US%2FFL%2FMiami.html").Serves("mnuLocalRadarClick"));
  EXPECT_TRUE(listed("global%2Fstations%2F71624.html").Serves("mnuLocalRadarClick"));  // Toronto: Buffalo's radar
  const ServedPictures tokyo = listed("global%2Fstations%2F47662.html");
  EXPECT_EQ(tokyo.Reason("mnuLocalRadarClick"),
            "Tokyo, Japan: no weather-service radar or satellite loop covers this place");
  EXPECT_EQ(tokyo.live, listed("").live);  // the catalogue's count stays the catalogue's
  EXPECT_FALSE(listed("US%2FFL%2FNowhere.html").Serves("mnuLocalRadarClick"));
  EXPECT_TRUE(listed("").Serves("mnuLocalRadarClick"));  // no place asked: not judged
  EXPECT_EQ(stub_.Requests().size(), asked);             // the list itself asks no source
}

TEST_F(GatewayTest, MakersServerFromTheSampleContent) {
  // Nothing made up in live mode: the paths without a live source are not
  // found (the program shows its own failure), and the version file comes
  // only from a configured release feed.
  auto get = [&](const std::string& host, const std::string& path, const std::string& query = "") {
    Request r;
    r.method = "GET";
    r.host = host;
    r.path = path;
    r.query = query;
    return gateway_->Handle(r);
  };
  EXPECT_EQ(get(hosts::kMaker, "/assets/skyglassvs.txt").status, 404);
  EXPECT_EQ(get(hosts::kMaker, "/assets/SkyglassCount.txt").status, 404);
  EXPECT_EQ(get(hosts::kCensus, "/cgi-bin/ipc/pcwgif").status, 404);
  EXPECT_EQ(get(hosts::kCensusLookup, "/cdrom/lookup/CMD=LIST/DB=C90STF1A/LEV=STATE").status, 404);
  EXPECT_EQ(get(hosts::kCensus, "/statab/ranks/pg20.txt").status, 404);
  EXPECT_TRUE(stub_.Requests().empty());
  Options o;
  o.releasesUrl = stub_.Base() + "/repos/octocat/Hello-World/releases";
  Make(o);
  Reply version = get(hosts::kMaker, "/assets/skyglassvs.txt");
  ASSERT_EQ(version.status, 200);
  EXPECT_EQ(version.body, "Version#1.31.0.0\r\n");  // the pre-release passed over
  EXPECT_EQ(VersionOfTag("release-2.4"), "2.4.0.0");
  EXPECT_EQ(VersionOfTag("nightly"), "");
}

TEST_F(GatewayTest, CensusLookUpsByStateAndZipFromRecordedAnswers) {
  CensusOptions();
  Reply state = GetAt(hosts::kCensusLookup, Lookup("STATE", "04,Arizona"));
  ASSERT_EQ(state.status, 200) << state.body;
  const std::string text = TagStrip(state.body);
  EXPECT_NE(text.find("B01001  Persons                                     6,641,928\n"), std::string::npos) << text;
  EXPECT_NE(text.find("B25077  Median value (dollars)                      N/A\n"), std::string::npos);
  EXPECT_NE(text.find("vintage 2023"), std::string::npos);

  Reply zip = GetAt(hosts::kCensusLookup, Lookup("ZIP", "83014"));
  ASSERT_EQ(zip.status, 200);
  EXPECT_NE(zip.body.find("<H2>Zip Code 83014</H2>"), std::string::npos);
  EXPECT_NE(TagStrip(zip.body).find("Median value (dollars)                      685,000"), std::string::npos);
  const std::size_t asked = stub_.Requests().size();
  EXPECT_EQ(GetAt(hosts::kCensusLookup, Lookup("ZIP", "83014")).body, zip.body);  // kept a day
  // Nothing that is not a zip goes into the address.
  EXPECT_NE(GetAt(hosts::kCensusLookup, Lookup("ZIP", "8301&x")).body.find("No records match 8301&x."),
            std::string::npos);
  EXPECT_EQ(stub_.Requests().size(), asked);
  // The API's answer for an area it has no figures for: no content.
  const std::string none = "/data/2023/acs/acs5?get=" + DetailVariables() + "&for=zip%20code%20tabulation%20area:00000";
  stub_.Override(none, 204, "");
  EXPECT_NE(GetAt(hosts::kCensusLookup, Lookup("ZIP", "00000")).body.find("No records match 00000."),
            std::string::npos);
  // A failing API is a failure, never a page of made-up figures.
  stub_.failing = true;
  EXPECT_EQ(GetAt(hosts::kCensusLookup, Lookup("ZIP", "10001")).status, 502);
}

TEST_F(GatewayTest, CensusRankingAndCountersServed) {
  CensusOptions();
  Reply ranking = GetAt(hosts::kCensus, "/statab/ranks/pg20.txt");
  ASSERT_EQ(ranking.status, 200);
  EXPECT_TRUE(ranking.body.starts_with("State Rankings -- Median Household Income, 2019-2023\r\n"));
  // The nation's figure is not in the recordings: the ranking stands without it.
  EXPECT_EQ(ranking.body.find("United States"), std::string::npos);
  EXPECT_EQ(GetAt(hosts::kCensus, "/statab/ranks/pg18.txt").status, 502);  // no recording of earnings

  Reply counter = GetAt(hosts::kCensus, "/cgi-bin/pcugifd.pl");
  ASSERT_EQ(counter.status, 200);
  EXPECT_EQ(counter.contentType, "image/gif");
  GifDecodeResult decoded = DecodeGif(
      std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(counter.body.data()), counter.body.size()));
  ASSERT_TRUE(decoded.ok) << decoded.error;
  EXPECT_EQ(decoded.image.width, 360);
  EXPECT_EQ(GetAt(hosts::kCensus, "/cgi-bin/ipc/pcwgif").status, 200);
  EXPECT_NE(GetAt(hosts::kCensus, "/cgi-bin/ipc/pcwgif").body, counter.body);
}

// Hostile sources: bounds that hold before the work is done, not after.
TEST_F(GatewayTest, HostileJsonIsRefusedBeforeParsing) {
  stub_.Override("/points/30.2672,-97.7431", 200, std::string(7u << 20, '['));
  EXPECT_EQ(Get("/US/TX/Austin.html").status, 502);
  bool logged = false;
  for (const std::string& l : log_) logged |= l.find("no point properties") != std::string::npos;
  EXPECT_TRUE(logged);
}

TEST_F(GatewayTest, AProductPageIsBoundedInTotal) {
  const std::string huge = "{\"productText\": \"" + std::string(kMaxProductPageBytes - 1000, 'x') + "\"}";
  stub_.Override("/products/0b5f3c1e-8a8e-4d4e-9d0a-2f7c2b5e1a01", 200, huge);
  stub_.Override("/products/6c1a9e47-3b2d-4f7e-a1c9-8e4d0b7f2c02", 200, huge);
  Reply zone = GetIwin(*gateway_, "/iwin/TX/zone.html");
  ASSERT_EQ(zone.status, 200);
  EXPECT_LT(zone.body.size(), kMaxProductPageBytes + 4096);
  EXPECT_NE(zone.body.find(kProductsLeftOut), std::string::npos);
}

TEST(GatewayCache, BoundedInBytesAsWellAsEntries) {
  ManualClock clock;
  Cache<std::string> cache(clock, 100, 1000);
  cache.Put("a", std::string(400, 'a'));
  clock.Advance(1);
  cache.Put("b", std::string(400, 'b'));
  clock.Advance(1);
  cache.Put("c", std::string(400, 'c'));  // the oldest makes room
  EXPECT_FALSE(cache.Find("a"));
  EXPECT_TRUE(cache.Find("b") && cache.Find("c"));
  EXPECT_LE(cache.Bytes(), 1000u);
  cache.Put("huge", std::string(2000, 'h'));  // never fits: not kept, nothing thrown out for it
  EXPECT_FALSE(cache.Find("huge"));
  EXPECT_EQ(cache.Size(), 2u);
  cache.Put("b", "small");  // a replaced entry gives its bytes back
  EXPECT_EQ(cache.Bytes(), 400u + 1 + 5 + 1);
}

// The recorded answers stand for the places the program asks about: the
// service's Rochester forecast and New Mexico alerts for Austin, Open-Meteo's
// Berlin values for London (tests/data/gateway/README.md).
TEST_F(GatewayTest, DailyForecastAndAlertsBesideTheConditions) {
  Reply us = Get("/daily/US/TX/Austin.txt");
  ASSERT_EQ(us.status, 200) << us.body;
  EXPECT_EQ(us.contentType.rfind("text/plain", 0), 0u);
  DailyRead read = ReadDailyAnswer(us.body);
  ASSERT_TRUE(read.forecast) << read.error;
  EXPECT_EQ(read.forecast->place, "Austin, Texas");
  EXPECT_EQ(read.forecast->days.size(), 7u);
  EXPECT_EQ(read.forecast->days[0].name, "Tonight");

  Reply alerts = Get("/alerts/US/TX/Austin.txt");
  ASSERT_EQ(alerts.status, 200);
  AlertsRead a = ReadAlertsAnswer(alerts.body);
  ASSERT_TRUE(a.alerts);
  EXPECT_EQ(a.alerts->size(), 2u);
  EXPECT_EQ(Get("/alerts/global/stations/03772.txt").status, 404);  // no warnings abroad
  EXPECT_EQ(Get("/daily/US/TX/Atlantis.txt").status, 404);

  // The source goes silent: the last good forecast is served.
  stub_.failing = true;
  clock_.Advance(11 * 60 * 1000);
  EXPECT_EQ(Get("/daily/US/TX/Austin.txt").body, us.body);
}

TEST_F(GatewayTest, DailyForecastAbroadFromOpenMeteoWithItsCredit) {
  // The recording's first day is "today" at the place.
  gateway_ = std::make_unique<Gateway>(
      options_, *upstream_, clock_, [] { return std::int64_t{1744704000}; },
      [this](const std::string& l) { log_.push_back(l); });
  Reply abroad = Get("/daily/global/stations/03772.txt");
  ASSERT_EQ(abroad.status, 200) << abroad.body;
  DailyRead read = ReadDailyAnswer(abroad.body);
  ASSERT_TRUE(read.forecast) << read.error;
  EXPECT_NE(read.forecast->place.find("London"), std::string::npos);
  EXPECT_NE(read.forecast->source.find("Open-Meteo.com"), std::string::npos);
  EXPECT_EQ(read.forecast->days[0].name, "Today");
  EXPECT_EQ(read.forecast->days[0].unit, 'C');
}

}  // namespace
}  // namespace sky::gateway
