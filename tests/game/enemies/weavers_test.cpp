// The weavers' base step and drift, their heading on tick 0 only, and kind
// 37's slowdown near its target.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/game/enemies/enemy_test_support.h"

namespace {

struct WeaveCase {
  int32_t kind;
  int32_t facing;
  int32_t tick;
  float vx, vy;
};

// Speeds: kinds 21, 29, 34, 43 and 53 1.0, kind 25 1.5, kind 37 3.0.
// Drifts: 0.75 (21, 43, 53), 0.5 (29, 34), 0.25 (25, 37); 0.75 of it on a
// diagonal.
const WeaveCase kWeaveCases[] = {
    {21, 0, 1, 0.75f, -1.0f},
    {21, 0, 31, -0.75f, -1.0f},
    {21, 1, 1, 1.3125f, -0.1875f},
    {21, 1, 31, 0.1875f, -1.3125f},
    {21, 2, 1, 1.0f, 0.75f},
    {21, 2, 31, 1.0f, -0.75f},
    {21, 3, 1, 0.1875f, 1.3125f},
    {21, 3, 31, 1.3125f, 0.1875f},
    {21, 4, 1, -0.75f, 1.0f},
    {21, 4, 31, 0.75f, 1.0f},
    {21, 5, 1, -1.3125f, 0.1875f},
    {21, 5, 31, -0.1875f, 1.3125f},
    {21, 6, 1, -1.0f, -0.75f},
    {21, 6, 31, -1.0f, 0.75f},
    {21, 7, 1, -0.1875f, -1.3125f},
    {21, 7, 31, -1.3125f, -0.1875f},
    {43, 1, 29, 1.3125f, -0.1875f},
    {43, 1, 30, 0.1875f, -1.3125f},
    {53, 4, 59, 0.75f, 1.0f},
    {34, 0, 1, 0.5f, -1.0f},
    {34, 3, 45, 1.125f, 0.375f},
    {29, 6, 10, -1.0f, -0.5f},
    {29, 1, 40, 0.375f, -1.125f},
    {25, 2, 1, 1.5f, 0.25f},
    {25, 5, 50, -0.9375f, 1.3125f},
    {37, 0, 1, 0.25f, -3.0f},
    {37, 7, 35, -2.4375f, -2.0625f},
    // A bee's facing left in the slot: no step and no drift.
    {21, 12, 1, 0.0f, 0.0f},
    {25, 9, 31, 0.0f, 0.0f},
};

TEST(WeaverTest, BaseStepPlusDriftByHalfOfTheCycle) {
  for (const WeaveCase& c : kWeaveCases) {
    ResetField();
    player_count = 1;
    PlacePlayer(0, 5000, 5000);  // far: kind 37 is not slowed
    enemy_data& e = PlaceEnemy(0, c.kind, 100, 100);
    e.facing = c.facing;
    e.tick = c.tick;
    RunEnemy(0);
    EXPECT_EQ(e.vx, c.vx) << "kind " << c.kind << " facing " << c.facing << " tick " << c.tick;
    EXPECT_EQ(e.vy, c.vy) << "kind " << c.kind << " facing " << c.facing << " tick " << c.tick;
    EXPECT_EQ(e.facing, c.facing) << "kind " << c.kind << ": no heading off tick 0";
  }
}

// A slide left in a component the base step does not write takes the drift.
TEST(WeaverTest, DriftAddsToASlide) {
  ResetField();
  player_count = 1;
  PlacePlayer(0, 5000, 5000);
  enemy_data& e = PlaceEnemy(0, 21, 100, 100);
  e.facing = 0;
  e.tick = 5;
  e.vx = -1.0f;
  RunEnemy(0);
  EXPECT_EQ(e.vx, -0.25f);
  EXPECT_EQ(e.vy, -1.0f);
}

struct HeadingCase {
  const char* name;
  float px, py;  // the target; the enemy stands at (100, 100) with facing 5
  int32_t facing;
};
const HeadingCase kHeadingCases[] = {
    // Tests 1 and 3 hold: the first one gives the heading.
    {"3 right and 2 up: up", 103, 98, 0},
    {"up-right", 150, 40, 1},
    {"right", 160, 100, 2},
    {"down-left", 40, 160, 5},
    {"up-left", 40, 40, 7},
    {"on the enemy: the heading stays", 100, 100, 5},
};

TEST(WeaverTest, HeadingOnTickZeroByTheFirstTestThatHolds) {
  for (const HeadingCase& c : kHeadingCases) {
    for (int32_t kind : {21, 25, 29, 34, 37, 43, 53}) {
      ResetField();
      player_count = 1;
      PlacePlayer(0, c.px, c.py);
      enemy_data& e = PlaceEnemy(0, kind, 100, 100);
      e.facing = 5;
      RunEnemy(0);
      EXPECT_EQ(e.facing, c.facing) << c.name << ", kind " << kind;
      EXPECT_EQ(e.tick, 1) << c.name << ", kind " << kind;
    }
  }
}

// Two cycles with the target moving around the enemy every frame: the
// heading changes on runs 1, 61 and 121 only, and the drift turns side on
// runs 31 and 91.
TEST(WeaverTest, CycleOverTwoPeriods) {
  ResetField();
  player_count = 1;
  PlaceEnemy(0, 21, 100, 100).facing = 6;
  const float kTargets[4][2] = {{300, 100}, {100, 300}, {-100, 100}, {100, -100}};
  std::vector<int32_t> heading_runs;
  std::vector<int32_t> side_changes;
  int32_t facing = 6;
  int32_t side = 0;
  for (int32_t run = 1; run <= 121; ++run) {
    // Right on run 1, down on run 61, left on run 121, and moving between.
    const int32_t where = ((run - 1) / 60 + run - 1) % 4;
    PlacePlayer(0, kTargets[where][0], kTargets[where][1]);
    ClearStep(0);
    RunEnemy(0);
    const enemy_data& e = enemy[0];
    if (e.facing != facing) heading_runs.push_back(run);
    facing = e.facing;
    // The drift's side: for a straight heading the component across it.
    const float across = (facing == 0 || facing == 4) ? e.vx : e.vy;
    const int32_t now = (across > 0.0f) == (facing == 0 || facing == 2) ? 1 : 2;
    if (now != side) side_changes.push_back(run);
    side = now;
    ASSERT_EQ(e.tick, run % 60) << "run " << run;
  }
  // Run 1 looks right (2), run 61 down (4), run 121 left (6).
  EXPECT_EQ(heading_runs, (std::vector<int32_t>{1, 61, 121}));
  EXPECT_EQ(side_changes, (std::vector<int32_t>{1, 31, 61, 91, 121}));
  EXPECT_EQ(enemy[0].facing, 6);
}

// ---- Kind 37 --------------------------------------------------------------------------

// The target straight above at dy with squared distance 15000 exactly, or one
// float step beyond.
constexpr float kAt15000 = 177.5255126953125f;     // 300 - y = 122.4744873046875
constexpr float kPast15000 = 177.52549743652344f;  // 300 - y = 122.47450256347656

TEST(WeaverWithSlowdownTest, FifthOfItsSpeedWithin15000) {
  const struct {
    float target_y;
    float vy;
  } kCases[] = {{kAt15000, -0.6f}, {kPast15000, -3.0f}, {250.0f, -0.6f}};
  for (const auto& c : kCases) {
    ResetField();
    player_count = 1;
    PlacePlayer(0, 200, c.target_y);
    enemy_data& e = PlaceEnemy(0, 37, 200, 300);
    RunEnemy(0);
    EXPECT_EQ(e.facing, 0) << c.target_y;
    EXPECT_EQ(e.vy, c.vy) << c.target_y;
    EXPECT_EQ(e.vx, 0.25f) << c.target_y << ": the drift is not slowed";
    EXPECT_EQ(e.aggro, 0) << c.target_y;
  }
}

// Decided every frame, while the heading waits for tick 0.
TEST(WeaverWithSlowdownTest, SlowdownDecidedEveryFrame) {
  ResetField();
  player_count = 1;
  PlacePlayer(0, 200, 100);
  enemy_data& e = PlaceEnemy(0, 37, 200, 300);
  RunEnemy(0);  // tick 0: heading up, far
  EXPECT_EQ(e.vy, -3.0f);
  PlacePlayer(0, 250, 350);  // near, behind it
  ClearStep(0);
  RunEnemy(0);
  EXPECT_EQ(e.facing, 0);
  EXPECT_EQ(e.vy, -0.6f);
  PlacePlayer(0, 200, 100);
  ClearStep(0);
  RunEnemy(0);
  EXPECT_EQ(e.vy, -3.0f);
}

}  // namespace
