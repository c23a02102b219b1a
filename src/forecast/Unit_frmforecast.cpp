#include "forecast/Unit_frmforecast.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <stdexcept>

#include "common/scoped_flag.h"
#include "forecast/forecast_text.h"
#include "controls/ColorDialog.h"
#include "controls/print_module.h"
#include "controls/ui_font.h"

namespace sky::ui {

namespace {

QString L1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
std::string ToL1(const QString& s) { return s.toLatin1().toStdString(); }

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, QRect r) {
  auto* l = new QLabel(QString::fromLatin1(text), parent);
  l->setTextFormat(Qt::PlainText);
  l->setObjectName(name);
  l->setGeometry(r);
  l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  QPalette p = l->palette();
  p.setColor(QPalette::WindowText, QColor(0xC0, 0xC0, 0xC0));
  l->setPalette(p);
  return l;
}

}  // namespace

TfrmForecast::TfrmForecast(QWidget* parent) : TGradientForm(parent) {
  setObjectName("frmForecast");
  // Long lines need room: the window sizes and maximises, and the text area
  // follows (FollowSize).
  SetBorderStyle(TBorderStyle::bsSizeable);
  SetBorderIcons({true, true, true, false});
  EscapeCloses = true;
  SetGradientStartColor(clBlue);
  SetGradientStopColor(clBlack);
  SetCaption("Skyglass - Forecast");
  setFont(SansFont(11));

  QWidget* c = ClientArea();
  c->setAutoFillBackground(true);
  QPalette pal = c->palette();
  pal.setColor(QPalette::Window, Qt::black);
  c->setPalette(pal);

  txtForecast = new QPlainTextEdit(c);
  txtForecast->setObjectName("txtForecast");
  txtForecast->setGeometry(0, 0, 488, 201);
  txtForecast->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtForecast->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txtForecast->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  SetFontName(kFormFontName);
  SetFontSize(8);
  SetTextColor(clWhite);

  lblCounty = MakeLabel(c, "lblCounty", "Enter a County name (optional):", {48, 216, 209, 17});
  editCounty = new QLineEdit(c);
  editCounty->setObjectName("editCounty");
  editCounty->setGeometry(264, 216, 153, 21);
  lblState = MakeLabel(c, "lblState", "Select a US state:", {56, 240, 209, 17});
  lblState->hide();
  cboState = new QComboBox(c);
  cboState->setObjectName("cboState");
  cboState->setEditable(true);
  cboState->setInsertPolicy(QComboBox::NoInsert);
  cboState->setGeometry(272, 240, 145, 21);
  cboState->hide();
  lblZip = MakeLabel(c, "lblZip", "Enter a US zip code:", {56, 264, 209, 17});
  lblZip->hide();
  txtZip = new QLineEdit(c);
  txtZip->setObjectName("txtZip");
  txtZip->setMaxLength(5);
  txtZip->setGeometry(272, 264, 73, 21);
  txtZip->hide();
  btnGetit = new QPushButton("&Get it", c);
  btnGetit->setObjectName("btnGetit");
  btnGetit->setGeometry(368, 256, 81, 25);
  btnGetit->setCursor(Qt::PointingHandCursor);
  connect(btnGetit, &QPushButton::clicked, this, &TfrmForecast::btnGetitClick);

  StatusBar1 = new QStatusBar(c);
  StatusBar1->setObjectName("StatusBar1");
  StatusBar1->setSizeGripEnabled(false);
  StatusBar1->setAutoFillBackground(true);
  QPalette sp = StatusBar1->palette();
  sp.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
  sp.setColor(QPalette::WindowText, Qt::black);
  StatusBar1->setPalette(sp);

  auto* bar = new QMenuBar(this);
  bar->setObjectName("MainMenu1");
  QMenu* options = bar->addMenu("&Options");
  mnubgColor = options->addAction("&Background Color...");
  mnubgColor->setObjectName("mnubgColor");
  QMenu* size = options->addMenu("&Font Size");
  mnuLargefont = size->addAction("&Large font");
  mnuLargefont->setObjectName("mnuLargefont");
  mnuLargefont->setCheckable(true);
  mnuSmallfont = size->addAction("&Small font");
  mnuSmallfont->setObjectName("mnuSmallfont");
  mnuSmallfont->setCheckable(true);
  mnuSmallfont->setChecked(true);
  mnuPrint = options->addAction("&Print");
  mnuPrint->setObjectName("mnuPrint");
  mnuClose = bar->addAction("&Close");
  mnuClose->setObjectName("mnuClose");
  mnuHelp = bar->addAction("&Help");
  mnuHelp->setObjectName("mnuHelp");
  for (QMenu* m : bar->findChildren<QMenu*>()) m->setFont(font());
  SetMenuBar(bar);
  connect(mnubgColor, &QAction::triggered, this, &TfrmForecast::mnubgColorClick);
  connect(mnuLargefont, &QAction::triggered, this, [this] {
    if (logic_) logic_->mnuLargefontClick();
  });
  connect(mnuSmallfont, &QAction::triggered, this, [this] {
    if (logic_) logic_->mnuSmallfontClick();
  });
  connect(mnuPrint, &QAction::triggered, this, &TfrmForecast::mnuPrintClick);
  connect(mnuClose, &QAction::triggered, this, &QWidget::close);
  connect(mnuHelp, &QAction::triggered, this, &TfrmForecast::mnuHelpClick);

  SetClientSize(486, 313);
  setMinimumSize(QWidget::size());
  StatusBar1->setGeometry(0, 313 - 19, 486, 19);
  c->installEventFilter(this);
}

