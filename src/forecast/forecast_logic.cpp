#include "forecast/forecast_logic.h"

#include <cstdio>

#include "historic/addresses.h"
#include "common/convert.h"
#include "common/hosts.h"
#include "common/text.h"
#include "forecast/forecast_catalogue.h"
#include "forecast/forecast_text.h"
#include "common/exceptions.h"
#include "net/request_profile.h"
#include "net/request_service.h"
#include "settings/ini_proc.h"
#include "settings/settings_names.h"

namespace sky {

namespace {

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

const ForecastRow* TextRow(const std::string& kind) {
  const ForecastRow* row = FindForecastRow(kind);
  return row != nullptr && InTextWindow(*row) ? row : nullptr;
}

bool IsNwsKind(const std::string& k) {
  const ForecastRow* row = FindForecastRow(k);
  return row != nullptr && row->stateProduct;
}

bool IsForecastKind(const std::string& k) { return TextRow(k) != nullptr; }

std::string HttpForecastFetch::Get(const std::string& url) {
  FetchResult page = requests_.Fetch(profiles::kForecast, url);
  // The retrieval reads whatever page came, an error page too; only a
  // request that ended on the way stops it.
  if (!page.Answered()) throw Exception(page.error);
  return std::move(page.body);
}

void mnuForecastHTMLClick(RequestService& requests, const std::function<void(const std::string& url)>& openInBrowser) {
  const FetchResult home = requests.Fetch(profiles::kForecastLink, hosts::kWeatherUndergroundUrl);
  if (!home.Answered()) throw Exception(home.error);
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
  const ForecastRow* row = TextRow(kind_);
  const ForecastAsks asks = row ? row->asks : ForecastAsks::kNothing;
  if (row && asks == ForecastAsks::kNothing) {
    W().SetTextHeight(h - 60);
    W().SetVisible(ForecastControl::lblCounty, false);
    W().SetVisible(ForecastControl::editCounty, false);
    W().SetVisible(ForecastControl::btnGetit, false);
    get_xcast();
  } else if (asks == ForecastAsks::kState || asks == ForecastAsks::kZip) {
    process_s1s2();
  } else if (asks == ForecastAsks::kCounty) {
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
  const ForecastRow* row = TextRow(kind_);
  if (row && row->asks == ForecastAsks::kZip) {
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

ForecastQuery ForecastLogic::Query() const {
  ForecastQuery query;
  query.state = State();
  query.city = location_.City;
  query.stateText = SentStateSelection(W().StateText());
  query.zip = W().Zip();
  return query;
}

std::string ForecastLogic::KindCaption() const {
  const ForecastRow* row = TextRow(kind_);
  return row ? row->caption(Query()) : std::string("Skyglass - Forecast");
}

void ForecastLogic::get_xcast() {
  lastUrl_.clear();
  PageBuffer.clear();
  W().SetText("");
  const ForecastRow* row = TextRow(kind_);
  if (row == nullptr) return;
  const std::string state = State();
  // A place outside the United States has no state products either.
  if (row->stateProduct && (state.empty() || IsForeignRegion(state))) {
    Messages().ShowMessage(kNoLocationText);
    Status(kForecastThankYou);
    Repaint();
    return;
  }
  Status(row->start);
  Repaint();

  const ForecastQuery query = Query();
  const std::string url = row->address(query);
  W().SetCaption(row->caption(query));
  // Nothing chosen would be sent as "," and answered "No records match ,.".
  if (row->asks == ForecastAsks::kState && !IsStateSelection(W().StateText())) {
    Messages().ShowMessage(kNoStateChosenText);
    Status(kForecastThankYou);
    Repaint();
    return;
  }
  // Five digits, or nothing is fetched: anything else is no zip and would
  // not even make a valid address.
  if (row->asks == ForecastAsks::kZip && (W().Zip().size() < 5 || !IsDigits(W().Zip()))) {
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

  switch (row->treatment) {
    case ForecastTreatment::kPlainText:
      SaveFontAndFix();
      parse_text();
      W().SetText(TextBuffer);
      TextBuffer.clear();
      break;
    case ForecastTreatment::kCensusDetail:
      tag_strip();
      SaveFontAndFix();
      parse_text();
      W().SetText(TextBuffer);
      TextBuffer.clear();
      W().AppendText(std::string(kCrLf) + kEndOfFile);
      W().AppendText(std::string(kCrLf) + "Thanks for using Skyglass...");
      break;
    case ForecastTreatment::kHydro:
      SaveFontAndFix();
      parse_text();
      W().SetText(TextBuffer);
      TextBuffer.clear();
      tag_strip();
      parse_warning_html();
      break;
    case ForecastTreatment::kStatements:
    case ForecastTreatment::kWarnings:
      tag_strip();
      parse_warning_html();
      break;
    case ForecastTreatment::kCountyNowcast:
      tag_strip();
      county_search('n', PageBuffer);
      break;
    case ForecastTreatment::kCountyForecast:
      tag_strip();
      county_search('t', PageBuffer);
      break;
    case ForecastTreatment::kDaily:  // not a text window's row
      break;
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
  const ForecastRow* row = TextRow(kind_);
  W().SetText(WarningText(PageBuffer, State(), row && row->treatment == ForecastTreatment::kWarnings));
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
  const ForecastRow* row = TextRow(kind_);
  if (row && row->asks == ForecastAsks::kNothing) {
    W().SetTextHeight(h - 60);
    Repaint();
    return;
  }
  ForecastControl label = ForecastControl::lblCounty, entry = ForecastControl::editCounty;
  if (row && row->asks == ForecastAsks::kState) {
    label = ForecastControl::lblState;
    entry = ForecastControl::cboState;
  } else if (row && row->asks == ForecastAsks::kZip) {
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
