#include "gateway/open_meteo.h"

#include <cmath>
#include <cstdio>

namespace sky::gateway {

namespace {

using nlohmann::json;

std::optional<double> NumberAt(const json& j, const char* key) {
  if (!j.is_object()) return std::nullopt;
  auto it = j.find(key);
  if (it == j.end() || !it->is_number()) return std::nullopt;
  const double v = it->get<double>();
  return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

std::string UnitAt(const json& units, const char* key) {
  if (!units.is_object()) return {};
  auto it = units.find(key);
  return it != units.end() && it->is_string() ? it->get<std::string>() : std::string();
}

// A wind speed in its stated unit as km/h; an unknown unit counts as missing.
std::optional<double> Kmh(std::optional<double> v, const std::string& unit) {
  if (!v) return std::nullopt;
  if (unit.empty() || unit == "km/h") return v;
  if (unit == "m/s") return *v * 3.6;
  if (unit == "mp/h" || unit == "mph") return *v * 1.609344;
  if (unit == "kn") return *v * 1.852;
  return std::nullopt;
}

std::string Coordinate(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.4f", v);
  return buf;
}

}  // namespace

std::string OpenMeteoCurrentUrl(const std::string& api, GeoPoint point) {
  return api + "?latitude=" + Coordinate(point.lat) + "&longitude=" + Coordinate(point.lon) +
         "&current=temperature_2m,relative_humidity_2m,weather_code,pressure_msl,surface_pressure,"
         "wind_speed_10m,wind_direction_10m,wind_gusts_10m";
}

std::optional<std::string> WmoCodeWords(int code) {
  // Each text carries a word the program's sky pictures know ("clear",
  // "cloud", "drizzle", "thunderstorm", ...), so every code gets its picture.
  switch (code) {
    case 0: return "Clear";
    case 1: return "Mostly Clear";
    case 2: return "Partly Cloudy";
    case 3: return "Overcast";
    case 45:
    case 48: return "Fog";
    case 51: return "Light Drizzle";
    case 53: return "Drizzle";
    case 55: return "Heavy Drizzle";
    case 56:
    case 57: return "Freezing Drizzle";
    case 61: return "Light Rain";
    case 63: return "Rain";
    case 65: return "Heavy Rain";
    case 66:
    case 67: return "Freezing Rain";
    case 71: return "Light Snow";
    case 73: return "Snow";
    case 75: return "Heavy Snow";
    case 77: return "Snow Grains";
    case 80: return "Light Rain Showers";
    case 81: return "Rain Showers";
    case 82: return "Heavy Rain Showers";
    case 85: return "Light Snow Showers";
    case 86: return "Snow Showers";
    case 95: return "Thunderstorm";
    case 96:
    case 99: return "Thunderstorm with Hail";
    default: return std::nullopt;
  }
}

std::optional<Observed> DecodeOpenMeteoCurrent(const json& answer) {
  if (!answer.is_object()) return std::nullopt;
  auto current_it = answer.find("current");
  if (current_it == answer.end() || !current_it->is_object()) return std::nullopt;
  const json& c = *current_it;
  const json units = answer.value("current_units", json::object());
  Observed o;
  o.tempC = NumberAt(c, "temperature_2m");
  if (o.tempC && UnitAt(units, "temperature_2m") == "\u00b0F") *o.tempC = (*o.tempC - 32) * 5 / 9;
  if (!o.tempC) return std::nullopt;
  if (auto t = c.find("time"); t != c.end() && t->is_string()) {
    o.time = ParseIsoTime(t->get<std::string>());
    if (o.time) *o.time -= static_cast<std::int64_t>(NumberAt(answer, "utc_offset_seconds").value_or(0));
  }
  o.humidity = NumberAt(c, "relative_humidity_2m");
  o.windKmh = Kmh(NumberAt(c, "wind_speed_10m"), UnitAt(units, "wind_speed_10m"));
  o.gustKmh = Kmh(NumberAt(c, "wind_gusts_10m"), UnitAt(units, "wind_gusts_10m"));
  o.windDirDeg = NumberAt(c, "wind_direction_10m");
  o.pressureHpa = NumberAt(c, "pressure_msl");
  if (!o.pressureHpa) {
    // The station's own pressure, reduced to sea level (the barometric formula
    // with the standard lapse rate) as a barometer reading would be.
    std::optional<double> surface = NumberAt(c, "surface_pressure");
    const double h = NumberAt(answer, "elevation").value_or(0);
    if (surface) o.pressureHpa = *surface * std::pow(1 - 0.0065 * h / (*o.tempC + 0.0065 * h + 273.15), -5.257);
  }
  if (std::optional<double> code = NumberAt(c, "weather_code")) o.sky = WmoCodeWords(static_cast<int>(*code));
  return o;
}

}  // namespace sky::gateway
