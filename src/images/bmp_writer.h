// The wallpaper bitmap: a Windows device-independent bitmap file, 24 bits per
// pixel, rows bottom-up and padded to four bytes, no compression.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "images/picture.h"

namespace sky {

// The whole file; empty for an empty picture.
std::vector<std::uint8_t> EncodeBmp(const RgbPicture& picture);
// Writes the file; false (and no file left behind) when it cannot.
bool WriteBmpFile(const RgbPicture& picture, const std::string& path);

}  // namespace sky
