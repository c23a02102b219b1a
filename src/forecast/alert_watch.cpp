#include "forecast/alert_watch.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "common/clock.h"
#include "common/text.h"
#include "settings/ini_proc.h"
#include "settings/settings_names.h"

namespace sky {

namespace {

std::string Field(std::string text) {
  for (char& c : text)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return Trim(text);
}

bool Digits(std::string_view s, std::size_t at, std::size_t count, int& out) {
  if (at + count > s.size()) return false;
  auto [p, ec] = std::from_chars(s.data() + at, s.data() + at + count, out);
  return ec == std::errc() && p == s.data() + at + count;
}

struct LocalParts {
  int year, month, day, hour, minute, second;
};

std::optional<LocalParts> Parts(std::string_view iso) {
  LocalParts p{};
  if (iso.size() < 19 || iso[4] != '-' || iso[7] != '-' || (iso[10] != 'T' && iso[10] != ' ') || iso[13] != ':' ||
      iso[16] != ':')
    return std::nullopt;
  if (!Digits(iso, 0, 4, p.year) || !Digits(iso, 5, 2, p.month) || !Digits(iso, 8, 2, p.day) ||
      !Digits(iso, 11, 2, p.hour) || !Digits(iso, 14, 2, p.minute) || !Digits(iso, 17, 2, p.second))
    return std::nullopt;
  if (p.month < 1 || p.month > 12 || p.day < 1 || p.day > 31 || p.hour > 23 || p.minute > 59 || p.second > 60)
    return std::nullopt;
  return p;
}

std::string ValueName(const std::string& id) {
  std::string name = id;
  for (char& c : name) {
    const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                      c == ':' || c == '-' || c == '_';
    if (!keep) c = '_';
  }
  return name;
}

}  // namespace

AlertsRead ReadAlertsAnswer(std::string_view body) {
  AlertsRead out;
  const std::vector<std::string_view> lines = SplitView(body, '\n');
  auto clean = [](std::string_view l) {
    if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    return l;
  };
  if (lines.empty() || Trim(clean(lines[0])) != kAlertsSignature) {
    out.error = "not an alerts answer";
    return out;
  }
  std::vector<Alert> alerts;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string_view> f = SplitView(clean(lines[i]), '\t');
    if (f[0] == "place" && f.size() >= 2) out.place = Trim(f[1]);
    if (f[0] != "alert" || f.size() < 8) continue;
    Alert a;
    a.id = Trim(f[1]);
    a.status = Trim(f[2]);
    a.messageType = Trim(f[3]);
    a.event = Trim(f[4]);
    a.area = Trim(f[5]);
    a.expires = Trim(f[6]);
    a.ends = Trim(f[7]);
    if (a.ends == kNA) a.ends.clear();
    if (a.id.empty()) continue;  // nothing to remember it by
    alerts.push_back(std::move(a));
  }
  out.alerts = std::move(alerts);
  return out;
}

std::string WriteAlertsAnswer(const std::string& place, const std::vector<Alert>& alerts) {
  std::string out = std::string(kAlertsSignature) + "\nplace\t" + Field(place) + "\n";
  for (const Alert& a : alerts) {
    out += "alert\t" + Field(a.id) + "\t" + Field(a.status) + "\t" + Field(a.messageType) + "\t" + Field(a.event) +
           "\t" + Field(a.area) + "\t" + Field(a.expires) + "\t" + (a.ends.empty() ? std::string(kNA) : Field(a.ends)) +
           "\n";
  }
  return out;
}

