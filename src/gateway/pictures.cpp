#include "gateway/pictures.h"

#include <algorithm>
#include <map>
#include <utility>

#include "images/image_catalogue.h"

namespace sky::gateway {

namespace {

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

// Each a source in the row's own format: nothing needs converting. Rows left
// out (web cameras, regional 10-day maps of other continents, the storm
// watch) have no public equivalent.
const std::map<std::pair<std::string, std::string>, std::string>& Mapping() {
  static const std::string radar = "https://radar.weather.gov/ridge/standard/CONUS_0.gif";
  static const std::string ir = "https://cdn.star.nesdis.noaa.gov/GOES19/ABI/CONUS/13/GOES19-CONUS-13-625x375.gif";
  static const std::string europe =
      "https://eumetview.eumetsat.int/static-images/latestImages/EUMETSAT_MSG_RGBNatColourEnhncd_CentralEurope.jpg";
  static const std::string cpc = "https://www.cpc.ncep.noaa.gov/products/predictions/";
  static const std::map<std::pair<std::string, std::string>, std::string> map = {
      {{"weather.purdue.edu", "/radar/rad_comp.gif"}, radar},
      {{"weather.purdue.edu", "/radar/previous/rad_comp-2.gif"},
       "https://radar.weather.gov/ridge/standard/CONUS_2.gif"},
      {{"www.met.tamu.edu", "/mcsat/mcimages/mdr/mdr.gif"}, radar},
      {{"www.met.tamu.edu", "/mcsat/mcimages/mdr/mdrtopo.gif"}, radar},
      {{"weather.yahoo.com", "/graphics/radar/nat_rad.wni.gif"}, radar},
      {{"weather.yahoo.com", "/graphics/satellite/europe.jpg"}, europe},
      {{"www.meteo.fr", "/tpsreel/images/satt0.jpg"}, europe},
      {{"www.ssec.wisc.edu", "/data/comp/latest_cmoll.gif"}, "https://www.ssec.wisc.edu/data/comp/latest_cmoll.gif"},
      {{"weather.purdue.edu", "/satellite/sat_ir_us.gif"}, ir},
      {{"www.atms.purdue.edu", "/satellite/sat_ir_rad.gif"}, ir},
      {{"grads.iges.org", "/pix/temp1.gif"}, cpc + "610day/610temp.new.gif"},
      {{"grads.iges.org", "/pix/prec1.gif"}, cpc + "610day/610prcp.new.gif"},
      {{"www.cpc.ncep.noaa.gov", "/products/predictions/multi_season/13_seasonal_outlooks/color/page2.gif"},
       cpc + "multi_season/13_seasonal_outlooks/color/page2.gif"},
      {{"www.cpc.ncep.noaa.gov", "/products/predictions/multi_season/13_seasonal_outlooks/color/page3.gif"},
       cpc + "multi_season/13_seasonal_outlooks/color/page3.gif"},
      {{"www.cpc.ncep.noaa.gov", "/products/predictions/multi_season/13_seasonal_outlooks/color/page4.gif"},
       cpc + "multi_season/13_seasonal_outlooks/color/page4.gif"},
  };
  return map;
}

}  // namespace

std::vector<std::string> PictureSourceOrigins() {
  std::vector<std::string> origins;
  for (const auto& [row, url] : Mapping()) {
    const std::string origin = url.substr(0, url.find('/', url.find("://") + 3));
    if (std::find(origins.begin(), origins.end(), origin) == origins.end()) origins.push_back(origin);
  }
  return origins;
}

std::string LivePictureUrl(const std::string& host, const std::string& path) {
  // The program's catalogue writes some paths in capitals; the servers did not care.
  auto it = Mapping().find({Lower(host), Lower(path)});
  if (it == Mapping().end()) it = Mapping().find({Lower(host), path});
  return it == Mapping().end() ? std::string() : it->second;
}

bool IsPictureHost(const std::string& host) {
  const std::string h = Lower(host);
  for (const ImageRow& row : ImageCatalogue()) {
    if (h == row.host) return true;
  }
  return h == "weather.purdue.edu";
}

std::vector<std::string> PictureHosts() {
  std::vector<std::string> hosts = {"weather.purdue.edu"};
  for (const ImageRow& row : ImageCatalogue()) {
    const std::string h = Lower(row.host);
    if (std::find(hosts.begin(), hosts.end(), h) == hosts.end()) hosts.push_back(h);
  }
  return hosts;
}

std::string PictureType(const std::string& path) {
  const std::string p = Lower(path);
  return p.ends_with(".gif") ? "image/gif" : "image/jpeg";
}

bool PictureMatches(const std::string& type, const std::string& bytes) {
  if (type == "image/gif") return bytes.rfind("GIF87a", 0) == 0 || bytes.rfind("GIF89a", 0) == 0;
  return bytes.size() > 3 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
         static_cast<unsigned char>(bytes[1]) == 0xD8 && static_cast<unsigned char>(bytes[2]) == 0xFF;
}

}  // namespace sky::gateway
