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

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const std::string jpeg = bench::LargeJpegFile();
  bench::Rounds r;
  r.name = "BM_ViewerRounds";
  r.title = "JPEG 4000 x 3000 to the viewer's pixmap";
  r.ratio = "skyglass / djpeg";
  r.contenders = [&]() -> std::vector<bench::Contender> {
    const std::string cmd = "djpeg -outfile /dev/null '" + jpeg + "'";
    return {
        {"skyglass (file to pixmap)", [&] { return Ours(jpeg); }, {}, {}},
        {"skyglass before", [&] { return Former(jpeg); }, {}, {}},
        {"djpeg -outfile /dev/null", [cmd] { return bench::RunCommand(cmd); }, {}, {}},
    };
  };
  return bench::RunRounds(argc, argv, r);
}
