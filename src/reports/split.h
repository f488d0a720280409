// How the entrants of one event are split into heats (lanes), one list, or
// groups, and each heat or group into lines (a roster line of eight, or one
// judges' form of a given capacity). The roster and the judges' forms share it.
#pragma once

#include <string>
#include <vector>

namespace korvane::reports {

struct EntrantSplit {
  // lines[h][j]: entrants in line j of heat or group h, in entrant order.
  std::vector<std::vector<int>> lines;
  std::vector<int> groupSize;  // entrants of heat or group h
  int HeatCount() const { return static_cast<int>(lines.size()); }
  int LineCount(int h) const { return static_cast<int>(lines[h].size()); }
};

// n entrants, lane rule '1' (lanes), '2' (one list) or anything else
// (groups), `capacity` entrants per line (8 on the roster, the form's size on
// the judges' forms), `maxPerGroup` the most athletes of one group.
//   '1': ceil(n / capacity) heats of one line each, sizes from the last heat
//        back (left div heats left), so the earlier heats are the larger.
//   '2': one heat of ceil(n / capacity) lines of `capacity`, the last holding
//        the remainder.
//   else: ceil(n / maxPerGroup) groups balanced as the heats, each in lines of
//        `capacity`, the last line of a group holding its remainder.
// n < 1 gives no heats. Throws std::invalid_argument for capacity < 1, and for
// the group rule with maxPerGroup < 1 (the caller names the setting).
EntrantSplit SplitEntrants(int n, char laneRule, int capacity, int maxPerGroup);

// Chinese numeral of a whole number 1..99 as heat titles write it: 一, 十, 十一, 二十三.
std::string ChineseNumeral(int n);

}  // namespace korvane::reports
