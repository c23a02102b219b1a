#include "gateway/gateway.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <vector>
#include <cctype>
#include <cstdio>

#include "common/hosts.h"
#include "conditions/page_writer.h"
#include "data/locations/location_data.h"
#include "gateway/observation.h"
#include "gateway/pictures.h"
#include "images/served_pictures.h"
#include "gateway/sky_times.h"
#include "maker_site.h"
#include "places.h"

namespace sky::gateway {

namespace {

using nlohmann::json;

constexpr std::int64_t kMetadataTtlS = 24 * 3600;
constexpr int kStationsTried = 3;

std::string Origin(const std::string& url) {
  std::size_t scheme = url.find("://");
  if (scheme == std::string::npos) return {};
  std::size_t end = url.find_first_of("/?#", scheme + 3);
  return url.substr(0, end);
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return s;
}

std::string PercentDecoded(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
      out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += s[i] == '+' ? ' ' : s[i];
    }
  }
  return out;
}

std::optional<std::string> QueryValue(const std::string& query, const std::string& name) {
  std::size_t start = 0;
  while (start <= query.size()) {
    std::size_t end = query.find('&', start);
    std::string pair = query.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (pair.size() > name.size() && pair.compare(0, name.size(), name) == 0 && pair[name.size()] == '=') {
      return pair.substr(name.size() + 1);
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return std::nullopt;
}

// The tree's name of a US state by its two-letter code.
std::string StateName(const std::string& code) {
  std::string_view text = sky::data::LocationDataFile("state_codes.tsv");
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::size_t tab = line.find('\t');
    if (tab != std::string_view::npos && line.substr(tab + 1) == code) return std::string(line.substr(0, tab));
  }
  return {};
}

std::string TitleStateName(const std::string& code) {
  for (const auto& [c, name] : sample::Places::Get().States()) {
    if (c == code) return name;
  }
  return code;
}

json Parse(const std::string& text) { return json::parse(text, nullptr, false); }

const json* Member(const json& j, const char* key) {
  if (!j.is_object()) return nullptr;
  auto it = j.find(key);
  return it == j.end() ? nullptr : &*it;
}

std::string StringAt(const json& j, const char* key) {
  const json* m = Member(j, key);
  return m != nullptr && m->is_string() ? m->get<std::string>() : std::string();
}

std::string Coordinate(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.4f", v);
  std::string s = buf;
  // The service answers a point with trailing zeros by a redirect; cut them.
  while (s.find('.') != std::string::npos && (s.back() == '0' || s.back() == '.')) {
    const bool dot = s.back() == '.';
    s.pop_back();
    if (dot) break;
  }
  return s;
}

Reply Plain(int status, std::string body) {
  Reply r;
  r.status = status;
  r.body = std::move(body);
  return r;
}

}  // namespace

std::string BadGatewayPage(const std::string& what) {
  return "<html><head><title>502 Bad Gateway</title></head>\n<body><h1>Bad Gateway</h1>\n<p>" + EscapeHtmlText(what) +
         "</p>\n</body></html>\n";
}

Gateway::Gateway(const Options& options, IUpstream& upstream, const IClock& clock,
                 std::function<std::int64_t()> wall_now, std::function<void(const std::string&)> log)
    : options_(options),
      upstream_(upstream),
      clock_(clock),
      wallNow_(std::move(wall_now)),
      log_(std::move(log)),
      answers_(clock, options.cacheEntries),
      metadata_(clock, options.cacheEntries),
      fallback_(sample::MakeDefaultRouter(sample::kDefaultLatestVersion)),
      pictures_(options, upstream, clock, log_) {}

Gateway::~Gateway() = default;

