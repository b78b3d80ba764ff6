// The resting chaser's walking and standing runs, and the death enemy's jolt.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/game/enemies/enemy_test_support.h"

namespace {

// ---- Resting chasers and pausing shooters ---------------------------------------------

struct RestingKind {
  int32_t kind;
  bool shoots;
};
const RestingKind kRestingKinds[] = {{0, false},  {9, false},  {24, false}, {33, false},
                                     {41, false}, {45, false}, {49, false}, {5, true},
                                     {36, true},  {40, true}};

// Runs 1 to 480 (two cycles) with the target to the right; the runs on which
// the enemy stood (wrote no step) and the runs that raised a shot request.
struct CycleRecord {
  std::vector<int32_t> standing;
  std::vector<int32_t> requests;
  std::vector<int32_t> ticks;  // after each run
};

CycleRecord RunTwoRestCycles(int32_t kind) {
  ResetField();
  player_count = 1;
  PlacePlayer(0, 300, 100);
  PlaceEnemy(0, kind, 100, 100);
  CycleRecord record;
  for (int32_t run = 1; run <= 480; ++run) {
    ClearStep(0);
    enemy[0].shot_request = 0;  // as the enemy-shot update does when it fires
    RunEnemy(0);
    if (enemy[0].vx == 0.0f) record.standing.push_back(run);
    if (enemy[0].shot_request == 1) record.requests.push_back(run);
    record.ticks.push_back(enemy[0].tick);
  }
  return record;
}

std::vector<int32_t> Runs(int32_t first, int32_t last) {
  std::vector<int32_t> runs;
  for (int32_t run = first; run <= last; ++run) runs.push_back(run);
  return runs;
}

TEST(RestingChaserTest, WalksOnRunsOneTo179AndStandsOn180To239) {
  std::vector<int32_t> standing = Runs(180, 239);
  for (int32_t run : Runs(420, 479)) standing.push_back(run);
  for (const RestingKind& k : kRestingKinds) {
    const CycleRecord record = RunTwoRestCycles(k.kind);
    EXPECT_EQ(record.standing, standing) << "kind " << k.kind;
    EXPECT_EQ(record.ticks[0], 1) << "kind " << k.kind;
    EXPECT_EQ(record.ticks[238], 239) << "kind " << k.kind;
    EXPECT_EQ(record.ticks[239], 0) << "kind " << k.kind << ": run 240 wraps";
    EXPECT_EQ(record.ticks[479], 0) << "kind " << k.kind;
    const std::vector<int32_t> requests =
        k.shoots ? std::vector<int32_t>{120, 360} : std::vector<int32_t>{};
    EXPECT_EQ(record.requests, requests) << "kind " << k.kind;
    EXPECT_TRUE(api_fake().Calls("ApiGetRandom").empty()) << "kind " << k.kind;
  }
}

TEST(RestingChaserTest, KeepsADownedTargetWhileStanding) {
  for (const RestingKind& k : kRestingKinds) {
    ResetField();
    player_count = 2;
    PlacePlayer(0, 150, 100);
    PlacePlayer(1, 400, 100);
    PlaceEnemy(0, k.kind, 100, 100).tick = 179;  // the next run rests
    enemy[0].target = 0;
    enemy[0].facing = 2;
    player[0].alive = 0;
    for (int32_t run = 180; run <= 239; ++run) {
      enemy[0].vy = 1.0f;  // a corner slide left by the wall stop stays
      RunEnemy(0);
      ASSERT_EQ(enemy[0].target, 0) << "kind " << k.kind << " run " << run;
      ASSERT_EQ(enemy[0].vx, 0.0f) << "kind " << k.kind << " run " << run;
      ASSERT_EQ(enemy[0].vy, 1.0f) << "kind " << k.kind << " run " << run;
      ASSERT_EQ(enemy[0].facing, 2) << "kind " << k.kind << " run " << run;
      ASSERT_EQ(enemy[0].shot_request, 0) << "kind " << k.kind << " run " << run;
    }
    ClearStep(0);
    RunEnemy(0);  // tick 0: walking again, the downed target dropped
    // Kind 24 keeps downed players as candidates and takes the nearer one again.
    EXPECT_EQ(enemy[0].target, k.kind == 24 ? 0 : 1) << "kind " << k.kind;
    EXPECT_GT(enemy[0].vx, 0.0f) << "kind " << k.kind;
  }
}

// ---- Death enemy ---------------------------------------------------------------------

constexpr int32_t kDeath = 19;

// The jolt by the drawn direction.
struct JoltCase {
  int32_t draw;
  float x, y;
};
const JoltCase kJolts[] = {{0, 0.0f, -1.0f},  {1, 0.75f, -0.75f}, {2, 1.0f, 0.0f},
                           {3, 0.75f, 0.75f}, {4, 0.0f, 1.0f},    {5, -0.75f, 0.75f},
                           {6, -1.0f, 0.0f},  {7, -0.75f, -0.75f}};

TEST(DeathEnemyTest, JoltAddedToTheApproachStep) {
  for (const JoltCase& c : kJolts) {
    ResetField();
    player_count = 1;
    PlacePlayer(0, 150, 50);  // up-right: the step (0.75, -0.75) at speed 1.0
    PlaceEnemy(0, kDeath, 100, 100).facing = 6;
    api_fake().random_values = {c.draw};
    RunEnemy(0);
    EXPECT_EQ(enemy[0].vx, 0.75f + c.x) << "draw " << c.draw;
    EXPECT_EQ(enemy[0].vy, -0.75f + c.y) << "draw " << c.draw;
    EXPECT_EQ(enemy[0].facing, 1) << "draw " << c.draw << ": the jolt turns nothing";
    EXPECT_EQ(RandomBounds(), std::vector<int64_t>{7}) << "draw " << c.draw;
  }
}

TEST(DeathEnemyTest, JoltAloneOnTheTargetsPosition) {
  for (const JoltCase& c : kJolts) {
    ResetField();
    player_count = 1;
    PlacePlayer(0, 100, 100);
    PlaceEnemy(0, kDeath, 100, 100).facing = 6;
    api_fake().random_values = {c.draw};
    RunEnemy(0);
    EXPECT_EQ(enemy[0].vx, c.x) << "draw " << c.draw;
    EXPECT_EQ(enemy[0].vy, c.y) << "draw " << c.draw;
    EXPECT_EQ(enemy[0].facing, 6) << "draw " << c.draw;
    EXPECT_EQ(RandomBounds(), std::vector<int64_t>{7}) << "draw " << c.draw;
  }
}

TEST(DeathEnemyTest, OneDrawEveryRun) {
  ResetField();
  player_count = 1;
  PlacePlayer(0, 300, 100);
  PlaceEnemy(0, kDeath, 100, 100);
  api_fake().random_values = {2, 6, 4};
  const float expected_vx[] = {2.0f, 0.0f, 1.0f};
  const float expected_vy[] = {0.0f, 0.0f, 1.0f};
  for (int32_t run = 0; run < 3; ++run) {
    ClearStep(0);
    RunEnemy(0);
    EXPECT_EQ(enemy[0].vx, expected_vx[run]) << "run " << run;
    EXPECT_EQ(enemy[0].vy, expected_vy[run]) << "run " << run;
  }
  EXPECT_EQ(RandomBounds(), (std::vector<int64_t>{7, 7, 7}));
}

}  // namespace
