// Enemies that walk at their target player: the chaser every frame, the
// resting chaser 180 frames of every 240, and the death enemy with a random
// jolt on every step.
#include "game/enemies/chasers.h"

#include "game/enemies/behaviour_common.h"
#include "game/enemies/enemy_kinds.h"
#include "runtime/system/api.h"

namespace {

// The resting chaser's cycle: it walks while its tick is below kRestFrom.
constexpr int32_t kRestCycle = 240;
constexpr int32_t kRestFrom = 180;

// The death enemy's jolt by the drawn direction, in pixels, whatever its speed.
struct Jolt {
  float x, y;
};
constexpr Jolt kJolts[8] = {{0.0f, -1.0f}, {0.75f, -0.75f}, {1.0f, 0.0f},  {0.75f, 0.75f},
                            {0.0f, 1.0f},  {-0.75f, 0.75f}, {-1.0f, 0.0f}, {-0.75f, -0.75f}};
constexpr int32_t kJoltBound = 7;

void chase(int32_t slot) { walk_at_target(enemy[slot], kDownedKeyed9999); }

void rest_and_chase(int32_t slot, DownedPlayers downed) {
  run_resting_chaser(slot, downed, kNoShotTick);
}

void run_death_enemy(int32_t slot) {
  enemy_data& e = enemy[slot];
  walk_at_target(e, kDownedKeyed9999);
  // The jolt moves the enemy but not its facing, which stays the approach step's.
  const Jolt jolt = kJolts[ApiGetRandom(kJoltBound)];
  e.vx = e.vx + jolt.x;
  e.vy = e.vy + jolt.y;
}

}  // namespace

void run_resting_chaser(int32_t slot, DownedPlayers downed, int32_t shot_tick) {
  enemy_data& e = enemy[slot];
  count_tick_wrapping_at(e, kRestCycle);
  // Resting: no step and no target test, so a downed target is kept until the
  // first walking frame.
  if (e.tick >= kRestFrom) return;
  // The request comes before the step: the shot leaves along the facing the
  // step chooses.
  if (e.tick == shot_tick) e.shot_request = 1;
  walk_at_target(e, downed);
}

// Chasers.
void update_enemy_kind_01(int32_t slot) { chase(slot); }
void update_enemy_kind_20(int32_t slot) { chase(slot); }
void update_enemy_kind_30(int32_t slot) { chase(slot); }
void update_enemy_kind_35(int32_t slot) { chase(slot); }
void update_enemy_kind_38(int32_t slot) { chase(slot); }
void update_enemy_kind_39(int32_t slot) { chase(slot); }
void update_enemy_kind_44(int32_t slot) { chase(slot); }
void update_enemy_kind_48(int32_t slot) { chase(slot); }
void update_enemy_kind_54(int32_t slot) { chase(slot); }

// Resting chasers; kind 24 keeps downed players as candidates.
void update_enemy_kind_00(int32_t slot) { rest_and_chase(slot, kDownedKeyed9999); }
void update_enemy_kind_09(int32_t slot) { rest_and_chase(slot, kDownedKeyed9999); }
void update_enemy_kind_24(int32_t slot) { rest_and_chase(slot, kDownedKept); }
void update_enemy_kind_33(int32_t slot) { rest_and_chase(slot, kDownedKeyed9999); }
void update_enemy_kind_41(int32_t slot) { rest_and_chase(slot, kDownedKeyed9999); }
void update_enemy_kind_45(int32_t slot) { rest_and_chase(slot, kDownedKeyed9999); }
void update_enemy_kind_49(int32_t slot) { rest_and_chase(slot, kDownedKeyed9999); }

// The death enemy.
void update_enemy_kind_19(int32_t slot) { run_death_enemy(slot); }
