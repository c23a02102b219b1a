// A decoded picture as the core hands it around: 8-bit red, green, blue per
// pixel, top row first, no padding. What the JPEG loader gives, what the GIF
// control's first frame becomes, and what the bitmap writer takes.
#pragma once

#include <cstdint>
#include <vector>

namespace sky {

struct RgbPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3

  bool Empty() const { return width <= 0 || height <= 0; }
  const std::uint8_t* Pixel(int x, int y) const {
    return &rgb[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3];
  }
};

}  // namespace sky
