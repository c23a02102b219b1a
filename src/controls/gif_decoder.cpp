#include "controls/gif_decoder.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace sky {

namespace {

constexpr int kMaxCodeBits = 12;
constexpr int kTableSize = 1 << kMaxCodeBits;

// Bounds-checked reader over the file bytes. Every read either succeeds
// whole or leaves `ok` false; nothing ever reads past the end.
class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> b) : b_(b) {}
  std::size_t Pos() const { return pos_; }
  std::size_t Size() const { return b_.size(); }
  std::size_t Left() const { return b_.size() - pos_; }
  bool AtEnd() const { return pos_ >= b_.size(); }
  void SkipToEnd() { pos_ = b_.size(); }
  bool Byte(std::uint8_t& v) {
    if (pos_ >= b_.size()) return false;
    v = b_[pos_++];
    return true;
  }
  bool Bytes(std::size_t n, const std::uint8_t*& p) {
    if (Left() < n) return false;
    p = b_.data() + pos_;
    pos_ += n;
    return true;
  }
  // Steps over data sub-blocks up to and including the terminator (or the end).
  void SkipSubBlocks() {
    std::uint8_t n;
    while (Byte(n) && n != 0) pos_ += std::min<std::size_t>(n, Left());
  }
  // Appends the data of the sub-blocks to `out`, up to the terminator.
  void ReadSubBlocks(std::vector<std::uint8_t>& out) {
    std::uint8_t n;
    while (Byte(n) && n != 0) {
      std::size_t take = std::min<std::size_t>(n, Left());
      out.insert(out.end(), b_.begin() + pos_, b_.begin() + pos_ + take);
      pos_ += take;
    }
  }

 private:
  std::span<const std::uint8_t> b_;
  std::size_t pos_ = 0;
};

unsigned Le16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }

bool ReadColorTable(ByteReader& r, int bits, std::vector<GifColor>& table) {
  std::size_t count = std::size_t{1} << bits;
  const std::uint8_t* p;
  if (!r.Bytes(count * 3, p)) return false;
  table.resize(count);
  for (std::size_t i = 0; i < count; ++i) table[i] = {p[3 * i], p[3 * i + 1], p[3 * i + 2]};
  return true;
}

struct Decoder {
  ByteReader r;
  const GifDecodeOptions& opt;
  GifDecodeResult res;
  // Graphic control data and comment collected for the next image.
  bool haveGce = false;
  std::array<std::uint8_t, 4> gce{};
  std::string comment;
  std::uint64_t pixelsSoFar = 0;
  int globalBits = 1;
  bool stopped = false;

  Decoder(std::span<const std::uint8_t> bytes, const GifDecodeOptions& o) : r(bytes), opt(o) {}

  bool Progress(std::size_t processed) {
    if (!opt.progress || stopped) return !stopped;
    GifProgressInfo info;
    info.bytesProcessed = std::min(processed, r.Size());
    info.bytesToProcess = r.Size();
    info.percentage = r.Size() ? static_cast<int>(info.bytesProcessed * 100 / r.Size()) : 100;
    if (!opt.progress(info)) stopped = true;
    return !stopped;
  }

  bool Fail(int status, std::string why) {
    res.ok = false;
    res.status = status;
    res.error = std::move(why);
    return false;
  }

