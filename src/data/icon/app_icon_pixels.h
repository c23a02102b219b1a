// The program's icon as plain pixels, one picture per size of the icon theme,
// converted from packaging/icons at build time (icon-pixels).
#pragma once

#include <cstdint>
#include <span>

namespace sky::data {

struct IconPicture {
  int size;                   // width and height in pixels
  const std::uint32_t* argb;  // size * size words 0xAARRGGBB, row by row, not premultiplied
};

// Smallest first.
std::span<const IconPicture> AppIconPictures();

}  // namespace sky::data
