// Boss 0, the diagonal walker: it walks its diagonals toward the target and,
// when the target comes near one of its two diagonal lines, stands for 90
// ticks and fires three diagonal shots.
#include "game/bosses/boss_kinds.h"
#include "game/bosses/boss_moves.h"
#include "game/bosses/boss_shot_pool.h"
#include "game/bosses/boss_skeleton.h"
#include "game/bosses/bosses.h"

namespace {

constexpr int32_t kCycle = 90;
// While walking it turns only at these ticks of its cycle.
constexpr int32_t kTurnTicks[2] = {0, 30};
constexpr float kWalk = 2.0f;  // on both axes

// boss_shot_cue is the aiming flag.
constexpr int32_t kWalking = 0;
constexpr int32_t kAiming = 1;
constexpr float kAimRange = 30000.0f;  // squared distance
constexpr float kAimBand = 25.0f;      // off a diagonal line, strictly within
constexpr int32_t kShotTicks[3] = {30, 60, 89};

constexpr float kShotSpeed = 4.0f;
constexpr int32_t kShotPower = 3;

bool is_diagonal(int32_t direction) {
  return direction == 1 || direction == 3 || direction == 5 || direction == 7;
}

// The diagonal toward the target: up-right, down-right, down-left, up-left.
int32_t diagonal_toward(const player_data& t) {
  if (t.X >= boss_x && t.Y < boss_y) return 1;
  if (t.X >= boss_x && t.Y >= boss_y) return 3;
  if (t.X < boss_x && t.Y >= boss_y) return 5;
  return 7;
}

void add_diagonal_step() {
  if (!is_diagonal(boss_facing)) return;
  boss_vx = boss_facing == 1 || boss_facing == 3 ? boss_vx + kWalk : boss_vx - kWalk;
  boss_vy = boss_facing == 3 || boss_facing == 5 ? boss_vy + kWalk : boss_vy - kWalk;
}

bool strictly_within(float value, float line) {
  return line - kAimBand < value && value < line + kAimBand;
}

// Starts an aim when the target is near and within 25 px of the boss's
// down-right line (y - x constant) or down-left line (y + x constant).
void test_aim(const player_data& t) {
  const float dx = boss_x - t.X;
  const float dy = boss_y - t.Y;
  const float dx2 = dx * dx;
  const float dy2 = dy * dy;
  if (!(dx2 + dy2 <= kAimRange)) return;
  if (strictly_within(t.Y - t.X, boss_y - boss_x) || strictly_within(t.Y + t.X, boss_y + boss_x)) {
    boss_shot_cue = kAiming;
    boss_p_cnt = 0;
  }
}

void walk_or_aim() {
  const player_data& t = boss_target_player();
  boss_wanted_facing = diagonal_toward(t);
  if (boss_p_cnt == kTurnTicks[0] || boss_p_cnt == kTurnTicks[1]) boss_facing = boss_wanted_facing;
  add_diagonal_step();
  if (boss_shot_cue == kAiming) {
    // It stands and keeps turning to the target's quadrant every tick.
    boss_facing = boss_wanted_facing;
    boss_vx = 0.0f;
    boss_vy = 0.0f;
  }
  advance_walk_anim();
  boss_p_cnt += 1;
  if (boss_p_cnt >= kCycle) {
    boss_p_cnt = 0;
    boss_shot_cue = kWalking;
  }
  // This frame's step still moves the boss; it stands from the next frame.
  if (boss_shot_cue == kWalking) test_aim(t);
}

bool diagonal_shot_rule(int32_t i) {
  if (is_diagonal(boss_shot_direction[i])) step_shot_by_direction(i, kShotSpeed);
  return true;
}

bool is_shot_tick(int32_t tick) {
  for (int32_t shot_tick : kShotTicks) {
    if (tick == shot_tick) return true;
  }
  return false;
}

}  // namespace

void update_boss_0() { run_boss_behaviour(walk_or_aim, TargetKey::kManhattan); }

void update_boss_shots_0() {
  if (!move_boss_shots(diagonal_shot_rule, ShotBox::kRowBox)) return;
  if (boss_shot_cue != kAiming || !is_shot_tick(boss_p_cnt)) return;
  const int32_t i = launch_row_box_shot(boss_x, boss_y, kShotPower);
  if (i >= 0) boss_shot_direction[i] = boss_facing;
}
