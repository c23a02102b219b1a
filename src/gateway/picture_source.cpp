// The picture catalogue's hosts: each row from its source of today
// (picture_sources.tsv, served by PictureService), and on the Purdue radar's
// host the gateway's own two paths: Local Radar for a place and the list of
// the rows it serves.
#include <cctype>
#include <memory>
#include <optional>

#include "gateway/geo.h"
#include "gateway/local_radar.h"
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

struct Place {
  GeoPoint point;
  std::string title;
};

// A conditions address (after the server root) as a place of the
// geographic tables; nothing for an address the tables do not know.
std::optional<Place> PlaceOf(const std::string& address) {
  const std::string html = ".html", stations = "global/stations/", zip = "cgi-bin/findweather/getForecast?query=";
  if (address.starts_with("US/") && address.ends_with(html)) {
    const std::string rest = address.substr(3, address.size() - 3 - html.size());
    const std::size_t slash = rest.find('/');
    if (slash == std::string::npos) return std::nullopt;
    const CataloguePlace* where = GeoData::Get().UsCity(StateName(rest.substr(0, slash)), rest.substr(slash + 1));
    if (where == nullptr) return std::nullopt;
    return Place{where->point, where->city + ", " + rest.substr(0, slash)};
  }
  if (address.starts_with(stations) && address.ends_with(html)) {
    const CataloguePlace* where =
        GeoData::Get().Station(address.substr(stations.size(), address.size() - stations.size() - html.size()));
    if (where == nullptr) return std::nullopt;
    return Place{where->point, where->city + ", " + where->country};
  }
  if (address.starts_with(zip)) {
    std::optional<GeoPoint> point = GeoData::Get().Zip(address.substr(zip.size()));
    if (!point) return std::nullopt;
    return Place{*point, "zip " + address.substr(zip.size())};
  }
  return std::nullopt;
}

// ?place=<the conditions address of the place, after the server root>
Reply LocalRadar(PictureService& pictures, const Request& request, Deadline deadline) {
  const std::string address = PercentDecoded(QueryValue(request.query, "place"));
  const std::optional<Place> place = PlaceOf(address);
  if (!place) return Plain(404, historic::NotFoundPage("http://" + request.host + request.path + "?place=" + address));
  return pictures.LocalRadar(place->point, place->title, deadline);
}

// The rows the gateway serves; with ?place=<conditions address>, Local
// Radar's row for that place too, so that the program can grey the command
// before it is chosen.
Reply ServedList(const Request& request) {
  nlohmann::json doc = nlohmann::json::parse(PictureListJson());
  const std::string address = PercentDecoded(QueryValue(request.query, "place"));
  if (!address.empty()) {
    nlohmann::json row;
    row["command"] = LocalRadarRow().command;
    row["caption"] = PlainCaption(LocalRadarRow().caption);
    row["address"] = LocalRadarAddress(address);
    const std::optional<Place> place = PlaceOf(address);
    const LocalRadarChoice choice = place ? ChooseLocalRadar(place->point, Radars()) : LocalRadarChoice{};
    row["live"] = !choice.url.empty();
    if (!choice.url.empty()) {
      row["source"] = choice.url;
      row["minutes"] = choice.minutes;
      row["animated"] = true;
    } else {
      row["reason"] =
          place ? place->title + ": " + choice.reason : "the gateway does not know where " + address + " is";
    }
    doc["rows"].push_back(std::move(row));
  }
  Reply r = Plain(200, doc.dump(1) + "\n");
  r.contentType = "application/json";
  return r;
}

}  // namespace

void AddPictureSource(Gateway& gateway, historic::Router& router) {
  auto pictures = std::make_shared<PictureService>(gateway.options(), gateway.upstream(), gateway.clock(),
                                                   [&gateway](const std::string& line) { gateway.Log(line); });
  for (const std::string& host : PictureHosts()) {
    // Behind a source registered for the same host before.
    router.Chain(host, std::make_unique<historic::FunctionSite>([&gateway, pictures](const Request& request) {
                   const std::string path = Lower(request.path);
                   if (path == kServedPicturesPath) return std::optional<Reply>(ServedList(request));
                   Reply reply = path == kLocalRadarPath
                                     ? LocalRadar(*pictures, request, gateway.AnswerDeadline())
                                     : pictures->Picture(request.host, request.path, gateway.AnswerDeadline());
                   // With Age, the program tells a picture kept too long.
                   reply.headers.emplace_back("Date", HttpDate(gateway.WallNow()));
                   return std::optional<Reply>(std::move(reply));
                 }));
  }
}

}  // namespace sky::gateway
