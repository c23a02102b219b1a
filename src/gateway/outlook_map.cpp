#include "gateway/outlook_map.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "gateway/picture_convert.h"

namespace sky::gateway {

namespace {

// clang-format off
constexpr OutlookRegion kRegions[] = {
    {"africa",       "AFRICA",                -36, 38, -20, 55},
    {"australia",    "AUSTRALIA",             -45, -8, 110, 158},
    {"canada",       "CANADA & ALASKA",        42, 75, -170, -50},
    {"eastasia",     "EAST ASIA",              18, 55, 95, 150},
    {"europe",       "EUROPE",                 34, 72, -12, 42},
    {"mexico",       "MEXICO & CARIBBEAN",      8, 33, -118, -58},
    {"mideast",      "MIDDLE EAST",            12, 42, 25, 65},
    {"southamerica", "SOUTH AMERICA",         -56, 13, -82, -34},
    {"southasia",    "SOUTH ASIA",              5, 37, 60, 100},
};
// clang-format on

constexpr int kWidth = 640, kHeight = 480;
constexpr int kMapLeft = 8, kMapTop = 36, kMapRight = 632, kMapBottom = 430;

// Palette: 0 white, 1 black, 2 grey (no data), then the bands.
constexpr std::uint8_t kWhite = 0, kBlack = 1, kGrey = 2, kFirstBand = 3;

struct Bands {
  std::vector<double> upper;  // band i holds values below upper[i]; the last has none
  std::vector<std::array<std::uint8_t, 3>> colors;
  std::vector<const char*> labels;
  const char* what;
};

const Bands& TemperatureBands() {
  static const Bands b{{-20, -10, -5, 0, 5, 10, 15, 20, 25, 30},
                       {{{60, 0, 110}},
                        {{40, 40, 190}},
                        {{40, 100, 230}},
                        {{100, 170, 250}},
                        {{170, 220, 250}},
                        {{200, 240, 200}},
                        {{250, 250, 150}},
                        {{250, 200, 90}},
                        {{245, 140, 50}},
                        {{220, 60, 30}},
                        {{150, 0, 20}}},
                       {"-20", "-10", "-5", "0", "5", "10", "15", "20", "25", "30"},
                       "10-DAY MEAN TEMPERATURE (C)"};
  return b;
}

const Bands& PrecipitationBands() {
  static const Bands b{{1, 5, 10, 25, 50, 100, 200},
                       {{{250, 245, 225}},
                        {{230, 220, 160}},
                        {{200, 230, 150}},
                        {{130, 200, 120}},
                        {{60, 160, 90}},
                        {{40, 120, 180}},
                        {{30, 60, 150}},
                        {{90, 30, 130}}},
                       {"1", "5", "10", "25", "50", "100", "200"},
                       "10-DAY TOTAL PRECIPITATION (MM)"};
  return b;
}

// A 5 x 7 font for the map's captions: capitals, digits and a few signs;
// small letters are drawn as capitals. Each row's five bits, left first.
const std::uint8_t* Glyph(char c) {
  struct Entry {
    char c;
    std::uint8_t rows[7];
  };
  // clang-format off
  static constexpr Entry kFont[] = {
      {'0', {0x0E,0x11,0x13,0x15,0x19,0x11,0x0E}}, {'1', {0x04,0x0C,0x04,0x04,0x04,0x04,0x0E}},
      {'2', {0x0E,0x11,0x01,0x02,0x04,0x08,0x1F}}, {'3', {0x1F,0x02,0x04,0x02,0x01,0x11,0x0E}},
      {'4', {0x02,0x06,0x0A,0x12,0x1F,0x02,0x02}}, {'5', {0x1F,0x10,0x1E,0x01,0x01,0x11,0x0E}},
      {'6', {0x06,0x08,0x10,0x1E,0x11,0x11,0x0E}}, {'7', {0x1F,0x01,0x02,0x04,0x08,0x08,0x08}},
      {'8', {0x0E,0x11,0x11,0x0E,0x11,0x11,0x0E}}, {'9', {0x0E,0x11,0x11,0x0F,0x01,0x02,0x0C}},
      {'A', {0x0E,0x11,0x11,0x1F,0x11,0x11,0x11}}, {'B', {0x1E,0x11,0x11,0x1E,0x11,0x11,0x1E}},
      {'C', {0x0E,0x11,0x10,0x10,0x10,0x11,0x0E}}, {'D', {0x1C,0x12,0x11,0x11,0x11,0x12,0x1C}},
      {'E', {0x1F,0x10,0x10,0x1E,0x10,0x10,0x1F}}, {'F', {0x1F,0x10,0x10,0x1E,0x10,0x10,0x10}},
      {'G', {0x0E,0x11,0x10,0x17,0x11,0x11,0x0F}}, {'H', {0x11,0x11,0x11,0x1F,0x11,0x11,0x11}},
      {'I', {0x0E,0x04,0x04,0x04,0x04,0x04,0x0E}}, {'J', {0x07,0x02,0x02,0x02,0x02,0x12,0x0C}},
      {'K', {0x11,0x12,0x14,0x18,0x14,0x12,0x11}}, {'L', {0x10,0x10,0x10,0x10,0x10,0x10,0x1F}},
      {'M', {0x11,0x1B,0x15,0x15,0x11,0x11,0x11}}, {'N', {0x11,0x11,0x19,0x15,0x13,0x11,0x11}},
      {'O', {0x0E,0x11,0x11,0x11,0x11,0x11,0x0E}}, {'P', {0x1E,0x11,0x11,0x1E,0x10,0x10,0x10}},
      {'Q', {0x0E,0x11,0x11,0x11,0x15,0x12,0x0D}}, {'R', {0x1E,0x11,0x11,0x1E,0x14,0x12,0x11}},
      {'S', {0x0F,0x10,0x10,0x0E,0x01,0x01,0x1E}}, {'T', {0x1F,0x04,0x04,0x04,0x04,0x04,0x04}},
      {'U', {0x11,0x11,0x11,0x11,0x11,0x11,0x0E}}, {'V', {0x11,0x11,0x11,0x11,0x11,0x0A,0x04}},
      {'W', {0x11,0x11,0x11,0x15,0x15,0x15,0x0A}}, {'X', {0x11,0x11,0x0A,0x04,0x0A,0x11,0x11}},
      {'Y', {0x11,0x11,0x11,0x0A,0x04,0x04,0x04}}, {'Z', {0x1F,0x01,0x02,0x04,0x08,0x10,0x1F}},
      {'.', {0x00,0x00,0x00,0x00,0x00,0x0C,0x0C}}, {',', {0x00,0x00,0x00,0x00,0x0C,0x04,0x08}},
      {':', {0x00,0x0C,0x0C,0x00,0x0C,0x0C,0x00}}, {'-', {0x00,0x00,0x00,0x1F,0x00,0x00,0x00}},
      {'(', {0x02,0x04,0x08,0x08,0x08,0x04,0x02}}, {')', {0x08,0x04,0x02,0x02,0x02,0x04,0x08}},
      {'/', {0x01,0x01,0x02,0x04,0x08,0x10,0x10}}, {'&', {0x0C,0x12,0x14,0x08,0x15,0x12,0x0D}},
      {'<', {0x02,0x04,0x08,0x10,0x08,0x04,0x02}}, {'>', {0x08,0x04,0x02,0x01,0x02,0x04,0x08}},
      {'+', {0x00,0x04,0x04,0x1F,0x04,0x04,0x00}}, {'=', {0x00,0x00,0x1F,0x00,0x1F,0x00,0x00}},
  };
  // clang-format on
  if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  for (const Entry& e : kFont)
    if (e.c == c) return e.rows;
  return nullptr;
}

class Canvas {
 public:
  Canvas() : pixels_(static_cast<std::size_t>(kWidth) * kHeight, kWhite) {}
  void Set(int x, int y, std::uint8_t c) {
    if (x >= 0 && y >= 0 && x < kWidth && y < kHeight) pixels_[static_cast<std::size_t>(y) * kWidth + x] = c;
  }
  void Fill(int x0, int y0, int x1, int y1, std::uint8_t c) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) Set(x, y, c);
  }
  void Frame(int x0, int y0, int x1, int y1, std::uint8_t c) {
    Fill(x0, y0, x1, y0 + 1, c);
    Fill(x0, y1 - 1, x1, y1, c);
    Fill(x0, y0, x0 + 1, y1, c);
    Fill(x1 - 1, y0, x1, y1, c);
  }
  // Bresenham, clipped to the map.
  void Line(int x0, int y0, int x1, int y1, std::uint8_t c) {
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (int guard = 0; guard < 4 * (kWidth + kHeight); ++guard) {
      if (x0 >= kMapLeft && x0 < kMapRight && y0 >= kMapTop && y0 < kMapBottom) Set(x0, y0, c);
      if (x0 == x1 && y0 == y1) break;
      const int e2 = 2 * err;
      if (e2 >= dy) err += dy, x0 += sx;
      if (e2 <= dx) err += dx, y0 += sy;
    }
  }
  // Returns the width drawn.
  int Text(int x, int y, const std::string& text, int scale, std::uint8_t c) {
    int cx = x;
    for (char ch : text) {
      if (const std::uint8_t* rows = Glyph(ch)) {
        for (int r = 0; r < 7; ++r)
          for (int col = 0; col < 5; ++col)
            if (rows[r] & (0x10 >> col))
              Fill(cx + col * scale, y + r * scale, cx + (col + 1) * scale, y + (r + 1) * scale, c);
      }
      cx += 6 * scale;
    }
    return cx - x;
  }
  const std::vector<std::uint8_t>& Pixels() const { return pixels_; }

