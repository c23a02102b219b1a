#include "gateway/observation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <iterator>
#include <regex>
#include <vector>

#include "common/clock.h"

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

std::optional<double> HumidityFrom(std::optional<double> t, std::optional<double> dew) {
  if (!t || !dew) return std::nullopt;
  // Magnus formula over water.
  auto e = [](double c) { return std::exp(17.625 * c / (243.04 + c)); };
  return std::clamp(100.0 * e(*dew) / e(*t), 0.0, 100.0);
}

const char* const kCompass[] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};

int Round(double v) { return static_cast<int>(std::lround(v)); }

// Sky cover codes, least to most covering; the words of the picture table.
// Every way a report says "no cloud that matters" is a clear sky.
// clang-format off
const char* const kCovers[] = {"SKC", "CLR", "NCD", "NSC", "CAVOK", "FEW", "SCT", "BKN", "OVC", "OVX", "VV"};
const char* const kCoverWords[] = {"Clear", "Clear", "Clear", "Clear", "Clear", "Partly Cloudy",
                                   "Scattered Clouds", "Mostly Cloudy", "Overcast", "Overcast", "Overcast"};
// clang-format on

int CoverRank(const std::string& cover) {
  for (int i = 0; i < static_cast<int>(std::size(kCovers)); ++i) {
    if (cover == kCovers[i]) return i;
  }
  return -1;
}

std::string Fixed(double v, int decimals) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

// The service sometimes leaves every value of an observation null while its
// raw text has them: each missing value from the text.
void FillFromRaw(const Observed& raw, Observed& o) {
  if (!o.tempC) o.tempC = raw.tempC;
  if (!o.dewpointC) o.dewpointC = raw.dewpointC;
  if (!o.humidity) o.humidity = raw.humidity;
  if (!o.windKmh && raw.windKmh) {
    o.windKmh = raw.windKmh;
    o.windDirDeg = raw.windDirDeg;
    o.windVariable = raw.windVariable;
    o.gustKmh = raw.gustKmh;
  }
  if (!o.pressureHpa) o.pressureHpa = raw.pressureHpa;
  if (!o.visibilityMiles) o.visibilityMiles = raw.visibilityMiles;
  if (!o.sky) o.sky = raw.sky;
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
  if (auto raw = Text(*p, "rawMessage"); raw && !raw->empty()) FillFromRaw(DecodeRawMetar(*raw), o);
  return o;
}

std::optional<std::string> MetarSky(const std::string& weather, const nlohmann::json& clouds,
                                    const std::string& cover) {
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
  // Then the most covering cloud layer, else the report's summary.
  int worst = -1;
  if (clouds.is_array()) {
    for (const auto& layer : clouds) {
      if (std::optional<std::string> c = Text(layer, "cover")) worst = std::max(worst, CoverRank(*c));
    }
  }
  if (worst < 0 && !cover.empty()) worst = CoverRank(cover);
  if (worst >= 0) return std::string(kCoverWords[worst]);
  return std::nullopt;
}

namespace {

bool IsWeatherGroup(const std::string& token) {
  static const char* const kCodes[] = {"MI", "PR", "BC", "DR", "BL", "SH", "TS", "FZ", "DZ", "RA",
                                       "SN", "SG", "IC", "PL", "GR", "GS", "UP", "BR", "FG", "FU",
                                       "VA", "DU", "SA", "HZ", "PY", "PO", "SQ", "FC", "SS", "DS"};
  std::string rest = token;
  if (!rest.empty() && (rest[0] == '-' || rest[0] == '+')) rest.erase(0, 1);
  if (rest.starts_with("VC")) rest.erase(0, 2);
  if (rest.empty() || rest.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < rest.size(); i += 2) {
    const std::string pair = rest.substr(i, 2);
    if (std::none_of(std::begin(kCodes), std::end(kCodes), [&](const char* c) { return pair == c; })) return false;
  }
  return true;
}

// "M04" -> -4; "22" -> 22.
std::optional<double> MetarDegrees(const std::string& text) {
  static const std::regex kDegrees("(M?)(\\d{2})");
  std::smatch m;
  if (!std::regex_match(text, m, kDegrees)) return std::nullopt;
  const double v = std::stod(m[2].str());
  return m[1].length() > 0 ? -v : v;
}

// "1/2" -> 0.5, "3" -> 3.
std::optional<double> MilesPart(const std::string& text) {
  static const std::regex kFraction("(\\d+)/(\\d+)");
  static const std::regex kWhole("\\d+");
  std::smatch m;
  if (std::regex_match(text, m, kFraction)) {
    const double d = std::stod(m[2].str());
    if (d == 0) return std::nullopt;
    return std::stod(m[1].str()) / d;
  }
  if (std::regex_match(text, kWhole)) return std::stod(text);
  return std::nullopt;
}

}  // namespace

