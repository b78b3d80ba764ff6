// Pieces of movement that several bosses share: the eight tests of where a
// point lies seen from the boss, the steps along a facing, and the walking
// animation.
#pragma once

#include <cstdint>

// True when a and b, each truncated toward zero, lie 10 px apart or less.
bool in_band(float a, float b);

// True when the test of `direction` (0 to 7, clockwise from up) holds for the
// point (tx, ty) seen from the boss: a straight direction needs the point in
// a band of 10 px (on truncated coordinates) and beyond the boss, a diagonal
// needs it more than 10 px beyond the boss on both axes.
bool boss_direction_test(int32_t direction, float tx, float ty);
// The first direction whose test holds, or -1 when none does (the point is
// on the boss).
int32_t first_direction_toward(float tx, float ty);
// boss_facing := the first direction toward the point; kept when none holds.
void face_toward(float tx, float ty);

// Sets the boss's step along `facing`: `straight` on the one axis of a
// straight facing (the other component keeps what it holds), `diagonal` on
// both axes of a diagonal one. A facing outside 0 to 7 sets nothing.
void set_boss_step(int32_t facing, float straight, float diagonal);

// On a frame with a step, boss_anim counts on through 0 to 63.
void advance_walk_anim();

// ---- Cue schedules -----------------------------------------------------------------

// One cue of a schedule: the tick it comes at and its value.
struct CueTick {
  int32_t tick;
  int32_t cue;
};
// The cue of `tick` in a schedule, 0 when it lists none.
int32_t cue_of_tick(const CueTick* schedule, int32_t count, int32_t tick);
template <int32_t N>
int32_t cue_of_tick(const CueTick (&schedule)[N], int32_t tick) {
  return cue_of_tick(schedule, N, tick);
}

// A run of evenly spaced cues numbered from `first_cue`: cue first_cue + k
// at tick first_tick + spacing * k, for k = 0 to count - 1.
struct CueSeries {
  int32_t first_tick;
  int32_t spacing;
  int32_t count;
  int32_t first_cue;
};
// The cue of `tick` in the series, 0 when it holds none.
int32_t cue_in_series(const CueSeries& series, int32_t tick);

// ---- The float of bosses 6 and 8 -------------------------------------------------------

// Adds the sway of tick t to boss_vy: over each hundred ticks the boss rises
// 13 px and sinks 13 px.
void add_sway(int32_t t);
