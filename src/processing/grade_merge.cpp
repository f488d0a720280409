#include "processing/grade_merge.h"

#include <algorithm>

#include "host/application.h"
#include "host/errors.h"
#include "host/range.h"
#include "host/utf8.h"
#include "meet/event_title.h"
#include "meet/grades.h"
#include "meet/guards.h"
#include "meet/layout.h"
#include "meet/sheets.h"
#include "processing/commands.h"
#include "processing/random_order.h"
#include "shell/menu_stages.h"

namespace korvane::processing {

namespace ev = meet::events;
using shell::Icon;

namespace {

constexpr int kOptionCount = 4;
// Sex and event name of a title.
std::string SexAndEvent(std::string_view title) {
  const meet::EventTitleParts parts = meet::SplitEventTitle(title);
  return parts.sex + parts.event;
}
bool IsRelay(std::string_view title) {
  const std::string_view suffix = meet::form::kRelaySuffix;
  return title.size() >= suffix.size() && title.substr(title.size() - suffix.size()) == suffix;
}

// A count cell as a number of entrants: a whole number within 0..75.
int EntrantCount(const host::CellValue& v) {
  const long long n = v.ToWhole();
  return static_cast<int>(std::clamp<long long>(n, 0, ev::MaxEntrantsPerEvent));
}

// The event rows of 比赛项目名单 (and the same cells of temp) as read before
// the merge changes anything. Index 0 is sheet row 3.
struct EventTable {
  int n = 0;
  host::ValueGrid names;    // columns A..CB of the event rows
  host::ValueGrid numbers;  // columns A..CB of the same rows of temp

