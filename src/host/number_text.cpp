#include "host/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "host/utf8.h"

namespace korvane::host::text {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

bool ParseNumberText(std::string_view s, double& out) {
  s = TrimSpaces(s);
  bool percent = false;
  if (!s.empty() && s.back() == '%') {
    percent = true;
    s = TrimSpaces(s.substr(0, s.size() - 1));
  }
  if (s.empty()) return false;
  std::string clean;
  std::size_t i = 0;
  if (s[i] == '+' || s[i] == '-') clean += s[i++];
  // Integer part, optionally grouped by thousands separators.
  std::size_t intDigits = 0, groupLen = 0;
  bool grouped = false;
  while (i < s.size() && (IsDigit(s[i]) || s[i] == ',')) {
    if (s[i] == ',') {
      // A separator needs 1-3 digits before the first one and exactly three
      // between later ones.
      if (intDigits == 0 || (grouped && groupLen != 3) || (!grouped && groupLen > 3)) return false;
      grouped = true;
      groupLen = 0;
    } else {
      clean += s[i];
      ++intDigits;
      ++groupLen;
    }
    ++i;
  }
  if (grouped && groupLen != 3) return false;
  std::size_t fracDigits = 0;
  if (i < s.size() && s[i] == '.') {
    clean += '.';
    ++i;
    while (i < s.size() && IsDigit(s[i])) {
      clean += s[i++];
      ++fracDigits;
    }
  }
  if (intDigits + fracDigits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    clean += 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) clean += s[i++];
    std::size_t expDigits = 0;
    while (i < s.size() && IsDigit(s[i])) {
      clean += s[i++];
      ++expDigits;
    }
    if (expDigits == 0) return false;
  }
  if (i != s.size()) return false;
  char* end = nullptr;
  double v = std::strtod(clean.c_str(), &end);
  if (end != clean.c_str() + clean.size() || !std::isfinite(v)) return false;
  out = percent ? v / 100.0 : v;
  return true;
}

bool LooksLikeDateOrTime(std::string_view s) {
  bool digit = false;
  for (char c : s) digit = digit || IsDigit(c);
  if (!digit) return false;
  s = TrimSpaces(s);
  for (std::size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == ':' || c == '/') return true;
    if (c == '-' && i > 0) return true;
  }
  // 年 月 日 时 分 秒 in UTF-8
  for (const char* unit :
       {"\xE5\xB9\xB4", "\xE6\x9C\x88", "\xE6\x97\xA5", "\xE6\x97\xB6", "\xE5\x88\x86", "\xE7\xA7\x92"}) {
    if (s.find(unit) != std::string_view::npos) return true;
  }
  return false;
}

Decimal ToDecimal(double positive, int significant) {
  Decimal d;
  if (!(positive > 0) || !std::isfinite(positive)) {
    d.digits = "0";
    return d;
  }
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", significant - 1, positive);
  // "d.dddde+XX"
  std::string s(buf);
  std::size_t e = s.find('e');
  for (std::size_t i = 0; i < e; ++i)
    if (IsDigit(s[i])) d.digits += s[i];
  d.exponent = std::atoi(s.c_str() + e + 1);
  while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
  return d;
}

Decimal RoundDecimal(const Decimal& d, int significant) {
  if (significant < 1) significant = 1;
  if (static_cast<int>(d.digits.size()) <= significant) return d;
  Decimal r;
  r.exponent = d.exponent;
  r.digits = d.digits.substr(0, static_cast<std::size_t>(significant));
  if (d.digits[static_cast<std::size_t>(significant)] >= '5') {
    int i = significant - 1;
    while (i >= 0) {
      if (r.digits[static_cast<std::size_t>(i)] == '9') {
        r.digits[static_cast<std::size_t>(i)] = '0';
        --i;
      } else {
        ++r.digits[static_cast<std::size_t>(i)];
        break;
      }
    }
    if (i < 0) {
      r.digits.insert(r.digits.begin(), '1');
      r.digits.pop_back();
      ++r.exponent;
    }
  }
  while (r.digits.size() > 1 && r.digits.back() == '0') r.digits.pop_back();
  return r;
}

namespace {

// Fixed notation of a decimal (no exponent).
std::string FixedText(const Decimal& d) {
  std::string out;
  const int n = static_cast<int>(d.digits.size());
  if (d.exponent >= 0) {
    for (int i = 0; i <= d.exponent; ++i) out += i < n ? d.digits[static_cast<std::size_t>(i)] : '0';
    if (n > d.exponent + 1) {
      out += '.';
      out += d.digits.substr(static_cast<std::size_t>(d.exponent + 1));
    }
  } else {
    out = "0.";
    out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
    out += d.digits;
  }
  return out;
}

std::string ExponentText(int e) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "E%c%02d", e < 0 ? '-' : '+', e < 0 ? -e : e);
  return buf;
}

std::string ScientificText(const Decimal& d) {
  std::string out(1, d.digits[0]);
  if (d.digits.size() > 1) {
    out += '.';
    out += d.digits.substr(1);
  }
  return out + ExponentText(d.exponent);
}

}  // namespace

std::string NumberToText(double v) {
  if (v == 0) return "0";
  if (!std::isfinite(v)) return "#NUM!";
  const bool neg = v < 0;
  Decimal d = ToDecimal(std::fabs(v), 15);
  std::string body = (d.exponent >= 15 || d.exponent < -9) ? ScientificText(d) : FixedText(d);
  return neg ? "-" + body : body;
}

std::string FoldCase(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool EqualsFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool HasWildcards(std::string_view pattern) { return pattern.find_first_of("*?~") != std::string_view::npos; }

bool WildcardMatch(std::string_view pattern, std::string_view text) {
  // Compile the pattern into items: 0 = "*", 1 = "?", 2 = a literal code point.
  struct Item {
    int kind;
    std::string lit;
  };
  std::vector<Item> items;
  for (std::size_t p = 0; p < pattern.size();) {
    char c = pattern[p];
    if (c == '*') {
      if (items.empty() || items.back().kind != 0) items.push_back({0, {}});
      ++p;
    } else if (c == '?') {
      items.push_back({1, {}});
      ++p;
    } else {
      if (c == '~' && p + 1 < pattern.size()) ++p;  // "~" quotes the next character
      std::size_t q = utf8::Next(pattern, p);
      items.push_back({2, FoldCase(pattern.substr(p, q - p))});
      p = q;
    }
  }
  std::vector<std::string> cps;
  for (std::size_t p = 0; p < text.size();) {
    std::size_t q = utf8::Next(text, p);
    cps.push_back(FoldCase(text.substr(p, q - p)));
    p = q;
  }
  // Greedy match with backtracking to the last star: linear in practice,
  // never exponential.
  std::size_t i = 0, t = 0, starItem = std::string::npos, starText = 0;
  while (t < cps.size()) {
    if (i < items.size() && items[i].kind == 0) {
      starItem = i++;
      starText = t;
    } else if (i < items.size() && (items[i].kind == 1 || items[i].lit == cps[t])) {
      ++i;
      ++t;
    } else if (starItem != std::string::npos) {
      i = starItem + 1;
      t = ++starText;
    } else {
      return false;
    }
  }
  while (i < items.size() && items[i].kind == 0) ++i;
  return i == items.size();
}

}  // namespace korvane::host::text
