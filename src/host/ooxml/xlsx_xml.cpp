// XML text helpers of the workbook codec: escaping for the writers, name and
// attribute helpers for the readers, cell references and error messages.
#include <charconv>
#include <cmath>
#include <cstring>

#include "host/address.h"
#include "host/ooxml/xlsx_internal.h"
#include "host/utf8.h"

namespace korvane::host::ooxml {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void AppendHexEscape(std::string& out, std::uint32_t unit) {
  out += "_x";
  out += kHex[(unit >> 12) & 0xF];
  out += kHex[(unit >> 8) & 0xF];
  out += kHex[(unit >> 4) & 0xF];
  out += kHex[unit & 0xF];
  out += '_';
}

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return c - 'a' + 10;
}

// "_xHHHH_" at position i.
bool IsHexEscapeAt(std::string_view s, std::size_t i) {
  // Only a lower-case x makes an escape: "_X0000_" is text as it stands.
  return i + 7 <= s.size() && s[i] == '_' && s[i + 1] == 'x' && IsHex(s[i + 2]) && IsHex(s[i + 3]) && IsHex(s[i + 4]) &&
         IsHex(s[i + 5]) && s[i + 6] == '_';
}

// Shared escaping loop. cellString selects the _xHHHH_ treatment of control
// characters; otherwise characters XML cannot carry are dropped.
template <bool kAttr, bool kCellString>
void AppendText(std::string& out, std::string_view s) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n) {
    // Copy a run of plain ASCII in one go.
    std::size_t j = i;
    while (j < n) {
      const auto c = static_cast<unsigned char>(s[j]);
      if (c < 0x20 || c >= 0x80 || c == '&' || c == '<' || c == '>' || (kAttr && c == '"') || (kCellString && c == '_'))
        break;
      ++j;
    }
    out.append(s.data() + i, j - i);
    i = j;
    if (i >= n) break;
    const auto c = static_cast<unsigned char>(s[i]);
    switch (c) {
      case '&':
        out += "&amp;";
        ++i;
        continue;
      case '<':
        out += "&lt;";
        ++i;
        continue;
      case '>':
        out += "&gt;";
        ++i;
        continue;
      case '"':
        out += "&quot;";
        ++i;
        continue;
      case '_':
        if (IsHexEscapeAt(s, i))
          out += "_x005F_";
        else
          out += '_';
        ++i;
        continue;
      default: break;
    }
    if (c < 0x20) {
      if (c == '\t' || c == '\n') {
        if (kAttr)
          out += c == '\t' ? "&#9;" : "&#10;";
        else
          out += static_cast<char>(c);
      } else if (kCellString) {
        AppendHexEscape(out, c);  // includes \r, which XML readers would turn into \n
      } else if (c == '\r') {
        out += "&#13;";
      }
      // Other control characters cannot appear in XML outside cell strings.
      ++i;
      continue;
    }
    const utf8::Character character = utf8::DecodeAt(s, i);
    if (!character.wellFormed) {
      out += utf8::kReplacementText;
      ++i;
      continue;
    }
    if (character.codePoint == 0xFFFE || character.codePoint == 0xFFFF) {
      if (kCellString)
        AppendHexEscape(out, character.codePoint);
      else
        out += utf8::kReplacementText;
    } else {
      out.append(s.data() + i, character.bytes);
    }
    i += character.bytes;
  }
}

}  // namespace

void AppendEscaped(std::string& out, std::string_view s) { AppendText<false, false>(out, s); }
void AppendAttrEscaped(std::string& out, std::string_view s) { AppendText<true, false>(out, s); }
void AppendCellString(std::string& out, std::string_view s) { AppendText<false, true>(out, s); }

bool NeedsSpacePreserve(std::string_view s) {
  if (s.empty()) return false;
  auto ws = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  return ws(s.front()) || ws(s.back());
}

void AppendNumber(std::string& out, double d) {
  if (d == 0) {
    out += '0';  // also for -0
    return;
  }
  char buf[32];
  auto res = std::to_chars(buf, buf + sizeof buf, d);
  out.append(buf, res.ptr);
}

void AppendInt(std::string& out, long long v) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, res.ptr);
}

std::string NumberText(double d) {
  std::string s;
  AppendNumber(s, d);
  return s;
}

std::string ArgbText(std::uint32_t argb) {
  std::string s(8, '0');
  for (int k = 7; k >= 0; --k) {
    s[k] = kHex[argb & 0xF];
    argb >>= 4;
  }
  return s;
}