Reply Gateway::Handle(const Request& request) {
  const Deadline deadline = SteadyNowMs() + options_.answerWithinMs;
  if (request.host == hosts::kWeatherUnderground) {
    if (std::optional<Reply> reply = ConditionsRequest(request, deadline)) return *reply;
  }
  if (request.host == hosts::kIwin) {
    if (std::optional<Reply> reply = ProductsRequest(request, deadline)) return *reply;
    return Plain(404, sample::NotFoundPage("http://" + request.host + request.path));
  }
  if (IsPictureHost(request.host)) return PictureRequest(request, deadline);
  // The census and maker's servers have no live source: the sample content.
  return fallback_->Route(request);
}

Reply Gateway::Cached(const std::string& key, std::int64_t ttl_s, Deadline deadline,
                      const std::function<Produced(Deadline)>& produce) {
  std::optional<Cache<Reply>::Hit> hit = answers_.Find(key);
  if (hit && hit->ageMs < ttl_s * 1000) return hit->value;
  Produced produced = produce(deadline);
  if (produced.outcome == Outcome::kOk) {
    answers_.Put(key, produced.reply);
    return produced.reply;
  }
  if (produced.outcome == Outcome::kNotFound) return produced.reply;
  if (hit && hit->ageMs < options_.staleLimitSeconds * 1000) {
    if (log_) log_("serving " + key + " from the cache, " + std::to_string(hit->ageMs / 1000) + " s old");
    return hit->value;
  }
  return Plain(502, BadGatewayPage("The live source for " + key + " did not answer."));
}

bool Gateway::FromNws(const std::string& url) const { return Origin(url) == Origin(options_.nwsApi); }

std::optional<std::string> Gateway::NwsJson(const std::string& url, Deadline deadline, int* status) {
  if (std::optional<Cache<std::string>::Hit> hit = metadata_.Find(url); hit && hit->ageMs < kMetadataTtlS * 1000) {
    return hit->value;
  }
  FetchResult r = upstream_.Get(url, deadline);
  if (status != nullptr) *status = r.status;
  if (!r.ok) return std::nullopt;
  metadata_.Put(url, r.body);
  return r.body;
}

Reply Gateway::Page(const ConditionsPageContent& content) const { return Plain(200, WriteConditionsPage(content)); }

Gateway::Produced Gateway::UsConditions(GeoPoint point, const std::string& title, Deadline deadline) {
  Produced failed;
  int status = 0;
  const std::string points_url = options_.nwsApi + "/points/" + Coordinate(point.lat) + "," + Coordinate(point.lon);
  std::optional<std::string> points_text = NwsJson(points_url, deadline, &status);
  if (!points_text) {
    if (status == 404) return {Outcome::kNotFound, Plain(404, sample::NotFoundPage(points_url))};
    return failed;
  }
  const json points = Parse(*points_text);
  const json* props = Member(points, "properties");
  if (props == nullptr) {
    if (log_) log_("upstream " + points_url + " failed: no point properties");
    return failed;
  }
  const std::string stations_url = StringAt(*props, "observationStations");
  if (!FromNws(stations_url)) {
    if (log_) log_("upstream " + points_url + " failed: station list " + stations_url + " is not the service's");
    return failed;
  }
  std::string zone = StringAt(*props, "timeZone");
  if (!KnownZone(zone)) zone = LongitudeZone(point.lon);

  std::optional<std::string> stations_text = NwsJson(stations_url, deadline, nullptr);
  if (!stations_text) return failed;
  const json stations = Parse(*stations_text);
  const json* features = Member(stations, "features");
  if (features == nullptr || !features->is_array()) {
    if (log_) log_("upstream " + stations_url + " failed: no station list");
    return failed;
  }
  std::optional<Observed> chosen;
  int tried = 0;
  for (const json& station : *features) {
    if (tried == kStationsTried) break;
    const std::string id = StringAt(station, "id");
    if (!FromNws(id)) continue;
    ++tried;
    FetchResult r = upstream_.Get(id + "/observations/latest", deadline);
    if (!r.ok) {
      if (r.status == 404) continue;  // a station without observations
      return failed;
    }
    const json latest = Parse(r.body);
    if (latest.is_discarded()) {
      if (log_) log_("upstream " + id + "/observations/latest failed: not JSON");
      continue;
    }
    Observed o = DecodeNwsObservation(latest);
    if (!chosen) chosen = o;
    // The nearest station may report without a temperature; the next one then.
    if (o.tempC) {
      chosen = o;
      break;
    }
  }
  if (!chosen) return failed;

  std::string page_title = title;
  if (page_title.empty()) {
    const json* relative = Member(*props, "relativeLocation");
    const json* where = relative ? Member(*relative, "properties") : nullptr;
    const std::string city = where ? Latin1FromUtf8(StringAt(*where, "city")) : std::string();
    const std::string state = where ? StringAt(*where, "state") : std::string();
    page_title = city.empty() ? "Zip " + Coordinate(point.lat) + ", " + Coordinate(point.lon)
                              : city + ", " + TitleStateName(state);
  }
  return ConditionsPage(page_title, *chosen, point, zone);
}

