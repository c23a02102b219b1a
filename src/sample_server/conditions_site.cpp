#include "sample_server/conditions_site.h"

#include <string_view>

#include "conditions/page_writer.h"
#include "historic/addresses.h"

namespace sky::sample {

namespace {

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
    const std::optional<historic::ConditionsAddress> address = historic::ParseConditionsAddress(path, request.query);
    if (!address) return std::nullopt;
    using Kind = historic::ConditionsAddress::Kind;
    if (address->kind == Kind::kUsCity) {
      if (auto place = places.UsCity(address->code, address->city)) return Page(*place, request.now);
      return std::nullopt;
    }
    if (address->kind == Kind::kStation) {
      if (auto place = places.Station(address->number)) return Page(*place, request.now);
      return std::nullopt;
    }
    // An unknown zip gets a 404 page: the program then reports that the
    // data could not be retrieved, with nothing half-parsed.
    const std::string& zip = address->zip;
    if (auto place = places.Zip(zip)) return Page(*place, request.now);
    Reply reply;
    reply.status = 404;
    reply.body =
        "<html><head><title>Weather Underground: Not Found</title></head>\n<body>\n"
        "<p>Sorry, no city was found for the zip code " +
        historic::EscapeHtml(zip.substr(0, 16)) + ". Please check the zip code and try again.</p>\n</body></html>\n";
    return reply;
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
