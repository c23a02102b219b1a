#include "sample_server/pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <mutex>

#include "images/gif_writer.h"
#include "images/image_catalogue.h"
#include "images/jpeg_writer.h"

namespace sky::sample {

namespace {

// ---------------------------------------------------------------- noise

std::uint32_t Hash(std::uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

double Lattice(int x, int y, std::uint32_t seed) {
  return (Hash(static_cast<std::uint32_t>(x) * 73856093U ^ static_cast<std::uint32_t>(y) * 19349663U ^ seed) & 0xFFFF) /
         65535.0;
}

double ValueNoise(double x, double y, std::uint32_t seed) {
  const int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
  const double fx = x - xi, fy = y - yi;
  const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  const double a = Lattice(xi, yi, seed), b = Lattice(xi + 1, yi, seed);
  const double c = Lattice(xi, yi + 1, seed), d = Lattice(xi + 1, yi + 1, seed);
  return (a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy;
}

// Fractal noise in 0..1.
double Fbm(double x, double y, std::uint32_t seed, int octaves = 5) {
  double sum = 0, amp = 0.5, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * ValueNoise(x, y, seed + static_cast<std::uint32_t>(i) * 101U);
    norm += amp;
    x *= 2.03;
    y *= 2.03;
    amp *= 0.5;
  }
  return sum / norm;
}

struct Color {
  double r, g, b;
};
Color Mix(Color a, Color b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

class Canvas {
 public:
  Canvas(int w, int h) : img_{w, h, std::vector<std::uint8_t>(static_cast<std::size_t>(w) * h * 3)} {}
  void Set(int x, int y, Color c) {
    if (x < 0 || y < 0 || x >= img_.width || y >= img_.height) return;
    std::uint8_t* p = &img_.rgb[(static_cast<std::size_t>(y) * img_.width + x) * 3];
    p[0] = static_cast<std::uint8_t>(std::clamp(c.r, 0.0, 255.0));
    p[1] = static_cast<std::uint8_t>(std::clamp(c.g, 0.0, 255.0));
    p[2] = static_cast<std::uint8_t>(std::clamp(c.b, 0.0, 255.0));
  }
  void Rect(int x0, int y0, int x1, int y1, Color c) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) Set(x, y, c);
  }
  int W() const { return img_.width; }
  int H() const { return img_.height; }
  RgbImage Take() { return std::move(img_); }

 private:
  RgbImage img_;
};

// A rough continental outline: inside when the point (0..1 in both axes)
// lies within a wobbly ellipse.
double LandShape(double u, double v, std::uint32_t seed) {
  const double dx = (u - 0.5) / 0.42, dy = (v - 0.5) / 0.36;
  const double r = std::sqrt(dx * dx + dy * dy);
  const double wobble = (Fbm(u * 4, v * 4, seed ^ 0x51u, 4) - 0.5) * 0.55;
  return 1.0 - r + wobble;  // > 0 on land
}

const Color kOcean{16, 32, 80}, kLand{88, 96, 80}, kBorder{200, 200, 200};

Color RadarColor(double dbz) {
  static const Color steps[] = {{0, 236, 236}, {1, 160, 246}, {0, 255, 0}, {0, 200, 0}, {0, 144, 0},  {255, 255, 0},
                                {231, 192, 0}, {255, 144, 0}, {255, 0, 0}, {214, 0, 0}, {255, 0, 255}};
  const int i = std::clamp(static_cast<int>(dbz * 11), 0, 10);
  return steps[i];
}

void DrawMapBase(Canvas& c, std::uint32_t seed, bool borders) {
  for (int y = 0; y < c.H(); ++y)
    for (int x = 0; x < c.W(); ++x) {
      const double u = double(x) / c.W(), v = double(y) / c.H();
      const double land = LandShape(u, v, seed);
      Color col = land > 0 ? Mix(kLand, Color{120, 110, 90}, Fbm(u * 8, v * 8, seed, 3)) : kOcean;
      if (land > 0 && land < 0.012) col = kBorder;
      // State lines: a loose grid bent by noise.
      if (borders && land > 0.02) {
        const double gx = u * 9 + (Fbm(u * 3, v * 3, seed ^ 7u, 2) - 0.5), gy = v * 6;
        if (std::fabs(gx - std::round(gx)) < 0.02 || std::fabs(gy - std::round(gy)) < 0.025)
          col = Mix(col, kBorder, 0.6);
      }
      c.Set(x, y, col);
    }
}

void DrawRadar(Canvas& c, std::uint32_t seed, int frame) {
  DrawMapBase(c, seed, true);
  const double drift = frame * 0.22;
  for (int y = 0; y < c.H(); ++y)
    for (int x = 0; x < c.W(); ++x) {
      const double u = double(x) / c.W(), v = double(y) / c.H();
      if (LandShape(u, v, seed) < -0.05) continue;
      const double n = Fbm(u * 6 - drift, v * 6, seed ^ 0xabcu);
      if (n > 0.56) c.Set(x, y, RadarColor((n - 0.56) / 0.3));
    }
  // Legend strip along the bottom.
  const int lh = std::max(6, c.H() / 40);
  for (int i = 0; i < 11; ++i)
    c.Rect(8 + i * 16, c.H() - lh - 6, 8 + i * 16 + 15, c.H() - 6, RadarColor(i / 11.0 + 0.01));
}

void DrawSatellite(Canvas& c, std::uint32_t seed, bool infrared) {
  for (int y = 0; y < c.H(); ++y)
    for (int x = 0; x < c.W(); ++x) {
      const double u = double(x) / c.W(), v = double(y) / c.H();
      const double land = LandShape(u, v, seed);
      Color ground =
          land > 0 ? Mix(Color{60, 90, 40}, Color{150, 130, 90}, Fbm(u * 10, v * 10, seed, 3)) : Color{10, 20, 60};
      if (infrared) ground = land > 0 ? Color{70, 70, 70} : Color{30, 30, 30};
      const double cloud = std::clamp((Fbm(u * 5 + v, v * 5, seed ^ 0x77u, 6) - 0.45) * 2.6, 0.0, 1.0);
      Color col = Mix(ground, Color{245, 245, 245}, cloud);
      if (infrared && cloud > 0.8) col = Mix(Color{80, 160, 255}, Color{255, 40, 40}, (cloud - 0.8) * 5);
      c.Set(x, y, col);
    }
}

void DrawGlobalTemp(Canvas& c, std::uint32_t seed) {
  for (int y = 0; y < c.H(); ++y)
    for (int x = 0; x < c.W(); ++x) {
      const double u = double(x) / c.W(), v = double(y) / c.H();
      const double lat = std::fabs(v - 0.5) * 2;
      const double land = Fbm(u * 6, v * 4, seed, 4) - 0.52;
      const double t = 1 - lat + (Fbm(u * 3, v * 3, seed ^ 3u, 3) - 0.5) * 0.4;
      Color col = Mix(Color{40, 40, 200}, Color{230, 40, 20}, t);
      if (land < 0) col = Mix(col, Color{20, 30, 70}, 0.6);
      const double cloud = std::clamp((Fbm(u * 8, v * 8, seed ^ 9u) - 0.55) * 3, 0.0, 0.9);
      c.Set(x, y, Mix(col, Color{250, 250, 250}, cloud));
    }
}

// Outlook maps: smooth bands of probability on a white page.
void DrawOutlookMap(Canvas& c, int x0, int y0, int w, int h, std::uint32_t seed, bool precipitation) {
  const Color below = precipitation ? Color{150, 100, 40} : Color{40, 90, 220};
  const Color above = precipitation ? Color{30, 160, 60} : Color{220, 50, 40};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double u = double(x) / w, v = double(y) / h;
      const double land = LandShape(u, v, seed);
      Color col{255, 255, 255};
      if (land > 0) {
        const double p = Fbm(u * 2.5, v * 2.5, seed ^ 0x99u, 3);
        const double band = std::round((p - 0.5) * 8) / 4;  // -1 .. 1 in steps
        col = band < 0 ? Mix(Color{235, 235, 235}, below, -band) : Mix(Color{235, 235, 235}, above, band);
        if (land < 0.015) col = Color{0, 0, 0};
      }
      c.Set(x0 + x, y0 + y, col);
    }
}

void DrawCamera(Canvas& c, std::uint32_t seed) {
  const double horizon = 0.55 + (Lattice(1, 2, seed) - 0.5) * 0.2;
  const bool city = (seed & 3) == 0, water = (seed & 3) == 1;
  const double sunX = 0.2 + Lattice(3, 4, seed) * 0.6;
  const Color skyTop = Mix(Color{40, 90, 190}, Color{200, 120, 80}, (seed >> 4 & 3) == 0 ? 0.7 : 0.0);
  for (int y = 0; y < c.H(); ++y)
    for (int x = 0; x < c.W(); ++x) {
      const double u = double(x) / c.W(), v = double(y) / c.H();
      Color col = Mix(skyTop, Color{200, 220, 240}, v / horizon);
      const double sun = std::hypot(u - sunX, (v - 0.18) * 0.75);
      if (sun < 0.05) col = Color{255, 250, 220};
      else col = Mix(col, Color{255, 240, 200}, 0.25 * std::exp(-sun * 8));
      const double cloud = std::clamp((Fbm(u * 4, v * 9, seed ^ 5u) - 0.55) * 3, 0.0, 1.0) * (1 - v / horizon);
      col = Mix(col, Color{240, 240, 245}, cloud);
      const double ridge = horizon - 0.25 * Fbm(u * 3, 0.5, seed ^ 11u, 5);
      if (v > ridge) col = Mix(Color{70, 80, 110}, Color{50, 70, 50}, (v - ridge) * 4);
      if (v > ridge && v < ridge + 0.03 && !water) col = Mix(col, Color{250, 250, 255}, 0.7);  // snow caps
      if (v > horizon) {
        col = water ? Mix(Color{40, 80, 120}, Color{20, 40, 70}, (v - horizon) * 2)
                    : Mix(Color{70, 110, 50}, Color{40, 60, 30}, Fbm(u * 20, v * 20, seed, 3));
      }
      c.Set(x, y, col);
    }
  if (city) {
    int x = 0;
    std::uint32_t s = seed;
    while (x < c.W()) {
      s = Hash(s);
      const int bw = 10 + static_cast<int>(s % 30), bh = 20 + static_cast<int>((s >> 8) % (c.H() / 2));
      const int top = static_cast<int>(c.H() * horizon) - bh + 10;
      const double shade = 60 + (s >> 16) % 60;
      c.Rect(x, top, x + bw - 2, static_cast<int>(c.H() * horizon) + 10, Color{shade, shade, shade + 10});
      for (int wy = top + 4; wy < top + bh - 4; wy += 6)
        for (int wx = x + 2; wx < x + bw - 4; wx += 5)
          if (Hash(static_cast<std::uint32_t>(wx * 31 + wy)) & 1) c.Rect(wx, wy, wx + 2, wy + 3, Color{230, 220, 150});
      x += bw;
    }
  }
}

void DrawStormWatch(Canvas& c, std::uint32_t seed, int frame) {
  DrawRadar(c, seed, frame);
  // A storm symbol travelling north-east across the frames.
  const double cx = c.W() * (0.3 + frame * 0.05), cy = c.H() * (0.7 - frame * 0.04);
  for (int y = -22; y <= 22; ++y)
    for (int x = -22; x <= 22; ++x) {
      const double r = std::hypot(x, y), a = std::atan2(y, x);
      if (r < 22 && std::fabs(std::sin(a * 2 + r * 0.3)) < 0.4)
        c.Set(static_cast<int>(cx) + x, static_cast<int>(cy) + y, Color{255, 0, 255});
    }
}

}  // namespace

