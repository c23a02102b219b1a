// How old the conditions of an answer are, from its reply headers: the
// gateway dates an answer (Date), names the time of the observation in it
// (Last-Modified), and marks a kept answer served while its source fails
// (Age and "Warning: 110"). The status line and the tray tip say so.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sky {

struct AnswerAge {
  std::optional<std::int64_t> observedAgoS;  // Date minus Last-Modified
  std::optional<std::int64_t> ageS;          // the Age header: seconds kept
  bool stale = false;                        // "Warning: 110" (response is stale)
  std::optional<std::int64_t> maxAgeS;       // "Cache-Control: max-age=N": how long it stays fresh
};

// The reply header text as the HTTP client keeps it (lines "Name: value").
AnswerAge ReadAnswerAge(const std::string& header);

// "Tue, 08 Dec 2026 15:23:03 GMT" -> seconds since 1970; nothing for any
// other form.
std::optional<std::int64_t> ParseHttpDate(const std::string& text);

// "45 min", "2 h 10 min", "3 days 4 h".
std::string DurationText(std::int64_t seconds);

// Conditions observed more than this long ago are called old.
inline constexpr std::int64_t kOldObservationS = 90 * 60;

// "observed 2 h 10 min ago" when the observation is old or the answer
// stale; nothing for fresh conditions or an answer without the headers.
// A stale answer without an observation time says "kept N min, source not
// answering".
std::optional<std::string> AgeNotice(const AnswerAge& age);

}  // namespace sky
