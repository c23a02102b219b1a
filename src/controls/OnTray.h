// The notification-area icon: a tip, a picture, popup menus on the mouse
// buttons, and hiding/showing the main window with its taskbar entry.
// TCustomOnTray keeps the state and fires plain events; TOnTray adds the
// menus. The add/modify/delete bookkeeping is tray_logic.h's.
#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <functional>
#include <string>

#include "controls/tray_logic.h"

class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace sky::ui {

enum class TrayButton { Left = 0, Right = 1, Middle = 2 };

class TCustomOnTray : public QObject, private ITrayShell {
  Q_OBJECT
 public:
  using MouseMoveEvent = std::function<void(QObject* sender, int x, int y)>;
  using MouseButtonEvent = std::function<void(QObject* sender, TrayButton button, int x, int y)>;
  using NotifyEvent = std::function<void(QObject* sender)>;

  explicit TCustomOnTray(QWidget* owner);
  ~TCustomOnTray() override;

  const std::string& Hint() const { return record_.Hint(); }
  void SetHint(const std::string& text) { record_.SetHint(text); }
  // The tip as the icon shows it (at most 63 characters).
  const std::string& Tip() const { return record_.Tip(); }

  const QIcon& Icon() const { return icon_; }
  // Changing the picture needs Update (or Active := true) to reach the tray.
  void SetIcon(const QIcon& icon);

  bool Active() const { return record_.Active(); }
  void SetActive(bool on) { record_.SetActive(on); }
  bool InTray() const { return record_.InTray(); }

  bool AppVisible() const { return appVisible_; }
  void SetAppVisible(bool on);

  void Update() { record_.Update(); }

  // Calls made to the desktop's tray so far (add, modify and delete alike).
  int NotifyCount() const { return notifyCount_; }
  // Whether the desktop offers a tray; without one, hiding only minimises the
  // window so that it stays reachable from the taskbar.
  static bool TrayAvailable();

  QSystemTrayIcon* SystemTrayIcon() const { return tray_; }
  QWidget* Owner() const { return owner_; }

  MouseMoveEvent OnMouseMove;
  MouseButtonEvent OnMouseDown;
  MouseButtonEvent OnMouseUp;
  NotifyEvent OnDblClick;

  // Entry points of the icon's mouse messages, screen coordinates.
  virtual void MouseMove(int x, int y);
  virtual void MouseDown(TrayButton button, int x, int y);
  virtual void MouseUp(TrayButton button, int x, int y);
  virtual void DblClick();

 private:
  void Notify(TrayCommand command, const std::string& tip) override;
  void Activated(int reason);
  bool eventFilter(QObject* watched, QEvent* e) override;

  QWidget* owner_;
  QSystemTrayIcon* tray_;
  TrayRecord record_;
  QIcon icon_;
  bool appVisible_ = false;
  bool ownerShown_ = false;
  int notifyCount_ = 0;
};

class TOnTray : public TCustomOnTray {
  Q_OBJECT
 public:
  using TCustomOnTray::TCustomOnTray;

  QMenu* LeftPopup = nullptr;
  QMenu* RightPopup = nullptr;
  QMenu* MiddlePopup = nullptr;
  NotifyEvent OnClick;

  // Menus open on the press, 20 pixels right of the cursor.
  void MouseDown(TrayButton button, int x, int y) override;
  void MouseUp(TrayButton button, int x, int y) override;
  void DblClick() override;
};

}  // namespace sky::ui
