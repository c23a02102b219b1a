// The gateway's settings: a small file under the user's configuration folder,
// then the command line over it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/hosts.h"

namespace sky::gateway {

// The loopback port a new settings store points the program's proxy at.
inline constexpr int kDefaultPort = hosts::kGatewayPort;

struct Options {
  int port = kDefaultPort;
  std::string nwsApi = "https://api.weather.gov";
  std::string metarApi = "https://aviationweather.gov/api/data/metar";
  // The keyless global forecast service: current conditions by coordinates
  // where no station report is to be had, and the daily forecast abroad.
  std::string openMeteoApi = "https://api.open-meteo.com/v1/forecast";
  // A release feed (GitHub's "list releases" shape) for the version check;
  // empty: the version file is not found.
  std::string releasesUrl;
  // The Census Bureau's data API ("https://api.census.gov/data") for the
  // census rankings and look-ups, and the population clock's data
  // ("https://www.census.gov/popclock/data") for the counters; empty: those
  // pages are not found.
  std::string censusApi;
  std::string popclockApi;
  std::string contact;  // goes into the User-Agent
  // When set, every picture source "https://host/path" is asked for at
  // base + "/host/path" instead (tests).
  std::string picturesBase;
  // The gridded forecast the continental outlook maps are drawn from, and
  // the shorelines drawn over them.
  std::string gridApi = "https://api.open-meteo.com";
  std::string coastlineFile = "/usr/share/gmt-gshhg/binned_GSHHS_l.nc";
  std::size_t cacheEntries = 500;
  // Pictures kept, in bytes of all pictures together.
  std::size_t pictureCacheBytes = 64u << 20;
  std::int64_t conditionsTtlSeconds = 600;
  std::int64_t productsTtlSeconds = 1800;
  std::int64_t picturesTtlSeconds = 300;
  // How long the last good answer stands in for a failing source.
  std::int64_t staleLimitSeconds = 6 * 3600;
  // Longest time one answer may take: well inside the program's own limits.
  std::int64_t answerWithinMs = 10000;
  std::size_t maxBodyBytes = 8u << 20;
  std::string logFile;
  bool checkLive = false;
  bool listPictures = false;
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

// The origins of every configured source ("https://api.weather.gov"): the
// only places a source's redirect may lead to, besides the picture sources.
std::vector<std::string> SourceOrigins(const Options& options);

}  // namespace sky::gateway
