#include "host/number_format.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "host/number_text.h"

namespace korvane::host {

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }

// Length of the UTF-8 character starting at s[i].
std::size_t CharLength(std::string_view s, std::size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
  return std::min(n, s.size() - i);
}

bool HasNoCase(std::string_view s, std::size_t i, std::string_view word) {
  if (s.size() - i < word.size()) return false;
  for (std::size_t k = 0; k < word.size(); ++k)
    if (Lower(s[i + k]) != Lower(word[k])) return false;
  return true;
}

// Splits a format code into its sections at the ";" outside quotes, escapes
// and brackets.
std::vector<std::string_view> Sections(std::string_view f) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  bool quoted = false, bracket = false;
  for (std::size_t i = 0; i < f.size(); ++i) {
    const char c = f[i];
    if (quoted) {
      quoted = c != '"';
    } else if (c == '"') {
      quoted = true;
    } else if (c == '\\' && !bracket) {
      ++i;
    } else if (c == '[') {
      bracket = true;
    } else if (c == ']') {
      bracket = false;
    } else if (c == ';' && !bracket) {
      out.push_back(f.substr(start, i - start));
      start = i + 1;
    }
  }
  out.push_back(f.substr(start));
  return out;
}

enum class Tok { Literal, Digit, Point, Comma, Percent, Exponent, Slash, Date, AmPm, Text, General };

struct Token {
  Tok kind;
  std::string text;  // literal text, the placeholder, the date part in lower case, the exponent sign
};

struct Condition {
  bool set = false;
  std::string op;
  double value = 0;

  bool Matches(double v) const {
    if (op == "<") return v < value;
    if (op == "<=") return v <= value;
    if (op == ">") return v > value;
    if (op == ">=") return v >= value;
    if (op == "<>") return v != value;
    return v == value;
  }
};

struct Section {
  std::vector<Token> toks;
  Condition cond;
  int dbnum = 0;  // [DBNum1] Chinese digits, [DBNum2] the financial ones
  bool empty = false;
  bool Has(Tok k) const {
    for (const Token& t : toks)
      if (t.kind == k) return true;
    return false;
  }
  bool IsDate() const { return Has(Tok::Date) || Has(Tok::AmPm); }
};

void AddLiteral(std::vector<Token>& toks, std::string_view text) {
  if (!toks.empty() && toks.back().kind == Tok::Literal)
    toks.back().text += text;
  else
    toks.push_back({Tok::Literal, std::string(text)});
}

// What a bracket holds: an elapsed time part, a condition, a currency or
// locale, the Chinese digits, or a colour (not shown).
void ReadBracket(std::string_view inner, Section& sec) {
  std::string lower;
  for (char x : inner) lower += Lower(x);
  if (lower == "h" || lower == "hh" || lower == "m" || lower == "mm" || lower == "s" || lower == "ss") {
    sec.toks.push_back({Tok::Date, "[" + lower + "]"});
  } else if (!lower.empty() && (lower[0] == '<' || lower[0] == '>' || lower[0] == '=')) {
    std::size_t n = 1;
    if (lower.size() > 1 && (lower[1] == '=' || (lower[0] == '<' && lower[1] == '>'))) n = 2;
    double v = 0;
    if (text::ParseNumberText(lower.substr(n), v)) sec.cond = {true, lower.substr(0, n), v};
  } else if (!inner.empty() && inner[0] == '$') {
    const std::string_view currency =
        inner.substr(1, inner.find('-') == std::string_view::npos ? std::string_view::npos : inner.find('-') - 1);
    if (!currency.empty()) AddLiteral(sec.toks, currency);
  } else if (lower.rfind("dbnum", 0) == 0 && lower.size() == 6) {
    sec.dbnum = lower[5] - '0';
  }
}

