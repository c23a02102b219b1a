// GIF87a / GIF89a decoder: turns the bytes of a GIF file into frames of 8-bit
// colour indices with their colour tables and animation data. Plain C++; the
// composition of frames and the animation live in gif_animation.h, the
// painting in the Qt control (GifControl.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace sky {

enum class TGifVersion { gvGIF87a, gvGIF89a };

// Status codes of the control (the numbers are part of its interface).
enum GifStatus : int {
  kGifLoaded = 0,
  kGifStopped = 1,  // loading stopped by the progress handler
  kGifNoData = 2,
  kGifLoading = 3,
  kGifBadFrameNumber = 5,  // CurrentFrame out of range
  kGifFileNotFound = 7,
  kGifBadData = 8,  // not a GIF, a broken frame, no image, too large
};

struct GifColor {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const GifColor&) const = default;
};

inline constexpr int kGifMaxFrames = 256;

struct GifFrame {
  int left = 0, top = 0, width = 0, height = 0;
  bool hasLocalColorTable = false;
  int colorDepth = 1;                // bits per pixel of the table in use
  std::vector<GifColor> colorTable;  // the frame's own table, else the global one
  int delayMs = 0;                   // graphic control delay x 10
  int disposal = 0;                  // 0 none, 1 keep, 2 background, 3 previous
  bool interlaced = false;
  bool transparent = false;
  std::uint8_t transparentIndex = 0;
  std::string comment;
  int lzwMinCodeSize = 0;
  // width * height colour indices, top row first, rows de-interlaced.
  std::vector<std::uint8_t> indices;

  bool IsTransparentAt(std::size_t i) const { return transparent && indices[i] == transparentIndex; }
  GifColor ColorOf(std::uint8_t index) const { return index < colorTable.size() ? colorTable[index] : GifColor{}; }
};

struct GifImage {
  TGifVersion version = TGifVersion::gvGIF87a;
  int screenWidth = 0, screenHeight = 0;  // logical screen descriptor
  int width = 0, height = 0;              // screen widened to cover every frame
  bool hasGlobalColorTable = false;
  std::vector<GifColor> globalColorTable;
  std::uint8_t backgroundIndex = 0;
  int loopCount = 1;   // NETSCAPE2.0 loop count; 0 = forever; 1 when absent
  int colorDepth = 0;  // largest depth of any frame
  bool anyTransparent = false;
  bool anyInterlaced = false;
  std::vector<GifFrame> frames;
};

struct GifProgressInfo {
  std::size_t bytesProcessed = 0;
  std::size_t bytesToProcess = 0;
  int percentage = 0;
};

struct GifDecodeOptions {
  bool firstImageOnly = false;
  // Return false to stop loading. Called between the blocks of the file and,
  // for frames of more than 100000 pixels, every 64 rows (32 for wide ones).
  std::function<bool(const GifProgressInfo&)> progress;
  // A picture (screen widened to its frames) or a frame larger than this is
  // refused rather than allocated. 16 megapixels is 4096 x 4096, far above
  // any weather picture; the composed picture costs 4 bytes a pixel, a frame 1.
  std::uint64_t maxPixels = 16ull * 1024 * 1024;
  // Budget for the pixels of all frames together, so that a small hostile
  // file cannot declare hundreds of huge frames. Both bounds are checked
  // from the headers of the whole file before anything is allocated.
  std::uint64_t maxTotalPixels = 64ull * 1024 * 1024;
};

struct GifDecodeResult {
  bool ok = false;
  int status = kGifNoData;  // kGifLoaded, kGifStopped, kGifNoData or kGifBadData
  std::string error;        // why the picture was refused, for diagnostics
  GifImage image;           // with ok false and status kGifStopped: the frames read
};

// Decodes a whole GIF file. Never throws on bad input and never reads outside
// `bytes`: a truncated frame keeps index 0 where its data is missing, codes
// beyond the table end the frame's data, garbage after the trailer is ignored.
GifDecodeResult DecodeGif(std::span<const std::uint8_t> bytes, const GifDecodeOptions& options = {});

// Decodes one LZW-coded pixel stream (the sub-blocks already joined) into
// `out` (pixel count = out.size()). Returns the number of pixels written;
// the others are left as they were. A minimum code size above 11 decodes
// nothing (its clear code would not fit the 12-bit table).
// `onPixels`, when given, is called whenever the count of written pixels
// passes a multiple of `pixelsPerCall`; returning false stops the decoding.
std::size_t DecodeGifLzw(std::span<const std::uint8_t> data, int minCodeSize, std::span<std::uint8_t> out,
                         const std::function<bool(std::size_t)>& onPixels = {}, std::size_t pixelsPerCall = 0);

// The rows of an interlaced frame in the order they are stored in the file.
std::vector<int> GifInterlacedRowOrder(int height);

// Form data of the control: a 32-bit little-endian length, then the GIF bytes.
std::vector<std::uint8_t> EncodeGifFormData(std::span<const std::uint8_t> gif);
// False (and `gif` untouched) when the block is shorter than its length says.
bool DecodeGifFormData(std::span<const std::uint8_t> block, std::vector<std::uint8_t>& gif);

}  // namespace sky
