#include "gateway/products.h"

namespace sky::gateway {

const ProductPage* FindProductPage(const std::string& page) {
  static const ProductPage kPages[] = {
      {"zone.html", "Zone Forecast", {"ZFP"}},
      {"shortterm.html", "Short Term Forecast", {"NOW"}},
      {"hydro.html", "Hydrological Statements and Outlooks", {"RVS", "ESF", "FLS"}},
      {"public.html", "Public Information Statements", {"PNS"}},
      {"special.html", "Special Weather Statements", {"SPS"}},
      {"allwarnings.html", "Warnings and Advisories", {}},
  };
  for (const ProductPage& p : kPages) {
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

std::string ProductsHtml(const std::string& title, const std::string& state, const std::vector<std::string>& texts) {
  std::string html = "<html>\n<head>\n<title>" + title + " for " + state + "</title>\n</head>\n<body>\n";
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
