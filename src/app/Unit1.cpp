#include "app/Unit1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QVariant>
#include <cstdio>
#include <exception>

#include "app/app_info.h"
#include "common/convert.h"
#include "controls/plain_text.h"
#include "common/text.h"
#include "controls/OnTray.h"
#include "controls/app_icon.h"
#include "controls/bar_style.h"
#include "controls/ui_font.h"
#include "settings/colors.h"

namespace sky::ui {

namespace {

// Design colours and stored colour settings go through one conversion.
QColor ToQColor(TColor color) {
  const Rgb rgb = ColorToRgb(color);
  return QColor(rgb.r, rgb.g, rgb.b);
}

const QColor kTeal = ToQColor(clTeal);
const QColor kLime = ToQColor(clLime);
const QColor kYellow = ToQColor(clYellow);
const QColor kGreen = ToQColor(clGreen);
const QColor kWindowText = ToQColor(clWindowText);

QString L1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
std::string ToL1(const QString& s) { return s.toLatin1().toStdString(); }

QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption, QRect r, const QColor& bg, const QColor& fg,
                  int pixels, Qt::Alignment align, bool bold = false) {
  auto* l = new QLabel(QString::fromLatin1(caption), parent);
  l->setTextFormat(Qt::PlainText);  // the values come from a server
  l->setObjectName(name);
  l->setGeometry(r);
  l->setAutoFillBackground(true);
  QPalette p = l->palette();
  p.setColor(QPalette::Window, bg);
  p.setColor(QPalette::WindowText, fg);
  l->setPalette(p);
  l->setFont(SansFont(pixels, bold));
  l->setAlignment(align | Qt::AlignTop);
  l->setWordWrap(false);
  l->setMargin(0);
  l->setIndent(0);
  return l;
}

struct CaptionRow {
  const char* name;
  const char* caption;
  QRect rect;
  bool centred;
};
const CaptionRow kCaptions[13] = {
    {"lblSky1", "Sky Conditions:", {8, 32, 97, 17}, false},
    {"lblTemperature", "Temperature:", {8, 52, 97, 17}, false},
    {"lblHumidity", "Humidity:", {8, 72, 65, 17}, false},
    {"lblPressure", "Pressure:", {8, 92, 65, 17}, false},
    {"lblWind", "Wind:", {8, 112, 65, 17}, false},
    {"lblVisible", "Visibility:", {8, 132, 65, 17}, false},
    {"lblSunrise", "Sunrise:", {8, 160, 65, 17}, false},
    {"lblSunset", "Sunset:", {8, 180, 65, 17}, false},
    {"lblMoonrise", "Moonrise:", {8, 200, 65, 17}, false},
    {"lblMoonset", "Moonset:", {8, 220, 65, 17}, false},
    {"lblWindChill1", "Wind Chill:", {224, 72, 81, 17}, true},
    {"lblHeatIndex1", "Heat Index:", {224, 112, 81, 17}, true},
    {"lblMoonPhase", "Moon Phase:", {224, 152, 81, 17}, true},
};

struct ValueRow {
  const char* name;
  QRect rect;
  int pixels;
  bool centred;
  const char* text;
};
// In the order of ValueLabel.
// clang-format off
const ValueRow kValues[12] = {
    {"lblsky2", {112, 32, 185, 17}, 13, false, ""},
    {"lblTemp2", {112, 52, 185, 17}, 13, false, ""},
    {"lblHumid2", {80, 72, 121, 17}, 12, false, ""},
    {"lblPress2", {80, 92, 125, 17}, 12, false, ""},
    {"lblWind2", {80, 112, 125, 17}, 12, false, ""},
    {"lblVisible2", {80, 132, 125, 17}, 12, false, ""},
    {"lblSunrise2", {80, 160, 97, 17}, 12, false, ""},
    {"lblSunset2", {80, 180, 97, 17}, 12, false, ""},
    {"lblMoonRise2", {80, 200, 97, 17}, 12, false, ""},
    {"lblMoonSet2", {80, 220, 97, 17}, 12, false, ""},
    {"lblWindChill2", {224, 92, 81, 17}, 13, true, "n/a"},
    {"lblHeatIndex2", {224, 132, 81, 17}, 13, true, "n/a"},
};
// clang-format on

}  // namespace

