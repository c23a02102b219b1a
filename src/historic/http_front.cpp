#include "historic/http_front.h"

#include <httplib.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <optional>
#include <thread>

namespace sky::historic {

namespace {

// Set by the request handler for the logger that the library calls next on the
// same worker thread.
thread_local bool loggedByHandler = false;

}  // namespace

void RequestLog::Write(const std::string& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::fputs(line.c_str(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

sigset_t BlockStopSignals() {
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);
  return stopSignals;
}

int Serve(const FrontOptions& options, const sigset_t& stopSignals, RequestLog& log,
          const std::function<Reply(const Request&)>& handle) {
  httplib::Server server;
  // One request per connection, as the program's HTTP/1.0 client expects.
  server.set_keep_alive_max_count(1);
  server.set_read_timeout(options.readTimeoutSeconds, 0);
  server.set_write_timeout(10, 0);
  if (options.workers > 0) {
    const int workers = options.workers;
    server.new_task_queue = [workers] { return new httplib::ThreadPool(static_cast<std::size_t>(workers)); };
  }
  // Address reuse, but not port sharing: a second server on a taken port
  // must fail, not split the requests with the first.
  socket_t listening = INVALID_SOCKET;
  server.set_socket_options([&listening](socket_t sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    listening = sock;
  });

  // Everything is answered here, before the library's own routing. The log
  // line is written here too, before the answer goes out, so that the lines
  // of a client's requests come in the order it made them.
  server.set_pre_routing_handler([&](const httplib::Request& req, httplib::Response& res) {
    const auto started = std::chrono::steady_clock::now();
    std::optional<Target> target = SplitTarget(req.target, req.get_header_value("Host"));
    auto finish = [&] {
      std::string host = target ? target->host : "-";
      std::string path = target ? target->path + (target->query.empty() ? "" : "?" + target->query) : req.target;
      std::size_t bytes = req.method == "HEAD" ? 0 : res.body.size();
      std::string line =
          req.method + " " + host + " " + path + " " + std::to_string(res.status) + " " + std::to_string(bytes);
      if (options.logDuration) {
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
        line += " " + std::to_string(ms.count()) + "ms";
      }
      log.Write(line);
      loggedByHandler = true;
      return httplib::Server::HandlerResponse::Handled;
    };
    if (!target) {
      res.status = 400;
      res.set_content(NotFoundPage(req.target), "text/html; charset=iso-8859-1");
      return finish();
    }
    if (req.method != "GET" && req.method != "HEAD") {
      res.status = 405;
      res.set_header("Allow", "GET, HEAD");
      res.set_content("Method not allowed\n", "text/plain");
      return finish();
    }
    Request request;
    request.method = req.method;
    request.host = target->host;
    request.path = target->path;
    request.query = target->query;
    request.now = static_cast<std::int64_t>(std::time(nullptr));
    Reply reply = handle(request);
    res.status = reply.status;
    for (const auto& [name, value] : reply.headers) res.set_header(name, value);
    res.set_content(reply.body, reply.contentType.c_str());
    return finish();
  });

  // Requests the library turned away before the handler saw them.
  server.set_logger([&](const httplib::Request& req, const httplib::Response& res) {
    if (loggedByHandler) {
      loggedByHandler = false;
      return;
    }
    log.Write((req.method.empty() ? "-" : req.method) + " - " + (req.target.empty() ? "-" : req.target) + " " +
              std::to_string(res.status) + " " + std::to_string(res.body.size()));
  });

  int port = options.port;
  if (port == 0) {
    port = server.bind_to_any_port(options.bind);
    if (port < 0) port = -1;
  } else if (!server.bind_to_port(options.bind, port)) {
    port = -1;
  }
  if (port <= 0) {
    std::cerr << options.program << ": cannot listen on " << options.bind << ":" << options.port << "\n";
    return 1;
  }
  // A burst of clients (a test suite, a room of desktops) connects at once;
  // the library's compiled-in backlog of 5 drops or resets many of them.
  // A second listen() on the bound socket only sets the longer queue.
  if (options.backlog > 0 && listening != INVALID_SOCKET) listen(listening, options.backlog);
  std::atomic<bool> failed{false};
  std::atomic<bool> done{false};
  std::thread listener([&] {
    if (!server.listen_after_bind()) failed = true;
    done = true;
    kill(getpid(), SIGTERM);  // wakes the sigwait below when listening failed
  });
  // Announce the port only once the server accepts: a stop request that came
  // earlier would find nothing to stop.
  while (!server.is_running() && !done) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (!done) std::cout << "listening on " << options.bind << ":" << port << std::endl;

  int signalNumber = 0;
  sigwait(&stopSignals, &signalNumber);
  // The library finishes the requests in progress; a client that went
  // silent half-way through its request would hold the stop up until the
  // read time-out, so after a short while the server ends without it.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (!done) {
    server.stop();
    if (std::chrono::steady_clock::now() >= deadline) std::_Exit(0);  // every log line is flushed
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  listener.join();
  return failed ? 1 : 0;
}

}  // namespace sky::historic
