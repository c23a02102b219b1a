#include "conditions/page_writer.h"

namespace sky {

namespace {

constexpr const char* kFont = "<font face=\"Arial,Helvetica\" size=\"-1\">";

// One row of the conditions table. The cells sit on their own lines: the line
// break between key and value is the one separator character the program
// skips after a key.
std::string Row(const std::string& key, const std::string& value) {
  return std::string("<tr><td>") + kFont + key + "</font></td>\n<td>" + kFont + value + "</font></td></tr>\n";
}

std::string Temperature(const std::optional<int>& f, const std::optional<int>& c) {
  if (!f || !c) return kPageMissingValue;
  return "<b>" + std::to_string(*f) + "</b>&#176;F / <b>" + std::to_string(*c) + "</b>&#176;C";
}

// A value in bold with its unit, or the missing value alone.
std::string Bold(const std::optional<std::string>& value, const std::string& unit = "") {
  if (!value) return kPageMissingValue;
  return "<b>" + *value + "</b>" + unit;
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
std::string Navigation(const std::vector<std::pair<std::string, std::string>>& states) {
  std::string nav =
      "<table width=\"100%\" border=\"0\" cellpadding=\"3\" cellspacing=\"0\" bgcolor=\"#336699\">\n<tr>\n";
  static const char* const links[][2] = {
      {"/", "Home"},        {"/US/", "US Forecasts"},     {"/global/", "World Forecasts"},
      {"/radar/", "Radar"}, {"/satellite/", "Satellite"}, {"/severe/", "Severe Weather"},
      {"/help/", "Help"}};
  for (const auto& link : links) {
    nav += std::string("<td align=\"center\">") + kFont + "<a href=\"" + link[0] + "\"><font color=\"#FFFFFF\">" +
           link[1] + "</font></a></font></td>\n";
  }
  nav += "</tr>\n</table>\n";
  nav += "<form action=\"/cgi-bin/findweather/state\" method=\"get\">\n";
  nav += std::string(kFont) + "<b>Browse by state</b><br>\n<select name=\"state\">\n";
  for (const auto& [code, name] : states) {
    nav += "<option value=\"" + code + "\">" + name + "</option>\n";
  }
  nav += "</select>\n<input type=\"submit\" value=\"Go\"></font>\n</form>\n";
  return nav;
}

}  // namespace

std::string EscapeHtmlText(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (c == '<') escaped += "&lt;";
    else if (c == '>') escaped += "&gt;";
    else if (c == '&') escaped += "&amp;";
    else if (c == '"') escaped += "&quot;";
    else escaped += c;
  }
  return escaped;
}

std::string WriteConditionsPage(const ConditionsPageContent& o) {
  // The program takes the place from the title (between "Underground:" and
  // the next "Weather"), the time from "Updated:" with a bold tag right
  // after it, and each value from the text after its key word. So no key word
  // may appear between "Updated:" and its row, and the place name (which may
  // hold one, as in Windsor) appears only before "Updated:".
  std::string page;
  page += "<html>\n<head>\n<title>The Weather Underground: " + o.title + " Weather</title>\n";
  page += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">\n</head>\n";
  const std::string shown_name = EscapeHtmlText(Blanked(o.title));
  page += "<body bgcolor=\"#FFFFFF\" text=\"#000000\">\n";
  page += Navigation(o.states);
  page += "<table width=\"100%\" border=\"0\" cellpadding=\"2\" cellspacing=\"0\">\n";
  page += "<tr><td><font face=\"Arial,Helvetica\" size=\"+1\"><b>" + shown_name + "</b></font></td></tr>\n";
  page += "</table>\n";
  page += std::string(kFont) + "Updated: <b>" + o.observed + "</b></font>\n";
  page += "<!-- observations table -->\n";
  page += "<table border=\"1\" cellpadding=\"3\" cellspacing=\"0\" width=\"320\" bgcolor=\"#F4F4F4\">\n";
  page += Row("Temperature", Temperature(o.tempF, o.tempC));
  if (o.heatIndexF && o.heatIndexC) page += Row("HeatIndex", Temperature(o.heatIndexF, o.heatIndexC));
  page += Row("Humidity", o.humidity ? "<b>" + std::to_string(*o.humidity) + "%</b>" : kPageMissingValue);
  page += Row("Wind", o.wind.value_or(kPageMissingValue));
  page += Row("Pressure", Bold(o.pressure, "&nbsp;in"));
  page += Row("Conditions", Bold(o.sky));
  page += Row("Visibility", Bold(o.visibility, "&nbsp;miles"));
  page += Row("Sunrise", Bold(o.sunrise));
  page += Row("Sunset", Bold(o.sunset));
  page += Row("Moon Rise", Bold(o.moonrise));
  page += Row("Moon Set", Bold(o.moonset));
  page += Row("Moon Phase", "<img src=\"/graphics/moon/" + o.moonPicture + "\" width=\"30\" height=\"30\" alt=\"" +
                                o.moonPhase + "\"><br>" + o.moonPhase + ", " + std::to_string(o.moonIlluminated) +
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
  if (!o.source.empty()) page += "<p>" + std::string(kFont) + "Source: " + EscapeHtmlText(o.source) + "</font></p>\n";
  page += "<p>" + std::string(kFont) + "Copyright &copy; The Weather Underground, Inc.</font></p>\n</body>\n</html>\n";
  return page;
}

}  // namespace sky