TfrmForecast::~TfrmForecast() = default;

// ---------------------------------------------------------------- commands

void TfrmForecast::ShowKind(const std::string& kind) {
  if (!logic_) return;
  logic_->SetKind(kind);
  // The caption belongs to this command from the first frame on.
  SetCaption(logic_->KindCaption());
  pendingActivation_ = true;
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
  // Where no activation comes (a platform without a window manager's
  // focus), the step runs anyway once the window is up.
  QTimer::singleShot(0, this, [this] {
    if (pendingActivation_ && isVisible()) RunActivation();
  });
}

void TfrmForecast::Fetching(const std::function<void()>& step) {
  auto guarded = [this, &step] {
    ScopedFlag retrieving(retrieving_);
    try {
      step();
    } catch (...) {
      // The abort of a retrieval cut short by closing the window is no news.
      if (closing_) return;
      throw;
    }
  };
  if (hooks.runFetch) {
    hooks.runFetch(guarded);
    return;
  }
  try {
    guarded();
  } catch (const std::exception& e) {
    if (hooks.showError) hooks.showError(e.what());
  }
}

void TfrmForecast::RunActivation() {
  pendingActivation_ = false;
  if (!logic_) return;
  Fetching([this] { logic_->FormActivate(); });
  // A kind that waits for "&Get it" takes what is typed in its entry field,
  // not in the text area, and the status bar says what to enter.
  const std::pair<QWidget*, const char*> entries[] = {
      {editCounty, kEnterCountyText}, {cboState, kChooseStateText}, {txtZip, kEnterZipText}};
  for (const auto& [entry, prompt] : entries) {
    if (!entry->isHidden() && !btnGetit->isHidden()) {
      entry->setFocus(Qt::OtherFocusReason);
      SetStatus(prompt);
      break;
    }
  }
}

void TfrmForecast::btnGetitClick() {
  if (!logic_) return;
  Fetching([this] { logic_->btnGetitClick(); });
}

void TfrmForecast::mnubgColorClick() {
  if (!logic_) return;
  try {
    logic_->mnubgColorClick(TSharedColorDialog::Instance());
  } catch (const std::exception& e) {
    if (hooks.showError) hooks.showError(e.what());
  }
}

void TfrmForecast::mnuHelpClick() {
  if (hooks.help) hooks.help();
}

void TfrmForecast::mnuPrintClick() {
  QPagedPaintDevice* printer = nullptr;
  try {
    printer = PrintModule().runPrintDialog(this);
  } catch (const std::exception& e) {
    if (hooks.showError) hooks.showError(e.what());
    return;
  }
  if (!printer) return;
  if (!PrintTo(*printer) && hooks.showError) hooks.showError("Printing failed: the printer could not be opened.");
}

