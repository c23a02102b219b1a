#include "forecast/forecast_text.h"

#include "common/text.h"

namespace sky {

std::string PlainTextCut(const std::string& page) {
  std::string out;
  out.reserve(page.size() + page.size() / 32);
  const std::size_t end = page.find("http://");
  const std::size_t n = end == std::string::npos ? page.size() : end;
  for (std::size_t i = 0; i < n; ++i) {
    if (page[i] == '\n') out += kCrLf;
    else out += page[i];
  }
  return out;
}

std::string TagStrip(const std::string& page) {
  std::string out;
  out.reserve(page.size());
  const std::size_t n = page.size();
  // An "&" just before a reference goes with it: only the one written from
  // the very previous character of the page.
  bool lastWasAmp = false;
  auto reference = [&](char replacement) {
    if (lastWasAmp) out.pop_back();
    out += replacement;
    lastWasAmp = false;
  };
  for (std::size_t i = 0; i < n;) {
    const char c = page[i];
    if (c == '<') {
      const std::size_t close = page.find('>', i + 1);
      if (close == std::string::npos) break;
      i = close + 1;
      lastWasAmp = false;
    } else if (page.compare(i, 5, "#176;") == 0) {
      reference(kDegree);
      i += 5;
    } else if (page.compare(i, 5, "nbsp;") == 0) {
      reference(' ');
      i += 5;
    } else {
      out += c;
      lastWasAmp = c == '&';
      ++i;
    }
  }
  return Trim(out);
}

CountySectionResult CountySection(const std::string& page, const std::string& county) {
  const std::size_t at = Pos(county, page);
  if (at == 0) return {false, page};
  // From the character just before the name, so the line's start stays.
  std::string section = page.substr(at >= 2 ? at - 2 : 0);
  if (const std::size_t end = section.find("$$"); end != std::string::npos) section.resize(end);
  return {true, section};
}

std::string WarningText(const std::string& page, const std::string& state, bool warnings) {
  std::string text;
  const bool empty = Pos("not currently available", page) != 0 || Trim(page).empty();
  if (empty && warnings) text = "There are no active warnings or advisories for " + state + ".";
  else if (empty) text = " Sorry, this " + state + " information is not currently available.";
  else text = page;
  return text + kCrLf + kEndOfFile;
}

std::string DisplayLines(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') {
        out += '\n';
        ++i;
      }
      continue;
    }
    out += text[i];
  }
  return out;
}

}  // namespace sky
