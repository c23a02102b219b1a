#include "gateway/observation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <vector>

namespace sky::gateway {

namespace {

using nlohmann::json;

std::optional<double> Number(const json& j) {
  if (j.is_number()) {
    const double v = j.get<double>();
    if (std::isfinite(v)) return v;
  }
  return std::nullopt;
}

std::optional<double> Field(const json& object, const char* key) {
  if (!object.is_object()) return std::nullopt;
  auto it = object.find(key);
  return it == object.end() ? std::nullopt : Number(*it);
}

std::optional<std::string> Text(const json& object, const char* key) {
  if (!object.is_object()) return std::nullopt;
  auto it = object.find(key);
  if (it == object.end() || !it->is_string()) return std::nullopt;
  return it->get<std::string>();
}

// A weather-service quantity {"unitCode": "wmoUnit:degC", "value": 5.2}, turned
// into the wanted unit; an unknown unit counts as missing.
std::optional<double> Quantity(const json& properties, const char* key, const char* want) {
  if (!properties.is_object()) return std::nullopt;
  auto it = properties.find(key);
  if (it == properties.end() || !it->is_object()) return std::nullopt;
  std::optional<double> value = Field(*it, "value");
  std::optional<std::string> unit = Text(*it, "unitCode");
  if (!value || !unit) return std::nullopt;
  std::string u = *unit;
  if (u.rfind("wmoUnit:", 0) == 0) u = u.substr(8);
  else if (u.rfind("unit:", 0) == 0) u = u.substr(5);
  const std::string w = want;
  if (u == w) return value;
  if (w == "degC" && u == "degF") return (*value - 32) * 5 / 9;
  if (w == "km_h-1" && u == "m_s-1") return *value * 3.6;
  if (w == "km_h-1" && u == "kn") return *value * 1.852;
  if (w == "Pa" && u == "hPa") return *value * 100;
  if (w == "m" && u == "km") return *value * 1000;
  return std::nullopt;
}

std::int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

std::optional<double> HumidityFrom(std::optional<double> t, std::optional<double> dew) {
  if (!t || !dew) return std::nullopt;
  // Magnus formula over water.
  auto e = [](double c) { return std::exp(17.625 * c / (243.04 + c)); };
  return std::clamp(100.0 * e(*dew) / e(*t), 0.0, 100.0);
}

const char* const kCompass[] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};

int Round(double v) { return static_cast<int>(std::lround(v)); }

std::string Fixed(double v, int decimals) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

}  // namespace

std::optional<std::int64_t> ParseIsoTime(const std::string& text) {
  int y, mo, d, h, mi, s = 0;
  char sep = 0;
  int used = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d%n", &y, &mo, &d, &sep, &h, &mi, &used) != 6) return std::nullopt;
  if ((sep != 'T' && sep != ' ') || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59) return std::nullopt;
  std::size_t at = static_cast<std::size_t>(used);
  if (at < text.size() && text[at] == ':') {
    int more = 0;
    if (std::sscanf(text.c_str() + at, ":%2d%n", &s, &more) != 1) return std::nullopt;
    at += static_cast<std::size_t>(more);
  }
  while (at < text.size() && (text[at] == '.' || (text[at] >= '0' && text[at] <= '9'))) ++at;
  std::int64_t offset = 0;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    int oh = 0, om = 0;
    if (std::sscanf(text.c_str() + at + 1, "%2d:%2d", &oh, &om) < 1) return std::nullopt;
    offset = (oh * 3600 + om * 60) * (text[at] == '-' ? -1 : 1);
  }
  return DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s - offset;
}

Observed DecodeNwsObservation(const nlohmann::json& feature) {
  Observed o;
  if (!feature.is_object()) return o;
  auto p = feature.find("properties");
  if (p == feature.end() || !p->is_object()) return o;
  if (auto ts = Text(*p, "timestamp")) o.time = ParseIsoTime(*ts);
  o.tempC = Quantity(*p, "temperature", "degC");
  o.dewpointC = Quantity(*p, "dewpoint", "degC");
  o.humidity = Quantity(*p, "relativeHumidity", "percent");
  if (!o.humidity) o.humidity = HumidityFrom(o.tempC, o.dewpointC);
  o.heatIndexC = Quantity(*p, "heatIndex", "degC");
  o.windDirDeg = Quantity(*p, "windDirection", "degree_(angle)");
  o.windKmh = Quantity(*p, "windSpeed", "km_h-1");
  o.gustKmh = Quantity(*p, "windGust", "km_h-1");
  o.pressureHpa = Quantity(*p, "barometricPressure", "Pa");
  if (!o.pressureHpa) o.pressureHpa = Quantity(*p, "seaLevelPressure", "Pa");
  if (o.pressureHpa) *o.pressureHpa /= 100.0;
  if (auto metres = Quantity(*p, "visibility", "m")) o.visibilityMiles = *metres / 1609.344;
  if (auto text = Text(*p, "textDescription"); text && !text->empty()) o.sky = *text;
  return o;
}

