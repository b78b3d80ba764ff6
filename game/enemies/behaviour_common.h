// What the enemy behaviours share: the choice of a target player, the eight
// direction tests with the steps they give, the shot cycle, and the squared
// distance to the target with the aggro test built on it.
#pragma once

#include <cstdint>

#include "game/enemies/enemies.h"

constexpr int32_t kNoTarget = 255;

// How the target choice keys a player who is down.
enum DownedPlayers : int32_t {
  kDownedKeyed9999 = 0,  // a downed player is chosen only when everybody is down
  kDownedKept = 1,       // a downed player keeps its distance and stays a candidate
};

// Drops a target that is down or has stood 120 frames on stairs, then, while
// the enemy has none, takes the nearest player by Manhattan distance of the
// truncated coordinates (a tie keeps the lower player number).
void choose_target(enemy_data& e, DownedPlayers downed);

// True when the direction test of `direction` (0 to 7, clockwise from up) holds
// for the point (px, py) seen from the enemy: the straight ones compare
// truncated coordinates within a 10-pixel band, the diagonal ones compare in
// floating point with a margin of 10.
bool direction_test_holds(const enemy_data& e, float px, float py, int32_t direction);

// Writes the step of `direction`: `straight` on one axis for 0, 2, 4 and 6
// (the other component keeps what it holds), `diagonal` on both axes for the
// others; a direction outside 0 to 7 writes nothing. `facing` is not written.
void write_step(enemy_data& e, int32_t direction, float straight, float diagonal);
// Adds the step of `direction` the same way.
void add_step(enemy_data& e, int32_t direction, float straight, float diagonal);
// write_step with `speed` straight and `speed` x 0.75 on a diagonal.
void step_along(enemy_data& e, int32_t direction, float speed);

// The approach step: the eight tests in their order, each that holds writing
// its step (straight `speed`, diagonal `diagonal`) and its facing over what an
// earlier one wrote. A point on the enemy writes nothing.
void approach_step(enemy_data& e, float px, float py, float speed, float diagonal);
// The approach step at the enemy's `speed` toward its target.
void approach_target(enemy_data& e);
// The target choice followed by approach_target.
void walk_at_target(enemy_data& e, DownedPlayers downed);
// The first of the eight tests that holds sets `facing`; none keeps it.
// Returns the direction taken, or -1.
int32_t first_match_heading(enemy_data& e, float px, float py);

// `tick` + 1, becoming 0 when it reaches `cycle`: for cycles that count
// before they look at the tick.
void count_tick_wrapping_at(enemy_data& e, int32_t cycle);
// `tick` + 1 while it is below `last_tick`, else 0: for cycles that look at
// the tick before they count it.
void count_tick_up_to(enemy_data& e, int32_t last_tick);

// A shot cycle over `tick`: the request when it is `shot_tick`, then + 1 up to
// `last_tick`, after which it becomes 0.
void run_shot_cycle(enemy_data& e, int32_t shot_tick, int32_t last_tick);

// (X - target X)^2 + (Y - target Y)^2, each square rounded to single precision.
float squared_distance_to_target(const enemy_data& e);
// Sets `aggro` when the squared distance to the target is `threshold` or less;
// never clears it.
void aggro_test(enemy_data& e, float threshold);
