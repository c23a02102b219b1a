#include "gateway/picture_convert.h"

#include <gif_lib.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <span>
#include <stdexcept>

#include "controls/gif_decoder.h"
#include "images/gif_writer.h"
#include "images/jpeg_loader.h"
#include "images/jpeg_writer.h"

namespace sky::gateway {

namespace {

std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

bool WithinLimits(int width, int height, const PictureLimits& limits, std::string& error) {
  if (width <= 0 || height <= 0) return error = "a picture without pixels", false;
  if (width > limits.maxSide || height > limits.maxSide ||
      static_cast<std::int64_t>(width) * height > limits.maxPixels) {
    error = "picture of " + std::to_string(width) + "x" + std::to_string(height) + " pixels is over the limit";
    return false;
  }
  return true;
}

// The first frame of a decoded GIF on its screen, the background where the
// frame does not reach or is transparent.
RgbImage FirstFrame(const GifImage& gif) {
  RgbImage out;
  out.width = gif.width;
  out.height = gif.height;
  out.rgb.assign(static_cast<std::size_t>(out.width) * out.height * 3, 255);
  if (gif.frames.empty()) return out;
  const GifFrame& f = gif.frames.front();
  for (int y = 0; y < f.height; ++y) {
    for (int x = 0; x < f.width; ++x) {
      const int sx = f.left + x, sy = f.top + y;
      if (sx >= out.width || sy >= out.height) continue;
      const std::size_t i = static_cast<std::size_t>(y) * f.width + x;
      if (f.IsTransparentAt(i) || f.indices[i] >= f.colorTable.size()) continue;
      const GifColor& c = f.colorTable[f.indices[i]];
      std::uint8_t* p = &out.rgb[(static_cast<std::size_t>(sy) * out.width + sx) * 3];
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
    }
  }
  return out;
}

}  // namespace

PictureFormat SniffPicture(const std::string& bytes) {
  if (bytes.rfind("GIF87a", 0) == 0 || bytes.rfind("GIF89a", 0) == 0) return PictureFormat::kGif;
  if (bytes.size() > 3 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xD8 && static_cast<unsigned char>(bytes[2]) == 0xFF)
    return PictureFormat::kJpeg;
  if (bytes.rfind("\x89PNG\r\n\x1a\n", 0) == 0) return PictureFormat::kPng;
  return PictureFormat::kUnknown;
}

PictureFormat FormatOfFile(const std::string& path) {
  std::string tail = path.size() >= 4 ? path.substr(path.size() - 4) : path;
  for (char& c : tail) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return tail == ".gif" ? PictureFormat::kGif : PictureFormat::kJpeg;
}

const char* ContentType(PictureFormat format) {
  switch (format) {
    case PictureFormat::kGif: return "image/gif";
    case PictureFormat::kJpeg: return "image/jpeg";
    case PictureFormat::kPng: return "image/png";
    case PictureFormat::kUnknown: break;
  }
  return "application/octet-stream";
}

bool DecodePng(const std::string& bytes, const PictureLimits& limits, RgbImage& out, std::string& error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    error = std::string("undecodable PNG: ") + image.message;
    return false;
  }
  if (!WithinLimits(static_cast<int>(std::min<png_uint_32>(image.width, 1u << 30)),
                    static_cast<int>(std::min<png_uint_32>(image.height, 1u << 30)), limits, error)) {
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_RGB;
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  out.rgb.resize(PNG_IMAGE_SIZE(image));
  // Transparent parts over white, as a page would show them.
  png_color white{255, 255, 255};
  if (!png_image_finish_read(&image, &white, out.rgb.data(), 0, nullptr)) {
    error = std::string("undecodable PNG: ") + image.message;
    png_image_free(&image);
    return false;
  }
  return true;
}

bool DecodeJpeg(const std::string& bytes, const PictureLimits& limits, RgbImage& out, std::string& error) {
  JpegDecodeOptions options;
  options.maxPixels = static_cast<std::uint64_t>(limits.maxPixels);
  JpegDecodeResult r = sky::DecodeJpeg(Bytes(bytes), options);
  if (!r.ok) return error = "undecodable JPEG: " + r.error, false;
  if (!WithinLimits(r.picture.width, r.picture.height, limits, error)) return false;
  out.width = r.picture.width;
  out.height = r.picture.height;
  out.rgb.assign(r.picture.rgb.begin(), r.picture.rgb.end());
  return true;
}

int GifFrames(const std::string& bytes, const PictureLimits& limits, std::string& error) {
  GifDecodeOptions options;
  options.maxPixels = static_cast<std::uint64_t>(limits.maxPixels);
  GifDecodeResult r = DecodeGif(Bytes(bytes), options);
  if (!r.ok || r.image.frames.empty()) return error = "undecodable GIF: " + r.error, 0;
  if (!WithinLimits(r.image.width, r.image.height, limits, error)) return 0;
  return static_cast<int>(r.image.frames.size());
}

std::string EncodeIndexedGif(int width, int height, const std::vector<std::uint8_t>& palette,
                             const std::vector<std::uint8_t>& indices) {
  std::vector<sky::gif::Rgb> colors(palette.size() / 3);
  for (std::size_t i = 0; i < colors.size(); ++i) colors[i] = {palette[i * 3], palette[i * 3 + 1], palette[i * 3 + 2]};
  try {
    return sky::gif::EncodeGif(width, height, indices, colors);
  } catch (const std::invalid_argument&) {
    return {};
  }
}

std::string EncodeGif(const RgbImage& image) {
  const std::size_t n = static_cast<std::size_t>(image.width) * image.height;
  std::vector<GifByteType> indices(n);
  // Pictures of few colours (radar mosaics, maps, icons) keep them exactly.
  std::map<std::uint32_t, std::uint8_t> exact;
  std::vector<std::uint8_t> palette;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint32_t key = static_cast<std::uint32_t>(image.rgb[i * 3]) << 16 |
                              static_cast<std::uint32_t>(image.rgb[i * 3 + 1]) << 8 | image.rgb[i * 3 + 2];
    auto [it, added] = exact.emplace(key, static_cast<std::uint8_t>(exact.size()));
    if (added) {
      if (exact.size() > 256) break;
      palette.insert(palette.end(), {image.rgb[i * 3], image.rgb[i * 3 + 1], image.rgb[i * 3 + 2]});
    }
    indices[i] = it->second;
  }
  if (exact.size() <= 256) return EncodeIndexedGif(image.width, image.height, palette, indices);
  // Else median cut (giflib's, on five bits a channel).
  std::vector<GifByteType> r(n), g(n), b(n);
  for (std::size_t i = 0; i < n; ++i) {
    r[i] = image.rgb[i * 3];
    g[i] = image.rgb[i * 3 + 1];
    b[i] = image.rgb[i * 3 + 2];
  }
  int size = 256;
  std::vector<GifColorType> map(256);
  if (GifQuantizeBuffer(static_cast<unsigned>(image.width), static_cast<unsigned>(image.height), &size, r.data(),
                        g.data(), b.data(), indices.data(), map.data()) != GIF_OK)
    return {};
  palette.clear();
  for (int i = 0; i < size; ++i) palette.insert(palette.end(), {map[i].Red, map[i].Green, map[i].Blue});
  if (palette.empty()) palette = {0, 0, 0};
  return EncodeIndexedGif(image.width, image.height, palette, indices);
}

