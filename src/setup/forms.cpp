#include "setup/forms.h"

#include <cmath>
#include <stdexcept>

#include "host/application.h"
#include "host/errors.h"
#include "host/range.h"
#include "host/utf8.h"
#include "meet/form_sheet.h"
#include "meet/guards.h"
#include "meet/layout.h"
#include "meet/sheets.h"
#include "setup/commands.h"
#include "setup/item_setup.h"

namespace korvane::setup {

using shell::Icon;

namespace {

constexpr int kMaxTeamsPerGrade = 99;  // so has the team number within a grade

// A cell read as a count: a whole number (or a text that reads as one).
// Empty reads as 0. false for anything else, fractions included.
bool ReadCount(const host::CellValue& v, long long& out) {
  double d = 0;
  if (v.IsBool() || !v.ToNumber(d) || !std::isfinite(d) || d != std::floor(d)) return false;
  out = v.ToWhole();
  return true;
}

std::string CellName(int row, int col) { return "设置!" + host::ColumnLetters(col) + std::to_string(row); }

struct Team {
  std::string name;
  bool hasLeader = false;  // team mode copies the leader beside the name
  host::CellValue leader;
};

// Everything CreateBMB needs, read and checked before anything changes.
struct FormsPlan {
  host::Worksheet* settings = nullptr;
  host::Worksheet* form = nullptr;
  host::Worksheet* events = nullptr;
  long long teamCount = 0;
  int rowsPerTeam = 0;
  std::vector<std::string> grades;
  std::vector<int> gradeTeams;
  std::vector<Team> teams;  // in team order
};

}  // namespace

// ---- texts ----

std::string MissingSheetText(std::string_view sheet) {
  return "工作簿中缺少工作表“" + std::string(sheet) + "”，无法创建报名表。";
}
std::string EmptyGradeNameText(int row) { return CellName(row, meet::settings::kGradeCol) + " 的年级名称不能为空。"; }
std::string BadTeamCountText(int row) {
  return CellName(row, meet::settings::kTeamsCol) + " 的班级（代表队）数必须是不小于0的整数。";
}
std::string TooManyTeamsText(int row) {
  return CellName(row, meet::settings::kTeamsCol) + " 的班级（代表队）数不能超过99（运动员号码中的队号只有两位）。";
}
std::string EmptyTeamNameText(int row, int col, int grade) {
  return CellName(row, col) + " 的代表队名称不能为空（代表队模式下，第" + std::to_string(grade) + "个年级的代表队填在" +
         host::ColumnLetters(col) + "、" + host::ColumnLetters(col + 1) + "两列，从第6行起）。";
}
std::string SheetExistsText(std::string_view name) {
  return "工作簿中已有名为“" + std::string(name) + "”的工作表，无法创建报名表。";
}
std::string SaveFailedText(std::string_view reason) { return "报名表已创建，但保存工作簿失败：" + std::string(reason); }

int TeamModeColumn(int grade) { return meet::settings::kTeamModeGrade1Col + 3 * (grade - 1); }

std::string ClassTeamName(std::string_view grade, int k) {
  return std::string(grade) + "(" + std::to_string(k) + ")班";
}

std::string NumberedTeamName(std::string_view grade, int k) {
  return std::string(grade) + "(" + std::to_string(k) + ")队";
}

// ---- CreateBMB ----

namespace {

// Reads and checks; the refusal, or none when the plan holds.
meet::Refusal MakePlan(host::Workbook& book, FormsPlan& plan, bool& nothingToCreate) {
  namespace s = meet::settings;
  using meet::Refusal;
  nothingToCreate = false;
  plan.settings = book.FindSheet(std::string(meet::kSettingsSheet));
  if (!plan.settings) return Refusal::Because(MissingSheetText(meet::kSettingsSheet));
  host::Worksheet& settings = *plan.settings;
  if (std::string fraction = meet::FractionalCountText(book); !fraction.empty()) return Refusal::Because(fraction);

  if (!ReadCount(settings.ValueAt(s::TeamSheetCount.row, s::TeamSheetCount.col), plan.teamCount))
    return Refusal::Because(std::string(kTeamCountNotNumber));
  if (plan.teamCount <= 0) {
    nothingToCreate = true;
    return {};
  }

  plan.form = book.FindSheet(std::string(meet::kFormSampleSheet));
  if (!plan.form) return Refusal::Because(MissingSheetText(meet::kFormSampleSheet));
  plan.events = book.FindSheet(std::string(meet::kEventsSheet));
  if (!plan.events) return Refusal::Because(MissingSheetText(meet::kEventsSheet));
  for (const meet::NameDefinition& def : meet::kDefinedNames)
    if (!book.FindSheet(std::string(def.sheet))) return Refusal::Because(MissingSheetText(def.sheet));

  const meet::Parameters parameters = meet::LoadParameters(book);
  if (Refusal refused = parameters.Validate({.formSize = true})) return refused;
  plan.rowsPerTeam = parameters.RowsPerTeam;

  // Grades: as many as the last used row of column A minus 1, at most seven.
  int n = settings.End(host::kMaxRows, s::kGradeCol, host::Direction::Up).first - 1;
  if (n > s::kMaxGrades) n = s::kMaxGrades;
  if (n < 1) return Refusal::Because(std::string(kNoGradesForForms));
  for (int r = s::kFirstGradeRow; r <= s::kLastGradeRow; ++r) {
    long long count = 0;
    if (!ReadCount(settings.ValueAt(r, s::kTeamsCol), count) || count < 0) return Refusal::Because(BadTeamCountText(r));
    if (count > kMaxTeamsPerGrade) return Refusal::Because(TooManyTeamsText(r));
    if (r <= n + 1) {
      host::CellValue name = settings.ValueAt(r, s::kGradeCol);
      if (meet::IsBlank(name)) return Refusal::Because(EmptyGradeNameText(r));
      // Event titles, athlete numbers and the grade merge read a grade as
      // the first two characters of a title.
      if (host::utf8::Length(name.ToText()) != 2) return Refusal::Because(GradeNameLengthText(r, name.ToText()));
      plan.grades.push_back(name.ToText());
      plan.gradeTeams.push_back(static_cast<int>(count));
    }
  }
  long long sum = 0;
  for (int c : plan.gradeTeams) sum += c;
  if (sum != plan.teamCount) return Refusal::Because(meet::settings::TeamTotalMismatchText(plan.teamCount, sum));

  // Team names in team order.
  const bool teamMode = settings.ValueAt(s::kTeamModeFlag.row, s::kTeamModeFlag.col).ToText() == s::kTeamModeMark;
  for (std::size_t g = 0; g < plan.grades.size(); ++g) {
    const int grade = static_cast<int>(g) + 1;
    const int col = TeamModeColumn(grade);
    // Beyond the second grade an empty table means the teams are numbered.
    bool listed = teamMode && grade <= 2;
    for (int k = 1; teamMode && !listed && k <= plan.gradeTeams[g]; ++k)
      listed = !meet::IsBlank(settings.ValueAt(s::kTeamModeFirstRow + k - 1, col));
    for (int k = 1; k <= plan.gradeTeams[g]; ++k) {
      Team team;
      if (listed) {
        const int row = s::kTeamModeFirstRow + k - 1;
        host::CellValue name = settings.ValueAt(row, col);
        if (meet::IsBlank(name)) return Refusal::Because(EmptyTeamNameText(row, col, grade));
        team.name = name.ToText();
        team.hasLeader = true;
        team.leader = settings.ValueAt(row, col + 1);
      } else if (teamMode) {
        team.name = NumberedTeamName(plan.grades[g], k);
      } else {
        team.name = ClassTeamName(plan.grades[g], k);
      }
      plan.teams.push_back(std::move(team));
    }
  }

  // The team sheets take the names "1", "2", ...
  for (long long t = 1; t <= plan.teamCount; ++t) {
    std::string name = meet::TeamSheetName(static_cast<int>(t));
    if (book.FindSheet(name)) return Refusal::Because(SheetExistsText(name));
  }
  return {};
}

// Sizes the sample form to rowsPerTeam athlete rows: rows are inserted inside each
// block (they take the format of the row above) and numbered 1 to rowsPerTeam / 2.
void SizeForm(host::Worksheet& form, int rowsPerTeam) {
  namespace f = meet::form;
  const int h = f::BlockRows(rowsPerTeam);
  for (int b = 1; b <= 2; ++b) {
    for (int k = 3; k <= h; ++k) {
      const int at = (b - 1) * h + 2 + k;
      form.InsertRows(at, 1);
      form.Cells(at, f::kRowNumberCol).SetLiteral(k - 1);
    }
  }
  form.Cells(h + 3, f::kRowNumberCol).SetLiteral(h);
  form.Cells(rowsPerTeam + 3, f::kRowNumberCol).SetLiteral(h);
  host::Range(&form, host::RangeRef{f::kFirstAthleteRow, 1, f::LastAthleteRow(rowsPerTeam), 1})
      .EntireRow()
      .SetRowHeight(f::AthleteRowHeight(rowsPerTeam));
}

}  // namespace

FormsResult CreateBMB(shell::Program& program, host::Workbook& book) {
  namespace s = meet::settings;
  FormsPlan plan;
  bool nothing = false;
  const meet::Refusal refused = MakePlan(book, plan, nothing);
  if (nothing) return FormsResult::NothingToCreate;
  if (refused) {
    program.ui().MessageBox(refused.Message(), Icon::Exclamation);
    return FormsResult::Refused;
  }

  // Put back as it was before the workbook is saved.
  meet::StructureOpen structure(book, meet::AtEnd::Restore);
  host::Worksheet& settings = *plan.settings;
  host::Worksheet& form = *plan.form;

  // The team names (and in team mode the leaders) in column D (E) of 设置.
  settings.Unprotect();
  for (std::size_t i = 0; i < plan.teams.size(); ++i) {
    const int row = s::TeamRow(static_cast<int>(i) + 1);
    settings.Cells(row, s::kTeamNameCol).SetLiteral(plan.teams[i].name);
    if (plan.teams[i].hasLeader) settings.Cells(row, s::kTeamLeaderCol).SetLiteral(plan.teams[i].leader);
  }
  settings.Protect(true, true, true);

  // The sample form: its computed cells frozen, sized to the team.
  form.Unprotect();
  host::Range(&form, host::RangeRef{meet::form::kTitleLine.row, meet::form::kTitleLine.col, meet::form::kTitleLine.row,
                                    meet::form::kTitleLine.col})
      .FreezeValues();
  form.Cells(meet::form::kTemplateClosingRow, meet::form::kRowNumberCol).FreezeValues();
  SizeForm(form, plan.rowsPerTeam);
  // Every tick cell offers "√", also on the form of a template made before the
  // forms had the list.
  meet::SetTickValidation(form, meet::form::LastAthleteRow(plan.rowsPerTeam),
                          form.End(meet::form::kHeadingRow, host::kMaxCols, host::Direction::ToLeft).second);
  form.Protect(true, true, true);

  shell::CaptionNote note(program, notes::kCreateForms);

  // One copy of the form per team, in front of 设置.
  for (std::size_t i = 0; i < plan.teams.size(); ++i) {
    host::Worksheet& copy = form.CopyTo(book, &settings, nullptr, meet::TeamSheetName(static_cast<int>(i) + 1));
    meet::SheetOpen unprotected(copy, meet::AtEnd::Restore);
    copy.Cells(meet::form::kTeamName.row, meet::form::kTeamName.col).SetLiteral(plan.teams[i].name);
  }

  for (const meet::NameDefinition& def : meet::kDefinedNames)
    book.AddName(meet::QualifiedName(def), std::string(def.refersTo));

  // Junior grades competing together as 初中 are flagged for the grade merge.
  host::Worksheet& events = *plan.events;
  if (events.ValueAt(meet::events::kFirstEventRow, meet::events::kGradeCol).ToText() == meet::events::kAllJunior) {
    meet::SheetOpen unprotected(events, meet::AtEnd::Restore);
    events.Cells(meet::events::kMergeFlagsFirst.row, meet::events::kMergeFlagsFirst.col).SetLiteral(1);
  }

  settings.SetVisible(false);
  form.SetVisible(false);
  events.SetVisible(false);
  book.Sheet(1).Select();
  structure.Restore();
  try {
    book.Save();
  } catch (const host::HostError& e) {
    program.ui().MessageBox(SaveFailedText(e.what()), Icon::Exclamation);
    return FormsResult::Refused;
  }
  return FormsResult::Created;
}

}  // namespace korvane::setup
