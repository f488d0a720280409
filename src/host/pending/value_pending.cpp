// Temporary fallback while value.cpp is being written; removed when it lands.
#include <cstdio>
#include "host/value.h"
namespace korvane::host {
const char* ErrorText(ErrorCode) { return "#VALUE!"; }
bool ParseErrorText(std::string_view, ErrorCode&) { return false; }
std::string FormatGeneralNumber(double d) { char b[64]; std::snprintf(b, sizeof b, "%.15g", d); return b; }
std::string CellValue::ToText() const {
  if (IsNumber()) return FormatGeneralNumber(Number());
  if (IsText()) return Text();
  if (IsBool()) return Bool() ? "TRUE" : "FALSE";
  if (IsError()) return ErrorText(Err());
  return {};
}
bool CellValue::ToNumber(double& out) const { if (IsNumber()) { out = Number(); return true; } if (IsEmpty()) { out = 0; return true; } return false; }
long long CellValue::ToWhole() const { double d = 0; ToNumber(d); return static_cast<long long>(d); }
}
