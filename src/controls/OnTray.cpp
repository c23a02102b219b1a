#include "controls/OnTray.h"

#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

#include "controls/plain_text.h"

namespace sky::ui {

namespace {
QString Latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
}  // namespace

TCustomOnTray::TCustomOnTray(QWidget* owner)
    : QObject(owner), owner_(owner), tray_(new QSystemTrayIcon(this)), record_(*this) {
  connect(tray_, &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason r) { Activated(static_cast<int>(r)); });
  if (owner_) owner_->installEventFilter(this);
}

bool TCustomOnTray::eventFilter(QObject* watched, QEvent* e) {
  if (watched == owner_ && e->type() == QEvent::Show) ownerShown_ = true;
  return QObject::eventFilter(watched, e);
}

TCustomOnTray::~TCustomOnTray() {
  // Takes the icon out of the tray before the object goes.
  if (record_.InTray()) tray_->hide();
}

bool TCustomOnTray::TrayAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

void TCustomOnTray::SetIcon(const QIcon& icon) {
  icon_ = icon;
  record_.SetHasIcon(!icon_.isNull());
}

void TCustomOnTray::Notify(TrayCommand command, const std::string& tip) {
  ++notifyCount_;
  switch (command) {
    case TrayCommand::Add:
    case TrayCommand::Modify:
      tray_->setIcon(icon_);
      tray_->setToolTip(PlainToolTip(Latin1(TrayTipShown(tip))));
      if (!tray_->isVisible()) tray_->show();
      break;
    case TrayCommand::Delete: tray_->hide(); break;
  }
}

void TCustomOnTray::SetAppVisible(bool on) {
  appVisible_ = on;
  Update();
  // The owner's first showing is the program's own business (its window
  // creation marks it visible before it is shown).
  if (!owner_ || !ownerShown_) return;
  if (on) {
    if (owner_->isMinimized()) owner_->showNormal();
    else owner_->show();
    owner_->raise();
    owner_->activateWindow();
  } else if (TrayAvailable()) {
    // Hidden windows have no taskbar entry: the tray icon is the way back.
    owner_->hide();
  } else {
    // No tray to come back through: keep the taskbar entry.
    owner_->showMinimized();
  }
}

void TCustomOnTray::Activated(int reason) {
  const QPoint pos = QCursor::pos();
  switch (static_cast<QSystemTrayIcon::ActivationReason>(reason)) {
    case QSystemTrayIcon::Trigger:
      MouseDown(TrayButton::Left, pos.x(), pos.y());
      MouseUp(TrayButton::Left, pos.x(), pos.y());
      break;
    case QSystemTrayIcon::Context: MouseDown(TrayButton::Right, pos.x(), pos.y()); break;
    case QSystemTrayIcon::MiddleClick:
      MouseDown(TrayButton::Middle, pos.x(), pos.y());
      MouseUp(TrayButton::Middle, pos.x(), pos.y());
      break;
    case QSystemTrayIcon::DoubleClick: DblClick(); break;
    default: break;
  }
}

void TCustomOnTray::MouseMove(int x, int y) {
  if (OnMouseMove) OnMouseMove(this, x, y);
}
void TCustomOnTray::MouseDown(TrayButton button, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, x, y);
}
void TCustomOnTray::MouseUp(TrayButton button, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, x, y);
}
void TCustomOnTray::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

namespace {
void Foreground(QWidget* w) {
  if (w && w->isVisible()) w->activateWindow();
}
}  // namespace

void TOnTray::MouseDown(TrayButton button, int x, int y) {
  QMenu* menu = button == TrayButton::Left ? LeftPopup : button == TrayButton::Right ? RightPopup : MiddlePopup;
  if (!menu) return;
  Foreground(Owner());
  // popup() rather than exec(): the menu closes by itself on a click elsewhere.
  menu->popup(QPoint(x + 20, y));
}

void TOnTray::MouseUp(TrayButton button, int, int) {
  if (button == TrayButton::Left && OnClick) {
    Foreground(Owner());
    OnClick(this);
  }
}

void TOnTray::DblClick() {
  if (OnDblClick) {
    Foreground(Owner());
    OnDblClick(this);
  }
}

}  // namespace sky::ui
