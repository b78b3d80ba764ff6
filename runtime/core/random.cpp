// The runtime's random number generator: MT19937 with its 1998 seeding.
#include "runtime/core/random.h"

#include <cstdint>

static constexpr int kStateWords = 624;
static constexpr int kMiddleDistance = 397;
static constexpr uint32_t kMatrix = 0x9908B0DFu;
static constexpr uint32_t kUpperMask = 0x80000000u;
static constexpr uint32_t kLowerMask = 0x7FFFFFFFu;
// The seed taken when a draw comes before any seeding.
static constexpr uint32_t kDefaultSeed = 4357;

static uint32_t g_state[kStateWords];
static uint32_t g_output[kStateWords];
// The next output to hand out; kStateWords when all are used.
static int g_index = kStateWords;
static bool g_seeded = false;

void SeedRandom(uint32_t seed) {
  for (int i = 0; i < kStateWords; ++i) {
    g_state[i] = seed & 0xFFFF0000u;
    seed = 69069u * seed + 1u;
    g_state[i] |= (seed & 0xFFFF0000u) >> 16;
    seed = 69069u * seed + 1u;
  }
  g_seeded = true;
  RegenerateRandomState();
}

static uint32_t Twist(uint32_t upper_word, uint32_t lower_word, uint32_t distant_word) {
  const uint32_t y = (upper_word & kUpperMask) | (lower_word & kLowerMask);
  return distant_word ^ (y >> 1) ^ ((y & 1u) != 0 ? kMatrix : 0u);
}

static uint32_t Temper(uint32_t y) {
  y ^= y >> 11;
  y ^= (y << 7) & 0x9D2C5680u;
  y ^= (y << 15) & 0xEFC60000u;
  y ^= y >> 18;
  return y;
}

void RegenerateRandomState() {
  int i = 0;
  for (; i < kStateWords - kMiddleDistance; ++i) {
    g_state[i] = Twist(g_state[i], g_state[i + 1], g_state[i + kMiddleDistance]);
  }
  for (; i < kStateWords - 1; ++i) {
    g_state[i] =
        Twist(g_state[i], g_state[i + 1], g_state[i + kMiddleDistance - kStateWords]);
  }
  g_state[kStateWords - 1] =
      Twist(g_state[kStateWords - 1], g_state[0], g_state[kMiddleDistance - 1]);

  for (int k = 0; k < kStateWords; ++k) g_output[k] = Temper(g_state[k]);
  g_index = 0;
}

uint32_t NextRandom() {
  if (g_index >= kStateWords) {
    if (!g_seeded) {
      // Seeding makes the outputs itself.
      SeedRandom(kDefaultSeed);
    } else {
      RegenerateRandomState();
    }
  }
  return g_output[g_index++];
}

int32_t RandomRange(int32_t max) {
  const int64_t span = static_cast<int64_t>(max) + 1;
  const int64_t product = static_cast<int64_t>(NextRandom()) * span;
  return static_cast<int32_t>(product >> 32);
}

int MmxAvailable() { return 1; }