RgbImage DrawPicture(PictureKind kind, int width, int height, std::uint32_t seed, int frame) {
  Canvas c(width, height);
  switch (kind) {
    case PictureKind::Radar: DrawRadar(c, seed, 0); break;
    case PictureKind::Satellite: DrawSatellite(c, seed, false); break;
    case PictureKind::Infrared: DrawSatellite(c, seed, true); break;
    case PictureKind::GlobalTemp: DrawGlobalTemp(c, seed); break;
    case PictureKind::TempOutlook:
    case PictureKind::PrecOutlook:
      c.Rect(0, 0, width, height, Color{255, 255, 255});
      DrawOutlookMap(c, 6, 6, width - 12, height - 12, seed, kind == PictureKind::PrecOutlook);
      break;
    case PictureKind::Seasonal: {
      c.Rect(0, 0, width, height, Color{255, 255, 255});
      const int w = (width - 18) / 2, h = (height - 18) / 2;
      for (int i = 0; i < 4; ++i)
        DrawOutlookMap(c, 6 + (i % 2) * (w + 6), 6 + (i / 2) * (h + 6), w, h, seed + static_cast<std::uint32_t>(i),
                       i % 2 == 1);
      c.Rect(0, height / 2 - 3, width, height / 2, Color{120, 40, 160});  // the purple bar
      break;
    }
    case PictureKind::Camera: DrawCamera(c, seed); break;
    case PictureKind::StormWatch: DrawStormWatch(c, seed, frame); break;
  }
  return c.Take();
}

