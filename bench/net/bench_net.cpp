// Throughput of THttpClient against curl on one loopback server, and the CPU
// the client burns while it waits on a silent server.
#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "net/HttpClient.h"

extern char** environ;

namespace {

constexpr std::size_t kBodySize = 64u * 1024u * 1024u;

// Serves one fixed reply per connection (header plus kBodySize bytes), or,
// when silent, accepts and never answers.
class BenchServer {
 public:
  explicit BenchServer(bool silent) : silent_(silent) {
    body_.assign(kBodySize, 'w');
    head_ =
        "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " + std::to_string(kBodySize) +
        "\r\n\r\n";
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(fd_, 16);
    socklen_t len = sizeof a;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { Loop(); });
  }
  ~BenchServer() {
    stop_ = true;
    thread_.join();
    ::close(fd_);
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/big.bin"; }

 private:
  void Loop() {
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (c < 0) continue;
      Serve(c);
      ::close(c);
    }
  }
  void Serve(int c) {
    std::string req;
    char buf[4096];
    while (req.find("\r\n\r\n") == std::string::npos) {
      pollfd p{c, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) {
        if (stop_) return;
        continue;
      }
      ssize_t n = ::recv(c, buf, sizeof buf, 0);
      if (n <= 0) return;
      req.append(buf, static_cast<std::size_t>(n));
    }
    if (silent_) {
      while (!stop_) {
        pollfd p{c, POLLIN, 0};
        if (::poll(&p, 1, 20) > 0 && ::recv(c, buf, sizeof buf, 0) <= 0) return;
      }
      return;
    }
    if (!SendAll(c, head_.data(), head_.size())) return;
    SendAll(c, body_.data(), body_.size());
  }
  static bool SendAll(int c, const char* p, std::size_t n) {
    while (n > 0) {
      ssize_t k = ::send(c, p, n, MSG_NOSIGNAL);
      if (k <= 0) return false;
      p += k;
      n -= static_cast<std::size_t>(k);
    }
    return true;
  }

  bool silent_;
  std::string head_, body_;
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

double g_clientMBps = 0, g_curlMBps = 0, g_waitCpuPercent = -1;

// Runs curl on the URL with the body thrown away; false when it failed.
bool RunCurl(const std::string& url) {
  pid_t pid = 0;
  const char* argv[] = {"curl", "-s", "-f", "-o", "/dev/null", url.c_str(), nullptr};
  if (posix_spawnp(&pid, "curl", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) return false;
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The two downloads alternate within each iteration, so both see the same
// machine load; the reported time is the client's.
void BM_Download64MB_ClientVsCurl(benchmark::State& state) {
  BenchServer server(false);
  sky::THttpClient c;
  c.TimeOut = 60000;
  double clientSeconds = 0, curlSeconds = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    c.Get(server.Url());
    auto t1 = std::chrono::steady_clock::now();
    if (c.Body.size() != kBodySize) {
      state.SkipWithError("short body");
      return;
    }
    state.PauseTiming();
    auto t2 = std::chrono::steady_clock::now();
    if (!RunCurl(server.Url())) {
      state.SkipWithError("curl is missing or failed");
      return;
    }
    auto t3 = std::chrono::steady_clock::now();
    state.ResumeTiming();
    clientSeconds += std::chrono::duration<double>(t1 - t0).count();
    curlSeconds += std::chrono::duration<double>(t3 - t2).count();
  }
  double mb = static_cast<double>(state.iterations()) * kBodySize / 1048576.0;
  g_clientMBps = mb / clientSeconds;
  g_curlMBps = mb / curlSeconds;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBodySize));
  state.counters["client_MB/s"] = g_clientMBps;
  state.counters["curl_MB/s"] = g_curlMBps;
  state.counters["ratio_%"] = 100.0 * g_clientMBps / g_curlMBps;
}
BENCHMARK(BM_Download64MB_ClientVsCurl)->Unit(benchmark::kMillisecond)->Iterations(10);

// The terminal companion writing the body to a file against curl doing the
// same, as separate processes in turn within each round: wall-clock time and
// the CPU time each process used.
struct Figures {
  std::vector<double> wall, cpu;
};
Figures g_cli, g_curlFile, g_cliBefore;
std::string g_before;  // --before=PATH: an earlier skyglass-cli, in every round too

