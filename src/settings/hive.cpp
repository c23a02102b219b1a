#include "settings/hive.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool IsUnder(const std::string& path, const std::string& top) {
  return path.size() > top.size() && path[top.size()] == '\\' &&
         SameTextAscii(std::string_view(path).substr(0, top.size()), top);
}

// --- escaping -------------------------------------------------------------

const char kHex[] = "0123456789ABCDEF";

void PutHexEscape(std::string& out, unsigned char c) {
  out += "\\x";
  out += kHex[c >> 4];
  out += kHex[c & 15];
}

void PutUtf8(std::string& out, unsigned char c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// A name or data field: escapes what would be misread, or is invisible.
std::string Escape(const std::string& s, bool isName) {
  std::string out;
  out.reserve(s.size() + 8);
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    const bool atEnd = i == 0 || i + 1 == s.size();
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else if (c < 0x20 || (c >= 0x7F && c <= 0xA0)) PutHexEscape(out, c);
    else if (c == ' ' && atEnd) PutHexEscape(out, c);
    else if (isName && c == '=') PutHexEscape(out, c);
    else if (isName && i == 0 && (c == '[' || c == ';' || c == '#')) PutHexEscape(out, c);
    else PutUtf8(out, c);
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// UTF-8 of code points up to U+00FF to Latin-1, with escapes when `escapes`.
bool Unescape(std::string_view s, bool escapes, std::string& out, std::string& error) {
  out.clear();
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x80) {
      if ((c != 0xC2 && c != 0xC3) || i + 1 >= s.size() ||
          (static_cast<unsigned char>(s[i + 1]) & 0xC0) != 0x80) {
        error = "not UTF-8 text of Latin-1 characters";
        return false;
      }
      out += static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3F));
      ++i;
    } else if (c < 0x20 && c != '\t') {
      error = "control character";
      return false;
    } else if (c == '\\' && escapes) {
      if (i + 1 >= s.size()) {
        error = "\"\\\" at the end of the line";
        return false;
      }
      const char e = s[++i];
      if (e == '\\') out += '\\';
      else if (e == 'n') out += '\n';
      else if (e == 'r') out += '\r';
      else if (e == 't') out += '\t';
      else if (e == 'x' && i + 2 < s.size() && HexDigit(s[i + 1]) >= 0 && HexDigit(s[i + 2]) >= 0) {
        out += static_cast<char>(HexDigit(s[i + 1]) * 16 + HexDigit(s[i + 2]));
        i += 2;
      } else {
        error = "unknown escape";
        return false;
      }
    } else {
      out += static_cast<char>(c);
    }
  }
  return true;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool ValidTypeName(std::string_view t) {
  if (t.empty() || t.size() > 32 || !(t[0] >= 'a' && t[0] <= 'z')) return false;
  for (char c : t)
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) return false;
  return true;
}

bool ParseDword(std::string_view s, std::uint32_t& out) {
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return false;
  std::uint64_t v = 0;
  for (char c : s) {
    const int d = HexDigit(c);
    if (d < 0 || d >= base) return false;
    v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
    if (v > 0xFFFFFFFFull) return false;
  }
  out = static_cast<std::uint32_t>(v);
  return true;
}

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
  struct stat st{};
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
  struct stat st{};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    error = S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a regular file";
    close(fd);
    return ReadResult::Unreadable;
  }
  char buf[65536];
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
    struct stat st{};
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
  struct stat st{};
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
bool KeepAsideAndRepair(const Paths& p, const std::string& original, const Hive& readable,
                        const ParseReport& report, std::string& cause) {
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

// --- Hive -------------------------------------------------------------------

Key* Hive::Find(const std::string& path) {
  for (auto& k : keys)
    if (SameTextAscii(k.path, path)) return &k;
  return nullptr;
}

const Key* Hive::Find(const std::string& path) const {
  return const_cast<Hive*>(this)->Find(path);
}

bool Hive::Exists(const std::string& path) const {
  for (const auto& k : keys)
    if (SameTextAscii(k.path, path) || IsUnder(k.path, path)) return true;
  return false;
}

bool Hive::Create(const std::string& path) {
  if (Exists(path)) return false;
  keys.push_back(Key{path, {}});
  return true;
}

bool Hive::Delete(const std::string& path) {
  const auto before = keys.size();
  std::erase_if(keys, [&](const Key& k) { return SameTextAscii(k.path, path) || IsUnder(k.path, path); });
  return keys.size() != before;
}

void Hive::Set(const std::string& path, const Value& value) {
  Key* k = Find(path);
  if (!k) {
    keys.push_back(Key{path, {}});
    k = &keys.back();
  }
  for (auto& v : k->values) {
    if (SameTextAscii(v.name, value.name)) {
      const std::string name = v.name;
      v = value;
      v.name = name;
      return;
    }
  }
  k->values.push_back(value);
}

const Value* Hive::Get(const std::string& path, const std::string& name) const {
  const Key* k = Find(path);
  if (!k) return nullptr;
  for (const auto& v : k->values)
    if (SameTextAscii(v.name, name)) return &v;
  return nullptr;
}

std::vector<std::string> Hive::SubKeys(const std::string& path) const {
  std::vector<std::string> out;
  for (const auto& k : keys) {
    if (!IsUnder(k.path, path)) continue;
    const auto end = k.path.find('\\', path.size() + 1);
    const std::string child = k.path.substr(0, end);
    bool seen = false;
    for (const auto& o : out) seen = seen || SameTextAscii(o, child);
    if (!seen) out.push_back(child);
  }
  return out;
}

bool ValidKeyPath(const std::string& path) {
  if (path.empty() || path.front() == ' ' || path.back() == ' ') return false;
  bool levelStart = true;
  for (unsigned char c : path) {
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == ']') return false;
    if (c == '\\') {
      if (levelStart) return false;
      levelStart = true;
    } else {
      levelStart = false;
    }
  }
  return !levelStart;
}

