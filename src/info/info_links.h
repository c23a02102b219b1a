// The small links of the Help and Information menus without their windows:
// the version check against the maker's version file, the about box's memory
// figures, and the population counters' picture requests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/version.h"
#include "settings/colors.h"

namespace sky {

class RequestService;

// The version this program is (the about box's version label); the build's
// version, so the package, --version and the about box agree.
inline constexpr const char* kCurrentVersion = kVersion;
inline constexpr const char* kVersionPath = "/assets/skyglassvs.txt";
inline constexpr const char* kVersionMarker = "Version#";
inline constexpr const char* kVersionErrorText = "Error retrieving version #.  Please try again later.";

enum class VersionOutcome { Older, Current, NoMarker };

struct VersionCheck {
  VersionOutcome outcome = VersionOutcome::NoMarker;
  std::string latest;   // the 8 characters after the marker
  std::string message;  // the box's text
  // The request ended on the way: its text, and the error box's text (empty
  // when the user aborted it).
  bool failed = false;
  std::string error;
  std::string errorBox;
};

// Reads a version file's text: the 8 characters after "Version#" are the
// latest version, compared with `current` as plain text by character code.
VersionCheck CompareVersion(const std::string& body, const std::string& current = kCurrentVersion);

// The check through `requests` (time-out 60 s, report level 2, the program's
// referrer), from the maker's server.
VersionCheck RunVersionCheck(RequestService& requests, const std::string& current = kCurrentVersion);

// Physical memory in bytes, as the kernel's meminfo gives it.
struct MemoryStatus {
  std::uint64_t totalPhys = 0;
  std::uint64_t availPhys = 0;
};
// Reads "MemTotal:" and "MemAvailable:" (kB; "MemFree:" when the kernel has
// no "MemAvailable:"). Nothing when a figure is missing.
std::optional<MemoryStatus> ParseMeminfo(const std::string& text);
// /proc/meminfo, or nothing when it cannot be read.
std::optional<MemoryStatus> ReadMemoryStatus();

// What the about box shows of it.
struct MemoryDisplay {
  int progress = 0;       // per cent free, whole numbers
  Rgb gaugeColor;         // pure green from 5 per cent, pure red below
  std::string freeText;   // "Free RAM: <thousands of bytes> K bytes"
  std::string totalText;  // "Total RAM: <thousands of bytes> K bytes"
};
MemoryDisplay MakeMemoryDisplay(const MemoryStatus& status);
Rgb GaugeColorFor(int progress);

// The two population counters: a census clock picture shown in the viewer.
struct PopulationCounter {
  const char* path;       // on the census server
  const char* localFile;  // in the working directory
  const char* caption;    // the viewer's caption
};
inline constexpr PopulationCounter kWorldPopulation{"/cgi-bin/ipc/pcwgif", "pcwgif.gif",
                                                    "Skyglass - Current World Population"};
inline constexpr PopulationCounter kUsPopulation{"/cgi-bin/pcugifd.pl?1", "pcugif.gif",
                                                 "Skyglass - Current US Population"};

}  // namespace sky
