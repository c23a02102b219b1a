#include "sample_server/weather.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/clock.h"
#include "historic/clock_text.h"

namespace sky::sample {

namespace {

constexpr double kPi = 3.14159265358979323846;

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Between(int low, int high) {  // inclusive
    return low + static_cast<int>(Next() % static_cast<std::uint64_t>(high - low + 1));
  }
  double Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }

 private:
  std::uint64_t state_;
};

std::uint64_t Hash(const std::string& text) {
  std::uint64_t h = 1469598103934665603ull;
  for (unsigned char c : text) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

struct Civil {
  int year, month, day;  // month 1..12
};

// Days since 1970-01-01 to the civil date, and back.
Civil CivilFromDays(std::int64_t z) {
  z += 719468;
  std::int64_t era = FloorDiv(z, 146097);
  std::int64_t doe = z - era * 146097;
  std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  std::int64_t mp = (5 * doy + 2) / 153;
  int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {static_cast<int>(yoe + era * 400 + (m <= 2)), m, d};
}

int Weekday(std::int64_t days) { return static_cast<int>(((days % 7) + 11) % 7); }  // 0 = Sunday

// Day of the n-th Sunday (n >= 1) of a month, as days since 1970.
std::int64_t NthSunday(int year, int month, int n) {
  std::int64_t first = DaysFromCivil(year, month, 1);
  return first + (7 - Weekday(first)) % 7 + 7 * (n - 1);
}

// US rule: from 2:00 on the second Sunday of March to 2:00 on the first
// Sunday of November, in local standard time.
bool UsDaylightTime(std::int64_t local_standard) {
  std::int64_t days = FloorDiv(local_standard, 86400);
  int year = CivilFromDays(days).year;
  std::int64_t start = NthSunday(year, 3, 2) * 86400 + 2 * 3600;
  std::int64_t end = NthSunday(year, 11, 1) * 86400 + 1 * 3600;
  return local_standard >= start && local_standard < end;
}

// Minutes since midnight of a time of day in hours, wrapped into the day.
int DayMinutes(double hours) {
  const int minutes = static_cast<int>(std::lround(hours * 60));
  return ((minutes % 1440) + 1440) % 1440;
}

std::string ClockText(double hours, const std::string& zone) {
  const int minutes = DayMinutes(hours);
  return historic::ClockText(minutes / 60, minutes % 60, zone);
}

const char* const kCompass[] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};

// Heat index by the usual regression of temperature and relative humidity.
int HeatIndex(int t, int rh) {
  double T = t, R = rh;
  double hi = -42.379 + 2.04901523 * T + 10.14333127 * R - 0.22475541 * T * R - 6.83783e-3 * T * T -
              5.481717e-2 * R * R + 1.22874e-3 * T * T * R + 8.5282e-4 * T * R * R - 1.99e-6 * T * T * R * R;
  return static_cast<int>(std::lround(hi));
}

}  // namespace

int FahrenheitToCelsius(int f) { return static_cast<int>(std::lround((f - 32) * 5.0 / 9.0)); }

