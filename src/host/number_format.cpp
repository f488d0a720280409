#include "host/number_format.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace korvane::host {

namespace {

enum class Tok { Literal, Digit, Point, Comma, Percent, Date, At };

struct Token {
  Tok kind;
  std::string text;  // literal text, the digit placeholder, or the date part in lower case
};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Splits a format code into its sections at the ";" outside quotes.
std::vector<std::string> Sections(std::string_view format) {
  std::vector<std::string> out(1);
  bool quoted = false;
  for (std::size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c == '"') quoted = !quoted;
    if (!quoted && c == '\\' && i + 1 < format.size()) {
      out.back() += c;
      out.back() += format[++i];
      continue;
    }
    if (!quoted && c == ';') {
      out.emplace_back();
      continue;
    }
    out.back() += c;
  }
  return out;
}

void AddLiteral(std::vector<Token>& toks, std::string_view text) {
  if (!toks.empty() && toks.back().kind == Tok::Literal)
    toks.back().text += text;
  else
    toks.push_back({Tok::Literal, std::string(text)});
}

// Length of the UTF-8 character starting at s[i].
std::size_t CharLength(std::string_view s, std::size_t i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
  return std::min(n, s.size() - i);
}

std::vector<Token> Tokenize(std::string_view s) {
  std::vector<Token> toks;
  std::size_t i = 0;
  while (i < s.size()) {
    char c = s[i];
    char l = Lower(c);
    if (c == '"') {
      std::size_t end = s.find('"', i + 1);
      if (end == std::string_view::npos) end = s.size();
      AddLiteral(toks, s.substr(i + 1, end - i - 1));
      i = end + 1;
    } else if (c == '\\' && i + 1 < s.size()) {
      std::size_t n = CharLength(s, i + 1);
      AddLiteral(toks, s.substr(i + 1, n));
      i += 1 + n;
    } else if (c == '_' && i + 1 < s.size()) {  // a space as wide as the next character
      AddLiteral(toks, " ");
      i += 1 + CharLength(s, i + 1);
    } else if (c == '*' && i + 1 < s.size()) {  // fill character: not repeated in a plain text
      i += 1 + CharLength(s, i + 1);
    } else if (c == '[') {
      std::size_t end = s.find(']', i);
      if (end == std::string_view::npos) end = s.size();
      std::string inner;
      for (char x : s.substr(i + 1, end - i - 1)) inner += Lower(x);
      if (inner == "h" || inner == "hh")
        toks.push_back({Tok::Date, "[h]"});
      else if (inner == "m" || inner == "mm")
        toks.push_back({Tok::Date, "[m]"});
      else if (inner == "s" || inner == "ss")
        toks.push_back({Tok::Date, "[s]"});
      i = end + 1;  // colours, conditions and locales are not shown
    } else if (c == '0' || c == '#' || c == '?') {
      toks.push_back({Tok::Digit, std::string(1, c)});
      ++i;
    } else if (c == '.') {
      toks.push_back({Tok::Point, "."});
      ++i;
    } else if (c == ',') {
      toks.push_back({Tok::Comma, ","});
      ++i;
    } else if (c == '%') {
      toks.push_back({Tok::Percent, "%"});
      ++i;
    } else if (c == '@') {
      toks.push_back({Tok::At, "@"});
      ++i;
    } else if (s.substr(i, 5) == "AM/PM" || s.substr(i, 5) == "am/pm") {
      toks.push_back({Tok::Date, "ampm"});
      i += 5;
    } else if (l == 'y' || l == 'm' || l == 'd' || l == 'h' || l == 's' || l == 'a') {
      std::size_t j = i;
      while (j < s.size() && Lower(s[j]) == l) ++j;
      std::string part(j - i, l);
      if (l == 'a' && part.size() < 3) {
        AddLiteral(toks, s.substr(i, j - i));
      } else {
        toks.push_back({Tok::Date, part});
      }
      i = j;
    } else if (l == 'e' && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-')) {
      AddLiteral(toks, s.substr(i, 2));  // scientific notation is shown as General below
      i += 2;
    } else {
      std::size_t n = CharLength(s, i);
      AddLiteral(toks, s.substr(i, n));
      i += n;
    }
  }
  return toks;
}

bool IsDateFormat(const std::vector<Token>& toks) {
  for (const Token& t : toks)
    if (t.kind == Tok::Date) return true;
  return false;
}

