// Athlete numbers: five characters saying where the athlete stands in the
// entries — grade code, team within the grade (two digits), row within the
// team's block of the number table (two digits) — so the same row of the
// same team sheet gets the same number in every meet with that layout. The
// men's rows come first in a block, the women's after them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvane::meet {

// "1" "2" "3" for 高一 高二 高三, "7" "8" "9" for 初一 初二 初三, "C" for 初中,
// "G" for 高中, "T" for any other grade name.
std::string GradeCode(std::string_view grade);
// The grade of a code: "" for "T" (any other grade) and for a text that is
// not a code.
std::string_view GradeOfCode(std::string_view code);

// The last two digits of a whole number, with a leading zero: 1 -> "01",
// 12 -> "12", 105 -> "05".
std::string TwoDigits(int n);

// code + TwoDigits(team) + TwoDigits(row): 70312 for 初一, team 3, row 12.
std::string AthleteNumber(std::string_view code, int team, int row);

// An athlete number taken apart.
struct AthleteNumberParts {
  std::string gradeCode;  // "1".."3", "7".."9", "C", "G" or "T"
  std::string grade;      // its grade name; "" for "T"
  int team = 0;           // within the grade, 1..99
  int row = 0;            // within the team's block, 1..99
  std::string_view sex;   // kMale for the first half of the block, else kFemale
};
// The parts of `number` in a meet of `rowsPerTeam` athlete rows per team;
// nullopt for a text that is not an athlete number of such a meet: not five
// characters, an unknown grade code, a team or row that is not two digits or
// is 00, a row beyond rowsPerTeam. Forms grown beyond 99 rows repeat the last
// two digits of the row, so their numbers decode to the first row that has them.
std::optional<AthleteNumberParts> DecodeAthleteNumber(std::string_view number, int rowsPerTeam);

}  // namespace korvane::meet
