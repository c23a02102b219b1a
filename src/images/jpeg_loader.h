// JPEG pictures for the image viewer and the wallpaper, decoded with
// libjpeg-turbo in the core. Hostile input is expected (the pictures come off
// the network): a fatal libjpeg error returns to us instead of ending the
// program, and pictures beyond a pixel budget are refused before any pixel
// memory is taken.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "images/picture.h"

namespace sky {

// The same budget as the GIF decoder's per-picture limit, so that neither
// kind of downloaded picture can ask for more memory than the other.
std::uint64_t DefaultJpegMaxPixels();

struct JpegDecodeOptions {
  std::uint64_t maxPixels = DefaultJpegMaxPixels();
  // Progressive files may carry any number of scans, each a pass over the
  // whole picture; photographs use about ten, encoders that tune the order
  // a few dozen. More than this is refused as hostile: 500 cost seconds of
  // the window's time.
  int maxScans = 100;
  // Rgb for the core's users; Bgrx for the viewer, whose pixmaps take it
  // without a conversion.
  PixelOrder order = PixelOrder::Rgb;
};

struct JpegDecodeResult {
  bool ok = false;
  std::string error;    // why the picture was refused (for the user)
  std::string warning;  // the first warning of a picture decoded anyway (damaged data)
  RgbPicture picture;   // grey and CMYK pictures come out as RGB too
};

// Never throws for bad input and never lets libjpeg exit the program.
JpegDecodeResult DecodeJpeg(std::span<const std::uint8_t> bytes, const JpegDecodeOptions& options = {});
// Reads the file first; a file that cannot be read is an error too.
JpegDecodeResult LoadJpegFile(const std::string& path, const JpegDecodeOptions& options = {});

struct JpegToBmpResult {
  bool ok = false;       // the picture decoded (as LoadJpegFile's `ok`)
  std::string error;     // as LoadJpegFile's
  std::string warning;   // as LoadJpegFile's
  bool written = false;  // the bitmap file is complete
};

// The wallpaper's way: the JPEG file decoded straight into the bitmap's rows
// (blue first, bottom-up), written to the file band by band as the decoder
// delivers them; the same file WriteBmpFile makes of LoadJpegFile's picture,
// without the whole picture in memory twice. No file is left behind when the
// picture does not decode or the file cannot be written (`options.order` is
// not used).
JpegToBmpResult ConvertJpegFileToBmp(const std::string& jpegPath, const std::string& bmpPath,
                                     const JpegDecodeOptions& options = {});

}  // namespace sky
