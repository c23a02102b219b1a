// The main window's logic without the window: the program-wide texts of the
// current fetch, the conditions fetch with its status texts, the display of a
// parsed page, the derived values and the presets. The Qt main window owns one
// instance and implements the ports; tests and the terminal companion run
// their own instances with recorders, so several can live side by side.
#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <optional>
#include <utility>
#include <memory>
#include <string>

#include "app/main_ports.h"
#include "common/units.h"
#include "locations/Unit_location.h"
#include "locations/presets.h"
#include "net/request_service.h"
#include "settings/settings_names.h"

namespace sky {

class THttpClient;
struct RequestProfile;
enum CmdType : unsigned char;

// Texts of the main window shown by the fetch.
inline constexpr const char* kThankYou = "Thank you for using Skyglass...";
inline constexpr const char* kRetrieveError = "Error retrieving data...";
inline constexpr const char* kConnectionComplete = "Connection process complete...";
inline constexpr const char* kCaptionPrefix = "Skyglass - ";

// Everything program-wide that the main window keeps as plain texts.
struct MainState {
  std::string RequestText;     // the LocationName to fetch
  std::string SilentFlag;      // "y" during the start-up fetch and timed refreshes
  std::string RemoveMode;      // "y" after "Remove a specific location" was confirmed
  std::string CountRequested;  // "Y" once the count file was asked for in this run
  std::string RetrievalKind;   // the forecast window's; not empty: status texts go there
  CurrentLocation Location;
  std::string LocationTitle;  // location title of the last parsed page
  std::string ShownPath;      // conditions path of the page now shown (daily forecast, warnings)
  // The conditions address (after the server root) of the last place asked
  // for; "Local Radar" asks for the radar of that place.
  std::string ConditionsPath;
};

// How one call of Get_the_Stats ended.
enum class FetchOutcome {
  Removed,  // remove mode: the preset was removed, nothing fetched
  Stopped,  // the place could not be turned into an address; nothing requested
  Failed,   // the request ended without success ("Error retrieving data...")
  Shown,    // the page was parsed and shown
  Error,    // an exception ended the fetch (shown in the standard error box)
};

class MainLogic {
 public:
  // Uses `client` for every request and binds its events to the handlers
  // below (the handlers stay bound for the life of this object).
  MainLogic(THttpClient& client, MainPorts ports);
  // Owns a client of its own.
  explicit MainLogic(MainPorts ports);
  ~MainLogic();
  MainLogic(const MainLogic&) = delete;
  MainLogic& operator=(const MainLogic&) = delete;

  // The forecast window's status bar, once the window exists.
  void SetForecastStatus(IStatusPort* port) { ports_.forecastStatus = port; }
  MainState& State() { return state_; }
  const MainState& State() const { return state_; }
  THttpClient& HttpClient1() { return *client_; }
  // Every request of the program goes through this, on the client above.
  RequestService& Requests() { return requests_; }
  Presets& PresetList() { return presets_; }

  // ---- the request step every page fetch of the main window goes through:
  // the request with the profile of its kind, then, when an answer came,
  // "Connection process complete..." and a repaint.
  FetchResult FetchPage(const RequestProfile& profile, const std::string& url);

  // ---- the conditions fetch of RequestText
  FetchOutcome Get_the_Stats();
  // The first step of every fetch: the count file once per run, then the
  // client's time-out and report level. False when the user aborted the count
  // request (the fetch stops there, without a word).
  bool FetchPreStep();
  // Its first half, also run by the chooser when it closes: the count file,
  // asked for once per run. A failure of it is ignored (see the .cpp); false
  // only for an abort the user asked for.
  bool CountRequestOnce();
  // The fetch of the place the location chooser read into Location, at
  // `path` (ChooserAddress's, taken while the dialog could still show its
  // boxes and stay open): requests it, parses and shows the page (which also offers
  // the place as a preset), derives the values and updates the moon picture.
  // Errors are shown; nothing is thrown. Ends with the fetch pre-step (the
  // once-per-run count request).
  void ChooserFetch(const std::string& path);
  // Parse-and-show of one page (the labels, tray, preset and caption).
  void ParseAndShow(const std::string& page);
  // After a page is shown: how old its conditions are, from the reply header,
  // onto the tray tip. The text for the status line, or nothing when they
  // are fresh.
  std::optional<std::string> ShowAnswerAge(const std::string& replyHeader);
  // The derived values from the texts now in the labels.
  void ComputeHeatIndex();
  void ComputeWindChill();
  // "Abort GetStats connection": the abort, the status text, then a pause of
  // kAbortPauseMs (abortPause) that keeps the text readable and lets the
  // socket's close settle before the next command runs.
  void mnuAbortconnectionClick();
  static constexpr int kAbortPauseMs = 1500;
  // The pause; tests replace it.
  std::function<void(int ms)> abortPause = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };

