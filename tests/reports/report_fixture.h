// Test fixtures of the report commands: a program with the Ui test double
// and 报表生成 registered, and a meet workbook in the state consolidation
// leaves it (team sheets, 设置, 号码对照表 with one block per class, 比赛项目名单
// with titles, lane rules, counts and entrants, the hidden temp with the
// entrants' numbers), plus readers that take the written reports apart again
// by their labels only.
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
#include "reports/report_driver.h"
#include "shell/program.h"
#include "support/meet_workbook.h"
#include "support/scratch.h"
#include "support/test_ui.h"

namespace korvane::reports::testing {

namespace meet = korvane::meet;

using korvane::testing::kMeetName;

struct ClassSpec {
  std::string name;
  std::string leader;
  int men = 0;
  int women = 0;
};

struct EventSpec {
  std::string title;  // grade + sex + event name, 接力 at the end for a relay
  std::string laneRule = "1";
  int entrants = 0;
};

// The entrant i (0-based) of event k (1-based): a name and a number unique to
// the pair, so a test can tell every entrant apart.
inline std::string EntrantName(int k, int i) { return "甲" + std::to_string(k) + "-" + std::to_string(i); }
inline std::string EntrantNumber(int k, int i) { return std::to_string(10000 + k * 100 + i); }
inline std::string RelayTeam(int k, int i) { return "队" + std::to_string(k) + "-" + std::to_string(i); }

// Athlete i (0-based) of a class's men or women.
inline std::string AthleteName(int team, bool man, int i) {
  return std::string(man ? "男" : "女") + std::to_string(team) + "-" + std::to_string(i);
}
inline std::string AthleteNumber(int team, int row) {
  const std::string t = (team < 10 ? "0" : "") + std::to_string(team);
  const std::string r = (row < 10 ? "0" : "") + std::to_string(row);
  return "1" + t + r;
}

struct MeetSpec {
  int rowsPerTeam = 20;
  std::optional<int> maxPerGroup = 12;  // nullopt: 设置!H5 empty
  std::optional<int> firstPage;         // 设置!C1; nullopt: empty
  std::vector<ClassSpec> classes;
  std::vector<EventSpec> events;
};

class ReportFixture {
 public:
  shell::testing::TempDir dir;
  shell::testing::TestUi ui;
  shell::Program program{std::make_unique<host::WorkbookHost>(), ui, shell::SettingsStore(dir / "settings.ini")};
  host::Workbook* book = nullptr;

  explicit ReportFixture(const MeetSpec& spec) {
    program.FillTables();
    reports::RegisterCommands(program.Commands());
    shell::ResetForm(program);
    Build(spec);
  }

  host::Worksheet& Sheet(std::string_view name) { return book->Sheet(std::string(name)); }
  host::Worksheet* Find(std::string_view name) { return book->FindSheet(std::string(name)); }
  host::Worksheet& Rosters() { return Sheet(meet::kRosterReportSheet); }
  host::Worksheet& Numbers() { return Sheet(meet::kNumberReportSheet); }

  // Runs 报表生成 as the menu does: the item must be enabled.
  void CreateReport() {
    program.Menu().SetEnabled("CreateReport", true);
    program.Run("CreateReport");
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto& b : ui.boxes) t.push_back(b.text);
    return t;
  }

