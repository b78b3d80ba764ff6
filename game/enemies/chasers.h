// The resting chaser's cycle, which the pausing shooter runs with a shot.
#pragma once

#include <cstdint>

#include "game/enemies/behaviour_common.h"

// A shot tick no tick reaches.
constexpr int32_t kNoShotTick = -1;

// `tick` + 1 first, 240 becoming 0; below 180 the target choice and the
// approach step, with the shot request first when `tick` is `shot_tick`;
// from 180 nothing at all.
void run_resting_chaser(int32_t slot, DownedPlayers downed, int32_t shot_tick);
