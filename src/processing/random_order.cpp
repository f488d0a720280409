#include "processing/random_order.h"

#include <algorithm>
#include <utility>

#include "host/range.h"
#include "host/worksheet.h"
#include "meet/guards.h"
#include "meet/layout.h"
#include "meet/sheets.h"
#include "processing/commands.h"
#include "shell/menu_stages.h"
#include "shell/program.h"

namespace korvane::processing {

namespace ev = meet::events;

void ShuffleEntrants(std::vector<Entrant>& entrants, shell::CommandRandom& rng) {
  const std::size_t n = entrants.size();
  std::vector<int> keys(n);
  for (int& k : keys) k = static_cast<int>(rng.Next() * ev::MaxEntrantsPerEvent) + 1;
  // Selection sort by key: each place takes the first smallest key of the rest.
  for (std::size_t a = 0; a + 1 < n; ++a) {
    std::size_t m = a;
    for (std::size_t b = a + 1; b < n; ++b)
      if (keys[m] > keys[b]) m = b;
    if (m != a) {
      std::swap(keys[a], keys[m]);
      std::swap(entrants[a], entrants[m]);
    }
  }
}

void SJPX(host::Workbook& book, shell::CommandRandom& rng) {
  meet::delSht(book, 3);
  host::Worksheet& events = meet::RequireSheet(book, meet::kEventsSheet);
  host::Worksheet& temp = meet::RequireSheet(book, meet::kTempSheet);

  meet::SheetOpen open(events, meet::AtEnd::Protect);
  const long long count = events.ValueAt(ev::kEventCount.row, ev::kEventCount.col).ToWhole();
  const int n = static_cast<int>(std::clamp<long long>(count, 0, host::kMaxRows - ev::kFirstEventRow + 1));
  if (n > 0) {
    const int first = ev::EventRow(1), last = ev::EventRow(n);
    // Titles, counts and entrants of all rows read at once: D:CB of 比赛项目名单, F:CB of temp.
    const host::ValueGrid rows = host::Range(&events, {first, ev::kTitleCol, last, ev::kLastEntrantCol}).Values();
    const host::ValueGrid numbers =
        host::Range(&temp, {first, ev::kFirstEntrantCol, last, ev::kLastEntrantCol}).Values();
    constexpr int kEntrantsAt = ev::kFirstEntrantCol - ev::kTitleCol;  // F within D:CB
    std::vector<Entrant> entrants;
    for (int i = 0; i < n; ++i) {
      const host::CellValue& size = rows[i][ev::kEntrantCountCol - ev::kTitleCol];
      const int e = static_cast<int>(std::clamp<long long>(size.ToWhole(), 0, ev::MaxEntrantsPerEvent));
      if (e == 0) continue;
      const bool relay = rows[i][0].ToText().ends_with(meet::form::kRelaySuffix);
      entrants.clear();
      for (int j = 0; j < e; ++j)
        entrants.push_back({rows[i][kEntrantsAt + j], relay ? host::CellValue() : numbers[i][j]});
      ShuffleEntrants(entrants, rng);

      host::ValueGrid names(1), nums(1);
      for (const Entrant& x : entrants) {
        names[0].push_back(x.name);
        nums[0].push_back(x.number);
      }
      const int row = first + i;
      events.Cells(row, ev::kFirstEntrantCol).SetLiterals(names);
      if (!relay) temp.Cells(row, ev::kFirstEntrantCol).SetLiterals(nums);
    }
  }
}

void Sort(shell::Program& program) {
  host::Workbook* book = shell::RequireMeetWorkbook(program);
  if (!book) return;
  if (!book->FindSheet(std::string(meet::kEventsSheet)) || !book->FindSheet(std::string(meet::kTempSheet))) {
    program.ui().MessageBox(std::string(kNotConsolidated), shell::Icon::Exclamation);
    return;
  }
  meet::ScreenUpdatingOff screen(program.Host());
  meet::StructureOpen structure(*book, meet::AtEnd::Protect);
  // The report sheets are built from the current order; the new order removes them.
  const bool hadReports = book->FindSheet(std::string(meet::kNumberReportSheet)) != nullptr;
  {
    shell::CaptionNote note(program, notes::kRandomOrder);
    shell::CommandRandom rng;
    SJPX(*book, rng);
  }
  if (hadReports) {
    if (host::Worksheet* reg = book->FindSheet(std::string(meet::kScoreRegisterSheet))) reg->SetVisible(false);
    shell::EnterMenuStep(program.Menu(), shell::MenuStep::ReportsRemoved);
  }
  host::Worksheet& events = book->Sheet(std::string(meet::kEventsSheet));
  if (events.Visible()) events.Select();
}

}  // namespace korvane::processing
