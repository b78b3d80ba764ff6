// The straight movers' one component and the bee's sixteen directions.
#include <gtest/gtest.h>

#include <cstdint>

#include "tests/game/enemies/enemy_test_support.h"

namespace {

struct StraightCase {
  int32_t kind;
  float vx, vy;
};
// Speed 3.0; the start step (0.5, -0.5) shows the component not written.
const StraightCase kStraightCases[] = {
    {10, 0.5f, -3.0f}, {11, 3.0f, -0.5f}, {12, 0.5f, 3.0f}, {13, -3.0f, -0.5f},
    {14, 0.5f, -3.0f}, {15, 3.0f, -0.5f}, {16, 0.5f, 3.0f}, {17, -3.0f, -0.5f},
};

TEST(StraightMoverTest, OneComponentWhateverThePlayersDo) {
  for (const StraightCase& c : kStraightCases) {
    ResetField();
    player_count = 1;
    PlacePlayer(0, 100, 100);  // on the enemy: no player matters
    enemy_data& e = PlaceEnemy(0, c.kind, 100, 100);
    e.vx = 0.5f;
    e.vy = -0.5f;
    e.facing = 5;
    RunEnemy(0);
    EXPECT_EQ(e.vx, c.vx) << "kind " << c.kind;
    EXPECT_EQ(e.vy, c.vy) << "kind " << c.kind;
    EXPECT_EQ(e.facing, 5) << "kind " << c.kind;
    EXPECT_EQ(e.target, kNoTarget) << "kind " << c.kind;
    EXPECT_EQ(e.tick, 0) << "kind " << c.kind;
  }
}

struct BeeCase {
  int32_t facing;
  float vx, vy;
};
// Speed 5.0: factors 0.4, 0.9 and 0.75 of it.
const BeeCase kBeeCases[] = {
    {0, 0.0f, -5.0f},
    {1, 2.0f, -4.5f},
    {2, 3.75f, -3.75f},
    {3, 4.5f, -2.0f},
    {4, 5.0f, 0.0f},
    {5, 4.5f, 2.0f},
    {6, 3.75f, 3.75f},
    {7, 2.0f, 4.5f},
    {8, 0.0f, 5.0f},
    {9, -2.0f, 4.5f},
    {10, -3.75f, 3.75f},
    {11, -4.5f, 2.0f},
    {12, -5.0f, 0.0f},
    {13, -4.5f, -2.0f},
    {14, -3.75f, -3.75f},
    {15, -2.0f, -4.5f},
    // Outside 0 to 15 nothing is written: the start step stays.
    {16, 1.0f, -1.0f},
    {-1, 1.0f, -1.0f},
    {255, 1.0f, -1.0f},
};

TEST(BeeTest, StepOfEachFacing) {
  for (const BeeCase& c : kBeeCases) {
    ResetField();
    player_count = 1;
    PlacePlayer(0, 300, 300);
    enemy_data& e = PlaceEnemy(0, 18, 100, 100);
    e.facing = c.facing;
    e.vx = 1.0f;  // a start step: the bee writes both components
    e.vy = -1.0f;
    RunEnemy(0);
    EXPECT_EQ(e.vx, c.vx) << "facing " << c.facing;
    EXPECT_EQ(e.vy, c.vy) << "facing " << c.facing;
    EXPECT_EQ(e.facing, c.facing);
    EXPECT_EQ(e.target, kNoTarget) << "facing " << c.facing;
    EXPECT_TRUE(api_fake().Calls("ApiGetRandom").empty());
  }
}

}  // namespace
