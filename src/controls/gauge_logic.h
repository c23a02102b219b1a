// The arithmetic of the progress gauge, kept free of any drawing so that the
// percentage and range rules can be checked without a display.
#pragma once

#include <stdexcept>
#include <string>

namespace sky {

enum class TGaugeKind { gkText = 0, gkHorizontalBar = 1, gkVerticalBar = 2, gkPie = 3, gkNeedle = 4 };

// The framework's "invalid operation" error: a property set to a value the
// control cannot take.
class EInvalidOperation : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Truncated percentage of `progress` between min and max; 0 for an empty range.
int GaugePercent(int min_value, int max_value, int progress);

// Minimum, maximum and value of a gauge with the rules of its setters.
class GaugeRange {
 public:
  int MinValue() const { return min_; }
  int MaxValue() const { return max_; }
  int Progress() const { return progress_; }
  int Percent() const { return GaugePercent(min_, max_, progress_); }

  // Each returns true when the shown picture must be redrawn.
  // SetProgress clamps into the range and reports a change of percentage only.
  bool SetProgress(int value);
  // Throw EInvalidOperation ("Value must be between %d and %d") for a value
  // past the other end, unless `loading` (the form is being read in).
  bool SetMinValue(int value, bool loading = false);
  bool SetMaxValue(int value, bool loading = false);

 private:
  int min_ = 0;
  int max_ = 100;
  int progress_ = 0;
};

struct GaugePoint {
  int x = 0;
  int y = 0;
};

// End of the needle for a gauge `width` wide whose dial baseline lies at
// `bottom` - 1: 0 % points left, 50 % up, 100 % right.
GaugePoint NeedleTip(int width, int bottom, int percent);

// Length in pixels of a bar of `extent` pixels at `percent`.
int BarLength(int extent, int percent);

}  // namespace sky
