// Splits formula text (without "=") into tokens that keep their byte spans, so
// that the reference rewriters can replace references and copy every other
// byte unchanged, and the parser can build its tree from the same tokens.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "host/number_text.h"
#include "host/value.h"

namespace korvane::host::formula::detail {

// The number and text helpers the cell values use too.
using namespace host::text;

enum class TokKind {
  Number,
  String,
  Bool,
  Error,  // error literal, possibly with a sheet part ("Sheet1!#REF!")
  Ref,    // A1, $A$1:B5, 1:2, A:E, with an optional sheet part
  Name,   // a defined name, possibly with a sheet part
  Func,   // a function name; the "(" is the next token
  Op,     // + - * / ^ & = <> < > <= >= %
  LParen,
  RParen,
  Comma,
  Space,
  Other,  // anything the engine does not understand ({ } ; : @ [..] ...)
};

enum class RefKind { Cell, Area, Rows, Cols };

// The parts of a reference as written. Rows: only r1/r2 matter; Cols: only
// c1/c2. The a* flags are the "$" anchors.
struct RefParts {
  RefKind kind = RefKind::Cell;
  int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
  bool ar1 = false, ac1 = false, ar2 = false, ac2 = false;
};

struct Token {
  TokKind kind = TokKind::Other;
  std::size_t pos = 0, len = 0;  // the whole token, sheet part included
  std::string text;              // Op: the operator; Name/Func: the name; String: the unescaped text
  double number = 0;
  bool boolean = false;
  ErrorCode error = ErrorCode::Value;
  bool hasSheet = false;
  std::string sheet;          // unquoted, '' undoubled
  std::size_t sheetLen = 0;   // bytes of the sheet part, "!" included
  bool external = false;      // names another workbook: never rewritten, not evaluated
  bool unterminated = false;  // a string without its closing quote
  RefParts ref;
};

std::vector<Token> Tokenize(std::string_view text);

// "$A$1", "B2:C3", "$1:$2", "A:$E" (no sheet part).
std::string FormatRef(const RefParts& r);

}  // namespace korvane::host::formula::detail
