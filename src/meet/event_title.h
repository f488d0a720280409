// Event titles of 比赛项目名单 (column D): grade + sex + event name, as
// "初一男子100米", "初中女子4×100米接力" or "高一混合4×100米接力". A grade name
// has two characters (set-up refuses others); the title of an event whose
// grades were merged starts with both neighbouring grades
// ("初一初二男子100米").
#pragma once

#include <string>
#include <string_view>

namespace korvane::host {
class Worksheet;
}  // namespace korvane::host

namespace korvane::meet {

inline constexpr std::size_t kGradeNameCharacters = 2;
inline constexpr std::size_t kSexCharacters = 2;

struct EventTitleParts {
  std::string grade;  // one grade, or both grades of a merged title
  std::string sex;    // one of kSexes, or the two characters standing there
  std::string event;  // the event name as the forms head its column
  bool merged = false;
};
// Splits a title at its characters: grade, sex and the rest. When the sex of
// kSexes stands after four characters instead of two, the title is a merged
// one and its grade has both grades. Any other text is split at the places a
// plain title has them.
EventTitleParts SplitEventTitle(std::string_view title);
// The grade whose block of the event list holds the title: its first two
// characters (the first grade of a merged title).
std::string TitleGrade(std::string_view title);
// grade + sex + event.
std::string EventTitle(std::string_view grade, std::string_view sex, std::string_view event);

// The first row of the event list `events` (比赛项目名单) from kFirstEventRow
// down to the last used cell of column D whose title is `title`; 0 when none.
int EventRowOfTitle(const host::Worksheet& events, std::string_view title);

}  // namespace korvane::meet
