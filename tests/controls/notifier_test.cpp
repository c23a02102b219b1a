// Warnings as desktop notifications: over the freedesktop notification
// service when the session bus has one (here a stand-in service of the test's
// own; scripts/test.d/62-notifications runs this under a session bus of its
// own), else the tray's message; a click opens the warnings page.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QSystemTrayIcon>
#include <QThread>
#include <QVariantMap>
#include <cstdlib>

#include "common/offscreen_app.h"
#include "controls/DesktopNotifier.h"

using skytest::App;

namespace {

const sky::Notice kNotice{"urn:oid:1", "Winter Storm Warning", "Travis; Williamson\nUntil Jan 24, 6:00 PM"};

}  // namespace

// The notification service as the desktop offers it, recording its calls.
class FakeNotifications : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
 public:
  QStringList summaries, bodies, actions;
  QVariantMap hints;
 public slots:
  uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
              const QStringList& acts, const QVariantMap& h, int) {
    summaries << summary;
    bodies << body;
    actions = acts;
    hints = h;
    return 41u + static_cast<uint>(summaries.size());
  }
  QStringList GetCapabilities() { return {"actions", "body"}; }
};

TEST(Notifier, WithoutTheServiceTheTrayMessageIsUsed) {
  App();
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (bus.isConnected() && bus.interface()->isServiceRegistered("org.freedesktop.Notifications").value())
    GTEST_SKIP() << "a notification service runs on this session bus";
  QSystemTrayIcon tray;
  sky::ui::DesktopNotifier notifier(&tray);
  int opened = 0;
  notifier.opened = [&] { ++opened; };
  notifier.Notify(kNotice);
  EXPECT_EQ(notifier.LastRoute(), "tray");
  emit tray.messageClicked();
  EXPECT_EQ(opened, 1);

  sky::ui::DesktopNotifier nowhere(nullptr);
  nowhere.Notify(kNotice);  // no service, no tray: nothing, and no crash
  EXPECT_EQ(nowhere.LastRoute(), "none");
}

TEST(Notifier, OverTheSessionBusAndItsClickOpensTheWarnings) {
  App();
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) GTEST_SKIP() << "no session bus (scripts/test.d/62-notifications starts one)";
  FakeNotifications service;
  ASSERT_TRUE(bus.registerObject("/org/freedesktop/Notifications", &service, QDBusConnection::ExportAllSlots));
  if (!bus.registerService("org.freedesktop.Notifications")) GTEST_SKIP() << "the desktop's own service runs here";

  sky::ui::DesktopNotifier notifier(nullptr);
  int opened = 0;
  notifier.opened = [&] { ++opened; };
  notifier.Notify(kNotice);
  EXPECT_EQ(notifier.LastRoute(), "dbus");
  ASSERT_EQ(service.summaries.size(), 1);
  EXPECT_EQ(service.summaries[0], "Winter Storm Warning");
  EXPECT_EQ(service.bodies[0], "Travis; Williamson\nUntil Jan 24, 6:00 PM");
  EXPECT_TRUE(service.actions.contains("default"));
  EXPECT_EQ(service.hints.value("urgency").toInt(), 2);  // a warning is critical

  // The person clicks another program's notification, then ours (id 42).
  for (uint id : {7u, 42u}) {
    QDBusMessage signal =
        QDBusMessage::createSignal("/org/freedesktop/Notifications", "org.freedesktop.Notifications", "ActionInvoked");
    signal << id << QString("default");
    bus.send(signal);
  }
  // The signal comes back through the bus daemon: wait for it by the clock,
  // since processEvents returns at once while nothing has arrived yet.
  QElapsedTimer waited;
  waited.start();
  while (opened == 0 && waited.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  EXPECT_EQ(opened, 1);
  bus.unregisterService("org.freedesktop.Notifications");
  bus.unregisterObject("/org/freedesktop/Notifications");
}

#include "notifier_test.moc"
