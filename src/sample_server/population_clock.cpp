#include "sample_server/population_clock.h"

#include <array>
#include <cstring>

#include "sample_server/pictures.h"

namespace sky::sample {

namespace {

// 5 x 7 glyphs, one byte a row (the low five bits, the leftmost pixel high).
struct Glyph {
  char c;
  std::array<std::uint8_t, 7> rows;
};
constexpr Glyph kGlyphs[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {',', {0x00, 0x00, 0x00, 0x00, 0x0C, 0x04, 0x08}}, {' ', {0, 0, 0, 0, 0, 0, 0}},
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'N', {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11}}, {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
};

const Glyph* Find(char c) {
  for (const Glyph& g : kGlyphs)
    if (g.c == c) return &g;
  return nullptr;
}

void Fill(RgbImage& img, int x0, int y0, int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  for (int y = y0; y < y0 + h && y < img.height; ++y)
    for (int x = x0; x < x0 + w && x < img.width; ++x) {
      std::uint8_t* p = &img.rgb[static_cast<std::size_t>((y * img.width + x) * 3)];
      p[0] = r;
      p[1] = g;
      p[2] = b;
    }
}

// Text centred on the row at `y`, each glyph pixel `scale` pixels wide.
void DrawText(RgbImage& img, const std::string& text, int y, int scale, std::uint8_t r, std::uint8_t g,
              std::uint8_t b) {
  const int advance = 6 * scale;
  int x = (img.width - static_cast<int>(text.size()) * advance + scale) / 2;
  for (char c : text) {
    if (const Glyph* glyph = Find(c)) {
      for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 5; ++col)
          if (glyph->rows[static_cast<std::size_t>(row)] & (0x10 >> col))
            Fill(img, x + col * scale, y + row * scale, scale, scale, r, g, b);
    }
    x += advance;
  }
}

std::string ClockPicture(const std::string& title, std::uint64_t population) {
  RgbImage img;
  img.width = 360;
  img.height = 90;
  img.rgb.assign(static_cast<std::size_t>(img.width * img.height * 3), 255);
  Fill(img, 0, 0, img.width, 26, 0, 0, 102);
  DrawText(img, title, 6, 2, 255, 255, 255);
  DrawText(img, WithThousands(population), 42, 4, 153, 0, 0);
  return EncodeGifPicture({img}, 0);
}

class PopulationClockSite : public Site {
 public:
  std::optional<Reply> Handle(const Request& request) const override {
    std::string bytes;
    if (request.path == "/cgi-bin/ipc/pcwgif") {
      bytes = ClockPicture("WORLD POPULATION", WorldPopulationAt(request.now));
    } else if (request.path == "/cgi-bin/pcugifd.pl") {
      bytes = ClockPicture("U.S. POPULATION", UsPopulationAt(request.now));
    } else {
      return std::nullopt;
    }
    Reply reply;
    reply.status = 200;
    reply.contentType = "image/gif";
    if (request.method != "HEAD") reply.body = std::move(bytes);
    return reply;
  }
};

std::int64_t SecondsSince(std::int64_t now, std::int64_t base_time) { return now > base_time ? now - base_time : 0; }

}  // namespace

// 1 January 2000: about 6,070 million people, five more every two seconds.
std::uint64_t WorldPopulationAt(std::int64_t now) {
  return 6070000000ull + static_cast<std::uint64_t>(SecondsSince(now, 946684800) * 5 / 2);
}

// 1 April 2000: 281,421,906 people, one more every 11 seconds.
std::uint64_t UsPopulationAt(std::int64_t now) {
  return 281421906ull + static_cast<std::uint64_t>(SecondsSince(now, 954547200) / 11);
}

std::string WithThousands(std::uint64_t n) {
  std::string digits = std::to_string(n);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::unique_ptr<Site> MakePopulationClockSite() { return std::make_unique<PopulationClockSite>(); }

}  // namespace sky::sample
