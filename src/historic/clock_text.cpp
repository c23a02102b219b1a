#include "historic/clock_text.h"

#include <cstdio>

namespace sky::historic {

namespace {

const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};

}  // namespace

std::string ClockText(int hour, int minute, const std::string& zone) {
  const int h12 = hour % 12 == 0 ? 12 : hour % 12;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d:%02d %s", h12, minute, hour < 12 ? "AM" : "PM");
  return std::string(buf) + " " + zone;
}

std::string ObservedText(int hour, int minute, const std::string& zone, int year, int month, int day) {
  return ClockText(hour, minute, zone) + " on " + kMonths[((month - 1) % 12 + 12) % 12] + " " + std::to_string(day) +
         ", " + std::to_string(year);
}

}  // namespace sky::historic
