// Athlete numbers composed and taken apart again.
#include <gtest/gtest.h>

#include "meet/athlete_number.h"
#include "meet/layout.h"

namespace meet = korvane::meet;

TEST(AthleteNumberDecode, RoundTripsEveryPartOfTheNumber) {
  struct Case {
    const char* grade;
    int team, row, rowsPerTeam;
    std::string_view sex;
  };
  const Case cases[] = {
      {"高一", 2, 3, 20, meet::kMale},     // 10203: class 2 of 高一, third boy
      {"初三", 12, 10, 20, meet::kMale},   // the last boy's row
      {"初一", 1, 11, 20, meet::kFemale},  // the first girl's row
      {"初中", 99, 98, 98, meet::kFemale}, {"高中", 1, 1, 4, meet::kMale},
  };
  for (const Case& c : cases) {
    const std::string number = meet::AthleteNumber(meet::GradeCode(c.grade), c.team, c.row);
    const std::optional<meet::AthleteNumberParts> parts = meet::DecodeAthleteNumber(number, c.rowsPerTeam);
    ASSERT_TRUE(parts) << number;
    EXPECT_EQ(parts->grade, c.grade) << number;
    EXPECT_EQ(parts->team, c.team) << number;
    EXPECT_EQ(parts->row, c.row) << number;
    EXPECT_EQ(parts->sex, c.sex) << number;
  }
  // A grade without a code of its own decodes to T and no grade name.
  const std::optional<meet::AthleteNumberParts> other =
      meet::DecodeAthleteNumber(meet::AthleteNumber(meet::GradeCode("教工"), 1, 5), 20);
  ASSERT_TRUE(other);
  EXPECT_EQ(other->gradeCode, "T");
  EXPECT_EQ(other->grade, "");
}

TEST(AthleteNumberDecode, RefusesWhatIsNotANumberOfTheMeet) {
  for (const char* text :
       {"", "1020", "102030", "40203", "x0203", "1a203", "10b03", "10003", "10200", "10221", "１0203", "高0203"})
    EXPECT_FALSE(meet::DecodeAthleteNumber(text, 20)) << text;
  EXPECT_FALSE(meet::DecodeAthleteNumber("10203", 0)) << "no meet size";
}
