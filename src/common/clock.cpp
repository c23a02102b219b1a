#include "common/clock.h"

#include <ctime>

namespace sky {

static_assert(DaysFromCivil(1970, 1, 1) == 0);
static_assert(DaysFromCivil(1969, 12, 31) == -1);
static_assert(DaysFromCivil(2000, 3, 1) == 11017);  // after a leap day of a century year
static_assert(DaysFromCivil(1600, 1, 1) == -135140);

LocalDate SystemClock::Today() const {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

std::int64_t SystemClock::MonotonicMs() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

IClock& DefaultClock() {
  static SystemClock clock;
  return clock;
}

}  // namespace sky
