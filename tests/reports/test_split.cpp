// The heat, list and group split shared by the roster and the judges' forms.
#include <gtest/gtest.h>

#include "reports/split.h"

using korvane::reports::ChineseNumeral;
using korvane::reports::SplitEntrants;

namespace {
std::vector<std::vector<int>> Lines(int n, char rule, int cap, int maxPerGroup = 12) {
  return SplitEntrants(n, rule, cap, maxPerGroup).lines;
}
}  // namespace

TEST(SplitEntrants, LanesPutTheLargerHeatsFirst) {
  using V = std::vector<std::vector<int>>;
  EXPECT_EQ(Lines(1, '1', 8), (V{{1}}));
  EXPECT_EQ(Lines(8, '1', 8), (V{{8}}));
  EXPECT_EQ(Lines(9, '1', 8), (V{{5}, {4}}));
  EXPECT_EQ(Lines(17, '1', 8), (V{{6}, {6}, {5}}));
  EXPECT_EQ(Lines(19, '1', 8), (V{{7}, {6}, {6}}));
  EXPECT_TRUE(Lines(0, '1', 8).empty());
}

TEST(SplitEntrants, OneListInLinesOfTheCapacity) {
  using V = std::vector<std::vector<int>>;
  EXPECT_EQ(Lines(20, '2', 8), (V{{8, 8, 4}}));
  EXPECT_EQ(Lines(16, '2', 8), (V{{8, 8}}));
  EXPECT_EQ(Lines(30, '2', 14), (V{{14, 14, 2}}));
}

TEST(SplitEntrants, GroupsBalancedThenLines) {
  using V = std::vector<std::vector<int>>;
  auto s = SplitEntrants(20, '3', 8, 12);
  EXPECT_EQ(s.lines, (V{{8, 2}, {8, 2}}));
  EXPECT_EQ(s.groupSize, (std::vector<int>{10, 10}));
  EXPECT_EQ(Lines(12, '3', 8, 12), (V{{8, 4}}));
  EXPECT_EQ(Lines(25, '3', 20, 30), (V{{20, 5}}));  // one group on two forms
  EXPECT_EQ(Lines(25, '9', 8, 10).size(), 3u);      // unknown codes are groups
  EXPECT_THROW(SplitEntrants(5, '3', 8, 0), std::invalid_argument);
  EXPECT_NO_THROW(SplitEntrants(5, '1', 8, 0));  // lanes do not need the group size
}

TEST(ChineseNumeral, HeatTitles) {
  EXPECT_EQ(ChineseNumeral(1), "一");
  EXPECT_EQ(ChineseNumeral(10), "十");
  EXPECT_EQ(ChineseNumeral(11), "十一");
  EXPECT_EQ(ChineseNumeral(20), "二十");
  EXPECT_EQ(ChineseNumeral(23), "二十三");
  EXPECT_THROW(ChineseNumeral(0), std::invalid_argument);
}
