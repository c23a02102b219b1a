// skyglass-gateway: answers the program's requests for the historical hosts,
// as their proxy on a loopback port, from today's public weather services.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iostream>
#include <string>

#include "gateway/check_live.h"
#include "gateway/gateway.h"
#include "gateway/options.h"
#include "gateway/pictures.h"
#include "gateway/upstream.h"
#include "historic/http_front.h"

int main(int argc, char** argv) {
  using namespace sky::gateway;
  Options options;
  std::string error;
  if (!ReadConfigFile(ConfigFilePath(), options, error)) {
    std::cerr << "skyglass-gateway: " << error << "\n";
    return 2;
  }
  switch (ParseArguments(argc, argv, options, error)) {
    case ParseResult::kHelp: std::cout << kUsage; return 0;
    case ParseResult::kError: std::cerr << "skyglass-gateway: " << error << "\n" << kUsage; return 2;
    case ParseResult::kRun: break;
  }

  if (options.listPictures) {
    std::cout << PictureListText();
    return 0;
  }

  std::FILE* log_out = stderr;
  if (!options.logFile.empty()) {
    log_out = std::fopen(options.logFile.c_str(), "a");
    if (log_out == nullptr) {
      std::cerr << "skyglass-gateway: cannot open log file " << options.logFile << ": " << std::strerror(errno) << "\n";
      return 1;
    }
  }
  // Blocked before the upstream's threads start, so that only Serve takes them.
  const sigset_t stopSignals = sky::historic::BlockStopSignals();
  sky::historic::RequestLog log(log_out);
  auto write_log = [&log](const std::string& line) { log.Write(line); };

  sky::SystemClock clock;
  // A products page fetches its texts a few at a time.
  HostGates gates(clock, 30'000, 30 * 60'000, kRequestsPerHost);
  UpstreamSettings upstream_settings;
  upstream_settings.userAgent = UserAgent(options);
  upstream_settings.redirectOrigins = SourceOrigins(options);
  for (const std::string& origin : PictureSourceOrigins()) upstream_settings.redirectOrigins.push_back(origin);
  upstream_settings.maxBodyBytes = options.maxBodyBytes;
  CurlUpstream upstream(upstream_settings, gates, write_log);
  Gateway gateway(
      options, upstream, clock, [] { return static_cast<std::int64_t>(std::time(nullptr)); }, write_log);

  if (options.checkLive) return CheckLive(gateway, std::cout);

  sky::historic::FrontOptions front;
  front.program = "skyglass-gateway";
  front.port = options.port;
  front.logDuration = true;
  const int rc = sky::historic::Serve(front, stopSignals, log,
                                      [&](const sky::historic::Request& request) { return gateway.Handle(request); });
  if (log_out != stderr) std::fclose(log_out);
  return rc;
}
