#include "historic/addresses.h"

#include "common/hosts.h"

namespace sky::historic {

namespace {

constexpr const char* kUsPrefix = "US/";
constexpr const char* kStationsPrefix = "global/stations/";
constexpr const char* kZipLookUp = "cgi-bin/findweather/getForecast";
constexpr const char* kHtml = ".html";
constexpr const char* kProductsPrefix = "/iwin/";

}  // namespace

std::string UsConditionsPath(const std::string& code, const std::string& city) {
  return kUsPrefix + code + "/" + city + kHtml;
}

std::string StationConditionsPath(const std::string& number) { return kStationsPrefix + number + kHtml; }

std::string ZipConditionsPath(const std::string& zip) { return std::string(kZipLookUp) + "?query=" + zip; }

std::string ProductPageUrl(const std::string& state, const std::string& page) {
  return std::string("http://") + hosts::kIwin + kProductsPrefix + state + "/" + page;
}

std::string CensusTextUrl(const std::string& file) {
  return std::string("http://") + hosts::kCensus + "/statab/ranks/" + file;
}

std::string CensusLookupUrl(const std::string& selectors) {
  return std::string("http://") + hosts::kCensusLookup + "/cdrom/lookup/" + selectors;
}

std::optional<ConditionsAddress> ParseConditionsAddress(const std::string& path, const std::string& query) {
  const std::string html = kHtml;
  const std::string us = std::string("/") + kUsPrefix;
  const std::string stations = std::string("/") + kStationsPrefix;
  ConditionsAddress a;
  if (path.starts_with(us) && path.ends_with(html) && path.size() >= us.size() + html.size()) {
    const std::string rest = path.substr(us.size(), path.size() - us.size() - html.size());
    const std::size_t slash = rest.find('/');
    if (slash == std::string::npos) return std::nullopt;
    a.kind = ConditionsAddress::Kind::kUsCity;
    a.code = rest.substr(0, slash);
    a.city = rest.substr(slash + 1);
    return a;
  }
  if (path.starts_with(stations) && path.ends_with(html) && path.size() >= stations.size() + html.size()) {
    a.kind = ConditionsAddress::Kind::kStation;
    a.number = path.substr(stations.size(), path.size() - stations.size() - html.size());
    return a;
  }
  if (path == std::string("/") + kZipLookUp) {
    std::optional<std::string> zip = QueryValue(query, "query");
    if (!zip) return std::nullopt;
    a.kind = ConditionsAddress::Kind::kZip;
    a.zip = *zip;
    return a;
  }
  return std::nullopt;
}

std::optional<ProductAddress> ParseProductAddress(const std::string& path) {
  const std::string prefix = kProductsPrefix;
  if (!path.starts_with(prefix)) return std::nullopt;
  const std::string rest = path.substr(prefix.size());
  const std::size_t slash = rest.find('/');
  if (slash == std::string::npos) return std::nullopt;
  return ProductAddress{rest.substr(0, slash), rest.substr(slash + 1)};
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

}  // namespace sky::historic
