// Workbook writing and reading speed: our codec against libxlsxwriter (writing
// the same cells and styles) and openpyxl (loading the same file).
//   build/bin/bench_xlsx            (configure with -DKORVANE_BUILD_BENCH=ON)
#include <benchmark/benchmark.h>
#include <xlsxwriter.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "host/application.h"
#include "host/ooxml/xlsx.h"
#include "host/range.h"

using namespace korvane::host;
using namespace korvane::host::ooxml;

namespace {

constexpr int kRows = 10000;
constexpr int kCols = 10;  // 100,000 cells

std::string CellText(int r, int c) { return "运动员" + std::to_string(r) + "-" + std::to_string(c); }

std::string TempPath(const char* name) { return (std::filesystem::temp_directory_path() / name).string(); }

// Ten distinct styles: fonts, borders, alignment, fill.
void StyleFor(int c, Style& s) {
  s.font.name = c % 2 ? "黑体" : "宋体";
  s.font.size = 10 + c;
  s.font.bold = c % 3 == 0;
  s.halign = c % 2 ? HAlign::Center : HAlign::Left;
  s.left.style = s.right.style = s.top.style = s.bottom.style = c % 4 ? LineStyle::Thin : LineStyle::Double;
  s.fill = c == 5 ? 0xFFFFFF00u : 0;
}

void BuildModel(Workbook& wb) {
  Worksheet& ws = wb.Sheet(1);
  StyleTable& styles = wb.Tables().styles;
  std::uint32_t ids[kCols];
  for (int c = 0; c < kCols; ++c) {
    Style s;
    StyleFor(c, s);
    ids[c] = styles.Intern(s);
  }
  for (int r = 1; r <= kRows; ++r)
    for (int c = 1; c <= kCols; ++c) {
      ws.PutValue(r, c, CellText(r, c));
      ws.PutStyle(r, c, ids[c - 1]);
    }
}

void BM_Korvane_BuildAndSave(benchmark::State& state) {
  std::string path = TempPath("korvane_bench_write.xlsx");
  for (auto _ : state) {
    WorkbookHost host;
    Workbook& wb = host.Add();
    BuildModel(wb);
    WriteWorkbookFile(wb, path, FileKind::Xlsx);
  }
  state.counters["cells"] = kRows * kCols;
}
BENCHMARK(BM_Korvane_BuildAndSave)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Korvane_SaveOnly(benchmark::State& state) {
  WorkbookHost host;
  Workbook& wb = host.Add();
  BuildModel(wb);
  std::string path = TempPath("korvane_bench_write2.xlsx");
  for (auto _ : state) WriteWorkbookFile(wb, path, FileKind::Xlsx);
}
BENCHMARK(BM_Korvane_SaveOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Libxlsxwriter_Write(benchmark::State& state) {
  std::string path = TempPath("lxw_bench_write.xlsx");
  for (auto _ : state) {
    lxw_workbook* wb = workbook_new(path.c_str());
    lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
    lxw_format* fmts[kCols];
    for (int c = 0; c < kCols; ++c) {
      Style s;
      StyleFor(c, s);
      lxw_format* f = workbook_add_format(wb);
      format_set_font_name(f, s.font.name.c_str());
      format_set_font_size(f, s.font.size);
      if (s.font.bold) format_set_bold(f);
      format_set_align(f, s.halign == HAlign::Center ? LXW_ALIGN_CENTER : LXW_ALIGN_LEFT);
      format_set_border(f, s.left.style == LineStyle::Thin ? LXW_BORDER_THIN : LXW_BORDER_DOUBLE);
      if (s.fill) format_set_bg_color(f, 0xFFFF00);
      fmts[c] = f;
    }
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < kCols; ++c) worksheet_write_string(ws, r, c, CellText(r + 1, c + 1).c_str(), fmts[c]);
    workbook_close(wb);
  }
}
BENCHMARK(BM_Libxlsxwriter_Write)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Korvane_Read(benchmark::State& state) {
  std::string path = TempPath("korvane_bench_read.xlsx");
  {
    WorkbookHost host;
    Workbook& wb = host.Add();
    BuildModel(wb);
    WriteWorkbookFile(wb, path, FileKind::Xlsx);
  }
  auto tables = std::make_shared<SharedTables>();
  // Our best wall time per read, the clock and statistic the openpyxl script reports.
  double bestSeconds = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    auto wb = ReadWorkbookFile(path, tables);
    benchmark::DoNotOptimize(wb.get());
    const double dt = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (bestSeconds == 0 || dt < bestSeconds) bestSeconds = dt;
  }
  // openpyxl loading the same file, timed by the script itself (best of 3 wall times).
  std::string cmd = "/usr/bin/python3 " KORVANE_BENCH_DIR "/openpyxl_load.py " + path;
  double openpyxlSeconds = 0;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    if (std::fscanf(p, "%lf", &openpyxlSeconds) != 1) openpyxlSeconds = 0;
    pclose(p);
  }
  state.counters["openpyxl_ms"] = openpyxlSeconds * 1000;
  state.counters["best_wall_ms"] = bestSeconds * 1000;
  // How many times faster than openpyxl: best wall time against best wall time.
  if (openpyxlSeconds > 0 && bestSeconds > 0) state.counters["openpyxl_ratio"] = openpyxlSeconds / bestSeconds;
}
BENCHMARK(BM_Korvane_Read)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
