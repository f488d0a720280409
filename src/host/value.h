// Cell values of the workbook host: empty, number, text, boolean or error.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace korvane::host {

enum class ErrorCode : std::uint8_t { Null, Div0, Value, Ref, Name, Num, NA };

const char* ErrorText(ErrorCode e);  // "#DIV/0!" ...
bool ParseErrorText(std::string_view s, ErrorCode& out);

struct Empty {
  bool operator==(const Empty&) const = default;
};
struct Error {
  ErrorCode code = ErrorCode::Value;
  bool operator==(const Error&) const = default;
};

// A cell's value. Text is UTF-8.
class CellValue {
 public:
  CellValue() = default;
  CellValue(double d) : v_(d) {}
  CellValue(int i) : v_(static_cast<double>(i)) {}
  CellValue(long i) : v_(static_cast<double>(i)) {}
  CellValue(long long i) : v_(static_cast<double>(i)) {}
  CellValue(bool b) : v_(b) {}
  CellValue(std::string s) : v_(std::move(s)) {}
  CellValue(const char* s) : v_(std::string(s)) {}
  CellValue(Error e) : v_(e) {}
  CellValue(ErrorCode e) : v_(Error{e}) {}

  bool IsEmpty() const { return std::holds_alternative<Empty>(v_); }
  bool IsNumber() const { return std::holds_alternative<double>(v_); }
  bool IsText() const { return std::holds_alternative<std::string>(v_); }
  bool IsBool() const { return std::holds_alternative<bool>(v_); }
  bool IsError() const { return std::holds_alternative<Error>(v_); }

  double Number() const { return std::get<double>(v_); }
  const std::string& Text() const { return std::get<std::string>(v_); }
  bool Bool() const { return std::get<bool>(v_); }
  ErrorCode Err() const { return std::get<Error>(v_).code; }

  // The text a user sees for this value with the General format (numbers as the
  // application shows them: up to 15 significant digits, no trailing zeros).
  std::string ToText() const;
  // Numeric reading as a program reads a cell: numbers as they are, texts that
  // read as numbers converted, empty as 0, booleans as 0/1; otherwise false.
  bool ToNumber(double& out) const;
  // Whole number as the programs read cells ("numbers read from cells are taken
  // as whole numbers"): rounds half to even like the application's CInt/CLng.
  long long ToWhole() const;

  bool operator==(const CellValue&) const = default;

 private:
  std::variant<Empty, double, std::string, bool, Error> v_;
};

using ValueGrid = std::vector<std::vector<CellValue>>;

// Formats a double as the application's General format shows it.
std::string FormatGeneralNumber(double d);

// A time of day typed as text: hour 0 to 23 (one or two digits), ":", two
// digits of minutes 00 to 59 ("8:30", "14:05"). Gives the fraction of a day
// (0.5 is 12:00) the application stores for it; false for any other text.
bool ParseTimeOfDay(std::string_view text, double& dayFraction);
// A time as the number format "h:mm" shows it: the hour without a leading
// zero, two-digit minutes, rounded to the nearest minute, whole days dropped
// (0.3541666 gives "8:30").
std::string FormatTimeOfDay(double dayFraction);
// The number format the application gives a cell typed as a time of day.
inline constexpr std::string_view kTimeOfDayFormat = "h:mm";

}  // namespace korvane::host
