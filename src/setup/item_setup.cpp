#include "setup/item_setup.h"

#include <algorithm>
#include <cmath>

#include "host/application.h"
#include "host/errors.h"
#include "host/range.h"
#include "host/utf8.h"
#include "meet/event_title.h"
#include "meet/form_sheet.h"
#include "meet/grades.h"
#include "meet/guards.h"
#include "meet/layout.h"
#include "meet/page_format.h"
#include "meet/sheets.h"

namespace korvane::setup {

namespace xl = host::xl;
using shell::Answer;
using shell::Buttons;
using shell::Icon;

namespace {

constexpr int kMaxCatalogue = 99;  // the catalogue number of a code has two digits
constexpr std::string_view kWholeSchoolJunior = meet::events::kAllJunior;  // 初中

// The sheets the dialog works on; a missing one is reported by the host.
host::Worksheet& SheetOf(host::Workbook& book, std::string_view name) { return book.Sheet(std::string(name)); }

bool IsEmptyCell(const host::Worksheet& ws, int row, int col) { return meet::IsBlank(ws.ValueAt(row, col)); }

int LastUsedColumnOfRow(const host::Worksheet& ws, int row) {
  return ws.End(row, host::kMaxCols, host::Direction::ToLeft).second;
}

int LastUsedRowOfColumn(const host::Worksheet& ws, int col) {
  return ws.End(host::kMaxRows, col, host::Direction::Up).first;
}

// The text after the first "_" of an entry (its event text), and before it (its code).
std::string EntryText(std::string_view entry) {
  auto p = entry.find('_');
  return p == std::string_view::npos ? std::string() : std::string(entry.substr(p + 1));
}
std::string EntryCode(std::string_view entry) {
  auto p = entry.find('_');
  return std::string(entry.substr(0, p));
}

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

int IndexOf(const std::vector<std::string>& items, std::string_view text) {
  auto it = std::find(items.begin(), items.end(), text);
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

// A code digit as the number the events sheet holds; anything else as text.
host::CellValue CodeDigit(std::string_view code, std::size_t position) {
  std::string ch = host::utf8::Mid(code, position, 1);
  if (ch.size() == 1 && ch[0] >= '0' && ch[0] <= '9') return host::CellValue(ch[0] - '0');
  return host::CellValue(ch);
}

}  // namespace

// ---- texts and names ----

std::string EmptyGradeText(int row) { return "年级列内部不能为空!(如单元格A" + std::to_string(row) + "无内容)"; }

std::string GradeNameLengthText(int row, std::string_view name) {
  return "年级名称必须是两个字!(如单元格A" + std::to_string(row) + "为“" + std::string(name) + "”)";
}

std::string DuplicateQuestion(std::string_view earlier, std::string_view later) {
  return "项目重复：\n" + std::string(earlier) + "\n" + std::string(later) + "\n删除前一项吗？";
}

std::string NormalizeEventName(std::string_view typed) {
  std::string out;
  for (char ch : typed) {
    if (ch == 'm')
      out += "米";
    else
      out += ch;
  }
  return out;
}

bool IsValidEventName(std::string_view name) {
  const std::u32string cps = host::utf8::Decode(name);
  if (cps.size() < 2) return false;
  auto ideograph = [](char32_t c) { return c >= 0x4E00 && c <= 0x9FA5; };
  for (char32_t c : cps)
    if (!((c >= U'0' && c <= U'9') || c == U'\u00D7' || ideograph(c))) return false;
  return ideograph(cps.back());
}

std::string MakeEntry(int grade, int catalogue, int sex, int rule, int method, std::string_view eventText) {
  return std::to_string(grade) + TwoDigits(catalogue) + std::to_string(sex) + std::to_string(rule) +
         std::to_string(method) + "_" + std::string(eventText);
}

// ---- the dialog ----

Frm项目管理::Frm项目管理(shell::Program& program, host::Workbook& book)
    : DialogModel("比赛项目"),
      List1(AddListBox("List1", 1, true)),
      Text1(AddTextBox("Text1")),
      CmdInsert(AddButton("CmdInsert", "新增", [this] { CmdInsert_Click(); })),
      CmdDel(AddButton("CmdDel", "删除", [this] { CmdDel_Click(); })),
      CmbGrade(AddComboBox("CmbGrade")),
      CmbSex(AddComboBox("CmbSex")),
      CmbRule(AddComboBox("CmbRule")),
      CmbMeasuringMethod(AddComboBox("CmbMeasuringMethod")),
      Select(AddButton("Select", ">>>", [this] { Select_Click(); })),
      Remove(AddButton("Remove", "<<<", [this] { Remove_Click(); })),
      List2(AddListBox("List2", 1, true)),
      CmdCheck(AddButton("CmdCheck", "校验", [this] { CmdCheck_Click(); })),
      CmdSave(AddButton("CmdSave", "应用", [this] { CmdSave_Click(); })),
      CmdClose(AddButton("CmdClose", "关闭", [this] { CmdClose_Click(); })),
      program_(program),
      book_(book),
      settings_(SheetOf(book, meet::kSettingsSheet)),
      form_(SheetOf(book, meet::kFormSampleSheet)),
      events_(SheetOf(book, meet::kEventsSheet)) {
  AddLabel("Label1", std::string(kInstruction));
  AddFrame("Frame1", "项目管理");
  AddLabel("Label2", "可选项目");  // heading of List1
  AddFrame("Frame2", "项目设置");
  AddLabel("Label3", "已设项目");  // heading of List2
  Text1.tip = "接力项目命名规则，如：“4×100米接力”或“4×100米*接力”";
  CmdInsert.tip = "新增可选项目";
  CmdDel.tip = "删除所选项目";
  CmbRule.tip = "分道标记";
  CmbMeasuringMethod.tip = "计量方法";
  Select.tip = "移入";
  Remove.tip = "移出";
  CmdCheck.tip = "对列表框中的内容进行校验";
  CmdSave.tip = "保存更改";
  CmdClose.tip = "直接退出";
  CmdSave.enabled = false;
}

int Frm项目管理::GradeCount(const host::Worksheet& settings) {
  return LastUsedRowOfColumn(settings, meet::settings::kGradeCol) - 1;
}

void Frm项目管理::Load() {
  namespace s = meet::settings;
  const std::vector<std::string> grades = meet::GradeNames(meet::ReadGrades(settings_));

  // The lowest junior grade (初一, 初二, ...; not 初中 itself): the junior
  // grades may compete together as 初中, then the grades below it follow.
  int junior = -1;
  for (int i = static_cast<int>(grades.size()) - 1; i >= 0; --i) {
    if (meet::SchoolLevel(grades[i]) == meet::events::kAllJunior && grades[i] != kWholeSchoolJunior) {
      junior = i;
      break;
    }
  }
  bool together = false;
  if (junior >= 0)
    together = program_.ui().MessageBox(std::string(kJuniorQuestion), Icon::Question, Buttons::YesNo) == Answer::No;
  CmbGrade.items.clear();
  if (together) {
    CmbGrade.items.push_back(std::string(kWholeSchoolJunior));
    CmbGrade.items.insert(CmbGrade.items.end(), grades.begin() + junior + 1, grades.end());
  } else {
    CmbGrade.items = grades;
  }
  CmbSex.items.assign(meet::kSexes.begin(), meet::kSexes.end());
  CmbRule.items.assign(meet::kLaneRuleNames.begin(), meet::kLaneRuleNames.end());
  CmbMeasuringMethod.items.assign(meet::kMeasuringMethodNames.begin(), meet::kMeasuringMethodNames.end());
  for (shell::ComboBox* combo : {&CmbGrade, &CmbSex, &CmbRule, &CmbMeasuringMethod})
    combo->SetListIndex(combo->items.empty() ? -1 : 0);

  // The catalogue: row 3 of the form from D rightward (empty cells skipped).
  List1.Clear();
  const int lastCol = LastUsedColumnOfRow(form_, meet::form::kHeadingRow);
  for (int c = meet::form::kFirstEventCol; c <= lastCol; ++c) {
    std::string name = form_.ValueAt(meet::form::kHeadingRow, c).ToText();
    if (!name.empty()) List1.AddRow({name});
  }

  // The configured events, rebuilt from their rows and checked at once.
  List2.Clear();
  long long k = events_.ValueAt(meet::events::kEventCount.row, meet::events::kEventCount.col).ToWhole();
  // A count beyond the used rows reads nothing more.
  k = std::min<long long>(k, LastUsedRowOfColumn(events_, meet::events::kTitleCol) - 2);
  if (k > 0) {
    for (int r = meet::events::kFirstEventRow; r <= k + 2; ++r) AddEntrySorted(RebuildEntry(r));
    RunCheck();
    Changed(2);
  }
}

std::string Frm项目管理::RebuildEntry(int row) const {
  namespace e = meet::events;
  const std::string s = events_.ValueAt(row, e::kTitleCol).ToText();
  std::string code;
  if (int g = IndexOf(CmbGrade.items, host::utf8::Mid(s, 1, 2)); g >= 0) code += std::to_string(g + 1);
  if (int c = CataloguePosition(host::utf8::Mid(s, 5)); c > 0) code += TwoDigits(c);
  if (int x = IndexOf(CmbSex.items, host::utf8::Mid(s, 3, 2)); x >= 0) code += std::to_string(x + 1);
  code += events_.ValueAt(row, e::kLaneRuleCol).ToText();
  code += events_.ValueAt(row, e::kMethodCol).ToText();
  return code + "_" + s;
}

std::vector<std::string> Frm项目管理::Catalogue() const {
  std::vector<std::string> out;
  for (int i = 0; i < List1.RowCount(); ++i) out.push_back(List1.Cell(i, 0));
  return out;
}

int Frm项目管理::CataloguePosition(std::string_view name) const {
  for (int i = 0; i < List1.RowCount(); ++i)
    if (List1.Cell(i, 0) == name) return i + 1;
  return 0;
}

void Frm项目管理::AddEntrySorted(const std::string& entry) {
  int at = 0;
  while (at < List2.RowCount() && List2.Cell(at, 0) <= entry) ++at;
  List2.AddRow({entry}, at);
}

void Frm项目管理::Changed(int mark) {
  if (mark == 1)
    catalogueMark_ = 1;
  else
    eventsMark_ = 2;
  CmdSave.enabled = true;
}

// ---- handlers ----

void Frm项目管理::CmdInsert_Click() {
  shell::Ui& ui = program_.ui();
  const std::string name = NormalizeEventName(Text1.Text());
  if (!IsValidEventName(name)) {
    ui.MessageBox(std::string(kInvalidEventName), Icon::Exclamation);
    return;
  }
  const std::vector<int> selected = List1.Selection();
  if (selected.size() > 1) {
    ui.MessageBox(std::string(kSeveralSelected), Icon::Exclamation);
    return;
  }
  if (int existing = CataloguePosition(name); existing > 0) {
    ui.MessageBox(std::string(kAlreadyThere), Icon::Exclamation);
    if (!selected.empty()) List1.SetSelected(selected.front(), false);
    List1.SetSelected(existing - 1, true);
    return;
  }
  if (List1.RowCount() >= kMaxCatalogue) {
    ui.MessageBox(std::string(kCatalogueFull), Icon::Exclamation);
    return;
  }
  int at = 0;
  if (!selected.empty()) {
    at = selected.front() + 1;
    List1.SetSelected(selected.front(), false);
  }
  List1.AddRow({name}, at);
  Changed(1);
}

void Frm项目管理::CmdDel_Click() {
  const std::vector<int> selected = List1.Selection();
  if (selected.empty()) return;
  for (auto it = selected.rbegin(); it != selected.rend(); ++it) List1.RemoveRow(*it);
  Changed(1);
}

void Frm项目管理::Select_Click() {
  const int grade = CmbGrade.ListIndex() + 1, sex = CmbSex.ListIndex() + 1, rule = CmbRule.ListIndex() + 1,
            method = CmbMeasuringMethod.ListIndex() + 1;
  if (grade < 1 || sex < 1 || rule < 1 || method < 1) return;  // a drop-down without a choice
  for (int i : List1.Selection()) {
    const std::string eventText = CmbGrade.Text() + CmbSex.Text() + List1.Cell(i, 0);
    const std::string entry = MakeEntry(grade, i + 1, sex, rule, method, eventText);
    int same = -1;
    for (int j = 0; j < List2.RowCount() && same < 0; ++j)
      if (EntryText(List2.Cell(j, 0)) == eventText) same = j;
    if (same >= 0)
      List2.SetCell(same, 0, entry);
    else
      AddEntrySorted(entry);
  }
  Changed(2);
}

void Frm项目管理::Remove_Click() {
  const std::vector<int> selected = List2.Selection();
  for (auto it = selected.rbegin(); it != selected.rend(); ++it) List2.RemoveRow(*it);
  Changed(2);
}

void Frm项目管理::CmdCheck_Click() {
  if (List2.RowCount() == 0) return;
  RunCheck();
  Changed(2);
}

void Frm项目管理::RunCheck() {
  // 1. Entries whose seventh character is not "_" (a code part was missing).
  // Those whose grade is not among the choices (after a rename, or with the
  // junior grades taken together) are counted per grade for 应用 to tell.
  for (int i = List2.RowCount() - 1; i >= 0; --i) {
    const std::string entry = List2.Cell(i, 0);
    if (host::utf8::Mid(entry, 7, 1) == "_") continue;
    const std::string grade = host::utf8::Mid(EntryText(entry), 1, 2);
    if (IndexOf(CmbGrade.items, grade) < 0) {
      auto it = std::find_if(droppedGrades_.begin(), droppedGrades_.end(),
                             [&](const DroppedGrade& g) { return g.grade == grade; });
      if (it == droppedGrades_.end())
        droppedGrades_.insert(droppedGrades_.begin(), DroppedGrade{grade, 1});  // walking backwards
      else
        ++it->count;
    }
    List2.RemoveRow(i);
  }
  // The grades in the order 比赛项目名单 lists them (the list sorts by code).
  auto firstRow = [this](const DroppedGrade& g) {
    const int last = LastUsedRowOfColumn(events_, meet::events::kTitleCol);
    for (int r = meet::events::kFirstEventRow; r <= last; ++r)
      if (meet::TitleGrade(events_.ValueAt(r, meet::events::kTitleCol).ToText()) == g.grade) return r;
    return host::kMaxRows;
  };
  std::stable_sort(droppedGrades_.begin(), droppedGrades_.end(),
                   [&](const DroppedGrade& a, const DroppedGrade& b) { return firstRow(a) < firstRow(b); });
  // 2. Entries of events no longer in the catalogue.
  for (int i = List2.RowCount() - 1; i >= 0; --i)
    if (CataloguePosition(host::utf8::Mid(List2.Cell(i, 0), 12)) == 0) List2.RemoveRow(i);
  // 3. Catalogue numbers follow the catalogue; the entry keeps its place.
  for (int i = 0; i < List2.RowCount(); ++i) {
    const std::string entry = List2.Cell(i, 0);
    const std::string number = TwoDigits(CataloguePosition(host::utf8::Mid(entry, 12)));
    if (host::utf8::Mid(entry, 2, 2) != number)
      List2.SetCell(i, 0, host::utf8::Mid(entry, 1, 1) + number + host::utf8::Mid(entry, 4));
  }
  // 4. One entry per grade, event and sex.
  for (int i = List2.RowCount() - 1; i >= 1; --i) {
    const std::string later = List2.Cell(i, 0);
    const std::string earlier = List2.Cell(i - 1, 0);
    if (host::utf8::Mid(later, 1, 4) != host::utf8::Mid(earlier, 1, 4)) continue;
    if (host::utf8::Mid(later, 5, 2) != host::utf8::Mid(earlier, 5, 2) &&
        program_.ui().MessageBox(DuplicateQuestion(earlier, later), Icon::Question, Buttons::YesNo) == Answer::Yes)
      List2.SetCell(i - 1, 0, later);
    List2.RemoveRow(i);
  }
}

std::string DroppedEventsText(const std::vector<DroppedGrade>& grades) {
  int total = 0;
  std::string list;
  for (const DroppedGrade& g : grades) {
    total += g.count;
    list += (list.empty() ? "" : "、") + g.grade + "（" + std::to_string(g.count) + " 项）";
  }
  return "有 " + std::to_string(total) + " 个已设项目的年级不在现在的年级列表中：" + list +
         "。\n应用后，这些项目已从比赛项目名单中删除。\n如果不想删除它们，请不要保存模板：“关闭所有”时对模板选“否”，"
         "这些项目就会保留。";
}

void Frm项目管理::CmdSave_Click() {
  const int m = catalogueMark_ + eventsMark_;
  const bool writesEvents = m != 1;
  if (m == 1) {
    WriteCatalogue();
  } else if (m == 2) {
    WriteEvents();
    events_.Select();
  } else {
    WriteCatalogue();
    WriteEvents();
  }
  catalogueMark_ = 0;
  eventsMark_ = 0;
  CmdSave.enabled = false;
  if (writesEvents && !droppedGrades_.empty()) {
    program_.ui().MessageBox(DroppedEventsText(droppedGrades_), Icon::Information);
    droppedGrades_.clear();
  }
}

void Frm项目管理::CmdClose_Click() { Close(); }

// ---- writers ----

void Frm项目管理::WriteCatalogue() {
  namespace f = meet::form;
  meet::SheetOpen unprotected(form_, meet::AtEnd::Restore);
  const int oldLast = LastUsedColumnOfRow(form_, f::kHeadingRow);
  if (oldLast >= f::kFirstEventCol) {
    host::Range(&form_, host::RangeRef{f::kHeadingRow, f::kFirstEventCol, f::kHeadingRow, oldLast}).ClearContents();
    meet::Borders_Setup(
        host::Range(&form_, host::RangeRef{f::kHeadingRow, f::kFirstEventCol, f::kTemplateFemaleLastRow, oldLast}),
        xl::LineNone);
  }
  const std::vector<std::string> catalogue = Catalogue();
  for (std::size_t i = 0; i < catalogue.size(); ++i)
    form_.Cells(f::kHeadingRow, f::kFirstEventCol + static_cast<int>(i)).SetLiteral(catalogue[i]);
  if (!catalogue.empty()) {
    const int last = f::kFirstEventCol + static_cast<int>(catalogue.size()) - 1;
    meet::Borders_Setup(
        host::Range(&form_, host::RangeRef{f::kHeadingRow, f::kFirstEventCol, f::kTemplateFemaleLastRow, last}),
        xl::Continuous);
    form_.Rows(f::kTitleRow).UnMerge();
    host::Range(&form_, host::RangeRef{f::kTitleRow, 1, f::kTitleRow, last}).Merge();
    host::Range(&form_, host::RangeRef{f::kTemplateMaleLastRow, f::kFirstEventCol, f::kTemplateFemaleFirstRow, last})
        .SetBorder(xl::InsideHorizontal, xl::Double);
    // The double line is kept as the last boys' row's bottom only: the rows
    // inserted into the girls' block take the first girls' row's format and
    // would each repeat it as their top.
    const host::RangeRef girlsTop{f::kTemplateFemaleFirstRow, f::kFirstEventCol, f::kTemplateFemaleFirstRow, last};
    const host::RangeRef boysBottom{f::kTemplateMaleLastRow, f::kFirstEventCol, f::kTemplateMaleLastRow, last};
    host::Range(&form_, girlsTop).SetBorder(xl::EdgeTop, xl::LineNone);
    host::Range(&form_, boysBottom).SetBorder(xl::EdgeBottom, xl::Double);
  }
  const int last = f::kFirstEventCol + static_cast<int>(catalogue.size()) - 1;
  // Event columns of their own width (added beyond the template's prepared
  // ones have none) get the form's, and each heading its direction.
  for (int c = f::kFirstEventCol; c <= last; ++c) {
    auto col = form_.ColMap().find(c);
    if (col == form_.ColMap().end() || col->second.width < 0) form_.SetColumnWidth(c, meet::kEventColumnWidth);
    meet::OrientEventHeading(form_, c);
  }
  meet::SetTickValidation(form_, f::kTemplateFemaleLastRow, last);
  // The form must print on one page: when it does not, the event columns are
  // narrowed as far as a tick still fits before the user is asked to adjust.
  host::WorkbookHost& host = program_.Host();
  form_.Select();
  if (host.ActiveSheetPageCount() != 1 && !NarrowEventColumns(last))
    program_.ui().MessageBox(std::string(kFormTooWide), Icon::Exclamation);
}

bool Frm项目管理::NarrowEventColumns(int lastEventCol) {
  namespace f = meet::form;
  if (lastEventCol < f::kFirstEventCol) return false;
  std::vector<double> widths;
  double widest = 0;
  for (int c = f::kFirstEventCol; c <= lastEventCol; ++c) {
    widths.push_back(form_.ColumnWidth(c));
    widest = std::max(widest, widths.back());
  }
  auto setWidths = [&](auto widthOf) {
    for (int c = f::kFirstEventCol; c <= lastEventCol; ++c) {
      form_.SetColumnWidth(c, widthOf(c));
      meet::OrientEventHeading(form_, c);
    }
  };
  // One width for every event column, in steps of an eighth of a character.
  for (double w = std::floor(widest * 8 - 1) / 8; w >= meet::kNarrowestEventColumn - 1e-9; w -= 0.125) {
    setWidths([&](int) { return w; });
    if (program_.Host().ActiveSheetPageCount() == 1) return true;
  }
  setWidths([&](int c) { return widths[static_cast<std::size_t>(c - f::kFirstEventCol)]; });
  return false;
}

void Frm项目管理::WriteEvents() {
  namespace e = meet::events;
  meet::SheetOpen unprotected(events_, meet::AtEnd::Restore);
  long long old = events_.ValueAt(e::kEventCount.row, e::kEventCount.col).ToWhole();
  old = std::clamp<long long>(old, 0, host::kMaxRows - e::kFirstEventRow + 1);
  const int oldRows = static_cast<int>(old);
  if (oldRows > 0) {
    host::Range grades(&events_, host::RangeRef{e::kFirstEventRow, e::kGradeCol, e::EventRow(oldRows), e::kGradeCol});
    grades.UnMerge();
    grades.ClearContents();
  }
  const int n = List2.RowCount();
  events_.Cells(e::kEventCount.row, e::kEventCount.col).SetLiteral(n);
  std::vector<std::string> gradeOf(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const std::string entry = List2.Cell(i, 0);
    const std::string code = EntryCode(entry), eventText = EntryText(entry);
    const int r = e::EventRow(i + 1);
    gradeOf[static_cast<std::size_t>(i)] = host::utf8::Mid(eventText, 1, 2);
    events_.Cells(r, e::kGradeCol).SetLiteral(gradeOf[static_cast<std::size_t>(i)]);
    events_.Cells(r, e::kLaneRuleCol).SetLiteral(CodeDigit(code, 5));
    events_.Cells(r, e::kMethodCol).SetLiteral(CodeDigit(code, 6));
    events_.Cells(r, e::kTitleCol).SetLiteral(eventText);
  }
  if (n < oldRows) {
    events_.DeleteRows(e::EventRow(n + 1), oldRows - n);
  } else if (n > oldRows) {
    const host::RangeRef rows{e::kFirstEventRow, 1, e::EventRow(n), e::kLastEntrantCol};
    meet::Borders_Setup(host::Range(&events_, rows), xl::Continuous);
  }
  // Consecutive events of one grade share a merged grade cell.
  meet::AlertsOff quiet(program_.Host());
  int start = e::kFirstEventRow;
  for (int r = e::kFirstEventRow + 1; r <= e::EventRow(n) + 1; ++r) {
    const bool runEnds = r == e::EventRow(n) + 1 || gradeOf[static_cast<std::size_t>(r - e::kFirstEventRow)] !=
                                                        gradeOf[static_cast<std::size_t>(r - 1 - e::kFirstEventRow)];
    if (!runEnds) continue;
    if (r - 1 > start) host::Range(&events_, host::RangeRef{start, e::kGradeCol, r - 1, e::kGradeCol}).Merge();
    start = r;
  }
}

// ---- the command ----

void ItemSetup(shell::Program& program) {
  host::Workbook* book = shell::RequireMeetWorkbook(program);
  if (!book) return;
  host::Worksheet& settings = SheetOf(*book, meet::kSettingsSheet);
  SheetOf(*book, meet::kFormSampleSheet);
  SheetOf(*book, meet::kEventsSheet);
  shell::Ui& ui = program.ui();
  const int n = Frm项目管理::GradeCount(settings);
  if (n <= 0) {
    ui.MessageBox(std::string(kNoGrades), Icon::Exclamation);
    return;
  }
  const int firstRow = meet::settings::kFirstGradeRow;
  for (int r = firstRow; r <= n; ++r) {
    if (IsEmptyCell(settings, r, meet::settings::kGradeCol)) {
      ui.MessageBox(EmptyGradeText(r), Icon::Exclamation);
      return;
    }
  }
  for (int r = firstRow; r <= n + 1; ++r) {
    std::string name = settings.ValueAt(r, meet::settings::kGradeCol).ToText();
    if (host::utf8::Length(name) != 2) {
      ui.MessageBox(GradeNameLengthText(r, name), Icon::Exclamation);
      return;
    }
  }
  meet::ScreenUpdatingOff quiet(program.Host());
  Frm项目管理 dialog(program, *book);
  dialog.Load();
  ui.ShowDialog(dialog);
}

}  // namespace korvane::setup
