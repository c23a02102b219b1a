#include "controls/gauge_logic.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace sky {

namespace {
std::string RangeMessage(int low, int high) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "Value must be between %d and %d", low, high);
  return buf;
}
}  // namespace

int GaugePercent(int min_value, int max_value, int progress) {
  if (max_value == min_value) return 0;
  // 64-bit: the range of two ints may exceed an int.
  const long long num = 100LL * (static_cast<long long>(progress) - min_value);
  const long long den = static_cast<long long>(max_value) - min_value;
  return static_cast<int>(num / den);
}

bool GaugeRange::SetProgress(int value) {
  if (value < min_) value = min_;
  if (value > max_) value = max_;
  const int before = Percent();
  progress_ = value;
  return Percent() != before;
}

bool GaugeRange::SetMinValue(int value, bool loading) {
  if (value == min_) return false;
  if (value > max_ && !loading) throw EInvalidOperation(RangeMessage(INT_MIN + 1, max_ - 1));
  min_ = value;
  if (progress_ < min_) progress_ = min_;
  return true;
}

bool GaugeRange::SetMaxValue(int value, bool loading) {
  if (value == max_) return false;
  if (value < min_ && !loading) throw EInvalidOperation(RangeMessage(min_ + 1, INT_MAX));
  max_ = value;
  if (progress_ > max_) progress_ = max_;
  return true;
}

GaugePoint NeedleTip(int width, int bottom, int percent) {
  const double theta = percent / 100.0 * std::numbers::pi;
  const double half = width / 2;  // integer half, as the dial is laid out
  return {static_cast<int>(std::lround((1.0 - std::cos(theta)) * half)),
          static_cast<int>(std::lround((1.0 - std::sin(theta)) * (bottom - 1)))};
}

int BarLength(int extent, int percent) {
  int len = static_cast<int>(static_cast<long long>(extent) * percent / 100);
  if (len > extent) len = extent;
  if (len < 0) len = 0;
  return len;
}

}  // namespace sky