std::string EncodeGifPicture(const std::vector<RgbImage>& frames, int delay) {
  // A 6 x 7 x 6 colour cube: 252 colours, enough for maps and good enough
  // for photographs at this size.
  sky::gif::Palette palette{};
  for (int i = 0; i < 252; ++i)
    palette[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>((i / 42) * 51),
                                            static_cast<std::uint8_t>((i / 6 % 7) * 255 / 6),
                                            static_cast<std::uint8_t>((i % 6) * 51)};
  const int w = frames.front().width, h = frames.front().height;
  std::vector<std::vector<std::uint8_t>> indexed;
  indexed.reserve(frames.size());
  for (const RgbImage& f : frames) {
    std::vector<std::uint8_t> idx(static_cast<std::size_t>(w) * h);
    for (std::size_t i = 0; i < idx.size(); ++i) {
      const std::uint8_t* p = &f.rgb[i * 3];
      const int x = static_cast<int>(i % static_cast<std::size_t>(w)),
                y = static_cast<int>(i / static_cast<std::size_t>(w));
      const double d = ((x & 1) * 2 + (y & 1) * 3 % 4) / 4.0 - 0.375;  // a light ordered dither
      auto q = [d](int v, int levels) {
        return std::clamp(static_cast<int>(v * (levels - 1) / 255.0 + 0.5 + d * 0.5), 0, levels - 1);
      };
      idx[i] = static_cast<std::uint8_t>(q(p[0], 6) * 42 + q(p[1], 7) * 6 + q(p[2], 6));
    }
    indexed.push_back(std::move(idx));
  }
  return sky::gif::EncodeGifFrames(w, h, indexed, palette, delay);
}

