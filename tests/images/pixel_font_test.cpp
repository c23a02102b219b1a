#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "images/pixel_font.h"

namespace sky {
namespace {

std::set<std::pair<int, int>> Dots(std::string_view text, int width, int scale) {
  std::set<std::pair<int, int>> dots;
  DrawPixelText(text, width, 0, scale, [&](int x, int y, int size) {
    EXPECT_EQ(size, scale);
    dots.emplace(x, y);
  });
  return dots;
}

TEST(PixelFont, CentresTheTextAndLeavesUnknownCharactersBlank) {
  // "1": 10 lit pixels; its stem (column 2) stands in the middle of 11 pixels.
  const auto one = Dots("1", 11, 1);
  EXPECT_EQ(one.size(), 10u);
  EXPECT_TRUE(one.count({5, 0}));
  // A lower-case letter has no glyph: a blank of one character's width.
  const auto spaced = Dots("1x1", 30, 2);
  EXPECT_EQ(spaced.size(), 20u);
  const int first = spaced.begin()->first, last = spaced.rbegin()->first;
  EXPECT_EQ(last - first, 2 * 6 * 2 + 2 * 2);  // two advances between the stems' far ends, 2-pixel dots
}

}  // namespace
}  // namespace sky
