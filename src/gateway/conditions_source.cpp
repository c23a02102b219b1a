// Conditions pages by US city, foreign station and zip code, from the weather
// service's latest observations (US) and the aviation weather METARs (abroad),
// with the sun and moon computed for the place.
#include <cstdio>

#include "common/hosts.h"
#include "conditions/page_writer.h"
#include "gateway/geo.h"
#include "gateway/observation.h"
#include "gateway/open_meteo.h"
#include "gateway/products.h"
#include "gateway/sky_times.h"
#include "gateway/sources.h"
#include "historic/addresses.h"
#include "historic/places.h"

namespace sky::gateway {

namespace {

using nlohmann::json;
using Produced = Gateway::Produced;

constexpr int kStationsTried = 3;

std::string TitleStateName(const std::string& code) {
  for (const auto& [c, name] : historic::Places::Get().States()) {
    if (c == code) return name;
  }
  return code;
}

// The page of an observation: its values, the time it was made, and the sun
// and moon of today at the place, all in the place's own time zone.
Produced ConditionsPage(Gateway& g, const std::string& title, const Observed& observed, GeoPoint point,
                        const std::string& zone, const std::string& source) {
  ConditionsPageContent content;
  content.title = title;
  content.source = source;
  const std::int64_t now = g.WallNow();
  const Observed o = WithinLimits(observed, now);
  FillObservedValues(o, content);
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
  content.states = historic::Places::Get().States();
  Reply reply = Plain(200, WriteConditionsPage(content));
  // The observation's time, so the program can say how old the conditions are.
  if (o.time) reply.headers.emplace_back("Last-Modified", HttpDate(*o.time));
  return {Gateway::Outcome::kOk, reply};
}

// Current conditions of the global forecast service at a point, for a place
// without a current station report; nothing on failure (logged).
std::optional<Observed> SecondSource(Gateway& g, GeoPoint point, Deadline deadline) {
  const std::string url = OpenMeteoCurrentUrl(g.options().openMeteoApi, point);
  FetchResult r = g.upstream().Get(url, deadline);
  if (!r.ok) return std::nullopt;
  std::optional<Observed> o = DecodeOpenMeteoCurrent(ParseJson(r.body));
  if (!o) g.Log("upstream " + url + " failed: no current values");
  return o;
}

Produced UsConditions(Gateway& g, GeoPoint point, const std::string& title, Deadline deadline) {
  Produced failed;
  int status = 0;
  const std::string points_url = g.options().nwsApi + "/points/" + Coordinate(point.lat) + "," + Coordinate(point.lon);
  std::optional<std::string> points_text = g.NwsJson(points_url, deadline, &status);
  if (!points_text) {
    if (status == 404) return {Gateway::Outcome::kNotFound, Plain(404, historic::NotFoundPage(points_url))};
    return failed;
  }
  const json points = ParseJson(*points_text);
  const json* props = Member(points, "properties");
  if (props == nullptr) {
    g.Log("upstream " + points_url + " failed: no point properties");
    return failed;
  }
  const std::string stations_url = StringAt(*props, "observationStations");
  if (!g.FromNws(stations_url)) {
    g.Log("upstream " + points_url + " failed: station list " + stations_url + " is not the service's");
    return failed;
  }
  std::string zone = StringAt(*props, "timeZone");
  if (!KnownZone(zone)) zone = LongitudeZone(point.lon);

  std::optional<std::string> stations_text = g.NwsJson(stations_url, deadline, nullptr);
  if (!stations_text) return failed;
  const json stations = ParseJson(*stations_text);
  const json* features = Member(stations, "features");
  if (features == nullptr || !features->is_array()) {
    g.Log("upstream " + stations_url + " failed: no station list");
    return failed;
  }
  std::optional<Observed> chosen;
  std::string chosenStation;
  int tried = 0;
  for (const json& station : *features) {
    if (tried == kStationsTried) break;
    const std::string id = StringAt(station, "id");
    if (!g.FromNws(id)) continue;
    ++tried;
    FetchResult r = g.upstream().Get(id + "/observations/latest", deadline);
    if (!r.ok) {
      if (r.status == 404) continue;  // a station without observations
      return failed;
    }
    const json latest = ParseJson(r.body);
    if (latest.is_discarded()) {
      g.Log("upstream " + id + "/observations/latest failed: not JSON");
      continue;
    }
    Observed o = DecodeNwsObservation(latest);
    const std::string name = id.substr(id.rfind('/') + 1);
    if (!chosen) {
      chosen = o;
      chosenStation = name;
    }
    // The nearest station may report without a temperature; the next one then.
    if (o.tempC) {
      chosen = o;
      chosenStation = name;
      break;
    }
  }
  std::string source = chosen ? "National Weather Service observation at " + chosenStation : std::string();
  if (!chosen || !chosen->tempC) {
    // No station near has a temperature now: the model values, if they come.
    if (std::optional<Observed> second = SecondSource(g, point, deadline)) {
      chosen = second;
      source = kOpenMeteoAttribution;
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
  return ConditionsPage(g, page_title, *chosen, point, zone, source);
}

Produced ForeignConditions(Gateway& g, const CataloguePlace& place, const std::string& title, Deadline deadline) {
  Produced failed;
  std::optional<Observed> o;
  std::string source;
  if (!place.icao.empty()) {
    const std::string url = g.options().metarApi + "?ids=" + place.icao + "&format=json";
    FetchResult r = g.upstream().Get(url, deadline);
    if (!r.ok) return failed;
    // A station without a current report answers with nothing or "[]": not
    // an outage, so no stale page and no back-off; the second source answers.
    const bool blank = r.body.find_first_not_of(" \t\r\n") == std::string::npos;
    const json reports = blank ? json::array() : ParseJson(r.body);
    const json* report = nullptr;
    if (reports.is_array() && !reports.empty()) report = &reports[0];
    if (reports.is_object()) report = &reports;
    if (reports.is_discarded() || (report != nullptr && !report->is_object())) {
      g.Log("upstream " + url + " failed: not JSON");
      return failed;
    }
    if (report != nullptr) {
      o = DecodeMetar(*report);
      source = "METAR of " + place.icao + ", Aviation Weather Center";
    } else {
      g.Log("no current report of " + place.icao + "; asking the second source");
    }
  }
  if (!o) {
    o = SecondSource(g, place.point, deadline);
    if (!o) return failed;
    source = kOpenMeteoAttribution;
  }
  std::string zone = ForeignZone(place);
  if (!KnownZone(zone)) zone = LongitudeZone(place.point.lon);
  return ConditionsPage(g, title, *o, place.point, zone, source);
}

std::optional<Reply> ConditionsRequest(Gateway& g, const Request& request, Deadline deadline) {
  const std::string& path = request.path;
  const std::int64_t ttl = g.options().conditionsTtlSeconds;
  const historic::Places& places = historic::Places::Get();
  const std::optional<historic::ConditionsAddress> address = historic::ParseConditionsAddress(path, request.query);
  if (!address) return std::nullopt;
  using Kind = historic::ConditionsAddress::Kind;
  if (address->kind == Kind::kUsCity) {
    const std::string& code = address->code;
    const std::string& city = address->city;
    std::optional<historic::Place> place = places.UsCity(code, city);
    const CataloguePlace* where = place ? GeoData::Get().UsCity(StateName(code), city) : nullptr;
    if (where == nullptr) return std::nullopt;
    const GeoPoint point = where->point;
    const std::string title = place->title;
    return g.Cached(path, ttl, deadline, [&](Deadline d) { return UsConditions(g, point, title, d); });
  }
  if (address->kind == Kind::kStation) {
    const std::string& number = address->number;
    std::optional<historic::Place> place = places.Station(number);
    const CataloguePlace* where = place ? GeoData::Get().Station(number) : nullptr;
    // A station the aviation service does not list is answered by the second source.
    if (where == nullptr) return std::nullopt;
    const std::string title = place->title;
    const CataloguePlace copy = *where;
    return g.Cached(path, ttl, deadline, [&](Deadline d) { return ForeignConditions(g, copy, title, d); });
  }
  std::optional<GeoPoint> point = GeoData::Get().Zip(address->zip);
  if (!point) return std::nullopt;
  return g.Cached(path + "?query=" + address->zip, ttl, deadline,
                  [&](Deadline d) { return UsConditions(g, *point, "", d); });
}

}  // namespace

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

void AddConditionsSource(Gateway& gateway, historic::Router& router) {
  router.Add(hosts::kWeatherUnderground, [&gateway](const Request& request) {
    return ConditionsRequest(gateway, request, gateway.AnswerDeadline());
  });
}

}  // namespace sky::gateway