bool IsGeneral(std::string_view section) {
  std::string lower;
  for (char c : section) lower += Lower(c);
  return lower.find("general") != std::string::npos;
}

// Days from the civil date (proleptic Gregorian) to 1970-01-01, and back.
void CivilFromDays(long long z, int& y, int& m, int& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long yy = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yy + (m <= 2));
}

std::string TwoDigits(long long v) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%02lld", v);
  return buf;
}

std::string FormatDate(double serial, const std::vector<Token>& toks, bool date1904) {
  if (serial < 0) return "########";
  // Whole seconds, rounded as the application rounds the time of day.
  long long totalSeconds = std::llround(serial * 86400.0);
  long long days = totalSeconds / 86400;
  long long secs = totalSeconds % 86400;
  int y = 1900, mo = 1, d = 0, weekday = 0;
  if (date1904) {
    CivilFromDays(days - 24107, y, mo, d);  // 1904-01-01 is day -24107 from 1970
    weekday = static_cast<int>((days + 5) % 7);
  } else if (days == 0) {
    y = 1900, mo = 1, d = 0;  // the application's day zero
    weekday = 6;
  } else if (days == 60) {
    y = 1900, mo = 2, d = 29;  // the 1900 leap-year day the application counts
    weekday = 3;
  } else {
    CivilFromDays(days - (days < 60 ? 25568 : 25569), y, mo, d);
    weekday = static_cast<int>((days + 6) % 7);  // serial 1 (1900-01-01) is a Sunday in this count
  }
  const long long hours = secs / 3600, minutes = secs / 60 % 60, seconds = secs % 60;
  bool ampm = false;
  for (const Token& t : toks)
    if (t.kind == Tok::Date && t.text == "ampm") ampm = true;

  static const char* const kWeekdays[] = {"日", "一", "二", "三", "四", "五", "六"};
  static const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
  std::string out;
  for (std::size_t i = 0; i < toks.size(); ++i) {
    const Token& t = toks[i];
    if (t.kind != Tok::Date) {
      out += t.text;
      continue;
    }
    const std::string& p = t.text;
    if (p[0] == 'y') {
      out += p.size() <= 2 ? TwoDigits(y % 100) : std::to_string(y);
    } else if (p[0] == 'm' && p != "mm" && p != "m") {
      out += p.size() == 3   ? std::string(kMonths[mo - 1]).substr(0, 3)
             : p.size() == 4 ? kMonths[mo - 1]
                             : std::string(1, kMonths[mo - 1][0]);
    } else if (p == "m" || p == "mm") {
      // Minutes after an hour or before a second, else the month.
      bool minute = false;
      for (std::size_t j = i; j-- > 0;) {
        if (toks[j].kind != Tok::Date) continue;
        minute = toks[j].text[0] == 'h' || toks[j].text == "[h]";
        break;
      }
      for (std::size_t j = i + 1; !minute && j < toks.size(); ++j) {
        if (toks[j].kind != Tok::Date) continue;
        minute = toks[j].text[0] == 's';
        break;
      }
      long long v = minute ? minutes : mo;
      out += p.size() == 2 ? TwoDigits(v) : std::to_string(v);
    } else if (p[0] == 'd') {
      static const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
      if (p.size() <= 2)
        out += p.size() == 2 ? TwoDigits(d) : std::to_string(d);
      else
        out += p.size() == 3 ? std::string(kDays[weekday]).substr(0, 3) : kDays[weekday];
    } else if (p == "ampm") {
      out += hours < 12 ? "AM" : "PM";
    } else if (p[0] == 'a') {
      out += p.size() >= 4 ? std::string("星期") + kWeekdays[weekday] : kWeekdays[weekday];
    } else if (p == "[h]") {
      out += std::to_string(totalSeconds / 3600);
    } else if (p == "[m]") {
      out += std::to_string(totalSeconds / 60);
    } else if (p == "[s]") {
      out += std::to_string(totalSeconds);
    } else if (p[0] == 'h') {
      long long h = ampm ? (hours % 12 == 0 ? 12 : hours % 12) : hours;
      out += p.size() >= 2 ? TwoDigits(h) : std::to_string(h);
    } else if (p[0] == 's') {
      out += p.size() >= 2 ? TwoDigits(seconds) : std::to_string(seconds);
    }
  }
  return out;
}

std::string GroupThousands(const std::string& digits) {
  std::string out;
  int n = static_cast<int>(digits.size());
  for (int i = 0; i < n; ++i) {
    out += digits[static_cast<std::size_t>(i)];
    int left = n - 1 - i;
    if (left > 0 && left % 3 == 0) out += ',';
  }
  return out;
}

