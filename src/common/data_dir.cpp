#include "common/data_dir.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

// Set by the build from the installation layout (bin to share/skyglass).
#ifndef SKYGLASS_DATA_FROM_BIN
#define SKYGLASS_DATA_FROM_BIN "../share/skyglass"
#endif

namespace sky {

std::string ExecutableDir() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) return {};
  return exe.parent_path().string();
}

std::string DataDir() {
  if (const char* env = std::getenv("SKYGLASS_DATA_DIR"); env && *env) return env;
  const std::string bin = ExecutableDir();
  if (bin.empty()) return {};
  return (std::filesystem::path(bin) / SKYGLASS_DATA_FROM_BIN).lexically_normal().string();
}

std::string DataFile(const std::string& relative) {
  std::string dir = DataDir();
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir + relative;
}

}  // namespace sky
