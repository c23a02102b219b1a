// The picture rows through the gateway: the table every row reads, the
// conversions to the row's format (replaying recorded sample pictures from a
// loopback stub), the drawn outlook maps and the picture cache.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "controls/gif_decoder.h"
#include "gateway/coastlines.h"
#include "gateway/local_radar.h"
#include "gateway/outlook_map.h"
#include "gateway/picture_convert.h"
#include "gateway/picture_service.h"
#include "gateway/pictures.h"
#include "gateway/stub_upstream.h"
#include "images/jpeg_loader.h"
#include "images/served_pictures.h"

namespace sky::gateway {
namespace {

std::string Fixture(const std::string& name) {
  std::ifstream in(std::string(SKYGLASS_TEST_DATA) + "/" + name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// FNV-1a over the decoded colour indices and the palette of every frame.
std::uint64_t PixelSum(const GifImage& gif) {
  std::uint64_t h = 1469598103934665603ull;
  auto mix = [&h](std::uint8_t b) { h = (h ^ b) * 1099511628211ull; };
  for (const GifFrame& f : gif.frames) {
    for (std::uint8_t i : f.indices) mix(i);
    for (const GifColor& c : f.colorTable) mix(c.r), mix(c.g), mix(c.b);
  }
  return h;
}

TEST(PictureTable, EveryRowHasASourceAndFormatOrAReason) {
  std::vector<PictureSource> table;
  std::string error;
  ASSERT_TRUE(ParsePictureSources(PictureSourcesText(), table, error)) << error;
  ASSERT_EQ(table.size(), ImageCatalogue().size());
  int live = 0;
  for (const PictureSource& s : table) {
    SCOPED_TRACE(s.command);
    if (!s.Live()) {
      EXPECT_FALSE(s.Reason().empty());
      continue;
    }
    ++live;
    EXPECT_TRUE(!s.drawnKind.empty() || s.url.rfind("https://", 0) == 0);
    EXPECT_TRUE(s.format == "gif" || s.format == "jpeg" || s.format == "png");
    EXPECT_GT(s.minutes, 0);
    if (!s.drawnKind.empty()) {
      EXPECT_NE(FindOutlookRegion(s.drawnRegion), nullptr);
    }
  }
  EXPECT_GE(live, 46);
  EXPECT_NE(PictureListText().find(std::to_string(live) + " of 56 pictures live"), std::string::npos);
  const std::string json = PictureListJson();
  EXPECT_NE(json.find("\"live\": " + std::to_string(live)), std::string::npos);
  // The animated row is the storm watch, as the catalogue animates it.
  for (const ImageRow& row : ImageCatalogue()) EXPECT_EQ(SourceForCommand(row.command)->animated, row.animate);
}

TEST(PictureTable, TheProgramReadsTheServedList) {
  std::optional<ServedPictures> served = ParseServedPictures(PictureListJson());
  ASSERT_TRUE(served);
  int live = 0;
  for (const PictureSource& s : PictureSources()) {
    live += s.Live();
    EXPECT_EQ(served->Serves(s.command), s.Live()) << s.command;
    if (!s.Live()) {
      EXPECT_EQ(served->Reason(s.command), s.Reason());
    }
  }
  EXPECT_EQ(served->live, live);
  EXPECT_FALSE(ParseServedPictures("{\"live\": 1, \"rows\": [{\"command\": \"x\"}]}"));
  EXPECT_FALSE(ParseServedPictures("<html>404</html>"));
  EXPECT_FALSE(ParseServedPictures("{\"live\": 1, \"rows\": [{\"command\": \"x\", \"live\": tru"));
  std::optional<ServedPictures> escaped = ParseServedPictures(
      "{\"rows\": [{\"live\": false, \"command\": \"a\", \"reason\": \"\\\"q\\\" \\u00e9\"}], \"live\": 0}");
  ASSERT_TRUE(escaped);
  EXPECT_EQ(escaped->Reason("a"), "\"q\" \xE9");
}

TEST(PictureTable, BrokenTablesAreRefusedWithTheirLine) {
  std::vector<PictureSource> t;
  std::string error;
  EXPECT_FALSE(ParsePictureSources("mnuNoSuchRow\thttps://a/b\tgif\t0\t5\tdoc\n", t, error));
  EXPECT_NE(error.find("line 1"), std::string::npos);
  EXPECT_FALSE(ParsePictureSources("mnuUSRadarPurdueClick\thttp://a/b\tgif\t0\t5\tdoc\n", t, error));
  EXPECT_FALSE(ParsePictureSources("mnuUSRadarPurdueClick\tnone\t-\t0\t0\tno reason given\n", t, error));
  EXPECT_FALSE(ParsePictureSources("mnuUSRadarPurdueClick\tdrawn:wind:europe\tgif\t0\t5\tdoc\n", t, error));
  // A table that leaves a row out.
  EXPECT_FALSE(ParsePictureSources("mnuUSRadarPurdueClick\thttps://a/b\tgif\t0\t5\tdoc\n", t, error));
  EXPECT_NE(error.find("no line for"), std::string::npos);
}

TEST(PictureConvert, EachSourceBecomesTheRowsFormat) {
  // PNG to GIF and JPEG: the same picture, decodable by the program's decoders.
  const std::string png = Fixture("png/libxslt1-dev--home.png");
  RgbImage original;
  std::string error;
  ASSERT_TRUE(DecodePng(png, {}, original, error)) << error;
  Converted gif = ConvertPicture(png, PictureFormat::kGif);
  ASSERT_TRUE(gif.ok) << gif.error;
  GifDecodeResult g = DecodeGif(Bytes(gif.bytes));
  ASSERT_TRUE(g.ok);
  EXPECT_EQ(g.image.width, 24);
  EXPECT_EQ(g.image.height, 24);
  // The icon has few colours: the palette keeps them exactly.
  const GifFrame& f = g.image.frames.front();
  for (int i : {0, 100, 300, 575}) {
    const GifColor& c = f.colorTable[f.indices[i]];
    EXPECT_EQ(c.r, original.rgb[i * 3]);
    EXPECT_EQ(c.g, original.rgb[i * 3 + 1]);
    EXPECT_EQ(c.b, original.rgb[i * 3 + 2]);
  }
  Converted jpeg = ConvertPicture(Fixture("png/gitweb--git-logo.png"), PictureFormat::kJpeg);
  ASSERT_TRUE(jpeg.ok);
  JpegDecodeResult j = sky::DecodeJpeg(Bytes(jpeg.bytes));
  ASSERT_TRUE(j.ok);
  EXPECT_EQ(j.picture.width, 72);

  // An animated GIF passes unchanged; so does a JPEG for a JPEG row.
  const std::string anim = Fixture("gif/perl-tk--anim.gif");
  Converted kept = ConvertPicture(anim, PictureFormat::kGif);
  ASSERT_TRUE(kept.ok);
  EXPECT_EQ(kept.bytes, anim);
  EXPECT_EQ(GifFrames(kept.bytes, {}, error), 4);
  const std::string photo = Fixture("jpeg/qt6-base-dev--Qt-footer-bg.jpg");
  EXPECT_EQ(ConvertPicture(photo, PictureFormat::kJpeg).bytes, photo);
  // A JPEG for a GIF row becomes a one-frame GIF of its size.
  Converted from_jpeg = ConvertPicture(photo, PictureFormat::kGif);
  ASSERT_TRUE(from_jpeg.ok);
  EXPECT_EQ(DecodeGif(Bytes(from_jpeg.bytes)).image.width, sky::DecodeJpeg(Bytes(photo)).picture.width);
}

TEST(PictureConvert, OversizedAndUndecodableSourcesAreRefused) {
  PictureLimits small;
  small.maxSide = 16;
  for (const char* name :
       {"png/libxslt1-dev--home.png", "gif/perl-tk--anim.gif", "jpeg/qt6-base-dev--Qt-footer-bg.jpg"}) {
    SCOPED_TRACE(name);
    Converted c = ConvertPicture(Fixture(name), PictureFormat::kGif, small);
    EXPECT_FALSE(c.ok);
    EXPECT_NE(c.error.find("over the limit"), std::string::npos) << c.error;
  }
  std::string cut = Fixture("png/libxslt1-dev--home.png");
  cut.resize(cut.size() / 2);
  EXPECT_FALSE(ConvertPicture(cut, PictureFormat::kGif).ok);
  EXPECT_FALSE(ConvertPicture(std::string("\xFF\xD8\xFF\xE0garbage", 11), PictureFormat::kJpeg).ok);
  EXPECT_FALSE(ConvertPicture("GIF89a", PictureFormat::kGif).ok);
  EXPECT_FALSE(ConvertPicture("{\"status\": 404}", PictureFormat::kJpeg).ok);
}

TEST(Coastlines, ThePackagedShorelinesSitWhereTheCoastsAre) {
  Coastlines coast;
  std::string error;
  ASSERT_TRUE(LoadCoastlines(kDefaultCoastlineFile, 1, coast, error)) << error;
  // Points near the Cape of Good Hope and Cape Horn, longitudes 0 to 360.
  auto near = [&](double lat, double lon) {
    for (const GeoLine& l : coast.lines)
      for (std::size_t i = 0; i < l.lat.size(); ++i)
        if (std::abs(l.lat[i] - lat) < 0.3 && std::abs(l.lon[i] - lon) < 0.3) return true;
    return false;
  };
  EXPECT_TRUE(near(-34.36, 18.47));
  EXPECT_TRUE(near(-55.98, 360 - 67.27));
  EXPECT_FALSE(near(0, 340));  // the middle of the Atlantic
  EXPECT_FALSE(LoadCoastlines("/nonexistent.nc", 1, coast, error));
}

TEST(OutlookMap, DrawnTheSameFromTheSameAnswer) {
  OutlookGrid grid;
  std::string error;
  ASSERT_TRUE(ParseOutlookAnswer(Fixture("gateway/grid/africa_10day.json"), grid, error)) << error;
  EXPECT_EQ(grid.firstDay, "2026-12-08");
  EXPECT_EQ(grid.lastDay, "2026-12-17");
  // The place with a missing day is averaged over the nine others.
  EXPECT_FALSE(std::isnan(grid.meanTemperatureC[4 * 10 + 3]));
  Coastlines coast;
  ASSERT_TRUE(LoadCoastlines(kDefaultCoastlineFile, 2, coast, error));
  const OutlookRegion& africa = *FindOutlookRegion("africa");
  const std::string a = DrawOutlookMap(africa, grid, OutlookKind::kTemperature, coast);
  EXPECT_EQ(a, DrawOutlookMap(africa, grid, OutlookKind::kTemperature, coast));
  GifDecodeResult decoded = DecodeGif(Bytes(a));
  ASSERT_TRUE(decoded.ok);
  EXPECT_EQ(decoded.image.width, 640);
  EXPECT_EQ(decoded.image.height, 480);
  EXPECT_EQ(PixelSum(decoded.image), 0x30159dcc038d17c5ull) << std::hex << PixelSum(decoded.image);
  const std::string p = DrawOutlookMap(africa, grid, OutlookKind::kPrecipitation, coast);
  EXPECT_NE(p, a);
  // Not an answer for the whole grid: no map.
  EXPECT_FALSE(ParseOutlookAnswer("[{\"daily\": {}}]", grid, error));
  EXPECT_FALSE(ParseOutlookAnswer("<html>", grid, error));
}

class PictureServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    options_.picturesBase = stub_.Base() + "/pictures";
    options_.gridApi = stub_.Base() + "/grid";
    gates_ = std::make_unique<HostGates>(clock_, 30000, 600000);
    UpstreamSettings settings;
    settings.userAgent = "test";
    upstream_ = std::make_unique<CurlUpstream>(settings, *gates_, [this](const std::string& l) { log_.push_back(l); });
    Make();
  }
  void Make() {
    service_ = std::make_unique<PictureService>(options_, *upstream_, clock_,
                                                [this](const std::string& l) { log_.push_back(l); });
  }
  historic::Reply Get(const std::string& host, const std::string& path) {
    return service_->Picture(host, path, SteadyNowMs() + 5000);
  }
  void Serve(const std::string& url, const std::string& fixture) {
    stub_.Override("/pictures/" + url.substr(8), 200, Fixture(fixture));
  }

  skytest::StubUpstream stub_;
  ManualClock clock_;
  Options options_;
  std::unique_ptr<HostGates> gates_;
  std::unique_ptr<CurlUpstream> upstream_;
  std::unique_ptr<PictureService> service_;
  std::vector<std::string> log_;
};

TEST_F(PictureServiceTest, RowsServedInTheirFormats) {
  Serve(SourceForCommand("mnuUSStormWatch1Click")->url, "gif/perl-tk--anim.gif");
  Serve(SourceForCommand("mnuCamUtahAlta1Click")->url, "png/libxslt1-dev--home.png");
  Serve(SourceForCommand("mnuCamCaliforniaHollywood1Click")->url, "jpeg/qt6-base-dev--Qt-footer-bg.jpg");
  Serve(SourceForCommand("mnuCamCaliforniaYosemite1Click")->url, "gateway/nws/points_austin.json");
  // The animated storm watch keeps its frames.
  historic::Reply storm = Get("www.earthwatch.com", "/STORMWATCH/images/SWUS2D.gif");
  ASSERT_EQ(storm.status, 200);
  EXPECT_EQ(storm.contentType, "image/gif");
  EXPECT_EQ(storm.body, Fixture("gif/perl-tk--anim.gif"));
  // A PNG for a GIF row, asked for in other capitals than the catalogue's.
  historic::Reply alta = Get("www.altacam.net", "/WXCAMS/images/cameras/alts/current.gif");
  ASSERT_EQ(alta.status, 200);
  EXPECT_TRUE(DecodeGif(Bytes(alta.body)).ok);
  EXPECT_EQ(Get("www.hollywoodcam.net", "/hollywood/images/hollysm.jpg").body,
            Fixture("jpeg/qt6-base-dev--Qt-footer-bg.jpg"));
  // Not a picture: 502 and a log line; no source: 404 saying why.
  EXPECT_EQ(Get("www.halfdomecam.net", "/domecam/capture.jpg").status, 502);
  EXPECT_NE(log_.back().find("not a picture"), std::string::npos);
  historic::Reply none = Get("www.littlerockweather.net", "/weather/wxcam.jpg");
  EXPECT_EQ(none.status, 404);
  EXPECT_NE(none.body.find("no keyless public still camera"), std::string::npos);
  EXPECT_EQ(Get("www.altacam.net", "/elsewhere.gif").status, 404);
}

TEST_F(PictureServiceTest, DrawnMapsFromOneGridAnswerPerRegion) {
  const OutlookRegion& africa = *FindOutlookRegion("africa");
  stub_.Override("/grid" + OutlookRequestUrl("", africa), 200, Fixture("gateway/grid/africa_10day.json"));
  historic::Reply temp = Get("grads.iges.org", "/pix/temp10.gif");
  historic::Reply prec = Get("grads.iges.org", "/pix/prec10.gif");
  ASSERT_EQ(temp.status, 200);
  ASSERT_EQ(prec.status, 200);
  EXPECT_TRUE(DecodeGif(Bytes(temp.body)).ok);
  int grid_requests = 0;
  for (const std::string& r : stub_.Requests()) grid_requests += r.rfind("/grid/", 0) == 0;
  EXPECT_EQ(grid_requests, 1);
  // Another region has no recorded answer: 502, never a made-up map.
  EXPECT_EQ(Get("grads.iges.org", "/pix/temp4.gif").status, 502);
}

TEST_F(PictureServiceTest, CachedByTheSourcesRateWithinABudget) {
  const std::string radar = SourceForCommand("mnuUSRadarPurdueClick")->url;
  Serve(radar, "gif/libtk8.6--logoLarge.gif");
  // Each picture says how long it stays current and how long it was kept, so
  // that the program can tell one kept too long.
  const auto header = [](const historic::Reply& r, const std::string& name) {
    std::string v = "-";
    for (const auto& [n, value] : r.headers)
      if (n == name) v = value;
    return v;
  };
  historic::Reply fresh = Get("weather.purdue.edu", "/radar/rad_comp.gif");
  ASSERT_EQ(fresh.status, 200);
  EXPECT_EQ(header(fresh, "Cache-Control"), "max-age=300");
  EXPECT_EQ(header(fresh, "Age"), "-");
  // The older picture the program falls back on is the same row.
  EXPECT_EQ(Get("weather.purdue.edu", "/radar/previous/rad_comp-2.gif").status, 200);
  const auto asked = [&] { return stub_.Requests().size(); };
  const std::size_t first = asked();
  clock_.Advance(4 * 60'000);  // inside the radar's five minutes
  historic::Reply kept = Get("weather.purdue.edu", "/radar/rad_comp.gif");
  EXPECT_EQ(asked(), first);
  EXPECT_EQ(header(kept, "Age"), "240");
  EXPECT_EQ(header(kept, "Warning"), "-");
  clock_.Advance(2 * 60'000);
  stub_.failing = true;  // due again, and the source fails: the last picture stands in
  historic::Reply stale = Get("weather.purdue.edu", "/radar/rad_comp.gif");
  EXPECT_EQ(stale.status, 200);
  EXPECT_EQ(header(stale, "Age"), "360");
  EXPECT_EQ(header(stale, "Warning").rfind("110 ", 0), 0u);
  EXPECT_EQ(header(stale, "Cache-Control"), "max-age=300");
  EXPECT_GT(asked(), first);
  stub_.failing = false;
  clock_.Advance(60'000);  // past the host's back-off

  // A budget below two pictures keeps only the newest.
  options_.pictureCacheBytes = Fixture("gif/libtk8.6--logoLarge.gif").size() * 3 / 2;
  Make();
  Serve(SourceForCommand("mnuUSRadarTexasAMClick")->url, "gif/libtk8.6--logoLarge.gif");
  Get("weather.purdue.edu", "/radar/rad_comp.gif");
  clock_.Advance(1000);
  Get("www.met.tamu.edu", "/mcsat/mcimages/MDR/MDR.GIF");
  EXPECT_LE(service_->CachedBytes(), options_.pictureCacheBytes);
  EXPECT_GT(service_->CachedBytes(), 0u);
}

TEST(LocalRadar, NearestRadarElseTheSatelliteLoopElseAReason) {
  const std::vector<Radar>& radars = Radars();
  ASSERT_GT(radars.size(), 140u);
  LocalRadarChoice miami = ChooseLocalRadar({25.77, -80.19}, radars);
  EXPECT_EQ(miami.url, "https://radar.weather.gov/ridge/standard/KAMX_loop.gif");
  EXPECT_EQ(miami.minutes, 5);
  // Toronto: the Buffalo radar reaches it.
  EXPECT_NE(ChooseLocalRadar({43.65, -79.38}, radars).url.find("/KBUF_loop.gif"), std::string::npos);
  // Mexico City: beyond every radar, inside the satellite's continental view.
  LocalRadarChoice mexico = ChooseLocalRadar({19.43, -99.13}, radars);
  EXPECT_NE(mexico.url.find("GOES19-CONUS-GEOCOLOR"), std::string::npos);
  EXPECT_EQ(mexico.minutes, 15);
  LocalRadarChoice tokyo = ChooseLocalRadar({35.68, 139.69}, radars);
  EXPECT_TRUE(tokyo.url.empty());
  EXPECT_FALSE(tokyo.reason.empty());
  EXPECT_NEAR(DistanceKm({25.77, -80.19}, {30.27, -97.74}), 1790, 10);
}

TEST_F(PictureServiceTest, LocalRadarLoopKeepsItsFrames) {
  Serve("https://radar.weather.gov/ridge/standard/KAMX_loop.gif", "gif/perl-tk--anim.gif");
  historic::Reply loop = service_->LocalRadar({25.77, -80.19}, "Miami, FL", SteadyNowMs() + 5000);
  ASSERT_EQ(loop.status, 200);
  EXPECT_EQ(loop.body, Fixture("gif/perl-tk--anim.gif"));
  historic::Reply none = service_->LocalRadar({35.68, 139.69}, "Tokyo, Japan", SteadyNowMs() + 5000);
  EXPECT_EQ(none.status, 404);
  EXPECT_NE(none.body.find("Tokyo, Japan: no weather-service radar"), std::string::npos);
}

}  // namespace
}  // namespace sky::gateway
