// The program's clock. KORVANE_NOW (an ISO date-time such as
// "2026-12-07T09:30:00", or a date alone) fixes it for reproducible runs;
// without it the local time is used.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace korvane::shell {

struct DateTime {
  int year = 1970, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;

  std::chrono::year_month_day Date() const;
  int SecondsOfDay() const { return hour * 3600 + minute * 60 + second; }
  // 0 = Sunday ... 6 = Saturday.
  int Weekday() const;
  bool operator==(const DateTime&) const = default;
};

// "YYYY-MM-DD", "YYYY-MM-DDTHH:MM[:SS]" or with a space instead of "T"; a
// real calendar date and time of day. nullopt for anything else.
std::optional<DateTime> ParseDateTime(std::string_view text);

// The current local time, or KORVANE_NOW when it is set. Throws
// std::runtime_error when KORVANE_NOW is set but is not a date-time.
DateTime Now();

// The long date as the Chinese locale writes it: "2026年12月7日".
std::string LongDateText(const DateTime& t);
// "星期一".
std::string WeekdayText(const DateTime& t);

}  // namespace korvane::shell
