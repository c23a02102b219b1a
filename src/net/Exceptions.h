// The exception classes of the network client, on the program's Exception base.
#pragma once

#include "common/exceptions.h"

namespace sky {

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
