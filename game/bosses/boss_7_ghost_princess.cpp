// Boss 7, the ghost princess: above 1000 hit points she walks toward her
// target's column and lays rows of bullets that hang 29 frames and stream
// away at four speeds; from 1000 down she keeps to the middle of the room and
// fires rings of large orbs and crosses of slanting bullet bars.
#include <cmath>

#include "game/bosses/boss_kinds.h"
#include "game/bosses/boss_moves.h"
#include "game/bosses/boss_shot_pool.h"
#include "game/bosses/boss_skeleton.h"
#include "game/bosses/bosses.h"

namespace {

constexpr int32_t kFirstPhaseAbove = 1000;  // hit points

// ---- First phase ---------------------------------------------------------------------

constexpr int32_t kFirstCycle = 300;
constexpr float kLevel = 50.0f;  // a target this near her column: she stands the cycle
constexpr int32_t kStandTick = 121;
constexpr int32_t kWalkLastTick = 120;
constexpr float kWalk = 1.0f;
constexpr CueTick kFirstCues[] = {{0, 3}, {200, 1}, {250, 2}};

// ---- Second phase --------------------------------------------------------------------

constexpr int32_t kSecondCycle = 500;
// The open middle box she settles into, x first, then y.
constexpr float kMiddleLeft = 248.0f;
constexpr float kMiddleRight = 264.0f;
constexpr float kMiddleTop = 145.0f;
constexpr float kMiddleBottom = 155.0f;
constexpr CueTick kSecondCues[] = {{0, 1},   {10, 1},  {20, 1},  {30, 1},  {40, 1},
                                   {50, 1},  {70, 2},  {80, 2},  {90, 2},  {100, 2},
                                   {110, 2}, {120, 2}, {140, 3}, {150, 3}, {160, 3},
                                   {170, 3}, {180, 3}, {190, 3}, {230, 4}, {300, 5}};

// ---- Shots ---------------------------------------------------------------------------

// Speed by mode; modes 0 to 3 start moving at age 30, mode 4 at once.
constexpr float kSpeeds[5] = {1.5f, 2.0f, 3.0f, 4.5f, 6.0f};
constexpr int32_t kOrbMode = 4;
constexpr int32_t kMoveFromAge = 30;

constexpr int32_t kShotPower = 20;
constexpr int32_t kBulletBox = 5;
constexpr int32_t kOrbBox = 20;
constexpr int32_t kOrbKind = 6;
constexpr int32_t kAqua = 0;
constexpr int32_t kBlue = 1;
constexpr int32_t kGreen = 2;
constexpr int32_t kPurple = 3;
constexpr int32_t kRed = 4;
constexpr int32_t kYellow = 5;

struct Vec {
  float x, y;
};

// First phase, cue 1: eight groups of four bullets in a row through her,
// bullet i of the volley in group i / 4 with mode i % 4.
struct RowGroup {
  float dx;
  int32_t direction;
  Vec aim;
  int32_t kind;
};
constexpr RowGroup kRowGroups[8] = {
    {-96.0f, 5, {-0.4f, 0.9f}, kAqua},  {-96.0f, 3, {0.4f, 0.9f}, kBlue},
    {-32.0f, 5, {-0.4f, 0.9f}, kGreen}, {-32.0f, 3, {0.4f, 0.9f}, kYellow},
    {32.0f, 5, {-0.4f, 0.9f}, kAqua},   {32.0f, 3, {0.4f, 0.9f}, kBlue},
    {96.0f, 5, {-0.4f, 0.9f}, kGreen},  {96.0f, 3, {0.4f, 0.9f}, kYellow},
};
constexpr int32_t kModesPerGroup = 4;

// First phase, cues 2 and 3: four bullets each side, aimed from their starts.
constexpr float kPairSide = 48.0f;

// Second phase, cues 1 to 3: rings of orbs.
constexpr Vec kOrbRing1[] = {{0.0f, -1.0f}, {0.75f, -0.75f}, {1.0f, 0.0f},  {0.75f, 0.75f},
                             {0.0f, 1.0f},  {-0.75f, 0.75f}, {-1.0f, 0.0f}, {-0.75f, -0.75f}};
constexpr Vec kOrbRing2[] = {{0.4f, -0.9f}, {0.9f, -0.4f}, {0.9f, 0.4f},   {0.4f, 0.9f},
                             {-0.4f, 0.9f}, {-0.9f, 0.4f}, {-0.9f, -0.4f}, {-0.4f, -0.9f}};
constexpr Vec kOrbRing3[] = {{0.75f, -0.75f}, {0.75f, 0.75f}, {-0.75f, 0.75f}, {-0.75f, -0.75f}};

// Second phase, cues 4 and 5: four slanting bars of four bullets; cue 5
// mirrors cue 4.
struct BarBullet {
  Vec cue4;
  Vec cue5;
  int32_t kind;
  int32_t direction;
  int32_t mode;
  Vec aim;
};
constexpr BarBullet kBars[16] = {
    {{16, -16}, {-16, -16}, kAqua, 4, 2, {0, 1}},   {{0, 0}, {0, 0}, kAqua, 4, 2, {0, 1}},
    {{-16, 16}, {16, 16}, kAqua, 4, 2, {0, 1}},     {{-32, 32}, {32, 32}, kAqua, 4, 2, {0, 1}},
    {{16, 16}, {16, -16}, kBlue, 3, 0, {-1, 0}},    {{0, 0}, {0, 0}, kBlue, 3, 1, {-1, 0}},
    {{-16, -16}, {-16, 16}, kBlue, 3, 2, {-1, 0}},  {{-32, -32}, {-32, 32}, kBlue, 3, 3, {-1, 0}},
    {{-16, 16}, {16, 16}, kGreen, 5, 2, {0, -1}},   {{0, 0}, {0, 0}, kGreen, 5, 2, {0, -1}},
    {{16, -16}, {-16, -16}, kGreen, 5, 2, {0, -1}}, {{32, -32}, {-32, -32}, kGreen, 5, 2, {0, -1}},
    {{-16, -16}, {-16, 16}, kYellow, 3, 0, {1, 0}}, {{0, 0}, {0, 0}, kYellow, 3, 1, {1, 0}},
    {{16, 16}, {16, -16}, kYellow, 3, 2, {1, 0}},   {{32, 32}, {32, -32}, kYellow, 3, 3, {1, 0}},
};

bool first_phase() { return present_bossHP > kFirstPhaseAbove; }

// ---- Behaviour -----------------------------------------------------------------------

void walk_to_the_column(int32_t t) {
  const player_data& target = boss_target_player();
  if (t == 0) {
    if (std::fabs(target.X - boss_x) <= kLevel) {
      boss_facing = 4;
    } else {
      boss_facing = target.X > boss_x ? 2 : 6;
    }
  }
  if (t == kStandTick) boss_facing = 4;
  if (t >= 0 && t <= kWalkLastTick) {
    if (boss_facing == 2) boss_vx = kWalk;
    if (boss_facing == 6) boss_vx = -kWalk;
  }
  boss_shot_cue = cue_of_tick(kFirstCues, t);
  boss_p_cnt = t + 1 >= kFirstCycle ? 0 : t + 1;
}

void keep_to_the_middle(int32_t t) {
  if (boss_x <= kMiddleLeft) {
    boss_facing = 2;
    boss_vx = kWalk;
  } else if (boss_x >= kMiddleRight) {
    boss_facing = 6;
    boss_vx = -kWalk;
  } else if (boss_y <= kMiddleTop) {
    boss_facing = 4;
    boss_vy = kWalk;
  } else if (boss_y >= kMiddleBottom) {
    boss_facing = 0;
    boss_vy = -kWalk;
  } else {
    boss_facing = 4;
  }
  boss_shot_cue = cue_of_tick(kSecondCues, t);
  boss_p_cnt = t + 1 >= kSecondCycle ? 0 : t + 1;
}

void haunt() {
  boss_shot_cue = 0;
  if (first_phase()) {
    walk_to_the_column(boss_p_cnt);
  } else {
    keep_to_the_middle(boss_p_cnt);
  }
  advance_walk_anim();
}

// ---- Shots ---------------------------------------------------------------------------

// The same in both phases: every shot flies along its aim at the speed of
// its mode.
bool stream_rule(int32_t i) {
  boss_shot_age[i] += 1;
  const int32_t mode = boss_shot_mode[i];
  if (mode < 0 || mode > kOrbMode) return true;
  if (mode == kOrbMode || boss_shot_age[i] >= kMoveFromAge) step_shot_by_aim(i, kSpeeds[mode]);
  return true;
}

// One shot; a direction below 0 leaves the slot's.
void launch(float x, float y, int32_t box, int32_t kind, int32_t mode, int32_t direction, Vec aim) {
  const int32_t i = launch_boss_shot(x, y, kShotPower, box, box);
  if (i < 0) return;
  boss_shot_kind[i] = kind;
  boss_shot_mode[i] = mode;
  if (direction >= 0) boss_shot_direction[i] = direction;
  boss_shot_aim_x[i] = aim.x;
  boss_shot_aim_y[i] = aim.y;
}

void lay_rows() {
  for (int32_t i = 0; i < 32; ++i) {
    const RowGroup& g = kRowGroups[i / kModesPerGroup];
    launch(boss_x + g.dx, boss_y, kBulletBox, g.kind, i % kModesPerGroup, g.direction, g.aim);
  }
}

// Each bullet is aimed from its own start point; all are drawn with cell 0.
void fire_pairs(int32_t kind) {
  const player_data& t = boss_target_player();
  const float sides[2] = {kPairSide, -kPairSide};
  for (float side : sides) {
    for (int32_t mode = 0; mode < kModesPerGroup; ++mode) {
      const float x = boss_x + side;
      const float y = boss_y;
      const float a = static_cast<float>(
          std::atan2(static_cast<double>(t.Y - y), static_cast<double>(t.X - x)));
      const Vec aim = {static_cast<float>(std::cos(static_cast<double>(a))),
                       static_cast<float>(std::sin(static_cast<double>(a)))};
      launch(x, y, kBulletBox, kind, mode, 0, aim);
    }
  }
}

template <int32_t N>
void fire_orbs(const Vec (&ring)[N]) {
  for (const Vec& aim : ring) launch(boss_x, boss_y, kOrbBox, kOrbKind, kOrbMode, -1, aim);
}

void lay_bars(bool mirrored) {
  for (const BarBullet& b : kBars) {
    const Vec at = mirrored ? b.cue5 : b.cue4;
    launch(boss_x + at.x, boss_y + at.y, kBulletBox, b.kind, b.mode, b.direction, b.aim);
  }
}

void fire_volley(int32_t cue) {
  if (first_phase()) {
    if (cue == 1) lay_rows();
    if (cue == 2) fire_pairs(kRed);
    if (cue == 3) fire_pairs(kPurple);
    return;
  }
  if (cue == 1) fire_orbs(kOrbRing1);
  if (cue == 2) fire_orbs(kOrbRing2);
  if (cue == 3) fire_orbs(kOrbRing3);
  if (cue == 4) lay_bars(false);
  if (cue == 5) lay_bars(true);
}

}  // namespace

void update_boss_7() { run_boss_behaviour(haunt, TargetKey::kManhattan); }

void update_boss_shots_7() {
  if (!move_boss_shots(stream_rule, ShotBox::kOwnBox)) return;
  if (boss_shot_cue >= 1) fire_volley(boss_shot_cue);
}
