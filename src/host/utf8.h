// UTF-8 text by characters (Unicode code points) rather than bytes: counting,
// cutting and decoding. Sheet names, cell texts and the formulas LEN, LEFT,
// MID count characters as the user sees them.
//
// One rule for malformed input everywhere, the one the .xlsx writer applies:
// each byte that does not begin a well-formed sequence (a stray continuation
// byte, a truncated or overlong sequence, a surrogate, a value above
// U+10FFFF) is one character of its own and reads as U+FFFD. "\x80\x80" is
// two characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvane::host::utf8 {

inline constexpr char32_t kReplacement = U'\uFFFD';
inline constexpr std::string_view kReplacementText = "\xEF\xBF\xBD";

struct Character {
  char32_t codePoint = 0;  // kReplacement for a malformed byte
  std::size_t bytes = 1;   // 1 to 4; 1 for a malformed byte
  bool wellFormed = true;
};

// The character that begins at byte `pos` (pos < s.size()).
Character DecodeAt(std::string_view s, std::size_t pos);
// The byte position of the character after the one at `pos`; s.size() at the end.
std::size_t Next(std::string_view s, std::size_t pos);
// The number of characters.
std::size_t Length(std::string_view s);
// The byte position of character `index` (0-based); s.size() beyond the end.
std::size_t Offset(std::string_view s, std::size_t index);
// `count` characters from the 1-based character position `start` (fewer at
// the end of the text, empty beyond it), as the text's own bytes.
std::string Mid(std::string_view s, std::size_t start, std::size_t count = std::string::npos);
// The text without its last character.
std::string_view DropLast(std::string_view s);

// The code points of the text.
std::u32string Decode(std::string_view s);
// Appends one code point (a surrogate or a value above U+10FFFF as U+FFFD).
void Append(std::string& out, char32_t codePoint);
std::string Encode(std::u32string_view codePoints);

}  // namespace korvane::host::utf8
