// A small writer of still GIF pictures: one image, a global colour table of
// 256 entries, LZW-compressed pixel data.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sky::gif {

struct Rgb {
  std::uint8_t r, g, b;
};

using Palette = std::array<Rgb, 256>;

// The GIF stream of a width x height picture whose pixels (row by row, top
// row first) are indices into the palette.
std::string EncodeGif(int width, int height, const std::vector<std::uint8_t>& pixels, const Palette& palette);

// The LZW code stream of the GIF variant (minimum code size 8, codes of 9 to
// 12 bits packed from the least significant bit, a clear code first and
// whenever the code table is full, the end code last), not yet cut into blocks.
std::string LzwCompress(const std::vector<std::uint8_t>& pixels);

}  // namespace sky::gif
