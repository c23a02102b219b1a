#include "gateway/products.h"

#include "forecast/forecast_catalogue.h"

#include <algorithm>

namespace sky::gateway {

namespace {

bool IsOfficeId(const std::string& id) {
  return id.size() == 3 && std::all_of(id.begin(), id.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

std::string StringAt(const nlohmann::json& j, const char* key) {
  if (!j.is_object()) return {};
  auto it = j.find(key);
  return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

}  // namespace

std::vector<std::string> ZoneOffices(const nlohmann::json& zones) {
  std::vector<std::string> offices;
  auto add = [&](const std::string& id) {
    if (IsOfficeId(id) && std::find(offices.begin(), offices.end(), id) == offices.end()) offices.push_back(id);
  };
  if (!zones.is_object()) return offices;
  auto features = zones.find("features");
  if (features == zones.end() || !features->is_array()) return offices;
  for (const nlohmann::json& zone : *features) {
    if (!zone.is_object() || !zone.contains("properties")) continue;
    const nlohmann::json& p = zone["properties"];
    if (!p.is_object()) continue;
    std::vector<std::string> found;
    // A zone whose list is there but empty (a marine zone) has no office;
    // only a zone without the list falls back.
    if (auto cwa = p.find("cwa"); cwa != p.end()) {
      if (!cwa->is_array()) continue;
      for (const nlohmann::json& office : *cwa) {
        if (office.is_string()) add(office.get<std::string>());
      }
      continue;
    }
    {
      const std::string url = StringAt(p, "forecastOffice");
      if (std::size_t slash = url.rfind('/'); slash != std::string::npos) found.push_back(url.substr(slash + 1));
    }
    if (found.empty() || !IsOfficeId(found.front())) found = {StringAt(p, "awipsLocationIdentifier")};
    for (const std::string& id : found) add(id);
  }
  return offices;
}

namespace {

// The live source of each state product of the forecast catalogue, by the
// row's kind: its page title and the weather service's product codes.
struct ProductSource {
  const char* kind;
  const char* title;
  std::vector<const char*> types;  // empty for the alerts
};

const std::vector<ProductSource>& Sources() {
  static const std::vector<ProductSource> sources = {
      {"f", "Zone Forecast", {"ZFP"}},
      {"n", "Short Term Forecast", {"NOW"}},
      {"h", "Hydrological Statements and Outlooks", {"RVS", "ESF", "FLS"}},
      {"p", "Public Information Statements", {"PNS"}},
      {"sw", "Special Weather Statements", {"SPS"}},
      {"w", "Warnings and Advisories", {}},
  };
  return sources;
}

}  // namespace

const ProductPage* FindProductPage(const std::string& page) {
  // One page per state product row that has a live source.
  static const std::vector<ProductPage> pages = [] {
    std::vector<ProductPage> out;
    for (const ForecastRow& row : ForecastCatalogue()) {
      if (!row.stateProduct || row.productPage[0] == '\0') continue;
      for (const ProductSource& source : Sources()) {
        if (std::string(source.kind) == row.kind) out.push_back({row.productPage, source.title, source.types});
      }
    }
    return out;
  }();
  for (const ProductPage& p : pages) {
    if (page == p.page) return &p;
  }
  return nullptr;
}

std::string Latin1FromUtf8(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size()) {
      out += '?';
      ++i;
      continue;
    }
    unsigned long code = extra == 0 ? c : c & (0x3F >> extra);
    bool bad = false;
    for (int k = 1; k <= extra; ++k) {
      const unsigned char cc = static_cast<unsigned char>(text[i + k]);
      if ((cc & 0xC0) != 0x80) bad = true;
      code = (code << 6) | (cc & 0x3F);
    }
    if (bad) {
      out += '?';
      ++i;
      continue;
    }
    out += code <= 0xFF ? static_cast<char>(code) : '?';
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

std::string ProductsHtml(const std::string& title, const std::string& state, const std::vector<std::string>& texts,
                         const std::vector<std::string>& missing) {
  std::string html = "<html>\n<head>\n<title>" + title + " for " + state + "</title>\n</head>\n<body>\n";
  if (!missing.empty()) {
    std::string names;
    for (const std::string& m : missing) names += (names.empty() ? "" : ", ") + m;
    html += "<p>Not retrieved this time: " + names + ".</p>\n";
  }
  if (texts.empty()) {
    html += "<p>The " + title + " for " + state + " are not currently available.</p>\n";
  }
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (i > 0) html += "<hr>\n";
    // Only the angle brackets: the window's tag strip keeps every other
    // character reference as it is written.
    std::string text;
    for (char c : Latin1FromUtf8(texts[i])) {
      if (c == '<') text += "&lt;";
      else if (c == '>') text += "&gt;";
      else text += c;
    }
    html += "<pre>\n" + text + "\n</pre>\n";
  }
  html += "</body>\n</html>\n";
  return html;
}

}  // namespace sky::gateway
