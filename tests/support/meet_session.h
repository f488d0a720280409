// A meet session for reliability tests: the program started in a scratch
// folder (a copy of the program folder, empty meets/ and forms/ folders, its
// own settings, a fixed clock and seed) with every command installed and a
// command-script runner as its Ui, so that statements can be run one group
// after another in the same program. And the state a command must leave as
// it was: the open workbooks as text, the files of a folder, the menu.
#pragma once

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>

#include "app/commands.h"
#include "cli/script.h"
#include "host/application.h"
#include "host/file_save.h"
#include "host/ooxml/xlsx.h"
#include "shell/commands.h"
#include "shell/program.h"
#include "shell/startup.h"
#include "support/scratch.h"

namespace korvane::testing {

namespace fs = std::filesystem;
using shell::testing::ScopedEnv;
using shell::testing::TempDir;

// Everything a workbook holds, as text.
inline std::string Dump(const host::WorkbookHost& host) {
  std::ostringstream out;
  for (host::Workbook* wb : host.Workbooks()) {
    out << "book " << wb->FullName() << ' ' << static_cast<int>(wb->Kind()) << " saved=" << wb->Saved()
        << " active=" << wb->ActiveIndex() << " protect=" << wb->Protection().structure << wb->Protection().windows
        << '\n';
    for (const host::DefinedName& n : wb->Names())
      out << " name " << (n.scope ? n.scope->Name() : "") << '!' << n.name << '=' << n.refersTo << n.hidden << '\n';
    for (host::Worksheet* ws : wb->Sheets()) {
      out << " sheet " << ws->Name() << ' ' << static_cast<int>(ws->Visibility()) << ' ' << ws->Protection().on
          << ws->Protection().contents << '\n';
      for (const host::RangeRef& m : ws->Merges()) out << "  merge " << host::RelativeAddress(m) << '\n';
      for (const auto& [c, info] : ws->ColMap())
        out << "  col " << c << ' ' << info.width << info.hidden << info.style << '\n';
      for (const auto& [r, row] : ws->RowMap()) {
        out << "  row " << r << ' ' << row.height << row.hidden << row.style << '\n';
        for (const host::Cell& c : row.cells)
          out << "   " << c.col << ' ' << c.style << " [" << ws->FormulaAt(r, static_cast<int>(c.col)) << "] "
              << ws->StoredValue(r, static_cast<int>(c.col)).ToText() << '\n';
      }
      const host::PageSetup& p = ws->Page();
      out << "  page " << p.paperSize << p.orientation << p.zoom << p.centerFooter << p.rowBreaks.size()
          << p.firstPageNumber.value_or(-1) << '\n';
    }
  }
  return out.str();
}

// Every file under `dir`, with its bytes.
inline std::map<std::string, std::string> Files(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    if (!e.is_regular_file()) continue;
    std::ifstream in(e.path(), std::ios::binary);
    files[fs::relative(e.path(), dir).string()] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

inline std::string MenuText(const shell::Program& program) {
  std::string s;
  for (const shell::MenuNode* item : shell::MenuItems())
    s += item->control + (program.Menu().Enabled(item->control) ? "+" : "-") +
         (program.Menu().Checked(item->control) ? "v " : " ");
  return s + program.Caption();
}

// The program in a scratch folder; `body` runs once it has started.
class MeetSession {
 public:
  MeetSession()
      : programDir_("KORVANE_PROGRAM_DIR", (dir_.path() / "program").string()),
        config_("XDG_CONFIG_HOME", (dir_.path() / "config").string()),
        data_("XDG_DATA_HOME", (dir_.path() / "data").string()),
        clock_("KORVANE_NOW", std::string("2024-04-09T08:30:15")),
        seed_("KORVANE_SEED", std::string("20240409")),
        runner_({}, out_) {
    for (const char* d : {"program", "meets", "forms", "config", "data"}) fs::create_directories(dir_.path() / d);
    fs::copy(KORVANE_SHARE_DIR, dir_.path() / "program", fs::copy_options::recursive);
  }

  const fs::path& Dir() const { return dir_.path(); }
  std::string Meets() const { return (dir_.path() / "meets").string(); }
  std::string Forms() const { return (dir_.path() / "forms").string(); }
  cli::ScriptRunner& Runner() { return runner_; }
  // What the statements printed since the last call.
  std::string TakeOutput() {
    std::string s = out_.str();
    out_.str("");
    return s;
  }
  // Runs statements; returns what they printed and the script's error, if any.
  std::string Run(shell::Program& program, const std::string& statements) {
    std::string error;
    try {
      runner_.Continue(program, statements);
    } catch (const cli::ScriptError& e) {
      error = std::string("error: ") + e.what() + "\n";
    }
    return TakeOutput() + error;
  }

  void Start(const std::function<void(shell::Program&)>& body) {
    shell::StartupOptions options;
    options.singleInstance = false;
    options.installCommands = app::InstallCommands;
    options.settingsFile = dir_.path() / "config" / "settings.ini";
    shell::StartUp(runner_, options, [&](shell::Program& program) {
      body(program);
      return 0;
    });
  }

 private:
  TempDir dir_;
  ScopedEnv programDir_, config_, data_, clock_, seed_;
  std::ostringstream out_;
  cli::ScriptRunner runner_;
};

// Puts the program back as it was when it was made: workbooks, the files
// saved meanwhile, the menu.
class Checkpoint {
 public:
  explicit Checkpoint(shell::Program& program)
      : program_(program), workbooks_(program.Host().Snapshot()), menu_(program.Menu()) {}
  void Restore() {
    journal_.RollBack();
    program_.Host().Restore(std::move(workbooks_));
    program_.Menu() = menu_;
    workbooks_ = program_.Host().Snapshot();
  }

 private:
  shell::Program& program_;
  host::HostSnapshot workbooks_;
  shell::MenuState menu_;
  host::SaveJournal journal_;
};

}  // namespace korvane::testing
