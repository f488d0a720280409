#include "shell/random.h"

#include <unistd.h>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace korvane::shell {

namespace {
std::uint64_t InitialSeed() {
  if (const char* s = std::getenv("KORVANE_SEED"); s && *s) {
    char* end = nullptr;
    unsigned long long v = std::strtoull(s, &end, 10);
    if (end && *end == 0) return v;
    throw std::runtime_error(std::string("KORVANE_SEED 不是整数：") + s);
  }
  auto t = static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
  return t ^ (static_cast<std::uint64_t>(::getpid()) << 32);
}
}  // namespace

CommandRandom::CommandRandom() : engine_(InitialSeed()) {}

double CommandRandom::Next() { return std::generate_canonical<double, 53>(engine_); }

int CommandRandom::Below(int n) {
  if (n <= 0) throw std::invalid_argument("CommandRandom::Below needs a positive bound");
  return std::uniform_int_distribution<int>(0, n - 1)(engine_);
}

int CommandRandom::Between(int lo, int hi) {
  if (hi < lo) throw std::invalid_argument("CommandRandom::Between needs lo <= hi");
  return std::uniform_int_distribution<int>(lo, hi)(engine_);
}

}  // namespace korvane::shell