TForm1::TForm1(RefreshIntervals intervals, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      intervals_(intervals) {
  // FormCreate
  setObjectName("Form1");
  setWindowTitle(app::kTitle);
  setFont(SansFont(11));
  setWindowIcon(AppIcon());
  BuildClientArea();
  BuildMenus();
  // Fixed border: the window is exactly the menu plus the 322-pixel-wide part
  // of the 481 x 304 client area.
  layout()->setSizeConstraint(QLayout::SetFixedSize);

  tray = new TOnTray(this);
  tray->SetHint(app::kTitle);
  tray->SetIcon(AppIcon());
  tray->LeftPopup = pmnLeft;
  tray->RightPopup = pmnRight;
  tray->SetAppVisible(true);
  tray->SetActive(true);

  RefreshHooks rh;
  rh.readSetting = [this](const std::string& n) { return hooks.readSetting ? hooks.readSetting(n) : std::string(kNA); };
  rh.caption = [this] { return Caption(); };
  rh.busy = [this] { return gate_.Busy(); };
  rh.setRequest = [this](const std::string& r) {
    if (hooks.setRequestText) hooks.setRequestText(r);
  };
  rh.setSilent = [this](bool on) {
    if (hooks.setSilent) hooks.setSilent(on);
  };
  rh.getTheStats = [this] { return CallGetTheStats(); };
  rh.wallpaper = [this] {
    if (hooks.wallpaper) RunRequest(hooks.wallpaper);
  };
  cycle_ = std::make_unique<RefreshCycle>(std::move(rh), intervals_);

  timer_startup = new QTimer(this);
  timer_startup->setObjectName("timer_startup");
  timer_startup->setSingleShot(false);
  timer_startup->setInterval(intervals_.startupMs);
  connect(timer_startup, &QTimer::timeout, this, &TForm1::timer_startupTimer);
  timer_startup->start();

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(intervals_.pollMs);
  connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
  Timer1->start();
}

TForm1::~TForm1() = default;

void TForm1::BuildClientArea() {
  client = new QWidget(this);
  client->setObjectName("client");
  client->setFixedSize(322, 304);
  client->setAutoFillBackground(true);
  QPalette pal = client->palette();
  pal.setColor(QPalette::Window, Qt::black);
  client->setPalette(pal);
  setCentralWidget(client);
  client->installEventFilter(this);

  lblConditions = MakeLabel(client, "lblConditions", "", {0, 0, 321, 18}, kTeal, kYellow, 13, Qt::AlignHCenter, true);
  for (int i = 0; i < 13; ++i) {
    const CaptionRow& c = kCaptions[i];
    captionLabels[i] = MakeLabel(client, c.name, c.caption, c.rect, kTeal, kWindowText, 13,
                                 c.centred ? Qt::AlignHCenter : Qt::AlignLeft);
  }
  for (int i = 0; i < 12; ++i) {
    const ValueRow& v = kValues[i];
    valueLabels[i] = MakeLabel(client, v.name, v.text, v.rect, Qt::black, kLime, v.pixels,
                               v.centred ? Qt::AlignHCenter : Qt::AlignLeft);
  }

  Label1 = MakeLabel(client, "Label1", "Conditions provided by Weather Underground.", {11, 268, 294, 13}, Qt::black,
                     kGreen, 7, Qt::AlignLeft);

  Button1 = new QPushButton("&Minimize", client);
  Button1->setObjectName("Button1");
  Button1->setGeometry(232, 245, 73, 23);
  Button1->setCursor(Qt::PointingHandCursor);
  Button1->setFont(SansFont(11));
  connect(Button1, &QPushButton::clicked, this, [this] { tray->SetAppVisible(false); });

  // The status bar lies inside the client area, along its bottom edge.
  StatusBar1 = new QStatusBar(client);
  StatusBar1->setObjectName("StatusBar1");
  StatusBar1->setSizeGripEnabled(false);
  StatusBar1->setGeometry(0, 304 - 19, 322, 19);
  StatusBar1->setAutoFillBackground(true);
  QPalette sp = StatusBar1->palette();
  sp.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
  sp.setColor(QPalette::WindowText, Qt::black);
  StatusBar1->setPalette(sp);
  StatusBar1->setContentsMargins(0, 0, 0, 0);
  DropPanelFrames(StatusBar1);
  auto panel = [&](int width, const char* text) {
    auto* l = new QLabel(QString::fromLatin1(text), StatusBar1);
    l->setTextFormat(Qt::PlainText);
    l->setFixedWidth(width);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setFont(SansFont(11));
    l->setPalette(sp);
    StatusBar1->addWidget(l, 0);
    return l;
  };
  statusPanel0 = panel(180, "Thank you for using Skyglass...");
  statusPanel0->setObjectName("statusPanel0");
  statusPanel1 = panel(70, "Corvantis");
  statusPanel1->setObjectName("statusPanel1");
}

void TForm1::RunRequest(const std::function<void()>& request) {
  FetchGate::Hold hold(gate_);
  if (!hold.Entered()) {
    SetStatus(kBusyText);
    return;
  }
  Guarded(request);
}

// --- ports -----------------------------------------------------------------

void TForm1::SetLabel(ValueLabel label, const std::string& text) {
  QLabel* l = label == ValueLabel::Conditions ? lblConditions : valueLabels[static_cast<int>(label)];
  l->setText(L1(text));
}

std::string TForm1::Label(ValueLabel label) const {
  const QLabel* l = label == ValueLabel::Conditions ? lblConditions : valueLabels[static_cast<int>(label)];
  return ToL1(l->text());
}

std::string TForm1::Caption() const { return ToL1(windowTitle()); }
void TForm1::SetCaption(const std::string& caption) { setWindowTitle(L1(caption)); }

void TForm1::Repaint() {
  if (isVisible()) repaint();
}

void TForm1::SetStatus(const std::string& text) {
  if (traceStatus) std::fprintf(stderr, "skyglass: status: %s\n", text.c_str());
  if (statusObserver) statusObserver(text);
  statusPanel0->setText(L1(text));
  if (statusPanel0->isVisible()) statusPanel0->repaint();
}

std::string TForm1::Status() const { return ToL1(statusPanel0->text()); }

void TForm1::SetHint(const std::string& hint) { tray->SetHint(hint); }

void TForm1::SetIconIndex(int index) {
  if (index < 0 || index >= IconList.size()) return;
  trayIconIndex_ = index;
  tray->SetIcon(QIcon(warningMark_ ? WithWarningMark(IconList[index]) : IconList[index]));
}

void TForm1::SetWarningMark(bool on) {
  if (on == warningMark_) return;
  warningMark_ = on;
  if (trayIconIndex_ >= 0) {
    SetIconIndex(trayIconIndex_);
    tray->SetActive(true);
  }
}

void TForm1::SetActive(bool active) { tray->SetActive(active); }

void TForm1::SetPresetItem(int slot, const std::string& caption, bool visible) {
  if (slot < 0 || slot >= kPresetSlots) return;
  // The caption is shown as stored: an "&" in a place name is no access key.
  QString text = L1(caption);
  text.replace("&", "&&");
  mnuViewStats[slot]->setText(text);
  mnuViewStats[slot]->setProperty(kMenuBaseText, QVariant());
  mnuViewStats[slot]->setData(L1(caption));
  mnuViewStats[slot]->setVisible(visible);
  if (mnuGetStats) AssignAccessKeys(mnuGetStats);
}

void TForm1::ShowMessage(const std::string& text) { ShowBox("message", text, nullptr); }

void TForm1::ShowError(const std::string& text) { ShowBox("error", text, nullptr); }

bool TForm1::Confirm(const std::string& text) { return ShowBox("confirm", text, nullptr); }

bool TForm1::ShowBox(const std::string& kind, const std::string& text, QWidget* over) {
  // The abort of a fetch cut short by closing the window is no news.
  if (closing_) return false;
  if (boxRecorder) {
    if (const std::optional<bool> answer = boxRecorder(kind, text)) return *answer;
  }
  if (!over) over = isVisible() ? this : nullptr;
  if (kind == "confirm")
    return PlainBox(over, QMessageBox::Question, app::kTitle, L1(text), QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
  PlainBox(over, kind == "error" ? QMessageBox::Critical : QMessageBox::Information, app::kTitle, L1(text));
  return true;
}

void TForm1::Beep() { QApplication::beep(); }

// --- commands ----------------------------------------------------------------

void TForm1::RunFetch(const std::function<void()>& fetch) {
  FetchGate::Hold hold(gate_);
  if (!hold.Entered()) {
    SetStatus(kBusyText);
    return;
  }
  ++fetchCount_;
  Guarded(fetch);
  if (!firstFetchDone_) {
    firstFetchDone_ = true;
    if (hooks.afterFirstFetch) hooks.afterFirstFetch();
    emit firstFetchDone();
  }
}

void TForm1::Guarded(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& e) {
    const std::string text = hooks.errorText ? hooks.errorText(e.what()) : std::string(e.what());
    if (!text.empty()) ShowError(text);
  }
}

bool TForm1::BindCommand(const char* objectName, std::function<void()> command) {
  QAction* a = findChild<QAction*>(QString::fromLatin1(objectName));
  if (!a) return false;
  a->disconnect(this);
  connect(a, &QAction::triggered, this, [this, command = std::move(command)] { Guarded(command); });
  return true;
}

namespace {
void ApplyColor(const std::string& text, QLabel* const* labels, int count, QPalette::ColorRole role) {
  const std::optional<TColor> c = TryStringToColor(text);
  if (!c) return;
  const QColor color = ToQColor(*c);
  for (int i = 0; i < count; ++i) {
    QPalette p = labels[i]->palette();
    p.setColor(role, color);
    labels[i]->setPalette(p);
  }
}
}  // namespace

void TForm1::ApplyColorSetting(ColorRow row, const std::string& colorText) {
  switch (row) {
    case ColorRow::CaptionBackground: set_label_colors(colorText); break;
    case ColorRow::CaptionText: set_label_font_colors(colorText); break;
    case ColorRow::ValueText: set_stats_font_color(colorText); break;
  }
}

void TForm1::set_label_colors(const std::string& colorText) {
  ApplyColor(colorText, captionLabels.data(), 13, QPalette::Window);
}
void TForm1::set_label_font_colors(const std::string& colorText) {
  ApplyColor(colorText, captionLabels.data(), 13, QPalette::WindowText);
}
void TForm1::set_stats_font_color(const std::string& colorText) {
  ApplyColor(colorText, valueLabels.data(), 12, QPalette::WindowText);
}

bool TForm1::CallGetTheStats() {
  bool ok = false;
  RunFetch([&] { ok = hooks.getTheStats ? hooks.getTheStats() : true; });
  return ok;
}

void TForm1::PresetClick(int slot) {
  // RequestText belongs to the fetch that runs; a click meanwhile is turned
  // away before it could change it.
  if (gate_.Busy()) {
    SetStatus(kBusyText);
    return;
  }
  if (hooks.setRequestText) hooks.setRequestText(ToL1(mnuViewStats[slot]->data().toString()));
  CallGetTheStats();
}

void TForm1::timer_startupTimer() {
  Guarded([this] { cycle_->StartupTick(); });
  if (!cycle_->StartupEnabled()) timer_startup->stop();
}

void TForm1::Timer1Timer() {
  Guarded([this] { cycle_->RefreshTick(); });
  if (Timer1->interval() != cycle_->RefreshInterval()) Timer1->setInterval(cycle_->RefreshInterval());
}

void TForm1::FormShow() {
  if (QScreen* s = screen()) {
    const QRect g = s->availableGeometry();
    move(g.x() + g.width() / 2 - frameGeometry().width() / 2, g.y() + g.height() / 2 - frameGeometry().height() / 2);
  }
  if (hooks.formShow) hooks.formShow();
}

void TForm1::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (!shownOnce_) {
    shownOnce_ = true;
    FormShow();
  }
}

