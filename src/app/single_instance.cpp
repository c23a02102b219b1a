#include "app/single_instance.h"

#include <QDir>
#include <QFile>
#include <QObject>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <thread>
#include <vector>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace sky::ui {

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kRaise[] = "raise\n";
constexpr char kDone[] = "ok\n";
constexpr int kAnswerMs = 1000;
// A peer that connects and says nothing (or too much) is let go: the running
// program keeps no descriptor for it beyond this.
constexpr int kSilentPeerMs = 3000;
constexpr std::size_t kMaxPeers = 8;
constexpr qsizetype kMaxRequest = 256;

QString Safe(const QString& s) {
  QString out;
  out.reserve(s.size());
  for (qsizetype i = 0; i < s.size(); ++i) {
    const char16_t u = s[i].unicode();
    const bool plain =
        (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '.' || u == '_' || u == '-';
    out += plain ? s[i] : QChar('_');
    // A character outside the basic plane is one character of the name.
    if (!plain && s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) ++i;
  }
  return out;
}

// The socket address of `path`. A path longer than sun_path holds is reached
// through a descriptor of its folder (/proc/self/fd/N/name), which the caller
// closes once bound or connected; false when even that does not fit.
bool Address(const QByteArray& path, sockaddr_un* addr, socklen_t* len, int* dirFd) {
  *dirFd = -1;
  std::memset(addr, 0, sizeof *addr);
  addr->sun_family = AF_UNIX;
  QByteArray use = path;
  if (use.size() >= qsizetype(sizeof addr->sun_path)) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) return false;
    const QByteArray folder = slash == 0 ? QByteArray("/") : path.left(slash);
    *dirFd = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (*dirFd < 0) return false;
    use = "/proc/self/fd/" + QByteArray::number(*dirFd) + path.mid(slash);
    if (use.size() >= qsizetype(sizeof addr->sun_path)) {
      ::close(*dirFd);
      *dirFd = -1;
      return false;
    }
  }
  std::memcpy(addr->sun_path, use.constData(), std::size_t(use.size()));
  *len = socklen_t(offsetof(sockaddr_un, sun_path) + std::size_t(use.size()) + 1);
  return true;
}

enum class LockResult { Held, Taken, Unavailable };

// Takes the lock file's flock. Its holder removes the file when it ends, so a
// lock won on a file no longer at `path` is worthless: try the new one.
LockResult Lock(const QByteArray& path, int* out, int* error) {
  *error = 0;
  for (int attempt = 0; attempt < 5; ++attempt) {
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
      *error = errno;
      return LockResult::Unavailable;
    }
    struct stat mine {};
    if (::fstat(fd, &mine) != 0 || !S_ISREG(mine.st_mode) || mine.st_uid != ::geteuid()) {
      *error = EPERM;
      ::close(fd);
      return LockResult::Unavailable;
    }
    int r;
    do r = ::flock(fd, LOCK_EX | LOCK_NB);
    while (r != 0 && errno == EINTR);
    if (r != 0) {
      *error = errno;
      ::close(fd);
      return *error == EWOULDBLOCK ? LockResult::Taken : LockResult::Unavailable;
    }
    struct stat now {};
    if (::stat(path.constData(), &now) == 0 && now.st_dev == mine.st_dev && now.st_ino == mine.st_ino) {
      ::fchmod(fd, 0600);  // a file left by an older program may be readable by others
      *out = fd;
      return LockResult::Held;
    }
    ::close(fd);
  }
  *error = EAGAIN;
  return LockResult::Unavailable;
}

// The later start's side: connect, ask, await "ok" until the deadline. A
// running program that has not yet opened its socket is given the same
// second to do so.
bool Ask(const QByteArray& path) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(kAnswerMs);
  auto left = [&] {
    return int(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
  };
  sockaddr_un addr;
  socklen_t len = 0;
  int dirFd = -1;
  if (!Address(path, &addr, &len, &dirFd)) return false;
  int fd = -1;
  while (true) {
    fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) break;
    // Bounds a connect to a full backlog and the send alike.
    const int ms = std::max(left(), 1);
    const timeval tv{ms / 1000, (ms % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), len) == 0) break;
    const int error = errno;
    ::close(fd);
    fd = -1;
    if ((error != ENOENT && error != ECONNREFUSED && error != EINTR) || left() <= 20) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (dirFd >= 0) ::close(dirFd);
  if (fd < 0) return false;
  bool done = false;
  if (::send(fd, kRaise, sizeof kRaise - 1, MSG_NOSIGNAL) == ssize_t(sizeof kRaise - 1)) {
    QByteArray answer;
    for (int ms = left(); ms > 0 && !done; ms = left()) {
      pollfd p{fd, POLLIN, 0};
      const int r = ::poll(&p, 1, ms);
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) break;
      char buf[64];
      const ssize_t n = ::recv(fd, buf, sizeof buf, MSG_DONTWAIT);
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (n <= 0) break;
      answer.append(buf, n);
      done = answer.contains("ok");
    }
  }
  ::close(fd);
  return done;
}

}  // namespace