Gateway::Produced Gateway::ForeignConditions(const CataloguePlace& place, const std::string& title, Deadline deadline) {
  Produced failed;
  const std::string url = options_.metarApi + "?ids=" + place.icao + "&format=json";
  FetchResult r = upstream_.Get(url, deadline);
  if (!r.ok) return failed;
  const json reports = Parse(r.body);
  const json* report = nullptr;
  if (reports.is_array() && !reports.empty()) report = &reports[0];
  if (reports.is_object()) report = &reports;
  if (report == nullptr || !report->is_object()) {
    if (log_) log_("upstream " + url + " failed: " + (reports.is_discarded() ? "not JSON" : "no report"));
    return failed;
  }
  Observed o = DecodeMetar(*report);
  std::string zone = ForeignZone(place);
  if (!KnownZone(zone)) zone = LongitudeZone(place.point.lon);
  return ConditionsPage(title, o, place.point, zone);
}

// The page of an observation: its values, the time it was made, and the sun
// and moon of today at the place, all in the place's own time zone.
Gateway::Produced Gateway::ConditionsPage(const std::string& title, const Observed& o, GeoPoint point,
                                          const std::string& zone) {
  ConditionsPageContent content;
  content.title = title;
  FillObservedValues(o, content);
  const std::int64_t now = wallNow_();
  content.observed = ObservedText(ToLocal(o.time.value_or(now), zone));
  RiseSet sun = SunTimes(point.lat, point.lon, now, zone);
  RiseSet moon = MoonTimes(point.lat, point.lon, now, zone);
  if (sun.rise) content.sunrise = ClockText(ToLocal(*sun.rise, zone));
  if (sun.set) content.sunset = ClockText(ToLocal(*sun.set, zone));
  if (moon.rise) content.moonrise = ClockText(ToLocal(*moon.rise, zone));
  if (moon.set) content.moonset = ClockText(ToLocal(*moon.set, zone));
  MoonState m = MoonAt(now);
  content.moonPhase = m.phase;
  content.moonPicture = m.picture;
  content.moonIlluminated = m.illuminated;
  content.states = sample::Places::Get().States();
  return {Outcome::kOk, Page(content)};
}

