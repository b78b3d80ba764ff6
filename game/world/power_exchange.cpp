// The power exchange of every shot hit.
#include <algorithm>
#include <cstdint>

#include "game/world/world.h"

namespace {

int32_t saturate(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

void power_exchange(int32_t& power, int32_t& state, int32_t& target) {
  const int64_t p = power;
  const int64_t h = target;
  target = saturate(h - p);
  if (p - h > 0) {
    power = saturate(p - h);
  } else {
    state = 0;
  }
}
