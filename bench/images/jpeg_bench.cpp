// One large JPEG picture (4000 x 3000, a camera's full size) through the
// wallpaper's path, file to bitmap file, against libjpeg-turbo's
// `djpeg -bmp` writing the same file (its time includes starting the
// process), and the way the program did it before (the file read a byte at
// a time, the whole picture decoded, then swapped into a second buffer and
// written), all three in turn in every round. Also the bare decoder.
//   bench_jpeg [--rounds=N]   (default 7)
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "images/bmp_writer.h"
#include "images/jpeg_loader.h"
#include "large_jpeg.h"

namespace {

void BM_JpegLoader(benchmark::State& state) {
  const auto& bytes = bench::LargeJpeg();
  for (auto _ : state) {
    sky::JpegDecodeResult r = sky::DecodeJpeg(bytes);
    if (!r.ok) state.SkipWithError(r.error.c_str());
    benchmark::DoNotOptimize(r.picture.rgb.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
  state.counters["megapixels"] = bench::kWidth * bench::kHeight / 1e6;
}
BENCHMARK(BM_JpegLoader)->Unit(benchmark::kMillisecond)->UseRealTime();

// The former path of the wallpaper, kept here as the "before" figure.
bool FormerWallpaper(const std::string& jpeg, const std::string& bmp) {
  std::ifstream in(jpeg, std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const sky::JpegDecodeResult r = sky::DecodeJpeg(bytes);
  return r.ok && sky::WriteBmpFile(r.picture, bmp);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string jpeg = bench::LargeJpegFile();
  const std::string ours = jpeg + ".ours.bmp", former = jpeg + ".former.bmp", ref = jpeg + ".djpeg.bmp";
  bench::Rounds r;
  r.name = "BM_WallpaperRounds";
  r.title = "JPEG 4000 x 3000 to a bitmap file";
  r.ratio = "skyglass / djpeg -bmp";
  r.contenders = [&]() -> std::vector<bench::Contender> {
    const std::string cmd = "djpeg -bmp -outfile '" + ref + "' '" + jpeg + "'";
    return {
        {"skyglass (file to bitmap)", [&] { return sky::ConvertJpegFileToBmp(jpeg, ours).written; }, {}, {}},
        {"skyglass before", [&] { return FormerWallpaper(jpeg, former); }, {}, {}},
        {"djpeg -bmp", [cmd] { return bench::RunCommand(cmd); }, {}, {}},
    };
  };
  // The bitmaps of the former and the present path must be the same.
  r.check = [&] {
    auto read = [](const std::string& p) {
      std::ifstream in(p, std::ios::binary);
      return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    const bool same = read(ours) == read(former);
    for (const std::string& p : {ours, former, ref}) std::remove(p.c_str());
    return same ? std::string() : std::string("the bitmaps differ");
  };
  return bench::RunRounds(argc, argv, r);
}
