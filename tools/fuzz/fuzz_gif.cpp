// Feeds arbitrary bytes to the GIF decoder, then plays what it accepted
// through the composition and animation code.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "controls/gif_animation.h"
#include "controls/gif_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);

  // Smaller limits than the control's, so that the fuzzer's memory limit
  // stays far away while every code path is still reached.
  sky::GifDecodeOptions opt;
  opt.maxPixels = 256u * 1024;
  opt.maxTotalPixels = 1024u * 1024;
  int calls = 0;
  opt.progress = [&](const sky::GifProgressInfo& p) {
    // Stop now and then, depending on the input, to cover interrupted loads.
    return !(size > 0 && ++calls == 1 + data[size - 1] % 64 && (data[0] & 1));
  };
  sky::GifDecodeResult r = sky::DecodeGif(bytes, opt);

  if (r.ok && !r.image.frames.empty()) {
    const int w = r.image.width, h = r.image.height;
    sky::GifAnimation a;
    a.Load(std::move(r.image));
    a.SetAnimate(true);
    a.SetSpeed(size % 300);
    const int steps = a.FrameCount() * 2 + 2;
    for (int i = 0; i < steps && i < 64; ++i) a.Step();
    if (a.FrameCount() > 1) a.SetCurrentFrame(1 + static_cast<int>(size % static_cast<std::size_t>(a.FrameCount())));
    a.SetAnimate(false);
    std::vector<std::uint32_t> argb = a.Canvas().ToArgb(true);
    sky::GifPlacement p;
    p.stretchRatio = (size & 1) != 0;
    p.center = (size & 2) != 0;
    sky::GifPlacementRect(w, h, static_cast<int>(size % 500), static_cast<int>(size % 333), p);
  }

  // The LZW decoder on its own, with the first byte as the code size.
  if (size > 2) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(data[1]) * 17 + 1);
    sky::DecodeGifLzw(bytes.subspan(2), data[0] % 16, out);
  }
  return 0;
}
