#include "gateway/daily_sources.h"

#include <cmath>
#include <cstdio>

#include "common/text.h"
#include "common/units.h"
#include "gateway/alerts.h"
#include "gateway/open_meteo.h"
#include "gateway/products.h"

namespace sky::gateway {

namespace {

using nlohmann::json;

std::string Str(const json& j, const char* key) {
  if (!j.is_object()) return {};
  auto it = j.find(key);
  return it != j.end() && it->is_string() ? Latin1FromUtf8(it->get<std::string>()) : std::string();
}

std::optional<double> Num(const json& j) {
  if (j.is_number()) return j.get<double>();
  return std::nullopt;
}

std::optional<double> NumAt(const json& array, std::size_t i) {
  if (!array.is_array() || i >= array.size()) return std::nullopt;
  return Num(array[i]);
}

std::optional<int> Whole(const std::optional<double>& v) {
  if (!v) return std::nullopt;
  return static_cast<int>(RoundWhole(*v));
}

const json& Member(const json& j, const char* key) {
  static const json kNull;
  if (!j.is_object()) return kNull;
  auto it = j.find(key);
  return it == j.end() ? kNull : *it;
}

const char* const kWeekdays[] = {"Thursday", "Friday", "Saturday", "Sunday", "Monday", "Tuesday", "Wednesday"};

std::string Weekday(const std::string& date) {
  const std::optional<long long> t = IsoToEpoch(date + "T00:00:00Z");
  if (!t) return date;
  const long long days = *t / 86400;
  return kWeekdays[((days % 7) + 7) % 7];
}

}  // namespace

std::optional<DailyForecast> DecodeNwsDailyForecast(const json& forecast, const std::string& place) {
  const json& props = Member(forecast, "properties");
  const json& periods = Member(props, "periods");
  if (!periods.is_array() || periods.empty()) return std::nullopt;
  DailyForecast f;
  f.place = place;
  f.source = kNwsForecastSource;
  f.issued = Str(props, "generatedAt");
  if (f.issued.empty()) f.issued = Str(props, "updateTime");
  auto dayOf = [](const json& p) {
    DailyDay d;
    d.date = Str(p, "startTime").substr(0, 10);
    d.name = Str(p, "name");
    const std::string unit = Str(p, "temperatureUnit");
    d.unit = unit == "C" ? 'C' : 'F';
    d.sky = Str(p, "shortForecast");
    d.precipitation = Whole(Num(Member(Member(p, "probabilityOfPrecipitation"), "value")));
    const std::string speed = Str(p, "windSpeed"), direction = Str(p, "windDirection");
    if (!speed.empty()) d.wind = Trim(direction + " " + speed);
    return d;
  };
  for (std::size_t i = 0; i < periods.size() && f.days.size() < static_cast<std::size_t>(kDailyDays); ++i) {
    const json& p = periods[i];
    const bool daytime = Member(p, "isDaytime").is_boolean() && Member(p, "isDaytime").get<bool>();
    const std::optional<int> temperature = Whole(Num(Member(p, "temperature")));
    if (!daytime) {
      // A night after its day was taken with that day; one before any day
      // is tonight, the first row in the evening.
      if (!f.days.empty()) continue;
      DailyDay d = dayOf(p);
      d.low = temperature;
      f.days.push_back(std::move(d));
      continue;
    }
    DailyDay d = dayOf(p);
    d.high = temperature;
    if (i + 1 < periods.size()) {
      const json& night = periods[i + 1];
      const json& nd = Member(night, "isDaytime");
      if (nd.is_boolean() && !nd.get<bool>()) d.low = Whole(Num(Member(night, "temperature")));
    }
    f.days.push_back(std::move(d));
  }
  if (f.days.empty()) return std::nullopt;
  return f;
}

std::string CompassPoint(double degrees) {
  static const char* const kPoints[] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                        "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};
  double d = std::fmod(degrees, 360.0);
  if (d < 0) d += 360;
  return kPoints[static_cast<int>(std::floor(d / 22.5 + 0.5)) % 16];
}

std::optional<DailyForecast> DecodeOpenMeteoDaily(const json& answer, const std::string& place, std::int64_t now) {
  const json& daily = Member(answer, "daily");
  const json& units = Member(answer, "daily_units");
  const json& times = Member(daily, "time");
  if (!times.is_array() || times.empty()) return std::nullopt;
  const std::string tempUnit = Str(units, "temperature_2m_max");
  const char unit = tempUnit.find('F') != std::string::npos ? 'F' : 'C';
  const std::string windUnit = Str(units, "wind_speed_10m_max");
  const std::string speedWord =
      windUnit.find('m') == 0 && windUnit.find("/h") != std::string::npos && windUnit.find('k') == std::string::npos
          ? "mph"
          : "km/h";  // "mp/h" is how the service spells mph
  const json offset = Member(answer, "utc_offset_seconds");
  const std::int64_t local = now + (offset.is_number_integer() ? offset.get<std::int64_t>() : 0);
  const std::string today = [&] {
    // The place's date now, as "YYYY-MM-DD".
    const long long days = local >= 0 ? local / 86400 : (local - 86399) / 86400;
    long long z = days + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long d = doy - (153 * mp + 2) / 5 + 1;
    const long long m = mp < 10 ? mp + 3 : mp - 9;
    const long long y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04lld-%02lld-%02lld", y, m, d);
    return std::string(buf);
  }();
  const bool evening = ((local % 86400) + 86400) % 86400 >= 18 * 3600;

  DailyForecast f;
  f.place = place;
  f.source = kOpenMeteoSource;
  for (std::size_t i = 0; i < times.size() && f.days.size() < static_cast<std::size_t>(kDailyDays); ++i) {
    if (!times[i].is_string()) continue;
    DailyDay d;
    d.date = times[i].get<std::string>();
    if (d.date < today) continue;  // a day already over
    d.unit = unit;
    d.high = Whole(NumAt(Member(daily, "temperature_2m_max"), i));
    d.low = Whole(NumAt(Member(daily, "temperature_2m_min"), i));
    const std::optional<double> code = NumAt(Member(daily, "weather_code"), i);
    d.sky = code ? WmoCodeWords(static_cast<int>(*code)).value_or(std::string()) : std::string();
    d.precipitation = Whole(NumAt(Member(daily, "precipitation_probability_max"), i));
    const std::optional<double> speed = NumAt(Member(daily, "wind_speed_10m_max"), i);
    const std::optional<double> direction = NumAt(Member(daily, "wind_direction_10m_dominant"), i);
    if (speed)
      d.wind = (direction ? CompassPoint(*direction) + " " : std::string()) + std::to_string(RoundWhole(*speed)) + " " +
               speedWord;
    if (d.date == today) {
      d.name = evening ? "Tonight" : "Today";
      if (evening) d.high.reset();  // the day's high is past
    } else {
      d.name = Weekday(d.date);
    }
    f.days.push_back(std::move(d));
  }
  if (f.days.empty()) return std::nullopt;
  return f;
}

std::vector<Alert> DecodeNwsAlerts(const json& answer) {
  std::vector<Alert> out;
  const json& features = Member(answer, "features");
  if (!features.is_array()) return out;
  // What the warnings page shows is what may be announced: actual alerts in
  // force, no cancellation, none a later update replaces.
  for (const json* feature : ShownAlerts(features)) {
    const json& p = Member(*feature, "properties");
    Alert a;
    a.id = Str(p, "id");
    if (a.id.empty()) a.id = Str(*feature, "id");
    a.status = Str(p, "status");
    a.messageType = Str(p, "messageType");
    a.event = Str(p, "event");
    a.area = Str(p, "areaDesc");
    a.expires = Str(p, "expires");
    a.ends = Str(p, "ends");
    if (a.id.empty()) continue;
    out.push_back(std::move(a));
  }
  return out;
}

}  // namespace sky::gateway
