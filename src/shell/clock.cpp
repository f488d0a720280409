#include "shell/clock.h"

#include <cstdlib>
#include <ctime>
#include <stdexcept>

namespace korvane::shell {

namespace {

bool ReadDigits(std::string_view s, std::size_t pos, std::size_t count, int& out) {
  if (pos + count > s.size()) return false;
  int v = 0;
  for (std::size_t i = pos; i < pos + count; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
  }
  out = v;
  return true;
}

}  // namespace

std::chrono::year_month_day DateTime::Date() const {
  return std::chrono::year_month_day{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                                     std::chrono::day{static_cast<unsigned>(day)}};
}

int DateTime::Weekday() const {
  return static_cast<int>(std::chrono::weekday{std::chrono::sys_days{Date()}}.c_encoding());
}

std::optional<DateTime> ParseDateTime(std::string_view s) {
  DateTime t;
  if (!ReadDigits(s, 0, 4, t.year) || s.size() < 10 || s[4] != '-' || !ReadDigits(s, 5, 2, t.month) || s[7] != '-' ||
      !ReadDigits(s, 8, 2, t.day))
    return std::nullopt;
  if (!t.Date().ok()) return std::nullopt;
  if (s.size() == 10) return t;
  if (s[10] != 'T' && s[10] != ' ') return std::nullopt;
  if (!ReadDigits(s, 11, 2, t.hour) || s.size() < 16 || s[13] != ':' || !ReadDigits(s, 14, 2, t.minute))
    return std::nullopt;
  if (s.size() == 19) {
    if (s[16] != ':' || !ReadDigits(s, 17, 2, t.second)) return std::nullopt;
  } else if (s.size() != 16) {
    return std::nullopt;
  }
  if (t.hour > 23 || t.minute > 59 || t.second > 59) return std::nullopt;
  return t;
}

DateTime Now() {
  if (const char* fixed = std::getenv("KORVANE_NOW"); fixed && *fixed) {
    auto t = ParseDateTime(fixed);
    if (!t) throw std::runtime_error(std::string("环境变量 KORVANE_NOW 不是有效的日期时间：") + fixed);
    return *t;
  }
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  DateTime t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  t.second = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second counts as :59
  return t;
}

std::string LongDateText(const DateTime& t) {
  return std::to_string(t.year) + "年" + std::to_string(t.month) + "月" + std::to_string(t.day) + "日";
}

std::string WeekdayText(const DateTime& t) {
  static const char* const names[] = {"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"};
  return names[t.Weekday()];
}

}  // namespace korvane::shell
