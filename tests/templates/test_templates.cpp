// The shipped templates, read back by our own host: the facts the commands
// rely on when they work on a meet, a schedule or a prize workbook made from
// them, and the page layouts that printing relies on.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <string>

#include "host/application.h"
#include "host/errors.h"
#include "host/pagination.h"
#include "host/range.h"
#include "host/utf8.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "meet/layout.h"

namespace {

using namespace korvane::host;
using namespace korvane::host::print;
namespace layout = korvane::meet;

const std::string kShare = KORVANE_SHARE_DIR;

std::string MeetTemplatePath() {
  return kShare + "/" + std::string(layout::kTemplateBaseName) +
         std::string(layout::ExtensionsForVersion("16.0").meetTemplate);
}
std::string ScheduleTemplatePath() {
  return kShare + "/" + std::string(layout::kScheduleTemplateBaseName) +
         std::string(layout::ExtensionsForVersion("16.0").plainTemplate);
}
std::string PrizeTemplatePath() {
  return layout::PrizeTemplatePath(kShare, layout::ExtensionsForVersion("16.0").plainTemplate);
}

// Last used row of a column / column of a row, found the way the commands do:
// from the sheet's edge back to the first cell with content.
int LastRow(const Worksheet& ws, int col) { return ws.End(Worksheet::RowsCount(), col, Direction::Up).first; }
int LastCol(const Worksheet& ws, int row) { return ws.End(row, Worksheet::ColumnsCount(), Direction::ToLeft).second; }

std::string Text(Worksheet& ws, const std::string& cell) { return ws.RangeAt(cell).Value().ToText(); }
bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

class MeetTemplate : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::exists(MeetTemplatePath())) << MeetTemplatePath();
    host.displayAlerts = false;
    book = &host.Open(MeetTemplatePath(), true);
  }
  Worksheet& Sheet(std::string_view name) { return book->Sheet(std::string(name)); }
  WorkbookHost host;
  Workbook* book = nullptr;
};

TEST_F(MeetTemplate, SettingsHoldAConsistentDefaultMeet) {
  Worksheet& s = Sheet(layout::kSettingsSheet);
  const int grades = LastRow(s, layout::settings::kGradeCol) - 1;
  ASSERT_GE(grades, 1);
  ASSERT_LE(grades, layout::settings::kMaxGrades);
  // No gap inside the grade column and nothing below it.
  int teams = 0;
  for (int g = 1; g <= grades; ++g) {
    const std::string name = s.ValueAt(g + 1, 1).ToText();
    EXPECT_EQ(utf8::Length(name), 2u) << "A" << g + 1;
    const long long count = s.ValueAt(g + 1, 2).ToWhole();
    EXPECT_GT(count, 0) << "B" << g + 1;
    teams += static_cast<int>(count);
    // Running total C(r): the grade in row r owns sheets C(r) - B(r) + 1 .. C(r).
    EXPECT_EQ(s.ValueAt(g + 1, 3).ToWhole(), teams) << "C" << g + 1;
  }
  EXPECT_EQ(s.ValueAt(9, 2).ToWhole(), teams) << "B9";
  EXPECT_FALSE(s.HasContent(layout::settings::FirstReportPage.row, layout::settings::FirstReportPage.col)) << "C1";

  const layout::Parameters p = layout::LoadParameters(*book);
  EXPECT_EQ(p.RowsPerTeam, 20);
  EXPECT_EQ(p.MaxPerTeamPerEvent, 2);
  EXPECT_EQ(p.MaxEventsPerAthlete, 2);
  EXPECT_EQ(p.MaxPerGroup, 12);
  EXPECT_NE(Text(s, "M1"), std::string(layout::settings::kTeamModeMark)) << "the default meet is in class mode";

  // Team t's name in D(t+1), as registration form creation names classes.
  int t = 0;
  for (int g = 1; g <= grades; ++g) {
    const std::string grade = s.ValueAt(g + 1, 1).ToText();
    for (int k = 1; k <= s.ValueAt(g + 1, 2).ToWhole(); ++k) {
      ++t;
      EXPECT_EQ(s.ValueAt(layout::settings::TeamRow(t), layout::settings::kTeamNameCol).ToText(),
                grade + "(" + std::to_string(k) + ")班");
    }
  }
  EXPECT_EQ(s.ValueAt(layout::settings::TeamRow(t + 1), layout::settings::kTeamNameCol).ToText(), "");
}