void TForm1::paintEvent(QPaintEvent* e) {
  QMainWindow::paintEvent(e);
  if (hooks.firstPaint) hooks.firstPaint();
}

bool TForm1::eventFilter(QObject* watched, QEvent* e) {
  // The client area covers the window, so its paints are the window's.
  if (watched == client && e->type() == QEvent::Paint && hooks.firstPaint) hooks.firstPaint();
  return QMainWindow::eventFilter(watched, e);
}

void TForm1::minimize_logic() {
  // A minimised program is reached through the tray icon only; without a
  // tray it stays in the taskbar.
  if (TOnTray::TrayAvailable()) hide();
}

void TForm1::StepAside() {
  if (closing_) return;
  if (TOnTray::TrayAvailable()) hide();
  else showMinimized();
}

void TForm1::ComeBack() {
  if (closing_) return;
  if (isMinimized()) showNormal();
  else show();
  raise();
  activateWindow();
  tray->SetAppVisible(true);
}

void TForm1::changeEvent(QEvent* e) {
  QMainWindow::changeEvent(e);
  if (e->type() == QEvent::WindowStateChange && isMinimized()) minimize_logic();
}

void TForm1::closeEvent(QCloseEvent* e) {
  // FormClose: the icon leaves the tray with the window.
  closing_ = true;
  tray->SetActive(false);
  timer_startup->stop();
  Timer1->stop();
  if (hooks.abortConnection && gate_.Busy()) hooks.abortConnection();
  e->accept();
  QApplication::quit();
}

}  // namespace sky::ui
