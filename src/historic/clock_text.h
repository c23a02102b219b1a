// The clock and observation times as the historical conditions pages write
// them (the program's parser reads them back in this form).
#pragma once

#include <string>

namespace sky::historic {

// "10:53 AM CST": hour 0-23, minute 0-59, the zone's abbreviation.
std::string ClockText(int hour, int minute, const std::string& zone);
// "10:53 AM CST on December 7, 2026": month 1-12.
std::string ObservedText(int hour, int minute, const std::string& zone, int year, int month, int day);

}  // namespace sky::historic
