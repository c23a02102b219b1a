#include "gateway/options.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>

namespace sky::gateway {

const char* const kUsage =
    "usage: skyglass-gateway [--port N] [--nws-api URL] [--metar-api URL] [--open-meteo-api URL]\n"
    "                        [--releases-url URL] [--census-api URL] [--popclock-api URL]\n"
    "                        [--contact TEXT]\n"
    "                        [--cache-entries N] [--timeout-ms N] [--pictures-base URL] [--log FILE]\n"
    "                        [--grid-api URL] [--coastlines FILE] [--picture-cache-mb N]\n"
    "                        [--check-live] [--list-pictures] [--help]\n"
    "\n"
    "Answers the program's requests (as its proxy, on 127.0.0.1) from today's public\n"
    "weather services. --port 0 picks a free port; the first line on standard output is\n"
    "\"listening on 127.0.0.1:PORT\". Settings may also stand in\n"
    "$XDG_CONFIG_HOME/skyglass/gateway.conf as \"key = value\" lines (port, nws-api,\n"
    "metar-api, open-meteo-api, releases-url, census-api, popclock-api, contact,\n"
    "cache-entries, timeout-ms, log). The census pages and the population counters\n"
    "are answered only with --census-api (https://api.census.gov/data) and\n"
    "--popclock-api (https://www.census.gov/popclock/data). --check-live fetches one\n"
    "place of each kind from the live services and prints what it got.\n"
    "--list-pictures prints each picture of the catalogue with its source or\n"
    "\"none: REASON\" and the count of live pictures.\n";

namespace {

bool Number(const std::string& text, long long low, long long high, long long& out) {
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || end == text.c_str() || *end != '\0' || v < low || v > high) return false;
  out = v;
  return true;
}

bool IsHttpUrl(const std::string& url) { return url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0; }

std::string Trim(const std::string& s) {
  std::size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return {};
  std::size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

// One setting by its name; false with a message when the value is bad or the
// name unknown.
bool Apply(const std::string& key, const std::string& value, Options& o, std::string& error) {
  long long n = 0;
  if (key == "port") {
    if (!Number(value, 0, 65535, n)) return error = "port must be 0 to 65535", false;
    o.port = static_cast<int>(n);
  } else if (key == "grid-api") {
    if (!IsHttpUrl(value)) return error = key + " must be an http or https URL", false;
    o.gridApi = value;
    while (!o.gridApi.empty() && o.gridApi.back() == '/') o.gridApi.pop_back();
  } else if (key == "coastlines") {
    o.coastlineFile = value;
  } else if (key == "picture-cache-mb") {
    if (!Number(value, 1, 4096, n)) return error = "picture-cache-mb must be 1 to 4096", false;
    o.pictureCacheBytes = static_cast<std::size_t>(n) << 20;
  } else if (key == "nws-api" || key == "metar-api" || key == "open-meteo-api") {
    if (!IsHttpUrl(value)) return error = key + " must be an http or https URL", false;
    std::string url = value;
    while (!url.empty() && url.back() == '/') url.pop_back();
    (key == "nws-api" ? o.nwsApi : key == "metar-api" ? o.metarApi : o.openMeteoApi) = url;
  } else if (key == "releases-url") {
    if (!IsHttpUrl(value)) return error = key + " must be an http or https URL", false;
    o.releasesUrl = value;
  } else if (key == "census-api" || key == "popclock-api") {
    if (!IsHttpUrl(value)) return error = key + " must be an http or https URL", false;
    std::string url = value;
    while (!url.empty() && url.back() == '/') url.pop_back();
    (key == "census-api" ? o.censusApi : o.popclockApi) = url;
  } else if (key == "pictures-base") {
    if (!IsHttpUrl(value)) return error = key + " must be an http or https URL", false;
    o.picturesBase = value;
  } else if (key == "contact") {
    for (char c : value) {
      if (static_cast<unsigned char>(c) < 32) return error = "contact must be one line", false;
    }
    o.contact = value;
  } else if (key == "cache-entries") {
    if (!Number(value, 0, 100000, n)) return error = "cache-entries must be 0 to 100000", false;
    o.cacheEntries = static_cast<std::size_t>(n);
  } else if (key == "timeout-ms") {
    if (!Number(value, 100, 600000, n)) return error = "timeout-ms must be 100 to 600000", false;
    o.answerWithinMs = n;
  } else if (key == "log") {
    o.logFile = value;
  } else {
    return error = "unknown setting " + key, false;
  }
  return true;
}

}  // namespace

std::string ConfigFilePath() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (xdg != nullptr && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home != nullptr ? home : "") + "/.config";
  }
  return base + "/skyglass/gateway.conf";
}

bool ReadConfigFile(const std::string& path, Options& options, std::string& error) {
  std::ifstream in(path);
  if (!in) return true;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    std::size_t eq = line.find('=');
    std::string why;
    if (eq == std::string::npos) {
      why = "expected key = value";
    } else if (!Apply(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)), options, why)) {
      // why is set
    } else {
      continue;
    }
    error = path + ":" + std::to_string(number) + ": " + why;
    return false;
  }
  return true;
}

ParseResult ParseArguments(int argc, char** argv, Options& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return ParseResult::kHelp;
    if (arg == "--check-live") {
      options.checkLive = true;
      continue;
    }
    if (arg == "--list-pictures") {
      options.listPictures = true;
      continue;
    }
    if (!arg.starts_with("--")) {
      error = "unknown argument " + arg;
      return ParseResult::kError;
    }
    if (i + 1 >= argc) {
      error = arg + " needs a value";
      return ParseResult::kError;
    }
    if (!Apply(arg.substr(2), argv[++i], options, error)) return ParseResult::kError;
  }
  return ParseResult::kRun;
}

std::string UserAgent(const Options& options) {
  return "skyglass-gateway/0.1 (" + (options.contact.empty() ? std::string("no contact given") : options.contact) + ")";
}

std::vector<std::string> SourceOrigins(const Options& options) {
  std::vector<std::string> origins;
  for (const std::string* url : {&options.nwsApi, &options.metarApi, &options.openMeteoApi, &options.releasesUrl,
                                 &options.censusApi, &options.popclockApi, &options.picturesBase}) {
    const std::size_t scheme = url->find("://");
    if (scheme == std::string::npos) continue;
    origins.push_back(url->substr(0, url->find('/', scheme + 3)));
  }
  return origins;
}

}  // namespace sky::gateway
