// Boss 2, the ring thrower: it walks at its target and lays shots on a ring
// about itself. From 150 hit points up the ring hangs before it flies out;
// below 150 the boss keeps moving and the shots fly at once; below 100 they
// start from its centre.
#include "game/bosses/boss_kinds.h"
#include "game/bosses/boss_moves.h"
#include "game/bosses/boss_shot_pool.h"
#include "game/bosses/boss_skeleton.h"
#include "game/bosses/bosses.h"

namespace {

// Phases by hit points.
constexpr int32_t kWalkingFrom = 150;  // and more
constexpr int32_t kRingFrom = 100;     // and more: the shots start on the ring

// The facing is chosen at the ticks whose count modulo 30 is 10.
constexpr int32_t kTurnEvery = 30;
constexpr int32_t kTurnAt = 10;

// Walking phase: 180 ticks, a step while the count is 0 to 90, 16 cues.
constexpr int32_t kWalkCycle = 180;
constexpr int32_t kWalkLastStep = 90;
constexpr float kWalkStraight = 2.5f;
constexpr float kWalkDiagonal = 1.875f;
constexpr CueSeries kWalkCues = {95, 5, 16, 1};
// The short cycle below 150: a step every tick, 8 cues.
constexpr int32_t kShortCycle = 58;
constexpr float kPressStraight = 1.6f;
constexpr float kPressDiagonal = 1.2f;
constexpr CueSeries kShortCues = {0, 7, 8, 1};

constexpr float kShotSpeed = 2.5f;
constexpr int32_t kHangLastAge = 110;  // while walking, shots hang through this age
constexpr float kShotRaise = 5.0f;     // shots start this far above the centre
constexpr int32_t kShotPower = 8;

// The direction and the ring offset of each cue, 1 to 16.
struct RingPoint {
  int32_t direction;
  float dx, dy;
};
constexpr RingPoint kRing[16] = {
    {0, 0.0f, -30.0f},  {1, 21.0f, -21.0f}, {2, 30.0f, 0.0f},    {3, 21.0f, 21.0f},
    {4, 0.0f, 30.0f},   {5, -21.0f, 21.0f}, {6, -30.0f, 0.0f},   {7, -21.0f, -21.0f},
    {0, 12.0f, -27.0f}, {1, 27.0f, -12.0f}, {2, 27.0f, 12.0f},   {3, 12.0f, 27.0f},
    {4, -12.0f, 27.0f}, {5, -27.0f, 12.0f}, {6, -27.0f, -12.0f}, {7, -12.0f, -27.0f},
};
constexpr int32_t kCentreCues = 8;  // below 100 hit points cue c takes direction c - 1

// Every test that holds sets the facing, so a later one overrides an earlier.
void face_by_every_test() {
  const player_data& t = boss_target_player();
  for (int32_t direction = 0; direction < 8; ++direction) {
    if (boss_direction_test(direction, t.X, t.Y)) boss_facing = direction;
  }
}

void walk_and_throw() {
  boss_shot_cue = 0;
  if (boss_p_cnt % kTurnEvery == kTurnAt) face_by_every_test();
  if (present_bossHP >= kWalkingFrom) {
    if (boss_p_cnt >= 0 && boss_p_cnt <= kWalkLastStep) {
      set_boss_step(boss_facing, kWalkStraight, kWalkDiagonal);
    }
    advance_walk_anim();
    boss_shot_cue = cue_in_series(kWalkCues, boss_p_cnt);
    boss_p_cnt += 1;
    if (boss_p_cnt >= kWalkCycle) boss_p_cnt = 0;
  } else {
    set_boss_step(boss_facing, kPressStraight, kPressDiagonal);
    advance_walk_anim();
    boss_shot_cue = cue_in_series(kShortCues, boss_p_cnt);
    boss_p_cnt += 1;
    if (boss_p_cnt >= kShortCycle) boss_p_cnt = 0;
  }
}

// The hit points are tested every frame: a hanging ring flies out as soon as
// the boss falls below 150.
bool ring_shot_rule(int32_t i) {
  boss_shot_age[i] += 1;
  step_shot_by_direction(i, kShotSpeed);
  const int32_t age = boss_shot_age[i];
  if (present_bossHP >= kWalkingFrom && age >= 0 && age <= kHangLastAge) {
    boss_shot_vx[i] = 0.0f;
    boss_shot_vy[i] = 0.0f;
  }
  return true;
}

void throw_ring_shot(int32_t cue) {
  const bool on_ring = present_bossHP >= kRingFrom;
  float x = boss_x;
  float y = boss_y - kShotRaise;
  if (on_ring && cue <= 16) {
    x = x + kRing[cue - 1].dx;
    y = y + kRing[cue - 1].dy;
  }
  const int32_t i = launch_row_box_shot(x, y, kShotPower);
  if (i < 0) return;
  if (on_ring && cue <= 16) boss_shot_direction[i] = kRing[cue - 1].direction;
  // A cue above 8 below 100 hit points leaves the slot's direction; it comes
  // only from the walking phase.
  if (!on_ring && cue <= kCentreCues) boss_shot_direction[i] = cue - 1;
}

}  // namespace

void update_boss_2() { run_boss_behaviour(walk_and_throw, TargetKey::kManhattan); }

void update_boss_shots_2() {
  if (!move_boss_shots(ring_shot_rule, ShotBox::kRowBox)) return;
  if (boss_shot_cue >= 1) throw_ring_shot(boss_shot_cue);
}
