#include "host/print/number_format.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace korvane::host::print {

namespace {

// Splits a format at the ";" outside quotes, escapes and brackets.
std::vector<std::string_view> Sections(std::string_view f) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  bool quoted = false;
  int bracket = 0;
  for (std::size_t i = 0; i < f.size(); ++i) {
    const char c = f[i];
    if (quoted) {
      if (c == '"') quoted = false;
    } else if (c == '"') {
      quoted = true;
    } else if (c == '\\') {
      ++i;
    } else if (c == '[') {
      ++bracket;
    } else if (c == ']') {
      bracket = std::max(0, bracket - 1);
    } else if (c == ';' && bracket == 0) {
      out.push_back(f.substr(start, i - start));
      start = i + 1;
    }
  }
  out.push_back(f.substr(start));
  return out;
}

enum class Kind { Literal, Digits, Date, Text };

struct Token {
  Kind kind;
  std::string text;  // literal text, or the date/time code ("h", "mm", "[h]", "yyyy" ...)
};

struct Parsed {
  std::vector<Token> tokens;
  int intZeros = 0;       // "0" before the point: minimum integer digits
  int decimals = 0;       // places after the point
  bool grouping = false;  // "," between digit placeholders
  bool percent = false;
  bool hasDigits = false;
  bool hasDate = false;
  bool hasText = false;
};

bool IsDateLetter(char c) {
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return c == 'y' || c == 'm' || c == 'd' || c == 'h' || c == 's';
}

Parsed Parse(std::string_view s) {
  Parsed p;
  bool afterPoint = false;
  bool digitsPlaced = false;
  auto literal = [&p](std::string_view t) {
    if (!p.tokens.empty() && p.tokens.back().kind == Kind::Literal) {
      p.tokens.back().text += t;
    } else {
      p.tokens.push_back({Kind::Literal, std::string(t)});
    }
  };
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '"') {
      const std::size_t end = s.find('"', i + 1);
      literal(s.substr(i + 1, (end == std::string_view::npos ? s.size() : end) - i - 1));
      i = end == std::string_view::npos ? s.size() : end;
    } else if (c == '\\' && i + 1 < s.size()) {
      // One escaped character (a whole UTF-8 sequence).
      std::size_t len = 1;
      const auto lead = static_cast<unsigned char>(s[i + 1]);
      if (lead >= 0xF0)
        len = 4;
      else if (lead >= 0xE0)
        len = 3;
      else if (lead >= 0xC0)
        len = 2;
      literal(s.substr(i + 1, len));
      i += len;
    } else if (c == '[') {
      const std::size_t end = s.find(']', i);
      const std::string_view inner = s.substr(i + 1, (end == std::string_view::npos ? s.size() : end) - i - 1);
      if (inner == "h" || inner == "hh" || inner == "H" || inner == "m" || inner == "mm" || inner == "s" ||
          inner == "ss") {
        p.tokens.push_back({Kind::Date, "[" + std::string(inner) + "]"});
        p.hasDate = true;
      }
      i = end == std::string_view::npos ? s.size() : end;  // colours, conditions, locales: not shown
    } else if (c == '_' || c == '*') {
      if (c == '_') literal(" ");
      ++i;  // the padding character
    } else if (c == '@') {
      p.tokens.push_back({Kind::Text, ""});
      p.hasText = true;
    } else if (c == '0' || c == '#' || c == '?') {
      p.hasDigits = true;
      if (afterPoint) {
        ++p.decimals;
      } else if (c == '0') {
        ++p.intZeros;
      }
      if (!digitsPlaced) {
        p.tokens.push_back({Kind::Digits, ""});
        digitsPlaced = true;
      }
    } else if (c == '.' && (p.hasDigits || (i + 1 < s.size() && (s[i + 1] == '0' || s[i + 1] == '#')))) {
      afterPoint = true;
      if (!digitsPlaced) {
        p.tokens.push_back({Kind::Digits, ""});
        digitsPlaced = true;
      }
      p.hasDigits = true;
    } else if (c == ',' && p.hasDigits && !afterPoint) {
      p.grouping = true;
    } else if (c == '%') {
      p.percent = true;
      literal("%");
    } else if (IsDateLetter(c)) {
      std::size_t j = i;
      while (j < s.size() &&
             std::tolower(static_cast<unsigned char>(s[j])) == std::tolower(static_cast<unsigned char>(c)))
        ++j;
      std::string code(s.substr(i, j - i));
      for (char& ch : code) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      p.tokens.push_back({Kind::Date, code});
      p.hasDate = true;
      i = j - 1;
    } else if ((c == 'A' || c == 'a') && s.substr(i, 5) == "AM/PM") {
      p.tokens.push_back({Kind::Date, "ampm"});
      p.hasDate = true;
      i += 4;
    } else {
      literal(s.substr(i, 1));
    }
  }
  // "m" right after an hour or right before a second is minutes.
  for (std::size_t k = 0; k < p.tokens.size(); ++k) {
    Token& t = p.tokens[k];
    if (t.kind != Kind::Date || (t.text != "m" && t.text != "mm")) continue;
    bool minute = false;
    for (std::size_t b = k; b-- > 0;) {
      if (p.tokens[b].kind != Kind::Date) continue;
      minute = p.tokens[b].text[0] == 'h' || p.tokens[b].text.rfind("[h", 0) == 0;
      break;
    }
    for (std::size_t a = k + 1; !minute && a < p.tokens.size(); ++a) {
      if (p.tokens[a].kind != Kind::Date) continue;
      minute = p.tokens[a].text[0] == 's';
      break;
    }
    if (minute) t.text = t.text == "m" ? "n" : "nn";
  }
  return p;
}

