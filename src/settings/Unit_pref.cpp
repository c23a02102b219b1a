#include "settings/Unit_pref.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <exception>

#include "common/app_names.h"
#include "common/scoped_flag.h"
#include "controls/plain_text.h"
#include "controls/ColorDialog.h"
#include "controls/ui_font.h"
#include "info/HelpWindow.h"

namespace sky::ui {

namespace {

QString L1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
std::string ToL1(const QString& s) { return s.toLatin1().toStdString(); }

void SetTextColor(QWidget* w, const QColor& c) {
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, c);
  w->setPalette(p);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, QRect r, const QColor& color,
                  bool wrap = false) {
  auto* l = new QLabel(QString::fromLatin1(text), parent);
  l->setTextFormat(Qt::PlainText);
  l->setObjectName(name);
  l->setGeometry(r);
  l->setWordWrap(wrap);
  SetTextColor(l, color);
  return l;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text, int x, int y) {
  auto* b = new QPushButton(QString::fromLatin1(text), parent);
  b->setObjectName(name);
  b->setGeometry(x, y, 75, 25);
  b->setAutoDefault(false);
  return b;
}

}  // namespace

TfrmPref::TfrmPref(QWidget* parent) : TGradientForm(parent) {
  setObjectName("frmPref");
  SetBorderStyle(TBorderStyle::bsSingle);
  SetGradientStartColor(clBlue);
  SetGradientStopColor(clWhite);
  SetGradientInactiveStartColor(clBlue);
  SetGradientInactiveStopColor(clNavy);
  SetCaption("Skyglass - Preferences");
  SetClientSize(516, 411);
  EscapeCloses = true;
  setModal(false);

  client = ClientArea();
  client->setAutoFillBackground(true);
  QPalette pal = client->palette();
  pal.setColor(QPalette::Window, QColorOf(clNavy));
  client->setPalette(pal);
  client->setFont(SansFont(11));

  const QColor white = QColorOf(clWhite), silver = QColorOf(clSilver);

  GroupBox2 = new QGroupBox(" Auto Update ", client);
  GroupBox2->setObjectName("GroupBox2");
  GroupBox2->setGeometry(16, 8, 484, 52);
  SetTextColor(GroupBox2, white);
  Label6 = MakeLabel(GroupBox2, "Label6", "Do you want the stats automatically updated?", {12, 22, 290, 18}, white);
  radioYesupstat = new QRadioButton("Yes", GroupBox2);
  radioYesupstat->setObjectName("radioYesupstat");
  radioYesupstat->setGeometry(330, 20, 60, 22);
  SetTextColor(radioYesupstat, QColorOf(clGreen));
  radioYesupstat->setChecked(true);
  radioNoupstat = new QRadioButton("No", GroupBox2);
  radioNoupstat->setObjectName("radioNoupstat");
  radioNoupstat->setGeometry(400, 20, 60, 22);
  SetTextColor(radioNoupstat, QColorOf(clMaroon));
  // The design colours are dark on navy: give the buttons a light face so the
  // green and maroon texts stay readable.
  for (QRadioButton* r : {radioYesupstat, radioNoupstat}) {
    r->setAutoFillBackground(true);
    QPalette p = r->palette();
    p.setColor(QPalette::Window, silver);
    r->setPalette(p);
  }

  lblstartuploc = MakeLabel(client, "lblstartuploc",
                            "Select the location you would like Skyglass to \"Get Stats\" on when it starts.  "
                            "If none, select \"None\".",
                            {16, 68, 484, 30}, silver, true);
  Label1 = MakeLabel(client, "Label1", "Start-up Location:", {16, 106, 130, 20}, white);
  cboStartupLoc = new QComboBox(client);
  cboStartupLoc->setObjectName("cboStartupLoc");
  cboStartupLoc->setEditable(true);
  cboStartupLoc->setInsertPolicy(QComboBox::NoInsert);
  cboStartupLoc->setGeometry(150, 103, 350, 24);

  Label3 = MakeLabel(client, "Label3",
                     "As Skyglass gets an update, it can automatically update your Wallpaper with one of the "
                     "selections below.  If you don't want this, choose \"None\".",
                     {16, 136, 484, 30}, silver, true);
  Label4 = MakeLabel(client, "Label4", "Wallpaper Image:", {16, 174, 130, 20}, white);
  cboAutoWallpaper = new QComboBox(client);
  cboAutoWallpaper->setObjectName("cboAutoWallpaper");
  cboAutoWallpaper->setEditable(true);
  cboAutoWallpaper->setInsertPolicy(QComboBox::NoInsert);
  cboAutoWallpaper->setGeometry(150, 171, 350, 24);

  GroupBox1 = new QGroupBox(" Proxy Settings ", client);
  GroupBox1->setObjectName("GroupBox1");
  GroupBox1->setGeometry(16, 206, 484, 88);
  SetTextColor(GroupBox1, white);
  CheckBox1 = new QCheckBox("Use Proxy Settings", GroupBox1);
  CheckBox1->setObjectName("CheckBox1");
  CheckBox1->setGeometry(12, 22, 200, 22);
  SetTextColor(CheckBox1, white);
  lblProxy = MakeLabel(GroupBox1, "lblProxy", "Proxy:", {12, 54, 44, 20}, white);
  EditProxy = new QLineEdit(GroupBox1);
  EditProxy->setObjectName("EditProxy");
  EditProxy->setGeometry(60, 51, 220, 24);
  lblProxyPort = MakeLabel(GroupBox1, "lblProxyPort", "Proxy Port:", {300, 54, 76, 20}, white);
  EditProxyPort = new QLineEdit(GroupBox1);
  EditProxyPort->setObjectName("EditProxyPort");
  EditProxyPort->setGeometry(380, 51, 90, 24);

  GroupBox3 = new QGroupBox(" Units and Warnings ", client);
  GroupBox3->setObjectName("GroupBox3");
  GroupBox3->setGeometry(16, 300, 484, 88);
  SetTextColor(GroupBox3, white);
  lblUnits = MakeLabel(GroupBox3, "lblUnits", "Units:", {12, 25, 44, 20}, white);
  cboUnits = new QComboBox(GroupBox3);
  cboUnits->setObjectName("cboUnits");
  cboUnits->setGeometry(60, 22, 410, 24);
  chkWarnNotify = new QCheckBox("Tell me of new warnings for my place with a desktop notification", GroupBox3);
  chkWarnNotify->setObjectName("chkWarnNotify");
  chkWarnNotify->setGeometry(12, 54, 460, 22);
  SetTextColor(chkWarnNotify, white);

  btnOkay = MakeButton(client, "btnOkay", "&Okay", 170, 376);
  btnCancel = MakeButton(client, "btnCancel", "&Cancel", 258, 376);
  btnHelp = MakeButton(client, "btnHelp", "&Help", 346, 376);

  ShowProxyFields();  // as designed: host disabled, port enabled, both silver
  connect(CheckBox1, &QCheckBox::toggled, this, [this] {
    if (!filling_) CheckBox1Click();
  });
  connect(btnOkay, &QPushButton::clicked, this, &TfrmPref::btnOkayClick);
  connect(btnCancel, &QPushButton::clicked, this, &TfrmPref::btnCancelClick);
  connect(btnHelp, &QPushButton::clicked, this, &TfrmPref::btnHelpClick);
  InstallHelpKey(this);
}

