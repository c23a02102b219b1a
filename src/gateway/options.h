// The gateway's settings: a small file under the user's configuration folder,
// then the command line over it.
#pragma once

#include <cstdint>
#include <string>

#include "common/hosts.h"

namespace sky::gateway {

// The loopback port a new settings store points the program's proxy at.
inline constexpr int kDefaultPort = hosts::kGatewayPort;

struct Options {
  int port = kDefaultPort;
  std::string nws_api = "https://api.weather.gov";
  std::string metar_api = "https://aviationweather.gov/api/data/metar";
  std::string contact;  // goes into the User-Agent
  // When set, every picture source "https://host/path" is asked for at
  // base + "/host/path" instead (tests).
  std::string pictures_base;
  std::size_t cache_entries = 500;
  std::int64_t conditions_ttl_s = 600;
  std::int64_t products_ttl_s = 1800;
  std::int64_t pictures_ttl_s = 300;
  // How long the last good answer stands in for a failing source.
  std::int64_t stale_limit_s = 6 * 3600;
  // Longest time one answer may take: well inside the program's own limits.
  std::int64_t answer_within_ms = 10000;
  std::size_t max_body_bytes = 8u << 20;
  std::string log_file;
  bool check_live = false;
};

extern const char* const kUsage;

// "$XDG_CONFIG_HOME/skyglass/gateway.conf", else under ~/.config.
std::string ConfigFilePath();

// Reads "key = value" lines (keys as the long options without "--", "#"
// comments). False with a message for a bad line; a missing file is no error.
bool ReadConfigFile(const std::string& path, Options& options, std::string& error);

enum class ParseResult { kRun, kHelp, kError };
ParseResult ParseArguments(int argc, char** argv, Options& options, std::string& error);

std::string UserAgent(const Options& options);

}  // namespace sky::gateway