 private:
  std::vector<std::uint8_t> pixels_;
};

double Nan() { return std::numeric_limits<double>::quiet_NaN(); }

// The grid's value at a fractional index, bilinear between the four points
// around it; the nearest point where one of them is missing.
double Sample(const std::vector<double>& v, int side, double gx, double gy) {
  const int x0 = std::clamp(static_cast<int>(std::floor(gx)), 0, side - 1);
  const int y0 = std::clamp(static_cast<int>(std::floor(gy)), 0, side - 1);
  const int x1 = std::min(x0 + 1, side - 1), y1 = std::min(y0 + 1, side - 1);
  const double fx = std::clamp(gx - x0, 0.0, 1.0), fy = std::clamp(gy - y0, 0.0, 1.0);
  const double a = v[y0 * side + x0], b = v[y0 * side + x1], c = v[y1 * side + x0], d = v[y1 * side + x1];
  if (std::isnan(a) || std::isnan(b) || std::isnan(c) || std::isnan(d)) {
    const int nx = fx < 0.5 ? x0 : x1, ny = fy < 0.5 ? y0 : y1;
    return v[ny * side + nx];
  }
  return (a * (1 - fx) + b * fx) * (1 - fy) + (c * (1 - fx) + d * fx) * fy;
}

std::uint8_t BandOf(const Bands& bands, double value) {
  if (std::isnan(value)) return kGrey;
  std::size_t i = 0;
  while (i < bands.upper.size() && value >= bands.upper[i]) ++i;
  return static_cast<std::uint8_t>(kFirstBand + i);
}