// The running program's side: the listening socket and the peers it has
// accepted, all watched from the event loop.
class SingleInstance::Server {
 public:
  Server(int fd, QByteArray path, std::function<void()> raise)
      : fd_(fd), path_(std::move(path)), raise_(std::move(raise)) {
    listen_ = new QSocketNotifier(fd_, QSocketNotifier::Read, &context_);
    QObject::connect(listen_, &QSocketNotifier::activated, &context_, [this] { Accept(); });
  }
  ~Server() {
    for (Peer& p : peers_) {
      delete p.notifier;
      ::close(p.fd);
    }
    delete listen_;
    ::close(fd_);
    ::unlink(path_.constData());
  }

  // Binds a private socket at `path`, replacing one left by a program that
  // died (the caller holds the lock, so the name is ours). Null when the
  // socket cannot be had; the lock alone still keeps later starts out.
  static std::unique_ptr<Server> Listen(const QByteArray& path, std::function<void()> raise) {
    ::unlink(path.constData());
    sockaddr_un addr;
    socklen_t len = 0;
    int dirFd = -1;
    if (!Address(path, &addr, &len, &dirFd)) return nullptr;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    bool ok = fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&addr), len) == 0;
    if (dirFd >= 0) ::close(dirFd);
    // Nobody can connect before listen(), so the mode is set in time.
    ok = ok && ::chmod(path.constData(), 0600) == 0 && ::listen(fd, int(kMaxPeers)) == 0;
    if (!ok) {
      if (fd >= 0) {
        ::close(fd);
        ::unlink(path.constData());
      }
      return nullptr;
    }
    return std::make_unique<Server>(fd, path, std::move(raise));
  }

 private:
  struct Peer {
    quint64 id;
    int fd;
    QSocketNotifier* notifier;
    QByteArray got;
  };

  void Accept() {
    while (true) {
      const int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
      if (c < 0) {
        if (errno == EINTR) continue;
        return;
      }
      if (peers_.size() >= kMaxPeers) Drop(peers_.front().id);
      const quint64 id = ++lastId_;
      auto* n = new QSocketNotifier(c, QSocketNotifier::Read, &context_);
      peers_.push_back({id, c, n, {}});
      QObject::connect(n, &QSocketNotifier::activated, &context_, [this, id] { Read(id); });
      QTimer::singleShot(kSilentPeerMs, &context_, [this, id] { Drop(id); });
    }
  }

  std::vector<Peer>::iterator At(quint64 id) {
    return std::find_if(peers_.begin(), peers_.end(), [id](const Peer& p) { return p.id == id; });
  }

  Peer* Find(quint64 id) {
    auto it = At(id);
    return it == peers_.end() ? nullptr : &*it;
  }

  void Read(quint64 id) {
    Peer* p = Find(id);
    if (!p) return;
    char buf[256];
    const ssize_t n = ::recv(p->fd, buf, sizeof buf, 0);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    if (n <= 0) return Drop(id);
    p->got.append(buf, n);
    if (!p->got.contains("raise")) {
      if (p->got.size() > kMaxRequest) Drop(id);
      return;
    }
    if (raise_) raise_();
    // The raise may have run the event loop: look the peer up again.
    if ((p = Find(id))) ::send(p->fd, kDone, sizeof kDone - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    Drop(id);
  }

  // Called from the peer's own notifier too, so that one goes later.
  void Drop(quint64 id) {
    auto it = At(id);
    if (it == peers_.end()) return;
    it->notifier->setEnabled(false);
    it->notifier->deleteLater();
    ::close(it->fd);
    peers_.erase(it);
  }

  int fd_;
  QByteArray path_;
  std::function<void()> raise_;
  QObject context_;
  QSocketNotifier* listen_ = nullptr;
  std::vector<Peer> peers_;
  quint64 lastId_ = 0;
};

QString InstanceKey() {
  QString display = "none";
  if (const QString w = qEnvironmentVariable("WAYLAND_DISPLAY"); !w.isEmpty()) display = "wl-" + w;
  else if (const QString x = qEnvironmentVariable("DISPLAY"); !x.isEmpty()) display = "x11-" + x;
  return Safe(QString("u%1-%2").arg(getuid()).arg(display));
}

SingleInstance::SingleInstance(const QString& key, const QString& folder) {
  QString dir = folder;
  if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (dir.isEmpty()) dir = QDir::tempPath();
  base_ = QDir(dir).filePath("skyglass-" + Safe(key));
}

SingleInstance::~SingleInstance() {
  server_.reset();
  // The lock goes last: a start in between finds no socket and no lock. The
  // file goes while still locked; a start that opened it meanwhile sees it
  // gone once it wins the lock and takes a fresh one.
  if (lockFd_ >= 0) {
    ::unlink(QFile::encodeName(base_ + ".lock").constData());
    ::close(lockFd_);
  }
}

bool SingleInstance::Claim(std::function<void()> raise) {
  const QByteArray lockPath = QFile::encodeName(base_ + ".lock");
  int error = 0;
  switch (Lock(lockPath, &lockFd_, &error)) {
    case LockResult::Taken: delivered_ = Ask(QFile::encodeName(SocketPath())); return false;
    case LockResult::Unavailable:
      qWarning("skyglass: cannot take the lock %s (%s); running without the one-instance guard", lockPath.constData(),
               std::strerror(error));
      return true;
    case LockResult::Held: break;
  }
  server_ = Server::Listen(QFile::encodeName(SocketPath()), std::move(raise));
  return true;
}

}  // namespace sky::ui
