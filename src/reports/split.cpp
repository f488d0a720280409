#include "reports/split.h"

#include <stdexcept>

namespace korvane::reports {

namespace {

// Sizes of `parts` parts of n, from the last part back: left div parts left.
std::vector<int> Balanced(int n, int parts) {
  std::vector<int> sizes(static_cast<std::size_t>(parts));
  int left = n;
  for (int h = parts - 1, remaining = parts; h >= 0; --h, --remaining) {
    sizes[h] = left / remaining;
    left -= sizes[h];
  }
  return sizes;
}

std::vector<int> Lines(int n, int capacity) {
  std::vector<int> lines;
  for (int left = n; left > 0; left -= capacity) lines.push_back(left < capacity ? left : capacity);
  return lines;
}

int CeilDiv(int a, int b) { return (a + b - 1) / b; }

}  // namespace

EntrantSplit SplitEntrants(int n, char laneRule, int capacity, int maxPerGroup) {
  if (capacity < 1) throw std::invalid_argument("capacity must be positive");
  EntrantSplit s;
  if (n < 1) return s;
  if (laneRule == '1') {
    for (int size : Balanced(n, CeilDiv(n, capacity))) {
      s.lines.push_back({size});
      s.groupSize.push_back(size);
    }
  } else if (laneRule == '2') {
    s.lines.push_back(Lines(n, capacity));
    s.groupSize.push_back(n);
  } else {
    if (maxPerGroup < 1) throw std::invalid_argument("maxPerGroup must be positive");
    for (int size : Balanced(n, CeilDiv(n, maxPerGroup))) {
      s.lines.push_back(Lines(size, capacity));
      s.groupSize.push_back(size);
    }
  }
  return s;
}

std::string ChineseNumeral(int n) {
  static const char* digits[] = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
  if (n < 1 || n > 99) throw std::invalid_argument("numeral out of range");
  if (n < 10) return digits[n];
  std::string s = n / 10 == 1 ? "" : digits[n / 10];
  s += "十";
  s += digits[n % 10];
  return s;
}

}  // namespace korvane::reports
