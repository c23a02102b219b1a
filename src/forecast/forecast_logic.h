// The forecast window's logic without the window: the ten retrieval kinds,
// the entry layouts, get_xcast with its captions, addresses and status texts,
// the text treatments by kind, and the window's showing, resizing, font size,
// background colour and closing. The Qt window implements the port; tests
// and the terminal companion implement it with recorders.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/ports.h"
#include "forecast/forecast_catalogue.h"
#include "locations/Unit_location.h"
#include "settings/color_commands.h"
#include "settings/colors.h"

namespace sky {

class RequestService;

inline constexpr const char* kForecastThankYou = " Thank you for using Skyglass...";
inline constexpr const char* kFixedsys = "Fixedsys";
inline constexpr const char* kFormFontName = "MS Sans Serif";
inline constexpr const char* kPrintTrailer = "[Printed from Skyglass (by Corvantis).]";
inline constexpr const char* kNoLocationText =
    "A stats location has not been selected. You will need to select a location (Get Stats > Choose Location...) "
    "or view current stats before viewing forecasts.";
// What the window says to enter while it waits for "&Get it".
inline constexpr const char* kEnterCountyText =
    " Type a county name (or leave it empty for the whole state), then Get it.";
inline constexpr const char* kChooseStateText = " Choose a state from the list, then Get it.";
inline constexpr const char* kEnterZipText = " Type a five-digit US zip code, then Get it.";
inline constexpr const char* kNoStateChosenText = "Please choose a state in the list below, then press \"Get it\".";
inline constexpr const char* kInvalidZipText = "Sorry, you entered an invalid zip.";

// The 52 rows of the state list: "None", then the states and DC by name,
// each as its FIPS code, "-" and the name.
const std::vector<std::string>& StateListRows();
// Whether the state box holds a state ("22-Louisiana", or "22,Louisiana"
// after "Get it"), not "None", nothing or a typed text.
bool IsStateSelection(const std::string& text);
// The selection as the census look-up is sent it: Louisiana keeps the
// spelling the look-up has always been sent ("22,Lousiana").
std::string SentStateSelection(const std::string& text);

// The forecast window's kinds: the six of the state products and the four
// census look-ups (the 7-Day Forecast has a window of its own).
bool IsForecastKind(const std::string& kind);
// The catalogue row of a kind the forecast window shows, or nullptr.
const ForecastRow* TextRow(const std::string& kind);
bool IsNwsKind(const std::string& kind);

enum class ForecastControl { lblCounty, editCounty, lblState, cboState, lblZip, txtZip, btnGetit };

// The forecast window as the logic sees it. Texts are Latin-1; the text
// area's line ends are CR LF as the treatments make them.
class IForecastWindowPort {
 public:
  virtual ~IForecastWindowPort() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void Repaint() = 0;
  // The text area `txtForecast`.
  virtual std::string Text() const = 0;
  virtual void SetText(const std::string& text) = 0;
  virtual void AppendText(const std::string& text) = 0;
  virtual std::string FontName() const = 0;
  virtual void SetFontName(const std::string& name) = 0;
  virtual void SetFontSize(int points) = 0;
  virtual void SetTextColor(TColor color) = 0;
  virtual void SetTextHeight(int height) = 0;
  // The entry fields and the "&Get it" button.
  virtual void SetVisible(ForecastControl c, bool visible) = 0;
  virtual bool IsVisible(ForecastControl c) const = 0;
  virtual void SetTop(ForecastControl c, int top) = 0;
  virtual int OuterHeight() const = 0;
  virtual std::string County() const = 0;
  virtual std::string StateText() const = 0;
  virtual void SetStateText(const std::string& text) = 0;
  virtual void SetStateItems(const std::vector<std::string>& rows) = 0;
  virtual std::string Zip() const = 0;
  // The checks of "&Large font" and "&Small font".
  virtual void SetFontChecks(bool large, bool small) = 0;
  // The main window goes down while this window is shown.
  virtual void MinimizeMain() = 0;
  virtual void RestoreMain() = 0;
};

// Fetches one address and gives the body back; a request that ended on the
// way (name look-up, connection, time-out, abort) throws its text.
class IForecastFetch {
 public:
  virtual ~IForecastFetch() = default;
  virtual std::string Get(const std::string& url) = 0;
};

// The main window's requests as the retrieval uses them: a 60-second
// time-out, the body in memory.
class HttpForecastFetch : public IForecastFetch {
 public:
  explicit HttpForecastFetch(RequestService& requests) : requests_(requests) {}
  std::string Get(const std::string& url) override;

 private:
  RequestService& requests_;
};

// "Forecast - &HTML Version": the home page of the conditions server is
// fetched, then handed to the desktop to open in the user's browser.
void mnuForecastHTMLClick(RequestService& requests, const std::function<void(const std::string& url)>& openInBrowser);

struct ForecastPorts {
  IForecastWindowPort* window = nullptr;
  IStatusPort* status = nullptr;  // the window's status bar
  IMessagePort* messages = nullptr;
  IForecastFetch* fetch = nullptr;
  // The settings "Settings" section; default: the settings store.
  std::function<std::string(const std::string& name)> readSetting;
  std::function<void(const std::string& name, const std::string& text)> writeSetting;
};

class ForecastLogic {
 public:
  // `kind` is the program-wide retrieval kind (the main window routes the
  // client's progress texts to this window while it is set); `location` the
  // place fetched last, whose Region is the current state and City the
  // current city.
  ForecastLogic(ForecastPorts ports, std::string& kind, const CurrentLocation& location);

  // ---- Part of the retrieval
  // The ten commands: store the kind; the window shows and activates next.
  void SetKind(const std::string& kind) { kind_ = kind; }
  const std::string& Kind() const { return kind_; }
  void FormActivate();
  void process_s1s2();
  void btnGetitClick();
  void get_xcast();
  // The window's caption for the kind and the current place, set before the
  // window shows so that it never carries the previous command's.
  std::string KindCaption() const;
  // The address get_xcast fetched last ("" when it stopped before).
  const std::string& LastUrl() const { return lastUrl_; }

  // ---- the treatments, with their status texts
  void parse_text();
  void tag_strip();
  void county_search(char kindLetter, const std::string& page);
  void parse_warning_html();

  // ---- the window
  void FormShow();
  void FormResize();
  void FormClose();
  void mnuLargefontClick();
  void mnuSmallfontClick();
  void mnubgColorClick(IColorDialogPort& dialog);

  std::string PageBuffer;
  std::string TextBuffer;
  std::string SavedFontName;
  std::string CountyText;
  std::string FoundFlag;

 private:
  std::string State() const;
  void Status(const std::string& text);
  void Repaint();
  void SaveFontAndFix();
  std::string Read(const std::string& name);
  void Write(const std::string& name, const std::string& text);
  IForecastWindowPort& W() const { return *ports_.window; }
  // The place and the entry boxes, as the row's caption and address take them.
  ForecastQuery Query() const;
  IMessagePort& Messages();

  ForecastPorts ports_;
  std::string& kind_;
  const CurrentLocation& location_;
  std::string lastUrl_;
};

}  // namespace sky
