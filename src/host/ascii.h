// ASCII case folding, for the names that file formats and programs compare
// without regard to case (extensions, part names, font names, field codes).
// Letters outside ASCII are compared as they are.
#pragma once

#include <string>
#include <string_view>

namespace korvane::host {

inline char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string AsciiLower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

inline bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

inline bool EndsWithAsciiNoCase(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && EqualsAsciiNoCase(s.substr(s.size() - suffix.size()), suffix);
}

// The byte position of the first occurrence of `needle` in `text`, ignoring
// ASCII case; npos when there is none or `needle` is empty.
inline std::size_t FindAsciiNoCase(std::string_view text, std::string_view needle) {
  if (needle.empty() || needle.size() > text.size()) return std::string_view::npos;
  for (std::size_t i = 0; i + needle.size() <= text.size(); ++i)
    if (EqualsAsciiNoCase(text.substr(i, needle.size()), needle)) return i;
  return std::string_view::npos;
}

}  // namespace korvane::host
