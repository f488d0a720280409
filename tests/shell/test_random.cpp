// The random draws of a command: reproducible with a seed, in range, and not
// stuck on one value.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "shell/random.h"

using korvane::shell::CommandRandom;

TEST(CommandRandom, SameSeedSameSequenceAndDrawsStayInRange) {
  CommandRandom a(42), b(42), c(43);
  std::set<int> seen;
  bool differs = false;
  for (int i = 0; i < 1000; ++i) {
    int x = a.Below(8);
    EXPECT_EQ(x, b.Below(8));
    if (x != c.Below(8)) differs = true;
    ASSERT_GE(x, 0);
    ASSERT_LT(x, 8);
    seen.insert(x);
    double d = a.Next();
    b.Next();
    c.Next();
    ASSERT_GE(d, 0.0);
    ASSERT_LT(d, 1.0);
  }
  EXPECT_TRUE(differs);
  EXPECT_EQ(seen.size(), 8u);
  EXPECT_THROW(a.Below(0), std::invalid_argument);
  int v = a.Between(3, 3);
  EXPECT_EQ(v, 3);
}

TEST(CommandRandom, SeedFromTheEnvironment) {
  ::setenv("KORVANE_SEED", "7", 1);
  CommandRandom a, b;
  EXPECT_EQ(a.Below(1000000), b.Below(1000000));
  ::setenv("KORVANE_SEED", "x7", 1);
  EXPECT_THROW(CommandRandom(), std::runtime_error);
  ::unsetenv("KORVANE_SEED");
}
