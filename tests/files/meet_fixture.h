// Test fixtures of the file commands: a program with the Ui test double and
// its own settings file, and meet workbooks as 新建 makes them from the
// shipped template (tests/support), with any generated stage sheets.
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "files/commands.h"
#include "files/files.h"
#include "host/application.h"
#include "host/range.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "meet/layout.h"
#include "shell/program.h"
#include "shell/settings.h"
#include "support/meet_workbook.h"
#include "support/scratch.h"
#include "support/test_ui.h"

namespace korvane::files::testing {

namespace fs = std::filesystem;
namespace meet = korvane::meet;
using shell::testing::ScopedEnv;
using shell::testing::TempDir;
using shell::testing::TestUi;

using korvane::testing::kMeetName;
inline const char* const kRegistrationFile = "运动会报名登记表.xlsm";
inline const char* const kReportFile = "运动会报表.xlsm";

// The file commands' meets: one grade 高一 of `teams` classes.
struct MeetShape {
  int teams = 3;
  int rowsPerTeam = 4;  // 设置!H2
  int events = 5;       // headings 项目1.. from D3 rightward
  bool teamMode = false;
  int generatedStages = 0;  // stage sheets 1..k after the template's sheets
};

inline korvane::testing::MeetSpec SpecOf(const MeetShape& shape) {
  korvane::testing::MeetSpec spec;
  spec.grades = {{"高一", shape.teams}};
  spec.rowsPerTeam = shape.rowsPerTeam;
  spec.teamMode = shape.teamMode;
  spec.headings.clear();
  for (int e = 1; e <= shape.events; ++e) spec.headings.push_back("项目" + std::to_string(e));
  return spec;
}

// A program as the file commands run in it: the host, the Ui double, a
// settings file of its own, the commands registered, the menu of ResetForm.
struct Fixture {
  TempDir dir;
  TestUi ui;
  shell::Program program{std::make_unique<host::WorkbookHost>(), ui, shell::SettingsStore(dir / "settings.ini")};

  Fixture() {
    program.FillTables();
    files::RegisterCommands(program.Commands());
    shell::ResetForm(program);
  }

  host::WorkbookHost& Host() { return program.Host(); }

  // A meet workbook as 新建 leaves it, open in the host, saved as `name` in
  // `folder` (the default folder when empty), with the parameter table
  // loaded as 打开 does, and `shape.generatedStages` stage sheets after it.
  host::Workbook& OpenMeet(const MeetShape& shape, const std::string& name = kMeetName, fs::path folder = {}) {
    if (folder.empty()) folder = MeetFolder();
    korvane::testing::MeetSpec spec = SpecOf(shape);
    host::Workbook& book =
        korvane::testing::OpenMeet(program, spec, korvane::testing::MeetStage::Registration, folder / name);
    if (shape.generatedStages > 0) {
      book.Unprotect();
      for (int k = 1; k <= shape.generatedStages; ++k) {
        host::Worksheet& ws = book.AddSheet(nullptr, &book.Sheet(book.Count()), std::string(meet::StageSheetName(k)));
        ws.PutValue(1, 1, "第" + std::to_string(k) + "阶段");
      }
      book.Protect(true, true);
      book.Save();
    }
    return book;
  }

  fs::path MeetFolder() {
    fs::path p = dir / "meets";
    fs::create_directories(p);
    return p;
  }
  fs::path Folder(const std::string& name) {
    fs::path p = dir / name;
    fs::create_directories(p);
    return p;
  }

  // Boxes shown so far, texts only.
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto& b : ui.boxes) t.push_back(b.text);
    return t;
  }
};

// Reads a workbook file with a host of its own.
struct FileReader {
  host::WorkbookHost host;
  host::Workbook* book;
  explicit FileReader(const fs::path& path) { book = &host.Open(path.string()); }
  host::Workbook* operator->() { return book; }
  host::Workbook& operator*() { return *book; }
};

inline std::string Cell(const host::Worksheet& ws, int row, int col) { return ws.ValueAt(row, col).ToText(); }

inline void WriteText(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

}  // namespace korvane::files::testing
