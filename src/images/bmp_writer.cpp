#include "images/bmp_writer.h"

#include "common/safe_file.h"

#include <cstdio>

namespace sky {

namespace {
void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}
}  // namespace

std::vector<std::uint8_t> EncodeBmp(const RgbPicture& picture) {
  if (picture.Empty() || picture.rgb.size() < std::size_t(picture.width) * picture.height * 3) return {};
  const std::size_t w = static_cast<std::size_t>(picture.width);
  const std::size_t h = static_cast<std::size_t>(picture.height);
  const std::size_t stride = (w * 3 + 3) & ~std::size_t{3};
  const std::size_t header = 14 + 40;
  const std::size_t imageSize = stride * h;
  if (header + imageSize > 0xFFFFFFFFu) return {};  // the format's sizes are 32 bits
  std::vector<std::uint8_t> b(header + imageSize, 0);
  // BITMAPFILEHEADER
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<std::uint32_t>(b.size()));
  Put32(b, 10, static_cast<std::uint32_t>(header));
  // BITMAPINFOHEADER
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<std::uint32_t>(w));
  Put32(b, 22, static_cast<std::uint32_t>(h));  // positive: bottom-up
  Put16(b, 26, 1);                              // planes
  Put16(b, 28, 24);                             // bits per pixel
  Put32(b, 30, 0);                              // BI_RGB
  Put32(b, 34, static_cast<std::uint32_t>(imageSize));
  Put32(b, 38, 2835);  // 72 dots per inch
  Put32(b, 42, 2835);
  for (std::size_t y = 0; y < h; ++y) {
    const std::uint8_t* src = &picture.rgb[(h - 1 - y) * w * 3];
    std::uint8_t* dst = &b[header + y * stride];
    for (std::size_t x = 0; x < w; ++x, src += 3, dst += 3) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
    }
  }
  return b;
}

bool WriteBmpFile(const RgbPicture& picture, const std::string& path) {
  const std::vector<std::uint8_t> bytes = EncodeBmp(picture);
  if (bytes.empty()) return false;
  return WriteReplacing(path, bytes.data(), bytes.size());
}

}  // namespace sky
