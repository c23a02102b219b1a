#include "conditions/derived.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/text.h"

namespace sky {

namespace {

std::string RoundedDegreesText(double rounded) {
  if (rounded == 0) rounded = 0;  // no "-0"
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.0f", rounded);
  return std::string(buf) + kDegree + " F";
}

}  // namespace

double RoundHalfEven(double x) {
  const double f = std::floor(x);
  const double diff = x - f;
  if (diff < 0.5) return f;
  if (diff > 0.5) return f + 1;
  return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

int ReadLabelNumber(std::string_view labelText) {
  const std::string t = Trim(labelText);
  const std::string head = Cut(t, 1, !t.empty() && t[0] == '\'' ? 2 : 3);
  std::size_t i = 0;
  while (i < head.size() && head[i] == ' ') ++i;
  bool negative = false;
  if (i < head.size() && (head[i] == '+' || head[i] == '-')) negative = head[i++] == '-';
  int n = 0;
  for (; i < head.size() && head[i] >= '0' && head[i] <= '9'; ++i) n = n * 10 + (head[i] - '0');
  return negative ? -n : n;
}

std::string DegreesFText(long long degrees) { return RoundedDegreesText(static_cast<double>(degrees)); }

std::string ComputeHeatIndex(std::string_view temperatureText, std::string_view humidityText,
                             std::string_view currentHeatIndexText) {
  if (currentHeatIndexText.size() >= 2 && currentHeatIndexText != kNA) return std::string(currentHeatIndexText);
  const double t = ReadLabelNumber(temperatureText);
  // The regression was fitted to hot air only: at 63 degrees it gives 80.
  if (t < kHeatIndexMinF) return DegreesFText(static_cast<long long>(t));
  const double rh = std::clamp<double>(ReadLabelNumber(humidityText), 0, 100);
  double hi = 0.5 * (t + 61.0 + (t - 68.0) * 1.2 + rh * 0.094);
  if ((hi + t) / 2 >= 80) {
    hi = -42.379 + 2.04901523 * t + 10.14333127 * rh - 0.22475541 * t * rh - 0.00683783 * t * t - 0.05481717 * rh * rh +
         0.00122874 * t * t * rh + 0.00085282 * t * rh * rh - 0.00000199 * t * t * rh * rh;
    if (rh < 13 && t <= 112) hi -= ((13 - rh) / 4) * std::sqrt((17 - std::fabs(t - 95)) / 17);
    if (rh > 85 && t <= 87) hi += ((rh - 85) / 10) * ((87 - t) / 5);
  }
  return RoundedDegreesText(RoundHalfEven(hi));
}

std::string ComputeWindChill(std::string_view temperatureText, std::string_view windText) {
  const int t = ReadLabelNumber(temperatureText);
  auto isDigit = [](char ch) { return ch >= '0' && ch <= '9'; };
  // The sustained speed comes first; a gust ("N 5 G 12 mph") follows it.
  auto runStartingIn = [&](std::size_t window) {
    std::size_t i = 0;
    const std::size_t end = std::min(window, windText.size());
    while (i < end && !isDigit(windText[i])) ++i;
    std::string_view run;
    if (i < end) {
      std::size_t j = i;
      while (j < windText.size() && isDigit(windText[j])) ++j;
      run = windText.substr(i, j - i);
    }
    return run;
  };
  std::string_view digits = runStartingIn(9);
  if (digits.empty()) digits = runStartingIn(14);
  if (digits.empty()) return kNA;
  // A run of any length is read as a double, so no speed can overflow.
  double v = 0;
  for (char ch : digits) v = v * 10 + (ch - '0');
  // The formula holds for cold, moving air only.
  if (v <= kWindChillMaxCalmMph || t >= kWindChillBelowF) return DegreesFText(static_cast<long long>(t));
  const double p = std::pow(v, 0.16);
  const double wc = 35.74 + 0.6215 * t - 35.75 * p + 0.4275 * t * p;
  return RoundedDegreesText(RoundHalfEven(wc));
}

}  // namespace sky
