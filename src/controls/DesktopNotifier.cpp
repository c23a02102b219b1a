#include "controls/DesktopNotifier.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QVariantMap>

#include "common/version.h"

namespace sky::ui {

namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";

QString L1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

DesktopNotifier::DesktopNotifier(QSystemTrayIcon* tray, QObject* parent) : QObject(parent), tray_(tray) {
  if (tray_) {
    connect(tray_, &QSystemTrayIcon::messageClicked, this, [this] {
      if (opened) opened();
    });
  }
}

bool DesktopNotifier::NotifyOverDBus(const Notice& notice) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(kService).value()) return false;
  if (!listening_) {
    listening_ = bus.connect(kService, kPath, kInterface, "ActionInvoked", this, SLOT(ActionInvoked(uint, QString)));
  }
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
  QVariantMap hints;
  // A warning is critical, a watch normal: the service keeps a critical one up.
  hints.insert("urgency", QVariant::fromValue<uchar>(notice.title.ends_with("Warning") ? 2 : 1));
  hints.insert("desktop-entry", QString(kAppId));
  const QString app =
      QCoreApplication::applicationName().isEmpty() ? QStringLiteral("Skyglass") : QCoreApplication::applicationName();
  call << app << uint(0) << QString(kAppId) << L1(notice.title) << L1(notice.body)
       << QStringList{"default", "Show the warnings"} << hints << int(-1);
  QDBusReply<uint> reply = bus.call(call, QDBus::Block, 3000);
  if (!reply.isValid()) return false;
  ours_.append(reply.value());
  return true;
}

void DesktopNotifier::Notify(const Notice& notice) {
  if (NotifyOverDBus(notice)) {
    lastRoute_ = "dbus";
    return;
  }
  if (tray_) {
    tray_->showMessage(L1(notice.title), L1(notice.body), QSystemTrayIcon::Warning, 0);
    lastRoute_ = "tray";
    return;
  }
  lastRoute_ = "none";
}

void DesktopNotifier::ActionInvoked(uint id, const QString& action) {
  if (!ours_.contains(id) || action != "default") return;
  if (opened) opened();
}

}  // namespace sky::ui
