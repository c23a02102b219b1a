// app-icon: draws the program's icon, a crescent moon behind a cloud on a
// night-blue tile, as SVG.
//
//   app-icon OUTDIR
//
// writes OUTDIR/scalable.svg (the detailed picture) and OUTDIR/N.svg for each
// pixel size of the icon theme. Small sizes are not just the big picture
// shrunk: they drop the stars and the shading, thicken the crescent and put
// the edges that matter on whole pixels, so the moon and the cloud still read
// at 16 x 16. The target regenerate-app-icon renders the PNGs from these.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

struct Circle {
  double x, y, r;
};

std::string Num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", v);
  std::string s = buf;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s == "-0" ? "0" : s;
}

// The crescent: the part of the moon disc outside the shadow disc, as one
// path through the two points where the circles cross.
std::string CrescentPath(const Circle& moon, const Circle& shadow) {
  const double dx = shadow.x - moon.x, dy = shadow.y - moon.y;
  const double d = std::hypot(dx, dy);
  const double a = (moon.r * moon.r - shadow.r * shadow.r + d * d) / (2 * d);
  const double h = std::sqrt(moon.r * moon.r - a * a);
  const double mx = moon.x + a * dx / d, my = moon.y + a * dy / d;
  const double p1x = mx + h * dy / d, p1y = my - h * dx / d;
  const double p2x = mx - h * dy / d, p2y = my + h * dx / d;
  std::ostringstream p;
  // Outer edge the long way round the moon, inner edge back along the shadow.
  p << "M" << Num(p1x) << "," << Num(p1y) << " A" << Num(moon.r) << "," << Num(moon.r) << " 0 1,0 " << Num(p2x) << ","
    << Num(p2y) << " A" << Num(shadow.r) << "," << Num(shadow.r) << " 0 0,1 " << Num(p1x) << "," << Num(p1y) << " Z";
  return p.str();
}

struct Style {
  bool detailed;  // gradients, stars, soft shadow
  double n;       // picture size in pixels (viewBox side)
};

// Rounds to the pixel grid at small sizes, so edges land on whole pixels.
double Snap(const Style& s, double v) { return s.detailed ? v : std::round(v * 2) / 2; }

