// Broken and hostile GIF files: each must decode to a clear result without
// reading outside the data or allocating absurd amounts of memory (these
// tests also run under AddressSanitizer).
#include <gtest/gtest.h>

#include "controls/gif_animation.h"
#include "controls/gif_decoder.h"
#include "controls/gif_builder.h"

using namespace sky;
using namespace giftest;

namespace {

Bytes GoodFile() {
  FrameDef s;
  s.width = 40;
  s.height = 30;
  s.interlaced = true;
  s.pixels = Pattern(40, 30, 64);
  return GifBuilder()
      .Header("GIF89a", 40, 30, 6)
      .Netscape(0)
      .Comment("c")
      .Gce(3, 5, true, 2)
      .Image(s)
      .Gce(2, 5)
      .Solid(5, 5, 10, 10, 9)
      .Trailer()
      .b;
}

TEST(GifHostile, EmptyAndForeignData) {
  EXPECT_EQ(DecodeGif({}).status, kGifNoData);
  const Bytes png{0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0};
  const GifDecodeResult r = DecodeGif(png);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.status, kGifBadData);
  EXPECT_FALSE(DecodeGif(Bytes{'G', 'I', 'F'}).ok);
  // A header and a trailer but no image at all.
  EXPECT_FALSE(DecodeGif(GifBuilder().Header("GIF89a", 5, 5).Trailer().b).ok);
}

TEST(GifHostile, EveryTruncationIsSafe) {
  const Bytes full = GoodFile();
  const GifDecodeResult whole = DecodeGif(full);
  ASSERT_TRUE(whole.ok);
  for (std::size_t n = 0; n < full.size(); ++n) {
    const Bytes cut(full.begin(), full.begin() + static_cast<long>(n));
    const GifDecodeResult r = DecodeGif(cut);
    if (!r.ok) continue;
    // What is decoded of a cut frame matches the full file up to the cut;
    // the rest of it keeps index 0.
    ASSERT_FALSE(r.image.frames.empty());
    const auto& got = r.image.frames[0].indices;
    const auto& want = whole.image.frames[0].indices;
    ASSERT_EQ(got.size(), want.size());
    if (r.image.frames.size() == 2) {
      EXPECT_EQ(got, want) << n;
    }
  }
}

TEST(GifHostile, DataEndingEarlyLeavesZeros) {
  Bytes pixels(64, 5);
  const Bytes lzw = LzwEncode(pixels, 3);
  // Keep only the first few bytes of code data, without an end code.
  Bytes gif = GifBuilder().Header("GIF87a", 8, 8, 3).b;
  gif.insert(gif.end(), {0x2C, 0, 0, 0, 0, 8, 0, 8, 0, 0, 3, 2, lzw[0], lzw[1], 0, 0x3B});
  const GifDecodeResult r = DecodeGif(gif);
  ASSERT_TRUE(r.ok);
  const auto& idx = r.image.frames[0].indices;
  EXPECT_EQ(idx[0], 5);
  EXPECT_EQ(idx.back(), 0);
}

TEST(GifHostile, CodesBeyondTheTableStopTheFrame) {
  // min code 2: clear 4, end 5. Codes (3 bits): clear, 1, 7 (undefined), 2.
  // 100 001 111 010 -> bits LSB first.
  std::uint32_t bits = 4 | (1 << 3) | (7 << 6) | (2 << 9);
  Bytes gif = GifBuilder().Header("GIF89a", 4, 1, 2).b;
  gif.insert(gif.end(), {0x2C, 0, 0, 0, 0, 4, 0, 1, 0, 0, 2, 2, static_cast<std::uint8_t>(bits),
                         static_cast<std::uint8_t>(bits >> 8), 0, 0x3B});
  const GifDecodeResult r = DecodeGif(gif);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.image.frames[0].indices, (Bytes{1, 0, 0, 0}));

  // A string code straight after a clear (nothing to refer to yet).
  bits = 4 | (6 << 3);
  Bytes g2 = GifBuilder().Header("GIF89a", 4, 1, 2).b;
  g2.insert(g2.end(), {0x2C, 0, 0, 0, 0, 4, 0, 1, 0, 0, 2, 1, static_cast<std::uint8_t>(bits), 0, 0x3B});
  ASSERT_TRUE(DecodeGif(g2).ok);
}

