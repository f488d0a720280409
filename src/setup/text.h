// Texts by characters rather than bytes. Event names, grade names and event
// entries are Chinese, so positions and lengths count Unicode code points of
// the UTF-8 texts, as the user sees characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvane::setup::text {

// The code points of a UTF-8 text. Returns false (and leaves `out` partly
// filled) when the text is not well-formed UTF-8: stray continuation bytes,
// truncated or overlong sequences, surrogates, values above U+10FFFF.
bool Decode(std::string_view utf8, std::u32string& out);
std::string Encode(std::u32string_view codePoints);

// Number of characters; a malformed text counts its bytes.
std::size_t Length(std::string_view utf8);
// `count` characters from the 1-based character position `start` (fewer at
// the end of the text, empty beyond it). Malformed texts are taken bytewise.
std::string Mid(std::string_view utf8, std::size_t start, std::size_t count = std::string::npos);
// Every occurrence of `from` replaced by `to`.
std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to);

}  // namespace korvane::setup::text
