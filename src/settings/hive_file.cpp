// The hive file: where it lives, the lock shared by all processes, the
// atomic replace, and the copy kept aside when the file cannot be read.
#include "settings/hive.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "common/text.h"

namespace sky::hive {

namespace {

constexpr const char* kFolder = "skyglass";
constexpr const char* kFileName = "settings.ini";
constexpr const char* kLockName = "settings.lock";
// Temporary files of a write in progress; any left over belong to a writer
// that died, because only the holder of the lock creates one.
constexpr const char* kTempPrefix = "settings.ini.tmp.";

// --- files ------------------------------------------------------------------

struct Paths {
  std::string dir, file, lock;
};

std::string HomeDir() {
  if (const char* h = std::getenv("HOME"); h && *h) return h;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

Paths CurrentPaths() {
  std::string base;
  // Only an absolute XDG_CONFIG_HOME counts; a relative one is to be ignored.
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && x[0] == '/') base = x;
  else base = HomeDir() + "/.config";
  Paths p;
  p.dir = base + "/" + kFolder;
  p.file = p.dir + "/" + kFileName;
  p.lock = p.dir + "/" + kLockName;
  return p;
}

std::string Errno(int e) { return std::strerror(e); }

// Creates the folder and the missing ones above it (private to the user).
bool MakeDirs(const std::string& dir) {
  struct stat st {};
  if (stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  const auto slash = dir.rfind('/');
  if (slash != std::string::npos && slash > 0 && !MakeDirs(dir.substr(0, slash))) return false;
  return mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

enum class ReadResult { Ok, Missing, Unreadable };

ReadResult ReadWhole(const std::string& path, std::string& out, std::string& error) {
  out.clear();
  // Without blocking: a FIFO or a device in the file's place would hang every
  // read, and every writer queued behind the lock of one.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return ReadResult::Missing;
    error = Errno(errno);
    return ReadResult::Unreadable;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    error = S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a regular file";
    close(fd);
    return ReadResult::Unreadable;
  }
  // A settings file is a few KB. A larger buffer on the stack would leave all
  // of its pages resident for the program's life: the compiler probes every
  // page of a large frame.
  out.reserve(static_cast<std::size_t>(std::max<off_t>(st.st_size, 0)));
  char buf[4096];
  for (;;) {
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) {
      out.append(buf, static_cast<std::size_t>(n));
    } else if (n == 0) {
      break;
    } else if (errno != EINTR) {
      error = Errno(errno);
      close(fd);
      return ReadResult::Unreadable;
    }
  }
  close(fd);
  return ReadResult::Ok;
}

bool WriteAll(int fd, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// The file a write replaces: the settings file itself or, when that is a
// symbolic link (dotfile managers keep it elsewhere), the file the link leads
// to, also when that does not exist yet. The link stays a link.
std::string WriteTarget(const std::string& file) {
  std::string target = file;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    std::string link(4096, '\0');
    const ssize_t n = readlink(target.c_str(), link.data(), link.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= link.size()) break;
    link.resize(static_cast<std::size_t>(n));
    if (link[0] != '/') link = target.substr(0, target.rfind('/') + 1) + link;
    target = link;
  }
  return target;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Writes the new file beside the one it replaces and renames it over; on
// failure the temporary file is gone, the old file untouched and `cause`
// says why.
bool ReplaceFile(const Paths& p, const std::string& data, std::string& cause) {
  const std::string target = WriteTarget(p.file);
  const std::string dir = FolderOf(target);
  std::string tmp = (dir == "/" ? dir : dir + "/") + kTempPrefix + "XXXXXX";
  const int fd = mkostemp(tmp.data(), O_CLOEXEC);
  if (fd < 0) {
    cause = "cannot create a file in " + dir + ": " + Errno(errno);
    return false;
  }
  auto fail = [&](const std::string& what) {
    cause = what + ": " + Errno(errno);
    close(fd);
    unlink(tmp.c_str());
    return false;
  };
  // Keep the permissions the user gave the file; a new file is private.
  struct stat st {};
  if (stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode) && fchmod(fd, st.st_mode & 07777) != 0)
    return fail("cannot set the permissions of " + tmp);
  if (!WriteAll(fd, data) || fsync(fd) != 0) return fail("cannot write " + tmp);
  if (close(fd) != 0) {
    cause = "cannot write " + tmp + ": " + Errno(errno);
    unlink(tmp.c_str());
    return false;
  }
  if (rename(tmp.c_str(), target.c_str()) != 0) {
    cause = "cannot replace " + target + ": " + Errno(errno);
    unlink(tmp.c_str());
    return false;
  }
  // The rename itself must reach the disk, or a crash may bring back the old file.
  const int dfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    fsync(dfd);
    close(dfd);
  }
  return true;
}

// Temporary files of writers that died, in the store's folder and, for a
// linked store, beside the link's target. Call with the lock held.
void RemoveStaleTemps(const Paths& p) {
  const std::string targetDir = FolderOf(WriteTarget(p.file));
  for (const std::string& folder : {p.dir, targetDir}) {
    DIR* d = opendir(folder.c_str());
    if (!d) continue;
    const std::size_t n = std::strlen(kTempPrefix);
    while (const dirent* e = readdir(d)) {
      if (std::strncmp(e->d_name, kTempPrefix, n) == 0) unlinkat(dirfd(d), e->d_name, 0);
    }
    closedir(d);
    if (targetDir == p.dir) break;
  }
}

// Holds the writers' lock for its lifetime.
class FileLock {
 public:
  explicit FileLock(const std::string& path) {
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd_ < 0) {
      error_ = Errno(errno);
      return;
    }
    while (flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        error_ = Errno(errno);
        close(fd_);
        fd_ = -1;
        return;
      }
    }
  }
  ~FileLock() {
    if (fd_ >= 0) close(fd_);  // releases the lock
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool Held() const { return fd_ >= 0; }
  // Why the lock could not be taken.
  std::string Cause(const std::string& path) const { return "cannot lock " + path + ": " + error_; }

 private:
  int fd_ = -1;
  std::string error_;
};

