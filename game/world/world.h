// Player and world objects: players, shots, collisions, items, rocks, moving
// blocks, generators, the enemy frame and shots, stairs, map exits, revival
// and the camera.
#pragma once

#include <cstdint>

// The record of one player; four of them in `player`. Records at or beyond
// `player_count` stay cleared.
struct player_data {
  int32_t character;  // 0 and 2 the first character, 1 and 3 the second (2, 3: second colours)
  int32_t alive;      // 1 up, 0 down
  int32_t on_stairs;  // 1 from touching stairs until the map exit
  int32_t level;      // +1 for each crystal taken
  float X, Y;         // the body's centre in map pixels
  float vx, vy;       // the step of this frame
  int32_t facing;     // 0 to 7 clockwise from up
  int32_t walk_anim;  // 0 to 63
  int32_t stairs_counter;
  int32_t stairs_look;
  int32_t hit_counter;
  int32_t revive_timer;
  int32_t boss_overlap;
  int32_t hp_max;
  int32_t hp;
  float agility;  // agility_base + agility_bonus, pixels a frame
  float agility_base;
  float agility_bonus;
  int32_t attack;  // attack_base + attack_bonus
  int32_t attack_base;
  int32_t attack_bonus;
  int32_t vitality;
  int32_t vitality_base;
  int32_t vitality_bonus;
  int32_t intelligence;
  int32_t intelligence_base;
  int32_t intelligence_bonus;
  int32_t spell1_stock;
  int32_t spell1_timer;
  int32_t spell1_length;
  int32_t spell2_stock;
  int32_t spell2_timer;
  int32_t spell2_length;
  int32_t reflect_timer;
  int32_t width;  // half-extents of the body box (also called box_w, box_h)
  int32_t height;
  int32_t shot_width;  // half-extents of the shot box (also called shot_box_w, shot_box_h)
  int32_t shot_height;
  // The two shot slots.
  int32_t shot_state[2];
  int32_t shot_power[2];
  float shot_x[2];
  float shot_y[2];
  float shot_vx[2];
  float shot_vy[2];
  int32_t shot_bounces[2];
  int32_t shot_direction[2];
  int32_t shot_anim[2];
  // The five shot vanish effects.
  int32_t shot_fade_alive[5];
  float shot_fade_x[5];
  float shot_fade_y[5];
  int32_t shot_fade_timer[5];
  int32_t shot_cooldown;
  int32_t pushed;
  int32_t drawn;
  int32_t pad_bits;         // the pad bit set of this frame
  int32_t pad_bits_before;  // the pad bit set of the previous frame
  // Up, right, down, left, then buttons 0 to 7: 0 up, 1 held, 2 newly pressed.
  int32_t input_state[12];
  int32_t action_button[5];  // configured button number of each action
  // State of each action's button (also called action_state): 0 shot and
  // decide, 1 and 2 the special attacks, 3 pause and revival, 4 panel toggle.
  int32_t actions[5];
  int32_t select_column;  // the player's column on the character choice
  int32_t crystal_taken[9];
  int32_t compact_panel;
};

extern player_data player[4];
