// A tiny GIF writer for the tests: builds files block by block, so that odd
// and broken files can be made as easily as good ones.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "controls/gif_decoder.h"

namespace giftest {

using Bytes = std::vector<std::uint8_t>;

// LZW-codes `pixels` the way GIF encoders do (clear first, widths growing to
// 12 bits, a clear when the table is full, end code last).
inline Bytes LzwEncode(const Bytes& pixels, int minCode) {
  Bytes out;
  std::uint32_t acc = 0;
  int nbits = 0;
  const unsigned clear = 1u << minCode, eoi = clear + 1;
  int width = minCode + 1;
  auto put = [&](unsigned code) {
    acc |= code << nbits;
    nbits += width;
    while (nbits >= 8) {
      out.push_back(static_cast<std::uint8_t>(acc));
      acc >>= 8;
      nbits -= 8;
    }
  };
  std::map<std::pair<unsigned, unsigned>, unsigned> dict;
  unsigned next = eoi + 1;
  put(clear);
  if (!pixels.empty()) {
    unsigned cur = pixels[0];
    for (std::size_t i = 1; i < pixels.size(); ++i) {
      const unsigned k = pixels[i];
      auto it = dict.find({cur, k});
      if (it != dict.end()) {
        cur = it->second;
        continue;
      }
      put(cur);
      dict[{cur, k}] = next++;
      if (next > (1u << width) && width < 12) ++width;
      if (next == 4096) {
        put(clear);
        dict.clear();
        next = eoi + 1;
        width = minCode + 1;
      }
      cur = k;
    }
    put(cur);
  }
  put(eoi);
  if (nbits > 0) out.push_back(static_cast<std::uint8_t>(acc));
  return out;
}

inline Bytes SubBlocks(const Bytes& data) {
  Bytes out;
  for (std::size_t i = 0; i < data.size(); i += 255) {
    const std::size_t n = std::min<std::size_t>(255, data.size() - i);
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), data.begin() + i, data.begin() + i + n);
  }
  out.push_back(0);
  return out;
}

// A palette of 2^bits colours: entry i is (i, 255 - i, i * 7 mod 256).
inline std::vector<sky::GifColor> TestPalette(int bits) {
  std::vector<sky::GifColor> p(std::size_t{1} << bits);
  for (std::size_t i = 0; i < p.size(); ++i)
    p[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(i * 7)};
  return p;
}

struct FrameDef {
  int left = 0, top = 0, width = 0, height = 0;
  Bytes pixels;  // top row first, not interlaced
  bool interlaced = false;
  int localBits = 0;  // 0: no local colour table
  std::vector<sky::GifColor> localTable;
  int minCode = 0;  // 0: chosen from the colours
};

class GifBuilder {
 public:
  Bytes b;

  GifBuilder& Header(const char* version, int w, int h, int globalBits = 8) {
    Raw(version);
    U16(w);
    U16(h);
    b.push_back(static_cast<std::uint8_t>(globalBits ? 0x80 | 0x70 | (globalBits - 1) : 0x70));
    b.push_back(0);  // background
    b.push_back(0);  // aspect
    if (globalBits)
      for (const auto& c : TestPalette(globalBits)) b.insert(b.end(), {c.r, c.g, c.b});
    return *this;
  }
  GifBuilder& Gce(int disposal, int delayCs, bool transparent = false, int index = 0) {
    b.insert(b.end(), {0x21, 0xF9, 4});
    b.push_back(static_cast<std::uint8_t>((disposal << 2) | (transparent ? 1 : 0)));
    U16(delayCs);
    b.push_back(static_cast<std::uint8_t>(index));
    b.push_back(0);
    return *this;
  }
  GifBuilder& Comment(const std::string& text) {
    b.insert(b.end(), {0x21, 0xFE});
    Append(SubBlocks(Bytes(text.begin(), text.end())));
    return *this;
  }
  GifBuilder& Netscape(int loops) {
    b.insert(b.end(), {0x21, 0xFF, 11});
    Raw("NETSCAPE2.0");
    b.insert(b.end(), {3, 1});
    U16(loops);
    b.push_back(0);
    return *this;
  }
  GifBuilder& Image(const FrameDef& s) {
    b.push_back(0x2C);
    U16(s.left);
    U16(s.top);
    U16(s.width);
    U16(s.height);
    std::uint8_t packed = s.interlaced ? 0x40 : 0;
    if (s.localBits) packed |= 0x80 | (s.localBits - 1);
    b.push_back(packed);
    if (s.localBits) {
      auto table = s.localTable.empty() ? TestPalette(s.localBits) : s.localTable;
      table.resize(std::size_t{1} << s.localBits);
      for (const auto& c : table) b.insert(b.end(), {c.r, c.g, c.b});
    }
    int minCode = s.minCode;
    if (!minCode) {
      int maxIndex = 0;
      for (auto p : s.pixels) maxIndex = std::max<int>(maxIndex, p);
      minCode = 2;
      while ((1 << minCode) <= maxIndex) ++minCode;
    }
    Bytes stored = s.pixels;
    if (s.interlaced) {
      const auto order = sky::GifInterlacedRowOrder(s.height);
      for (std::size_t i = 0; i < order.size(); ++i)
        std::copy_n(&s.pixels[static_cast<std::size_t>(order[i]) * s.width], s.width, &stored[i * s.width]);
    }
    b.push_back(static_cast<std::uint8_t>(minCode));
    Append(SubBlocks(LzwEncode(stored, minCode)));
    return *this;
  }
  // A frame of one colour.
  GifBuilder& Solid(int left, int top, int w, int h, int index) {
    FrameDef s;
    s.left = left;
    s.top = top;
    s.width = w;
    s.height = h;
    s.pixels.assign(static_cast<std::size_t>(w) * h, static_cast<std::uint8_t>(index));
    return Image(s);
  }
  GifBuilder& Trailer() {
    b.push_back(0x3B);
    return *this;
  }
  GifBuilder& Raw(const char* s) {
    while (*s) b.push_back(static_cast<std::uint8_t>(*s++));
    return *this;
  }
  GifBuilder& Append(const Bytes& more) {
    b.insert(b.end(), more.begin(), more.end());
    return *this;
  }
  GifBuilder& U16(int v) {
    b.push_back(static_cast<std::uint8_t>(v & 0xFF));
    b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    return *this;
  }
};

// Pixels with a pattern that exercises long and short LZW strings.
inline Bytes Pattern(int w, int h, int colours, unsigned seed = 1) {
  Bytes p(static_cast<std::size_t>(w) * h);
  unsigned s = seed;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      s = s * 1103515245u + 12345u;
      const int noise = ((s >> 16) % 7 == 0) ? static_cast<int>((s >> 8) % colours) : 0;
      p[static_cast<std::size_t>(y) * w + x] = static_cast<std::uint8_t>(((x / 5 + y / 3) + noise) % colours);
    }
  return p;
}

}  // namespace giftest
