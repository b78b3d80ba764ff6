// Boss 4, the three-phase duelist: above 350 hit points it stalks its target;
// from 350 down to 251 it keeps to the top of the room, crosses sideways and
// jumps beside the target; from 250 down it holds the middle of the room and
// lunges. Its volleys of slow fans, fast shots and fast walls grow as its hit
// points fall, and below 251 its slow shots stop now and then and leave in a
// random direction.
#include "game/bosses/boss_kinds.h"
#include "game/bosses/boss_moves.h"
#include "game/bosses/boss_shot_pool.h"
#include "game/bosses/boss_skeleton.h"
#include "game/bosses/bosses.h"
#include "game/shell/shell.h"
#include "runtime/system/api.h"

namespace {

// Phases by hit points.
constexpr int32_t kStalkingAbove = 350;
constexpr int32_t kJumpingFrom = 251;

constexpr float kStraight = 1.0f;
constexpr float kDiagonal = 0.75f;

// ---- Stalking ------------------------------------------------------------------------

constexpr int32_t kStalkCycle = 150;
// Stalking and walking after the jump, it turns toward the target at the
// ticks whose count modulo 15 is 10.
constexpr int32_t kTurnEvery = 15;
constexpr int32_t kTurnAt = 10;
constexpr int32_t kStalkLastStep = 100;
constexpr CueTick kStalkCues[] = {{100, 2}, {105, 1}, {110, 2}, {115, 1}, {120, 2},
                                  {125, 1}, {130, 2}, {135, 1}, {140, 3}};

// ---- Jumping -------------------------------------------------------------------------

constexpr int32_t kLongCycle = 300;
constexpr int32_t kJumpTick = 180;
constexpr int32_t kAimTick = 60;   // with the jump tick, the ticks it faces the target on top
constexpr float kTopBand = 90.0f;  // it climbs while below this
constexpr float kClimb = 2.0f;
constexpr int32_t kCentringLastTick = 50;
constexpr float kCentreLeft = 250.0f;
constexpr float kCentreRight = 270.0f;
constexpr float kCentring = 2.0f;
constexpr int32_t kDriftFrom = 100;
constexpr float kDrift = 1.0f;
constexpr int32_t kWalkFrom = 200;
constexpr int32_t kWalkTo = 300;
// The jump lands this far beside the target, on its far side unless a limit
// of the room is passed.
constexpr float kJumpReach = 64.0f;
constexpr float kJumpTop = 96.0f;
constexpr float kJumpBottom = 288.0f;
constexpr float kJumpLeft = 64.0f;
constexpr float kJumpRight = 448.0f;
// While the count after its step is 180 to 200 every player blinks as after a
// revival, so the landing hurts nobody.
constexpr int32_t kBlinkFrom = 180;
constexpr int32_t kBlinkTo = 200;
constexpr int32_t kBlinkStart = 60;
constexpr CueTick kJumpCues[] = {{0, 2},   {10, 1},  {20, 2},  {30, 1},  {40, 2},
                                 {50, 1},  {55, 1},  {60, 1},  {65, 1},  {70, 1},
                                 {200, 2}, {210, 1}, {220, 2}, {230, 1}, {240, 2},
                                 {250, 1}, {260, 2}, {270, 1}, {280, 2}, {290, 1}};

// ---- Holding -------------------------------------------------------------------------

constexpr float kBoxLeft = 230.0f;
constexpr float kBoxRight = 290.0f;
constexpr float kBoxTop = 160.0f;
constexpr float kBoxBottom = 200.0f;
constexpr int32_t kLungeLastTick = 30;
constexpr CueTick kHoldCues[] = {{0, 1},   {50, 1},  {100, 1}, {120, 2}, {130, 2},
                                 {140, 2}, {150, 2}, {160, 3}, {200, 1}};

// ---- Shots ---------------------------------------------------------------------------

constexpr int32_t kSlow = 0;
constexpr int32_t kFast = 1;
constexpr float kSlowSpeed = 1.3333334f;
constexpr float kFastSpeed = 4.0f;
// Below 251 hit points a slow shot stops at these ages of every 90 and draws
// a new direction at the middle one.
constexpr int32_t kWanderFrom = 251;
constexpr int32_t kWanderCycle = 90;
constexpr int32_t kStopFrom = 45;
constexpr int32_t kStopTo = 55;
constexpr int32_t kNewDirectionAge = 50;
constexpr int32_t kDirectionBound = 7;

constexpr int32_t kShotPower = 12;
constexpr int32_t kShotBox = 3;
constexpr int32_t kSlowKinds = 3;     // a slow shot's kind is its slot modulo 3
constexpr int32_t kFastKindEven = 3;  // a fast shot's kind by its slot's parity
constexpr int32_t kFastKindOdd = 4;

// Volleys by the hit points at launch.
constexpr int32_t kWideFansFrom = 200;  // more than this: the narrow fan
constexpr int32_t kBigWallAbove = 100;  // this and less: the ring and the big wall

// A shot of a volley: where it starts beside the boss and its direction,
// either the boss's facing turned by `turn` or a fixed one.
struct VolleyShot {
  float dx, dy;
  int32_t turn;
  int32_t fixed;  // -1: the facing turned
};
constexpr VolleyShot kNarrowFan[] = {{0, 0, 1, -1}, {0, 0, -1, -1}};
constexpr VolleyShot kWideFan[] = {
    {0, 0, 2, -1}, {0, 0, 1, -1}, {0, 0, 0, -1}, {0, 0, -1, -1}, {0, 0, -2, -1}};
constexpr VolleyShot kRing[] = {{0, 0, 0, 0}, {0, 0, 0, 1}, {0, 0, 0, 2}, {0, 0, 0, 3},
                                {0, 0, 0, 4}, {0, 0, 0, 5}, {0, 0, 0, 6}, {0, 0, 0, 7}};
constexpr VolleyShot kSingle[] = {{0, 0, 0, -1}};
constexpr VolleyShot kSmallWall[] = {
    {-20, -20, 0, -1}, {20, -20, 0, -1}, {0, 0, 0, -1}, {-20, 20, 0, -1}, {20, 20, 0, -1}};
constexpr VolleyShot kBigWall[] = {{-40, -40, 0, -1}, {40, -40, 0, -1}, {0, 0, 0, -1},
                                   {-40, 40, 0, -1},  {40, 40, 0, -1},  {0, -15, 0, 2},
                                   {0, 15, 0, 2},     {0, -15, 0, 6},   {0, 15, 0, 6}};

// ---- Behaviour -----------------------------------------------------------------------

void face_target() {
  const player_data& t = boss_target_player();
  face_toward(t.X, t.Y);
}

void stalk(int32_t p) {
  if (p % kTurnEvery == kTurnAt) face_target();
  if (p >= 0 && p <= kStalkLastStep) set_boss_step(boss_facing, kStraight, kDiagonal);
  boss_shot_cue = cue_of_tick(kStalkCues, p);
  boss_p_cnt = p + 1;
  if (boss_p_cnt >= kStalkCycle) boss_p_cnt = 0;
}

// The position is written directly, without a wall test.
void jump_beside(const player_data& t) {
  float x = t.X;
  float y = t.Y;
  switch (boss_facing) {
    case 0:
      y = t.Y - kJumpReach > kJumpTop ? t.Y - kJumpReach : t.Y + kJumpReach;
      break;
    case 1:
    case 2:
    case 3:
      x = t.X + kJumpReach < kJumpRight ? t.X + kJumpReach : t.X - kJumpReach;
      break;
    case 4:
      y = t.Y + kJumpReach < kJumpBottom ? t.Y + kJumpReach : t.Y - kJumpReach;
      break;
    case 5:
    case 6:
    case 7:
      x = t.X - kJumpReach > kJumpLeft ? t.X - kJumpReach : t.X + kJumpReach;
      break;
    default:
      return;
  }
  boss_x = x;
  boss_y = y;
}

void move_on_top(int32_t p) {
  if (boss_y > kTopBand) {
    boss_vy = -kClimb;
  } else if (p <= kCentringLastTick) {
    if (boss_x < kCentreLeft) {
      boss_vx = kCentring;
      boss_facing = 2;
    } else if (boss_x > kCentreRight) {
      boss_vx = -kCentring;
      boss_facing = 6;
    }
  } else if (p >= kDriftFrom) {
    if (boss_facing == 2 || boss_facing == 3 || boss_facing == 4) {
      boss_vx = kDrift;
      boss_facing = 2;
    } else {
      boss_vx = -kDrift;
      boss_facing = 6;
    }
  }
}

void climb_and_jump(int32_t p) {
  const player_data& t = boss_target_player();
  if (p >= 0 && p <= kJumpTick) {
    if (boss_y > kTopBand) {
      boss_facing = 0;
    } else if (p == kAimTick || p == kJumpTick) {
      face_target();
    }
  }
  if (p >= kWalkFrom && p <= kWalkTo && p % kTurnEvery == kTurnAt) face_target();
  if (p == kJumpTick) jump_beside(t);
  // Read after the jump: the landing is tested against the top band.
  if (p >= 0 && p <= kJumpTick) move_on_top(p);
  if (p >= kWalkFrom && p <= kWalkTo) set_boss_step(boss_facing, kStraight, kDiagonal);
  boss_shot_cue = cue_of_tick(kJumpCues, p);
  boss_p_cnt = p + 1;
  if (boss_p_cnt >= kLongCycle) boss_p_cnt = 0;
  if (boss_p_cnt >= kBlinkFrom && boss_p_cnt <= kBlinkTo) {
    for (int32_t i = 0; i < player_count; ++i) player[i].revive_timer = kBlinkStart;
  }
}

bool in_middle_box() {
  return boss_x >= kBoxLeft && boss_x <= kBoxRight && boss_y >= kBoxTop && boss_y <= kBoxBottom;
}

void hold_the_middle(int32_t p) {
  const bool inside = in_middle_box();
  const bool lunging = p >= 0 && p <= kLungeLastTick;
  if (!lunging) {
    if (inside) {
      face_target();
    } else if (boss_x < kBoxLeft) {
      boss_facing = 2;
    } else if (boss_x > kBoxRight) {
      boss_facing = 6;
    } else if (boss_y < kBoxTop) {
      boss_facing = 4;
    } else if (boss_y > kBoxBottom) {
      boss_facing = 0;
    }
  }
  if (!inside || lunging) set_boss_step(boss_facing, kStraight, kDiagonal);
  boss_shot_cue = cue_of_tick(kHoldCues, p);
  boss_p_cnt = p + 1;
  if (boss_p_cnt >= kLongCycle) boss_p_cnt = 0;
}

// The phase is chosen every frame; the count carries over from one to the next.
void duel() {
  boss_shot_cue = 0;
  const int32_t p = boss_p_cnt;
  if (present_bossHP > kStalkingAbove) {
    stalk(p);
  } else if (present_bossHP >= kJumpingFrom) {
    climb_and_jump(p);
  } else {
    hold_the_middle(p);
  }
  advance_walk_anim();
}

// ---- Shots ---------------------------------------------------------------------------

bool duel_shot_rule(int32_t i) {
  boss_shot_age[i] += 1;
  if (boss_shot_mode[i] == kSlow) {
    step_shot_by_direction(i, kSlowSpeed);
    if (present_bossHP < kWanderFrom) {
      const int32_t phase = boss_shot_age[i] % kWanderCycle;
      if (phase == kNewDirectionAge) boss_shot_direction[i] = ApiGetRandom(kDirectionBound);
      if (phase >= kStopFrom && phase <= kStopTo) {
        boss_shot_vx[i] = 0.0f;
        boss_shot_vy[i] = 0.0f;
      }
    }
  }
  if (boss_shot_mode[i] == kFast) step_shot_by_direction(i, kFastSpeed);
  return true;
}

int32_t wrapped(int32_t direction) { return ((direction % 8) + 8) % 8; }

template <int32_t N>
void fire(const VolleyShot (&volley)[N], int32_t mode) {
  for (const VolleyShot& shot : volley) {
    const int32_t i =
        launch_boss_shot(boss_x + shot.dx, boss_y + shot.dy, kShotPower, kShotBox, kShotBox);
    if (i < 0) continue;
    boss_shot_mode[i] = mode;
    boss_shot_direction[i] = shot.fixed >= 0 ? shot.fixed : wrapped(boss_facing + shot.turn);
    if (mode == kSlow) {
      boss_shot_kind[i] = i % kSlowKinds;
    } else {
      boss_shot_kind[i] = i % 2 == 0 ? kFastKindEven : kFastKindOdd;
    }
  }
}

void fire_volley(int32_t cue) {
  const int32_t hp = present_bossHP;
  if (cue == 1) {
    if (hp > kWideFansFrom) {
      fire(kNarrowFan, kSlow);
    } else if (hp > kBigWallAbove) {
      fire(kWideFan, kSlow);
    } else {
      fire(kRing, kSlow);
    }
  } else if (cue == 2) {
    fire(kSingle, kFast);
  } else if (cue == 3) {
    if (hp > kBigWallAbove) {
      fire(kSmallWall, kFast);
    } else {
      fire(kBigWall, kFast);
    }
  }
}

}  // namespace

void update_boss_4() { run_boss_behaviour(duel, TargetKey::kManhattan); }

void update_boss_shots_4() {
  if (!move_boss_shots(duel_shot_rule, ShotBox::kOwnBox)) return;
  if (boss_shot_cue >= 1) fire_volley(boss_shot_cue);
}