  bool Run() {
    if (r.Size() == 0) return Fail(kGifNoData, "no data");
    const std::uint8_t* sig;
    if (!r.Bytes(6, sig) || std::memcmp(sig, "GIF", 3) != 0) return Fail(kGifBadData, "not a GIF file");
    GifImage& img = res.image;
    img.version = sig[4] == '9' ? TGifVersion::gvGIF89a : TGifVersion::gvGIF87a;
    const std::uint8_t* lsd;
    if (!r.Bytes(7, lsd)) return Fail(kGifBadData, "truncated screen descriptor");
    img.screenWidth = static_cast<int>(Le16(lsd));
    img.screenHeight = static_cast<int>(Le16(lsd + 2));
    img.backgroundIndex = lsd[5];
    globalBits = (lsd[4] & 7) + 1;
    img.hasGlobalColorTable = (lsd[4] & 0x80) != 0;
    if (img.hasGlobalColorTable && !ReadColorTable(r, globalBits, img.globalColorTable))
      return Fail(kGifBadData, "truncated global colour table");

    // The whole budget is checked from the headers before a single frame is
    // allocated: a file of a few hundred bytes may declare gigabytes.
    if (!CheckBudget()) return false;

    bool done = false;
    while (!done && !r.AtEnd()) {
      if (!Progress(r.Pos())) break;
      std::uint8_t intro = 0;
      r.Byte(intro);
      if (intro == 0x21) {
        std::uint8_t label;
        if (!r.Byte(label)) break;
        ReadExtension(label);
      } else if (intro == 0x2C) {
        if (img.frames.size() >= kGifMaxFrames) break;
        if (!ReadFrame()) {
          if (stopped) break;
          r.SkipToEnd();
          Progress(r.Pos());
          return false;
        }
        if (opt.firstImageOnly) break;
        haveGce = false;
        comment.clear();
      } else if (intro == 0x3B) {
        done = true;
      }
      // Any other byte is skipped on its own, so that a stray byte between
      // blocks does not hide the next one.
    }
    if (!stopped) Progress(r.Size());

    if (img.frames.empty()) {
      if (stopped) return Fail(kGifStopped, "loading stopped");
      return Fail(kGifBadData, "no image in the file");
    }
    std::uint64_t w = img.screenWidth, h = img.screenHeight;
    for (const GifFrame& f : img.frames) {
      w = std::max<std::uint64_t>(w, static_cast<std::uint64_t>(f.left) + f.width);
      h = std::max<std::uint64_t>(h, static_cast<std::uint64_t>(f.top) + f.height);
    }
    if (w * h > opt.maxPixels) {
      img.frames.clear();
      return Fail(kGifBadData, "picture too large");
    }
    img.width = static_cast<int>(w);
    img.height = static_cast<int>(h);
    if (stopped) {
      res.status = kGifStopped;
      res.error = "loading stopped";
      return false;
    }
    res.ok = true;
    res.status = kGifLoaded;
    return true;
  }

  // Walks the blocks the decoding loop below will visit, without decoding,
  // and adds up the frames it would allocate and the picture they span.
  // Stops where the loop would stop (trailer, frame limit, first image only)
  // or fail (a broken descriptor, which the loop then reports itself).
  bool CheckBudget() {
    ByteReader s = r;
    const GifImage& img = res.image;
    std::uint64_t total = 0, w = img.screenWidth, h = img.screenHeight;
    std::size_t frames = 0;
    while (!s.AtEnd()) {
      std::uint8_t intro = 0;
      s.Byte(intro);
      if (intro == 0x21) {
        std::uint8_t label;
        if (!s.Byte(label)) break;
        s.SkipSubBlocks();  // every extension kind is laid out as sub-blocks
      } else if (intro == 0x2C) {
        const std::uint8_t* d;
        if (frames >= kGifMaxFrames || !s.Bytes(9, d)) break;
        const std::uint64_t fw = Le16(d + 4), fh = Le16(d + 6);
        if (fw == 0 || fh == 0) break;
        if (fw * fh > opt.maxPixels || (total += fw * fh) > opt.maxTotalPixels)
          return Fail(kGifBadData, "frame too large");
        w = std::max<std::uint64_t>(w, Le16(d) + fw);
        h = std::max<std::uint64_t>(h, Le16(d + 2) + fh);
        ++frames;
        if (opt.firstImageOnly) break;
        const std::uint8_t* table;
        if ((d[8] & 0x80) && !s.Bytes((std::size_t{3} << ((d[8] & 7) + 1)), table)) break;
        std::uint8_t minCode;
        if (s.Byte(minCode)) s.SkipSubBlocks();
      } else if (intro == 0x3B) {
        break;
      }
    }
    if (frames > 0 && w * h > opt.maxPixels) return Fail(kGifBadData, "picture too large");
    return true;
  }

