// 50 clients at once asking the gateway for a page it has cached, each
// request on a new connection as the program makes them, against the sample
// server answering the same page: requests a second and the slowest answers,
// the two servers in turn in every round. Loopback only; bounded in clients,
// rounds and seconds.
//   bench_gateway_load [--clients=N] [--seconds=S] [--rounds=R] [--before=GATEWAY]
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "gateway/stub_upstream.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

int g_clients = 50, g_seconds = 3, g_rounds = 3;
std::string g_before;
const char* const kPage = "http://www.wunderground.com/US/TX/Austin.html";

// A server process whose first output line names its port.
class Server {
 public:
  explicit Server(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string line;
    char c;
    while (pid_ > 0 && read(out[0], &c, 1) == 1 && c != '\n') line += c;
    close(out[0]);
    const auto colon = line.rfind(':');
    if (line.rfind("listening on", 0) == 0 && colon != std::string::npos) port_ = std::atoi(line.c_str() + colon + 1);
  }
  ~Server() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  int Port() const { return port_; }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

// One request on a new connection, read to the server's close; false when it
// failed or took more than ten seconds.
bool Request(int port, const std::string& request, std::size_t& bytes) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  timeval tv{10, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size());
  bytes = 0;
  char buf[16384];
  std::string head;
  while (ok) {
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n < 0) ok = false;
    if (n <= 0) break;
    if (head.size() < 16) head.append(buf, static_cast<std::size_t>(std::min<ssize_t>(n, 16)));
    bytes += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return ok && head.find(" 200 ") != std::string::npos;
}

struct Load {
  double perSecond = 0, p50 = 0, p99 = 0, max = 0;
  std::size_t requests = 0, failed = 0;
};

Load Hammer(int port) {
  const std::string request = std::string("GET ") + kPage + " HTTP/1.0\r\nAccept: */*\r\n\r\n";
  std::vector<std::vector<double>> latencies(static_cast<std::size_t>(g_clients));
  std::atomic<std::size_t> failed{0};
  const auto end = Clock::now() + std::chrono::seconds(g_seconds);
  std::vector<std::thread> clients;
  for (int i = 0; i < g_clients; ++i)
    clients.emplace_back([&, i] {
      std::size_t bytes = 0;
      while (Clock::now() < end) {
        const auto t0 = Clock::now();
        if (!Request(port, request, bytes)) ++failed;
        latencies[static_cast<std::size_t>(i)].push_back(std::chrono::duration<double>(Clock::now() - t0).count());
      }
    });
  const auto start = Clock::now();
  for (auto& t : clients) t.join();
  const double took = std::chrono::duration<double>(Clock::now() - start).count();
  std::vector<double> all;
  for (auto& l : latencies) all.insert(all.end(), l.begin(), l.end());
  std::sort(all.begin(), all.end());
  Load r;
  r.requests = all.size();
  r.failed = failed;
  if (all.empty()) return r;
  r.perSecond = static_cast<double>(all.size() - r.failed) / took;
  r.p50 = all[all.size() / 2];
  r.p99 = all[std::min(all.size() - 1, all.size() * 99 / 100)];
  r.max = all.back();
  return r;
}

struct Contender {
  std::string name;
  int port;
  std::vector<Load> runs;
};

double MedianOf(const std::vector<Load>& runs, double Load::*field) {
  std::vector<double> v;
  for (const Load& l : runs) v.push_back(l.*field);
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

std::vector<Contender> g_results;

void BM_Gateway50Clients(benchmark::State& state) {
  namespace fs = std::filesystem;
  const fs::path config = fs::temp_directory_path() / ("skyglass-bench-gateway-" + std::to_string(getpid()));
  fs::create_directories(config / "skyglass");
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  skytest::StubUpstream stub;
  const std::string bin = SKYGLASS_BIN_DIR;
  auto gatewayArgs = [&](const std::string& exe) {
    return std::vector<std::string>{exe,
                                    "--port",
                                    "0",
                                    "--nws-api",
                                    stub.Base(),
                                    "--metar-api",
                                    stub.Base() + "/api/data/metar",
                                    "--open-meteo-api",
                                    stub.Base() + "/v1/forecast"};
  };
  Server gateway(gatewayArgs(bin + "/skyglass-gateway"));
  Server sample({bin + "/skyglass-sample-server", "--port", "0"});
  std::unique_ptr<Server> before;
  if (!g_before.empty()) before = std::make_unique<Server>(gatewayArgs(g_before));
  g_results = {{"skyglass-gateway", gateway.Port(), {}}, {"sample server", sample.Port(), {}}};
  if (before) g_results.insert(g_results.begin() + 1, {"skyglass-gateway before", before->Port(), {}});
  for (const Contender& c : g_results) {
    std::size_t bytes = 0;
    const std::string warm = std::string("GET ") + kPage + " HTTP/1.0\r\n\r\n";
    if (c.port <= 0 || !Request(c.port, warm, bytes)) {
      state.SkipWithError((c.name + " did not start or answer").c_str());
      fs::remove_all(config);
      return;
    }
  }
  std::size_t round = 0;
  for (auto _ : state) {
    for (std::size_t i = 0; i < g_results.size(); ++i) {
      Contender& c = g_results[(round + i) % g_results.size()];
      c.runs.push_back(Hammer(c.port));
    }
    ++round;
  }
  fs::remove_all(config);
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc;) {
    const std::string a = argv[i];
    if (a.rfind("--clients=", 0) == 0) g_clients = std::clamp(std::atoi(a.c_str() + 10), 1, 200);
    else if (a.rfind("--seconds=", 0) == 0) g_seconds = std::clamp(std::atoi(a.c_str() + 10), 1, 30);
    else if (a.rfind("--rounds=", 0) == 0) g_rounds = std::clamp(std::atoi(a.c_str() + 9), 1, 20);
    else if (a.rfind("--before=", 0) == 0) g_before = a.substr(9);
    else {
      ++i;
      continue;
    }
    for (int j = i; j < argc; ++j) argv[j] = argv[j + 1];
    --argc;
  }
  signal(SIGPIPE, SIG_IGN);
  benchmark::RegisterBenchmark("BM_Gateway50Clients", BM_Gateway50Clients)
      ->Unit(benchmark::kMillisecond)
      ->Iterations(g_rounds)
      ->UseRealTime();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (g_results.empty() || g_results[0].runs.empty()) return 1;
  std::printf("%d clients, a new connection a request, %d s a run, median of %zu rounds:\n", g_clients, g_seconds,
              g_results[0].runs.size());
  for (const Contender& c : g_results) {
    std::size_t failed = 0;
    for (const Load& l : c.runs) failed += l.failed;
    std::printf("  %-24s %8.0f req/s  p50 %6.1f ms  p99 %7.1f ms  max %7.1f ms  failed %zu\n", c.name.c_str(),
                MedianOf(c.runs, &Load::perSecond), 1e3 * MedianOf(c.runs, &Load::p50),
                1e3 * MedianOf(c.runs, &Load::p99), 1e3 * MedianOf(c.runs, &Load::max), failed);
  }
  std::printf("ratio (gateway / sample server): %.2f req/s\n",
              MedianOf(g_results[0].runs, &Load::perSecond) / MedianOf(g_results.back().runs, &Load::perSecond));
  return 0;
}