TEST_F(MeetTemplate, ComputedCellsFollowWhatTheOrganiserTypes) {
  // The template's formulas stay within what the host calculates, so the
  // workbook window shows current totals, class names and form texts.
  Worksheet& s = Sheet(layout::kSettingsSheet);
  Worksheet& f = Sheet(layout::kFormSampleSheet);
  s.RangeAt("B2").SetValue(CellValue(2));
  s.RangeAt("B3").SetValue(CellValue(1));
  s.RangeAt("A8").SetValue(CellValue("特长"));
  s.RangeAt("B8").SetValue(CellValue(2));
  s.RangeAt("H3").SetValue(CellValue(3));
  s.RangeAt("H4").SetValue(CellValue(4));
  const long long total = s.RangeAt("B9").Value().ToWhole();
  long long sum = 0;
  for (int r = 2; r <= 8; ++r) {
    sum += s.ValueAt(r, 2).ToWhole();
    EXPECT_EQ(s.ValueAt(r, 3).ToWhole(), sum) << "C" << r;
  }
  EXPECT_EQ(total, sum);
  EXPECT_EQ(Text(s, "D2"), "初一(1)班");
  EXPECT_EQ(Text(s, "D3"), "初一(2)班");
  EXPECT_EQ(Text(s, "D4"), "初二(1)班");
  EXPECT_EQ(Text(s, "D5"), "初三(1)班");
  EXPECT_EQ(s.ValueAt(static_cast<int>(total), 4).ToText(), "特长(1)班");
  EXPECT_EQ(s.ValueAt(static_cast<int>(total) + 1, 4).ToText(), "特长(2)班");
  EXPECT_EQ(s.ValueAt(static_cast<int>(total) + 2, 4).ToText(), "");
  const std::string note = Text(f, "B8");
  EXPECT_NE(note.find("每人限报4项"), std::string::npos) << note;
  EXPECT_NE(note.find("每项每队限报3人"), std::string::npos) << note;
  EXPECT_EQ(Text(f, "A2"), "班级：");
  s.RangeAt("M1").SetValue(CellValue(std::string(layout::settings::kTeamModeMark)));
  EXPECT_EQ(Text(f, "A2"), "代表队：");
  EXPECT_EQ(Text(s, "D2"), "") << "team names come from columns L and O in team mode";
}

TEST_F(MeetTemplate, OrganiserCellsAndTheReportPageAcceptInputWhileSettingsAreProtected) {
  Worksheet& s = Sheet(layout::kSettingsSheet);
  ASSERT_TRUE(s.ProtectContents());
  for (const char* cell : {"A2", "A8", "B2", "B8", "C1", "E2", "E40", "H2", "H5", "M1", "L6", "M6", "O6", "P30"})
    EXPECT_NO_THROW(s.RangeAt(cell).SetValue(CellValue(1))) << cell;
  // Computed cells stay as they are.
  for (const char* cell : {"C2", "B9", "D2"}) EXPECT_THROW(s.RangeAt(cell).SetValue(CellValue(1)), HostError) << cell;
}

TEST_F(MeetTemplate, RegistrationFormHasTheShapeTheCommandsRead) {
  Worksheet& f = Sheet(layout::kFormSampleSheet);
  namespace fm = layout::form;
  const int events = LastCol(f, fm::kHeadingRow) - 3;
  ASSERT_GE(events, 5);
  std::set<std::string> names;
  for (int c = fm::kFirstEventCol; c < fm::kFirstEventCol + events; ++c) {
    const std::string name = f.ValueAt(fm::kHeadingRow, c).ToText();
    ASSERT_FALSE(name.empty()) << "gap in the event headings at column " << c;
    EXPECT_TRUE(names.insert(name).second) << name;
    // A relay heading starts with its number of runners.
    if (EndsWith(name, std::string(fm::kRelaySuffix))) {
      EXPECT_TRUE(name[0] >= '1' && name[0] <= '9') << name;
    }
  }
  EXPECT_TRUE(names.count("4×100米接力"));
  // Two blocks of two rows, numbered 1 and 2, and the closing row 8 as the
  // last cell of column A.
  EXPECT_EQ(f.ValueAt(4, fm::kRowNumberCol).ToWhole(), 1);
  EXPECT_EQ(f.ValueAt(5, fm::kRowNumberCol).ToWhole(), 2);
  EXPECT_EQ(f.ValueAt(6, fm::kRowNumberCol).ToWhole(), 1);
  EXPECT_EQ(f.ValueAt(7, fm::kRowNumberCol).ToWhole(), 2);
  EXPECT_EQ(LastRow(f, 1), fm::kTemplateClosingRow);
  EXPECT_FALSE(f.FormulaAt(2, 1).empty()) << "A2 is computed";
  EXPECT_FALSE(f.FormulaAt(fm::kTemplateClosingRow, 2).empty()) << "B8 is computed";
  // Borders of the entry grid and the double line between the blocks.
  const int lastEvent = fm::kFirstEventCol + events - 1;
  for (int c = fm::kFirstEventCol; c <= lastEvent; ++c) {
    for (int r = 3; r <= 7; ++r) {
      EXPECT_NE(f.StyleAt(r, c).left.style, LineStyle::None) << r << "," << c;
      EXPECT_NE(f.StyleAt(r, c).bottom.style, LineStyle::None) << r << "," << c;
    }
    EXPECT_EQ(f.StyleAt(5, c).bottom.style, LineStyle::Double) << c;
  }
}