// --- file text ----------------------------------------------------------------

std::string Serialize(const Hive& hive) {
  std::string out =
      "; Skyglass settings. Each [key] block holds lines name=type:value; types are\n"
      "; sz (text) and dword (number). Escapes: \\\\ \\n \\r \\t \\xHH.\n";
  for (const auto& k : hive.keys) {
    out += "\n[";
    for (unsigned char c : k.path) PutUtf8(out, c);
    out += "]\n";
    for (const auto& v : k.values) {
      out += Escape(v.name, true);
      out += '=';
      switch (v.type) {
        case ValueType::Text:
          out += "sz:";
          out += Escape(v.text, false);
          break;
        case ValueType::Dword:
          out += "dword:";
          out += std::to_string(v.dword);
          break;
        case ValueType::Other:
          out += v.otherType;
          out += ':';
          out += Escape(v.text, false);
          break;
      }
      out += '\n';
    }
  }
  return out;
}

Hive ParseReadable(const std::string& fileText, ParseReport& report) {
  Hive hive;
  report = {};
  // Keys and names by their lower-case form, so that a file of many keys or
  // values reads in linear time; the first spelling is the one kept.
  std::unordered_map<std::string, std::size_t> keyIndex;
  std::vector<std::unordered_map<std::string, std::size_t>> valueIndex;
  constexpr std::size_t kNoKey = static_cast<std::size_t>(-1);
  std::size_t current = kNoKey;
  bool keyUnread = false;  // the last key line could not be read
  std::size_t lineNo = 0;
  // Text editors may put a byte order mark in front when the user edits the
  // file by hand; it is no reason to set the whole store aside.
  std::size_t pos = fileText.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  auto skip = [&](const std::string& why) {
    if (report.skipped++ == 0) report.firstError = "line " + std::to_string(lineNo) + ": " + why;
  };
  while (pos < fileText.size()) {
    ++lineNo;
    auto nl = fileText.find('\n', pos);
    if (nl == std::string::npos) nl = fileText.size();
    std::string_view line(fileText.data() + pos, nl - pos);
    pos = nl + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // edited elsewhere
    const std::string_view t = TrimBlanks(line);
    if (t.empty() || t.front() == ';' || t.front() == '#') continue;
    std::string why;
    if (t.front() == '[') {
      // A key line that cannot be read takes its values with it: they
      // must not land in the key above.
      keyUnread = true;
      current = kNoKey;
      std::string path;
      if (t.back() != ']') {
        skip("a key line must end with \"]\"");
      } else if (!Unescape(t.substr(1, t.size() - 2), false, path, why)) {
        skip(why);
      } else if (!ValidKeyPath(path)) {
        skip("invalid key path");
      } else {
        keyUnread = false;
        auto [it, added] = keyIndex.try_emplace(LowerAscii(path), hive.keys.size());
        if (added) {
          hive.keys.push_back(Key{path, {}});
          valueIndex.emplace_back();
        }
        current = it->second;
      }
      continue;
    }
    if (current == kNoKey) {
      skip(keyUnread ? "a value under a key line that cannot be read" : "a value before the first [key]");
      continue;
    }
    const auto eq = t.find('=');
    if (eq == std::string_view::npos) {
      skip("no \"=\"");
      continue;
    }
    const std::string_view rest = t.substr(eq + 1);
    const auto colon = rest.find(':');
    if (colon == std::string_view::npos) {
      skip("no type before the value");
      continue;
    }
    Value v;
    if (!Unescape(TrimBlanks(t.substr(0, eq)), true, v.name, why)) {
      skip(why);
      continue;
    }
    const std::string_view type = TrimBlanks(rest.substr(0, colon));
    const std::string_view data = TrimBlanks(rest.substr(colon + 1));
    bool ok = true;
    if (type == "sz") {
      v.type = ValueType::Text;
      ok = Unescape(data, true, v.text, why);
    } else if (type == "dword") {
      v.type = ValueType::Dword;
      ok = ParseDword(data, v.dword);
      if (!ok) why = "invalid dword";
    } else if (ValidTypeName(type)) {
      v.type = ValueType::Other;
      v.otherType = std::string(type);
      ok = Unescape(data, true, v.text, why);
    } else {
      ok = false;
      why = "invalid type";
    }
    if (!ok) {
      skip(why);
      continue;
    }
    // A name given twice (hand edits): the later line wins, the first spelling stays.
    std::vector<Value>& values = hive.keys[current].values;
    auto [it, added] = valueIndex[current].try_emplace(LowerAscii(v.name), values.size());
    if (added) {
      values.push_back(std::move(v));
    } else {
      v.name = values[it->second].name;
      values[it->second] = std::move(v);
    }
  }
  return hive;
}

