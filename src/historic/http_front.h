// The HTTP side shared by the sample server and the live gateway: a loopback
// listener that answers every request as the proxy of the historical hosts,
// one log line a request, and a stop on SIGTERM or SIGINT that does not wait
// long for a client gone silent.
#pragma once

#include <signal.h>

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

struct FrontOptions {
  std::string program;  // the name in messages: "skyglass-sample-server"
  std::string bind = "127.0.0.1";
  int port = 0;  // 0: any free port
  int readTimeoutSeconds = 10;
  int workers = 0;           // 0: the library's default pool
  int backlog = 0;           // 0: the library's own
  bool logDuration = false;  // the handler's time, "12ms", at the end of a log line
};

// Blocks the stop signals in the calling thread, and so in every thread it
// starts afterwards: call before starting any. The result is for Serve.
sigset_t BlockStopSignals();

// Serves until a stop signal: prints "listening on ADDR:PORT" once the
// listener accepts, routes GET and HEAD through handle (Request::now is the
// current time) and writes a line a request to log. Returns the exit code.
int Serve(const FrontOptions& options, const sigset_t& stopSignals, RequestLog& log,
          const std::function<Reply(const Request&)>& handle);

}  // namespace sky::historic
