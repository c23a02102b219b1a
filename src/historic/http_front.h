// The HTTP side shared by the sample server and the live gateway: a loopback
// listener that answers every request as the proxy of the historical hosts,
// one log line a request, and a stop on SIGTERM or SIGINT that does not wait
// long for a client gone silent.
//
// Built for hostile clients: one thread reads every request head, however
// slowly it comes, within bounds of size and time, and only whole heads take
// a worker; a head beyond its bounds is answered 414 or 431 (408 when too
// slow) and the connection closed.
#pragma once

#include <signal.h>

#include <cstddef>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>

#include "historic/site.h"

namespace sky::historic {

// Whole lines from any thread, flushed at once, so that a log read while the
// server runs (or after a hard stop) has every line complete.
class RequestLog {
 public:
  explicit RequestLog(std::FILE* out) : out_(out) {}
  void Write(const std::string& line);

 private:
  std::FILE* out_;
  std::mutex mutex_;
};

// What one request head may take. The program's requests are a few hundred
// bytes and a dozen lines, sent at once.
struct FrontLimits {
  std::size_t requestLineBytes = 8 * 1024;
  std::size_t headBytes = 64 * 1024;
  std::size_t headerLines = 100;
  int headTimeoutMs = 5000;               // from the connection to the head's end
  std::size_t pendingConnections = 1024;  // heads being read at once; more wait in the backlog
};

// The settings both servers share: workers enough that clients waiting on a
// slow source leave room for the others, and a listen queue that holds a
// burst of desktops connecting at once (the library default of 5 dropped them).
struct FrontOptions {
  std::string program;  // the name in messages: "skyglass-sample-server"
  std::string bind = "127.0.0.1";
  int port = 0;  // 0: any free port
  int workers = 64;
  int backlog = 512;
  int queueLimit = 4096;  // whole requests waiting for a worker; beyond, 503
  int writeTimeoutSeconds = 10;
  bool logDuration = false;  // the handler's time, "12ms", at the end of a log line
  FrontLimits limits;
};

// Blocks the stop signals in the calling thread, and so in every thread it
// starts afterwards: call before starting any. The result is for Serve.
sigset_t BlockStopSignals();

// Serves until a stop signal: prints "listening on ADDR:PORT" once the
// listener accepts, routes GET and HEAD through handle (Request::now is the
// current time) and writes a line a request to log, control characters
// escaped. Returns the exit code.
int Serve(const FrontOptions& options, const sigset_t& stopSignals, RequestLog& log,
          const std::function<Reply(const Request&)>& handle);

}  // namespace sky::historic
