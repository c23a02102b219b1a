// The GIF writer against the program's own decoder: narrow colour tables,
// the code table's reset on long pictures, frames that loop, bad input.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>

#include "controls/gif_decoder.h"
#include "images/gif_writer.h"

namespace sky::gif {
namespace {

GifImage Decoded(const std::string& gif) {
  GifDecodeResult r = DecodeGif({reinterpret_cast<const std::uint8_t*>(gif.data()), gif.size()});
  EXPECT_TRUE(r.ok) << r.error;
  return r.image;
}

std::vector<std::uint8_t> Noise(std::size_t n, int colors, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> px(n);
  for (auto& p : px) p = static_cast<std::uint8_t>(rng() % static_cast<unsigned>(colors));
  return px;
}

TEST(GifWriter, NarrowTablesKeepEveryPixelAcrossCodeTableResets) {
  // Noise overflows the 4096 codes several times: each reset and each
  // widening of the codes must land where the reader expects them.
  for (int colors : {1, 2, 3, 5, 16, 200, 256}) {
    std::vector<Rgb> palette;
    for (int i = 0; i < colors; ++i)
      palette.push_back({static_cast<std::uint8_t>(i), 7, static_cast<std::uint8_t>(255 - i)});
    const std::vector<std::uint8_t> px = Noise(300 * 211, colors, static_cast<unsigned>(colors));
    const GifImage img = Decoded(EncodeGif(300, 211, px, palette));
    ASSERT_EQ(img.frames.size(), 1u);
    const GifFrame& f = img.frames[0];
    EXPECT_EQ(f.indices, px) << colors << " colours";
    int depth = 1;
    while ((1 << depth) < colors) ++depth;
    EXPECT_EQ(img.globalColorTable.size(), std::size_t{1} << depth);
    EXPECT_EQ(f.lzwMinCodeSize, std::max(2, depth));
    EXPECT_EQ(f.ColorOf(static_cast<std::uint8_t>(colors - 1)), (GifColor{palette.back().r, 7, palette.back().b}));
    EXPECT_EQ(img.version, TGifVersion::gvGIF87a);
  }
}

TEST(GifWriter, FramesLoopWithTheirDelay) {
  const std::vector<Rgb> palette = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  const std::vector<std::vector<std::uint8_t>> frames = {Noise(40 * 30, 4, 1), Noise(40 * 30, 4, 2),
                                                         Noise(40 * 30, 4, 3)};
  const GifImage img = Decoded(EncodeGifFrames(40, 30, frames, palette, 25));
  ASSERT_EQ(img.frames.size(), 3u);
  EXPECT_EQ(img.loopCount, 0);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(img.frames[i].indices, frames[i]);
    EXPECT_EQ(img.frames[i].delayMs, 250);
  }
  // One frame: a still picture, no loop.
  const GifImage still = Decoded(EncodeGifFrames(40, 30, {frames[0]}, palette, 25));
  ASSERT_EQ(still.frames.size(), 1u);
  EXPECT_EQ(still.loopCount, 1);
}

TEST(GifWriter, RefusesWhatNoGifCanHold) {
  const std::vector<Rgb> four(4, Rgb{1, 2, 3});
  EXPECT_THROW(EncodeGif(2, 2, {0, 1, 2}, four), std::invalid_argument);     // pixels missing
  EXPECT_THROW(EncodeGif(2, 2, {0, 1, 2, 4}, four), std::invalid_argument);  // beyond the table
  EXPECT_THROW(EncodeGif(0, 0, {}, four), std::invalid_argument);            // no picture
  EXPECT_THROW(EncodeGif(1, 1, {0}, std::vector<Rgb>(257)), std::invalid_argument);
  EXPECT_THROW(EncodeGifFrames(2, 2, {}, four, 10), std::invalid_argument);
  EXPECT_THROW(EncodeGifFrames(2, 2, {{0, 0, 0, 0}, {0, 0}}, four, 10), std::invalid_argument);
}

}  // namespace
}  // namespace sky::gif