TEST(GifHostile, OversizedMinimumCodeSizeDecodesNothing) {
  for (int m : {12, 15, 16, 200, 255}) {
    Bytes gif = GifBuilder().Header("GIF89a", 3, 3, 2).b;
    gif.insert(gif.end(),
               {0x2C, 0, 0, 0, 0, 3, 0, 3, 0, 0, static_cast<std::uint8_t>(m), 3, 0xFF, 0xFF, 0xFF, 0, 0x3B});
    const GifDecodeResult r = DecodeGif(gif);
    ASSERT_TRUE(r.ok) << m;
    EXPECT_EQ(r.image.frames[0].indices, Bytes(9, 0)) << m;
  }
  // Random bytes as code data at every legal size.
  for (int m = 0; m <= 11; ++m) {
    Bytes data(600);
    unsigned s = static_cast<unsigned>(m) + 7;
    for (auto& b : data) b = static_cast<std::uint8_t>((s = s * 69069u + 1u) >> 24);
    Bytes out(50 * 50);
    EXPECT_LE(DecodeGifLzw(data, m, out), out.size());
  }
}

TEST(GifHostile, ZeroSizedFrameFailsTheLoad) {
  const GifDecodeResult r =
      DecodeGif(GifBuilder().Header("GIF89a", 4, 4).Solid(0, 0, 4, 4, 1).Solid(0, 0, 0, 3, 1).Trailer().b);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.status, kGifBadData);
  EXPECT_TRUE(r.image.frames.empty());
}

TEST(GifHostile, HugeDeclaredSizesAreRefusedNotAllocated) {
  // One frame of 65535 x 65535 with a few bytes of data.
  Bytes gif = GifBuilder().Header("GIF89a", 65535, 65535, 1).b;
  gif.insert(gif.end(), {0x2C, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 2, 1, 0x04, 0, 0x3B});
  GifDecodeResult r = DecodeGif(gif);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.status, kGifBadData);

  // Small frames placed far apart: the picture they span is too large.
  r = DecodeGif(GifBuilder().Header("GIF89a", 1, 1).Solid(0, 0, 1, 1, 1).Solid(65000, 65000, 2, 2, 1).Trailer().b);
  EXPECT_FALSE(r.ok);

  // Many large frames: the budget for all frames together runs out.
  GifDecodeOptions opt;
  opt.maxPixels = 1000 * 1000;
  opt.maxTotalPixels = 3 * 1000 * 1000;
  GifBuilder many;
  many.Header("GIF89a", 1000, 1000, 1);
  for (int i = 0; i < 10; ++i)
    many.b.insert(many.b.end(), {0x2C, 0, 0, 0, 0, 0xE8, 0x03, 0xE8, 0x03, 0, 2, 1, 0x04, 0});
  many.Trailer();
  int progressCalls = 0;
  opt.progress = [&](const GifProgressInfo&) { return ++progressCalls > 0; };
  r = DecodeGif(many.b, opt);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "frame too large");
  EXPECT_EQ(progressCalls, 0) << "refused only after decoding began";
  // Within the limits the same file loads.
  opt.maxTotalPixels = 20 * 1000 * 1000;
  EXPECT_TRUE(DecodeGif(many.b, opt).ok);
}

