#include "sample_server/forecast_site.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "historic/addresses.h"
#include "historic/places.h"
#include "sample_server/weather.h"

namespace sky::sample {

namespace {

struct StateRow {
  const char* fips;
  const char* code;
  const char* name;
};
// The states and DC with their FIPS and postal codes.
constexpr StateRow kStates[] = {
    {"01", "AL", "Alabama"},        {"02", "AK", "Alaska"},         {"04", "AZ", "Arizona"},
    {"05", "AR", "Arkansas"},       {"06", "CA", "California"},     {"08", "CO", "Colorado"},
    {"09", "CT", "Connecticut"},    {"10", "DE", "Delaware"},       {"11", "DC", "District of Columbia"},
    {"12", "FL", "Florida"},        {"13", "GA", "Georgia"},        {"15", "HI", "Hawaii"},
    {"16", "ID", "Idaho"},          {"17", "IL", "Illinois"},       {"18", "IN", "Indiana"},
    {"19", "IA", "Iowa"},           {"20", "KS", "Kansas"},         {"21", "KY", "Kentucky"},
    {"22", "LA", "Louisiana"},      {"23", "ME", "Maine"},          {"24", "MD", "Maryland"},
    {"25", "MA", "Massachusetts"},  {"26", "MI", "Michigan"},       {"27", "MN", "Minnesota"},
    {"28", "MS", "Mississippi"},    {"29", "MO", "Missouri"},       {"30", "MT", "Montana"},
    {"31", "NE", "Nebraska"},       {"32", "NV", "Nevada"},         {"33", "NH", "New Hampshire"},
    {"34", "NJ", "New Jersey"},     {"35", "NM", "New Mexico"},     {"36", "NY", "New York"},
    {"37", "NC", "North Carolina"}, {"38", "ND", "North Dakota"},   {"39", "OH", "Ohio"},
    {"40", "OK", "Oklahoma"},       {"41", "OR", "Oregon"},         {"42", "PA", "Pennsylvania"},
    {"44", "RI", "Rhode Island"},   {"45", "SC", "South Carolina"}, {"46", "SD", "South Dakota"},
    {"47", "TN", "Tennessee"},      {"48", "TX", "Texas"},          {"49", "UT", "Utah"},
    {"50", "VT", "Vermont"},        {"51", "VA", "Virginia"},       {"53", "WA", "Washington"},
    {"54", "WV", "West Virginia"},  {"55", "WI", "Wisconsin"},      {"56", "WY", "Wyoming"},
};

const StateRow* ByCode(const std::string& code) {
  for (const StateRow& s : kStates)
    if (code == s.code) return &s;
  return nullptr;
}
const StateRow* ByFips(const std::string& fips) {
  for (const StateRow& s : kStates)
    if (fips == s.fips) return &s;
  return nullptr;
}

std::uint32_t Hash(const std::string& s) {
  std::uint32_t h = 2166136261u;
  for (unsigned char c : s) h = (h ^ c) * 16777619u;
  return h;
}

std::string Upper(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c == '_') c = ' ';
  }
  return s;
}

// Counties of a few states by name; elsewhere the zones carry the names of
// the state's catalogue cities.
struct CountyRow {
  const char* code;
  std::vector<const char*> counties;
};
const std::vector<CountyRow>& Counties() {
  static const std::vector<CountyRow> rows = {
      {"CA", {"LOS ANGELES", "ORANGE", "SAN DIEGO", "SANTA CLARA", "SAN FRANCISCO", "SACRAMENTO"}},
      {"TX", {"TRAVIS", "HARRIS", "DALLAS", "BEXAR", "EL PASO", "LUBBOCK"}},
      {"FL", {"MIAMI-DADE", "ORANGE", "HILLSBOROUGH", "DUVAL", "LEON"}},
      {"NY", {"NEW YORK", "KINGS", "ERIE", "MONROE", "ALBANY"}},
      {"IL", {"COOK", "DU PAGE", "LAKE", "SANGAMON", "CHAMPAIGN"}},
      {"WA", {"KING", "PIERCE", "SPOKANE", "CLARK", "WHATCOM"}},
      {"DC", {"DISTRICT OF COLUMBIA"}},
  };
  return rows;
}

