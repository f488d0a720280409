#include "processing/simulate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "host/application.h"
#include "host/range.h"
#include "meet/grades.h"
#include "meet/guards.h"
#include "meet/layout.h"
#include "meet/sheets.h"
#include "processing/commands.h"
#include "shell/menu_stages.h"

namespace korvane::processing {

namespace f = meet::form;
using shell::Answer;
using shell::Buttons;
using shell::Icon;

namespace {

// Whole number of a quotient as the application converts it: to the
// nearest, halves to the even neighbour.
int RoundHalfEven(double x) { return static_cast<int>(std::nearbyint(x)); }

bool IsRelayHeading(const host::CellValue& v) {
  if (!v.IsText()) return false;
  const std::string& s = v.Text();
  const std::string_view suffix = f::kRelaySuffix;
  return s.size() >= suffix.size() && std::string_view(s).substr(s.size() - suffix.size()) == suffix;
}

int EventCount(const host::Worksheet& form) {
  return form.End(f::kHeadingRow, host::kMaxCols, host::Direction::ToLeft).second - (f::kFirstEventCol - 1);
}

int TeamTotal(const std::vector<meet::Grade>& grades) { return grades.empty() ? 0 : grades.back().lastTeam; }

// First sheet row of the sex block s (1 men, 2 women) is one below this.
int BlockStart(int sex, int rowsPerTeam) {
  return RoundHalfEven(f::kFirstAthleteRow - 1 + (sex - 1) * rowsPerTeam / 2.0);
}

// Names and entries of one team sheet.
void SimulateTeam(host::Worksheet& team, int grade, int teamInGrade, int events, int athletes,
                  const meet::Parameters& p, shell::CommandRandom& rng) {
  const int rowsPerTeam = p.RowsPerTeam;
  meet::SheetOpen open(team, meet::AtEnd::Restore);

  // The made-up names; rows below the last simulated athlete keep theirs.
  for (int sex = 1; sex <= 2; ++sex) {
    if (athletes <= 0) break;
    host::ValueGrid names;
    for (int k = 1; k <= athletes; ++k) names.push_back({host::CellValue(SimulatedName(grade, teamInGrade, sex, k))});
    team.Cells(BlockStart(sex, rowsPerTeam) + 1, f::kAthleteNameCol).SetLiterals(names);
  }

  // Entries: the whole entry area is cleared, relays included, and refilled.
  std::vector<bool> individual(static_cast<std::size_t>(events));
  for (int j = 0; j < events; ++j)
    individual[static_cast<std::size_t>(j)] = !IsRelayHeading(team.ValueAt(f::kHeadingRow, f::kFirstEventCol + j));
  host::ValueGrid entries(static_cast<std::size_t>(rowsPerTeam),
                          std::vector<host::CellValue>(static_cast<std::size_t>(events)));
  const host::CellValue tick{std::string(f::kEntryMark)};

  for (int sex = 1; sex <= 2; ++sex) {
    std::vector<int> taken(static_cast<std::size_t>(events), 0);  // entrants of this team and sex per event
    std::vector<int> open;
    for (int k = 1; k <= athletes; ++k) {
      auto& row = entries.at(static_cast<std::size_t>(BlockStart(sex, rowsPerTeam) + k - f::kFirstAthleteRow));
      int given = 0, tries = 0;
      while (true) {
        // A draw among the individual events with room for this team: the
        // same choice as drawing among all events until one has room, and it
        // ends when none has room left.
        open.clear();
        for (int j = 0; j < events; ++j)
          if (individual[static_cast<std::size_t>(j)] && taken[static_cast<std::size_t>(j)] < p.MaxPerTeamPerEvent)
            open.push_back(j);
        if (open.empty()) break;
        const int j = open[static_cast<std::size_t>(rng.Below(static_cast<int>(open.size())))];
        host::CellValue& cell = row[static_cast<std::size_t>(j)];
        if (cell.IsEmpty()) {
          cell = tick;
          ++taken[static_cast<std::size_t>(j)];
          ++given;
        }
        ++tries;
        if (tries >= 2 * events || given >= p.MaxEventsPerAthlete) break;
      }
    }
  }
  team.Cells(f::kFirstAthleteRow, f::kFirstEventCol).SetLiterals(entries);
}

}  // namespace

// ---- texts and rules ----

std::string SimulationMissingSheetText(std::string_view sheet) {
  return "工作簿中没有工作表“" + std::string(sheet) + "”，无法模拟报名。";
}

std::string SimulationTeamSheetMissingText(int team) {
  return "找不到第" + std::to_string(team) + "队的报名表（工作表“" + meet::TeamSheetName(team) +
         "”），无法模拟报名。请先新建运动会工作簿。";
}

int SimulatedAthleteCount(int individualEvents, int maxPerTeamPerEvent, int maxEventsPerAthlete, int rowsPerTeam) {
  if (individualEvents <= 0) return 0;
  const long long demand = static_cast<long long>(individualEvents) * maxPerTeamPerEvent / maxEventsPerAthlete;
  const int rows = RoundHalfEven(rowsPerTeam / 2.0);
  return static_cast<int>(std::max(0LL, std::min<long long>(demand, rows)));
}

std::string SimulatedName(int grade, int team, int sex, int k) {
  std::string name(1, static_cast<char>('A' + grade - 1));
  if (team >= 1 && team <= 26)
    name += static_cast<char>('A' + team - 1);
  else if (team >= 27 && team <= 52)
    name += static_cast<char>('a' + team - 27);
  else
    name += std::to_string(team);
  name += std::to_string(sex);
  const std::string digits = "0" + std::to_string(k);
  return name + digits.substr(digits.size() - 2);
}

meet::Refusal SimulationRefusal(const host::Workbook& book, meet::Parameters& p) {
  using meet::Refusal;
  for (std::string_view sheet : {meet::kSettingsSheet, meet::kFormSampleSheet})
    if (!book.FindSheet(std::string(sheet))) return Refusal::Because(SimulationMissingSheetText(sheet));
  if (std::string fraction = meet::FractionalCountText(book); !fraction.empty()) return Refusal::Because(fraction);
  p = meet::LoadParameters(book);
  if (Refusal refused = p.Validate({.formSize = true, .entryLimits = true}, kSimulationCommand)) return refused;
  // Team t must be worksheet t: the simulation writes by position.
  const int teams = TeamTotal(meet::ReadGrades(book));
  for (int t = 1; t <= teams; ++t)
    if (t > book.Count() || book.Sheets()[static_cast<std::size_t>(t - 1)]->Name() != meet::TeamSheetName(t))
      return Refusal::Because(SimulationTeamSheetMissingText(t));
  return {};
}

// ---- the simulation ----

namespace {

void Simulate(shell::Program& program, host::Workbook& book, const meet::Parameters& p, shell::CommandRandom& rng) {
  host::Worksheet& form = book.Sheet(std::string(meet::kFormSampleSheet));

  const int events = EventCount(form);
  if (events > 0) {
    shell::CaptionNote note(program, notes::kSimulate);
    int relays = 0;
    for (int j = 0; j < events; ++j) relays += IsRelayHeading(form.ValueAt(f::kHeadingRow, f::kFirstEventCol + j));
    const int athletes =
        SimulatedAthleteCount(events - relays, p.MaxPerTeamPerEvent, p.MaxEventsPerAthlete, p.RowsPerTeam);
    const std::vector<meet::Grade> grades = meet::ReadGrades(book);
    for (std::size_t g = 0; g < grades.size(); ++g)
      for (int c = 1; c <= grades[g].teams; ++c)
        SimulateTeam(book.Sheet(grades[g].firstTeam + c - 1), static_cast<int>(g) + 1, c, events, athletes, p, rng);
  }
  if (book.Count() > 0 && book.Sheet(1).Visible()) book.Sheet(1).Select();
}

}  // namespace

void MNBM(shell::Program& program, host::Workbook& book, shell::CommandRandom& rng) {
  meet::Parameters p;
  if (SimulationRefusal(book, p)) return;
  Simulate(program, book, p, rng);
}

// ---- the command ----

void SimulatedRegistration(shell::Program& program) {
  host::Workbook* book = shell::RequireMeetWorkbook(program);
  if (!book) return;
  shell::Ui& ui = program.ui();
  meet::Parameters parameters;
  if (meet::Refusal refused = SimulationRefusal(*book, parameters)) {
    ui.MessageBox(refused.Message(), Icon::Exclamation);
    return;
  }
  if (ui.MessageBox(std::string(kSimulateQuestion), Icon::Question, Buttons::YesNo) != Answer::Yes) return;

  shell::CommandRandom rng;
  meet::ScreenUpdatingOff quiet(program.Host());
  meet::StructureOpen structure(*book, meet::AtEnd::Protect);
  Simulate(program, *book, parameters, rng);

  const bool hadNumbers = meet::delSht(*book, 1);
  for (std::string_view name : {meet::kEventsSheet, meet::kScoreRegisterSheet})
    if (host::Worksheet* ws = book->FindSheet(std::string(name))) ws->SetVisible(false);
  if (hadNumbers) {
    shell::ResetForm(program);
    shell::EnterMenuStep(program.Menu(), shell::MenuStep::EntriesReplaced);
  }
}

}  // namespace korvane::processing
