#include "conditions_site.h"

#include <string_view>

namespace sky::sample {

namespace {

constexpr const char* kFont = "<font face=\"Arial,Helvetica\" size=\"-1\">";

// One row of the conditions table. The cells sit on their own lines: the line
// break between key and value is the one separator character the program
// skips after a key.
std::string Row(const std::string& key, const std::string& value) {
  return std::string("<tr><td>") + kFont + key + "</font></td>\n<td>" + kFont + value + "</font></td></tr>\n";
}

std::string Temperature(int f, int c) {
  return "<b>" + std::to_string(f) + "</b>&#176;F / <b>" + std::to_string(c) + "</b>&#176;C";
}

std::string Blanked(std::string text) {
  for (char& c : text) {
    if (c == '_') c = ' ';
  }
  return text;
}

// Navigation and the state list stand between the title and "Updated:",
// where the program reads nothing; they give the page the size and look of
// the real one.
std::string Navigation() {
  std::string nav = "<table width=\"100%\" border=\"0\" cellpadding=\"3\" cellspacing=\"0\" bgcolor=\"#336699\">\n<tr>\n";
  static const char* const links[][2] = {{"/", "Home"},           {"/US/", "US Forecasts"}, {"/global/", "World Forecasts"},
                                         {"/radar/", "Radar"},     {"/satellite/", "Satellite"},
                                         {"/severe/", "Severe Weather"}, {"/help/", "Help"}};
  for (const auto& link : links) {
    nav += std::string("<td align=\"center\">") + kFont + "<a href=\"" + link[0] + "\"><font color=\"#FFFFFF\">" +
           link[1] + "</font></a></font></td>\n";
  }
  nav += "</tr>\n</table>\n";
  nav += "<form action=\"/cgi-bin/findweather/state\" method=\"get\">\n";
  nav += std::string(kFont) + "<b>Browse by state</b><br>\n<select name=\"state\">\n";
  for (const auto& [code, name] : Places::Get().States()) {
    nav += "<option value=\"" + code + "\">" + name + "</option>\n";
  }
  nav += "</select>\n<input type=\"submit\" value=\"Go\"></font>\n</form>\n";
  return nav;
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
  // may appear between "Updated:" and its row, and the place name (which may
  // hold one, as in Windsor) appears only before "Updated:".
  std::string page;
  page += "<html>\n<head>\n<title>The Weather Underground: " + place.title + " Weather</title>\n";
  page += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">\n</head>\n";
  const std::string shown_name = EscapeHtml(Blanked(place.title));
  page += "<body bgcolor=\"#FFFFFF\" text=\"#000000\">\n";
  page += Navigation();
  page += "<table width=\"100%\" border=\"0\" cellpadding=\"2\" cellspacing=\"0\">\n";
  page += "<tr><td><font face=\"Arial,Helvetica\" size=\"+1\"><b>" + shown_name + "</b></font></td></tr>\n";
  page += "</table>\n";
  page += std::string(kFont) + "Updated: <b>" + o.observed + "</b></font>\n";
  page += "<!-- observations table -->\n";
  page += "<table border=\"1\" cellpadding=\"3\" cellspacing=\"0\" width=\"320\" bgcolor=\"#F4F4F4\">\n";
  page += Row("Temperature", Temperature(o.temp_f, o.temp_c));
  if (o.heat_index_f) page += Row("HeatIndex", Temperature(*o.heat_index_f, FahrenheitToCelsius(*o.heat_index_f)));
  page += Row("Humidity", "<b>" + std::to_string(o.humidity) + "%</b>");
  page += Row("Wind", o.wind);
  page += Row("Pressure", "<b>" + o.pressure + "</b>&nbsp;in");
  page += Row("Conditions", "<b>" + o.sky + "</b>");
  page += Row("Visibility", "<b>" + std::to_string(o.visibility_miles) + "</b>&nbsp;miles");
  page += Row("Sunrise", "<b>" + o.sunrise + "</b>");
  page += Row("Sunset", "<b>" + o.sunset + "</b>");
  page += Row("Moon Rise", "<b>" + o.moonrise + "</b>");
  page += Row("Moon Set", "<b>" + o.moonset + "</b>");
  page += Row("Moon Phase", "<img src=\"/graphics/moon/" + o.moon_picture + "\" width=\"30\" height=\"30\" alt=\"" +
                                o.moon_phase + "\"><br>" + o.moon_phase + ", " + std::to_string(o.moon_illuminated) +
                                "% of the Moon is Illuminated");
  page += "</table>\n";
  // After the table the program reads nothing.
  page += "<!-- forecast -->\n<table border=\"0\" cellpadding=\"3\" cellspacing=\"0\" width=\"100%\">\n";
  page += "<tr><td bgcolor=\"#336699\"><font face=\"Arial,Helvetica\" color=\"#FFFFFF\"><b>Forecast for " + shown_name +
          "</b></font></td></tr>\n";
  for (const auto& [period, text] : o.forecast) {
    page += std::string("<tr><td>") + kFont + "<b>" + period + "</b><br>" + text + "</font></td></tr>\n";
  }
  page += "</table>\n";
  page += "<p>" + std::string(kFont) + "Copyright &copy; The Weather Underground, Inc.</font></p>\n</body>\n</html>\n";
  return page;
}

}  // namespace sky::sample
