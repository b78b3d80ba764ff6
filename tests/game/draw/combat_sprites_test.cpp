// Player shots and their vanish effects; enemy sprites.
#include <algorithm>
#include <iterator>

#include "game/draw/draw.h"
#include "game/enemies/enemies.h"
#include "tests/game/draw/draw_test_support.h"

namespace {

class PlayerShotSpriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartDrawing();
    for (player_data& record : player) record = player_data{};
    player_count = 2;
    player[1].character = 2;
  }
};

TEST_F(PlayerShotSpriteTest, ACellByDirectionAndAnimationCentredOnTheShot) {
  struct Case {
    int32_t direction, anim_before;
    int32_t anim_after, cell;
  };
  const Case cases[] = {{2, 11, 12, 10}, {2, 23, 0, 8}, {0, 0, 1, 0}, {7, 17, 18, 31}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.anim_before);
    player[0].shot_state[1] = 1;
    player[0].shot_x[1] = 100.7f;
    player[0].shot_y[1] = 50.2f;
    player[0].shot_direction[1] = c.direction;
    player[0].shot_anim[1] = c.anim_before;
    scroll_x = -10;
    scroll_y = 5;
    const std::vector<DrawOp> ops = OpsOf(draw_player_shots);
    EXPECT_EQ(player[0].shot_anim[1], c.anim_after);
    EXPECT_EQ(ops, (std::vector<DrawOp>{At(100 - 10 + 48, 50 + 5 - 16, dot_pelune_shot_img[c.cell])}));
  }
}

TEST_F(PlayerShotSpriteTest, TheSheetFollowsTheCharacterAndPlayersBeyondTheCountStandStill) {
  player[1].shot_state[0] = 1;  // character 2: the first character's sheets
  player[2].shot_state[0] = 1;
  player[2].shot_anim[0] = 5;
  player[2].shot_fade_alive[0] = 1;
  player[1].character = 3;
  player[1].shot_direction[0] = 4;
  std::vector<DrawOp> ops = OpsOf(draw_player_shots);
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].args[2], dot_orven_shot_img[16]);
  player[1].character = 2;
  ops = OpsOf(draw_player_shots);
  EXPECT_EQ(ops[0].args[2], dot_pelune_shot_img[16]);
  EXPECT_EQ(player[2].shot_anim[0], 5);
  OpsOf(draw_player_shot_fades);
  EXPECT_EQ(player[2].shot_fade_timer[0], 0);
}

TEST_F(PlayerShotSpriteTest, AVanishEffectShowsSixCellsTwoFramesEachAndIsFreeAfter) {
  player[1].character = 1;
  player[1].shot_fade_alive[4] = 1;
  player[1].shot_fade_timer[4] = 0;
  player[1].shot_fade_x[4] = 200.0f;
  player[1].shot_fade_y[4] = 100.0f;
  std::vector<int64_t> handles;
  for (int frame = 0; frame < 13; ++frame) {
    const std::vector<DrawOp> ops = OpsOf(draw_player_shot_fades);
    if (!ops.empty()) {
      EXPECT_EQ(ops[0], At(200 + 48, 100 - 16, ops[0].args[2]));
      handles.push_back(ops[0].args[2]);
    }
    if (frame == 11) {
      EXPECT_EQ(player[1].shot_fade_alive[4], 0);
    }
  }
  std::vector<int64_t> expected;
  for (int t = 1; t <= 12; ++t) expected.push_back(dot_orven_shot_fade_img[(t - 1) / 2]);
  EXPECT_EQ(handles, expected);
}

class EnemySpriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartDrawing();
    for (enemy_data& e : enemy) e = enemy_data{};
  }
  static enemy_data& Enemy(int32_t kind) {
    enemy_data& e = enemy[6];
    e = enemy_data{};
    e.alive = 1;
    e.kind = kind;
    e.X = 100.0f;
    e.Y = 80.0f;
    return e;
  }
  static std::vector<DrawOp> Draw() {
    return OpsOf([] { draw_enemy(6); });
  }
};