std::string EncodeJpeg(const RgbImage& image, int quality) {
  return EncodeJpegRgb(image.width, image.height, image.rgb.data(), quality);
}

Converted ConvertPicture(const std::string& source, PictureFormat target, const PictureLimits& limits) {
  Converted c;
  const PictureFormat from = SniffPicture(source);
  RgbImage image;
  switch (from) {
    case PictureFormat::kUnknown: c.error = "not a picture"; return c;
    case PictureFormat::kGif: {
      if (target == PictureFormat::kGif) {
        if (GifFrames(source, limits, c.error) == 0) return c;
        c.ok = true;
        c.bytes = source;  // frames, delays and loops as they came
        return c;
      }
      GifDecodeOptions options;
      options.firstImageOnly = true;
      options.maxPixels = static_cast<std::uint64_t>(limits.maxPixels);
      GifDecodeResult r = DecodeGif(Bytes(source), options);
      if (!r.ok || r.image.frames.empty()) return c.error = "undecodable GIF: " + r.error, c;
      if (!WithinLimits(r.image.width, r.image.height, limits, c.error)) return c;
      image = FirstFrame(r.image);
      break;
    }
    case PictureFormat::kJpeg:
      if (!DecodeJpeg(source, limits, image, c.error)) return c;
      if (target == PictureFormat::kJpeg) {
        c.ok = true;
        c.bytes = source;
        return c;
      }
      break;
    case PictureFormat::kPng:
      if (!DecodePng(source, limits, image, c.error)) return c;
      break;
  }
  c.bytes = target == PictureFormat::kGif ? EncodeGif(image) : EncodeJpeg(image);
  c.ok = !c.bytes.empty();
  if (!c.ok) c.error = "the picture could not be encoded";
  return c;
}

}  // namespace sky::gateway
