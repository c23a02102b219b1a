#include "controls/gauge_logic.h"

#include <gtest/gtest.h>

#include <climits>

namespace sky {
namespace {

TEST(GaugePercent, TruncatesAndHandlesEmptyRange) {
  EXPECT_EQ(GaugePercent(0, 100, 35), 35);
  EXPECT_EQ(GaugePercent(0, 3, 2), 66);  // truncated, not rounded
  EXPECT_EQ(GaugePercent(10, 20, 15), 50);
  EXPECT_EQ(GaugePercent(5, 5, 5), 0);
  // Wide ranges must not overflow.
  EXPECT_EQ(GaugePercent(INT_MIN, INT_MAX, INT_MAX), 100);
  EXPECT_EQ(GaugePercent(INT_MIN, INT_MAX, 0), 50);
}

TEST(GaugeRange, ProgressIsClampedAndReportsOnlyPercentChanges) {
  GaugeRange g;
  EXPECT_TRUE(g.SetProgress(150));
  EXPECT_EQ(g.Progress(), 100);
  EXPECT_EQ(g.Percent(), 100);
  EXPECT_TRUE(g.SetProgress(-5));
  EXPECT_EQ(g.Progress(), 0);
  EXPECT_EQ(g.Percent(), 0);

  GaugeRange wide;
  wide.SetMaxValue(1000);
  EXPECT_FALSE(wide.SetProgress(5));  // still 0 %
  EXPECT_EQ(wide.Progress(), 5);
  EXPECT_TRUE(wide.SetProgress(10));  // 1 %
}

TEST(GaugeRange, BadBoundsRaiseTheRangeMessage) {
  GaugeRange g;
  try {
    g.SetMaxValue(-10);
    FAIL() << "no exception";
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), "Value must be between 1 and 2147483647");
  }
  try {
    g.SetMinValue(200);
    FAIL() << "no exception";
  } catch (const EInvalidOperation& e) {
    EXPECT_STREQ(e.what(), "Value must be between -2147483647 and 99");
  }
  EXPECT_EQ(g.MinValue(), 0);
  EXPECT_EQ(g.MaxValue(), 100);
  // Equal ends are allowed and show 0 %.
  g.SetProgress(40);
  EXPECT_NO_THROW(g.SetMaxValue(0));
  EXPECT_EQ(g.Progress(), 0);
  EXPECT_EQ(g.Percent(), 0);
  // While a form is being read in, the order of the properties does not matter.
  EXPECT_NO_THROW(g.SetMinValue(50, /*loading=*/true));
}

TEST(GaugeRange, NewRangePullsProgressIn) {
  GaugeRange g;
  g.SetProgress(80);
  g.SetMaxValue(60);
  EXPECT_EQ(g.Progress(), 60);
  g.SetMinValue(70 - 20);
  g.SetProgress(0);
  EXPECT_EQ(g.Progress(), 50);
}

TEST(GaugeGeometry, NeedleAndBars) {
  // 150 wide, baseline at 98: 0 % left, 50 % straight up, 100 % right.
  EXPECT_EQ(NeedleTip(150, 98, 0).x, 0);
  EXPECT_EQ(NeedleTip(150, 98, 0).y, 97);
  EXPECT_EQ(NeedleTip(150, 98, 50).x, 75);
  EXPECT_EQ(NeedleTip(150, 98, 50).y, 0);
  EXPECT_EQ(NeedleTip(150, 98, 100).x, 150);
  EXPECT_EQ(NeedleTip(150, 98, 100).y, 97);
  // 1 % points almost straight left.
  EXPECT_EQ(NeedleTip(150, 98, 1).x, 0);
  EXPECT_EQ(NeedleTip(150, 98, 1).y, 94);

  EXPECT_EQ(BarLength(98, 50), 49);
  EXPECT_EQ(BarLength(98, 1), 0);
  EXPECT_EQ(BarLength(98, 100), 98);
  EXPECT_EQ(BarLength(98, 150), 98);
}

}  // namespace
}  // namespace sky
