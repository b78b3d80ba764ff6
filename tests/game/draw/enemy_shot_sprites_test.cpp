// Enemy shots and their vanish effects: the images by enemy kind, shots of
// dead enemies, the effect's cells and its end for kinds with and without
// images.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/draw/draw.h"
#include "game/enemies/enemies.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/game/draw/draw_test_support.h"

namespace {

class EnemyShotSpritesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartDrawing();
    scroll_x = -40;
    scroll_y = 12;
  }

  // Record i's shot flying at map (300.8, -0.5): screen x 300 - 40 + dx,
  // y 0 + 12 + dy.
  static void Fly(int32_t i, int32_t kind, int32_t direction) {
    enemy[i].kind = kind;
    enemy[i].shot_state = 1;
    enemy[i].shot_X = 300.8f;
    enemy[i].shot_Y = -0.5f;
    enemy[i].shot_direction = direction;
  }
  static void StartFade(int32_t i, int32_t kind) {
    enemy[i].kind = kind;
    enemy[i].shot_fade_state = 1;
    enemy[i].shot_fade_X = 300.8f;
    enemy[i].shot_fade_Y = -0.5f;
    enemy[i].shot_fade_timer = 0;
  }
  static constexpr int64_t kX = 260;
  static constexpr int64_t kY = 12;
};

struct KindImages {
  int32_t kind;
  const int32_t* shot;  // nullptr: none
  const int32_t* fade;
};

const KindImages kKinds[] = {
    {5, dot_oval_bullet_green_img, dot_4F_green_shot_fade_img},
    {8, dot_small_bullet_blue_green_img, dot_4F_blue_green_shot_fade_img},
    {22, dot_oval_bullet_blue_img, dot_4F_blue_shot_fade_img},
    {50, dot_oval_bullet_blue_img, dot_4F_blue_shot_fade_img},
    {28, dot_oval_bullet_orange_img, dot_4F_orange_shot_fade_img},
    {42, dot_oval_bullet_orange_img, dot_4F_orange_shot_fade_img},
    {32, dot_oval_bullet_purple_img, dot_4F_purple_shot_fade_img},
    {52, dot_oval_bullet_purple_img, dot_4F_purple_shot_fade_img},
    {36, dot_oval_bullet_red_img, dot_4F_red_shot_fade_img},
    {40, dot_oval_bullet_red_img, dot_4F_red_shot_fade_img},
    {46, dot_oval_bullet_black_img, dot_4F_black_shot_fade_img},
    {51, dot_oval_bullet_brown_img, dot_4F_brown_shot_fade_img},
    {0, nullptr, nullptr},
    {6, nullptr, nullptr},
    {54, nullptr, nullptr},
    {55, nullptr, nullptr},
    {-1, nullptr, nullptr},
};

TEST_F(EnemyShotSpritesTest, ShotsTakeTheImageOfTheirKind) {
  for (const KindImages& k : kKinds) {
    SCOPED_TRACE(k.kind);
    for (const int32_t direction : {0, 5, 7}) {
      Fly(3, k.kind, direction);
      std::vector<DrawOp> expected;
      if (k.shot) expected.push_back(At(kX + 56, kY - 8, k.shot[direction]));
      EXPECT_EQ(OpsOf(draw_enemy_shots), expected);
    }
  }
}

TEST_F(EnemyShotSpritesTest, FlyingShotsAreDrawnInRecordOrderAliveOrNot) {
  Fly(9, 5, 2);
  Fly(1, 36, 4);
  enemy[1].shot_X = 0.0f;
  enemy[1].alive = 0;  // its enemy died: the shot flies on
  enemy[9].alive = 1;
  Fly(4, 5, 2);
  enemy[4].shot_state = 0;
  Fly(6, 5, 2);
  enemy[6].shot_state = 2;
  EXPECT_EQ(OpsOf(draw_enemy_shots),
            (std::vector<DrawOp>{At(0 - 40 + 56, kY - 8, dot_oval_bullet_red_img[4]),
                                 At(kX + 56, kY - 8, dot_oval_bullet_green_img[2])}));
  EXPECT_EQ(enemy[1].shot_state, 1);
}

// Kind 8's 16 x 16 effect cells take the same place as the 24 x 24 ones.
TEST_F(EnemyShotSpritesTest, EffectsShowFourCellsTwoFramesEachAndEndInTheEighth) {
  for (const KindImages& k : kKinds) {
    SCOPED_TRACE(k.kind);
    StartFade(11, k.kind);
    for (int32_t frame = 1; frame <= 8; ++frame) {
      SCOPED_TRACE(frame);
      std::vector<DrawOp> expected;
      if (k.fade) expected.push_back(At(kX + 52, kY - 12, k.fade[(frame - 1) / 2]));
      EXPECT_EQ(OpsOf(draw_enemy_shot_fades), expected);
      EXPECT_EQ(enemy[11].shot_fade_timer, frame);
      EXPECT_EQ(enemy[11].shot_fade_state, frame < 8 ? 1 : 0);
    }
    EXPECT_TRUE(OpsOf(draw_enemy_shot_fades).empty());
    EXPECT_EQ(enemy[11].shot_fade_timer, 8);
  }
}

TEST_F(EnemyShotSpritesTest, EffectsFollowTheRecordsCurrentKindAndRestart) {
  StartFade(2, 5);
  OpsOf(draw_enemy_shot_fades);
  OpsOf(draw_enemy_shot_fades);
  enemy[2].kind = 40;  // the slot now holds another enemy
  EXPECT_EQ(OpsOf(draw_enemy_shot_fades),
            (std::vector<DrawOp>{At(kX + 52, kY - 12, dot_4F_red_shot_fade_img[1])}));
  StartFade(2, 40);  // a new shot ended: the effect starts again
  EXPECT_EQ(OpsOf(draw_enemy_shot_fades),
            (std::vector<DrawOp>{At(kX + 52, kY - 12, dot_4F_red_shot_fade_img[0])}));
}

}  // namespace
