// The random draws of one command. A command makes one generator and draws
// from it for all its rows, so neighbouring rows never share their draws.
// KORVANE_SEED (a whole number) fixes the sequence for reproducible runs;
// without it the generator is seeded from the clock and the process.
#pragma once

#include <cstdint>
#include <random>

namespace korvane::shell {

class CommandRandom {
 public:
  CommandRandom();  // from KORVANE_SEED, else from the clock
  explicit CommandRandom(std::uint64_t seed) : engine_(seed) {}

  // A draw in [0, 1), like the application's Rnd.
  double Next();
  // A whole number in [0, n); n must be positive.
  int Below(int n);
  // A whole number in [lo, hi].
  int Between(int lo, int hi);

 private:
  std::mt19937_64 engine_;
};

}  // namespace korvane::shell
