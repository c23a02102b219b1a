// The program's exception classes. Exception is the base of every failure the
// user sees in the standard error box; its message is the box's text.
#pragma once

#include <exception>
#include <string>

namespace sky {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// A text that should be a whole number is not ("'x' is not a valid integer value").
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace sky
