// A small writer of GIF pictures: a global colour table of up to 256
// entries, LZW-compressed pixel data; one still image, or frames of one size
// that loop.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sky::gif {

struct Rgb {
  std::uint8_t r, g, b;
};

using Palette = std::array<Rgb, 256>;

// The GIF stream of a width x height picture whose pixels (row by row, top
// row first) are indices into the palette. A palette of fewer colours gets
// a table of the next power of two (at least 2, filled with black) and
// codes as narrow as it allows. Throws std::invalid_argument when the size
// does not match the pixels, the palette has more than 256 colours or a
// pixel lies beyond the table.
std::string EncodeGif(int width, int height, const std::vector<std::uint8_t>& pixels, std::span<const Rgb> palette);
std::string EncodeGif(int width, int height, const std::vector<std::uint8_t>& pixels, const Palette& palette);

// A GIF89a stream of frames that each cover the whole picture. With more
// than one frame it loops for ever, each frame shown `delayCentiseconds`.
std::string EncodeGifFrames(int width, int height, const std::vector<std::vector<std::uint8_t>>& frames,
                            std::span<const Rgb> palette, int delayCentiseconds);

// The LZW code stream of the GIF variant (codes from minCodeSize + 1 to 12
// bits packed from the least significant bit, a clear code first and
// whenever the code table is full, the end code last), not yet cut into
// blocks. Every pixel must be below 2^minCodeSize.
std::string LzwCompress(const std::vector<std::uint8_t>& pixels, int minCodeSize = 8);

}  // namespace sky::gif
