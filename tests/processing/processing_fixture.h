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
#include "support/meet_workbook.h"
#include "support/scratch.h"
#include "support/test_ui.h"

namespace korvane::processing::testing {

namespace meet = korvane::meet;
using shell::testing::TempDir;
using shell::testing::TestUi;

using korvane::testing::ClassName;
using korvane::testing::DefaultEvents;
using korvane::testing::GradeSpec;
using korvane::testing::kMeetName;
using korvane::testing::MeetSpec;
using korvane::testing::TeamCount;

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

  // Builds the meet of `spec` as 新建 leaves it, open in the host, with the
  // menu 新建 leaves; a meet opened before is closed first.
  host::Workbook& Open(const MeetSpec& s = MeetSpec()) {
    spec = s;
    if (book) Host().Close(*book, /*saveChanges=*/false);  // a test that opens a meet of its own
    book = &korvane::testing::OpenMeet(program, spec, korvane::testing::MeetStage::Registration,
                                       dir / "meets" / kMeetName);
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