std::string Coordinate(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

}  // namespace

const OutlookRegion* FindOutlookRegion(const std::string& key) {
  for (const OutlookRegion& r : kRegions)
    if (key == r.key) return &r;
  return nullptr;
}

std::string OutlookRequestUrl(const std::string& api_base, const OutlookRegion& region) {
  std::string lats, lons;
  const int n = kOutlookGridSide;
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) {
      const double lat = region.south + (region.north - region.south) * j / (n - 1);
      const double lon = region.west + (region.east - region.west) * i / (n - 1);
      lats += (lats.empty() ? "" : ",") + Coordinate(lat);
      lons += (lons.empty() ? "" : ",") + Coordinate(lon);
    }
  }
  return api_base + "/v1/forecast?latitude=" + lats + "&longitude=" + lons +
         "&daily=temperature_2m_max,temperature_2m_min,precipitation_sum&forecast_days=10&timezone=GMT";
}

bool ParseOutlookAnswer(const std::string& text, OutlookGrid& grid, std::string& error) {
  const nlohmann::json doc = nlohmann::json::parse(text, nullptr, false);
  const std::size_t points = static_cast<std::size_t>(grid.side) * grid.side;
  if (!doc.is_array() || doc.size() != points)
    return error = "not a list of " + std::to_string(points) + " places", false;
  grid.meanTemperatureC.assign(points, Nan());
  grid.precipitationMm.assign(points, Nan());
  auto numbers = [](const nlohmann::json& daily, const char* name) {
    std::vector<double> out;
    auto it = daily.find(name);
    if (it == daily.end() || !it->is_array()) return out;
    for (const auto& v : *it) out.push_back(v.is_number() ? v.get<double>() : Nan());
    return out;
  };
  std::size_t answered = 0;
  for (std::size_t p = 0; p < points; ++p) {
    const nlohmann::json& place = doc[p];
    if (!place.is_object() || !place.contains("daily") || !place["daily"].is_object()) continue;
    const nlohmann::json& daily = place["daily"];
    if (p == 0 && daily.contains("time") && daily["time"].is_array() && !daily["time"].empty() &&
        daily["time"].front().is_string()) {
      grid.firstDay = daily["time"].front().get<std::string>();
      grid.lastDay = daily["time"].back().is_string() ? daily["time"].back().get<std::string>() : grid.firstDay;
    }
    const std::vector<double> hi = numbers(daily, "temperature_2m_max"), lo = numbers(daily, "temperature_2m_min"),
                              rain = numbers(daily, "precipitation_sum");
    double t_sum = 0, r_sum = 0;
    int t_n = 0, r_n = 0;
    for (std::size_t d = 0; d < hi.size() && d < lo.size(); ++d) {
      if (std::isnan(hi[d]) || std::isnan(lo[d])) continue;
      t_sum += (hi[d] + lo[d]) / 2;
      ++t_n;
    }
    for (double r : rain) {
      if (std::isnan(r)) continue;
      r_sum += r;
      ++r_n;
    }
    if (t_n > 0) grid.meanTemperatureC[p] = t_sum / t_n;
    if (r_n > 0) grid.precipitationMm[p] = r_sum;
    if (t_n > 0 || r_n > 0) ++answered;
  }
  // Fewer than half the places with values is not a map worth showing.
  if (answered * 2 < points) return error = "values for only " + std::to_string(answered) + " places", false;
  return true;
}

