#include "meet/athlete_number.h"

#include <array>
#include <utility>

#include "meet/layout.h"

namespace korvane::meet {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 8> kCodes{{
    {"高一", "1"},
    {"高二", "2"},
    {"高三", "3"},
    {"初一", "7"},
    {"初二", "8"},
    {"初三", "9"},
    {"初中", "C"},
    {"高中", "G"},
}};
constexpr std::string_view kOtherGradeCode = "T";

// Two ASCII digits as a number; -1 otherwise.
int TwoDigitValue(std::string_view s) {
  if (s.size() != 2 || s[0] < '0' || s[0] > '9' || s[1] < '0' || s[1] > '9') return -1;
  return (s[0] - '0') * 10 + (s[1] - '0');
}

}  // namespace

std::string GradeCode(std::string_view grade) {
  for (const auto& [name, code] : kCodes)
    if (name == grade) return std::string(code);
  return std::string(kOtherGradeCode);
}

std::string_view GradeOfCode(std::string_view code) {
  for (const auto& [name, c] : kCodes)
    if (c == code) return name;
  return {};
}

std::string TwoDigits(int n) {
  std::string s = "0" + std::to_string(n);
  return s.substr(s.size() - 2);
}

std::string AthleteNumber(std::string_view code, int team, int row) {
  return std::string(code) + TwoDigits(team) + TwoDigits(row);
}

std::optional<AthleteNumberParts> DecodeAthleteNumber(std::string_view number, int rowsPerTeam) {
  // Every character of a well-formed number is ASCII, so five bytes.
  if (number.size() != static_cast<std::size_t>(numbers::kAthleteNumberLength)) return std::nullopt;
  AthleteNumberParts parts;
  parts.gradeCode = std::string(number.substr(0, 1));
  if (parts.gradeCode != kOtherGradeCode && GradeOfCode(parts.gradeCode).empty()) return std::nullopt;
  parts.grade = std::string(GradeOfCode(parts.gradeCode));
  parts.team = TwoDigitValue(number.substr(1, 2));
  parts.row = TwoDigitValue(number.substr(3, 2));
  if (parts.team < 1 || parts.row < 1 || rowsPerTeam < 2 || parts.row > rowsPerTeam) return std::nullopt;
  parts.sex = parts.row <= form::BlockRows(rowsPerTeam) ? kMale : kFemale;
  return parts;
}

}  // namespace korvane::meet
