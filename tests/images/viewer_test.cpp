// The image viewer inside the whole program (offscreen): the picture
// commands of the menus against the sample server, the two controls, closing,
// the counters' look, the printout and the wallpaper bitmap read back by Qt.
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScrollArea>
#include <QScrollBar>
#include <QScreen>
#include <QStatusBar>
#include <cstdio>
#include <filesystem>

#include "app/gui_fixture.h"
#include "common/canned_server.h"
#include "controls/app_icon.h"
#include "controls/GifControl.h"
#include "controls/OnTray.h"
#include "controls/print_setup.h"
#include "fetch/sample_server.h"
#include "images/Unit_frmImage.h"
#include "images/bmp_writer.h"
#include "images/gif_writer.h"
#include "images/image_catalogue.h"
#include "net/HttpClient.h"

namespace {

namespace fs = std::filesystem;

class ViewerTest : public skytest::GuiTest {
 protected:
  static void SetUpTestSuite() { server_ = new skytest::SampleServer(); }
  static void TearDownTestSuite() { delete server_; }
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_NE(server_->port(), 0);
    setenv("XDG_CACHE_HOME", (dir_.path() + "/cache").toLocal8Bit().constData(), 1);
    setenv("XDG_DATA_HOME", (dir_.path() + "/data").toLocal8Bit().constData(), 1);
    Create();
    logic().HttpClient1().Proxy = "127.0.0.1";
    logic().HttpClient1().ProxyPort = server_->port();
  }
  sky::ui::TfrmImage& viewer() { return *windows->frmImage; }
  void Click(const char* command) {
    std::string name = command;
    name.resize(name.size() - 5);  // without "Click"
    QAction* a = form().findChild<QAction*>(QString::fromLatin1(name.c_str()));
    ASSERT_NE(a, nullptr) << name;
    a->trigger();
  }
  std::string Cache(const char* f) const { return (dir_.path() + "/cache/skyglass/").toStdString() + f; }

  static skytest::SampleServer* server_;
};
skytest::SampleServer* ViewerTest::server_ = nullptr;

TEST_F(ViewerTest, EveryCatalogueRowIsAMenuCommand) {
  int found = 0;
  for (const sky::ImageRow& row : sky::ImageCatalogue()) {
    std::string name = row.command;
    name.resize(name.size() - 5);
    QAction* a = form().findChild<QAction*>(QString::fromLatin1(name.c_str()));
    ASSERT_NE(a, nullptr) << name;
    // As in the catalogue, with an access key given where the row has none.
    EXPECT_EQ(sky::PlainCaption(a->text().toStdString()), sky::PlainCaption(row.caption));
    ++found;
  }
  EXPECT_EQ(found, 56);
}

TEST_F(ViewerTest, GifThenJpegInTheirControlsAndCloseDeletesTheFile) {
  Click("mnuUSRadarTexasAMClick");
  ASSERT_TRUE(viewer().isVisible());
  EXPECT_EQ(viewer().Caption().toStdString(), "Skyglass - US Radar Image - Texas A&M University");
  EXPECT_TRUE(viewer().GIFImage1->isVisible());
  EXPECT_EQ(viewer().GIFImage1->pos(), QPoint(0, 0));
  EXPECT_EQ(viewer().GIFImage1->PictureSize(), QSize(640, 480));
  EXPECT_FALSE(viewer().Image1->isVisible());
  EXPECT_EQ(viewer().Image1->size(), QSize(0, 0));
  EXPECT_TRUE(fs::exists(Cache("MDR.GIF")));

  Click("mnuCamColoradoPikesPeak1Click");
  EXPECT_EQ(viewer().Caption().toStdString(), "Skyglass - Weather Cam - Pikes Peak, Colorado");
  EXPECT_FALSE(viewer().GIFImage1->isVisible());
  EXPECT_EQ(viewer().GIFImage1->size(), QSize(0, 0));
  EXPECT_TRUE(viewer().Image1->isVisible());
  EXPECT_EQ(viewer().Image1->geometry(), QRect(0, 0, 320, 240));
  EXPECT_EQ(viewer().size(), QSize(332, 316));  // a small picture: the design size

  viewer().mnuClose1->trigger();
  EXPECT_FALSE(viewer().isVisible());
  EXPECT_FALSE(fs::exists(Cache("cam.jpg")));
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ViewerTest, CaptionSaysWhenThePictureIsStale) {
  // A server that has kept the radar 11 minutes while its source failed.
  const std::string gif =
      sky::gif::EncodeGif(4, 3, std::vector<std::uint8_t>(12, 1), std::vector<sky::gif::Rgb>{{0, 0, 0}, {0, 200, 0}});
  skytest::CannedServer stale([&](const std::string&) {
    return "HTTP/1.0 200 OK\r\nContent-Type: image/gif\r\nAge: 660\r\nCache-Control: max-age=300\r\n"
           "Warning: 110 skyglass-gateway \"Response is Stale\"\r\nContent-Length: " +
           std::to_string(gif.size()) + "\r\n\r\n" + gif;
  });
  logic().HttpClient1().ProxyPort = stale.port();
  Click("mnuUSRadarTexasAMClick");
  ASSERT_TRUE(viewer().isVisible());
  EXPECT_EQ(viewer().Caption().toStdString(), "Stale, 11 min old - Skyglass - US Radar Image - Texas A&M University");
  EXPECT_EQ(viewer().windowTitle(), viewer().Caption());
  // The same row fresh again: the mark goes.
  logic().HttpClient1().ProxyPort = server_->port();
  Click("mnuUSRadarTexasAMClick");
  EXPECT_EQ(viewer().Caption().toStdString(), "Skyglass - US Radar Image - Texas A&M University");
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ViewerTest, StormWatchAnimatesUntilClosed) {
  Click("mnuUSStormWatch1Click");
  ASSERT_TRUE(viewer().isVisible());
  EXPECT_TRUE(viewer().GIFImage1->Animate());
  EXPECT_EQ(viewer().GIFImage1->FrameCount(), 6);
  ASSERT_TRUE(skytest::WaitFor([&] { return viewer().GIFImage1->CurrentFrame() > 1; }, 5000));
  viewer().close();
  EXPECT_FALSE(viewer().GIFImage1->Animate());
  EXPECT_FALSE(viewer().GIFImage1->HasPicture());
  EXPECT_FALSE(fs::exists(Cache("SWUS2D.gif")));
}

