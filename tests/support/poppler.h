// Reading PDFs back with poppler's command-line tools (pdfinfo, pdftotext):
// an independent reader of what the renderer writes.
#pragma once

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace korvane::print_testing {

// Standard output of a shell command.
inline std::string Capture(const std::string& command) {
  std::string out;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return out;
  std::array<char, 4096> buf;
  std::size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), pipe.get())) > 0) out.append(buf.data(), n);
  return out;
}

inline std::string Quoted(const std::filesystem::path& p) {
  std::string s = "'";
  for (char c : p.string()) s += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return s + "'";
}

// The value of one pdfinfo field ("Pages", "Page size"), trimmed.
inline std::string PdfInfo(const std::filesystem::path& pdf, const std::string& field) {
  const std::string out = Capture("pdfinfo " + Quoted(pdf) + " 2>/dev/null");
  const std::size_t at = out.find("\n" + field + ":");
  const std::size_t start = at == std::string::npos ? (out.rfind(field + ":", 0) == 0 ? 0 : std::string::npos) : at + 1;
  if (start == std::string::npos) return "";
  std::size_t v = out.find(':', start) + 1;
  while (v < out.size() && out[v] == ' ') ++v;
  return out.substr(v, out.find('\n', v) - v);
}

inline int PdfPages(const std::filesystem::path& pdf) {
  const std::string v = PdfInfo(pdf, "Pages");
  return v.empty() ? -1 : std::stoi(v);
}

// The text of page `page` (1-based), laid out as on the page.
inline std::string PdfText(const std::filesystem::path& pdf, int page) {
  return Capture("pdftotext -layout -f " + std::to_string(page) + " -l " + std::to_string(page) + " " + Quoted(pdf) +
                 " - 2>/dev/null");
}

// The text with all white space removed (CJK words come out spaced by layout).
inline std::string Squeezed(const std::string& s) {
  std::string out;
  for (char c : s)
    if (c != ' ' && c != '\n' && c != '\t' && c != '\f') out += c;
  return out;
}

}  // namespace korvane::print_testing