// Files of a few dozen bytes that declare 8192 x 8192 frames: one frame,
// eight and nine of them. Each is refused from its headers, before any frame
// is allocated (these cost 0.5 to 1 GB when they were decoded first).
TEST(GifHostile, TinyBombsAreRefusedFromTheirHeaders) {
  auto bomb = [](int frames, int side) {
    GifBuilder g;
    g.Header("GIF89a", side, side, 0);
    const auto lo = static_cast<std::uint8_t>(side & 0xFF), hi = static_cast<std::uint8_t>(side >> 8);
    for (int i = 0; i < frames; ++i) g.b.insert(g.b.end(), {0x2C, 0, 0, 0, 0, lo, hi, lo, hi, 0, 2, 1, 0x2C, 0});
    return g.Trailer().b;
  };
  for (int frames : {1, 8, 9}) {
    int progressCalls = 0;
    GifDecodeOptions opt;
    opt.progress = [&](const GifProgressInfo&) { return ++progressCalls > 0; };
    const GifDecodeResult r = DecodeGif(bomb(frames, 8192), opt);
    EXPECT_EQ(r.status, kGifBadData) << frames;
    EXPECT_EQ(r.error, "frame too large") << frames;
    EXPECT_EQ(progressCalls, 0) << frames;
  }
  // Five frames within the frame bound exceed the budget for all of them.
  EXPECT_EQ(DecodeGif(bomb(5, 4096)).error, "frame too large");
  // A small frame on a huge logical screen: the composed picture is too large.
  Bytes screen = GifBuilder().Header("GIF89a", 8192, 8192).Solid(0, 0, 1, 1, 1).Trailer().b;
  EXPECT_EQ(DecodeGif(screen).error, "picture too large");
  // With the first image only, the frames after it do not count.
  Bytes first = GifBuilder().Header("GIF89a", 2, 2).Solid(0, 0, 2, 2, 1).b;
  const Bytes rest = bomb(9, 8192);
  first.insert(first.end(), rest.begin() + 13, rest.end());
  GifDecodeOptions only;
  only.firstImageOnly = true;
  EXPECT_TRUE(DecodeGif(first, only).ok);
  EXPECT_FALSE(DecodeGif(first).ok);
}

TEST(GifHostile, GarbageAfterTheTrailerAndStrayBytesAreIgnored) {
  Bytes gif = GifBuilder().Header("GIF89a", 2, 2).Solid(0, 0, 2, 2, 3).Trailer().b;
  for (int i = 0; i < 100; ++i) gif.push_back(static_cast<std::uint8_t>(i == 0 ? 0x2C : i));
  GifDecodeResult r = DecodeGif(gif);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.image.frames.size(), 1u);

  // A stray zero byte between blocks (some encoders write one).
  Bytes stray = GifBuilder().Header("GIF89a", 2, 2).Solid(0, 0, 2, 2, 3).b;
  stray.push_back(0);
  GifBuilder rest;
  rest.Solid(0, 0, 2, 2, 4).Trailer();
  stray.insert(stray.end(), rest.b.begin(), rest.b.end());
  r = DecodeGif(stray);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.image.frames.size(), 2u);
}

TEST(GifHostile, MalformedExtensionsDoNotDerail) {
  Bytes gif = GifBuilder().Header("GIF89a", 2, 2).b;
  // Graphic control with a short block, an application block without a
  // sub-block, an unknown extension and a NETSCAPE block cut short.
  gif.insert(gif.end(), {0x21, 0xF9, 2, 9, 9, 0});
  gif.insert(gif.end(), {0x21, 0xFF, 0});
  gif.insert(gif.end(), {0x21, 0x77, 3, 1, 2, 3, 0});
  gif.insert(gif.end(), {0x21, 0xFF, 11});
  for (char c : std::string("NETSCAPE2.0")) gif.push_back(static_cast<std::uint8_t>(c));
  gif.insert(gif.end(), {1, 1, 0});
  GifBuilder tail;
  tail.Solid(0, 0, 2, 2, 1).Trailer();
  gif.insert(gif.end(), tail.b.begin(), tail.b.end());
  const GifDecodeResult r = DecodeGif(gif);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.image.loopCount, 1);
  EXPECT_FALSE(r.image.frames[0].transparent);
}

TEST(GifHostile, CompositionOfBadFilesStaysInBounds) {
  // Decode and play every truncation of a good file through the animation.
  const Bytes full = GoodFile();
  for (std::size_t n = 0; n < full.size(); n += 3) {
    GifDecodeResult r = DecodeGif(Bytes(full.begin(), full.begin() + static_cast<long>(n)));
    if (!r.ok) continue;
    GifAnimation a;
    a.Load(std::move(r.image));
    a.SetAnimate(true);
    for (int i = 0; i < 6; ++i) a.Step();
    EXPECT_TRUE(a.HasPicture());
  }
}

}  // namespace
