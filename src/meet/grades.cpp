#include "meet/grades.h"

#include <algorithm>

#include "host/address.h"
#include "host/utf8.h"
#include "host/workbook.h"
#include "host/worksheet.h"

namespace korvane::meet {

namespace s = settings;

std::vector<Grade> ReadGrades(const host::Worksheet& settings) {
  std::vector<Grade> grades;
  const int lastRow = settings.End(host::kMaxRows, s::kGradeCol, host::Direction::Up).first;
  const int count = std::min(lastRow - 1, s::kMaxGrades);
  int total = 0;
  for (int g = 1; g <= count; ++g) {
    const int row = s::kFirstGradeRow + g - 1;
    Grade grade;
    grade.name = settings.ValueAt(row, s::kGradeCol).ToText();
    grade.teams = static_cast<int>(std::clamp<long long>(settings.ValueAt(row, s::kTeamsCol).ToWhole(), 0, 100000));
    grade.firstTeam = total + 1;
    total += grade.teams;
    grade.lastTeam = total;
    grades.push_back(std::move(grade));
  }
  return grades;
}

std::vector<Grade> ReadGrades(const host::Workbook& book) {
  const host::Worksheet* settings = book.FindSheet(std::string(kSettingsSheet));
  if (!settings) return {};
  return ReadGrades(*settings);
}

std::vector<std::string> GradeNames(const std::vector<Grade>& grades) {
  std::vector<std::string> names;
  for (const Grade& g : grades) names.push_back(g.name);
  return names;
}

std::string_view SchoolLevel(std::string_view grade) {
  const std::string first = host::utf8::Mid(grade, 1, 1);
  if (first == s::kJuniorGradeMark) return events::kAllJunior;
  if (first == host::utf8::Mid(events::kAllSenior, 1, 1)) return events::kAllSenior;
  return {};
}

std::array<bool, events::kMergeFlagCount> MergeFlags(const host::Worksheet& list) {
  std::array<bool, events::kMergeFlagCount> flags{};
  for (int k = 0; k < events::kMergeFlagCount; ++k)
    flags[static_cast<std::size_t>(k)] =
        list.ValueAt(events::kMergeFlagsFirst.row, events::kMergeFlagsFirst.col + k).ToWhole() == 1;
  return flags;
}

TeamRange FindPosition(const std::vector<Grade>& grades, std::string_view grade) {
  for (const Grade& g : grades)
    if (g.name == grade) return {g.firstTeam, g.lastTeam};
  if (grade == events::kAllJunior || grade == events::kAllSenior) {
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

}  // namespace korvane::meet
