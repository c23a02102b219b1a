#include "common/user_dirs.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace sky {

namespace {
std::string Ensure(const char* xdgVariable, const char* homeRelative) {
  std::filesystem::path base;
  if (const char* x = std::getenv(xdgVariable); x && x[0] == '/') base = x;
  else if (const char* home = std::getenv("HOME"); home && home[0] == '/')
    base = std::filesystem::path(home) / homeRelative;
  else return {};
  const std::filesystem::path dir = base / "skyglass";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!std::filesystem::is_directory(dir, ec)) return {};
  return dir.string();
}
}  // namespace

std::string WorkingDirectory() { return Ensure("XDG_CACHE_HOME", ".cache"); }
std::string DataDirectory() { return Ensure("XDG_DATA_HOME", ".local/share"); }

}  // namespace sky
