// Speed and memory of the registration processing on the county meet of
// county_meet.h: 模拟报名 and 汇总及编号.
//   build/bin/bench_processing       (configure with -DKORVANE_BUILD_BENCH=ON)
// Besides the timings it prints the peak resident memory of the process.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "county_meet.h"

using namespace korvane;
using bench::CountyMeet;
using bench::PeakRssKiB;

namespace {

CountyMeet& Meet() {
  static CountyMeet meet("korvane-bench-processing");
  return meet;
}

void ReportMemory(benchmark::State& state) {
  state.counters["peak_rss_MiB"] = static_cast<double>(PeakRssKiB()) / 1024.0;
  state.counters["rss_after_setup_MiB"] = static_cast<double>(Meet().rssAfterSetup) / 1024.0;
}

void BM_SimulatedEntries(benchmark::State& state) {
  CountyMeet& meet = Meet();
  for (auto _ : state) meet.Simulate();
  ReportMemory(state);
}

void BM_Consolidation(benchmark::State& state) {
  CountyMeet& meet = Meet();
  meet.Simulate();
  for (auto _ : state) meet.Consolidate();
  ReportMemory(state);
  state.counters["entrant_rows"] =
      static_cast<double>(meet::events::EventRow(bench::kGrades * bench::kEventCount * 2) - 2);
}

void BM_SimulatedEntriesAndConsolidation(benchmark::State& state) {
  CountyMeet& meet = Meet();
  for (auto _ : state) {
    meet.Simulate();
    meet.Consolidate();
  }
  ReportMemory(state);
}

}  // namespace

BENCHMARK(BM_SimulatedEntries)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Consolidation)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SimulatedEntriesAndConsolidation)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Meet();  // the meet is made before any timing
  std::printf("county meet ready: %d forms of %d rows, %d events; peak memory %.1f MiB\n",
              bench::kGrades * bench::kTeamsPerGrade, bench::kRowsPerTeam, bench::kGrades * bench::kEventCount * 2,
              static_cast<double>(PeakRssKiB()) / 1024.0);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("peak memory of the process: %.1f MiB\n", static_cast<double>(PeakRssKiB()) / 1024.0);
  return 0;
}
