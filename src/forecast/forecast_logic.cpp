#include "forecast/forecast_logic.h"

#include <cstdio>

#include "historic/addresses.h"
#include "common/convert.h"
#include "common/hosts.h"
#include "common/text.h"
#include "forecast/forecast_text.h"
#include "net/HttpClient.h"
#include "net/request_profile.h"
#include "settings/ini_proc.h"
#include "settings/settings_names.h"

namespace sky {

namespace {

constexpr const char* kTableList =
    "/T=P1/T=P5/T=P6/T=P7/T=P13/T=P49/T=P50/T=P53/T=P54/T=P57/T=P78/T=P80/T=P80A/T=P114A/T=H5/T=H25/T=H43A/"
    "T=H61/T=H61A";

struct KindRow {
  const char* kind;
  const char* start;  // status text when the retrieval starts
};
constexpr KindRow kStartTexts[] = {
    {"ss", "Starting retrieval of US State Salary Rankings..."},
    {"si", "Starting retrieval of US/State Median HH Incomes..."},
    {"s1", "Starting retrieval of Census Detail by US State..."},
    {"s2", "Starting retrieval of Census Detail by US Zip..."},
    {"h", "Starting retrieval of Hydrological Data..."},
    {"n", "Starting retrieval of Nowcast..."},
    {"p", "Starting retrieval of Public Information..."},
    {"w", "Starting retrieval of Warning Information..."},
    {"sw", "Starting retrieval of Special Weather Statements..."},
    {"f", "Starting retrieval of Forecast..."},
};

// A typed selection goes into the address as it is, except what would break
// the request line: blanks, control bytes and bytes above 126 are escaped.
std::string AddressSafe(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c <= 32 || c >= 127 || c == '%') {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

bool IsDigits(const std::string& s) {
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

const std::vector<std::string>& StateListRows() {
  // clang-format off
  static const std::vector<std::string> rows = {
      "None",          "01-Alabama",        "02-Alaska",         "04-Arizona",
      "05-Arkansas",   "06-California",     "08-Colorado",       "09-Connecticut",
      "10-Delaware",   "11-District of Columbia", "12-Florida",  "13-Georgia",
      "15-Hawaii",     "16-Idaho",          "17-Illinois",       "18-Indiana",
      "19-Iowa",       "20-Kansas",         "21-Kentucky",       "22-Louisiana",
      "23-Maine",      "24-Maryland",       "25-Massachusetts",  "26-Michigan",
      "27-Minnesota",  "28-Mississippi",    "29-Missouri",       "30-Montana",
      "31-Nebraska",   "32-Nevada",         "33-New Hampshire",  "34-New Jersey",
      "35-New Mexico", "36-New York",       "37-North Carolina", "38-North Dakota",
      "39-Ohio",       "40-Oklahoma",       "41-Oregon",         "42-Pennsylvania",
      "44-Rhode Island", "45-South Carolina", "46-South Dakota", "47-Tennessee",
      "48-Texas",      "49-Utah",           "50-Vermont",        "51-Virginia",
      "53-Washington", "54-West Virginia",  "55-Wisconsin",      "56-Wyoming",
  };
  // clang-format on
  return rows;
}

bool IsStateSelection(const std::string& text) {
  if (text.size() < 4 || (text[2] != '-' && text[2] != ',')) return false;
  for (const std::string& row : StateListRows())
    if (row.size() > 3 && row.compare(0, 2, text, 0, 2) == 0 && row.compare(3, std::string::npos, text, 3) == 0)
      return true;
  return false;
}

std::string SentStateSelection(const std::string& text) {
  return text == "22,Louisiana" ? std::string("22,Lousiana") : text;
}

bool IsNwsKind(const std::string& k) { return k == "n" || k == "f" || k == "h" || k == "p" || k == "sw" || k == "w"; }

bool IsForecastKind(const std::string& k) { return IsNwsKind(k) || k == "s1" || k == "s2" || k == "ss" || k == "si"; }

std::string HttpForecastFetch::Get(const std::string& url) {
  profiles::kForecast.Apply(client_);
  client_.Get(url);
  return client_.Body;
}

void mnuForecastHTMLClick(THttpClient& client, const std::function<void(const std::string& url)>& openInBrowser) {
  profiles::kForecastLink.Apply(client);
  client.Get(hosts::kWeatherUndergroundUrl);
  client.Body.clear();
  if (openInBrowser) openInBrowser(hosts::kWeatherUndergroundUrl);
}

ForecastLogic::ForecastLogic(ForecastPorts ports, std::string& kind, const CurrentLocation& location)
    : ports_(std::move(ports)), kind_(kind), location_(location) {}

IMessagePort& ForecastLogic::Messages() { return ports_.messages ? *ports_.messages : NullMessagePort(); }

std::string ForecastLogic::State() const { return StateOfPlace(location_); }

void ForecastLogic::Status(const std::string& text) {
  if (ports_.status) ports_.status->SetStatus(text);
}

void ForecastLogic::Repaint() { W().Repaint(); }

std::string ForecastLogic::Read(const std::string& name) {
  return ports_.readSetting ? ports_.readSetting(name) : ReadSetting(settings::kSectionSettings, name);
}

void ForecastLogic::Write(const std::string& name, const std::string& text) {
  if (ports_.writeSetting) ports_.writeSetting(name, text);
  else WriteSetting(settings::kSectionSettings, name, text);
}

// ---------------------------------------------------------------- retrieval

void ForecastLogic::FormActivate() {
  const int h = W().OuterHeight();
  for (ForecastControl c :
       {ForecastControl::lblZip, ForecastControl::txtZip, ForecastControl::lblState, ForecastControl::cboState})
    W().SetVisible(c, false);
  W().SetVisible(ForecastControl::lblCounty, true);
  W().SetVisible(ForecastControl::editCounty, true);
  const std::string& k = kind_;
  if (k == "h" || k == "p" || k == "sw" || k == "w" || k == "ss" || k == "si") {
    W().SetTextHeight(h - 60);
    W().SetVisible(ForecastControl::lblCounty, false);
    W().SetVisible(ForecastControl::editCounty, false);
    W().SetVisible(ForecastControl::btnGetit, false);
    get_xcast();
  } else if (k == "s1" || k == "s2") {
    process_s1s2();
  } else if (k == "n" || k == "f") {
    W().SetTextHeight(h - 150);
    W().SetVisible(ForecastControl::lblCounty, true);
    W().SetVisible(ForecastControl::editCounty, true);
    W().SetVisible(ForecastControl::btnGetit, true);
  }
}

void ForecastLogic::process_s1s2() {
  const int h = W().OuterHeight();
  W().SetVisible(ForecastControl::btnGetit, true);
  W().SetVisible(ForecastControl::lblCounty, false);
  W().SetVisible(ForecastControl::editCounty, false);
  if (kind_ == "s2") {
    for (ForecastControl c : {ForecastControl::lblZip, ForecastControl::txtZip}) {
      W().SetVisible(c, true);
      W().SetTop(c, h - 130);
    }
    return;
  }
  for (ForecastControl c : {ForecastControl::lblState, ForecastControl::cboState}) {
    W().SetVisible(c, true);
    W().SetTop(c, h - 130);
  }
  W().SetStateItems(StateListRows());
}

void ForecastLogic::btnGetitClick() {
  Repaint();
  if (W().IsVisible(ForecastControl::cboState)) {
    // "06-California" becomes "06,California"; a second press leaves it so.
    // Only a state row is rewritten: an empty box must not turn into ",".
    const std::string t = W().StateText();
    if (IsStateSelection(t)) W().SetStateText(Cut(t, 1, 2) + "," + Cut(t, 4, static_cast<long long>(t.size())));
  }
  get_xcast();
}

std::string ForecastLogic::KindCaption() const {
  const std::string& k = kind_;
  const std::string state = State();
  const std::string city = location_.City;
  if (k == "h") return "Skyglass - Hydrological data for " + state;
  if (k == "n") return "Skyglass - Text Nowcast for " + city + ", " + state;
  if (k == "p") return "Skyglass - Public Information for " + state;
  if (k == "sw") return "Skyglass - Special Weather Statements for " + state;
  // A caption is no menu: one "&" shows as one.
  if (k == "w") return "Skyglass - Warnings & Advisories for " + state;
  if (k == "f") return "Skyglass - Text Forecast for " + city + ", " + state;
  if (k == "si") return "Skyglass - US/State Census Median HH Income";
  if (k == "ss") return "Skyglass - US Census State Rankings";
  if (k == "s1") return "Skyglass - Census Detail by State";
  if (k == "s2") return "Skyglass - Census Detail by Zip";
  return "Skyglass - Forecast";
}

void ForecastLogic::get_xcast() {
  lastUrl_.clear();
  PageBuffer.clear();
  W().SetText("");
  const std::string& k = kind_;
  if (!IsForecastKind(k)) return;
  const std::string state = State();
  // A place outside the United States has no state products either.
  if (IsNwsKind(k) && (state.empty() || IsForeignRegion(state))) {
    Messages().ShowMessage(kNoLocationText);
    Status(kForecastThankYou);
    Repaint();
    return;
  }
  for (const KindRow& r : kStartTexts)
    if (k == r.kind) Status(r.start);
  Repaint();

  const std::string text = std::string("http://") + hosts::kCensus + "/statab/ranks/";
  const std::string lookup = std::string("http://") + hosts::kCensusLookup + "/cdrom/lookup/";
  std::string url;
  if (k == "h") {
    url = historic::ProductPageUrl(state, "hydro.html");
  } else if (k == "n") {
    url = historic::ProductPageUrl(state, "shortterm.html");
  } else if (k == "p") {
    url = historic::ProductPageUrl(state, "public.html");
  } else if (k == "sw") {
    url = historic::ProductPageUrl(state, "special.html");
  } else if (k == "w") {
    url = historic::ProductPageUrl(state, "allwarnings.html");
  } else if (k == "f") {
    url = historic::ProductPageUrl(state, "zone.html");
  } else if (k == "si") {
    url = text + "pg20.txt";
  } else if (k == "ss") {
    url = text + "pg18.txt";
  } else if (k == "s1") {
    url = lookup +
          "906005492=/906005506=/906005514=/906005522=/CMD=RET/DB=C90STF3C1/F0=FIPS.STATE/F1=STUB.GEO/FMT=HTML/"
          "LEV=STATE/SEL=" +
          AddressSafe(SentStateSelection(W().StateText())) + kTableList;
  } else {  // "s2"
    url = lookup +
          "906003812=/906003889=/906003903=/906005246=/CMD=RET/DB=C90STF3B/F0=ZIP/FMT=HTML/LEV=ZIP/SEL=" + W().Zip() +
          kTableList;
  }
  const std::string caption = KindCaption();
  W().SetCaption(caption);
  // Nothing chosen would be sent as "," and answered "No records match ,.".
  if (k == "s1" && !IsStateSelection(W().StateText())) {
    Messages().ShowMessage(kNoStateChosenText);
    Status(kForecastThankYou);
    Repaint();
    return;
  }
  // Five digits, or nothing is fetched: anything else is no zip and would
  // not even make a valid address.
  if (k == "s2" && (W().Zip().size() < 5 || !IsDigits(W().Zip()))) {
    Messages().ShowMessage(kInvalidZipText);
    Status(kForecastThankYou);
    Repaint();
    return;
  }

  Status("Attempting connection...");
  lastUrl_ = url;
  PageBuffer = ports_.fetch ? ports_.fetch->Get(url) : std::string();
  Status("Connection process complete...");
  Repaint();

  if (k == "si" || k == "ss") {
    SaveFontAndFix();
    parse_text();
    W().SetText(TextBuffer);
    TextBuffer.clear();
  } else if (k == "s1" || k == "s2") {
    tag_strip();
    SaveFontAndFix();
    parse_text();
    W().SetText(TextBuffer);
    TextBuffer.clear();
    W().AppendText(std::string(kCrLf) + kEndOfFile);
    W().AppendText(std::string(kCrLf) + "Thanks for using Skyglass...");
  } else if (k == "h") {
    SaveFontAndFix();
    parse_text();
    W().SetText(TextBuffer);
    TextBuffer.clear();
    tag_strip();
    parse_warning_html();
  } else if (k == "p" || k == "sw" || k == "w") {
    tag_strip();
    parse_warning_html();
  } else if (k == "n") {
    tag_strip();
    county_search('n', PageBuffer);
  } else {  // "f"
    tag_strip();
    county_search('t', PageBuffer);
  }
  Status(kForecastThankYou);
  Repaint();
}

void ForecastLogic::SaveFontAndFix() {
  // Saved only from the form's own font: a second retrieval in "Fixedsys"
  // must not make "Fixedsys" the font that closing puts back.
  if (W().FontName() != kFixedsys) SavedFontName = W().FontName();
  W().SetFontName(kFixedsys);
}

// ---------------------------------------------------------------- treatments

void ForecastLogic::parse_text() { TextBuffer = PlainTextCut(PageBuffer); }

void ForecastLogic::tag_strip() {
  Status("level 2 parsing started...");
  PageBuffer = TagStrip(PageBuffer);
  Status("level 2 parsing completed...");
}

void ForecastLogic::county_search(char kindLetter, const std::string& page) {
  const std::string state = State();
  if (state.empty()) {
    Messages().Beep();
    Messages().ShowMessage("Sorry, State variable is not valid.");
    return;
  }
  CountyText = UpperAscii(W().County());
  FoundFlag.clear();
  Status("parsing data...");
  std::string text = page;
  const bool given = CountyText.size() >= 2;
  if (given) {
    Status("parsing - looking for " + CountyText + " county...");
    CountySectionResult r = CountySection(page, CountyText);
    if (r.found) {
      FoundFlag = "Y";
      Status("parsing - found " + CountyText + " county...");
      text = std::move(r.text);
    }
  }
  W().AppendText(text);
  Status("parsing complete...");
  const std::string prefix = kindLetter == 'n' ? "Skyglass - Text Nowcast for " : "Skyglass - Text Forecast for ";
  if (given && FoundFlag != "Y") {
    Messages().ShowMessage("Sorry, " + CountyText + " county was not found.  Displaying state zone info...");
    W().SetCaption(prefix + state);
  } else if (given) {
    W().SetCaption(prefix + CountyText + " county, " + state);
  } else {
    W().SetCaption(prefix + state);
  }
}

void ForecastLogic::parse_warning_html() {
  Status("Skyglass - parsing data...please wait...");
  W().SetText(WarningText(PageBuffer, State(), kind_ == "w"));
  Status(kForecastThankYou);
}

// ---------------------------------------------------------------- window

void ForecastLogic::FormShow() {
  W().SetText("");
  const std::string bg = Read(settings::kForecastBackground);
  W().SetTextColor(bg == kNA ? clWhite : StringToColor(bg));
  std::string size = Read(settings::kForecastFontSize);
  if (size == kNA || size < "1") {
    size = "8";
    W().SetFontChecks(false, true);
  } else if (size == "12") {
    W().SetFontChecks(true, false);
  }
  W().SetFontSize(StrToInt(size));
  W().MinimizeMain();
}

void ForecastLogic::FormResize() {
  const int h = W().OuterHeight();
  const std::string& k = kind_;
  if (k == "h" || k == "p" || k == "sw" || k == "w" || k == "ss" || k == "si") {
    W().SetTextHeight(h - 60);
    Repaint();
    return;
  }
  ForecastControl label = ForecastControl::lblCounty, entry = ForecastControl::editCounty;
  if (k == "s1") {
    label = ForecastControl::lblState;
    entry = ForecastControl::cboState;
  } else if (k == "s2") {
    label = ForecastControl::lblZip;
    entry = ForecastControl::txtZip;
  }
  W().SetTop(label, h - 130);
  W().SetTop(entry, h - 130);
  W().SetTop(ForecastControl::btnGetit, h - 100);
  W().SetTextHeight(h - 150);
}

void ForecastLogic::FormClose() {
  if (!SavedFontName.empty()) W().SetFontName(SavedFontName);
  kind_.clear();
  W().RestoreMain();
}

void ForecastLogic::mnuLargefontClick() {
  W().SetFontSize(12);
  Write(settings::kForecastFontSizeWritten, "12");
  W().SetFontChecks(true, false);
}

void ForecastLogic::mnuSmallfontClick() {
  W().SetFontSize(8);
  Write(settings::kForecastFontSizeWritten, "8");
  W().SetFontChecks(false, true);
}

void ForecastLogic::mnubgColorClick(IColorDialogPort& dialog) {
  // The dialog opens on the text area's colour as stored (white when none).
  TColor color = clWhite;
  if (const std::string bg = Read(settings::kForecastBackground); bg != kNA) {
    if (const std::optional<TColor> stored = TryStringToColor(bg)) color = *stored;
  }
  switch (dialog.Execute(color)) {
    case IColorDialogPort::Answer::Chosen:
      W().SetTextColor(color);
      Write(settings::kForecastBackground, ColorToString(color));
      break;
    case IColorDialogPort::Answer::Cancelled: break;
    case IColorDialogPort::Answer::Failed:
      Messages().ShowMessage("Error - Color selection dialog failed to load");
      break;
  }
}

}  // namespace sky
