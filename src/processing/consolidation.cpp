#include "processing/consolidation.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <utility>
#include <vector>

#include "host/address.h"
#include "host/errors.h"
#include "host/ooxml/xlsx.h"
#include "host/range.h"
#include "host/utf8.h"
#include "host/worksheet.h"
#include "meet/event_title.h"
#include "meet/grades.h"
#include "meet/guards.h"
#include "meet/layout.h"
#include "meet/sheets.h"
#include "processing/commands.h"
#include "processing/numbering.h"
#include "processing/random_order.h"
#include "shell/menu_stages.h"

namespace korvane::processing {

namespace ev = meet::events;
namespace f = meet::form;
namespace nt = meet::numbers;
using host::CellValue;
using host::ValueGrid;

std::string BlankNameText(std::string_view sheet, std::string_view cell) {
  return "工作表“" + std::string(sheet) + "”的单元格" + std::string(cell) +
         "中的姓名只有空格。请删除这些空格或填写姓名后再汇总。";
}

namespace {
bool IsBlanksOnly(const host::CellValue& v) {
  if (!v.IsText() || v.Text().empty()) return false;
  for (char32_t c : host::utf8::Decode(v.Text()))
    if (c != U' ' && c != U'\t' && c != U'\u3000' && c != U'\u00A0' && c != U'\r' && c != U'\n') return false;
  return true;
}
}  // namespace

std::string MissingTeamSheetText(int team) {
  const std::string t = std::to_string(team);
  return "缺少第" + t + "队的报名表：工作表“" + t + "”应是工作簿中的第" + t + "张工作表。";
}

namespace {

std::string MissingSheetText(std::string_view sheet) {
  return "工作簿中缺少工作表“" + std::string(sheet) + "”，无法汇总。";
}

int EventCount(const host::Worksheet& events) {
  const long long n = events.ValueAt(ev::kEventCount.row, ev::kEventCount.col).ToWhole();
  return static_cast<int>(std::clamp<long long>(n, 0, host::kMaxRows - ev::kFirstEventRow + 1));
}

// Number of events of the form: the last used column of its heading row, minus 3.
int FormEventCount(const host::Worksheet& form) {
  return form.End(f::kHeadingRow, host::kMaxCols, host::Direction::ToLeft).second - (f::kFirstEventCol - 1);
}

bool TeamMode(const host::Workbook& book) {
  const host::Worksheet& settings = *book.FindSheet(std::string(meet::kSettingsSheet));
  return meet::IsText(settings.ValueAt(meet::settings::kTeamModeFlag.row, meet::settings::kTeamModeFlag.col),
                      meet::settings::kTeamModeMark);
}

// Everything consolidation needs is there and consistent; else the refusal.
// Reads the meet's parameters into `p` on the way.
meet::Refusal CheckMeet(const host::Workbook& book, meet::Parameters& p) {
  using meet::Refusal;
  for (std::string_view name : {meet::kSettingsSheet, meet::kFormSampleSheet, meet::kEventsSheet})
    if (!book.FindSheet(std::string(name))) return Refusal::Because(MissingSheetText(name));
  if (std::string fraction = meet::FractionalCountText(book); !fraction.empty()) return Refusal::Because(fraction);
  p = meet::LoadParameters(book);
  constexpr meet::ParameterUse kUses{.formSize = true, .entryLimits = true};
  switch (p.Fault(kUses)) {
    case meet::ParameterFault::RowsPerTeamInvalid:
      // 2 is even and positive: the message then states the rule in full.
      if (p.RowsPerTeam < 2 || p.RowsPerTeam % 2 != 0) return Refusal::Because(std::string(kRowsPerTeamNotEven));
      return p.Validate(kUses);
    case meet::ParameterFault::MaxPerTeamPerEvent: return Refusal::Because(std::string(kMaxPerTeamNotPositive));
    case meet::ParameterFault::MaxEventsPerAthlete: return Refusal::Because(std::string(kMaxEventsNotPositive));
    default:
      if (Refusal refused = p.Validate(kUses)) return refused;
  }

  const host::Worksheet& settings = *book.FindSheet(std::string(meet::kSettingsSheet));
  const long long total =
      settings.ValueAt(meet::settings::TeamSheetCount.row, meet::settings::TeamSheetCount.col).ToWhole();
  long long sum = 0;
  for (const meet::Grade& g : meet::ReadGrades(book)) sum += g.teams;
  if (sum != std::max(total, 0LL)) return Refusal::Because(meet::settings::TeamTotalMismatchText(total, sum));
  if (sum * p.RowsPerTeam + nt::kFirstRow > host::kMaxRows) return Refusal::Because(std::string(kTooManyAthleteRows));
  // Team t is worksheet t and is named "t".
  const std::vector<host::Worksheet*> sheets = book.Sheets();
  for (int t = 1; t <= sum; ++t)
    if (t > static_cast<int>(sheets.size()) || sheets[t - 1]->Name() != meet::TeamSheetName(t))
      return Refusal::Because(MissingTeamSheetText(t));
  // A name of blanks only would be numbered and entered like a name, an
  // athlete nobody can read on the lists.
  for (int t = 1; t <= sum; ++t) {
    const host::Worksheet& ws = *sheets[t - 1];
    for (int r = f::kFirstAthleteRow; r <= f::LastAthleteRow(p.RowsPerTeam); ++r)
      if (IsBlanksOnly(ws.ValueAt(r, f::kAthleteNameCol)))
        return Refusal::Because(BlankNameText(
            ws.Name(), host::RelativeAddress(host::RangeRef{r, f::kAthleteNameCol, r, f::kAthleteNameCol})));
  }
  return {};
}

std::string CellName(int row, int col) { return host::RelativeAddress(host::RangeRef{row, col, row, col}); }

// One team sheet as consolidation reads it, after its surplus ticks are gone.
struct TeamEntries {
  bool takesPart = false;           // C4 holds a name
  CellValue teamName;               // C2
  std::vector<CellValue> names;     // form rows 4 .. RowsPerTeam + 3
  std::vector<std::uint8_t> ticks;  // row-major, rows x events: "√" under the event
};

// The scratch state of one consolidation.
struct Run {
  int events = 0;  // E: events of the form
  int rowsPerTeam = 0;
  int maxPerTeam = 0;
  int maxEvents = 0;
  int teamCount = 0;
  std::vector<meet::Grade> grades;
  std::vector<TeamEntries> teams;  // team t at t - 1
  std::vector<EntryIssue> issues;  // what the forms held that did not count as typed

