#include "common/text.h"

#include <climits>

namespace sky {

Text Cut(std::string_view s, long long start, long long count) {
  if (count <= 0) return {};
  if (start < 1) start = 1;
  const auto n = static_cast<long long>(s.size());
  if (start > n) return {};
  const long long avail = n - start + 1;
  if (count > avail) count = avail;
  return Text(s.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count)));
}

Text Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return Text(s.substr(b, e - b));
}

std::size_t Pos(std::string_view needle, std::string_view s) { return PosFrom(needle, s, 1); }

std::size_t PosFrom(std::string_view needle, std::string_view s, std::size_t from) {
  if (needle.empty() || from < 1 || from > s.size()) return 0;
  const auto p = s.find(needle, from - 1);
  return p == std::string_view::npos ? 0 : p + 1;
}

Text LowerAscii(std::string_view s) {
  Text r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

Text UpperAscii(std::string_view s) {
  Text r(s);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool TryStrToInt(std::string_view s, int& out) {
  std::size_t i = 0;
  bool neg = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    neg = s[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < s.size() && s[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= s.size()) return false;
  unsigned long long v = 0;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    v = v * base + d;
    if (v > 0xFFFFFFFFull) return false;
  }
  if (base == 16) {
    // Hexadecimal texts name a 32-bit pattern, as colour values do.
    const auto u = static_cast<unsigned int>(v);
    out = static_cast<int>(neg ? 0u - u : u);  // wraps as a 32-bit pattern, never overflows
    return true;
  }
  if (neg) {
    if (v > static_cast<unsigned long long>(INT_MAX) + 1) return false;
    out = static_cast<int>(-static_cast<long long>(v));
  } else {
    if (v > static_cast<unsigned long long>(INT_MAX)) return false;
    out = static_cast<int>(v);
  }
  return true;
}

std::string Latin1ToUtf8(std::string_view s) {
  std::string r;
  r.reserve(s.size());
  for (unsigned char c : s) {
    if (c < 0x80) {
      r.push_back(static_cast<char>(c));
    } else {
      r.push_back(static_cast<char>(0xC0 | (c >> 6)));
      r.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return r;
}

bool Utf8ToLatin1(std::string_view s, std::string& out) {
  out.clear();
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < s.size() && (static_cast<unsigned char>(s[i + 1]) & 0xC0) == 0x80) {
      out.push_back(static_cast<char>(((c & 0x1F) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3F)));
      ++i;
    } else {
      return false;
    }
  }
  return true;
}

std::vector<std::string_view> SplitView(std::string_view line, char sep) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  while (true) {
    const std::size_t at = line.find(sep, start);
    out.push_back(line.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
    if (at == std::string_view::npos) return out;
    start = at + 1;
  }
}

std::vector<std::string> SplitText(std::string_view line, char sep) {
  const std::vector<std::string_view> pieces = SplitView(line, sep);
  return {pieces.begin(), pieces.end()};
}

}  // namespace sky