 private:
  void Build(const MeetSpec& spec) {
    // The template filled in for one grade of the meet's classes.
    korvane::testing::MeetSpec base;
    base.grades = {{"高一", static_cast<int>(spec.classes.size())}};
    base.rowsPerTeam = spec.rowsPerTeam;
    base.maxPerGroup = spec.maxPerGroup.value_or(0);
    base.events = {"高一男子100米"};  // replaced below
    host::Workbook& b = korvane::testing::OpenMeet(program, base, korvane::testing::MeetStage::Template, kMeetName);
    book = &b;
    b.Unprotect();
    const int teams = static_cast<int>(spec.classes.size());
    const int rpt = spec.rowsPerTeam;

    host::Worksheet& settings = Sheet(meet::kSettingsSheet);
    settings.Unprotect();
    if (!spec.maxPerGroup) settings.ClearCell(meet::settings::MaxPerGroup.row, meet::settings::MaxPerGroup.col);
    if (spec.firstPage)
      settings.PutValue(meet::settings::FirstReportPage.row, meet::settings::FirstReportPage.col, *spec.firstPage);
    else
      settings.ClearCell(meet::settings::FirstReportPage.row, meet::settings::FirstReportPage.col);
    for (int t = 1; t <= teams; ++t) {
      settings.PutValue(t + 1, 4, spec.classes[t - 1].name);
      if (!spec.classes[t - 1].leader.empty()) settings.PutValue(t + 1, 5, spec.classes[t - 1].leader);
    }
    host::Worksheet& sample = Sheet(meet::kFormSampleSheet);

    // 号码对照表: class t's block of rpt rows from row 2 + (t - 1) * rpt, men first.
    host::Worksheet& numbers = b.AddSheet(nullptr, &sample, std::string(meet::kNumberTableSheet));
    numbers.PutValue(1, 1, "姓名");
    numbers.PutValue(1, 2, "号码");
    numbers.PutValue(1, 3, "班级");
    for (int t = 1; t <= teams; ++t) {
      const ClassSpec& cls = spec.classes[t - 1];
      const int first = meet::numbers::BlockFirstRow(t, rpt);
      for (int i = 0; i < cls.men; ++i) {
        numbers.PutValue(first + i, 1, AthleteName(t, true, i));
        numbers.PutValue(first + i, 2, AthleteNumber(t, i + 1));
      }
      for (int i = 0; i < cls.women; ++i) {
        numbers.PutValue(first + rpt / 2 + i, 1, AthleteName(t, false, i));
        numbers.PutValue(first + rpt / 2 + i, 2, AthleteNumber(t, rpt / 2 + i + 1));
      }
      if (cls.men + cls.women > 0) numbers.PutValue(first, 3, cls.name);
    }

    host::Worksheet& events = Sheet(meet::kEventsSheet);
    events.Unprotect();
    events.DeleteRows(meet::events::kFirstEventRow,
                      std::max(1, events.LastUsedRow() - meet::events::kFirstEventRow + 1));
    const int n = static_cast<int>(spec.events.size());
    events.PutValue(2, 4, n);
    for (int k = 1; k <= n; ++k) {
      const EventSpec& e = spec.events[k - 1];
      const int row = meet::events::EventRow(k);
      const bool relay = e.title.size() >= 6 && e.title.compare(e.title.size() - 6, 6, "接力") == 0;
      events.PutValue(row, 1, "高一");
      events.PutValue(row, 2, e.laneRule);
      events.PutValue(row, 3, 1);
      events.PutValue(row, 4, e.title);
      events.PutValue(row, 5, e.entrants);
      for (int i = 0; i < e.entrants && i < meet::events::MaxEntrantsPerEvent; ++i)
        events.PutValue(row, meet::events::kFirstEntrantCol + i, relay ? RelayTeam(k, i) : EntrantName(k, i));
    }

    events.Protect(true, true, true);

    host::Worksheet& temp = b.AddSheet(nullptr, &b.Sheet(b.Count()), std::string(meet::kTempSheet));
    for (int k = 1; k <= n; ++k) {
      const EventSpec& e = spec.events[k - 1];
      const bool relay = e.title.size() >= 6 && e.title.compare(e.title.size() - 6, 6, "接力") == 0;
      if (relay) continue;
      for (int i = 0; i < e.entrants && i < meet::events::MaxEntrantsPerEvent; ++i)
        temp.PutValue(meet::events::EventRow(k), meet::events::kFirstEntrantCol + i, EntrantNumber(k, i));
    }

    // Team sheets 1..T in front of 设置.
    for (int t = 1; t <= teams; ++t) {
      host::Worksheet& ws = b.AddSheet(&settings, nullptr, meet::TeamSheetName(t));
      ws.PutValue(2, 3, spec.classes[t - 1].name);
    }
    settings.Protect(true, true, true);
    settings.SetVisible(false);
    sample.SetVisible(false);
    events.SetVisible(true);  // consolidation leaves it on show
    temp.SetVisible(false);
    b.SetActiveSheet(b.Sheet(1));
    b.Protect(true, true);
  }
};