void TfrmPref::ShowDialog() {
  if (isVisible()) FormShow();
  show();
  raise();
  activateWindow();
}

void TfrmPref::showEvent(QShowEvent* e) {
  TGradientForm::showEvent(e);
  // A window manager's restore is no new showing: the edits stay.
  if (!e->spontaneous()) FormShow();
}

void TfrmPref::FormShow() {
  if (QScreen* s = screen()) {
    const QRect g = s->availableGeometry();
    move(g.x() + g.width() / 2 - frameGeometry().width() / 2, g.y() + g.height() / 2 - frameGeometry().height() / 2);
  }
  Collect();
  try {
    FillPrefForm(form_, servedPictures ? servedPictures() : nullptr);
  } catch (const std::exception& e) {
    ShowError(e.what());
  }
  ShowForm();
}

void TfrmPref::CheckBox1Click() {
  Collect();
  form_.proxyTicked = CheckBox1->isChecked();
  sky::CheckBox1Click(form_);
  ShowProxyFields();
}

void TfrmPref::Collect() {
  form_.autoUpdateYes = radioYesupstat->isChecked();
  form_.startupText = ToL1(cboStartupLoc->currentText());
  // A row of the list is stored as the list has it ("&&" included); a typed
  // text as typed.
  const int row = cboAutoWallpaper->currentIndex();
  form_.wallpaperText = row >= 0 && cboAutoWallpaper->itemText(row) == cboAutoWallpaper->currentText()
                            ? ToL1(cboAutoWallpaper->itemData(row).toString())
                            : ToL1(cboAutoWallpaper->currentText());
  form_.proxyTicked = CheckBox1->isChecked();
  form_.proxyHost.text = ToL1(EditProxy->text());
  form_.proxyPort.text = ToL1(EditProxyPort->text());
  form_.unitsIndex = cboUnits->currentIndex() < 0 ? 0 : cboUnits->currentIndex();
  form_.warningNotices = chkWarnNotify->isChecked();
}