bool Parse(const std::string& fileText, Hive& out, std::string& error) {
  ParseReport report;
  Hive hive = ParseReadable(fileText, report);
  if (report.skipped > 0) {
    error = report.firstError;
    return false;
  }
  out = std::move(hive);
  return true;
}

// --- the file -------------------------------------------------------------------

std::string FilePath() { return CurrentPaths().file; }

Hive Load() {
  const Paths p = CurrentPaths();
  std::string text, error;
  switch (ReadWhole(p.file, text, error)) {
    case ReadResult::Missing:
      return Hive{};
    case ReadResult::Unreadable:
      std::fprintf(stderr, "skyglass: cannot read the settings file %s: %s\n", p.file.c_str(),
                   error.c_str());
      return Hive{};
    case ReadResult::Ok:
      break;
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
    case ReadResult::Missing:
      break;
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

// --- registry-like operations ------------------------------------------------------

bool KeyExists(const std::string& path) { return ValidKeyPath(path) && Load().Exists(path); }

void CreateKey(const std::string& path) {
  if (!ValidKeyPath(path)) throw ESettingsError("Invalid key '" + path + "'");
  if (Load().Exists(path)) return;
  Update([&](Hive& h) { return h.Create(path); }, "Failed to create key '" + path + "'");
}

bool DeleteKey(const std::string& path) {
  if (!ValidKeyPath(path) || !Load().Exists(path)) return false;
  bool removed = false;
  Update(
      [&](Hive& h) {
        removed = h.Delete(path);
        return removed;
      },
      "Failed to delete key '" + path + "'");
  return removed;
}

bool ReadString(const std::string& path, const std::string& name, std::string& out) {
  if (!ValidKeyPath(path)) return false;
  const Hive h = Load();
  const Value* v = h.Get(path, name);
  if (!v) return false;
  if (v->type != ValueType::Text) throw ESettingsError("Invalid data type for '" + name + "'");
  out = v->text;
  return true;
}

namespace {
void WriteValue(const std::string& path, const Value& v) {
  const std::string fail = "Failed to set data for '" + v.name + "'";
  if (!ValidKeyPath(path)) throw ESettingsError(fail);
  Update(
      [&](Hive& h) {
        h.Set(path, v);
        return true;
      },
      fail);
}
}  // namespace

void WriteString(const std::string& path, const std::string& name, const std::string& text) {
  Value v;
  v.name = name;
  v.type = ValueType::Text;
  v.text = text;
  WriteValue(path, v);
}

void WriteDword(const std::string& path, const std::string& name, std::uint32_t number) {
  Value v;
  v.name = name;
  v.type = ValueType::Dword;
  v.dword = number;
  WriteValue(path, v);
}

std::vector<Value> ReadValues(const std::string& path) {
  if (!ValidKeyPath(path)) return {};
  const Hive h = Load();
  const Key* k = h.Find(path);
  return k ? k->values : std::vector<Value>{};
}

std::vector<std::string> ReadSubKeys(const std::string& path) {
  if (!ValidKeyPath(path)) return {};
  return Load().SubKeys(path);
}

}  // namespace sky::hive
