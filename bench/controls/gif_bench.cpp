// Decoding speed of the GIF decoder against giflib on the same files, made
// at start with giflib's encoder: one large still picture (2000 x 2000) and
// an animation of many frames.
#include <gif_lib.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "controls/gif_decoder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

int WriteMem(GifFileType* gif, const GifByteType* buf, int n) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), buf, buf + n);
  return n;
}

// Photo-like content: smooth shading with some noise, so that the LZW codes
// reach 12 bits and the table is cleared now and then.
std::uint8_t Pixel(int x, int y, int frame, unsigned& seed) {
  seed = seed * 1103515245u + 12345u;
  const int noise = ((seed >> 16) & 15) < 3 ? static_cast<int>((seed >> 8) & 7) : 0;
  return static_cast<std::uint8_t>(((x + frame * 3) / 6 + (y * y) / 900 + noise) & 255);
}

Bytes Encode(int w, int h, int frames) {
  Bytes out;
  int err = 0;
  GifFileType* gif = EGifOpen(&out, WriteMem, &err);
  if (!gif) throw std::runtime_error("EGifOpen");
  EGifSetGifVersion(gif, true);
  std::vector<GifColorType> colours(256);
  for (int i = 0; i < 256; ++i)
    colours[i] = {static_cast<GifByteType>(i), static_cast<GifByteType>(255 - i), static_cast<GifByteType>(i * 3)};
  ColorMapObject* map = GifMakeMapObject(256, colours.data());
  EGifPutScreenDesc(gif, w, h, 8, 0, map);
  if (frames > 1) {
    const GifByteType loop[3] = {1, 0, 0};
    EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
    EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0");
    EGifPutExtensionBlock(gif, 3, loop);
    EGifPutExtensionTrailer(gif);
  }
  std::vector<GifPixelType> line(static_cast<std::size_t>(w));
  unsigned seed = 7;
  for (int f = 0; f < frames; ++f) {
    const GifByteType gce[4] = {0x04, 5, 0, 0};
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, gce);
    EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) line[static_cast<std::size_t>(x)] = Pixel(x, y, f, seed);
      EGifPutLine(gif, line.data(), w);
    }
  }
  EGifCloseFile(gif, &err);
  GifFreeMapObject(map);
  return out;
}

const Bytes& Large() {
  static const Bytes b = Encode(2000, 2000, 1);
  return b;
}
const Bytes& Animated() {
  static const Bytes b = Encode(200, 150, 200);
  return b;
}

struct MemSource {
  const Bytes* data;
  std::size_t pos;
};

int ReadMem(GifFileType* gif, GifByteType* buf, int n) {
  auto* src = static_cast<MemSource*>(gif->UserData);
  const std::size_t take = std::min<std::size_t>(static_cast<std::size_t>(n), src->data->size() - src->pos);
  std::memcpy(buf, src->data->data() + src->pos, take);
  src->pos += take;
  return static_cast<int>(take);
}

void RunOurs(benchmark::State& state, const Bytes& file, std::int64_t pixels) {
  for (auto _ : state) {
    sky::GifDecodeResult r = sky::DecodeGif(file);
    if (!r.ok) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(r.image.frames.data());
  }
  state.SetItemsProcessed(state.iterations() * pixels);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(file.size()));
}

void RunGiflib(benchmark::State& state, const Bytes& file, std::int64_t pixels) {
  for (auto _ : state) {
    MemSource src{&file, 0};
    int err = 0;
    GifFileType* gif = DGifOpen(&src, ReadMem, &err);
    if (!gif || DGifSlurp(gif) != GIF_OK) state.SkipWithError("giflib failed");
    benchmark::DoNotOptimize(gif->SavedImages);
    DGifCloseFile(gif, &err);
  }
  state.SetItemsProcessed(state.iterations() * pixels);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(file.size()));
}

void BM_GifLarge_Ours(benchmark::State& s) { RunOurs(s, Large(), 2000 * 2000); }
void BM_GifLarge_Giflib(benchmark::State& s) { RunGiflib(s, Large(), 2000 * 2000); }
void BM_GifAnimated_Ours(benchmark::State& s) { RunOurs(s, Animated(), 200 * 150 * 200); }
void BM_GifAnimated_Giflib(benchmark::State& s) { RunGiflib(s, Animated(), 200 * 150 * 200); }

BENCHMARK(BM_GifLarge_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifLarge_Giflib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifAnimated_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifAnimated_Giflib)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
