// One program per user and display: the second claim of a key fails and
// brings the first to the front; other keys and a program that died do not
// stand in the way.
#include <QLockFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QDir>
#include <QFile>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <set>
#include <thread>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "app/gui_fixture.h"
#include "app/single_instance.h"

namespace {

using sky::ui::SingleInstance;

// A raw socket bound or connected (`op`) at `path`: what a crashed, hung or
// silent program leaves.
int RawSocket(const QString& path, int (*op)(int, const sockaddr*, socklen_t)) {
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un a{AF_UNIX, {}};
  std::strncpy(a.sun_path, QFile::encodeName(path).constData(), sizeof a.sun_path - 1);
  EXPECT_EQ(op(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0) << path.toStdString();
  return fd;
}

std::set<int> OpenFds() {
  std::set<int> fds;
  for (const QString& n : QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot | QDir::System)) fds.insert(n.toInt());
  return fds;
}

// Runs a later start from a thread while this one serves the event loop.
bool SecondStartDelivered(const QString& key, const QString& folder, int& raised) {
  const int before = raised;
  bool claimed = true, delivered = false;
  std::thread second([&] {
    SingleInstance s(key, folder);
    claimed = s.Claim({});
    delivered = s.Delivered();
  });
  skytest::WaitFor([&] { return raised > before; }, 5000);
  second.join();
  return !claimed && delivered;
}

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

TEST(SingleInstance, CrashLeftoversAndSilentPeersDoNotStandInTheWay) {
  skytest::App();
  QTemporaryDir dir;
  const QString lockPath = dir.filePath("skyglass-u1-x11-_8.lock");
  int raised = 0;
  {
    SingleInstance first("u1-x11-_8", dir.path());
    // A killed program leaves its lock file (the kernel dropped the lock)
    // and a socket nobody listens on.
    QFile(lockPath).open(QIODevice::WriteOnly);
    close(RawSocket(first.SocketPath(), ::bind));
    const std::set<int> before = OpenFds();
    ASSERT_TRUE(first.Claim([&] { ++raised; }));
    for (const int fd : OpenFds()) {
      if (!before.count(fd)) {
        EXPECT_TRUE(fcntl(fd, F_GETFD) & FD_CLOEXEC) << fd;
      }
    }
    for (const QString& f : {lockPath, first.SocketPath()}) {
      EXPECT_EQ(QFile::permissions(f) & 0x0077, 0) << f.toStdString();  // no group, no others
    }
    // A peer that connects and says nothing holds up neither side.
    const int silent = RawSocket(first.SocketPath(), ::connect);
    EXPECT_TRUE(SecondStartDelivered("u1-x11-_8", dir.path(), raised));
    close(silent);
  }
  EXPECT_FALSE(QFile::exists(lockPath));
  EXPECT_FALSE(QFile::exists(dir.filePath("skyglass-u1-x11-_8.sock")));
}

TEST(SingleInstance, ARunningProgramThatNeverAnswersIsNotAwaitedLong) {
  QTemporaryDir dir;
  const int lock = open(QFile::encodeName(dir.filePath("skyglass-u1-x11-_9.lock")).constData(), O_RDWR | O_CREAT, 0600);
  ASSERT_EQ(flock(lock, LOCK_EX | LOCK_NB), 0);
  SingleInstance later("u1-x11-_9", dir.path());
  const int hung = RawSocket(later.SocketPath(), ::bind);
  listen(hung, 4);  // connects are taken by the kernel, never read
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(later.Claim({}));
  EXPECT_FALSE(later.Delivered());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  close(hung);
  close(lock);
}

TEST(SingleInstance, FolderPathsBeyondASocketAddressOrMissingDoNotStopAStart) {
  skytest::App();
  QTemporaryDir dir;
  const QString deep = dir.filePath(QString(70, 'd') + "/" + QString(70, 'e'));
  ASSERT_TRUE(QDir().mkpath(deep));
  int raised = 0;
  SingleInstance first("u1-x11-_10", deep);
  ASSERT_GT(first.SocketPath().size(), qsizetype(sizeof(sockaddr_un::sun_path)));
  ASSERT_TRUE(first.Claim([&] { ++raised; }));
  EXPECT_TRUE(SecondStartDelivered("u1-x11-_10", deep, raised));
  // No lock to be had: the program runs unguarded rather than not at all.
  SingleInstance unguarded("u1-x11-_10", dir.filePath("missing"));
  EXPECT_TRUE(unguarded.Claim({}));
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
  // Anything but a plain file name character is one "_", outside the basic plane too.
  qputenv("DISPLAY", QString::fromUtf8(":1\u00e9/\U0001F600").toUtf8());
  EXPECT_EQ(sky::ui::InstanceKey(), QString("u%1-x11-_1___").arg(getuid()));
  qunsetenv("DISPLAY");
  if (!display.isEmpty()) qputenv("DISPLAY", display);
  if (!wayland.isEmpty()) qputenv("WAYLAND_DISPLAY", wayland);
}

}  // namespace
