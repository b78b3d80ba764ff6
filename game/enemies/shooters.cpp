// The steady shooter, a chaser that asks for a shot on one tick of its cycle,
// and the pausing shooter, a resting chaser that asks for one on tick 120.
// A behaviour only raises shot_request; the enemy-shot update fires the shot
// along the facing the enemy has when it runs, and clears the request.
#include "game/enemies/behaviour_common.h"
#include "game/enemies/chasers.h"
#include "game/enemies/enemy_kinds.h"

namespace {

// The steady shooter's cycle: the request on tick `shot_tick`, the count
// wrapping to 0 after `last_tick`.
struct ShotCycle {
  int32_t shot_tick;
  int32_t last_tick;
};
constexpr ShotCycle kEvery100 = {60, 99};    // kinds 28, 42, 52
constexpr ShotCycle kEvery300 = {50, 299};   // kind 46, whose tick the world also reads
constexpr ShotCycle kEvery240 = {220, 239};  // kind 50

void run_steady_shooter(int32_t slot, const ShotCycle& cycle) {
  enemy_data& e = enemy[slot];
  walk_at_target(e, kDownedKeyed9999);
  // After the step: the shot leaves along the facing just chosen.
  run_shot_cycle(e, cycle.shot_tick, cycle.last_tick);
}

constexpr int32_t kPausingShotTick = 120;

void run_pausing_shooter(int32_t slot) {
  run_resting_chaser(slot, kDownedKeyed9999, kPausingShotTick);
}

}  // namespace

void update_enemy_kind_28(int32_t slot) { run_steady_shooter(slot, kEvery100); }
void update_enemy_kind_42(int32_t slot) { run_steady_shooter(slot, kEvery100); }
void update_enemy_kind_46(int32_t slot) { run_steady_shooter(slot, kEvery300); }
void update_enemy_kind_50(int32_t slot) { run_steady_shooter(slot, kEvery240); }
void update_enemy_kind_52(int32_t slot) { run_steady_shooter(slot, kEvery100); }

void update_enemy_kind_05(int32_t slot) { run_pausing_shooter(slot); }
void update_enemy_kind_36(int32_t slot) { run_pausing_shooter(slot); }
void update_enemy_kind_40(int32_t slot) { run_pausing_shooter(slot); }