std::string DecodeCellString(std::string_view s) {
  if (s.find("_x") == std::string_view::npos) return std::string(s);
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    if (IsHexEscapeAt(s, i)) {
      std::uint32_t unit = 0;
      for (int k = 2; k < 6; ++k) unit = unit * 16 + HexValue(s[i + k]);
      i += 7;
      if (unit >= 0xD800 && unit <= 0xDBFF && IsHexEscapeAt(s, i)) {
        std::uint32_t low = 0;
        for (int k = 2; k < 6; ++k) low = low * 16 + HexValue(s[i + k]);
        if (low >= 0xDC00 && low <= 0xDFFF) {
          i += 7;
          utf8::Append(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
          continue;
        }
      }
      if (unit >= 0xD800 && unit <= 0xDFFF)
        out += utf8::kReplacementText;
      else
        utf8::Append(out, unit);
    } else {
      out += s[i++];
    }
  }
  return out;
}

// ---------------------------------------------------------------------------
// Reading helpers
// ---------------------------------------------------------------------------

const char* LocalName(const char* qualified) {
  const char* colon = std::strchr(qualified, ':');
  return colon ? colon + 1 : qualified;
}

pugi::xml_node Child(const pugi::xml_node& n, const char* local) {
  for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
    if (IsNamed(c, local)) return c;
  return {};
}

pugi::xml_attribute Attribute(const pugi::xml_node& n, const char* local) {
  for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
    const char* name = a.name();
    if (std::strcmp(name, local) == 0) return a;
  }
  // Namespace-qualified attributes such as r:id.
  for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
    const char* name = a.name();
    if (std::strncmp(name, "xmlns", 5) == 0) continue;
    if (std::strchr(name, ':') && std::strcmp(LocalName(name), local) == 0) return a;
  }
  return {};
}

std::string_view AttrText(const pugi::xml_node& n, const char* local) {
  pugi::xml_attribute a = Attribute(n, local);
  return a ? std::string_view(a.value()) : std::string_view();
}

bool ParseBool(std::string_view s, bool fallback) {
  if (s == "1" || s == "true" || s == "on") return true;
  if (s == "0" || s == "false" || s == "off") return false;
  return fallback;
}

static std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' || s.front() == '\r'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

bool ParseDouble(std::string_view s, double& out) {
  s = Trim(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return false;
  double v = 0;
  auto res = std::from_chars(s.data(), s.data() + s.size(), v);
  if (res.ec != std::errc() || res.ptr != s.data() + s.size() || !std::isfinite(v)) return false;
  out = v;
  return true;
}

bool ParseInt(std::string_view s, long long& out) {
  s = Trim(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return false;
  long long v = 0;
  auto res = std::from_chars(s.data(), s.data() + s.size(), v);
  if (res.ec != std::errc() || res.ptr != s.data() + s.size()) {
    // Some writers put "2.0" where a whole number belongs.
    double d = 0;
    if (!ParseDouble(s, d) || d != std::floor(d) || std::fabs(d) > 9e15) return false;
    v = static_cast<long long>(d);
  }
  out = v;
  return true;
}

bool AttrBool(const pugi::xml_node& n, const char* local, bool fallback) {
  pugi::xml_attribute a = Attribute(n, local);
  return a ? ParseBool(a.value(), fallback) : fallback;
}

long long AttrInt(const pugi::xml_node& n, const char* local, long long fallback) {
  pugi::xml_attribute a = Attribute(n, local);
  long long v = 0;
  return a && ParseInt(a.value(), v) ? v : fallback;
}

double AttrDouble(const pugi::xml_node& n, const char* local, double fallback) {
  pugi::xml_attribute a = Attribute(n, local);
  double v = 0;
  return a && ParseDouble(a.value(), v) ? v : fallback;
}

std::string ElementText(const pugi::xml_node& n) {
  std::string s;
  for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) s += c.value();
  return s;
}

std::string StringItemText(const pugi::xml_node& n) {
  std::string raw;
  for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
    if (IsNamed(c, "t")) {
      raw += ElementText(c);
    } else if (IsNamed(c, "r")) {
      for (pugi::xml_node t = c.first_child(); t; t = t.next_sibling())
        if (IsNamed(t, "t")) raw += ElementText(t);
    }
    // rPh (phonetic runs) and phoneticPr are not part of the value.
  }
  return DecodeCellString(raw);
}

bool ParseCellRef(std::string_view s, long long& row, long long& col) {
  std::size_t i = 0;
  if (i < s.size() && s[i] == '$') ++i;
  long long c = 0;
  std::size_t letters = 0;
  while (i < s.size() && ((s[i] >= 'A' && s[i] <= 'Z') || (s[i] >= 'a' && s[i] <= 'z'))) {
    if (++letters > 7) return false;
    const char u = static_cast<char>(s[i] & ~0x20);
    c = c * 26 + (u - 'A' + 1);
    ++i;
  }
  if (letters == 0) return false;
  if (i < s.size() && s[i] == '$') ++i;
  long long r = 0;
  std::size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    if (++digits > 12) return false;
    r = r * 10 + (s[i] - '0');
    ++i;
  }
  if (digits == 0 || i != s.size()) return false;
  row = r;
  col = c;
  return true;
}

