#include "cli/demo.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <ostream>
#include <vector>

#include "cli/demo_schedule.h"
#include "cli/script.h"
#include "files/files.h"
#include "host/application.h"
#include "meet/layout.h"
#include "schedule/items.h"
#include "shell/paths.h"

namespace korvane::cli {

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string& path) {
  std::string s = "\"";
  for (char c : path) {
    if (c == '"' || c == '\\') s += '\\';
    s += c;
  }
  return s + "\"";
}

// Subfolders the demo owns inside its folder; they are made afresh each run.
constexpr const char* kData = "data";
constexpr const char* kConfig = "config";
constexpr const char* kMeets = "meets";
constexpr const char* kExport = "export";
constexpr const char* kOwned[] = {kData, kConfig, kMeets, kExport};

// What a file looked like at one moment, to tell which files a step made or changed.
struct FileState {
  std::uintmax_t size = 0;
  fs::file_time_type time;
  bool operator==(const FileState&) const = default;
};
using Snapshot = std::map<fs::path, FileState>;

Snapshot Take(const fs::path& dir) {
  Snapshot files;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    fs::path rel = it->path().lexically_relative(dir);
    if (rel == kDemoMarker || rel == kDemoLog) continue;
    files[rel] = FileState{it->file_size(ec), it->last_write_time(ec)};
  }
  return files;
}

// A folder the demo may use: missing, empty, or marked as the demo's own.
bool Usable(const fs::path& dir, std::string& why) {
  std::error_code ec;
  if (!fs::exists(dir, ec)) return true;
  if (!fs::is_directory(dir, ec)) {
    why = "“" + dir.string() + "”不是文件夹";
    return false;
  }
  if (fs::exists(dir / kDemoMarker, ec) || fs::is_empty(dir, ec)) return true;
  why = "文件夹“" + dir.string() + "”不是空的，也不是演示建立的；演示不会改动其中的文件，请另选一个文件夹";
  return false;
}

// 赛事日程...: a whole two-day arrangement of the items of the meet saved in
// `meetsFolder`; nothing when it has none or cannot be read.
std::optional<DemoStep> ScheduleStep(const std::string& meetsFolder) {
  const meet::ExtensionTable ext = meet::ExtensionsForVersion("16.0");
  const std::optional<fs::path> meet = files::NewestMeetWorkbook(meetsFolder, ext.meetWorkbook);
  if (!meet) return std::nullopt;
  schedule::DerivedItems items;
  try {
    host::WorkbookHost host;
    items = schedule::DeriveItems(host.Open(meet->string()));
  } catch (const std::exception&) {
    return std::nullopt;
  }
  if (items.track.empty() || items.field.empty()) return std::nullopt;
  return DemoStep{"赛事日程：两天的径赛、田赛日程，开幕式、检录、休息、裁判组和闭幕式，报表顺延页码",
                  ScheduleDemoScript(items)};
}

}  // namespace

std::vector<DemoStep> DemoSteps(const std::string& meetsFolder, const std::string& exportFolder) {
  std::vector<DemoStep> steps;
  steps.push_back({"准备模板：高一改为4个班，高一女子增设跳高",
                   "Initialization\n"
                   "set 设置!B5 4\n"
                   "answer yes\n"  // junior grades compete grade by grade
                   "ItemSetup\n"
                   " choose CmbGrade 高一\n"
                   " choose CmbSex 女子\n"
                   " select List1 =跳高\n"
                   " press Select\n"
                   " press CmdSave\n"
                   " press CmdClose\n"
                   "Save\n"
                   "Close\n"});
  steps.push_back({"新建运动会工作簿，每班一张报名表", "folder " + Quote(meetsFolder) +
                                                           "\n"
                                                           "New\n"});
  steps.push_back({"导出报名数据：发给各班的报名登记表", "folder " + Quote(exportFolder) +
                                                             "\n"
                                                             "Export\n"});
  steps.push_back({"打印报名表样表(A4)：PDF 存在运动会文件夹中，不送打印机",
                   "answer yes\n"
                   "MyPrint1\n"});
  steps.push_back({"模拟报名：各班在限额内随机报名",
                   "answer yes\n"  // the entries made so far are overwritten
                   "MNBM\n"
                   "Save\n"});
  steps.push_back({"汇总及编号：每名运动员编号，列出各项目的参赛者", "consolidate\nSave\n"});
  steps.push_back({"随机排序：各项目参赛者重新排序", "Sort\nSave\n"});
  steps.push_back({"报表生成：号码对照表报表和分组分道的比赛项目名单报表", "CreateReport\nSave\n"});
  steps.push_back({"打印报表(A4)：两张报表打成一份 PDF", "answer yes\nMyPrint2\n"});
  steps.push_back({"创建成绩记录表和成绩登记表",
                   "CreateTables\n"
                   "ScoreEdit\n"
                   "Save\n"});
  steps.push_back({"打印成绩记录表(B4)：四张记录表打成一份 PDF", "answer yes\nMyPrint3\n"});
  steps.push_back({"导出打印报表：交给别处打印的报表工作簿", "folder " + Quote(exportFolder) +
                                                                 "\n"
                                                                 "ExportPRF\n"});
  steps.push_back({"赛事奖项：奖项设置、获奖名单明细、每种奖项的证书套打文档和可直接打印的证书PDF",
                   "PrizeSetup\n"
                   "set 奖项设置.xlsx:设置!D3 2\n"   // 初一: two total-score certificates
                   "set 奖项设置.xlsx:设置!E3 3\n"   // its boys: three places per event
                   "set 奖项设置.xlsx:设置!E4 3\n"   // its girls too
                   "set 奖项设置.xlsx:设置!F4 ／\n"  // but no individual award for the girls' first event
                   "PrizeList\n"
                   "PrizeCreate\n"
                   "Save\n"});
  return steps;
}

