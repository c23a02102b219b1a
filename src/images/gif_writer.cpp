#include "images/gif_writer.h"

#include <algorithm>
#include <stdexcept>

namespace sky::gif {

namespace {

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

// Bits of the colour table: 2^depth entries hold the palette.
int TableDepth(std::size_t colors) {
  if (colors > 256) throw std::invalid_argument("a GIF palette holds at most 256 colours");
  int depth = 1;
  while ((std::size_t{1} << depth) < colors) ++depth;
  return depth;
}

void CheckFrame(int width, int height, const std::vector<std::uint8_t>& pixels, int depth) {
  if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF ||
      pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
    throw std::invalid_argument("picture size does not match its pixels");
  if (depth < 8) {
    const std::uint8_t limit = static_cast<std::uint8_t>(1 << depth);
    if (std::any_of(pixels.begin(), pixels.end(), [limit](std::uint8_t p) { return p >= limit; }))
      throw std::invalid_argument("a pixel lies beyond the colour table");
  }
}

// Signature, screen descriptor and global colour table.
std::string Head(const char* version, int width, int height, std::span<const Rgb> palette, int depth) {
  std::string gif = version;
  PutU16(gif, width);
  PutU16(gif, height);
  // Global table, colour resolution and table size both `depth` bits.
  gif.push_back(static_cast<char>(0x80 | (depth - 1) << 4 | (depth - 1)));
  gif.push_back(0);  // background colour index
  gif.push_back(0);  // square pixels
  const std::size_t entries = std::size_t{1} << depth;
  for (std::size_t i = 0; i < entries; ++i) {
    const Rgb c = i < palette.size() ? palette[i] : Rgb{0, 0, 0};
    gif.push_back(static_cast<char>(c.r));
    gif.push_back(static_cast<char>(c.g));
    gif.push_back(static_cast<char>(c.b));
  }
  return gif;
}

// An image descriptor covering the screen, without a table of its own, and its data.
void PutImage(std::string& gif, int width, int height, const std::vector<std::uint8_t>& pixels, int depth) {
  const int min_code_size = std::max(2, depth);
  gif.push_back(0x2C);
  PutU16(gif, 0);
  PutU16(gif, 0);
  PutU16(gif, width);
  PutU16(gif, height);
  gif.push_back(0);  // no local table, not interlaced
  gif.push_back(static_cast<char>(min_code_size));
  const std::string data = LzwCompress(pixels, min_code_size);
  for (std::size_t pos = 0; pos < data.size(); pos += 255) {
    const std::size_t n = std::min<std::size_t>(255, data.size() - pos);
    gif.push_back(static_cast<char>(n));
    gif.append(data, pos, n);
  }
  gif.push_back(0);  // end of the image data
}

}  // namespace

std::string LzwCompress(const std::vector<std::uint8_t>& pixels, int minCodeSize) {
  if (minCodeSize < 2 || minCodeSize > 8) throw std::invalid_argument("LZW code size out of range");
  const int clear = 1 << minCodeSize;
  const int end = clear + 1;
  BitWriter out;
  // child[code * 256 + byte]: the code of string(code) + byte, or 0 for none
  // (0 is never the code of a string longer than one byte).
  std::vector<std::uint16_t> child(static_cast<std::size_t>(kMaxCodes) * 256, 0);
  int width = minCodeSize + 1;
  int next = end + 1;
  out.Put(clear, width);
  if (pixels.empty()) {
    out.Put(end, width);
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
      out.Put(clear, width);
      std::fill(child.begin(), child.end(), 0);
      width = minCodeSize + 1;
      next = end + 1;
    }
    prefix = c;
  }
  out.Put(prefix, width);
  out.Put(end, width);
  return out.Finish();
}

std::string EncodeGif(int width, int height, const std::vector<std::uint8_t>& pixels, std::span<const Rgb> palette) {
  const int depth = TableDepth(palette.size());
  CheckFrame(width, height, pixels, depth);
  std::string gif = Head("GIF87a", width, height, palette, depth);
  PutImage(gif, width, height, pixels, depth);
  gif.push_back(0x3B);  // trailer
  return gif;
}

std::string EncodeGif(int width, int height, const std::vector<std::uint8_t>& pixels, const Palette& palette) {
  return EncodeGif(width, height, pixels, std::span<const Rgb>(palette));
}

std::string EncodeGifFrames(int width, int height, const std::vector<std::vector<std::uint8_t>>& frames,
                            std::span<const Rgb> palette, int delayCentiseconds) {
  const int depth = TableDepth(palette.size());
  if (frames.empty()) throw std::invalid_argument("a GIF needs a frame");
  for (const auto& f : frames) CheckFrame(width, height, f, depth);
  std::string gif = Head("GIF89a", width, height, palette, depth);
  const bool animated = frames.size() > 1;
  // Application extension: loop for ever.
  if (animated) gif += std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
  for (const auto& f : frames) {
    if (animated) {
      gif += std::string("\x21\xF9\x04\x00", 4);  // graphic control: no disposal, no transparency
      PutU16(gif, std::clamp(delayCentiseconds, 0, 0xFFFF));
      gif += std::string("\x00\x00", 2);
    }
    PutImage(gif, width, height, f, depth);
  }
  gif.push_back(0x3B);
  return gif;
}

}  // namespace sky::gif
