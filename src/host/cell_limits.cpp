#include "host/cell_limits.h"

#include <algorithm>

namespace korvane::host {

std::size_t Utf16Length(std::string_view s) {
  std::size_t n = 0;
  for (unsigned char c : s) {
    if ((c & 0xC0) != 0x80) ++n;  // each lead byte (or stray byte) is one character
    if (c >= 0xF0) ++n;           // four-byte sequences need a surrogate pair
  }
  return n;
}

int FormulaNesting(std::string_view f) {
  int depth = 0, deepest = 0;
  char quote = 0;
  for (char c : f) {
    if (quote) {
      if (c == quote) quote = 0;  // a doubled quote closes and reopens: same result
      continue;
    }
    if (c == '"' || c == '\'')
      quote = c;
    else if (c == '(')
      deepest = std::max(deepest, ++depth);
    else if (c == ')' && depth > 0)
      --depth;
  }
  return deepest;
}

std::string CellContentProblem(const CellValue& v, bool literal) {
  if (!v.IsText()) return {};
  const std::string& t = v.Text();
  if (!literal && t.size() > 1 && t[0] == '=') {
    if (Utf16Length(t) > kMaxFormulaLength)
      return "公式超过" + std::to_string(kMaxFormulaLength) + "个字符（共" + std::to_string(Utf16Length(t)) + "个）。";
    if (FormulaNesting(t) > kMaxFormulaNesting)
      return "公式的括号嵌套超过" + std::to_string(kMaxFormulaNesting) + "层。";
    return {};
  }
  if (Utf16Length(t) > kMaxCellTextLength)
    return "文字超过" + std::to_string(kMaxCellTextLength) + "个字符（共" + std::to_string(Utf16Length(t)) + "个）。";
  return {};
}

}  // namespace korvane::host
