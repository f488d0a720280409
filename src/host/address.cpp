#include "host/address.h"

#include <algorithm>
#include <cctype>

#include "host/utf8.h"

namespace korvane::host {

std::string ColumnLetters(int col) {
  if (col < 1 || col > kMaxCols) return {};
  std::string s;
  while (col > 0) {
    int rem = (col - 1) % 26;
    s.insert(s.begin(), static_cast<char>('A' + rem));
    col = (col - 1) / 26;
  }
  return s;
}

int ColumnNumber(std::string_view letters) {
  if (letters.empty() || letters.size() > 3) return 0;
  int n = 0;
  for (char ch : letters) {
    char u = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (u < 'A' || u > 'Z') return 0;
    n = n * 26 + (u - 'A' + 1);
  }
  return n <= kMaxCols ? n : 0;
}

namespace {

// One side of an address: a cell "A1", a column "A" or a row "1", each part
// optionally anchored with "$".
struct Part {
  int row = 0;  // 0 = none
  int col = 0;
};

bool ParsePart(std::string_view s, Part& p) {
  std::size_t i = 0;
  if (i < s.size() && s[i] == '$') ++i;
  std::size_t ls = i;
  while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i]))) ++i;
  std::string_view letters = s.substr(ls, i - ls);
  if (!letters.empty()) {
    p.col = ColumnNumber(letters);
    if (p.col == 0) return false;
  } else if (ls != 0) {
    // "$" followed by digits: an anchored row
    if (i >= s.size()) return false;
  }
  if (i < s.size() && s[i] == '$') {
    if (letters.empty() && ls != 0) return false;  // "$$1"
    ++i;
  }
  std::size_t ds = i;
  long long row = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
    row = row * 10 + (s[i] - '0');
    if (row > kMaxRows) return false;
    ++i;
  }
  if (i != s.size()) return false;
  if (i > ds) {
    if (row < 1) return false;
    p.row = static_cast<int>(row);
  }
  return p.row != 0 || p.col != 0;
}

}  // namespace

std::optional<RangeRef> ParseA1(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.empty()) return std::nullopt;
  auto colon = text.find(':');
  Part a, b;
  if (colon == std::string_view::npos) {
    if (!ParsePart(text, a) || a.row == 0 || a.col == 0) return std::nullopt;
    return RangeRef{a.row, a.col, a.row, a.col};
  }
  if (!ParsePart(text.substr(0, colon), a) || !ParsePart(text.substr(colon + 1), b)) return std::nullopt;
  RangeRef r;
  if (a.row && a.col && b.row && b.col) {
    r = {a.row, a.col, b.row, b.col};
  } else if (!a.col && !b.col && a.row && b.row) {
    r = {a.row, 1, b.row, kMaxCols};
  } else if (!a.row && !b.row && a.col && b.col) {
    r = {1, a.col, kMaxRows, b.col};
  } else {
    return std::nullopt;
  }
  if (r.r1 > r.r2) std::swap(r.r1, r.r2);
  if (r.c1 > r.c2) std::swap(r.c1, r.c2);
  return r;
}

std::string AbsoluteAddress(const RangeRef& r) {
  if (r.c1 == 1 && r.c2 == kMaxCols) return "$" + std::to_string(r.r1) + ":$" + std::to_string(r.r2);
  if (r.r1 == 1 && r.r2 == kMaxRows) return "$" + ColumnLetters(r.c1) + ":$" + ColumnLetters(r.c2);
  std::string s = "$" + ColumnLetters(r.c1) + "$" + std::to_string(r.r1);
  if (!r.IsSingleCell()) s += ":$" + ColumnLetters(r.c2) + "$" + std::to_string(r.r2);
  return s;
}

std::string RelativeAddress(const RangeRef& r) {
  if (r.c1 == 1 && r.c2 == kMaxCols) return std::to_string(r.r1) + ":" + std::to_string(r.r2);
  if (r.r1 == 1 && r.r2 == kMaxRows) return ColumnLetters(r.c1) + ":" + ColumnLetters(r.c2);
  std::string s = ColumnLetters(r.c1) + std::to_string(r.r1);
  if (!r.IsSingleCell()) s += ":" + ColumnLetters(r.c2) + std::to_string(r.r2);
  return s;
}

void SplitSheetRef(std::string_view text, std::string& sheet, std::string& address) {
  sheet.clear();
  address.clear();
  if (!text.empty() && text.front() == '=') text.remove_prefix(1);
  if (!text.empty() && text.front() == '\'') {
    std::size_t i = 1;
    std::string name;
    while (i < text.size()) {
      if (text[i] == '\'') {
        if (i + 1 < text.size() && text[i + 1] == '\'') {
          name += '\'';
          i += 2;
          continue;
        }
        break;
      }
      name += text[i++];
    }
    if (i + 1 < text.size() && text[i] == '\'' && text[i + 1] == '!') {
      sheet = name;
      address = std::string(text.substr(i + 2));
      return;
    }
    address = std::string(text);
    return;
  }
  auto bang = text.rfind('!');
  if (bang == std::string_view::npos) {
    address = std::string(text);
    return;
  }
  sheet = std::string(text.substr(0, bang));
  address = std::string(text.substr(bang + 1));
}

namespace {
bool LooksLikeCellRef(std::string_view s) {
  // "A1", "AB12", "R1C1"-like texts need quotes.
  std::size_t i = 0;
  while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i]))) ++i;
  if (i == 0 || i > 3) {
    if (i == s.size() && i > 0) return false;
  }
  std::size_t j = i;
  while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
  if (i > 0 && i <= 3 && j > i && j == s.size()) return true;
  if (!s.empty() && (s[0] == 'R' || s[0] == 'r' || s[0] == 'C' || s[0] == 'c')) {
    // R1C1 style
    std::size_t k = 1;
    while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k]))) ++k;
    if (k == s.size()) return true;
    if ((s[0] == 'R' || s[0] == 'r') && k < s.size() && (s[k] == 'C' || s[k] == 'c')) {
      ++k;
      while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k]))) ++k;
      if (k == s.size()) return true;
    }
  }
  return false;
}
}  // namespace

std::string QuoteSheetName(std::string_view name) {
  bool needs = name.empty() || std::isdigit(static_cast<unsigned char>(name[0])) || LooksLikeCellRef(name);
  for (unsigned char ch : name) {
    if (ch >= 0x80) continue;  // CJK and other non-ASCII letters need no quotes
    if (!(std::isalnum(ch) || ch == '_' || ch == '.')) needs = true;
  }
  if (!needs) return std::string(name);
  std::string s = "'";
  for (char ch : name) {
    if (ch == '\'') s += '\'';
    s += ch;
  }
  s += '\'';
  return s;
}

std::string SheetNameProblem(std::string_view name) {
  if (name.empty()) return "工作表名称不能为空。";
  if (utf8::Length(name) > 31) return "工作表名称不能超过31个字符。";
  for (char ch : name) {
    if (ch == '[' || ch == ']' || ch == ':' || ch == '*' || ch == '?' || ch == '/' || ch == '\\')
      return "工作表名称不能包含下列字符：[ ] : * ? / \\";
  }
  if (name.front() == '\'' || name.back() == '\'') return "工作表名称不能以单引号开头或结尾。";
  return {};
}

}  // namespace korvane::host
