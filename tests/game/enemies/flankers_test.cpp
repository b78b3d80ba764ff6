// The flank points of the one-sided flankers, the flankers and the flanking
// shooter, their switch to the target at squared distance 8192, and the
// flanking shooter's sidestep, first-match step and request cycle.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/game/enemies/enemy_test_support.h"

namespace {

constexpr float kTargetX = 200.0f;
constexpr float kTargetY = 200.0f;

struct AimCase {
  const char* name;
  int32_t kind;
  int32_t slot;
  int32_t target_facing;
  float aim_x, aim_y;  // where the enemy heads while not aggro
};

const AimCase kAimCases[] = {
    {"kind 2, even table in an even slot", 2, 0, 0, 260, 140},
    {"kind 2, even table in an odd slot", 2, 1, 0, 260, 140},
    {"kind 3, odd table in an even slot", 3, 0, 0, 140, 140},
    {"kind 3, odd table in an odd slot", 3, 1, 0, 140, 140},
    {"kind 27, odd table in an even slot", 27, 2, 0, 140, 140},
    {"kind 2, target facing down-left", 2, 3, 5, 140, 200},
    {"kind 3, target facing down-right", 3, 2, 3, 200, 260},
    {"kind 23 in slot 4, target facing right", 23, 4, 2, 260, 260},
    {"kind 23 in slot 5, target facing right", 23, 5, 2, 260, 140},
    {"kind 23 in slot 4, target facing down", 23, 4, 4, 140, 260},
    {"kind 23 in slot 5, target facing down", 23, 5, 4, 260, 260},
    {"kind 47 in slot 6, target facing up-left", 47, 6, 7, 200, 140},
    {"kind 47 in slot 7, target facing left", 47, 7, 6, 140, 260},
    {"kind 47 in slot 7, target facing up-right", 47, 7, 1, 140, 200},
    {"kind 32 in slot 0, target facing up-right", 32, 0, 1, 200, 285},
    {"kind 32 in slot 1, target facing down-right", 32, 1, 3, 200, 115},
    {"kind 32 in slot 8, target facing left", 32, 8, 6, 140, 140},
    {"kind 32 in slot 9, target facing up-left", 32, 9, 7, 200, 285},
};

// One run with the enemy placed at (x, y) relative to nothing but the target.
enemy_data& RunFrom(const AimCase& c, float x, float y) {
  ResetField();
  player_count = 1;
  PlacePlayer(0, kTargetX, kTargetY, 1, c.target_facing);
  enemy_data& e = PlaceEnemy(c.slot, c.kind, x, y);
  RunEnemy(c.slot);
  return e;
}

// 200 px below the aim point the enemy steps straight up, 200 px right of it
// straight left: together they pin the aim point within the 10-px bands.
TEST(FlankerTest, HeadsForTheFlankPointWhileNotAggro) {
  for (const AimCase& c : kAimCases) {
    const float speed = kSpawnSpeed[c.kind];
    enemy_data& below = RunFrom(c, c.aim_x, c.aim_y + 200);
    EXPECT_EQ(below.facing, 0) << c.name;
    EXPECT_EQ(below.vx, 0.0f) << c.name;
    EXPECT_EQ(below.vy, -speed) << c.name;
    EXPECT_EQ(below.aggro, 0) << c.name;
    enemy_data& right = RunFrom(c, c.aim_x + 200, c.aim_y);
    EXPECT_EQ(right.facing, 6) << c.name;
    EXPECT_EQ(right.vx, -speed) << c.name;
    EXPECT_EQ(right.vy, 0.0f) << c.name;
  }
}

// The flank point moves with the target and jumps when it turns.
TEST(FlankerTest, FlankPointFollowsTheTargetsFacingEveryFrame) {
  ResetField();
  player_count = 1;
  PlacePlayer(0, kTargetX, kTargetY, 1, 2);
  PlaceEnemy(4, 23, 260, 460);  // below (260, 260), the point for facing 2
  PlaceEnemy(5, 23, 460, 140);  // right of (260, 140)
  RunEnemy(4);
  RunEnemy(5);
  EXPECT_EQ(enemy[4].facing, 0);
  EXPECT_EQ(enemy[5].facing, 6);
  player[0].facing = 4;  // now (140, 260) and (260, 260)
  for (int32_t slot : {4, 5}) {
    ClearStep(slot);
    RunEnemy(slot);
  }
  EXPECT_EQ(enemy[4].facing, 7);  // (260, 460) to (140, 260): up-left
  EXPECT_EQ(enemy[5].facing, 5);  // (460, 140) to (260, 260): down-left
}

struct AggroCase {
  int32_t kind;
  float threshold_offset;  // the enemy at the target plus this on both axes
  float dy;                // added to the enemy's y
  int32_t aggro;
};
// 64^2 + 64^2 = 8192 exactly, 50^2 + 50^2 = 5000 exactly.
const AggroCase kAggroCases[] = {
    {2, 64, 0, 1},  {2, 64, 0.01f, 0},  {3, 64, 0, 1},  {3, 64, 0.01f, 0},
    {27, 64, 0, 1}, {27, 64, 0.01f, 0}, {23, 64, 0, 1}, {23, 64, 0.01f, 0},
    {47, 64, 0, 1}, {47, 64, 0.01f, 0}, {32, 64, 0, 1}, {32, 64, 0.01f, 0},
    {4, 50, 0, 1},  {4, 50, 0.01f, 0},
};

TEST(FlankerTest, AggroAtTheThresholdAndAtTheTargetFromThen) {
  for (const AggroCase& c : kAggroCases) {
    ResetField();
    player_count = 1;
    PlacePlayer(0, kTargetX, kTargetY, 1, 0);
    enemy_data& e =
        PlaceEnemy(0, c.kind, kTargetX + c.threshold_offset, kTargetY + c.threshold_offset + c.dy);
    RunEnemy(0);
    EXPECT_EQ(e.aggro, c.aggro) << "kind " << c.kind << " dy " << c.dy;
    if (c.aggro == 1) {
      // At the target itself: up-left.
      EXPECT_EQ(e.facing, 7) << "kind " << c.kind;
      EXPECT_EQ(e.vx, -(kSpawnSpeed[c.kind] * 0.75f)) << "kind " << c.kind;
      EXPECT_EQ(e.vy, -(kSpawnSpeed[c.kind] * 0.75f)) << "kind " << c.kind;
    }
  }
}

// Once aggro, for good: far from the target, and after the target changed.
TEST(FlankerTest, AggroStaysAfterATargetChange) {
  for (int32_t kind : {2, 3, 23, 27, 32, 47}) {
    ResetField();
    player_count = 2;
    PlacePlayer(0, 5000, 200, 0, 0);  // the old target, now down and far
    PlacePlayer(1, 200, 500, 1, 0);
    enemy_data& e = PlaceEnemy(0, kind, 200, 200);
    e.target = 0;
    e.aggro = 1;
    RunEnemy(0);
    EXPECT_EQ(e.target, 1) << "kind " << kind;
    EXPECT_EQ(e.aggro, 1) << "kind " << kind;
    EXPECT_EQ(e.facing, 4) << "kind " << kind << ": straight at player 1";
  }
}

// ---- The flanking shooter --------------------------------------------------------------

struct SidestepCase {
  const char* name;
  float ex, ey;  // the target stands at (200, 200), facing up
  bool sidesteps;
  int32_t facing;  // of the sidestep, or of the first-match step toward (260, 140)
};
const SidestepCase kSidestepCases[] = {
    {"on the down-right diagonal", 350, 350, true, 6},
    {"on the down-left diagonal", 50, 350, true, 2},
    {"on the up-right diagonal", 350, 50, true, 6},
    {"39 off the down-right diagonal", 350, 311, true, 6},
    {"40 off the down-right diagonal", 350, 310, false, 7},
    {"39 off the down-left diagonal", 50, 311, true, 2},
    {"40 off the down-left diagonal", 50, 310, false, 1},
};

TEST(FlankingShooterTest, SidestepsOffEitherDiagonalWhileNotAggro) {
  for (const SidestepCase& c : kSidestepCases) {
    ResetField();
    player_count = 1;
    PlacePlayer(0, 200, 200, 1, 0);
    enemy_data& e = PlaceEnemy(0, 32, c.ex, c.ey);
    e.vy = 1.0f;  // a corner slide: a sidestep leaves vy alone
    RunEnemy(0);
    EXPECT_EQ(e.facing, c.facing) << c.name;
    if (c.sidesteps) {
      EXPECT_EQ(e.vx, c.facing == 2 ? 1.0f : -1.0f) << c.name;
      EXPECT_EQ(e.vy, 1.0f) << c.name;
    } else {
      EXPECT_EQ(e.vx, c.facing == 1 ? 0.75f : -0.75f) << c.name;
      EXPECT_EQ(e.vy, -0.75f) << c.name;
    }
  }
}

// Aggro: no sidestep, even on the diagonal; the step of the first test only.
TEST(FlankingShooterTest, FirstMatchStepOnceAggro) {
  ResetField();
  player_count = 1;
  PlacePlayer(0, 10.6f, 80.0f, 1, 0);
  // Tests 1 and 2 both hold: truncated 10 across, and 0.5 + 10 < 10.6.
  enemy_data& e = PlaceEnemy(0, 32, 0.5f, 100.0f);
  RunEnemy(0);
  EXPECT_EQ(e.aggro, 1);
  EXPECT_EQ(e.facing, 0);
  EXPECT_EQ(e.vx, 0.0f);
  EXPECT_EQ(e.vy, -1.0f);

  // Within the band on both axes: only the vertical test steps.
  ResetField();
  player_count = 1;
  PlacePlayer(0, 103.0f, 98.0f, 1, 0);
  enemy_data& f = PlaceEnemy(0, 32, 100.0f, 100.0f);
  RunEnemy(0);
  EXPECT_EQ(f.facing, 0);
  EXPECT_EQ(f.vx, 0.0f);
  EXPECT_EQ(f.vy, -1.0f);
}

TEST(FlankingShooterTest, RequestsOnRuns61And181WhateverItDoes) {
  // Sidestepping on a diagonal, and walking at its flank point.
  const struct { float ex, ey; } kStarts[] = {{400, 400}, {200, 600}};
  for (const auto& start : kStarts) {
    ResetField();
    player_count = 1;
    PlacePlayer(0, 200, 200, 1, 0);
    PlaceEnemy(0, 32, start.ex, start.ey);
    std::vector<int32_t> requests;
    for (int32_t run = 1; run <= 240; ++run) {
      ClearStep(0);
      enemy[0].shot_request = 0;
      RunEnemy(0);
      if (enemy[0].shot_request == 1) requests.push_back(run);
      ASSERT_EQ(enemy[0].tick, run % 120) << "run " << run;
    }
    EXPECT_EQ(requests, (std::vector<int32_t>{61, 181})) << start.ex << ", " << start.ey;
    EXPECT_EQ(enemy[0].aggro, 0);
  }
}

}  // namespace
