#include "processing/grades.h"

#include <algorithm>

#include "host/address.h"
#include "host/utf8.h"
#include "host/worksheet.h"
#include "meet/layout.h"

namespace korvane::processing {

namespace s = meet::settings;

std::vector<Grade> ReadGrades(const host::Workbook& book) {
  std::vector<Grade> grades;
  const host::Worksheet* settings = book.FindSheet(std::string(meet::kSettingsSheet));
  if (!settings) return grades;
  const int lastRow = settings->End(host::kMaxRows, s::kGradeCol, host::Direction::Up).first;
  const int count = std::min(lastRow - 1, s::kMaxGrades);
  int total = 0;
  for (int g = 1; g <= count; ++g) {
    const int row = s::kFirstGradeRow + g - 1;
    Grade grade;
    grade.name = settings->ValueAt(row, s::kGradeCol).ToText();
    grade.teams = static_cast<int>(std::clamp<long long>(settings->ValueAt(row, s::kTeamsCol).ToWhole(), 0, 100000));
    grade.firstTeam = total + 1;
    total += grade.teams;
    grade.lastTeam = total;
    grades.push_back(std::move(grade));
  }
  return grades;
}

TeamRange FindPosition(const std::vector<Grade>& grades, std::string_view grade) {
  for (const Grade& g : grades)
    if (g.name == grade) return {g.firstTeam, g.lastTeam};
  if (grade == meet::events::kAllJunior || grade == meet::events::kAllSenior) {
    // The whole school level: from the first to the last grade that starts
    // with the level's first character.
    const std::string level = host::utf8::Mid(grade, 1, 1);
    TeamRange range;
    bool found = false;
    for (const Grade& g : grades) {
      if (host::utf8::Mid(g.name, 1, 1) != level) continue;
      if (!found) range.first = g.firstTeam;
      range.last = g.lastTeam;
      found = true;
    }
    if (found) return range;
  }
  return {};
}

}  // namespace korvane::processing
