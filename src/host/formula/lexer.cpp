#include "host/formula/lexer.h"

#include <algorithm>
#include <cstdlib>

#include "host/address.h"
#include "host/number_text.h"

namespace korvane::host::formula::detail {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsIdentStart(char c) { return IsLetter(c) || c == '_' || c == '\\' || static_cast<unsigned char>(c) >= 0x80; }
bool IsIdentChar(char c) { return IsIdentStart(c) || IsDigit(c) || c == '.'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::size_t IdentEnd(std::string_view s, std::size_t i) {
  while (i < s.size() && IsIdentChar(s[i])) ++i;
  return i;
}

// A character that may not directly follow a reference: otherwise the text is
// a name ("A1B"), a function ("LOG10(") or a sheet part.
bool EndsReference(std::string_view s, std::size_t i) {
  if (i >= s.size()) return true;
  char c = s[i];
  return !(IsIdentChar(c) || c == '(' || c == '!' || c == '$' || c == '\'');
}

// [$]letters -> column; returns the end or npos.
std::size_t ScanColumn(std::string_view s, std::size_t i, int& col, bool& abs) {
  abs = false;
  if (i < s.size() && s[i] == '$') {
    abs = true;
    ++i;
  }
  std::size_t start = i;
  long v = 0;
  while (i < s.size() && IsLetter(s[i]) && i - start < 4) {
    char c = s[i];
    int d = (c >= 'a' ? c - 'a' : c - 'A') + 1;
    v = v * 26 + d;
    ++i;
  }
  if (i == start || i - start > 3 || (i < s.size() && IsLetter(s[i]))) return std::string_view::npos;
  if (v < 1 || v > kMaxCols) return std::string_view::npos;
  col = static_cast<int>(v);
  return i;
}

// [$]digits -> row; returns the end or npos.
std::size_t ScanRow(std::string_view s, std::size_t i, int& row, bool& abs) {
  abs = false;
  if (i < s.size() && s[i] == '$') {
    abs = true;
    ++i;
  }
  std::size_t start = i;
  long long v = 0;
  while (i < s.size() && IsDigit(s[i])) {
    if (i - start >= 8) return std::string_view::npos;
    v = v * 10 + (s[i] - '0');
    ++i;
  }
  if (i == start || v < 1 || v > kMaxRows) return std::string_view::npos;
  row = static_cast<int>(v);
  return i;
}

std::size_t ScanCell(std::string_view s, std::size_t i, int& row, int& col, bool& ar, bool& ac) {
  std::size_t j = ScanColumn(s, i, col, ac);
  if (j == std::string_view::npos) return j;
  return ScanRow(s, j, row, ar);
}

// A reference (without sheet part) starting at i: its end, or npos.
std::size_t ScanReference(std::string_view s, std::size_t i, RefParts& r) {
  RefParts p;
  std::size_t j = ScanCell(s, i, p.r1, p.c1, p.ar1, p.ac1);
  if (j != std::string_view::npos) {
    if (j < s.size() && s[j] == ':') {
      RefParts q = p;
      std::size_t k = ScanCell(s, j + 1, q.r2, q.c2, q.ar2, q.ac2);
      if (k != std::string_view::npos && EndsReference(s, k)) {
        q.kind = RefKind::Area;
        r = q;
        return k;
      }
    }
    if (EndsReference(s, j)) {
      p.kind = RefKind::Cell;
      p.r2 = p.r1;
      p.c2 = p.c1;
      p.ar2 = p.ar1;
      p.ac2 = p.ac1;
      r = p;
      return j;
    }
    return std::string_view::npos;
  }
  // Whole columns "A:E".
  j = ScanColumn(s, i, p.c1, p.ac1);
  if (j != std::string_view::npos && j < s.size() && s[j] == ':') {
    std::size_t k = ScanColumn(s, j + 1, p.c2, p.ac2);
    if (k != std::string_view::npos && EndsReference(s, k) && (k >= s.size() || !IsDigit(s[k]))) {
      p.kind = RefKind::Cols;
      r = p;
      return k;
    }
  }
  // Whole rows "1:2".
  p = RefParts{};
  j = ScanRow(s, i, p.r1, p.ar1);
  if (j != std::string_view::npos && j < s.size() && s[j] == ':') {
    std::size_t k = ScanRow(s, j + 1, p.r2, p.ar2);
    if (k != std::string_view::npos && EndsReference(s, k) && (k >= s.size() || s[k] != '.')) {
      p.kind = RefKind::Rows;
      r = p;
      return k;
    }
  }
  return std::string_view::npos;
}

struct ErrorLiteral {
  const char* text;
  ErrorCode code;
};
constexpr ErrorLiteral kErrorLiterals[] = {
    {"#NULL!", ErrorCode::Null}, {"#DIV/0!", ErrorCode::Div0}, {"#VALUE!", ErrorCode::Value}, {"#REF!", ErrorCode::Ref},
    {"#NAME?", ErrorCode::Name}, {"#NUM!", ErrorCode::Num},    {"#N/A", ErrorCode::NA},
};

std::size_t ScanError(std::string_view s, std::size_t i, ErrorCode& code) {
  for (const auto& e : kErrorLiterals) {
    std::string_view t(e.text);
    if (i + t.size() <= s.size() && EqualsFolded(s.substr(i, t.size()), t)) {
      code = e.code;
      return i + t.size();
    }
  }
  return std::string_view::npos;
}

std::size_t ScanNumber(std::string_view s, std::size_t i, double& v) {
  std::size_t j = i;
  while (j < s.size() && IsDigit(s[j])) ++j;
  if (j < s.size() && s[j] == '.') {
    ++j;
    while (j < s.size() && IsDigit(s[j])) ++j;
  }
  if (j == i || (j == i + 1 && s[i] == '.')) return std::string_view::npos;
  if (j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
    std::size_t k = j + 1;
    if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
    if (k < s.size() && IsDigit(s[k])) {
      while (k < s.size() && IsDigit(s[k])) ++k;
      j = k;
    }
  }
  std::string num(s.substr(i, j - i));
  v = std::strtod(num.c_str(), nullptr);
  return j;
}

// After a sheet part: a reference, "#REF!" or a name. Fills the token; returns
// false when nothing valid follows.
bool ScanAfterSheet(std::string_view s, std::size_t k, Token& t) {
  RefParts r;
  std::size_t e = ScanReference(s, k, r);
  if (e != std::string_view::npos) {
    t.kind = TokKind::Ref;
    t.ref = r;
    t.len = e - t.pos;
    return true;
  }
  ErrorCode code;
  e = ScanError(s, k, code);
  if (e != std::string_view::npos) {
    t.kind = TokKind::Error;
    t.error = code;
    t.len = e - t.pos;
    return true;
  }
  if (k < s.size() && IsIdentStart(s[k])) {
    e = IdentEnd(s, k);
    if (e < s.size() && (s[e] == '(' || s[e] == '!')) return false;
    t.kind = TokKind::Name;
    t.text = std::string(s.substr(k, e - k));
    t.len = e - t.pos;
    return true;
  }
  return false;
}

}  // namespace

std::string FormatRef(const RefParts& r) {
  auto cell = [](int row, int col, bool ar, bool ac) {
    return (ac ? "$" : "") + ColumnLetters(col) + (ar ? "$" : "") + std::to_string(row);
  };
  switch (r.kind) {
    case RefKind::Cell: return cell(r.r1, r.c1, r.ar1, r.ac1);
    case RefKind::Area: return cell(r.r1, r.c1, r.ar1, r.ac1) + ":" + cell(r.r2, r.c2, r.ar2, r.ac2);
    case RefKind::Rows:
      return (r.ar1 ? "$" : "") + std::to_string(r.r1) + ":" + (r.ar2 ? "$" : "") + std::to_string(r.r2);
    case RefKind::Cols:
      return (r.ac1 ? "$" : "") + ColumnLetters(r.c1) + ":" + (r.ac2 ? "$" : "") + ColumnLetters(r.c2);
  }
  return {};
}

std::vector<Token> Tokenize(std::string_view s) {
  std::vector<Token> out;
  out.reserve(std::min<std::size_t>(s.size() / 3 + 1, 32));
  // "[1]Sheet1!A1": a reference right after a bracketed workbook part is in
  // another workbook.
  std::size_t externalAt = std::string_view::npos;
  std::size_t i = 0;
  auto other = [&](std::size_t from, std::size_t to) {
    if (!out.empty() && out.back().kind == TokKind::Other && out.back().pos + out.back().len == from) {
      out.back().len = to - out.back().pos;
      out.back().text = std::string(s.substr(out.back().pos, out.back().len));
      return;
    }
    Token t;
    t.kind = TokKind::Other;
    t.pos = from;
    t.len = to - from;
    t.text = std::string(s.substr(from, to - from));
    out.push_back(std::move(t));
  };
  while (i < s.size()) {
    const char c = s[i];
    Token t;
    t.pos = i;
    if (IsSpace(c)) {
      std::size_t j = i;
      while (j < s.size() && IsSpace(s[j])) ++j;
      t.kind = TokKind::Space;
      t.len = j - i;
      out.push_back(std::move(t));
      i = j;
      continue;
    }
    if (c == '"') {
      std::size_t j = i + 1;
      bool closed = false;
      while (j < s.size()) {
        if (s[j] == '"') {
          if (j + 1 < s.size() && s[j + 1] == '"') {
            t.text += '"';
            j += 2;
            continue;
          }
          closed = true;
          ++j;
          break;
        }
        t.text += s[j++];
      }
      t.kind = TokKind::String;
      t.unterminated = !closed;
      t.len = j - i;
      out.push_back(std::move(t));
      i = j;
      continue;
    }
    if (c == '#') {
      ErrorCode code;
      std::size_t e = ScanError(s, i, code);
      if (e == std::string_view::npos) {
        other(i, i + 1);
        ++i;
        continue;
      }
      t.kind = TokKind::Error;
      t.error = code;
      t.len = e - i;
      out.push_back(std::move(t));
      i = e;
      continue;
    }
    if (c == '\'') {
      // A quoted sheet part: 'name'!ref, '' stands for one quote.
      std::size_t j = i + 1;
      std::string name;
      bool closed = false;
      while (j < s.size()) {
        if (s[j] == '\'') {
          if (j + 1 < s.size() && s[j + 1] == '\'') {
            name += '\'';
            j += 2;
            continue;
          }
          closed = true;
          ++j;
          break;
        }
        name += s[j++];
      }
      if (closed && j < s.size() && s[j] == '!') {
        t.hasSheet = true;
        t.sheet = name;
        t.sheetLen = j + 1 - i;
        // Sheet names cannot hold "[" or ":": those are other workbooks or
        // sheet spans, which the engine leaves alone.
        t.external = i == externalAt || name.find_first_of("[:") != std::string::npos;
        if (ScanAfterSheet(s, j + 1, t)) {
          i = t.pos + t.len;
          out.push_back(std::move(t));
          continue;
        }
      }
      other(i, j);
      i = j;
      continue;
    }
    if (c == '[') {
      std::size_t j = s.find(']', i);
      j = j == std::string_view::npos ? s.size() : j + 1;
      other(i, j);
      externalAt = j;
      i = j;
      continue;
    }
    if (IsIdentStart(c) || c == '.') {
      // A sheet part ("Sheet1!", "名单!", ".x!"), or a function name.
      std::size_t e = IdentEnd(s, i);
      if (e < s.size() && s[e] == '!') {
        t.hasSheet = true;
        t.sheet = std::string(s.substr(i, e - i));
        t.sheetLen = e + 1 - i;
        t.external = i == externalAt;
        if (ScanAfterSheet(s, e + 1, t)) {
          i = t.pos + t.len;
          out.push_back(std::move(t));
          continue;
        }
        other(i, e + 1);
        i = e + 1;
        continue;
      }
      if (c != '.' && e < s.size() && s[e] == '(') {
        t.kind = TokKind::Func;
        t.text = std::string(s.substr(i, e - i));
        t.len = e - i;
        out.push_back(std::move(t));
        i = e;
        continue;
      }
    }
    if (IsIdentStart(c) || c == '$' || IsDigit(c)) {
      RefParts r;
      std::size_t e = ScanReference(s, i, r);
      if (e != std::string_view::npos) {
        t.kind = TokKind::Ref;
        t.ref = r;
        t.len = e - i;
        t.external = i == externalAt;
        out.push_back(std::move(t));
        i = e;
        continue;
      }
    }
    if (IsDigit(c) || c == '.') {
      double v = 0;
      std::size_t e = ScanNumber(s, i, v);
      if (e != std::string_view::npos) {
        t.kind = TokKind::Number;
        t.number = v;
        t.len = e - i;
        out.push_back(std::move(t));
        i = e;
        continue;
      }
    }
    if (IsIdentStart(c)) {
      std::size_t e = IdentEnd(s, i);
      std::string_view word = s.substr(i, e - i);
      t.len = e - i;
      if (EqualsFolded(word, "TRUE") || EqualsFolded(word, "FALSE")) {
        t.kind = TokKind::Bool;
        t.boolean = EqualsFolded(word, "TRUE");
      } else {
        t.kind = TokKind::Name;
        t.text = std::string(word);
        t.external = i == externalAt;
      }
      out.push_back(std::move(t));
      i = e;
      continue;
    }
    switch (c) {
      case '(': t.kind = TokKind::LParen; break;
      case ')': t.kind = TokKind::RParen; break;
      case ',': t.kind = TokKind::Comma; break;
      case '+':
      case '-':
      case '*':
      case '/':
      case '^':
      case '&':
      case '=':
      case '%':
        t.kind = TokKind::Op;
        t.text = std::string(1, c);
        break;
      case '<':
        t.kind = TokKind::Op;
        t.text = (i + 1 < s.size() && (s[i + 1] == '=' || s[i + 1] == '>')) ? std::string(s.substr(i, 2)) : "<";
        break;
      case '>':
        t.kind = TokKind::Op;
        t.text = (i + 1 < s.size() && s[i + 1] == '=') ? ">=" : ">";
        break;
      default:
        other(i, i + 1);
        ++i;
        continue;
    }
    t.len = t.kind == TokKind::Op ? t.text.size() : 1;
    i += t.len;
    out.push_back(std::move(t));
  }
  return out;
}

}  // namespace korvane::host::formula::detail
