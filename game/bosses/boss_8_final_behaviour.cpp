// Boss 8, the final boss: a scripted walk above 3000 hit points, aimed dashes
// down to 2001, then a rest box at the top of the room where it fires a
// volley every 200 ticks and, from 1000 down, lays a ring of shots round the
// room and fires heavy shots. It bobs up and down in every phase.
#include <cmath>

#include "game/bosses/boss_8_final.h"
#include "game/bosses/boss_kinds.h"
#include "game/bosses/boss_moves.h"
#include "game/bosses/boss_skeleton.h"
#include "game/bosses/bosses.h"

namespace {

constexpr int32_t kPhase1Above = 3000;
constexpr int32_t kPhase2Above = 2000;
constexpr int32_t kPhase3Above = 1000;

// ---- Phase 1: the scripted walk -------------------------------------------------------

constexpr int32_t kWalkLastTick = 1599;
constexpr int32_t kHundred = 100;
// The facing set at the start of each hundred, and the walk through it.
struct Hundred {
  int32_t facing;
  float vx;  // 0: no step but the bob
};
constexpr Hundred kWalk[16] = {
    {4, 0.0f}, {6, -0.85f}, {4, 0.0f}, {6, -0.85f}, {4, 0.0f}, {2, 0.85f},  {4, 0.0f}, {2, 0.85f},
    {4, 0.0f}, {2, 0.85f},  {4, 0.0f}, {2, 0.85f},  {4, 0.0f}, {6, -0.85f}, {4, 0.0f}, {6, -0.85f},
};
// Every 200 ticks: three volleys while standing, one while walking.
constexpr int32_t kWalkVolleyEvery = 200;
constexpr CueTick kWalkCues[] = {{20, 1}, {50, 1}, {80, 1}, {120, 2}};

// ---- Phase 2: the dash --------------------------------------------------------------

constexpr int32_t kDashLastTick = 199;
constexpr int32_t kDashEnd = 60;
constexpr float kDash = 4.0f;
constexpr CueTick kDashCues[] = {{100, 1}, {120, 1}, {140, 2}, {145, 2}, {150, 2}};

// ---- Phases 3 and 4: the rest box ------------------------------------------------------

// The open rectangle it rests in; outside it the count starts again.
constexpr float kRestLeft = 250.0f;
constexpr float kRestRight = 260.0f;
constexpr float kRestTop = 30.0f;
constexpr float kRestBottom = 70.0f;
constexpr float kReturn = 4.0f;
constexpr int32_t kRestLastTick = 199;
constexpr int32_t kRestVolleyTick = 100;
constexpr int32_t kLastLastTick = 499;
// The last phase: the ring laid by cues 2 to 20 and 22 to 40, and the heavy
// shot of cue 41 at every hundred.
constexpr CueSeries kRingFirstArc = {105, 5, 19, 2};
constexpr CueSeries kRingSecondArc = {205, 5, 19, 22};
constexpr CueTick kHeavyCues[] = {{100, 41}, {200, 41}, {300, 41}, {400, 41}};
// Its first frame cuts every shot in flight (25 power at most) to nothing.
constexpr int32_t kLastPhaseCut = 100;

// ---- Phases ----------------------------------------------------------------------------

int32_t wrap_after(int32_t t, int32_t last_tick) { return t >= last_tick ? 0 : t + 1; }

void walk_the_script() {
  const int32_t t = boss_p_cnt;
  if (t >= 0 && t <= kWalkLastTick) {
    const Hundred& h = kWalk[t / kHundred];
    if (t % kHundred == 0) boss_facing = h.facing;
    if (h.vx != 0.0f) boss_vx = h.vx;
    boss_shot_cue = cue_of_tick(kWalkCues, t % kWalkVolleyEvery);
  }
  boss_p_cnt = wrap_after(t, kWalkLastTick);
}

void dash() {
  const int32_t t = boss_p_cnt;
  if (t == 0) {
    const player_data& target = boss_target_player();
    face_toward(target.X, target.Y);
    const float a = static_cast<float>(
        std::atan2(static_cast<double>(target.Y - boss_y), static_cast<double>(target.X - boss_x)));
    boss_aim_cos = static_cast<float>(std::cos(static_cast<double>(a)));
    boss_aim_sin = static_cast<float>(std::sin(static_cast<double>(a)));
  }
  if (t >= 0 && t <= kDashEnd) {
    boss_vx = kDash * boss_aim_cos;
    boss_vy = kDash * boss_aim_sin;
  }
  boss_shot_cue = cue_of_tick(kDashCues, t);
  boss_p_cnt = wrap_after(t, kDashLastTick);
}

// Faces and steps back toward the rest box, x settled before y; every frame
// outside it starts the count again.
void return_to_rest() {
  if (boss_x <= kRestLeft) {
    boss_facing = 2;
  } else if (boss_x >= kRestRight) {
    boss_facing = 6;
  } else if (boss_y <= kRestTop) {
    boss_facing = 4;
  } else if (boss_y >= kRestBottom) {
    boss_facing = 0;
  } else {
    boss_facing = 4;
  }
  if (boss_x <= kRestLeft) {
    boss_vx = kReturn;
    boss_p_cnt = 0;
  } else if (boss_x >= kRestRight) {
    boss_vx = -kReturn;
    boss_p_cnt = 0;
  } else if (boss_y <= kRestTop) {
    boss_vy = kReturn;
    boss_p_cnt = 0;
  } else if (boss_y >= kRestBottom) {
    boss_vy = -kReturn;
    boss_p_cnt = 0;
  }
}

void rest() {
  return_to_rest();
  if (boss_p_cnt == kRestVolleyTick) boss_shot_cue = 1;
  boss_p_cnt = wrap_after(boss_p_cnt, kRestLastTick);
}

void rest_and_lay_the_ring() {
  if (boss_final_phase_started == 0) {
    for (int32_t& power : boss_shot_power) power -= kLastPhaseCut;
    boss_final_phase_started = 1;
  }
  return_to_rest();
  const int32_t t = boss_p_cnt;
  boss_shot_cue = cue_in_series(kRingFirstArc, t);
  if (boss_shot_cue == 0) boss_shot_cue = cue_in_series(kRingSecondArc, t);
  if (boss_shot_cue == 0) boss_shot_cue = cue_of_tick(kHeavyCues, t);
  boss_p_cnt = wrap_after(t, kLastLastTick);
}

void final_step() {
  boss_shot_cue = 0;
  switch (final_boss_phase()) {
    case 1:
      walk_the_script();
      break;
    case 2:
      dash();
      break;
    case 3:
      rest();
      break;
    default:
      rest_and_lay_the_ring();
      break;
  }
  add_sway(boss_p_cnt);
}

}  // namespace

int32_t final_boss_phase() {
  if (present_bossHP > kPhase1Above) return 1;
  if (present_bossHP > kPhase2Above) return 2;
  if (present_bossHP > kPhase3Above) return 3;
  return 4;
}

void update_boss_8() { run_boss_behaviour(final_step, TargetKey::kManhattan); }
