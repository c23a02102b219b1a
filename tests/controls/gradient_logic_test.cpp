// The gradient caption's colour tables, step limits and caption geometry.
#include <gtest/gtest.h>

#include <cmath>

#include "controls/gradient_logic.h"

namespace {

using namespace sky;

TEST(GradientColors, TablesFollowTheFormulaAndTheStepLimits) {
  GradientCaptionColors c;
  EXPECT_EQ(c.GradientColors(), 64);
  c.SetGradientStartColor(clBlue);
  c.SetGradientStopColor(clBlack);
  const auto& t = c.ActiveTable();
  ASSERT_EQ(t.size(), 64u);
  EXPECT_EQ(t[0], (Rgb{0, 0, 255}));
  EXPECT_EQ(t[63], (Rgb{0, 0, 0}));
  EXPECT_EQ(t[32].b, 255 - static_cast<int>(std::lround(255.0 / 63 * 32)));
  for (int bad : {7, 513, 0, -1}) {
    c.SetGradientColors(bad);
    EXPECT_EQ(c.GradientColors(), 64) << bad;
  }
  c.SetGradientColors(8);
  EXPECT_EQ(c.GradientColors(), 8);
  EXPECT_EQ(c.ActiveTable().size(), 8u);
  c.SetGradientColors(512);
  EXPECT_EQ(c.InactiveTable().size(), 512u);
  EXPECT_EQ(c.ActiveTable()[511], (Rgb{0, 0, 0}));
}

TEST(GradientColors, EachByteOnItsOwnWithHalvesToEven) {
  // Red rises, blue falls, green stays: each byte goes its own way.
  const auto t = BuildColorTable(Rgb{0, 7, 200}, Rgb{255, 7, 0}, 9);
  EXPECT_EQ(t[1], (Rgb{32, 7, 175}));                                     // 31.875 -> 32, 200 - 25
  EXPECT_EQ(t[4], (Rgb{128, 7, 100}));                                    // 127.5 -> 128 (even)
  EXPECT_EQ(BuildColorTable(Rgb{0, 0, 0}, Rgb{253, 0, 0}, 9)[4].r, 126);  // 126.5 -> 126
}

TEST(GradientColors, DefaultStopColoursMoveWithTheSystemOthersStay) {
  Rgb active{0, 0, 128}, inactive{128, 128, 128};
  GradientCaptionColors c([&](TColor s) {
    return s == clActiveCaption ? active : s == clInactiveCaption ? inactive : ColorToRgb(s);
  });
  EXPECT_TRUE(c.ActiveStopFollowsSystem());
  c.SetGradientInactiveStopColor(clNavy);  // not the system colour any more
  EXPECT_FALSE(c.InactiveStopFollowsSystem());
  active = {10, 20, 30};
  inactive = {40, 50, 60};
  c.SystemColorsChanged();
  EXPECT_EQ(c.ActiveTable().back(), (Rgb{10, 20, 30}));
  EXPECT_EQ(c.InactiveTable().back(), ColorToRgb(clNavy));
  // Setting the stop to the system colour's own value follows it again.
  c.SetGradientInactiveStopColor(RgbToColor(inactive));
  EXPECT_TRUE(c.InactiveStopFollowsSystem());
}

TEST(GradientPaint, WhenAndBands) {
  EXPECT_TRUE(PaintsGradient(gfpAlways, false));
  EXPECT_TRUE(PaintsGradient(gfpActive, true));
  EXPECT_FALSE(PaintsGradient(gfpActive, false));
  EXPECT_FALSE(PaintsGradient(gfpNever, true));
  // 64 bands over 40 pixels: band 1 starts at round(40/64) = 1, band 32 at 20.
  EXPECT_EQ(BandLeft(40, 1, 64), 1);
  EXPECT_EQ(BandLeft(40, 32, 64), 20);
  EXPECT_EQ(BandLeft(40, 64, 64), 40);
}

TEST(GradientCaption, RectAndButtonsByBorderStyle) {
  const CaptionMetrics m;
  CaptionRect r = GetCaptionRect(200, 100, TBorderStyle::bsSingle, m);
  EXPECT_EQ(r.left, 3);
  EXPECT_EQ(r.right, 196);
  EXPECT_EQ(r.Height(), m.captionHeight);
  EXPECT_EQ(GetCaptionRect(200, 100, TBorderStyle::bsSizeable, m).left, 4);
  EXPECT_EQ(GetCaptionRect(200, 100, TBorderStyle::bsToolWindow, m).Height(), m.smallCaptionHeight);
  EXPECT_TRUE(GetCaptionRect(200, 100, TBorderStyle::bsNone, m).Empty());

  const CaptionRect local{0, 0, 193, 17};
  // Single border with minimise only: close, maximise drawn disabled, minimise.
  ButtonLayout b = LayoutButtons(local, TBorderStyle::bsSingle, {true, true, false, false}, false, m);
  ASSERT_EQ(b.buttons.size(), 3u);
  EXPECT_EQ(b.buttons[0].button, CaptionButton::Close);
  EXPECT_EQ(b.buttons[0].rect.right, 191);
  EXPECT_EQ(b.buttons[1].button, CaptionButton::Maximize);
  EXPECT_FALSE(b.buttons[1].enabled);
  EXPECT_EQ(b.buttons[2].button, CaptionButton::Minimize);
  EXPECT_EQ(b.buttons[2].rect.right + 1, b.buttons[1].rect.left);
  EXPECT_EQ(b.textRight, b.buttons[2].rect.left - 3);
  // Dialog border: close and help only; tool window: the small close only.
  b = LayoutButtons(local, TBorderStyle::bsDialog, {true, true, true, true}, false, m);
  ASSERT_EQ(b.buttons.size(), 2u);
  EXPECT_EQ(b.buttons[1].button, CaptionButton::Help);
  b = LayoutButtons(local, TBorderStyle::bsToolWindow, {true, true, true, false}, false, m);
  ASSERT_EQ(b.buttons.size(), 1u);
  EXPECT_EQ(b.buttons[0].rect.Width(), m.smallButtonWidth);
  EXPECT_EQ(LayoutButtons(local, TBorderStyle::bsSizeable, {}, true, m).buttons[1].button, CaptionButton::Restore);
  EXPECT_TRUE(LayoutButtons(local, TBorderStyle::bsSingle, {false, true, true, false}, false, m).buttons.empty());
  EXPECT_TRUE(PaintsIcon(TBorderStyle::bsSingle, {}));
  EXPECT_FALSE(PaintsIcon(TBorderStyle::bsDialog, {}));
}

}  // namespace
