// Boss 6, the musician: it floats with a sway, walks from side to side across
// the room, and its keyboard circles it. Above 600 hit points (a 100-tick
// cycle) its notes burst into crosses or cross the room; from 600 down (200
// ticks) rings of notes stop and burst or stop and turn at the target.
#include <cmath>

#include "game/bosses/boss_kinds.h"
#include "game/bosses/boss_moves.h"
#include "game/bosses/boss_shot_pool.h"
#include "game/bosses/boss_skeleton.h"
#include "game/bosses/bosses.h"
#include "runtime/system/api.h"

namespace {

constexpr int32_t kFirstPhaseAbove = 600;  // hit points

constexpr int32_t kRight = 2;
constexpr int32_t kLeft = 6;
// At or beyond these the boss always turns back into the room.
constexpr float kLeftTurn = 96.0f;
constexpr float kRightTurn = 416.0f;

// ---- First phase ---------------------------------------------------------------------

constexpr int32_t kFirstCycle = 100;
constexpr int32_t kSideBound = 1;  // ApiGetRandom(1) == 1: right
// The walking speed by tick: each row holds until its last tick.
struct SpeedSpan {
  int32_t last_tick;
  float speed;
};
constexpr SpeedSpan kSpeeds[] = {{9, 0.25f}, {19, 0.5f}, {79, 1.0f}, {89, 0.5f}, {99, 0.25f}};
// Level with its target between these ticks, it brakes at once.
constexpr int32_t kBrakeFrom = 20;
constexpr int32_t kBrakeTo = 40;
constexpr int32_t kBrakeTick = 80;
constexpr float kLevel = 10.0f;
constexpr CueTick kFirstCues[] = {{50, 2}, {95, 1}};

// ---- Second phase ----------------------------------------------------------------------

constexpr int32_t kSecondCycle = 200;
constexpr int32_t kTurnEvery = 20;
constexpr int32_t kTurnAt = 10;
constexpr int32_t kWalkLastTick = 100;
constexpr float kWalk = 1.0f;
// It is held between these heights by a step of 1.0 on top of the sway.
constexpr float kHoldTop = 140.0f;
constexpr float kHoldBottom = 160.0f;
constexpr float kHold = 1.0f;
constexpr CueTick kSecondCues[] = {{100, 1}, {130, 2}, {180, 3}};

// ---- Keyboard ------------------------------------------------------------------------

// One circuit every 180 frames, starting 35 px to the boss's left.
constexpr int32_t kCircuit = 180;
constexpr float kKeyboardLeft = 35.0f;
constexpr double kCircuitStep = 0.03490655555555555;  // radians a frame
constexpr float kKeyboardWidth = 1.2f;

// ---- Shots ---------------------------------------------------------------------------

constexpr int32_t kNoteFlight = 0;  // flies and bursts at age 80 (first phase)
constexpr int32_t kSplitBullet = 1;
constexpr int32_t kCrossing = 2;  // first phase: crosses the room; second: stops, bursts at 100
constexpr int32_t kTurning = 3;   // stops, and at age 70 aims at the target
constexpr int32_t kAimed = 4;
constexpr int32_t kFastCrossing = 5;

constexpr float kSlow = 2.0f;
constexpr float kFast = 5.0f;
constexpr int32_t kFirstSplitAge = 80;
constexpr int32_t kCrossingHangFrom = 30;
constexpr int32_t kCrossingSplitAge = 100;
constexpr int32_t kTurningHangFrom = 40;
constexpr int32_t kTurnAge = 70;

constexpr int32_t kNoteBox = 10;
constexpr int32_t kBulletBox = 6;
constexpr int32_t kShotPower = 15;
constexpr int32_t kColours = 4;       // a note of no named colour takes slot mod 4
constexpr int32_t kBulletOfNote = 4;  // a bullet's kind is its note's + 4
constexpr int32_t kBlue = 1;
constexpr int32_t kRed = 0;
constexpr int32_t kSlotColour = -1;

constexpr int32_t kStraightCross[4] = {0, 2, 4, 6};
constexpr int32_t kDiagonalCross[4] = {1, 3, 5, 7};

// A note of a volley: its start beside the boss and its direction.
struct Note {
  float dy;
  int32_t direction;
};
constexpr Note kFan[] = {{0, 2}, {0, 3}, {0, 4}, {0, 5}, {0, 6}};
constexpr Note kPairs[] = {{20, 2}, {-10, 2}, {20, 6}, {-10, 6}};
constexpr Note kRing[] = {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}, {0, 6}, {0, 7}};

