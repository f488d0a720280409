#include "reports/record_tables.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <stdexcept>

#include "host/address.h"
#include "host/application.h"
#include "host/range.h"
#include "host/worksheet.h"
#include "meet/guards.h"
#include "meet/layout.h"
#include "meet/page_format.h"
#include "meet/parameters.h"
#include "meet/refusal.h"
#include "reports/commands.h"
#include "reports/split.h"
#include "shell/menu_stages.h"

namespace korvane::reports {

using host::CellValue;
using host::RangeRef;
using host::ValueGrid;

namespace {

// The forms of the templates: the timed form (a relay form beside it) on
// 记录表1, the height form on 记录表2, the distance and counted forms on 记录表3.
// Timed forms take 17-row pages two at a time (10 rows from the first form of
// a page to the second, 7 from the second to the next page); height forms fill
// a page each; distance and counted forms take 37-row pages two at a time.
constexpr std::array<RecordFormKind, 4> kKinds{{
    {1, meet::kStartFinishSheet, meet::kRecordSheet1, "A1:J7", "A11:J16", 8, 17, 10, 7, 8, true},
    {2, meet::kHeightRecordSheet, meet::kRecordSheet2, "A1:AW23", "", 20, 0, 23, 23, 46, false},
    {3, meet::kDistanceRecordSheet, meet::kRecordSheet3, "A1:L17", "", 14, 37, 20, 17, 10, false},
    {4, meet::kOtherRecordSheet, meet::kRecordSheet3, "A21:L37", "", 14, 37, 20, 17, 10, false},
}};

// Every record sheet starts with one form (rows 1 to its height); the first
// entrant row of a form is three rows below its top.
constexpr int kFirstEntrantRow = 4;
constexpr int kEntrantRowOffset = 3;
constexpr int kTitleCol = 2;      // B, in the form's second row
constexpr int kSequenceCol = 10;  // J, in the form's third row (timed forms)
constexpr int kLanes = 8;
constexpr int kTimedPageRows = 17;
constexpr int kTimedLastCol = 10;  // J
constexpr int kFoldCol = 12;       // L
// Rows the copy of 记录表1 and 记录表3 lose: the relay form stays on the
// template only; 远度记录表 keeps the distance form, 其它记录表 the counted one.
constexpr int kRelayFormFirstRow = 11, kRelayFormRows = 6;
constexpr int kCountedFormFirstRow = 21, kCountedFormRows = 17;
constexpr int kDistanceFormRows = 20;

constexpr std::string_view kRelaySuffix = meet::form::kRelaySuffix;

bool EndsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

bool IsGroupRule(char rule) { return rule != '1' && rule != '2'; }

host::Range At(host::Worksheet& ws, int row, int col) { return host::Range(&ws, RangeRef{row, col, row, col}); }

host::Range Area(host::Worksheet& ws, std::string_view a1) {
  std::optional<RangeRef> r = host::ParseA1(a1);
  if (!r) throw std::logic_error("bad form range");
  return host::Range(&ws, *r);
}

// The template sheets shown while they are copied, hidden again however the
// command ends.
class TemplatesShown {
 public:
  TemplatesShown() = default;
  ~TemplatesShown() {
    for (host::Worksheet* ws : shown_) ws->SetVisible(false);
  }
  void Show(host::Worksheet& ws) {
    if (ws.Visible()) return;
    ws.SetVisible(true);
    shown_.push_back(&ws);
  }
  TemplatesShown(const TemplatesShown&) = delete;
  TemplatesShown& operator=(const TemplatesShown&) = delete;

