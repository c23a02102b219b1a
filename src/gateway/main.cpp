// skyglass-gateway: answers the program's requests for the historical hosts,
// as their proxy on a loopback port, from today's public weather services.
#include <httplib.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

#include "gateway/check_live.h"
#include "gateway/gateway.h"
#include "gateway/options.h"
#include "gateway/upstream.h"
#include "site.h"

namespace {

class Log {
 public:
  explicit Log(std::FILE* out) : out_(out) {}
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

thread_local bool logged_by_handler = false;

}  // namespace

int main(int argc, char** argv) {
  using namespace sky::gateway;
  Options options;
  std::string error;
  if (!ReadConfigFile(ConfigFilePath(), options, error)) {
    std::cerr << "skyglass-gateway: " << error << "\n";
    return 2;
  }
  switch (ParseArguments(argc, argv, options, error)) {
    case ParseResult::kHelp:
      std::cout << kUsage;
      return 0;
    case ParseResult::kError:
      std::cerr << "skyglass-gateway: " << error << "\n" << kUsage;
      return 2;
    case ParseResult::kRun:
      break;
  }

  std::FILE* log_out = stderr;
  if (!options.logFile.empty()) {
    log_out = std::fopen(options.logFile.c_str(), "a");
    if (log_out == nullptr) {
      std::cerr << "skyglass-gateway: cannot open log file " << options.logFile << ": " << std::strerror(errno) << "\n";
      return 1;
    }
  }
  Log log(log_out);
  auto write_log = [&log](const std::string& line) { log.Write(line); };

  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGTERM);
  sigaddset(&stop_signals, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  sky::SystemClock clock;
  HostGates gates(clock, 30'000, 30 * 60'000);
  UpstreamSettings upstream_settings;
  upstream_settings.userAgent = UserAgent(options);
  upstream_settings.maxBodyBytes = options.maxBodyBytes;
  CurlUpstream upstream(upstream_settings, gates, write_log);
  Gateway gateway(options, upstream, clock, [] { return static_cast<std::int64_t>(std::time(nullptr)); }, write_log);

  if (options.checkLive) return CheckLive(gateway, std::cout);

  httplib::Server server;
  server.set_keep_alive_max_count(1);
  server.set_read_timeout(10, 0);
  server.set_write_timeout(10, 0);
  server.set_socket_options([](socket_t sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  server.set_pre_routing_handler([&](const httplib::Request& req, httplib::Response& res) {
    const auto started = std::chrono::steady_clock::now();
    std::optional<sky::sample::Target> target = sky::sample::SplitTarget(req.target, req.get_header_value("Host"));
    auto finish = [&] {
      std::string host = target ? target->host : "-";
      std::string path = target ? target->path + (target->query.empty() ? "" : "?" + target->query) : req.target;
      std::size_t bytes = req.method == "HEAD" ? 0 : res.body.size();
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
      log.Write(req.method + " " + host + " " + path + " " + std::to_string(res.status) + " " + std::to_string(bytes) +
                " " + std::to_string(ms.count()) + "ms");
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
    request.now = static_cast<long long>(std::time(nullptr));
    sky::sample::Reply reply = gateway.Handle(request);
    res.status = reply.status;
    res.set_content(reply.body, reply.contentType.c_str());
    return finish();
  });
  server.set_logger([&](const httplib::Request& req, const httplib::Response& res) {
    if (logged_by_handler) {
      logged_by_handler = false;
      return;
    }
    log.Write((req.method.empty() ? "-" : req.method) + " - " + (req.target.empty() ? "-" : req.target) + " " +
              std::to_string(res.status) + " " + std::to_string(res.body.size()));
  });

  const std::string bind = "127.0.0.1";
  int port = options.port;
  if (port == 0) {
    port = server.bind_to_any_port(bind);
  } else if (!server.bind_to_port(bind, port)) {
    port = -1;
  }
  if (port <= 0) {
    std::cerr << "skyglass-gateway: cannot listen on " << bind << ":" << options.port << "\n";
    return 1;
  }
  std::atomic<bool> failed{false};
  std::atomic<bool> done{false};
  std::thread listener([&] {
    if (!server.listen_after_bind()) failed = true;
    done = true;
    kill(getpid(), SIGTERM);
  });
  while (!server.is_running() && !done) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (!done) std::cout << "listening on " << bind << ":" << port << std::endl;

  int signal_number = 0;
  sigwait(&stop_signals, &signal_number);
  // Requests in progress end within their own deadline; a silent client is
  // not waited for longer than a second.
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
