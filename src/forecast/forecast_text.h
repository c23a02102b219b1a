// The four treatments that turn a retrieved state product or census page
// into the text of the forecast window: the plain-text cut, the tag strip,
// the county section and the warning display. Pure functions on Latin-1
// texts; the retrieval (forecast_logic.h) adds the status texts and the
// window around them.
#pragma once

#include <string>

namespace sky {

inline constexpr const char* kCrLf = "\r\n";
inline constexpr const char* kEndOfFile = "--- End of File --";

// The page up to its first "http://", each line feed written as CR LF (so a
// CR LF of the page becomes CR CR LF).
std::string PlainTextCut(const std::string& page);

// Tags removed ("<" to the next ">"; an unclosed tag ends the text), "#176;"
// made a degree sign and "nbsp;" a blank (an "&" just before either goes with
// it), then trimmed.
std::string TagStrip(const std::string& page);

// The county's section of a state product: from the character before the
// first occurrence of `county` to the first following "$$". Nothing when the
// county is not in the page.
struct CountySectionResult {
  bool found = false;
  std::string text;  // the section, or the whole page when not found
};
CountySectionResult CountySection(const std::string& page, const std::string& county);

// What the warning display shows for a page: the page and CR LF, or, for a
// page that says the product is not currently available (or says nothing),
// a notice for the state on a line of its own; then the end-of-file mark.
// For the warnings page (`warnings`) that notice says there are no active
// warnings: the service has nothing to show when none is in force.
std::string WarningText(const std::string& page, const std::string& state, bool warnings = false);

// The built text as a reader sees it: CR LF ends a line; a CR of its own (a
// CR LF of the page after the plain-text cut) shows as nothing, as in the
// classic edit control.
std::string DisplayLines(const std::string& text);

}  // namespace sky
