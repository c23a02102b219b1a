// The wallpaper bitmap: a Windows device-independent bitmap file, 24 bits per
// pixel, rows bottom-up and padded to four bytes, no compression.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "images/picture.h"

namespace sky {

inline constexpr std::size_t kBmpHeaderSize = 14 + 40;

// Bytes per row in the file (three a pixel, padded to a multiple of four).
std::size_t BmpStride(std::size_t width);
// The file and info headers of a picture of that size; false when the file
// would be too large for the format's 32-bit sizes.
bool BmpHeader(std::size_t width, std::size_t height, std::array<std::uint8_t, kBmpHeaderSize>& header);

// The whole file; empty for an empty picture.
std::vector<std::uint8_t> EncodeBmp(const RgbPicture& picture);
// Writes the file; false (and no file left behind) when it cannot.
bool WriteBmpFile(const RgbPicture& picture, const std::string& path);

}  // namespace sky
