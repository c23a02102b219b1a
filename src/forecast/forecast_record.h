// The forecast window without a display: it keeps what the logic puts into
// it. The terminal companion runs its retrievals in one, tests check them.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "forecast/forecast_logic.h"

namespace sky {

class ForecastRecord : public IForecastWindowPort, public IStatusPort, public IMessagePort {
 public:
  // IForecastWindowPort
  void SetCaption(const std::string& c) override { caption = c; }
  void Repaint() override {}
  std::string Text() const override { return text; }
  void SetText(const std::string& t) override { text = t; }
  void AppendText(const std::string& t) override { text += t; }
  std::string FontName() const override { return fontName; }
  void SetFontName(const std::string& n) override { fontName = n; }
  void SetFontSize(int points) override { fontSize = points; }
  void SetTextColor(TColor c) override { textColor = c; }
  void SetTextHeight(int h) override { textHeight = h; }
  void SetVisible(ForecastControl c, bool v) override { visible[c] = v; }
  bool IsVisible(ForecastControl c) const override {
    auto it = visible.find(c);
    return it != visible.end() && it->second;
  }
  void SetTop(ForecastControl c, int t) override { top[c] = t; }
  int OuterHeight() const override { return outerHeight; }
  std::string County() const override { return county; }
  std::string StateText() const override { return stateText; }
  void SetStateText(const std::string& t) override { stateText = t; }
  void SetStateItems(const std::vector<std::string>& rows) override {
    stateItems = rows;
    stateText.clear();
  }
  std::string Zip() const override { return zip; }
  void SetFontChecks(bool large, bool small) override {
    largeChecked = large;
    smallChecked = small;
  }
  void MinimizeMain() override { mainMinimized = true; }
  void RestoreMain() override { mainMinimized = false; }
  // IStatusPort
  void SetStatus(const std::string& s) override { status.push_back(s); }
  // IMessagePort
  void ShowMessage(const std::string& t) override { messages.push_back(t); }
  void ShowError(const std::string& t) override { messages.push_back(t); }
  bool Confirm(const std::string& t) override {
    messages.push_back(t);
    return true;
  }
  void Beep() override { ++beeps; }

  std::optional<std::string> caption;
  std::string text;
  std::string fontName = kFormFontName;
  int fontSize = 8;
  TColor textColor = clWhite;
  int textHeight = 201;
  std::map<ForecastControl, bool> visible;
  std::map<ForecastControl, int> top;
  int outerHeight = 357;
  std::string county, stateText, zip;
  std::vector<std::string> stateItems;
  bool largeChecked = false, smallChecked = true;
  bool mainMinimized = false;
  std::vector<std::string> status, messages;
  int beeps = 0;
};

// Stands in for the network: every address gets the same body.
class FixedBodyFetch : public IForecastFetch {
 public:
  explicit FixedBodyFetch(std::string body) : body_(std::move(body)) {}
  std::string Get(const std::string& url) override {
    urls.push_back(url);
    return body_;
  }
  std::vector<std::string> urls;

 private:
  std::string body_;
};

}  // namespace sky
