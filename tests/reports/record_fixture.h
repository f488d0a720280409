// Test fixtures of the judges' record sheets and the score register: a
// program with the Ui test double and 创建成绩记录表 / 成绩管理 registered, and a
// meet workbook made from the shipped template in the state consolidation
// leaves it: 比赛项目名单 with the test's events (titles, lane rules, methods,
// counts and entrants), the hidden temp with the entrants' numbers, 设置!H5,
// the register hidden. Every entrant has a name and a number of its own, so a
// test can tell where each one went.
#pragma once

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/range.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "meet/layout.h"
#include "reports/commands.h"
#include "reports/record_tables.h"
#include "reports/score_register.h"
#include "shell/program.h"
#include "support/meet_workbook.h"
#include "support/scratch.h"
#include "support/test_ui.h"

namespace korvane::reports::record_testing {

namespace meet = korvane::meet;
using host::CellValue;

using korvane::testing::kMeetName;

struct Ev {
  std::string title;  // 接力 at the end for a relay
  std::string rule = "1";
  int method = 1;
  int entrants = 0;
};

inline bool IsRelay(const std::string& title) {
  return title.size() >= 6 && title.compare(title.size() - 6, 6, "接力") == 0;
}

// Entrant i (0-based) of event k (1-based).
inline std::string Name(int k, int i) { return "乙" + std::to_string(k) + "-" + std::to_string(i); }
inline std::string Number(int k, int i) { return std::to_string(20000 + k * 100 + i); }
inline std::string Team(int k, int i) { return "队" + std::to_string(k) + "-" + std::to_string(i); }
// What the entrant cell of event k holds on 比赛项目名单.
inline std::string Entrant(const Ev& e, int k, int i) { return IsRelay(e.title) ? Team(k, i) : Name(k, i); }

class RecordFixture {
 public:
  shell::testing::TempDir dir;
  shell::testing::TestUi ui;
  shell::Program program{std::make_unique<host::WorkbookHost>(), ui, shell::SettingsStore(dir / "settings.ini")};
  host::Workbook* book = nullptr;
  std::vector<Ev> events;

  // maxPerGroup: 设置!H5; nullopt leaves it empty.
  explicit RecordFixture(std::vector<Ev> evs, std::optional<int> maxPerGroup = 12) : events(std::move(evs)) {
    program.FillTables();
    reports::RegisterCommands(program.Commands());
    shell::ResetForm(program);
    Build(maxPerGroup);
  }

  host::Worksheet& Sheet(std::string_view name) { return book->Sheet(std::string(name)); }
  host::Worksheet* Find(std::string_view name) { return book->FindSheet(std::string(name)); }

  // Runs a menu command as the menu does, with its item enabled.
  void Run(std::string_view control) {
    program.Menu().SetEnabled(control, true);
    program.Run(control);
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto& b : ui.boxes) t.push_back(b.text);
    return t;
  }

  // Replaces the events of 比赛项目名单 and temp (the state a new consolidation leaves).
  void SetEvents(std::vector<Ev> evs) {
    events = std::move(evs);
    WriteEvents();
  }

 private:
  void Build(std::optional<int> maxPerGroup) {
    korvane::testing::MeetSpec spec;
    spec.grades = {{"高一", 1}};
    spec.maxPerGroup = maxPerGroup.value_or(0);
    host::Workbook& b = korvane::testing::OpenMeet(program, spec, korvane::testing::MeetStage::Template, kMeetName);
    book = &b;
    b.Unprotect();
    host::Worksheet& settings = Sheet(meet::kSettingsSheet);
    if (!maxPerGroup) {
      settings.Unprotect();
      settings.ClearCell(meet::settings::MaxPerGroup.row, meet::settings::MaxPerGroup.col);
      settings.Protect(true, true, true);
    }
    // One class, whose registration form stays on show as the team sheets do.
    host::Worksheet& team = b.AddSheet(&settings, nullptr, meet::TeamSheetName(1));
    team.PutValue(meet::form::kTeamName.row, meet::form::kTeamName.col, "高一(1)班");
    host::Worksheet& temp = b.AddSheet(nullptr, &b.Sheet(b.Count()), std::string(meet::kTempSheet));
    WriteEvents();
    temp.SetVisible(false);
    // Consolidation hides these.
    for (std::string_view name :
         {meet::kSettingsSheet, meet::kFormSampleSheet, meet::kEventsSheet, meet::kScoreRegisterSheet})
      Sheet(name).SetVisible(false);
    b.Protect(true, true);
  }

  void WriteEvents() {
    namespace e = meet::events;
    host::Worksheet& list = Sheet(meet::kEventsSheet);
    host::Worksheet& temp = Sheet(meet::kTempSheet);
    const bool wasProtected = list.ProtectContents();
    list.Unprotect();
    const int last = list.LastUsedRow();
    if (last >= e::kFirstEventRow) list.DeleteRows(e::kFirstEventRow, last - e::kFirstEventRow + 1);
    temp.DeleteRows(1, std::max(1, temp.LastUsedRow()));
    const int n = static_cast<int>(events.size());
    list.PutValue(e::kEventCount.row, e::kEventCount.col, n);
    for (int k = 1; k <= n; ++k) {
      const Ev& ev = events[static_cast<std::size_t>(k - 1)];
      const int row = e::EventRow(k);
      list.PutValue(row, e::kGradeCol, "高一");
      list.PutValue(row, e::kLaneRuleCol, ev.rule);
      list.PutValue(row, e::kMethodCol, ev.method);
      list.PutValue(row, e::kTitleCol, ev.title);
      list.PutValue(row, e::kEntrantCountCol, ev.entrants);
      for (int i = 0; i < ev.entrants && i < e::MaxEntrantsPerEvent; ++i) {
        list.PutValue(row, e::kFirstEntrantCol + i, Entrant(ev, k, i));
        if (!IsRelay(ev.title)) temp.PutValue(row, e::kFirstEntrantCol + i, Number(k, i));
      }
    }
    if (wasProtected) list.Protect();
  }
};

// The text a cell shows ("" when empty).
inline std::string Text(host::Worksheet& ws, int row, int col) { return ws.ValueAt(row, col).ToText(); }
inline std::string Text(host::Worksheet& ws, const std::string& a1) {
  host::Range r = ws.RangeAt(a1);
  return ws.ValueAt(r.Row(), r.Column()).ToText();
}

}  // namespace korvane::reports::record_testing
