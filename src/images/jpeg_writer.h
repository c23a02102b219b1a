// JPEG from 8-bit RGB rows, for the pictures the servers draw or convert and
// the benchmarks' large picture.
#pragma once

#include <cstdint>
#include <string>

namespace sky {

// `rgb` holds width * height * 3 bytes, rows top down. "" when libjpeg
// refuses the picture (a size it cannot take, out of memory) or cannot be
// loaded: the caller answers a failure, where libjpeg's own handler would end
// the process.
std::string EncodeJpegRgb(int width, int height, const std::uint8_t* rgb, int quality);

}  // namespace sky
