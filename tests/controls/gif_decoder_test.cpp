#include "controls/gif_decoder.h"

#include <gtest/gtest.h>

#include "controls/gif_builder.h"

using namespace sky;
using namespace giftest;

namespace {

GifDecodeResult Decode(const Bytes& b, GifDecodeOptions opt = {}) { return DecodeGif(b, opt); }

TEST(GifDecoder, RoundTripsPixelsForEveryCodeSize) {
  for (int bits = 1; bits <= 8; ++bits) {
    const int colours = 1 << bits;
    // Large enough for the code table to fill up and be cleared several times.
    const Bytes pixels = Pattern(211, 97, colours, static_cast<unsigned>(bits));
    FrameDef s;
    s.width = 211;
    s.height = 97;
    s.pixels = pixels;
    const Bytes gif = GifBuilder().Header("GIF89a", 211, 97, bits).Image(s).Trailer().b;
    const GifDecodeResult r = Decode(gif);
    ASSERT_TRUE(r.ok) << bits << ": " << r.error;
    ASSERT_EQ(r.image.frames.size(), 1u);
    EXPECT_EQ(r.image.frames[0].indices, pixels) << "bits " << bits;
    EXPECT_EQ(r.image.frames[0].colorDepth, bits);
  }
}

TEST(GifDecoder, LongRunsAndWideCodes) {
  // A single colour compresses into ever longer strings (the code-equals-
  // next-slot case on every step); random noise keeps codes at 12 bits.
  Bytes flat(300 * 300, 7);
  Bytes noise(300 * 300);
  unsigned s = 99;
  for (auto& p : noise) {
    s = s * 1664525u + 1013904223u;
    p = static_cast<std::uint8_t>(s >> 24);
  }
  for (const Bytes* px : {&flat, &noise}) {
    FrameDef def;
    def.width = def.height = 300;
    def.pixels = *px;
    const GifDecodeResult r = Decode(GifBuilder().Header("GIF87a", 300, 300).Image(def).Trailer().b);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.image.frames[0].indices, *px);
  }
}

TEST(GifDecoder, InterlacedRowsComeOutInPictureOrder) {
  EXPECT_EQ(GifInterlacedRowOrder(10), (std::vector<int>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));
  EXPECT_EQ(GifInterlacedRowOrder(1), (std::vector<int>{0}));
  for (int h : {1, 2, 3, 5, 8, 9, 17, 64}) {
    FrameDef s;
    s.width = 13;
    s.height = h;
    s.interlaced = true;
    s.pixels = Pattern(13, h, 16);
    const GifDecodeResult r = Decode(GifBuilder().Header("GIF89a", 13, h, 4).Image(s).Trailer().b);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.image.frames[0].interlaced);
    EXPECT_TRUE(r.image.anyInterlaced);
    EXPECT_EQ(r.image.frames[0].indices, s.pixels) << "height " << h;
  }
}

TEST(GifDecoder, ReadsHeaderTablesAndExtensions) {
  FrameDef local;
  local.left = 2;
  local.top = 3;
  local.width = 4;
  local.height = 2;
  local.localBits = 2;
  local.localTable = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}};
  local.pixels = {0, 1, 2, 3, 3, 2, 1, 0};
  const Bytes gif = GifBuilder()
                        .Header("GIF89a", 10, 8, 3)
                        .Netscape(3)
                        .Comment("first")
                        .Gce(2, 7, true, 5)
                        .Solid(0, 0, 10, 8, 1)
                        .Gce(3, 0)
                        .Image(local)
                        .Solid(1, 1, 2, 2, 4)  // no graphic control: the defaults
                        .Trailer()
                        .b;
  const GifDecodeResult r = Decode(gif);
  ASSERT_TRUE(r.ok) << r.error;
  const GifImage& img = r.image;
  EXPECT_EQ(img.version, TGifVersion::gvGIF89a);
  EXPECT_EQ(img.loopCount, 3);
  EXPECT_EQ(img.screenWidth, 10);
  EXPECT_EQ(img.width, 10);
  EXPECT_EQ(img.height, 8);
  EXPECT_EQ(img.globalColorTable, TestPalette(3));
  ASSERT_EQ(img.frames.size(), 3u);

  const GifFrame& f1 = img.frames[0];
  EXPECT_EQ(f1.comment, "first");
  EXPECT_EQ(f1.delayMs, 70);
  EXPECT_EQ(f1.disposal, 2);
  EXPECT_TRUE(f1.transparent);
  EXPECT_EQ(f1.transparentIndex, 5);
  EXPECT_FALSE(f1.hasLocalColorTable);
  EXPECT_EQ(f1.colorTable, TestPalette(3));

  const GifFrame& f2 = img.frames[1];
  EXPECT_EQ(f2.comment, "");  // a comment belongs to the next image only
  EXPECT_EQ(f2.disposal, 3);
  EXPECT_FALSE(f2.transparent);
  EXPECT_TRUE(f2.hasLocalColorTable);
  EXPECT_EQ(f2.colorDepth, 2);
  EXPECT_EQ(f2.colorTable, local.localTable);
  EXPECT_EQ(f2.left, 2);
  EXPECT_EQ(f2.top, 3);
  EXPECT_EQ(f2.indices, local.pixels);

  const GifFrame& f3 = img.frames[2];
  EXPECT_EQ(f3.delayMs, 0);
  EXPECT_EQ(f3.disposal, 0);
  EXPECT_EQ(img.colorDepth, 3);
  EXPECT_TRUE(img.anyTransparent);
}