std::string DemoScript(const std::vector<DemoStep>& steps) {
  std::string s;
  for (std::size_t i = 0; i < steps.size(); ++i)
    s += "# " + std::to_string(i + 1) + ". " + steps[i].title + "\n" + steps[i].script;
  return s;
}

int RunDemo(const DemoOptions& options, const std::function<void(shell::CommandTable&)>& installCommands,
            std::ostream& out, std::ostream& err) {
  std::error_code ec;
  fs::path dir = fs::absolute(options.folder.empty() ? fs::path("meet-demo") : fs::path(options.folder), ec);
  if (ec) {
    err << "korvane: 无法使用文件夹“" << options.folder << "”：" << ec.message() << "\n";
    return 2;
  }
  dir = dir.lexically_normal();
  std::string why;
  if (!Usable(dir, why)) {
    err << "korvane: " << why << "\n";
    return 2;
  }
  fs::path source = shell::ProgramFolder();
  if (!fs::exists(source / "号码对照表及分组分道编排.xltm")) {
    err << "korvane: 程序文件夹“" << source.string() << "”中没有模板文件\n";
    return 2;
  }
  fs::create_directories(dir, ec);
  if (!ec) std::ofstream(dir / kDemoMarker) << "Korvane demo folder\n";
  for (const char* sub : kOwned) {
    if (ec) break;
    fs::remove_all(dir / sub, ec);
    if (!ec) fs::create_directories(dir / sub, ec);
  }
  if (ec) {
    err << "korvane: 无法在“" << dir.string() << "”中建立演示文件夹：" << ec.message() << "\n";
    return 2;
  }
  // The demo edits the template: the user's copy of it, in a data folder of its own.
  ::setenv("XDG_DATA_HOME", (dir / kData).c_str(), 1);
  // The demo's print jobs stay PDFs; no paper comes out of a printer.
  ::setenv("KORVANE_PRINTER", "none", 1);

  std::vector<DemoStep> steps = DemoSteps((dir / kMeets).string(), (dir / kExport).string());
  // The script being run holds the steps from firstStep on; stepAt maps the
  // line on which each step's lines begin (after its comment line).
  std::size_t firstStep = 0;
  std::map<int, std::size_t> stepAt;
  auto script = [&] {
    stepAt.clear();
    int line = 1;
    for (std::size_t i = firstStep; i < steps.size(); ++i) {
      stepAt[line + 1] = i;
      line += 1;
      for (char c : steps[i].script) line += c == '\n';
    }
    return DemoScript(std::vector<DemoStep>(steps.begin() + static_cast<std::ptrdiff_t>(firstStep), steps.end()));
  };

  std::ofstream log(dir / kDemoLog);
  std::ostream& transcript = options.transcript ? out : static_cast<std::ostream&>(log);
  Snapshot before = Take(dir);
  auto listChanges = [&] {
    Snapshot now = Take(dir);
    for (const auto& [rel, state] : now) {
      auto was = before.find(rel);
      if (was == before.end())
        out << "    新建 " << rel.string() << "\n";
      else if (!(was->second == state))
        out << "    修改 " << rel.string() << "\n";
    }
    before = std::move(now);
  };
  bool stepShown = false;
  auto beforeStatement = [&](int lineNumber) {
    if (options.transcript) return;
    auto it = stepAt.find(lineNumber);
    if (it == stepAt.end()) return;
    if (stepShown) listChanges();
    out << "第" << it->second + 1 << "步 " << steps[it->second].title << "\n" << std::flush;
    stepShown = true;
  };

  if (!options.transcript) out << "Korvane 演示：一次运动会的完整流程\n文件夹：" << dir.string() << "\n\n";
  shell::StartupOptions startup;
  startup.installCommands = installCommands;
  startup.settingsFile = dir / kConfig / "settings.ini";
  int rc = RunScript(script(), transcript, err, startup, beforeStatement);
  // The schedule arranges the items the meet's entries give, so its lines
  // are written once the steps before it have run.
  if (rc == 0) {
    if (std::optional<DemoStep> schedule = ScheduleStep((dir / kMeets).string())) {
      firstStep = steps.size();
      steps.push_back(std::move(*schedule));
      steps.push_back({"打印赛事日程：径赛、田赛两张日程打成一份 PDF", "MyPrint4\n"});
      rc = RunScript(script(), transcript, err, startup, beforeStatement);
    }
  }
  if (options.transcript) return rc;
  if (stepShown) listChanges();
  log.flush();
  if (rc != 0) {
    out << "\n演示未能完成，程序显示的内容见 " << (dir / kDemoLog).string() << "\n";
    return rc;
  }
  out << "\n演示完成。程序显示的全部对话框记录在 " << (dir / kDemoLog).string() << "\n";
  return 0;
}

}  // namespace korvane::cli
