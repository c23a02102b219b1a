// The Qt side of the GIF control: loading, painting, AutoSize and the timer.
#include "common/offscreen_app.h"
#include "controls/GifControl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "controls/gif_builder.h"

using namespace sky;
using namespace sky::ui;
using namespace giftest;

using skytest::App;

namespace {

QRgb PaletteRgb(int i) {
  const GifColor c = TestPalette(8)[static_cast<std::size_t>(i)];
  return qRgb(c.r, c.g, c.b);
}

// Waits (processing events) until `done` or a generous time limit.
template <class F>
bool WaitFor(F done, int ms = 5000) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) {
    App().processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(1);
  }
  return done();
}

Bytes Picture() {
  FrameDef s;
  s.width = 30;
  s.height = 20;
  s.pixels.assign(30 * 20, 5);
  for (int x = 0; x < 30; ++x) s.pixels[x] = 0;  // transparent top row
  return GifBuilder().Header("GIF89a", 30, 20).Gce(0, 0, true, 0).Image(s).Trailer().b;
}

TEST(GifControl, DefaultsAndFailures) {
  App();
  TGifControl c;
  EXPECT_EQ(c.size(), QSize(105, 105));
  EXPECT_FALSE(c.Animate());
  EXPECT_FALSE(c.AutoSize());
  EXPECT_EQ(c.CurrentFrame(), 1);
  EXPECT_TRUE(c.DoubleBuffered());
  EXPECT_EQ(c.Speed(), 100);
  EXPECT_TRUE(c.Threaded());
  EXPECT_EQ(c.ThreadPriority(), TThreadPriority::tpNormal);

  ASSERT_TRUE(c.LoadFromStream(Picture()));
  EXPECT_EQ(c.Status(), kGifLoaded);
  EXPECT_FALSE(c.LoadFromFile("/nonexistent/dir/none.gif"));
  EXPECT_EQ(c.Status(), kGifFileNotFound);
  EXPECT_TRUE(c.HasPicture());  // a missing file leaves the picture alone

  const Bytes notGif{'n', 'o', 'p', 'e'};
  EXPECT_FALSE(c.LoadFromStream(notGif));
  EXPECT_FALSE(c.HasPicture());
  EXPECT_TRUE(c.Data().empty());
  c.SetCurrentFrame(1);
  EXPECT_EQ(c.Status(), kGifBadFrameNumber);

  // The progress handler can stop a load.
  int calls = 0;
  c.OnProgress = [&](TGifControl* sender, long long done, long long total, int percent, bool& keep) {
    EXPECT_EQ(sender, &c);
    EXPECT_LE(done, total);
    EXPECT_EQ(percent, static_cast<int>(done * 100 / total));
    keep = ++calls < 2;
  };
  EXPECT_FALSE(c.LoadFromStream(Picture()));
  EXPECT_EQ(c.Status(), kGifStopped);
  c.OnProgress = nullptr;
  EXPECT_TRUE(c.LoadFromStream(Picture()));
}

TEST(GifControl, PaintsTheFirstFrameAndAutoSizes) {
  App();
  QWidget parent;
  parent.resize(200, 200);
  QPalette pal = parent.palette();
  pal.setColor(QPalette::Window, QColor(10, 200, 30));
  parent.setPalette(pal);
  parent.setAutoFillBackground(true);
  auto* c = new TGifControl(&parent);
  c->move(10, 10);
  c->SetAutoSize(true);
  const Bytes bytes = Picture();
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  ASSERT_TRUE(c->LoadFromStream(in));
  EXPECT_EQ(c->size(), QSize(30, 20));
  EXPECT_EQ(c->Version(), TGifVersion::gvGIF89a);
  EXPECT_EQ(c->FrameCount(), 1);
  parent.show();

  QImage shot = parent.grab().toImage();
  EXPECT_EQ(shot.pixel(10 + 5, 10 + 5), PaletteRgb(5));
  EXPECT_EQ(shot.pixel(10 + 5, 10), qRgb(10, 200, 30));  // the parent shows through

  c->SetOpaque(true);
  c->SetColor(QColor(0, 0, 255));
  shot = parent.grab().toImage();
  EXPECT_EQ(shot.pixel(10 + 5, 10), qRgb(0, 0, 255));

  // Stretched to a larger control.
  c->SetAutoSize(false);
  c->resize(60, 40);
  c->SetStretch(true);
  shot = parent.grab().toImage();
  EXPECT_EQ(shot.pixel(10 + 55, 10 + 35), PaletteRgb(5));
  EXPECT_EQ(c->PlacementRect(), QRect(0, 0, 60, 40));

  const QImage first = c->ToBitmap();
  EXPECT_EQ(first.size(), QSize(30, 20));
  EXPECT_EQ(first.pixelIndex(3, 3), 5);

  // Assign and form data carry the same bytes.
  TGifControl other;
  other.Assign(c);
  EXPECT_EQ(other.Data(), c->Data());
  TGifControl fromForm;
  ASSERT_TRUE(fromForm.ReadData(c->WriteData()));
  EXPECT_EQ(fromForm.PictureSize(), QSize(30, 20));
  other.Assign(nullptr);
  EXPECT_FALSE(other.HasPicture());
}

