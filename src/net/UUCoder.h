// Base64 and uuencode of a byte stream, 45 input bytes to an output line.
#pragma once

#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

namespace sky {

enum class TUUMethod : unsigned char { uuMime = 0, uuCode = 1 };

class TUUProcessor {
 public:
  using TNotify = std::function<void(TUUProcessor* Sender)>;

  TUUMethod Method = TUUMethod::uuMime;
  TNotify OnBeginEncode, OnEndEncode, OnBeginDecode, OnEndDecode;

  // Reads `in` from its start and writes the encoded lines, each followed by
  // CR LF, to `out` from its start.
  void Encode(std::istream& in, std::ostream& out);
  // The reverse; characters outside the alphabet (line ends) are skipped.
  void Decode(std::istream& in, std::ostream& out);

  // Conveniences over strings.
  std::string EncodeString(std::string_view data);
  std::string DecodeString(std::string_view text);
};

}  // namespace sky