std::string Draw(const Style& s) {
  const double n = s.n;
  auto u = [&](double f) { return f * n; };  // unit square to pixels
  std::ostringstream o;
  o << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << Num(n) << "\" height=\"" << Num(n) << "\" viewBox=\"0 0 "
    << Num(n) << " " << Num(n) << "\">\n"
    << "  <title>Skyglass</title>\n";

  // The tile: a rounded square of night sky. Big sizes leave a margin for the
  // shadow; small ones use every pixel.
  const double margin = s.detailed ? u(0.055) : 0;
  const double side = n - 2 * margin;
  const double radius = s.detailed ? u(0.2) : std::max(2.0, std::round(n * 0.19));
  if (s.detailed) {
    o << "  <defs>\n"
      << "    <linearGradient id=\"sky\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">\n"
      << "      <stop offset=\"0\" stop-color=\"#2b4a9a\"/>\n"
      << "      <stop offset=\"1\" stop-color=\"#0d1538\"/>\n"
      << "    </linearGradient>\n"
      << "    <linearGradient id=\"moon\" x1=\"0\" y1=\"0\" x2=\"1\" y2=\"1\">\n"
      << "      <stop offset=\"0\" stop-color=\"#fff6c4\"/>\n"
      << "      <stop offset=\"1\" stop-color=\"#ffc21f\"/>\n"
      << "    </linearGradient>\n"
      << "    <linearGradient id=\"cloud\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">\n"
      << "      <stop offset=\"0\" stop-color=\"#ffffff\"/>\n"
      << "      <stop offset=\"1\" stop-color=\"#c9d3e3\"/>\n"
      << "    </linearGradient>\n"
      << "    <filter id=\"shadow\" x=\"-10%\" y=\"-10%\" width=\"120%\" height=\"125%\">\n"
      << "      <feGaussianBlur in=\"SourceAlpha\" stdDeviation=\"" << Num(u(0.018)) << "\"/>\n"
      << "      <feOffset dy=\"" << Num(u(0.015)) << "\" result=\"blur\"/>\n"
      << "      <feComponentTransfer><feFuncA type=\"linear\" slope=\"0.45\"/></feComponentTransfer>\n"
      << "      <feMerge><feMergeNode/><feMergeNode in=\"SourceGraphic\"/></feMerge>\n"
      << "    </filter>\n"
      << "  </defs>\n";
  }
  o << "  <rect x=\"" << Num(margin) << "\" y=\"" << Num(margin) << "\" width=\"" << Num(side) << "\" height=\""
    << Num(side) << "\" rx=\"" << Num(radius) << "\" fill=\"" << (s.detailed ? "url(#sky)" : "#1e3275") << "\""
    << (s.detailed ? " filter=\"url(#shadow)\"" : "") << "/>\n";

  if (s.detailed) {
    // A few stars: four-pointed sparkles in the free upper-left sky.
    const struct {
      double x, y, r;
    } stars[] = {{0.22, 0.22, 0.045}, {0.37, 0.14, 0.025}, {0.16, 0.43, 0.028}, {0.85, 0.2, 0.022}};
    for (const auto& st : stars) {
      const double x = u(st.x), y = u(st.y), r = u(st.r), w = r * 0.28;
      o << "  <path fill=\"#e8eeff\" d=\"M" << Num(x) << "," << Num(y - r) << " L" << Num(x + w) << "," << Num(y - w)
        << " L" << Num(x + r) << "," << Num(y) << " L" << Num(x + w) << "," << Num(y + w) << " L" << Num(x) << ","
        << Num(y + r) << " L" << Num(x - w) << "," << Num(y + w) << " L" << Num(x - r) << "," << Num(y) << " L"
        << Num(x - w) << "," << Num(y - w) << " Z\"/>\n";
    }
  }

  // The moon: a fat crescent in the upper right, horns to the upper left.
  // Small sizes take a thinner shadow disc so the crescent keeps two pixels
  // or more of width.
  const Circle moon =
      s.detailed ? Circle{u(0.6), u(0.4), u(0.3)} : Circle{Snap(s, u(0.62)), Snap(s, u(0.38)), Snap(s, u(0.3))};
  const Circle shadow = s.detailed ? Circle{u(0.47), u(0.3), u(0.25)} : Circle{u(0.42), u(0.22), u(0.22)};
  o << "  <path fill=\"" << (s.detailed ? "url(#moon)" : "#ffd23a") << "\" d=\"" << CrescentPath(moon, shadow)
    << "\"/>\n";

  // The cloud in front of the moon's lower half: three puffs on a flat,
  // rounded base. Its outline is the same shapes stroked underneath, so only
  // the outer edge of the union shows.
  std::vector<Circle> puffs;
  double baseX0, baseX1, baseY0, baseY1;
  if (s.detailed) {
    puffs = {{u(0.33), u(0.66), u(0.13)}, {u(0.5), u(0.57), u(0.17)}, {u(0.68), u(0.67), u(0.12)}};
    baseX0 = u(0.17), baseX1 = u(0.85), baseY0 = u(0.64), baseY1 = u(0.82);
  } else {
    // Lower and further left than in the big picture, so that the moon's
    // bright outer edge stays in sight.
    puffs = {{Snap(s, u(0.3)), Snap(s, u(0.68)), Snap(s, u(0.14))},
             {Snap(s, u(0.47)), Snap(s, u(0.6)), Snap(s, u(0.18))}};
    baseX0 = std::round(u(0.1)), baseX1 = std::round(u(0.75)), baseY0 = std::round(u(0.66));
    baseY1 = std::round(u(0.88));
  }
  const double baseR = (baseY1 - baseY0) / 2;
  auto cloudShapes = [&](const std::string& attrs) {
    for (const Circle& c : puffs)
      o << "    <circle cx=\"" << Num(c.x) << "\" cy=\"" << Num(c.y) << "\" r=\"" << Num(c.r) << "\"" << attrs
        << "/>\n";
    o << "    <rect x=\"" << Num(baseX0) << "\" y=\"" << Num(baseY0) << "\" width=\"" << Num(baseX1 - baseX0)
      << "\" height=\"" << Num(baseY1 - baseY0) << "\" rx=\"" << Num(baseR) << "\"" << attrs << "/>\n";
  };
  const double outline = s.detailed ? u(0.035) : (n < 30 ? 2.0 : 3.0);
  o << "  <g fill=\"#12204f\" stroke=\"#12204f\" stroke-width=\"" << Num(outline) << "\">\n";
  cloudShapes("");
  o << "  </g>\n"
    << "  <g fill=\"" << (s.detailed ? "url(#cloud)" : "#f2f5fa") << "\">\n";
  cloudShapes("");
  o << "  </g>\n</svg>\n";
  return o.str();
}

bool Write(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary);
  f << text;
  return static_cast<bool>(f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: app-icon OUTDIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  bool ok = Write(dir + "/scalable.svg", Draw({true, 256}));
  for (int size : kSizes) ok = Write(dir + "/" + std::to_string(size) + ".svg", Draw({size >= 48, double(size)})) && ok;
  if (!ok) {
    std::fprintf(stderr, "app-icon: cannot write into %s\n", dir.c_str());
    return 1;
  }
  return 0;
}
