// Enemies that hold a heading in their facing and decide it on a fixed beat:
// the wanderer (a random heading every 60 frames until its target comes near,
// then the chase), the axis walker (60 frames across toward its target, then
// 60 frames up or down), the shy charger (every 10 frames: run off along the
// target's line of sight when ahead of it, else charge at double speed) and
// the sidestepper (every 60 frames: step across the target's line of sight
// when ahead of it, else chase).
#include "game/enemies/behaviour_common.h"
#include "game/enemies/enemy_kinds.h"
#include "game/world/world.h"
#include "runtime/system/api.h"

namespace {

constexpr int32_t kUp = 0;
constexpr int32_t kRight = 2;
constexpr int32_t kDown = 4;
constexpr int32_t kLeft = 6;

// ---- Wanderer (kind 4) ----------------------------------------------------------------

constexpr int32_t kWanderCycle = 60;
constexpr int32_t kWanderDrawTick = 1;
constexpr float kWanderCloseIn = 5000.0f;

void run_wanderer(int32_t slot) {
  enemy_data& e = enemy[slot];
  count_tick_wrapping_at(e, kWanderCycle);
  choose_target(e, kDownedKeyed9999);
  aggro_test(e, kWanderCloseIn);
  if (e.aggro == 1) {
    approach_target(e);
    return;
  }
  if (e.tick == kWanderDrawTick) e.facing = ApiGetRandom(7);
  step_along(e, e.facing, e.speed);
}

// ---- Axis walker (kinds 6 and 26) ------------------------------------------------------

constexpr int32_t kAxisCycle = 120;
constexpr int32_t kAcrossTick = 1;
constexpr int32_t kUpDownTick = 61;

void run_axis_walker(int32_t slot) {
  enemy_data& e = enemy[slot];
  count_tick_wrapping_at(e, kAxisCycle);
  choose_target(e, kDownedKeyed9999);
  const player_data& t = player[e.target];
  if (e.tick == kAcrossTick) e.facing = t.X >= e.X ? kRight : kLeft;
  if (e.tick == kUpDownTick) e.facing = t.Y <= e.Y ? kUp : kDown;
  // Only the four straight headings step.
  if (e.facing == kUp || e.facing == kRight || e.facing == kDown || e.facing == kLeft) {
    step_along(e, e.facing, e.speed);
  }
}

// ---- Ahead of the target ------------------------------------------------------------------

// 1 when the enemy lies strictly on the side the target faces: beyond the
// line through the target across facing f.
bool ahead_of(const enemy_data& e, const player_data& t, int32_t f) {
  switch (f) {
    case 0:
      return e.Y < t.Y;
    case 1:
      return e.X - e.Y > t.X - t.Y;
    case 2:
      return e.X > t.X;
    case 3:
      return e.X + e.Y > t.X + t.Y;
    case 4:
      return e.Y > t.Y;
    case 5:
      return e.X - e.Y < t.X - t.Y;
    case 6:
      return e.X < t.X;
    case 7:
      return e.X + e.Y < t.X + t.Y;
    default:
      return false;
  }
}

// ---- Shy charger (kind 31) --------------------------------------------------------------

constexpr int32_t kChargerLastTick = 9;

void run_shy_charger(int32_t slot) {
  enemy_data& e = enemy[slot];
  choose_target(e, kDownedKeyed9999);
  const player_data& t = player[e.target];
  // aggro is the charge flag, decided afresh on tick 0.
  if (e.tick == 0) {
    e.aggro = 0;
    if (ahead_of(e, t, t.facing)) {
      e.facing = t.facing;
    } else {
      e.aggro = 1;
    }
  }
  if (e.aggro == 0) {
    step_along(e, e.facing, e.speed);
  } else {
    approach_step(e, t.X, t.Y, e.speed * 2.0f, e.speed * 1.5f);
  }
  count_tick_up_to(e, kChargerLastTick);
}

// ---- Sidestepper (kind 7) -----------------------------------------------------------------

constexpr int32_t kSidestepCycle = 60;
constexpr int32_t kSidestepDecisionTick = 1;

void run_sidestepper(int32_t slot) {
  enemy_data& e = enemy[slot];
  count_tick_wrapping_at(e, kSidestepCycle);
  choose_target(e, kDownedKeyed9999);
  const player_data& t = player[e.target];
  // aggro is the chase flag, decided afresh on tick 1.
  if (e.tick == kSidestepDecisionTick) {
    e.aggro = 0;
    if (ahead_of(e, t, t.facing)) {
      // Across the target's facing: (f + 2) mod 4 on a draw of 0, the
      // opposite direction on a draw of 1.
      const int32_t across = (t.facing + 2) % 4;
      e.facing = ApiGetRandom(1) == 0 ? across : across + 4;
    } else {
      e.aggro = 1;
    }
  }
  if (e.aggro == 1) {
    approach_target(e);
  } else {
    step_along(e, e.facing, e.speed);
  }
}

}  // namespace

void update_enemy_kind_04(int32_t slot) { run_wanderer(slot); }
void update_enemy_kind_06(int32_t slot) { run_axis_walker(slot); }
void update_enemy_kind_26(int32_t slot) { run_axis_walker(slot); }
void update_enemy_kind_31(int32_t slot) { run_shy_charger(slot); }
void update_enemy_kind_07(int32_t slot) { run_sidestepper(slot); }
