#include "info/info_links.h"

#include <fstream>
#include <sstream>

#include "common/hosts.h"
#include "common/text.h"
#include "net/failure_text.h"
#include "net/request_profile.h"
#include "net/request_service.h"

namespace sky {

VersionCheck CompareVersion(const std::string& body, const std::string& current) {
  VersionCheck r;
  const std::size_t at = body.find(kVersionMarker);
  if (at == std::string::npos) {
    r.message = kVersionErrorText;
    return r;
  }
  r.latest = body.substr(at + std::string(kVersionMarker).size(), 8);
  // std::string compares by unsigned character code, as the check wants.
  const bool older = r.latest.compare(current) > 0;
  r.outcome = older ? VersionOutcome::Older : VersionOutcome::Current;
  r.message = (older ? "You are using an older version (" : "Your version is the most current (") + current +
              "). The latest version is " + r.latest + ".";
  return r;
}

VersionCheck RunVersionCheck(RequestService& requests, const std::string& current) {
  const FetchResult file = requests.Fetch(profiles::kVersionCheck, std::string(hosts::kMakerUrl) + kVersionPath);
  if (!file.Answered()) {
    VersionCheck r;
    r.failed = true;
    r.error = file.error;
    if (!file.abortedByUser) r.errorBox = RequestFailureText(file);
    r.message = kVersionErrorText;
    return r;
  }
  // A server's error page carries no version: the check says so.
  return CompareVersion(file.body, current);
}

std::optional<MemoryStatus> ParseMeminfo(const std::string& text) {
  std::optional<std::uint64_t> total, avail, free;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const std::string key = line.substr(0, colon);
    std::istringstream value(line.substr(colon + 1));
    std::uint64_t kb = 0;
    if (!(value >> kb)) continue;
    // The kernel counts in units of 1024 bytes.
    if (kb > UINT64_MAX / 1024) continue;
    const std::uint64_t bytes = kb * 1024;
    if (key == "MemTotal") total = bytes;
    else if (key == "MemAvailable") avail = bytes;
    else if (key == "MemFree") free = bytes;
  }
  if (!avail) avail = free;
  if (!total || !avail) return std::nullopt;
  return MemoryStatus{*total, *avail};
}

std::optional<MemoryStatus> ReadMemoryStatus() {
  std::ifstream f("/proc/meminfo");
  if (!f) return std::nullopt;
  std::ostringstream ss;
  ss << f.rdbuf();
  return ParseMeminfo(ss.str());
}

Rgb GaugeColorFor(int progress) { return progress >= 5 ? Rgb{0, 255, 0} : Rgb{255, 0, 0}; }

MemoryDisplay MakeMemoryDisplay(const MemoryStatus& status) {
  MemoryDisplay d;
  // Whole-number divisions as the display was designed; a total below 100
  // bytes (no real machine) shows 0 rather than dividing by zero.
  const std::uint64_t hundredth = status.totalPhys / 100;
  const std::uint64_t progress = hundredth == 0 ? 0 : status.availPhys / hundredth;
  d.progress = static_cast<int>(progress > 100 ? 100 : progress);
  d.gaugeColor = GaugeColorFor(d.progress);
  d.freeText = "Free RAM: " + std::to_string(status.availPhys / 1000) + " K bytes";
  d.totalText = "Total RAM: " + std::to_string(status.totalPhys / 1000) + " K bytes";
  return d;
}

}  // namespace sky
