// Pictures turned into the format a catalogue row asks for: a PNG becomes a
// GIF or a JPEG, a JPEG becomes a GIF, a GIF (animated or not) and a JPEG pass
// through when the row wants them as they are. Every source is decoded (or,
// passing through, its header read) before it is served, so a broken or
// oversized picture is refused, never handed to the program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sky::gateway {

enum class PictureFormat { kUnknown, kGif, kJpeg, kPng };

// By the bytes' signature, whatever the source's name says.
PictureFormat SniffPicture(const std::string& bytes);
// By the file name the row asks for (".gif" or else JPEG).
PictureFormat FormatOfFile(const std::string& path);
const char* ContentType(PictureFormat format);

struct PictureLimits {
  int maxSide = 4096;                      // pixels, either way
  std::int64_t maxPixels = 2048LL * 2048;  // width times height (of each frame)
};

struct RgbImage {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3
};

struct Converted {
  bool ok = false;
  std::string bytes;
  std::string error;  // why the source was refused, for the log
};

Converted ConvertPicture(const std::string& source, PictureFormat target, const PictureLimits& limits = {});

// The pieces, for the drawn maps and the tests.
bool DecodePng(const std::string& bytes, const PictureLimits& limits, RgbImage& out, std::string& error);
bool DecodeJpeg(const std::string& bytes, const PictureLimits& limits, RgbImage& out, std::string& error);
// A GIF of up to 256 colours (median cut where the picture has more).
std::string EncodeGif(const RgbImage& image);
// A one-frame GIF with exactly this palette (RGB triples, up to 256).
std::string EncodeIndexedGif(int width, int height, const std::vector<std::uint8_t>& palette,
                             const std::vector<std::uint8_t>& indices);
std::string EncodeJpeg(const RgbImage& image, int quality = 85);

// The number of frames of a GIF, 0 when it does not decode or a frame is
// over the limits.
int GifFrames(const std::string& bytes, const PictureLimits& limits, std::string& error);

}  // namespace sky::gateway