TEST(GifControl, LoadsCorpusFilesFromDisk) {
  App();
  TGifControl c;
  c.SetAutoSize(true);
  const auto path = std::filesystem::path(SKYGLASS_TEST_DATA) / "gif" / "libtk8.6--tai-ku.gif";
  ASSERT_TRUE(c.LoadFromFile(path.string()));
  EXPECT_EQ(c.size(), QSize(100, 100));
  c.Clear();
  EXPECT_FALSE(c.HasPicture());
  EXPECT_EQ(c.CurrentFrame(), 1);
}

TEST(GifControl, AnimatesWithTheThreadedTimer) {
  App();
  GifBuilder g;
  g.Header("GIF89a", 4, 4).Netscape(0);
  for (int i = 0; i < 3; ++i) g.Gce(1, 1).Solid(0, 0, 4, 4, i + 1);
  TGifControl c;
  int wraps = 0;
  c.OnWrapAnimation = [&](TGifControl* sender) {
    EXPECT_EQ(sender, &c);
    EXPECT_EQ(QThread::currentThread(), App().thread());
    ++wraps;
  };
  c.SetAnimate(true);  // set before loading: starts at the first paint
  ASSERT_TRUE(c.LoadFromStream(g.Trailer().b));
  c.show();
  EXPECT_TRUE(WaitFor([&] { return wraps >= 2; }));
  c.SetAnimate(false);
  EXPECT_EQ(c.CurrentFrame(), 1);
  EXPECT_FALSE(c.Timer()->Running());
}

TEST(TimerEx, TicksThreadedAndOnTheGuiThread) {
  App();
  for (bool threaded : {true, false}) {
    TTimerEx t;
    EXPECT_TRUE(t.Enabled());
    EXPECT_EQ(t.Interval(), 1000);
    t.SetThreaded(threaded);
    t.SetInterval(5);
    int ticks = 0;
    t.SetOnTimer([&](TTimerEx* sender) {
      EXPECT_EQ(sender, &t);
      EXPECT_EQ(QThread::currentThread(), App().thread());
      ++ticks;
    });
    EXPECT_TRUE(t.Running());
    EXPECT_TRUE(WaitFor([&] { return ticks >= 3; })) << "threaded " << threaded;
    t.SetEnabled(false);
    EXPECT_FALSE(t.Running());
    App().processEvents();
    const int after = ticks;
    QThread::msleep(30);
    App().processEvents();
    EXPECT_EQ(ticks, after);
    t.SetEnabled(true);
    t.SetInterval(0);  // no interval: no ticks
    EXPECT_FALSE(t.Running());
  }
}

TEST(TimerEx, ThreadSafeTicksRunInTheTimerThread) {
  App();
  TTimerEx t;
  t.SetThreadSafe(true);
  t.SetInterval(2);
  std::atomic<int> ticks{0};
  std::atomic<bool> offGui{false};
  t.SetOnTimer([&](TTimerEx*) {
    offGui = QThread::currentThread() != App().thread();
    ++ticks;
  });
  EXPECT_TRUE(WaitFor([&] { return ticks >= 2; }));
  EXPECT_TRUE(offGui);
}

}  // namespace
