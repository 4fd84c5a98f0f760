#include "interpreter/random.h"

#include <chrono>

namespace vendrel::interp {

namespace {

// xoshiro256** (Blackman and Vigna): fast, 256 bits of state, passes the
// usual statistical batteries; the state is filled from the 32-bit seed by
// SplitMix64 so that neighbouring seeds give unrelated sequences.
struct Generator {
  uint64_t state[4] = {};
  uint32_t seed = 0;
  bool seed_fixed = false;
};

uint64_t SplitMix64(uint64_t& x) {
  x += 0x9E3779B97F4A7C15ull;
  uint64_t z = x;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

uint64_t RotateLeft(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

uint32_t ClockSeed() {
  uint64_t ticks = uint64_t(std::chrono::system_clock::now().time_since_epoch().count()) ^
                   uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
  return uint32_t(ticks ^ (ticks >> 32));
}

void StartSequence(Generator& g, uint32_t seed) {
  g.seed = seed;
  uint64_t x = seed;
  for (uint64_t& word : g.state) word = SplitMix64(x);
}

// Until the first game start the generator runs from a clock seed.
Generator& TheGenerator() {
  static Generator generator = [] {
    Generator fresh;
    StartSequence(fresh, ClockSeed());
    return fresh;
  }();
  return generator;
}

void StartSequence(uint32_t seed) { StartSequence(TheGenerator(), seed); }

uint64_t Next() {
  uint64_t* s = TheGenerator().state;
  uint64_t result = RotateLeft(s[1] * 5, 7) * 9;
  uint64_t t = s[1] << 17;
  s[2] ^= s[0];
  s[3] ^= s[1];
  s[1] ^= s[2];
  s[0] ^= s[3];
  s[2] ^= t;
  s[3] = RotateLeft(s[3], 45);
  return result;
}

}  // namespace

void SeedRandom(uint32_t seed) {
  TheGenerator().seed_fixed = true;
  StartSequence(seed);
}

void RandomizeForGameStart() {
  Generator& g = TheGenerator();
  StartSequence(g.seed_fixed ? g.seed : ClockSeed());
}

void RandomizeFromClock() { StartSequence(ClockSeed()); }

uint32_t RandomSeed() { return TheGenerator().seed; }

double RandomUnit() { return double(Next() >> 11) * 0x1.0p-53; }

double RandomReal(double range) { return RandomUnit() * range; }

int64_t RandomInteger(int64_t count) {
  if (count <= 0) return 0;
  // Rejects the top partial block of 64-bit values so every result is
  // equally likely.
  uint64_t bound = uint64_t(count);
  uint64_t limit = UINT64_MAX - UINT64_MAX % bound;
  uint64_t draw;
  do {
    draw = Next();
  } while (draw >= limit);
  return int64_t(draw % bound);
}

}  // namespace vendrel::interp