QStringList TfrmForecast::Lines() const {
  QStringList lines = txtForecast->toPlainText().split('\n');
  // An empty text area has no lines at all.
  if (lines.size() == 1 && lines[0].isEmpty()) lines.clear();
  return lines;
}

bool TfrmForecast::PrintTo(QPagedPaintDevice& printer) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  QFont f = txtForecast->font();
  painter.setFont(QFont(f, &printer));
  const QFontMetrics fm(painter.font());
  const int lineHeight = fm.lineSpacing();
  const QRect page = painter.viewport();
  int y = 0;
  // The printer as a text file: one written line, one printed line.
  auto writeLine = [&](const QString& line) {
    if (y + lineHeight > page.height()) {
      if (!printer.newPage()) throw std::runtime_error("new page failed");
      y = 0;
    }
    painter.drawText(QPoint(0, y + fm.ascent()), line);
    if (!painter.isActive()) throw std::runtime_error("write failed");
    y += lineHeight;
  };
  bool ok = true;
  try {
    for (const QString& line : Lines()) writeLine(line);
  } catch (const std::exception&) {
    ok = false;
  }
  try {
    writeLine(" ");
    writeLine("");
    writeLine(QString::fromLatin1(kPrintTrailer));
  } catch (const std::exception&) {
    ok = false;
  }
  painter.end();
  return ok;
}

// ---------------------------------------------------------------- events

void TfrmForecast::showEvent(QShowEvent* e) {
  TGradientForm::showEvent(e);
  if (QScreen* s = screen()) {
    const QRect g = s->geometry();
    move(g.x() + g.width() / 2 - width() / 2, g.y() + g.height() / 2 - height() / 2 - 20);
  }
  if (!logic_) return;
  try {
    logic_->FormShow();
  } catch (const std::exception& ex) {
    if (hooks.showError) hooks.showError(ex.what());
  }
  if (logic_) logic_->FormResize();
}

void TfrmForecast::resizeEvent(QResizeEvent* e) {
  TGradientForm::resizeEvent(e);
  FollowSize();
}

void TfrmForecast::FollowSize() {
  // The text area and the status bar span the client area's width; the
  // heights and the entries' places are the logic's, by the window height.
  const QSize c = ClientArea()->size();
  StatusBar1->setGeometry(0, c.height() - StatusBar1->height(), c.width(), StatusBar1->height());
  txtForecast->resize(c.width(), txtForecast->height());
  if (logic_) logic_->FormResize();
}

bool TfrmForecast::eventFilter(QObject* watched, QEvent* e) {
  if (watched == ClientArea() && e->type() == QEvent::Resize) FollowSize();
  return TGradientForm::eventFilter(watched, e);
}

bool TfrmForecast::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate && pendingActivation_) {
    // Laid out and fetched once per command: activating the window again
    // (after its own message box, or coming back from another program)
    // does not fetch again.
    QTimer::singleShot(0, this, [this] {
      if (pendingActivation_ && isVisible()) RunActivation();
    });
  }
  return TGradientForm::event(e);
}

void TfrmForecast::closeEvent(QCloseEvent* e) {
  if (retrieving_) {
    // Closing ends the retrieval: the request is aborted and its end is
    // no error for the user.
    closing_ = true;
    if (hooks.abort) hooks.abort();
  }
  pendingActivation_ = false;
  if (logic_) logic_->FormClose();
  e->accept();
  TGradientForm::closeEvent(e);
  closing_ = closing_ && retrieving_;
}

// ---------------------------------------------------------------- port

void TfrmForecast::SetCaption(const std::string& caption) { TGradientForm::SetCaption(L1(caption)); }

void TfrmForecast::Repaint() {
  if (isVisible()) repaint();
}

std::string TfrmForecast::Text() const {
  // What the user typed into the text area counts from then on.
  if (txtForecast->document()->isModified()) {
    std::string t = ToL1(txtForecast->toPlainText());
    std::string out;
    for (char ch : t) {
      if (ch == '\n') out += '\r';
      out += ch;
    }
    return out;
  }
  return built_;
}

