// Cost of one settings access with a store of typical size (eleven settings
// and twenty presets), and of parsing a large hive file.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "settings/hive.h"
#include "settings/ini_proc.h"

namespace {

class TypicalStore {
 public:
  TypicalStore() {
    char tmpl[] = "/tmp/skyglass-bench-XXXXXX";
    root_ = mkdtemp(tmpl);
    setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    for (const char* n : {"StartupLoc", "AutoUpdate", "ProxyUse", "Proxy", "ProxyPort", "AutoWallpaper", "labelcolor",
                          "Labelfcolor", "statsfcolor", "Fbgcolor", "Ffontsiz"})
      sky::WriteSetting("Settings", n, "value of " + std::string(n));
    for (int i = 0; i < 20; ++i) sky::WriteSetting("Locations", "loc" + std::to_string(i), "Some_City, ST");
  }
  ~TypicalStore() { std::filesystem::remove_all(root_); }

 private:
  std::string root_;
};

void BM_ReadSetting(benchmark::State& state) {
  TypicalStore store;
  for (auto _ : state) benchmark::DoNotOptimize(sky::ReadSetting("Locations", "loc19"));
}
BENCHMARK(BM_ReadSetting);

void BM_WriteSetting(benchmark::State& state) {
  TypicalStore store;
  int i = 0;
  for (auto _ : state) sky::WriteSetting("Settings", "AutoUpdate", (++i & 1) ? "y" : "n");
}
BENCHMARK(BM_WriteSetting)->Unit(benchmark::kMicrosecond);

void BM_ParseLargeHive(benchmark::State& state) {
  sky::hive::Hive h;
  for (int i = 0; i < state.range(0); ++i) {
    sky::hive::Value v;
    v.name = "value" + std::to_string(i);
    v.text = "text with \\ and \xB0 " + std::to_string(i);
    h.Set("Software\\Skyglass\\Section" + std::to_string(i % 10), v);
  }
  const std::string text = sky::hive::Serialize(h);
  for (auto _ : state) {
    sky::hive::Hive out;
    std::string error;
    benchmark::DoNotOptimize(sky::hive::Parse(text, out, error));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseLargeHive)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// One ReadSetting of a store file grown large by hand or by another program:
// range(0) sections of one value each, or one section of range(0) values.
// Every read parses the whole file, so this must stay linear.
void BM_ReadSettingFromLargeFile(benchmark::State& state, bool sections) {
  char tmpl[] = "/tmp/skyglass-bench-XXXXXX";
  const std::string root = mkdtemp(tmpl);
  setenv("XDG_CONFIG_HOME", root.c_str(), 1);
  sky::hive::Hive h;
  for (int i = 0; i < state.range(0); ++i) {
    sky::hive::Value v;
    v.name = "value" + std::to_string(sections ? 0 : i);
    v.text = "text " + std::to_string(i);
    if (sections || h.keys.empty()) h.keys.push_back({"Software\\Skyglass\\Section" + std::to_string(i), {}});
    h.keys.back().values.push_back(v);
  }
  std::filesystem::create_directories(root + "/skyglass");
  {
    std::FILE* f = std::fopen((root + "/skyglass/settings.ini").c_str(), "wb");
    const std::string text = sky::hive::Serialize(h);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    state.counters["file_bytes"] = static_cast<double>(text.size());
  }
  for (auto _ : state) benchmark::DoNotOptimize(sky::ReadSetting("Settings", "StartupLoc"));
  std::filesystem::remove_all(root);
}
BENCHMARK_CAPTURE(BM_ReadSettingFromLargeFile, sections, true)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadSettingFromLargeFile, values, false)->Arg(40000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
