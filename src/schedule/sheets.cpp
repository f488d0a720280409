#include "schedule/sheets.h"

#include <algorithm>
#include <map>
#include <set>

#include "host/range.h"
#include "meet/event_title.h"
#include "meet/layout.h"

namespace korvane::schedule {

namespace xl = host::xl;

namespace {

constexpr double kRowHeight = 25;  // the template's rows: 28 below the heading fill an A4 page
constexpr int kClashMessageLines = 15;

const std::string& Column(const ListRow& row, std::size_t c) {
  static const std::string empty;
  return c < row.size() ? row[c] : empty;
}

void Put(host::Worksheet& ws, int row, int col, const std::string& text) {
  // The Value assignment: a start time such as 8:30 becomes a time shown h:mm.
  if (!text.empty()) ws.Cells(row, col).SetValue(host::CellValue(text));
}

// Removes the old data rows (values, borders and breaks), so that a shorter
// schedule leaves nothing of a longer one behind.
void ClearData(host::Worksheet& ws) {
  const int last = ws.LastUsedRow();
  if (last > 1) ws.DeleteRows(2, last - 1);
  ws.Page().rowBreaks.clear();
}

// Borders, row heights and the page breaks of PageBreakRows, so that every
// reader prints the pages the page numbers count.
void FinishData(host::Worksheet& ws, int lastRow, int lastCol) {
  if (lastRow < 2) return;
  host::Range data(&ws, host::RangeRef{2, 1, lastRow, lastCol});
  for (int edge : {xl::EdgeLeft, xl::EdgeTop, xl::EdgeBottom, xl::EdgeRight, xl::InsideVertical})
    data.SetBorder(edge, xl::Continuous);
  if (lastRow > 2) data.SetBorder(xl::InsideHorizontal, xl::Continuous);
  for (int r = 2; r <= lastRow; ++r) ws.SetRowHeight(r, kRowHeight);
  ws.Page().rowBreaks = PageBreakRows(lastRow);
}

}  // namespace

namespace {

// The track and field sheets differ only in where the time column stands and
// in the field sheet's judges' group rows (written in column B).
int WriteScheduleSheet(host::Worksheet& ws, const Timeline& timeline, int timeCol, bool judgesRows, int lastCol) {
  ClearData(ws);
  int q = 1;
  for (const TimedRow& t : timeline.rows) {
    ++q;
    if (t.kind == RowKind::HalfDay) {
      Put(ws, q, 1, Column(t.row, 1));
    } else if (judgesRows && t.kind == RowKind::Judges) {
      Put(ws, q, 2, Column(t.row, 1));
    } else if (t.kind == RowKind::Opening || t.kind == RowKind::Closing || t.kind == RowKind::CheckIn) {
      Put(ws, q, timeCol, t.timeText);
      Put(ws, q, timeCol + 1, Column(t.row, 1));
    } else {
      Put(ws, q, timeCol, t.timeText);
      for (int c = 1; c <= 5; ++c) Put(ws, q, timeCol + c, Column(t.row, static_cast<std::size_t>(c)));
    }
  }
  FinishData(ws, q, lastCol);
  return q;
}

}  // namespace

int WriteTrackSheet(host::Worksheet& ws, const Timeline& timeline) {
  return WriteScheduleSheet(ws, timeline, 2, false, 7);
}

int WriteFieldSheet(host::Worksheet& ws, const Timeline& timeline) {
  return WriteScheduleSheet(ws, timeline, 3, true, 8);
}

// ---- clashes ----

namespace {

struct Scheduled {
  std::string title, span, halfDay;
  int start = 0, end = 0;  // minutes from midnight
  std::vector<std::string> numbers;
};

}  // namespace

std::vector<Clash> FindClashes(const host::Workbook& meetBook, const Timeline& track, const Timeline& field) {
  namespace ev = meet::events;
  const host::Worksheet* events = meetBook.FindSheet(std::string(meet::kEventsSheet));
  const host::Worksheet* temp = meetBook.FindSheet(std::string(meet::kTempSheet));
  const host::Worksheet* table = meetBook.FindSheet(std::string(meet::kNumberTableSheet));
  if (!events || !temp || !table) return {};

  std::map<std::string, std::string> nameOf;
  const int lastTableRow = table->End(host::kMaxRows, meet::numbers::kNumberCol, host::Direction::Up).first;
  for (int r = meet::numbers::kFirstRow; r <= lastTableRow; ++r) {
    const std::string number = table->ValueAt(r, meet::numbers::kNumberCol).ToText();
    if (!number.empty()) nameOf.emplace(number, table->ValueAt(r, meet::numbers::kNameCol).ToText());
  }

  std::vector<Scheduled> scheduled;
  for (const Timeline* t : {&track, &field}) {
    for (const TimedRow& row : t->rows) {
      if (!IsEvent(row.kind)) continue;
      const std::string& stage = Column(row.row, 4);
      if (stage != kPreliminary && stage != kSingleRound) continue;
      Scheduled s{meet::EventTitle(Column(row.row, 1), Column(row.row, 2), Column(row.row, 3)),
                  row.timeText,
                  row.halfDay,
                  row.start,
                  row.end,
                  {}};
      const int eventRow = meet::EventRowOfTitle(*events, s.title);
      if (eventRow == 0) continue;
      std::set<std::string> seen;
      for (int c = ev::kFirstEntrantCol; c <= ev::kLastEntrantCol; ++c) {
        const std::string number = temp->ValueAt(eventRow, c).ToText();
        if (!number.empty() && seen.insert(number).second) s.numbers.push_back(number);
      }
      if (!s.numbers.empty()) scheduled.push_back(std::move(s));
    }
  }

  std::map<std::string, std::vector<std::size_t>> eventsOf;
  for (std::size_t i = 0; i < scheduled.size(); ++i)
    for (const std::string& n : scheduled[i].numbers) eventsOf[n].push_back(i);
  std::vector<Clash> clashes;
  for (const auto& [number, list] : eventsOf) {
    for (std::size_t a = 0; a < list.size(); ++a) {
      for (std::size_t b = a + 1; b < list.size(); ++b) {
        const Scheduled& x = scheduled[list[a]];
        const Scheduled& y = scheduled[list[b]];
        if (x.halfDay != y.halfDay || !(x.start < y.end && y.start < x.end)) continue;
        auto name = nameOf.find(number);
        clashes.push_back(Clash{number, name == nameOf.end() ? std::string() : name->second, x.halfDay,
                                ClashEvent{x.title, x.span}, ClashEvent{y.title, y.span}});
      }
    }
  }
  return clashes;
}

std::string ClashMessage(const std::vector<Clash>& clashes) {
  std::string s = "以下运动员报名的两个项目在同一时间段进行（共" + std::to_string(clashes.size()) + "处）：";
  for (std::size_t i = 0; i < clashes.size() && i < static_cast<std::size_t>(kClashMessageLines); ++i) {
    const Clash& c = clashes[i];
    s += "\n" + c.number + " " + c.name + "：" + (c.halfDay.empty() ? "" : c.halfDay + " ") + c.first.title + " " +
         c.first.span + " 与 " + c.second.title + " " + c.second.span;
  }
  if (clashes.size() > static_cast<std::size_t>(kClashMessageLines)) s += "\n……";
  s += "\n详见日程安排表的工作表“" + std::string(kClashSheet) + "”。";
  return s;
}

void WriteClashSheet(host::Workbook& schedule, const std::vector<Clash>& clashes) {
  if (host::Worksheet* old = schedule.FindSheet(std::string(kClashSheet))) schedule.RemoveSheet(*old);
  if (clashes.empty()) return;
  host::Worksheet* after = schedule.FindSheet(std::string(kFieldSheet));
  host::Worksheet& ws =
      schedule.AddSheet(nullptr, after ? after : &schedule.Sheet(schedule.Count()), std::string(kClashSheet));
  const std::vector<std::string> headings{"号码", "姓名", "日期", "项目一", "时间一", "项目二", "时间二"};
  const double widths[] = {8, 10, 14, 20, 13, 20, 13};
  for (int c = 1; c <= 7; ++c) {
    ws.Cells(1, c).SetLiteral(host::CellValue(headings[static_cast<std::size_t>(c - 1)]));
    ws.SetColumnWidth(c, widths[c - 1]);
  }
  host::Range(&ws, host::RangeRef{1, 1, 1, 7}).SetFontBold(true);
  int r = 1;
  for (const Clash& c : clashes) {
    ++r;
    const std::string cells[] = {c.number,     c.name,         c.halfDay,    c.first.title,
                                 c.first.span, c.second.title, c.second.span};
    for (int k = 0; k < 7; ++k) ws.Cells(r, k + 1).SetLiteral(host::CellValue(cells[k]));
  }
  host::Range all(&ws, host::RangeRef{1, 1, r, 7});
  for (int edge : {xl::EdgeLeft, xl::EdgeTop, xl::EdgeBottom, xl::EdgeRight, xl::InsideVertical, xl::InsideHorizontal})
    all.SetBorder(edge, xl::Continuous);
  all.SetHorizontalAlignment(xl::Center);
  ws.Page().paperSize = xl::PaperA4;
  ws.Page().orientation = xl::Landscape;
  ws.Page().centerFooter = "第 &P 页";
  schedule.AddName("'" + std::string(kClashSheet) + "'!Print_Titles", "=" + std::string(kClashSheet) + "!$1:$1");
}

}  // namespace korvane::schedule
