// Growth of the whole road with the size of the meet: 7 grades of 5, 30 and
// 99 classes (40 rows per registration form, 16 events for boys and girls in
// every grade), each menu command timed on its own. A command whose time per
// class grows from one size to the next does more than its work; the table
// printed at the end gives each command's time per class at every size and
// the ratio of the largest to the smallest.
//   build/bin/bench_growth          (configure with -DKORVANE_BUILD_BENCH=ON)
#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <zip.h>
#include <zlib.h>

#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/commands.h"
#include "county_meet.h"
#include "host/application.h"
#include "host/ooxml/xlsx.h"
#include "host/range.h"
#include "meet/layout.h"
#include "shell/commands.h"
#include "shell/paths.h"
#include "shell/program.h"
#include "shell/startup.h"

using namespace korvane;
namespace fs = std::filesystem;

namespace {

// The commands of the road, in order, with the folder each one picks (empty: none).
struct Step {
  const char* control;
  const char* folder;
};
constexpr Step kRoad[] = {
    {"New", "meets"},     {"Export", "export"}, {"MNBM", ""},      {"consolidate", ""},     {"Sort", ""},
    {"CreateReport", ""}, {"CreateTables", ""}, {"ScoreEdit", ""}, {"ExportPRF", "export"}, {"Save", ""}};

// Answers every question with yes, picks the queued folders, keeps the messages.
class RoadUi : public shell::Ui {
 public:
  std::deque<std::string> folders;
  std::vector<std::string> messages;
  shell::Answer MessageBox(const std::string& text, shell::Icon, shell::Buttons buttons, const std::string&) override {
    messages.push_back(text);
    return buttons == shell::Buttons::YesNo ? shell::Answer::Yes : shell::Answer::Ok;
  }
  std::optional<std::string> PickFolder(const std::string&) override {
    if (folders.empty()) throw std::logic_error("a folder picker nobody expected");
    std::string f = folders.front();
    folders.pop_front();
    return f;
  }
  std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
  void SetCaption(const std::string&) override {}
  void SetStatusBar(const std::string&) override {}
  void ShowDialog(shell::DialogModel&) override { throw std::logic_error("no dialogs on the road"); }
  bool OpenHelp(const std::string&) override { return false; }
};

// The organiser's grades, classes and events, typed into a copy of the shipped template.
void PrepareTemplate(const fs::path& programFolder, int classes) {
  const fs::path templatePath = programFolder / (std::string(meet::kTemplateBaseName) + ".xltm");
  host::WorkbookHost host;
  host::Workbook& book = host.Add(templatePath.string());
  bench::PrepareMeet(book, classes);
  book.Protect(true, true);
  book.SaveAs(templatePath.string());
}

// Processor time of the process: on a busy machine it varies far less than
// the wall clock, and it counts the work of every thread.
double CpuMilliseconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

struct Timing {
  std::vector<double> wallMs, cpuMs;  // one per command of the road
  // The meet workbook at the end of the road: the best of 3 saves into memory
  // against deflating its parts alone (best of 3, one thread), wall clock.
  double saveMs = 0, libdeflateMs = 0, zlibMs = 0, bytes = 0, partBytes = 0;
};

template <typename F>
double BestMs(F&& f) {
  double best = 0;
  for (int i = 0; i < 3; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    if (i == 0 || ms < best) best = ms;
  }
  return best;
}

// Times saving the workbook and deflating its parts at level 6 with
// libdeflate and with zlib alone.
void MeasureSave(const host::Workbook& book, Timing& t) {
  std::string bytes;
  t.saveMs = BestMs([&] { bytes = host::ooxml::WriteWorkbookBytes(book, book.Kind()); });
  t.bytes = static_cast<double>(bytes.size());
  std::vector<std::string> parts;
  zip_error_t err;
  zip_error_init(&err);
  zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &err);
  zip_t* za = src ? zip_open_from_source(src, ZIP_RDONLY, &err) : nullptr;
  if (!za) throw std::runtime_error("the saved workbook does not open as a zip archive");
  for (zip_int64_t i = 0; i < zip_get_num_entries(za, 0); ++i) {
    zip_stat_t st;
    zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st);
    std::string data(st.size, '\0');
    zip_file_t* f = zip_fopen_index(za, static_cast<zip_uint64_t>(i), 0);
    if (!f || zip_fread(f, data.data(), data.size()) != static_cast<zip_int64_t>(data.size()))
      throw std::runtime_error("a part of the saved workbook does not read");
    zip_fclose(f);
    t.partBytes += static_cast<double>(data.size());
    parts.push_back(std::move(data));
  }
  zip_discard(za);
  zip_error_fini(&err);
  libdeflate_compressor* c = libdeflate_alloc_compressor(6);
  t.libdeflateMs = BestMs([&] {
    for (const std::string& p : parts) {
      std::string out(libdeflate_deflate_compress_bound(c, p.size()), '\0');
      benchmark::DoNotOptimize(libdeflate_deflate_compress(c, p.data(), p.size(), out.data(), out.size()));
      benchmark::DoNotOptimize(libdeflate_crc32(0, p.data(), p.size()));
    }
  });
  libdeflate_free_compressor(c);
  t.zlibMs = BestMs([&] {
    for (const std::string& p : parts) {
      uLongf n = compressBound(static_cast<uLong>(p.size()));
      std::string out(n, '\0');
      compress2(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(p.data()),
                static_cast<uLong>(p.size()), 6);
      benchmark::DoNotOptimize(crc32(0, reinterpret_cast<const Bytef*>(p.data()), static_cast<uInt>(p.size())));
    }
  });
}