Section Parse(std::string_view s) {
  Section sec;
  sec.empty = s.empty();
  std::size_t i = 0;
  while (i < s.size()) {
    const char c = s[i];
    const char l = Lower(c);
    if (c == '"') {
      std::size_t end = s.find('"', i + 1);
      if (end == std::string_view::npos) end = s.size();
      AddLiteral(sec.toks, s.substr(i + 1, end - i - 1));
      i = end + 1;
    } else if (c == '\\' && i + 1 < s.size()) {
      const std::size_t n = CharLength(s, i + 1);
      AddLiteral(sec.toks, s.substr(i + 1, n));
      i += 1 + n;
    } else if (c == '_' && i + 1 < s.size()) {  // a space as wide as the next character
      AddLiteral(sec.toks, " ");
      i += 1 + CharLength(s, i + 1);
    } else if (c == '*' && i + 1 < s.size()) {  // fill character: not repeated in a plain text
      i += 1 + CharLength(s, i + 1);
    } else if (c == '[') {
      std::size_t end = s.find(']', i);
      if (end == std::string_view::npos) end = s.size();
      ReadBracket(s.substr(i + 1, end - i - 1), sec);
      i = end + 1;
    } else if (HasNoCase(s, i, "general")) {
      sec.toks.push_back({Tok::General, ""});
      i += 7;
    } else if (s.substr(i).starts_with("G/通用格式")) {
      sec.toks.push_back({Tok::General, ""});
      i += std::string_view("G/通用格式").size();
    } else if (c == '0' || c == '#' || c == '?') {
      sec.toks.push_back({Tok::Digit, std::string(1, c)});
      ++i;
    } else if (c == '.') {
      sec.toks.push_back({Tok::Point, "."});
      ++i;
    } else if (c == ',') {
      sec.toks.push_back({Tok::Comma, ","});
      ++i;
    } else if (c == '%') {
      sec.toks.push_back({Tok::Percent, "%"});
      ++i;
    } else if (c == '/') {
      sec.toks.push_back({Tok::Slash, "/"});
      ++i;
    } else if (c == '@') {
      sec.toks.push_back({Tok::Text, "@"});
      ++i;
    } else if (l == 'e' && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-')) {
      sec.toks.push_back({Tok::Exponent, std::string(1, c) + s[i + 1]});
      i += 2;
    } else if (HasNoCase(s, i, "am/pm")) {
      sec.toks.push_back({Tok::AmPm, "AM/PM"});
      i += 5;
    } else if (HasNoCase(s, i, "a/p")) {
      sec.toks.push_back({Tok::AmPm, "A/P"});
      i += 3;
    } else if (s.substr(i).starts_with("上午/下午")) {
      sec.toks.push_back({Tok::AmPm, "上午/下午"});
      i += std::string_view("上午/下午").size();
    } else if (l == 'y' || l == 'm' || l == 'd' || l == 'h' || l == 's' || l == 'a') {
      std::size_t j = i;
      while (j < s.size() && Lower(s[j]) == l) ++j;
      if (l == 'a' && j - i < 3)
        AddLiteral(sec.toks, s.substr(i, j - i));
      else
        sec.toks.push_back({Tok::Date, std::string(j - i, l)});
      i = j;
    } else {
      const std::size_t n = CharLength(s, i);
      AddLiteral(sec.toks, s.substr(i, n));
      i += n;
    }
  }
  return sec;
}

// ---------------------------------------------------------------------------
// Chinese digits
// ---------------------------------------------------------------------------

