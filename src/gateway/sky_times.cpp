#include "gateway/sky_times.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <vector>

#include "conditions/ephemeris.h"
#include "historic/clock_text.h"

namespace sky::gateway {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;

double Normalize(double deg) {
  deg = std::fmod(deg, 360.0);
  return deg < 0 ? deg + 360.0 : deg;
}

double JulianDay(std::int64_t utc) { return 2440587.5 + static_cast<double>(utc) / 86400.0; }

double TerrestrialJd(double jd) {
  double year = 2000.0 + (jd - 2451545.0) / 365.25;
  return jd + sky::ephemeris::DeltaT(year) / 86400.0;
}

// Altitude in degrees of a body at ecliptic longitude and latitude (degrees)
// for the place at the UT Julian day.
double Altitude(double lambda, double beta, double jd, double lat, double lon) {
  const double eps = (23.4392911 - 0.0130042 * (jd - 2451545.0) / 36525.0) * kDeg;
  const double l = lambda * kDeg, b = beta * kDeg;
  const double ra = std::atan2(std::sin(l) * std::cos(eps) - std::tan(b) * std::sin(eps), std::cos(l));
  const double dec = std::asin(std::sin(b) * std::cos(eps) + std::cos(b) * std::sin(eps) * std::sin(l));
  const double gmst = Normalize(280.46061837 + 360.98564736629 * (jd - 2451545.0));
  const double ha = (gmst + lon) * kDeg - ra;
  const double phi = lat * kDeg;
  return std::asin(std::sin(phi) * std::sin(dec) + std::cos(phi) * std::cos(dec) * std::cos(ha)) / kDeg;
}

// Height above the body's rise-and-set altitude: negative below the horizon.
double SunHeight(std::int64_t utc, double lat, double lon) {
  const double jd = JulianDay(utc);
  const sky::ephemeris::SunPosition sun = sky::ephemeris::Sun(TerrestrialJd(jd));
  return Altitude(sun.longitude, 0.0, jd, lat, lon) + 0.8333;
}

double MoonHeight(std::int64_t utc, double lat, double lon) {
  const double jd = JulianDay(utc);
  const sky::ephemeris::MoonPosition moon = sky::ephemeris::Moon(TerrestrialJd(jd));
  const double parallax = std::asin(6378.14 / moon.distanceKm) / kDeg;
  return Altitude(moon.longitude, moon.latitude, jd, lat, lon) - (0.7275 * parallax - 0.5667);
}

// UTC of the local midnight that begins the day holding now.
std::int64_t LocalMidnight(std::int64_t now, const std::string& zone) {
  LocalTime t = ToLocal(now, zone);
  std::int64_t guess = now - (t.hour * 3600 + t.minute * 60) - (now % 60 + 60) % 60;
  // A change of offset during the day moves midnight by the difference.
  LocalTime m = ToLocal(guess, zone);
  if (m.offset != t.offset) guess += t.offset - m.offset;
  return guess;
}

template <typename Height>
RiseSet Crossings(Height height, std::int64_t start, std::int64_t end) {
  RiseSet r;
  const std::int64_t step = 600;
  double previous = height(start);
  for (std::int64_t t = start + step; t <= end && (!r.rise || !r.set); t += step) {
    const double h = height(t);
    if ((previous < 0) != (h < 0)) {
      // Bisection to a few seconds.
      std::int64_t lo = t - step, hi = t;
      double hlo = previous;
      while (hi - lo > 5) {
        const std::int64_t mid = (lo + hi) / 2;
        const double hm = height(mid);
        if ((hm < 0) == (hlo < 0)) {
          lo = mid;
          hlo = hm;
        } else {
          hi = mid;
        }
      }
      const std::int64_t when = (lo + hi) / 2;
      if (h >= 0 && !r.rise) r.rise = when;
      if (h < 0 && !r.set) r.set = when;
    }
    previous = h;
  }
  return r;
}

}  // namespace

