// The boss sprite: the look of each boss, the hit blink's schedule, boss 1's
// frames, boss 6's three images and the four bursts of the defeat.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/bosses/bosses.h"
#include "game/draw/draw.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/game/draw/draw_test_support.h"

namespace {

class BossSpriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartDrawing();
    boss_active = 1;
    boss_id = 2;
    // Truncation toward zero, then the camera: screen x = 200 - 10 + dx,
    // screen y = -3 + 5 + dy.
    boss_x = 200.9f;
    boss_y = -3.7f;
    scroll_x = -10;
    scroll_y = 5;
    boss_facing = 3;
    boss_anim = 40;
  }
  static constexpr int64_t kX = 190;
  static constexpr int64_t kY = 2;
};

TEST_F(BossSpriteTest, EachBossDrawsItsCellAtItsOffset) {
  struct Case {
    int32_t id;
    int32_t facing;
    int32_t anim;
    const int32_t* image;
    int32_t cell;
    int64_t dx, dy;
  };
  const Case cases[] = {
      {0, 3, 40, dot_talvo_img6496, 2 + 12, 32, -54},
      {1, 3, 2, dot_big_frog_img, 2, 0, -64},
      {2, 7, 63, dot_dask_gorlan_img, 3 + 28, 48, -24},
      {3, 0, 15, dot_bremonkal_img, 0, 48, -24},
      {4, 4, 16, dot_vantor_ludera_img, 1 + 16, 48, -24},
      {5, 1, 32, dot_orsenta_img, 2 + 4, 48, -24},
      {7, 6, 48, dot_mobaki_img, 3 + 24, 48, -24},
      {8, 5, 40, dot_thessa_img, 5, 24, -38},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    boss_id = c.id;
    boss_facing = c.facing;
    boss_anim = c.anim;
    EXPECT_EQ(OpsOf(draw_boss), (std::vector<DrawOp>{At(kX + c.dx, kY + c.dy, c.image[c.cell])}));
  }
}

// Counting the hit's frame as the first: white on the 4th, 8th and 12th
// frames, the counter 16 on the 15th and 0 on the 16th.
TEST_F(BossSpriteTest, HitBlinkIsWhiteOnEveryFourthFrameAndEndsOnTheSixteenth) {
  boss_hit = 1;  // set by the shot update of the first frame
  for (int frame = 1; frame <= 18; ++frame) {
    SCOPED_TRACE(frame);
    const bool white = frame == 4 || frame == 8 || frame == 12;
    const int32_t* sheet = white ? dot_dask_gorlan_white_img : dot_dask_gorlan_img;
    EXPECT_EQ(OpsOf(draw_boss), (std::vector<DrawOp>{At(kX + 48, kY - 24, sheet[14])}));
    EXPECT_EQ(boss_hit, frame <= 15 ? frame + 1 : 0);
  }
}

TEST_F(BossSpriteTest, BlinkMovesOnlyWhileTheBossIsActive) {
  boss_hit = 0;
  OpsOf(draw_boss);
  EXPECT_EQ(boss_hit, 0);
  boss_hit = 4;
  boss_active = 0;
  boss_defeat_counter = 5;
  OpsOf(draw_boss);
  EXPECT_EQ(boss_hit, 4);
}

TEST_F(BossSpriteTest, BigFrogDrawsOnlyItsFourFramesWhileTheBlinkGoesOn) {
  boss_id = 1;
  boss_hit = 3;  // white at 5
  for (int32_t anim = -1; anim <= 5; ++anim) {
    SCOPED_TRACE(anim);
    boss_anim = anim;
    const int32_t blink_before = boss_hit;
    const std::vector<DrawOp> ops = OpsOf(draw_boss);
    EXPECT_EQ(boss_hit, blink_before + 1);
    if (anim >= 0 && anim <= 3) {
      const int32_t* sheet = boss_hit == 5 ? dot_big_frog_white_img : dot_big_frog_img;
      EXPECT_EQ(ops, (std::vector<DrawOp>{At(kX, kY - 64, sheet[anim])}));
    } else {
      EXPECT_TRUE(ops.empty());
    }
  }
}

TEST_F(BossSpriteTest, WendelDrawsShadowBodyAndKeyboardOnlyTheBodyWhite) {
  boss_id = 6;
  boss_facing = 2;
  boss_part_x = 300.5f;
  boss_part_y = 150.2f;
  for (const int32_t blink : {0, 4}) {  // 4 becomes the white 5
    SCOPED_TRACE(blink);
    boss_hit = blink;
    const int32_t* body = blink == 4 ? dot_wendel_white_img : dot_wendel_img;
    EXPECT_EQ(OpsOf(draw_boss), (std::vector<DrawOp>{
                                    At(kX + 48, kY + 24, dot_wendel_shadow_img[2]),
                                    At(kX + 48, kY - 24, body[2]),
                                    At(300 - 10 + 48, 150 + 5 - 16, dot_wendel_keyboard_img[0]),
                                }));
  }
}

TEST_F(BossSpriteTest, BossesBeyondTheTableDrawNothing) {
  boss_hit = 1;
  for (const int32_t id : {9, 100, -1}) {
    boss_id = id;
    EXPECT_TRUE(OpsOf(draw_boss).empty()) << id;
  }
  EXPECT_EQ(boss_hit, 4);
}

TEST_F(BossSpriteTest, DefeatShowsFourBurstsAtTheLastPosition) {
  boss_active = 0;
  boss_id = 100;  // the bursts ignore the boss
  struct Case {
    int32_t counter;
    int32_t cell;  // -1 nothing
    int64_t dx, dy;
  };
  const Case cases[] = {
      {0, -1, 0, 0},     {1, 0, 48, -16},  {3, 0, 48, -16},  {4, 1, 48, -16},   {33, 10, 48, -16},
      {34, 0, 56, -8},   {66, 10, 56, -8}, {67, 0, 56, -16}, {99, 10, 56, -16}, {100, 0, 48, -8},
      {132, 10, 48, -8}, {133, -1, 0, 0},  {200, -1, 0, 0},  {-1, -1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.counter);
    boss_defeat_counter = c.counter;
    std::vector<DrawOp> expected;
    if (c.cell >= 0) expected.push_back(At(kX + c.dx, kY + c.dy, dot_enemy_fade_img[c.cell]));
    EXPECT_EQ(OpsOf(draw_boss), expected);
    EXPECT_EQ(boss_defeat_counter, c.counter);  // the boss logic runs it
  }
}

TEST_F(BossSpriteTest, AnActiveBossShowsNoBurst) {
  boss_defeat_counter = 34;
  EXPECT_EQ(OpsOf(draw_boss), (std::vector<DrawOp>{At(kX + 48, kY - 24, dot_dask_gorlan_img[14])}));
}

}  // namespace
