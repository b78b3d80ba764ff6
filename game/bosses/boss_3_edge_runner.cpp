// Boss 3, the edge runner: it flees a near target along the edges of a fixed
// rectangle and closes in on a far one; in a 300-tick cycle it walks, spins,
// faces down and walks again while giving 20 cues. Each cue places a shot
// beside the target that fades in harmlessly for 40 frames and then flies.
#include <cmath>

#include "game/bosses/boss_kinds.h"
#include "game/bosses/boss_moves.h"
#include "game/bosses/boss_shot_pool.h"
#include "game/bosses/boss_skeleton.h"
#include "game/bosses/bosses.h"

namespace {

constexpr int32_t kCycle = 300;
constexpr int32_t kTurnEvery = 30;
constexpr int32_t kTurnAt = 10;
constexpr float kNear = 500.0f;  // dx + dy at most this: flee

// The rectangle of the edge rules.
constexpr float kLeft = 64.0f;
constexpr float kRight = 448.0f;
constexpr float kTop = 64.0f;
constexpr float kBottom = 288.0f;

// Ticks 80 to 109 spin one direction every two ticks, 110 to 149 face down;
// there is no step from 80 to 149.
constexpr int32_t kSpinFrom = 80;
constexpr int32_t kFaceDownFrom = 110;
constexpr int32_t kWalkAgainFrom = 150;
constexpr int32_t kDown = 4;
constexpr float kStraight = 2.5f;
constexpr float kDiagonal = 1.875f;
constexpr CueSeries kCues = {150, 7, 20, 1};

constexpr float kShotSpeed = 2.5f;
constexpr int32_t kFadeInLastAge = 40;
constexpr int32_t kShotPower = 9;

// The direction and the offset from the target of each cue, 1 to 20.
struct CueShot {
  int32_t direction;
  float dx, dy;
};
constexpr CueShot kCueShots[20] = {
    {6, 64.0f, -16.0f},  {7, 80.0f, 40.0f},  {7, 64.0f, 64.0f},   {7, 40.0f, 80.0f},
    {0, -16.0f, 64.0f},  {2, -64.0f, 16.0f}, {3, -80.0f, -40.0f}, {3, -64.0f, -64.0f},
    {3, -40.0f, -80.0f}, {4, 16.0f, -64.0f}, {4, -16.0f, -64.0f}, {5, 40.0f, -80.0f},
    {5, 64.0f, -64.0f},  {5, 80.0f, -40.0f}, {6, 64.0f, 16.0f},   {6, 16.0f, 64.0f},
    {7, -40.0f, 80.0f},  {7, -64.0f, 64.0f}, {7, -80.0f, 40.0f},  {0, -64.0f, -16.0f},
};

// On an edge of the rectangle or in a corner, the way along it away from
// the target; -1 inside the rectangle.
int32_t along_the_edge(const player_data& t, float dx, float dy) {
  const float bx = boss_x;
  const float by = boss_y;
  const bool between_x = kLeft < bx && bx < kRight;
  const bool between_y = kTop < by && by < kBottom;
  if (between_x && by <= kTop) return t.X > bx ? 6 : 2;
  if (bx >= kRight && between_y) return t.Y > by ? 0 : 4;
  if (between_x && by >= kBottom) return t.X > bx ? 6 : 2;
  if (bx <= kLeft && between_y) return t.Y > by ? 0 : 4;
  if (bx <= kLeft && by <= kTop) return dy < dx ? 4 : 2;
  if (bx >= kRight && by <= kTop) return dy < dx ? 4 : 6;
  if (bx >= kRight && by >= kBottom) return dy < dx ? 0 : 6;
  if (bx <= kLeft && by >= kBottom) return dy < dx ? 0 : 2;
  return -1;
}

void choose_facing() {
  const player_data& t = boss_target_player();
  const float dx = std::fabs(boss_x - t.X);
  const float dy = std::fabs(boss_y - t.Y);
  if (dx + dy <= kNear) {
    int32_t facing = along_the_edge(t, dx, dy);
    // Else away from the target: the opposite of the first test that holds.
    if (facing < 0) {
      const int32_t toward = first_direction_toward(t.X, t.Y);
      if (toward >= 0) facing = (toward + 4) % 8;
    }
    if (facing >= 0) boss_facing = facing;
  } else {
    face_toward(t.X, t.Y);
  }
}

void run_the_edges() {
  boss_shot_cue = 0;
  if (boss_p_cnt % kTurnEvery == kTurnAt) choose_facing();
  if (boss_p_cnt >= kSpinFrom && boss_p_cnt < kFaceDownFrom) boss_facing = (boss_p_cnt / 2) % 8;
  if (boss_p_cnt >= kFaceDownFrom && boss_p_cnt < kWalkAgainFrom) boss_facing = kDown;
  if (boss_p_cnt < kSpinFrom || boss_p_cnt >= kWalkAgainFrom) {
    set_boss_step(boss_facing, kStraight, kDiagonal);
  }
  boss_shot_cue = cue_in_series(kCues, boss_p_cnt);
  advance_walk_anim();
  boss_p_cnt += 1;
  if (boss_p_cnt >= kCycle) boss_p_cnt = 0;
}

// A shot fading in neither hurts, nor moves, nor meets walls; a drained one
// still ends with its effect.
bool fading_in_rule(int32_t i) {
  boss_shot_age[i] += 1;
  step_shot_by_direction(i, kShotSpeed);
  if (boss_shot_age[i] > kFadeInLastAge) return true;
  boss_shot_vx[i] = 0.0f;
  boss_shot_vy[i] = 0.0f;
  return boss_shot_state[i] != 1;
}

void place_cue_shot(int32_t cue) {
  if (cue > 20) return;
  const CueShot& shot = kCueShots[cue - 1];
  const player_data& t = boss_target_player();
  const int32_t i = launch_row_box_shot(t.X + shot.dx, t.Y + shot.dy, kShotPower);
  if (i >= 0) boss_shot_direction[i] = shot.direction;
}

}  // namespace

void update_boss_3() { run_boss_behaviour(run_the_edges, TargetKey::kManhattan); }

void update_boss_shots_3() {
  if (!move_boss_shots(fading_in_rule, ShotBox::kRowBox)) return;
  if (boss_shot_cue >= 1) place_cue_shot(boss_shot_cue);
}
