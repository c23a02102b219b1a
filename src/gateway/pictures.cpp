#include "gateway/pictures.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

#include "common/text.h"

namespace sky::gateway {

namespace {

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

const std::set<std::string>& DrawnRegions() {
  static const std::set<std::string> regions = {"africa", "australia", "canada",       "eastasia", "europe",
                                                "mexico", "mideast",   "southamerica", "southasia"};
  return regions;
}

}  // namespace

std::string_view PictureSourcesText() { return PictureTableFile("picture_sources.tsv"); }

std::string PictureSource::Reason() const { return evidence.rfind("none: ", 0) == 0 ? evidence.substr(6) : evidence; }

bool ParsePictureSources(std::string_view tsv, std::vector<PictureSource>& out, std::string& error) {
  out.clear();
  std::set<std::string> seen;
  int number = 0;
  std::size_t pos = 0;
  while (pos < tsv.size()) {
    std::size_t end = tsv.find('\n', pos);
    std::string_view line = tsv.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    pos = end == std::string_view::npos ? tsv.size() : end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    auto fail = [&](const std::string& why) {
      error = "line " + std::to_string(number) + ": " + why;
      return false;
    };
    std::vector<std::string> f = SplitText(line, '\t');
    if (f.size() != 6) return fail("six tab-separated columns expected");
    PictureSource s;
    s.command = f[0];
    if (FindImageCommand(s.command) == nullptr) return fail("no picture row " + s.command);
    if (!seen.insert(s.command).second) return fail(s.command + " named twice");
    const std::string& source = f[1];
    s.format = f[2];
    if (f[3] != "0" && f[3] != "1") return fail("animated must be 0 or 1");
    s.animated = f[3] == "1";
    try {
      s.minutes = std::stoi(f[4]);
    } catch (...) {
      return fail("minutes must be a number");
    }
    s.evidence = f[5];
    if (source == "none") {
      if (s.evidence.rfind("none: ", 0) != 0 || s.evidence.size() <= 6)
        return fail("a row without source needs \"none: REASON\"");
    } else if (source.rfind("drawn:", 0) == 0) {
      std::vector<std::string> parts;
      std::stringstream ss(source.substr(6));
      for (std::string p; std::getline(ss, p, ':');) parts.push_back(p);
      if (parts.size() != 2 || (parts[0] != "temperature" && parts[0] != "precipitation") ||
          !DrawnRegions().count(parts[1]))
        return fail("unknown drawn map " + source);
      s.drawnKind = parts[0];
      s.drawnRegion = parts[1];
    } else if (source.rfind("https://", 0) == 0 && source.size() > 8) {
      s.url = source;
    } else {
      return fail("source must be an https address, drawn:KIND:REGION or none");
    }
    if (s.Live()) {
      if (s.format != "gif" && s.format != "jpeg" && s.format != "png") return fail("format must be gif, jpeg or png");
      if (s.minutes <= 0) return fail("a live row needs its update minutes");
      if (s.evidence.empty() || s.evidence.rfind("none", 0) == 0) return fail("a live row needs its evidence");
    }
    out.push_back(std::move(s));
  }
  for (const ImageRow& row : ImageCatalogue()) {
    if (!seen.count(row.command)) return error = std::string("no line for ") + row.command, false;
  }
  return true;
}

const std::vector<PictureSource>& PictureSources() {
  static const std::vector<PictureSource> table = [] {
    std::vector<PictureSource> t;
    std::string error;
    if (!ParsePictureSources(PictureSourcesText(), t, error)) t.clear();
    return t;
  }();
  return table;
}

const PictureSource* SourceForCommand(const std::string& command) {
  for (const PictureSource& s : PictureSources())
    if (s.command == command) return &s;
  return nullptr;
}

const ImageRow* RowForRequest(const std::string& host, const std::string& path) {
  const std::string h = Lower(host), p = Lower(path);
  for (const ImageRow& row : ImageCatalogue()) {
    if (h == row.host && p == Lower(row.path)) return &row;
  }
  if (h == "weather.purdue.edu" && p == kPurdueFallbackPath) {
    for (const ImageRow& row : ImageCatalogue())
      if (std::string(row.file) == kPurdueRadarFile) return &row;
  }
  return nullptr;
}

bool IsPictureHost(const std::string& host) {
  const std::string h = Lower(host);
  for (const ImageRow& row : ImageCatalogue()) {
    if (h == row.host) return true;
  }
  return false;
}

std::vector<std::string> PictureHosts() {
  std::vector<std::string> hosts;
  for (const ImageRow& row : ImageCatalogue()) {
    const std::string h = Lower(row.host);
    if (std::find(hosts.begin(), hosts.end(), h) == hosts.end()) hosts.push_back(h);
  }
  return hosts;
}

std::vector<std::string> PictureSourceOrigins() {
  std::vector<std::string> origins = {"https://radar.weather.gov", "https://cdn.star.nesdis.noaa.gov"};
  for (const PictureSource& s : PictureSources()) {
    if (s.url.empty()) continue;
    const std::string origin = s.url.substr(0, s.url.find('/', s.url.find("://") + 3));
    if (std::find(origins.begin(), origins.end(), origin) == origins.end()) origins.push_back(origin);
  }
  return origins;
}

namespace {

std::string SourceText(const PictureSource& s) {
  if (!s.url.empty()) return s.url;
  if (!s.drawnKind.empty())
    return "drawn " + s.drawnKind + " map of " + s.drawnRegion + " from the Open-Meteo forecast";
  return "none: " + s.Reason();
}

}  // namespace

std::string PictureListText() {
  std::ostringstream out;
  int live = 0;
  for (const ImageRow& row : ImageCatalogue()) {
    const PictureSource* s = SourceForCommand(row.command);
    if (s != nullptr && s->Live()) ++live;
    out << PlainCaption(row.caption) << " (" << row.command << ")\t"
        << (s == nullptr ? std::string("none: no line in the table") : SourceText(*s)) << "\n";
  }
  out << live << " of " << ImageCatalogue().size() << " pictures live\n";
  return out.str();
}

std::string PictureListJson() {
  nlohmann::json rows = nlohmann::json::array();
  int live = 0;
  for (const ImageRow& row : ImageCatalogue()) {
    const PictureSource* s = SourceForCommand(row.command);
    nlohmann::json r;
    r["command"] = row.command;
    // Latin-1 captions: only ASCII in the catalogue, so they pass as UTF-8.
    r["caption"] = PlainCaption(row.caption);
    r["address"] = row.SourceAddress();
    const bool is_live = s != nullptr && s->Live();
    r["live"] = is_live;
    if (is_live) {
      ++live;
      r["source"] = SourceText(*s);
      r["minutes"] = s->minutes;
      r["animated"] = s->animated;
    } else {
      r["reason"] = s == nullptr ? std::string("no line in the table") : s->Reason();
    }
    rows.push_back(std::move(r));
  }
  nlohmann::json doc;
  doc["live"] = live;
  doc["rows"] = std::move(rows);
  return doc.dump(1) + "\n";
}

}  // namespace sky::gateway
