// Local clock times of a place and the rise and set of the Sun and the Moon,
// computed here rather than fetched: no live source gives them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sky::gateway {

struct LocalTime {
  int year = 1970, month = 1, day = 1;  // civil date
  int hour = 0, minute = 0;
  std::int64_t offset = 0;   // seconds east of UTC in force
  std::string abbreviation;  // "CST", "+09"
};

// The instant in the IANA zone (the system's zoneinfo); an unknown zone name
// is taken as UTC. Safe to call from several threads.
LocalTime ToLocal(std::int64_t utc, const std::string& zone);
// Whether the system knows the zone.
bool KnownZone(const std::string& zone);
// The zone to use for a position when none is known: whole hours from the
// longitude ("Etc/GMT+6" lies six hours west).
std::string LongitudeZone(double lon);

// "10:53 AM CST"
std::string ClockText(const LocalTime& t);
// "10:53 AM CST on December 7, 2026"
std::string ObservedText(const LocalTime& t);

struct RiseSet {
  std::optional<std::int64_t> rise, set;  // UTC seconds, within the local day
};

// The local calendar day of the zone that holds the instant now: rise and set
// of the Sun (upper limb at the horizon with refraction) and the Moon.
RiseSet SunTimes(double lat, double lon, std::int64_t now, const std::string& zone);
RiseSet MoonTimes(double lat, double lon, std::int64_t now, const std::string& zone);

struct MoonState {
  std::string phase;    // "Waxing Gibbous"
  std::string picture;  // "moon18.gif", by the age in days
  int illuminated = 0;  // percent
};
MoonState MoonAt(std::int64_t utc);

}  // namespace sky::gateway
