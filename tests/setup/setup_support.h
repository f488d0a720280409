// Helpers of the set-up tests: a program over a real host with the Ui test
// double, the shipped meet template copied into a private program folder,
// and meet workbooks made from it as 新建 makes them.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "host/application.h"
#include "host/range.h"
#include "host/workbook.h"
#include "meet/layout.h"
#include "setup/commands.h"
#include "setup/setup.h"
#include "shell/program.h"
#include "support/scratch.h"
#include "support/test_ui.h"

namespace korvane::setup::testing {

namespace fs = std::filesystem;
using shell::testing::ScopedEnv;
using shell::testing::TempDir;
using shell::testing::TestUi;

inline const std::string kTemplateFile = std::string(meet::kTemplateBaseName) + ".xltm";
inline const char* const kMeetFile = "号码对照表及分组分道编排表_2024-04-09_03715.xlsm";

struct SetupFixture {
  TempDir dir;
  fs::path programDir = dir / "program";
  fs::path meetDir = dir / "meets";
  ScopedEnv programEnv{"KORVANE_PROGRAM_DIR", (dir / "program").string()};
  ScopedEnv dataEnv{"XDG_DATA_HOME", (dir / "data").string()};
  TestUi ui;
  shell::Program program{std::make_unique<host::WorkbookHost>(), ui, shell::SettingsStore(dir / "settings.ini")};

  SetupFixture() {
    fs::create_directories(programDir);
    fs::create_directories(meetDir);
    fs::copy_file(fs::path(KORVANE_SHARE_DIR) / kTemplateFile, programDir / kTemplateFile);
    program.FillTables();
    setup::RegisterCommands(program.Commands());
    shell::ResetForm(program);
  }

  host::WorkbookHost& Host() { return program.Host(); }
  // The shipped template, and the user's copy that 初始化... makes and edits.
  fs::path TemplatePath() const { return programDir / kTemplateFile; }
  fs::path UserTemplatePath() const { return dir / "data" / "korvane" / kTemplateFile; }

  // A meet workbook as 新建 leaves it before the forms are made: a copy of the
  // template saved in the meet folder, its names deleted, unprotected.
  host::Workbook& NewMeetWorkbook() {
    host::Workbook& book = Host().Add(TemplatePath().string());
    book.Unprotect();
    while (book.NameCount() > 0) book.DeleteName(1);
    book.SaveAs((meetDir / kMeetFile).string(), host::xl::FormatMacroWorkbook);
    return book;
  }
};

// Typing into a cell as a user does in the workbook window.
inline void Type(host::Workbook& book, const std::string& sheet, const std::string& cell, const host::CellValue& v) {
  book.Sheet(sheet).RangeAt(cell).SetValue(v);
}

inline std::string Text(host::Workbook& book, const std::string& sheet, const std::string& cell) {
  return book.Sheet(sheet).RangeAt(cell).Value().ToText();
}

}  // namespace korvane::setup::testing
