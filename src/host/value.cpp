#include "host/value.h"

#include <cmath>
#include <limits>

#include "host/number_text.h"

namespace korvane::host {

namespace {

struct ErrorName {
  ErrorCode code;
  const char* text;
};
constexpr ErrorName kErrorNames[] = {
    {ErrorCode::Null, "#NULL!"}, {ErrorCode::Div0, "#DIV/0!"}, {ErrorCode::Value, "#VALUE!"}, {ErrorCode::Ref, "#REF!"},
    {ErrorCode::Name, "#NAME?"}, {ErrorCode::Num, "#NUM!"},    {ErrorCode::NA, "#N/A"},
};

// Width of a standard column in characters: General shows at most this many
// characters for the digits of a number (the minus sign comes on top).
constexpr int kGeneralWidth = 11;

}  // namespace

const char* ErrorText(ErrorCode e) {
  for (const auto& n : kErrorNames)
    if (n.code == e) return n.text;
  return "#VALUE!";
}

bool ParseErrorText(std::string_view s, ErrorCode& out) {
  for (const auto& n : kErrorNames) {
    if (text::EqualsFolded(s, n.text)) {
      out = n.code;
      return true;
    }
  }
  return false;
}

std::string FormatGeneralNumber(double d) {
  using text::Decimal;
  using text::RoundDecimal;
  if (d == 0) return "0";
  if (!std::isfinite(d)) return "#NUM!";
  const std::string sign = d < 0 ? "-" : "";
  // 15 significant digits first: 0.1 + 0.2 is 0.3, as the application shows it.
  const Decimal x = text::ToDecimal(std::fabs(d), 15);
  const int len = static_cast<int>(x.digits.size());

  auto fixed = [](const Decimal& v) {
    std::string out;
    const int n = static_cast<int>(v.digits.size());
    if (v.exponent >= 0) {
      for (int i = 0; i <= v.exponent; ++i) out += i < n ? v.digits[static_cast<std::size_t>(i)] : '0';
      if (n > v.exponent + 1) out += "." + v.digits.substr(static_cast<std::size_t>(v.exponent + 1));
    } else {
      out = "0." + std::string(static_cast<std::size_t>(-v.exponent - 1), '0') + v.digits;
    }
    return out;
  };

  if (x.exponent >= 0 && x.exponent + 1 <= kGeneralWidth) {
    // The integer part fits: round the decimals to the room that is left.
    const int intDigits = x.exponent + 1;
    const int decimals = kGeneralWidth - intDigits - 1;
    const Decimal y = RoundDecimal(x, intDigits + (decimals > 0 ? decimals : 0));
    if (y.exponent + 1 <= kGeneralWidth) return sign + fixed(y);
  } else if (x.exponent < 0) {
    // "0." + leading zeros + digits.
    if (2 + (-x.exponent - 1) + len <= kGeneralWidth) return sign + fixed(x);
    if (x.exponent >= -4) return sign + fixed(RoundDecimal(x, kGeneralWidth - 2 - (-x.exponent - 1)));
  }
  // Scientific: "d.dddddE+XX" within the width.
  Decimal y = x;
  for (int attempt = 0; attempt < 2; ++attempt) {
    const int e = y.exponent;
    const int expLen = 2 + (std::abs(e) >= 100 ? 3 : 2);  // "E+" and the digits
    const int mantissaDecimals = kGeneralWidth - expLen - 2;
    y = RoundDecimal(x, 1 + mantissaDecimals);
    if (y.exponent == e) break;  // rounding did not carry into a longer exponent
  }
  std::string out(1, y.digits[0]);
  if (y.digits.size() > 1) out += "." + y.digits.substr(1);
  char buf[16];
  std::snprintf(buf, sizeof buf, "E%c%02d", y.exponent < 0 ? '-' : '+', std::abs(y.exponent));
  return sign + out + buf;
}

std::string CellValue::ToText() const {
  if (IsEmpty()) return {};
  if (IsNumber()) return FormatGeneralNumber(Number());
  if (IsText()) return Text();
  if (IsBool()) return Bool() ? "TRUE" : "FALSE";
  return ErrorText(Err());
}

bool CellValue::ToNumber(double& out) const {
  if (IsNumber()) {
    out = Number();
    return true;
  }
  if (IsEmpty()) {
    out = 0;
    return true;
  }
  if (IsBool()) {
    out = Bool() ? 1 : 0;
    return true;
  }
  if (IsText()) return text::ParseNumberText(Text(), out);
  return false;
}

long long CellValue::ToWhole() const {
  double d = 0;
  if (!ToNumber(d) || std::isnan(d)) return 0;
  // Banker's rounding: halves go to the even neighbour (2.5 -> 2, 3.5 -> 4).
  double r = std::floor(d);
  const double diff = d - r;
  if (diff > 0.5 || (diff == 0.5 && std::fmod(r, 2.0) != 0)) r += 1;
  constexpr double kLimit = 9.2e18;
  if (r >= kLimit) return std::numeric_limits<long long>::max();
  if (r <= -kLimit) return std::numeric_limits<long long>::min();
  return static_cast<long long>(r);
}

bool ParseTimeOfDay(std::string_view text, double& dayFraction) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon == 0 || colon > 2 || text.size() != colon + 3) return false;
  int hour = 0, minute = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i == colon) continue;
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    (i < colon ? hour : minute) = (i < colon ? hour : minute) * 10 + (c - '0');
  }
  if (hour > 23 || minute > 59) return false;
  dayFraction = (hour * 60 + minute) / 1440.0;
  return true;
}

std::string FormatTimeOfDay(double dayFraction) {
  long long minutes = std::llround(dayFraction * 1440.0);
  minutes %= 1440;
  if (minutes < 0) minutes += 1440;
  const long long m = minutes % 60;
  return std::to_string(minutes / 60) + ":" + (m < 10 ? "0" : "") + std::to_string(m);
}

}  // namespace korvane::host
