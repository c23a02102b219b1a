// The heat index and wind chill that the main window derives itself when the
// page lacks them. They work on the texts shown in the labels, so they are
// pure functions from label texts to a label text.
#pragma once

#include <string>
#include <string_view>

namespace sky {

// Where the derived values stop applying and the labels show the air
// temperature instead; the help describes the same limits.
inline constexpr int kHeatIndexMinF = 80;       // heat index from this temperature up
inline constexpr int kWindChillBelowF = 50;     // wind chill below this temperature
inline constexpr int kWindChillMaxCalmMph = 3;  // wind chill above this speed

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
// "n/a" without any digit; the air temperature from 50 degrees F up or at 3 mph
// and less (at 50 degrees the chill is a few degrees at most); otherwise the wind chill as the National Weather Service
// has computed it since November 2001 (35.74 + 0.6215 T - 35.75 V^0.16 + 0.4275 T V^0.16), rounded half to even. The
// formula before it read about ten degrees colder in a moderate wind.
std::string ComputeWindChill(std::string_view temperatureText, std::string_view windText);

}  // namespace sky
