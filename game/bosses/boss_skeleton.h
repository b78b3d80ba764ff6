// The steps every boss behaviour runs around its own movement: the defeat
// sequence that lays the crystals, the switch to defeated, the target choice,
// the contact with the players and the stop at walls.
#pragma once

#include <cstdint>

#include "game/world/world.h"

constexpr int32_t kNoBossTarget = 255;

// How the target choice measures a player's distance from the boss.
enum class TargetKey : int32_t {
  kManhattan,   // |dx| + |dy| of the truncated coordinates
  kHorizontal,  // |dx| alone
};

// One frame of a boss behaviour: the defeat sequence, and while the boss
// fights, the switch to defeated or else the target choice, `own_step` (the
// boss's movement, facing, animation, cue and tick count), the contact with
// the players and the wall stop.
void run_boss_behaviour(void (*own_step)(), TargetKey key);

// The player the boss follows (player 0 if boss_target names none).
player_data& boss_target_player();

// 1 while a first-character player's guard spell runs: boss bodies and boss
// shots then deal half their damage.
bool guard_is_up(const player_data& p);