std::string Digits(double v, const Parsed& p) {
  if (p.percent) v *= 100;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", p.decimals, std::fabs(v));
  std::string s = buf;
  std::string intPart = s.substr(0, s.find('.'));
  std::string frac = s.find('.') == std::string::npos ? "" : s.substr(s.find('.'));
  if (intPart == "0" && p.intZeros == 0) intPart.clear();
  while (static_cast<int>(intPart.size()) < p.intZeros) intPart.insert(intPart.begin(), '0');
  if (p.grouping) {
    for (int at = static_cast<int>(intPart.size()) - 3; at > 0; at -= 3)
      intPart.insert(static_cast<std::size_t>(at), ",");
  }
  return intPart + frac;
}

// Civil date of a serial day number (1900 date system, day 0 = 1899-12-30;
// serial 60, the 1900-02-29 that never was, is shown as such).
void CivilDate(long long serial, int& y, int& m, int& d) {
  if (serial == 60) {
    y = 1900, m = 2, d = 29;
    return;
  }
  // Days from 1970-01-01; serials before the phantom day are one day later.
  long long z = serial - 25569 + (serial < 60 ? 1 : 0);
  z += 719468;  // Howard Hinnant's days-to-civil, counted from 0000-03-01
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

std::string Two(long long v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02lld", v);
  return buf;
}

std::string DateTime(double v, const Parsed& p) {
  const bool ampm = [&] {
    for (const Token& t : p.tokens)
      if (t.kind == Kind::Date && t.text == "ampm") return true;
    return false;
  }();
  const double abs = std::fabs(v);
  long long totalSeconds = static_cast<long long>(std::llround(abs * 86400.0));
  const long long days = totalSeconds / 86400;
  const long long secOfDay = totalSeconds % 86400;
  const long long hour = secOfDay / 3600, minute = (secOfDay / 60) % 60, second = secOfDay % 60;
  int y = 1900, m = 1, d = 0;
  if (days > 0) CivilDate(days, y, m, d);
  std::string out = v < 0 ? "-" : "";
  for (const Token& t : p.tokens) {
    if (t.kind == Kind::Literal) {
      out += t.text;
      continue;
    }
    if (t.kind != Kind::Date) continue;
    const std::string& c = t.text;
    const long long h12 = hour % 12 == 0 ? 12 : hour % 12;
    const long long h = ampm ? h12 : hour;
    if (c == "[h]" || c == "[hh]")
      out += c == "[h]" ? std::to_string(totalSeconds / 3600) : Two(totalSeconds / 3600);
    else if (c == "[m]" || c == "[mm]")
      out += std::to_string(totalSeconds / 60);
    else if (c == "[s]" || c == "[ss]")
      out += std::to_string(totalSeconds);
    else if (c == "h")
      out += std::to_string(h);
    else if (c.size() >= 2 && c[0] == 'h')
      out += Two(h);
    else if (c == "n")
      out += std::to_string(minute);
    else if (c == "nn")
      out += Two(minute);
    else if (c == "s")
      out += std::to_string(second);
    else if (c.size() >= 2 && c[0] == 's')
      out += Two(second);
    else if (c == "ampm")
      out += hour < 12 ? "AM" : "PM";
    else if (c[0] == 'y')
      out += c.size() <= 2 ? Two(y % 100) : std::to_string(y);
    else if (c == "m")
      out += std::to_string(m);
    else if (c == "mm")
      out += Two(m);
    else if (c[0] == 'm')
      out += std::to_string(m);  // month names are not used by the program
    else if (c == "d")
      out += std::to_string(d);
    else if (c == "dd")
      out += Two(d);
    else if (c[0] == 'd')
      out += std::to_string(d);
  }
  return out;
}

std::string Apply(const Parsed& p, double v, bool negativeSign, const std::string* text) {
  std::string out;
  if (negativeSign && v < 0 && !p.hasDate) out += "-";
  if (p.hasDate) return DateTime(v, p);
  for (const Token& t : p.tokens) {
    if (t.kind == Kind::Literal)
      out += t.text;
    else if (t.kind == Kind::Digits)
      out += Digits(v, p);
    else if (t.kind == Kind::Text && text)
      out += *text;
  }
  if (!p.hasDigits && !text && p.tokens.empty()) out += FormatGeneralNumber(std::fabs(v));
  return out;
}

bool IsGeneral(std::string_view s) {
  if (s.size() != 7) return s.empty();
  static constexpr std::string_view kGeneral = "general";
  for (std::size_t i = 0; i < 7; ++i)
    if (std::tolower(static_cast<unsigned char>(s[i])) != kGeneral[i]) return false;
  return true;
}

}  // namespace