 private:
  std::vector<host::Worksheet*> shown_;
};

// The event rows of 比赛项目名单 as the record sheets read them.
struct EventTable {
  std::vector<RecordEvent> events;
  ValueGrid names;    // F..CB of each event row
  ValueGrid numbers;  // the same cells of temp
};

EventTable ReadEvents(host::Worksheet& eventsSheet, host::Worksheet& temp) {
  namespace ev = meet::events;
  EventTable t;
  // Rows past the last used one hold no entrants: a count beyond them reads nothing more.
  const long long declared = eventsSheet.ValueAt(ev::kEventCount.row, ev::kEventCount.col).ToWhole();
  const int n =
      static_cast<int>(std::clamp<long long>(declared, 0, eventsSheet.LastUsedRow() - ev::kFirstEventRow + 1));
  if (n == 0) return t;
  const int last = ev::EventRow(n);
  ValueGrid head = host::Range(&eventsSheet, RangeRef{ev::kFirstEventRow, 1, last, ev::kEntrantCountCol}).Values();
  const RangeRef entrants{ev::kFirstEventRow, ev::kFirstEntrantCol, last, ev::kLastEntrantCol};
  t.names = host::Range(&eventsSheet, entrants).Values();
  t.numbers = host::Range(&temp, entrants).Values();
  for (const auto& row : head) {
    RecordEvent e;
    e.title = row[ev::kTitleCol - 1].ToText();
    const std::string rule = row[ev::kLaneRuleCol - 1].ToText();
    e.laneRule = rule.empty() ? '\0' : rule[0];
    e.method = static_cast<int>(std::clamp<long long>(row[ev::kMethodCol - 1].ToWhole(), -1, 100));
    e.entrants =
        static_cast<int>(std::clamp<long long>(row[ev::kEntrantCountCol - 1].ToWhole(), 0, ev::MaxEntrantsPerEvent));
    t.events.push_back(std::move(e));
  }
  return t;
}

// Values of cells [first, first + count) of one entrant row.
std::vector<CellValue> Slice(const ValueGrid& grid, int event, int first, int count) {
  const auto& row = grid[static_cast<std::size_t>(event - 1)];
  return std::vector<CellValue>(row.begin() + first, row.begin() + first + count);
}

void WriteForm(const RecordFormPlan& p, host::Worksheet& sheet, host::Worksheet& form, const EventTable& table) {
  const RecordFormKind& kind = *p.kind;
  if (p.copyForm) Area(form, p.relay ? kind.relayForm : kind.form).Copy(At(sheet, p.top, 1));
  const int titleRow = p.top + 1;
  At(sheet, titleRow, kTitleCol).SetLiteral(p.title);
  if (p.groupCells) {
    At(sheet, titleRow, kind.groupCol).SetLiteral(p.groupNumber);
    At(sheet, titleRow, kind.groupCol + 1).SetLiteral(p.groupCount);
  }
  if (p.sequence > 0) At(sheet, p.top + 2, kSequenceCol).SetLiteral(PrintSequenceLabel(p.sequence));

  const int r = p.top + kEntrantRowOffset;
  std::vector<CellValue> names = Slice(table.names, p.event, p.firstEntrant, p.entrants);
  std::vector<CellValue> numbers = Slice(table.numbers, p.event, p.firstEntrant, p.entrants);
  if (kind.across) {
    At(sheet, r, p.firstEntrantCol).SetLiterals({names});
    if (!p.relay) At(sheet, r + 1, p.firstEntrantCol).SetLiterals({numbers});
    return;
  }
  ValueGrid column;
  column.reserve(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) column.push_back({numbers[i], names[i]});
  At(sheet, r, 1).SetLiterals(column);
}

// A new record sheet: a copy of its template after the last sheet, without the
// rows of the forms that belong elsewhere, protected again when rows went.
host::Worksheet& CopyTemplate(host::Workbook& book, host::Worksheet& form, std::string_view name, int deleteFrom,
                              int deleteRows) {
  host::Worksheet& copy = form.CopyTo(book, nullptr, &book.Sheet(book.Count()), std::string(name));
  if (deleteRows > 0) {
    copy.Unprotect();
    copy.DeleteRows(deleteFrom, deleteRows);
    copy.Protect(true, true, true);
  }
  return copy;
}

}  // namespace

// ---- the layout ----

const RecordFormKind* RecordFormFor(int method) {
  if (method < 1 || method > static_cast<int>(kKinds.size())) return nullptr;
  return &kKinds[static_cast<std::size_t>(method - 1)];
}

int PrintSequenceNumber(int entrantRow) {
  return (entrantRow % kTimedPageRows == kFirstEntrantRow ? 1 : 2) + 2 * (entrantRow / kTimedPageRows);
}

std::string PrintSequenceLabel(int sequence) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%03d", sequence);
  return std::string("打印顺序号:") + digits;
}

