// The forecast window: the text of every forecast, warning and census
// retrieval, with the entry fields that some kinds wait on, a status bar,
// printing, its background colour and font size. Created hidden at start-up
// and kept for the whole run; the logic is the core's ForecastLogic.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "common/ports.h"
#include "controls/GradForm.h"
#include "forecast/forecast_logic.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPagedPaintDevice;
class QPushButton;
class QStatusBar;

namespace sky::ui {

struct ForecastHooks {
  // Runs a step that may fetch through the main window's one client; false
  // (and the busy text) when another request holds it. Errors of the step
  // go to the standard error box.
  std::function<bool(const std::function<void()>& step)> runFetch;
  // Ends the request that runs (closing the window in the middle of one).
  std::function<void()> abort;
  std::function<void()> minimizeMain;
  std::function<void()> restoreMain;
  // The help manual at its contents.
  std::function<void()> help;
  std::function<void(const std::string& text)> showError;
};

class TfrmForecast : public TGradientForm, public IForecastWindowPort, public IStatusPort {
  Q_OBJECT
 public:
  explicit TfrmForecast(QWidget* parent = nullptr);
  ~TfrmForecast() override;

  ForecastHooks hooks;
  // Set by the program start; the window does nothing without it.
  void SetLogic(ForecastLogic* logic) { logic_ = logic; }
  ForecastLogic* Logic() const { return logic_; }

  // A main-window command: the kind is stored, the window shown and, once
  // active, laid out for the kind (and the retrieval run where it runs at
  // once).
  void ShowKind(const std::string& kind);
  // Whether a retrieval of this window waits for its reply.
  bool Retrieving() const { return retrieving_; }

  // IForecastWindowPort
  void SetCaption(const std::string& caption) override;
  void Repaint() override;
  std::string Text() const override;
  void SetText(const std::string& text) override;
  void AppendText(const std::string& text) override;
  std::string FontName() const override { return fontName_; }
  void SetFontName(const std::string& name) override;
  void SetFontSize(int points) override;
  void SetTextColor(TColor color) override;
  void SetTextHeight(int height) override;
  void SetVisible(ForecastControl c, bool visible) override;
  bool IsVisible(ForecastControl c) const override;
  void SetTop(ForecastControl c, int top) override;
  int OuterHeight() const override { return height(); }
  std::string County() const override;
  std::string StateText() const override;
  void SetStateText(const std::string& text) override;
  void SetStateItems(const std::vector<std::string>& rows) override;
  std::string Zip() const override;
  void SetFontChecks(bool large, bool small) override;
  void MinimizeMain() override;
  void RestoreMain() override;
  // IStatusPort: the status bar.
  void SetStatus(const std::string& text) override;
  std::string Status() const;
  std::function<void(const std::string&)> statusObserver;

  // Writes the text area to `printer`: each line on its own printed line,
  // new pages as they fill, then the trailer. False when a line could not be
  // written (the trailer is still attempted).
  bool PrintTo(QPagedPaintDevice& printer);
  // The text area's lines as printed.
  QStringList Lines() const;

  // Components, named as the program names them.
  QPlainTextEdit* txtForecast = nullptr;
  QLabel* lblCounty = nullptr;
  QLineEdit* editCounty = nullptr;
  QLabel* lblState = nullptr;
  QComboBox* cboState = nullptr;
  QLabel* lblZip = nullptr;
  QLineEdit* txtZip = nullptr;
  QPushButton* btnGetit = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QAction* mnubgColor = nullptr;
  QAction* mnuLargefont = nullptr;
  QAction* mnuSmallfont = nullptr;
  QAction* mnuPrint = nullptr;
  QAction* mnuClose = nullptr;
  QAction* mnuHelp = nullptr;

  void btnGetitClick();
  void mnubgColorClick();
  void mnuPrintClick();
  void mnuHelpClick();

 protected:
  void showEvent(QShowEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void FollowSize();
  QWidget* Control(ForecastControl c) const;
  void RunActivation();
  void Fetching(const std::function<void()>& step);

  ForecastLogic* logic_ = nullptr;
  std::string fontName_ = kFormFontName;
  std::string built_;  // the text as the logic built it
  bool pendingActivation_ = false;
  bool retrieving_ = false;
  bool closing_ = false;
};

}  // namespace sky::ui
