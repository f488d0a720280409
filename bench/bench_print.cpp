// Printing speed and memory: the booklet (number lookup report and rosters) of
// a county meet, 7 grades of 30 classes with 40 athletes each and 16 events
// per grade and sex, rendered to PDF; and the same two sheets converted by
// LibreOffice (soffice --headless --convert-to pdf) in the same run, when it is
// installed, for the ratio.
//   build-bench/bin/bench_print       (configure with -DKORVANE_BUILD_BENCH=ON)
// Counters: pages, pages per second, peak resident memory, LibreOffice's
// seconds for the same workbook and how many times faster we are.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "county_meet.h"
#include "host/print/pdf.h"
#include "host/print/sheet_pdf.h"
#include "reports/report_driver.h"

using namespace korvane;
namespace fs = std::filesystem;

namespace {

// The county meet after 报表生成, and the booklet's two sheets saved alone as
// a workbook for LibreOffice.
struct CountyBooklet {
  bench::CountyMeet county{"korvane-bench-print"};
  std::vector<const host::Worksheet*> sheets;
  std::filesystem::path bookletFile;
  std::filesystem::path folder = county.folder;
  long rssBeforeRendering = 0;

  CountyBooklet() {
    county.Simulate();
    county.Consolidate();
    reports::CreateReport(county.program);
    host::Workbook& book = *county.book;
    for (std::string_view name : {meet::kNumberReportSheet, meet::kRosterReportSheet})
      sheets.push_back(&book.Sheet(std::string(name)));

    host::Workbook& alone = county.program.Host().Add();
    host::Worksheet* last = nullptr;
    for (const host::Worksheet* ws : sheets) last = &const_cast<host::Worksheet*>(ws)->CopyTo(alone, nullptr, last);
    alone.RemoveSheet(alone.Sheet(1));
    bookletFile = folder / "booklet.xlsx";
    alone.SaveAs(bookletFile.string());
    county.program.Host().Close(alone);
    rssBeforeRendering = bench::PeakRssKiB();
  }
};

CountyBooklet& Booklet() {
  static CountyBooklet booklet;
  return booklet;
}

// Seconds LibreOffice takes to convert the booklet workbook to PDF; 0 when it
// is not installed or fails.
double SofficeSeconds(const fs::path& file, const fs::path& outDir) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) return 0;
  const fs::path profile = outDir / "lo-profile";
  const std::string cmd = "soffice -env:UserInstallation=file://" + profile.string() +
                          " --headless --convert-to pdf --outdir '" + outDir.string() + "' '" + file.string() +
                          "' >/dev/null 2>&1";
  // A first run sets the profile up; the second is timed.
  if (std::system(cmd.c_str()) != 0) return 0;
  const auto start = std::chrono::steady_clock::now();
  if (std::system(cmd.c_str()) != 0) return 0;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_RenderBooklet(benchmark::State& state) {
  CountyBooklet& b = Booklet();
  const fs::path pdf = b.folder / "报表.pdf";
  int pages = 0;
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    host::print::PdfDocument doc(pdf.string(), "报表");
    pages = host::print::RenderSheets(b.sheets, doc);
    doc.Close();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  const double perRun = seconds / static_cast<double>(state.iterations());
  state.counters["pages"] = pages;
  state.counters["pages_per_s"] = pages / perRun;
  state.counters["peak_rss_MiB"] = static_cast<double>(bench::PeakRssKiB()) / 1024.0;
  state.counters["rss_before_render_MiB"] = static_cast<double>(b.rssBeforeRendering) / 1024.0;
  const double lo = SofficeSeconds(b.bookletFile, b.folder);
  state.counters["soffice_s"] = lo;
  state.counters["x_faster_than_soffice"] = lo > 0 ? lo / perRun : 0;
}

}  // namespace

BENCHMARK(BM_RenderBooklet)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