  int EndRow() const { return ev::EventRow(n) + 1; }  // one past the last event row
  const host::CellValue& At(const host::ValueGrid& g, int row, int col) const {
    static const host::CellValue kEmpty;
    const auto i = static_cast<std::size_t>(row - ev::kFirstEventRow);
    const auto j = static_cast<std::size_t>(col - 1);
    if (i >= g.size() || j >= g[i].size()) return kEmpty;
    return g[i][j];
  }
  std::string Grade(int row) const { return At(names, row, ev::kGradeCol).ToText(); }
  std::string Title(int row) const { return At(names, row, ev::kTitleCol).ToText(); }
  int Count(int row) const { return EntrantCount(At(names, row, ev::kEntrantCountCol)); }
  // The first `count` entrant cells of a row.
  host::ValueGrid Entrants(const host::ValueGrid& g, int row, int count) const {
    host::ValueGrid out(1);
    for (int c = 0; c < count; ++c) out[0].push_back(At(g, row, ev::kFirstEntrantCol + c));
    return out;
  }
};

EventTable ReadEvents(host::Worksheet& events, host::Worksheet& temp) {
  EventTable t;
  const long long n = events.ValueAt(ev::kEventCount.row, ev::kEventCount.col).ToWhole();
  t.n = static_cast<int>(std::clamp<long long>(n, 0, host::kMaxRows - ev::kFirstEventRow + 1));
  if (t.n == 0) return t;
  const host::RangeRef rows{ev::kFirstEventRow, 1, ev::EventRow(t.n), ev::kLastEntrantCol};
  t.names = host::Range(&events, rows).Values();
  t.numbers = host::Range(&temp, rows).Values();
  return t;
}

// The first row from `from` on whose column A holds `grade`; EndRow() when none.
int FindGradeRow(const EventTable& t, int from, std::string_view grade) {
  if (grade.empty()) return t.EndRow();
  for (int r = std::max(from, ev::kFirstEventRow); r < t.EndRow(); ++r)
    if (t.Grade(r) == grade) return r;
  return t.EndRow();
}

// The rows of one grade's block: from `start` while the titles begin with
// the grade, never reaching `limit`.
std::vector<int> BlockRows(const EventTable& t, int start, int limit, std::string_view grade) {
  std::vector<int> rows;
  for (int r = start; r < std::min(limit, t.EndRow()); ++r) {
    if (meet::TitleGrade(t.Title(r)) != grade) break;
    rows.push_back(r);
  }
  return rows;
}

// Merges grade y into grade x (z is the grade after y, possibly empty).
void MergePair(host::Worksheet& events, host::Worksheet& temp, const EventTable& t, const std::string& x,
               const std::string& y, const std::string& z, MergeResult& result) {
  const int rx = FindGradeRow(t, ev::kFirstEventRow, x);
  const int ry = rx < t.EndRow() ? FindGradeRow(t, rx + 1, y) : t.EndRow();
  const int rz = ry < t.EndRow() ? FindGradeRow(t, ry + 1, z) : t.EndRow();
  const std::vector<int> first = BlockRows(t, rx, ry, x);
  const std::vector<int> second = BlockRows(t, ry, rz, y);
  const std::string merged = x + y;

  for (int r1 : first) {
    const std::string title1 = t.Title(r1);
    if (const meet::EventTitleParts parts = meet::SplitEventTitle(title1); parts.merged && parts.grade == merged)
      continue;  // merged already
    const std::string key = SexAndEvent(title1);
    int r2 = 0;
    for (int r : second) {
      if (SexAndEvent(t.Title(r)) == key) {
        r2 = r;
        break;
      }
    }
    if (r2 != 0) {
      const int c1 = t.Count(r1);
      const int c2 = t.Count(r2);
      if (c2 > 0) {
        if (c1 + c2 > ev::MaxEntrantsPerEvent) {
          result.keptApart.push_back({title1, t.Title(r2), c1, c2});
          continue;  // both rows stay as they are
        }
        const int to = ev::kFirstEntrantCol + c1;
        const host::RangeRef source{r2, ev::kFirstEntrantCol, r2, ev::kFirstEntrantCol + c2 - 1};
        events.Cells(r1, to).SetLiterals(t.Entrants(t.names, r2, c2));
        host::Range(&events, source).ClearContents();
        if (!IsRelay(title1)) {
          temp.Cells(r1, to).SetLiterals(t.Entrants(t.numbers, r2, c2));
          host::Range(&temp, source).ClearContents();
        }
        events.Cells(r2, ev::kEntrantCountCol).ClearContents();
        events.Cells(r1, ev::kEntrantCountCol).SetLiteral(c1 + c2);
      }
      events.SetRowHidden(r2, true);
    }
    events.Cells(r1, ev::kTitleCol).SetLiteral(merged + key);
  }
}

// The grade names of 设置, A2 down to the last used cell of column A.
std::vector<std::string> GradeNames(const host::Workbook& book) { return meet::GradeNames(meet::ReadGrades(book)); }

std::string JoinPair(std::string_view a, std::string_view b) { return std::string(a) + "、" + std::string(b); }

}  // namespace

// ---- texts and grades ----

std::string MergeMissingSheetText(std::string_view sheet) {
  return "工作簿中没有工作表“" + std::string(sheet) + "”，请先进行“汇总及编号”。";
}

std::string KeptApartText(const std::vector<KeptApart>& events) {
  std::string s = "下列项目两个年级的报名人数合计超过" + std::to_string(ev::MaxEntrantsPerEvent) + "人（每个项目最多" +
                  std::to_string(ev::MaxEntrantsPerEvent) + "人），未合并，仍按年级分别比赛：";
  for (const KeptApart& k : events)
    s += "\n" + k.firstTitle + "（" + std::to_string(k.firstCount) + "人）与" + k.secondTitle + "（" +
         std::to_string(k.secondCount) + "人）";
  return s;
}

std::vector<int> SchoolLevels(const std::vector<std::string>& grades) {
  std::vector<int> sizes;
  std::string previous;
  for (std::size_t i = 0; i < grades.size(); ++i) {
    const std::string first = host::utf8::Mid(grades[i], 1, 1);
    if (i == 0 || first != previous) sizes.push_back(0);
    ++sizes.back();
    previous = first;
  }
  return sizes;
}

// ---- the merge ----

MergeResult MergeGrades(shell::Program& program, host::Workbook& book, std::string_view choice,
                        const std::vector<int>& levelSizes, shell::CommandRandom& rng) {
  MergeResult result;
  result.reportsRemoved = meet::delSht(book, 3);
  if (host::Worksheet* reg = book.FindSheet(std::string(meet::kScoreRegisterSheet))) reg->SetVisible(false);

  host::Worksheet& events = book.Sheet(std::string(meet::kEventsSheet));
  host::Worksheet& temp = book.Sheet(std::string(meet::kTempSheet));
  const std::vector<std::string> grades = GradeNames(book);
  const EventTable table = ReadEvents(events, temp);
  auto gradeAt = [&](int index) { return index < static_cast<int>(grades.size()) ? grades[index] : std::string(); };

  for (int g = 1; g <= kOptionCount && g <= static_cast<int>(choice.size()); ++g) {
    if (choice[static_cast<std::size_t>(g - 1)] != '1') continue;
    // Index of the pair's first grade among the grades of 设置.
    const int first = (levelSizes.size() <= 1 || g < 3) ? g - 1 : g - 3 + levelSizes[0];
    const std::string x = gradeAt(first), y = gradeAt(first + 1), z = gradeAt(first + 2);
    if (x.empty() || y.empty()) continue;
    meet::SheetOpen openEvents(events, meet::AtEnd::Restore);
    meet::SheetOpen openTemp(temp, meet::AtEnd::Restore);
    MergePair(events, temp, table, x, y, z, result);
  }

  SJPX(book, rng);
  if (!result.keptApart.empty()) program.ui().MessageBox(KeptApartText(result.keptApart), Icon::Exclamation);
  return result;
}

// ---- the dialog ----

Frm年级合并::Frm年级合并(shell::Program& program, host::Workbook& book, std::vector<int> levelSizes,
                         shell::CommandRandom& rng)
    : DialogModel(std::string(kMergeDialogCaption)),
      Frame1(AddFrame("Frame1", std::string(kLevelFrame1))),
      Frame2(AddFrame("Frame2", std::string(kLevelFrame2))),
      Option(AddOptionButtons("Option")),
      OKButton(AddButton("OKButton", "确定", [this] { OKButton_Click(); })),
      CancelButton(AddButton("CancelButton", "取消", [this] { CancelButton_Click(); })),
      Label1(AddLabel("Label1", std::string(kNothingToMerge))),
      program_(program),
      book_(book),
      levelSizes_(std::move(levelSizes)),
      rng_(rng) {
  // Options 0 and 1 belong to the first level's frame, 2 and 3 to the
  // second's; each level chooses at most one pair.
  for (const char* caption : {"初一、初二", "初二、初三"}) Option.Add(caption, 1);
  for (const char* caption : {"高一、高二", "高二、高三"}) Option.Add(caption, 2);
  for (auto& o : Option.options) o.visible = false;
  Option.onClick = [this](int index) { Option_Click(index); };
  Label1.visible = false;
  left_ = {
      {"Frame1", 120}, {"Frame2", 120 + kColumnShift}, {"OKButton", 2280}, {"CancelButton", 3240}, {"Label1", 240}};
}

int Frm年级合并::Left(std::string_view control) const {
  auto it = left_.find(control);
  return it == left_.end() ? 0 : it->second;
}

void Frm年级合并::Load() {
  const int several =
      static_cast<int>(std::count_if(levelSizes_.begin(), levelSizes_.end(), [](int n) { return n > 1; }));
  if (several <= 1) {
    left_["OKButton"] -= kColumnShift;
    left_["CancelButton"] -= kColumnShift;
    width_ = kOneColumnWidth;
    if (several == 1) {
      if (levelSizes_.at(0) > 1) {
        Frame1.caption = std::string(kSingleLevelFrame);
        Frame2.visible = false;
      } else {
        Frame2.caption = std::string(kSingleLevelFrame);
        left_["Frame2"] -= kColumnShift;
        Frame1.visible = false;
      }
    } else {
      Frame1.visible = false;
      Frame2.visible = false;
      Label1.visible = true;
    }
  }
  if (levelSizes_.size() < 2) Frame2.visible = false;

  const std::vector<std::string> grades = GradeNames(book_);
  std::size_t start = 0;
  for (std::size_t b = 0; b < levelSizes_.size() && b < 2; ++b) {
    const std::size_t size = static_cast<std::size_t>(levelSizes_[b]);
    for (std::size_t pair = 0; pair < 2 && pair + 1 < size; ++pair) {
      auto& option = Option.At(static_cast<int>(2 * b + pair));
      option.visible = true;
      option.caption = JoinPair(grades.at(start + pair), grades.at(start + pair + 1));
    }
    start += size;
  }

  host::Worksheet& events = book_.Sheet(std::string(meet::kEventsSheet));
  auto flag = [&](int i) { return events.ValueAt(ev::kMergeFlagsFirst.row, ev::kMergeFlagsFirst.col + i).ToWhole(); };
  if (flag(0) + flag(1) != 0) Option.At(0).enabled = Option.At(1).enabled = false;
  if (flag(2) + flag(3) != 0) Option.At(2).enabled = Option.At(3).enabled = false;
  OKButton.enabled = false;
}

void Frm年级合并::Option_Click(int) { OKButton.enabled = true; }

std::string Frm年级合并::Choice() const {
  std::string choice;
  for (int q = 0; q < kOptionCount; ++q) choice += Option.At(q).value ? '1' : '0';
  return choice;
}

void Frm年级合并::OKButton_Click() {
  const std::string choice = Choice();
  host::Worksheet& events = book_.Sheet(std::string(meet::kEventsSheet));
  {
    meet::SheetOpen open(events, meet::AtEnd::Restore);
    for (int q = 0; q < kOptionCount; ++q)
      if (choice[static_cast<std::size_t>(q)] == '1')
        events.Cells(ev::kMergeFlagsFirst.row, ev::kMergeFlagsFirst.col + q).SetLiteral(1);
  }
  {
    meet::ScreenUpdatingOff quiet(program_.Host());
    result_ = MergeGrades(program_, book_, choice, levelSizes_, rng_);
    merged_ = true;
  }
  Close();
}

void Frm年级合并::CancelButton_Click() { Close(); }

// ---- the command ----

void Combine(shell::Program& program) {
  host::Workbook* book = shell::RequireMeetWorkbook(program);
  if (!book) return;
  for (std::string_view name : {meet::kSettingsSheet, meet::kEventsSheet, meet::kTempSheet}) {
    if (!book->FindSheet(std::string(name))) {
      program.ui().MessageBox(MergeMissingSheetText(name), Icon::Information);
      return;
    }
  }
  const std::vector<std::string> grades = GradeNames(*book);
  if (grades.size() <= 1) return;
  const std::vector<int> levels = SchoolLevels(grades);
  if (levels.size() >= 3) {
    program.ui().MessageBox(std::string(kTooManyLevels), Icon::Information);
    return;
  }

  shell::CommandRandom rng;
  meet::ScreenUpdatingOff quiet(program.Host());
  meet::StructureOpen structure(*book, meet::AtEnd::Protect);
  Frm年级合并 dialog(program, *book, levels, rng);
  {
    shell::CaptionNote note(program, notes::kMergeGrades);
    dialog.Load();
    program.ui().ShowDialog(dialog);
  }
  host::Worksheet& events = book->Sheet(std::string(meet::kEventsSheet));
  if (events.Visible()) events.Select();

  if (dialog.Result().reportsRemoved) {
    if (host::Worksheet* reg = book->FindSheet(std::string(meet::kScoreRegisterSheet))) reg->SetVisible(false);
    shell::EnterMenuStep(program.Menu(), shell::MenuStep::ReportsRemoved);
  }
}

}  // namespace korvane::processing
