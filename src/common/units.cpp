#include "common/units.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "common/text.h"

namespace sky {

namespace {

constexpr double kHPaPerInHg = 33.8638866667;
constexpr double kKmPerMile = 1.609344;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

// A number in a text: where it starts and ends, and its value.
struct Number {
  std::size_t begin = 0, end = 0;
  double value = 0;
};

// Every number (an optional minus sign, digits, an optional decimal part) in order.
std::vector<Number> Numbers(std::string_view t) {
  std::vector<Number> out;
  std::size_t i = 0;
  while (i < t.size()) {
    const bool minus = t[i] == '-' && i + 1 < t.size() && IsDigit(t[i + 1]);
    if (!IsDigit(t[i]) && !minus) {
      ++i;
      continue;
    }
    std::size_t j = i + (minus ? 1 : 0);
    while (j < t.size() && IsDigit(t[j])) ++j;
    if (j + 1 < t.size() && t[j] == '.' && IsDigit(t[j + 1])) {
      ++j;
      while (j < t.size() && IsDigit(t[j])) ++j;
    }
    out.push_back({i, j, std::strtod(std::string(t.substr(i, j - i)).c_str(), nullptr)});
    i = j;
  }
  return out;
}

std::string Whole(double v) { return std::to_string(RoundWhole(v)); }

std::string OneDecimalBelowTen(double v) {
  if (std::fabs(v) >= 10) return Whole(v);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  return buf;
}

char WantedScale(UnitSystem units) { return units == UnitSystem::US ? 'F' : 'C'; }

}  // namespace

std::optional<UnitSystem> ParseUnitSystem(std::string_view text) {
  const std::string t = Trim(text);
  if (EqualNoCase(t, "US")) return UnitSystem::US;
  if (EqualNoCase(t, "metric")) return UnitSystem::Metric;
  if (EqualNoCase(t, "UK")) return UnitSystem::UK;
  return std::nullopt;
}

const char* UnitSystemName(UnitSystem units) {
  switch (units) {
    case UnitSystem::US: return "US";
    case UnitSystem::Metric: return "metric";
    case UnitSystem::UK: return "UK";
  }
  return "metric";
}

std::string UnitSystemCaption(UnitSystem units) {
  switch (units) {
    case UnitSystem::US: return "US (\260F, mph, inHg, miles)";
    case UnitSystem::Metric: return "Metric (\260C, km/h, hPa, km)";
    case UnitSystem::UK: return "UK (\260C, mph, hPa, miles)";
  }
  return {};
}

UnitSystem UnitSystemForLocale(std::string_view name) {
  const std::size_t underscore = name.find('_');
  if (underscore == std::string_view::npos) return UnitSystem::Metric;
  std::string_view territory = name.substr(underscore + 1);
  territory = territory.substr(0, territory.find_first_of(".@"));
  return territory == "US" ? UnitSystem::US : UnitSystem::Metric;
}

std::string MeasurementLocaleName() {
  for (const char* var : {"LC_ALL", "LC_MEASUREMENT", "LANG"}) {
    const char* v = std::getenv(var);
    if (v != nullptr && *v != '\0') return v;
  }
  return {};
}

long long RoundWhole(double v) {
  const long long r = std::llround(v);
  return r == 0 ? 0 : r;  // no "-0"
}
double FahrenheitToCelsius(double f) { return (f - 32) * 5 / 9; }
double CelsiusToFahrenheit(double c) { return c * 9 / 5 + 32; }
double InHgToHPa(double inHg) { return inHg * kHPaPerInHg; }
double HPaToInHg(double hPa) { return hPa / kHPaPerInHg; }
double MphToKmh(double mph) { return mph * kKmPerMile; }
double KmhToMph(double kmh) { return kmh / kKmPerMile; }
double MilesToKm(double miles) { return miles * kKmPerMile; }

std::string ShowDegrees(double value, char scale, UnitSystem units) {
  const char wanted = WantedScale(units);
  double v = value;
  if (scale != wanted) v = wanted == 'C' ? FahrenheitToCelsius(value) : CelsiusToFahrenheit(value);
  return Whole(v) + "\260" + wanted;
}

std::string ShowTemperature(std::string_view text, UnitSystem units) {
  std::optional<double> f, c;
  for (const Number& n : Numbers(text)) {
    std::size_t k = n.end;
    while (k < text.size() && text[k] == ' ') ++k;
    if (k >= text.size() || text[k] != '\260') continue;
    ++k;
    while (k < text.size() && text[k] == ' ') ++k;
    if (k >= text.size()) continue;
    if (text[k] == 'F' && !f) f = n.value;
    if (text[k] == 'C' && !c) c = n.value;
  }
  const char wanted = WantedScale(units);
  const std::optional<double>& same = wanted == 'F' ? f : c;
  const std::optional<double>& other = wanted == 'F' ? c : f;
  if (same && !other) return std::string(text);  // already as wanted
  if (same) return ShowDegrees(*same, wanted, units);
  if (other) return ShowDegrees(*other, wanted == 'F' ? 'C' : 'F', units);
  return std::string(text);
}

std::string ShowPressure(std::string_view text, UnitSystem units) {
  const std::vector<Number> numbers = Numbers(text);
  if (numbers.empty()) return std::string(text);
  const std::string rest = LowerAscii(text.substr(numbers[0].end));
  const bool inches = rest.find("in") != std::string::npos;
  const bool hPa = rest.find("hpa") != std::string::npos || rest.find("mb") != std::string::npos;
  const double v = numbers[0].value;
  if (units == UnitSystem::US) {
    if (!hPa) return std::string(text);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f in", HPaToInHg(v));
    return buf;
  }
  if (!inches) return std::string(text);
  return Whole(InHgToHPa(v)) + " hPa";
}

std::string ShowWind(std::string_view text, UnitSystem units) {
  const std::string lower = LowerAscii(text);
  std::size_t unitAt = lower.find("mph");
  std::size_t unitLength = 3;
  const bool fromMph = unitAt != std::string::npos;
  if (!fromMph) {
    unitAt = lower.find("km/h");
    unitLength = 4;
    if (unitAt == std::string::npos) return std::string(text);
  }
  const bool toMph = units != UnitSystem::Metric;
  if (fromMph == toMph) return std::string(text);
  std::string out;
  std::size_t from = 0;
  for (const Number& n : Numbers(text.substr(0, unitAt))) {
    out += text.substr(from, n.begin - from);
    out += Whole(toMph ? KmhToMph(n.value) : MphToKmh(n.value));
    from = n.end;
  }
  out += text.substr(from, unitAt - from);
  out += toMph ? "mph" : "km/h";
  out += text.substr(unitAt + unitLength);
  return out;
}

std::string ShowVisibility(std::string_view text, UnitSystem units) {
  const std::vector<Number> numbers = Numbers(text);
  if (numbers.empty()) return std::string(text);
  const std::string rest = LowerAscii(Trim(text.substr(numbers[0].end)));
  const bool miles = rest.starts_with("mi");
  const bool km = rest.starts_with("km");
  const double v = numbers[0].value;
  if (units == UnitSystem::Metric) {
    if (!miles) return std::string(text);
    return OneDecimalBelowTen(MilesToKm(v)) + " km";
  }
  if (!km) return std::string(text);
  return OneDecimalBelowTen(v / kKmPerMile) + " miles";
}

}  // namespace sky
