#include "common/user_dirs.h"

#include "common/safe_file.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace sky {

namespace {
std::string Ensure(const char* xdgVariable, const char* homeRelative, std::string* refusal) {
  std::filesystem::path base;
  if (const char* x = std::getenv(xdgVariable); x && x[0] == '/') base = x;
  else if (const char* home = std::getenv("HOME"); home && home[0] == '/')
    base = std::filesystem::path(home) / homeRelative;
  else return {};
  const std::filesystem::path dir = base / "skyglass";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!std::filesystem::is_directory(dir, ec)) return {};
  if (std::string why = FolderRefusal(dir.string()); !why.empty()) {
    if (refusal) *refusal = std::move(why);
    return {};
  }
  return dir.string();
}
}  // namespace

std::string WorkingDirectory(std::string* refusal) { return Ensure("XDG_CACHE_HOME", ".cache", refusal); }
std::string DataDirectory(std::string* refusal) { return Ensure("XDG_DATA_HOME", ".local/share", refusal); }

}  // namespace sky
