// The built-in moon pictures: still 50 x 50 GIF files with a 256-colour table
// that really show the phase their control stands for.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "data/moon/moon_data.h"

namespace {

struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> palette;  // 3 bytes an entry
  std::vector<std::uint8_t> pixels;   // indices, top row first
};

int U16(std::span<const unsigned char> b, std::size_t at) { return b[at] | (b[at + 1] << 8); }

// Just enough of a reader for what the pictures must be: one image with a
// global table, no extensions. LZW as the format defines it.
std::optional<Picture> Read(std::span<const unsigned char> b, std::string& why) {
  Picture p;
  if (b.size() < 13 + 768 + 10 + 2) return why = "too short", std::nullopt;
  const std::string sig(b.begin(), b.begin() + 6);
  if (sig != "GIF87a" && sig != "GIF89a") return why = "signature " + sig, std::nullopt;
  p.width = U16(b, 6);
  p.height = U16(b, 8);
  const int packed = b[10];
  if (!(packed & 0x80)) return why = "no global colour table", std::nullopt;
  const std::size_t entries = std::size_t{1} << ((packed & 7) + 1);
  if (entries != 256) return why = "colour table of " + std::to_string(entries), std::nullopt;
  p.palette.assign(b.begin() + 13, b.begin() + 13 + 768);
  std::size_t at = 13 + 768;
  if (b[at] != 0x2C) return why = "no image descriptor after the table", std::nullopt;
  if (U16(b, at + 1) != 0 || U16(b, at + 3) != 0 || U16(b, at + 5) != p.width || U16(b, at + 7) != p.height ||
      (b[at + 9] & 0xC0))
    return why = "image is not the whole screen, or has a local table or interlace", std::nullopt;
  at += 10;
  const int minCode = b[at++];
  std::vector<std::uint8_t> data;
  while (at < b.size() && b[at] != 0) {
    const std::size_t n = b[at];
    if (at + 1 + n > b.size()) return why = "data block runs past the end", std::nullopt;
    data.insert(data.end(), b.begin() + at + 1, b.begin() + at + 1 + n);
    at += 1 + n;
  }
  if (at + 2 != b.size() || b[at + 1] != 0x3B) return why = "no trailer right after the image", std::nullopt;

  const int clear = 1 << minCode, end = clear + 1;
  std::vector<std::vector<std::uint8_t>> table;
  auto reset = [&] {
    table.assign(static_cast<std::size_t>(end) + 1, {});
    for (int i = 0; i < clear; ++i) table[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i)};
  };
  reset();
  int width = minCode + 1;
  std::size_t bitPos = 0;
  std::optional<std::vector<std::uint8_t>> prev;
  for (;;) {
    if (bitPos + static_cast<std::size_t>(width) > data.size() * 8) return why = "no end code", std::nullopt;
    int code = 0;
    for (int i = 0; i < width; ++i, ++bitPos) code |= ((data[bitPos / 8] >> (bitPos % 8)) & 1) << i;
    if (code == clear) {
      reset();
      width = minCode + 1;
      prev.reset();
      continue;
    }
    if (code == end) break;
    std::vector<std::uint8_t> entry;
    if (code < static_cast<int>(table.size()) && (code < clear || !table[static_cast<std::size_t>(code)].empty())) {
      entry = table[static_cast<std::size_t>(code)];
    } else if (code == static_cast<int>(table.size()) && prev) {
      entry = *prev;
      entry.push_back((*prev)[0]);
    } else {
      return why = "bad code " + std::to_string(code), std::nullopt;
    }
    if (prev && table.size() < 4096) {
      std::vector<std::uint8_t> added = *prev;
      added.push_back(entry[0]);
      table.push_back(std::move(added));
      if (table.size() == (std::size_t{1} << width) && width < 12) ++width;
    }
    p.pixels.insert(p.pixels.end(), entry.begin(), entry.end());
    prev = std::move(entry);
  }
  if (p.pixels.size() != static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height))
    return why = std::to_string(p.pixels.size()) + " pixels", std::nullopt;
  return p;
}

double Brightness(const Picture& p, std::uint8_t index) {
  const std::size_t i = std::size_t{index} * 3;
  return (p.palette[i] + p.palette[i + 1] + p.palette[i + 2]) / 3.0;
}

// Mean brightness of the columns [from, to).
double Mean(const Picture& p, int from, int to) {
  double sum = 0;
  for (int y = 0; y < p.height; ++y)
    for (int x = from; x < to; ++x) sum += Brightness(p, p.pixels[static_cast<std::size_t>(y * p.width + x)]);
  return sum / (p.height * (to - from));
}

Picture Load(const std::string& name) {
  std::string why;
  const auto p = Read(sky::moon_data::Picture(name), why);
  EXPECT_TRUE(p) << name << ": " << why;
  return p.value_or(Picture{});
}

}  // namespace

TEST(MoonPictures, AreStillFiftyByFiftyGifsWithFullColourTables) {
  std::vector<std::string> names = {"GIFImagenew", "GIFImageFull"};
  for (int t = 1; t <= 9; ++t) {
    names.push_back("GIFImagel" + std::to_string(t) + "0x");
    names.push_back("GIFImage" + std::to_string(t) + "0x");
  }
  EXPECT_EQ(sky::moon_data::PictureNames().size(), names.size());
  for (const std::string& name : names) {
    const Picture p = Load(name);
    EXPECT_EQ(p.width, 50) << name;
    EXPECT_EQ(p.height, 50) << name;
    if (p.pixels.empty()) continue;
    // The sky in the corners is dark.
    EXPECT_LT(Brightness(p, p.pixels[0]), 16) << name;
    EXPECT_LT(Brightness(p, p.pixels.back()), 16) << name;
  }
  EXPECT_TRUE(sky::moon_data::Picture("GIFImage").empty());
  EXPECT_TRUE(sky::moon_data::Picture("GIFImagel00x").empty());
}

TEST(MoonPictures, ShowTheLitPartOnTheRightSideWhileWaxing) {
  double lastWaxing = Mean(Load("GIFImagenew"), 0, 50), lastWaning = lastWaxing;
  for (int t = 1; t <= 9; ++t) {
    const std::string n = std::to_string(t) + "0x";
    const Picture waxing = Load("GIFImagel" + n), waning = Load("GIFImage" + n);
    if (waxing.pixels.empty() || waning.pixels.empty()) continue;
    EXPECT_GT(Mean(waxing, 25, 50), Mean(waxing, 0, 25) + 5) << n;
    EXPECT_GT(Mean(waning, 0, 25), Mean(waning, 25, 50) + 5) << n;
    // More of the disc is lit from picture to picture.
    EXPECT_GT(Mean(waxing, 0, 50), lastWaxing) << n;
    EXPECT_GT(Mean(waning, 0, 50), lastWaning) << n;
    lastWaxing = Mean(waxing, 0, 50);
    lastWaning = Mean(waning, 0, 50);
  }
  const Picture full = Load("GIFImageFull");
  EXPECT_GT(Mean(full, 0, 50), lastWaxing);
  EXPECT_NEAR(Mean(full, 0, 25), Mean(full, 25, 50), 0.15 * Mean(full, 0, 50));
  // The new moon is a faint disc, not an empty square.
  const Picture dark = Load("GIFImagenew");
  EXPECT_GT(Mean(dark, 15, 35), Mean(dark, 0, 3));
  EXPECT_LT(Mean(dark, 0, 50), 0.2 * Mean(full, 0, 50));
}