std::optional<std::string> MetarSky(const std::string& weather, const nlohmann::json& clouds) {
  // The first weather group that names something, in words the picture table knows.
  // clang-format off
  static const std::pair<const char*, const char*> kPhenomena[] = {
      {"TS", "Thunderstorm"}, {"SN", "Snow"}, {"SG", "Snow Grains"}, {"PL", "Ice Pellets"},
      {"GR", "Hail"},         {"GS", "Small Hail"}, {"RA", "Rain"}, {"DZ", "Drizzle"},
      {"UP", "Unknown Precipitation"}, {"FG", "Fog"}, {"BR", "Mist"}, {"HZ", "Haze"},
      {"FU", "Smoke"},        {"DU", "Widespread Dust"}, {"SA", "Sand"}, {"VA", "Volcanic Ash"},
      {"SQ", "Squalls"},      {"FC", "Funnel Cloud"}, {"SS", "Sandstorm"}, {"DS", "Duststorm"}};
  // clang-format on
  std::size_t start = 0;
  while (start < weather.size()) {
    std::size_t end = weather.find(' ', start);
    std::string group = weather.substr(start, end == std::string::npos ? std::string::npos : end - start);
    start = end == std::string::npos ? weather.size() : end + 1;
    if (group.empty()) continue;
    std::string prefix;
    if (group[0] == '-') prefix = "Light ";
    else if (group[0] == '+') prefix = "Heavy ";
    std::string words;
    bool showers = group.find("SH") != std::string::npos;
    bool freezing = group.find("FZ") != std::string::npos;
    for (const auto& [code, name] : kPhenomena) {
      if (group.find(code) == std::string::npos) continue;
      if (std::string(code) == "TS" && group.size() > 3) {
        words = "Thunderstorm";
        for (const auto& [c2, n2] : kPhenomena) {
          if (std::string(c2) != "TS" && group.find(c2) != std::string::npos) {
            words += std::string(" ") + n2;
            break;
          }
        }
      } else {
        words = (freezing ? "Freezing " : "") + std::string(name) + (showers ? " Showers" : "");
      }
      break;
    }
    if (!words.empty()) return prefix + words;
  }
  // Then the most covering cloud layer.
  int worst = -1;
  static const char* const kCovers[] = {"SKC", "CLR", "NCD", "CAVOK", "FEW", "SCT", "BKN", "OVC", "OVX", "VV"};
  static const char* const kWords[] = {
      "Clear",         "Clear",    "Clear",    "Clear",   "Partly Cloudy", "Scattered Clouds",
      "Mostly Cloudy", "Overcast", "Overcast", "Overcast"};
  if (clouds.is_array()) {
    for (const auto& layer : clouds) {
      std::optional<std::string> cover = Text(layer, "cover");
      if (!cover) continue;
      for (int i = 0; i < 10; ++i) {
        if (*cover == kCovers[i]) worst = std::max(worst, i);
      }
    }
  }
  if (worst >= 0) return std::string(kWords[worst]);
  return std::nullopt;
}

