// Decoding of URL-encoded text ("+" is a blank, "%XX" a byte).
#pragma once

#include <functional>
#include <string>

namespace sky {

class TUrlCoder;
// Sender, the operation ("Error during decode") and the error's message.
using TOnErrorEvent = std::function<void(TUrlCoder* Sender, const std::string& Operation, const std::string& ErrorMsg)>;

class TUrlCoder {
 public:
  std::string InputString;
  TOnErrorEvent OnError;

  // Decodes InputString. On a malformed "%" escape OnError fires and the
  // input comes back unchanged.
  std::string Decode();
  std::string Decode(const std::string& text) {
    InputString = text;
    return Decode();
  }
};

}  // namespace sky
