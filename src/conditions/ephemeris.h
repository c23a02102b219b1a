// Geocentric positions of the Sun and the Moon, good to a few arcseconds for the
// Sun and about ten arcseconds for the Moon, which is enough to fix the
// illuminated fraction of the Moon to a hundredth on (nearly) every day.
#pragma once

namespace sky::ephemeris {

// Julian Day of 0h UT of a Gregorian calendar date.
double JulianDayUt0(int year, int month, int day);

// TT - UT in seconds (polynomial fits of Espenak & Meeus), y a decimal year.
double DeltaT(double y);

struct MoonPosition {
  double longitude;   // degrees, mean equinox of date (no nutation)
  double latitude;    // degrees
  double distanceKm;  // centre to centre
};
MoonPosition Moon(double jde);

struct SunPosition {
  double longitude;  // degrees, FK5, aberration applied, no nutation
  double distanceAu;
};
SunPosition Sun(double jde);

// Fraction of the Moon's disc illuminated (0..1) at the instant jde.
double IlluminatedFraction(double jde);

// The fraction for a calendar date at 0h UT, with TT - UT of that month.
double IlluminatedFractionOnDate(int year, int month, int day);

}  // namespace sky::ephemeris