RecordFormsLayout PlanRecordForms(const std::vector<RecordEvent>& events, int maxPerGroup) {
  RecordFormsLayout layout;
  std::array<int, kKinds.size()>& counter = layout.nextEntrantRow;
  counter.fill(kFirstEntrantRow);
  std::vector<RecordFormPlan>& plans = layout.forms;
  for (std::size_t i = 0; i < events.size(); ++i) {
    const RecordEvent& ev = events[i];
    const RecordFormKind* kind = RecordFormFor(ev.method);
    if (ev.entrants < 1 || kind == nullptr) continue;
    if (IsGroupRule(ev.laneRule) && maxPerGroup < 1)
      throw std::invalid_argument("an event laid out in groups needs a positive group size");
    const EntrantSplit split = SplitEntrants(ev.entrants, ev.laneRule, kind->capacity, maxPerGroup);
    const bool relay = kind->method == 1 && EndsWith(ev.title, kRelaySuffix);
    // Heats or groups make the first round a preliminary; one list is final.
    const std::string base = ev.title + (ev.laneRule != '2' && split.HeatCount() > 1 ? "预赛" : "预决赛");
    int& r = counter[static_cast<std::size_t>(kind->method - 1)];
    int offset = 0;
    for (int h = 0; h < split.HeatCount(); ++h) {
      for (int j = 0; j < split.LineCount(h); ++j) {
        const int m = split.lines[h][j];
        RecordFormPlan p;
        p.kind = kind;
        p.event = static_cast<int>(i) + 1;
        p.relay = relay;
        p.copyForm = r != kFirstEntrantRow;
        p.top = r - kEntrantRowOffset;
        // The continuation forms of one heat or group say so: (续1), (续2), ...
        p.title = j == 0 ? base : base + "(续" + std::to_string(j) + ")";
        if (ev.laneRule != '2') {
          p.groupCells = true;
          if (split.LineCount(h) > 1)
            p.groupNumber = "第" + std::to_string(h + 1) + "-" + std::to_string(j + 1) + "组";
          else
            p.groupNumber = h + 1;
          p.groupCount = split.HeatCount();
        }
        if (kind->method == 1) p.sequence = PrintSequenceNumber(r);
        p.firstEntrant = offset;
        p.entrants = m;
        // A heat takes the lanes in the middle of the eight, as on the roster.
        p.firstEntrantCol = kTitleCol + (ev.laneRule == '1' && m <= kLanes ? (kLanes - m) / 2 : 0);
        plans.push_back(std::move(p));
        offset += m;
        const bool firstOfPage = kind->pageRows > 0 && (r - kFirstEntrantRow) % kind->pageRows == 0;
        r += firstOfPage ? kind->firstOnPageAdvance : kind->advance;
      }
    }
  }
  return layout;
}

TimedFold TimedFoldFor(int timedRowCounter) {
  TimedFold f;
  const int last = timedRowCounter - kFirstEntrantRow;
  if (last <= kTimedPageRows) return f;
  const int pages = last / kTimedPageRows;
  f.fold = true;
  f.first = kTimedPageRows * ((pages + 1) / 2) + 1;
  f.last = last;
  return f;
}

// ---- texts ----

std::string RecordSheetMissingText(std::string_view sheet) {
  return "工作簿中缺少工作表“" + std::string(sheet) + "”，无法创建成绩记录表。";
}

std::string RecordSheetExistsText(std::string_view sheet) {
  return "工作表“" + std::string(sheet) + "”已经存在。请先执行“报表生成”，再创建成绩记录表。";
}

std::string MaxPerGroupInvalidText(std::string_view eventTitle) {
  return meet::parameter_text::GroupSizeMissing(eventTitle, "成绩记录表未创建", "重新创建成绩记录表");
}

// ---- the command ----

