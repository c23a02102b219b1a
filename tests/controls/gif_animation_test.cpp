#include "controls/gif_animation.h"

#include <gtest/gtest.h>

#include <string>

#include "controls/gif_builder.h"

using namespace sky;
using namespace giftest;

namespace {

GifImage DecodeOk(const Bytes& b) {
  GifDecodeResult r = DecodeGif(b);
  EXPECT_TRUE(r.ok) << r.error;
  return std::move(r.image);
}

std::uint32_t Colour(int index) { return GifArgb(TestPalette(8)[static_cast<std::size_t>(index)]); }
constexpr std::uint32_t kBlack = 0xFF000000u;

// Frame 1 fills 4x4 with colour 1; frame 2 (transparent index 0) draws a
// 2x2 square of colour 2 at (1,1) with a see-through corner.
Bytes TwoFrames(int disposal2, const char* version = "GIF89a") {
  FrameDef f2;
  f2.left = 1;
  f2.top = 1;
  f2.width = 2;
  f2.height = 2;
  f2.pixels = {2, 2, 2, 0};
  return GifBuilder()
      .Header(version, 4, 4)
      .Gce(1, 10)
      .Solid(0, 0, 4, 4, 1)
      .Gce(disposal2, 20, true, 0)
      .Image(f2)
      .Gce(0, 30)
      .Solid(3, 3, 1, 1, 3)
      .Trailer()
      .b;
}

TEST(GifComposition, TransparentPixelsKeepWhatIsBelow) {
  GifAnimation a;
  a.Load(DecodeOk(TwoFrames(1)));
  ASSERT_TRUE(a.HasPicture());
  EXPECT_EQ(a.Canvas().PixelAt(2, 2), Colour(1));
  ASSERT_TRUE(a.SetCurrentFrame(2));
  EXPECT_EQ(a.Canvas().PixelAt(1, 1), Colour(2));
  EXPECT_EQ(a.Canvas().PixelAt(2, 2), Colour(1));  // transparent corner
  EXPECT_EQ(a.Canvas().PixelAt(0, 0), Colour(1));
  // The mask: frame 1 covered everything, so nothing is see-through.
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_FALSE(a.Canvas().TransparentAt(x, y));
}

TEST(GifComposition, Version87aDrawsTheTransparentIndexAsAColour) {
  GifAnimation a;
  a.Load(DecodeOk(TwoFrames(1, "GIF87a")));
  EXPECT_FALSE(a.Canvas().HasMask());
  ASSERT_TRUE(a.SetCurrentFrame(2));
  EXPECT_EQ(a.Canvas().PixelAt(2, 2), Colour(0));
}

TEST(GifComposition, DisposalToBackgroundAndToPrevious) {
  // Disposal 2: before frame 3 the square becomes black and see-through.
  GifAnimation a;
  a.Load(DecodeOk(TwoFrames(2)));
  a.SetCurrentFrame(2);
  a.SetCurrentFrame(3);
  EXPECT_EQ(a.Canvas().PixelAt(1, 1), kBlack);
  EXPECT_TRUE(a.Canvas().TransparentAt(1, 1));
  EXPECT_TRUE(a.Canvas().TransparentAt(2, 2));
  EXPECT_FALSE(a.Canvas().TransparentAt(0, 0));
  EXPECT_EQ(a.Canvas().PixelAt(3, 3), Colour(3));
  const auto argb = a.Canvas().ToArgb(true);
  EXPECT_EQ(argb[1 * 4 + 1], 0u);
  EXPECT_EQ(argb[0], Colour(1));

  // Disposal 3: what was under the square comes back.
  GifAnimation b;
  b.Load(DecodeOk(TwoFrames(3)));
  b.SetCurrentFrame(2);
  EXPECT_EQ(b.Canvas().PixelAt(1, 1), Colour(2));
  b.SetCurrentFrame(3);
  EXPECT_EQ(b.Canvas().PixelAt(1, 1), Colour(1));
  EXPECT_FALSE(b.Canvas().TransparentAt(1, 1));

  // Disposal 1 keeps the square.
  GifAnimation c;
  c.Load(DecodeOk(TwoFrames(1)));
  c.SetCurrentFrame(2);
  c.SetCurrentFrame(3);
  EXPECT_EQ(c.Canvas().PixelAt(1, 1), Colour(2));
}

TEST(GifComposition, TransparentFirstFrameLeavesTheMaskOpen) {
  FrameDef f;
  f.width = 2;
  f.height = 1;
  f.pixels = {4, 0};
  GifAnimation a;
  a.Load(DecodeOk(GifBuilder().Header("GIF89a", 3, 1).Gce(0, 0, true, 0).Image(f).Trailer().b));
  EXPECT_TRUE(a.FirstFrameTransparent());
  EXPECT_FALSE(a.Canvas().TransparentAt(0, 0));
  EXPECT_TRUE(a.Canvas().TransparentAt(1, 0));
  EXPECT_TRUE(a.Canvas().TransparentAt(2, 0));  // outside the frame
  EXPECT_EQ(a.Canvas().ToArgb(true), (std::vector<std::uint32_t>{Colour(4), 0, 0}));
}

struct Recorder {
  std::string log;
  void Attach(GifAnimation& a) {
    a.onChanging = [this] { log += "<"; };
    a.onChange = [this] { log += ">"; };
    a.onWrap = [this] { log += "W"; };
  }
};

Bytes Animated(int frames, int loops, int delayCs = 10) {
  GifBuilder g;
  g.Header("GIF89a", 2, 2);
  if (loops >= 0) g.Netscape(loops);
  for (int i = 0; i < frames; ++i) g.Gce(1, delayCs).Solid(0, 0, 2, 2, i + 1);
  return g.Trailer().b;
}

TEST(GifAnimationState, LoadShowsFrameOneAndFiresEvents) {
  GifAnimation a;
  Recorder r;
  r.Attach(a);
  a.Load(DecodeOk(Animated(3, 0)));
  EXPECT_EQ(r.log, "<>");
  EXPECT_EQ(a.CurrentFrame(), 1);
  EXPECT_TRUE(a.Animated());
  EXPECT_EQ(a.TimerInterval(), 1);
  EXPECT_FALSE(a.TimerRunning());  // Animate is off by default
  a.AfterPaint();
  EXPECT_FALSE(a.TimerRunning());
  a.Step();  // without Animate nothing happens
  EXPECT_EQ(r.log, "<>");
}

TEST(GifAnimationState, PlaysLoopCountPassesThenStopsOnTheLastFrame) {
  GifAnimation a;
  Recorder r;
  r.Attach(a);
  a.Load(DecodeOk(Animated(3, 2)));
  r.log.clear();
  a.SetAnimate(true);
  EXPECT_TRUE(a.TimerRunning());
  std::vector<std::uint32_t> shown;
  int steps = 0;
  while (a.TimerRunning() && steps < 50) {
    a.Step();
    shown.push_back(a.Canvas().PixelAt(0, 0));
    ++steps;
  }
  // First step only consumes the pending frame 1; then 2, 3 | 1, 2, 3.
  EXPECT_EQ(steps, 6);
  EXPECT_EQ(shown, (std::vector<std::uint32_t>{Colour(1), Colour(2), Colour(3), Colour(1), Colour(2), Colour(3)}));
  EXPECT_EQ(r.log, "<><><>W<><><>W");
  EXPECT_EQ(a.PassCounter(), 3);
  EXPECT_TRUE(a.Finished());
  EXPECT_EQ(a.CurrentFrame(), 4);  // past the end until the next step
  a.AfterPaint();
  EXPECT_FALSE(a.TimerRunning());

  // Loop on restarts a finished animation.
  a.SetLoop(true);
  EXPECT_TRUE(a.TimerRunning());
  EXPECT_EQ(a.CurrentFrame(), 1);
  a.Step();
  EXPECT_EQ(a.Canvas().PixelAt(0, 0), Colour(1));
}

TEST(GifAnimationState, WithoutLoopExtensionPlaysOnceAndLoopZeroForever) {
  GifAnimation once;
  once.Load(DecodeOk(Animated(2, -1)));
  EXPECT_EQ(once.LoopCount(), 1);
  once.SetAnimate(true);
  int steps = 0;
  while (once.TimerRunning() && steps < 50) once.Step(), ++steps;
  EXPECT_EQ(steps, 2);
  EXPECT_EQ(once.Canvas().PixelAt(0, 0), Colour(2));

  GifAnimation forever;
  forever.Load(DecodeOk(Animated(2, 0)));
  forever.SetAnimate(true);
  for (int i = 0; i < 40; ++i) forever.Step();
  EXPECT_TRUE(forever.TimerRunning());
  EXPECT_EQ(forever.PassCounter(), 1);
  // Stopped just after a wrap (CurrentFrame 1, frame 2 still shown).
  ASSERT_EQ(forever.CurrentFrame(), 1);
  forever.SetAnimate(false);
  EXPECT_EQ(forever.Canvas().PixelAt(0, 0), Colour(1));

  GifAnimation looped;
  looped.Load(DecodeOk(Animated(2, 3)));
  looped.SetLoop(true);
  looped.SetAnimate(true);
  for (int i = 0; i < 40; ++i) looped.Step();
  EXPECT_TRUE(looped.TimerRunning());
}

TEST(GifAnimationState, IntervalFollowsDelayAndSpeed) {
  GifAnimation a;
  a.Load(DecodeOk(Animated(2, 0, /*delayCs=*/2)));
  a.SetAnimate(true);
  a.Step();
  EXPECT_EQ(a.TimerInterval(), 50);  // delays below 50 ms count as 50
  a.SetSpeed(200);
  EXPECT_EQ(a.TimerInterval(), 1);  // the next step picks up the speed
  a.Step();
  EXPECT_EQ(a.TimerInterval(), 25);
  a.SetSpeed(0);
  EXPECT_EQ(a.Speed(), 1);
  a.Step();
  EXPECT_EQ(a.TimerInterval(), 5000);

  GifAnimation slow;
  slow.Load(DecodeOk(Animated(2, 0, 100)));
  slow.SetSpeed(50);
  slow.SetAnimate(true);
  EXPECT_EQ(slow.TimerInterval(), 2000);
}

TEST(GifAnimationState, CurrentFrameRangeAndAnimateOff) {
  GifAnimation a;
  Recorder r;
  r.Attach(a);
  a.Load(DecodeOk(TwoFrames(1)));
  r.log.clear();
  EXPECT_FALSE(a.SetCurrentFrame(0));
  EXPECT_FALSE(a.SetCurrentFrame(4));
  EXPECT_EQ(r.log, "");
  EXPECT_EQ(a.CurrentFrame(), 1);
  EXPECT_TRUE(a.SetCurrentFrame(3));
  EXPECT_EQ(r.log, "<>");

  // Animate off from a later frame shows frame 1 as loaded.
  a.SetAnimate(true);
  a.SetCurrentFrame(2);
  a.SetAnimate(false);
  EXPECT_FALSE(a.TimerRunning());
  EXPECT_EQ(a.CurrentFrame(), 1);
  EXPECT_EQ(a.Canvas().PixelAt(1, 1), Colour(1));

  a.Clear();
  EXPECT_FALSE(a.HasPicture());
  EXPECT_EQ(a.FrameCount(), 0);
  EXPECT_EQ(a.LoopCount(), 1);
  a.Step();
  EXPECT_FALSE(a.SetCurrentFrame(1));
}

TEST(GifAnimationState, NothingRunsWhileLoadingOrForOneFrame) {
  GifAnimation a;
  a.Load(DecodeOk(Animated(3, 0)));
  a.SetLoading(true);
  a.SetAnimate(true);
  EXPECT_FALSE(a.TimerRunning());
  a.Step();
  EXPECT_EQ(a.CurrentFrame(), 1);
  a.SetLoading(false);
  a.AfterPaint();
  EXPECT_TRUE(a.TimerRunning());

  GifAnimation still;
  still.Load(DecodeOk(Animated(1, 0)));
  still.SetAnimate(true);
  EXPECT_FALSE(still.TimerRunning());
}

TEST(GifPlacement, Rectangles) {
  GifPlacement none;
  EXPECT_EQ(GifPlacementRect(50, 40, 100, 100, none), (GifRect{0, 0, 50, 40}));
  GifPlacement center;
  center.center = true;
  EXPECT_EQ(GifPlacementRect(50, 40, 101, 100, center), (GifRect{25, 30, 50, 40}));
  EXPECT_EQ(GifPlacementRect(50, 40, 21, 30, center), (GifRect{-14, -5, 50, 40}));  // halves toward zero
  GifPlacement tile;
  tile.tile = true;
  tile.center = true;
  EXPECT_EQ(GifPlacementRect(50, 40, 120, 90, tile), (GifRect{0, 0, 120, 90}));

  GifPlacement stretch;
  stretch.stretch = true;
  EXPECT_EQ(GifPlacementRect(50, 40, 120, 90, stretch), (GifRect{0, 0, 120, 90}));
  stretch.stretchRatio = true;  // both: as Stretch
  EXPECT_EQ(GifPlacementRect(50, 40, 120, 90, stretch), (GifRect{0, 0, 120, 90}));

  GifPlacement ratio;
  ratio.stretchRatio = true;
  EXPECT_EQ(GifPlacementRect(50, 40, 100, 100, ratio), (GifRect{0, 10, 100, 80}));
  EXPECT_EQ(GifPlacementRect(40, 50, 100, 100, ratio), (GifRect{10, 0, 80, 100}));
  EXPECT_EQ(GifPlacementRect(30, 20, 100, 100, ratio), (GifRect{0, 17, 100, 67}));  // 16.67 rounds to 17
  // Same size: no stretching, the other rules apply.
  ratio.center = true;
  EXPECT_EQ(GifPlacementRect(100, 100, 100, 100, ratio), (GifRect{0, 0, 100, 100}));
  EXPECT_FALSE(GifPlacementStretched(100, 100, 100, 100, ratio));

  const auto tiles = GifTileRects(50, 40, 100, 79);
  EXPECT_EQ(tiles.size(), 3u * 2u);
  EXPECT_EQ(tiles.back(), (GifRect{100, 40, 50, 40}));
  EXPECT_TRUE(GifTileRects(0, 5, 10, 10).empty());
}

}  // namespace
