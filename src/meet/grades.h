// The grades of a meet as 设置 lists them (A2 down, at most seven, with their
// team counts in column B), the team sheets each owns, their school levels
// and the grade-merge flags of the event list. Every command reads the grades
// here.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "meet/layout.h"

namespace korvane::host {
class Workbook;
class Worksheet;
}  // namespace korvane::host

namespace korvane::meet {

// One grade: its two-character name, its number of teams and the team sheets
// it owns (firstTeam..lastTeam, 1-based; firstTeam > lastTeam when it has none).
struct Grade {
  std::string name;
  int teams = 0;
  int firstTeam = 1;
  int lastTeam = 0;
};

// The grades in 设置 from A2 down to the last used cell of column A (at most
// seven) with their team counts from column B. Team sheets are numbered grade
// after grade, as the registration forms were made: the teams of a grade
// follow those of the grades above it. A count that is not a positive number
// counts as no teams.
std::vector<Grade> ReadGrades(const host::Worksheet& settings);
// The same from the 设置 sheet of `book`; none when it has no such sheet.
std::vector<Grade> ReadGrades(const host::Workbook& book);
std::vector<std::string> GradeNames(const std::vector<Grade>& grades);

// The school level of a grade: events::kAllJunior for a name that starts with
// settings::kJuniorGradeMark (初), events::kAllSenior for one that starts with
// 高, "" otherwise.
std::string_view SchoolLevel(std::string_view grade);

// The grade-merge flags F1:I1 of the event list (比赛项目名单): flag k is set
// when its cell holds 1. F1 is set when the junior grades compete together.
std::array<bool, events::kMergeFlagCount> MergeFlags(const host::Worksheet& events);

// The team sheets whose entries an event of `grade` collects: the grade's own
// sheets; for "初中" or "高中" that is not itself a grade of the meet, the
// sheets of every grade of that school level; for any other grade name, none
// (first > last).
struct TeamRange {
  int first = 1;
  int last = 0;
  bool Empty() const { return first > last; }
};
TeamRange FindPosition(const std::vector<Grade>& grades, std::string_view grade);

}  // namespace korvane::meet
