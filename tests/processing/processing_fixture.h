// Test fixtures of the processing commands: a program with the Ui test double
// and the processing commands registered, and meet workbooks laid out as
// 新建 leaves them (设置 with grades, teams and limits, the sized form sample,
// one protected team sheet per team in front of 设置, 比赛项目名单 with its
// configured events), built directly in the host so each test states exactly
// the meet it needs.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "host/application.h"
#include "host/range.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "meet/layout.h"
#include "processing/commands.h"
#include "processing/consolidation.h"
#include "shell/program.h"
#include "shell/settings.h"
#include "shell/test_support.h"
#include "shell/test_ui.h"

namespace korvane::processing::testing {

namespace meet = korvane::meet;
using shell::testing::TempDir;
using shell::testing::TestUi;

inline const char* const kMeetName = "号码对照表及分组分道编排表_2024-04-09_03715.xlsm";

struct GradeSpec {
  std::string name;
  int teams = 1;
};

struct MeetSpec {
  std::vector<GradeSpec> grades{{"初一", 2}, {"初二", 2}};
  int rowsPerTeam = 6;        // 设置!H2
  int maxPerTeamPerEvent = 2;  // 设置!H3
  int maxEventsPerAthlete = 2;  // 设置!H4
  int maxPerGroup = 12;        // 设置!H5
  bool teamMode = false;
  // The event catalogue: the headings of row 3 from column D.
  std::vector<std::string> headings{"100米", "跳远", "铅球", "4×100米接力"};
  // Configured events (比赛项目名单 column D); empty: every heading for every
  // grade and both sexes, by grade, catalogue position, sex.
  std::vector<std::string> events;
  // Grade of each configured event (column A); empty: the first two characters of the title.
  std::vector<std::string> eventGrades;
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

// Builds the meet workbook in `book` (a new workbook of the host).
inline void BuildMeet(host::Workbook& book, MeetSpec& spec) {
  namespace f = meet::form;
  namespace s = meet::settings;
  namespace ev = meet::events;
  if (spec.events.empty()) spec.events = DefaultEvents(spec);
  const int teams = TeamCount(spec);
  const int rowsPerTeam = spec.rowsPerTeam;

  host::Worksheet& settings = book.Sheet(1);
  settings.SetName(std::string(meet::kSettingsSheet));
  int total = 0, t = 0;
  for (std::size_t g = 0; g < spec.grades.size(); ++g) {
    const int row = s::kFirstGradeRow + static_cast<int>(g);
    total += spec.grades[g].teams;
    settings.PutValue(row, s::kGradeCol, spec.grades[g].name);
    settings.PutValue(row, s::kTeamsCol, spec.grades[g].teams);
    settings.PutValue(row, s::kTeamTotalCol, total);
    for (int k = 1; k <= spec.grades[g].teams; ++k)
      settings.PutValue(s::TeamRow(++t), s::kTeamNameCol, ClassName(spec.grades[g].name, k));
  }
  settings.PutValue(s::TeamSheetCount.row, s::TeamSheetCount.col, teams);
  settings.PutValue(s::RowsPerTeam.row, s::RowsPerTeam.col, rowsPerTeam);
  settings.PutValue(s::MaxPerTeamPerEvent.row, s::MaxPerTeamPerEvent.col, spec.maxPerTeamPerEvent);
  settings.PutValue(s::MaxEventsPerAthlete.row, s::MaxEventsPerAthlete.col, spec.maxEventsPerAthlete);
  settings.PutValue(s::MaxPerGroup.row, s::MaxPerGroup.col, spec.maxPerGroup);
  if (spec.teamMode) settings.PutValue(s::kTeamModeFlag.row, s::kTeamModeFlag.col, std::string(s::kTeamModeMark));
  settings.Protect();

  host::Worksheet& sample = book.AddSheet(nullptr, &settings, std::string(meet::kFormSampleSheet));
  sample.PutValue(1, 1, "田径运动会报名表");
  sample.PutValue(3, 1, "性别");
  sample.PutValue(3, 2, "序号");
  sample.PutValue(3, 3, "姓名");
  for (std::size_t e = 0; e < spec.headings.size(); ++e)
    sample.PutValue(f::kHeadingRow, f::kFirstEventCol + static_cast<int>(e), spec.headings[e]);
  sample.PutValue(f::kFirstAthleteRow, 1, std::string(meet::kMale));
  sample.PutValue(f::FemaleFirstRow(rowsPerTeam), 1, std::string(meet::kFemale));
  for (int r = f::kFirstAthleteRow; r <= f::LastAthleteRow(rowsPerTeam); ++r)
    sample.PutValue(r, f::kRowNumberCol, r <= f::MaleLastRow(rowsPerTeam) ? r - 3 : r - f::FemaleFirstRow(rowsPerTeam) + 1);
  sample.PutValue(f::ClosingRow(rowsPerTeam), 1, "注：");
  host::Range(&sample, host::RangeRef{2, 3, 2, 6}).SetLocked(false);
  host::Range(&sample, host::RangeRef{f::kFirstAthleteRow, f::kAthleteNameCol, f::LastAthleteRow(rowsPerTeam), 80})
      .SetLocked(false);
  sample.Protect();

  host::Worksheet& events = book.AddSheet(nullptr, &sample, std::string(meet::kEventsSheet));
  events.PutValue(1, 1, "年级");
  events.PutValue(1, 4, "比赛项目");
  events.PutValue(1, 5, "人数");
  const int n = static_cast<int>(spec.events.size());
  events.PutValue(ev::kEventCount.row, ev::kEventCount.col, n);
  std::string previousGrade;
  for (int k = 1; k <= n; ++k) {
    const std::string& title = spec.events[k - 1];
    std::string grade = spec.eventGrades.empty() ? title.substr(0, 6) : spec.eventGrades[k - 1];
    // Equal neighbouring grades share one cell (the value stands in the first row).
    if (grade != previousGrade) events.PutValue(ev::EventRow(k), ev::kGradeCol, grade);
    previousGrade = grade;
    events.PutValue(ev::EventRow(k), ev::kLaneRuleCol, 1);
    events.PutValue(ev::EventRow(k), ev::kMethodCol, 1);
    events.PutValue(ev::EventRow(k), ev::kTitleCol, title);
  }
  events.Protect();

  host::Worksheet* last = &events;
  for (std::string_view name : {meet::kScoreRegisterSheet, meet::kRecordSheet1, meet::kRecordSheet2, meet::kRecordSheet3})
    last = &book.AddSheet(nullptr, last, std::string(name));

  for (int team = 1; team <= teams; ++team) {
    host::Worksheet& copy = sample.CopyTo(book, &settings, nullptr);
    copy.SetName(meet::TeamSheetName(team));
    copy.PutValue(f::kTeamName.row, f::kTeamName.col, settings.ValueAt(s::TeamRow(team), s::kTeamNameCol));
  }
  if (n > 0 && spec.events[0].rfind(std::string(ev::kAllJunior), 0) == 0)
    events.PutValue(ev::kMergeFlagsFirst.row, ev::kMergeFlagsFirst.col, 1);
  for (std::string_view name : {meet::kSettingsSheet, meet::kFormSampleSheet, meet::kEventsSheet})
    book.Sheet(std::string(name)).SetVisible(false);
  book.SetActiveSheet(book.Sheet(1));
  book.Protect(true, true);
}

// A program as the processing commands run in it.
struct Fixture {
  TempDir dir;
  TestUi ui;
  shell::Program program{std::make_unique<host::WorkbookHost>(), ui, shell::SettingsStore(dir / "settings.ini")};
  MeetSpec spec;
  host::Workbook* book = nullptr;

