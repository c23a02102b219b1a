#include "net/UrlCoder.h"

namespace sky {

namespace {
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
}  // namespace

std::string TUrlCoder::Decode() {
  const std::string& in = InputString;
  std::string out;
  out.reserve(in.size());
  for (std::size_t i = 0; i < in.size(); ++i) {
    char c = in[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%') {
      std::string hex = in.substr(i + 1, 2);
      int hi = hex.size() == 2 ? HexValue(hex[0]) : -1, lo = hex.size() == 2 ? HexValue(hex[1]) : -1;
      if (hi < 0 || lo < 0) {
        if (OnError) OnError(this, "Error during decode", "'$" + hex + "' is not a valid integer value");
        return in;
      }
      out += static_cast<char>(hi * 16 + lo);
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace sky
