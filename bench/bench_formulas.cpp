// Formula values: reading and saving a column of chained formulas (a running
// serial number "=A1+1" down the column, each cell using the one above) and a
// column of independent formulas. Every timed round starts after a write to
// the workbook, so no value computed in an earlier round is at hand.
//   build/bin/bench_formulas        (configure with -DKORVANE_BUILD_BENCH=ON)
#include <benchmark/benchmark.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "host/application.h"
#include "host/ooxml/xlsx.h"

using namespace korvane::host;
using namespace korvane::host::ooxml;

namespace {

// A1 = 1, A2 = A1+1, ... An = A(n-1)+1.
void FillChain(Worksheet& ws, int n) {
  ws.PutValue(1, 1, 1.0);
  for (int r = 2; r <= n; ++r) ws.PutFormula(r, 1, "A" + std::to_string(r - 1) + "+1", CellValue());
}

// Bk = Ak*2 for constants Ak.
void FillIndependent(Worksheet& ws, int n) {
  for (int r = 1; r <= n; ++r) {
    ws.PutValue(r, 1, static_cast<double>(r));
    ws.PutFormula(r, 2, "A" + std::to_string(r) + "*2", CellValue());
  }
}

// Reads every value of column `col` down to row n, as a grid showing the column does.
void ReadColumn(benchmark::State& state, Worksheet& ws, int col, int n, double expectLast) {
  for (auto _ : state) {
    state.PauseTiming();
    ws.PutValue(1, 1, 1.0);  // a write: values computed before are stale
    state.ResumeTiming();
    double last = 0;
    for (int r = 1; r <= n; ++r) last = ws.ValueAt(r, col).Number();
    if (last != expectLast) throw std::runtime_error("wrong value: " + std::to_string(last));
  }
  state.counters["formulas"] = n;
  state.counters["us_per_formula"] = benchmark::Counter(
      static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ChainRead(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  WorkbookHost host;
  Worksheet& ws = host.Add().Sheet(1);
  FillChain(ws, n);
  ReadColumn(state, ws, 1, n, n);
}
BENCHMARK(BM_ChainRead)->Arg(1000)->Arg(4000)->Arg(10000)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_ChainSave(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  WorkbookHost host;
  Workbook& wb = host.Add();
  Worksheet& ws = wb.Sheet(1);
  FillChain(ws, n);
  const std::string path = (std::filesystem::temp_directory_path() / "korvane_bench_chain.xlsx").string();
  for (auto _ : state) {
    state.PauseTiming();
    ws.PutValue(1, 1, 1.0);
    state.ResumeTiming();
    WriteWorkbookFile(wb, path, FileKind::Xlsx);
  }
  state.counters["formulas"] = n;
}
BENCHMARK(BM_ChainSave)->Arg(1000)->Arg(4000)->Arg(10000)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_IndependentRead(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  WorkbookHost host;
  Worksheet& ws = host.Add().Sheet(1);
  FillIndependent(ws, n);
  ReadColumn(state, ws, 2, n, 2.0 * n);
}
BENCHMARK(BM_IndependentRead)->Arg(10000)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// A grid repainting: the same values read again with no write in between.
void BM_ChainReread(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  WorkbookHost host;
  Worksheet& ws = host.Add().Sheet(1);
  FillChain(ws, n);
  for (auto _ : state) {
    double last = 0;
    for (int r = 1; r <= n; ++r) last = ws.ValueAt(r, 1).Number();
    benchmark::DoNotOptimize(last);
  }
  state.counters["formulas"] = n;
}
BENCHMARK(BM_ChainReread)->Arg(1000)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
