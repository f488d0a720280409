#include "cli/demo.h"

#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <vector>

#include "shell/paths.h"
#include "shell/script.h"

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
constexpr const char* kProgram = "program";
constexpr const char* kConfig = "config";
constexpr const char* kMeets = "meets";
constexpr const char* kExport = "export";

}  // namespace

std::string DemoScript(const std::string& meetsFolder, const std::string& exportFolder) {
  std::string s;
  s += "# 1. The organiser prepares the template: grades, classes and events.\n";
  s += "Initialization\n";
  s += "set 设置!B5 4\n";  // 高一 has four classes this year
  s += "answer yes\n";     // junior grades compete grade by grade
  s += "ItemSetup\n";
  s += " choose CmbGrade 高一\n";
  s += " choose CmbSex 女子\n";
  s += " select List1 =跳高\n";
  s += " press Select\n";
  s += " press CmdSave\n";
  s += " press CmdClose\n";
  s += "Save\n";
  s += "Close\n";
  s += "# 2. A new meet workbook with one registration form per class.\n";
  s += "folder " + Quote(meetsFolder) + "\n";
  s += "New\n";
  s += "# 3. The registration workbook for the classes.\n";
  s += "folder " + Quote(exportFolder) + "\n";
  s += "Export\n";
  s += "# 4. Simulated entries in every class, within the meet's limits.\n";
  s += "answer yes\n";  // the entries made so far are overwritten
  s += "MNBM\n";
  s += "# 5. Consolidation: every athlete numbered, every event's entrants listed with their numbers.\n";
  s += "consolidate\n";
  s += "# 6. A fresh random order of the entrants of every event.\n";
  s += "Sort\n";
  s += "# 7. The meet booklet: the number lookup report and the rosters with heats, lanes and groups.\n";
  s += "CreateReport\n";
  s += "# 8. The judges' record forms of every event, and the score register for the results.\n";
  s += "CreateTables\n";
  s += "ScoreEdit\n";
  s += "# 9. The report workbook to print elsewhere.\n";
  s += "folder " + Quote(exportFolder) + "\n";
  s += "ExportPRF\n";
  s += "# 10. Awards: the prize workbook with the meet's grades and events, the places of each award,\n";
  s += "#     the certificate lists and one mail-merge certificate document per award.\n";
  s += "PrizeSetup\n";
  s += "set 奖项设置.xlsx:设置!D3 2\n";  // 初一: two total-score certificates
  s += "set 奖项设置.xlsx:设置!E3 3\n";  // its boys: three places per event
  s += "set 奖项设置.xlsx:设置!E4 3\n";  // its girls too
  s += "set 奖项设置.xlsx:设置!F4 ／\n";  // but no individual award for the girls' first event
  s += "PrizeList\n";
  s += "PrizeCreate\n";
  s += "Save\n";
  s += "sheets\n";
  s += "menu\n";
  return s;
}

int RunDemo(const std::string& folder, const std::function<void(shell::CommandTable&)>& installCommands,
            std::ostream& out, std::ostream& err) {
  std::error_code ec;
  fs::path dir = fs::absolute(folder.empty() ? fs::path("meet-demo") : fs::path(folder), ec);
  if (ec) {
    err << "korvane demo: 无法使用文件夹“" << folder << "”：" << ec.message() << "\n";
    return 1;
  }
  fs::path source = shell::ProgramFolder();
  if (!fs::exists(source / "号码对照表及分组分道编排.xltm")) {
    err << "korvane demo: 程序文件夹“" << source.string() << "”中没有模板文件。\n";
    return 1;
  }
  for (const char* sub : {kProgram, kConfig, kMeets, kExport}) {
    fs::remove_all(dir / sub, ec);
    fs::create_directories(dir / sub, ec);
    if (ec) {
      err << "korvane demo: 无法建立文件夹“" << (dir / sub).string() << "”：" << ec.message() << "\n";
      return 1;
    }
  }
  // The demo edits the template, so it works on its own copy of the program folder.
  fs::copy(source, dir / kProgram, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
  if (ec) {
    err << "korvane demo: 无法复制程序文件夹：" << ec.message() << "\n";
    return 1;
  }
  ::setenv("KORVANE_PROGRAM_DIR", (dir / kProgram).c_str(), 1);

  out << "演示：一次运动会的完整流程，文件夹 " << dir.string() << "\n";
  shell::StartupOptions options;
  options.installCommands = installCommands;
  options.settingsFile = dir / kConfig / "settings.ini";
  std::string script = DemoScript((dir / kMeets).string(), (dir / kExport).string());
  int rc = shell::RunScript(script, out, err, options);
  if (rc != 0) return rc;

  out << "\n生成的文件：\n";
  std::vector<fs::path> files;
  for (const char* sub : {kMeets, kExport})
    for (const auto& e : fs::recursive_directory_iterator(dir / sub, ec))
      if (e.is_regular_file()) files.push_back(e.path());
  for (const fs::path& f : files) out << "  " << f.string() << "  (" << fs::file_size(f, ec) << " 字节)\n";
  return 0;
}

}  // namespace korvane::cli
