// Enemies that hold a heading between decisions: the wanderer (kind 4), the
// axis walkers (6, 26), the shy charger (31) and the sidestepper (7).
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/game/enemies/enemy_test_support.h"

namespace {

// Headings and their steps at speed s: straight s, diagonal 0.75 s.
struct Heading {
  float x, y;
};
constexpr Heading kHeadings[8] = {{0, -1}, {0.75f, -0.75f}, {1, 0},  {0.75f, 0.75f},
                                  {0, 1},  {-0.75f, 0.75f}, {-1, 0}, {-0.75f, -0.75f}};

// ---- Wanderer ------------------------------------------------------------------------------

constexpr int32_t kWanderer = 4;

// Two cycles far from the target: a draw with bound 7 on runs 1 and 61, the
// heading held in between.
TEST(WandererTest, DrawsAHeadingEvery60Runs) {
  ResetField();
  player_count = 1;
  PlacePlayer(0, 1000, 1000);
  PlaceEnemy(0, kWanderer, 100, 100);
  api_fake().random_values = {3, 6};
  std::vector<int32_t> draw_runs;
  for (int32_t run = 1; run <= 120; ++run) {
    const size_t draws = api_fake().Calls("ApiGetRandom").size();
    ClearStep(0);
    RunEnemy(0);
    if (api_fake().Calls("ApiGetRandom").size() != draws) draw_runs.push_back(run);
    const int32_t heading = run <= 60 ? 3 : 6;
    ASSERT_EQ(enemy[0].facing, heading) << "run " << run;
    ASSERT_EQ(enemy[0].vx, 0.5f * kHeadings[heading].x) << "run " << run;
    ASSERT_EQ(enemy[0].vy, 0.5f * kHeadings[heading].y) << "run " << run;
    ASSERT_EQ(enemy[0].tick, run % 60) << "run " << run;
  }
  EXPECT_EQ(draw_runs, (std::vector<int32_t>{1, 61}));
  EXPECT_EQ(RandomBounds(), (std::vector<int64_t>{7, 7}));
}

// Squared distance 5000 (50 and 50): the chase from this frame on, no draw.
TEST(WandererTest, ChasesForGoodFrom5000) {
  ResetField();
  player_count = 1;
  PlacePlayer(0, 200, 200);
  PlaceEnemy(0, kWanderer, 250, 250);
  RunEnemy(0);
  EXPECT_EQ(enemy[0].aggro, 1);
  EXPECT_EQ(enemy[0].facing, 7);
  EXPECT_EQ(enemy[0].vx, -0.375f);
  EXPECT_EQ(enemy[0].vy, -0.375f);
  // Far again, past tick 1 of the next cycle: still chasing, never drawing.
  PlacePlayer(0, 250, 900);
  for (int32_t run = 2; run <= 70; ++run) {
    ClearStep(0);
    RunEnemy(0);
  }
  EXPECT_EQ(enemy[0].facing, 4);
  EXPECT_EQ(enemy[0].vy, 0.5f);
  EXPECT_TRUE(RandomBounds().empty());
}

// ---- Axis walkers ------------------------------------------------------------------------

// Two cycles with the target up and to the right: right on runs 1 to 60, up
// on runs 61 to 120, and again.
TEST(AxisWalkerTest, AcrossThenUpOrDownEvery60Runs) {
  for (int32_t kind : {6, 26}) {
    ResetField();
    player_count = 1;
    PlacePlayer(0, 500, 50);
    PlaceEnemy(0, kind, 100, 100).facing = 5;
    for (int32_t run = 1; run <= 240; ++run) {
      ClearStep(0);
      RunEnemy(0);
      const bool across = (run - 1) % 120 < 60;
      ASSERT_EQ(enemy[0].facing, across ? 2 : 0) << "kind " << kind << " run " << run;
      ASSERT_EQ(enemy[0].vx, across ? 0.25f : 0.0f) << "kind " << kind << " run " << run;
      ASSERT_EQ(enemy[0].vy, across ? 0.0f : -0.25f) << "kind " << kind << " run " << run;
      ASSERT_EQ(enemy[0].tick, run % 120) << "kind " << kind << " run " << run;
    }
  }
}

struct AxisCase {
  const char* name;
  float px, py;  // the enemy stands at (100, 100)
  int32_t start_tick;
  int32_t facing;
};
const AxisCase kAxisCases[] = {
    {"level across on tick 1: right", 100, 300, 0, 2},
    {"target left on tick 1", 99.9f, 300, 0, 6},
    {"level up and down on tick 61: up", 300, 100, 60, 0},
    {"target below on tick 61", 300, 100.1f, 60, 4},
};

TEST(AxisWalkerTest, TurnsOnTicks1And61) {
  for (const AxisCase& c : kAxisCases) {
    ResetField();
    player_count = 1;
    PlacePlayer(0, c.px, c.py);
    PlaceEnemy(0, 26, 100, 100).tick = c.start_tick;
    RunEnemy(0);
    EXPECT_EQ(enemy[0].facing, c.facing) << c.name;
  }
}

TEST(AxisWalkerTest, ADiagonalHeadingWritesNoStep) {
  ResetField();
  player_count = 1;
  PlacePlayer(0, 500, 500);
  enemy_data& e = PlaceEnemy(0, 6, 100, 100);
  e.facing = 3;  // left in the slot by an earlier enemy
  e.tick = 5;
  e.vx = 1.0f;
  RunEnemy(0);
  EXPECT_EQ(e.facing, 3);
  EXPECT_EQ(e.vx, 1.0f);
  EXPECT_EQ(e.vy, 0.0f);
}

// ---- Shy charger and sidestepper: ahead of the target ------------------------------------

struct AheadCase {
  int32_t target_facing;
  float ex, ey;  // the target stands at (200, 200)
  bool ahead;
};
// Strictly beyond the line through the target across its facing; on the
// line is not ahead.
const AheadCase kAheadCases[] = {
    {0, 200, 150, true},  {0, 200, 250, false}, {0, 150, 200, false}, {1, 250, 200, true},
    {1, 200, 250, false}, {1, 250, 250, false}, {2, 250, 200, true},  {2, 150, 200, false},
    {2, 200, 150, false}, {3, 250, 200, true},  {3, 150, 200, false}, {3, 250, 150, false},
    {4, 200, 250, true},  {4, 200, 150, false}, {4, 150, 200, false}, {5, 200, 250, true},
    {5, 250, 200, false}, {5, 250, 250, false}, {6, 150, 200, true},  {6, 250, 200, false},
    {6, 200, 250, false}, {7, 150, 200, true},  {7, 250, 200, false}, {7, 150, 250, false},
};

constexpr int32_t kShyCharger = 31;
constexpr int32_t kSidestepper = 7;

// Ahead: it turns to the target's facing and runs along it at its speed;
// otherwise it charges with the step doubled.
TEST(ShyChargerTest, RunsAlongTheTargetsFacingWhenAheadElseCharges) {
  for (const AheadCase& c : kAheadCases) {
    ResetField();
    player_count = 1;
    PlacePlayer(0, 200, 200, 1, c.target_facing);
    enemy_data& e = PlaceEnemy(0, kShyCharger, c.ex, c.ey);
    e.facing = 0;
    e.aggro = 1;  // cleared by the decision
    RunEnemy(0);
    EXPECT_EQ(e.aggro, c.ahead ? 0 : 1)
        << "facing " << c.target_facing << " at " << c.ex << ", " << c.ey;
    if (c.ahead) {
      EXPECT_EQ(e.facing, c.target_facing);
      EXPECT_EQ(e.vx, 1.25f * kHeadings[c.target_facing].x);
      EXPECT_EQ(e.vy, 1.25f * kHeadings[c.target_facing].y);
    }
    EXPECT_EQ(e.tick, 1);
  }
}

TEST(ShyChargerTest, DoubledCharge) {
  const struct {
    float px, py;  // the enemy stands at (200, 200), level with a target facing up
    int32_t facing;
    float vx, vy;
  } kCases[] = {{300, 200, 2, 2.5f, 0.0f}, {100, 200, 6, -2.5f, 0.0f}};
  for (const auto& c : kCases) {
    ResetField();
    player_count = 1;
    PlacePlayer(0, c.px, c.py, 1, 0);
    enemy_data& e = PlaceEnemy(0, kShyCharger, 200, 200);
    RunEnemy(0);
    EXPECT_EQ(e.aggro, 1);
    EXPECT_EQ(e.facing, c.facing);
    EXPECT_EQ(e.vx, c.vx);
    EXPECT_EQ(e.vy, c.vy);
  }
  // A diagonal charge: 1.5 x 1.25 on both axes, re-aimed every frame.
  ResetField();
  player_count = 1;
  PlacePlayer(0, 100, 100, 1, 4);  // facing down, the enemy behind it
  enemy_data& e = PlaceEnemy(0, kShyCharger, 200, 50);
  RunEnemy(0);
  EXPECT_EQ(e.facing, 5);
  EXPECT_EQ(e.vx, -1.875f);
  EXPECT_EQ(e.vy, 1.875f);
  PlacePlayer(0, 300, 100, 1, 0);  // turned; no decision before tick 0
  ClearStep(0);
  RunEnemy(0);
  EXPECT_EQ(e.aggro, 1);
  EXPECT_EQ(e.facing, 3);
  EXPECT_EQ(e.vx, 1.875f);
  EXPECT_EQ(e.vy, 1.875f);
}

// Decisions on runs 1, 11, 21: between them it keeps running up even when the
// target turns so the enemy is behind it.
TEST(ShyChargerTest, DecidesEveryTenRuns) {
  ResetField();
  player_count = 1;
  PlacePlayer(0, 200, 400, 1, 0);
  PlaceEnemy(0, kShyCharger, 200, 200);
  for (int32_t run = 1; run <= 21; ++run) {
    if (run == 2) player[0].facing = 4;
    ClearStep(0);
    RunEnemy(0);
    const bool running = run <= 10;
    ASSERT_EQ(enemy[0].aggro, running ? 0 : 1) << "run " << run;
    // Charging straight down at the target below.
    ASSERT_EQ(enemy[0].facing, running ? 0 : 4) << "run " << run;
    ASSERT_EQ(enemy[0].vy, running ? -1.25f : 2.5f) << "run " << run;
    ASSERT_EQ(enemy[0].tick, run % 10) << "run " << run;
  }
}

// The sidestepper's heading across the target's facing by the draw.
const int32_t kAcross[8][2] = {{2, 6}, {3, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}, {0, 4}, {1, 5}};

TEST(SidestepperTest, AheadDrawsASideAcrossTheTargetsFacing) {
  for (const AheadCase& c : kAheadCases) {
    for (int32_t draw : {0, 1}) {
      ResetField();
      player_count = 1;
      PlacePlayer(0, 200, 200, 1, c.target_facing);
      enemy_data& e = PlaceEnemy(0, kSidestepper, c.ex, c.ey);
      e.facing = 4;
      e.aggro = 1;  // cleared by the decision
      api_fake().random_values = {draw};
      RunEnemy(0);
      const char* where = c.ahead ? "ahead" : "not ahead";
      EXPECT_EQ(e.aggro, c.ahead ? 0 : 1) << "facing " << c.target_facing << " " << where;
      if (c.ahead) {
        const int32_t heading = kAcross[c.target_facing][draw];
        EXPECT_EQ(RandomBounds(), std::vector<int64_t>{1});
        EXPECT_EQ(e.facing, heading) << "facing " << c.target_facing << " draw " << draw;
        EXPECT_EQ(e.vx, kHeadings[heading].x) << "facing " << c.target_facing;
        EXPECT_EQ(e.vy, kHeadings[heading].y) << "facing " << c.target_facing;
      } else {
        EXPECT_TRUE(RandomBounds().empty()) << "facing " << c.target_facing;
      }
    }
  }
}

// A target facing up below it: sideways at 1.0 for 60 runs, away from the
// line of sight too, deciding again on run 61.
TEST(SidestepperTest, HoldsItsDecisionFor60Runs) {
  ResetField();
  player_count = 1;
  PlacePlayer(0, 200, 400, 1, 0);
  PlaceEnemy(0, kSidestepper, 200, 200);
  api_fake().random_values = {1};
  for (int32_t run = 1; run <= 61; ++run) {
    if (run == 2) player[0].facing = 4;  // now facing away: the enemy is behind it
    ClearStep(0);
    RunEnemy(0);
    if (run <= 60) {
      ASSERT_EQ(enemy[0].facing, 6) << "run " << run;
      ASSERT_EQ(enemy[0].vx, -1.0f) << "run " << run;
      ASSERT_EQ(enemy[0].aggro, 0) << "run " << run;
    }
    ASSERT_EQ(enemy[0].tick, run % 60) << "run " << run;
  }
  // Run 61: behind, so it chases, not doubled.
  EXPECT_EQ(enemy[0].aggro, 1);
  EXPECT_EQ(enemy[0].facing, 4);
  EXPECT_EQ(enemy[0].vy, 1.0f);
  EXPECT_EQ(RandomBounds(), std::vector<int64_t>{1});
}

// Level with a target facing up: it chases for the whole cycle, even when the
// target turns toward it.
TEST(SidestepperTest, LevelWithTheTargetChasesForTheCycle) {
  ResetField();
  player_count = 1;
  PlacePlayer(0, 400, 200, 1, 0);
  PlaceEnemy(0, kSidestepper, 200, 200);
  for (int32_t run = 1; run <= 60; ++run) {
    if (run == 2) player[0].facing = 6;  // looking at the enemy
    ClearStep(0);
    RunEnemy(0);
    ASSERT_EQ(enemy[0].aggro, 1) << "run " << run;
    ASSERT_EQ(enemy[0].facing, 2) << "run " << run;
    ASSERT_EQ(enemy[0].vx, 1.0f) << "run " << run;
  }
  EXPECT_TRUE(RandomBounds().empty());
}

}  // namespace