  bool Ticked(const TeamEntries& team, int i, int j) const {
    return team.ticks[static_cast<std::size_t>(i) * events + j] != 0;
  }
};

// Reads team sheet `t` and erases the ticks of each athlete beyond the
// permitted number of individual events: the leftmost are kept. Relay columns
// (headings of this sheet ending in 接力) are neither counted nor erased.
TeamEntries TidyTeam(host::Worksheet& ws, Run& run) {
  const int rowsPerTeam = run.rowsPerTeam, e = run.events;
  // Rows 3 (headings) to the last athlete row, columns C (names) to the last event.
  const ValueGrid cells =
      host::Range(&ws, {f::kHeadingRow, f::kAthleteNameCol, f::LastAthleteRow(rowsPerTeam), f::kFirstEventCol + e - 1})
          .Values();
  constexpr int kEventAt = f::kFirstEventCol - f::kAthleteNameCol;  // D within C:..
  std::vector<bool> relay(e);
  for (int j = 0; j < e; ++j) relay[j] = cells[0][kEventAt + j].ToText().ends_with(f::kRelaySuffix);

  TeamEntries team;
  team.teamName = ws.ValueAt(f::kTeamName.row, f::kTeamName.col);
  team.names.reserve(rowsPerTeam);
  team.ticks.assign(static_cast<std::size_t>(rowsPerTeam) * e, 0);
  std::vector<std::pair<int, int>> erase;
  auto issue = [&](int i, int j, std::string why, bool notATick) {
    run.issues.push_back(EntryIssue{ws.Name(), CellName(f::kFirstAthleteRow + i, f::kFirstEventCol + j),
                                    cells[i + 1][0].ToText(), cells[0][kEventAt + j].ToText(), std::move(why),
                                    notATick});
  };
  for (int i = 0; i < rowsPerTeam; ++i) {
    const std::vector<CellValue>& row = cells[i + 1];
    team.names.push_back(row[0]);
    int counted = 0;
    bool full = false;
    for (int j = 0; j < e; ++j) {
      const CellValue& cell = row[kEventAt + j];
      if (meet::IsBlank(cell)) continue;
      const bool tick = IsEntryTick(cell);
      if (full && !relay[j]) {
        erase.emplace_back(f::kFirstAthleteRow + i, f::kFirstEventCol + j);
        issue(i, j, tick ? text::OverEventLimit(run.maxEvents) : text::NotATickErased(cell.ToText()), !tick);
        continue;
      }
      if (!tick) {
        issue(i, j, text::NotATick(cell.ToText()), true);
        continue;
      }
      team.ticks[static_cast<std::size_t>(i) * e + j] = 1;
      if (!relay[j] && ++counted == run.maxEvents) full = true;
    }
  }
  team.takesPart = !meet::IsBlank(team.names[0]);
  if (!erase.empty()) {
    meet::SheetOpen open(ws, meet::AtEnd::Restore);
    for (const auto& [r, c] : erase) ws.Cells(r, c).SetLiteral(CellValue());
  }
  return team;
}

// The entrants of one event row, and the count written beside them.
struct EventList {
  std::vector<CellValue> names;
  std::vector<CellValue> numbers;
};

EventList CollectEntrants(Run& run, const std::string& title, const std::vector<std::string>& headings,
                          const ValueGrid& numbers) {
  EventList list;
  const meet::EventTitleParts parts = meet::SplitEventTitle(title);
  const std::string& grade = parts.grade;
  const std::string& sex = parts.sex;
  const std::string& event = parts.event;
  const auto heading = std::find(headings.begin(), headings.end(), event);
  if (heading == headings.end()) return list;  // no such event on the forms: no entrants
  const int j = static_cast<int>(heading - headings.begin());
  const meet::TeamRange range = meet::FindPosition(run.grades, grade);
  const int first = std::max(range.first, 1), last = std::min(range.last, run.teamCount);
  const int block = run.rowsPerTeam / 2;
  const int i0 = sex == meet::kFemale ? block : 0;  // 男子 and 混合 take the men's block

  if (event.ends_with(f::kRelaySuffix)) {
    // A team's relay entry is the tick in the first row of its block.
    for (int t = first; t <= last && static_cast<int>(list.names.size()) < ev::MaxEntrantsPerEvent; ++t) {
      const TeamEntries& team = run.teams[t - 1];
      if (team.takesPart && run.Ticked(team, i0, j)) list.names.push_back(team.teamName);
    }
    return list;
  }
  auto dropped = [&](int t, int i, std::string why) {
    run.issues.push_back(EntryIssue{meet::TeamSheetName(t), CellName(f::kFirstAthleteRow + i, f::kFirstEventCol + j),
                                    run.teams[t - 1].names[i].ToText(), title, std::move(why), false});
  };
  for (int t = first; t <= last; ++t) {
    const TeamEntries& team = run.teams[t - 1];
    if (!team.takesPart) continue;
    int taken = 0;
    for (int i = i0; i < i0 + block; ++i) {
      if (!run.Ticked(team, i, j)) continue;
      if (meet::IsBlank(team.names[i])) {
        dropped(t, i, std::string(text::kTickWithoutName));
        continue;
      }
      if (taken >= run.maxPerTeam) {
        dropped(t, i, text::OverTeamLimit(run.maxPerTeam));
        continue;
      }
      if (static_cast<int>(list.names.size()) == ev::MaxEntrantsPerEvent) {
        dropped(t, i, text::OverEventCapacity(ev::MaxEntrantsPerEvent));
        continue;
      }
      list.names.push_back(team.names[i]);
      // Block row i of team t in 号码对照表 (0-based from its row 2).
      list.numbers.push_back(numbers[static_cast<std::size_t>(t - 1) * run.rowsPerTeam + i][0]);
      ++taken;
    }
  }
  return list;
}

}  // namespace

// ---- what did not count ----

namespace text {
std::string NotATick(std::string_view mark) { return "“" + std::string(mark) + "”不是“√”，没有计入"; }
std::string NotATickErased(std::string_view mark) {
  return "“" + std::string(mark) + "”不是“√”，且超过每人限报项数，已从报名表删除";
}
std::string OverEventLimit(int maxEvents) {
  return "超过每人限报 " + std::to_string(maxEvents) + " 项，已从报名表删除";
}
std::string OverTeamLimit(int maxPerTeam) { return "超过每项每队限报 " + std::to_string(maxPerTeam) + " 人，没有计入"; }
std::string OverEventCapacity(int capacity) { return "该项目已满 " + std::to_string(capacity) + " 人，没有计入"; }
std::string EntryIssuesSummary(int notTicks, int dropped) {
  std::string s = "汇总完成，但有些报名没有计入：";
  if (notTicks > 0) s += "\n" + std::to_string(notTicks) + " 个报名格中填的不是“√”；";
  if (dropped > 0) s += "\n" + std::to_string(dropped) + " 个“√”超过限报或没有姓名；";
  return s;
}
std::string IssuesWritten(std::string_view path) {
  return "\n每一处（工作表、单元格、姓名、项目、原因）都列在“" + std::string(path) + "”中。";
}
std::string IssuesNotWritten(std::string_view reason) { return "\n无法写出检查清单：" + std::string(reason); }
}  // namespace text

bool IsEntryTick(const CellValue& v) {
  if (!v.IsText()) return false;
  std::string_view t = v.Text();
  // Blanks a user may type around the mark: space, tab, no-break space, ideographic space.
  auto trim = [&t](bool front) {
    for (std::string_view blank : {" ", "\t", "\u00a0", "\u3000"}) {
      if (front ? t.starts_with(blank) : t.ends_with(blank)) {
        front ? t.remove_prefix(blank.size()) : t.remove_suffix(blank.size());
        return true;
      }
    }
    return false;
  };
  while (trim(true)) {
  }
  while (trim(false)) {
  }
  return t == f::kEntryMark || t == kCheckMark;
}

std::string EntryIssuesPath(const host::Workbook& book) {
  return (std::filesystem::path(book.Path()) / kEntryIssuesFile).string();
}

void ReportEntryIssues(shell::Program& program, const host::Workbook& book, const std::vector<EntryIssue>& issues) {
  const std::string path = EntryIssuesPath(book);
  std::error_code ec;
  if (issues.empty()) {
    // A list from an earlier run would describe forms that are no longer so.
    if (!book.Path().empty()) std::filesystem::remove(path, ec);
    return;
  }
  int notTicks = 0;
  for (const EntryIssue& i : issues) notTicks += i.notATick;
  std::string written;
  if (book.Path().empty()) {
    written = text::IssuesNotWritten("运动会工作簿还没有保存的位置");
  } else {
    host::Workbook list(nullptr);
    host::Worksheet& ws = list.AppendSheetUnchecked(std::string(kEntryIssuesSheet));
    const char* headings[] = {"工作表", "单元格", "姓名", "项目", "原因"};
    for (int c = 0; c < 5; ++c) ws.PutValue(1, c + 1, headings[c]);
    int r = 2;
    for (const EntryIssue& i : issues) {
      for (int c = 0; c < 5; ++c) {
        const std::string& v = c == 0 ? i.sheet : c == 1 ? i.cell : c == 2 ? i.athlete : c == 3 ? i.event : i.why;
        ws.Cells(r, c + 1).SetLiteral(CellValue(v));
      }
      ++r;
    }
    const double widths[] = {8, 8, 12, 22, 44};
    for (int c = 0; c < 5; ++c) ws.Columns(c + 1).SetColumnWidth(widths[c]);
    try {
      host::ooxml::WriteWorkbookFile(list, path, host::FileKind::Xlsx);
      written = text::IssuesWritten(path);
    } catch (const host::HostError& e) {
      written = text::IssuesNotWritten(e.what());
    }
  }
  program.ui().MessageBox(text::EntryIssuesSummary(notTicks, static_cast<int>(issues.size()) - notTicks) + written,
                          shell::Icon::Exclamation);
}

// ---- RestoreItem ----

void RestoreItem(host::Workbook& book) {
  host::Worksheet& events = meet::RequireSheet(book, meet::kEventsSheet);
  meet::SheetOpen open(events, meet::AtEnd::Restore);
  std::vector<int> hidden;
  for (const auto& [r, row] : events.RowMap())
    if (row.hidden) hidden.push_back(r);
  for (int r : hidden) events.SetRowHidden(r, false);

  // A merged title starts with two neighbouring grades (初一初二男子100米);
  // its event belongs to the first of them.
  const std::vector<meet::Grade> grades = meet::ReadGrades(book);
  const int n = EventCount(events);
  for (int k = 1; k <= n; ++k) {
    const int row = ev::EventRow(k);
    const meet::EventTitleParts title = meet::SplitEventTitle(events.ValueAt(row, ev::kTitleCol).ToText());
    if (!title.merged) continue;
    for (std::size_t g = 0; g + 1 < grades.size(); ++g) {
      if (title.grade != grades[g].name + grades[g + 1].name) continue;
      events.Cells(row, ev::kTitleCol).SetLiteral(meet::EventTitle(grades[g].name, title.sex, title.event));
      break;
    }
  }

  host::Range(&events, {ev::kMergeFlagsFirst.row, ev::kMergeFlagsFirst.col, ev::kMergeFlagsFirst.row,
                        ev::kMergeFlagsFirst.col + ev::kMergeFlagCount - 1})
      .SetLiteral(CellValue());
  if (meet::IsText(events.ValueAt(ev::kFirstEventRow, ev::kGradeCol), ev::kAllJunior))
    events.Cells(ev::kMergeFlagsFirst.row, ev::kMergeFlagsFirst.col).SetLiteral(1);
}

// ---- SJHZ ----

void SJHZ(shell::Program& program, host::Workbook& book, const meet::Parameters& p, shell::CommandRandom& rng) {
  host::Worksheet& form = meet::RequireSheet(book, meet::kFormSampleSheet);
  host::Worksheet& events = meet::RequireSheet(book, meet::kEventsSheet);
  host::Worksheet& settings = meet::RequireSheet(book, meet::kSettingsSheet);
  Run run;
  run.events = FormEventCount(form);
  if (run.events <= 0) return;
  shell::CaptionNote caption(program, notes::kTidyEntries);

  run.rowsPerTeam = p.RowsPerTeam;
  run.maxPerTeam = p.MaxPerTeamPerEvent;
  run.maxEvents = p.MaxEventsPerAthlete;
  const int rowsPerTeam = run.rowsPerTeam;

  host::Worksheet* temp = nullptr;
  {
    meet::SheetOpen eventsOpen(events, meet::AtEnd::Protect);
    const int n = EventCount(events);
    RestoreItem(book);
    run.grades = meet::ReadGrades(book);
    run.teamCount = static_cast<int>(
        settings.ValueAt(meet::settings::TeamSheetCount.row, meet::settings::TeamSheetCount.col).ToWhole());
    run.teamCount = std::max(run.teamCount, 0);
    events.SetVisible(true);

    host::Worksheet& table = book.AddSheet(&events, nullptr, std::string(meet::kNumberTableSheet));
    table.Cells(nt::kHeadingRow, nt::kNameCol).SetLiteral(std::string(nt::kNameHeading));
    table.Cells(nt::kHeadingRow, nt::kNumberCol).SetLiteral(std::string(nt::kNumberHeading));
    table.Cells(nt::kHeadingRow, nt::kTeamCol)
        .SetLiteral(std::string(TeamMode(book) ? nt::kTeamHeadingTeamMode : nt::kTeamHeadingClassMode));
    const int lastRow = nt::kFirstRow + run.teamCount * rowsPerTeam - 1;
    if (lastRow >= nt::kFirstRow)
      host::Range(&table, {nt::kFirstRow, nt::kTeamCol, lastRow, nt::kTeamCol}).SetOrientation(host::xl::Vertical);

    // Surplus ticks, team by team; each sheet is read once.
    run.teams.reserve(run.teamCount);
    for (int t = 1; t <= run.teamCount; ++t) run.teams.push_back(TidyTeam(book.Sheet(t), run));

    // The athletes of every taking-part team into its fixed block of the number table.
    program.SetCaptionNote(notes::kCollectTeams);
    if (run.teamCount > 0) {
      ValueGrid names(static_cast<std::size_t>(run.teamCount) * rowsPerTeam, std::vector<CellValue>(1));
      for (int t = 1; t <= run.teamCount; ++t) {
        const TeamEntries& team = run.teams[t - 1];
        if (!team.takesPart) continue;
        for (int i = 0; i < rowsPerTeam; ++i)
          names[static_cast<std::size_t>(t - 1) * rowsPerTeam + i][0] = team.names[i];
      }
      table.Cells(nt::kFirstRow, nt::kNameCol).SetLiterals(names);
    }

    program.SetCaptionNote(notes::kNumbering);
    AutoNumber(book, rowsPerTeam);
    ValueGrid numbers;
    if (lastRow >= nt::kFirstRow)
      numbers = host::Range(&table, {nt::kFirstRow, nt::kNumberCol, lastRow, nt::kNumberCol}).Values();

    temp = &book.AddSheet(nullptr, &book.Sheet(book.Count()), std::string(meet::kTempSheet));

    // The entrants of every event row, written in one block per sheet.
    program.SetCaptionNote(notes::kCollectEvents);
    std::vector<std::string> headings;
    const ValueGrid headingCells =
        host::Range(&form, {f::kHeadingRow, f::kFirstEventCol, f::kHeadingRow, f::kFirstEventCol + run.events - 1})
            .Values();
    for (const CellValue& h : headingCells[0]) headings.push_back(h.ToText());
    if (n > 0) {
      const ValueGrid titles =
          host::Range(&events, {ev::EventRow(1), ev::kTitleCol, ev::EventRow(n), ev::kTitleCol}).Values();
      constexpr int kWidth = ev::kLastEntrantCol - ev::kEntrantCountCol + 1;  // E:CB
      ValueGrid lists(n, std::vector<CellValue>(kWidth));
      ValueGrid numberLists(n, std::vector<CellValue>(ev::MaxEntrantsPerEvent));
      for (int k = 0; k < n; ++k) {
        const EventList list = CollectEntrants(run, titles[k][0].ToText(), headings, numbers);
        lists[k][0] = CellValue(static_cast<int>(list.names.size()));
        std::copy(list.names.begin(), list.names.end(), lists[k].begin() + 1);
        std::copy(list.numbers.begin(), list.numbers.end(), numberLists[k].begin());
      }
      events.Cells(ev::kFirstEventRow, ev::kEntrantCountCol).SetLiterals(lists);
      temp->Cells(ev::kFirstEventRow, ev::kFirstEntrantCol).SetLiterals(numberLists);
    }
  }  // 比赛项目名单 protected again
  temp->SetVisible(false);

  program.SetCaptionNote(notes::kRandomOrder);
  SJPX(book, rng);
  events.Select();
  ReportEntryIssues(program, book, run.issues);
}

// ---- the menu command ----

void Consolidate(shell::Program& program) {
  host::Workbook* book = shell::RequireMeetWorkbook(program);
  if (!book) return;
  meet::Parameters parameters;
  if (meet::Refusal refused = CheckMeet(*book, parameters)) {
    program.ui().MessageBox(refused.Message(), shell::Icon::Exclamation);
    return;
  }
  meet::ScreenUpdatingOff screen(program.Host());
  meet::StructureOpen structure(*book, meet::AtEnd::Protect);
  const bool rerun = meet::delSht(*book, 1);
  if (host::Worksheet* reg = book->FindSheet(std::string(meet::kScoreRegisterSheet))) reg->SetVisible(false);

  if (rerun) shell::EnterMenuStep(program.Menu(), shell::MenuStep::NumbersRemoved);
  shell::EnterMenuStep(program.Menu(), shell::MenuStep::Consolidated, TeamMode(*book));

  shell::CommandRandom rng;
  SJHZ(program, *book, parameters, rng);
}

}  // namespace korvane::processing