std::optional<long long> IsoToEpoch(std::string_view iso) {
  const std::optional<LocalParts> p = Parts(iso);
  if (!p) return std::nullopt;
  std::string_view zone = iso.substr(19);
  if (!zone.empty() && zone[0] == '.') {  // fractions of a second
    std::size_t i = 1;
    while (i < zone.size() && zone[i] >= '0' && zone[i] <= '9') ++i;
    zone = zone.substr(i);
  }
  long long offset = 0;
  if (zone == "Z" || zone == "+00:00") {
    offset = 0;
  } else if (zone.size() == 6 && (zone[0] == '+' || zone[0] == '-') && zone[3] == ':') {
    int h = 0, m = 0;
    if (!Digits(zone, 1, 2, h) || !Digits(zone, 4, 2, m)) return std::nullopt;
    offset = (h * 3600LL + m * 60LL) * (zone[0] == '-' ? -1 : 1);
  } else {
    return std::nullopt;
  }
  const long long local =
      DaysFromCivil(p->year, p->month, p->day) * 86400 + p->hour * 3600LL + p->minute * 60LL + p->second;
  return local - offset;
}

std::string LocalTimeText(std::string_view iso) {
  const std::optional<LocalParts> p = Parts(iso);
  if (!p) return std::string(iso);
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const int h12 = p->hour % 12 == 0 ? 12 : p->hour % 12;
  char minute[4];
  std::snprintf(minute, sizeof minute, "%02d", p->minute);
  return std::string(kMonths[p->month - 1]) + " " + std::to_string(p->day) + ", " + std::to_string(h12) + ":" + minute +
         (p->hour < 12 ? " AM" : " PM");
}

bool IsActiveWarning(const Alert& a, long long now) {
  if (a.status != "Actual" || a.messageType == "Cancel") return false;
  if (!a.event.ends_with("Warning") && !a.event.ends_with("Watch")) return false;
  const std::optional<long long> expires = IsoToEpoch(a.ends.empty() ? a.expires : a.ends);
  // An alert whose end cannot be read counts as in force: better one notice
  // too many than a warning missed.
  return !expires || *expires > now;
}

Notice NoticeFor(const Alert& a) {
  Notice n;
  n.alertId = a.id;
  n.title = a.event;
  n.body = a.area;
  const std::string& end = a.ends.empty() ? a.expires : a.ends;
  if (!end.empty()) n.body += (n.body.empty() ? "" : "\n") + std::string("Until ") + LocalTimeText(end);
  return n;
}

std::vector<std::pair<std::string, long long>> SettingsAnnouncedStore::Load() {
  std::vector<std::pair<std::string, long long>> out;
  for (const auto& [name, value] : ReadSection(settings::kSectionAlerts)) {
    long long expires = 0;
    auto [p, ec] = std::from_chars(value.data(), value.data() + value.size(), expires);
    if (ec == std::errc() && p == value.data() + value.size()) out.emplace_back(name, expires);
  }
  return out;
}

void SettingsAnnouncedStore::Save(const std::vector<std::pair<std::string, long long>>& ids) {
  EraseSection(settings::kSectionAlerts);
  for (const auto& [id, expires] : ids) WriteSetting(settings::kSectionAlerts, id, std::to_string(expires));
}

AlertCheck CheckAlerts(const std::vector<Alert>& alerts, long long now, bool notify, IAnnouncedStore& store,
                       INotificationPort& port) {
  AlertCheck check;
  std::vector<std::pair<std::string, long long>> known = store.Load();
  const std::size_t before = known.size();
  // Forget what has expired: the store stays as small as the warnings in force.
  std::erase_if(known, [now](const auto& k) { return k.second <= now; });
  bool changed = known.size() != before;
  for (const Alert& a : alerts) {
    if (!IsActiveWarning(a, now)) continue;
    check.warningActive = true;
    const std::string name = ValueName(a.id);
    if (std::any_of(known.begin(), known.end(), [&](const auto& k) { return k.first == name; })) continue;
    const std::optional<long long> end = IsoToEpoch(a.ends.empty() ? a.expires : a.ends);
    // Without a readable end it is kept a day, then forgotten.
    known.emplace_back(name, end.value_or(now + 86400));
    changed = true;
    if (!notify) continue;
    Notice n = NoticeFor(a);
    port.Notify(n);
    check.raised.push_back(std::move(n));
  }
  if (changed) store.Save(known);
  return check;
}

}  // namespace sky