void TfrmPref::ShowForm() {
  ScopedFlag filling(filling_);
  (form_.autoUpdateYes ? radioYesupstat : radioNoupstat)->setChecked(true);
  // The stored values keep the menus' "&&"; the list shows one "&".
  auto shown = [](const std::string& item) { return L1(item).replace("&&", "&"); };
  auto fill = [&shown](QComboBox* box, const std::vector<std::string>& list, const std::string& text) {
    box->clear();
    for (const std::string& item : list) box->addItem(shown(item), L1(item));
    // A text that is no entry of the list is shown as typed.
    const int row = box->findData(L1(text), Qt::UserRole, Qt::MatchExactly);
    box->setCurrentIndex(row);
    box->setEditText(row >= 0 ? box->itemText(row) : L1(text));
  };
  fill(cboStartupLoc, form_.startupList, form_.startupText);
  fill(cboAutoWallpaper, form_.wallpaperList, form_.wallpaperText);
  CheckBox1->setChecked(form_.proxyTicked);
  EditProxy->setText(L1(form_.proxyHost.text));
  EditProxyPort->setText(L1(form_.proxyPort.text));
  cboUnits->clear();
  for (const std::string& item : form_.unitsList) cboUnits->addItem(L1(item));
  cboUnits->setCurrentIndex(form_.unitsIndex);
  chkWarnNotify->setChecked(form_.warningNotices);
  ShowProxyFields();
}

void TfrmPref::ShowProxyFields() {
  auto show = [](QLineEdit* e, const ProxyField& f) {
    e->setEnabled(f.enabled);
    QPalette p = e->palette();
    const QColor base = f.silver ? QColorOf(clSilver) : QColorOf(clWindow);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
      p.setColor(group, QPalette::Base, base);
    e->setPalette(p);
  };
  show(EditProxy, form_.proxyHost);
  show(EditProxyPort, form_.proxyPort);
}

void TfrmPref::btnOkayClick() {
  Collect();
  try {
    StorePrefForm(form_);
  } catch (const std::exception& e) {
    // The port is no integer (or the store refused): the dialog stays open.
    ShowError(e.what());
    return;
  }
  hide();
  if (stored) stored();
}

void TfrmPref::btnCancelClick() { hide(); }

void TfrmPref::btnHelpClick() { launch_help_for(this); }

void TfrmPref::ShowError(const std::string& text) {
  if (errorRecorder) {
    errorRecorder(text);
    return;
  }
  PlainBox(this, QMessageBox::Critical, app::kTitle, L1(text));
}

}  // namespace sky::ui
