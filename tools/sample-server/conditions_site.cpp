#include "conditions_site.h"

#include <string_view>

namespace sky::sample {

namespace {

// One row of the conditions table. The cells sit on their own lines: the line
// break between key and value is the one separator character the program
// skips after a key.
std::string Row(const std::string& key, const std::string& value) {
  return "<tr><td>" + key + "</td>\n<td>" + value + "</td></tr>\n";
}

std::string Temperature(int f, int c) {
  return "<b>" + std::to_string(f) + "</b>&#176;F / <b>" + std::to_string(c) + "</b>&#176;C";
}

// Times carry no-break spaces, as in "7:18&nbsp;AM&nbsp;CST".
std::string Time(const std::string& text) {
  std::string out;
  for (char ch : text) {
    if (ch == ' ') out += "&nbsp;";
    else out += ch;
  }
  return out;
}

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
      reply.body = "<html><head><title>Weather Underground: Not Found</title></head>\n<body>\n"
                   "<p>Sorry, no city was found for the zip code " + EscapeHtml(zip->substr(0, 16)) +
                   ". Please check the zip code and try again.</p>\n</body></html>\n";
      return reply;
    }
    return std::nullopt;
  }
};

}  // namespace

std::unique_ptr<Site> MakeConditionsSite() { return std::make_unique<ConditionsSite>(); }

std::string ConditionsPage(const Place& place, const Observation& o) {
  // The program takes the place from the title (between "Underground:" and
  // the next "Weather"), the time from "Updated:" with a bold tag right
  // after it, and each value from the text after its key word. So no key word
  // may appear between "Updated:" and its row, and the place name appears
  // only before "Updated:".
  std::string page;
  page += "<html>\n<head>\n<title>Weather Underground: " + place.title + " Weather Conditions</title>\n</head>\n";
  page += "<body bgcolor=\"#FFFFFF\" text=\"#000000\">\n";
  page += "<h2>" + place.title + "</h2>\n";
  page += "<p>Updated: <b>" + o.observed + "</b></p>\n";
  page += "<table border=\"1\" cellpadding=\"3\">\n";
  page += Row("Temperature", Temperature(o.temp_f, o.temp_c));
  if (o.heat_index_f) page += Row("HeatIndex", Temperature(*o.heat_index_f, FahrenheitToCelsius(*o.heat_index_f)));
  page += Row("Humidity", std::to_string(o.humidity) + "%");
  page += Row("Wind", o.wind);
  page += Row("Pressure", o.pressure);
  page += Row("Conditions", "<b>" + o.sky + "</b>");
  page += Row("Visibility", std::to_string(o.visibility_miles) + " miles");
  page += Row("Sunrise", Time(o.sunrise));
  page += Row("Sunset", Time(o.sunset));
  page += Row("Moon Rise", Time(o.moonrise));
  page += Row("Moon Set", Time(o.moonset));
  page += Row("Moon Phase", o.moon_phase + ", " + std::to_string(o.moon_illuminated) + "% of the Moon is Illuminated");
  page += "</table>\n";
  page += "<p><small>Copyright &copy; The Weather Underground, Inc.</small></p>\n</body>\n</html>\n";
  return page;
}

}  // namespace sky::sample