const char* const kDigits1[] = {"〇", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
const char* const kDigits2[] = {"零", "壹", "贰", "叁", "肆", "伍", "陆", "柒", "捌", "玖"};

std::string DigitByDigit(std::string_view digits, int dbnum) {
  std::string out;
  for (char c : digits) out += IsDigitChar(c) ? (dbnum == 2 ? kDigits2 : kDigits1)[c - '0'] : std::string(1, c);
  return out;
}

// An integer read out with its units (一百二十三, 壹佰贰拾叁); `dropLeadingOne`
// gives 十二 rather than 一十二.
std::string WithUnits(std::string_view digits, int dbnum, bool dropLeadingOne = false) {
  while (digits.size() > 1 && digits[0] == '0') digits.remove_prefix(1);
  const char* const* names = dbnum == 2 ? kDigits2 : kDigits1;
  const char* const units1[] = {"", "十", "百", "千"};
  const char* const units2[] = {"", "拾", "佰", "仟"};
  const char* const* units = dbnum == 2 ? units2 : units1;
  const char* const groups[] = {"", "万", "亿", "万亿"};
  const int n = static_cast<int>(digits.size());
  if (n > 16) return DigitByDigit(digits, dbnum);
  std::string out;
  bool zeroPending = false, groupHasDigit = false;
  for (int i = 0; i < n; ++i) {
    const int pos = n - 1 - i, d = digits[static_cast<std::size_t>(i)] - '0';
    if (d == 0) {
      zeroPending = !out.empty();
    } else {
      if (zeroPending) out += names[0];
      zeroPending = false;
      if (!(dropLeadingOne && out.empty() && d == 1 && pos % 4 == 1)) out += names[d];
      out += units[pos % 4];
      groupHasDigit = true;
    }
    if (pos % 4 == 0 && pos > 0 && groupHasDigit) {
      out += groups[pos / 4];
      groupHasDigit = false;
    }
  }
  return out.empty() ? names[0] : out;
}

// Every run of ASCII digits in a shown number in Chinese: the integer part with
// its units, the decimals digit by digit.
std::string ChineseDigits(const std::string& shown, int dbnum) {
  std::string out;
  std::size_t i = 0;
  while (i < shown.size()) {
    if (!IsDigitChar(shown[i])) {
      out += shown[i++];
      continue;
    }
    std::size_t j = i;
    while (j < shown.size() && IsDigitChar(shown[j])) ++j;
    const std::string_view run = std::string_view(shown).substr(i, j - i);
    out += i > 0 && shown[i - 1] == '.' ? DigitByDigit(run, dbnum) : WithUnits(run, dbnum);
    i = j;
  }
  return out;
}

// ---------------------------------------------------------------------------
// Numbers
// ---------------------------------------------------------------------------

// The integer and decimal digits of a non-negative decimal value, rounded half
// away from zero to `decimals` places on the value's 15 significant digits,
// as the application rounds. The integer part has no leading zeros ("" for 0).
void FixedParts(text::Decimal d, int decimals, std::string& intPart, std::string& frac) {
  intPart.clear();
  frac.clear();
  if (d.digits == "0") {
    frac.assign(static_cast<std::size_t>(decimals), '0');
    return;
  }
  const int significant = d.exponent + 1 + decimals;
  if (significant <= 0) {
    if (significant == 0 && d.digits[0] >= '5') {
      d = {"1", -decimals};
    } else {
      frac.assign(static_cast<std::size_t>(decimals), '0');
      return;
    }
  } else {
    d = text::RoundDecimal(d, significant);
  }
  auto digitAt = [&d](int pos) {
    const int k = d.exponent - pos;
    return k >= 0 && k < static_cast<int>(d.digits.size()) ? d.digits[static_cast<std::size_t>(k)] : '0';
  };
  for (int pos = d.exponent; pos >= 0; --pos) {
    const char c = digitAt(pos);
    if (!intPart.empty() || c != '0') intPart += c;
  }
  for (int pos = -1; pos >= -decimals; --pos) frac += digitAt(pos);
}

std::string GroupThousands(const std::string& digits) {
  std::string out;
  const int n = static_cast<int>(digits.size());
  for (int i = 0; i < n; ++i) {
    out += digits[static_cast<std::size_t>(i)];
    const int left = n - 1 - i;
    if (left > 0 && left % 3 == 0) out += ',';
  }
  return out;
}

// Places the integer digits into the placeholders `ph` (in format order):
// right-aligned, the leftmost placeholder taking any surplus; unused "0"
// shows 0, "?" a space, "#" nothing.
std::vector<std::string> FillInteger(const std::string& digits, const std::vector<char>& ph) {
  const int n = static_cast<int>(ph.size()), len = static_cast<int>(digits.size());
  std::vector<std::string> out(ph.size());
  for (int k = 0; k < n; ++k) {  // k counts from the right
    std::string& slot = out[static_cast<std::size_t>(n - 1 - k)];
    const char p = ph[static_cast<std::size_t>(n - 1 - k)];
    if (k < len)
      slot = digits[static_cast<std::size_t>(len - 1 - k)];
    else
      slot = p == '0' ? "0" : p == '?' ? " " : "";
  }
  if (n > 0 && len > n) out[0] = digits.substr(0, static_cast<std::size_t>(len - n + 1));
  return out;
}

// Places the decimals: trailing zeros under "#" vanish and under "?" become spaces.
std::vector<std::string> FillDecimals(const std::string& frac, const std::vector<char>& ph) {
  std::vector<std::string> out(ph.size());
  bool trailing = true;
  for (std::size_t k = ph.size(); k-- > 0;) {
    const char d = frac[k];
    if (trailing && d == '0' && ph[k] != '0') {
      out[k] = ph[k] == '?' ? " " : "";
    } else {
      trailing = false;
      out[k] = d;
    }
  }
  return out;
}

struct Layout {
  std::vector<std::size_t> intAt, decAt, expAt;  // token indices of the placeholders
  std::vector<char> intPh, decPh, expPh;
  std::size_t point = std::string::npos, exponent = std::string::npos;
  bool grouping = false;
  int scale = 0;  // powers of ten: +2 per percent, -3 per scaling comma
};

Layout LayoutOf(const Section& sec) {
  Layout lay;
  const auto& toks = sec.toks;
  for (std::size_t i = 0; i < toks.size(); ++i) {
    const Token& t = toks[i];
    if (t.kind == Tok::Digit) {
      if (lay.exponent != std::string::npos) {
        lay.expAt.push_back(i), lay.expPh.push_back(t.text[0]);
      } else if (lay.point != std::string::npos) {
        lay.decAt.push_back(i), lay.decPh.push_back(t.text[0]);
      } else {
        lay.intAt.push_back(i), lay.intPh.push_back(t.text[0]);
      }
    } else if (t.kind == Tok::Point && lay.point == std::string::npos && lay.exponent == std::string::npos) {
      lay.point = i;
    } else if (t.kind == Tok::Exponent && lay.exponent == std::string::npos) {
      lay.exponent = i;
    } else if (t.kind == Tok::Percent) {
      lay.scale += 2;
    } else if (t.kind == Tok::Comma) {
      // Between digit placeholders it groups thousands; after the last one it
      // divides by a thousand.
      bool digitBefore = false, digitAfter = false;
      for (std::size_t j = i; j-- > 0 && !digitBefore;)
        if (toks[j].kind == Tok::Digit) digitBefore = true;
      for (std::size_t j = i + 1; j < toks.size(); ++j) {
        if (toks[j].kind == Tok::Point || toks[j].kind == Tok::Exponent) break;
        if (toks[j].kind == Tok::Digit) digitAfter = true;
      }
      if (digitBefore && digitAfter && lay.point == std::string::npos)
        lay.grouping = true;
      else if (digitBefore && !digitAfter)
        lay.scale -= 3;
    }
  }
  return lay;
}

// Renders the tokens, putting `slots[i]` at token i where set; literals as they
// are; the general text at General and @.
std::string Emit(const Section& sec, const std::vector<std::string>& slots, const std::vector<bool>& used,
                 const std::string& general) {
  std::string out;
  for (std::size_t i = 0; i < sec.toks.size(); ++i) {
    const Token& t = sec.toks[i];
    if (used[i])
      out += slots[i];
    else if (t.kind == Tok::Literal || t.kind == Tok::Percent || t.kind == Tok::Slash)
      out += t.text;
    else if (t.kind == Tok::General || t.kind == Tok::Text)
      out += general;
  }
  return out;
}

std::string FormatFixed(double abs, const Section& sec, const Layout& lay) {
  text::Decimal d = text::ToDecimal(abs, 15);
  if (d.digits != "0") d.exponent += lay.scale;
  std::string intPart, frac;
  FixedParts(d, static_cast<int>(lay.decPh.size()), intPart, frac);
  std::vector<std::string> slots(sec.toks.size());
  std::vector<bool> used(sec.toks.size(), false);
  if (lay.grouping || lay.intAt.empty()) {
    // One block of integer digits at the first placeholder (or before the point).
    int zeros = 0;
    for (char p : lay.intPh) zeros += p == '0';
    std::string digits = intPart;
    while (static_cast<int>(digits.size()) < zeros) digits.insert(0, "0");
    if (lay.grouping) digits = GroupThousands(digits);
    for (std::size_t at : lay.intAt) used[at] = true;
    if (!lay.intAt.empty()) slots[lay.intAt[0]] = digits;
    if (lay.intAt.empty() && lay.point != std::string::npos) slots[lay.point] = digits;
  } else {
    const std::vector<std::string> filled = FillInteger(intPart, lay.intPh);
    for (std::size_t k = 0; k < lay.intAt.size(); ++k) slots[lay.intAt[k]] = filled[k], used[lay.intAt[k]] = true;
  }
  if (lay.point != std::string::npos) {
    slots[lay.point] += ".";
    used[lay.point] = true;
  }
  const std::vector<std::string> decimals = FillDecimals(frac, lay.decPh);
  for (std::size_t k = 0; k < lay.decAt.size(); ++k) slots[lay.decAt[k]] = decimals[k], used[lay.decAt[k]] = true;
  for (std::size_t i = 0; i < sec.toks.size(); ++i)
    if (sec.toks[i].kind == Tok::Comma) used[i] = true;  // shown through the grouping or scaling
  return Emit(sec, slots, used, FormatGeneralNumber(abs));
}

std::string FormatScientific(double abs, const Section& sec, const Layout& lay) {
  const int k = std::max<int>(1, static_cast<int>(lay.intPh.size()));
  bool engineering = false;
  for (char p : lay.intPh) engineering = engineering || (p == '#' && k > 1);
  const int decimals = static_cast<int>(lay.decPh.size());
  text::Decimal d = text::ToDecimal(abs, 15);
  int e = 0;
  std::string intPart, frac;
  if (d.digits != "0") {
    const int x = d.exponent;
    e = engineering ? (x >= 0 ? x / k : -((-x + k - 1) / k)) * k : x - (k - 1);
    for (int attempt = 0; attempt < 2; ++attempt) {
      text::Decimal m = d;
      m.exponent -= e;
      FixedParts(m, decimals, intPart, frac);
      // Rounding up may carry into one more integer digit: 9.996 is 1.00E+1.
      if (static_cast<int>(intPart.size()) <= k) break;
      e += engineering ? k : 1;
    }
  } else {
    FixedParts(d, decimals, intPart, frac);
  }
  std::vector<std::string> slots(sec.toks.size());
  std::vector<bool> used(sec.toks.size(), false);
  const std::vector<std::string> filled = FillInteger(intPart, lay.intPh);
  for (std::size_t i = 0; i < lay.intAt.size(); ++i) slots[lay.intAt[i]] = filled[i], used[lay.intAt[i]] = true;
  if (lay.point != std::string::npos) slots[lay.point] = ".", used[lay.point] = true;
  const std::vector<std::string> decs = FillDecimals(frac, lay.decPh);
  for (std::size_t i = 0; i < lay.decAt.size(); ++i) slots[lay.decAt[i]] = decs[i], used[lay.decAt[i]] = true;
  const Token& et = sec.toks[lay.exponent];
  std::string exp = std::to_string(std::abs(e));
  std::size_t minDigits = 0;
  for (char p : lay.expPh) minDigits += p == '0';
  while (exp.size() < minDigits) exp.insert(0, "0");
  slots[lay.exponent] = std::string(1, et.text[0]) + (e < 0 ? "-" : et.text[1] == '+' ? "+" : "") + exp;
  used[lay.exponent] = true;
  for (std::size_t at : lay.expAt) used[at] = true;
  return Emit(sec, slots, used, FormatGeneralNumber(abs));
}

bool IsFraction(const Section& sec) {
  for (std::size_t i = 1; i < sec.toks.size(); ++i)
    if (sec.toks[i].kind == Tok::Slash && sec.toks[i - 1].kind == Tok::Digit) return true;
  return false;
}

// "# ?/?", "?/8": a whole part (when the format has one) and the closest
// fraction with as many denominator digits as the format allows, or the
// format's own denominator.
std::string FormatFraction(double abs, const Section& sec) {
  const auto& toks = sec.toks;
  std::size_t slash = 0;
  while (toks[slash].kind != Tok::Slash) ++slash;
  std::vector<std::size_t> numAt, wholeAt, denAt;
  std::size_t i = slash;
  while (i > 0 && toks[i - 1].kind == Tok::Digit) numAt.insert(numAt.begin(), --i);
  for (std::size_t j = 0; j < i; ++j)
    if (toks[j].kind == Tok::Digit) wholeAt.push_back(j);
  long long fixedDen = 0;
  for (std::size_t j = slash + 1; j < toks.size() && toks[j].kind == Tok::Digit; ++j) denAt.push_back(j);
  if (denAt.empty() && slash + 1 < toks.size() && toks[slash + 1].kind == Tok::Literal &&
      IsDigitChar(toks[slash + 1].text[0]))
    fixedDen = std::atoll(toks[slash + 1].text.c_str());

  double whole = wholeAt.empty() ? 0 : std::floor(abs);
  const double f = abs - whole;
  long long num = 0, den = 1;
  if (fixedDen > 0) {
    den = fixedDen;
    num = std::llround(f * static_cast<double>(den));
  } else {
    long long maxDen = 1;
    for (std::size_t k = 0; k < std::max<std::size_t>(1, denAt.size()); ++k) maxDen *= 10;
    double best = 2;
    for (long long q = 1; q < maxDen; ++q) {
      const long long p = std::llround(f * static_cast<double>(q));
      const double err = std::fabs(f - static_cast<double>(p) / static_cast<double>(q));
      if (err < best - 1e-12) best = err, num = p, den = q;
    }
  }
  if (!wholeAt.empty() && num == den) whole += 1, num = 0;

  std::vector<std::string> slots(toks.size());
  std::vector<bool> used(toks.size(), false);
  char wholeText[32];
  std::snprintf(wholeText, sizeof wholeText, "%.0f", whole);
  std::vector<char> ph;
  for (std::size_t at : wholeAt) ph.push_back(toks[at].text[0]);
  const std::vector<std::string> w = FillInteger(whole > 0 ? wholeText : "", ph);
  for (std::size_t k = 0; k < wholeAt.size(); ++k) slots[wholeAt[k]] = w[k], used[wholeAt[k]] = true;
  ph.clear();
  for (std::size_t at : numAt) ph.push_back(toks[at].text[0]);
  const std::vector<std::string> n = FillInteger(std::to_string(num), ph);
  for (std::size_t k = 0; k < numAt.size(); ++k) slots[numAt[k]] = n[k], used[numAt[k]] = true;
  // The denominator is aligned left: unused "?" follow it as spaces.
  std::string denText = std::to_string(den);
  for (std::size_t k = 0; k < denAt.size(); ++k) {
    const char p = toks[denAt[k]].text[0];
    slots[denAt[k]] = k == 0 ? denText : "";
    if (k > 0 && k >= denText.size()) slots[denAt[k]] = p == '0' ? "0" : p == '?' ? " " : "";
    used[denAt[k]] = true;
  }
  if (!wholeAt.empty() && num == 0) {
    // A whole number shows without its fraction.
    std::string out;
    for (std::size_t j = 0; j < numAt.front(); ++j)
      out += used[j] ? slots[j] : toks[j].kind == Tok::Literal ? toks[j].text : "";
    return out;
  }
  return Emit(sec, slots, used, FormatGeneralNumber(abs));
}

// ---------------------------------------------------------------------------
// Dates and times
// ---------------------------------------------------------------------------

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
void CivilFromDays(long long z, int& y, int& m, int& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long yy = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yy + (m <= 2));
}