TEST_F(MeetTemplate, RegistrationFormPrintsOnOnePageForEveryFormSize) {
  Worksheet& f = Sheet(layout::kFormSampleSheet);
  EXPECT_EQ(Paginate(f).PageCount(), 1);
  // Sized as registration form creation sizes it for RowsPerTeam rowsPerTeam: rows
  // inserted into both blocks, athlete rows Int(56000 / rowsPerTeam) / 100 high.
  for (int rowsPerTeam : {4, 20, 40}) {
    book->Unprotect();
    Worksheet& copy = f.CopyTo(*book, nullptr, nullptr);
    copy.Unprotect();
    const int h = rowsPerTeam / 2;
    for (int b = 1; b <= 2; ++b) {
      // The rows k = 3..h that creation inserts one by one, in one step.
      if (h > 2) copy.InsertRows((b - 1) * h + 5, h - 2);
      for (int k = 3; k <= h; ++k) copy.Cells((b - 1) * h + 2 + k, 2).SetValue(CellValue(k - 1));
    }
    copy.Cells(h + 3, 2).SetValue(CellValue(h));
    copy.Cells(rowsPerTeam + 3, 2).SetValue(CellValue(h));
    for (int r = 4; r <= rowsPerTeam + 3; ++r) copy.SetRowHeight(r, layout::form::AthleteRowHeight(rowsPerTeam));
    EXPECT_EQ(LastRow(copy, 1), layout::form::ClosingRow(rowsPerTeam)) << rowsPerTeam;
    const Pagination p = Paginate(copy);
    EXPECT_EQ(p.PageCount(), 1) << "RowsPerTeam " << rowsPerTeam;
    ASSERT_EQ(p.rowBands.size(), 1u);
    EXPECT_GE(p.rowBands[0].last, layout::form::ClosingRow(rowsPerTeam));
    // Every tick cell of the sized form offers the mark.
    ASSERT_EQ(copy.DataValidations().size(), 1u);
    EXPECT_EQ(copy.DataValidations()[0].areas,
              (std::vector<RangeRef>{{4, 4, layout::form::LastAthleteRow(rowsPerTeam), LastCol(copy, 3)}}));
  }
}

// Twenty events fit one A4 page across as shipped; a long name is printed
// vertically, a short one across. The tick cells offer "√" in a drop-down
// and accept another mark after a notice.
TEST_F(MeetTemplate, RegistrationFormTakesTwentyEventsOnOnePageWithTicksFromAList) {
  Worksheet& f = Sheet(layout::kFormSampleSheet);
  const int events = LastCol(f, 3) - 3;
  ASSERT_EQ(f.DataValidations().size(), 1u);
  const DataValidation& ticks = f.DataValidations()[0];
  EXPECT_EQ(ticks.areas, (std::vector<RangeRef>{{4, 4, 7, 3 + events}}));
  EXPECT_EQ(ticks.type, "list");
  EXPECT_EQ(ticks.formula1, "\"√\"");
  EXPECT_EQ(ticks.errorStyle, "information");
  EXPECT_TRUE(ticks.inCellDropDown);
  EXPECT_TRUE(ticks.showErrorMessage);
  for (int c = 4; c <= 3 + events; ++c) {
    const std::string name = f.ValueAt(3, c).ToText();
    const int rotation = f.StyleAt(3, c).rotation;
    const int expected = name == "跳高" || name == "铅球"            ? 0
                         : name == "实心球"                          ? 255
                         : name == "4×100米接力" || name == "1500米" ? 90
                                                                     : rotation;
    EXPECT_EQ(rotation, expected) << name;
  }
  book->Unprotect();
  Worksheet& copy = f.CopyTo(*book, nullptr, nullptr);
  copy.Unprotect();
  for (int c = 4 + events; c <= 23; ++c) copy.Cells(3, c).SetValue(CellValue("三级跳远"));
  EXPECT_EQ(Paginate(copy).PageCount(), 1);
}

