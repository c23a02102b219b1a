// The program's notion of "now", replaceable by tests (the moon picture reads
// today's date, the timers count milliseconds).
#pragma once

#include <chrono>
#include <cstdint>

namespace sky {

// Days since 1970-01-01 of a civil date in the proleptic Gregorian calendar,
// for any year; the time stamps of pages, alerts and headers are counted so
// without the process's time zone (timegm is not portable).
constexpr std::int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

struct LocalDate {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
};

class IClock {
 public:
  virtual ~IClock() = default;
  // Today's date in the local time zone.
  virtual LocalDate Today() const = 0;
  // Monotonic milliseconds, for intervals only.
  virtual std::int64_t MonotonicMs() const = 0;
};

// The real clock.
class SystemClock final : public IClock {
 public:
  LocalDate Today() const override;
  std::int64_t MonotonicMs() const override;
};

// A clock the test sets by hand.
class ManualClock final : public IClock {
 public:
  LocalDate Today() const override { return today_; }
  std::int64_t MonotonicMs() const override { return ms_; }
  void SetToday(LocalDate d) { today_ = d; }
  void Advance(std::int64_t ms) { ms_ += ms; }

 private:
  LocalDate today_{2000, 1, 1};
  std::int64_t ms_ = 0;
};

// The clock everything uses unless given another one.
IClock& DefaultClock();

}  // namespace sky
