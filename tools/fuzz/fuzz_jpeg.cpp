// Feeds arbitrary bytes to the JPEG loader and writes what it accepted as the
// wallpaper bitmap.
#include <cstddef>
#include <cstdint>
#include <span>

#include "images/bmp_writer.h"
#include "images/jpeg_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A smaller budget than the viewer's keeps the fuzzer's memory limit far
  // away; every path is still reached.
  sky::JpegDecodeOptions options;
  options.maxPixels = 1024u * 1024;
  options.maxScans = 64;
  const sky::JpegDecodeResult r = sky::DecodeJpeg(std::span<const std::uint8_t>(data, size), options);
  if (r.ok) {
    if (r.picture.rgb.size() != static_cast<std::size_t>(r.picture.width) * r.picture.height * 3) __builtin_trap();
    (void)sky::EncodeBmp(r.picture);
  } else if (r.error.empty()) {
    __builtin_trap();
  }
  return 0;
}
