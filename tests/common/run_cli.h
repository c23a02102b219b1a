// Runs the terminal companion as a user would, for the tests of its output
// contract.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace skytest {

struct CliRun {
  int exitCode = -1;  // -1 when it could not be run or did not exit normally
  std::string out;
};

// Runs build/bin/skyglass-cli with `args` (already shell-quoted) and captures
// stdout; stderr is dropped, or joins stdout when `withStderr`. `env` goes in
// front of the command, e.g. "XDG_CONFIG_HOME=/tmp/x ".
inline CliRun RunCli(const std::string& args, bool withStderr = false, const std::string& env = "") {
  CliRun r;
  const std::string cmd =
      env + std::string(SKYGLASS_BIN_DIR) + "/skyglass-cli " + args + (withStderr ? " 2>&1" : " 2>/dev/null");
  FILE* p = popen(cmd.c_str(), "r");
  if (p == nullptr) return r;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int status = pclose(p);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

}  // namespace skytest
