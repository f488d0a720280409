#include "reports/score_register.h"

#include <algorithm>
#include <map>
#include <vector>

#include "host/address.h"
#include "host/application.h"
#include "host/pagination.h"
#include "host/range.h"
#include "host/worksheet.h"
#include "meet/guards.h"
#include "meet/layout.h"
#include "reports/commands.h"
#include "shell/menu_stages.h"

namespace korvane::reports {

using host::CellValue;
using host::RangeRef;
using host::ValueGrid;

namespace {

using meet::scores::kFirstEntrantCol;
using meet::scores::kFirstEventRow;
using meet::scores::kLabelCol;
using meet::scores::kLastEntrantCol;
using meet::scores::kMethodCol;
using meet::scores::kPlacesCol;
using meet::scores::kTitleCol;

bool EndsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

void Rebuild(host::Worksheet& reg, host::Worksheet& eventsSheet, host::Worksheet& temp) {
  namespace ev = meet::events;
  const RangeRef below{kFirstEventRow, 1, host::Worksheet::RowsCount(), kLastEntrantCol};

  // Only rows that exist can be hidden: show those, not every row of the sheet.
  std::vector<int> hidden;
  for (const auto& [r, row] : reg.RowMap())
    if (row.hidden) hidden.push_back(r);
  for (int r : hidden) reg.SetRowHidden(r, false);
  // Unmerge first, so that a merge reaching over the edge cannot stop the clearing.
  reg.RemoveMergesIn(below);
  host::Range(&reg, below).ClearContents();

  // Rows past the last used one of the list hold no events: a count beyond
  // them reads nothing more.
  const long long declared = eventsSheet.ValueAt(ev::kEventCount.row, ev::kEventCount.col).ToWhole();
  const int n =
      static_cast<int>(std::clamp<long long>(declared, 0,
                                             std::min(eventsSheet.LastUsedRow() - ev::kFirstEventRow + 1,
                                                      (host::Worksheet::RowsCount() - kFirstEventRow - 1) / 2)));
  if (n == 0) return;
  const int last = ev::EventRow(n);
  const ValueGrid head =
      host::Range(&eventsSheet, RangeRef{ev::kFirstEventRow, 1, last, ev::kEntrantCountCol}).Values();
  const RangeRef entrantCells{ev::kFirstEventRow, ev::kFirstEntrantCol, last, ev::kLastEntrantCol};
  const ValueGrid names = host::Range(&eventsSheet, entrantCells).Values();
  const ValueGrid numbers = host::Range(&temp, entrantCells).Values();

  for (int k = 1; k <= n; ++k) {
    const auto& row = head[static_cast<std::size_t>(k - 1)];
    const int entrants =
        static_cast<int>(std::clamp<long long>(row[ev::kEntrantCountCol - 1].ToWhole(), 0, ev::MaxEntrantsPerEvent));
    const long long method = row[ev::kMethodCol - 1].ToWhole();
    const int r = meet::scores::EventRow(k);
    if (entrants < 1 || method == static_cast<int>(meet::MeasuringMethod::Other)) {
      reg.SetRowHidden(r, true);
      reg.SetRowHidden(r + 1, true);
      continue;
    }
    const std::string title = row[ev::kTitleCol - 1].ToText();
    const bool relay = EndsWith(title, meet::form::kRelaySuffix);
    // A relay lists its teams by name; everyone else by athlete number.
    const auto& source = relay ? names[static_cast<std::size_t>(k - 1)] : numbers[static_cast<std::size_t>(k - 1)];
    std::vector<CellValue> first{
        CellValue(title), CellValue(std::string(meet::scores::MethodText(static_cast<int>(method)))), CellValue(),
        CellValue(std::string(relay ? meet::scores::kTeamLabel : meet::scores::kNumberLabel))};
    first.insert(first.end(), source.begin(), source.begin() + entrants);
    host::Range(&reg, RangeRef{r, kTitleCol, r, kTitleCol}).SetLiterals({first});
    host::Range(&reg, RangeRef{r + 1, kLabelCol, r + 1, kLabelCol}).SetLiteral(std::string(meet::scores::kResultLabel));
    for (int c : {kTitleCol, kMethodCol, kPlacesCol}) host::Range(&reg, RangeRef{r, c, r + 1, c}).Merge();
  }
}

// What the user typed into a register: the places to highlight of each
// event and the result of each entrant, keyed by the event's title and the
// entrant (athlete number or relay team) as the register showed them.
struct TypedResults {
  std::map<std::string, CellValue> places;
  std::map<std::pair<std::string, std::string>, CellValue> results;
  bool Empty() const { return places.empty() && results.empty(); }
};

TypedResults ReadTypedResults(const host::Worksheet& reg) {
  TypedResults typed;
  const int lastRow = reg.LastUsedRow();
  for (int r = kFirstEventRow; r + 1 <= lastRow + 1; r += 2) {
    const std::string title = reg.ValueAt(r, kTitleCol).ToText();
    const CellValue places = reg.ValueAt(r, kPlacesCol);
    if (!title.empty() && !places.IsEmpty()) typed.places[title] = places;
    for (int c = kFirstEntrantCol; c <= kLastEntrantCol; ++c) {
      const CellValue result = reg.ValueAt(r + 1, c);
      if (result.IsEmpty()) continue;
      typed.results[{title, reg.ValueAt(r, c).ToText()}] = result;
    }
  }
  return typed;
}

// Puts typed results back where the rebuilt register has the same event and
// the same entrant; the others have no row any more.
void RestoreTypedResults(host::Worksheet& reg, const TypedResults& typed) {
  const int lastRow = reg.LastUsedRow();
  for (int r = kFirstEventRow; r <= lastRow; r += 2) {
    if (reg.RowHidden(r)) continue;
    const std::string title = reg.ValueAt(r, kTitleCol).ToText();
    if (title.empty()) continue;
    if (auto p = typed.places.find(title); p != typed.places.end())
      host::Range(&reg, RangeRef{r, kPlacesCol, r, kPlacesCol}).SetLiteral(p->second);
    for (int c = kFirstEntrantCol; c <= kLastEntrantCol; ++c) {
      const CellValue entrant = reg.ValueAt(r, c);
      if (entrant.IsEmpty()) break;
      if (auto it = typed.results.find({title, entrant.ToText()}); it != typed.results.end())
        host::Range(&reg, RangeRef{r + 1, c, r + 1, c}).SetLiteral(it->second);
    }
  }
}

// The register prints the pages across that hold its entrants only: its
// headings number the entrant columns out to CA, which would otherwise print
// as pages of empty grids. The first page across always prints whole, with
// the title over it.
void SetRegisterPrintArea(host::Workbook& book, const host::Worksheet& reg) {
  int lastEntrantCol = kFirstEntrantCol;
  for (const auto& [r, row] : reg.RowMap()) {
    if (r < kFirstEventRow) continue;
    for (auto c = row.cells.rbegin(); c != row.cells.rend(); ++c)
      if (c->HasContent()) {
        lastEntrantCol = std::max(lastEntrantCol, static_cast<int>(c->col));
        break;
      }
  }
  auto& names = book.Names();
  names.erase(std::remove_if(names.begin(), names.end(),
                             [&](const host::DefinedName& n) {
                               return n.scope == &reg && host::Workbook::SameSheetName(n.name, "Print_Area");
                             }),
              names.end());
  int lastCol = lastEntrantCol;
  for (const host::print::Band& band : host::print::Paginate(reg).colBands)
    if (band.first <= lastEntrantCol && lastEntrantCol <= band.last) lastCol = band.last;
  const int lastRow = std::max(reg.LastUsedRow(), kFirstEventRow - 1);
  book.AddName("'" + reg.Name() + "'!Print_Area",
               "='" + reg.Name() + "'!" + host::AbsoluteAddress(RangeRef{1, 1, lastRow, lastCol}));
}

}  // namespace

std::string RegisterSheetMissingText(std::string_view sheet) {
  return "工作簿中缺少工作表“" + std::string(sheet) + "”，无法准备成绩登记表。";
}

bool FillScoreRegister(host::Workbook& book, shell::Ui& ui) {
  host::Worksheet* reg = book.FindSheet(std::string(meet::kScoreRegisterSheet));
  if (reg == nullptr) {
    ui.MessageBox(RegisterSheetMissingText(meet::kScoreRegisterSheet), shell::Icon::Exclamation);
    return false;
  }
  // A register on show holds the results typed so far: it is never rebuilt.
  if (reg->Visible()) return true;
  host::Worksheet* eventsSheet = book.FindSheet(std::string(meet::kEventsSheet));
  host::Worksheet* temp = book.FindSheet(std::string(meet::kTempSheet));
  for (auto [ws, name] : {std::pair{eventsSheet, meet::kEventsSheet}, std::pair{temp, meet::kTempSheet}})
    if (ws == nullptr) {
      ui.MessageBox(RegisterSheetMissingText(name), shell::Icon::Exclamation);
      return false;
    }
  // Results typed before the register was hidden again (by a late 报表生成
  // or a new consolidation) are not wiped without the user's word.
  const TypedResults typed = ReadTypedResults(*reg);
  if (!typed.Empty() && ui.MessageBox(std::string(kRebuildQuestion), shell::Icon::Question,
                                      shell::Buttons::YesNoDefaultNo) != shell::Answer::Yes) {
    reg->SetVisible(true);
    return true;
  }
  reg->Unprotect();
  reg->SetVisible(true);
  try {
    Rebuild(*reg, *eventsSheet, *temp);
    RestoreTypedResults(*reg, typed);
  } catch (...) {
    // A register left half-built must not pass for a finished one: hidden
    // again, the next run rebuilds it.
    reg->SetVisible(false);
    reg->Protect(true, true, true);
    throw;
  }
  reg->Protect(true, true, true);
  SetRegisterPrintArea(book, *reg);
  book.SetSaved(false);
  return true;
}

void ScoreEdit(shell::Program& program) {
  host::Workbook* book = shell::RequireMeetWorkbook(program);
  if (book == nullptr) return;
  shell::CaptionNote note(program, notes::kScores);
  meet::ScreenUpdatingOff screen(program.Host());
  meet::StructureOpen structure(*book, meet::AtEnd::Protect);
  if (!FillScoreRegister(*book, program.ui())) return;
  shell::EnterMenuStep(program.Menu(), shell::MenuStep::ScoreRegisterFilled);
  book->Sheet(std::string(meet::kScoreRegisterSheet)).Select();
}

}  // namespace korvane::reports
