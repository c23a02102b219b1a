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
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "app/gui_fixture.h"
#include "app/single_instance.h"

namespace {

using sky::ui::SingleInstance;

// A socket bound at `path` (listening when `listen` is set), as a program
// that crashed or hangs leaves it.
int RawSocket(const QString& path, bool listen) {
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::strncpy(a.sun_path, QFile::encodeName(path).constData(), sizeof a.sun_path - 1);
  const bool ok = bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && (!listen || ::listen(fd, 4) == 0);
  EXPECT_TRUE(ok) << path.toStdString();
  if (listen || !ok) return fd;
  close(fd);  // closed but not removed
  return -1;
}

std::set<int> OpenFds() {
  std::set<int> fds;
  DIR* d = opendir("/proc/self/fd");
  while (dirent* e = readdir(d))
    if (e->d_name[0] != '.') fds.insert(std::atoi(e->d_name));
  closedir(d);
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
  ASSERT_TRUE(dir.isValid());
  const QString lockPath = dir.filePath("skyglass-u1-x11-_8.lock");
  int raised = 0;
  {
    SingleInstance first("u1-x11-_8", dir.path());
    // What a killed program leaves: its lock file (the kernel dropped the
    // lock) and a socket nobody listens on.
    QFile lock(lockPath);
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();
    RawSocket(first.SocketPath(), false);
    const std::set<int> before = OpenFds();
    ASSERT_TRUE(first.Claim([&] { ++raised; }));
    for (const int fd : OpenFds()) {
      if (!before.count(fd)) {
        EXPECT_TRUE(fcntl(fd, F_GETFD) & FD_CLOEXEC) << fd;
      }
    }
    for (const QString& f : {lockPath, first.SocketPath()}) {
      struct stat st {};
      ASSERT_EQ(stat(QFile::encodeName(f).constData(), &st), 0) << f.toStdString();
      EXPECT_EQ(st.st_mode & 077, 0u) << f.toStdString();
    }
    // A peer that connects and says nothing holds up neither side.
    const int silent = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::strncpy(a.sun_path, QFile::encodeName(first.SocketPath()).constData(), sizeof a.sun_path - 1);
    ASSERT_EQ(::connect(silent, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    EXPECT_TRUE(SecondStartDelivered("u1-x11-_8", dir.path(), raised));
    EXPECT_EQ(raised, 1);
    close(silent);
  }
  EXPECT_FALSE(QFile::exists(lockPath));
  EXPECT_FALSE(QFile::exists(dir.filePath("skyglass-u1-x11-_8.sock")));
}

TEST(SingleInstance, ARunningProgramThatNeverAnswersIsNotAwaitedLong) {
  skytest::App();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const int lock = open(QFile::encodeName(dir.filePath("skyglass-u1-x11-_9.lock")).constData(), O_RDWR | O_CREAT, 0600);
  ASSERT_EQ(flock(lock, LOCK_EX | LOCK_NB), 0);
  SingleInstance later("u1-x11-_9", dir.path());
  const int hung = RawSocket(later.SocketPath(), true);  // accepts, never reads
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(later.Claim({}));
  EXPECT_FALSE(later.Delivered());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  close(hung);
  close(lock);
}

TEST(SingleInstance, AFolderPathLongerThanASocketAddressStillWorks) {
  skytest::App();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString deep = dir.filePath(QString(70, 'd') + "/" + QString(70, 'e'));
  ASSERT_TRUE(QDir().mkpath(deep));
  int raised = 0;
  SingleInstance first("u1-x11-_10", deep);
  ASSERT_GT(first.SocketPath().size(), qsizetype(sizeof(sockaddr_un::sun_path)));
  ASSERT_TRUE(first.Claim([&] { ++raised; }));
  EXPECT_TRUE(QFile::exists(first.SocketPath()));
  EXPECT_TRUE(SecondStartDelivered("u1-x11-_10", deep, raised));
}

TEST(SingleInstance, AGuardThatCannotWorkDoesNotKeepTheProgramFromStarting) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  SingleInstance s("u1-x11-_11", dir.filePath("missing"));
  EXPECT_TRUE(s.Claim({}));
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
