// Shooters that keep their target at range: within squared distance 8192 they
// back away, up to 20000 they stand, face the target and shoot every 90
// frames, and beyond that they walk in.
#include "game/enemies/behaviour_common.h"
#include "game/enemies/enemy_kinds.h"
#include "game/world/world.h"

namespace {

constexpr float kRetreatWithin = 8192.0f;
constexpr float kStandWithin = 20000.0f;

// The stand's shot cycle: the request on its 10th frame, the count back to 0
// at 90.
constexpr int32_t kShotTick = 10;
constexpr int32_t kCycleEnd = 90;

// A member's differences.
struct RangeKeeperKind {
  DownedPlayers downed;
  bool cycle_ends_only_at_90;  // kind 8 tests tick == 90, the others tick >= 90
};
constexpr RangeKeeperKind kKeepsDowned = {kDownedKept, false};  // 22, 51
constexpr RangeKeeperKind kKind8 = {kDownedKeyed9999, true};

// The eight approach tests toward the target, each that holds stepping the
// opposite way and overwriting what an earlier one wrote.
void retreat(enemy_data& e, const player_data& t) {
  for (int32_t direction = 0; direction < 8; ++direction) {
    if (!direction_test_holds(e, t.X, t.Y, direction)) continue;
    const int32_t away = (direction + 4) % 8;
    step_along(e, away, e.speed);
    e.facing = away;
  }
}

void stand_and_shoot(enemy_data& e, const player_data& t, const RangeKeeperKind& member) {
  e.vx = 0.0f;
  e.vy = 0.0f;
  e.tick = e.tick + 1;
  // Raised before the facing tests: the shot leaves along the facing they set.
  if (e.tick == kShotTick) e.shot_request = 1;
  const bool cycle_ends = member.cycle_ends_only_at_90 ? e.tick == kCycleEnd : e.tick >= kCycleEnd;
  if (cycle_ends) e.tick = 0;
  // Each test that holds sets only the facing; the last one wins.
  for (int32_t direction = 0; direction < 8; ++direction) {
    if (direction_test_holds(e, t.X, t.Y, direction)) e.facing = direction;
  }
}

void run_range_keeper(int32_t slot, const RangeKeeperKind& member) {
  enemy_data& e = enemy[slot];
  // With downed players as candidates, a downed target is dropped and taken
  // again on every frame.
  choose_target(e, member.downed);
  const player_data& t = player[e.target];
  const float d2 = squared_distance_to_target(e);
  if (d2 <= kRetreatWithin) {
    e.tick = 0;
    retreat(e, t);
  } else if (d2 <= kStandWithin) {
    stand_and_shoot(e, t, member);
  } else {
    e.tick = 0;
    approach_target(e);
  }
}

}  // namespace

void update_enemy_kind_22(int32_t slot) { run_range_keeper(slot, kKeepsDowned); }
void update_enemy_kind_51(int32_t slot) { run_range_keeper(slot, kKeepsDowned); }
void update_enemy_kind_08(int32_t slot) { run_range_keeper(slot, kKind8); }
