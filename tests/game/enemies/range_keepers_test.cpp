// The range keepers (kinds 22 and 51) and kind 8: retreat, stand and shoot,
// walk in, by the squared distance to the target.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/game/enemies/enemy_test_support.h"

namespace {

constexpr int32_t kRangeKinds[] = {22, 51, 8};

struct BandCase {
  const char* name;
  float ex, ey;  // the target stands at (200, 200)
  int32_t start_tick;
  int32_t tick;  // after the run
  int32_t facing;
  // The step as factors of speed, straight 1 and diagonal 0.75; 0 for a
  // component not written, which keeps the start slide of 1.0, except on a
  // stand, which writes 0.
  float vx, vy;
};

// d2 64^2 + 64^2 = 8192 and 100^2 + 100^2 = 20000 exactly.
const BandCase kBandCases[] = {
    {"8192: retreat, away from the up-left target", 264, 264, 7, 0, 3, 0.75f, 0.75f},
    {"retreat from a target 3 right and 2 up: both axes, full speed", 197, 202, 7, 0, 6, -1.0f,
     1.0f},
    {"retreat from a target straight below", 200, 150, 7, 0, 0, 0.0f, -1.0f},
    {"just beyond 8192: stand", 264, 264.01f, 7, 8, 7, 0.0f, 0.0f},
    {"20000: stand, facing the target", 300, 300, 7, 8, 7, 0.0f, 0.0f},
    // Tests 1 (200 > 80, 200 < 200.9) and 2 (truncated 200 and 210 in the
    // band) hold: the last one sets the facing.
    {"stand: the last test that holds faces", 70, 210.9f, 7, 8, 2, 0.0f, 0.0f},
    {"just beyond 20000: walk in", 300, 300.01f, 7, 0, 7, -0.75f, -0.75f},
    {"walk in from the left", 0, 200, 7, 0, 2, 1.0f, 0.0f},
};

TEST(RangeKeeperTest, ThreeBandsBySquaredDistance) {
  for (int32_t kind : kRangeKinds) {
    for (const BandCase& c : kBandCases) {
      ResetField();
      player_count = 1;
      PlacePlayer(0, 200, 200);
      enemy_data& e = PlaceEnemy(0, kind, c.ex, c.ey);
      e.tick = c.start_tick;
      e.facing = 3;
      e.vx = 1.0f;  // a slide: the stand clears it
      e.vy = 1.0f;
      RunEnemy(0);
      const float s = kSpawnSpeed[kind];
      const bool stands = c.tick != 0;
      const float expected_vx = c.vx == 0.0f ? (stands ? 0.0f : 1.0f) : s * c.vx;
      const float expected_vy = c.vy == 0.0f ? (stands ? 0.0f : 1.0f) : s * c.vy;
      EXPECT_EQ(e.tick, c.tick) << c.name << ", kind " << kind;
      EXPECT_EQ(e.facing, c.facing) << c.name << ", kind " << kind;
      EXPECT_EQ(e.vx, expected_vx) << c.name << ", kind " << kind;
      EXPECT_EQ(e.vy, expected_vy) << c.name << ", kind " << kind;
      EXPECT_EQ(e.shot_request, 0) << c.name << ", kind " << kind;
    }
  }
}

// Staying in the stand band: requests on its 10th, 100th and 190th frame.
TEST(RangeKeeperTest, RequestsWhileStanding) {
  for (int32_t kind : kRangeKinds) {
    ResetField();
    player_count = 1;
    PlacePlayer(0, 200, 200);
    PlaceEnemy(0, kind, 300, 250);
    std::vector<int32_t> requests;
    for (int32_t run = 1; run <= 190; ++run) {
      enemy[0].shot_request = 0;
      RunEnemy(0);
      if (enemy[0].shot_request == 1) requests.push_back(run);
      ASSERT_EQ(enemy[0].tick, run % 90) << "kind " << kind << " run " << run;
    }
    EXPECT_EQ(requests, (std::vector<int32_t>{10, 100, 190})) << "kind " << kind;
  }
}

// A target crossing the 20000 limit every 5 frames restarts the count.
TEST(RangeKeeperTest, NeverShootsWhenTheStayIsShort) {
  for (int32_t kind : kRangeKinds) {
    ResetField();
    player_count = 1;
    PlaceEnemy(0, kind, 300, 250);
    for (int32_t run = 1; run <= 200; ++run) {
      PlacePlayer(0, 200, (run / 5) % 2 == 0 ? 200.0f : 50.0f);
      ClearStep(0);
      RunEnemy(0);
      ASSERT_EQ(enemy[0].shot_request, 0) << "kind " << kind << " run " << run;
    }
  }
}

// The end of the stand's cycle: at 90 or more for kinds 22 and 51, at 90
// exactly for kind 8.
TEST(RangeKeeperTest, TickPast90) {
  const struct {
    int32_t kind;
    int32_t tick;
  } kCases[] = {{22, 0}, {51, 0}, {8, 96}};
  for (const auto& c : kCases) {
    ResetField();
    player_count = 1;
    PlacePlayer(0, 200, 200);
    PlaceEnemy(0, c.kind, 300, 250).tick = 95;
    RunEnemy(0);
    EXPECT_EQ(enemy[0].tick, c.tick) << "kind " << c.kind;
  }
}

// Player 0 is down within 8192, player 1 up and far.
TEST(RangeKeeperTest, DownedNearestPlayer) {
  const struct {
    int32_t kind;
    int32_t target;
    int32_t facing;
  } kCases[] = {
      {22, 0, 6},  // backs away from the downed player to its right
      {51, 0, 6},
      {8, 1, 4},  // walks toward the living one below
  };
  for (const auto& c : kCases) {
    ResetField();
    player_count = 2;
    PlacePlayer(0, 250, 200, 0);
    PlacePlayer(1, 200, 600);
    PlaceEnemy(0, c.kind, 200, 200);
    for (int32_t run = 1; run <= 3; ++run) {
      ClearStep(0);
      RunEnemy(0);
      EXPECT_EQ(enemy[0].target, c.target) << "kind " << c.kind << " run " << run;
      EXPECT_EQ(enemy[0].facing, c.facing) << "kind " << c.kind << " run " << run;
    }
  }
}

}  // namespace
