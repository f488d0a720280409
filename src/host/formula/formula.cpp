// Rewriting of references in formula text: row/column shifts, sheet renames
// and deletions, and the translation of copied formulas. Only reference tokens
// change; every other byte of the text is copied as it was.
#include "host/formula/formula.h"

#include <optional>

#include "host/address.h"
#include "host/formula/lexer.h"
#include "host/number_text.h"

namespace korvane::host::formula {

namespace {

using detail::RefKind;
using detail::RefParts;
using detail::Token;
using detail::TokKind;

// Rebuilds the text; fn returns the replacement of a token or nullopt to keep it.
template <typename F>
std::string Rewrite(std::string_view text, F&& fn) {
  const std::vector<Token> tokens = detail::Tokenize(text);
  std::string out;
  out.reserve(text.size() + 16);
  for (const Token& t : tokens) {
    const std::string_view raw = text.substr(t.pos, t.len);
    if (std::optional<std::string> rep = fn(t, raw))
      out += *rep;
    else
      out += raw;
  }
  return out;
}

bool NamesSheet(const Token& t, std::string_view sheet) {
  return t.hasSheet && !t.external && detail::EqualsFolded(t.sheet, sheet) &&
         (t.kind == TokKind::Ref || t.kind == TokKind::Name || t.kind == TokKind::Error);
}

// "Sheet1!#REF!" keeps the sheet part of the reference it replaces.
std::string RefError(const Token& t, std::string_view raw) { return std::string(raw.substr(0, t.sheetLen)) + "#REF!"; }

struct Axis {
  int at;
  int count;  // > 0 inserted, < 0 deleted
  int max;
};

// A lone row (column): moves past inserted lines; deleted with its line.
std::optional<int> MovePoint(int v, const Axis& a) {
  if (a.count > 0) {
    if (v < a.at) return v;
    if (static_cast<long long>(v) + a.count > a.max) return std::nullopt;
    return v + a.count;
  }
  const int n = -a.count, last = a.at + n - 1;
  if (v < a.at) return v;
  if (v <= last) return std::nullopt;
  return v - n;
}

// The two ends of a span (lo <= hi). Inserting inside the span widens it;
// deleting part of it narrows it; deleting all of it is an error. An end
// pushed past the grid's edge stays at the edge, a start pushed past it is an
// error.
bool MoveSpan(int& lo, int& hi, bool moveLo, bool moveHi, const Axis& a) {
  if (a.count > 0) {
    if (moveLo && lo >= a.at) lo += a.count;
    if (moveHi && hi >= a.at) hi = static_cast<int>(std::min<long long>(static_cast<long long>(hi) + a.count, a.max));
    return lo <= a.max && lo <= hi;
  }
  const int n = -a.count, last = a.at + n - 1;
  if (moveLo) lo = lo < a.at ? lo : (lo <= last ? a.at : lo - n);
  if (moveHi) hi = hi < a.at ? hi : (hi <= last ? a.at - 1 : hi - n);
  return lo <= hi;
}

// Applies a shift to one reference; nullopt when it becomes #REF!.
std::optional<RefParts> ShiftRef(RefParts p, const Shift& s, bool absoluteOnly) {
  if ((s.rows && p.kind == RefKind::Cols) || (!s.rows && p.kind == RefKind::Rows)) return p;
  int& a = s.rows ? p.r1 : p.c1;
  int& b = s.rows ? p.r2 : p.c2;
  const bool moveA = !absoluteOnly || (s.rows ? p.ar1 : p.ac1);
  const bool moveB = !absoluteOnly || (s.rows ? p.ar2 : p.ac2);
  const Axis axis{s.at, s.count, s.rows ? kMaxRows : kMaxCols};
  if (p.kind == RefKind::Cell) {
    if (!moveA) return p;
    std::optional<int> v = MovePoint(a, axis);
    if (!v) return std::nullopt;
    a = b = *v;
    return p;
  }
  const bool swapped = a > b;
  int lo = swapped ? b : a, hi = swapped ? a : b;
  if (!MoveSpan(lo, hi, swapped ? moveB : moveA, swapped ? moveA : moveB, axis)) return std::nullopt;
  a = swapped ? hi : lo;
  b = swapped ? lo : hi;
  return p;
}

bool SameParts(const RefParts& x, const RefParts& y) {
  return x.kind == y.kind && x.r1 == y.r1 && x.c1 == y.c1 && x.r2 == y.r2 && x.c2 == y.c2;
}

}  // namespace

std::string AdjustForShift(std::string_view text, std::string_view home, const Shift& shift, bool absoluteOnly) {
  if (shift.count == 0 || shift.at < 1) return std::string(text);
  return Rewrite(text, [&](const Token& t, std::string_view raw) -> std::optional<std::string> {
    if (t.kind != TokKind::Ref || t.external) return std::nullopt;
    if (!detail::EqualsFolded(t.hasSheet ? std::string_view(t.sheet) : home, shift.sheet)) return std::nullopt;
    std::optional<RefParts> moved = ShiftRef(t.ref, shift, absoluteOnly);
    if (!moved) return RefError(t, raw);
    if (SameParts(*moved, t.ref)) return std::nullopt;
    return std::string(raw.substr(0, t.sheetLen)) + detail::FormatRef(*moved);
  });
}

std::string RenameSheet(std::string_view text, std::string_view oldName, std::string_view newName) {
  return Rewrite(text, [&](const Token& t, std::string_view raw) -> std::optional<std::string> {
    if (!NamesSheet(t, oldName)) return std::nullopt;
    return QuoteSheetName(newName) + "!" + std::string(raw.substr(t.sheetLen));
  });
}

std::string InvalidateSheet(std::string_view text, std::string_view deletedName) {
  return Rewrite(text, [&](const Token& t, std::string_view) -> std::optional<std::string> {
    if (!NamesSheet(t, deletedName)) return std::nullopt;
    return std::string("#REF!");
  });
}

std::string Translate(std::string_view text, int dRow, int dCol) {
  if (dRow == 0 && dCol == 0) return std::string(text);
  return Rewrite(text, [&](const Token& t, std::string_view raw) -> std::optional<std::string> {
    if (t.kind != TokKind::Ref || t.external) return std::nullopt;
    RefParts p = t.ref;
    bool inside = true;
    auto move = [&](int& v, bool anchored, int delta, int max) {
      if (anchored) return;
      long long nv = static_cast<long long>(v) + delta;
      if (nv < 1 || nv > max)
        inside = false;
      else
        v = static_cast<int>(nv);
    };
    if (p.kind != RefKind::Cols) {
      move(p.r1, p.ar1, dRow, kMaxRows);
      if (p.kind != RefKind::Cell) move(p.r2, p.ar2, dRow, kMaxRows);
    }
    if (p.kind != RefKind::Rows) {
      move(p.c1, p.ac1, dCol, kMaxCols);
      if (p.kind != RefKind::Cell) move(p.c2, p.ac2, dCol, kMaxCols);
    }
    if (!inside) return RefError(t, raw);
    if (p.kind == RefKind::Cell) {
      p.r2 = p.r1;
      p.c2 = p.c1;
    }
    if (SameParts(p, t.ref)) return std::nullopt;
    return std::string(raw.substr(0, t.sheetLen)) + detail::FormatRef(p);
  });
}

}  // namespace korvane::host::formula
