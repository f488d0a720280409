// The grades of a meet as 设置 lists them, with the team sheets each owns, and
// the parameters of the forms, read from the meet workbook itself.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/workbook.h"

namespace korvane::processing {

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
std::vector<Grade> ReadGrades(const host::Workbook& book);

// The team sheets whose entries an event of `grade` collects: the grade's own
// sheets; for "初中" or "高中" that is not itself a grade of the meet, the
// sheets of every grade whose name starts with 初 (高); for any other grade
// name, none (first > last).
struct TeamRange {
  int first = 1;
  int last = 0;
  bool Empty() const { return first > last; }
};
TeamRange FindPosition(const std::vector<Grade>& grades, std::string_view grade);

}  // namespace korvane::processing
