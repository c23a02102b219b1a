// The person's choice of units and the conversions of shown texts into it.
//
// Only what is shown changes: pages, stored settings and the plumbing JSON
// keep the units their source wrote. The conversions read the texts the
// conditions page gives ("28\260F / -2\260C ", "30.12 in ", "NW at 12 mph ",
// "10 miles") and write them as the weather services round: whole degrees,
// whole km/h and mph, whole hPa, inches of mercury with the page's own two
// decimals. A text they do not recognise ("n/a", "N/A", "Calm", empty) is
// returned as it is.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sky {

enum class UnitSystem {
  US,      // degrees F, mph, inches of mercury, miles
  Metric,  // degrees C, km/h, hPa, km
  UK,      // degrees C, mph, hPa, miles
};

// The stored and typed names: "US", "metric", "UK" (read without regard to
// case). Nothing for any other text.
std::optional<UnitSystem> ParseUnitSystem(std::string_view text);
const char* UnitSystemName(UnitSystem units);
// The names as a person reads them in the preferences: "US (\260F, mph, inHg, miles)".
std::string UnitSystemCaption(UnitSystem units);

// The default before the person chooses: a locale of the United States
// ("en_US.UTF-8", "es_US") gives US, any other (and none) metric.
UnitSystem UnitSystemForLocale(std::string_view localeName);
// The measurement locale of this process's environment (LC_ALL, then
// LC_MEASUREMENT, then LANG, the first one set and not empty).
std::string MeasurementLocaleName();

// ---- numbers, rounded as the services round
long long RoundWhole(double v);  // half away from zero
double FahrenheitToCelsius(double f);
double CelsiusToFahrenheit(double c);
double InHgToHPa(double inHg);
double HPaToInHg(double hPa);
double MphToKmh(double mph);
double KmhToMph(double kmh);
double MilesToKm(double miles);

// ---- texts
// A temperature as the page writes it: "28\260F / -2\260C", "95\260F",
// "93\260 F" (a derived value), "-2\260C". Shown as "28\260F" or "-2\260C"; the
// page's own value of the wanted scale is used when it has one.
std::string ShowTemperature(std::string_view text, UnitSystem units);
// A whole temperature in a scale ('F' or 'C'), shown in the wanted one: "28\260F".
std::string ShowDegrees(double value, char scale, UnitSystem units);
// "30.12 in" -> "30.12 in" (US) or "1020 hPa".
std::string ShowPressure(std::string_view text, UnitSystem units);
// Every speed in a wind text ("NW at 12 mph", "S 5 to 10 mph", "NW 15 km/h",
// "N 5 G 12 mph"), in the wanted speed unit; "Calm" stays.
std::string ShowWind(std::string_view text, UnitSystem units);
// "10 miles" (the parser keeps eight characters) -> "10 miles" or "16 km".
std::string ShowVisibility(std::string_view text, UnitSystem units);

}  // namespace sky