double ChildrenCpuSeconds() {
  rusage u{};
  ::getrusage(RUSAGE_CHILDREN, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

bool RunTimed(const std::vector<std::string>& args, Figures& into) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const double c0 = ChildrenCpuSeconds();
  const auto t0 = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return false;
  int status = 0;
  ::waitpid(pid, &status, 0);
  into.wall.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  into.cpu.push_back(ChildrenCpuSeconds() - c0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void BM_BodyFile64MB_CliVsCurl(benchmark::State& state) {
  BenchServer server(false);
  const std::string cli = std::string(SKYGLASS_BIN_DIR) + "/skyglass-cli";
  const std::string file = "/tmp/skyglass-bench-body-" + std::to_string(::getpid());
  const std::vector<std::string> ours = {cli, "get", "--timeout", "60000", "--body-file", file, server.Url()};
  const std::vector<std::string> curl = {"curl", "-s", "-f", "-o", file, server.Url()};
  std::size_t round = 0;
  for (auto _ : state) {
    const bool curlFirst = round++ % 2 == 1;
    bool ok = true;
    if (curlFirst) ok = RunTimed(curl, g_curlFile) && ok;
    ok = RunTimed(ours, g_cli) && ok;
    struct stat st {};
    ok = ::stat(file.c_str(), &st) == 0 && static_cast<std::size_t>(st.st_size) == kBodySize && ok;
    if (!curlFirst) ok = RunTimed(curl, g_curlFile) && ok;
    if (!g_before.empty()) {
      std::vector<std::string> before = ours;
      before[0] = g_before;
      ok = RunTimed(before, g_cliBefore) && ok;
    }
    if (!ok) {
      state.SkipWithError("skyglass-cli or curl failed");
      break;
    }
  }
  std::remove(file.c_str());
}

double ThreadCpuSeconds() {
  rusage u{};
  ::getrusage(RUSAGE_THREAD, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void BM_SilentServerWait2s(benchmark::State& state) {
  BenchServer server(true);
  sky::THttpClient c;
  c.TimeOut = 2000;
  double cpu = 0, wall = 0;
  for (auto _ : state) {
    double c0 = ThreadCpuSeconds();
    auto t0 = std::chrono::steady_clock::now();
    try {
      c.Get(server.Url());
      state.SkipWithError("the silent server answered");
    } catch (const sky::EAbortError&) {
    }
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    cpu += ThreadCpuSeconds() - c0;
  }
  g_waitCpuPercent = 100.0 * cpu / wall;
  state.counters["cpu%"] = g_waitCpuPercent;
}
BENCHMARK(BM_SilentServerWait2s)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
  // --rounds=N: the rounds of the terminal companion against curl (7).
  int rounds = 7;
  for (int i = 1; i < argc;) {
    if (std::strncmp(argv[i], "--rounds=", 9) == 0) rounds = std::max(1, std::atoi(argv[i] + 9));
    else if (std::strncmp(argv[i], "--before=", 9) == 0) g_before = argv[i] + 9;
    else {
      ++i;
      continue;
    }
    for (int j = i; j < argc; ++j) argv[j] = argv[j + 1];
    --argc;
  }
  benchmark::RegisterBenchmark("BM_BodyFile64MB_CliVsCurl", BM_BodyFile64MB_CliVsCurl)
      ->Unit(benchmark::kMillisecond)
      ->Iterations(rounds)
      ->UseRealTime();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (!g_cli.wall.empty() && g_cli.wall.size() == g_curlFile.wall.size()) {
    const double mb = kBodySize / 1048576.0;
    std::printf(
        "64 MB to a file, median of %zu rounds: skyglass-cli %.0f MB/s (%.3f s CPU), curl %.0f MB/s "
        "(%.3f s CPU)\n",
        g_cli.wall.size(), mb / Median(g_cli.wall), Median(g_cli.cpu), mb / Median(g_curlFile.wall),
        Median(g_curlFile.cpu));
    std::printf("ratio (skyglass-cli / curl): %.2f throughput, %.2f CPU per byte (curl / ours)\n",
                Median(g_curlFile.wall) / Median(g_cli.wall), Median(g_curlFile.cpu) / Median(g_cli.cpu));
    if (!g_cliBefore.wall.empty())
      std::printf("before: skyglass-cli %.0f MB/s (%.3f s CPU): %.2f throughput, %.2f CPU per byte\n",
                  mb / Median(g_cliBefore.wall), Median(g_cliBefore.cpu),
                  Median(g_curlFile.wall) / Median(g_cliBefore.wall), Median(g_curlFile.cpu) / Median(g_cliBefore.cpu));
  }
  if (g_clientMBps > 0 && g_curlMBps > 0)
    std::printf("THttpClient %.0f MB/s, curl %.0f MB/s: %.0f %% of curl\n", g_clientMBps, g_curlMBps,
                100.0 * g_clientMBps / g_curlMBps);
  if (g_waitCpuPercent >= 0)
    std::printf("CPU while waiting on a silent server: %.2f %% of one core\n", g_waitCpuPercent);
  return 0;
}