TEST_F(MeetTemplate, TeamSheetsAcceptTheTeamNameAndEntriesWhileProtected) {
  book->Unprotect();
  Worksheet& team = Sheet(layout::kFormSampleSheet).CopyTo(*book, &Sheet(layout::kSettingsSheet), nullptr);
  ASSERT_TRUE(team.ProtectContents());
  EXPECT_NO_THROW(team.RangeAt("C2").SetValue(CellValue("高一(3)班")));
  const int lastEvent = LastCol(team, 3);
  for (int r = 4; r <= 7; ++r) {
    EXPECT_NO_THROW(team.Cells(r, 3).SetValue(CellValue("张三"))) << r;
    for (int c = 4; c <= lastEvent; ++c) EXPECT_NO_THROW(team.Cells(r, c).SetValue(CellValue("√"))) << r << "," << c;
    // Columns of events added later are open as well.
    EXPECT_NO_THROW(team.Cells(r, lastEvent + 5).SetValue(CellValue("√")));
  }
  // Headings and row numbers are not.
  EXPECT_THROW(team.RangeAt("D3").SetValue(CellValue("x")), HostError);
  EXPECT_THROW(team.RangeAt("B4").SetValue(CellValue(9)), HostError);
}

TEST_F(MeetTemplate, EventListMatchesTheCatalogueAndGrades) {
  Worksheet& e = Sheet(layout::kEventsSheet);
  Worksheet& f = Sheet(layout::kFormSampleSheet);
  Worksheet& s = Sheet(layout::kSettingsSheet);
  namespace ev = layout::events;
  const int n = static_cast<int>(e.ValueAt(ev::kEventCount.row, ev::kEventCount.col).ToWhole());
  ASSERT_GT(n, 0);
  EXPECT_EQ(LastRow(e, ev::kTitleCol), ev::EventRow(n));
  std::set<std::string> catalogue, grades;
  for (int c = 4; c <= LastCol(f, 3); ++c) catalogue.insert(f.ValueAt(3, c).ToText());
  for (int r = 2; r <= LastRow(s, 1); ++r) grades.insert(s.ValueAt(r, 1).ToText());
  std::set<std::string> titles;
  for (int k = 1; k <= n; ++k) {
    const int r = ev::EventRow(k);
    const RangeRef* merged = e.MergeAt(r, ev::kGradeCol);
    const std::string grade = e.ValueAt(merged ? merged->r1 : r, ev::kGradeCol).ToText();
    const std::string title = e.ValueAt(r, ev::kTitleCol).ToText();
    EXPECT_TRUE(grades.count(grade)) << title;
    ASSERT_GT(title.size(), 12u);
    EXPECT_EQ(title.substr(0, 6), grade);
    const std::string sex = title.substr(6, 6);
    EXPECT_TRUE(sex == "男子" || sex == "女子" || sex == "混合") << title;
    EXPECT_TRUE(catalogue.count(title.substr(12))) << title;
    EXPECT_TRUE(titles.insert(title).second) << "twice: " << title;
    const long long rule = e.ValueAt(r, ev::kLaneRuleCol).ToWhole(), method = e.ValueAt(r, ev::kMethodCol).ToWhole();
    EXPECT_TRUE(rule >= 1 && rule <= 3) << title;
    EXPECT_TRUE(method >= 1 && method <= 5) << title;
    EXPECT_NE(e.StyleAt(r, ev::kLastEntrantCol).right.style, LineStyle::None) << "border to column 80, " << title;
    // A merged grade cell covers exactly a run of one grade.
    if (merged && merged->r1 > ev::kFirstEventRow) {
      EXPECT_NE(e.ValueAt(merged->r1 - 1, ev::kTitleCol).ToText().substr(0, 6), grade);
    }
  }
  EXPECT_FALSE(e.HasContent(1, 6));  // F1: no grade merge yet
  ASSERT_TRUE(e.ProtectContents());
  EXPECT_NO_THROW(e.RangeAt("F1").SetValue(CellValue(1)));
  EXPECT_NO_THROW(e.RangeAt("I1").SetValue(CellValue(1)));
}

