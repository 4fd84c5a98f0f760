// The language's one pseudo-random generator, behind random, choose and
// every other use of chance in the engine (random moves, particles, dice).
// It is reseeded at every game start: from the clock, or from the fixed
// seed given with `vrun --seed N`, so that a seeded run repeats exactly.
#pragma once

#include <cstdint>

namespace vendrel::interp {

// Fixes the seed for the rest of the run and starts the sequence from it;
// later game starts restart the same sequence.
void SeedRandom(uint32_t seed);
// Called at every game start: restarts from the fixed seed when one was
// given with SeedRandom, else seeds from the clock.
void RandomizeForGameStart();
// Seeds from the clock, whether or not a seed was fixed.
void RandomizeFromClock();
// The seed the current sequence started from.
uint32_t RandomSeed();

// A uniformly distributed real in [0, 1), with 53 random bits.
double RandomUnit();
// A uniformly distributed real in [0, [range]) (in ([range], 0] for a
// negative range).
double RandomReal(double range);
// A uniformly distributed integer in [0, [count]); 0 when [count] <= 0.
int64_t RandomInteger(int64_t count);

}  // namespace vendrel::interp
