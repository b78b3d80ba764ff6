// Shot wall tests and bounces.
#include <gtest/gtest.h>

#include "game/world/world.h"
#include "tests/game/world/world_test_support.h"

namespace {

class ShotWallTest : public ::testing::Test {
 protected:
  void SetUp() override { FillCells(kOpen); }
};

TEST_F(ShotWallTest, AStepIntoAWallIsCutOnePixelShortAndEndsTheShot) {
  struct Case {
    const char* name;
    int32_t wall_row, wall_column;  // -1: none
    int32_t wall_code;
    float x, y, vx, vy;
    float expected_vx, expected_vy;
    int32_t expected_state;
  };
  const Case cases[] = {
      // Under a wall row: the top edge ends at 33, 1 px below the wall.
      {"up", 0, -1, kWall, 100.0f, 38.0f, 0.0f, -7.0f, 0.0f, -3.0f, 0},
      {"down", 2, -1, kWall, 100.0f, 58.0f, 0.0f, 7.0f, 0.0f, 3.0f, 0},
      {"left", -1, 0, kWall, 38.0f, 100.0f, -7.0f, 0.0f, -3.0f, 0.0f, 0},
      {"right", -1, 2, kWall, 58.0f, 100.0f, 7.0f, 0.0f, 3.0f, 0.0f, 0},
      {"into a corner", 0, 0, kWall, 38.0f, 38.0f, -5.25f, -5.25f, -3.0f, -3.0f, 0},
      // Code 1 stops bullets; code 2 lets them pass (it stops only bodies).
      {"code 1", 0, -1, 1, 100.0f, 38.0f, 0.0f, -7.0f, 0.0f, -3.0f, 0},
      {"code 2", 0, -1, 2, 100.0f, 38.0f, 0.0f, -7.0f, 0.0f, -7.0f, 1},
      // Probes already in the wall, the step pointing away: it flies on.
      {"away from the wall", 0, -1, kWall, 100.0f, 33.0f, 0.0f, 7.0f, 0.0f, 7.0f, 1},
      {"no step", 0, -1, kWall, 100.0f, 33.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1},
      {"free", -1, -1, kWall, 100.0f, 100.0f, 7.0f, -7.0f, 7.0f, -7.0f, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FillCells(kOpen);
    if (c.wall_row >= 0) SetCellRow(c.wall_row, c.wall_code);
    if (c.wall_column >= 0) SetCellColumn(c.wall_column, c.wall_code);
    float vx = c.vx, vy = c.vy;
    int32_t state = 1;
    shot_hits_wall(c.x, c.y, vx, vy, state, 2);
    EXPECT_EQ(vx, c.expected_vx);
    EXPECT_EQ(vy, c.expected_vy);
    EXPECT_EQ(state, c.expected_state);
  }
}

TEST_F(ShotWallTest, HorizontalProbesLookAtTheUnmovedY) {
  // The step down would carry the box's right side past a wall cell that
  // lies only below: the horizontal probes at the unmoved y do not see it.
  map_cell[3][3] = kWall;  // x 96..127, y 96..127
  float vx = 7.0f, vy = 7.0f;
  int32_t state = 1;
  shot_hits_wall(90.0f, 90.0f, vx, vy, state, 2);
  // The vertical probe (92, 99) is open, (92 + 0, 92 + 7) open: no cut;
  // the horizontal ones at y 88 and 92 are open too.
  EXPECT_EQ(vx, 7.0f);
  EXPECT_EQ(vy, 7.0f);
  EXPECT_EQ(state, 1);
}

TEST_F(ShotWallTest, EightDirectionBouncesMirrorTheDirection) {
  // Off a ceiling: 0<->4, 1<->3, 5<->7, 2 and 6 stay; off a side wall:
  // 1<->7, 2<->6, 3<->5, 0 and 4 stay.
  const int32_t off_ceiling[8] = {4, 3, 2, 1, 0, 7, 6, 5};
  const int32_t off_side[8] = {0, 7, 6, 5, 4, 3, 2, 1};
  for (int32_t d = 0; d < 8; ++d) {
    SCOPED_TRACE(d);
    FillCells(kOpen);
    SetCellRow(0, kWall);
    float vx = 1.0f, vy = -5.0f;
    int32_t direction = d;
    EXPECT_EQ(reflect_on_walls8(100.0f, 36.0f, vx, vy, direction), 1);
    EXPECT_EQ(direction, off_ceiling[d]);
    EXPECT_EQ(vy, 5.0f);
    EXPECT_EQ(vx, 1.0f);

    FillCells(kOpen);
    SetCellColumn(0, kWall);
    vx = -5.0f;
    vy = 1.0f;
    direction = d;
    EXPECT_EQ(reflect_on_walls8(36.0f, 100.0f, vx, vy, direction), 1);
    EXPECT_EQ(direction, off_side[d]);
    EXPECT_EQ(vx, 5.0f);
    EXPECT_EQ(vy, 1.0f);
  }
}

TEST_F(ShotWallTest, ACornerBouncesOnceVerticallyThenOnceSideways) {
  SetCellRow(0, kWall);
  SetCellColumn(0, kWall);
  float vx = -5.25f, vy = -5.25f;
  int32_t direction = 7;  // up-left
  EXPECT_EQ(reflect_on_walls8(36.0f, 36.0f, vx, vy, direction), 1);
  EXPECT_EQ(direction, 5);
  EXPECT_EQ(vy, 5.25f);
  EXPECT_EQ(vx, -5.25f);
  EXPECT_EQ(reflect_on_walls8(36.0f, 36.0f, vx, vy, direction), 1);
  EXPECT_EQ(direction, 3);  // down-right
  EXPECT_EQ(vx, 5.25f);
  EXPECT_EQ(reflect_on_walls8(36.0f, 36.0f, vx, vy, direction), 0);
}

TEST_F(ShotWallTest, BouncesLookNotAtTheSignOfTheStepAndKeepUnknownDirections) {
  SetCellRow(0, kWall);
  // Moving away from the ceiling its probes still touch: it reflects anyway.
  float vx = 0.0f, vy = 0.5f;
  int32_t direction = 4;
  EXPECT_EQ(reflect_on_walls8(100.0f, 33.0f, vx, vy, direction), 1);
  EXPECT_EQ(direction, 0);
  EXPECT_EQ(vy, -0.5f);
  // A direction outside 0 to 7 stays while the step is negated.
  vy = -5.0f;
  direction = 9;
  EXPECT_EQ(reflect_on_walls8(100.0f, 36.0f, vx, vy, direction), 1);
  EXPECT_EQ(direction, 9);
  EXPECT_EQ(vy, 5.0f);
}

TEST_F(ShotWallTest, SixteenDirectionBouncesMirrorByEightAndSixteen) {
  for (int32_t d = 0; d < 16; ++d) {
    SCOPED_TRACE(d);
    FillCells(kOpen);
    SetCellRow(0, kWall);
    // Half-extent 9: a body at y 42 with a step of -2 probes y 31.
    float vx = 0.5f, vy = -2.0f;
    int32_t direction = d;
    reflect_on_walls16(100.0f, 42.0f, vx, vy, direction);
    EXPECT_EQ(direction, (8 - d + 16) % 16);
    EXPECT_EQ(vy, 2.0f);

    FillCells(kOpen);
    SetCellColumn(0, kWall);
    vx = -2.0f;
    vy = 0.5f;
    direction = d;
    reflect_on_walls16(42.0f, 100.0f, vx, vy, direction);
    EXPECT_EQ(direction, (16 - d) % 16);
    EXPECT_EQ(vx, 2.0f);
  }
  // Not reaching the wall with its 9-pixel half-extent: no bounce.
  FillCells(kOpen);
  SetCellRow(0, kWall);
  float vx = 0.0f, vy = -2.0f;
  int32_t direction = 0;
  reflect_on_walls16(100.0f, 43.0f, vx, vy, direction);
  EXPECT_EQ(direction, 0);
  EXPECT_EQ(vy, -2.0f);
  // Out of range: kept, the step still negated.
  direction = 20;
  reflect_on_walls16(100.0f, 42.0f, vx, vy, direction);
  EXPECT_EQ(direction, 20);
  EXPECT_EQ(vy, 2.0f);
}

}  // namespace
