// Builds a small syntax tree from formula tokens. Runs of operators of one
// precedence level become one Chain node, so long sums such as A1+A2+...+A300
// do not make the tree (and the evaluator's recursion) deep.
#pragma once

#include <string>
#include <vector>

#include "host/formula/lexer.h"

namespace korvane::host::formula::detail {

struct Node {
  enum class Kind { Number, String, Bool, Error, Ref, Name, Func, Negate, Plus, Percent, Chain, Missing };
  Kind kind = Kind::Missing;
  double number = 0;
  std::string text;  // String: the text; Func: the upper-case name
  bool boolean = false;
  ErrorCode error = ErrorCode::Value;
  int token = -1;                // Ref, Name: index of the token
  std::vector<int> kids;         // operands / arguments (node indices)
  std::vector<std::string> ops;  // Chain: ops[i] joins kids[i] and kids[i + 1]
};

struct Tree {
  std::vector<Token> tokens;
  std::vector<Node> nodes;
  int root = -1;
};

// Parses formula text; false when the text is not a formula the engine reads
// (syntax errors, array constants, unions, intersections, nesting deeper than
// the application allows, references into other workbooks).
bool Parse(std::string_view text, Tree& tree);

}  // namespace korvane::host::formula::detail
