// The input format of the workbook fuzz target: package parts one after the
// other, each introduced by a line "\n@@NAME\n" (the first may start without
// the leading line feed). Text the mutator can change freely, with names
// that stay readable in a corpus file.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvane::fuzz {

inline std::vector<std::pair<std::string, std::string>> SplitParts(std::string_view in) {
  std::vector<std::pair<std::string, std::string>> parts;
  std::size_t pos = 0;
  if (in.substr(0, 2) != "@@") {
    pos = in.find("\n@@");
    if (pos == std::string_view::npos) return parts;
    ++pos;
  }
  while (pos < in.size()) {
    const std::size_t nameEnd = in.find('\n', pos + 2);
    if (nameEnd == std::string_view::npos) break;
    std::string name(in.substr(pos + 2, nameEnd - pos - 2));
    std::size_t next = in.find("\n@@", nameEnd);
    const std::size_t end = next == std::string_view::npos ? in.size() : next;
    if (!name.empty() && name.size() < 200)
      parts.emplace_back(std::move(name), std::string(in.substr(nameEnd + 1, end - nameEnd - 1)));
    if (next == std::string_view::npos) break;
    pos = next + 1;
  }
  return parts;
}

}  // namespace korvane::fuzz
