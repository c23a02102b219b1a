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

int g_rounds = 7;
std::vector<bench::Contender> g_wallpaper;

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

void BM_WallpaperPathVsDjpegBmp(benchmark::State& state) {
  if (!bench::HaveDjpeg()) {
    state.SkipWithError("djpeg (libjpeg-turbo-progs) is missing");
    return;
  }
  const std::string jpeg = bench::LargeJpegFile();
  const std::string ours = jpeg + ".ours.bmp", former = jpeg + ".former.bmp", ref = jpeg + ".djpeg.bmp";
  const std::string cmd = "djpeg -bmp -outfile '" + ref + "' '" + jpeg + "'";
  g_wallpaper = {
      {"skyglass (file to bitmap)", [&] { return sky::ConvertJpegFileToBmp(jpeg, ours).written; }, {}, {}},
      {"skyglass before", [&] { return FormerWallpaper(jpeg, former); }, {}, {}},
      {"djpeg -bmp", [&] { return bench::RunCommand(cmd); }, {}, {}},
  };
  std::size_t round = 0;
  for (auto _ : state) {
    if (!bench::RunRound(g_wallpaper, round++)) {
      state.SkipWithError("a conversion failed");
      break;
    }
  }
  // The three files must be the same bitmap.
  auto read = [](const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  if (read(ours) != read(former)) state.SkipWithError("the bitmaps differ");
  for (const std::string& p : {ours, former, ref}) std::remove(p.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--rounds=", 9) == 0) g_rounds = std::max(1, std::atoi(argv[i] + 9));
  benchmark::RegisterBenchmark("BM_WallpaperRounds", [](benchmark::State& s) { BM_WallpaperPathVsDjpegBmp(s); })
      ->Unit(benchmark::kMillisecond)
      ->Iterations(g_rounds)
      ->UseRealTime();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (!g_wallpaper.empty() && !g_wallpaper[0].wall.empty()) {
    bench::Report("JPEG 4000 x 3000 to a bitmap file", g_wallpaper);
    std::printf("ratio (skyglass / djpeg -bmp): %.2f wall, %.2f CPU\n",
                bench::Median(g_wallpaper[0].wall) / bench::Median(g_wallpaper[2].wall),
                bench::Median(g_wallpaper[0].cpu) / bench::Median(g_wallpaper[2].cpu));
  }
  std::remove(bench::LargeJpegFile().c_str());
  return 0;
}
