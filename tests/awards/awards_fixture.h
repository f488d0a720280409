// Test fixture of the 赛事奖项 commands: a program with the Ui test double, its
// own settings file and default folder, the shipped prize and certificate
// templates (a private copy of the program folder's prize folder), and a meet
// workbook with the cells these commands read: the grade names of 设置 and the
// event headings of 报名表样表.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "awards/awards.h"
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

namespace korvane::awards::testing {

namespace fs = std::filesystem;
namespace meet = korvane::meet;

using korvane::testing::kMeetName;

class AwardsFixture {
 public:
  shell::testing::TempDir dir;
  shell::testing::TestUi ui;
  shell::testing::ScopedEnv programDir{"KORVANE_PROGRAM_DIR", (dir / "program").string()};
  shell::Program program{std::make_unique<host::WorkbookHost>(), ui, shell::SettingsStore(dir / "settings.ini")};
  host::Workbook* meetBook = nullptr;
  fs::path meets = dir / "meets";

  AwardsFixture(const std::vector<std::string>& grades, const std::vector<std::string>& events) {
    fs::create_directories(dir / "program");
    fs::copy(fs::path(KORVANE_SHARE_DIR) / "prize", dir / "program" / "prize", fs::copy_options::recursive);
    fs::create_directories(meets);
    shell::SaveDefaultPath(program.Settings(), meets.string());
    program.FillTables();
    RegisterCommands(program.Commands());
    shell::ResetForm(program);
    program.Menu().SetEnabled("PrizeSetup", true);  // as 新建 and 打开 leave it

    // The meet as the template filled in: its grades (a class each) and the
    // form's event catalogue are what the prize workbook is made from.
    korvane::testing::MeetSpec spec;
    spec.grades.clear();
    for (const std::string& g : grades) spec.grades.push_back({g, 1});
    spec.headings = events;
    meetBook = &korvane::testing::OpenMeet(program, spec, korvane::testing::MeetStage::Template, kMeetName);
  }

  void Run(const char* control) { program.Run(control); }
  host::Workbook* Prize() { return FindPrizeWorkbook(program.Host()); }
  host::Worksheet& PrizeSheet(std::string_view name) { return Prize()->Sheet(std::string(name)); }
  void Set(std::string_view sheet, const char* cell, const host::CellValue& v) {
    PrizeSheet(sheet).RangeAt(cell).SetValue(v);
  }
  std::string Text(std::string_view sheet, int row, int col) { return PrizeSheet(sheet).ValueAt(row, col).ToText(); }

  // The rows of a list sheet below its headings, as texts.
  std::vector<std::vector<std::string>> Lines(std::string_view sheet) {
    host::Worksheet& ws = PrizeSheet(sheet);
    std::vector<std::vector<std::string>> rows;
    for (int r = 2; r <= ws.LastUsedRow(); ++r) {
      std::vector<std::string> row;
      for (int c = 1; c <= ws.LastUsedCol(); ++c) row.push_back(ws.ValueAt(r, c).ToText());
      rows.push_back(row);
    }
    return rows;
  }

  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> v;
    for (const auto& b : ui.boxes) v.push_back(b.text);
    return v;
  }
};

}  // namespace korvane::awards::testing