bool first_phase() { return present_bossHP > kFirstPhaseAbove; }

// ---- Behaviour -----------------------------------------------------------------------

float first_phase_speed(int32_t t) {
  for (const SpeedSpan& span : kSpeeds) {
    if (t <= span.last_tick) return span.speed;
  }
  return 0.0f;
}

void walk_first_phase() {
  int32_t t = boss_p_cnt;
  const player_data& target = boss_target_player();
  if (t == 0) {
    if (boss_x <= kLeftTurn) {
      boss_facing = kRight;
    } else if (boss_x >= kRightTurn) {
      boss_facing = kLeft;
    } else {
      boss_facing = ApiGetRandom(kSideBound) == 1 ? kRight : kLeft;
    }
  }
  if (t >= 0 && t < kFirstCycle) {
    const float speed = first_phase_speed(t);
    if (boss_facing == kRight) boss_vx = speed;
    if (boss_facing == kLeft) boss_vx = -speed;
  }
  if (t >= kBrakeFrom && t <= kBrakeTo && target.X - kLevel < boss_x &&
      boss_x < target.X + kLevel) {
    t = kBrakeTick;
  }
  boss_shot_cue = cue_of_tick(kFirstCues, t);
  boss_p_cnt = t + 1 >= kFirstCycle ? 0 : t + 1;
}

void walk_second_phase() {
  const int32_t t = boss_p_cnt;
  const player_data& target = boss_target_player();
  if (t % kTurnEvery == kTurnAt) {
    if (boss_x <= kLeftTurn) {
      boss_facing = kRight;
    } else if (boss_x >= kRightTurn) {
      boss_facing = kLeft;
    } else {
      boss_facing = target.X >= boss_x ? kRight : kLeft;
    }
  }
  if (t >= 0 && t <= kWalkLastTick) {
    if (boss_facing == kRight) boss_vx = kWalk;
    if (boss_facing == kLeft) boss_vx = -kWalk;
  }
  if (boss_y <= kHoldTop) boss_vy = boss_vy + kHold;
  if (boss_y >= kHoldBottom) boss_vy = boss_vy - kHold;
  boss_shot_cue = cue_of_tick(kSecondCues, t);
  boss_p_cnt = t + 1 >= kSecondCycle ? 0 : t + 1;
}

// The keyboard follows the boss's step as set for this frame, before the
// contact and the wall stop, so a wall can make it drift off until its next
// circuit puts it back.
void move_keyboard() {
  boss_anim += 1;
  if (boss_anim >= kCircuit) {
    boss_anim = 0;
    boss_part_x = boss_x - kKeyboardLeft;
    boss_part_y = boss_y;
  }
  const double angle = static_cast<double>(boss_anim) * kCircuitStep;
  const float s = static_cast<float>(std::sin(angle));
  const float c = static_cast<float>(std::cos(angle));
  boss_part_x = boss_part_x + (kKeyboardWidth * s + boss_vx);
  boss_part_y = boss_part_y + (c + boss_vy);
}

void float_and_play() {
  boss_shot_cue = 0;
  if (first_phase()) {
    walk_first_phase();
  } else {
    walk_second_phase();
  }
  add_sway(boss_p_cnt);
  move_keyboard();
}

// ---- Shots ---------------------------------------------------------------------------