void TfrmForecast::SetText(const std::string& text) {
  built_ = text;
  txtForecast->setPlainText(L1(DisplayLines(built_)));
  txtForecast->document()->setModified(false);
}

void TfrmForecast::AppendText(const std::string& text) { SetText(Text() + text); }

void TfrmForecast::SetFontName(const std::string& name) {
  fontName_ = name;
  QFont f = txtForecast->font();
  if (name == kFixedsys) {
    // The desktop's fixed-pitch font stands in for the classic one.
    f.setFamilies({QFontDatabase::systemFont(QFontDatabase::FixedFont).family(), "DejaVu Sans Mono", "Liberation Mono",
                   "Monospace"});
    f.setStyleHint(QFont::Monospace);
    f.setFixedPitch(true);
  } else {
    f.setFamilies({L1(name), "Liberation Sans", "Arial", "Nimbus Sans", "Helvetica"});
    f.setStyleHint(QFont::SansSerif);
    f.setFixedPitch(false);
  }
  txtForecast->setFont(f);
}

void TfrmForecast::SetFontSize(int points) {
  if (points <= 0) return;
  QFont f = txtForecast->font();
  f.setPointSize(points);
  txtForecast->setFont(f);
}

void TfrmForecast::SetTextColor(TColor color) {
  const Rgb rgb = ColorToRgb(color);
  QPalette p = txtForecast->palette();
  p.setColor(QPalette::Base, QColor(rgb.r, rgb.g, rgb.b));
  txtForecast->setPalette(p);
}

void TfrmForecast::SetTextHeight(int height) {
  // Never under the status bar, where its horizontal scroll bar would hide.
  const int room = StatusBar1->y() - txtForecast->y();
  txtForecast->resize(txtForecast->width(), std::clamp(height, 0, std::max(0, room)));
}

QWidget* TfrmForecast::Control(ForecastControl c) const {
  switch (c) {
    case ForecastControl::lblCounty: return lblCounty;
    case ForecastControl::editCounty: return editCounty;
    case ForecastControl::lblState: return lblState;
    case ForecastControl::cboState: return cboState;
    case ForecastControl::lblZip: return lblZip;
    case ForecastControl::txtZip: return txtZip;
    case ForecastControl::btnGetit: return btnGetit;
  }
  return nullptr;
}

void TfrmForecast::SetVisible(ForecastControl c, bool visible) { Control(c)->setVisible(visible); }
bool TfrmForecast::IsVisible(ForecastControl c) const { return !Control(c)->isHidden(); }
void TfrmForecast::SetTop(ForecastControl c, int top) {
  QWidget* w = Control(c);
  w->move(w->x(), top);
}

std::string TfrmForecast::County() const { return ToL1(editCounty->text()); }
std::string TfrmForecast::StateText() const { return ToL1(cboState->currentText()); }
void TfrmForecast::SetStateText(const std::string& text) { cboState->setEditText(L1(text)); }
void TfrmForecast::SetStateItems(const std::vector<std::string>& rows) {
  cboState->clear();
  for (const std::string& r : rows) cboState->addItem(L1(r));
  cboState->setCurrentIndex(-1);
  cboState->setEditText(QString());
}
std::string TfrmForecast::Zip() const { return ToL1(txtZip->text()); }

void TfrmForecast::SetFontChecks(bool large, bool small) {
  mnuLargefont->setChecked(large);
  mnuSmallfont->setChecked(small);
}

void TfrmForecast::MinimizeMain() {
  if (hooks.minimizeMain) hooks.minimizeMain();
}
void TfrmForecast::RestoreMain() {
  if (hooks.restoreMain) hooks.restoreMain();
}

void TfrmForecast::SetStatus(const std::string& text) {
  if (statusObserver) statusObserver(text);
  StatusBar1->showMessage(L1(text));
  if (StatusBar1->isVisible()) StatusBar1->repaint();
}

std::string TfrmForecast::Status() const { return ToL1(StatusBar1->currentMessage()); }

}  // namespace sky::ui
