// Korvane's command line:
//   korvane                          the desktop program
//   korvane run SCRIPT|-             runs a command script (from standard input with -)
//   korvane demo [--transcript] [DIR]  runs a sample meet into DIR
//   korvane --help | --version
// A failure of the command line itself (an unknown word, a script that
// cannot be read, a folder the demo may not use) is one line "korvane: ..."
// on the error stream and exit status 2; a failing script line keeps its own
// "error: line N: ..." and exit status 1.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/commands.h"
#include "cli/demo.h"
#include "cli/script.h"
#include "gui/desktop.h"
#include "shell/startup.h"

namespace {

namespace fs = std::filesystem;

constexpr int kUsageError = 2;

constexpr const char* kHelp =
    "用法：\n"
    "  korvane                            启动桌面程序\n"
    "  korvane run 脚本|-                 运行命令脚本（- 表示从标准输入读取）\n"
    "  korvane demo [--transcript] [目录] 在目录（默认 ./meet-demo）中演示一次完整的运动会流程；\n"
    "                                     --transcript 显示脚本的全部对话框记录而不是各步骤\n"
    "  korvane --help                     显示本说明（korvane run --help、korvane demo --help 同）\n"
    "  korvane --version                  显示版本\n"
    "\n"
    "命令脚本的写法见 docs/scripts.md。\n"
    "\n"
    "环境变量：\n"
    "  KORVANE_PROGRAM_DIR  程序文件夹（随附的模板、奖状模板、帮助），默认为安装目录的 share/korvane\n"
    "  XDG_CONFIG_HOME      设置文件所在的文件夹，默认 ~/.config\n"
    "  XDG_DATA_HOME        用户模板（初始化、项目管理...修改的模板）所在的文件夹，默认 ~/.local/share\n"
    "  KORVANE_NOW          固定程序的时钟（ISO 日期时间，如 2026-12-07T09:30:00）\n"
    "  KORVANE_SEED         固定随机抽签的种子\n"
    "  KORVANE_PRINTER      打印任务送往何处：不设为系统默认打印机，none 为不送打印机（只保存 PDF），\n"
    "                       其他值为该名称的 CUPS 打印队列\n"
    "\n"
    "退出状态：0 成功；1 脚本的某一行失败（error: line N: ...）；2 命令行本身有误（korvane: ...）。\n";

int Fail(const std::string& message) {
  std::cerr << "korvane: " << message << "\n";
  return kUsageError;
}

std::string HelpHint() { return "（korvane --help 列出用法）"; }

int Run(const std::vector<std::string>& args) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << kHelp;
    return 0;
  }
  if (args.size() != 1) return Fail("run 需要一个脚本文件（或 - 表示标准输入）" + HelpHint());
  const std::string& path = args[0];
  if (path.size() > 1 && path[0] == '-') return Fail("run 没有选项 " + path + HelpHint());
  std::string text;
  if (path == "-") {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    if (std::cin.bad()) return Fail("无法读取标准输入");
  } else {
    std::error_code ec;
    if (fs::is_directory(path, ec)) return Fail("无法读取脚本文件 " + path + "：这是一个文件夹");
    std::ifstream in(path, std::ios::binary);
    if (!in) return Fail("无法读取脚本文件 " + path + "：" + (fs::exists(path, ec) ? "没有读取权限" : "文件不存在"));
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) return Fail("无法读取脚本文件 " + path);
  }
  korvane::shell::StartupOptions options;
  options.installCommands = korvane::app::InstallCommands;
  return korvane::cli::RunScript(text, std::cout, std::cerr, options);
}

int Demo(const std::vector<std::string>& args) {
  korvane::cli::DemoOptions options;
  bool folderGiven = false;
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      std::cout << kHelp;
      return 0;
    }
    if (a == "--transcript") {
      options.transcript = true;
    } else if (!a.empty() && a[0] == '-') {
      return Fail("demo 没有选项 " + a + HelpHint());
    } else if (folderGiven) {
      return Fail("demo 只接受一个目录" + HelpHint());
    } else {
      options.folder = a;
      folderGiven = true;
    }
  }
  return korvane::cli::RunDemo(options, korvane::app::InstallCommands, std::cout, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  const std::string cmd = args.empty() ? "" : args[0];
  const std::vector<std::string> rest(args.begin() + (args.empty() ? 0 : 1), args.end());
  try {
    if (cmd == "--version" || cmd == "version") {
      if (!rest.empty()) return Fail("--version 不带参数");
      std::cout << "Korvane " << KORVANE_VERSION << "\n";
      return 0;
    }
    if (cmd == "--help" || cmd == "-h" || cmd == "help") {
      std::cout << kHelp;
      return 0;
    }
    if (cmd.empty()) {
      korvane::shell::StartupOptions options;
      options.installCommands = korvane::app::InstallCommands;
      return korvane::gui::RunDesktop(argc, argv, options);
    }
    if (cmd == "run") return Run(rest);
    if (cmd == "demo") return Demo(rest);
    return Fail((cmd[0] == '-' ? "未知的选项 " : "未知的命令 ") + cmd + HelpHint());
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
}
