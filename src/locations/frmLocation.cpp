#include "locations/frmLocation.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <string>
#include <vector>

#include "info/HelpWindow.h"
#include "common/fetch_gate.h"
#include "controls/plain_text.h"
#include "controls/ui_font.h"
#include "locations/catalogue.h"
#include "locations/chooser_logic.h"

namespace sky::ui {

namespace {

const QColor kTeal(0x00, 0x80, 0x80);

QLabel* TealLabel(QWidget* parent, const char* name, const QString& text, QRect r, bool white15) {
  auto* l = new QLabel(text, parent);
  l->setTextFormat(Qt::PlainText);
  l->setObjectName(name);
  l->setGeometry(r);
  l->setAutoFillBackground(true);
  QPalette p = l->palette();
  p.setColor(QPalette::Window, kTeal);
  p.setColor(QPalette::WindowText, white15 ? Qt::white : Qt::black);
  l->setPalette(p);
  l->setFont(SansFont(white15 ? 15 : 11));
  l->setWordWrap(!white15);
  // Wrapped notes get a little air so their text does not touch the edge.
  if (!white15) l->setMargin(2);
  l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return l;
}

QString FromL1(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Each item shows its text spelt right and keeps the catalogue's, which the
// choice is read from.
void AddChildren(QTreeWidgetItem* item, const LocationNode& node) {
  for (const LocationNode& child : node.children) {
    auto* c = new QTreeWidgetItem(item, {FromL1(ShownNodeText(child.text))});
    c->setData(0, Qt::UserRole, FromL1(child.text));
    AddChildren(c, child);
  }
}

QString CatalogueText(const QTreeWidgetItem* item) {
  const QVariant v = item->data(0, Qt::UserRole);
  return v.isValid() ? v.toString() : item->text(0);
}

}  // namespace

TfrmLocation::TfrmLocation(IChooserHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      host_(host) {
  setObjectName("frmLocation");
  setWindowTitle("Skyglass - Choose Location");
  setFixedSize(426, 320);
  setFont(SansFont(11));
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::black);
  setPalette(pal);

  lblCountry = TealLabel(this, "lblCountry", "Select a Location:", {8, 8, 201, 19}, true);
  TreeView1 = new QTreeWidget(this);
  TreeView1->setObjectName("TreeView1");
  TreeView1->setGeometry(8, 32, 201, 273);
  TreeView1->setHeaderHidden(true);
  TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
  FillTree();

  Label1 = TealLabel(this, "Label1",
                     "If you can't find your city, you may enter a zip code here and we'll find your city "
                     "or a city near you.",
                     {220, 32, 198, 58}, false);
  Label2 = TealLabel(this, "Label2", "or enter US Zip:", {220, 100, 198, 19}, true);
  txtzipcode = new QLineEdit(this);
  txtzipcode->setObjectName("txtzipcode");
  txtzipcode->setGeometry(220, 126, 81, 21);
  txtzipcode->setMaxLength(5);
  Label3 = TealLabel(this, "Label3",
                     "Is your country or state missing? Write to the makers of Skyglass at "
                     "support@corvantis.com and we will add it.",
                     {220, 160, 198, 72}, false);

  btnOkay = new QPushButton("&Okay", this);
  btnOkay->setObjectName("btnOkay");
  btnOkay->setGeometry(220, 282, 89, 25);
  btnOkay->setDefault(true);
  btnCancel = new QPushButton("&Cancel", this);
  btnCancel->setObjectName("btnCancel");
  btnCancel->setGeometry(321, 282, 89, 25);
  connect(btnOkay, &QPushButton::clicked, this, &TfrmLocation::btnOkayClick);
  connect(btnCancel, &QPushButton::clicked, this, &TfrmLocation::btnCancelClick);
}

void TfrmLocation::FillTree() {
  const LocationNode& root = LocationCatalogue::Get().Root();
  auto* top =
      new QTreeWidgetItem(TreeView1, {QString::fromLatin1(root.text.data(), static_cast<qsizetype>(root.text.size()))});
  AddChildren(top, root);
  top->setExpanded(true);
}

bool TfrmLocation::SelectPath(const QStringList& textsBelowRoot) {
  QTreeWidgetItem* item = TreeView1->topLevelItem(0);
  for (const QString& t : textsBelowRoot) {
    QTreeWidgetItem* next = nullptr;
    for (int i = 0; item && i < item->childCount(); ++i)
      if (item->child(i)->text(0) == t || CatalogueText(item->child(i)) == t) next = item->child(i);
    if (!next) return false;
    item = next;
  }
  TreeView1->setCurrentItem(item);
  item->setSelected(true);
  return true;
}

void TfrmLocation::ShowMessage(const std::string& text) {
  if (showBox) showBox("message", text, this);
  else
    PlainBox(this, QMessageBox::Information, windowTitle(),
             QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void TfrmLocation::ShowError(const std::string& text) {
  if (showBox) showBox("error", text, this);
  else
    PlainBox(this, QMessageBox::Critical, windowTitle(),
             QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

bool TfrmLocation::Confirm(const std::string& text) {
  if (showBox) return showBox("confirm", text, this);
  return PlainBox(this, QMessageBox::Question, windowTitle(),
                  QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())),
                  QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void TfrmLocation::Beep() { QApplication::beep(); }

void TfrmLocation::Choose() {
  if (isHidden()) show();
  raise();
  activateWindow();
}

void TfrmLocation::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
    const QRect g = s->availableGeometry();
    // The dialog's own area is placed, by its fixed size: the frame is known
    // only once the dialog has been shown, and placing it by the frame put
    // the dialog lower from the second showing on.
    const QPoint at(g.x() + g.width() / 2 - width() / 3, g.y() + g.height() / 2 - height() / 3);
    setGeometry(QRect(at, size()));
  }
  // The place shown stays the program's until a choice is fetched: the
  // forecasts still name it after a Cancel.
  txtzipcode->clear();
}

void TfrmLocation::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_F1) {
    launch_help_for(this);
    return;
  }
  // As in a dialog box: Enter presses "&Okay" (or the focused "&Cancel"),
  // Escape "&Cancel". The tree and the zip box pass these keys on.
  if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
    (focusWidget() == btnCancel ? btnCancel : btnOkay)->click();
    return;
  }
  if (e->key() == Qt::Key_Escape) {
    btnCancel->click();
    return;
  }
  QWidget::keyPressEvent(e);
}

void TfrmLocation::btnOkayClick() {
  // The place is read into the texts the running fetch also uses, so a
  // choice made during a fetch is turned away instead.
  if (host_.Busy()) {
    host_.Status().SetStatus(kBusyText);
    return;
  }
  std::vector<std::string> texts;
  QTreeWidgetItem* selected = TreeView1->currentItem();
  if (selected && !selected->isSelected()) selected = nullptr;
  for (QTreeWidgetItem* item = selected; item; item = item->parent())
    texts.insert(texts.begin(), CatalogueText(item).toLatin1().toStdString());

  const std::string path = ChooserPath(texts);
  const std::string zip = txtzipcode->text().toLatin1().toStdString();
  // The choice is read into a copy and becomes the program's place only
  // when it is fetched; a stopped choice leaves the shown place as it was.
  CurrentLocation loc = host_.Location();
  loc.Country.clear();
  loc.Region.clear();
  loc.City.clear();
  loc.Zip.clear();
  const ChoiceResult r = ReadChoice(path, zip, loc, *this);
  if (r == ChoiceResult::StayOpen) {
    StayForAnotherChoice(selected);
    return;
  }
  if (r == ChoiceResult::ShowAgain) {
    hide();
    show();
    StayForAnotherChoice(nullptr);
    host_.FetchNothing();
    return;
  }
  // The address is settled while the dialog is still there: a place that
  // has none (a state or province node, a station row without a number) is
  // not requested with an empty city, and the user can pick again.
  const std::optional<std::string> address = ChooserAddress(loc, *this);
  if (!address && ChooserClosesWithoutAddress(loc)) {
    hide();
    host_.FetchNothing();
    return;
  }
  if (!address) {
    StayForAnotherChoice(selected);
    host_.FetchNothing();
    return;
  }
  // The walk leaves no node selected.
  TreeView1->clearSelection();
  TreeView1->setCurrentItem(nullptr);
  hide();
  host_.Location() = loc;
  host_.FetchChoice(*address);
  hide();
}

void TfrmLocation::StayForAnotherChoice(QTreeWidgetItem* selected) {
  if (selected) {
    TreeView1->setCurrentItem(selected);
    selected->setSelected(true);
  }
  if (isHidden()) show();
  raise();
  activateWindow();
}

}  // namespace sky::ui
