// The prize workbook among the open workbooks, and the expansion of its
// settings into certificate lines.
#include <algorithm>
#include <cmath>
#include <optional>

#include "awards/awards.h"
#include "host/address.h"
#include "host/application.h"
#include "host/worksheet.h"
#include "meet/grades.h"
#include "meet/layout.h"

namespace korvane::awards {

namespace {

bool EndsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

int LastUsedColOfRow(const host::Worksheet& ws, int row) {
  return ws.End(row, host::Worksheet::ColumnsCount(), host::Direction::ToLeft).second;
}

// A place count as the lists use it: empty is 0; otherwise a whole number
// from 0 to 10, also when typed as text.
std::optional<int> PlaceCount(const host::CellValue& v) {
  if (v.IsEmpty()) return 0;
  if (v.IsBool() || v.IsError()) return std::nullopt;
  double d = 0;
  if (!v.ToNumber(d) || !std::isfinite(d) || d != std::floor(d) || d < 0 || d > kMaxPlaces) return std::nullopt;
  return static_cast<int>(d);
}

std::string CellName(int row, int col) { return host::ColumnLetters(col) + std::to_string(row); }

}  // namespace

host::Workbook* FindPrizeWorkbook(const host::WorkbookHost& host) {
  host::Workbook* found = nullptr;
  for (host::Workbook* book : host.Workbooks())
    if (book->Name().rfind(meet::kPrizeWorkbookBaseName, 0) == 0) found = book;
  return found;
}

std::vector<std::string> MeetGrades(const host::Worksheet& meetSettings) {
  return meet::GradeNames(meet::ReadGrades(meetSettings));
}

int RelayMultiplicity(std::string_view heading) {
  if (!EndsWith(heading, meet::form::kRelaySuffix)) return 1;
  if (heading.empty() || heading.front() < '1' || heading.front() > '9') return 0;
  return heading.front() - '0';
}

PrizeLinesResult ExpandPrizeSettings(const host::Worksheet& ws, const std::vector<std::string>& grades) {
  PrizeLinesResult result;
  const int gradeCount = std::min(static_cast<int>(grades.size()), kGradeBlocks);
  const int eventCount = std::max(0, LastUsedColOfRow(ws, kHeadingRow) - (kFirstEventCol - 1));

  // Everything is checked before the first line is made, so a refusal leaves
  // no half list.
  std::vector<std::string> headings(static_cast<std::size_t>(eventCount));
  std::vector<int> runners(static_cast<std::size_t>(eventCount));
  for (int e = 0; e < eventCount; ++e) {
    headings[e] = ws.ValueAt(kHeadingRow, kFirstEventCol + e).ToText();
    runners[e] = RelayMultiplicity(headings[e]);
  }
  auto awarded = [&](int row, int e) { return ws.ValueAt(row, kFirstEventCol + e).ToText() != kNoAward; };
  std::vector<int> teamPlaces(static_cast<std::size_t>(gradeCount));
  std::vector<int> places(static_cast<std::size_t>(3 * gradeCount));
  for (int g = 1; g <= gradeCount; ++g) {
    const int top = BlockRow(g);
    const host::CellValue d = ws.ValueAt(top, kTeamPlacesCol);
    const std::optional<int> team = PlaceCount(d);
    if (!team) {
      result.refusal = text::PlacesRefused(CellName(top, kTeamPlacesCol), d.ToText());
      return result;
    }
    teamPlaces[g - 1] = *team;
    for (int r = top; r < top + 3; ++r) {
      const host::CellValue e = ws.ValueAt(r, kPlacesCol);
      const std::optional<int> p = PlaceCount(e);
      if (!p) {
        result.refusal = text::PlacesRefused(CellName(r, kPlacesCol), e.ToText());
        return result;
      }
      places[r - BlockRow(1)] = *p;
      for (int ev = 0; ev < eventCount; ++ev)
        if (runners[ev] == 0 && awarded(r, ev)) {
          result.refusal = text::RelayRefused(CellName(kHeadingRow, kFirstEventCol + ev), headings[ev]);
          return result;
        }
    }
  }

  PrizeLines& lines = result.lines;
  for (int g = 1; g <= gradeCount; ++g) {
    const std::string& grade = grades[g - 1];
    lines.spirit.push_back({grade});
    for (int p = 1; p <= teamPlaces[g - 1]; ++p) lines.team.push_back({grade, std::string(meet::kNumerals[p - 1])});
    for (int r = BlockRow(g); r < BlockRow(g) + 3; ++r) {
      const std::string group = ws.ValueAt(r, kGroupCol).ToText();
      const int count = places[r - BlockRow(1)];
      for (int e = 0; e < eventCount; ++e) {
        if (!awarded(r, e)) continue;
        for (int p = 1; p <= count; ++p)
          for (int m = 0; m < runners[e]; ++m)
            lines.individual.push_back({grade, group, headings[e], std::string(meet::kNumerals[p - 1])});
      }
    }
  }
  return result;
}

}  // namespace korvane::awards
