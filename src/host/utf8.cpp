#include "host/utf8.h"

namespace korvane::host::utf8 {

Character DecodeAt(std::string_view s, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(s[pos]);
  if (lead < 0x80) return {lead, 1, true};
  std::size_t bytes;
  char32_t codePoint;
  char32_t smallest;
  if ((lead & 0xE0) == 0xC0) {
    bytes = 2, codePoint = lead & 0x1F, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    bytes = 3, codePoint = lead & 0x0F, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    bytes = 4, codePoint = lead & 0x07, smallest = 0x10000;
  } else {
    return {kReplacement, 1, false};
  }
  if (pos + bytes > s.size()) return {kReplacement, 1, false};
  for (std::size_t k = 1; k < bytes; ++k) {
    const auto next = static_cast<unsigned char>(s[pos + k]);
    if ((next & 0xC0) != 0x80) return {kReplacement, 1, false};
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  if (codePoint < smallest || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
    return {kReplacement, 1, false};
  return {codePoint, bytes, true};
}

std::size_t Next(std::string_view s, std::size_t pos) {
  if (pos >= s.size()) return s.size();
  return pos + DecodeAt(s, pos).bytes;
}

std::size_t Length(std::string_view s) {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < s.size(); pos = Next(s, pos)) ++count;
  return count;
}

std::size_t Offset(std::string_view s, std::size_t index) {
  std::size_t pos = 0;
  for (; index > 0 && pos < s.size(); --index) pos = Next(s, pos);
  return pos;
}

std::string Mid(std::string_view s, std::size_t start, std::size_t count) {
  if (start < 1) start = 1;
  const std::size_t from = Offset(s, start - 1);
  std::size_t to = from;
  for (; count > 0 && to < s.size(); --count) to = Next(s, to);
  return std::string(s.substr(from, to - from));
}

std::string_view DropLast(std::string_view s) {
  std::size_t last = 0;
  for (std::size_t pos = 0; pos < s.size(); pos = Next(s, pos)) last = pos;
  return s.substr(0, last);
}

std::u32string Decode(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  for (std::size_t pos = 0; pos < s.size();) {
    const Character c = DecodeAt(s, pos);
    out.push_back(c.codePoint);
    pos += c.bytes;
  }
  return out;
}

void Append(std::string& out, char32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string Encode(std::u32string_view codePoints) {
  std::string out;
  out.reserve(codePoints.size() * 3);
  for (char32_t cp : codePoints) Append(out, cp);
  return out;
}

}  // namespace korvane::host::utf8