TEST_F(ViewerTest, CloseRestoresTheNavyBackgroundAndTheMaximizeButton) {
  viewer().SetCounterLook();
  EXPECT_TRUE(viewer().BorderIcons().biMaximize);  // a counter maximises too
  EXPECT_EQ(viewer().BackgroundColor(), QColor(Qt::white));
  viewer().FormClose();
  EXPECT_TRUE(viewer().BorderIcons().biMaximize);
  EXPECT_EQ(viewer().BackgroundColor(), QColor(0, 0, 128));
  EXPECT_EQ(viewer().StatusBar1->currentMessage().toStdString(), " Thank you for using Skyglass...");
}

TEST_F(ViewerTest, PrintsTheClientAreaOnOnePage) {
  Click("mnuCamTexasAustin1Click");
  const QString pdf = dir_.path() + "/viewer.pdf";
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdf);
  viewer().PrintTo(printer);
  ASSERT_TRUE(fs::exists(pdf.toStdString()));
  std::FILE* p =
      popen(("pdfinfo '" + pdf.toStdString() + "' 2>/dev/null; pdfimages -list '" + pdf.toStdString() + "' 2>/dev/null")
                .c_str(),
            "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  if (out.empty()) GTEST_SKIP() << "pdfinfo (poppler-utils) is missing";
  const std::size_t pages = out.find("Pages:");
  ASSERT_NE(pages, std::string::npos) << out;
  EXPECT_EQ(out.substr(out.find_first_not_of(' ', pages + 6), 2), "1\n") << out;
  EXPECT_NE(out.find(" image "), std::string::npos) << out;
}

TEST_F(ViewerTest, WallpaperBitmapReadsBackPixelForPixel) {
  // An odd width, so that every row carries padding.
  sky::RgbPicture pic;
  pic.width = 5;
  pic.height = 3;
  for (int i = 0; i < 15; ++i) {
    pic.rgb.push_back(static_cast<std::uint8_t>(i * 17));
    pic.rgb.push_back(static_cast<std::uint8_t>(255 - i * 9));
    pic.rgb.push_back(static_cast<std::uint8_t>(i * 5 + 1));
  }
  const std::string bmp = (dir_.path() + "/odd.bmp").toStdString();
  ASSERT_TRUE(sky::WriteBmpFile(pic, bmp));
  QImage back(QString::fromStdString(bmp), "BMP");
  ASSERT_FALSE(back.isNull());
  ASSERT_EQ(back.size(), QSize(5, 3));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      const std::uint8_t* p = pic.Pixel(x, y);
      EXPECT_EQ(back.pixel(x, y), qRgb(p[0], p[1], p[2])) << x << "," << y;
    }

  // "Save As Wallpaper" on a radar GIF: the first frame, as the control has it.
  Click("mnuUSRadarYahooClick");
  viewer().mnuSaveAsWallpaper1->trigger();
  const QString wallpaper = dir_.path() + "/data/skyglass/skyglass.bmp";
  QImage written(wallpaper, "BMP");
  ASSERT_FALSE(written.isNull());
  EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32),
            viewer().GIFImage1->ToBitmap().convertToFormat(QImage::Format_RGB32));
}

