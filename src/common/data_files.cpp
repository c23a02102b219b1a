#include "common/data_files.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace sky {

namespace fs = std::filesystem;

std::string ExecutableDir() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) return {};
  return exe.parent_path().string();
}

std::string FindDataFile(const std::string& relative) {
  std::vector<fs::path> roots;
  if (const char* dir = std::getenv("SKYGLASS_DATA_DIR"); dir && *dir) roots.emplace_back(dir);
  if (const std::string exeDir = ExecutableDir(); !exeDir.empty()) {
    roots.push_back(fs::path(exeDir) / ".." / "share" / "skyglass");
    roots.push_back(fs::path(exeDir) / "share" / "skyglass");
  }
  for (const fs::path& root : roots) {
    std::error_code ec;
    const fs::path candidate = root / relative;
    if (fs::exists(candidate, ec)) return fs::weakly_canonical(candidate, ec).string();
  }
  return {};
}

}  // namespace sky
