// Fuzz target of the command-script runner: each input is a command script
// whose statements run against a small meet, not only parsed. The program is
// started once in a scratch folder (its own settings, user data, meets and
// forms folders, a fixed clock and seed, no printer) and a meet is made once:
// 新建 on the shipped template, two entries, the registration workbook
// exported. Each input then runs from that state and everything is put back
// afterwards (open workbooks, menu, caption, every file of the scratch
// folder), so an input behaves the same whatever ran before it.
//
// A script error or a refused command is a normal outcome; crashes, hangs and
// sanitizer reports are the findings. So that one input runs quickly and
// stays in its scratch folder:
//   - at most 12 statements and 60 lines (dialog lines included);
//   - a spin count above 30 counts as 30;
//   - a folder answer other than cancel names the scratch folder's forms
//     folder when its text has "form" in it, else the meets folder;
//   - Quit is left out (the program would end for every later input).
//
// Built by scripts/fuzz.sh, not by the default build; the program folder
// (templates) is the one the script generates, or $KORVANE_PROGRAM_DIR.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "app/commands.h"
#include "cli/script.h"
#include "host/application.h"
#include "host/file_save.h"
#include "shell/program.h"
#include "shell/startup.h"

namespace {

namespace fs = std::filesystem;
using namespace korvane;

constexpr int kMaxStatements = 12;
constexpr int kMaxLines = 60;
constexpr int kMaxSpin = 30;

std::map<std::string, std::string> Files(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    if (!e.is_regular_file()) continue;
    std::ifstream in(e.path(), std::ios::binary);
    files[fs::relative(e.path(), dir).string()] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

// Puts a folder back to the files it held: anything made since goes, every
// file gets its bytes (and write permission) back.
void PutBack(const fs::path& dir, const std::map<std::string, std::string>& files) {
  std::error_code ec;
  fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ec);
  for (auto it = fs::recursive_directory_iterator(dir, ec); it != fs::recursive_directory_iterator(); it.increment(ec))
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  std::vector<fs::path> extra;
  for (const auto& e : fs::recursive_directory_iterator(dir, ec)) {
    const std::string rel = fs::relative(e.path(), dir).string();
    if (e.is_regular_file() ? !files.count(rel) : !e.is_directory()) extra.push_back(e.path());
  }
  for (const fs::path& p : extra) fs::remove_all(p, ec);
  for (const auto& [name, bytes] : files) {
    fs::create_directories((dir / name).parent_path(), ec);
    std::ofstream(dir / name, std::ios::binary | std::ios::trunc) << bytes;
  }
}

class World {
 public:
  World() {
    char tmpl[] = "/tmp/korvane-fuzz-script-XXXXXX";
    if (!mkdtemp(tmpl)) std::abort();
    root_ = tmpl;
    for (const char* d : {"meets", "forms", "config", "data"}) fs::create_directories(root_ / d);
    const char* program = std::getenv("KORVANE_PROGRAM_DIR");
    const fs::path programDir = program && *program ? fs::path(program) : fs::absolute("share/korvane");
    if (!fs::exists(programDir / "号码对照表及分组分道编排.xltm")) {
      std::fprintf(stderr, "fuzz_script: no templates in %s (set KORVANE_PROGRAM_DIR)\n", programDir.c_str());
      std::abort();
    }
    setenv("KORVANE_PROGRAM_DIR", programDir.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
    setenv("HOME", root_.c_str(), 1);
    setenv("KORVANE_NOW", "2024-04-09T08:30:15", 1);
    setenv("KORVANE_SEED", "20240409", 1);
    setenv("KORVANE_PRINTER", "none", 1);

    // What StartUp does, without the window loop: the program lives as long
    // as the fuzzer.
    runner_ = std::make_unique<cli::ScriptRunner>(std::vector<cli::ScriptLine>{}, out_);
    program_ = std::make_unique<shell::Program>(std::make_unique<host::WorkbookHost>(), *runner_,
                                                shell::SettingsStore(root_ / "config" / "settings.ini"));
    app::InstallCommands(program_->Commands());
    program_->FillTables();
    program_->lockdown = shell::HostLockdown{true, true, true, true, true};
    shell::LoadMainWindow(*program_);
    try {
      runner_->Continue(*program_, "folder " + Quoted(root_ / "meets") + "\nDefaultFolder\nNew\n" +
                                       "set '1'!C4 张伟\nset '1'!D4 √\nset '2'!C4 李娜\nset '2'!E4 √\n" + "folder " +
                                       Quoted(root_ / "forms") + "\nExport\nSave\n");
    } catch (const cli::ScriptError& e) {
      std::fprintf(stderr, "fuzz_script: the meet could not be made: line %d: %s\n", e.Line(), e.what());
      std::abort();
    }
    files_ = Files(root_);
    defaultFolder_ = program_->defaultFolder;
    tables_ = program_->tables;
  }

  ~World() {
    program_.reset();
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  void Run(std::vector<cli::ScriptLine> lines) {
    host::HostSnapshot before = program_->Host().Snapshot();
    const shell::MenuState menu = program_->Menu();
    try {
      runner_->Continue(*program_, std::move(lines));
    } catch (const cli::ScriptError&) {
      // a script error: a normal outcome
    }
    program_->Host().Restore(std::move(before));
    program_->Menu() = menu;
    program_->ResetCaption();
    program_->defaultFolder = defaultFolder_;
    program_->tables = tables_;
    PutBack(root_, files_);
    out_.str("");
  }

  // The folder a picker answer stands for.
  std::string FolderFor(const std::string& text) const {
    return (root_ / (text.find("form") != std::string::npos ? "forms" : "meets")).string();
  }

 private:
  static std::string Quoted(const fs::path& p) { return "\"" + p.string() + "\""; }

  fs::path root_;
  std::ostringstream out_;
  std::unique_ptr<cli::ScriptRunner> runner_;
  std::unique_ptr<shell::Program> program_;
  std::map<std::string, std::string> files_;
  std::string defaultFolder_;
  shell::ProgramTables tables_;
};

World* world = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  world = new World();
  std::atexit([] { delete world; });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<cli::ScriptLine> lines = cli::ParseScript(std::string_view(reinterpret_cast<const char*>(data), size));
  std::vector<cli::ScriptLine> kept;
  int statements = 0;
  for (cli::ScriptLine& line : lines) {
    if (static_cast<int>(kept.size()) >= kMaxLines) break;
    if (line.error.empty() && !line.words.empty()) {
      std::vector<cli::ScriptWord>& w = line.words;
      if (w[0].text == "Quit") continue;
      if (w[0].text == "folder" && w.size() == 2 && !(w[1].text == "cancel" && !w[1].quoted))
        w[1].text = world->FolderFor(w[1].text);
      if (w[0].text == "spin" && w.size() == 4) {
        int count = 0;
        for (char c : w[3].text) count = c >= '0' && c <= '9' ? std::min(count * 10 + (c - '0'), kMaxSpin + 1) : count;
        if (count > kMaxSpin) w[3].text = std::to_string(kMaxSpin);
      }
    }
    if (line.indent == 0 && ++statements > kMaxStatements) break;
    kept.push_back(std::move(line));
  }
  world->Run(std::move(kept));
  return 0;
}
