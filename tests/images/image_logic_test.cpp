// The picture download, the wallpaper and the desktop setters through the
// real client against the sample server, with recorders for every port.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "app/main_logic.h"
#include "common/canned_server.h"
#include "fetch/sample_server.h"
#include "images/gif_writer.h"
#include "images/image_logic.h"
#include "images/picture_freshness.h"
#include "locations/recording_ports.h"
#include "net/HttpClient.h"
#include "settings/hive.h"

namespace {

namespace fs = std::filesystem;
using sky::ImageOutcome;
using Argv = std::vector<std::string>;

class FakeViewer : public sky::IImageViewerPort {
 public:
  void SetImageCaption(const std::string& c) override { caption = c; }
  void SetAnimate(bool on) override { animate = on; }
  void ShowGifFile(const std::string& path) override {
    gif = path;
    picture = {};
  }
  void ShowPicture(const sky::RgbPicture& p) override {
    picture = p;
    gif.clear();
  }
  void ShowViewer() override { ++shown; }
  std::optional<sky::RgbPicture> GifFirstFrame() const override {
    return gif.empty() ? std::nullopt : sky::GifFirstFrameOf(gif);
  }
  std::string caption, gif;
  sky::RgbPicture picture;
  bool animate = false;
  int shown = 0;
};

class RecordingRunner : public sky::ICommandRunner {
 public:
  int Run(const Argv& argv, std::string* out) override {
    runs.push_back(argv);
    if (out) *out = output;
    return status;
  }
  std::vector<Argv> runs;
  std::string output;
  int status = 0;
};

// One main window's recorders, its logic and the picture logic on top.
struct Program {
  skytest::FakeWindow window;
  skytest::RecordingStatus status;
  skytest::RecordingMessages messages;
  FakeViewer viewer;
  std::shared_ptr<RecordingRunner> runner = std::make_shared<RecordingRunner>();
  sky::THttpClient client;
  std::unique_ptr<sky::MainLogic> main;
  std::unique_ptr<sky::ImageLogic> images;

