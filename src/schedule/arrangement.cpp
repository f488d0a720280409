#include "schedule/arrangement.h"

#include <filesystem>

#include "host/application.h"
#include "host/errors.h"
#include "host/range.h"
#include "meet/guards.h"
#include "meet/layout.h"
#include "meet/page_format.h"
#include "schedule/preview.h"
#include "schedule/sheets.h"
#include "shell/clock.h"

namespace korvane::schedule {

namespace fs = std::filesystem;
using shell::Answer;
using shell::Buttons;
using shell::Icon;

namespace text {

std::string OrderProblemText(bool track, std::string_view positions) {
  return std::string(track ? "径赛" : "田赛") + "日程安排中，“第" + std::string(positions) + "条目”处存在逻辑问题!";
}

std::string BeforeFirstHalfDayText(bool track, int position, std::string_view item) {
  return std::string(track ? "径赛" : "田赛") + "日程安排中，第" + std::to_string(position) + "条目“" +
         std::string(item) + "”排在第一个日期之前，请把它移到日期之后!";
}

std::string NotSavedText(std::string_view path, std::string_view reason) {
  return "日程安排表未能保存：" + std::string(path) + "\n" + std::string(reason);
}

}  // namespace text

namespace {

constexpr int kArrangedColumns = 7;
constexpr const char* kPageQuestion = "输入起始页码：";
constexpr const char* kDefaultFirstPage = "11";
constexpr int kSecondsPerDay = 24 * 60 * 60;

// The wrapping ranges of the three spin buttons: each button may step one
// beyond its range, and its handler wraps the value round.
constexpr int kMinDuration = 1, kMaxDuration = 120;
constexpr int kMinHour = 8, kMaxHour = 17;
constexpr int kMinMinute = 0, kMaxMinute = 59;

std::string TwoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

bool IsPageAnswer(const std::string& s) {
  return (s.size() == 1 || s.size() == 2) &&
         std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A cell of 附件 as its list shows it: a time as 8:30, anything else as its text.
std::string ShownText(const host::Worksheet& ws, int row, int col) {
  const host::CellValue v = ws.ValueAt(row, col);
  if (v.IsNumber() && ws.StyleAt(row, col).numberFormat == host::kTimeOfDayFormat)
    return host::FormatTimeOfDay(v.Number());
  return v.ToText();
}

ListRow Padded(ListRow row, int columns) {
  row.resize(static_cast<std::size_t>(columns));
  return row;
}

bool BeginsWith(const std::string& s, char c) { return !s.empty() && s[0] == c; }

int LastUsedRow(const host::Worksheet& ws, int col) { return ws.End(host::kMaxRows, col, host::Direction::Up).first; }

}  // namespace

Frm日程安排::Frm日程安排(shell::Program& program, host::Workbook& meetBook, ScheduleFile file)
    : DialogModel("赛事日程安排"),
      ListBox11(AddListBox("ListBox11", 6)),
      ListBox12(AddListBox("ListBox12", 6)),
      ListBox13(AddListBox("ListBox13", 2)),
      ListBox21(AddListBox("ListBox21", kArrangedColumns)),
      ListBox22(AddListBox("ListBox22", kArrangedColumns)),
      cmdUp(AddButton("cmdUp", "↑", [this] { cmdUp_Click(); })),
      cmdDown(AddButton("cmdDown", "↓", [this] { cmdDown_Click(); })),
      tbInsert(AddTextBox("tbInsert")),
      cmdUserDef(AddButton("cmdUserDef", "自定义", [this] { cmdUserDef_Click(); })),
      cmdPreview(AddButton("cmdPreview", "预览", [this] { cmdPreview_Click(); })),
      Label1(AddLabel("Label1", "开幕式/闭幕式/检录：")),
      tbHours(AddTextBox("tbHours", "8时")),
      SpinButton2(AddSpinButton("SpinButton2", kMinHour - 1, kMaxHour + 1, 8)),
      tbMinutes(AddTextBox("tbMinutes", "30分")),
      SpinButton3(AddSpinButton("SpinButton3", kMinMinute - 1, kMaxMinute + 1, 30)),
      tbTimes(AddTextBox("tbTimes", "5分钟")),
      SpinButton1(AddSpinButton("SpinButton1", kMinDuration - 1, kMaxDuration + 1, 5)),
      cmdAppend(AddButton("cmdAppend", ">>>", [this] { cmdAppend_Click(); })),
      cmdRemove(AddButton("cmdRemove", "<<<", [this] { cmdRemove_Click(); })),
      cmdApply(AddButton("cmdApply", "应用", [this] { cmdApply_Click(); })),
      CmdOk(AddButton("CmdOk", "确定", [this] { CmdOk_Click(); })),
      CmdCancel(AddButton("CmdCancel", "取消", [this] { CmdCancel_Click(); })),
      program_(program),
      meet_(meetBook),
      file_(std::move(file)) {
  AddFrame("Frame1", "日程");
  AddFrame("Frame11", "径赛");
  AddFrame("Frame12", "田赛");
  AddFrame("Frame13", "附加");
  AddFrame("Frame2", "已安排日程");
  AddFrame("Frame21", "径赛");
  AddFrame("Frame22", "田赛");
  ListBox11.tip = "需设置预计用时插入右侧框中";
  ListBox12.tip = "需设置开始时间和预计用时插入右侧框中";
  ListBox13.tip = "开幕式、闭幕式、开始检录需设置开始时间插入右侧框中(插入右侧第一框的开始检录条目还应设置预计用时)";
  ListBox21.tip = "条目顺序：日期，开幕式，开始检录，比赛项目；日期，开始检录，比赛项目；……";
  ListBox22.tip = "条目顺序：日期，开始检录，第一组裁判，比赛项目，第二组裁判，比赛项目；……";
  tbInsert.tip = std::string(text::kEntryExample);
  cmdUserDef.tip = "插入自定义比赛条目(需设置预计用时等)";
  cmdPreview.tip = "日程安排预览";
  cmdAppend.tip = "插入";
  cmdRemove.tip = "移除";
  ListBox11.onMouseDown = [this] { ListBox11_MouseDown(); };
  ListBox12.onMouseDown = [this] { ListBox12_MouseDown(); };
  ListBox13.onMouseDown = [this] { ListBox13_MouseDown(); };
  ListBox13.onMouseUp = [this] { ListBox13_MouseUp(); };
  ListBox21.onMouseDown = [this] { ListBox21_MouseDown(); };
  ListBox22.onMouseDown = [this] { ListBox22_MouseDown(); };
  tbInsert.onMouseDown = [this] { tbInsert_MouseDown(); };
  SpinButton1.onSpinUp = [this] { SpinButton1_SpinUp(); };
  SpinButton1.onSpinDown = [this] { SpinButton1_SpinDown(); };
  SpinButton2.onSpinUp = [this] { SpinButton2_SpinUp(); };
  SpinButton2.onSpinDown = [this] { SpinButton2_SpinDown(); };
  SpinButton3.onSpinUp = [this] { SpinButton3_SpinUp(); };
  SpinButton3.onSpinDown = [this] { SpinButton3_SpinDown(); };
  onCloseBox = [this] { CmdCancel_Click(); };
  SetStartTimeControls(false);
  cmdApply.enabled = false;
}

shell::ListBox& Frm日程安排::List(int id) {
  shell::ListBox* lists[] = {&ListBox11, &ListBox12, &ListBox13, &ListBox21, &ListBox22};
  return *lists[id];
}

std::vector<ListRow> Frm日程安排::Rows(const shell::ListBox& list) const {
  std::vector<ListRow> rows;
  for (int i = 0; i < list.RowCount(); ++i) rows.push_back(Padded(list.Row(i), list.columnCount));
  return rows;
}

// ---- dialog start ----

void Frm日程安排::LoadExisting(host::Workbook& scheduleBook) {
  book_ = &scheduleBook;
  nextPageNumber_ = book_->Sheet(std::string(kTrackSheet)).Page().firstPageNumber.value_or(1);
  LoadLists();
}

void Frm日程安排::LoadNew(host::Workbook& scheduleBook, const DerivedItems& items, const MeetStart& start) {
  book_ = &scheduleBook;
  for (host::Worksheet* ws : book_->Sheets()) ws->Unprotect();
  std::string answer;
  while (true) {
    std::optional<std::string> typed =
        program_.ui().InputBox(kPageQuestion, std::string(shell::kProgramTitle), kDefaultFirstPage);
    if (typed && IsPageAnswer(*typed)) {
      answer = *typed;
      break;
    }
  }
  const int page = std::stoi(answer);
  nextPageNumber_ = page % 2 == 0 ? page + 1 : page;
  book_->Sheet(std::string(kTrackSheet)).Page().firstPageNumber = nextPageNumber_;

  host::Worksheet& lists = book_->Sheet(std::string(kListsSheet));
  auto write = [&](int block, const std::vector<ListRow>& rows) {
    if (rows.empty()) return;
    host::ValueGrid grid;
    for (const ListRow& r : rows) {
      std::vector<host::CellValue> cells;
      for (const std::string& c : r) cells.push_back(c.empty() ? host::CellValue() : host::CellValue(c));
      grid.push_back(std::move(cells));
    }
    lists.Cells(kFirstListRow, kBlockStartColumns[block]).SetValues(grid);
  };
  write(kTrackItems, items.track);
  write(kFieldItems, items.field);
  write(kAdditional, AdditionalRows(start));
  const std::vector<ListRow> halfDays = HalfDayRows(start);
  write(kTrackSchedule, halfDays);
  write(kFieldSchedule, halfDays);
  LoadLists();
}

void Frm日程安排::LoadLists() {
  const host::Worksheet& lists = book_->Sheet(std::string(kListsSheet));
  for (int k = 0; k < kListCount; ++k) {
    shell::ListBox& list = List(k);
    list.Clear();
    const int first = kBlockStartColumns[k];
    const int last = LastUsedRow(lists, first);
    for (int r = kFirstListRow; r <= last; ++r) {
      ListRow row;
      for (int c = 0; c < ListColumns(k); ++c) row.push_back(ShownText(lists, r, first + c));
      list.AddRow(std::move(row));
    }
  }
}

// ---- selection ----

void Frm日程安排::SetStartTimeControls(bool enabled) {
  for (shell::Control* c :
       std::initializer_list<shell::Control*>{&Label1, &tbHours, &SpinButton2, &tbMinutes, &SpinButton3})
    c->enabled = enabled;
}

void Frm日程安排::ListBox11_MouseDown() {
  ListBox12.ClearSelection();
  ListBox13.ClearSelection();
  SetStartTimeControls(false);
}

void Frm日程安排::ListBox12_MouseDown() {
  ListBox11.ClearSelection();
  ListBox13.ClearSelection();
  SetStartTimeControls(true);
}

void Frm日程安排::ListBox13_MouseDown() {
  ListBox11.ClearSelection();
  ListBox12.ClearSelection();
}

void Frm日程安排::ListBox13_MouseUp() {
  SetStartTimeControls(false);
  const int i = ListBox13.ListIndex();
  if (i < 0) return;
  const std::string what = ListBox13.Cell(i, 1);
  if (what == kOpening || what == kClosing || what == kCheckIn) SetStartTimeControls(true);
}

void Frm日程安排::ListBox21_MouseDown() { ListBox22.ClearSelection(); }
void Frm日程安排::ListBox22_MouseDown() { ListBox21.ClearSelection(); }

void Frm日程安排::tbInsert_MouseDown() {
  ListBox11.ClearSelection();
  ListBox12.ClearSelection();
  ListBox13.ClearSelection();
  SetStartTimeControls(true);
}

// ---- spin buttons ----

void Frm日程安排::SpinButton1_SpinUp() {
  if (SpinButton1.Value() > kMaxDuration) SpinButton1.SetValue(kMinDuration);
  tbTimes.SetText(std::to_string(SpinButton1.Value()) + std::string(kMinutesUnit));
}

void Frm日程安排::SpinButton1_SpinDown() {
  if (SpinButton1.Value() < kMinDuration) SpinButton1.SetValue(kMaxDuration);
  tbTimes.SetText(std::to_string(SpinButton1.Value()) + std::string(kMinutesUnit));
}

void Frm日程安排::SpinButton2_SpinUp() {
  if (SpinButton2.Value() > kMaxHour) SpinButton2.SetValue(kMinHour);
  tbHours.SetText(std::to_string(SpinButton2.Value()) + "时");
}

void Frm日程安排::SpinButton2_SpinDown() {
  if (SpinButton2.Value() < kMinHour) SpinButton2.SetValue(kMaxHour);
  tbHours.SetText(std::to_string(SpinButton2.Value()) + "时");
}

void Frm日程安排::SpinButton3_SpinUp() {
  if (SpinButton3.Value() > kMaxMinute) SpinButton3.SetValue(kMinMinute);
  tbMinutes.SetText(TwoDigits(SpinButton3.Value()) + "分");
}

void Frm日程安排::SpinButton3_SpinDown() {
  if (SpinButton3.Value() < kMinMinute) SpinButton3.SetValue(kMaxMinute);
  tbMinutes.SetText(TwoDigits(SpinButton3.Value()) + "分");
}

std::string Frm日程安排::StartText() const {
  return schedule::text::ReplaceAll(schedule::text::ReplaceAll(tbHours.Text() + tbMinutes.Text(), "时", ":"), "分", "");
}

std::string Frm日程安排::FieldTimeText() const {
  return schedule::text::ReplaceAll(schedule::text::ReplaceAll(tbHours.Text() + tbMinutes.Text(), "时", ":"), "分",
                                    "_") +
         tbTimes.Text();
}

// ---- editing ----

void Frm日程安排::Changed() {
  cmdApply.enabled = true;
  pendingChanges_ = true;
}

namespace {
int InsertPosition(const shell::ListBox& list) { return list.ListIndex() >= 0 ? list.ListIndex() : list.RowCount(); }
}  // namespace

void Frm日程安排::cmdAppend_Click() {
  shell::Ui& ui = program_.ui();
  if (int i = ListBox11.ListIndex(); i >= 0) {
    ListRow row = Padded(ListBox11.Row(i), kArrangedColumns);
    row[6] = tbTimes.Text();
    ListBox21.AddRow(std::move(row), InsertPosition(ListBox21));
    ListBox11.RemoveRow(i);
    Changed();
    return;
  }
  if (int i = ListBox12.ListIndex(); i >= 0) {
    ListRow row = Padded(ListBox12.Row(i), kArrangedColumns);
    row[6] = FieldTimeText();
    ListBox22.AddRow(std::move(row), InsertPosition(ListBox22));
    ListBox12.RemoveRow(i);
    Changed();
    return;
  }
  const int i = ListBox13.ListIndex();
  if (i < 0) {
    ui.MessageBox(std::string(text::kChooseSource));
    return;
  }
  const std::string code = ListBox13.Cell(i, 0);
  const std::string what = ListBox13.Cell(i, 1);
  ListRow row(kArrangedColumns);
  row[0] = code;
  row[1] = what;
  if (what == kOpening) {
    row[2] = StartText();
    ListBox21.AddRow(std::move(row), ListBox21.RowCount() == 0 ? 0 : 1);
    ListBox13.RemoveRow(i);
  } else if (what == kClosing) {
    row[2] = StartText();
    ListBox22.AddRow(std::move(row));
    ListBox13.RemoveRow(i);
  } else if (KindOf(code) == RowKind::Judges) {
    ListBox22.AddRow(std::move(row), InsertPosition(ListBox22));
  } else if (what == kRest) {
    row[2] = tbTimes.Text();
    ListBox21.AddRow(std::move(row), InsertPosition(ListBox21));
  } else {
    shell::ListBox* target = nullptr;
    int at = 0;
    if (ListBox21.ListIndex() >= 0) {
      target = &ListBox21;
      at = ListBox21.ListIndex();
    } else if (ListBox22.ListIndex() >= 0) {
      target = &ListBox22;
      at = ListBox22.ListIndex();
    } else {
      const bool track = ui.MessageBox(std::string(text::kChooseTarget), Icon::Question, Buttons::YesNo,
                                       std::string(text::kChooseTargetTitle)) == Answer::Yes;
      target = track ? &ListBox21 : &ListBox22;
      at = target->RowCount();
    }
    if (what == kCheckIn) {
      row[2] = StartText();
      if (target == &ListBox21) row[3] = tbTimes.Text();
    }
    target->AddRow(std::move(row), at);
  }
  Changed();
}

void Frm日程安排::cmdUserDef_Click() {
  const std::string normalized = NormalizeEntryText(tbInsert.Text());
  const std::optional<std::array<std::string, 5>> parts = SplitEntryText(normalized);
  if (!parts) {
    program_.ui().MessageBox(std::string(text::kBadEntry) + "\n" + std::string(text::kEntryExample));
    return;
  }
  const bool track = schedule::text::Contains(normalized, kMetre);
  shell::ListBox& target = track ? ListBox21 : ListBox22;
  ListRow row{std::string(kUserDefinedCode),           (*parts)[0], (*parts)[1], (*parts)[2], (*parts)[3], (*parts)[4],
              track ? tbTimes.Text() : FieldTimeText()};
  const int selected = target.ListIndex();
  const int at = selected < 0 ? target.RowCount() : (selected == 0 ? 1 : selected);
  target.AddRow(std::move(row), at);
  tbInsert.SetText("");
  Changed();
}

void Frm日程安排::cmdRemove_Click() {
  if (ListBox21.ListIndex() < 0 && ListBox22.ListIndex() < 0) {
    program_.ui().MessageBox(std::string(text::kChooseToRemove));
    return;
  }
  Changed();
  shell::ListBox& source = ListBox21.ListIndex() >= 0 ? ListBox21 : ListBox22;
  const int i = source.ListIndex();
  const ListRow row = source.Row(i);
  const std::string code = row.empty() ? std::string() : row[0];
  shell::ListBox* destination = nullptr;
  if (BeginsWith(code, '1'))
    destination = &ListBox11;
  else if (BeginsWith(code, '2'))
    destination = &ListBox12;
  else if (BeginsWith(code, '3'))
    destination = &ListBox13;
  if (destination) {
    const ListRow back = Padded(row, destination->columnCount);
    if (destination->RowCount() > 0) {
      // The left lists stay in code order: a binary search on the codes read as numbers.
      const long long key = CodeNumber(code);
      int lo = 0, hi = destination->RowCount() - 1;
      while (hi >= lo) {
        const int mid = (lo + hi) / 2;
        if (key > CodeNumber(destination->Cell(mid, 0)))
          lo = mid + 1;
        else
          hi = mid - 1;
      }
      if (BeginsWith(code, '1') || BeginsWith(code, '2') || code == kOpeningCode || code == kClosingCode)
        destination->AddRow(back, lo);
    } else {
      destination->AddRow(back);
    }
  }
  source.RemoveRow(i);
}

void Frm日程安排::Move(int step) {
  const bool up = step < 0;
  if (ListBox21.ListIndex() < 0 && ListBox22.ListIndex() < 0) {
    program_.ui().MessageBox(std::string(up ? text::kChooseToMoveUp : text::kChooseToMoveDown));
    return;
  }
  shell::ListBox& list = ListBox21.ListIndex() >= 0 ? ListBox21 : ListBox22;
  const int i = list.ListIndex();
  if (up && i == 0) {
    program_.ui().MessageBox(std::string(text::kAtTop));
    return;
  }
  if (!up && i == list.RowCount() - 1) {
    program_.ui().MessageBox(std::string(text::kAtBottom));
    return;
  }
  const int j = i + step;
  const ListRow a = Padded(list.Row(i), list.columnCount);
  const ListRow b = Padded(list.Row(j), list.columnCount);
  for (int c = 0; c < list.columnCount; ++c) {
    list.SetCell(i, c, b[static_cast<std::size_t>(c)]);
    list.SetCell(j, c, a[static_cast<std::size_t>(c)]);
  }
  list.SetListIndex(j);
  Changed();
}

void Frm日程安排::cmdUp_Click() { Move(-1); }
void Frm日程安排::cmdDown_Click() { Move(1); }

// ---- 附件 ----

void Frm日程安排::WriteBackLists() {
  host::Worksheet& lists = book_->Sheet(std::string(kListsSheet));
  for (int k = 0; k < kListCount; ++k) {
    const int first = kBlockStartColumns[k];
    const int last = LastUsedRow(lists, first);
    if (last >= kFirstListRow)
      host::Range(&lists, host::RangeRef{kFirstListRow, first, last, first + ListColumns(k) - 1}).ClearContents();
    const shell::ListBox& list = List(k);
    for (int r = 0; r < list.RowCount(); ++r)
      for (int c = 0; c < list.columnCount; ++c) {
        const std::string cell = list.Cell(r, c);
        if (!cell.empty()) lists.Cells(kFirstListRow + r, first + c).SetValue(host::CellValue(cell));
      }
  }
}

void Frm日程安排::cmdApply_Click() {
  WriteBackLists();
  cmdApply.enabled = false;
  pendingChanges_ = false;
}

void Frm日程安排::CmdCancel_Click() {
  if (book_) program_.Host().Close(*book_, /*saveChanges=*/false);
  book_ = nullptr;
  Close();
}

// ---- the check ----

int Frm日程安排::CheckScheduleLogic() {
  auto code = [](const shell::ListBox& list, int i) { return list.Cell(i, 0); };
  auto trim = [&](shell::ListBox& list, auto keep) {
    while (list.RowCount() > 0 && !keep(code(list, list.RowCount() - 1))) {
      list.RemoveRow(list.RowCount() - 1);
      Changed();
    }
  };
  auto halfDays = [&](const shell::ListBox& list) {
    std::vector<int> h;
    for (int i = 0; i < list.RowCount(); ++i)
      if (BeginsWith(code(list, i), '3') && CodeNumber(code(list, i)) > 308) h.push_back(i);
    return h;
  };
  auto positions = [](const std::vector<int>& bad) {
    std::string s;
    for (int h : bad) s += std::to_string(h + 1) + "，";
    return s.substr(0, s.size() - std::string("，").size());
  };
  // An event above the first half-day row has no date and no clock to run
  // from: the first such row of a list is named.
  auto beforeFirstHalfDay = [&](shell::ListBox& list, bool track) {
    for (int i = 0; i < list.RowCount() && KindOf(code(list, i)) != RowKind::HalfDay; ++i) {
      if (!IsEvent(KindOf(code(list, i)))) continue;
      const ListRow row = Padded(list.Row(i), list.columnCount);
      program_.ui().MessageBox(text::BeforeFirstHalfDayText(track, i + 1, row[1] + row[2] + row[3]));
      return true;
    }
    return false;
  };
  int result = 1;

  trim(ListBox21, [](const std::string& c) { return BeginsWith(c, '1') || BeginsWith(c, '6'); });
  {
    const int last = ListBox21.RowCount() - 1;
    auto event = [&](int i) { return BeginsWith(code(ListBox21, i), '1') || code(ListBox21, i) == kUserDefinedCode; };
    std::vector<int> bad;
    const std::vector<int> h = halfDays(ListBox21);
    for (std::size_t k = 0; k < h.size(); ++k) {
      const int at = h[k];
      const bool sound = k == 0 ? last - at >= 3 && code(ListBox21, at + 1) == kOpeningCode &&
                                      code(ListBox21, at + 2) == kCheckInCode && event(at + 3)
                                : last - at >= 2 && code(ListBox21, at + 1) == kCheckInCode && event(at + 2);
      if (!sound) bad.push_back(at);
    }
    if (!bad.empty()) {
      program_.ui().MessageBox(text::OrderProblemText(true, positions(bad)));
      result = 0;
    }
    if (beforeFirstHalfDay(ListBox21, true)) result = 0;
  }

  trim(ListBox22, [](const std::string& c) { return BeginsWith(c, '2') || BeginsWith(c, '6') || c == kClosingCode; });
  {
    const int last = ListBox22.RowCount() - 1;
    auto event = [&](int i) { return BeginsWith(code(ListBox22, i), '2') || code(ListBox22, i) == kUserDefinedCode; };
    std::vector<int> bad;
    for (int at : halfDays(ListBox22)) {
      const bool sound = last - at >= 3 && code(ListBox22, at + 1) == kCheckInCode &&
                         KindOf(code(ListBox22, at + 2)) == RowKind::Judges && event(at + 3);
      if (!sound) bad.push_back(at);
    }
    if (!bad.empty()) {
      program_.ui().MessageBox(text::OrderProblemText(false, positions(bad)));
      result = 0;
    }
    if (beforeFirstHalfDay(ListBox22, false)) result = 0;
  }
  return result;
}

// ---- preview and OK ----

void Frm日程安排::cmdPreview_Click() {
  if (CheckScheduleLogic() != 1) return;
  const Timeline track = TrackTimeline(Rows(ListBox21));
  const Timeline field = FieldTimeline(Rows(ListBox22));
  for (const auto& [timeline, isTrack] : {std::pair{&track, true}, std::pair{&field, false}}) {
    if (timeline->badRow >= 0) {
      program_.ui().MessageBox(UnreadableTimeText(isTrack, timeline->badRow + 1, timeline->badText), Icon::Exclamation);
      return;
    }
  }
  FrmPreview preview(track, field);
  program_.ui().ShowDialog(preview);
}

void Frm日程安排::CmdOk_Click() {
  if (CheckScheduleLogic() != 1) return;
  if (Finish()) Close();
}

bool Frm日程安排::Finish() {
  shell::Ui& ui = program_.ui();
  host::WorkbookHost& host = program_.Host();
  const Timeline track = TrackTimeline(Rows(ListBox21));
  const Timeline field = FieldTimeline(Rows(ListBox22));
  for (const auto& [timeline, isTrack] : {std::pair{&track, true}, std::pair{&field, false}}) {
    if (timeline->badRow >= 0) {
      ui.MessageBox(UnreadableTimeText(isTrack, timeline->badRow + 1, timeline->badText), Icon::Exclamation);
      return false;
    }
  }
  if (pendingChanges_) WriteBackLists();

  host::Worksheet& trackSheet = book_->Sheet(std::string(kTrackSheet));
  host::Worksheet& fieldSheet = book_->Sheet(std::string(kFieldSheet));
  trackSheet.Page().firstPageNumber = nextPageNumber_;
  const int fieldFirst = NextOddPage(nextPageNumber_, PagesFor(WriteTrackSheet(trackSheet, track)));
  fieldSheet.Page().firstPageNumber = fieldFirst;
  const int reportFirst = NextOddPage(fieldFirst, PagesFor(WriteFieldSheet(fieldSheet, field)));
  const std::vector<Clash> clashes = FindClashes(meet_, track, field);
  WriteClashSheet(*book_, clashes);
  book_->SetActiveSheet(trackSheet);

  // The schedule workbook: in place, or under a new dated name that no file
  // of the folder and no open workbook has yet.
  std::string path = book_->FullName();
  try {
    if (file_.exists) {
      book_->Save();
    } else {
      const shell::DateTime now = shell::Now();
      const std::string ext(program_.tables.extensions.plainWorkbook);
      std::string name;
      for (int stamp = now.SecondsOfDay(); stamp < kSecondsPerDay && name.empty(); ++stamp) {
        std::string candidate = meet::DatedFileName(kWorkbookPrefix, now.Date(), stamp, ext);
        std::error_code ec;
        if (!fs::exists(fs::path(file_.folder) / candidate, ec) && host.FindWorkbook(candidate) == nullptr)
          name = candidate;
      }
      if (name.empty()) throw host::HostError("今天剩余的文件名都已被占用。");
      path = (fs::path(file_.folder) / name).string();
      book_->SaveAs(path, meet::IsNewerFileFamily(host.Version()) ? host::xl::FormatWorkbook : 0);
      file_.exists = true;
    }
  } catch (const host::HostError& e) {
    ui.MessageBox(text::NotSavedText(path, e.what()), Icon::Exclamation);
    return false;
  }

  // The printed reports start after the schedule.
  host::Worksheet& settings = meet_.Sheet(std::string(meet::kSettingsSheet));
  {
    meet::SheetOpen writable(settings, meet::AtEnd::Restore);
    settings.Cells(meet::settings::FirstReportPage.row, meet::settings::FirstReportPage.col)
        .SetValue(host::CellValue(reportFirst));
  }
  meet_.SetSaved(false);
  const long long teams =
      settings.ValueAt(meet::settings::TeamSheetCount.row, meet::settings::TeamSheetCount.col).ToWhole();
  const host::Worksheet* numberReport = meet_.FindSheet(std::string(meet::kNumberReportSheet));
  if (teams + 9 < meet_.Count() && numberReport && numberReport->Page().firstPageNumber.value_or(1) != reportFirst)
    meet::ResetPage(program_.Host());

  if (!clashes.empty()) ui.MessageBox(ClashMessage(clashes), Icon::Information);
  return true;
}

}  // namespace korvane::schedule