std::string EncodeJpegPicture(const RgbImage& image, int quality) {
  return EncodeJpegRgb(image.width, image.height, image.rgb.data(), quality);
}

namespace {

struct Look {
  PictureKind kind;
  int width, height;
};

Look LookOf(const ImageRow& row) {
  const std::string file = row.file;
  switch (row.group) {
    case ImageGroup::Radar:
      return {PictureKind::Radar, file == "nat_rad.wni.gif" ? 400 : 640, file == "nat_rad.wni.gif" ? 300 : 480};
    case ImageGroup::Satellite:
      if (file == "latest_cmoll.gif") return {PictureKind::GlobalTemp, 640, 320};
      if (file == "sat_ir_us.gif" || file == "sat_ir_rad.gif") return {PictureKind::Infrared, 640, 480};
      return {PictureKind::Satellite, 450, 350};
    case ImageGroup::TempOutlook: return {PictureKind::TempOutlook, 420, 320};
    case ImageGroup::PrecOutlook: return {PictureKind::PrecOutlook, 420, 320};
    case ImageGroup::Seasonal: return {PictureKind::Seasonal, 560, 440};
    case ImageGroup::StormWatch: return {PictureKind::StormWatch, 480, 320};
    case ImageGroup::Camera:
      if (file == "hollysm.jpg") return {PictureKind::Camera, 160, 120};
      if (file == "fullsize.jpg") return {PictureKind::Camera, 640, 480};
      return {PictureKind::Camera, 320, 240};
  }
  return {PictureKind::Camera, 320, 240};
}

// The camera's view: 0 a city skyline, 1 water, 2 mountains (the low bits
// of the seed pick the scene in DrawCamera).
std::uint32_t CameraScene(const std::string& file) {
  static const std::set<std::string> city = {"camera80.jpg", "wxcam.jpg",       "hollysm.jpg", "roof_cam.jpg",
                                             "tower.jpg",    "arch_backup.jpg", "skycam.jpg",  "view.gif",
                                             "view11.jpg",   "recent0.jpg"};
  static const std::set<std::string> water = {"sugarpine.jpg", "falls.jpg", "m6.jpg", "last.md.jpeg", "chan6.gif"};
  return city.count(file) ? 0u : water.count(file) ? 1u : 2u;
}

bool IsGif(const std::string& file) { return file.size() > 4 && (file.ends_with(".gif") || file.ends_with(".GIF")); }

class PictureSite : public Site {
 public:
  explicit PictureSite(PictureOptions options) : options_(std::move(options)) {}
  void AddRow(const ImageRow* row) { rows_[row->path] = row; }

