// The seven-day forecast ("/daily/<place>.txt") and the warnings by point
// ("/alerts/<place>.txt") of a place, beside its conditions page on the
// conditions host. US places and zips: the weather service's gridpoint
// forecast (the `forecast` link of the place's /points answer) and its active
// alerts for the point, status actual only. Places abroad: Open-Meteo's daily
// values (no warnings). Cached as the conditions are; a stale copy says so.
#include "common/hosts.h"
#include "gateway/alerts.h"
#include "gateway/daily_sources.h"
#include "gateway/geo.h"
#include "gateway/products.h"
#include "gateway/sources.h"
#include "historic/places.h"

namespace sky::gateway {

namespace {

using nlohmann::json;
using Produced = Gateway::Produced;

// Where a daily or alerts path points: the place's point and its title.
struct Where {
  GeoPoint point;
  std::string title;  // empty for a zip: the service's own name then
  bool abroad = false;
};

// "US/TX/Austin", "global/stations/03772", "zip/78701" (the part between
// "/daily/" or "/alerts/" and ".txt").
std::optional<Where> PlaceOf(const std::string& key) {
  const historic::Places& places = historic::Places::Get();
  if (key.starts_with("US/")) {
    const std::string rest = key.substr(3);
    const std::size_t slash = rest.find('/');
    if (slash == std::string::npos) return std::nullopt;
    const std::string code = rest.substr(0, slash), city = rest.substr(slash + 1);
    std::optional<historic::Place> place = places.UsCity(code, city);
    const CataloguePlace* at = place ? GeoData::Get().UsCity(StateName(code), city) : nullptr;
    if (at == nullptr) return std::nullopt;
    return Where{at->point, place->title, false};
  }
  if (key.starts_with("global/stations/")) {
    const std::string number = key.substr(16);
    std::optional<historic::Place> place = places.Station(number);
    const CataloguePlace* at = place ? GeoData::Get().Station(number) : nullptr;
    if (at == nullptr) return std::nullopt;
    return Where{at->point, place->title, true};
  }
  if (key.starts_with("zip/")) {
    std::optional<GeoPoint> point = GeoData::Get().Zip(key.substr(4));
    if (!point) return std::nullopt;
    return Where{*point, "", false};
  }
  return std::nullopt;
}

Reply Text(std::string body) {
  Reply r = Plain(200, std::move(body));
  r.contentType = "text/plain; charset=iso-8859-1";
  return r;
}

// The /points answer of a US point (cached as metadata), or the outcome
// that ends the request.
std::optional<json> Points(Gateway& g, GeoPoint point, Deadline deadline, Produced& failed) {
  int status = 0;
  const std::string url = g.options().nwsApi + "/points/" + Coordinate(point.lat) + "," + Coordinate(point.lon);
  std::optional<std::string> text = g.NwsJson(url, deadline, &status);
  if (!text) {
    if (status == 404) failed = {Gateway::Outcome::kNotFound, Plain(404, historic::NotFoundPage(url))};
    return std::nullopt;
  }
  json points = ParseJson(*text);
  if (Member(points, "properties") == nullptr) {
    g.Log("upstream " + url + " failed: no point properties");
    return std::nullopt;
  }
  return points;
}

std::string ServiceTitle(const json& points) {
  const json* props = Member(points, "properties");
  const json* relative = props ? Member(*props, "relativeLocation") : nullptr;
  const json* where = relative ? Member(*relative, "properties") : nullptr;
  if (where == nullptr) return "your place";
  const std::string city = StringAt(*where, "city"), state = StringAt(*where, "state");
  return city.empty() ? std::string("your place") : city + ", " + state;
}

Produced UsDaily(Gateway& g, const Where& where, Deadline deadline) {
  Produced failed;
  std::optional<json> points = Points(g, where.point, deadline, failed);
  if (!points) return failed;
  const std::string forecastUrl = StringAt(*Member(*points, "properties"), "forecast");
  if (!g.FromNws(forecastUrl)) {
    g.Log("upstream points failed: forecast link " + forecastUrl + " is not the service's");
    return failed;
  }
  FetchResult r = g.upstream().Get(forecastUrl, deadline);
  if (!r.ok) return failed;
  const std::string title = where.title.empty() ? ServiceTitle(*points) : where.title;
  std::optional<DailyForecast> f = DecodeNwsDailyForecast(ParseJson(r.body), Latin1FromUtf8(title));
  if (!f) {
    g.Log("upstream " + forecastUrl + " failed: no forecast periods");
    return failed;
  }
  return {Gateway::Outcome::kOk, Text(WriteDailyAnswer(*f))};
}

Produced AbroadDaily(Gateway& g, const Where& where, Deadline deadline) {
  Produced failed;
  const std::string url = g.options().openMeteoApi + "?latitude=" + Coordinate(where.point.lat) +
                          "&longitude=" + Coordinate(where.point.lon) +
                          "&daily=weather_code,temperature_2m_max,temperature_2m_min,precipitation_probability_max,"
                          "wind_speed_10m_max,wind_direction_10m_dominant&timezone=auto&forecast_days=8";
  FetchResult r = g.upstream().Get(url, deadline);
  if (!r.ok) return failed;
  std::optional<DailyForecast> f = DecodeOpenMeteoDaily(ParseJson(r.body), where.title, g.WallNow());
  if (!f) {
    g.Log("upstream " + url + " failed: no daily values");
    return failed;
  }
  return {Gateway::Outcome::kOk, Text(WriteDailyAnswer(*f))};
}

Produced UsAlerts(Gateway& g, const Where& where, Deadline deadline) {
  Produced failed;
  // Test and exercise messages stay at the service: only actual alerts.
  const std::string url =
      ActiveAlertsUrl(g.options().nwsApi, "point=" + Coordinate(where.point.lat) + "," + Coordinate(where.point.lon));
  FetchResult r = g.upstream().Get(url, deadline);
  if (!r.ok) return failed;
  const json answer = ParseJson(r.body);
  if (Member(answer, "features") == nullptr) {
    g.Log("upstream " + url + " failed: no alert list");
    return failed;
  }
  return {Gateway::Outcome::kOk, Text(WriteAlertsAnswer(where.title, DecodeNwsAlerts(answer)))};
}

std::optional<Reply> DailyRequest(Gateway& g, const Request& request, Deadline deadline) {
  const std::string& path = request.path;
  const bool daily = path.starts_with("/daily/");
  if ((!daily && !path.starts_with("/alerts/")) || !path.ends_with(".txt")) return std::nullopt;
  const std::size_t from = daily ? 7 : 8;
  std::optional<Where> where = PlaceOf(path.substr(from, path.size() - from - 4));
  if (!where || (!daily && where->abroad)) return std::nullopt;
  const Where w = *where;
  return g.Cached(path, g.options().conditionsTtlSeconds, deadline, [&](Deadline d) {
    if (!daily) return UsAlerts(g, w, d);
    return w.abroad ? AbroadDaily(g, w, d) : UsDaily(g, w, d);
  });
}

}  // namespace

void AddDailySource(Gateway& gateway, historic::Router& router) {
  router.Chain(hosts::kWeatherUnderground, std::make_unique<historic::FunctionSite>([&gateway](const Request& r) {
                 return DailyRequest(gateway, r, gateway.AnswerDeadline());
               }));
}

}  // namespace sky::gateway
