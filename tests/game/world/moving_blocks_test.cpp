// Area 13's moving blocks: routes, carrying, holding and the pits.
#include <gtest/gtest.h>

#include "game/areas/areas.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/game/world/world_test_support.h"
#include "tests/support/api_fake/api_fake.h"

namespace {

class MovingBlockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWorld();
    scroll_x = -2000;
    scroll_y = -2000;
    present_map_number = 13;
    present_map_floor = 1;
    moving_block_count = 2;
    moving_block[0] = moving_block_data{304.0f, 368.0f, 255, 0};
    moving_block[1] = moving_block_data{1520.0f, 368.0f, 255, 0};
    player_count = 2;
  }
  static player_data& Player(int p, float x, float y) { return PutPlayerInPlay(p, x, y); }
};

TEST_F(MovingBlockTest, TheShortRouteCarriesAPlayerAcrossAndBack) {
  player_count = 1;
  Player(0, 304.0f, 368.0f);
  struct Check {
    int frames;  // updates run so far
    float block_x, player_x;
    int32_t direction;
  };
  // Stopped for 60 frames, 224 px right, stopped 60, 224 back.
  const Check checks[] = {{60, 304.0f, 304.0f, 255},  {61, 305.0f, 305.0f, 2},
                          {284, 528.0f, 528.0f, 2},   {344, 528.0f, 528.0f, 255},
                          {568, 304.0f, 304.0f, 6},   {569, 304.0f, 304.0f, 255}};
  int run = 0;
  for (const Check& c : checks) {
    while (run < c.frames) {
      update_players();
      ++run;
    }
    SCOPED_TRACE(c.frames);
    EXPECT_EQ(moving_block[0].x, c.block_x);
    EXPECT_EQ(player[0].X, c.player_x);
    EXPECT_EQ(moving_block[0].direction, c.direction);
  }
  EXPECT_EQ(moving_block[0].timer, 1);  // wrapped after 567
  EXPECT_EQ(moving_block[1].x, 1520.0f);  // the second block ran the same route
}

TEST_F(MovingBlockTest, AMovingBlockHoldsThePlayerInsideItsMargins) {
  moving_block[0].timer = 100;
  moving_block[0].direction = 2;
  player_data& r = Player(0, 349.0f, 368.0f);
  r.vx = 2.2f;  // walking right on a block moving right
  update_moving_blocks(0);
  // Block moved to 305; 349 + 3.2 > 305 + 46: held at 305 + 46 - 349 - 1.
  EXPECT_EQ(moving_block[0].x, 305.0f);
  EXPECT_EQ(r.vx, 305.0f + 46.0f - 349.0f - 1.0f);
  // On floors 1 to 5 any y counts, and the player is pulled into the block.
  player_data& other = Player(1, 300.0f, 500.0f);
  update_moving_blocks(1);
  // Block at 305, moving right: carried 1 px, pulled up to 1 px inside
  // the bottom margin: 368 + 46 - 500 - 1.
  EXPECT_EQ(other.vx, 1.0f);
  EXPECT_EQ(other.vy, -87.0f);
}


TEST_F(MovingBlockTest, OffABlockAPlayerCannotStepIntoThePitAlongX) {
  // The block stands at the right end of its pit (481 to 575).
  moving_block[0].x = 528.0f;
  moving_block[0].timer = 300;  // stopped
  player_data& r = Player(0, 574.0f, 368.0f);
  r.vx = 2.2f;  // off the block onto solid ground: allowed
  update_moving_blocks(0);
  EXPECT_EQ(r.vx, 2.2f);

  // Beside the pit on solid ground, walking down-left into it: only x stops.
  Player(1, 600.0f, 368.0f);
  moving_block[0].x = 304.0f;
  player[1].X = 576.0f;
  player[1].vx = -2.2f;
  player[1].vy = 1.65f;
  update_moving_blocks(1);
  EXPECT_EQ(player[1].vx, 0.0f);
  EXPECT_EQ(player[1].vy, 1.65f);
}

TEST_F(MovingBlockTest, BlocksFreezeWhilePlayerZeroIsDownAndStillCarryTheOthers) {
  moving_block[0].timer = 100;
  moving_block[0].direction = 2;
  moving_block[0].x = 344.0f;
  Player(0, 100.0f, 100.0f).alive = 0;
  Player(1, 380.0f, 368.0f);
  for (int f = 0; f < 20; ++f) update_players();
  EXPECT_EQ(moving_block[0].x, 344.0f);
  EXPECT_EQ(moving_block[0].timer, 100);
  // Pushed along by the frozen phase's motion, it stays at the block's
  // leading edge, held inside the margin of 46.
  EXPECT_GE(player[1].X, 344.0f + 46.0f - 1.0f);
  EXPECT_LE(player[1].X, 344.0f + 46.0f);
}

TEST_F(MovingBlockTest, PlayerOneSeesThePhaseOneFrameAhead) {
  // Timer 283: the last moving frame for player 0, already stopped for 1.
  moving_block[0].timer = 283;
  moving_block[0].direction = 2;
  moving_block[0].x = 527.0f;
  Player(0, 527.0f, 368.0f);
  Player(1, 527.0f, 368.0f);
  update_moving_blocks(0);
  EXPECT_EQ(player[0].vx, 1.0f);  // carried
  EXPECT_EQ(moving_block[0].timer, 284);
  update_moving_blocks(1);
  EXPECT_EQ(player[1].vx, 0.0f);  // stopped phase: nothing added
}

TEST_F(MovingBlockTest, FloorsSixAndSevenTestYAndHoldTheirStops) {
  present_map_floor = 6;
  moving_block_count = 1;
  moving_block[0] = moving_block_data{656.0f, 784.0f, 255, 0};
  // Within x but not within y: off the block, and x 650 lies in the pit.
  player_data& r = Player(0, 650.0f, 900.0f);
  r.vx = 1.0f;
  update_moving_blocks(0);
  EXPECT_EQ(r.vx, 0.0f);

  // Floor 7's first stop holds the left side.
  present_map_floor = 7;
  moving_block[0] = moving_block_data{912.0f, 208.0f, 255, 10};
  Player(1, 870.0f, 208.0f);
  player[1].vx = -4.0f;
  update_moving_blocks(1);
  EXPECT_EQ(player[1].vx, 912.0f - 45.0f - 870.0f + 1.0f);
  // The second stop holds the right side and not the left.
  moving_block[0].timer = 3600;
  player[1].X = 955.0f;
  player[1].vx = 3.0f;
  update_moving_blocks(1);
  EXPECT_EQ(player[1].vx, 912.0f + 45.0f - 955.0f - 2.0f);
}

TEST_F(MovingBlockTest, OtherAreasAndFloorsAreLeftAlone) {
  for (int32_t area_floor : {0, 8, 9}) {
    present_map_floor = area_floor;
    Player(0, 400.0f, 368.0f).vx = 2.0f;
    update_moving_blocks(0);
    EXPECT_EQ(player[0].vx, 2.0f);
    EXPECT_EQ(moving_block[0].timer, 0);
  }
  present_map_number = 12;
  present_map_floor = 1;
  update_moving_blocks(0);
  EXPECT_EQ(moving_block[0].timer, 0);
}

}  // namespace