  Fixture() {
    program.FillTables();
    processing::RegisterCommands(program.Commands());
    shell::ResetForm(program);
  }

  host::WorkbookHost& Host() { return program.Host(); }

  // Builds the meet of `spec` as an open meet workbook, with the menu 新建 leaves.
  host::Workbook& Open(const MeetSpec& s = MeetSpec()) {
    spec = s;
    book = &Host().Add();
    BuildMeet(*book, spec);
    book->SetUnsavedName(kMeetName);
    program.tables.parameters = meet::LoadParameters(*book);
    program.Menu().SetEnabled({"New", "Open", "Initialization"}, false);
    program.Menu().SetEnabled({"Import", "Export", "Save", "Close", "MyPrint1", "consolidate", "MNBM", "PrizeSetup"},
                              true);
    return *book;
  }

  host::Worksheet& Sheet(std::string_view name) { return book->Sheet(std::string(name)); }
  host::Worksheet& Team(int t) { return book->Sheet(meet::TeamSheetName(t)); }

  // Types into a team sheet as the teams do: a name in column C of form row
  // `row`, ticks under the named events.
  void Athlete(int team, int row, const std::string& name, const std::vector<std::string>& ticked = {}) {
    host::Worksheet& ws = Team(team);
    ws.Cells(row, meet::form::kAthleteNameCol).SetLiteral(name);
    for (const std::string& e : ticked) Tick(team, row, e);
  }
  void Tick(int team, int row, const std::string& event) {
    Team(team).Cells(row, EventColumn(event)).SetLiteral(std::string(meet::form::kEntryMark));
  }
  int EventColumn(const std::string& event) const {
    for (std::size_t e = 0; e < spec.headings.size(); ++e)
      if (spec.headings[e] == event) return meet::form::kFirstEventCol + static_cast<int>(e);
    throw std::invalid_argument("no heading " + event);
  }
  int FemaleRow(int i) const { return meet::form::FemaleFirstRow(spec.rowsPerTeam) + i - 1; }
  int MaleRow(int i) const { return meet::form::kFirstAthleteRow + i - 1; }

  // Event row of a title in 比赛项目名单.
  int EventRow(const std::string& title) const {
    for (std::size_t k = 0; k < spec.events.size(); ++k)
      if (spec.events[k] == title) return meet::events::EventRow(static_cast<int>(k) + 1);
    throw std::invalid_argument("no event " + title);
  }
  // The entrants of an event row as (name, number) pairs in their order.
  std::vector<std::pair<std::string, std::string>> Entrants(const std::string& title) {
    namespace ev = meet::events;
    host::Worksheet& events = Sheet(meet::kEventsSheet);
    host::Worksheet* temp = book->FindSheet(std::string(meet::kTempSheet));
    const int row = EventRow(title);
    std::vector<std::pair<std::string, std::string>> out;
    for (int c = ev::kFirstEntrantCol; c <= ev::kLastEntrantCol; ++c) {
      std::string name = events.ValueAt(row, c).ToText();
      std::string number = temp ? temp->ValueAt(row, c).ToText() : "";
      if (name.empty() && number.empty()) continue;
      out.emplace_back(name, number);
    }
    return out;
  }
  std::multiset<std::pair<std::string, std::string>> EntrantSet(const std::string& title) {
    auto v = Entrants(title);
    return {v.begin(), v.end()};
  }
  std::string Count(const std::string& title) {
    return Sheet(meet::kEventsSheet).ValueAt(EventRow(title), meet::events::kEntrantCountCol).ToText();
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto& b : ui.boxes) t.push_back(b.text);
    return t;
  }
};

}  // namespace korvane::processing::testing