std::string Padded(long long v, std::size_t width) {
  std::string s = std::to_string(v);
  while (s.size() < width) s.insert(0, "0");
  return s;
}

bool IsHourPart(const Token& t) { return t.kind == Tok::Date && t.text.find('h') != std::string::npos; }
bool IsSecondPart(const Token& t) { return t.kind == Tok::Date && t.text.find('s') != std::string::npos; }

std::string FormatDate(double serial, const Section& sec, bool date1904) {
  if (serial < 0) return "########";
  const auto& toks = sec.toks;
  // Decimals of the seconds: "ss.00" shows hundredths.
  int secDecimals = 0;
  for (std::size_t i = 0; i + 1 < toks.size(); ++i) {
    if (!IsSecondPart(toks[i]) || toks[i + 1].kind != Tok::Point) continue;
    for (std::size_t j = i + 2; j < toks.size() && toks[j].kind == Tok::Digit && toks[j].text == "0"; ++j)
      ++secDecimals;
  }
  secDecimals = std::min(secDecimals, 3);
  long long unit = 1;
  for (int k = 0; k < secDecimals; ++k) unit *= 10;
  // The time is rounded to the precision shown, as the application rounds it.
  const long long units = std::llround(serial * 86400.0 * static_cast<double>(unit));
  const long long totalSeconds = units / unit, subSecond = units % unit;
  const long long days = totalSeconds / 86400, secs = totalSeconds % 86400;
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
  const Token* ampm = nullptr;
  for (const Token& t : toks)
    if (t.kind == Tok::AmPm) ampm = &t;

  static const char* const kWeekdays[] = {"日", "一", "二", "三", "四", "五", "六"};
  static const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  static const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
  // A number of the date in Chinese digits when the format asks: the year
  // digit by digit (二〇二六), the rest with units (十二).
  auto number = [&sec](long long v, std::size_t width, bool year = false) {
    if (sec.dbnum == 1 || sec.dbnum == 2)
      return year ? DigitByDigit(std::to_string(v), sec.dbnum) : WithUnits(std::to_string(v), sec.dbnum, true);
    return Padded(v, width);
  };
  std::string out;
  for (std::size_t i = 0; i < toks.size(); ++i) {
    const Token& t = toks[i];
    if (t.kind == Tok::Point && i > 0 && IsSecondPart(toks[i - 1]) && secDecimals > 0) {
      out += "." + Padded(subSecond, static_cast<std::size_t>(secDecimals));
      while (i + 1 < toks.size() && toks[i + 1].kind == Tok::Digit && toks[i + 1].text == "0") ++i;
      continue;
    }
    if (t.kind == Tok::AmPm) {
      const bool am = hours < 12;
      out += t.text == "AM/PM" ? (am ? "AM" : "PM") : t.text == "A/P" ? (am ? "A" : "P") : (am ? "上午" : "下午");
      continue;
    }
    if (t.kind != Tok::Date) {
      if (t.kind != Tok::General && t.kind != Tok::Text) out += t.text;
      continue;
    }
    const std::string& p = t.text;
    if (p[0] == 'y') {
      out += p.size() <= 2 ? number(y % 100, 2, true) : number(y, 4, true);
    } else if (p[0] == 'm' && p.size() > 2) {
      out += p.size() == 3   ? std::string(kMonths[mo - 1]).substr(0, 3)
             : p.size() == 4 ? kMonths[mo - 1]
                             : std::string(1, kMonths[mo - 1][0]);
    } else if (p == "m" || p == "mm") {
      // Minutes after an hour or before a second, else the month.
      bool minute = false;
      for (std::size_t j = i; j-- > 0;) {
        if (toks[j].kind != Tok::Date) continue;
        minute = IsHourPart(toks[j]);
        break;
      }
      for (std::size_t j = i + 1; !minute && j < toks.size(); ++j) {
        if (toks[j].kind != Tok::Date) continue;
        minute = IsSecondPart(toks[j]);
        break;
      }
      out += number(minute ? minutes : mo, p.size());
    } else if (p[0] == 'd') {
      if (p.size() <= 2)
        out += number(d, p.size());
      else
        out += p.size() == 3 ? std::string(kDays[weekday]).substr(0, 3) : kDays[weekday];
    } else if (p[0] == 'a') {
      out += p.size() >= 4 ? std::string("星期") + kWeekdays[weekday] : kWeekdays[weekday];
    } else if (p == "[h]" || p == "[hh]") {
      out += number(totalSeconds / 3600, p.size() - 2);
    } else if (p == "[m]" || p == "[mm]") {
      out += number(totalSeconds / 60, p.size() - 2);
    } else if (p == "[s]" || p == "[ss]") {
      out += number(totalSeconds, p.size() - 2);
    } else if (p[0] == 'h') {
      const long long h = ampm ? (hours % 12 == 0 ? 12 : hours % 12) : hours;
      out += number(h, std::min<std::size_t>(p.size(), 2));
    } else if (p[0] == 's') {
      out += number(seconds, std::min<std::size_t>(p.size(), 2));
    }
  }
  return out;
}