std::vector<std::string> ZonesOf(const std::string& code) {
  std::vector<std::string> zones;
  for (const CountyRow& r : Counties())
    if (code == r.code)
      for (const char* c : r.counties) zones.emplace_back(c);
  if (!zones.empty()) return zones;
  const std::string prefix = "US/" + code + "/";
  for (const std::string& p : Places::Get().UsPaths()) {
    if (p.rfind(prefix, 0) != 0) continue;
    std::string city = p.substr(prefix.size());
    city.resize(city.size() - 5);  // ".html"
    zones.push_back(Upper(city));
    if (zones.size() == 6) break;
  }
  if (zones.empty()) zones.push_back(Upper(ByCode(code)->name));
  return zones;
}

// The weather of the state's first catalogue city stands for the state.
Observation StateWeather(const std::string& code, std::int64_t now) {
  const std::string prefix = "US/" + code + "/";
  for (const std::string& p : Places::Get().UsPaths()) {
    if (p.rfind(prefix, 0) != 0) continue;
    std::string city = p.substr(prefix.size());
    city.resize(city.size() - 5);
    if (auto place = Places::Get().UsCity(code, city)) return Observe(*place, now);
  }
  Place place;
  place.key = code;
  place.title = code;
  return Observe(place, now);
}

// Temperatures carry the degree reference as the service writes it.
std::string Marked(const std::string& text) {
  std::string out;
  const std::string key = "AROUND ";
  const std::string up = Upper(text);
  for (std::size_t i = 0; i < up.size();) {
    if (up.compare(i, key.size(), key) == 0) {
      std::size_t j = i + key.size();
      while (j < up.size() && up[j] >= '0' && up[j] <= '9') ++j;
      out += up.substr(i, j - i);
      if (j > i + key.size()) out += "&#176;";
      i = j;
    } else {
      out += up[i++];
    }
  }
  return out;
}

std::string Header(const std::string& title, const StateRow& s, const Observation& o) {
  return "<html><head><title>IWIN - " + title + " - " + s.name + "</title></head>\n<body bgcolor=\"#ffffff\">\n" +
         "<h2>" + title + " for " + s.name + "</h2>\n<pre>\n" + Upper(title) + "\nNATIONAL WEATHER SERVICE " +
         Upper(s.name) + "\n" + Upper(o.observed) + "\n\n";
}
const char* kFooter = "</pre>\n<hr><i>Interactive Weather Information Network</i>\n</body></html>\n";

std::string NotAvailable(const std::string& title, const StateRow& s) {
  return "<html><head><title>IWIN - " + title + "</title></head>\n<body>\n<h2>" + title + " for " + s.name +
         "</h2>\n<p>This product is not currently available for " + s.name + ".</p>\n</body></html>\n";
}

std::string ZoneProduct(const StateRow& s, const Observation& o, bool nowcast) {
  const std::vector<std::string> zones = ZonesOf(s.code);
  std::string body = Header(nowcast ? "Short Term Forecast" : "Zone Forecast", s, o);
  if (nowcast) body += ".NOW...\n";
  int n = 1;
  for (const std::string& zone : zones) {
    char id[16];
    std::snprintf(id, sizeof id, "%03d", n++ * 7);
    body += std::string(s.code) + "Z" + id + "-" + zone + "-\n" + Upper(o.observed) + "\n\n";
    if (nowcast) {
      body += "TEMPERATURES NEAR " + std::to_string(o.tempF) + "&#176; WITH " + Upper(o.sky) +
              " SKIES.&nbsp;&nbsp;WINDS " + Upper(o.wind) + ".\n";
    } else {
      for (std::size_t i = 0; i < o.forecast.size() && i < 4; ++i)
        body += "." + Upper(o.forecast[i].first) + "..." + Marked(o.forecast[i].second) + "\n";
    }
    body += "\n$$\n\n";
  }
  return body + kFooter;
}

