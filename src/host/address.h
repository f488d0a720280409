// A1 addresses: cells, ranges, whole rows ("11:16") and whole columns ("$A:$E").
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvane::host {

inline constexpr int kMaxRows = 1048576;
inline constexpr int kMaxCols = 16384;

// 1-based column number -> letters ("A", "AA"); 0 or out of range gives "".
std::string ColumnLetters(int col);
// Letters -> 1-based column number; 0 when not letters or beyond kMaxCols.
int ColumnNumber(std::string_view letters);

// A rectangle of cells, 1-based and inclusive.
struct RangeRef {
  int r1 = 1, c1 = 1, r2 = 1, c2 = 1;
  int Rows() const { return r2 - r1 + 1; }
  int Cols() const { return c2 - c1 + 1; }
  long long Count() const { return static_cast<long long>(Rows()) * Cols(); }
  bool Contains(int r, int c) const { return r >= r1 && r <= r2 && c >= c1 && c <= c2; }
  bool Intersects(const RangeRef& o) const { return !(o.r2 < r1 || o.r1 > r2 || o.c2 < c1 || o.c1 > c2); }
  bool IsSingleCell() const { return r1 == r2 && c1 == c2; }
  bool operator==(const RangeRef&) const = default;
};

// Parses "C4", "$C$4", "C4:K23", "11:16", "$A:$E" (no sheet part). Whole rows
// span every column, whole columns every row. Corners are normalised so that
// r1 <= r2 and c1 <= c2. Returns nullopt on anything else.
std::optional<RangeRef> ParseA1(std::string_view text);

// "$A$1" or "$A$1:$B$2" (a single cell without the colon part).
std::string AbsoluteAddress(const RangeRef& r);
// "A1" or "A1:B2".
std::string RelativeAddress(const RangeRef& r);

// Splits "'Sheet name'!A1:B2" or "Sheet1!H2" into sheet (unquoted, '' undoubled)
// and address part. Without "!" the sheet is empty.
void SplitSheetRef(std::string_view text, std::string& sheet, std::string& address);

// Quotes a sheet name for use in a reference when the application would:
// names that start with a digit, contain characters other than letters, digits,
// "_" and ".", or look like a cell reference. Embedded ' are doubled.
std::string QuoteSheetName(std::string_view name);

// Checks a sheet name: 1 to 31 characters, none of []:*?/\ , not starting or
// ending with '. Returns an empty string when valid, otherwise a Chinese reason.
std::string SheetNameProblem(std::string_view name);

}  // namespace korvane::host
