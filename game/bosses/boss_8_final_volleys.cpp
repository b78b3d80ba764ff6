// The final boss's shot pattern: seven modes of flight and the volleys of its
// four phases.
#include <cmath>

#include "game/bosses/boss_8_final.h"
#include "game/bosses/boss_kinds.h"
#include "game/bosses/boss_shot_pool.h"
#include "game/bosses/boss_skeleton.h"
#include "game/bosses/bosses.h"

namespace {

// ---- Flight --------------------------------------------------------------------------

// Modes 0 to 3 fly along the aim vector at these speeds.
constexpr float kPlainSpeeds[4] = {1.0f, 4.0f, 4.0f, 5.0f};
// Modes 4 and 5 fly, stand, circle one whole turn and fly off at their speed.
constexpr int32_t kCircler = 4;
constexpr int32_t kFastCircler = 5;
constexpr float kCirclerSpeed = 2.0f;
constexpr float kFastCirclerSpeed = 3.0f;
constexpr int32_t kStandFrom = 70;
constexpr int32_t kCircleFrom = 150;
constexpr int32_t kCircleTo = 330;
constexpr int32_t kTurn = 180;                // ages a turn takes
constexpr double kTurnStep = 3.14159 / 90.0;  // radians an age
constexpr double kCircleSpeed = 3.0;
// Mode 6, the laid shots: they wait where they were laid until age 60.
constexpr int32_t kLaid = 6;
constexpr int32_t kLaidFromAge = 60;
constexpr float kLaidSpeed = 2.0f;

// ---- Volleys ---------------------------------------------------------------------------

constexpr int32_t kPower = 25;
constexpr int32_t kBox = 3;
constexpr int32_t kHeavyPower = 100;
constexpr int32_t kHeavyBox = 10;
constexpr int32_t kHeavyCue = 41;
constexpr int32_t kNoDirection = -1;

constexpr double kRingStep = 0.39269875;  // 3.14159 / 8
constexpr double kFanStep = 0.196349375;  // 3.14159 / 16

struct Vec {
  float x, y;
};

// Phase 1's fans share their directions.
constexpr int32_t kFanDirections[9] = {2, 3, 3, 3, 4, 5, 5, 5, 6};
constexpr Vec kFixedFan[9] = {{5.0f, 0.0f},  {4.5f, 2.0f},  {3.5f, 3.5f},
                              {2.0f, 4.5f},  {0.0f, 5.0f},  {-2.0f, 4.5f},
                              {-3.5f, 3.5f}, {-4.5f, 2.0f}, {-5.0f, 0.0f}};

// Phase 4's ring, laid one shot a cue, 2 to 20 and 22 to 40.
struct LaidShot {
  float x, y;
  Vec aim;
  int32_t direction;
};
constexpr int32_t kFirstLaidCue = 2;
constexpr int32_t kLastLaidCue = 40;
constexpr int32_t kUnusedLaidCue = 21;
constexpr Vec kDownRight = {0.75f, 0.75f};
constexpr Vec kDownLeft = {-0.75f, 0.75f};
constexpr Vec kUpLeft = {-0.75f, -0.75f};
constexpr Vec kUpRight = {0.75f, -0.75f};
constexpr Vec kDown = {0.0f, 1.0f};
constexpr Vec kLeft = {-1.0f, 0.0f};
constexpr Vec kUp = {0.0f, -1.0f};
constexpr Vec kRight = {1.0f, 0.0f};
constexpr LaidShot kLaidShots[39] = {
    // Cues 2 to 5.
    {45, 75, kDownRight, 3},
    {55, 55, kDownRight, 3},
    {75, 45, kDownRight, 3},
    {95, 40, kDownRight, 3},
    // 6 to 10.
    {420, 40, kDownLeft, 5},
    {440, 45, kDownLeft, 5},
    {460, 55, kDownLeft, 5},
    {470, 75, kDownLeft, 5},
    {475, 95, kDownLeft, 5},
    // 11 to 15.
    {475, 250, kUpLeft, 7},
    {470, 270, kUpLeft, 7},
    {460, 290, kUpLeft, 7},
    {440, 300, kUpLeft, 7},
    {420, 305, kUpLeft, 7},
    // 16 to 20.
    {95, 305, kUpRight, 1},
    {75, 300, kUpRight, 1},
    {55, 290, kUpRight, 1},
    {45, 270, kUpRight, 1},
    {40, 250, kUpRight, 1},
    // 21 lays nothing.
    {0, 0, {0, 0}, -1},
    // 22 to 25.
    {236, 35, kDown, 4},
    {256, 30, kDown, 4},
    {276, 35, kDown, 4},
    {296, 45, kDown, 4},
    // 26 to 30.
    {390, 132, kLeft, 6},
    {400, 152, kLeft, 6},
    {405, 172, kLeft, 6},
    {400, 192, kLeft, 6},
    {390, 212, kLeft, 6},
    // 31 to 35.
    {296, 315, kUp, 0},
    {276, 325, kUp, 0},
    {256, 330, kUp, 0},
    {236, 325, kUp, 0},
    {216, 315, kUp, 0},
    // 36 to 40.
    {120, 212, kRight, 2},
    {110, 192, kRight, 2},
    {105, 172, kRight, 2},
    {110, 152, kRight, 2},
    {120, 132, kRight, 2},
};
// A laid shot's age starts at -205 + 5 x cue, so an unbroken ring reaches
// age 60 all at once, at tick 360.
constexpr int32_t kLaidAgeBase = -205;
constexpr int32_t kLaidAgeStep = 5;

// ---- Flight --------------------------------------------------------------------------

void circle(int32_t i, float speed) {
  const int32_t age = boss_shot_age[i];
  if (age >= kStandFrom && age < kCircleFrom) return;
  if (age >= kCircleFrom && age <= kCircleTo) {
    const double a = static_cast<double>(age % kTurn) * kTurnStep;
    boss_shot_vx[i] = static_cast<float>(kCircleSpeed * std::sin(a));
    boss_shot_vy[i] = static_cast<float>(kCircleSpeed * std::cos(a));
    return;
  }
  step_shot_by_aim(i, speed);
}

bool final_shot_rule(int32_t i) {
  boss_shot_age[i] += 1;
  const int32_t mode = boss_shot_mode[i];
  if (mode >= 0 && mode < 4) step_shot_by_aim(i, kPlainSpeeds[mode]);
  if (mode == kCircler) circle(i, kCirclerSpeed);
  if (mode == kFastCircler) circle(i, kFastCirclerSpeed);
  if (mode == kLaid && boss_shot_age[i] >= kLaidFromAge) step_shot_by_aim(i, kLaidSpeed);
  return true;
}

// ---- Volleys ---------------------------------------------------------------------------

// One shot at (x, y) with power 25 and box 3 x 3; a direction below 0 leaves
// the slot's. The slot, or -1.
int32_t launch(float x, float y, int32_t kind, int32_t direction, int32_t mode, Vec aim) {
  const int32_t i = launch_boss_shot(x, y, kPower, kBox, kBox);
  if (i < 0) return -1;
  boss_shot_kind[i] = kind;
  if (direction >= 0) boss_shot_direction[i] = direction;
  boss_shot_mode[i] = mode;
  boss_shot_aim_x[i] = aim.x;
  boss_shot_aim_y[i] = aim.y;
  return i;
}

// The aim taken once for a volley: toward the target from the boss.
float aim_angle() {
  const player_data& t = boss_target_player();
  return static_cast<float>(
      std::atan2(static_cast<double>(t.Y - boss_y), static_cast<double>(t.X - boss_x)));
}

// The unit vector n ring steps from theta: in single precision at theta
// itself, else the sum, cosine and sine in double.
Vec aimed(float theta, int32_t n) {
  if (n == 0) {
    return {static_cast<float>(std::cos(static_cast<double>(theta))),
            static_cast<float>(std::sin(static_cast<double>(theta)))};
  }
  const double angle = static_cast<double>(theta) + static_cast<double>(n) * kRingStep;
  return {static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle))};
}

