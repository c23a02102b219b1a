// Warnings as desktop notifications: the freedesktop notification service on
// the session bus, or, where there is none, the tray icon's message. A click
// on either (the service's default action) calls `opened`.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "forecast/alert_watch.h"

class QSystemTrayIcon;

namespace sky::ui {

class DesktopNotifier : public QObject, public INotificationPort {
  Q_OBJECT
 public:
  // `tray` is the fallback (may be null: then nothing is shown without the service).
  explicit DesktopNotifier(QSystemTrayIcon* tray, QObject* parent = nullptr);

  void Notify(const Notice& notice) override;

  // Opens the warnings page; run when a notification is clicked.
  std::function<void()> opened;
  // How the last notice went out: "dbus", "tray" or "none".
  const std::string& LastRoute() const { return lastRoute_; }

 private slots:
  void ActionInvoked(uint id, const QString& action);

 private:
  bool NotifyOverDBus(const Notice& notice);

  QSystemTrayIcon* tray_;
  bool listening_ = false;
  QList<uint> ours_;
  std::string lastRoute_ = "none";
};

}  // namespace sky::ui
