// Enemies that close in from the side: until they have once come within
// squared distance 8192 of their target they walk at a flank point beside it,
// chosen by the target's facing, and from then on at the target itself. The
// one-sided flankers always use one table; the flankers choose the table by
// the parity of their slot; the flanking shooter has offsets of its own,
// sidesteps off the target's diagonals and shoots every 120 frames.
#include "game/enemies/behaviour_common.h"
#include "game/enemies/enemy_kinds.h"
#include "game/world/world.h"

namespace {

constexpr float kCloseIn = 8192.0f;

// Offsets from the target to the flank point, by the target's facing.
struct Offset {
  float x, y;
};
using FlankTable = Offset[8];

// 45 degrees clockwise of the target's facing (facing up: up and to the right).
constexpr FlankTable kEvenSlotFlanks = {{60, -60}, {60, 0},  {60, 60},   {0, 60},
                                        {-60, 60}, {-60, 0}, {-60, -60}, {0, -60}};
constexpr FlankTable kOddSlotFlanks = {{-60, -60}, {-60, 0}, {60, -60}, {0, 60},
                                       {60, 60},   {60, 0},  {-60, 60}, {0, -60}};
// The flanking shooter's own.
constexpr FlankTable kShooterEvenSlotFlanks = {{60, -60}, {0, 85},  {60, 60},   {-85, 0},
                                               {-60, 60}, {0, -85}, {-60, -60}, {85, 0}};
constexpr FlankTable kShooterOddSlotFlanks = {{-60, -60}, {-85, 0}, {60, -60}, {0, -85},
                                              {60, 60},   {85, 0},  {-60, 60}, {0, 85}};

const FlankTable& by_parity(int32_t slot, const FlankTable& even, const FlankTable& odd) {
  return slot % 2 == 0 ? even : odd;
}

// The target's position, or the flank point beside it while not aggro.
void aim_point(const enemy_data& e, const FlankTable& flanks, float& px, float& py) {
  const player_data& t = player[e.target];
  px = t.X;
  py = t.Y;
  if (e.aggro == 1) return;
  const Offset offset = flanks[t.facing];
  px = t.X + offset.x;
  py = t.Y + offset.y;
}

void run_flanker(int32_t slot, DownedPlayers downed, const FlankTable& flanks) {
  enemy_data& e = enemy[slot];
  choose_target(e, downed);
  aggro_test(e, kCloseIn);
  float px = 0.0f;
  float py = 0.0f;
  aim_point(e, flanks, px, py);
  approach_step(e, px, py, e.speed, e.speed * 0.75f);
}

// Kinds 2, 3 and 27 use one table whatever their slot.
void run_one_sided_flanker(int32_t slot, const FlankTable& flanks) {
  run_flanker(slot, kDownedKeyed9999, flanks);
}

// Kinds 23 and 47: the table by slot parity; downed players stay candidates.
void run_slot_flanker(int32_t slot) {
  run_flanker(slot, kDownedKept, by_parity(slot, kEvenSlotFlanks, kOddSlotFlanks));
}

// ---- The flanking shooter ------------------------------------------------------------

constexpr float kDiagonalBand = 40.0f;
constexpr int32_t kShotTick = 60;
constexpr int32_t kLastTick = 119;

// Near either diagonal line through the target, strictly within 40.
bool near_target_diagonal(const enemy_data& e, const player_data& t) {
  const float difference = e.Y - e.X;
  const float target_difference = t.Y - t.X;
  if (target_difference > difference - kDiagonalBand &&
      target_difference < difference + kDiagonalBand) {
    return true;
  }
  const float sum = e.Y + e.X;
  const float target_sum = t.Y + t.X;
  return target_sum > sum - kDiagonalBand && target_sum < sum + kDiagonalBand;
}

void run_flanking_shooter(int32_t slot) {
  enemy_data& e = enemy[slot];
  choose_target(e, kDownedKeyed9999);
  aggro_test(e, kCloseIn);
  float px = 0.0f;
  float py = 0.0f;
  aim_point(e, by_parity(slot, kShooterEvenSlotFlanks, kShooterOddSlotFlanks), px, py);
  const player_data& t = player[e.target];
  if (e.aggro == 0 && near_target_diagonal(e, t)) {
    // A sidestep toward the target's column; vy is not written.
    if (e.X < t.X) {
      e.vx = e.speed;
      e.facing = 2;
    } else {
      e.vx = -e.speed;
      e.facing = 6;
    }
  } else {
    // Only the first test that holds steps, so two band tests never combine.
    const int32_t direction = first_match_heading(e, px, py);
    step_along(e, direction, e.speed);
  }
  // Every frame, after either move: the shot leaves along this frame's facing.
  run_shot_cycle(e, kShotTick, kLastTick);
}

}  // namespace

void update_enemy_kind_02(int32_t slot) { run_one_sided_flanker(slot, kEvenSlotFlanks); }
void update_enemy_kind_03(int32_t slot) { run_one_sided_flanker(slot, kOddSlotFlanks); }
void update_enemy_kind_27(int32_t slot) { run_one_sided_flanker(slot, kOddSlotFlanks); }

void update_enemy_kind_23(int32_t slot) { run_slot_flanker(slot); }
void update_enemy_kind_47(int32_t slot) { run_slot_flanker(slot); }

void update_enemy_kind_32(int32_t slot) { run_flanking_shooter(slot); }