std::optional<Reply> Gateway::ConditionsRequest(const Request& request, Deadline deadline) {
  const std::string& path = request.path;
  const std::string html = ".html";
  const std::int64_t ttl = options_.conditionsTtlSeconds;
  const sample::Places& places = sample::Places::Get();
  if (path.starts_with("/US/") && path.ends_with(html)) {
    std::string rest = path.substr(4, path.size() - 4 - html.size());
    std::size_t slash = rest.find('/');
    if (slash == std::string::npos) return std::nullopt;
    const std::string code = rest.substr(0, slash), city = rest.substr(slash + 1);
    std::optional<sample::Place> place = places.UsCity(code, city);
    const CataloguePlace* where = place ? GeoData::Get().UsCity(StateName(code), city) : nullptr;
    if (where == nullptr) return std::nullopt;
    const GeoPoint point = where->point;
    const std::string title = place->title;
    return Cached(path, ttl, deadline, [&](Deadline d) { return UsConditions(point, title, d); });
  }
  const std::string stations = "/global/stations/";
  if (path.starts_with(stations) && path.ends_with(html)) {
    const std::string number = path.substr(stations.size(), path.size() - stations.size() - html.size());
    std::optional<sample::Place> place = places.Station(number);
    const CataloguePlace* where = place ? GeoData::Get().Station(number) : nullptr;
    // A station the aviation service does not list has no live source.
    if (where == nullptr || where->icao.empty()) return std::nullopt;
    const std::string title = place->title;
    const CataloguePlace copy = *where;
    return Cached(path, ttl, deadline, [&](Deadline d) { return ForeignConditions(copy, title, d); });
  }
  if (path == "/cgi-bin/findweather/getForecast") {
    std::optional<std::string> zip = QueryValue(request.query, "query");
    std::optional<GeoPoint> point = zip ? GeoData::Get().Zip(*zip) : std::nullopt;
    if (!point) return std::nullopt;
    return Cached(path + "?query=" + *zip, ttl, deadline, [&](Deadline d) { return UsConditions(*point, "", d); });
  }
  return std::nullopt;
}

std::optional<Reply> Gateway::ProductsRequest(const Request& request, Deadline deadline) {
  // "/iwin/<state>/<page>"
  const std::string& path = request.path;
  if (!path.starts_with("/iwin/") || path.size() < 10 || path[8] != '/') return std::nullopt;
  const std::string state = path.substr(6, 2);
  const ProductPage* page = FindProductPage(path.substr(9));
  if (page == nullptr || StateName(state).empty()) return std::nullopt;
  const std::int64_t ttl = options_.productsTtlSeconds;
  return Cached(path, ttl, deadline, [&](Deadline d) {
    return page->types.empty() ? StateAlerts(state, *page, d) : StateProducts(state, *page, d);
  });
}

Gateway::Produced Gateway::StateAlerts(const std::string& state, const ProductPage& page, Deadline deadline) {
  Produced failed;
  const std::string url = options_.nwsApi + "/alerts/active?area=" + state;
  FetchResult r = upstream_.Get(url, deadline);
  if (!r.ok) return failed;
  const json alerts = Parse(r.body);
  const json* features = Member(alerts, "features");
  if (features == nullptr || !features->is_array()) {
    if (log_) log_("upstream " + url + " failed: no alert list");
    return failed;
  }
  std::vector<std::string> texts;
  for (const json& alert : *features) {
    const json* p = Member(alert, "properties");
    if (p == nullptr) continue;
    std::string text = StringAt(*p, "headline");
    if (text.empty()) text = StringAt(*p, "event");
    for (const char* key : {"description", "instruction"}) {
      const std::string part = StringAt(*p, key);
      if (!part.empty()) text += "\n\n" + part;
    }
    const std::string area = StringAt(*p, "areaDesc");
    if (!area.empty()) text += "\n\n" + area;
    texts.push_back(text + "\n\n$$");
  }
  return {Outcome::kOk, Plain(200, ProductsHtml(page.title, state, texts))};
}