TEST_F(EnemySpriteTest, FamiliesPlaceTheirCellsByAnimationAndFacing) {
  struct Case {
    int32_t kind, facing, anim_before;
    const int32_t* image;
    int32_t cell, dx, dy;
  };
  const Case cases[] = {
      {0, 0, 14, dot_slime_green_img, 1, 48, -17},        // 15 / 15
      {9, 0, 59, dot_slime_red_img, 0, 48, -17},          // wraps at 60
      {1, 3, 7, dot_kedama_normal_img, 2 + 12, 44, -20},  // 8 / 4 + 4 x 3
      {5, 2, 0, dot_fairy_normal_green_img, 8, 52, -19},
      {22, 1, 15, dot_fairy_maid_aqua_img, 4, 52, -16},   // 16 wraps to 0
      {8, 6, 31, dot_golem_img, 26, 48, -29},             // golem facing 6: cells 24 to 27
      {18, 5, 3, dot_bee_img, 1, 52, -12},
      {19, 0, 62, dot_death_img, 15, 48, -16},
      {29, 0, 35, dot_book_img, 3, 40, -16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    enemy_data& e = Enemy(c.kind);
    e.facing = c.facing;
    e.anim_counter = c.anim_before;
    EXPECT_EQ(Draw(), (std::vector<DrawOp>{At(100 + c.dx, 80 + c.dy, c.image[c.cell])}));
  }
}

TEST_F(EnemySpriteTest, ThePausingSlimeRestsOnCellZeroOnceItsCycleWraps) {
  enemy_data& e = Enemy(0);
  e.tick = 180;
  e.anim_counter = 58;
  EXPECT_EQ(Draw()[0].args[2], dot_slime_green_img[3]);  // 59 / 15
  EXPECT_EQ(Draw()[0].args[2], dot_slime_green_img[0]);  // wrapped to 0
  Draw();
  EXPECT_EQ(e.anim_counter, 0);
  // Kind 9 pauses in its behaviour but keeps cycling here.
  enemy_data& nine = Enemy(9);
  nine.tick = 200;
  Draw();
  EXPECT_EQ(nine.anim_counter, 1);
}

TEST_F(EnemySpriteTest, TheHitBlinkIsWhiteOnItsFifthNinthAndThirteenthValues) {
  enemy_data& e = Enemy(1);
  e.hit_counter = 1;
  std::vector<int> white_frames;
  for (int frame = 0; frame < 17; ++frame) {
    const std::vector<DrawOp> ops = Draw();
    const int64_t handle = ops[0].args[2];
    if (std::find(std::begin(dot_kedama_white_img), std::end(dot_kedama_white_img), handle) !=
        std::end(dot_kedama_white_img)) {
      white_frames.push_back(frame);
    }
  }
  EXPECT_EQ(white_frames, (std::vector<int>{3, 7, 11}));
  EXPECT_EQ(e.hit_counter, 0);
}

TEST_F(EnemySpriteTest, RollingRocksNeverAnimateOrFlash) {
  enemy_data& e = Enemy(13);
  e.hit_counter = 4;  // white on the next frame for any other kind
  e.anim_counter = 7;
  EXPECT_EQ(Draw(), (std::vector<DrawOp>{At(148, 64, dot_breakable_rock)}));
  EXPECT_EQ(e.anim_counter, 7);
  EXPECT_EQ(e.hit_counter, 5);
}

TEST_F(EnemySpriteTest, TheFadingFairyIsTranslucentWithoutWhiteInItsWindow) {
  struct Case {
    int32_t tick;
    bool blended;
  };
  for (const Case& c : {Case{60, true}, Case{179, true}, Case{59, false}, Case{180, false}}) {
    SCOPED_TRACE(c.tick);
    enemy_data& e = Enemy(46);
    e.tick = c.tick;
    e.facing = 4;
    e.hit_counter = 4;  // 5 after the advance: a white frame
    const std::vector<DrawOp> ops = Draw();
    if (c.blended) {
      EXPECT_EQ(ops, (std::vector<DrawOp>{Blend(1, 100), At(152, 61, dot_fairy_normal_black_img[16]),
                                          Blend(0, 0)}));
    } else {
      EXPECT_EQ(ops, (std::vector<DrawOp>{At(152, 61, dot_fairy_normal_white_img[16])}));
    }
  }
}

TEST_F(EnemySpriteTest, TheDeathFadeRunsElevenCellsAndFreesTheSlot) {
  enemy_data& e = Enemy(0);
  e.alive = 0;
  e.dying = 1;
  std::vector<int64_t> cells;
  for (int frame = 0; frame < 34; ++frame) {
    const std::vector<DrawOp> ops = Draw();
    for (const DrawOp& op : ops) cells.push_back(op.args[2]);
  }
  ASSERT_EQ(cells.size(), 32u);
  EXPECT_EQ(cells[0], dot_enemy_fade_img[0]);  // first drawn at 2
  EXPECT_EQ(cells[1], dot_enemy_fade_img[0]);
  EXPECT_EQ(cells[2], dot_enemy_fade_img[1]);
  EXPECT_EQ(cells[31], dot_enemy_fade_img[10]);
  EXPECT_EQ(e.dying, 0);
  // Neither alive nor dying: nothing drawn, nothing changed.
  EXPECT_TRUE(Draw().empty());
}

}  // namespace
