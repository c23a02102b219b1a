// Number conversions that fail the way the user sees it: an exception whose
// text goes straight into the standard error box.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace sky {

// A text that is no valid number where one is expected.
struct EConvertError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The whole text as a 32-bit integer: leading blanks, an optional sign, then
// decimal digits, or "$" (also "0x") and hexadecimal digits. Hexadecimal texts
// name a 32-bit pattern, so "$FFFFFFFF" is -1. Anything else, an empty text and
// decimal overflow throw EConvertError "'<text>' is not a valid integer value".
int StrToInt(std::string_view text);

// The message StrToInt throws for `text`.
std::string InvalidIntegerMessage(std::string_view text);

}  // namespace sky