Observed DecodeRawMetar(const std::string& text) {
  static const std::regex kWind("(\\d{3}|VRB)(\\d{2,3})(?:G(\\d{2,3}))?(KT|MPS|KMH)");
  static const std::regex kSky("(FEW|SCT|BKN|OVC|VV)(\\d{3}|///)\\w*");
  static const std::regex kTemps("(M?\\d{2})/(M?\\d{2})?");
  static const std::regex kAltimeter("([AQ])(\\d{4})");
  static const std::regex kTenths("T([01])(\\d{3})([01])(\\d{3})");
  static const std::regex kMetres("\\d{4}");
  Observed o;
  std::vector<std::string> tokens;
  {
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find_first_of(" \t\r\n", start);
      if (end == std::string::npos) end = text.size();
      if (end > start) tokens.push_back(text.substr(start, end - start));
      start = end + 1;
    }
  }
  std::string weather;
  json clouds = json::array();
  std::string cover;
  bool remarks = false;
  bool windSeen = false;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const std::string& t = tokens[i];
    std::smatch m;
    if (t == "RMK") {
      remarks = true;
      continue;
    }
    if (remarks) {
      // The tenths of the temperature and dew point, where the station sends them.
      if (std::regex_match(t, m, kTenths)) {
        o.tempC = std::stod(m[2].str()) / 10 * (m[1] == "1" ? -1 : 1);
        o.dewpointC = std::stod(m[4].str()) / 10 * (m[3] == "1" ? -1 : 1);
      }
      continue;
    }
    if (t == "NOSIG" || t == "BECMG" || t == "TEMPO") break;  // the trend forecast
    if (!windSeen && std::regex_match(t, m, kWind)) {
      windSeen = true;
      double factor = m[4] == "KT" ? 1.852 : m[4] == "MPS" ? 3.6 : 1.0;
      o.windKmh = std::stod(m[2].str()) * factor;
      if (m[3].matched) o.gustKmh = std::stod(m[3].str()) * factor;
      if (m[1] == "VRB") o.windVariable = true;
      else o.windDirDeg = std::stod(m[1].str());
      continue;
    }
    if (t == "CAVOK") {
      o.visibilityMiles = 10000 / 1609.344;
      cover = "CAVOK";
      continue;
    }
    if (t.ends_with("SM")) {
      std::string v = t.substr(0, t.size() - 2);
      if (v.starts_with("M") || v.starts_with("P")) v.erase(0, 1);
      std::optional<double> miles = MilesPart(v);
      // "1 1/2SM": the whole miles stand one group before.
      if (miles && i > 0 && v.find('/') != std::string::npos) {
        if (std::optional<double> whole = MilesPart(tokens[i - 1]);
            whole && tokens[i - 1].find('/') == std::string::npos && tokens[i - 1].size() == 1)
          *miles += *whole;
      }
      if (miles) o.visibilityMiles = *miles;
      continue;
    }
    if (windSeen && !o.visibilityMiles && std::regex_match(t, kMetres)) {
      o.visibilityMiles = std::stod(t) / 1609.344;
      continue;
    }
    if (std::regex_match(t, m, kSky)) {
      clouds.push_back({{"cover", m[1].str()}});
      continue;
    }
    if (t == "SKC" || t == "CLR" || t == "NSC" || t == "NCD") {
      cover = t;
      continue;
    }
    if (std::regex_match(t, m, kTemps)) {
      if (!o.tempC) o.tempC = MetarDegrees(m[1].str());
      if (!o.dewpointC && m[2].matched) o.dewpointC = MetarDegrees(m[2].str());
      continue;
    }
    if (std::regex_match(t, m, kAltimeter)) {
      const double v = std::stod(m[2].str());
      o.pressureHpa = m[1] == "A" ? v / 100 * 33.8639 : v;
      continue;
    }
    if (windSeen && IsWeatherGroup(t)) weather += (weather.empty() ? "" : " ") + t;
  }
  o.humidity = HumidityFrom(o.tempC, o.dewpointC);
  o.sky = MetarSky(weather, clouds, cover);
  return o;
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
  o.sky =
      MetarSky(Text(m, "wxString").value_or(""), clouds == m.end() ? json() : *clouds, Text(m, "cover").value_or(""));
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
  // A report from more than a day ahead (or before 1970) is no observation:
  // none of its values is kept. An old one stays, with its time: the page and
  // the status line say how old it is.
  if (o.time && (*o.time > now + 86400 || *o.time < 0)) return Observed{};
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
