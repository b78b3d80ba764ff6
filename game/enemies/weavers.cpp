// The weaver: it picks a heading toward its target every 60 frames and
// swings from side to side while it holds it, drifting to its right for 30
// frames and to its left for 30. Kind 37 slows its step along the heading to a
// fifth while it is near its target.
#include "game/enemies/behaviour_common.h"
#include "game/enemies/enemy_kinds.h"
#include "game/world/world.h"

namespace {

// A member's constants: the drift on a straight heading and on each axis of a
// diagonal one (0.75 of it), whatever the speed, and the target choice.
struct WeaverKind {
  float drift;
  float diagonal_drift;
  DownedPlayers downed;
};
constexpr WeaverKind kWideDrift = {0.75f, 0.5625f, kDownedKeyed9999};          // 21, 43, 53
constexpr WeaverKind kMiddleDrift = {0.5f, 0.375f, kDownedKeyed9999};          // 34
constexpr WeaverKind kMiddleDriftKeepsDowned = {0.5f, 0.375f, kDownedKept};    // 29
constexpr WeaverKind kNarrowDriftKeepsDowned = {0.25f, 0.1875f, kDownedKept};  // 25, 37

constexpr int32_t kLastTick = 59;
constexpr int32_t kLastRightDriftTick = 29;
constexpr float kSlowWithin = 15000.0f;  // squared distance at which kind 37 slows
constexpr float kSlowDivisor = 5.0f;

// `slows`: kind 37's base step at a fifth of its speed while near the target.
void run_weaver(int32_t slot, const WeaverKind& member, bool slows) {
  enemy_data& e = enemy[slot];
  choose_target(e, member.downed);
  // The tick is read before it is counted: the heading is chosen on tick 0.
  if (e.tick == 0) {
    const player_data& t = player[e.target];
    first_match_heading(e, t.X, t.Y);
  }
  float v = e.speed;
  if (slows && squared_distance_to_target(e) <= kSlowWithin) v = e.speed / kSlowDivisor;
  step_along(e, e.facing, v);
  // The drift is 90 degrees clockwise of the heading for ticks 0 to 29, the
  // other way for 30 to 59. A facing outside 0 to 7, left in the slot by an
  // earlier enemy and kept when no test held, neither steps nor drifts.
  const int32_t side = e.tick <= kLastRightDriftTick ? 2 : 6;
  if (e.facing >= 0 && e.facing <= 7) {
    add_step(e, (e.facing + side) % 8, member.drift, member.diagonal_drift);
  }
  count_tick_up_to(e, kLastTick);
}

}  // namespace

void update_enemy_kind_21(int32_t slot) { run_weaver(slot, kWideDrift, false); }
void update_enemy_kind_43(int32_t slot) { run_weaver(slot, kWideDrift, false); }
void update_enemy_kind_53(int32_t slot) { run_weaver(slot, kWideDrift, false); }
void update_enemy_kind_34(int32_t slot) { run_weaver(slot, kMiddleDrift, false); }
void update_enemy_kind_29(int32_t slot) { run_weaver(slot, kMiddleDriftKeepsDowned, false); }
void update_enemy_kind_25(int32_t slot) { run_weaver(slot, kNarrowDriftKeepsDowned, false); }

// The weaver with slowdown; its aggro is left alone.
void update_enemy_kind_37(int32_t slot) { run_weaver(slot, kNarrowDriftKeepsDowned, true); }