std::string DrawOutlookMap(const OutlookRegion& region, const OutlookGrid& grid, OutlookKind kind,
                           const Coastlines& coast) {
  const Bands& bands = kind == OutlookKind::kTemperature ? TemperatureBands() : PrecipitationBands();
  const std::vector<double>& values = kind == OutlookKind::kTemperature ? grid.meanTemperatureC : grid.precipitationMm;
  Canvas canvas;
  const int side = grid.side;
  const double w = kMapRight - kMapLeft, h = kMapBottom - kMapTop;
  for (int y = kMapTop; y < kMapBottom; ++y) {
    const double lat = region.north - (region.north - region.south) * (y - kMapTop + 0.5) / h;
    const double gy = (lat - region.south) / (region.north - region.south) * (side - 1);
    for (int x = kMapLeft; x < kMapRight; ++x) {
      const double lon = region.west + (region.east - region.west) * (x - kMapLeft + 0.5) / w;
      const double gx = (lon - region.west) / (region.east - region.west) * (side - 1);
      canvas.Set(x, y, BandOf(bands, Sample(values, side, gx, gy)));
    }
  }
  // Shorelines: longitudes are stored 0 to 360; each point is moved by whole
  // turns to the side of the map's middle.
  const double mid = (region.west + region.east) / 2;
  auto px = [&](double lon) {
    while (lon - mid > 180) lon -= 360;
    while (lon - mid < -180) lon += 360;
    return static_cast<int>(std::lround(kMapLeft + (lon - region.west) / (region.east - region.west) * w));
  };
  auto py = [&](double lat) {
    return static_cast<int>(std::lround(kMapTop + (region.north - lat) / (region.north - region.south) * h));
  };
  for (const GeoLine& line : coast.lines) {
    for (std::size_t i = 1; i < line.lon.size(); ++i) {
      const int x0 = px(line.lon[i - 1]), x1 = px(line.lon[i]);
      if (std::abs(x1 - x0) > kWidth / 2) continue;  // the far side of the map
      canvas.Line(x0, py(line.lat[i - 1]), x1, py(line.lat[i]), kBlack);
    }
  }
  canvas.Frame(kMapLeft - 1, kMapTop - 1, kMapRight + 1, kMapBottom + 1, kBlack);

  canvas.Text(kMapLeft, 4, std::string(bands.what) + " - " + region.title, 2, kBlack);
  const std::string days =
      grid.firstDay.empty() ? std::string("NEXT 10 DAYS") : grid.firstDay + " TO " + grid.lastDay + " (UTC)";
  canvas.Text(kMapLeft, 22, days, 1, kBlack);
  // The legend: a box per band, its lower bound under the boundary.
  const int boxes = static_cast<int>(bands.colors.size());
  const int box_w = std::min(48, (kMapRight - kMapLeft) / boxes);
  for (int i = 0; i < boxes; ++i) {
    const int x = kMapLeft + i * box_w;
    canvas.Fill(x, 436, x + box_w, 448, static_cast<std::uint8_t>(kFirstBand + i));
    canvas.Frame(x, 436, x + box_w + 1, 448, kBlack);
    if (i < static_cast<int>(bands.labels.size())) {
      const std::string label = bands.labels[i];
      canvas.Text(x + box_w - static_cast<int>(label.size()) * 3, 451, label, 1, kBlack);
    }
  }
  canvas.Text(kMapLeft, 466, "WEATHER DATA BY OPEN-METEO.COM (CC BY 4.0). SHORELINES: GSHHG (GMT-GSHHG-LOW).", 1,
              kBlack);

  std::vector<std::uint8_t> palette = {255, 255, 255, 0, 0, 0, 170, 170, 170};
  for (const auto& c : bands.colors) palette.insert(palette.end(), c.begin(), c.end());
  return EncodeIndexedGif(kWidth, kHeight, palette, canvas.Pixels());
}

}  // namespace sky::gateway
