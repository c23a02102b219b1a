#include "forecast/daily.h"

#include <charconv>

#include "common/text.h"
#include "conditions/answer_age.h"
#include "conditions/htmlp.h"

namespace sky {

namespace {

// A whole number, or nothing for "n/a" and anything that is not one.
std::optional<int> WholeNumber(std::string_view text) {
  const std::string t = Trim(text);
  int v = 0;
  const char* end = t.data() + t.size();
  auto [p, ec] = std::from_chars(t.data(), end, v);
  if (ec != std::errc() || p != end || t.empty()) return std::nullopt;
  return v;
}

std::string Field(std::string text) {
  for (char& c : text)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return Trim(text);
}

std::string NumberOrNA(const std::optional<int>& v) { return v ? std::to_string(*v) : std::string(kNA); }

// "US/TX/Austin.html" -> "US/TX/Austin", "global/stations/03772.html" -> ...,
// the zip form -> "zip/78701"; empty for any other path.
std::string PlaceKey(std::string_view path, bool foreignToo) {
  const std::string_view zipPrefix = "cgi-bin/findweather/getForecast?query=";
  if (path.starts_with(zipPrefix)) {
    const std::string_view zip = path.substr(zipPrefix.size());
    if (zip.empty() || zip.find_first_of("/?&") != std::string_view::npos) return {};
    return "zip/" + std::string(zip);
  }
  if (!path.ends_with(".html")) return {};
  const std::string_view stem = path.substr(0, path.size() - 5);
  if (stem.starts_with("US/") || (foreignToo && stem.starts_with("global/stations/"))) return std::string(stem);
  return {};
}

}  // namespace

DailyRead ReadDailyAnswer(std::string_view body) {
  DailyRead out;
  std::vector<std::string_view> lines = SplitView(body, '\n');
  auto clean = [](std::string_view l) {
    if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    return l;
  };
  if (lines.empty() || Trim(clean(lines[0])) != kDailySignature) {
    out.error = "not a daily forecast";
    return out;
  }
  DailyForecast f;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string_view> fields = SplitView(clean(lines[i]), '\t');
    const std::string_view kind = fields[0];
    if (fields.size() >= 2 && kind == "place") f.place = Trim(fields[1]);
    else if (fields.size() >= 2 && kind == "source") f.source = Trim(fields[1]);
    else if (fields.size() >= 2 && kind == "issued") f.issued = Trim(fields[1]);
    else if (kind == "day" && fields.size() >= 9 && static_cast<int>(f.days.size()) < kDailyDays) {
      DailyDay d;
      d.date = Trim(fields[1]);
      d.name = Trim(fields[2]);
      d.high = WholeNumber(fields[3]);
      d.low = WholeNumber(fields[4]);
      const std::string unit = Trim(fields[5]);
      if (unit != "F" && unit != "C") continue;  // degrees of no known scale are no forecast
      d.unit = unit[0];
      d.sky = Trim(fields[6]);
      d.precipitation = WholeNumber(fields[7]);
      const std::string wind = Trim(fields[8]);
      d.wind = wind == kNA ? std::string() : wind;
      if (d.sky == kNA) d.sky.clear();
      f.days.push_back(std::move(d));
    }
  }
  if (f.days.empty()) {
    out.error = "no days";
    return out;
  }
  out.forecast = std::move(f);
  return out;
}

std::string WriteDailyAnswer(const DailyForecast& f) {
  std::string out = std::string(kDailySignature) + "\n";
  out += "place\t" + Field(f.place) + "\n";
  out += "source\t" + Field(f.source) + "\n";
  out += "issued\t" + Field(f.issued) + "\n";
  for (const DailyDay& d : f.days) {
    out += "day\t" + Field(d.date) + "\t" + Field(d.name) + "\t" + NumberOrNA(d.high) + "\t" + NumberOrNA(d.low) +
           "\t" + std::string(1, d.unit) + "\t" + (d.sky.empty() ? std::string(kNA) : Field(d.sky)) + "\t" +
           NumberOrNA(d.precipitation) + "\t" + (d.wind.empty() ? std::string(kNA) : Field(d.wind)) + "\n";
  }
  return out;
}

std::optional<std::string> DailyPath(std::string_view conditionsPath) {
  const std::string key = PlaceKey(conditionsPath, true);
  if (key.empty()) return std::nullopt;
  return "daily/" + key + ".txt";
}

std::optional<std::string> AlertsPath(std::string_view conditionsPath) {
  const std::string key = PlaceKey(conditionsPath, false);
  if (key.empty()) return std::nullopt;
  return "alerts/" + key + ".txt";
}

DailyRow ShowDay(const DailyDay& day, UnitSystem units) {
  DailyRow r;
  r.name = day.name;
  r.sky = day.sky.empty() ? std::string(kNA) : day.sky;
  r.icon = SkyIconFor(day.sky);
  std::string hl;
  if (day.high) hl = "High " + ShowDegrees(*day.high, day.unit, units);
  if (day.low) hl += (hl.empty() ? "" : "  ") + std::string("Low ") + ShowDegrees(*day.low, day.unit, units);
  r.highLow = hl.empty() ? std::string(kNA) : hl;
  if (day.precipitation) r.precipitation = "Precip. " + std::to_string(*day.precipitation) + "%";
  if (!day.wind.empty()) r.wind = "Wind " + ShowWind(day.wind, units);
  return r;
}

std::string StaleText(std::optional<long long> ageSeconds) {
  if (!ageSeconds) return "stale: the live source did not answer, an older forecast is shown";
  return "stale: the forecast is " + DurationText(*ageSeconds) + " old";
}

}  // namespace sky
