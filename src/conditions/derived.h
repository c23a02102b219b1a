// The heat index and wind chill that the main window derives itself when the
// page lacks them. They work on the texts shown in the labels, so they are
// pure functions from label texts to a label text.
#pragma once

#include <string>
#include <string_view>

namespace sky {

// The leading whole number of a label text such as "45\xB0F / 7\xB0C" (45),
// "-5\xB0F" (-5) or "n/a" (0): trimmed, then only its first three characters
// (two when it starts with an apostrophe) are read: blanks, an optional sign,
// decimal digits. No digits give 0.
int ReadLabelNumber(std::string_view labelText);

// Nearest whole number, a half going to the even neighbour (2.5 -> 2,
// 3.5 -> 4), whatever floating-point rounding mode is in force.
double RoundHalfEven(double x);

// A whole number of degrees as the labels show it: "93\xB0 F".
std::string DegreesFText(long long degrees);

// The heat index label after the computation. A page value (two or more
// characters and not "n/a") is kept as it is. Otherwise, from 80 degrees F
// up, the heat index as the National Weather Service computes it from the
// temperature and relative humidity (its simple formula, and its regression
// with the two adjustments once the simple value averaged with the
// temperature reaches 80), rounded half to even; below 80 degrees F the
// regression means nothing and the air temperature is shown.
std::string ComputeHeatIndex(std::string_view temperatureText, std::string_view humidityText,
                             std::string_view currentHeatIndexText);

// The wind chill label: the speed is the first run of digits that starts
// among the first nine characters of the wind text (the first fourteen when
// none starts there), so a gust after it ("N 5 G 12 mph") does not count;
// "n/a" without any digit, the air temperature below 5 mph or above 50
// degrees F, otherwise the National Weather Service formula of the time,
// rounded half to even.
std::string ComputeWindChill(std::string_view temperatureText, std::string_view windText);

}  // namespace sky
