#include "images/desktop_setter.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <sstream>

#include "common/text.h"
#include "settings/hive.h"

extern char** environ;

namespace sky {

DesktopValues MakeDesktopValues(const std::string& path, int style, int x, int y) {
  DesktopValues v{path, "0", std::to_string(style), "0", "0"};
  switch (style) {
    case 0:
      v.TileWallpaper = "1";
      v.WallpaperStyle = "0";
      break;
    case 1: v.WallpaperStyle = "0"; break;
    case 2: v.WallpaperStyle = "2"; break;
    case 3:
      v.WallpaperStyle = "0";
      v.WallpaperOriginX = std::to_string(x);
      v.WallpaperOriginY = std::to_string(y);
      break;
    default: break;
  }
  return v;
}

void WriteDesktopValues(const DesktopValues& v) {
  hive::Update(
      [&](hive::Hive& h) {
        auto text = [](const char* name, const std::string& t) {
          hive::Value value;
          value.name = name;
          value.text = t;
          return value;
        };
        h.Set(kDesktopKey, text("Wallpaper", v.Wallpaper));
        h.Set(kDesktopKey, text("TileWallpaper", v.TileWallpaper));
        h.Set(kDesktopKey, text("WallpaperStyle", v.WallpaperStyle));
        h.Set(kDesktopKey, text("WallpaperOriginX", v.WallpaperOriginX));
        h.Set(kDesktopKey, text("WallpaperOriginY", v.WallpaperOriginY));
        return true;
      },
      "Failed to set data for 'Wallpaper'");
}

// ---------------------------------------------------------------- processes

bool ToolInPath(const std::string& name) {
  if (name.empty()) return false;
  if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0;
  const char* path = std::getenv("PATH");
  // Split by hand rather than through a string stream: this runs at start,
  // where a stream would be the only user of the library's locale machinery.
  std::vector<std::string_view> dirs = SplitView(path ? path : "/usr/local/bin:/usr/bin:/bin", ':');
  if (dirs.back().empty()) dirs.pop_back();  // "a:" and "" name no empty folder at the end
  for (std::string_view dir : dirs) {
    const std::string full = (dir.empty() ? std::string(".") : std::string(dir)) + "/" + name;
    struct stat st {};
    if (stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(full.c_str(), X_OK) == 0) return true;
  }
  return false;
}

int ProcessRunner::Run(const std::vector<std::string>& argv, std::string* out) {
  if (argv.empty()) return -1;
  int pipefd[2] = {-1, -1};
  if (pipe2(pipefd, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipefd[1], 1);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipefd[1]);
  if (rc != 0) {
    close(pipefd[0]);
    return -1;
  }
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs_);
  bool timedOut = false;
  char buffer[4096];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      timedOut = true;
      break;
    }
    pollfd p{pipefd[0], POLLIN, 0};
    const int n = poll(&p, 1, static_cast<int>(left));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) continue;
    const ssize_t got = read(pipefd[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    if (out) out->append(buffer, static_cast<std::size_t>(got));
  }
  close(pipefd[0]);
  int status = 0;
  if (timedOut) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
  }
  // The tool closed its output; give it the rest of the time to end.
  for (;;) {
    const pid_t w = waitpid(pid, &status, WNOHANG);
    if (w == pid) break;
    if (w < 0 && errno != EINTR) return -1;
    if (Clock::now() >= deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    usleep(10000);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// ---------------------------------------------------------------- setters

namespace {

// Runs each command; the first failure ends it with a text naming the tool.
std::string RunAll(ICommandRunner& runner, const std::vector<std::vector<std::string>>& commands) {
  for (const auto& argv : commands) {
    const int rc = runner.Run(argv, nullptr);
    if (rc != 0)
      return "Wallpaper setter failed: " + argv[0] + " (" + (rc < 0 ? "not run" : "exit " + std::to_string(rc)) +
             ")...";
  }
  return {};
}

// "file://" and the path, with the characters a URI cannot carry escaped.
std::string FileUri(const std::string& path) {
  static const char* hex = "0123456789ABCDEF";
  std::string uri = "file://";
  for (unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      uri += static_cast<char>(c);
    } else {
      uri += '%';
      uri += hex[c >> 4];
      uri += hex[c & 15];
    }
  }
  return uri;
}

class GnomeSetter : public IDesktopSetter {
 public:
  std::string Name() const override { return "gsettings"; }
  std::string Apply(const std::string& path, ICommandRunner& runner) const override {
    const std::string uri = FileUri(path);
    const char* schema = "org.gnome.desktop.background";
    return RunAll(runner, {{"gsettings", "set", schema, "picture-uri", uri},
                           {"gsettings", "set", schema, "picture-uri-dark", uri},
                           {"gsettings", "set", schema, "picture-options", "centered"}});
  }
};

class KdeSetter : public IDesktopSetter {
 public:
  std::string Name() const override { return "plasma-apply-wallpaperimage"; }
  std::string Apply(const std::string& path, ICommandRunner& runner) const override {
    return RunAll(runner, {{"plasma-apply-wallpaperimage", path}});
  }
};

class XfceSetter : public IDesktopSetter {
 public:
  std::string Name() const override { return "xfconf-query"; }
  std::string Apply(const std::string& path, ICommandRunner& runner) const override {
    std::string list;
    const int rc = runner.Run({"xfconf-query", "-c", "xfce4-desktop", "-l"}, &list);
    if (rc != 0)
      return "Wallpaper setter failed: xfconf-query (" +
             (rc < 0 ? std::string("not run") : "exit " + std::to_string(rc)) + ")...";
    std::vector<std::vector<std::string>> commands;
    std::istringstream lines(list);
    std::string property;
    const std::string tail = "/last-image";
    bool any = false;
    while (std::getline(lines, property)) {
      while (!property.empty() && (property.back() == '\r' || property.back() == ' ')) property.pop_back();
      if (property.rfind("/backdrop/", 0) != 0 || property.size() <= tail.size() ||
          property.compare(property.size() - tail.size(), tail.size(), tail) != 0)
        continue;
      any = true;
      const std::string style = property.substr(0, property.size() - tail.size()) + "/image-style";
      commands.push_back({"xfconf-query", "-c", "xfce4-desktop", "-p", property, "-s", path});
      // 1 is "centred"; created when the monitor has no style of its own yet.
      commands.push_back({"xfconf-query", "-c", "xfce4-desktop", "-p", style, "-n", "-t", "int", "-s", "1"});
    }
    if (!any) return "Wallpaper setter failed: no Xfce backdrop found...";
    return RunAll(runner, commands);
  }
};

class FehSetter : public IDesktopSetter {
 public:
  std::string Name() const override { return "feh"; }
  std::string Apply(const std::string& path, ICommandRunner& runner) const override {
    return RunAll(runner, {{"feh", "--bg-center", path}});
  }
};

bool HasName(const std::string& list, const char* wanted) {
  for (std::string_view part : SplitView(list, ':')) {
    if (UpperAscii(part) == wanted) return true;
  }
  return false;
}

}  // namespace

DesktopKind DetectDesktop(const std::string& xdg, const std::function<bool(const std::string&)>& hasTool) {
  if (HasName(xdg, "KDE") && hasTool("plasma-apply-wallpaperimage")) return DesktopKind::Kde;
  if (HasName(xdg, "XFCE") && hasTool("xfconf-query")) return DesktopKind::Xfce;
  for (const char* gnomeLike : {"GNOME", "UNITY", "BUDGIE", "PANTHEON", "GNOME-FLASHBACK", "GNOME-CLASSIC"})
    if (HasName(xdg, gnomeLike) && hasTool("gsettings")) return DesktopKind::Gnome;
  if (hasTool("feh")) return DesktopKind::Feh;
  return DesktopKind::None;
}

std::unique_ptr<IDesktopSetter> MakeDesktopSetter(DesktopKind kind) {
  switch (kind) {
    case DesktopKind::Gnome: return std::make_unique<GnomeSetter>();
    case DesktopKind::Kde: return std::make_unique<KdeSetter>();
    case DesktopKind::Xfce: return std::make_unique<XfceSetter>();
    case DesktopKind::Feh: return std::make_unique<FehSetter>();
    case DesktopKind::None: break;
  }
  return nullptr;
}

std::unique_ptr<IDesktopSetter> DetectDesktopSetter() {
  const char* xdg = std::getenv("XDG_CURRENT_DESKTOP");
  return MakeDesktopSetter(DetectDesktop(xdg ? xdg : ""));
}

}  // namespace sky
