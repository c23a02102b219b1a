#include "images/bmp_writer.h"

#include "common/safe_file.h"

#include <cstdio>
#include <cstring>

namespace sky {

namespace {
void Put16(std::uint8_t* b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}
}  // namespace

std::size_t BmpStride(std::size_t width) { return (width * 3 + 3) & ~std::size_t{3}; }

bool BmpHeader(std::size_t w, std::size_t h, std::array<std::uint8_t, kBmpHeaderSize>& header) {
  const std::size_t imageSize = BmpStride(w) * h;
  if (kBmpHeaderSize + imageSize > 0xFFFFFFFFu) return false;  // the format's sizes are 32 bits
  std::uint8_t* b = header.data();
  header.fill(0);
  // BITMAPFILEHEADER
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<std::uint32_t>(kBmpHeaderSize + imageSize));
  Put32(b, 10, static_cast<std::uint32_t>(kBmpHeaderSize));
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
  return true;
}

std::vector<std::uint8_t> EncodeBmp(const RgbPicture& picture) {
  const std::size_t pixelBytes = picture.BytesPerPixel();
  if (picture.Empty() || picture.rgb.size() < std::size_t(picture.width) * picture.height * pixelBytes) return {};
  const std::size_t w = static_cast<std::size_t>(picture.width);
  const std::size_t h = static_cast<std::size_t>(picture.height);
  const std::size_t stride = BmpStride(w);
  std::array<std::uint8_t, kBmpHeaderSize> header;
  if (!BmpHeader(w, h, header)) return {};
  std::vector<std::uint8_t> b(kBmpHeaderSize + stride * h, 0);
  std::memcpy(b.data(), header.data(), header.size());
  const bool bgrx = picture.order == PixelOrder::Bgrx;
  for (std::size_t y = 0; y < h; ++y) {
    const std::uint8_t* src = &picture.rgb[(h - 1 - y) * w * pixelBytes];
    std::uint8_t* dst = &b[kBmpHeaderSize + y * stride];
    for (std::size_t x = 0; x < w; ++x, src += pixelBytes, dst += 3) {
      dst[0] = bgrx ? src[0] : src[2];
      dst[1] = src[1];
      dst[2] = bgrx ? src[2] : src[0];
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