std::string TextProduct(const std::string& title, const StateRow& s, const Observation& o, const std::string& text) {
  return Header(title, s, o) + text + "\n\n$$\n" + kFooter;
}

class IwinSite : public Site {
 public:
  std::optional<Reply> Handle(const Request& r) const override {
    const std::optional<historic::ProductAddress> address = historic::ParseProductAddress(r.path);
    if (!address) return std::nullopt;
    const StateRow* s = ByCode(address->state);
    if (!s) return std::nullopt;
    const std::string page = address->page;
    const Observation o = StateWeather(s->code, r.now);
    // Some states have no current statement of some products.
    const bool missing = Hash(std::string(s->code) + page) % 4 == 0;
    Reply reply;
    reply.status = 200;
    if (page == "shortterm.html") {
      reply.body = ZoneProduct(*s, o, true);
    } else if (page == "zone.html") {
      reply.body = ZoneProduct(*s, o, false);
    } else if (page == "hydro.html") {
      reply.body = missing ? NotAvailable("Hydrological Data", *s)
                           : TextProduct("Hydrological Data", *s, o,
                                         "RIVER STAGES AT 7 AM\nSTATION          FLOOD   STAGE  CHANGE\n" +
                                             Upper(ZonesOf(s->code)[0]) + " RIVER      18     " +
                                             std::to_string(4 + Hash(s->code) % 9) + ".2   -0.3\n" +
                                             "PRECIPITATION IN THE LAST 24 HOURS...NONE OR LIGHT.");
    } else if (page == "public.html") {
      reply.body = missing ? NotAvailable("Public Information", *s)
                           : TextProduct("Public Information Statement", *s, o,
                                         "...WINTER WEATHER AWARENESS WEEK...\nTHE NATIONAL WEATHER SERVICE REMINDS "
                                         "RESIDENTS OF " +
                                             Upper(s->name) +
                                             " TO CHECK THEIR EMERGENCY KITS.&nbsp;&nbsp;TEMPERATURES TODAY NEAR " +
                                             std::to_string(o.tempF) + "&#176;.");
    } else if (page == "special.html") {
      reply.body = missing ? NotAvailable("Special Weather Statements", *s)
                           : TextProduct("Special Weather Statement", *s, o,
                                         "..." + Upper(o.sky) + " AND " + Upper(o.wind) + " ACROSS " +
                                             ZonesOf(s->code)[0] + " THIS EVENING...");
    } else if (page == "allwarnings.html") {
      reply.body = missing ? NotAvailable("Warnings and Advisories", *s)
                           : TextProduct("Warnings and Advisories", *s, o,
                                         "...WIND ADVISORY IN EFFECT UNTIL 6 PM THIS EVENING...\nWINDS " +
                                             Upper(o.wind) + " WITH GUSTS TO 40 MPH OVER " + ZonesOf(s->code)[0] + ".");
    } else {
      return std::nullopt;
    }
    return reply;
  }
};

std::string Money(std::uint32_t v) {
  std::string s = std::to_string(v);
  for (int i = static_cast<int>(s.size()) - 3; i > 0; i -= 3) s.insert(static_cast<std::size_t>(i), ",");
  return s;
}

class CensusTextSite : public Site {
 public:
  std::optional<Reply> Handle(const Request& r) const override {
    const bool salary = r.path == "/statab/ranks/pg18.txt";
    if (!salary && r.path != "/statab/ranks/pg20.txt") return std::nullopt;
    Reply reply;
    reply.status = 200;
    reply.contentType = "text/plain; charset=iso-8859-1";
    std::string& b = reply.body;
    b = salary ? "State Rankings -- Average Annual Pay, 1995\r\n\r\nRank  State                   Dollars\r\n"
               : "State Rankings -- Median Household Income, 1995\r\n\r\nRank  State                   Dollars\r\n";
    std::vector<std::pair<std::uint32_t, std::string>> rows;
    for (const StateRow& s : kStates)
      rows.emplace_back((salary ? 21000 : 26000) + Hash(std::string(s.code) + (salary ? "pay" : "hh")) % 14000, s.name);
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    int rank = 1;
    for (const auto& [v, stateName] : rows) {
      std::string name = stateName;
      name.resize(24, ' ');
      char line[80];
      std::snprintf(line, sizeof line, "%4d  %s%s\r\n", rank++, name.c_str(), Money(v).c_str());
      b += line;
    }
    b += "\r\nUnited States           " + Money(salary ? 27845 : 34076) +
         "\r\n\r\nSource: U.S. Bureau of the Census, Statistical Abstract of the United States.\r\n"
         "Internet: http://www.census.gov/statab/www/\r\n";
    return reply;
  }
};

