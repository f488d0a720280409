#include "shell/paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace korvane::shell {

namespace fs = std::filesystem;

std::string ExecutableFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) return {};
  return exe.parent_path().string();
}

std::string ProgramFolder() {
  if (const char* dir = std::getenv("KORVANE_PROGRAM_DIR"); dir && *dir) return WithoutTrailingSeparator(dir);
  std::string exeDir = ExecutableFolder();
  if (exeDir.empty()) return "share/korvane";
  return (fs::path(exeDir) / ".." / "share" / "korvane").lexically_normal().string();
}

std::string UserDataFolder() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
    return WithoutTrailingSeparator((fs::path(xdg) / "korvane").string());
  const char* home = std::getenv("HOME");
  return (fs::path(home && *home ? home : ".") / ".local" / "share" / "korvane").string();
}

std::string HelpFilePath() { return (fs::path(ProgramFolder()) / kHelpFileName).string(); }

std::string WithoutTrailingSeparator(std::string folder) {
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

}  // namespace korvane::shell