// Each command's times, by number of classes per grade.
std::map<int, Timing>& Results() {
  static std::map<int, Timing> results;
  return results;
}

Timing RunRoad(int classes) {
  const fs::path dir = fs::temp_directory_path() / ("korvane-bench-growth-" + std::to_string(classes));
  fs::remove_all(dir);
  for (const char* sub : {"program", "config", "data", "meets", "export"}) fs::create_directories(dir / sub);
  fs::copy(KORVANE_SHARE_DIR, dir / "program", fs::copy_options::recursive);
  ::setenv("KORVANE_PROGRAM_DIR", (dir / "program").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
  ::setenv("KORVANE_NOW", "2024-04-09T08:30:00", 1);
  ::setenv("KORVANE_SEED", "20240409", 1);
  PrepareTemplate(dir / "program", classes);

  RoadUi ui;
  shell::StartupOptions options;
  options.singleInstance = false;
  options.settingsFile = dir / "config" / "settings.ini";
  options.installCommands = app::InstallCommands;
  Timing ms;
  const int status = shell::StartUp(ui, options, [&](shell::Program& program) {
    for (const Step& step : kRoad) {
      if (*step.folder) ui.folders.push_back((dir / step.folder).string());
      const std::size_t before = ui.messages.size();
      const double c0 = CpuMilliseconds();
      const auto t0 = std::chrono::steady_clock::now();
      program.Run(step.control);
      const auto t1 = std::chrono::steady_clock::now();
      ms.cpuMs.push_back(CpuMilliseconds() - c0);
      ms.wallMs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
      if (!ui.folders.empty())
        throw std::runtime_error(std::string(step.control) + " did not pick its folder" +
                                 (ui.messages.size() > before ? ": " + ui.messages.back() : ""));
    }
    for (host::Workbook* book : program.Host().Workbooks())
      if (book->Name().rfind(meet::kMeetWorkbookPrefix, 0) == 0) {
        MeasureSave(*book, ms);
        break;
      }
    return 0;
  });
  if (status != 0) throw std::runtime_error("the program did not start");
  fs::remove_all(dir);
  return ms;
}

void BM_Road(benchmark::State& state) {
  const int classes = static_cast<int>(state.range(0));
  Timing ms;
  for (auto _ : state) ms = RunRoad(classes);
  Results()[classes] = ms;
  double wall = 0, cpu = 0;
  for (std::size_t i = 0; i < ms.cpuMs.size(); ++i) {
    state.counters[std::string(kRoad[i].control) + "_cpu_ms"] = ms.cpuMs[i];
    wall += ms.wallMs[i];
    cpu += ms.cpuMs[i];
  }
  state.counters["road_wall_ms"] = wall;
  state.counters["save_best_ms"] = ms.saveMs;
  state.counters["deflate_alone_ms"] = ms.libdeflateMs;
  state.counters["zlib_alone_ms"] = ms.zlibMs;
  state.counters["file_MiB"] = ms.bytes / (1 << 20);
  state.counters["parts_MiB"] = ms.partBytes / (1 << 20);
  state.counters["road_cpu_ms"] = cpu;
  state.counters["forms"] = bench::kGrades * classes;
}
BENCHMARK(BM_Road)->Arg(5)->Arg(30)->Arg(99)->Unit(benchmark::kMillisecond)->Iterations(1);

void PrintGrowth() {
  const auto& results = Results();
  if (results.size() < 2) return;
  std::printf(
      "\nprocessor milliseconds per class (7 grades x N classes); ratio = largest N / smallest N"
      " (1 = linear)\n");
  std::printf("%-14s", "command");
  for (const auto& [n, _] : results) std::printf("%12s", ("N=" + std::to_string(n)).c_str());
  std::printf("%10s\n", "ratio");
  const auto& first = results.begin()->second.cpuMs;
  const auto& last = results.rbegin()->second.cpuMs;
  const double nFirst = results.begin()->first, nLast = results.rbegin()->first;
  for (std::size_t i = 0; i < std::size(kRoad); ++i) {
    std::printf("%-14s", kRoad[i].control);
    for (const auto& [n, ms] : results) std::printf("%12.3f", ms.cpuMs[i] / n);
    std::printf("%10.2f\n", (last[i] / nLast) / (first[i] / nFirst));
  }
  double firstTotal = 0, lastTotal = 0;
  for (std::size_t i = 0; i < first.size(); ++i) firstTotal += first[i], lastTotal += last[i];
  std::printf("%-14s", "whole road");
  for (const auto& [n, ms] : results) {
    double t = 0;
    for (double x : ms.cpuMs) t += x;
    std::printf("%12.3f", t / n);
  }
  std::printf("%10.2f\n", (lastTotal / nLast) / (firstTotal / nFirst));
  std::printf(
      "\nsaving the meet workbook (best of 3, wall clock) against deflating its parts alone (level 6, one thread)\n");
  for (const auto& [n, t] : results)
    std::printf(
        "N=%-3d  file %.1f MiB, parts %.1f MiB: save %.1f ms, libdeflate alone %.1f ms (save %.2fx), zlib alone "
        "%.1f ms\n",
        n, t.bytes / (1 << 20), t.partBytes / (1 << 20), t.saveMs, t.libdeflateMs,
        t.libdeflateMs > 0 ? t.saveMs / t.libdeflateMs : 0.0, t.zlibMs);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintGrowth();
  return 0;
}