  // ---- units: what the labels and the tray tip show. Unset (the default),
  // the page's own texts are shown as they are; set, every value shown so far
  // is shown again in the new units. The page texts themselves are kept.
  void SetUnits(UnitSystem units);
  std::optional<UnitSystem> Units() const { return units_; }
  // The page's own text behind a value label (what the label shows before
  // any conversion).
  const std::string& PageText(ValueLabel label) const { return pageTexts_[static_cast<int>(label)]; }

  // ---- the main window's first showing (after it has centred itself)
  // The colour settings onto the label rows, the presets into the menu, the
  // moon picture, and the proxy of the settings onto the client. A step that
  // fails shows its error in the standard error box; the next step still runs.
  void FormShowSteps(const settings::Reader& read);

  // ---- presets and the Get Stats menu
  void LoadPresetMenu() { presets_.LoadPresetMenu(); }
  // A preset item: its caption becomes RequestText, then the fetch.
  FetchOutcome PresetItemClick(const std::string& caption);
  void mnuClearlocationsClick() { presets_.ClearPresets(); }
  void mnuRemoveaspecificlocation1Click();
  void mnuSortlocations1Click();
  // Remove mode's step of the fetch and "Sort locations".
  void RebuildPresets();

  // ---- handlers of the client's events
  void HttpClient1AboutToSend();
  void HttpClient1HostResolved();
  void HttpClient1Connect();
  void HttpClient1Disconnect();
  void HttpClient1InvalidHost(bool& Handled);
  void HttpClient1ConnectionFailed();
  void HttpClient1Redirect(bool& Handled);
  void HttpClient1AuthenticationNeeded();
  void HttpClient1PacketSent();
  void HttpClient1Status(const std::string& status);
  void HttpClient1PacketRecvd();
  void HttpClient1Success(CmdType cmd);
  void HttpClient1Failure(CmdType cmd);

  // The texts of a command's outcome ("Get Succeeded" / "Get Failed").
  static std::string SuccessText(CmdType cmd);
  static std::string FailureText(CmdType cmd);

 private:
  void BindEvents();
  // A conditions request that ended on the way: the status line and the
  // error box say why (nothing for an abort the user asked for).
  FetchOutcome RequestEnded(const FetchResult& request);
  void SetStatus(const std::string& text);     // the main status line
  void RoutedStatus(const std::string& text);  // the forecast bar while a kind is set
  void Repaint();
  void SetLabel(ValueLabel label, const std::string& text);
  std::string Label(ValueLabel label) const;
  // A page text onto its label, in the units shown; kept for a change of units.
  void ShowValue(ValueLabel label, const std::string& pageText);
  // What a derived value computes from: the page text when units are set,
  // else the label as it stands.
  std::string Source(ValueLabel label) const;
  std::string Shown(ValueLabel label, const std::string& pageText) const;
  void ShowTrayTip();
  IMessagePort& Messages();
  // Runs one step; an exception it throws goes to the standard error box.
  void Guarded(const std::function<void()>& step);

  std::unique_ptr<THttpClient> ownClient_;
  THttpClient* client_;
  RequestService requests_;
  MainPorts ports_;
  MainState state_;
  Presets presets_;
  bool abortRequested_ = false;
  std::optional<UnitSystem> units_;
  std::array<std::string, kValueLabelCount> pageTexts_{};
  std::array<bool, kValueLabelCount> shownByUs_{};
  // The sky and temperature texts of the page shown last's tray tip, as the
  // page gave them, its whole tip, and how old its conditions are.
  std::optional<std::pair<std::string, std::string>> trayTip_;
  std::string pageTrayTip_;
  std::optional<std::string> ageNotice_;
};

}  // namespace sky
