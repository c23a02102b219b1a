// One large JPEG picture (4000 x 3000) through the viewer's path, from the
// file to the pixmap the viewer shows, against libjpeg-turbo's
// `djpeg -outfile /dev/null` (its time includes starting the process), and
// the way the program did it before (the file read a byte at a time, red
// first pixels copied and then converted by Qt), in turn in every round.
//   bench_viewer [--rounds=N]   (default 7; offscreen unless a platform is set)
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <cstring>
#include <fstream>
#include <iterator>

#include "images/Unit_frmImage.h"
#include "images/jpeg_loader.h"
#include "large_jpeg.h"

namespace {

int g_rounds = 7;
std::vector<bench::Contender> g_viewer;

bool Former(const std::string& jpeg) {
  std::ifstream in(jpeg, std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const sky::JpegDecodeResult r = sky::DecodeJpeg(bytes);
  if (!r.ok) return false;
  const QImage image(r.picture.rgb.data(), r.picture.width, r.picture.height, r.picture.width * 3,
                     QImage::Format_RGB888);
  const QPixmap pixmap = QPixmap::fromImage(image.copy());
  return !pixmap.isNull();
}

bool Ours(const std::string& jpeg) {
  sky::JpegDecodeOptions options;
  options.order = sky::PixelOrder::Bgrx;
  sky::JpegDecodeResult r = sky::LoadJpegFile(jpeg, options);
  if (!r.ok) return false;
  const QPixmap pixmap = sky::ui::PixmapOfPicture(std::move(r.picture));
  return !pixmap.isNull() && pixmap.width() == bench::kWidth;
}

void BM_ViewerPathVsDjpeg(benchmark::State& state) {
  if (!bench::HaveDjpeg()) {
    state.SkipWithError("djpeg (libjpeg-turbo-progs) is missing");
    return;
  }
  const std::string jpeg = bench::LargeJpegFile();
  const std::string cmd = "djpeg -outfile /dev/null '" + jpeg + "'";
  g_viewer = {
      {"skyglass (file to pixmap)", [&] { return Ours(jpeg); }, {}, {}},
      {"skyglass before", [&] { return Former(jpeg); }, {}, {}},
      {"djpeg -outfile /dev/null", [&] { return bench::RunCommand(cmd); }, {}, {}},
  };
  std::size_t round = 0;
  for (auto _ : state) {
    if (!bench::RunRound(g_viewer, round++)) {
      state.SkipWithError("a decode failed");
      break;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--rounds=", 9) == 0) g_rounds = std::max(1, std::atoi(argv[i] + 9));
  benchmark::RegisterBenchmark("BM_ViewerRounds", BM_ViewerPathVsDjpeg)
      ->Unit(benchmark::kMillisecond)
      ->Iterations(g_rounds)
      ->UseRealTime();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (!g_viewer.empty() && !g_viewer[0].wall.empty()) {
    bench::Report("JPEG 4000 x 3000 to the viewer's pixmap", g_viewer);
    std::printf("ratio (skyglass / djpeg): %.2f wall, %.2f CPU\n",
                bench::Median(g_viewer[0].wall) / bench::Median(g_viewer[2].wall),
                bench::Median(g_viewer[0].cpu) / bench::Median(g_viewer[2].cpu));
  }
  std::remove(bench::LargeJpegFile().c_str());
  return 0;
}
