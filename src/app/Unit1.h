// The main window: the conditions area, the status line, the menus, the tray
// icon and the two timers. It holds no logic of its own: the commands call
// hooks that the program start wires to the core (and tests to recorders),
// and the core writes back through the ports this window implements.
#pragma once

#include <QLabel>
#include <QList>
#include <QMainWindow>
#include <QPixmap>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/fetch_gate.h"
#include "app/main_ports.h"
#include "app/refresh_cycle.h"
#include "common/ports.h"
#include "controls/tray_pictures.h"
#include "images/served_pictures.h"

class QAction;
class QMenu;
class QPushButton;
class QStatusBar;

namespace sky {
struct ImageRow;
}

namespace sky::ui {

class TOnTray;
struct MenuRow;

// The property that keeps an item's text from before AssignAccessKeys gave
// it a key.
inline constexpr const char* kMenuBaseText = "skyglassBaseText";
// The access key of a menu caption (lower case), '\0' for none ("&&" is a
// shown "&", no key).
char AccessKeyOf(const std::string& caption);
// The caption with "&" before its first letter or digit not in `used`
// (which then holds it); unchanged when every one is taken.
std::string WithAccessKey(const std::string& caption, std::set<char>& used);
// Keys for several captions of one menu at once, none in `used` and no two
// alike, as many as their letters allow.
std::vector<std::string> WithAccessKeys(const std::vector<std::string>& captions, const std::set<char>& used);

// What the window's commands do; unset hooks do nothing.
struct MainHooks {
  // Settings "Settings" section, "n/a" when missing.
  std::function<std::string(const std::string& name)> readSetting;
  // The conditions fetch for `RequestText` as it stands; false when an error
  // ended it (already shown to the user).
  std::function<bool()> getTheStats;
  std::function<void(const std::string&)> setRequestText;
  std::function<void(bool)> setSilent;
  std::function<void()> abortConnection;
  std::function<void()> clearPresets;
  std::function<void()> removeSpecificLocation;
  std::function<void()> sortPresets;
  std::function<void()> chooseLocation;
  std::function<void()> wallpaper;
  // A picture command of the Images or Forecasts menu.
  std::function<void(const ImageRow&)> imageCommand;
  // "Images > Local Radar".
  std::function<void()> localRadar;
  // The steps of the first showing, once the window has centred itself.
  std::function<void()> formShow;
  // Runs when the first fetch of the run is over (successful or not).
  std::function<void()> afterFirstFetch;
  // The forecast and census commands: the retrieval kind ("n", "f", "h",
  // "p", "sw", "w", "s1", "s2", "ss", "si") for the forecast window.
  std::function<void(const std::string& kind)> showForecast;
  // "Forecast - &HTML Version".
  std::function<void()> forecastHtml;
  // "&7-Day Forecast".
  std::function<void()> dailyForecast;
  // The first paint: hides the please-wait window.
  std::function<void()> firstPaint;
  // The words of a command's error box (the failure text with where the
  // request went); the exception's text when unset. Empty: no box, as after
  // an abort the user asked for.
  std::function<std::string(const std::string& what)> errorText;
};

class TForm1 : public QMainWindow,
               public IMainWindowPort,
               public IStatusPort,
               public ITrayPort,
               public IPresetMenuPort,
               public IMessagePort {
  Q_OBJECT
 public:
  explicit TForm1(RefreshIntervals intervals = {}, QWidget* parent = nullptr);
  // The picture rows the weather gateway has no source for, and Local Radar
  // when it has none for the place: greyed, the reason as their status tip
  // and tooltip.
  void MarkServedPictures(const ServedPictures& served);
  ~TForm1() override;

  MainHooks hooks;
  FetchGate& Gate() { return gate_; }

  // IMainWindowPort
  void SetLabel(ValueLabel label, const std::string& text) override;
  std::string Label(ValueLabel label) const override;
  std::string Caption() const override;
  void SetCaption(const std::string& caption) override;
  void Repaint() override;
  void ApplyColorSetting(ColorRow row, const std::string& colorText) override;
  // IStatusPort: the status line (first panel).
  void SetStatus(const std::string& text) override;
  std::string Status() const;
  // ITrayPort
  void SetHint(const std::string& hint) override;
  void SetIconIndex(int index) override;
  void SetActive(bool active) override;
  void SetWarningMark(bool on) override;
  bool WarningMark() const { return warningMark_; }
  // IPresetMenuPort
  void SetPresetItem(int slot, const std::string& caption, bool visible) override;
  // IMessagePort: modal boxes captioned with the application title.
  void ShowMessage(const std::string& text) override;
  void ShowError(const std::string& text) override;
  bool Confirm(const std::string& text) override;
  void Beep() override;
  // A box ("message", "error" or "confirm") over `over`, or over this window
  // when it is null; another window's boxes (the chooser's) come this way so
  // that after OK that window is in front again. True for OK and Yes.
  bool ShowBox(const std::string& kind, const std::string& text, QWidget* over);

  // Conditions fetches started so far.
  int FetchCount() const { return fetchCount_; }
  // Runs one fetch through the gate: refused with a status text while
  // another runs; an error of the fetch goes to the standard error box.
  // Every request through the main window's client goes this way.
  void RunFetch(const std::function<void()>& fetch);
  // A preset item's command (RequestText := its caption, then the fetch).
  void PresetClick(int slot);
  // A request through the main window's client that is not a conditions
  // fetch (a picture): refused with the busy text while another runs.
  void RunRequest(const std::function<void()>& request);
  // A window of the program takes the stage (the viewer, the forecast
  // window): the main window goes down, with a tray straight into it. No
  // minimise on the way: the window manager's late answer to one could take
  // the window down again after it came back.
  void StepAside();
  // That window closed: the main window is shown, normal and in front, also
  // when it was sent to the tray meanwhile.
  void ComeBack();
  // A menu command: an error it throws goes to the standard error box.
  void Guarded(const std::function<void()>& command);
  // Gives the menu item named `objectName` its command (in place of any it
  // had), run through Guarded. False when there is no such item.
  bool BindCommand(const char* objectName, std::function<void()> command);
  // Gives every shown item of `menu` without an access key one that no
  // other item of the menu has.
  void AssignAccessKeys(QMenu* menu);

  // The colour apply steps: a colour text that converts is set on every
  // label of the row; one that does not changes nothing, silently.
  void set_label_colors(const std::string& colorText);
  void set_label_font_colors(const std::string& colorText);
  void set_stats_font_color(const std::string& colorText);

  // Components, named as the program names them.
  QWidget* client = nullptr;
  QLabel* lblConditions = nullptr;
  std::array<QLabel*, 13> captionLabels{};  // lblSky1 ... lblMoonPhase
  std::array<QLabel*, 12> valueLabels{};    // lblsky2 ... lblHeatIndex2
  QLabel* Label1 = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QLabel* statusPanel0 = nullptr;
  QLabel* statusPanel1 = nullptr;
  QPushButton* Button1 = nullptr;
  QMenu* mnuGetStats = nullptr;
  std::array<QAction*, kPresetSlots> mnuViewStats{};
  QAction* mnuAbortconnection = nullptr;
  QAction* mnuClearlocations = nullptr;
  QAction* mnuRemoveaspecificlocation1 = nullptr;
  QAction* mnuSortlocations1 = nullptr;
  QAction* mnuChooseLocation = nullptr;
  QAction* mnuMinimize = nullptr;
  QAction* mnuExit1 = nullptr;
  QMenu* pmnLeft = nullptr;
  QMenu* pmnRight = nullptr;
  QAction* pitshow = nullptr;
  QAction* pitshowLeft = nullptr;
  QAction* pithide = nullptr;
  QAction* pitExit = nullptr;
  TrayPictures IconList;
  TOnTray* tray = nullptr;
  QTimer* timer_startup = nullptr;
  QTimer* Timer1 = nullptr;
  RefreshCycle* Cycle() { return cycle_.get(); }
  int TrayIconIndex() const { return trayIconIndex_; }
  // Diagnostics: every status text also goes to stderr.
  bool traceStatus = false;
  // Sees every status text as it is set.
  std::function<void(const std::string&)> statusObserver;
  // Sees every box first ("message", "error", "confirm"). A value means the
  // box was answered without showing it (for "confirm": the answer).
  std::function<std::optional<bool>(const std::string& kind, const std::string& text)> boxRecorder;

 signals:
  void firstFetchDone();

 protected:
  void showEvent(QShowEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void changeEvent(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void BuildClientArea();
  void BuildMenus();
  void FormShow();
  void timer_startupTimer();
  void Timer1Timer();
  void minimize_logic();
  void AddImageCommands(QMenu* menu, const char* menuName);
  void ConnectMenuCommand(QAction* a, const MenuRow& row);
  bool CallGetTheStats();

  RefreshIntervals intervals_;
  std::unique_ptr<RefreshCycle> cycle_;
  FetchGate gate_;
  bool shownOnce_ = false;
  bool closing_ = false;
  bool firstFetchDone_ = false;
  int fetchCount_ = 0;
  int trayIconIndex_ = -1;
  bool warningMark_ = false;
};

}  // namespace sky::ui
