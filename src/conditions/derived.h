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
// characters and not "n/a") is kept as it is; otherwise the National Weather
// Service regression from the temperature (degrees F) and relative humidity,
// rounded half to even, and "0\xB0 F" below 55 degrees F.
std::string ComputeHeatIndex(std::string_view temperatureText, std::string_view humidityText,
                             std::string_view currentHeatIndexText);

// The wind chill label: the speed is every digit among the first nine
// characters of the wind text (the first fourteen when there is none), joined;
// "n/a" without any digit, the air temperature below 5 mph, otherwise the
// National Weather Service formula of the time, rounded half to even.
std::string ComputeWindChill(std::string_view temperatureText, std::string_view windText);

}  // namespace sky
