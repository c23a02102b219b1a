// Throughput of THttpClient against curl on one loopback server, and the CPU
// the client burns while it waits on a silent server.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
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
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (g_clientMBps > 0 && g_curlMBps > 0)
    std::printf("THttpClient %.0f MB/s, curl %.0f MB/s: %.0f %% of curl\n", g_clientMBps, g_curlMBps,
                100.0 * g_clientMBps / g_curlMBps);
  if (g_waitCpuPercent >= 0)
    std::printf("CPU while waiting on a silent server: %.2f %% of one core\n", g_waitCpuPercent);
  return 0;
}