std::mutex& NoticeMutex() {
  static std::mutex m;
  return m;
}
std::optional<StoreNotice>& PendingNotice() {
  static std::optional<StoreNotice> notice;
  return notice;
}

// A file with lines that cannot be read: its bytes are kept in a file of
// their own beside it, and the file is rewritten with what could be read, so
// the user loses one line, not every setting. Call with the lock held.
// False (and the file as it was) when the copy cannot be made.
bool KeepAsideAndRepair(const Paths& p, const std::string& original, const Hive& readable, const ParseReport& report,
                        std::string& cause) {
  char stamp[32];
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&now, &tm);
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
  std::string aside = p.file + ".corrupt-" + stamp;
  int fd = -1;
  for (int i = 1; i < 1000; ++i) {
    fd = open(aside.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) break;
    aside = p.file + ".corrupt-" + stamp + "-" + std::to_string(i);
  }
  bool ok = fd >= 0 && WriteAll(fd, original) && fsync(fd) == 0;
  if (!ok) cause = "cannot keep a copy as " + aside + ": " + Errno(errno);
  if (fd >= 0 && close(fd) != 0 && ok) {
    ok = false;
    cause = "cannot keep a copy as " + aside + ": " + Errno(errno);
  }
  if (!ok) {
    if (fd >= 0) unlink(aside.c_str());
  } else if (!ReplaceFile(p, Serialize(readable), cause)) {
    unlink(aside.c_str());
    ok = false;
  }
  if (!ok) {
    std::fprintf(stderr, "skyglass: the settings file %s has lines that cannot be read (%s); %s\n", p.file.c_str(),
                 report.firstError.c_str(), cause.c_str());
    return false;
  }
  // Told by the program (a message box at start, a line from skyglass-cli).
  std::lock_guard<std::mutex> lock(NoticeMutex());
  PendingNotice() = StoreNotice{p.file, aside, report.skipped, report.firstError};
  return true;
}

}  // namespace

// --- the file -------------------------------------------------------------------

std::string FilePath() { return CurrentPaths().file; }

Hive Load() {
  const Paths p = CurrentPaths();
  std::string text, error;
  switch (ReadWhole(p.file, text, error)) {
    case ReadResult::Missing: return Hive{};
    case ReadResult::Unreadable:
      std::fprintf(stderr, "skyglass: cannot read the settings file %s: %s\n", p.file.c_str(), error.c_str());
      return Hive{};
    case ReadResult::Ok: break;
  }
  ParseReport report;
  Hive hive = ParseReadable(text, report);
  if (report.skipped == 0) return hive;
  // Only with the lock: a writer may be replacing the file right now, and
  // only one process may set it aside.
  if (MakeDirs(p.dir)) {
    FileLock lock(p.lock);
    if (lock.Held()) {
      if (ReadWhole(p.file, text, error) != ReadResult::Ok) return hive;
      hive = ParseReadable(text, report);
      std::string cause;
      if (report.skipped > 0) KeepAsideAndRepair(p, text, hive, report, cause);
      return hive;
    }
  }
  std::fprintf(stderr, "skyglass: the settings file %s has lines that cannot be read (%s)\n", p.file.c_str(),
               report.firstError.c_str());
  return hive;
}

void Update(const std::function<bool(Hive&)>& change, const std::string& failMessage) {
  const Paths p = CurrentPaths();
  auto fail = [&](const std::string& cause) { return ESettingsError(failMessage + " (" + cause + ")"); };
  if (!MakeDirs(p.dir)) throw fail("cannot create the folder " + p.dir + ": " + Errno(errno));
  FileLock lock(p.lock);
  if (!lock.Held()) throw fail(lock.Cause(p.lock));
  RemoveStaleTemps(p);
  std::string text, error;
  Hive hive;
  switch (ReadWhole(p.file, text, error)) {
    case ReadResult::Missing: break;
    case ReadResult::Unreadable:
      // Writing now would throw away whatever the file holds.
      throw fail("cannot read " + p.file + ": " + error);
    case ReadResult::Ok: {
      ParseReport report;
      hive = ParseReadable(text, report);
      std::string cause;
      if (report.skipped > 0 && !KeepAsideAndRepair(p, text, hive, report, cause)) throw fail(cause);
      break;
    }
  }
  if (!change(hive)) return;
  std::string cause;
  if (!ReplaceFile(p, Serialize(hive), cause)) throw fail(cause);
}

std::optional<StoreNotice> TakeStoreNotice() {
  std::lock_guard<std::mutex> lock(NoticeMutex());
  std::optional<StoreNotice> notice;
  notice.swap(PendingNotice());
  return notice;
}

std::string StoreNoticeText(const StoreNotice& n) {
  const bool one = n.skipped == 1;
  return std::to_string(n.skipped) + (one ? " line" : " lines") + " of the settings file " + n.file +
         (one ? " could not be read and was skipped" : " could not be read and were skipped") + " (" + n.firstError +
         "); the file as it was is kept as " + n.keptAs + ".";
}

}  // namespace sky::hive
