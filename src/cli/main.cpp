// Korvane's command line:
//   korvane                 the desktop program
//   korvane run SCRIPT|-    runs a command script (from standard input with -)
//   korvane demo [DIR]      runs a sample meet into DIR
//   korvane --version
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "awards/awards.h"
#include "cli/demo.h"
#include "files/files.h"
#include "processing/consolidation.h"
#include "processing/grade_merge.h"
#include "processing/simulate.h"
#include "reports/protection.h"
#include "reports/record_tables.h"
#include "reports/report_driver.h"
#include "reports/score_register.h"
#include "setup/setup.h"
#include "shell/commands.h"
#include "shell/script.h"
#include "shell/startup.h"

namespace {

// Every subsystem's menu commands. Each subsystem adds its registration here.
void InstallCommands(korvane::shell::CommandTable& table) {
  korvane::shell::RegisterShellCommands(table);
  korvane::setup::RegisterSetupCommands(table);
  korvane::files::RegisterFilesCommands(table);
  korvane::processing::RegisterConsolidationCommands(table);
  korvane::processing::RegisterGradeMergeCommands(table);
  korvane::processing::RegisterSimulationCommands(table);
  korvane::reports::RegisterProtectionCommands(table);
  korvane::reports::RegisterRecordTableCommands(table);
  korvane::reports::RegisterScoreRegisterCommands(table);
  korvane::reports::RegisterReportCommands(table);
  korvane::awards::RegisterAwardsCommands(table);
}

void Usage(std::ostream& out) {
  out << "用法：\n"
         "  korvane                  启动桌面程序\n"
         "  korvane run 脚本|-       运行命令脚本（- 表示从标准输入读取）\n"
         "  korvane demo [目录]      在目录中演示一次完整的运动会流程\n"
         "  korvane --version        显示版本\n";
}

int Run(const std::string& path) {
  std::string text;
  if (path == "-") {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      std::cerr << "error: 无法读取脚本文件：" << path << "\n";
      return 1;
    }
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  korvane::shell::StartupOptions options;
  options.installCommands = InstallCommands;
  return korvane::shell::RunScript(text, std::cout, std::cerr, options);
}

}  // namespace

int main(int argc, char** argv) {
  std::string cmd = argc > 1 ? argv[1] : "";
  if (cmd == "--version" || cmd == "version") {
    std::cout << "Korvane " << KORVANE_VERSION << "\n";
    return 0;
  }
  if (cmd.empty()) {
    std::cerr << "korvane: 桌面窗口尚未提供；请用 korvane run 脚本 运行命令脚本。\n";
    return 2;
  }
  if (cmd == "run") {
    if (argc != 3) {
      Usage(std::cerr);
      return 2;
    }
    return Run(argv[2]);
  }
  if (cmd == "demo") {
    if (argc > 3) {
      Usage(std::cerr);
      return 2;
    }
    return korvane::cli::RunDemo(argc == 3 ? argv[2] : "", InstallCommands, std::cout, std::cerr);
  }
  if (cmd == "--help" || cmd == "-h" || cmd == "help") {
    Usage(std::cout);
    return 0;
  }
  std::cerr << "korvane: 未知的命令：" << cmd << "\n";
  Usage(std::cerr);
  return 2;
}