TEST_F(MeetTemplate, ScoreRegisterNamesAndHighlightingAreInPlace) {
  Worksheet& g = Sheet(layout::kScoreRegisterSheet);
  for (const layout::NameDefinition& def : layout::kDefinedNames) {
    const DefinedName* n = book->FindName(std::string(def.name), &Sheet(def.sheet));
    ASSERT_NE(n, nullptr) << def.name;
    EXPECT_EQ(n->refersTo, std::string(def.refersTo)) << def.name;
  }
  EXPECT_EQ(book->NameCount(), static_cast<int>(layout::kDefinedNames.size()));

  const int events = static_cast<int>(Sheet(layout::kEventsSheet).ValueAt(2, 4).ToWhole());
  bool numbers = false, results = false;
  for (const ConditionalFormat& cf : g.ConditionalFormats()) {
    for (const ConditionalRule& rule : cf.rules) {
      const bool usesNumbers = rule.formula.find("条件1") != std::string::npos;
      const bool usesResults = rule.formula.find("条件2") != std::string::npos;
      if (!usesNumbers && !usesResults) continue;
      EXPECT_TRUE(rule.format.fill != 0 || rule.format.fontColor != 0) << "a visible highlight";
      for (const RangeRef& a : cf.areas) {
        EXPECT_LE(a.r1, 3);
        EXPECT_GE(a.r2, 2 * events + 2) << "every event of the default meet is covered";
        EXPECT_EQ(a.c1, 5);
        EXPECT_GE(a.c2, 5 + layout::events::MaxEntrantsPerEvent - 1);
      }
      numbers |= usesNumbers;
      results |= usesResults;
    }
  }
  EXPECT_TRUE(numbers);
  EXPECT_TRUE(results);

  // Results and the number of places are typed in while the sheet is protected.
  ASSERT_TRUE(g.ProtectContents());
  for (int k : {1, 2, events}) {
    EXPECT_NO_THROW(g.Cells(2 * k + 1, 3).SetValue(CellValue(3))) << k;
    EXPECT_NO_THROW(g.Cells(2 * k + 2, 5).SetValue(CellValue(12.5))) << k;
    EXPECT_NO_THROW(g.Cells(2 * k + 2, 79).SetValue(CellValue(12.5))) << k;
  }
  EXPECT_FALSE(g.HasContent(3, 1));
  EXPECT_TRUE(g.HasContent(1, 1) || g.HasContent(2, 1));
}

TEST_F(MeetTemplate, SheetsAreVisibleOrHiddenAsTheCommandsExpect) {
  ASSERT_EQ(book->Count(), layout::kFixedSheetCount);
  for (int i = 0; i < layout::kFixedSheetCount; ++i) EXPECT_EQ(book->Sheet(i + 1).Name(), layout::kTemplateSheets[i]);
  for (std::string_view n : {layout::kRecordSheet1, layout::kRecordSheet2, layout::kRecordSheet3}) {
    EXPECT_FALSE(Sheet(n).Visible()) << n;
    EXPECT_TRUE(Sheet(n).ProtectContents()) << n;
  }
  for (std::string_view n : {layout::kSettingsSheet, layout::kFormSampleSheet, layout::kEventsSheet})
    EXPECT_TRUE(Sheet(n).Visible()) << n;
  EXPECT_EQ(book->ActiveSheet().Name(), layout::kSettingsSheet);
  EXPECT_TRUE(book->Protection().structure);
}

// ---- the judges' forms, used as the record tables use them ----

class RecordForms : public MeetTemplate {
 protected:
  void SetUp() override {
    MeetTemplate::SetUp();
    // Work on a meet workbook made from the template, as the program does.
    book = &host.Add(MeetTemplatePath());
    book->Unprotect();
    for (std::string_view n : {layout::kRecordSheet1, layout::kRecordSheet2, layout::kRecordSheet3})
      Sheet(n).SetVisible(true);
  }
  // Copies a record template after the last sheet under a new name.
  Worksheet& CopyOut(std::string_view from, std::string_view name) {
    Worksheet& copy = Sheet(from).CopyTo(*book, nullptr, &book->Sheet(book->Count()));
    copy.SetName(std::string(name));
    return copy;
  }
  // Writes the reserved cells of a form whose top row is `top`, with `entrants`
  // entrants, as the record tables do; every write respects sheet protection.
  void Fill(Worksheet& ws, int top, bool timed, bool relay, int titleCol, int groupCol, int entrants) {
    ws.Cells(top + 1, titleCol).SetValue(CellValue("初一男子100米预赛"));
    ws.Cells(top + 1, groupCol).SetValue(CellValue("第1-2组"));
    ws.Cells(top + 1, groupCol + 1).SetValue(CellValue(3));
    const int r = top + 3;
    if (timed) {
      ws.Cells(top + 2, 10).SetValue(CellValue("打印顺序号:001"));
      for (int i = 0; i < entrants; ++i) {
        ws.Cells(r, 2 + i).SetValue(CellValue("张三"));
        if (!relay) ws.Cells(r + 1, 2 + i).SetValue(CellValue("70101"));
      }
    } else {
      for (int i = 0; i < entrants; ++i) {
        ws.Cells(r + i, 1).SetValue(CellValue("70101"));
        ws.Cells(r + i, 2).SetValue(CellValue("张三"));
      }
    }
  }
};