class CensusLookupSite : public Site {
 public:
  std::optional<Reply> Handle(const Request& r) const override {
    if (r.path.rfind("/cdrom/lookup/", 0) != 0) return std::nullopt;
    const std::size_t sel = r.path.find("/SEL=");
    if (sel == std::string::npos) return std::nullopt;
    std::string value = r.path.substr(sel + 5);
    value = value.substr(0, value.find("/T="));
    const bool byZip = r.path.find("/LEV=ZIP/") != std::string::npos;
    Reply reply;
    reply.status = 200;
    std::string title, where;
    if (byZip) {
      title = "Zip Code " + value;
      where = value;
      bool digits = value.size() == 5;
      for (char c : value) digits = digits && c >= '0' && c <= '9';
      if (!digits) return Empty(value);
    } else {
      const StateRow* s = value.size() >= 2 ? ByFips(value.substr(0, 2)) : nullptr;
      if (!s) return Empty(value);
      title = s->name;
      where = s->name;
    }
    const std::uint32_t h = Hash(where);
    const std::uint32_t persons = byZip ? 2000 + h % 60000 : 450000 + h % 12000000;
    std::string& b = reply.body;
    b = "<HTML><HEAD><TITLE>1990 Census Lookup - " + title + "</TITLE></HEAD>\n<BODY>\n<H2>" + title +
        "</H2>\n<PRE>\n1990 Census of Population and Housing, Summary Tape File 3\n\n";
    auto row = [&](const std::string& table, const std::string& label, std::uint32_t v) {
      std::string l = label;
      l.resize(44, ' ');
      b += "<B>" + table + "</B>  " + l + Money(v) + "\n";
    };
    row("P1   ", "Persons", persons);
    row("P5   ", "Male", persons / 2 - h % 1000);
    row("P6   ", "Female", persons - (persons / 2 - h % 1000));
    row("P7   ", "Households", persons / 3);
    row("P13  ", "Persons 18 years and over", persons * 3 / 4);
    row("P49  ", "Families", persons / 4);
    row("P80A ", "Median household income in 1989 (dollars)", 22000 + h % 15000);
    row("P114A", "Per capita income in 1989 (dollars)", 10000 + h % 9000);
    row("H5   ", "Housing units", persons * 2 / 5);
    row("H43A ", "Median gross rent (dollars)", 300 + h % 400);
    row("H61A ", "Median value (dollars)", 50000 + h % 150000);
    b += "</PRE>\n<HR>Data&nbsp;from the 1990&nbsp;census.\n</BODY></HTML>\n";
    return reply;
  }

 private:
  static Reply Empty(const std::string& value) {
    Reply reply;
    reply.status = 200;
    reply.body = "<HTML><HEAD><TITLE>1990 Census Lookup</TITLE></HEAD>\n<BODY>\n<P>No records match " + value +
                 ".</P>\n</BODY></HTML>\n";
    return reply;
  }
};

}  // namespace

std::unique_ptr<Site> MakeIwinSite() { return std::make_unique<IwinSite>(); }
std::unique_ptr<Site> MakeCensusTextSite() { return std::make_unique<CensusTextSite>(); }
std::unique_ptr<Site> MakeCensusLookupSite() { return std::make_unique<CensusLookupSite>(); }

}  // namespace sky::sample
