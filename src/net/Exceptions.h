// The exception classes of the network client. Exception is the general base
// every failure of the client derives from; its message is the text the user
// sees in the error box.
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

// A file cannot be created, opened or written ("Cannot create file x").
class EFileError : public Exception {
 public:
  using Exception::Exception;
};

// Name lookup, connection and socket failures.
class ESockError : public Exception {
 public:
  using Exception::Exception;
};

// A wait ended by Abort/Cancel, a time-out or a bound of the client.
class EAbortError : public ESockError {
 public:
  using ESockError::ESockError;
};

}  // namespace sky