TEST_F(RecordForms, ReservedCellsOfEveryFormStartEmptyAndAreOpen) {
  struct Reserved {
    std::string_view sheet;
    std::vector<std::string> cells;
  };
  const std::vector<Reserved> all = {
      {layout::kRecordSheet1,
       {"B2", "H2", "I2", "J3", "B4", "I4", "B5", "I5", "B12", "H12", "I12", "J13", "B14", "I14"}},
      {layout::kRecordSheet2, {"B2", "AT2", "AU2", "A4", "B4", "A23", "B23"}},
      {layout::kRecordSheet3,
       {"B2", "J2", "K2", "A4", "B4", "A17", "B17", "B22", "J22", "K22", "A24", "B24", "A37", "B37"}},
  };
  for (const Reserved& r : all) {
    Worksheet& ws = Sheet(r.sheet);
    ASSERT_TRUE(ws.ProtectContents()) << r.sheet;
    for (const std::string& cell : r.cells) {
      EXPECT_TRUE(ws.RangeAt(cell).Text().empty()) << r.sheet << "!" << cell;
      EXPECT_NO_THROW(ws.RangeAt(cell).SetValue(CellValue("x"))) << r.sheet << "!" << cell;
    }
  }
}

TEST_F(RecordForms, FormsOccupyExactlyTheirRanges) {
  // Content and lines of each sheet stay inside its forms; the gap rows between
  // two forms of a sheet are empty.
  struct Expect {
    std::string_view sheet;
    std::vector<RangeRef> forms;
  };
  const std::vector<Expect> all = {
      {layout::kRecordSheet1, {*ParseA1("A1:J7"), *ParseA1("A11:J16")}},
      {layout::kRecordSheet2, {*ParseA1("A1:AW23")}},
      {layout::kRecordSheet3, {*ParseA1("A1:L17"), *ParseA1("A21:L37")}},
  };
  for (const Expect& x : all) {
    Worksheet& ws = Sheet(x.sheet);
    const std::optional<RangeRef> printed = ws.PrintedArea();
    ASSERT_TRUE(printed) << x.sheet;
    EXPECT_EQ(printed->r2, x.forms.back().r2) << x.sheet;
    EXPECT_EQ(printed->c2, x.forms.back().c2) << x.sheet;
    for (const RangeRef& f : x.forms) {
      // The form's top row and last row hold something, its corners are lined.
      EXPECT_NE(ws.StyleAt(f.r2, f.c2).bottom.style, LineStyle::None) << x.sheet << " bottom right";
      EXPECT_NE(ws.StyleAt(f.r2, f.c1).left.style, LineStyle::None) << x.sheet << " bottom left";
      EXPECT_TRUE(ws.HasContent(f.r1, 1)) << x.sheet << " title row " << f.r1;
    }
    for (std::size_t i = 1; i < x.forms.size(); ++i)
      for (int r = x.forms[i - 1].r2 + 1; r < x.forms[i].r1; ++r)
        for (int c = 1; c <= x.forms[i].c2; ++c) {
          EXPECT_FALSE(ws.HasContent(r, c)) << x.sheet << " gap row " << r;
          EXPECT_EQ(ws.StyleAt(r, c).bottom.style, LineStyle::None) << x.sheet << " gap row " << r;
        }
  }
}