  void ReadExtension(std::uint8_t label) {
    switch (label) {
      case 0xF9: {
        std::uint8_t n = 0;
        const std::uint8_t* p;
        if (r.Byte(n) && n >= 4 && r.Bytes(4, p)) {
          std::memcpy(gce.data(), p, 4);
          haveGce = true;
          n -= 4;
          const std::uint8_t* rest;
          if (!r.Bytes(n, rest)) r.SkipToEnd();
          r.SkipSubBlocks();
        } else if (n != 0) {
          // A graphic control block too short to hold its fields: ignored.
          const std::uint8_t* rest;
          if (!r.Bytes(n, rest)) r.SkipToEnd();
          r.SkipSubBlocks();
        }
        break;
      }
      case 0xFE: {
        std::vector<std::uint8_t> text;
        r.ReadSubBlocks(text);
        comment.assign(text.begin(), text.end());
        break;
      }
      case 0xFF: {
        std::uint8_t n;
        const std::uint8_t* id;
        if (!r.Byte(n) || n == 0) break;
        if (!r.Bytes(n, id)) {
          r.SkipToEnd();
          break;
        }
        if (n >= 11 && std::memcmp(id, "NETSCAPE2.0", 11) == 0) {
          std::uint8_t m;
          const std::uint8_t* p;
          if (r.Byte(m) && m != 0) {
            if (m >= 3 && r.Bytes(3, p)) {
              res.image.loopCount = static_cast<int>(Le16(p + 1));
              if (!r.Bytes(m - 3, p)) r.SkipToEnd();
            } else if (!r.Bytes(m, p)) {
              r.SkipToEnd();
            }
            r.SkipSubBlocks();
          }
        } else {
          r.SkipSubBlocks();
        }
        break;
      }
      default:  // plain text (its header is a sub-block too) and unknown kinds
        r.SkipSubBlocks();
        break;
    }
  }

  bool ReadFrame() {
    GifImage& img = res.image;
    const std::uint8_t* d;
    if (!r.Bytes(9, d)) return Fail(kGifBadData, "truncated image descriptor");
    GifFrame f;
    f.left = static_cast<int>(Le16(d));
    f.top = static_cast<int>(Le16(d + 2));
    f.width = static_cast<int>(Le16(d + 4));
    f.height = static_cast<int>(Le16(d + 6));
    const std::uint8_t packed = d[8];
    if (f.width == 0 || f.height == 0) return Fail(kGifBadData, "frame of zero size");
    const std::uint64_t pixels = static_cast<std::uint64_t>(f.width) * f.height;
    if (pixels > opt.maxPixels || pixelsSoFar + pixels > opt.maxTotalPixels)
      return Fail(kGifBadData, "frame too large");
    pixelsSoFar += pixels;

    f.hasLocalColorTable = (packed & 0x80) != 0;
    f.interlaced = (packed & 0x40) != 0;
    if (f.hasLocalColorTable) {
      f.colorDepth = (packed & 7) + 1;
      if (!ReadColorTable(r, f.colorDepth, f.colorTable)) return Fail(kGifBadData, "truncated local colour table");
    } else {
      f.colorDepth = globalBits;
      f.colorTable = img.globalColorTable;
    }
    if (haveGce) {
      int disposal = (gce[0] >> 2) & 7;
      f.disposal = (disposal == 0 || disposal == 1 || disposal == 3) ? disposal : 2;
      f.delayMs = static_cast<int>(Le16(gce.data() + 1)) * 10;
      f.transparent = (gce[0] & 1) && img.version == TGifVersion::gvGIF89a;
      f.transparentIndex = gce[3];
    }
    f.comment = comment;

    f.indices.assign(static_cast<std::size_t>(pixels), 0);
    std::uint8_t minCode = 0;
    if (r.Byte(minCode)) {
      f.lzwMinCodeSize = minCode;
      const std::size_t dataStart = r.Pos();
      std::vector<std::uint8_t> data;
      data.reserve(std::min<std::size_t>(r.Left(), pixels + 64));
      r.ReadSubBlocks(data);

      std::function<bool(std::size_t)> onPixels;
      std::size_t every = 0;
      if (opt.progress && pixels > 100000) {
        every = static_cast<std::size_t>(f.width) * (f.width >= 321 ? 32 : 64);
        const std::size_t dataLen = data.size();
        onPixels = [this, dataStart, dataLen, pixels](std::size_t done) {
          return Progress(dataStart + static_cast<std::size_t>(dataLen * done / pixels));
        };
      }
      if (!f.interlaced) {
        DecodeGifLzw(data, minCode, f.indices, onPixels, every);
      } else {
        std::vector<std::uint8_t> linear(static_cast<std::size_t>(pixels), 0);
        DecodeGifLzw(data, minCode, linear, onPixels, every);
        const std::vector<int> order = GifInterlacedRowOrder(f.height);
        const std::size_t w = static_cast<std::size_t>(f.width);
        for (std::size_t i = 0; i < order.size(); ++i)
          std::memcpy(&f.indices[static_cast<std::size_t>(order[i]) * w], &linear[i * w], w);
      }
      if (stopped) return Fail(kGifStopped, "loading stopped");
    }
    img.colorDepth = std::max(img.colorDepth, f.colorDepth);
    img.anyTransparent = img.anyTransparent || f.transparent;
    img.anyInterlaced = img.anyInterlaced || f.interlaced;
    img.frames.push_back(std::move(f));
    return true;
  }
};

}  // namespace