Observed DecodeMetar(const nlohmann::json& m) {
  Observed o;
  if (!m.is_object()) return o;
  // A time beyond what a 64-bit count holds is no time (the cast would be undefined).
  if (auto t = Field(m, "obsTime"); t && std::fabs(*t) < 9.0e15) o.time = static_cast<std::int64_t>(*t);
  else if (auto r = Text(m, "reportTime")) o.time = ParseIsoTime(*r);
  o.tempC = Field(m, "temp");
  o.dewpointC = Field(m, "dewp");
  o.humidity = HumidityFrom(o.tempC, o.dewpointC);
  auto wdir = m.find("wdir");
  if (wdir != m.end()) {
    if (wdir->is_string() && wdir->get<std::string>() == "VRB") o.windVariable = true;
    else o.windDirDeg = Number(*wdir);
  }
  if (auto kt = Field(m, "wspd")) o.windKmh = *kt * 1.852;
  if (auto kt = Field(m, "wgst")) o.gustKmh = *kt * 1.852;
  o.pressureHpa = Field(m, "altim");
  if (!o.pressureHpa) o.pressureHpa = Field(m, "slp");
  auto visib = m.find("visib");
  if (visib != m.end()) {
    if (visib->is_string()) {
      std::string v = visib->get<std::string>();
      if (!v.empty() && v.back() == '+') v.pop_back();
      char* end = nullptr;
      double miles = std::strtod(v.c_str(), &end);
      if (!v.empty() && end != nullptr && *end == '\0' && std::isfinite(miles)) o.visibilityMiles = miles;
    } else {
      o.visibilityMiles = Number(*visib);
    }
  }
  auto clouds = m.find("clouds");
  o.sky = MetarSky(Text(m, "wxString").value_or(""), clouds == m.end() ? json() : *clouds);
  return o;
}

Observed WithinLimits(Observed o, std::int64_t now) {
  auto keep = [](std::optional<double>& v, double low, double high) {
    if (v && !(*v >= low && *v <= high)) v.reset();
  };
  // Beyond the extremes ever measured on the ground, with a margin.
  keep(o.tempC, -95, 65);
  keep(o.dewpointC, -100, 40);
  keep(o.heatIndexC, -95, 90);
  keep(o.humidity, 0, 100);
  keep(o.windKmh, 0, 500);
  keep(o.gustKmh, 0, 600);
  keep(o.pressureHpa, 500, 1200);
  keep(o.visibilityMiles, 0, 1000);
  keep(o.windDirDeg, -1.0e6, 1.0e6);
  if (o.windDirDeg) {
    double d = std::fmod(*o.windDirDeg, 360.0);
    if (d < 0) d += 360.0;
    o.windDirDeg = d;
  }
  if (o.time && (*o.time < now - 86400 || *o.time > now + 86400)) o.time.reset();
  return o;
}

void FillObservedValues(const Observed& o, ConditionsPageContent& page) {
  auto f = [](double c) { return Round(c * 9 / 5 + 32); };
  if (o.tempC) {
    page.tempF = f(*o.tempC);
    page.tempC = Round(*o.tempC);
  }
  if (o.heatIndexC && o.tempC && *o.heatIndexC > *o.tempC) {
    page.heatIndexF = f(*o.heatIndexC);
    page.heatIndexC = Round(*o.heatIndexC);
  }
  if (o.humidity) page.humidity = std::clamp(Round(*o.humidity), 0, 100);
  if (o.windKmh) {
    const int mph = Round(*o.windKmh / 1.609344);
    std::string wind;
    if (mph == 0) {
      wind = "Calm";
    } else {
      std::string from =
          o.windVariable || !o.windDirDeg
              ? "Variable"
              : kCompass[static_cast<int>(std::lround(std::clamp(*o.windDirDeg, 0.0, 360.0) / 22.5)) % 16];
      wind = from + " at " + std::to_string(mph) + " mph";
      if (o.gustKmh) {
        const int gust = Round(*o.gustKmh / 1.609344);
        if (gust > mph) wind += " gusting to " + std::to_string(gust) + " mph";
      }
    }
    page.wind = wind;
  }
  if (o.pressureHpa && *o.pressureHpa > 500 && *o.pressureHpa < 1200)
    page.pressure = Fixed(*o.pressureHpa * 0.0295299830714, 2);
  if (o.visibilityMiles && *o.visibilityMiles >= 0) {
    // Whole miles from ten up (16,090 m is 10), tenths below, hundredths under one.
    const double v = *o.visibilityMiles;
    const double tenths = std::round(v * 10) / 10;
    if (v >= 9.5) page.visibility = std::to_string(Round(v));
    else if (v >= 1) page.visibility = Fixed(tenths, tenths == std::floor(tenths) ? 0 : 1);
    else page.visibility = Fixed(v, 2);
  }
  if (o.sky) page.sky = *o.sky;
}

}  // namespace sky::gateway
