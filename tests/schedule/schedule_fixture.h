// Test fixtures of the schedule: a program with the schedule command, the
// shipped templates as its program folder, a fixed clock, and meet workbooks
// built directly in the host with the entrant counts, numbers and names each
// test needs.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/range.h"
#include "meet/layout.h"
#include "schedule/commands.h"
#include "schedule/items.h"
#include "schedule/schedule.h"
#include "shell/program.h"
#include "shell/settings.h"
#include "support/meet_workbook.h"
#include "support/scratch.h"
#include "support/test_ui.h"

namespace korvane::schedule::testing {

using korvane::testing::MeetSpec;
using shell::testing::ScopedEnv;
using shell::testing::TempDir;
using shell::testing::TestUi;

struct Fixture {
  ScopedEnv programDir{"KORVANE_PROGRAM_DIR", std::string(KORVANE_SHARE_DIR)};
  ScopedEnv clock{"KORVANE_NOW", std::string("2026-12-07T09:30:00")};
  TempDir dir;
  TestUi ui;
  shell::Program program{std::make_unique<host::WorkbookHost>(), ui, shell::SettingsStore(dir / "settings.ini")};
  MeetSpec spec;
  host::Workbook* book = nullptr;
  std::filesystem::path meets = dir / "meets";

  Fixture() {
    program.FillTables();
    RegisterCommands(program.Commands());
    shell::ResetForm(program);
    std::filesystem::create_directories(meets);
    shell::SaveDefaultPath(program.Settings(), meets.string());
  }

  host::WorkbookHost& Host() { return program.Host(); }

  host::Workbook& OpenMeet(const MeetSpec& s = MeetSpec()) {
    spec = s;
    book = &korvane::testing::OpenMeet(program, spec, korvane::testing::MeetStage::Registration,
                                       dir / "meet" / korvane::testing::kMeetName);  // meets/ holds the schedules only
    program.Menu().SetEnabled("Schedule", true);
    return *book;
  }

  host::Worksheet& Sheet(std::string_view name) { return book->Sheet(std::string(name)); }

  int EventRow(const std::string& title) {
    host::Worksheet& events = Sheet(meet::kEventsSheet);
    for (int r = meet::events::kFirstEventRow; r <= events.LastUsedRow(); ++r)
      if (events.ValueAt(r, meet::events::kTitleCol).ToText() == title) return r;
    throw std::invalid_argument("no event " + title);
  }

  // The entrant count (and lane rule) of an event row.
  void Entrants(const std::string& title, int count, int laneRule = 1) {
    host::Worksheet& events = Sheet(meet::kEventsSheet);
    const int r = EventRow(title);
    events.PutValue(r, meet::events::kEntrantCountCol, count);
    events.PutValue(r, meet::events::kLaneRuleCol, laneRule);
  }

  // A consolidated meet in miniature: the number table with these athletes
  // and the entrant numbers of event rows in temp.
  void Numbers(const std::map<std::string, std::string>& nameOfNumber,
               const std::map<std::string, std::vector<std::string>>& entrants) {
    book->Unprotect();
    host::Worksheet& table = book->AddSheet(nullptr, &book->Sheet(book->Count()), std::string(meet::kNumberTableSheet));
    int r = meet::numbers::kFirstRow;
    for (const auto& [number, name] : nameOfNumber) {
      table.PutValue(r, meet::numbers::kNameCol, name);
      table.PutValue(r++, meet::numbers::kNumberCol, number);
    }
    host::Worksheet& temp = book->AddSheet(nullptr, &table, std::string(meet::kTempSheet));
    for (const auto& [title, numbers] : entrants) {
      const int row = EventRow(title);
      for (std::size_t i = 0; i < numbers.size(); ++i)
        temp.PutValue(row, meet::events::kFirstEntrantCol + static_cast<int>(i), numbers[i]);
      Sheet(meet::kEventsSheet).PutValue(row, meet::events::kEntrantCountCol, static_cast<int>(numbers.size()));
    }
    book->Protect(true, true);
  }

  host::Workbook* Schedule() {
    host::Workbook* found = nullptr;
    for (host::Workbook* b : Host().Workbooks())
      if (b->Name().rfind(std::string(kTemplateBaseName), 0) == 0) found = b;
    return found;
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto& b : ui.boxes) t.push_back(b.text);
    return t;
  }
};

// The rows of a list, each as its columns joined by "|" (trailing empty columns dropped).
inline std::vector<std::string> Joined(const shell::ListBox& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.RowCount(); ++i) {
    std::vector<std::string> cells = list.Row(i);
    while (!cells.empty() && cells.back().empty()) cells.pop_back();
    std::string s;
    for (std::size_t c = 0; c < cells.size(); ++c) s += (c ? "|" : "") + cells[c];
    out.push_back(s);
  }
  return out;
}

}  // namespace korvane::schedule::testing
