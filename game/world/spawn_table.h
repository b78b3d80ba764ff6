// The start values of a newly released enemy, by kind.
#pragma once

#include <cstdint>

struct spawn_row {
  int32_t width;  // half-extents of the body box
  int32_t height;
  int32_t hp;
  int32_t attack;
  float speed;  // pixels a frame
  int32_t shot_power;  // shot_power_start
  int32_t shot_box;    // both shot half-extents
};

constexpr int32_t kEnemyKinds = 55;
extern const spawn_row spawn_table[kEnemyKinds];
