// Telling the running desktop about the wallpaper. The values of the
// "Control Panel\Desktop" key are kept in the settings store as the program
// always wrote them; the desktop itself is told through one small setter per
// desktop, each running the desktop's own tool without a shell (the path is
// always one argument, whatever it contains).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace sky {

inline constexpr const char* kDesktopKey = "Control Panel\\Desktop";
inline constexpr const char* kWallpaperFileName = "skyglass.bmp";

// The five values the setter writes, in the order it writes them.
struct DesktopValues {
  std::string Wallpaper;
  std::string TileWallpaper;
  std::string WallpaperStyle;
  std::string WallpaperOriginX;
  std::string WallpaperOriginY;
};
// Style code 0 tiled, 1 centred, 2 stretched, 3 placed at (x, y); any other
// code goes into WallpaperStyle unchanged, not tiled, origin 0, 0.
DesktopValues MakeDesktopValues(const std::string& path, int style, int x, int y);
// Writes them to "Control Panel\Desktop" in one access. Throws ESettingsError.
void WriteDesktopValues(const DesktopValues& values);

// Runs a program (argv[0] searched in PATH) without a shell and waits for it
// (at most `timeoutMs`, then it is killed). The exit status, or -1 when it
// could not be started or did not end in time. `out` receives its standard
// output when given.
class ICommandRunner {
 public:
  virtual ~ICommandRunner() = default;
  virtual int Run(const std::vector<std::string>& argv, std::string* out) = 0;
};
class ProcessRunner : public ICommandRunner {
 public:
  explicit ProcessRunner(int timeoutMs = 15000) : timeoutMs_(timeoutMs) {}
  int Run(const std::vector<std::string>& argv, std::string* out) override;

 private:
  int timeoutMs_;
};

// Whether an executable of that name is in PATH.
bool ToolInPath(const std::string& name);

// One desktop's way of showing a centred wallpaper.
class IDesktopSetter {
 public:
  virtual ~IDesktopSetter() = default;
  virtual std::string Name() const = 0;
  // Empty when the desktop took the picture, else what went wrong (for the
  // status line).
  virtual std::string Apply(const std::string& path, ICommandRunner& runner) const = 0;
};

enum class DesktopKind { Gnome, Kde, Xfce, Feh, None };

// Picks the setter: XDG_CURRENT_DESKTOP (a ":"-separated list) first, when the
// desktop's tool is there; otherwise feh when installed; otherwise none.
// `hasTool` says whether a program is installed (ToolInPath by default).
DesktopKind DetectDesktop(const std::string& xdgCurrentDesktop,
                          const std::function<bool(const std::string&)>& hasTool = ToolInPath);
// The setter of a kind; nullptr for DesktopKind::None.
std::unique_ptr<IDesktopSetter> MakeDesktopSetter(DesktopKind kind);
// DetectDesktop on this session's environment.
std::unique_ptr<IDesktopSetter> DetectDesktopSetter();

// The status text when no setter exists for the running desktop.
inline constexpr const char* kNoSetterText = "No wallpaper setter found for this desktop...";

}  // namespace sky