TEST(GifDecoder, DisposalCodesMapAndTransparencyNeedsVersion89a) {
  const int expected[8] = {0, 1, 2, 3, 2, 2, 2, 2};
  for (int d = 0; d < 8; ++d) {
    const GifDecodeResult r = Decode(GifBuilder().Header("GIF89a", 2, 2).Gce(d, 1).Solid(0, 0, 2, 2, 1).Trailer().b);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.image.frames[0].disposal, expected[d]) << d;
  }
  const GifDecodeResult old =
      Decode(GifBuilder().Header("GIF87a", 2, 2).Gce(0, 1, true, 1).Solid(0, 0, 2, 2, 1).Trailer().b);
  ASSERT_TRUE(old.ok);
  EXPECT_EQ(old.image.version, TGifVersion::gvGIF87a);
  EXPECT_FALSE(old.image.frames[0].transparent);
  EXPECT_FALSE(old.image.anyTransparent);
  EXPECT_EQ(old.image.loopCount, 1);  // no looping extension
}

TEST(GifDecoder, PictureCoversFramesOutsideTheScreen) {
  const GifDecodeResult r =
      Decode(GifBuilder().Header("GIF89a", 4, 4).Solid(0, 0, 4, 4, 1).Solid(6, 1, 3, 5, 2).Trailer().b);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.image.width, 9);
  EXPECT_EQ(r.image.height, 6);
  // A zero logical screen takes the frames' size.
  const GifDecodeResult z = Decode(GifBuilder().Header("GIF89a", 0, 0).Solid(1, 2, 3, 4, 1).Trailer().b);
  ASSERT_TRUE(z.ok);
  EXPECT_EQ(z.image.width, 4);
  EXPECT_EQ(z.image.height, 6);
}

TEST(GifDecoder, KeepsAtMost256FramesAndHonoursFirstImageOnly) {
  GifBuilder g;
  g.Header("GIF89a", 2, 2, 2);
  for (int i = 0; i < 300; ++i) g.Gce(1, 1).Solid(0, 0, 2, 2, i % 4);
  g.Trailer();
  const GifDecodeResult r = Decode(g.b);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.image.frames.size(), 256u);

  GifDecodeOptions first;
  first.firstImageOnly = true;
  const GifDecodeResult one = Decode(g.b, first);
  ASSERT_TRUE(one.ok);
  EXPECT_EQ(one.image.frames.size(), 1u);
}

TEST(GifDecoder, ProgressReportsAndCanStop) {
  GifBuilder g;
  g.Header("GIF89a", 400, 400);
  FrameDef big;
  big.width = big.height = 400;
  big.pixels = Pattern(400, 400, 256);
  g.Image(big).Solid(0, 0, 4, 4, 3).Trailer();

  std::vector<GifProgressInfo> seen;
  GifDecodeOptions opt;
  opt.progress = [&](const GifProgressInfo& p) {
    seen.push_back(p);
    return true;
  };
  ASSERT_TRUE(Decode(g.b, opt).ok);
  ASSERT_GT(seen.size(), 400u / 32);  // row reports of the big frame included
  for (std::size_t i = 1; i < seen.size(); ++i) EXPECT_GE(seen[i].bytesProcessed, seen[i - 1].bytesProcessed);
  EXPECT_EQ(seen.back().bytesProcessed, g.b.size());
  EXPECT_EQ(seen.back().percentage, 100);

  // Stopping inside the second frame keeps the first.
  int calls = 0;
  const std::size_t secondFrameAt = g.b.size() - 20;
  opt.progress = [&](const GifProgressInfo& p) {
    ++calls;
    return p.bytesProcessed < secondFrameAt;
  };
  const GifDecodeResult stopped = Decode(g.b, opt);
  EXPECT_FALSE(stopped.ok);
  EXPECT_EQ(stopped.status, kGifStopped);
  EXPECT_EQ(stopped.image.frames.size(), 1u);

  // Stopping at once leaves nothing.
  opt.progress = [](const GifProgressInfo&) { return false; };
  const GifDecodeResult none = Decode(g.b, opt);
  EXPECT_EQ(none.status, kGifStopped);
  EXPECT_TRUE(none.image.frames.empty());
}

TEST(GifDecoder, FormDataIsLengthPrefixed) {
  const Bytes gif = GifBuilder().Header("GIF87a", 1, 1).Solid(0, 0, 1, 1, 0).Trailer().b;
  const Bytes block = EncodeGifFormData(gif);
  ASSERT_EQ(block.size(), gif.size() + 4);
  EXPECT_EQ(block[0] | (block[1] << 8) | (block[2] << 16) | (block[3] << 24), static_cast<int>(gif.size()));
  Bytes back;
  ASSERT_TRUE(DecodeGifFormData(block, back));
  EXPECT_EQ(back, gif);
  Bytes untouched{1, 2};
  EXPECT_FALSE(DecodeGifFormData(Bytes(block.begin(), block.end() - 1), untouched));
  EXPECT_EQ(untouched, (Bytes{1, 2}));
  EXPECT_FALSE(DecodeGifFormData(Bytes{1, 0}, untouched));
}

}  // namespace
