// The addresses of the historical site, written once: the program builds them
// (conditions, state products), the sample server and the gateway take them
// apart. Builders take their parts as they go on the wire (escaped by the
// caller where needed); paths come without the leading "/" the program's
// requests add to the host.
#pragma once

#include <optional>
#include <string>

namespace sky::historic {

// "US/<code>/<city>.html": a US city by its state code and page name.
std::string UsConditionsPath(const std::string& code, const std::string& city);
// "global/stations/<number>.html": a foreign station by its number.
std::string StationConditionsPath(const std::string& number);
// "cgi-bin/findweather/getForecast?query=<zip>": the look-up by zip code.
std::string ZipConditionsPath(const std::string& zip);
// "http://iwin.nws.noaa.gov/iwin/<state>/<page>": a state text product page.
std::string ProductPageUrl(const std::string& state, const std::string& page);

// "http://www.census.gov/statab/ranks/<file>": a census ranking text.
std::string CensusTextUrl(const std::string& file);
// "http://venus.census.gov/cdrom/lookup/<selectors>": a census table look-up.
std::string CensusLookupUrl(const std::string& selectors);

// A conditions request as the servers see it (path with its "/", query apart).
struct ConditionsAddress {
  enum class Kind { kUsCity, kStation, kZip };
  Kind kind = Kind::kUsCity;
  std::string code;    // kUsCity: the state code
  std::string city;    // kUsCity: the page name ("San_Francisco")
  std::string number;  // kStation
  std::string zip;     // kZip: the query's value as sent
};
// Nothing for any other path, a US path without a city part, or a look-up
// without a "query" value.
std::optional<ConditionsAddress> ParseConditionsAddress(const std::string& path, const std::string& query);

// "/iwin/<state>/<page>": the parts, the page with its ".html"; nothing
// unless the path has both.
struct ProductAddress {
  std::string state;
  std::string page;
};
std::optional<ProductAddress> ParseProductAddress(const std::string& path);

// The value of name=value in a query ("a=1&query=78701"), as sent.
std::optional<std::string> QueryValue(const std::string& query, const std::string& name);

}  // namespace sky::historic
