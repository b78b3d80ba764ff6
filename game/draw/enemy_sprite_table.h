// How each enemy kind is drawn: its sprite family and its own image.
#pragma once

#include <cstdint>

struct enemy_family {
  int32_t wrap;            // anim_counter goes back to 0 here
  int32_t frames_per_cell; // anim_counter / this is the animation frame
  bool by_facing;          // 4 frames a row, one row per facing
  bool pauses;             // rests on cell 0 once tick reaches 180
  int32_t dx, dy;          // offset of the cell's top-left corner
  const int32_t* white;    // the family's white image
};

struct enemy_look {
  const enemy_family* family;  // null: the kind is not drawn
  const int32_t* image;
};

constexpr int32_t kEnemyLookKinds = 55;
extern const enemy_look enemy_looks[kEnemyLookKinds];
