// One program per user and display: the second claim of a key fails and
// brings the first to the front; other keys and a program that died do not
// stand in the way.
#include <QLockFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QFile>
#include <cstdlib>
#include <thread>
#include <unistd.h>

#include "app/gui_fixture.h"
#include "app/single_instance.h"

namespace {

using sky::ui::SingleInstance;

TEST(SingleInstance, SecondStartRaisesTheFirstAndEnds) {
  skytest::App();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  int raised = 0;
  SingleInstance first("u1-x11-_5", dir.path());
  ASSERT_TRUE(first.Claim([&] { ++raised; }));
  // The second start runs its request from a thread of its own here; the
  // first answers it from the event loop, as the program's would.
  for (int i = 1; i <= 3; ++i) {
    bool claimed = true, delivered = false;
    std::thread second([&] {
      SingleInstance s("u1-x11-_5", dir.path());
      claimed = s.Claim({});
      delivered = s.Delivered();
    });
    ASSERT_TRUE(skytest::WaitFor([&] { return raised == i; }, 5000)) << i;
    second.join();
    EXPECT_FALSE(claimed);
    EXPECT_TRUE(delivered);
  }
  // Another display, or another user, runs its own.
  SingleInstance other("u1-x11-_6", dir.path());
  EXPECT_TRUE(other.Claim({}));
}

TEST(SingleInstance, ALockLeftByAProgramThatDiedIsTakenOver) {
  skytest::App();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  {
    SingleInstance first("u1-x11-_7", dir.path());
    ASSERT_TRUE(first.Claim({}));
  }
  // A lock naming a process that no longer runs, and its socket left behind.
  QFile lock(dir.filePath("skyglass-u1-x11-_7.lock"));
  ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
  lock.write("999999999\nskyglass\n" + QSysInfo::machineHostName().toUtf8() + "\n");
  lock.close();
  SingleInstance again("u1-x11-_7", dir.path());
  EXPECT_TRUE(again.Claim({}));
}

TEST(SingleInstance, KeyNamesUserAndDisplay) {
  const QByteArray display = qgetenv("DISPLAY"), wayland = qgetenv("WAYLAND_DISPLAY");
  qputenv("DISPLAY", ":3.0");
  qunsetenv("WAYLAND_DISPLAY");
  EXPECT_EQ(sky::ui::InstanceKey(), QString("u%1-x11-_3.0").arg(getuid()));
  qputenv("WAYLAND_DISPLAY", "wayland-1");
  EXPECT_EQ(sky::ui::InstanceKey(), QString("u%1-wl-wayland-1").arg(getuid()));
  qunsetenv("WAYLAND_DISPLAY");
  qunsetenv("DISPLAY");
  EXPECT_EQ(sky::ui::InstanceKey(), QString("u%1-none").arg(getuid()));
  if (!display.isEmpty()) qputenv("DISPLAY", display);
  if (!wayland.isEmpty()) qputenv("WAYLAND_DISPLAY", wayland);
}

}  // namespace
