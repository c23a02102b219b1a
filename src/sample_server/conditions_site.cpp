#include "sample_server/conditions_site.h"

#include <string_view>

#include "conditions/page_writer.h"

namespace sky::sample {

namespace {

std::optional<std::string> QueryValue(const std::string& query, std::string_view name) {
  std::size_t start = 0;
  while (start <= query.size()) {
    std::size_t end = query.find('&', start);
    std::string_view pair = std::string_view(query).substr(start, end == std::string::npos ? end : end - start);
    if (pair.size() > name.size() && pair.substr(0, name.size()) == name && pair[name.size()] == '=') {
      return std::string(pair.substr(name.size() + 1));
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return std::nullopt;
}

Reply Page(const Place& place, std::int64_t now) {
  Reply reply;
  reply.status = 200;
  reply.body = ConditionsPage(place, Observe(place, now));
  return reply;
}

std::string HomePage() {
  return "<html><head><title>Weather Underground</title></head>\n"
         "<body bgcolor=\"#FFFFFF\">\n<h1>Weather Underground</h1>\n"
         "<p>Current conditions for cities in the United States and around the world.</p>\n"
         "<form action=\"/cgi-bin/findweather/getForecast\" method=\"get\">\n"
         "Find the weather for a zip code: <input name=\"query\" size=\"5\"> <input type=\"submit\" value=\"Go\">\n"
         "</form>\n</body></html>\n";
}

class ConditionsSite : public Site {
 public:
  std::optional<Reply> Handle(const Request& request) const override {
    const std::string& path = request.path;
    const Places& places = Places::Get();
    if (path == "/" || path == "/index.html") {
      Reply reply;
      reply.status = 200;
      reply.body = HomePage();
      return reply;
    }
    const std::string html = ".html";
    if (path.starts_with("/US/") && path.ends_with(html)) {
      std::string rest = path.substr(4, path.size() - 4 - html.size());
      std::size_t slash = rest.find('/');
      if (slash == std::string::npos) return std::nullopt;
      if (auto place = places.UsCity(rest.substr(0, slash), rest.substr(slash + 1))) return Page(*place, request.now);
      return std::nullopt;
    }
    const std::string stations = "/global/stations/";
    if (path.starts_with(stations) && path.ends_with(html)) {
      std::string number = path.substr(stations.size(), path.size() - stations.size() - html.size());
      if (auto place = places.Station(number)) return Page(*place, request.now);
      return std::nullopt;
    }
    if (path == "/cgi-bin/findweather/getForecast") {
      // An unknown zip gets a 404 page: the program then reports that the
      // data could not be retrieved, with nothing half-parsed.
      std::optional<std::string> zip = QueryValue(request.query, "query");
      if (!zip) return std::nullopt;
      if (auto place = places.Zip(*zip)) return Page(*place, request.now);
      Reply reply;
      reply.status = 404;
      reply.body =
          "<html><head><title>Weather Underground: Not Found</title></head>\n<body>\n"
          "<p>Sorry, no city was found for the zip code " +
          historic::EscapeHtml(zip->substr(0, 16)) + ". Please check the zip code and try again.</p>\n</body></html>\n";
      return reply;
    }
    return std::nullopt;
  }
};

}  // namespace

std::unique_ptr<Site> MakeConditionsSite() { return std::make_unique<ConditionsSite>(); }

std::string ConditionsPage(const Place& place, const Observation& o) {
  ConditionsPageContent content;
  content.title = place.title;
  content.observed = o.observed;
  content.tempF = o.tempF;
  content.tempC = o.tempC;
  if (o.heatIndexF) {
    content.heatIndexF = *o.heatIndexF;
    content.heatIndexC = FahrenheitToCelsius(*o.heatIndexF);
  }
  content.humidity = o.humidity;
  content.wind = o.wind;
  content.pressure = o.pressure;
  content.sky = o.sky;
  content.visibility = std::to_string(o.visibilityMiles);
  content.sunrise = o.sunrise;
  content.sunset = o.sunset;
  content.moonrise = o.moonrise;
  content.moonset = o.moonset;
  content.moonPhase = o.moonPhase;
  content.moonPicture = o.moonPicture;
  content.moonIlluminated = o.moonIlluminated;
  content.forecast = o.forecast;
  content.states = Places::Get().States();
  return WriteConditionsPage(content);
}

}  // namespace sky::sample
