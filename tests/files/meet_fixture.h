// Test fixtures of the file commands: a program with the Ui test double and
// its own settings file, and meet workbooks laid out like the ones 新建 makes
// (设置 with the team count and the form size, the sized form sample, one
// protected team sheet per team in front of 设置, and any generated sheets).
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "../shell/test_support.h"
#include "../shell/test_ui.h"
#include "files/commands.h"
#include "files/files.h"
#include "host/application.h"
#include "host/range.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "meet/layout.h"
#include "shell/program.h"
#include "shell/settings.h"

namespace korvane::files::testing {

namespace fs = std::filesystem;
namespace meet = korvane::meet;
using shell::testing::ScopedEnv;
using shell::testing::TempDir;
using shell::testing::TestUi;

inline const char* const kMeetName = "号码对照表及分组分道编排表_2024-04-09_03715.xlsm";
inline const char* const kRegistrationFile = "运动会报名登记表.xlsm";
inline const char* const kReportFile = "运动会报表.xlsm";

struct MeetShape {
  int teams = 3;
  int rowsPerTeam = 4;  // 设置!H2
  int events = 5;       // D3 rightward
  bool teamMode = false;
  int generatedStages = 0;  // stage sheets 1..k after the template's sheets
};

// Builds the meet workbook in `book` (a new workbook of the host).
inline void BuildMeet(host::Workbook& book, const MeetShape& shape) {
  namespace f = meet::form;
  host::Worksheet& settings = book.Sheet(1);
  settings.SetName(std::string(meet::kSettingsSheet));
  settings.PutValue(2, 1, "高一");
  settings.PutValue(2, 2, shape.teams);
  settings.PutValue(9, 2, shape.teams);
  settings.PutValue(2, 8, shape.rowsPerTeam);
  settings.PutValue(3, 8, 2);
  settings.PutValue(4, 8, 2);
  settings.PutValue(5, 8, 12);
  if (shape.teamMode) settings.PutValue(1, 13, "√");
  for (int t = 1; t <= shape.teams; ++t) settings.PutValue(t + 1, 4, "高一(" + std::to_string(t) + ")班");

  host::Worksheet& sample = book.AddSheet(nullptr, &settings, std::string(meet::kFormSampleSheet));
  const int rowsPerTeam = shape.rowsPerTeam;
  sample.PutValue(1, 1, "田径运动会报名表");
  sample.PutValue(2, 1, "班级：");
  sample.PutValue(3, 1, "性别");
  sample.PutValue(3, 2, "序号");
  sample.PutValue(3, 3, "姓名");
  for (int e = 0; e < shape.events; ++e) sample.PutValue(3, f::kFirstEventCol + e, "项目" + std::to_string(e + 1));
  sample.PutValue(f::kFirstAthleteRow, 1, std::string(meet::kMale));
  sample.PutValue(f::FemaleFirstRow(rowsPerTeam), 1, std::string(meet::kFemale));
  for (int r = f::kFirstAthleteRow; r <= f::LastAthleteRow(rowsPerTeam); ++r)
    sample.PutValue(r, f::kRowNumberCol, r <= f::MaleLastRow(rowsPerTeam) ? r - 3 : r - f::FemaleFirstRow(rowsPerTeam) + 1);
  sample.PutValue(f::ClosingRow(rowsPerTeam), 1, "注：");
  sample.PutValue(f::ClosingRow(rowsPerTeam), 2, "每人限报2项");
  host::Range(&sample, host::RangeRef{2, 3, 2, 6}).SetLocked(false);
  host::Range(&sample, host::RangeRef{f::kFirstAthleteRow, f::kAthleteNameCol, f::LastAthleteRow(rowsPerTeam), 80})
      .SetLocked(false);
  sample.Protect();

  book.AddSheet(nullptr, &sample, std::string(meet::kEventsSheet));
  host::Worksheet* last = &book.Sheet(std::string(meet::kEventsSheet));
  for (std::string_view name : {meet::kScoreRegisterSheet, meet::kRecordSheet1, meet::kRecordSheet2, meet::kRecordSheet3})
    last = &book.AddSheet(nullptr, last, std::string(name));

  for (int t = 1; t <= shape.teams; ++t) {
    host::Worksheet& copy = sample.CopyTo(book, &settings, nullptr);
    copy.SetName(meet::TeamSheetName(t));
    copy.PutValue(f::kTeamName.row, f::kTeamName.col, "高一(" + std::to_string(t) + ")班");
  }
  for (int k = 1; k <= shape.generatedStages; ++k) {
    host::Worksheet& ws = book.AddSheet(nullptr, &book.Sheet(book.Count()), std::string(meet::StageSheetName(k)));
    ws.PutValue(1, 1, "第" + std::to_string(k) + "阶段");
  }
  for (std::string_view name : {meet::kSettingsSheet, meet::kFormSampleSheet, meet::kEventsSheet})
    book.Sheet(std::string(name)).SetVisible(false);
  book.SetActiveSheet(book.Sheet(1));
  book.Protect(true, true);
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

  // A meet workbook open in the host, saved as `name` in `folder` (the
  // default folder when empty), with the parameter table loaded as 打开 does.
  host::Workbook& OpenMeet(const MeetShape& shape, const std::string& name = kMeetName, fs::path folder = {}) {
    if (folder.empty()) folder = MeetFolder();
    host::Workbook& book = Host().Add();
    BuildMeet(book, shape);
    book.SaveAs((folder / name).string());
    program.tables.parameters = meet::LoadParameters(book);
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