TEST_F(RecordForms, TimedSheetTakesFormCopiesAndFoldsTwoPagesOntoOneB4Sheet) {
  Worksheet& t = CopyOut(layout::kRecordSheet1, layout::kStartFinishSheet);
  t.Unprotect();
  t.Rows("11:16").Delete();
  t.Protect();
  Worksheet& tmpl = Sheet(layout::kRecordSheet1);
  // Forms at T = 1, 11, 18, 28, 35, 45: three 17-row pages of two forms each,
  // the third one a relay.
  int r = 4;
  for (int i = 0; i < 6; ++i) {
    const bool relay = i == 2;
    if (r > 10) tmpl.RangeAt(relay ? "A11:J16" : "A1:J7").Copy(t.Cells(r - 3, 1));
    Fill(t, r - 3, true, relay, 2, 8, relay ? 6 : 8);
    r += (r - 4) % 17 == 0 ? 10 : 7;
  }
  const Pagination before = Paginate(t);
  EXPECT_DOUBLE_EQ(before.scale, 1.0) << "the columns fit without shrinking";
  ASSERT_EQ(before.colBands.size(), 1u);
  ASSERT_EQ(before.rowBands.size(), 3u) << "17 rows to a page";
  for (int p = 0; p < 3; ++p) {
    EXPECT_EQ(before.rowBands[p].first, 17 * p + 1);
    EXPECT_EQ(before.rowBands[p].last, 17 * p + 17);
  }
  // The fold: the second half of the pages moves beside the first half.
  const int last = r - 4;
  const int pages = last / 17;
  const int first = 17 * ((pages + 1) / 2) + 1;
  t.RangeAt("A" + std::to_string(first) + ":J" + std::to_string(last)).Cut(t.RangeAt("L1"));
  const Pagination after = Paginate(t);
  EXPECT_EQ(after.colBands.size(), 1u) << "A:U on one sheet across";
  ASSERT_EQ(after.rowBands.size(), 2u);
  EXPECT_EQ(after.rowBands[0].last, 17);
  EXPECT_EQ(t.RangeAt("M2").Text(), "初一男子100米预赛");
}

TEST_F(RecordForms, HeightSheetPutsOneFormOnEachB4Page) {
  Worksheet& h = CopyOut(layout::kRecordSheet2, layout::kHeightRecordSheet);
  ASSERT_TRUE(h.ProtectContents()) << "the copy keeps the template's protection";
  Worksheet& tmpl = Sheet(layout::kRecordSheet2);
  int r = 4;
  for (int i = 0; i < 3; ++i) {
    if (r - 3 > 23) tmpl.RangeAt("A1:AW23").Copy(h.Cells(r - 3, 1));
    Fill(h, r - 3, false, false, 2, 46, 20);
    r += 23;
  }
  const Pagination p = Paginate(h);
  EXPECT_DOUBLE_EQ(p.scale, 1.0) << "the columns fit without shrinking";
  ASSERT_EQ(p.colBands.size(), 1u) << "A:AW across one page";
  ASSERT_EQ(p.rowBands.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(p.rowBands[i].first, 23 * i + 1);
    EXPECT_EQ(p.rowBands[i].last, 23 * i + 23);
  }
}

TEST_F(RecordForms, DistanceAndCountedSheetsPutTwoFormsOnEachB4Page) {
  Worksheet& tmpl = Sheet(layout::kRecordSheet3);
  for (bool counted : {false, true}) {
    Worksheet& d = CopyOut(layout::kRecordSheet3, counted ? layout::kOtherRecordSheet : layout::kDistanceRecordSheet);
    d.Unprotect();
    d.Rows(counted ? "1:20" : "21:37").Delete();
    d.Protect();
    EXPECT_EQ(d.RangeAt("A1").Text(), tmpl.RangeAt(counted ? "A21" : "A1").Text());
    int r = 4;
    for (int i = 0; i < 4; ++i) {
      if (r - 3 > 17) tmpl.RangeAt(counted ? "A21:L37" : "A1:L17").Copy(d.Cells(r - 3, 1));
      Fill(d, r - 3, false, false, 2, 10, 14);
      r += (r - 4) % 37 == 0 ? 20 : 17;
    }
    const Pagination p = Paginate(d);
    EXPECT_DOUBLE_EQ(p.scale, 1.0) << "the columns fit without shrinking";
    ASSERT_EQ(p.colBands.size(), 1u);
    ASSERT_EQ(p.rowBands.size(), 2u) << (counted ? "counted" : "distance");
    EXPECT_EQ(p.rowBands[0].last, 37);
    EXPECT_EQ(p.rowBands[1].first, 38);
  }
}

// ---- the schedule template ----

