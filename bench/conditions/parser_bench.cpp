// Throughput of the conditions page parser on the sample page and on the same
// page grown with realistic markup between the header line and the
// observations table, so that every stage (title and header searches, the
// plain text pass, the key searches) sees the extra bytes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "conditions/htmlp.h"

namespace {

class NullMessages : public sky::IMessagePort {
 public:
  void ShowMessage(const std::string&) override { ++count; }
  void ShowError(const std::string&) override { ++count; }
  bool Confirm(const std::string&) override { return true; }
  void Beep() override {}
  int count = 0;
};

const std::string& SamplePage() {
  static const std::string page = [] {
    std::ifstream f(SKYGLASS_SOURCE_DIR "/tools/sample-pages/conditions.html", std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    if (ss.str().empty()) {
      std::fprintf(stderr, "sample page missing\n");
      std::abort();
    }
    return ss.str();
  }();
  return page;
}

// One block of the kind the service put around its tables: a headline with
// a link, a few lines of story text, an advertisement, a row of links. It
// holds none of the parser's key words.
std::string PaddingBlock(int i) {
  char num[16];
  std::snprintf(num, sizeof num, "%05d", i);
  return std::string(
             "<table border=\"0\" cellpadding=\"2\" cellspacing=\"0\" width=\"100%\">\n"
             "<tr><td valign=\"top\"><font face=\"Arial,Helvetica\" size=\"-1\">"
             "<a href=\"/news/2026/12/story-") +
         num + ".html\"><b>Regional outlook, part " + num +
         "</b></a><br>\nA slow moving system over the northern plains brings clouds and a few flurries "
         "to the upper Midwest, while dry air holds over the Ohio valley. Travelers should check road "
         "reports before heading out on the interstates this weekend.<br>\n"
         "<a href=\"/news/2026/12/story-" +
         num +
         ".html\">Read more...</a></font></td>\n"
         "<td width=\"130\" align=\"center\"><a href=\"/ads/click/box-" +
         num + ".html\"><img src=\"/ads/box-" + num +
         ".gif\" width=\"120\" height=\"90\" border=\"0\" alt=\"Advertisement\"></a></td></tr>\n"
         "<tr><td colspan=\"2\"><font face=\"Arial,Helvetica\" size=\"-2\">"
         "<a href=\"/radar/\">Radar</a> | <a href=\"/satellite/\">Satellite</a> | "
         "<a href=\"/severe/\">Severe</a> | <a href=\"/ski/\">Ski</a> | "
         "<a href=\"/travel/\">Travel</a></font></td></tr>\n</table>\n";
}

// The sample page grown to at least `size` bytes.
std::string PageOfSize(std::size_t size) {
  const std::string& sample = SamplePage();
  const std::string marker = "<!-- observations table -->";
  const std::size_t at = sample.find(marker);
  if (at == std::string::npos) std::abort();
  std::string padding;
  for (int i = 0; sample.size() + padding.size() < size; ++i) padding += PaddingBlock(i);
  return sample.substr(0, at) + padding + sample.substr(at);
}

void ParseOnce(benchmark::State& state, const std::string& page) {
  // The grown page must read exactly as the sample does.
  NullMessages check;
  const auto expected = sky::ParseConditionsPage(SamplePage(), check);
  const auto got = sky::ParseConditionsPage(page, check);
  if (check.count != 0 || !(got.Record == expected.Record)) {
    state.SkipWithError("the grown page parses differently from the sample");
    return;
  }
  for (auto _ : state) {
    NullMessages msgs;
    auto r = sky::ParseConditionsPage(page, msgs);
    benchmark::DoNotOptimize(r);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
  state.counters["page_bytes"] = static_cast<double>(page.size());
}

void BM_ParseSamplePage(benchmark::State& state) { ParseOnce(state, SamplePage()); }
BENCHMARK(BM_ParseSamplePage);

void BM_ParseGrownPage(benchmark::State& state) {
  const std::string page = PageOfSize(static_cast<std::size_t>(state.range(0)));
  ParseOnce(state, page);
}
// 64 KB to 4 MB: the time per byte should stay flat (linear growth).
BENCHMARK(BM_ParseGrownPage)->RangeMultiplier(4)->Range(64 << 10, 4 << 20)->Arg(1 << 20);

// A hostile page: near-misses of every key word, entities and stray "<"
// closed far away, with the keys themselves at the very end.
void BM_ParseNearMisses(benchmark::State& state) {
  std::string page = "<title>Weather Underground: X Weather</title>........Updated: <b>1 on\n";
  const std::string unit =
      "Temperatur HeatInde Humidit Win Pressur Condition Visibilit Sunris Sunse Moon Ris Moon Se "
      "&#17 &nbsp #1 _ < > Conditions a Underground Update ";
  while (page.size() < static_cast<std::size_t>(state.range(0))) page += unit;
  page += "Temperature 1 Humidity 2 Wind 3 Pressure 4 Conditions Fair Visibility 5";
  for (auto _ : state) {
    NullMessages msgs;
    auto r = sky::ParseConditionsPage(page, msgs);
    benchmark::DoNotOptimize(r);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_ParseNearMisses)->Arg(256 << 10)->Arg(1 << 20)->Arg(4 << 20);

void BM_PlainTextPass(benchmark::State& state) {
  const std::string page = PageOfSize(1 << 20);
  for (auto _ : state) {
    auto r = sky::PlainTextOf(page);
    benchmark::DoNotOptimize(r);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_PlainTextPass);

}  // namespace

BENCHMARK_MAIN();
