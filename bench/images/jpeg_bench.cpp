// Decoding one large JPEG picture (4000 x 3000, a camera's full size): our
// loader in the process, and libjpeg-turbo's djpeg as a separate program
// writing to /dev/null (its time includes starting the process).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "images/jpeg_loader.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

// A smooth picture with some detail, written once with libjpeg (quality 85).
const std::vector<std::uint8_t>& LargeJpeg() {
  static const std::vector<std::uint8_t> bytes = [] {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(kWidth) * kHeight * 3);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * kWidth + x) * 3];
        p[0] = static_cast<std::uint8_t>(128 + 100 * std::sin(x * 0.01) * std::cos(y * 0.013));
        p[1] = static_cast<std::uint8_t>((x ^ y) & 0xFF);
        p[2] = static_cast<std::uint8_t>(y * 255 / kHeight);
      }
    jpeg_compress_struct c{};
    jpeg_error_mgr e{};
    c.err = jpeg_std_error(&e);
    jpeg_create_compress(&c);
    unsigned char* buf = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buf, &size);
    c.image_width = kWidth;
    c.image_height = kHeight;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 85, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
      JSAMPROW row = &rgb[static_cast<std::size_t>(c.next_scanline) * kWidth * 3];
      jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<std::uint8_t> out(buf, buf + size);
    jpeg_destroy_compress(&c);
    std::free(buf);
    return out;
  }();
  return bytes;
}

const std::string& LargeJpegFile() {
  static const std::string path = [] {
    std::string p = "/tmp/skyglass-bench-large.jpg";
    std::FILE* f = std::fopen(p.c_str(), "wb");
    std::fwrite(LargeJpeg().data(), 1, LargeJpeg().size(), f);
    std::fclose(f);
    return p;
  }();
  return path;
}

void BM_JpegLoader(benchmark::State& state) {
  const auto& bytes = LargeJpeg();
  for (auto _ : state) {
    sky::JpegDecodeResult r = sky::DecodeJpeg(bytes);
    if (!r.ok) state.SkipWithError(r.error.c_str());
    benchmark::DoNotOptimize(r.picture.rgb.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
  state.counters["megapixels"] = kWidth * kHeight / 1e6;
}
BENCHMARK(BM_JpegLoader)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Djpeg(benchmark::State& state) {
  const std::string cmd = "djpeg -outfile /dev/null " + LargeJpegFile();
  if (std::system("djpeg -version >/dev/null 2>&1") != 0) {
    state.SkipWithError("djpeg (libjpeg-turbo-progs) is missing");
    return;
  }
  for (auto _ : state) {
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("djpeg failed");
  }
}
BENCHMARK(BM_Djpeg)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
