#include "render.h"

#include <algorithm>
#include <cmath>

namespace moon_pictures {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSamples = 8;       // per pixel and axis
constexpr double kRadius = 22.5;  // pixels
constexpr double kCentre = kSize / 2.0;
constexpr double kEarthshine = 0.07;  // keeps the dark part visible on black
constexpr double kTerminatorSoftness = 0.04;

// Dark plains as seen from the Earth, in disc coordinates (x right, y up,
// radius 1): centre, radii and darkness. Rough, but they read as the moon.
struct Patch {
  double x, y, rx, ry, depth;
};
constexpr Patch kMaria[] = {
    {-0.32, 0.45, 0.30, 0.22, 0.38},   // the big northern plain
    {0.18, 0.38, 0.17, 0.15, 0.36},    // north-east of centre
    {0.30, 0.12, 0.20, 0.17, 0.34},    // just east of centre
    {0.68, 0.27, 0.11, 0.09, 0.40},    // the isolated eastern spot
    {0.58, -0.18, 0.13, 0.20, 0.30},   // south-east
    {0.38, -0.30, 0.11, 0.12, 0.26},   // south-east, inner
    {-0.60, 0.05, 0.25, 0.45, 0.34},   // the western ocean
    {-0.22, -0.38, 0.20, 0.14, 0.28},  // south of centre
    {-0.50, -0.45, 0.12, 0.10, 0.24},  // south-west
    {0.05, 0.05, 0.12, 0.10, 0.18},    // centre
};

double Smoothstep(double e0, double e1, double x) {
  const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

// Reflectance of the surface at (x, y) on the unit disc.
double Albedo(double x, double y) {
  double a = 1.0;
  for (const Patch& p : kMaria) {
    const double dx = (x - p.x) / p.rx, dy = (y - p.y) / p.ry;
    const double d = std::sqrt(dx * dx + dy * dy);
    a -= p.depth * (1.0 - Smoothstep(0.35, 1.25, d));
  }
  // A bright young crater in the south with a hint of its rays.
  const double tx = x + 0.12, ty = y + 0.68;
  const double td = std::sqrt(tx * tx + ty * ty);
  a += 0.25 * (1.0 - Smoothstep(0.02, 0.07, td));
  return std::clamp(a, 0.45, 1.2);
}

// Brightness 0..1 of one point of the disc.
double Shade(double x, double y, double fraction, bool waxing) {
  const double z = std::sqrt(std::max(0.0, 1.0 - x * x - y * y));
  // Phase angle i from the lit fraction k = (1 + cos i) / 2; the Sun lies
  // towards +x when waxing.
  const double cosI = std::clamp(2 * fraction - 1, -1.0, 1.0);
  const double sinI = std::sqrt(1 - cosI * cosI);
  const double sx = waxing ? sinI : -sinI;
  const double mu0 = x * sx + z * cosI;  // cosine of the Sun's incidence
  const double mu = z;                   // cosine of the view angle
  // The Lommel-Seeliger law: the full moon looks flat, not like a ball, and
  // the light falls off only near the terminator.
  double lit = 0;
  if (mu0 > 0) lit = 2 * mu0 / (mu0 + std::max(mu, 1e-6));
  lit *= Smoothstep(-kTerminatorSoftness, kTerminatorSoftness, mu0);
  const double albedo = Albedo(x, y);
  return std::clamp(albedo * (0.88 * std::min(lit, 1.0) + kEarthshine * (1 - std::min(lit, 1.0))), 0.0, 1.0);
}

}  // namespace

std::vector<std::uint8_t> RenderMoon(double fraction, bool waxing) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kSize) * kSize, 0);
  for (int py = 0; py < kSize; ++py) {
    for (int px = 0; px < kSize; ++px) {
      double sum = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const double x = (px + (sx + 0.5) / kSamples - kCentre) / kRadius;
          const double y = (kCentre - (py + (sy + 0.5) / kSamples)) / kRadius;
          if (x * x + y * y > 1.0) continue;  // sky: black
          sum += Shade(x, y, fraction, waxing);
        }
      }
      const double v = sum / (kSamples * kSamples);
      pixels[static_cast<std::size_t>(py) * kSize + px] =
          static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
    }
  }
  return pixels;
}

}  // namespace moon_pictures