// ---------------------------------------------------------------------------
// Sections
// ---------------------------------------------------------------------------

// Formats whose display depends on the language of the application, spelled as
// a read of their built-in id gives them (and as a save writes them back under
// that id), replaced by what Chinese Excel and WPS show for that id.
std::string_view AsShownInChinese(std::string_view format) {
  if (format == "m/d/yy" || format == "mm-dd-yy") return "yyyy/m/d";
  if (format == "m/d/yy h:mm") return "yyyy/m/d h:mm";
  if (format == "mmss.0") return "mm:ss.0";
  return format;
}

std::string FormatText(const std::string& text, const Section& sec) {
  std::string out;
  for (const Token& t : sec.toks) out += t.kind == Tok::Text ? text : t.kind == Tok::General ? text : t.text;
  return out;
}

std::string FormatNumber(double v, const Section& sec, bool showSign, bool date1904) {
  if (sec.empty) return "";
  if (sec.IsDate()) return FormatDate(v, sec, date1904);
  const double abs = std::fabs(v);
  std::string shown;
  const Layout lay = LayoutOf(sec);
  const bool digits = !lay.intAt.empty() || !lay.decAt.empty() || lay.point != std::string::npos;
  if (sec.toks.empty()) {
    shown = FormatGeneralNumber(abs);
  } else if (lay.exponent != std::string::npos && digits) {
    shown = FormatScientific(abs, sec, lay);
  } else if (IsFraction(sec)) {
    shown = FormatFraction(abs, sec);
  } else {
    shown = FormatFixed(abs, sec, lay);
  }
  if (sec.dbnum == 1 || sec.dbnum == 2) shown = ChineseDigits(shown, sec.dbnum);
  // A negative number keeps its minus unless its own section shows the sign,
  // or nothing but zeros is left of it once rounded.
  bool anyNonZero = !digits && (sec.Has(Tok::General) || sec.Has(Tok::Text) || sec.toks.empty());
  for (char c : shown) anyNonZero = anyNonZero || (c >= '1' && c <= '9');
  if (v < 0 && showSign && anyNonZero) shown.insert(0, "-");
  return shown;
}

}  // namespace

