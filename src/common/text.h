// Text helpers shared by every subsystem.
//
// All program texts are single-byte (Latin-1) held in std::string; the degree
// sign is the byte 0xB0. Positions are 1-based, as every algorithm of the
// program counts them; 0 means "not found".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sky {

using Text = std::string;

inline constexpr char kDegree = '\xB0';
inline constexpr const char* kNA = "n/a";

// Characters from 1-based `start` for `count`. Gives "" when count <= 0 or
// start is past the end; stops at the end of the text. A start below 1 is
// treated as 1 (the count is not adjusted).
Text Cut(std::string_view s, long long start, long long count);

// Removes every character with a code of 32 or less from both ends.
Text Trim(std::string_view s);

// 1-based position of the first occurrence of `needle` in `s`, 0 when absent.
// Case-sensitive. An empty needle is never found (returns 0).
std::size_t Pos(std::string_view needle, std::string_view s);

// As Pos, but the search starts at the 1-based position `from`; the result
// is still a position in the whole of `s`.
std::size_t PosFrom(std::string_view needle, std::string_view s, std::size_t from);

// Lower/upper-case mapping of A..Z / a..z only; other bytes stay as they are.
Text LowerAscii(std::string_view s);
Text UpperAscii(std::string_view s);

// Case-insensitive (A..Z only) equality.
bool SameTextAscii(std::string_view a, std::string_view b);

// Strict decimal integer conversion of the whole text (optional sign, an
// optional leading "$" or "0x" for hexadecimal, surrounding blanks not allowed).
// Returns false for anything else, including overflow of a 32-bit int.
bool TryStrToInt(std::string_view s, int& out);

// The pieces of `line` between each `sep`, empty ones kept: "a,,b" gives
// three pieces and "" gives one. The pieces point into `line`.
std::vector<std::string_view> SplitView(std::string_view line, char sep);
// The same pieces as strings of their own, for rows kept after the text.
std::vector<std::string> SplitText(std::string_view line, char sep);

// Latin-1 bytes to UTF-8 and back. FromUtf8 fails (returns false) on malformed
// UTF-8 or a character above U+00FF.
std::string Latin1ToUtf8(std::string_view s);
bool Utf8ToLatin1(std::string_view s, std::string& out);

}  // namespace sky
