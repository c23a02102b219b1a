#include "conditions/answer_age.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/clock.h"

namespace sky {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The value of a header line whose name matches (case-insensitively).
std::optional<std::string> HeaderValue(const std::string& header, const char* name) {
  const std::size_t n = std::strlen(name);
  std::size_t start = 0;
  while (start < header.size()) {
    std::size_t end = header.find('\n', start);
    if (end == std::string::npos) end = header.size();
    std::string line = header.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end + 1;
    if (line.size() <= n || line[n] != ':') continue;
    bool same = true;
    for (std::size_t i = 0; i < n && same; ++i) same = Lower(line[i]) == Lower(name[i]);
    if (!same) continue;
    const std::size_t v = line.find_first_not_of(' ', n + 1);
    return v == std::string::npos ? std::string() : line.substr(v);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::int64_t> ParseHttpDate(const std::string& text) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char weekday[4] = {}, month[4] = {}, zone[4] = {};
  int day = 0, year = 0, h = 0, mi = 0, s = 0;
  if (std::sscanf(text.c_str(), "%3s, %2d %3s %4d %2d:%2d:%2d %3s", weekday, &day, month, &year, &h, &mi, &s, zone) !=
      8)
    return std::nullopt;
  if (std::strcmp(zone, "GMT") != 0 || day < 1 || day > 31 || h > 23 || mi > 59 || s > 60) return std::nullopt;
  for (int m = 0; m < 12; ++m) {
    if (std::strcmp(month, kMonths[m]) == 0) return DaysFromCivil(year, m + 1, day) * 86400 + h * 3600 + mi * 60 + s;
  }
  return std::nullopt;
}

AnswerAge ReadAnswerAge(const std::string& header) {
  AnswerAge age;
  const std::optional<std::string> date = HeaderValue(header, "Date");
  const std::optional<std::string> modified = HeaderValue(header, "Last-Modified");
  if (date && modified) {
    const std::optional<std::int64_t> d = ParseHttpDate(*date), m = ParseHttpDate(*modified);
    // An observation "from the future" (clocks apart) counts as just made.
    if (d && m) age.observedAgoS = *d > *m ? *d - *m : 0;
  }
  if (std::optional<std::string> a = HeaderValue(header, "Age")) {
    char* end = nullptr;
    const long long v = std::strtoll(a->c_str(), &end, 10);
    if (end != a->c_str() && *end == '\0' && v >= 0) age.ageS = v;
  }
  if (std::optional<std::string> w = HeaderValue(header, "Warning")) age.stale = w->rfind("110", 0) == 0;
  if (std::optional<std::string> c = HeaderValue(header, "Cache-Control")) {
    // Directives are separated by commas: "public, max-age=300".
    std::string lower;
    for (char ch : *c) lower.push_back(Lower(ch));
    const std::size_t at = lower.find("max-age=");
    if (at != std::string::npos && (at == 0 || lower[at - 1] == ' ' || lower[at - 1] == ',')) {
      const char* digits = lower.c_str() + at + 8;
      char* end = nullptr;
      const long long v = std::strtoll(digits, &end, 10);
      if (end != digits && *digits >= '0' && *digits <= '9' && (*end == '\0' || *end == ',' || *end == ' '))
        age.maxAgeS = v;
    }
  }
  return age;
}

std::string DurationText(std::int64_t seconds) {
  const std::int64_t minutes = seconds / 60;
  if (minutes < 60) return std::to_string(minutes) + " min";
  const std::int64_t hours = minutes / 60;
  if (hours < 48) return std::to_string(hours) + " h " + std::to_string(minutes % 60) + " min";
  return std::to_string(hours / 24) + " days " + std::to_string(hours % 24) + " h";
}

std::optional<std::string> AgeNotice(const AnswerAge& age) {
  if (age.observedAgoS && (*age.observedAgoS > kOldObservationS || age.stale))
    return "observed " + DurationText(*age.observedAgoS) + " ago";
  if (age.stale) return "kept " + DurationText(age.ageS.value_or(0)) + ", source not answering";
  return std::nullopt;
}

}  // namespace sky
