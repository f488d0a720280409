#include "meet/event_title.h"

#include <algorithm>

#include "host/address.h"
#include "host/utf8.h"
#include "host/worksheet.h"
#include "meet/layout.h"

namespace korvane::meet {

namespace {

bool IsSex(std::string_view s) { return std::find(kSexes.begin(), kSexes.end(), s) != kSexes.end(); }

}  // namespace

EventTitleParts SplitEventTitle(std::string_view title) {
  using host::utf8::Mid;
  EventTitleParts parts;
  const std::size_t plainSexAt = kGradeNameCharacters + 1;
  const std::size_t mergedSexAt = 2 * kGradeNameCharacters + 1;
  parts.merged = !IsSex(Mid(title, plainSexAt, kSexCharacters)) && IsSex(Mid(title, mergedSexAt, kSexCharacters));
  const std::size_t sexAt = parts.merged ? mergedSexAt : plainSexAt;
  parts.grade = Mid(title, 1, sexAt - 1);
  parts.sex = Mid(title, sexAt, kSexCharacters);
  parts.event = Mid(title, sexAt + kSexCharacters);
  return parts;
}

std::string TitleGrade(std::string_view title) { return host::utf8::Mid(title, 1, kGradeNameCharacters); }

std::string EventTitle(std::string_view grade, std::string_view sex, std::string_view event) {
  return std::string(grade) + std::string(sex) + std::string(event);
}

int EventRowOfTitle(const host::Worksheet& events, std::string_view title) {
  const int last = events.End(host::kMaxRows, events::kTitleCol, host::Direction::Up).first;
  for (int r = events::kFirstEventRow; r <= last; ++r)
    if (events.ValueAt(r, events::kTitleCol).ToText() == title) return r;
  return 0;
}

}  // namespace korvane::meet
