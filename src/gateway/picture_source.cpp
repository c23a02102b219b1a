// The picture catalogue's hosts: each row from its source of today
// (picture_sources.tsv, served by PictureService), and on the Purdue radar's
// host the gateway's own two paths: Local Radar for a place and the list of
// the rows it serves.
#include <cctype>
#include <memory>

#include "gateway/geo.h"
#include "gateway/picture_service.h"
#include "gateway/pictures.h"
#include "gateway/sources.h"
#include "images/image_catalogue.h"
#include "images/served_pictures.h"

namespace sky::gateway {

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return s;
}

std::string PercentDecoded(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
      out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += s[i] == '+' ? ' ' : s[i];
    }
  }
  return out;
}

std::string QueryValue(const std::string& query, const std::string& name) {
  std::size_t start = 0;
  while (start <= query.size()) {
    const std::size_t end = query.find('&', start);
    const std::string pair = query.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (pair.rfind(name + "=", 0) == 0) return pair.substr(name.size() + 1);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return {};
}

// ?place=<the conditions address of the place, after the server root>
Reply LocalRadar(PictureService& pictures, const Request& request, Deadline deadline) {
  const std::string place = PercentDecoded(QueryValue(request.query, "place"));
  std::optional<GeoPoint> point;
  std::string title = place;
  const std::string html = ".html", stations = "global/stations/", zip = "cgi-bin/findweather/getForecast?query=";
  if (place.starts_with("US/") && place.ends_with(html)) {
    const std::string rest = place.substr(3, place.size() - 3 - html.size());
    const std::size_t slash = rest.find('/');
    if (slash != std::string::npos) {
      const CataloguePlace* where = GeoData::Get().UsCity(StateName(rest.substr(0, slash)), rest.substr(slash + 1));
      if (where != nullptr) point = where->point, title = where->city + ", " + rest.substr(0, slash);
    }
  } else if (place.starts_with(stations) && place.ends_with(html)) {
    const CataloguePlace* where =
        GeoData::Get().Station(place.substr(stations.size(), place.size() - stations.size() - html.size()));
    if (where != nullptr) point = where->point, title = where->city + ", " + where->country;
  } else if (place.starts_with(zip)) {
    point = GeoData::Get().Zip(place.substr(zip.size()));
    title = "zip " + place.substr(zip.size());
  }
  if (!point) return Plain(404, historic::NotFoundPage("http://" + request.host + request.path + "?place=" + place));
  return pictures.LocalRadar(*point, title, deadline);
}

}  // namespace

void AddPictureSource(Gateway& gateway, historic::Router& router) {
  auto pictures = std::make_shared<PictureService>(gateway.options(), gateway.upstream(), gateway.clock(),
                                                   [&gateway](const std::string& line) { gateway.Log(line); });
  for (const std::string& host : PictureHosts()) {
    // Behind a source registered for the same host before.
    router.Chain(host, std::make_unique<historic::FunctionSite>([&gateway, pictures](const Request& request) {
                   const std::string path = Lower(request.path);
                   if (path == kServedPicturesPath) {
                     Reply r = Plain(200, PictureListJson());
                     r.contentType = "application/json";
                     return std::optional<Reply>(r);
                   }
                   if (path == kLocalRadarPath)
                     return std::optional<Reply>(LocalRadar(*pictures, request, gateway.AnswerDeadline()));
                   return std::optional<Reply>(pictures->Picture(request.host, request.path, gateway.AnswerDeadline()));
                 }));
  }
}

}  // namespace sky::gateway
