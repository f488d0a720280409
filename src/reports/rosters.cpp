#include "reports/rosters.h"

#include <algorithm>
#include <stdexcept>

#include "host/range.h"
#include "host/style.h"
#include "meet/layout.h"
#include "reports/split.h"

namespace korvane::reports {

namespace xl = host::xl;

std::string HeatHeading(int h) { return "第" + ChineseNumeral(h) + "组"; }

int RosterFirstPage(int numberFirstPage, int numberLastRow) {
  const int rows = std::max(0, numberLastRow - 1);
  int page = numberFirstPage + (rows + meet::kNumberReportRowsPerPage - 1) / meet::kNumberReportRowsPerPage;
  if (page % 2 == 0) ++page;
  return page;
}

namespace {

bool EndsWith(const std::string& s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Writes the blocks of one event after another. The event's entrants come
// from its row of 比赛项目名单 (names) and of temp (numbers); entrant i of the
// event (0-based) is at index i of `names` and `numbers`.
class RosterWriter {
 public:
  explicit RosterWriter(ReportRun& run) : run_(run), ws_(*run.rosterReport), layout_(run.layout) {}

  void WriteEvent(const ReportEvent& event, const std::string& title, const std::vector<host::CellValue>& names,
                  const std::vector<host::CellValue>& numbers) {
    const int n = event.entrants;
    if (n < 1) return;
    laneRule_ = event.laneRule;
    title_ = title;
    relay_ = EndsWith(title, meet::form::kRelaySuffix);
    names_ = &names;
    numbers_ = &numbers;
    split_ = SplitEntrants(n, laneRule_, kLanes, run_.maxPerGroup);

    const int heats = split_.HeatCount();
    int offset = 0;  // entrants of the event already placed
    for (h_ = 1; h_ <= heats; ++h_) {
      const std::vector<int>& lines = split_.lines[h_ - 1];
      WriteTitle(heats, static_cast<int>(lines.size()));
      if (laneRule_ == '1') {
        if (relay_)
          WriteRelay(offset);
        else
          WriteData1(offset);
        offset += lines[0];
      } else {
        for (int j = 1; j <= static_cast<int>(lines.size()); ++j) {
          WriteData2(offset, j);
          offset += lines[j - 1];
        }
      }
      layout_.LastRow += layout_.BlockRows;
    }
  }

 private:
  // Places the block of heat or group h_ and writes its title rows: the event
  // title with 预决赛 when there is a single heat or group, else the title
  // with 预赛 above the first heat's heading, and a heading on every heat.
  void WriteTitle(int FenZu_sum, int rTmp) {
    const bool firstOfSeveral = FenZu_sum > 1 && h_ == 1;
    if (laneRule_ == '1' && relay_)
      layout_.BlockRows = firstOfSeveral ? 4 : 3;
    else if (laneRule_ == '2')
      layout_.BlockRows = 2 * rTmp + 1;
    else
      layout_.BlockRows = (firstOfSeveral ? 2 : 1) + (laneRule_ == '1' ? 3 : 2 * rTmp);
    meet::confirm_pos(layout_);
    c_ = 1 + layout_.ColShift;

    if (FenZu_sum == 1) {
      Title(layout_.BlockTop, title_ + std::string(kFinalWithoutHeats));
      writeRow_ = layout_.BlockTop + 1;
      return;
    }
    writeRow_ = layout_.BlockTop;
    if (h_ == 1) Title(writeRow_++, title_ + std::string(kPreliminaries));
    ws_.Cells(writeRow_++, c_).SetLiteral(HeatHeading(h_));
  }

  void Title(int row, const std::string& text) {
    host::Range cell = ws_.Cells(row, c_);
    cell.SetLiteral(text);
    meet::title_format1(cell);
  }

  // The lane row 道次 一 .. 八 and the label of the row below it, with the
  // heat's m entrants in consecutive lanes centred on the track.
  host::ValueGrid LaneGrid(int rows, std::string_view secondLabel, int x, int m, bool withNumbers) const {
    host::ValueGrid g(static_cast<std::size_t>(rows), std::vector<host::CellValue>(kLanes + 1));
    g[0][0] = std::string(kLaneLabel);
    for (int lane = 1; lane <= kLanes; ++lane) g[0][lane] = std::string(meet::kNumerals[lane - 1]);
    g[1][0] = std::string(secondLabel);
    if (withNumbers) g[2][0] = std::string(kNumberLabel);
    const int first = 1 + (kLanes - m) / 2;  // column index of the first entrant's lane
    for (int i = 0; i < m; ++i) {
      g[1][first + i] = Entrant(*names_, x + i);
      if (withNumbers) g[2][first + i] = Entrant(*numbers_, x + i);
    }
    return g;
  }

  // A lane heat: lanes, names and numbers.
  void WriteData1(int x) {
    const int m = split_.lines[h_ - 1][0];
    const int r = writeRow_;
    host::Range(&ws_, host::RangeRef{r, c_, r, c_}).SetLiterals(LaneGrid(3, kNameLabel, x, m, true));
    const int last = layout_.BlockTop + layout_.BlockRows - 1;
    meet::Borders_Setup(host::Range(&ws_, host::RangeRef{last - 2, c_, last, c_ + kLanes}), xl::Continuous);
    writeRow_ = r + 3;
  }

  // A relay heat: lanes and the teams' names, wrapped; relays carry no numbers.
  void WriteRelay(int x) {
    const int m = split_.lines[h_ - 1][0];
    const int r = writeRow_;
    host::Range(&ws_, host::RangeRef{r, c_, r, c_}).SetLiterals(LaneGrid(2, kRelayTeamLabel, x, m, false));
    const int s = c_ + 1 + (kLanes - m) / 2;
    host::Range(&ws_, host::RangeRef{r + 1, s, r + 1, s + m - 1}).SetWrapText(true);
    meet::Borders_Setup(host::Range(&ws_, host::RangeRef{r, c_, r + 1, c_ + kLanes}), xl::Continuous);
    writeRow_ = r + 2;
  }

  // Line j of the current list or group: names above numbers, from the label
  // column's right neighbour on.
  void WriteData2(int x, int j) {
    const int m = split_.lines[h_ - 1][j - 1];
    const int r = writeRow_;
    host::ValueGrid g(2, std::vector<host::CellValue>(static_cast<std::size_t>(m) + 1));
    g[0][0] = std::string(kNameLabel);
    g[1][0] = std::string(kNumberLabel);
    for (int i = 0; i < m; ++i) {
      g[0][i + 1] = Entrant(*names_, x + i);
      g[1][i + 1] = Entrant(*numbers_, x + i);
    }
    host::Range(&ws_, host::RangeRef{r, c_, r, c_}).SetLiterals(g);
    writeRow_ = r + 2;
  }

  static host::CellValue Entrant(const std::vector<host::CellValue>& cells, int i) {
    return i < static_cast<int>(cells.size()) ? cells[i] : host::CellValue();
  }

  ReportRun& run_;
  host::Worksheet& ws_;
  meet::ReportLayout& layout_;
  char laneRule_ = '3';
  bool relay_ = false;
  std::string title_;
  const std::vector<host::CellValue>* names_ = nullptr;
  const std::vector<host::CellValue>* numbers_ = nullptr;
  EntrantSplit split_;
  int h_ = 0;         // current heat or group, 1-based
  int c_ = 1;         // label column of the current block
  int writeRow_ = 0;  // next row of the current block
};

// Entrant cells F..CB of one row of a grid read from column A on.
std::vector<host::CellValue> EntrantCells(const host::ValueGrid& grid, int index) {
  if (index >= static_cast<int>(grid.size())) return {};
  const auto& row = grid[index];
  const std::size_t from = meet::events::kFirstEntrantCol - 1;
  if (row.size() <= from) return {};
  return std::vector<host::CellValue>(row.begin() + static_cast<std::ptrdiff_t>(from), row.end());
}

}  // namespace

void CreateItemReportForms(ReportRun& run) {
  host::Worksheet& report = *run.rosterReport;
  meet::ReportLayout& layout = run.layout;

  meet::Page_Setup(report);
  meet::RowCol_Setup(report, run.rowsPerTeam);
  layout.FirstPage = RosterFirstPage(layout.FirstPage, layout.LastRow);
  report.Page().firstPageNumber = layout.FirstPage;
  layout.LastRow = 0;
  layout.RowsPerPage = meet::kRosterRowsPerPage;

  // Titles and names of every event row, and their numbers, read at once.
  const int events = std::min(static_cast<int>(run.eventTable.size()),
                              std::max(0, run.events->LastUsedRow() - meet::events::kFirstEventRow + 1));
  if (events < 1) return;
  const host::RangeRef rows{meet::events::EventRow(1), 1, meet::events::EventRow(events),
                            meet::events::kLastEntrantCol};
  const host::ValueGrid names = host::Range(run.events, rows).Values();
  const host::ValueGrid numbers = host::Range(run.temp, rows).Values();

  RosterWriter writer(run);
  for (int k = 1; k <= events; ++k) {
    ReportEvent event = run.eventTable[k - 1];
    event.entrants = std::clamp(event.entrants, 0, meet::events::MaxEntrantsPerEvent);
    if (event.entrants < 1) continue;
    const std::string title = names[k - 1][meet::events::kTitleCol - 1].ToText();
    writer.WriteEvent(event, title, EntrantCells(names, k - 1), EntrantCells(numbers, k - 1));
  }
}

}  // namespace korvane::reports