TEST(ScheduleTemplate, ListsAndScheduleSheetsStartEmptyBelowTheirHeadings) {
  WorkbookHost host;
  Workbook& book = host.Add(ScheduleTemplatePath());
  Worksheet& lists = book.Sheet("附件");
  for (int start : {1, 8, 15, 18, 26}) {
    EXPECT_EQ(LastRow(lists, start), 2) << "block at column " << start;
    EXPECT_TRUE(lists.HasContent(2, start)) << "block at column " << start;
  }
  for (const char* name : {"径赛", "田赛"}) {
    Worksheet& ws = book.Sheet(name);
    EXPECT_EQ(LastRow(ws, 3), 1) << name;
    EXPECT_TRUE(ws.HasContent(1, 1)) << name;
    EXPECT_EQ(ws.Page().paperSize, xl::PaperA4) << name;
    EXPECT_FALSE(ws.Protection().on) << name;
    const Workbook::PrintTitles titles = book.PrintTitlesOf(ws);
    EXPECT_EQ(titles.row1, 1) << name;
    EXPECT_EQ(titles.row2, 1) << name;
  }
}

TEST(ScheduleTemplate, EachPageHoldsTwentyEightScheduleRowsAndAllColumns) {
  WorkbookHost host;
  Workbook& book = host.Add(ScheduleTemplatePath());
  for (const char* name : {"径赛", "田赛"}) {
    Worksheet& ws = book.Sheet(name);
    const int cols = LastCol(ws, 1);
    // The widest texts the schedule writes.
    const std::vector<std::string> wide = {"10月25日上午", "第一组裁判",  "10:30～11:15", "初一初二",
                                           "混合",         "4×100米接力", "预决赛",       "10组(75人)"};
    for (int r = 2; r <= 57; ++r)
      for (int c = 1; c <= cols; ++c) ws.Cells(r, c).SetValue(CellValue(wide[(c - 1) % wide.size()]));
    Pagination p = Paginate(ws);
    EXPECT_DOUBLE_EQ(p.scale, 1.0) << name << ": the columns fit without shrinking";
    EXPECT_EQ(p.colBands.size(), 1u) << name;
    ASSERT_EQ(p.rowBands.size(), 2u) << name << ": 56 schedule rows";
    EXPECT_EQ(p.rowBands[1].first, 30) << name;
    ws.Cells(58, 3).SetValue(CellValue("x"));
    EXPECT_EQ(Paginate(ws).rowBands.size(), 3u) << name << ": 57 schedule rows";
  }
}

// ---- the prize template ----

TEST(PrizeTemplate, SevenGradeBlocksWithGroupsPlacesAndOpenEventCells) {
  WorkbookHost host;
  Workbook& book = host.Add(PrizeTemplatePath());
  for (std::string_view type : layout::kAwardTypes) EXPECT_NE(book.FindSheet(std::string(type)), nullptr) << type;
  Worksheet& s = book.Sheet("设置");
  EXPECT_EQ(LastCol(s, 2), 5) << "event headings go to F2 onward";
  for (int g = 1; g <= 7; ++g) {
    const int top = 3 * g;
    EXPECT_FALSE(s.HasContent(top, 1)) << "grade name written from the meet, block " << g;
    const long long team = s.ValueAt(top, 4).ToWhole();
    EXPECT_TRUE(team >= 0 && team <= 10) << g;
    for (int r = top; r <= top + 2; ++r) {
      EXPECT_FALSE(s.ValueAt(r, 2).ToText().empty()) << "group name B" << r;
      const long long places = s.ValueAt(r, 5).ToWhole();
      EXPECT_TRUE(places >= 0 && places <= 10) << "E" << r;
      for (int c = 6; c <= 40; ++c) EXPECT_FALSE(s.HasContent(r, c)) << r << "," << c;
    }
  }
  EXPECT_FALSE(s.HasContent(24, 2)) << "blocks end at row 23";
  // The organiser's cells are open even if the sheet gets protected.
  s.Protect();
  for (const char* cell : {"B3", "D3", "E23", "F3", "Z23"})
    EXPECT_NO_THROW(s.RangeAt(cell).SetValue(CellValue(1))) << cell;
  s.Unprotect();
  // Deleting the blocks of missing grades (three grades here) keeps whole blocks.
  s.Rows("12:23").Delete();
  EXPECT_FALSE(s.HasContent(12, 2));
  for (const RangeRef& m : s.Merges()) EXPECT_TRUE(m.r2 <= 11 || m.r1 >= 12) << m.r1 << ":" << m.r2;
}

}  // namespace
