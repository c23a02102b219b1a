#include "common/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace sky {

std::string FolderRefusal(const std::string& dir) {
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0) return "The folder " + dir + " cannot be used: " + std::strerror(errno) + ".";
  if (!S_ISDIR(st.st_mode)) return "The folder " + dir + " cannot be used: it is no folder.";
  if (st.st_uid != ::geteuid())
    return "The folder " + dir + " is not used: it belongs to another user, who could replace the files kept there.";
  if (st.st_mode & S_IWOTH)
    return "The folder " + dir + " is not used: every user may write in it (chmod o-w " + dir + " mends that).";
  return {};
}

ReplacingFile::ReplacingFile(const std::string& target) : target_(target) {
  // A device or pipe named on purpose (/dev/null, a FIFO) is written as it is.
  struct stat st {};
  if (::lstat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode) && !S_ISDIR(st.st_mode)) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0 && !(f_ = ::fdopen(fd, "wb"))) ::close(fd);
    return;
  }
  std::vector<char> name(target.begin(), target.end());
  const char suffix[] = ".new-XXXXXX";
  name.insert(name.end(), suffix, suffix + sizeof suffix);
  // mkstemp creates with O_EXCL: a name already there (a planted link too) is never opened.
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return;
  temp_ = name.data();
  // The mode a plain creation would give (mkstemp makes 0600).
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  f_ = ::fdopen(fd, "wb");
  if (!f_) {
    ::close(fd);
    ::unlink(temp_.c_str());
    temp_.clear();
  }
}

ReplacingFile::~ReplacingFile() {
  if (f_) std::fclose(f_);
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

bool ReplacingFile::Commit() {
  if (!f_) return false;
  const bool written = std::fclose(f_) == 0;
  f_ = nullptr;
  if (temp_.empty()) return written;
  if (!written || ::rename(temp_.c_str(), target_.c_str()) != 0) return false;
  temp_.clear();
  return true;
}

bool WriteReplacing(const std::string& target, const void* data, std::size_t size) {
  ReplacingFile f(target);
  if (!f) return false;
  if (size > 0 && std::fwrite(data, 1, size, f.get()) != size) return false;
  return f.Commit();
}

std::string CopyReplacing(const std::string& from, const std::string& to) {
  const int in = ::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (in < 0) return std::strerror(errno);
  struct stat st {};
  if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(in);
    return "not a regular file";
  }
  ReplacingFile out(to);
  if (!out) {
    const std::string why = std::strerror(errno);
    ::close(in);
    return why;
  }
  std::vector<char> buf(1 << 16);
  for (;;) {
    const ssize_t n = ::read(in, buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const std::string why = std::strerror(errno);
      ::close(in);
      return why;
    }
    if (n == 0) break;
    if (std::fwrite(buf.data(), 1, static_cast<std::size_t>(n), out.get()) != static_cast<std::size_t>(n)) {
      ::close(in);
      return "write failed";
    }
  }
  ::close(in);
  return out.Commit() ? std::string() : std::string("write failed");
}

}  // namespace sky