std::string FormatNumber(double v, const std::vector<Token>& toks) {
  // The placeholders of the number: integer part, decimals, grouping, scale.
  int intZeros = 0, decimals = 0, decZeros = 0;
  bool point = false, grouping = false, anyDigit = false;
  int percent = 0;
  std::size_t firstDigit = toks.size(), lastDigit = 0;
  for (std::size_t i = 0; i < toks.size(); ++i) {
    const Token& t = toks[i];
    if (t.kind == Tok::Digit) {
      anyDigit = true;
      firstDigit = std::min(firstDigit, i);
      lastDigit = i;
      if (point) {
        ++decimals;
        if (t.text != "#") decZeros = decimals;
      } else if (t.text == "0") {
        ++intZeros;
      }
    } else if (t.kind == Tok::Point && !point) {
      point = true;
      firstDigit = std::min(firstDigit, i);
      lastDigit = std::max(lastDigit, i);
    } else if (t.kind == Tok::Comma && anyDigit && !point) {
      grouping = true;
    } else if (t.kind == Tok::Percent) {
      ++percent;
    }
  }
  for (int i = 0; i < percent; ++i) v *= 100;
  if (!anyDigit && !point) {
    std::string out;
    for (const Token& t : toks) out += t.text;
    return out;
  }

  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, std::fabs(v));
  std::string text = buf;
  std::string intPart = text.substr(0, text.find('.'));
  std::string decPart = decimals > 0 ? text.substr(text.find('.') + 1) : "";
  while (static_cast<int>(decPart.size()) > decZeros && !decPart.empty() && decPart.back() == '0') decPart.pop_back();
  if (intPart == "0" && intZeros == 0) intPart.clear();
  while (static_cast<int>(intPart.size()) < intZeros) intPart.insert(0, "0");
  if (grouping) intPart = GroupThousands(intPart);
  std::string number = intPart;
  if (point && (decimals > 0 || !decPart.empty()))
    number += "." + decPart;
  else if (point)
    number += ".";

  std::string out;
  bool placed = false;
  for (std::size_t i = 0; i < toks.size(); ++i) {
    const Token& t = toks[i];
    bool inNumber =
        i >= firstDigit && i <= lastDigit && (t.kind == Tok::Digit || t.kind == Tok::Point || t.kind == Tok::Comma);
    if (inNumber) {
      if (!placed) out += number;
      placed = true;
    } else if (t.kind == Tok::Comma) {
      // a scaling comma after the number: not shown
    } else {
      out += t.text;
    }
  }
  return out;
}

}  // namespace

std::string FormatValue(const CellValue& value, std::string_view format, bool date1904) {
  if (value.IsEmpty()) return "";
  if (value.IsError() || value.IsBool()) return value.ToText();
  std::vector<std::string> sections = Sections(format);
  if (value.IsText()) {
    // A text section (the fourth, or a single one with @) shows the text in it.
    const std::string* textSection = nullptr;
    if (sections.size() >= 4)
      textSection = &sections[3];
    else if (sections.size() == 1 && sections[0].find('@') != std::string::npos)
      textSection = &sections[0];
    if (!textSection) return value.Text();
    std::string out;
    for (const Token& t : Tokenize(*textSection)) out += t.kind == Tok::At ? value.Text() : t.text;
    return out;
  }
  double v = value.Number();
  std::size_t pick = 0;
  bool negativeSection = false;
  if (sections.size() >= 3 && v == 0) {
    pick = 2;
  } else if (sections.size() >= 2 && v < 0) {
    pick = 1;
    negativeSection = true;
  }
  const std::string& section = sections[pick];
  if (section.empty() && sections.size() > 1) return "";
  if (IsGeneral(section) || (section.find('@') != std::string::npos && sections.size() == 1)) {
    std::string general = CellValue(negativeSection ? -v : v).ToText();
    return general;
  }
  std::vector<Token> toks = Tokenize(section);
  if (IsDateFormat(toks)) return FormatDate(v, toks, date1904);
  std::string shown = FormatNumber(v, toks);
  bool allZero = true;
  for (char c : shown)
    if (c >= '1' && c <= '9') allZero = false;
  if (v < 0 && !negativeSection && !allZero) shown.insert(0, "-");
  return shown;
}

}  // namespace korvane::host
