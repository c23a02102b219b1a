#include "common/convert.h"

#include "common/text.h"

namespace sky {

std::string InvalidIntegerMessage(std::string_view text) {
  return "'" + std::string(text) + "' is not a valid integer value";
}

int StrToInt(std::string_view text) {
  std::string_view s = text;
  // Leading blanks are skipped as the classic conversion does; trailing ones are not.
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  int value = 0;
  if (!s.empty() && s.front() == '-' && s.size() > 1 &&
      (s[1] == '$' || (s.size() > 2 && s[1] == '0' && (s[2] == 'x' || s[2] == 'X')))) {
    // Negate hexadecimal patterns in unsigned arithmetic: "-$80000000" must not overflow.
    if (!TryStrToInt(s.substr(1), value)) throw EConvertError(InvalidIntegerMessage(text));
    return static_cast<int>(0u - static_cast<unsigned int>(value));
  }
  if (!TryStrToInt(s, value)) throw EConvertError(InvalidIntegerMessage(text));
  return value;
}

}  // namespace sky
