#include "app/main_logic.h"

#include <exception>

#include "common/hosts.h"
#include "common/text.h"
#include "conditions/answer_age.h"
#include "conditions/derived.h"
#include "conditions/fetch.h"
#include "conditions/htmlp.h"
#include "locations/chooser_logic.h"
#include "net/HttpClient.h"
#include "net/failure_text.h"
#include "net/request_profile.h"

namespace sky {

namespace {

// Refused at the local gateway's address: the gateway is not running, and the
// user is told how to start it.
constexpr const char* kGatewayDownStatus = "Weather gateway not running";
constexpr const char* kGatewayDownMessage =
    "Connection Failed\n\nThe weather gateway (skyglass-gateway) is not running. Start it with:\n"
    "systemctl --user start skyglass-gateway";

bool GatewayRefused(const THttpClient& c) {
  return c.Proxy == hosts::kGatewayHost && c.ProxyPort == hosts::kGatewayPort &&
         c.LastFailure() == THttpClient::TFailure::ConnectFailed;
}

bool GatewayRefused(const FetchResult& r) {
  return r.proxy == hosts::kGatewayHost && r.proxyPort == hosts::kGatewayPort &&
         r.failure == TSockClient::TFailure::ConnectFailed;
}

constexpr ValueLabel kValueLabels[] = {ValueLabel::Sky,     ValueLabel::Temp,      ValueLabel::Humid,
                                       ValueLabel::Press,   ValueLabel::Wind,      ValueLabel::Visible,
                                       ValueLabel::Sunrise, ValueLabel::Sunset,    ValueLabel::MoonRise,
                                       ValueLabel::MoonSet, ValueLabel::WindChill, ValueLabel::HeatIndex};

const char* CommandWord(CmdType cmd) {
  switch (cmd) {
    case CmdType::CmdGet: return "Get";
    case CmdType::CmdOptions: return "Options";
    case CmdType::CmdHead: return "Head";
    case CmdType::CmdPost: return "Post";
    case CmdType::CmdPut: return "Put";
    case CmdType::CmdPatch: return "Patch";
    case CmdType::CmdCopy: return "Copy";
    case CmdType::CmdMove: return "Move";
    case CmdType::CmdDelete: return "Delete";
    case CmdType::CmdLink: return "Link";
    case CmdType::CmdUnLink: return "UnLink";
    case CmdType::CmdTrace: return "Trace";
    case CmdType::CmdWrapped: return "Wrapped";
  }
  return "";
}

// The chooser's place in words: "Austin, TX", "Cairo, Egypt", "78701".
std::string ChosenPlaceText(const CurrentLocation& loc) {
  if (!loc.Zip.empty()) return loc.Zip;
  std::string city = loc.City, region = loc.Region;
  for (char& c : city)
    if (c == '_') c = ' ';
  if (const std::size_t marker = region.find(kForeignMarker); marker != std::string::npos) region.erase(marker);
  return region.empty() ? city : city + ", " + region;
}

// The client's status texts in the status line's words: its step names
// ("Sending Buffer") mean nothing to a reader.
std::string StatusWords(const std::string& status) {
  static constexpr struct {
    const char* step;
    const char* words;
  } kSteps[] = {
      {"Sending Buffer", "Sending data..."},
      {"Request Close Socket", "Closing connection..."},
      {"Transaction Completed", "Transfer complete..."},
  };
  for (const auto& s : kSteps)
    if (status == s.step) return s.words;
  // The reply line: "HTTP/1.0 200 OK" reads "Server answered 200 OK".
  if (status.rfind("HTTP/", 0) == 0 && status.find(' ') != std::string::npos)
    return "Server answered " + Trim(status.substr(status.find(' ') + 1));
  return "Status = " + status;
}

}  // namespace

MainLogic::MainLogic(THttpClient& client, MainPorts ports)
    : client_(&client),
      requests_(client),
      ports_(ports),
      presets_(ports.messages, ports.presetMenu, [this] { Repaint(); }) {
  BindEvents();
}

MainLogic::MainLogic(MainPorts ports)
    : ownClient_(std::make_unique<THttpClient>()),
      client_(ownClient_.get()),
      requests_(*client_),
      ports_(ports),
      presets_(ports.messages, ports.presetMenu, [this] { Repaint(); }) {
  BindEvents();
}

MainLogic::~MainLogic() {
  // The client may outlive this object: leave no handler pointing here.
  THttpClient& c = *client_;
  c.OnAboutToSend = nullptr;
  c.OnHostResolved = nullptr;
  c.OnConnect = nullptr;
  c.OnDisconnect = nullptr;
  c.OnInvalidHost = nullptr;
  c.OnConnectionFailed = nullptr;
  c.OnRedirect = nullptr;
  c.OnAuthenticationNeeded = nullptr;
  c.OnPacketSent = nullptr;
  c.OnStatus = nullptr;
  c.OnPacketRecvd = nullptr;
  c.OnSuccess = nullptr;
  c.OnFailure = nullptr;
}

void MainLogic::BindEvents() {
  THttpClient& c = *client_;
  c.OnAboutToSend = [this](TSockClient*) { HttpClient1AboutToSend(); };
  c.OnHostResolved = [this](TSockClient*) { HttpClient1HostResolved(); };
  c.OnConnect = [this](TSockClient*) { HttpClient1Connect(); };
  c.OnDisconnect = [this](TSockClient*) { HttpClient1Disconnect(); };
  c.OnInvalidHost = [this](bool& handled) { HttpClient1InvalidHost(handled); };
  c.OnConnectionFailed = [this](TSockClient*) { HttpClient1ConnectionFailed(); };
  c.OnRedirect = [this](bool& handled) { HttpClient1Redirect(handled); };
  c.OnAuthenticationNeeded = [this](TSockClient*) { HttpClient1AuthenticationNeeded(); };
  c.OnPacketSent = [this](TSockClient*) { HttpClient1PacketSent(); };
  c.OnStatus = [this](TSockClient*, const std::string& s) { HttpClient1Status(s); };
  c.OnPacketRecvd = [this](TSockClient*) { HttpClient1PacketRecvd(); };
  c.OnSuccess = [this](CmdType cmd) { HttpClient1Success(cmd); };
  c.OnFailure = [this](CmdType cmd) { HttpClient1Failure(cmd); };
}

// ---------------------------------------------------------------- ports

IMessagePort& MainLogic::Messages() { return ports_.messages ? *ports_.messages : NullMessagePort(); }

void MainLogic::SetStatus(const std::string& text) {
  if (ports_.status) ports_.status->SetStatus(text);
}

void MainLogic::RoutedStatus(const std::string& text) {
  if (!state_.RetrievalKind.empty()) {
    if (ports_.forecastStatus) ports_.forecastStatus->SetStatus(text);
    return;
  }
  SetStatus(text);
}

void MainLogic::Repaint() {
  if (ports_.window) ports_.window->Repaint();
}

void MainLogic::SetLabel(ValueLabel label, const std::string& text) {
  if (ports_.window) ports_.window->SetLabel(label, text);
}

std::string MainLogic::Label(ValueLabel label) const {
  return ports_.window ? ports_.window->Label(label) : std::string();
}

std::string MainLogic::Shown(ValueLabel label, const std::string& pageText) const {
  if (!units_) return pageText;
  switch (label) {
    case ValueLabel::Temp:
    case ValueLabel::HeatIndex:
    case ValueLabel::WindChill: return ShowTemperature(pageText, *units_);
    case ValueLabel::Press: return ShowPressure(pageText, *units_);
    case ValueLabel::Wind: return ShowWind(pageText, *units_);
    case ValueLabel::Visible: return ShowVisibility(pageText, *units_);
    default: return pageText;
  }
}

void MainLogic::ShowValue(ValueLabel label, const std::string& pageText) {
  const auto i = static_cast<std::size_t>(label);
  pageTexts_[i] = pageText;
  shownByUs_[i] = true;
  SetLabel(label, Shown(label, pageText));
}

std::string MainLogic::Source(ValueLabel label) const {
  const auto i = static_cast<std::size_t>(label);
  return units_ && shownByUs_[i] ? pageTexts_[i] : Label(label);
}

void MainLogic::ShowTrayTip() {
  if (!ports_.tray || !trayTip_) return;
  // The parser's tip is sky "&&" temperature; only the temperature converts.
  std::string tip = units_ ? trayTip_->first + " && " + ShowTemperature(trayTip_->second, *units_) : pageTrayTip_;
  if (ageNotice_) tip += " (" + *ageNotice_ + ")";
  ports_.tray->SetHint(tip);
}

void MainLogic::SetUnits(UnitSystem units) {
  units_ = units;
  for (int i = 0; i < kValueLabelCount; ++i) {
    if (shownByUs_[static_cast<std::size_t>(i)]) {
      const auto label = static_cast<ValueLabel>(i);
      SetLabel(label, Shown(label, pageTexts_[static_cast<std::size_t>(i)]));
    }
  }
  if (trayTip_ && ports_.tray) {
    ShowTrayTip();
    ports_.tray->SetActive(true);
  }
}

// ---------------------------------------------------------------- fetch

bool MainLogic::FetchPreStep() {
  if (!CountRequestOnce()) return false;
  profiles::kAfterPreStep.Apply(*client_);
  return true;
}

bool MainLogic::CountRequestOnce() {
  if (state_.CountRequested == "Y") return true;
  state_.CountRequested = "Y";
  const FetchResult count =
      requests_.Fetch(profiles::kCountFile, std::string(hosts::kMakerUrl) + "/assets/SkyglassCount.txt");
  // The count is the maker's business, not the user's: an unreachable
  // maker's server must not cost the user the conditions. Only an abort
  // the user asked for ends the fetch.
  return count.Answered() || !abortRequested_;
}

FetchResult MainLogic::FetchPage(const RequestProfile& profile, const std::string& url) {
  FetchResult page = requests_.Fetch(profile, url);
  if (page.Answered()) {
    SetStatus(kConnectionComplete);
    Repaint();
  }
  return page;
}

FetchOutcome MainLogic::RequestEnded(const FetchResult& request) {
  // The abort's own text stays; any other failure names itself. An abort
  // the user asked for is no error: the status line says it was aborted.
  const bool gatewayDown = GatewayRefused(request);
  if (!abortRequested_) SetStatus(gatewayDown ? kGatewayDownStatus : request.error);
  if (!abortRequested_ && !request.abortedByUser)
    Messages().ShowError(gatewayDown ? kGatewayDownMessage : RequestFailureText(request));
  return FetchOutcome::Error;
}

FetchOutcome MainLogic::Get_the_Stats() {
  abortRequested_ = false;
  try {
    if (!FetchPreStep()) return FetchOutcome::Error;
    if (state_.RemoveMode == "y") {
      RebuildPresets();
      state_.RemoveMode.clear();
      return FetchOutcome::Removed;
    }
    CurrentLocation& loc = state_.Location;
    ReadRequest(state_.RequestText, loc);

    std::optional<std::string> path = ConditionsPath(loc, Messages());
    if (!path) return FetchOutcome::Stopped;
    state_.ConditionsPath = *path;

    const FetchResult page = FetchPage(profiles::kConditions, hosts::kWeatherUndergroundUrl + *path);
    if (!page.Answered()) return RequestEnded(page);

    FetchOutcome outcome = FetchOutcome::Failed;
    std::optional<std::string> ageNotice;
    if (page.ok) {
      state_.ShownPath = *path;
      ParseAndShow(page.body);
      ageNotice = ShowAnswerAge(page.header);
      ComputeHeatIndex();
      ComputeWindChill();
      outcome = FetchOutcome::Shown;
    } else {
      SetStatus(kRetrieveError);
    }
    state_.RequestText.clear();

    SetStatus("Processing moon phase image...");
    if (ports_.moon) ports_.moon->UpdateMoonPhase();
    // A failure stays readable until the next fetch: the thanks over it
    // would report it as a success within milliseconds.
    // Old conditions say so where the thanks would stand.
    SetStatus(outcome == FetchOutcome::Shown ? ageNotice.value_or(kThankYou) : kRetrieveError);
    return outcome;
  } catch (const std::exception& e) {
    // The abort's own text stays; any other failure names itself. An abort
    // the user asked for is no error: the status line says it was aborted.
    const bool gatewayDown = GatewayRefused(*client_);
    if (!abortRequested_) SetStatus(gatewayDown ? kGatewayDownStatus : e.what());
    if (!abortRequested_ && !client_->AbortedByUser())
      Messages().ShowError(gatewayDown ? kGatewayDownMessage : RequestFailureText(*client_, e.what()));
    return FetchOutcome::Error;
  }
}

void MainLogic::ChooserFetch(const std::string& path) {
  CurrentLocation& loc = state_.Location;
  try {
    Repaint();
    SetStatus("Attempting connection...");
    const FetchResult page = FetchPage(profiles::kChosenPlace, hosts::kWeatherUndergroundUrl + path);
    if (!page.Answered()) {
      if (!page.abortedByUser)
        Messages().ShowError(GatewayRefused(page) ? kGatewayDownMessage : RequestFailureText(page));
      return;
    }
    // The place asked for here is the chooser's own, not a preset's: a
    // request text left behind (by a removal click or a stopped fetch)
    // would name another place in the caption and in the timed refresh.
    state_.RequestText.clear();

    if ((loc.Region.empty() || loc.City.empty()) && loc.Zip.empty()) {
      Messages().ShowMessage(MissingDataMessage(loc));
    } else {
      const bool failed = !page.ok;
      std::optional<std::string> ageNotice;
      if (failed) {
        Messages().ShowMessage(ChooserRetrieveMessage(ChosenPlaceText(loc), page.status));
      } else {
        state_.ShownPath = path;
        ParseAndShow(page.body);
        ageNotice = ShowAnswerAge(page.header);
      }
      Repaint();
      ComputeHeatIndex();
      ComputeWindChill();
      SetStatus("Processing moon phase image...");
      if (ports_.moon) ports_.moon->UpdateMoonPhase();
      // As after a fetch from the menu, a failure stays on the status line.
      SetStatus(failed ? kRetrieveError : ageNotice.value_or(""));
      Repaint();
    }
    FetchPreStep();
  } catch (const std::exception& e) {
    if (client_->AbortedByUser()) return;
    Messages().ShowError(GatewayRefused(*client_) ? kGatewayDownMessage : RequestFailureText(*client_, e.what()));
  }
}

void MainLogic::ParseAndShow(const std::string& page) {
  SetStatus("...parsing data...");
  Repaint();
  for (ValueLabel l : kValueLabels) ShowValue(l, "");

  ParsedConditionsPage parsed = ParseConditionsPage(page, Messages());
  const ConditionsRecord& r = parsed.Record;
  ShowValue(ValueLabel::Sky, r.Sky);
  ShowValue(ValueLabel::Temp, r.Temperature);
  ShowValue(ValueLabel::Humid, r.Humidity);
  ShowValue(ValueLabel::Press, r.Pressure);
  ShowValue(ValueLabel::Wind, r.Wind);
  ShowValue(ValueLabel::Visible, r.Visibility);
  ShowValue(ValueLabel::Sunrise, r.Sunrise);
  ShowValue(ValueLabel::Sunset, r.Sunset);
  ShowValue(ValueLabel::MoonRise, r.MoonRise);
  ShowValue(ValueLabel::MoonSet, r.MoonSet);
  ShowValue(ValueLabel::HeatIndex, r.HeatIndex);
  if (r.ObservedAt) SetLabel(ValueLabel::Conditions, "Conditions at " + *r.ObservedAt);
  if (parsed.PageLocationName) state_.LocationTitle = *parsed.PageLocationName;

  trayTip_.reset();
  ageNotice_.reset();
  if (r.TrayTip && r.SkyIcon && ports_.tray) {
    trayTip_.emplace(r.Sky, r.Temperature);
    pageTrayTip_ = *r.TrayTip;
    ShowTrayTip();
    ports_.tray->SetActive(true);
    ports_.tray->SetIconIndex(*r.SkyIcon);
    ports_.tray->SetActive(true);
  }

  SetStatus(kThankYou);
  // The preset is named from this page's title only, never an earlier page's.
  presets_.AddPreset(state_.SilentFlag == "y", state_.Location, parsed.PageLocationName.value_or(std::string()));
  if (ports_.window) {
    if (state_.RequestText.size() >= 2) ports_.window->SetCaption(kCaptionPrefix + state_.RequestText);
    else ports_.window->SetCaption(kCaptionPrefix + state_.Location.LocationName);
  }
}

std::optional<std::string> MainLogic::ShowAnswerAge(const std::string& replyHeader) {
  std::optional<std::string> notice = AgeNotice(ReadAnswerAge(replyHeader));
  if (notice && trayTip_ && ports_.tray) {
    ageNotice_ = notice;
    ShowTrayTip();
  }
  return notice;
}

// The formulas work in degrees F and mph: they read the page's texts, and
// their result is shown in the person's units.
void MainLogic::ComputeHeatIndex() {
  ShowValue(ValueLabel::HeatIndex, ::sky::ComputeHeatIndex(Source(ValueLabel::Temp), Source(ValueLabel::Humid),
                                                           Source(ValueLabel::HeatIndex)));
}

void MainLogic::ComputeWindChill() {
  ShowValue(ValueLabel::WindChill, ::sky::ComputeWindChill(Source(ValueLabel::Temp), Source(ValueLabel::Wind)));
}

void MainLogic::mnuAbortconnectionClick() {
  abortRequested_ = true;
  requests_.Abort();
  SetStatus("Connection Aborted...");
  Repaint();
  if (abortPause) abortPause(kAbortPauseMs);
}

// ---------------------------------------------------------------- showing

void MainLogic::Guarded(const std::function<void()>& step) {
  try {
    step();
  } catch (const std::exception& e) {
    Messages().ShowError(e.what());
  }
}

void MainLogic::FormShowSteps(const settings::Reader& read) {
  static constexpr struct {
    const char* name;
    ColorRow row;
  } kColorSettings[] = {
      {settings::kLabelColor, ColorRow::CaptionBackground},
      {settings::kLabelFontColor, ColorRow::CaptionText},
      {settings::kStatsFontColor, ColorRow::ValueText},
  };
  Guarded([&] {
    for (const auto& c : kColorSettings) {
      const std::string text = read(c.name);
      if (text != kNA && ports_.window) ports_.window->ApplyColorSetting(c.row, text);
    }
    Repaint();
  });
  Guarded([&] {
    LoadPresetMenu();
    Repaint();
  });
  Guarded([&] {
    if (ports_.moon) ports_.moon->UpdateMoonPhase();
    Repaint();
  });
  // A port that is no number shows the conversion error; the host stays.
  Guarded([&] { requests_.UseProxySettings(read); });
}

// ---------------------------------------------------------------- presets

FetchOutcome MainLogic::PresetItemClick(const std::string& caption) {
  state_.RequestText = caption;
  return Get_the_Stats();
}

void MainLogic::mnuRemoveaspecificlocation1Click() {
  if (presets_.ConfirmRemove()) state_.RemoveMode = "y";
}

void MainLogic::mnuSortlocations1Click() {
  state_.RemoveMode.clear();
  RebuildPresets();
}

void MainLogic::RebuildPresets() { presets_.RebuildPresets(state_.RemoveMode == "y", state_.RequestText); }

// ---------------------------------------------------------------- events

void MainLogic::HttpClient1AboutToSend() { RoutedStatus("Sending request..."); }
void MainLogic::HttpClient1HostResolved() { RoutedStatus("Host resolved..."); }
void MainLogic::HttpClient1Connect() { RoutedStatus("Connected..."); }
void MainLogic::HttpClient1Disconnect() { RoutedStatus("Disconnected..."); }
void MainLogic::HttpClient1InvalidHost(bool&) { RoutedStatus("Invalid host..."); }
void MainLogic::HttpClient1ConnectionFailed() {
  if (client_->Proxy == hosts::kGatewayHost && client_->ProxyPort == hosts::kGatewayPort) {
    RoutedStatus(kGatewayDownStatus);
    return;
  }
  RoutedStatus("Connection Failed...");
}
void MainLogic::HttpClient1Redirect(bool&) { RoutedStatus("Redirected..."); }
void MainLogic::HttpClient1AuthenticationNeeded() { RoutedStatus("Authentication needed..."); }
void MainLogic::HttpClient1PacketSent() { SetStatus("Packet sent..."); }

void MainLogic::HttpClient1Status(const std::string& status) {
  RoutedStatus(StatusWords(status));
  if (client_->StatusCode() == 404) SetStatus("Object Not Found");
}

void MainLogic::HttpClient1PacketRecvd() {
  const THttpClient& c = *client_;
  if (c.TotalBytes() > 0)
    RoutedStatus(std::to_string(c.ReceivedBytes()) + " of " + std::to_string(c.TotalBytes()) + " bytes retrieved");
  else RoutedStatus(std::to_string(c.ReceivedBytes()) + " bytes retrieved...");
}

void MainLogic::HttpClient1Success(CmdType cmd) { RoutedStatus(SuccessText(cmd)); }

void MainLogic::HttpClient1Failure(CmdType cmd) { SetStatus(FailureText(cmd)); }

std::string MainLogic::SuccessText(CmdType cmd) { return std::string(CommandWord(cmd)) + " Succeeded"; }

std::string MainLogic::FailureText(CmdType cmd) { return std::string(CommandWord(cmd)) + " Failed"; }

}  // namespace sky
