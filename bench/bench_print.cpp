// Printing speed and memory: the booklet (number lookup report and rosters) of
// a county meet, 7 grades of 30 classes with 40 athletes each and 16 events
// per grade and sex, rendered to PDF; and the same two sheets converted by
// LibreOffice (soffice --headless --convert-to pdf) in the same run, when it is
// installed, for the ratio.
//   build-bench/bin/bench_print       (configure with -DKORVANE_BUILD_BENCH=ON)
// Counters: pages, pages per second, peak resident memory, LibreOffice's
// seconds for the same workbook and how many times faster we are.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/application.h"
#include "meet/layout.h"
#include "host/print/pagination.h"
#include "host/print/pdf.h"
#include "host/print/sheet_pdf.h"
#include "host/range.h"
#include "processing/consolidation.h"
#include "processing/simulate.h"
#include "reports/report_driver.h"
#include "setup/forms.h"
#include "shell/program.h"
#include "shell/settings.h"

using namespace korvane;
namespace fs = std::filesystem;

namespace {

constexpr int kGrades = 7;
constexpr int kTeamsPerGrade = 30;
constexpr int kRowsPerTeam = 40;
const char* const kGradeNames[kGrades] = {"初一", "初二", "初三", "高一", "高二", "高三", "中专"};
const char* const kEvents[] = {"100米", "200米",  "400米", "800米", "1500米", "3000米", "100米栏",     "跳高",
                               "跳远",  "三级跳远", "铅球",  "铁饼",  "标枪",   "实心球", "4×100米接力", "4×400米接力"};
constexpr int kEventCount = static_cast<int>(std::size(kEvents));

class BenchUi : public shell::Ui {
 public:
  std::vector<std::string> messages;
  shell::Answer MessageBox(const std::string& text, shell::Icon, shell::Buttons buttons, const std::string&) override {
    messages.push_back(text);
    return buttons == shell::Buttons::YesNo ? shell::Answer::Yes : shell::Answer::Ok;
  }
  std::optional<std::string> PickFolder(const std::string&) override { return std::nullopt; }
  std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
  void SetCaption(const std::string&) override {}
  void SetStatusBar(const std::string&) override {}
  void ShowDialog(shell::DialogModel&) override { throw std::logic_error("no dialogs in the benchmark"); }
  bool OpenHelp(const std::string&) override { return false; }
};

long PeakRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The county meet after 报表生成, and the booklet's two sheets saved alone as
// a workbook for LibreOffice.
struct CountyBooklet {
  fs::path folder = fs::temp_directory_path() / "korvane-bench-print";
  BenchUi ui;
  shell::Program program{std::make_unique<host::WorkbookHost>(), ui, shell::SettingsStore(folder / "settings.ini")};
  host::Workbook* book = nullptr;
  std::vector<const host::Worksheet*> sheets;
  fs::path bookletFile;
  long rssBeforeRendering = 0;

  CountyBooklet() {
    fs::remove_all(folder);
    fs::create_directories(folder);
    program.FillTables();
    const std::string templatePath =
        std::string(KORVANE_SHARE_DIR) + "/" + std::string(meet::kTemplateBaseName) + ".xltm";
    book = &program.Host().Add(templatePath);
    Prepare(*book);
    book->SaveAs((folder / "号码对照表及分组分道编排表_2024-04-09_30615.xlsm").string());
    if (setup::CreateBMB(program, *book) != setup::FormsResult::Created) throw std::runtime_error("no forms");
    book->Protect(true, true);
    shell::CommandRandom rng(20240409);
    book->Unprotect();
    processing::MNBM(program, *book, rng);
    book->Protect(true, true);
    processing::Consolidate(program);
    reports::CreateReport(program);
    for (std::string_view name : {meet::kNumberReportSheet, meet::kRosterReportSheet})
      sheets.push_back(&book->Sheet(std::string(name)));

    host::Workbook& alone = program.Host().Add();
    host::Worksheet* last = nullptr;
    for (const host::Worksheet* ws : sheets)
      last = &const_cast<host::Worksheet*>(ws)->CopyTo(alone, nullptr, last);
    alone.RemoveSheet(alone.Sheet(1));
    bookletFile = folder / "booklet.xlsx";
    alone.SaveAs(bookletFile.string());
    program.Host().Close(alone);
    rssBeforeRendering = PeakRssKiB();
  }
  ~CountyBooklet() {
    std::error_code ec;
    fs::remove_all(folder, ec);
  }

  static void Prepare(host::Workbook& book) {
    namespace s = meet::settings;
    namespace ev = meet::events;
    book.Unprotect();
    host::Worksheet& settings = book.Sheet(std::string(meet::kSettingsSheet));
    settings.Unprotect();
    for (int g = 0; g < kGrades; ++g) {
      settings.PutValue(s::kFirstGradeRow + g, s::kGradeCol, kGradeNames[g]);
      settings.PutValue(s::kFirstGradeRow + g, s::kTeamsCol, kTeamsPerGrade);
    }
    settings.PutValue(s::RowsPerTeam.row, s::RowsPerTeam.col, kRowsPerTeam);
    settings.PutValue(s::MaxPerTeamPerEvent.row, s::MaxPerTeamPerEvent.col, 2);
    settings.PutValue(s::MaxEventsPerAthlete.row, s::MaxEventsPerAthlete.col, 2);
    settings.Protect();
    host::Worksheet& form = book.Sheet(std::string(meet::kFormSampleSheet));
    form.Unprotect();
    for (int e = 0; e < kEventCount; ++e) form.PutValue(meet::form::kHeadingRow, meet::form::kFirstEventCol + e, kEvents[e]);
    form.Protect();
    host::Worksheet& events = book.Sheet(std::string(meet::kEventsSheet));
    events.Unprotect();
    const int n = kGrades * kEventCount * 2;
    events.RemoveMergesIn({ev::kFirstEventRow, ev::kGradeCol, ev::EventRow(n), ev::kGradeCol});
    host::Range(&events, {ev::kFirstEventRow, 1, ev::EventRow(n) + 200, ev::kLastEntrantCol}).ClearContents();
    events.PutValue(ev::kEventCount.row, ev::kEventCount.col, n);
    int k = 0;
    for (int g = 0; g < kGrades; ++g)
      for (int e = 0; e < kEventCount; ++e)
        for (std::string_view sex : {meet::kMale, meet::kFemale}) {
          const int row = ev::EventRow(++k);
          events.PutValue(row, ev::kGradeCol, kGradeNames[g]);
          events.PutValue(row, ev::kLaneRuleCol, 1);
          events.PutValue(row, ev::kMethodCol, 1);
          events.PutValue(row, ev::kTitleCol, std::string(kGradeNames[g]) + std::string(sex) + kEvents[e]);
        }
    events.Protect();
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
  state.counters["peak_rss_MiB"] = static_cast<double>(PeakRssKiB()) / 1024.0;
  state.counters["rss_before_render_MiB"] = static_cast<double>(b.rssBeforeRendering) / 1024.0;
  const double lo = SofficeSeconds(b.bookletFile, b.folder);
  state.counters["soffice_s"] = lo;
  state.counters["x_faster_than_soffice"] = lo > 0 ? lo / perRun : 0;
}

}  // namespace

BENCHMARK(BM_RenderBooklet)->Unit(benchmark::kMillisecond)->Iterations(3);
