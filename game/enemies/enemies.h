// Enemies: the 16 enemy slots. The slot index is the enemy's identity and
// every pass over the enemies runs in slot order.
#pragma once

#include <cstdint>

// The record of one enemy. Positions are map pixels; the body covers
// X - width to X + width and Y - height to Y + height.
struct enemy_data {
  int32_t width;  // half-extents of the body box
  int32_t height;
  int32_t kind;  // 0 to 54
  float X;       // centre
  float Y;
  float vx;  // the step wanted for this frame
  float vy;
  int32_t facing;  // 0 to 7 clockwise from up (kind 18: 0 to 15)
  int32_t alive;   // 1 while the slot is in play
  int32_t hp;
  int32_t attack;            // contact damage
  int32_t shot_power_start;  // power of a new shot (also called shot_power_base)
  float speed;               // walking speed, pixels a frame
  int32_t shot_width;        // half-extents of the shot box
  int32_t shot_height;
  int32_t shot_request;  // 1 = fire as soon as no shot of this record flies
  int32_t shot_state;    // 0 no shot, 1 flying
  int32_t shot_power;
  float shot_X;
  float shot_Y;
  float shot_vx;
  float shot_vy;
  int32_t shot_direction;  // 0 to 7 (also called shot_facing)
  int32_t shot_fade_state;  // 1 while the shot's vanish effect runs
  float shot_fade_X;
  float shot_fade_Y;
  int32_t shot_fade_timer;
  int32_t tick;   // behaviour frame counter
  int32_t aggro;  // 0 roaming, 1 heading for the target
  int32_t anim_counter;
  int32_t hit_counter;     // hit blink, 1 to 16 while it runs (also called hit)
  int32_t dying;           // death fade counter, 0 none
  int32_t left_generator;  // 1 once the body overlaps no generator
  int32_t pushed;          // 1 when another body pushed it this frame
  int32_t drawn;           // drawn flag of the depth-sorted object pass
  int32_t target;          // followed player 0 to 3, 255 none
};

// A slot is free only when `alive` and `dying` are both 0: a killed enemy
// keeps its slot until its death fade has run out. The shot fields belong to
// the slot, not to the enemy's life.
constexpr int32_t kEnemySlots = 16;
extern enemy_data enemy[kEnemySlots];

// ---- Behaviours -----------------------------------------------------------------

// The behaviour routine of each enemy kind, called by the enemy frame with the
// slot of a live enemy; it writes the enemy's step, facing and shot request.
extern void (*enemy_kind_table[55])(int32_t slot);
// The behaviour of each placed-hazard kind (0 fire, 1 vine, 2 korone,
// 3 bookshelf, 4 needle), called with the hazard's index.
extern void (*set_enemy_kind_table[5])(int32_t index);
// May leave an item where an enemy of `kind` died, in a free dropped-item slot.
void drop_item_from_enemy(int32_t kind, float x, float y);