std::vector<int> GifInterlacedRowOrder(int height) {
  std::vector<int> rows;
  rows.reserve(static_cast<std::size_t>(std::max(height, 0)));
  static constexpr int kStart[4] = {0, 4, 2, 1};
  static constexpr int kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = kStart[pass]; y < height; y += kStep[pass]) rows.push_back(y);
  return rows;
}

std::size_t DecodeGifLzw(std::span<const std::uint8_t> data, int minCodeSize, std::span<std::uint8_t> out,
                         const std::function<bool(std::size_t)>& onPixels, std::size_t pixelsPerCall) {
  if (minCodeSize < 0 || minCodeSize > kMaxCodeBits - 1 || out.empty()) return 0;
  const unsigned clear = 1u << minCodeSize;
  const unsigned eoi = clear + 1;

  // Each table entry is a string that was already written to `out`: LZW only
  // ever defines a code as an earlier output string plus the first byte of
  // the one after it, which sits right behind it in the output. So an entry
  // is an (offset, length) pair into `out` and emitting it is one copy.
  std::array<std::uint32_t, kTableSize> offs;
  std::array<std::uint32_t, kTableSize> lens;

  std::uint8_t* const o = out.data();
  const std::size_t n = out.size();
  std::size_t pos = 0;
  std::size_t nextReport = (onPixels && pixelsPerCall) ? pixelsPerCall : SIZE_MAX;

  const std::uint8_t* p = data.data();
  const std::uint8_t* const end = p + data.size();
  std::uint64_t acc = 0;
  int nbits = 0;

  int width = minCodeSize + 1;
  unsigned mask = (1u << width) - 1;
  unsigned hi = eoi;  // the slot the next code defines
  unsigned overflow = 1u << width;
  bool haveLast = false;
  bool tableFull = false;  // slot `hi` holds the last entry and stays defined
  std::size_t lastPos = 0, lastLen = 0;

  for (;;) {
    if (nbits < width) {
      if (end - p >= 8) {
        std::uint64_t v;
        std::memcpy(&v, p, 8);
        const int take = (63 - nbits) >> 3;
        if (take < 8) v &= (std::uint64_t{1} << (take * 8)) - 1;
        acc |= v << nbits;
        p += take;
        nbits += take * 8;
      } else {
        while (nbits <= 56 && p < end) {
          acc |= std::uint64_t{*p++} << nbits;
          nbits += 8;
        }
        if (nbits < width) break;  // data ended early
      }
    }
    const unsigned code = static_cast<unsigned>(acc) & mask;
    acc >>= width;
    nbits -= width;

    if (code == clear) {
      width = minCodeSize + 1;
      mask = (1u << width) - 1;
      overflow = 1u << width;
      hi = eoi;
      haveLast = false;
      tableFull = false;
      continue;
    }
    if (code == eoi) break;

    if (haveLast) {
      offs[hi] = static_cast<std::uint32_t>(lastPos);
      lens[hi] = static_cast<std::uint32_t>(lastLen + 1);
    }
    std::size_t len;
    if (code < clear) {
      if (pos >= n) break;
      o[pos] = static_cast<std::uint8_t>(code);
      len = 1;
    } else {
      // Beyond the table (or a string code right after a clear): the data is
      // broken; what was decoded so far stays.
      if (code > hi || (code == hi && !haveLast && !tableFull)) break;
      len = lens[code];
      const std::uint8_t* src = o + offs[code];
      std::uint8_t* dst = o + pos;
      const std::size_t room = n - pos;
      const std::size_t apart = static_cast<std::size_t>(dst - src);
      if (apart >= 16 && room >= len + 15) {
        // Most strings are a few bytes: fixed 16-byte copies stay inline,
        // where a library call per code cost more than the copy. Bytes
        // written past the string's end lie beyond `pos` and are overwritten
        // by the codes that follow; 16 apart, each block's source is final.
        for (std::size_t k = 0; k < len; k += 16) std::memcpy(dst + k, src + k, 16);
      } else {
        const std::size_t copy = std::min(len, room);
        if (apart >= copy) {
          std::memcpy(dst, src, copy);
        } else {
          for (std::size_t k = 0; k < copy; ++k) dst[k] = src[k];
        }
        if (copy < len) {
          pos = n;
          break;
        }
      }
    }
    lastPos = pos;
    lastLen = len;
    pos += len;
    haveLast = true;
    if (pos >= nextReport) {
      if (!onPixels(pos)) break;
      nextReport = (pos / pixelsPerCall + 1) * pixelsPerCall;
    }
    if (++hi >= overflow) {
      if (width < kMaxCodeBits) {
        ++width;
        mask = (1u << width) - 1;
        overflow <<= 1;
      } else {
        // Table full: codes stay 12 bits wide and no more entries are made
        // until the next clear code.
        --hi;
        haveLast = false;
        tableFull = true;
      }
    }
    if (pos >= n) break;
  }
  return std::min(pos, n);
}

GifDecodeResult DecodeGif(std::span<const std::uint8_t> bytes, const GifDecodeOptions& options) {
  Decoder d(bytes, options);
  d.Run();
  if (!d.res.ok && d.res.status != kGifStopped) d.res.image.frames.clear();
  return std::move(d.res);
}

std::vector<std::uint8_t> EncodeGifFormData(std::span<const std::uint8_t> gif) {
  std::vector<std::uint8_t> out(4 + gif.size());
  const std::uint32_t n = static_cast<std::uint32_t>(gif.size());
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(n >> (8 * i));
  std::copy(gif.begin(), gif.end(), out.begin() + 4);
  return out;
}

bool DecodeGifFormData(std::span<const std::uint8_t> block, std::vector<std::uint8_t>& gif) {
  if (block.size() < 4) return false;
  const std::uint32_t n = block[0] | (block[1] << 8) | (block[2] << 16) | (static_cast<std::uint32_t>(block[3]) << 24);
  if (block.size() - 4 < n) return false;
  gif.assign(block.begin() + 4, block.begin() + 4 + n);
  return true;
}

}  // namespace sky
