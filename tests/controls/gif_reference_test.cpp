// Our decoder against giflib on real files from Debian packages and a few
// made ones (tests/data/gif), and on files built here with the rarer features.
#include <gif_lib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "controls/gif_builder.h"
#include "controls/gif_decoder.h"

using namespace sky;
using namespace giftest;

namespace {

struct MemSource {
  const Bytes* data;
  std::size_t pos = 0;
};

int ReadMem(GifFileType* gif, GifByteType* buf, int n) {
  auto* src = static_cast<MemSource*>(gif->UserData);
  const std::size_t take = std::min<std::size_t>(static_cast<std::size_t>(n), src->data->size() - src->pos);
  std::memcpy(buf, src->data->data() + src->pos, take);
  src->pos += take;
  return static_cast<int>(take);
}

struct Reference {
  bool ok = false;
  int frames = 0;
  std::vector<Bytes> indices;
  std::vector<std::pair<int, int>> sizes;
  std::vector<GraphicsControlBlock> controls;
  std::vector<std::vector<GifColor>> tables;
};

Reference DecodeWithGiflib(const Bytes& bytes) {
  Reference ref;
  MemSource src{&bytes};
  int err = 0;
  GifFileType* gif = DGifOpen(&src, ReadMem, &err);
  if (!gif) return ref;
  if (DGifSlurp(gif) == GIF_OK) {
    ref.ok = true;
    ref.frames = gif->ImageCount;
    for (int i = 0; i < gif->ImageCount; ++i) {
      const SavedImage& s = gif->SavedImages[i];
      const std::size_t n = static_cast<std::size_t>(s.ImageDesc.Width) * s.ImageDesc.Height;
      ref.indices.emplace_back(s.RasterBits, s.RasterBits + n);
      ref.sizes.emplace_back(s.ImageDesc.Width, s.ImageDesc.Height);
      GraphicsControlBlock gcb{};
      DGifSavedExtensionToGCB(gif, i, &gcb);
      ref.controls.push_back(gcb);
      const ColorMapObject* map = s.ImageDesc.ColorMap ? s.ImageDesc.ColorMap : gif->SColorMap;
      std::vector<GifColor> table;
      for (int c = 0; map && c < map->ColorCount; ++c)
        table.push_back({map->Colors[c].Red, map->Colors[c].Green, map->Colors[c].Blue});
      ref.tables.push_back(std::move(table));
    }
  }
  DGifCloseFile(gif, &err);
  return ref;
}

void ExpectSameAsGiflib(const Bytes& bytes, const std::string& name) {
  const Reference ref = DecodeWithGiflib(bytes);
  ASSERT_TRUE(ref.ok) << name << ": giflib cannot read it";
  const GifDecodeResult ours = DecodeGif(bytes);
  ASSERT_TRUE(ours.ok) << name << ": " << ours.error;
  ASSERT_EQ(static_cast<int>(ours.image.frames.size()), std::min(ref.frames, kGifMaxFrames)) << name;
  for (std::size_t i = 0; i < ours.image.frames.size(); ++i) {
    const GifFrame& f = ours.image.frames[i];
    ASSERT_EQ(std::make_pair(f.width, f.height), ref.sizes[i]) << name << " frame " << i + 1;
    const Bytes& want = ref.indices[i];
    ASSERT_EQ(f.indices.size(), want.size());
    const auto diff = std::mismatch(f.indices.begin(), f.indices.end(), want.begin());
    EXPECT_TRUE(diff.first == f.indices.end())
        << name << " frame " << i + 1 << " differs at pixel " << (diff.first - f.indices.begin());

    const GraphicsControlBlock& gcb = ref.controls[i];
    EXPECT_EQ(f.delayMs, gcb.DelayTime * 10) << name;
    const int disposal = gcb.DisposalMode;
    EXPECT_EQ(f.disposal, disposal == 0 || disposal == 1 || disposal == 3 ? disposal : 2) << name;
    if (ours.image.version == TGifVersion::gvGIF89a) {
      EXPECT_EQ(f.transparent, gcb.TransparentColor != NO_TRANSPARENT_COLOR) << name;
      if (f.transparent) {
        EXPECT_EQ(f.transparentIndex, gcb.TransparentColor) << name;
      }
    } else {
      EXPECT_FALSE(f.transparent) << name;
    }
    EXPECT_EQ(f.colorTable, ref.tables[i]) << name << " frame " << i + 1;
  }
}

Bytes ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(GifReference, DebianCorpusMatchesGiflib) {
  const std::filesystem::path dir = std::filesystem::path(SKYGLASS_TEST_DATA) / "gif";
  int files = 0, animated = 0, interlaced = 0, transparent = 0, old = 0, localTables = 0, restoring = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() != ".gif") continue;
    const Bytes bytes = ReadFile(entry.path());
    ExpectSameAsGiflib(bytes, entry.path().filename().string());
    const GifDecodeResult r = DecodeGif(bytes);
    ++files;
    animated += r.image.frames.size() > 1;
    interlaced += r.image.anyInterlaced;
    transparent += r.image.anyTransparent;
    old += r.image.version == TGifVersion::gvGIF87a;
    localTables += std::any_of(r.image.frames.begin(), r.image.frames.end(),
                               [](const GifFrame& f) { return f.hasLocalColorTable; });
    restoring +=
        std::any_of(r.image.frames.begin(), r.image.frames.end(), [](const GifFrame& f) { return f.disposal >= 2; });
  }
  // The corpus holds every kind the tests rely on.
  EXPECT_GE(files, 30);
  EXPECT_GE(animated, 2);
  EXPECT_GE(interlaced, 2);
  EXPECT_GE(transparent, 10);
  EXPECT_GE(old, 10);
  EXPECT_GE(localTables, 2);
  EXPECT_GE(restoring, 2);
}

TEST(GifReference, MadeFilesMatchGiflib) {
  // Local colour tables, interlacing, odd sizes and offsets, every code size.
  for (int bits = 1; bits <= 8; ++bits) {
    GifBuilder g;
    g.Header("GIF89a", 97, 61, bits == 8 ? 0 : bits).Netscape(0);
    for (int i = 0; i < 3; ++i) {
      FrameDef s;
      s.left = i * 7;
      s.top = i * 3;
      s.width = 97 - i * 7;
      s.height = 61 - i * 3;
      s.interlaced = (i + bits) % 2 == 1;
      s.localBits = (bits == 8 || i == 1) ? bits : 0;
      s.pixels = Pattern(s.width, s.height, 1 << bits, static_cast<unsigned>(bits * 10 + i));
      g.Gce(i, 5, i == 2, 1).Image(s);
    }
    ExpectSameAsGiflib(g.Trailer().b, "made, " + std::to_string(bits) + " bits");
  }
}

}  // namespace
