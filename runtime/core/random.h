// The runtime's one random number generator: MT19937 (the 32-bit Mersenne
// Twister) with its 1998 seeding by a linear congruential generator, which is
// not std::mt19937's seeding. All 624 outputs are made at once, so a draw is
// one array read. Used under the library lock only.
#pragma once

#include <cstdint>

// Seeds the generator and makes the first 624 outputs at once.
void SeedRandom(uint32_t seed);
// The next 32-bit output. A generator never seeded is seeded with 4357 first.
uint32_t NextRandom();
// A whole number from 0 to `max` inclusive, each about equally likely: the
// next output times max + 1, shifted right by 32 (no modulo). A `max` of -1
// gives 0.
int32_t RandomRange(int32_t max);
// Runs one generation step over the state and refills the 624 outputs with
// the tempered state words; the next draw takes the first of them.
void RegenerateRandomState();
// 1 when the processor reports MMX; the platform always does.
int MmxAvailable();
