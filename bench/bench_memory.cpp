// Peak memory (resident set) of reading hostile and large workbooks and of a
// county meet's whole road. Each measurement runs in a child process of its
// own, so that its peak is its own and not that of what ran before it; the
// child's peak resident memory is the counter peak_rss_MiB.
//   ReadStuffed/N: a returned registration workbook whose sheet "1" is
//     stuffed with N cells (611 full rows of 16,384 cells for ten million),
//     read with the reader's default limits as 导入报名数据 reads it: either
//     read (refused = 0) or refused with "文件过大" (refused = 1).
//   CountyRoad: the county meet (county_meet.h: 7 grades of 30 classes, 40
//     athletes each, 224 event rows) from its registration forms through
//     模拟报名, 汇总及编号, 随机排序, 报表生成, 创建成绩记录表, 成绩管理 and
//     保存所有, then the saved meet workbook read back.
//   build/bin/bench_memory          (configure with -DKORVANE_BUILD_BENCH=ON)
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "app/commands.h"
#include "county_meet.h"
#include "host/errors.h"
#include "host/ooxml/xlsx.h"
#include "host/ooxml/xlsx_internal.h"

using namespace korvane;
namespace fs = std::filesystem;

namespace {

struct ChildResult {
  int status = -1;  // the child's exit status; -1 when it did not exit
  double peakMiB = 0;
};

// Runs `work` in a child process; its result is the child's exit status.
ChildResult InChild(const std::function<int()>& work) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    int status = 3;
    try {
      status = work();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "bench_memory: %s\n", e.what());
    }
    std::fflush(nullptr);
    _exit(status);
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) throw std::runtime_error("wait4 failed");
  ChildResult r;
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
  return r;
}

// A registration workbook with `cells` cells of the number 1 in sheet "1",
// written by a child so that the text of the sheet is not part of this
// process when the reader is measured.
std::string StuffedWorkbook(long long cells) {
  const fs::path path = fs::temp_directory_path() / ("korvane-bench-stuffed-" + std::to_string(cells) + ".xlsm");
  if (fs::exists(path)) return path.string();
  const ChildResult made = InChild([&] {
    constexpr int kCols = 16384;
    std::string cell = "<c><v>1</v></c>";
    std::string row;
    for (int c = 0; c < kCols; ++c) row += cell;
    std::string sheet =
        std::string(host::ooxml::kXmlDecl) + "<worksheet xmlns=\"" + host::ooxml::kNsMain + "\"><sheetData>";
    for (long long left = cells; left > 0; left -= kCols) {
      const long long n = std::min<long long>(left, kCols);
      sheet += "<row>";
      sheet.append(row, 0, static_cast<std::size_t>(n) * cell.size());
      sheet += "</row>";
    }
    sheet += "</sheetData></worksheet>";
    host::ooxml::ZipWriter zip(6, 0);
    zip.Add("[Content_Types].xml",
            "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
            "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
            "<Default Extension=\"xml\" ContentType=\"application/xml\"/><Override PartName=\"/xl/workbook.xml\" "
            "ContentType=\"application/vnd.ms-excel.sheet.macroEnabled.main+xml\"/></Types>",
            true);
    zip.Add(
        "_rels/.rels",
        "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
        "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>",
        true);
    zip.Add("xl/workbook.xml", std::string("<?xml version=\"1.0\"?><workbook xmlns=\"") + host::ooxml::kNsMain +
                                   "\" xmlns:r=\"" + host::ooxml::kNsRel +
                                   "\"><sheets><sheet name=\"1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>");
    zip.Add(
        "xl/_rels/workbook.xml.rels",
        "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
        "worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>");
    zip.Add("xl/worksheets/sheet1.xml", std::move(sheet));
    const std::string bytes = zip.Finish();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) return 1;
    std::fclose(f);
    return 0;
  });
  if (made.status != 0) throw std::runtime_error("the stuffed workbook was not written");
  return path.string();
}

void BM_ReadStuffed(benchmark::State& state) {
  const long long cells = state.range(0);
  const std::string path = StuffedWorkbook(cells);
  ChildResult r;
  for (auto _ : state) {
    r = InChild([&] {
      try {
        auto book = host::ooxml::ReadWorkbookFile(path, std::make_shared<host::SharedTables>());
        benchmark::DoNotOptimize(book.get());
        return 0;
      } catch (const host::FileError& e) {
        return std::string(e.what()).find("文件过大") != std::string::npos ? 1 : 2;
      }
    });
  }
  if (r.status != 0 && r.status != 1) state.SkipWithError("neither read nor refused as too large");
  state.counters["peak_rss_MiB"] = r.peakMiB;
  state.counters["refused"] = r.status == 1;
  state.counters["file_MiB"] = static_cast<double>(fs::file_size(path)) / (1 << 20);
}
BENCHMARK(BM_ReadStuffed)
    ->Arg(10'000'000)
    ->Arg(4'500'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void BM_CountyRoad(benchmark::State& state) {
  ChildResult r;
  for (auto _ : state) {
    r = InChild([] {
      const fs::path dir = fs::temp_directory_path() / "korvane-bench-memory";
      fs::remove_all(dir);
      fs::create_directories(dir / "data");
      ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
      ::setenv("KORVANE_PRINTER", "none", 1);
      bench::CountyMeet meet("korvane-bench-memory/meet");
      app::InstallCommands(meet.program.Commands());
      meet.Simulate();
      meet.Consolidate();
      for (const char* control : {"Sort", "CreateReport", "CreateTables", "ScoreEdit", "Save"}) {
        const std::size_t before = meet.ui.messages.size();
        meet.program.Run(control);
        for (std::size_t i = before; i < meet.ui.messages.size(); ++i)
          std::fprintf(stderr, "bench_memory: %s: %s\n", control, meet.ui.messages[i].c_str());
      }
      const std::string saved = meet.book->FullName();
      host::WorkbookHost host;
      auto again = host::ooxml::ReadWorkbookFile(saved, host.Tables());
      const int sheets = again->Count();
      std::fprintf(stderr, "bench_memory: the saved county meet: %d sheets, %.1f MiB\n", sheets,
                   static_cast<double>(fs::file_size(saved)) / (1 << 20));
      fs::remove_all(dir);
      return sheets > 210 ? 0 : 1;
    });
  }
  if (r.status != 0) state.SkipWithError("the road did not run to its end");
  state.counters["peak_rss_MiB"] = r.peakMiB;
}
BENCHMARK(BM_CountyRoad)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