// A class list of `count` classes, each with `men` men and `women` women.
inline std::vector<ClassSpec> Classes(int count, int men = 3, int women = 2) {
  std::vector<ClassSpec> v;
  for (int t = 1; t <= count; ++t)
    v.push_back({"高一(" + std::to_string(t) + ")班", "老师" + std::to_string(t), men, women});
  return v;
}

// ---- reading the rosters back ----

struct RosterEntrant {
  std::string name, number;
  int col = 0;  // sheet column of the entrant
  int row = 0;  // sheet row of the name
};

struct RosterHeat {
  int firstRow = 0, lastRow = 0;  // the whole block, its title rows included
  int labelCol = 0;
  std::string heading;                            // 第一组 ..., empty for a single heat or group
  std::vector<std::vector<RosterEntrant>> lines;  // one line per name row
  bool lanes = false;
  bool relay = false;
};

struct RosterEvent {
  std::string title;  // without 预决赛 / 预赛
  bool single = false;
  std::vector<RosterHeat> heats;
};

inline bool EndsWith(const std::string& s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}
inline bool StartsWith(const std::string& s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

inline std::string At(const host::Worksheet& ws, int r, int c) { return ws.ValueAt(r, c).ToText(); }

// Takes the roster sheet apart by its labels: event titles (…预决赛, …预赛),
// heat headings (第…组), lane rows (道次) with the name (姓名) or team (班级) row
// below and the number row (号码), list lines (姓名 above 号码).
inline std::vector<RosterEvent> ReadRosters(const host::Worksheet& ws) {
  std::vector<RosterEvent> events;
  const int last = ws.LastUsedRow();
  for (int r = 1; r <= last; ++r) {
    int c = 0;
    for (int col : {1, 2})
      if (!At(ws, r, col).empty()) {
        c = col;
        break;
      }
    if (c == 0) continue;
    const std::string label = At(ws, r, c);
    auto newHeat = [&](const std::string& heading) {
      RosterHeat h;
      h.firstRow = r;
      h.lastRow = r;
      h.labelCol = c;
      h.heading = heading;
      events.back().heats.push_back(h);
    };
    if (EndsWith(label, "预决赛")) {
      events.push_back({label.substr(0, label.size() - std::string("预决赛").size()), true, {}});
      newHeat("");
    } else if (EndsWith(label, "预赛")) {
      events.push_back({label.substr(0, label.size() - std::string("预赛").size()), false, {}});
      newHeat("");
    } else if (StartsWith(label, "第") && EndsWith(label, "组")) {
      if (!events.empty() && !events.back().heats.empty() && events.back().heats.back().heading.empty() &&
          !events.back().single && events.back().heats.back().lines.empty())
        events.back().heats.back().heading = label;  // the first heat's heading below the title
      else
        newHeat(label);
    } else if (!events.empty() && !events.back().heats.empty()) {
      RosterHeat& h = events.back().heats.back();
      h.lastRow = r;
      if (label == "道次") {
        h.lanes = true;
      } else if (label == "姓名" || label == "班级") {
        h.relay = label == "班级";
        std::vector<RosterEntrant> line;
        for (int col = c + 1; col <= c + 8; ++col) {
          const std::string name = At(ws, r, col);
          if (name.empty()) continue;
          line.push_back({name, At(ws, r + 1, col) == "" ? "" : At(ws, r + 1, col), col, r});
        }
        if (h.relay)
          for (auto& e : line) e.number.clear();
        h.lines.push_back(line);
      }
    }
  }
  return events;
}

// All entrants of an event in the order of its heats, lines and columns.
inline std::vector<RosterEntrant> Flatten(const RosterEvent& e) {
  std::vector<RosterEntrant> all;
  for (const auto& h : e.heats)
    for (const auto& line : h.lines) all.insert(all.end(), line.begin(), line.end());
  return all;
}

}  // namespace korvane::reports::testing
