// What the catalogue costs: the one parse on first use, and the lookups a
// fetch makes.
#include <benchmark/benchmark.h>

#include "common/ports.h"
#include "data/locations/location_data.h"
#include "locations/Foreign_locations.h"
#include "locations/Unit_location.h"
#include "locations/catalogue.h"

namespace {

class NoMessages : public sky::IMessagePort {
 public:
  void ShowMessage(const std::string&) override {}
  void ShowError(const std::string&) override {}
  bool Confirm(const std::string&) override { return false; }
  void Beep() override {}
};

void BM_ParseCatalogue(benchmark::State& state) {
  using sky::data::LocationDataFile;
  for (auto _ : state) {
    sky::LocationCatalogue cat(LocationDataFile("catalogue.txt"), LocationDataFile("stations.tsv"),
                               LocationDataFile("station_groups.tsv"), LocationDataFile("state_codes.tsv"),
                               LocationDataFile("title_states.tsv"), LocationDataFile("group_derivation.tsv"));
    benchmark::DoNotOptimize(cat.StationRowCount());
  }
}
BENCHMARK(BM_ParseCatalogue)->Unit(benchmark::kMicrosecond);

void BM_DecodeAndStation(benchmark::State& state) {
  sky::LocationCatalogue::Get();
  NoMessages ui;
  for (auto _ : state) {
    sky::CurrentLocation loc;
    sky::DecodeLocationName("Piarco Int'L, Trinidad_And_Tobago (O)", loc);
    benchmark::DoNotOptimize(sky::StationNumberOf(loc, ui));
  }
}
BENCHMARK(BM_DecodeAndStation);

}  // namespace

BENCHMARK_MAIN();
