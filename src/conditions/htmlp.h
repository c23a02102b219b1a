// Text parsers of the program. This one reads a current-conditions page of
// the weather service: it is not an HTML parser but cuts values between fixed
// English key words at fixed distances, after a one-pass reduction of the
// markup to plain text. The distances are those of the pages the service
// serves, so the rules below must stay byte for byte as they are.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/ports.h"
#include "conditions/conditions_record.h"

namespace sky {

// Message boxes of the three kinds of malformed page (two blanks after "data.").
inline constexpr const char* kParseErrorP1 = "Error (P1) occurred parsing data.  Please try again in a few minutes.";
inline constexpr const char* kParseErrorP2 = "Error (P2) occurred parsing data.  Please try again in a few minutes.";
inline constexpr const char* kParseErrorP3 = "Error (P3) occurred parsing data.  Please try again in a few minutes.";

struct ParsedConditionsPage {
  ConditionsRecord Record;
  // The place named in the page title between "Underground:" and "Weather",
  // trimmed. Unset when the page has no "Underground:" (the caller then keeps
  // its previous location title).
  std::optional<std::string> PageLocationName;
};

// Parses one conditions page (Latin-1 bytes, taken as they are). The P1, P2
// and P3 messages are shown through `messages` at the moment the parse meets
// them; after P2 or P3 the parse stops with what it had. Runs in time linear
// in the size of the page and accepts any bytes.
ParsedConditionsPage ParseConditionsPage(std::string_view page, IMessagePort& messages);

// The markup-to-text pass: drops tags ("<" to ">"; an unclosed "<" ends the
// text), turns the degree and no-break-space entities into 0xB0 and a blank,
// drops "&", turns "#" plus the four bytes after it into 0xB0, and "_", NUL,
// BS and TAB..CR into one blank. Blanks are not merged.
std::string PlainTextOf(std::string_view s);

// Tray picture index for a sky text: the first word of the keyword table
// found anywhere in the lower-cased (A..Z only) text; 0 when none.
int SkyIconFor(std::string_view sky);

}  // namespace sky