// Four bullets of the note's colour at the note, each in the lowest free
// slot; the note itself ends with its effect, neither hitting nor moving.
void split(int32_t note, const int32_t (&directions)[4]) {
  for (int32_t direction : directions) {
    const int32_t i =
        launch_boss_shot(boss_shot_x[note], boss_shot_y[note], kShotPower, kBulletBox, kBulletBox);
    if (i < 0) continue;
    boss_shot_direction[i] = direction;
    boss_shot_mode[i] = kSplitBullet;
    boss_shot_kind[i] = boss_shot_kind[note] + kBulletOfNote;
  }
  boss_shot_state[note] = 0;
}

// Straight across the room: right or left only.
void step_across(int32_t i) {
  const int32_t d = boss_shot_direction[i];
  if (d == kRight) boss_shot_vx[i] = kFast;
  if (d == kLeft) boss_shot_vx[i] = -kFast;
}

void turn_at_target(int32_t i) {
  const player_data& t = boss_target_player();
  const float a = static_cast<float>(std::atan2(static_cast<double>(t.Y - boss_shot_y[i]),
                                                static_cast<double>(t.X - boss_shot_x[i])));
  boss_shot_aim_x[i] = static_cast<float>(std::cos(static_cast<double>(a)));
  boss_shot_aim_y[i] = static_cast<float>(std::sin(static_cast<double>(a)));
  boss_shot_mode[i] = kAimed;
}

bool stands(int32_t age, int32_t from, int32_t to) { return age >= from && age <= to; }

bool note_rule(int32_t i) {
  boss_shot_age[i] += 1;
  const int32_t age = boss_shot_age[i];
  const bool first = first_phase();
  switch (boss_shot_mode[i]) {
    case kNoteFlight:
      if (first && age == kFirstSplitAge) {
        split(i, kStraightCross);
      } else {
        step_shot_by_direction(i, kSlow);
      }
      break;
    case kSplitBullet:
      step_shot_by_direction(i, kSlow);
      break;
    case kCrossing:
      if (first) {
        step_across(i);
      } else if (age == kCrossingSplitAge) {
        split(i, kDiagonalCross);
      } else if (!stands(age, kCrossingHangFrom, kCrossingSplitAge)) {
        step_shot_by_direction(i, kSlow);
      }
      break;
    case kTurning:
      if (age == kTurnAge) {
        turn_at_target(i);
      } else if (!stands(age, kTurningHangFrom, kTurnAge)) {
        step_shot_by_direction(i, kSlow);
      }
      break;
    case kAimed:
      step_shot_by_aim(i, kFast);
      break;
    case kFastCrossing:
      step_across(i);
      break;
    default:
      break;
  }
  return true;
}

template <int32_t N>
void play(const Note (&notes)[N], int32_t mode, int32_t colour) {
  for (const Note& note : notes) {
    const int32_t i = launch_boss_shot(boss_x, boss_y + note.dy, kShotPower, kNoteBox, kNoteBox);
    if (i < 0) continue;
    boss_shot_direction[i] = note.direction;
    boss_shot_mode[i] = mode;
    boss_shot_kind[i] = colour == kSlotColour ? i % kColours : colour;
  }
}

void play_volley(int32_t cue) {
  if (first_phase()) {
    if (cue == 1) play(kFan, kNoteFlight, kSlotColour);
    if (cue == 2) play(kPairs, kCrossing, kSlotColour);
  } else {
    if (cue == 1) play(kRing, kCrossing, kBlue);
    if (cue == 2) play(kRing, kTurning, kRed);
    if (cue == 3) play(kPairs, kFastCrossing, kSlotColour);
  }
}

}  // namespace

void update_boss_6() { run_boss_behaviour(float_and_play, TargetKey::kManhattan); }

void update_boss_shots_6() {
  if (!move_boss_shots(note_rule, ShotBox::kOwnBox)) return;
  if (boss_shot_cue >= 1) play_volley(boss_shot_cue);
}