TEST_F(ViewerTest, OpensSizedToThePictureWithScrollBarsBeyondTheScreen) {
  const QRect area = viewer().screen()->availableGeometry();
  // The 640 x 480 radar picture fits: all of it shows, without scroll bars.
  Click("mnuUSRadarTexasAMClick");
  ASSERT_TRUE(viewer().isVisible());
  QCoreApplication::processEvents();
  const QSize shown = viewer().Scroller()->viewport()->size();
  EXPECT_GE(shown.width(), 640);
  EXPECT_GE(shown.height(), 480);
  EXPECT_LE(viewer().width(), area.width());
  EXPECT_LE(viewer().height(), area.height());
  // ... and no more than the picture needs.
  EXPECT_LE(shown.width(), 640 + 4);
  EXPECT_LE(shown.height(), 480 + 4);
  EXPECT_FALSE(viewer().Scroller()->verticalScrollBar()->isVisible());
  EXPECT_TRUE(viewer().geometry().intersects(area));

  // A picture larger than the screen: the window takes the free area and
  // scrolls; every viewer maximises.
  sky::RgbPicture big;
  big.width = area.width() + 500;
  big.height = area.height() + 400;
  big.rgb.assign(static_cast<std::size_t>(big.width) * big.height * 3, 0x40);
  viewer().ShowPicture(big);
  QCoreApplication::processEvents();
  EXPECT_EQ(viewer().size(), area.size());
  EXPECT_TRUE(viewer().Scroller()->horizontalScrollBar()->isVisible());
  EXPECT_TRUE(viewer().Scroller()->verticalScrollBar()->isVisible());
  EXPECT_EQ(viewer().Scroller()->horizontalScrollBar()->maximum(),
            big.width - viewer().Scroller()->viewport()->width());
  EXPECT_TRUE(viewer().BorderIcons().biMaximize);
  viewer().FormClose();
}

TEST_F(ViewerTest, MainWindowComesBackAfterEveryClose) {
  form().show();
  QCoreApplication::processEvents();
  const char* pictures[] = {"mnuUSRadarTexasAMClick", "mnu10CanadaAlaska1Click", "mnuUSRadarYahooClick"};
  for (int i = 0; i < 50; ++i) {
    Click(pictures[i % 3]);
    ASSERT_TRUE(viewer().isVisible()) << i;
    QCoreApplication::processEvents();
    EXPECT_TRUE(!form().isVisible() || form().isMinimized()) << i;
    // The menu's "&Close", the window's own close and Alt+F4 alike.
    if (i % 2 == 0) viewer().mnuClose1->trigger();
    else viewer().close();
    QCoreApplication::processEvents();
    ASSERT_TRUE(form().isVisible()) << i;
    ASSERT_FALSE(form().isMinimized()) << i;
    EXPECT_TRUE(form().tray->AppVisible()) << i;
  }
  // Sent to the tray while the picture showed: closing brings it back too.
  Click(pictures[0]);
  form().pithide->trigger();
  viewer().close();
  EXPECT_TRUE(form().isVisible());
  EXPECT_FALSE(form().isMinimized());
}

TEST_F(ViewerTest, PrintsToAFileThroughTheOneSetupTheForecastWindowUses) {
  Click("mnuCamTexasAustin1Click");
  const QString pdf = dir_.path() + "/print-to-file.pdf";
  std::vector<bool> offeredFile;
  sky::ui::SetPrintDialogAnswerer([&](QPrintDialog& d) {
    offeredFile.push_back(d.testOption(QAbstractPrintDialog::PrintToFile));
    d.printer()->setOutputFormat(QPrinter::PdfFormat);
    d.printer()->setOutputFileName(pdf);
    return true;
  });
  viewer().mnuPrint1->trigger();
  sky::ui::SetPrintDialogAnswerer(nullptr);
  ASSERT_EQ(offeredFile, std::vector<bool>{true});
  EXPECT_TRUE(fs::exists(pdf.toStdString()));
  EXPECT_GT(fs::file_size(pdf.toStdString()), 1000u);
  EXPECT_TRUE(boxes.empty());
  // Without an installed printer the setup starts on a PDF file.
  if (QPrinterInfo::availablePrinters().isEmpty()) {
    EXPECT_EQ(sky::ui::SharedPrinter().outputFormat(), QPrinter::PdfFormat);
  }
  viewer().FormClose();
}

// Under Xvfb (SKYGLASS_SHOT_DIR set): pictures of the screen with the viewer
// showing a radar picture and a camera picture.
TEST_F(ViewerTest, Screenshots) {
  const char* dir = std::getenv("SKYGLASS_SHOT_DIR");
  if (!dir) GTEST_SKIP() << "only under a display (SKYGLASS_SHOT_DIR)";
  QApplication::setWindowIcon(sky::ui::AppIcon());  // as the program's start-up sets it
  for (auto [command, file] : {std::pair{"mnuUSRadarPurdueClick", "viewer-radar.png"},
                               std::pair{"mnuCamCaliforniaYosemite1Click", "viewer-camera.png"}}) {
    Click(command);
    skytest::WaitFor([] { return false; }, 800);
    // The viewer as it opened: sized to the picture, centred on the screen.
    const QRect g = viewer().frameGeometry().adjusted(-20, -20, 20, 20);
    const QPixmap shot = viewer().screen()->grabWindow(0, g.x(), g.y(), g.width(), g.height());
    EXPECT_TRUE(shot.save(QString(dir) + "/" + file));
  }
}

}  // namespace