  std::optional<Reply> Handle(const Request& request) const override {
    std::string path = request.path;
    const ImageRow* row = nullptr;
    std::uint32_t extra = 0;
    if (auto it = rows_.find(path); it != rows_.end()) {
      row = it->second;
    } else if (path == kPurdueFallbackPath && rows_.count("/radar/rad_comp.gif")) {
      row = rows_.at("/radar/rad_comp.gif");
      extra = 2;  // two hours older
    } else {
      return std::nullopt;
    }
    if (options_.missing.count(path)) return std::nullopt;
    Reply reply;
    reply.status = 200;
    const std::int64_t hour = request.now / 3600 - extra;
    std::uint32_t seed = static_cast<std::uint32_t>(hour);
    for (char ch : path) seed = seed * 131 + static_cast<unsigned char>(ch);
    if (row->group == ImageGroup::Camera) seed = (seed & ~3u) | CameraScene(row->file);
    reply.body = Render(*row, path, seed, path == "/radar/rad_comp.gif" && options_.smallPurdueRadar);
    reply.contentType = IsGif(row->file) ? "image/gif" : "image/jpeg";
    return reply;
  }

 private:
  std::string Render(const ImageRow& row, const std::string& path, std::uint32_t seed, bool small) const {
    const std::string key = path + "#" + std::to_string(seed) + (small ? "s" : "");
    std::lock_guard<std::mutex> lock(mutex_);
    if (auto it = cache_.find(key); it != cache_.end()) return it->second;
    Look look = LookOf(row);
    if (small) look = {PictureKind::Radar, 40, 30};  // a broken, tiny picture as the real server sometimes gave
    std::string bytes;
    if (look.kind == PictureKind::StormWatch) {
      std::vector<RgbImage> frames;
      for (int f = 0; f < 6; ++f) frames.push_back(DrawPicture(look.kind, look.width, look.height, seed, f));
      bytes = EncodeGifPicture(frames, 40);
    } else {
      RgbImage image = DrawPicture(look.kind, look.width, look.height, seed);
      bytes = IsGif(row.file) ? EncodeGifPicture({image}, 0) : EncodeJpegPicture(image);
    }
    if (cache_.size() > 200) cache_.clear();
    return cache_[key] = bytes;
  }

  PictureOptions options_;
  std::map<std::string, const ImageRow*> rows_;
  mutable std::mutex mutex_;
  mutable std::map<std::string, std::string> cache_;
};

}  // namespace

void AddPictureSites(Router& router, const PictureOptions& options) {
  std::map<std::string, std::unique_ptr<PictureSite>> sites;
  for (const ImageRow& row : ImageCatalogue()) {
    auto& site = sites[row.host];
    if (!site) site = std::make_unique<PictureSite>(options);
    site->AddRow(&row);
  }
  for (auto& [host, site] : sites) router.Add(host, std::move(site));
}

}  // namespace sky::sample
