// The large test picture of the JPEG benchmarks (4000 x 3000, a camera's
// full size), and the alternating timer they share.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "images/jpeg_writer.h"

namespace bench {

constexpr int kWidth = 4000, kHeight = 3000;

// A smooth picture with some detail, written once with libjpeg (quality 85).
inline const std::vector<std::uint8_t>& LargeJpeg() {
  static const std::vector<std::uint8_t> bytes = [] {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(kWidth) * kHeight * 3);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * kWidth + x) * 3];
        p[0] = static_cast<std::uint8_t>(128 + 100 * std::sin(x * 0.01) * std::cos(y * 0.013));
        p[1] = static_cast<std::uint8_t>((x ^ y) & 0xFF);
        p[2] = static_cast<std::uint8_t>(y * 255 / kHeight);
      }
    const std::string jpeg = sky::EncodeJpegRgb(kWidth, kHeight, rgb.data(), 85);
    return std::vector<std::uint8_t>(jpeg.begin(), jpeg.end());
  }();
  return bytes;
}

inline const std::string& LargeJpegFile() {
  static const std::string path = [] {
    std::string p = "/tmp/skyglass-bench-large-" + std::to_string(::getpid()) + ".jpg";
    std::FILE* f = std::fopen(p.c_str(), "wb");
    std::fwrite(LargeJpeg().data(), 1, LargeJpeg().size(), f);
    std::fclose(f);
    return p;
  }();
  return path;
}

// Wall-clock and CPU seconds (this process and its children) of one call.
struct Timing {
  double wall = 0, cpu = 0;
};

inline double CpuSeconds() {
  double total = 0;
  for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage u{};
    ::getrusage(who, &u);
    total += static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
             static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
  }
  return total;
}

inline Timing Time(const std::function<bool()>& f, bool& ok) {
  const double c0 = CpuSeconds();
  const auto t0 = std::chrono::steady_clock::now();
  ok = f() && ok;
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(), CpuSeconds() - c0};
}

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// The contenders run in turn within each round, the first one moving on by
// one each round, so that all see the same load; medians per contender.
struct Contender {
  const char* name;
  std::function<bool()> run;
  std::vector<double> wall, cpu;
};

inline bool RunRound(std::vector<Contender>& all, std::size_t round) {
  bool ok = true;
  for (std::size_t i = 0; i < all.size(); ++i) {
    Contender& c = all[(round + i) % all.size()];
    const Timing t = Time(c.run, ok);
    c.wall.push_back(t.wall);
    c.cpu.push_back(t.cpu);
  }
  return ok;
}

// "name: wall ms (cpu ms)" for each, then the ratio of the first two to the
// last (the reference).
inline void Report(const char* what, const std::vector<Contender>& all) {
  std::printf("%s, median of %zu rounds:\n", what, all.empty() ? 0 : all[0].wall.size());
  const Contender& ref = all.back();
  for (const Contender& c : all)
    std::printf("  %-28s %8.1f ms wall (x%.2f)  %8.1f ms CPU (x%.2f)\n", c.name, 1e3 * Median(c.wall),
                Median(c.wall) / Median(ref.wall), 1e3 * Median(c.cpu), Median(c.cpu) / Median(ref.cpu));
}

inline bool RunCommand(const std::string& cmd) { return std::system(cmd.c_str()) == 0; }
inline bool HaveDjpeg() { return RunCommand("djpeg -version >/dev/null 2>&1"); }

// One benchmark of contenders in turn against djpeg (the last of them).
struct Rounds {
  const char* name;   // the registered benchmark's name
  const char* title;  // the report's heading
  const char* ratio;  // what the ratio compares, "skyglass / djpeg"
  std::function<std::vector<Contender>()> contenders;
  std::function<std::string()> check;  // after the rounds: what went wrong, or ""
};

// Registers the rounds (--rounds=N, 7 by default) beside the benchmarks the
// program declared, runs them all, then prints the medians and the first
// contender's ratio to the last.
inline int RunRounds(int argc, char** argv, const Rounds& r) {
  int rounds = 7;
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--rounds=", 9) == 0) rounds = std::max(1, std::atoi(argv[i] + 9));
  std::vector<Contender> all;
  static std::string failure;  // outlives the run that reports it
  benchmark::RegisterBenchmark(r.name,
                               [&](benchmark::State& state) {
                                 if (!HaveDjpeg()) {
                                   state.SkipWithError("djpeg (libjpeg-turbo-progs) is missing");
                                   return;
                                 }
                                 all = r.contenders();
                                 std::size_t round = 0;
                                 for (auto _ : state) {
                                   if (!RunRound(all, round++)) {
                                     state.SkipWithError("a contender failed");
                                     return;
                                   }
                                 }
                                 failure = r.check ? r.check() : std::string();
                                 if (!failure.empty()) state.SkipWithError(failure.c_str());
                               })
      ->Unit(benchmark::kMillisecond)
      ->Iterations(rounds)
      ->UseRealTime();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (!all.empty() && !all[0].wall.empty()) {
    Report(r.title, all);
    std::printf("ratio (%s): %.2f wall, %.2f CPU\n", r.ratio, Median(all[0].wall) / Median(all.back().wall),
                Median(all[0].cpu) / Median(all.back().cpu));
  }
  std::remove(LargeJpegFile().c_str());
  return 0;
}

}  // namespace bench