void fire_fixed_fan() {
  for (int32_t k = 0; k < 9; ++k) launch(boss_x, boss_y, 0, kFanDirections[k], 0, kFixedFan[k]);
}

void fire_aimed_fan() {
  const float theta = aim_angle();
  for (int32_t n = -4; n <= 4; ++n)
    launch(boss_x, boss_y, 1, kFanDirections[n + 4], 1, aimed(theta, n));
}

// A whole ring 22.5 degrees apart, from a quarter turn before the aim.
void fire_aimed_ring() {
  const float theta = aim_angle();
  for (int32_t n = -4; n <= 11; ++n) launch(boss_x, boss_y, 2, kNoDirection, 2, aimed(theta, n));
}

void fire_big_shot() { launch(boss_x, boss_y, 3, kNoDirection, 3, aimed(aim_angle(), 0)); }

// Nineteen shots from 11.25 degrees above the right, down through straight
// down, to 11.25 degrees above the left; shot 1's angle is 0, whose sine and
// cosine are the same in either precision.
void fire_circlers() {
  for (int32_t k = 0; k < 19; ++k) {
    const double angle = static_cast<double>(k - 1) * kFanStep;
    const Vec aim = {static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle))};
    const int32_t mode = k % 2 == 0 ? kFastCircler : kCircler;
    const int32_t kind = k % 4 < 2 ? 2 : 4;
    launch(boss_x, boss_y, kind, kNoDirection, mode, aim);
  }
}

void lay_ring_shot(int32_t cue) {
  const LaidShot& laid = kLaidShots[cue - kFirstLaidCue];
  const int32_t i = launch(laid.x, laid.y, 5, laid.direction, kLaid, laid.aim);
  if (i >= 0) boss_shot_age[i] = kLaidAgeBase + kLaidAgeStep * cue;
}

void fire_heavy_shot() {
  const int32_t i = launch(boss_x, boss_y, 3, kNoDirection, 3, aimed(aim_angle(), 0));
  if (i < 0) return;
  boss_shot_power[i] = kHeavyPower;
  boss_shot_box_width[i] = kHeavyBox;
  boss_shot_box_height[i] = kHeavyBox;
}

// A cue the phase does not list fires nothing.
void fire_volley(int32_t cue) {
  switch (final_boss_phase()) {
    case 1:
      if (cue == 1) fire_fixed_fan();
      if (cue == 2) fire_aimed_fan();
      break;
    case 2:
      if (cue == 1) fire_aimed_ring();
      if (cue == 2) fire_big_shot();
      break;
    case 3:
      if (cue == 1) fire_circlers();
      break;
    default:
      if (cue >= kFirstLaidCue && cue <= kLastLaidCue && cue != kUnusedLaidCue) lay_ring_shot(cue);
      if (cue == kHeavyCue) fire_heavy_shot();
      break;
  }
}

}  // namespace

void update_boss_shots_8() {
  if (!move_boss_shots(final_shot_rule, ShotBox::kOwnBox)) return;
  if (boss_shot_cue >= 1) fire_volley(boss_shot_cue);
}
