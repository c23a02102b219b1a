#include "images/jpeg_loader.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "common/large_buffer.h"
#include "controls/gif_decoder.h"

namespace sky {

std::uint64_t DefaultJpegMaxPixels() { return GifDecodeOptions{}.maxPixels; }

namespace {

// libjpeg reports a fatal error through error_exit, which by default prints
// and calls exit(). Ours jumps back into DecodeJpeg with the message kept.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  char warning[JMSG_LENGTH_MAX];
  int maxScans;
};

[[noreturn]] void OnError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

void OnMessage(j_common_ptr cinfo, int level) {
  // Warnings (level -1) are kept, the first one only; trace messages dropped.
  if (level >= 0) return;
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  ++cinfo->err->num_warnings;
  if (err->warning[0] == '\0') (*cinfo->err->format_message)(cinfo, err->warning);
}

void OnProgress(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  if (cinfo->is_decompressor) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > err->maxScans) {
      std::snprintf(err->message, sizeof err->message, "too many scans (more than %d)", err->maxScans);
      std::longjmp(err->jump, 1);
    }
  }
}

// Adobe writes CMYK inverted, and so do nearly all programs after it.
void CmykRowToRgb(const JSAMPLE* in, std::uint8_t* out, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, in += 4, out += 3) {
    unsigned c = in[0], m = in[1], y = in[2], k = in[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    // Rounded to nearest, as djpeg does.
    out[0] = static_cast<std::uint8_t>((2 * c * k + 255) / 510);
    out[1] = static_cast<std::uint8_t>((2 * m * k + 255) / 510);
    out[2] = static_cast<std::uint8_t>((2 * y * k + 255) / 510);
  }
}

}  // namespace

JpegDecodeResult DecodeJpeg(std::span<const std::uint8_t> bytes, const JpegDecodeOptions& options) {
  JpegDecodeResult result;
  if (bytes.empty()) {
    result.error = "Empty JPEG file";
    return result;
  }
  jpeg_decompress_struct cinfo{};
  ErrorManager err{};
  jpeg_progress_mgr progress{};
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnError;
  err.pub.emit_message = OnMessage;
  err.maxScans = options.maxScans;
  // Everything the jump can skip over lives outside this block, so that
  // nothing needing a destructor is bypassed by longjmp.
  PixelBytes& out = result.picture.rgb;
  std::vector<JSAMPLE> row;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    result = JpegDecodeResult{};
    result.error = std::string("Invalid JPEG picture: ") + err.message;
    return result;
  }
  jpeg_create_decompress(&cinfo);
  // A hostile file must not make libjpeg take unbounded working memory.
  cinfo.mem->max_memory_to_use = 1024L * 1024L * 1024L;
  progress.progress_monitor = OnProgress;
  cinfo.progress = &progress;
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);

  const std::uint64_t pixels = std::uint64_t{cinfo.image_width} * cinfo.image_height;
  if (pixels > options.maxPixels) {
    std::snprintf(err.message, sizeof err.message, "%ux%u pixels is larger than the %llu pixels allowed",
                  cinfo.image_width, cinfo.image_height, static_cast<unsigned long long>(options.maxPixels));
    jpeg_destroy_decompress(&cinfo);
    result.error = std::string("JPEG picture too large: ") + err.message;
    return result;
  }
  bool cmyk = false;
  bool inverted = cinfo.saw_Adobe_marker;
  if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
    cinfo.out_color_space = JCS_CMYK;
    cmyk = true;
  } else {
    cinfo.out_color_space = JCS_RGB;
  }
  jpeg_start_decompress(&cinfo);
  const JDIMENSION w = cinfo.output_width;
  const JDIMENSION h = cinfo.output_height;
  out.resize(std::size_t{w} * h * 3);
  AdviseLargeBuffer(out.data(), out.size());
  if (cmyk) row.resize(std::size_t{w} * 4);
  while (cinfo.output_scanline < h) {
    const JDIMENSION y = cinfo.output_scanline;
    if (cmyk) {
      JSAMPROW rows[1] = {row.data()};
      if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) break;
      CmykRowToRgb(row.data(), &out[std::size_t{y} * w * 3], w, inverted);
    } else {
      // Straight into the picture, as many rows as libjpeg hands out at once.
      JSAMPROW rows[4];
      const JDIMENSION n = std::min<JDIMENSION>(4, h - y);
      for (JDIMENSION i = 0; i < n; ++i) rows[i] = &out[std::size_t{y + i} * w * 3];
      if (jpeg_read_scanlines(&cinfo, rows, n) == 0) break;
    }
  }
  // Rows the decoder never delivered stay black, not whatever the memory held.
  if (cinfo.output_scanline < h)
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(std::size_t{cinfo.output_scanline} * w * 3), out.end(), 0);
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  result.picture.width = static_cast<int>(w);
  result.picture.height = static_cast<int>(h);
  if (err.warning[0]) result.warning = err.warning;
  result.ok = true;
  return result;
}

JpegDecodeResult LoadJpegFile(const std::string& path, const JpegDecodeOptions& options) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    JpegDecodeResult r;
    r.error = "Cannot open file " + path;
    return r;
  }
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return DecodeJpeg(bytes, options);
}

}  // namespace sky
