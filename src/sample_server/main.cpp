// skyglass-sample-server: stands in for the outside servers, answering as
// their proxy (and directly) on a loopback port. See README.md.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>

#include "historic/http_front.h"
#include "sample_server/sample_sites.h"
#include "sample_server/pictures.h"
#include "historic/site.h"

namespace {

struct Options {
  int port = 0;
  std::string bind = "127.0.0.1";
  std::string logFile;
  long long now = -1;  // fixed clock for reproducible pages; -1: the real one
  std::string latestVersion = sky::sample::kDefaultLatestVersion;
  sky::sample::PictureOptions pictures;
};

constexpr const char* kUsage =
    "usage: skyglass-sample-server [--port N] [--bind ADDR] [--log FILE]\n"
    "                              [--now UNIX_SECONDS] [--latest-version TEXT]\n"
    "                              [--small-radar] [--missing-picture PATH]...\n";

bool IsLoopback(const std::string& address) {
  return address == "localhost" || address == "::1" || address.rfind("127.", 0) == 0;
}

bool ParseNumber(const char* text, long long low, long long high, long long& out) {
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < low || value > high) return false;
  out = value;
  return true;
}

// 0: run; 1: exit 0 (help); 2: usage error.
int ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 1;
    }
    if (arg == "--small-radar") {
      options.pictures.smallPurdueRadar = true;
      continue;
    }
    if (i + 1 >= argc) {
      std::cerr << "skyglass-sample-server: " << arg
                << (arg.starts_with("--") ? " needs a value\n" : ": unknown argument\n") << kUsage;
      return 2;
    }
    const char* value = argv[++i];
    long long number = 0;
    if (arg == "--port" && ParseNumber(value, 0, 65535, number)) {
      options.port = static_cast<int>(number);
    } else if (arg == "--bind") {
      options.bind = value;
    } else if (arg == "--log") {
      options.logFile = value;
    } else if (arg == "--now" && ParseNumber(value, 0, 253402300799LL, number)) {
      options.now = number;
    } else if (arg == "--latest-version") {
      options.latestVersion = value;
    } else if (arg == "--missing-picture") {
      options.pictures.missing.insert(value);
    } else {
      std::cerr << "skyglass-sample-server: bad argument " << arg << " " << value << "\n" << kUsage;
      return 2;
    }
  }
  if (!IsLoopback(options.bind)) {
    std::cerr << "skyglass-sample-server: refusing to listen on " << options.bind
              << ": only loopback addresses are allowed\n";
    return 2;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (int rc = ParseOptions(argc, argv, options)) return rc == 1 ? 0 : rc;

  std::FILE* log_out = stderr;
  if (!options.logFile.empty()) {
    log_out = std::fopen(options.logFile.c_str(), "a");
    if (log_out == nullptr) {
      std::cerr << "skyglass-sample-server: cannot open log file " << options.logFile << ": " << std::strerror(errno)
                << "\n";
      return 1;
    }
  }
  sky::historic::RequestLog log(log_out);
  // The signals that stop the server are blocked before any thread starts.
  const sigset_t stopSignals = sky::historic::BlockStopSignals();

  const std::unique_ptr<sky::historic::Router> router = sky::sample::MakeDefaultRouter(options.latestVersion);
  sky::sample::AddPictureSites(*router, options.pictures);

  sky::historic::FrontOptions front;
  front.program = "skyglass-sample-server";
  front.bind = options.bind;
  front.port = options.port;
  // Workers, listen queue and the bounds of a request head are the ones the
  // gateway has too (FrontOptions' defaults).
  const long long fixedNow = options.now;
  const int rc = sky::historic::Serve(front, stopSignals, log, [&](const sky::historic::Request& request) {
    if (fixedNow < 0) return router->Route(request);
    sky::historic::Request fixed = request;
    fixed.now = fixedNow;
    return router->Route(fixed);
  });
  if (log_out != stderr) std::fclose(log_out);
  return rc;
}