std::string FormatValue(const CellValue& value, std::string_view format, bool date1904) {
  if (value.IsEmpty()) return "";
  if (value.IsError() || value.IsBool()) return value.ToText();
  std::vector<Section> sections;
  for (std::string_view s : Sections(AsShownInChinese(format))) sections.push_back(Parse(s));
  if (value.IsText()) {
    // A text section (the fourth, or a single one with @) shows the text in it.
    if (sections.size() >= 4) return FormatText(value.Text(), sections[3]);
    if (sections.size() == 1 && sections[0].Has(Tok::Text)) return FormatText(value.Text(), sections[0]);
    return value.Text();
  }
  const double v = value.Number();
  // The sections for numbers: at most three, a fourth being for texts.
  const std::size_t count = std::min<std::size_t>(sections.size(), 3);
  if (sections[0].cond.set || (count > 1 && sections[1].cond.set)) {
    // Conditions: the first section whose condition holds; one without a
    // condition takes what the others left.
    for (std::size_t i = 0; i < count; ++i) {
      const Section& s = sections[i];
      const bool last = i + 1 == count;
      if ((s.cond.set && s.cond.Matches(v)) || (!s.cond.set && (last || (i == 0 ? v >= 0 : v < 0))))
        return FormatNumber(v, s, true, date1904);
    }
    return "";
  }
  if (count >= 3 && v == 0) return FormatNumber(v, sections[2], true, date1904);
  if (count >= 2 && v < 0) return FormatNumber(v, sections[1], false, date1904);
  return FormatNumber(v, sections[0], true, date1904);
}

}  // namespace korvane::host
