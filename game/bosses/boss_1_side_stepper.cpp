// Boss 1, the side-stepper: a fixed 100-tick cycle of turning, a 30-tick run
// to one side and a volley of three shots that hang in the air and then turn
// toward the target; a turn forced by the room's edge adds one aimed shot.
#include <cmath>

#include "game/bosses/boss_kinds.h"
#include "game/bosses/boss_moves.h"
#include "game/bosses/boss_shot_pool.h"
#include "game/bosses/boss_skeleton.h"
#include "game/bosses/bosses.h"

namespace {

constexpr int32_t kCycle = 100;
constexpr int32_t kRight = 2;
constexpr int32_t kLeft = 6;
// Outside these it turns back into the room, whatever the target does.
constexpr float kLeftEdge = 120.0f;
constexpr float kRightEdge = 420.0f;
constexpr float kRun = 3.0f;
constexpr int32_t kVolleyTick = 91;
constexpr int32_t kVolleyCue = 1;

// The animation cell and the run by tick, in rows of the cycle.
struct TickRow {
  int32_t last_tick;
  int32_t anim;
  bool runs;
};
constexpr TickRow kTickRows[6] = {
    {15, 0, false}, {30, 2, false}, {60, 1, true}, {75, 2, false}, {90, 0, false}, {99, 3, false},
};

// Shots start this far below the boss's centre.
constexpr float kMuzzleDrop = 40.0f;
constexpr int32_t kShotPower = 6;
constexpr float kShotSpeed = 4.0f;
constexpr int32_t kDirectionMode = 0;
constexpr int32_t kAimMode = 1;
// A volley shot flies, hangs through these ages and is aimed anew at the next.
constexpr int32_t kHangFrom = 30;
constexpr int32_t kHangTo = 60;
constexpr int32_t kNewAimAge = 61;

constexpr float kMargin = 10.0f;

// The direction from (sx, sy) toward the target, by the first rule that
// holds; -1 when none does. The diagonal rules are as loose as they stand:
// a target straight to the right passes the up-right rule first, one
// straight below the down-right rule.
int32_t aim_direction(float sx, float sy, const player_data& t) {
  if (in_band(sx, t.X) && sy > t.Y) return 0;
  if (t.X + kMargin > sx && t.Y - kMargin < sy) return 1;
  if (sx < t.X && in_band(sy, t.Y)) return 2;
  if (t.X + kMargin > sx && t.Y + kMargin > sy) return 3;
  if (in_band(sx, t.X) && sy < t.Y) return 4;
  if (t.X - kMargin < sx && t.Y + kMargin > sy) return 5;
  if (sx > t.X && in_band(sy, t.Y)) return 6;
  if (t.X - kMargin < sx && t.Y - kMargin < sy) return 7;
  return -1;
}

void choose_side() {
  const player_data& t = boss_target_player();
  if (boss_x < kLeftEdge) {
    boss_facing = kRight;
    boss_edge_turn = 1;
  } else if (boss_x > kRightEdge) {
    boss_facing = kLeft;
    boss_edge_turn = 1;
  } else {
    boss_facing = t.X >= boss_x ? kRight : kLeft;
  }
}

void side_step() {
  boss_shot_cue = 0;
  boss_edge_turn = 0;
  if (boss_p_cnt == 0) choose_side();
  for (const TickRow& row : kTickRows) {
    if (boss_p_cnt > row.last_tick) continue;
    boss_anim = row.anim;
    if (row.runs && boss_facing == kRight) boss_vx = boss_vx + kRun;
    if (row.runs && boss_facing == kLeft) boss_vx = boss_vx - kRun;
    break;
  }
  if (boss_p_cnt == kVolleyTick) boss_shot_cue = kVolleyCue;
  boss_p_cnt += 1;
  if (boss_p_cnt >= kCycle) boss_p_cnt = 0;
}

bool volley_shot_rule(int32_t i) {
  boss_shot_age[i] += 1;
  const int32_t age = boss_shot_age[i];
  if (age == kNewAimAge && boss_shot_mode[i] == kDirectionMode) {
    const int32_t d = aim_direction(boss_shot_x[i], boss_shot_y[i], boss_target_player());
    if (d >= 0) boss_shot_direction[i] = d;
  }
  if (boss_shot_mode[i] == kDirectionMode) step_shot_by_direction(i, kShotSpeed);
  if (boss_shot_mode[i] == kAimMode) step_shot_by_aim(i, kShotSpeed);
  if (boss_shot_mode[i] == kDirectionMode && age >= kHangFrom && age <= kHangTo) {
    boss_shot_vx[i] = 0.0f;
    boss_shot_vy[i] = 0.0f;
  }
  return true;
}

// Three shots about the direction toward the target, not wrapped: -1 and 8
// have no step until the new aim.
void fire_volley() {
  const int32_t b = aim_direction(boss_x, boss_y, boss_target_player());
  for (int32_t k = 0; k < 3; ++k) {
    const int32_t i = launch_row_box_shot(boss_x, boss_y + kMuzzleDrop, kShotPower);
    if (i < 0) continue;
    boss_shot_mode[i] = kDirectionMode;
    if (b >= 0) boss_shot_direction[i] = b + k - 1;
  }
}

// Aimed from the boss's centre at a point 40 px below the target, so it
// flies parallel to the line between the two.
void fire_edge_shot() {
  const player_data& t = boss_target_player();
  const float dy = t.Y - boss_y + kMuzzleDrop;
  const float dx = t.X - boss_x;
  const float a = static_cast<float>(std::atan2(static_cast<double>(dy), static_cast<double>(dx)));
  const int32_t i = launch_row_box_shot(boss_x, boss_y + kMuzzleDrop, kShotPower);
  if (i < 0) return;
  boss_shot_mode[i] = kAimMode;
  boss_shot_aim_x[i] = static_cast<float>(std::cos(static_cast<double>(a)));
  boss_shot_aim_y[i] = static_cast<float>(std::sin(static_cast<double>(a)));
}

}  // namespace

void update_boss_1() { run_boss_behaviour(side_step, TargetKey::kHorizontal); }

void update_boss_shots_1() {
  if (!move_boss_shots(volley_shot_rule, ShotBox::kRowBox)) return;
  if (boss_shot_cue == kVolleyCue) fire_volley();
  if (boss_edge_turn == 1) fire_edge_shot();
}
