#include "sample_server/population_clock.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "images/pixel_font.h"
#include "sample_server/pictures.h"

namespace sky::sample {

namespace {

void Fill(RgbImage& img, int x0, int y0, int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  for (int y = std::max(0, y0); y < y0 + h && y < img.height; ++y)
    for (int x = std::max(0, x0); x < x0 + w && x < img.width; ++x) {
      std::uint8_t* p = &img.rgb[static_cast<std::size_t>((y * img.width + x) * 3)];
      p[0] = r;
      p[1] = g;
      p[2] = b;
    }
}

// Text centred on the row at `y`, each glyph pixel `scale` pixels wide.
void DrawText(RgbImage& img, const std::string& text, int y, int scale, std::uint8_t r, std::uint8_t g,
              std::uint8_t b) {
  DrawPixelText(text, img.width, y, scale, [&](int x, int top, int size) { Fill(img, x, top, size, size, r, g, b); });
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