namespace {

// What must hold before anything is built: the sheets the forms come from,
// no record sheet of an earlier run, and 设置!H5 where an event is laid out in
// groups.
meet::Refusal CheckCreateTables(const host::Workbook& book, const EventTable& table, int maxPerGroup) {
  for (std::string_view name : {meet::kSettingsSheet, meet::kEventsSheet, meet::kTempSheet, meet::kRecordSheet1,
                                meet::kRecordSheet2, meet::kRecordSheet3})
    if (book.FindSheet(std::string(name)) == nullptr) return meet::Refusal::Because(RecordSheetMissingText(name));
  for (const RecordFormKind& kind : kKinds)
    if (book.FindSheet(std::string(kind.sheet)) != nullptr)
      return meet::Refusal::Because(RecordSheetExistsText(kind.sheet));
  for (const RecordEvent& ev : table.events)
    if (ev.entrants > 0 && RecordFormFor(ev.method) != nullptr && IsGroupRule(ev.laneRule) && maxPerGroup < 1)
      return meet::Refusal::Because(MaxPerGroupInvalidText(ev.title));
  return {};
}

}  // namespace

bool CreateTables(shell::Program& program, host::Workbook& book) {
  host::Worksheet* events = book.FindSheet(std::string(meet::kEventsSheet));
  host::Worksheet* temp = book.FindSheet(std::string(meet::kTempSheet));
  const EventTable table = events != nullptr && temp != nullptr ? ReadEvents(*events, *temp) : EventTable{};
  const int maxPerGroup =
      book.FindSheet(std::string(meet::kSettingsSheet)) != nullptr ? meet::LoadParameters(book).MaxPerGroup : 0;
  if (meet::Refusal refused = CheckCreateTables(book, table, maxPerGroup)) {
    program.ui().MessageBox(refused.Message(), shell::Icon::Exclamation);
    return false;
  }
  const RecordFormsLayout layout = PlanRecordForms(table.events, maxPerGroup);

  meet::ScreenUpdatingOff screen(program.Host());
  meet::StructureOpen structure(book, meet::AtEnd::Protect);
  TemplatesShown state;
  std::array<host::Worksheet*, kKinds.size()> forms{};
  for (std::size_t i = 0; i < kKinds.size(); ++i) {
    forms[i] = &book.Sheet(std::string(kKinds[i].templateSheet));
    state.Show(*forms[i]);
  }

  std::vector<host::Worksheet*> made;
  try {
    std::array<host::Worksheet*, kKinds.size()> sheets{};
    sheets[0] = &CopyTemplate(book, *forms[0], kKinds[0].sheet, kRelayFormFirstRow, kRelayFormRows);
    made.push_back(sheets[0]);
    sheets[1] = &CopyTemplate(book, *forms[1], kKinds[1].sheet, 0, 0);
    made.push_back(sheets[1]);
    sheets[2] = &CopyTemplate(book, *forms[2], kKinds[2].sheet, kCountedFormFirstRow, kCountedFormRows);
    made.push_back(sheets[2]);
    sheets[3] = &CopyTemplate(book, *forms[3], kKinds[3].sheet, 1, kDistanceFormRows);
    made.push_back(sheets[3]);

    for (const RecordFormPlan& p : layout.forms) {
      const std::size_t i = static_cast<std::size_t>(p.kind->method - 1);
      WriteForm(p, *sheets[i], *forms[i], table);
    }
    const TimedFold fold = TimedFoldFor(layout.nextEntrantRow[0]);
    if (fold.fold)
      host::Range(sheets[0], RangeRef{fold.first, 1, fold.last, kTimedLastCol}).Cut(At(*sheets[0], 1, kFoldCol));
    for (host::Worksheet* ws : sheets) meet::WritePageBreaks(*ws);
  } catch (...) {
    // Leave no half-built record sheet behind: the command can then run again.
    for (auto it = made.rbegin(); it != made.rend(); ++it) book.RemoveSheet(**it);
    throw;
  }
  book.SetSaved(false);
  return true;
}

void CreateTables(shell::Program& program) {
  host::Workbook* book = shell::RequireMeetWorkbook(program);
  if (book == nullptr) return;
  bool built = false;
  {
    shell::CaptionNote note(program, notes::kRecordTables);
    built = CreateTables(program, *book);
  }
  if (!built) return;
  shell::EnterMenuStep(program.Menu(), shell::MenuStep::RecordTablesMade);
}

}  // namespace korvane::reports