  explicit Program(int port, sky::DesktopKind desktop = sky::DesktopKind::Gnome) {
    client.Proxy = "127.0.0.1";
    client.ProxyPort = port;
    main = std::make_unique<sky::MainLogic>(
        client, sky::MainPorts{&window, &status, nullptr, nullptr, nullptr, nullptr, &messages});
    images = std::make_unique<sky::ImageLogic>(
        main->Requests(), [this] { return main->State().SilentFlag == "y"; },
        sky::ImagePorts{&status, &window, &messages, &viewer},
        sky::WallpaperDesktop{sky::MakeDesktopSetter(desktop), runner});
  }
  ImageOutcome Command(const char* name) { return images->RunCommand(*sky::FindImageCommand(name)); }
  bool HasStatus(const std::string& t) const {
    return std::find(status.texts.begin(), status.texts.end(), t) != status.texts.end();
  }
};

class ImageFlowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    normal_ = new skytest::SampleServer();
    // The Purdue radar too small (the fallback is there); a camera and the
    // European satellite picture missing.
    broken_ = new skytest::SampleServer({"--small-radar", "--missing-picture", "/weather/wxcam.jpg",
                                         "--missing-picture", "/graphics/satellite/europe.jpg"});
    // The Purdue radar too small and the fallback missing as well.
    noFallback_ = new skytest::SampleServer({"--small-radar", "--missing-picture", "/radar/previous/rad_comp-2.gif"});
  }
  static void TearDownTestSuite() {
    delete normal_;
    delete broken_;
    delete noFallback_;
  }
  void SetUp() override {
    ASSERT_NE(normal_->port(), 0) << "the sample server did not start";
    char tmpl[] = "/tmp/skyglass-images-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    root_ = tmpl;
    setenv("XDG_CONFIG_HOME", (root_ + "/config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (root_ + "/cache").c_str(), 1);
    setenv("XDG_DATA_HOME", (root_ + "/data").c_str(), 1);
  }
  void TearDown() override { fs::remove_all(root_); }
  std::string Cache(const std::string& f) const { return root_ + "/cache/skyglass/" + f; }
  std::string Data(const std::string& f) const { return root_ + "/data/skyglass/" + f; }
  static std::string Desktop(const char* name) {
    std::string v;
    return sky::hive::ReadString("Control Panel\\Desktop", name, v) ? v : "<missing>";
  }

  static skytest::SampleServer* normal_;
  static skytest::SampleServer* broken_;
  static skytest::SampleServer* noFallback_;
  std::string root_;
};
skytest::SampleServer* ImageFlowTest::normal_ = nullptr;
skytest::SampleServer* ImageFlowTest::broken_ = nullptr;
skytest::SampleServer* ImageFlowTest::noFallback_ = nullptr;

TEST_F(ImageFlowTest, GifAndJpegPicturesLandInTheCacheAndReachTheirControls) {
  Program p(normal_->port());
  const sky::ImageRow* us = nullptr;
  for (const sky::ImageRow& r : sky::ImageCatalogue())
    if (r.group == sky::ImageGroup::TempOutlook && std::string(r.caption) == "&4 - Continental US") us = &r;
  ASSERT_EQ(p.images->RunCommand(*us), ImageOutcome::Shown);
  EXPECT_EQ(p.viewer.gif, Cache("temp1.gif"));
  EXPECT_TRUE(fs::exists(Cache("temp1.gif")));
  EXPECT_EQ(p.viewer.caption, "Skyglass - 10-Day Outlook for Continental US");
  EXPECT_EQ(p.viewer.shown, 1);
  EXPECT_EQ(p.images->Request().UpperFileName, "TEMP1.GIF");
  EXPECT_TRUE(p.HasStatus("Connection process complete..."));
  EXPECT_TRUE(p.messages.log.empty());

  ASSERT_EQ(p.Command("mnuEuropeSatellite1Click"), ImageOutcome::Shown);
  EXPECT_TRUE(p.viewer.gif.empty());
  EXPECT_EQ(p.viewer.picture.width, 450);
  EXPECT_EQ(p.viewer.picture.height, 350);
  EXPECT_EQ(p.viewer.shown, 2);

  // Closing the viewer deletes the file and forgets the names.
  p.images->ViewerClosed();
  EXPECT_FALSE(fs::exists(Cache("europe.jpg")));
  EXPECT_EQ(p.images->Request().LocalImageFile, "");
  EXPECT_TRUE(fs::exists(Cache("temp1.gif")));  // only the current picture goes

  // Storm watch animates; a seasonal outlook shows its note afterwards.
  ASSERT_EQ(p.Command("mnuUSStormWatch1Click"), ImageOutcome::Shown);
  EXPECT_TRUE(p.viewer.animate);
  ASSERT_EQ(p.Command("mnu12monthUSTemperature1Click"), ImageOutcome::Shown);
  ASSERT_FALSE(p.messages.log.empty());
  EXPECT_EQ(p.messages.log.back(), "Note: The letters above the purple bars indicate the respective months.");
}

TEST_F(ImageFlowTest, PurdueRadarFallsBackOnceToTheOlderPicture) {
  Program p(broken_->port());
  ASSERT_EQ(p.Command("mnuUSRadarPurdueClick"), ImageOutcome::Shown);
  EXPECT_EQ(p.messages.log, std::vector<std::string>{sky::kPurdueFallbackMessage});
  EXPECT_EQ(p.images->Request().LocalImageFile, "rad_comp-2.gif");
  EXPECT_EQ(p.viewer.gif, Cache("rad_comp-2.gif"));

  Program q(noFallback_->port());
  EXPECT_EQ(q.Command("mnuUSRadarPurdueClick"), ImageOutcome::Failed);
  ASSERT_EQ(q.messages.log.size(), 3u);
  EXPECT_EQ(q.messages.log[0], sky::kPurdueFallbackMessage);
  EXPECT_EQ(q.messages.log[1], "<beep>");
  // A missing picture is said in a box, with where it was asked for.
  EXPECT_EQ(q.messages.log[2].rfind("Error retrieving image...\n\nThe picture did not come from http://", 0), 0u)
      << q.messages.log[2];
  EXPECT_NE(q.messages.log[2].find("rad_comp-2.gif"), std::string::npos);
  EXPECT_EQ(q.status.Last(), sky::kImageErrorText);
  EXPECT_EQ(q.viewer.shown, 0);
  EXPECT_FALSE(fs::exists(Cache("rad_comp-2.gif")));

  // A full-size radar picture needs no fallback.
  Program r(normal_->port());
  EXPECT_EQ(r.Command("mnuUSRadarPurdueClick"), ImageOutcome::Shown);
  EXPECT_TRUE(r.messages.log.empty());
}

TEST_F(ImageFlowTest, FailedCameraBeepsAndKeepsTheViewerClosed) {
  Program p(broken_->port());
  EXPECT_EQ(p.Command("mnuCamArkansasLittleRock1Click"), ImageOutcome::Failed);
  ASSERT_EQ(p.messages.log.size(), 2u);
  EXPECT_EQ(p.messages.log[0], "<beep>");
  EXPECT_NE(p.messages.log[1].find("The picture did not come from http://"), std::string::npos) << p.messages.log[1];
  EXPECT_NE(p.messages.log[1].find("(the server answered "), std::string::npos) << p.messages.log[1];
  EXPECT_EQ(p.status.Last(), "Error retrieving image...");
  EXPECT_EQ(p.viewer.shown, 0);
  EXPECT_FALSE(fs::exists(Cache("wxcam.jpg")));  // the error page is no picture

  // No server at all: the standard error box, no status, no note.
  Program q(skytest::RefusedPort());
  EXPECT_EQ(q.Command("mnu12monthUSPrecipitation1Click"), ImageOutcome::Error);
  ASSERT_EQ(q.messages.log.size(), 1u);
  EXPECT_EQ(q.messages.log[0].rfind("<error>", 0), 0u);
  // Not a bare "Connection Failed": where it tried and why.
  EXPECT_NE(q.messages.log[0].find("Connection Failed\n\nCould not connect to "), std::string::npos)
      << q.messages.log[0];
  EXPECT_NE(q.messages.log[0].find("10061:"), std::string::npos) << q.messages.log[0];
  EXPECT_FALSE(q.HasStatus("Connection process complete..."));
}

TEST_F(ImageFlowTest, SilentDownloadFillsTheViewerWithoutShowingIt) {
  Program p(normal_->port());
  p.main->State().SilentFlag = "y";
  ASSERT_EQ(p.Command("mnuCamTexasAustin1Click"), ImageOutcome::Shown);
  EXPECT_EQ(p.viewer.shown, 0);
  EXPECT_EQ(p.viewer.picture.width, 320);
}

TEST_F(ImageFlowTest, WallpaperFromAGifAndAJpeg) {
  Program p(normal_->port());
  ASSERT_EQ(p.Command("mnuUSRadarTexasAMClick"), ImageOutcome::Shown);
  ASSERT_TRUE(p.images->do_wallpaper()) << p.status.Last();
  EXPECT_TRUE(fs::exists(Data("skyglass.bmp")));
  EXPECT_FALSE(fs::exists(Cache("skyglass.bmp")));
  EXPECT_EQ(Desktop("Wallpaper"), Data("skyglass.bmp"));
  EXPECT_EQ(Desktop("TileWallpaper"), "0");
  EXPECT_EQ(Desktop("WallpaperStyle"), "0");
  EXPECT_EQ(Desktop("WallpaperOriginX"), "0");
  EXPECT_EQ(Desktop("WallpaperOriginY"), "0");
  const std::string uri = "file://" + Data("skyglass.bmp");
  EXPECT_EQ(p.runner->runs,
            (std::vector<Argv>{{"gsettings", "set", "org.gnome.desktop.background", "picture-uri", uri},
                               {"gsettings", "set", "org.gnome.desktop.background", "picture-uri-dark", uri},
                               {"gsettings", "set", "org.gnome.desktop.background", "picture-options", "centered"}}));
  const auto gifSize = fs::file_size(Data("skyglass.bmp"));
  EXPECT_EQ(gifSize, 54u + 640u * 3 * 480);

  // A second run replaces the bitmap without asking.
  ASSERT_EQ(p.Command("mnuCamCaliforniaHollywood1Click"), ImageOutcome::Shown);
  ASSERT_TRUE(p.images->do_wallpaper());
  EXPECT_EQ(fs::file_size(Data("skyglass.bmp")), 54u + 160u * 3 * 120);
  EXPECT_TRUE(p.messages.log.empty());

  // Nothing shown: no bitmap, the desktop stays.
  p.images->ViewerClosed();
  p.runner->runs.clear();
  EXPECT_FALSE(p.images->do_wallpaper());
  EXPECT_EQ(p.messages.log.back(), sky::kNoBitmapText);
  EXPECT_TRUE(p.runner->runs.empty());
}

TEST_F(ImageFlowTest, AutomaticWallpaperPicksOnlyAnExactRowAndStopsOnAFailedDownload) {
  for (const char* value : {"n/a", "None", "U.S. StormWatch", "US Radar Image - Texas A&M"}) {
    SCOPED_TRACE(value);
    Program p(normal_->port());
    p.main->State().SilentFlag = "y";
    p.images->AutoWallpaper(value);
    EXPECT_TRUE(p.status.texts.empty());
    EXPECT_TRUE(p.runner->runs.empty());
    EXPECT_FALSE(fs::exists(Data("skyglass.bmp")));
  }
  {
    Program p(broken_->port());
    p.main->State().SilentFlag = "y";
    p.images->AutoWallpaper("Europe Satellite Image");
    EXPECT_EQ(p.status.Last(), sky::kWallpaperNotRetrievedText);
    EXPECT_FALSE(p.HasStatus("Wallpaper updated..."));
    EXPECT_FALSE(fs::exists(Data("skyglass.bmp")));
    EXPECT_EQ(Desktop("Wallpaper"), "<missing>");
  }
  Program p(normal_->port());
  p.main->State().SilentFlag = "y";
  p.images->AutoWallpaper("US Radar Image - Texas A&&M");
  EXPECT_TRUE(p.HasStatus("Processing wallpaper image..."));
  EXPECT_EQ(p.status.Last(), "Wallpaper updated...");
  EXPECT_EQ(p.viewer.shown, 0);
  EXPECT_TRUE(fs::exists(Data("skyglass.bmp")));
  EXPECT_TRUE(fs::exists(Cache("MDR.GIF")));  // stays until the viewer closes
  EXPECT_EQ(p.images->Request().LocalImageFile, "");
  EXPECT_EQ(p.runner->runs.size(), 3u);
}

// A server that keeps serving a picture while its source fails says how long
// it has kept it; past twice the picture's rate the caption says so.
TEST_F(ImageFlowTest, PictureKeptPastTwiceItsRateIsMarkedStaleInTheCaption) {
  const std::string gif = sky::gif::EncodeGif(2, 2, {0, 1, 1, 0}, std::vector<sky::gif::Rgb>{{0, 0, 0}, {9, 9, 9}});
  std::string headers;
  skytest::CannedServer server([&](const std::string&) {
    return "HTTP/1.0 200 OK\r\nContent-Type: image/gif\r\n" + headers +
           "Content-Length: " + std::to_string(gif.size()) + "\r\n\r\n" + gif;
  });
  Program p(server.port());
  const char* radar = "mnuUSRadarTexasAMClick";
  const std::string caption = sky::FindImageCommand(radar)->viewerCaption;

  headers = "Age: 601\r\nWarning: 110 skyglass-gateway \"Response is Stale\"\r\nCache-Control: max-age=300\r\n";
  ASSERT_EQ(p.Command(radar), ImageOutcome::Shown);
  EXPECT_EQ(p.viewer.caption, "Stale, 10 min old - " + caption);
  // Kept, but within twice the rate (the gateway's own max-age counts).
  headers = "Age: 1700\r\nCache-Control: max-age=900\r\n";
  ASSERT_EQ(p.Command(radar), ImageOutcome::Shown);
  EXPECT_EQ(p.viewer.caption, caption);
  // Without a max-age, the radar's 5 minutes.
  headers = "Age: 1700\r\n";
  ASSERT_EQ(p.Command(radar), ImageOutcome::Shown);
  EXPECT_EQ(p.viewer.caption, "Stale, 28 min old - " + caption);
  // A picture outside the catalogue (the population counters) is never called stale.
  p.viewer.caption = "counter";
  p.images->SetRequest("http://127.0.0.1/clock.gif", "clock.gif");
  ASSERT_EQ(p.images->do_image(), ImageOutcome::Shown);
  EXPECT_EQ(p.viewer.caption, "counter");
}

TEST(PictureFreshness, AgeAgainstTwiceTheRate) {
  const std::int64_t hours6 = sky::PictureRateSeconds(sky::ImageGroup::Seasonal);
  EXPECT_FALSE(sky::ReadPictureFreshness("Age: 43200\r\n", hours6).stale);
  EXPECT_TRUE(sky::ReadPictureFreshness("Age: 43201\r\n", hours6).stale);
  // The picture's own time counts where the server gives it; a Warning
  // alone gives no age.
  EXPECT_TRUE(sky::ReadPictureFreshness(
                  "Date: Tue, 08 Dec 2026 15:23:03 GMT\r\nLast-Modified: Tue, 08 Dec 2026 15:00:00 GMT\r\n", 300)
                  .stale);
  EXPECT_FALSE(sky::ReadPictureFreshness("Warning: 110 x \"Response is Stale\"\r\n", 300).stale);
  // max-age among other directives; a broken or zero one leaves the group's rate.
  EXPECT_EQ(sky::ReadPictureFreshness("Cache-Control: public, MAX-AGE=900\r\n", 300).rateS, 900);
  EXPECT_EQ(sky::ReadPictureFreshness("Cache-Control: max-age=abc\r\n", 300).rateS, 300);
  EXPECT_EQ(sky::ReadPictureFreshness("Cache-Control: s-max-age=9\r\n", 300).rateS, 300);
  EXPECT_EQ(sky::ReadPictureFreshness("Cache-Control: max-age=0\r\n", 300).rateS, 300);
}

TEST(DesktopSetter, CommandLinesForEachDesktop) {
  const std::string path = "/home/a b/.local/share/skyglass/skyglass.bmp";
  RecordingRunner kde;
  EXPECT_EQ(sky::MakeDesktopSetter(sky::DesktopKind::Kde)->Apply(path, kde), "");
  EXPECT_EQ(kde.runs, (std::vector<Argv>{{"plasma-apply-wallpaperimage", path}}));

  RecordingRunner feh;
  EXPECT_EQ(sky::MakeDesktopSetter(sky::DesktopKind::Feh)->Apply(path, feh), "");
  EXPECT_EQ(feh.runs, (std::vector<Argv>{{"feh", "--bg-center", path}}));

  RecordingRunner gnome;
  sky::MakeDesktopSetter(sky::DesktopKind::Gnome)->Apply(path, gnome);
  ASSERT_EQ(gnome.runs.size(), 3u);
  EXPECT_EQ(gnome.runs[0].back(), "file:///home/a%20b/.local/share/skyglass/skyglass.bmp");

  RecordingRunner xfce;
  xfce.output =
      "/backdrop/screen0/monitor0/workspace0/color-style\n/backdrop/screen0/monitor0/workspace0/last-image\n"
      "/backdrop/screen0/monitorHDMI-1/workspace1/last-image\n/desktop-icons/style\n";
  EXPECT_EQ(sky::MakeDesktopSetter(sky::DesktopKind::Xfce)->Apply(path, xfce), "");
  const std::string m0 = "/backdrop/screen0/monitor0/workspace0/", m1 = "/backdrop/screen0/monitorHDMI-1/workspace1/";
  EXPECT_EQ(xfce.runs,
            (std::vector<Argv>{
                {"xfconf-query", "-c", "xfce4-desktop", "-l"},
                {"xfconf-query", "-c", "xfce4-desktop", "-p", m0 + "last-image", "-s", path},
                {"xfconf-query", "-c", "xfce4-desktop", "-p", m0 + "image-style", "-n", "-t", "int", "-s", "1"},
                {"xfconf-query", "-c", "xfce4-desktop", "-p", m1 + "last-image", "-s", path},
                {"xfconf-query", "-c", "xfce4-desktop", "-p", m1 + "image-style", "-n", "-t", "int", "-s", "1"}}));

  RecordingRunner failing;
  failing.status = 1;
  EXPECT_EQ(sky::MakeDesktopSetter(sky::DesktopKind::Kde)->Apply(path, failing),
            "Wallpaper setter failed: plasma-apply-wallpaperimage (exit 1)...");
  EXPECT_EQ(sky::MakeDesktopSetter(sky::DesktopKind::None), nullptr);
}

TEST(DesktopSetter, DetectionFromTheDesktopNameAndTheToolsPresent) {
  auto tools = [](std::set<std::string> present) {
    return [present](const std::string& t) { return present.count(t) > 0; };
  };
  const auto all = tools({"gsettings", "plasma-apply-wallpaperimage", "xfconf-query", "feh"});
  EXPECT_EQ(sky::DetectDesktop("ubuntu:GNOME", all), sky::DesktopKind::Gnome);
  EXPECT_EQ(sky::DetectDesktop("Budgie:GNOME", all), sky::DesktopKind::Gnome);
  EXPECT_EQ(sky::DetectDesktop("KDE", all), sky::DesktopKind::Kde);
  EXPECT_EQ(sky::DetectDesktop("XFCE", all), sky::DesktopKind::Xfce);
  EXPECT_EQ(sky::DetectDesktop("i3", all), sky::DesktopKind::Feh);
  EXPECT_EQ(sky::DetectDesktop("KDE", tools({"feh"})), sky::DesktopKind::Feh);
  EXPECT_EQ(sky::DetectDesktop("", tools({"gsettings"})), sky::DesktopKind::None);
}

TEST(DesktopSetter, StyleTable) {
  auto row = [](int style) {
    const sky::DesktopValues v = sky::MakeDesktopValues("p", style, 12, 34);
    return v.TileWallpaper + v.WallpaperStyle + "," + v.WallpaperOriginX + "," + v.WallpaperOriginY;
  };
  EXPECT_EQ(row(0), "10,0,0");
  EXPECT_EQ(row(1), "00,0,0");
  EXPECT_EQ(row(2), "02,0,0");
  EXPECT_EQ(row(3), "00,12,34");
  EXPECT_EQ(row(7), "07,0,0");
}

TEST(DesktopSetter, ProcessRunnerRunsWithoutAShell) {
  sky::ProcessRunner runner(5000);
  std::string out;
  EXPECT_EQ(runner.Run({"echo", "a b;$(x)", "c"}, &out), 0);
  EXPECT_EQ(out, "a b;$(x) c\n");
  EXPECT_EQ(runner.Run({"false"}, nullptr), 1);
  EXPECT_EQ(runner.Run({"no-such-tool-for-skyglass"}, nullptr), -1);
  EXPECT_TRUE(sky::ToolInPath("sh"));
  EXPECT_FALSE(sky::ToolInPath("no-such-tool-for-skyglass"));
}

// PATH as the shell reads it: an empty entry inside the list is the current
// folder; a trailing colon adds none.
TEST(DesktopSetter, ToolInPathReadsEveryPathEntry) {
  const std::string saved = std::getenv("PATH");
  const std::filesystem::path cwd = std::filesystem::current_path();
  std::filesystem::current_path("/bin");
  setenv("PATH", "/nonexistent::/also-not", 1);
  EXPECT_TRUE(sky::ToolInPath("sh"));
  setenv("PATH", "/nonexistent:", 1);
  EXPECT_FALSE(sky::ToolInPath("sh"));
  setenv("PATH", "/nonexistent:/bin", 1);
  EXPECT_TRUE(sky::ToolInPath("sh"));
  std::filesystem::current_path(cwd);
  setenv("PATH", saved.c_str(), 1);
}

}  // namespace
