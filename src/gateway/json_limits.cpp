#include "gateway/json_limits.h"

namespace sky::gateway {

bool JsonWithinLimits(std::string_view text, std::size_t max_bytes, int max_depth) {
  if (text.size() > max_bytes) return false;
  int depth = 0;
  bool in_string = false, escaped = false;
  for (char c : text) {
    if (in_string) {
      if (escaped) escaped = false;
      else if (c == '\\') escaped = true;
      else if (c == '"') in_string = false;
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      if (++depth > max_depth) return false;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return true;
}

}  // namespace sky::gateway
