// Boss 5: above 350 hit points it walks a fixed 560-tick script and fires fans
// of orbs and arrowheads of spear parts; from 350 down it chases its target,
// lays rings of orbs that ride along with it and fires bursts of sixteen
// small bullets.
#include <cmath>

#include "game/bosses/boss_kinds.h"
#include "game/bosses/boss_moves.h"
#include "game/bosses/boss_shot_pool.h"
#include "game/bosses/boss_skeleton.h"
#include "game/bosses/bosses.h"

namespace {

constexpr int32_t kScriptAbove = 350;  // hit points: more than this runs the script
constexpr int32_t kCycle = 560;

// ---- The scripted walk -------------------------------------------------------------

// The facing by tick: each row holds until its last tick.
struct FacingSpan {
  int32_t last_tick;
  int32_t facing;
};
constexpr FacingSpan kScript[] = {{90, 4},  {140, 6}, {230, 4}, {280, 2},
                                  {370, 4}, {420, 2}, {510, 4}, {559, 6}};
constexpr float kScriptWalk = 4.0f;  // facing 4 stands
constexpr CueTick kScriptCues[] = {{15, 1},  {30, 1},  {45, 1},  {60, 1},  {75, 1},
                                   {150, 1}, {165, 1}, {300, 1}, {315, 1}, {330, 1},
                                   {345, 1}, {360, 1}, {430, 1}, {445, 1}, {170, 2},
                                   {200, 2}, {230, 2}, {450, 2}, {480, 2}, {510, 2}};

// ---- The chase -----------------------------------------------------------------------

constexpr int32_t kTurnEvery = 15;
constexpr int32_t kTurnAt = 10;
constexpr int32_t kChaseLastStep = 400;
constexpr float kStraight = 1.0f;
constexpr float kDiagonal = 0.75f;
// The ring cues 11 to 18, twice a cycle, then bursts and spears.
constexpr CueSeries kFirstRing = {15, 2, 8, 11};
constexpr CueSeries kSecondRing = {300, 2, 8, 11};
constexpr CueTick kChaseCues[] = {{170, 3}, {455, 3}, {250, 2}, {520, 2}};

// ---- Shots ---------------------------------------------------------------------------

constexpr int32_t kOrb = 0;
constexpr int32_t kSpear = 1;
constexpr int32_t kSmall = 2;
// The shot types: mode and kind are the same number.
struct ShotType {
  int32_t mode;
  int32_t box;
};
constexpr ShotType kOrbType = {kOrb, 20};
constexpr ShotType kSpearType = {kSpear, 10};
constexpr ShotType kSmallType = {kSmall, 4};
constexpr int32_t kShotPower = 15;

constexpr float kOrbSpeed = 6.0f;
constexpr float kAimedSpeed = 6.0f;
constexpr int32_t kSpearWaitAge = 20;  // spear parts stand below this age
constexpr int32_t kRideLastAge = 100;  // chase-phase orbs ride their ring point until then

// The ring point of each direction, about the boss.
struct Offset {
  float x, y;
};
constexpr Offset kRingPoints[8] = {{0.0f, -40.0f}, {28.0f, -28.0f}, {40.0f, 0.0f},
                                   {28.0f, 28.0f}, {0.0f, 40.0f},   {-28.0f, 28.0f},
                                   {-40.0f, 0.0f}, {-28.0f, -28.0f}};

// The fan of five orbs about the facing.
constexpr int32_t kFanTurns[5] = {2, 1, 0, 7, 6};

// The spear: five parts along the aim, the barbs at the side angles, the tip.
struct SpearPart {
  float reach;
  double side;  // added to the aim angle; 0 for the parts along it
};
constexpr double kWideBarb = 0.39269875;
constexpr double kNarrowBarb = 0.196349375;
constexpr SpearPart kSpearParts[10] = {
    {16.0f, 0.0},         {32.0f, 0.0},        {48.0f, 0.0},          {64.0f, 0.0},
    {80.0f, 0.0},         {72.0f, -kWideBarb}, {82.0f, -kNarrowBarb}, {72.0f, kWideBarb},
    {82.0f, kNarrowBarb}, {96.0f, 0.0},
};

// The burst of sixteen: start offset and aim vector of each bullet.
struct BurstShot {
  Offset at;
  Offset aim;
};
constexpr BurstShot kBurst[16] = {
    {{16.0f, 0.0f}, {1.0f, 0.0f}},      {{5.92f, 14.72f}, {0.37f, 0.92f}},
    {{11.2f, 11.2f}, {0.7f, 0.7f}},     {{14.72f, 5.92f}, {0.92f, 0.37f}},
    {{0.0f, 16.0f}, {0.0f, 1.0f}},      {{-5.92f, 14.72f}, {-0.37f, 0.92f}},
    {{-11.2f, 11.2f}, {-0.7f, 0.7f}},   {{-14.72f, 5.92f}, {-0.92f, 0.37f}},
    {{-16.0f, 0.0f}, {-1.0f, 0.0f}},    {{-5.92f, -14.72f}, {-0.37f, -0.92f}},
    {{-11.2f, -11.2f}, {-0.7f, -0.7f}}, {{-14.72f, -5.92f}, {-0.92f, -0.37f}},
    {{0.0f, -16.0f}, {0.0f, -1.0f}},    {{5.92f, -14.72f}, {0.37f, -0.92f}},
    {{11.2f, -11.2f}, {0.7f, -0.7f}},   {{14.72f, -5.92f}, {0.92f, -0.37f}},
};

constexpr int32_t kFanCue = 1;
constexpr int32_t kSpearCue = 2;
constexpr int32_t kBurstCue = 3;
constexpr int32_t kFirstRingCue = 11;
constexpr int32_t kLastRingCue = 18;

bool scripted() { return present_bossHP > kScriptAbove; }

// ---- Behaviour -----------------------------------------------------------------------

void walk_the_script(int32_t t) {
  for (const FacingSpan& span : kScript) {
    if (t > span.last_tick) continue;
    boss_facing = span.facing;
    break;
  }
  if (boss_facing == 2) boss_vx = kScriptWalk;
  if (boss_facing == 6) boss_vx = -kScriptWalk;
  boss_shot_cue = cue_of_tick(kScriptCues, t);
}

void chase(int32_t t) {
  if (t % kTurnEvery == kTurnAt) {
    const player_data& target = boss_target_player();
    face_toward(target.X, target.Y);
  }
  if (t >= 0 && t <= kChaseLastStep) set_boss_step(boss_facing, kStraight, kDiagonal);
  boss_shot_cue = cue_in_series(kFirstRing, t);
  if (boss_shot_cue == 0) boss_shot_cue = cue_in_series(kSecondRing, t);
  if (boss_shot_cue == 0) boss_shot_cue = cue_of_tick(kChaseCues, t);
}

void script_or_chase() {
  boss_shot_cue = 0;
  const int32_t t = boss_p_cnt;
  if (scripted()) {
    walk_the_script(t);
  } else {
    chase(t);
  }
  boss_p_cnt = t + 1 >= kCycle ? 0 : t + 1;
  advance_walk_anim();
}

// ---- Shots ---------------------------------------------------------------------------

void step_orb(int32_t i) {
  const int32_t d = boss_shot_direction[i];
  if (scripted() || boss_shot_age[i] > kRideLastAge) {
    step_shot_by_direction(i, kOrbSpeed);
  } else if (d >= 0 && d < 8) {
    // After the move it sits on its ring point about the boss.
    boss_shot_vx[i] = boss_x + kRingPoints[d].x - boss_shot_x[i];
    boss_shot_vy[i] = boss_y + kRingPoints[d].y - boss_shot_y[i];
  }
}

bool orb_and_spear_rule(int32_t i) {
  boss_shot_age[i] += 1;
  switch (boss_shot_mode[i]) {
    case kOrb:
      step_orb(i);
      break;
    case kSpear:
      if (boss_shot_age[i] >= kSpearWaitAge) step_shot_by_aim(i, kAimedSpeed);
      break;
    case kSmall:
      step_shot_by_aim(i, kAimedSpeed);
      break;
    default:
      break;
  }
  return true;
}

int32_t launch(const ShotType& type, float x, float y) {
  const int32_t i = launch_boss_shot(x, y, kShotPower, type.box, type.box);
  if (i < 0) return -1;
  boss_shot_mode[i] = type.mode;
  boss_shot_kind[i] = type.mode;
  return i;
}

void launch_aimed(const ShotType& type, float x, float y, float aim_x, float aim_y) {
  const int32_t i = launch(type, x, y);
  if (i < 0) return;
  boss_shot_aim_x[i] = aim_x;
  boss_shot_aim_y[i] = aim_y;
}

void fire_fan() {
  for (int32_t turn : kFanTurns) {
    const int32_t i = launch(kOrbType, boss_x, boss_y);
    if (i >= 0) boss_shot_direction[i] = (boss_facing + turn) % 8;
  }
}

// The parts along the aim are placed in single precision; the barbs at the
// side angles in double, from the single-precision angle.
void fire_spear(float a, float c, float s) {
  for (const SpearPart& part : kSpearParts) {
    float x = boss_x + part.reach * c;
    float y = boss_y + part.reach * s;
    if (part.side != 0.0) {
      const double angle = static_cast<double>(a) + part.side;
      x = static_cast<float>(static_cast<double>(boss_x) +
                             static_cast<double>(part.reach) * std::cos(angle));
      y = static_cast<float>(static_cast<double>(boss_y) +
                             static_cast<double>(part.reach) * std::sin(angle));
    }
    launch_aimed(kSpearType, x, y, c, s);
  }
}

void fire_burst() {
  for (const BurstShot& shot : kBurst) {
    launch_aimed(kSmallType, boss_x + shot.at.x, boss_y + shot.at.y, shot.aim.x, shot.aim.y);
  }
}

// Orb k of a ring starts 2k ticks after the first with its age 2k, so the
// whole ring has one age and leaves together.
void lay_ring_orb(int32_t k) {
  const int32_t i = launch(kOrbType, boss_x + kRingPoints[k].x, boss_y + kRingPoints[k].y);
  if (i < 0) return;
  boss_shot_direction[i] = k;
  boss_shot_age[i] = 2 * k;
}

void fire_volley(int32_t cue) {
  const player_data& t = boss_target_player();
  const float a = static_cast<float>(
      std::atan2(static_cast<double>(t.Y - boss_y), static_cast<double>(t.X - boss_x)));
  const float c = static_cast<float>(std::cos(static_cast<double>(a)));
  const float s = static_cast<float>(std::sin(static_cast<double>(a)));
  if (cue == kFanCue) fire_fan();
  if (cue == kSpearCue) fire_spear(a, c, s);
  if (cue == kBurstCue) fire_burst();
  if (cue >= kFirstRingCue && cue <= kLastRingCue) lay_ring_orb(cue - kFirstRingCue);
}

}  // namespace

void update_boss_5() { run_boss_behaviour(script_or_chase, TargetKey::kManhattan); }

void update_boss_shots_5() {
  if (!move_boss_shots(orb_and_spear_rule, ShotBox::kOwnBox)) return;
  if (boss_shot_cue >= 1) fire_volley(boss_shot_cue);
}
