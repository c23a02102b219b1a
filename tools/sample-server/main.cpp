// skyglass-sample-server: stands in for the outside servers, answering as
// their proxy (and directly) on a loopback port. See README.md.
#include <httplib.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

#include "maker_site.h"
#include "pictures.h"
#include "site.h"

namespace {

struct Options {
  int port = 0;
  std::string bind = "127.0.0.1";
  std::string logFile;
  long long now = -1;  // fixed clock for reproducible pages; -1: the real one
  std::string latestVersion = sky::sample::kDefaultLatestVersion;
  sky::sample::PictureOptions pictures;
};

constexpr int kListenBacklog = 512;

constexpr const char* kUsage =
    "usage: skyglass-sample-server [--port N] [--bind ADDR] [--log FILE]\n"
    "                              [--now UNIX_SECONDS] [--latest-version TEXT]\n"
    "                              [--small-radar] [--missing-picture PATH]...\n";

bool IsLoopback(const std::string& address) {
  return address == "localhost" || address == "::1" || address.rfind("127.", 0) == 0;
}

bool ParseNumber(const char* text, long long low, long long high, long long& out) {
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < low || value > high) return false;
  out = value;
  return true;
}

// 0: run; 1: exit 0 (help); 2: usage error.
int ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 1;
    }
    if (arg == "--small-radar") {
      options.pictures.smallPurdueRadar = true;
      continue;
    }
    if (i + 1 >= argc) {
      std::cerr << "skyglass-sample-server: " << arg << (arg.starts_with("--") ? " needs a value\n" : ": unknown argument\n")
                << kUsage;
      return 2;
    }
    const char* value = argv[++i];
    long long number = 0;
    if (arg == "--port" && ParseNumber(value, 0, 65535, number)) {
      options.port = static_cast<int>(number);
    } else if (arg == "--bind") {
      options.bind = value;
    } else if (arg == "--log") {
      options.logFile = value;
    } else if (arg == "--now" && ParseNumber(value, 0, 253402300799LL, number)) {
      options.now = number;
    } else if (arg == "--latest-version") {
      options.latestVersion = value;
    } else if (arg == "--missing-picture") {
      options.pictures.missing.insert(value);
    } else {
      std::cerr << "skyglass-sample-server: bad argument " << arg << " " << value << "\n" << kUsage;
      return 2;
    }
  }
  if (!IsLoopback(options.bind)) {
    std::cerr << "skyglass-sample-server: refusing to listen on " << options.bind
              << ": only loopback addresses are allowed\n";
    return 2;
  }
  return 0;
}

// Set by the request handler for the logger that the library calls next on the
// same worker thread.
thread_local bool logged_by_handler = false;

class RequestLog {
 public:
  explicit RequestLog(std::FILE* out) : out_(out) {}
  void Write(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::fputs(line.c_str(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
  }

 private:
  std::FILE* out_;
  std::mutex mutex_;
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (int rc = ParseOptions(argc, argv, options)) return rc == 1 ? 0 : rc;

  std::FILE* log_out = stderr;
  if (!options.logFile.empty()) {
    log_out = std::fopen(options.logFile.c_str(), "a");
    if (log_out == nullptr) {
      std::cerr << "skyglass-sample-server: cannot open log file " << options.logFile << ": "
                << std::strerror(errno) << "\n";
      return 1;
    }
  }
  RequestLog log(log_out);

  // The signals that stop the server are taken by sigwait below, in this
  // thread only; every thread started from here on inherits the mask.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGTERM);
  sigaddset(&stop_signals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  const std::unique_ptr<sky::sample::Router> router = sky::sample::MakeDefaultRouter(options.latestVersion);
  sky::sample::AddPictureSites(*router, options.pictures);
  const long long fixed_now = options.now;

  httplib::Server server;
  // One request per connection, as the program's HTTP/1.0 client expects.
  server.set_keep_alive_max_count(1);
  // The program sends its whole request at once, so a client silent for three
  // seconds is gone; and there are workers enough that a handful of such
  // clients leave most of them free for the others meanwhile.
  server.set_read_timeout(3, 0);
  server.new_task_queue = [] { return new httplib::ThreadPool(64); };
  // Address reuse, but not port sharing: a second server on a taken port
  // must fail, not split the requests with the first.
  socket_t listening = INVALID_SOCKET;
  server.set_socket_options([&listening](socket_t sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    listening = sock;
  });
  server.set_write_timeout(10, 0);

  // Everything is answered here, before the library's own routing. The log
  // line is written here too, before the answer goes out, so that the lines
  // of a client's requests come in the order it made them.
  server.set_pre_routing_handler([&](const httplib::Request& req, httplib::Response& res) {
    std::optional<sky::sample::Target> target = sky::sample::SplitTarget(req.target, req.get_header_value("Host"));
    auto finish = [&] {
      std::string host = target ? target->host : "-";
      std::string path = target ? target->path + (target->query.empty() ? "" : "?" + target->query) : req.target;
      std::size_t bytes = req.method == "HEAD" ? 0 : res.body.size();
      log.Write(req.method + " " + host + " " + path + " " + std::to_string(res.status) + " " + std::to_string(bytes));
      logged_by_handler = true;
      return httplib::Server::HandlerResponse::Handled;
    };
    if (!target) {
      res.status = 400;
      res.set_content(sky::sample::NotFoundPage(req.target), "text/html; charset=iso-8859-1");
      return finish();
    }
    if (req.method != "GET" && req.method != "HEAD") {
      res.status = 405;
      res.set_header("Allow", "GET, HEAD");
      res.set_content("Method not allowed\n", "text/plain");
      return finish();
    }
    sky::sample::Request request;
    request.method = req.method;
    request.host = target->host;
    request.path = target->path;
    request.query = target->query;
    request.now = fixed_now >= 0 ? fixed_now : static_cast<long long>(std::time(nullptr));
    sky::sample::Reply reply = router->Route(request);
    res.status = reply.status;
    res.set_content(reply.body, reply.contentType.c_str());
    return finish();
  });

  // Requests the library turned away before the handler saw them.
  server.set_logger([&](const httplib::Request& req, const httplib::Response& res) {
    if (logged_by_handler) {
      logged_by_handler = false;
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
    std::cerr << "skyglass-sample-server: cannot listen on " << options.bind << ":" << options.port << "\n";
    return 1;
  }
  // A burst of clients (a test suite, a room of desktops) connects at once;
  // the library's compiled-in backlog of 5 dropped or reset many of them.
  // A second listen() on the bound socket only sets the longer queue.
  if (listening != INVALID_SOCKET) listen(listening, kListenBacklog);
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

  int signal_number = 0;
  sigwait(&stop_signals, &signal_number);
  // The library finishes the requests in progress; a client that went
  // silent half-way through its request would hold the stop up until the
  // read time-out, so after a short while the server ends without it.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (!done) {
    server.stop();
    if (std::chrono::steady_clock::now() >= deadline) {
      if (log_out != stderr) std::fclose(log_out);
      std::_Exit(0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  listener.join();
  if (log_out != stderr) std::fclose(log_out);
  return failed ? 1 : 0;
}