bool KnownZone(const std::string& zone) {
  if (zone.empty() || zone.find("..") != std::string::npos || zone.front() == '/') return false;
  struct stat st {};
  return stat(("/usr/share/zoneinfo/" + zone).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string LongitudeZone(double lon) {
  const int hours = static_cast<int>(std::lround(lon / 15.0));
  if (hours == 0) return "Etc/GMT";
  // The POSIX-style names count the other way: Etc/GMT+6 is six hours west.
  return hours > 0 ? "Etc/GMT-" + std::to_string(hours) : "Etc/GMT+" + std::to_string(-hours);
}

namespace {

// One zone of the system's zoneinfo (the 64-bit part of a TZif file). Past
// its last listed change a zone keeps that change's offset: the files list
// changes decades ahead.
struct Zone {
  struct Type {
    std::int64_t offset = 0;
    std::string abbreviation;
  };
  std::vector<std::int64_t> times;
  std::vector<unsigned char> typeOf;
  std::vector<Type> types;
};

std::int64_t BigEndian(const std::string& b, std::size_t at, int bytes) {
  std::uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  if (bytes == 4) return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
  return static_cast<std::int64_t>(v);
}

std::optional<Zone> ReadZone(const std::string& name) {
  if (!KnownZone(name)) return std::nullopt;
  std::ifstream in("/usr/share/zoneinfo/" + name, std::ios::binary);
  std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (b.size() < 44 || b.compare(0, 4, "TZif") != 0) return std::nullopt;
  auto counts = [&](std::size_t at, std::int64_t c[6]) {
    for (int i = 0; i < 6; ++i) c[i] = BigEndian(b, at + 20 + 4 * i, 4);
  };
  std::int64_t c[6];
  counts(0, c);
  std::size_t at = 44;
  int time_bytes = 4;
  if (b[4] >= '2') {
    // Skip the 32-bit part to the second header.
    at += c[3] * 5 + c[4] * 6 + c[5] + c[2] * 8 + c[1] + c[0];
    if (b.size() < at + 44) return std::nullopt;
    counts(at, c);
    at += 44;
    time_bytes = 8;
  }
  const std::int64_t timecnt = c[3], typecnt = c[4], charcnt = c[5];
  const std::size_t need = at + timecnt * (time_bytes + 1) + typecnt * 6 + charcnt;
  if (typecnt <= 0 || b.size() < need) return std::nullopt;
  Zone z;
  for (std::int64_t i = 0; i < timecnt; ++i) z.times.push_back(BigEndian(b, at + i * time_bytes, time_bytes));
  at += timecnt * time_bytes;
  for (std::int64_t i = 0; i < timecnt; ++i) {
    const unsigned char t = static_cast<unsigned char>(b[at + i]);
    if (t >= typecnt) return std::nullopt;
    z.typeOf.push_back(t);
  }
  at += timecnt;
  const std::size_t chars = at + typecnt * 6;
  for (std::int64_t i = 0; i < typecnt; ++i) {
    Zone::Type type;
    type.offset = BigEndian(b, at + i * 6, 4);
    const std::size_t index = static_cast<unsigned char>(b[at + i * 6 + 5]);
    if (index < static_cast<std::size_t>(charcnt)) type.abbreviation = std::string(b.c_str() + chars + index);
    z.types.push_back(type);
  }
  return z;
}

const Zone* CachedZone(const std::string& name) {
  static std::mutex mutex;
  static std::map<std::string, std::optional<Zone>> zones;
  std::lock_guard<std::mutex> lock(mutex);
  auto it = zones.find(name);
  if (it == zones.end()) it = zones.emplace(name, ReadZone(name)).first;
  return it->second ? &*it->second : nullptr;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

LocalTime ToLocal(std::int64_t utc, const std::string& zone) {
  std::int64_t offset = 0;
  std::string abbreviation = "UTC";
  if (const Zone* z = CachedZone(zone)) {
    std::size_t type = 0;
    auto next = std::upper_bound(z->times.begin(), z->times.end(), utc);
    if (next != z->times.begin()) type = z->typeOf[static_cast<std::size_t>(next - z->times.begin() - 1)];
    offset = z->types[type].offset;
    abbreviation = z->types[type].abbreviation;
  }
  const std::int64_t local = utc + offset;
  std::int64_t days = FloorDiv(local, 86400);
  const std::int64_t seconds = local - days * 86400;
  // Civil date from days since 1970.
  days += 719468;
  const std::int64_t era = FloorDiv(days, 146097);
  const std::int64_t doe = days - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  LocalTime t;
  t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2));
  t.hour = static_cast<int>(seconds / 3600);
  t.minute = static_cast<int>(seconds % 3600 / 60);
  t.offset = offset;
  t.abbreviation = abbreviation;
  return t;
}

std::string ClockText(const LocalTime& t) { return historic::ClockText(t.hour, t.minute, t.abbreviation); }

std::string ObservedText(const LocalTime& t) {
  return historic::ObservedText(t.hour, t.minute, t.abbreviation, t.year, t.month, t.day);
}

RiseSet SunTimes(double lat, double lon, std::int64_t now, const std::string& zone) {
  const std::int64_t start = LocalMidnight(now, zone);
  return Crossings([&](std::int64_t t) { return SunHeight(t, lat, lon); }, start, start + 86400);
}

RiseSet MoonTimes(double lat, double lon, std::int64_t now, const std::string& zone) {
  const std::int64_t start = LocalMidnight(now, zone);
  return Crossings([&](std::int64_t t) { return MoonHeight(t, lat, lon); }, start, start + 86400);
}

MoonState MoonAt(std::int64_t utc) {
  const double jde = TerrestrialJd(JulianDay(utc));
  const double elongation = Normalize(sky::ephemeris::Moon(jde).longitude - sky::ephemeris::Sun(jde).longitude);
  const double synodic = 29.530588853;
  const double age = elongation / 360.0 * synodic;
  static const char* const phases[] = {"New Moon",  "Waxing Crescent", "First Quarter", "Waxing Gibbous",
                                       "Full Moon", "Waning Gibbous",  "Last Quarter",  "Waning Crescent"};
  MoonState m;
  m.phase = phases[static_cast<int>(std::floor(age / synodic * 8 + 0.5)) % 8];
  m.picture = "moon" + std::to_string(static_cast<int>(age) % 30) + ".gif";
  m.illuminated = static_cast<int>(std::lround(100.0 * sky::ephemeris::IlluminatedFraction(jde)));
  return m;
}

}  // namespace sky::gateway