bool ParseAreaRef(std::string_view s, long long& r1, long long& c1, long long& r2, long long& c2) {
  const auto colon = s.find(':');
  if (colon == std::string_view::npos) {
    if (!ParseCellRef(s, r1, c1)) return false;
    r2 = r1, c2 = c1;
    return true;
  }
  if (!ParseCellRef(s.substr(0, colon), r1, c1) || !ParseCellRef(s.substr(colon + 1), r2, c2)) return false;
  if (r1 > r2) std::swap(r1, r2);
  if (c1 > c2) std::swap(c1, c2);
  return true;
}

void AppendColumnLetters(std::string& out, int col) {
  char buf[8];
  int n = 0;
  while (col > 0 && n < 8) {
    const int rem = (col - 1) % 26;
    buf[n++] = static_cast<char>('A' + rem);
    col = (col - 1) / 26;
  }
  while (n > 0) out += buf[--n];
}

// ---------------------------------------------------------------------------
// Errors
// ---------------------------------------------------------------------------

void ReadContext::Fail(const std::string& reason) const {
  if (name_.empty()) throw FileError((kind_ == Kind::Workbook ? "无法读取工作簿：" : "无法读取文档：") + reason);
  throw FileError("无法打开文件“" + name_ + "”：" + reason);
}

void ReadContext::Damaged(const std::string& detail) const {
  Fail((kind_ == Kind::Workbook ? "文件已损坏或不是Excel工作簿" : "文件已损坏或不是Word文档（.docx）") +
       (detail.empty() ? std::string() : "（" + detail + "）") + "。");
}

void ReadContext::TooLarge() const {
  Fail("文件过大（内容超出本程序能读取的大小：单元格最多约500万个，解压后最多2GB），可能已损坏或是恶意构造的文件。");
}

void ReadContext::Encrypted() const {
  if (kind_ == Kind::Document)
    Fail("文件已加密（设置了打开密码），或是旧版Word（.doc）格式。请在Word中取消密码，或另存为.docx格式后再使用。");
  Fail(
      "文件已加密（设置了打开密码），或是旧版Excel（.xls）格式。请在Excel中取消密码，或另存为.xlsx/"
      ".xlsm格式后再打开。");
}

void ReadContext::ReportCurrentException() const {
  try {
    throw;
  } catch (const FileError&) {
    throw;
  } catch (const HostError& e) {
    Damaged(e.what());
  } catch (const std::bad_alloc&) {
    TooLarge();
  } catch (const std::exception&) {
    Damaged();
  }
}

void ParseXmlPart(pugi::xml_document& doc, std::string& text, const ReadContext& ctx, const std::string& part) {
  // Document type declarations can define entities (billion laughs, external
  // entities); no part of a workbook needs one. The text is searched before
  // parsing; a part in another encoding (UTF-16) is searched once decoded.
  if (text.find("<!DOCTYPE") != std::string::npos || text.find("<!ENTITY") != std::string::npos)
    ctx.Damaged(part + "含有不允许的DOCTYPE或实体声明");
  const unsigned options = pugi::parse_default | pugi::parse_ws_pcdata_single | pugi::parse_doctype;
  pugi::xml_parse_result res = doc.load_buffer_inplace(text.data(), text.size(), options, pugi::encoding_auto);
  if (res.status == pugi::status_out_of_memory) ctx.TooLarge();
  if (!res) ctx.Damaged(part + "的XML格式错误");
  for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling())
    if (n.type() == pugi::node_doctype) ctx.Damaged(part + "含有不允许的DOCTYPE或实体声明");
  if (!doc.document_element()) ctx.Damaged(part + "没有内容");
  // The readers walk a part's elements recursively; nesting deeper than any
  // document of an office program would exhaust the stack, so it is refused.
  std::size_t depth = 1;
  for (pugi::xml_node n = doc.document_element(); n;) {
    if (pugi::xml_node child = n.first_child()) {
      if (++depth > kMaxXmlDepth) ctx.Damaged(part + "的元素嵌套过深");
      n = child;
      continue;
    }
    while (n && !n.next_sibling()) {
      n = n.parent();
      --depth;
    }
    if (n) n = n.next_sibling();
  }
}

}  // namespace korvane::host::ooxml
