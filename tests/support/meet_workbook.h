// Meet workbooks for tests, made from the shipped template the way the
// program makes them: the template opened, 设置 filled in as a teacher fills
// it, the form's event catalogue and the configured events written, and (for
// the registration stage) the team sheets made by set-up's own form step, the
// one 新建 runs. Every test that needs "a meet at stage X" starts here, so a
// change of the template or of the form step reaches every test.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "host/application.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "meet/layout.h"
#include "setup/forms.h"
#include "shell/program.h"
#include "support/test_ui.h"

namespace korvane::testing {

inline const char* const kMeetName = "号码对照表及分组分道编排表_2024-04-09_03715.xlsm";

// The shipped meet template the build generates.
inline std::string MeetTemplatePath() {
  return std::string(KORVANE_SHARE_DIR) + "/" + std::string(meet::kTemplateBaseName) + ".xltm";
}

struct GradeSpec {
  std::string name;
  int teams = 1;
};

struct MeetSpec {
  std::vector<GradeSpec> grades{{"初一", 2}, {"初二", 2}};
  int rowsPerTeam = 6;          // 设置!H2
  int maxPerTeamPerEvent = 2;   // 设置!H3
  int maxEventsPerAthlete = 2;  // 设置!H4
  int maxPerGroup = 12;         // 设置!H5
  bool teamMode = false;
  // The form's event catalogue: the headings of row 3 from column D.
  std::vector<std::string> headings{"100米", "跳远", "铅球", "4×100米接力"};
  // Configured events (比赛项目名单 column D); empty: every heading for every
  // grade and both sexes, by grade, catalogue position, sex.
  std::vector<std::string> events;
  // Grade of each configured event (column A); empty: the first two
  // characters of the title.
  std::vector<std::string> eventGrades;
};

enum class MeetStage {
  Template,      // the template filled in: 设置, the form's catalogue, the events; no team sheets
  Registration,  // as 新建 leaves it: one registration form per team
};

inline int TeamCount(const MeetSpec& spec) {
  int n = 0;
  for (const GradeSpec& g : spec.grades) n += g.teams;
  return n;
}

inline std::vector<std::string> DefaultEvents(const MeetSpec& spec) {
  std::vector<std::string> out;
  for (const GradeSpec& g : spec.grades)
    for (const std::string& h : spec.headings)
      for (std::string_view sex : {meet::kMale, meet::kFemale}) out.push_back(g.name + std::string(sex) + h);
  return out;
}

inline std::string ClassName(const std::string& grade, int k) { return grade + "(" + std::to_string(k) + ")班"; }

namespace detail {

inline void ClearFrom(host::Worksheet& ws, int firstRow, int firstCol) {
  const int lastRow = ws.LastUsedRow(), lastCol = ws.LastUsedCol();
  for (int r = firstRow; r <= lastRow; ++r)
    for (int c = firstCol; c <= lastCol; ++c) ws.ClearCell(r, c);
}

inline void FillSettings(host::Worksheet& settings, const MeetSpec& spec) {
  namespace s = meet::settings;
  settings.Unprotect();
  int total = 0;
  for (int g = 0; g < s::kMaxGrades; ++g) {
    const int row = s::kFirstGradeRow + g;
    if (g < static_cast<int>(spec.grades.size())) {
      total += spec.grades[g].teams;
      settings.PutValue(row, s::kGradeCol, spec.grades[g].name);
      settings.PutValue(row, s::kTeamsCol, spec.grades[g].teams);
    } else {
      settings.ClearCell(row, s::kGradeCol);
      settings.PutValue(row, s::kTeamsCol, 0);
    }
  }
  settings.PutValue(s::TeamSheetCount.row, s::TeamSheetCount.col, total);
  settings.PutValue(s::RowsPerTeam.row, s::RowsPerTeam.col, spec.rowsPerTeam);
  settings.PutValue(s::MaxPerTeamPerEvent.row, s::MaxPerTeamPerEvent.col, spec.maxPerTeamPerEvent);
  settings.PutValue(s::MaxEventsPerAthlete.row, s::MaxEventsPerAthlete.col, spec.maxEventsPerAthlete);
  settings.PutValue(s::MaxPerGroup.row, s::MaxPerGroup.col, spec.maxPerGroup);
  if (spec.teamMode) {
    settings.PutValue(s::kTeamModeFlag.row, s::kTeamModeFlag.col, std::string(s::kTeamModeMark));
    // The first two grades list their teams (named as classes, so that
    // tests read the same names in both modes); later grades are numbered.
    for (int g = 0; g < 2 && g < static_cast<int>(spec.grades.size()); ++g)
      for (int k = 1; k <= spec.grades[g].teams; ++k)
        settings.PutValue(s::kTeamModeFirstRow + k - 1, setup::TeamModeColumn(g + 1),
                          ClassName(spec.grades[g].name, k));
  } else {
    settings.ClearCell(s::kTeamModeFlag.row, s::kTeamModeFlag.col);
  }
  settings.Protect(true, true, true);
}

inline void FillCatalogue(host::Worksheet& form, const MeetSpec& spec) {
  namespace f = meet::form;
  form.Unprotect();
  for (int c = f::kFirstEventCol; c <= form.LastUsedCol(); ++c) form.ClearCell(f::kHeadingRow, c);
  for (std::size_t e = 0; e < spec.headings.size(); ++e)
    form.PutValue(f::kHeadingRow, f::kFirstEventCol + static_cast<int>(e), spec.headings[e]);
  form.Protect(true, true, true);
}

inline void FillEvents(host::Worksheet& events, const MeetSpec& spec) {
  namespace ev = meet::events;
  events.Unprotect();
  const int last = events.LastUsedRow();
  if (last >= ev::kFirstEventRow) events.DeleteRows(ev::kFirstEventRow, last - ev::kFirstEventRow + 1);
  const int n = static_cast<int>(spec.events.size());
  events.PutValue(ev::kEventCount.row, ev::kEventCount.col, n);
  std::string previousGrade;
  for (int k = 1; k <= n; ++k) {
    const std::string& title = spec.events[k - 1];
    const std::string grade = spec.eventGrades.empty() ? title.substr(0, 6) : spec.eventGrades[k - 1];
    // Equal neighbouring grades share one cell (the value stands in the first row).
    if (grade != previousGrade) events.PutValue(ev::EventRow(k), ev::kGradeCol, grade);
    previousGrade = grade;
    events.PutValue(ev::EventRow(k), ev::kLaneRuleCol, 1);
    events.PutValue(ev::EventRow(k), ev::kMethodCol, 1);
    events.PutValue(ev::EventRow(k), ev::kTitleCol, title);
  }
  events.Protect(true, true, true);
}

}  // namespace detail

// Opens the shipped template in the program's host and fills it for `spec`
// (whose empty event list is filled with DefaultEvents) up to `stage`. At the registration stage the
// workbook is saved as `file` (as 新建 saves it); at the template stage it is
// unsaved, named as `file`. Throws std::runtime_error when set-up refuses the
// spec.
inline host::Workbook& OpenMeet(shell::Program& program, MeetSpec& spec, MeetStage stage,
                                const std::filesystem::path& file) {
  if (spec.events.empty()) spec.events = DefaultEvents(spec);
  host::Workbook& book = program.Host().Add(MeetTemplatePath());
  if (stage == MeetStage::Registration) {
    std::filesystem::create_directories(file.parent_path());
    book.SaveAs(file.string());
  } else {
    book.SetUnsavedName(file.filename().string());
  }
  detail::FillSettings(book.Sheet(std::string(meet::kSettingsSheet)), spec);
  detail::FillCatalogue(book.Sheet(std::string(meet::kFormSampleSheet)), spec);
  detail::FillEvents(book.Sheet(std::string(meet::kEventsSheet)), spec);
  if (stage == MeetStage::Registration && setup::CreateBMB(program, book) != setup::FormsResult::Created) {
    std::string why;
    if (auto* ui = dynamic_cast<shell::testing::TestUi*>(&program.ui()); ui && !ui->boxes.empty())
      why = ": " + ui->boxes.back().text;
    throw std::runtime_error("set-up refused the meet of the test" + why);
  }
  if (stage == MeetStage::Registration) book.Protect(/*structure=*/true, /*windows=*/true);
  return book;
}

}  // namespace korvane::testing
