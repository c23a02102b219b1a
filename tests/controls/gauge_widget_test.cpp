// The gauge as drawn, and the please-wait window around it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <cstdlib>

#include "common/offscreen_app.h"
#include "controls/ProgressGauge.h"
#include "controls/Unit_pleasewait.h"

using skytest::App;

namespace {

using sky::TGaugeKind;
using sky::ui::TProgressGauge;

int CountColour(const QImage& img, QRgb c) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if ((img.pixel(x, y) & 0xFFFFFF) == (c & 0xFFFFFF)) ++n;
  return n;
}

TEST(ProgressGauge, HorizontalBarCoversItsShareInsideTheFrame) {
  App();
  TProgressGauge g;
  g.resize(102, 20);
  g.SetShowText(false);
  g.SetForeColor(Qt::red);
  g.SetBackColor(Qt::white);
  g.SetProgress(50);
  const QImage img = g.Render();
  // The one-pixel frame stays black; 50 of the 100 inner columns are red.
  EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, 0u);
  EXPECT_EQ(CountColour(img, qRgb(255, 0, 0)), 50 * 18);
  EXPECT_EQ(CountColour(img, qRgb(255, 255, 255)), 50 * 18);
  EXPECT_EQ(img.pixel(1, 10) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(img.pixel(100, 10) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(ProgressGauge, VerticalBarGrowsUpwards) {
  App();
  TProgressGauge g;
  g.resize(20, 102);
  g.SetShowText(false);
  g.SetKind(TGaugeKind::gkVerticalBar);
  g.SetForeColor(Qt::red);
  g.SetProgress(25);
  const QImage img = g.Render();
  EXPECT_EQ(img.pixel(10, 100) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(img.pixel(10, 2) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(CountColour(img, qRgb(255, 0, 0)), 25 * 18);
}

TEST(ProgressGauge, NeedleOnlyAboveZeroAndTextIsInverted) {
  App();
  TProgressGauge g;
  g.resize(150, 100);
  g.SetKind(TGaugeKind::gkNeedle);
  g.SetShowText(false);
  g.SetForeColor(QColor(0, 255, 0));
  g.SetBackColor(QColor(0, 0, 128));
  g.SetColor(Qt::black);
  const QImage none = g.Render();
  g.SetProgress(50);
  const QImage up = g.Render();
  EXPECT_NE(none, up);
  // Straight up from the centre of the baseline.
  EXPECT_EQ(up.pixel(75, 40) & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(none.pixel(75, 40) & 0xFFFFFF, 0x000080u);

  // The text is drawn by XOR: over the navy dial it shows in navy's inverse.
  g.SetShowText(true);
  const QImage text = g.Render();
  EXPECT_GT(CountColour(text, qRgb(255, 255, 127)), 0);
}

TEST(ProgressGauge, BadRangeRaisesAndEqualEndsShowZero) {
  App();
  TProgressGauge g;
  EXPECT_THROW(g.SetMaxValue(-1), sky::EInvalidOperation);
  EXPECT_EQ(g.MaxValue(), 100);
  g.SetProgress(30);
  g.SetMaxValue(0);
  EXPECT_EQ(g.PercentDone(), 0);
  EXPECT_EQ(g.size(), QSize(100, 100));
}

TEST(PleaseWait, ShowsItselfWithTheNeedleGauge) {
  App();
  sky::ui::TfrmPleaseWait w;
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(w.lblPleaseWait->text(), "Please wait...           loading information...");
  EXPECT_TRUE(w.lblPleaseWait->wordWrap());
  EXPECT_EQ(w.Gauge1->geometry(), QRect(24, 56, 150, 100));
  EXPECT_EQ(w.Gauge1->BackColor(), QColor(0, 0, 128));
  EXPECT_EQ(w.Gauge1->ForeColor(), QColor(0, 255, 0));
  w.SetProgress(35);
  EXPECT_EQ(w.Gauge1->PercentDone(), 35);
}

}  // namespace
