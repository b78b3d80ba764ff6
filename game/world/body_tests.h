// Box tests of one moving body against every body of a kind, as the rock
// and placed-hazard updates run them: the mover's step is cut where it would
// run into another body, and that body is pushed unless the mover is itself
// being pushed (no_push 1).
#pragma once

#include <cstdint>

struct moving_body {
  float x;
  float y;
  float* vx;
  float* vy;
  int32_t width;
  int32_t height;
  int32_t no_push;
};

// Players below player_count who are up.
void meet_players(const moving_body& mover);
// Live enemies; a rolling rock (kinds 10 to 17) that the mover meets dies.
void meet_enemies(const moving_body& mover);
// Active placed hazards but `skip`; kinds 2 and 4 only when `with_flat_kinds`.
void meet_set_enemies(const moving_body& mover, int32_t skip, bool with_flat_kinds);
// Active generators: they stop the mover and never move themselves.
void meet_generators(const moving_body& mover);
// Movable rocks but `skip`.
void meet_movable_rocks(const moving_body& mover, int32_t skip);
// Floor items and dropped items that are present.
void meet_floor_items(const moving_body& mover);
void meet_dropped_items(const moving_body& mover);
