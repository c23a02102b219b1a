#include "images/gif_writer.h"

#include <stdexcept>

namespace sky::gif {

namespace {

constexpr int kMinCodeSize = 8;
constexpr int kClear = 1 << kMinCodeSize;
constexpr int kEnd = kClear + 1;
constexpr int kMaxCodes = 4096;

class BitWriter {
 public:
  void Put(int code, int width) {
    acc_ |= static_cast<std::uint32_t>(code) << bits_;
    bits_ += width;
    while (bits_ >= 8) {
      out_.push_back(static_cast<char>(acc_ & 0xFF));
      acc_ >>= 8;
      bits_ -= 8;
    }
  }
  std::string Finish() {
    if (bits_ > 0) out_.push_back(static_cast<char>(acc_ & 0xFF));
    acc_ = 0;
    bits_ = 0;
    return std::move(out_);
  }

 private:
  std::string out_;
  std::uint32_t acc_ = 0;
  int bits_ = 0;
};

void PutU16(std::string& s, int v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>((v >> 8) & 0xFF));
}

}  // namespace

std::string LzwCompress(const std::vector<std::uint8_t>& pixels) {
  BitWriter out;
  // child[code * 256 + byte]: the code of string(code) + byte, or 0 for none
  // (0 is never the code of a string longer than one byte).
  std::vector<std::uint16_t> child(static_cast<std::size_t>(kMaxCodes) * 256, 0);
  int width = kMinCodeSize + 1;
  int next = kEnd + 1;
  out.Put(kClear, width);
  if (pixels.empty()) {
    out.Put(kEnd, width);
    return out.Finish();
  }
  int prefix = pixels[0];
  for (std::size_t i = 1; i < pixels.size(); ++i) {
    const std::uint8_t c = pixels[i];
    const std::size_t slot = static_cast<std::size_t>(prefix) * 256 + c;
    if (child[slot] != 0) {
      prefix = child[slot];
      continue;
    }
    out.Put(prefix, width);
    if (next < kMaxCodes) {
      child[slot] = static_cast<std::uint16_t>(next);
      // The reader adds each entry one code later than we do, so it widens
      // its codes once the entry numbered 2^width exists on both sides.
      if (next == (1 << width) && width < 12) ++width;
      ++next;
    }
    if (next == kMaxCodes) {
      out.Put(kClear, width);
      std::fill(child.begin(), child.end(), 0);
      width = kMinCodeSize + 1;
      next = kEnd + 1;
    }
    prefix = c;
  }
  out.Put(prefix, width);
  out.Put(kEnd, width);
  return out.Finish();
}

std::string EncodeGif(int width, int height, const std::vector<std::uint8_t>& pixels, const Palette& palette) {
  if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF ||
      pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
    throw std::invalid_argument("picture size does not match its pixels");

  std::string gif = "GIF87a";
  PutU16(gif, width);
  PutU16(gif, height);
  gif.push_back(static_cast<char>(0xF7));  // global table, 8 bits of colour, 256 entries
  gif.push_back(0);                        // background colour index
  gif.push_back(0);                        // square pixels
  for (const Rgb& c : palette) {
    gif.push_back(static_cast<char>(c.r));
    gif.push_back(static_cast<char>(c.g));
    gif.push_back(static_cast<char>(c.b));
  }
  gif.push_back(0x2C);  // image descriptor: whole screen, no local table, not interlaced
  PutU16(gif, 0);
  PutU16(gif, 0);
  PutU16(gif, width);
  PutU16(gif, height);
  gif.push_back(0);
  gif.push_back(static_cast<char>(kMinCodeSize));
  const std::string data = LzwCompress(pixels);
  for (std::size_t pos = 0; pos < data.size(); pos += 255) {
    const std::size_t n = std::min<std::size_t>(255, data.size() - pos);
    gif.push_back(static_cast<char>(n));
    gif.append(data, pos, n);
  }
  gif.push_back(0);     // end of the image data
  gif.push_back(0x3B);  // trailer
  return gif;
}

}  // namespace sky::gif