Observation Observe(const Place& place, std::int64_t now) {
  const std::int64_t hour = FloorDiv(now, 3600);
  const std::uint64_t place_seed = Hash(place.key);
  Random fixed(place_seed);  // the place's own character: the same every hour
  Random rng(place_seed ^ (static_cast<std::uint64_t>(hour) * 0xD6E8FEB86659FD93ull));

  // Observed a few minutes before the top of the current hour.
  const int minute = 50 + fixed.Between(0, 6);
  const std::int64_t observed_utc = (hour - 1) * 3600 + minute * 60;
  const std::int64_t offset = static_cast<std::int64_t>(std::lround(place.utcOffset * 3600));
  std::int64_t local = observed_utc + offset;
  std::string zone = place.zone;
  double zone_shift = 0;
  if (place.usDaylight && UsDaylightTime(local)) {
    local += 3600;
    zone = place.daylightZone;
    zone_shift = 1;
  }
  const std::int64_t local_days = FloorDiv(local, 86400);
  const Civil date = CivilFromDays(local_days);
  const double local_hour = static_cast<double>(local - local_days * 86400) / 3600.0;
  const int day_of_year = static_cast<int>(local_days - DaysFromCivil(date.year, 1, 1));

  Observation o;
  const int observed_minutes = DayMinutes(local_hour);
  o.observed =
      historic::ObservedText(observed_minutes / 60, observed_minutes % 60, zone, date.year, date.month, date.day);

  // Temperature: yearly mean falls with latitude, the season swings more the
  // farther from the equator (coldest in mid-January up north), the day
  // peaks at about three in the afternoon.
  const double lat = place.latitude;
  const double abs_lat = std::fabs(lat);
  // Europe's time zones north of 35 degrees stand for its mild sea climate:
  // London is not as cold in winter as Winnipeg at the same latitude.
  const bool sea_climate = lat > 35 && place.utcOffset >= -1 && place.utcOffset <= 3;
  const double mean = 81.0 - 0.95 * std::max(0.0, abs_lat - 12.0) + (sea_climate ? 8.0 : 0.0) + fixed.Between(-4, 4);
  const double swing = 0.45 * abs_lat * (sea_climate ? 0.55 : 1.0);
  const double season = -std::cos(2 * kPi * (day_of_year - 15) / 365.0) * (lat >= 0 ? 1 : -1);
  const double daily = std::sin(2 * kPi * (local_hour - 9.0) / 24.0);
  const double t = mean + swing * season + 8.0 * daily + rng.Between(-5, 5);
  o.tempF = static_cast<int>(std::lround(t));
  o.tempC = FahrenheitToCelsius(o.tempF);

  o.humidity = std::clamp(static_cast<int>(std::lround(62 - 18 * daily)) + rng.Between(-25, 25), 12, 100);
  if (o.tempF >= 80 && o.humidity >= 40) o.heatIndexF = std::max(o.tempF, HeatIndex(o.tempF, o.humidity));

  const int speed = std::max(0, rng.Between(-3, 22));
  o.wind = speed < 2 ? "Calm" : std::string(kCompass[rng.Between(0, 15)]) + " at " + std::to_string(speed) + " mph";

  const double inches = 29.70 + rng.Between(0, 70) / 100.0;
  char pressure[48];
  std::snprintf(pressure, sizeof pressure, "%.2f", inches);
  o.pressure = pressure;

  // Sky and visibility go together; wet skies only when the humidity allows.
  const bool day = local_hour >= 7 && local_hour < 18;
  const int roll = rng.Between(0, 99);
  const bool freezing = o.tempF <= 33;
  o.visibilityMiles = 10;
  if (o.humidity >= 85 && roll < 30) {
    static const char* const wet[] = {"Light Rain", "Rain", "Light Drizzle", "Thunderstorm", "Light Rain Mist"};
    static const char* const white[] = {"Light Snow", "Snow"};
    o.sky = freezing ? white[rng.Between(0, 1)] : wet[rng.Between(0, o.tempF >= 65 ? 4 : 2)];
    o.visibilityMiles = rng.Between(2, 7);
  } else if (o.humidity >= 90 && roll < 55) {
    o.sky = roll < 45 ? "Fog" : "Mist";
    o.visibilityMiles = rng.Between(1, 3);
  } else if (roll < 40) {
    o.sky = day ? (roll < 20 ? "Sunny" : "Mostly Sunny") : "Clear";
  } else if (roll < 60) {
    o.sky = roll < 50 ? "Partly Cloudy" : "Scattered Clouds";
  } else if (roll < 75) {
    o.sky = "Mostly Cloudy";
  } else if (roll < 88) {
    o.sky = roll < 82 ? "Overcast" : "Cloudy";
  } else {
    o.sky = "Haze";
    o.visibilityMiles = rng.Between(4, 8);
  }

  // Sun: day length from the sun's declination; noon shifted a little per
  // place, as the place's longitude within its zone would.
  const double declination = -23.44 * std::cos(2 * kPi * (day_of_year + 10) / 365.0);
  const double cos_h = std::clamp(-std::tan(lat * kPi / 180) * std::tan(declination * kPi / 180), -1.0, 1.0);
  const double half_day = std::acos(cos_h) * 180 / kPi / 15.0;
  const double noon = 12.0 + zone_shift + fixed.Between(-30, 30) / 60.0;
  o.sunrise = ClockText(noon - half_day, zone);
  o.sunset = ClockText(noon + half_day, zone);

  // Moon: age in the synodic month from a known new moon (2000-01-06 18:14 UTC).
  const double synodic = 29.530588853;
  double age = std::fmod((static_cast<double>(observed_utc) - 947182440.0) / 86400.0, synodic);
  if (age < 0) age += synodic;
  static const char* const phases[] = {"New Moon",  "Waxing Crescent", "First Quarter", "Waxing Gibbous",
                                       "Full Moon", "Waning Gibbous",  "Last Quarter",  "Waning Crescent"};
  o.moonPhase = phases[static_cast<int>(std::floor(age / synodic * 8 + 0.5)) % 8];
  o.moonPicture = "moon" + std::to_string(static_cast<int>(age) % 30) + ".gif";
  o.moonIlluminated = static_cast<int>(std::lround(50 * (1 - std::cos(2 * kPi * age / synodic))));
  const double moonrise = noon - 6.0 + age * 50.47 / 60.0;  // about 50 minutes later each day
  o.moonrise = ClockText(moonrise, zone);
  o.moonset = ClockText(moonrise + 12.4, zone);

  // Forecast: six half-day periods from the current one.
  const double base = mean + swing * season;
  static const char* const days[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  static const char* const directions[] = {"North", "Northeast", "East", "Southeast",
                                           "South", "Southwest", "West", "Northwest"};
  bool night = local_hour >= 15;
  std::int64_t period_day = local_days;
  for (int i = 0; i < 6; ++i) {
    std::string name;
    if (i == 0) name = night ? "Tonight" : "Today";
    else if (i == 1 && night) name = "Tonight";
    else name = std::string(days[Weekday(period_day)]) + (night ? " Night" : "");
    const int sky_roll = rng.Between(0, 4);
    std::string text;
    if (sky_roll == 4) {
      text = base <= 34 ? "Chance of snow" : "Chance of showers";
    } else {
      static const char* const skies[] = {"Sunny", "Partly cloudy", "Mostly cloudy", "Cloudy"};
      text = (night && sky_roll == 0) ? "Clear" : skies[sky_roll];
    }
    const int value = static_cast<int>(std::lround(base + (night ? -8 : 8))) + rng.Between(-3, 3);
    text += night ? ". Lows around " + std::to_string(value) + "." : ". Highs around " + std::to_string(value) + ".";
    const int wind_low = rng.Between(0, 3) * 5;
    text += std::string(" ") + directions[rng.Between(0, 7)] + " winds " +
            (wind_low == 0 ? "less than 10 mph."
                           : std::to_string(wind_low) + " to " + std::to_string(wind_low + 5) + " mph.");
    o.forecast.emplace_back(name, text);
    if (night) ++period_day;
    night = !night;
  }
  return o;
}

}  // namespace sky::sample