Gateway::Produced Gateway::StateProducts(const std::string& state, const ProductPage& page, Deadline deadline) {
  Produced failed;
  // The offices that serve the state: those of its forecast zones.
  const std::string zones_url = options_.nwsApi + "/zones?type=forecast&area=" + state;
  std::optional<std::string> zones_text = NwsJson(zones_url, deadline, nullptr);
  if (!zones_text) return failed;
  const json zones = Parse(*zones_text);
  const json* zone_list = Member(zones, "features");
  if (zone_list == nullptr || !zone_list->is_array()) {
    if (log_) log_("upstream " + zones_url + " failed: no zone list");
    return failed;
  }
  std::vector<std::string> offices;
  for (const json& zone : *zone_list) {
    const json* p = Member(zone, "properties");
    const json* cwa = p ? Member(*p, "cwa") : nullptr;
    if (cwa == nullptr || !cwa->is_array()) continue;
    for (const json& office : *cwa) {
      if (!office.is_string()) continue;
      const std::string id = office.get<std::string>();
      if (id.size() == 3 && std::find(offices.begin(), offices.end(), id) == offices.end()) offices.push_back(id);
    }
  }
  std::vector<std::string> texts;
  if (!offices.empty()) {
    std::string types, locations;
    for (const char* t : page.types) types += (types.empty() ? "" : ",") + std::string(t);
    for (const std::string& o : offices) locations += (locations.empty() ? "" : ",") + o;
    const std::string list_url = options_.nwsApi + "/products?type=" + types + "&location=" + locations + "&limit=100";
    FetchResult r = upstream_.Get(list_url, deadline);
    if (!r.ok) return failed;
    const json list = Parse(r.body);
    const json* graph = Member(list, "@graph");
    if (graph == nullptr || !graph->is_array()) {
      if (log_) log_("upstream " + list_url + " failed: no product list");
      return failed;
    }
    // The newest product of each office and type (the list is newest first).
    std::vector<std::string> seen;
    for (const json& product : *graph) {
      const std::string id = StringAt(product, "@id");
      const std::string which = StringAt(product, "issuingOffice") + "/" + StringAt(product, "productCode");
      if (id.empty() || !FromNws(id) || std::find(seen.begin(), seen.end(), which) != seen.end()) continue;
      seen.push_back(which);
      FetchResult text = upstream_.Get(id, deadline);
      if (!text.ok) return failed;
      const json body = Parse(text.body);
      const std::string product_text = StringAt(body, "productText");
      if (!product_text.empty()) texts.push_back(product_text);
    }
  }
  return {Outcome::kOk, Plain(200, ProductsHtml(page.title, state, texts))};
}

Reply Gateway::PictureRequest(const Request& request, Deadline deadline) {
  if (Lower(request.path) == kServedPicturesPath) {
    Reply r = Plain(200, PictureListJson());
    r.contentType = "application/json";
    return r;
  }
  if (Lower(request.path) == kLocalRadarPath) {
    // ?place=<the conditions address of the place, after the server root>
    const std::string place = PercentDecoded(QueryValue(request.query, "place").value_or(""));
    std::optional<GeoPoint> point;
    std::string title = place;
    const std::string html = ".html", stations = "global/stations/", zip = "cgi-bin/findweather/getForecast?query=";
    if (place.starts_with("US/") && place.ends_with(html)) {
      const std::string rest = place.substr(3, place.size() - 3 - html.size());
      const std::size_t slash = rest.find('/');
      if (slash != std::string::npos) {
        const CataloguePlace* where = GeoData::Get().UsCity(StateName(rest.substr(0, slash)), rest.substr(slash + 1));
        if (where != nullptr) point = where->point, title = where->city + ", " + rest.substr(0, slash);
      }
    } else if (place.starts_with(stations) && place.ends_with(html)) {
      const CataloguePlace* where =
          GeoData::Get().Station(place.substr(stations.size(), place.size() - stations.size() - html.size()));
      if (where != nullptr) point = where->point, title = where->city + ", " + where->country;
    } else if (place.starts_with(zip)) {
      point = GeoData::Get().Zip(place.substr(zip.size()));
      title = "zip " + place.substr(zip.size());
    }
    if (!point) return Plain(404, sample::NotFoundPage("http://" + request.host + request.path + "?place=" + place));
    return pictures_.LocalRadar(*point, title, deadline);
  }
  return pictures_.Picture(request.host, request.path, deadline);
}

}  // namespace sky::gateway