std::string FormatValue(const CellValue& value, std::string_view format) {
  if (value.IsEmpty()) return "";
  const std::vector<std::string_view> sections = Sections(format);
  if (value.IsText()) {
    if (sections.size() >= 4) return Apply(Parse(sections[3]), 0, false, &value.Text());
    if (sections.size() == 1 && sections[0].find('@') != std::string_view::npos)
      return Apply(Parse(sections[0]), 0, false, &value.Text());
    return value.Text();
  }
  if (!value.IsNumber()) return value.ToText();
  const double v = value.Number();
  std::string_view section = sections[0];
  bool sign = true;
  if (v < 0 && sections.size() >= 2) {
    section = sections[1];
    sign = false;
  } else if (v == 0 && sections.size() >= 3) {
    section = sections[2];
  }
  if (IsGeneral(section)) {
    return (sign || v >= 0) ? FormatGeneralNumber(v) : FormatGeneralNumber(std::fabs(v));
  }
  const Parsed p = Parse(section);
  if (!p.hasDigits && !p.hasDate) {
    // Only literals (and "@"): the literal text, or the number when the
    // section names nothing at all.
    std::string out = Apply(p, v, false, nullptr);
    return out;
  }
  return Apply(p, v, sign, nullptr);
}

}  // namespace korvane::host::print
