// Boss shots and their vanish effects: the image each boss picks by slot,
// age or kind, boss 3's blended fade-in, the effects' cells and lengths, the
// freeing of effect slots, and effects without a row.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/bosses/bosses.h"
#include "game/draw/draw.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/game/draw/draw_test_support.h"

namespace {

class BossShotSpritesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartDrawing();
    ClearBoss();
  }

  // No shot, no effect, and the camera of every case.
  static void ClearBoss() {
    reset_game();
    scroll_x = 20;
    scroll_y = -30;
  }

  // A flying shot in slot i at map (100.6, 200.2): screen x 100 + 20 + dx,
  // y 200 - 30 + dy.
  static void Fly(int32_t i, int32_t kind, int32_t direction, int32_t age = 50) {
    boss_shot_state[i] = 1;
    boss_shot_x[i] = 100.6f;
    boss_shot_y[i] = 200.2f;
    boss_shot_kind[i] = kind;
    boss_shot_direction[i] = direction;
    boss_shot_age[i] = age;
  }
  // An effect started in slot i by the shot update of this frame.
  static void StartFade(int32_t i, int32_t kind) {
    boss_shot_fade_alive[i] = 1;
    boss_shot_fade_x[i] = 100.6f;
    boss_shot_fade_y[i] = 200.2f;
    boss_shot_fade_timer[i] = 0;
    boss_shot_fade_kind[i] = kind;
  }
  static constexpr int64_t kX = 120;
  static constexpr int64_t kY = 170;
};

TEST_F(BossShotSpritesTest, EachBossPicksItsShotImage) {
  struct Case {
    const char* label;
    int32_t boss;
    int32_t slot;
    int32_t kind;
    int32_t direction;
    int32_t handle;  // 0: nothing drawn
    int64_t dx, dy;
  };
  const Case cases[] = {
      {"talvo", 0, 0, 3, 5, dot_talvo_shot_img32, 48, -16},
      {"big frog", 1, 4, 0, 5, dot_fesku_shot_img, 48, -16},
      {"gorlan slot 0 aqua", 2, 0, 3, 5, dot_pelwick_aqua_shot_img[5], 56, -8},
      {"gorlan slot 9 daidai", 2, 9, 0, 5, dot_pelwick_daidai_shot_img[5], 56, -8},
      {"gorlan slot 13 yellow", 2, 13, 0, 1, dot_pelwick_yellow_shot_img[1], 56, -8},
      {"ludera kind 0", 4, 0, 0, 2, dot_bullet_knife_red_img[2], 48, -16},
      {"ludera kind 4", 4, 0, 4, 7, dot_bullet_kunai_blue_img[7], 48, -16},
      {"ludera kind 5", 4, 0, 5, 7, 0, 0, 0},
      {"orsenta kind 0", 5, 0, 0, 3, dot_bullet_big_red_img, 32, -32},
      {"orsenta kind 1", 5, 0, 1, 3, dot_bullet_middle_red_img, 48, -16},
      {"orsenta kind 2", 5, 0, 2, 3, dot_bullet_small_red_img, 48, -16},
      {"orsenta kind 3", 5, 0, 3, 3, 0, 0, 0},
      {"wendel note", 6, 0, 3, 3, dot_wendel_bulllet_yellow_note_img, 48, -16},
      {"wendel bullet", 6, 0, 5, 3, dot_wendel_bullet_blue_img[3], 48, -16},
      {"mobaki kind 3", 7, 0, 3, 6, dot_mobaki_bullet_purple_img[6], 48, -16},
      {"mobaki kind 6", 7, 0, 6, 6, dot_bullet_big_violet_img, 32, -32},
      {"thessa kind 0", 8, 0, 0, 4, dot_bullet_kunai_green_img[4], 48, -16},
      {"thessa kind 1", 8, 0, 1, 4, dot_bullet_kunai_aqua_img[4], 48, -16},
      {"thessa kind 2", 8, 0, 2, 4, dot_fesku_shot_img, 48, -16},
      {"thessa kind 3", 8, 0, 3, 4, dot_bullet_big_red_img, 32, -32},
      {"thessa kind 4", 8, 0, 4, 4, dot_talvo_shot_img32, 48, -16},
      {"thessa kind 5", 8, 0, 5, 4, dot_wendel_bullet_blue_img[4], 48, -16},
      {"thessa kind -1", 8, 0, -1, 4, 0, 0, 0},
      {"boss 9", 9, 0, 0, 4, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ClearBoss();
    boss_id = c.boss;
    Fly(c.slot, c.kind, c.direction);
    std::vector<DrawOp> expected;
    if (c.handle != 0) expected.push_back(At(kX + c.dx, kY + c.dy, c.handle));
    EXPECT_EQ(OpsOf(draw_boss_shots), expected);
  }
}

TEST_F(BossShotSpritesTest, OnlyFlyingShotsAreDrawnInSlotOrder) {
  boss_id = 0;
  Fly(7, 0, 0);
  Fly(3, 0, 0);
  boss_shot_x[3] = 10.0f;
  Fly(5, 0, 0);
  boss_shot_state[5] = 0;
  Fly(49, 0, 0);
  boss_shot_state[49] = 2;
  EXPECT_EQ(OpsOf(draw_boss_shots),
            (std::vector<DrawOp>{At(10 + 20 + 48, kY - 16, dot_talvo_shot_img32),
                                 At(kX + 48, kY - 16, dot_talvo_shot_img32)}));
}

TEST_F(BossShotSpritesTest, BremonkalShotsFadeInBlendedUntilAge41) {
  boss_id = 3;
  struct Case {
    int32_t age;
    std::vector<DrawOp> ops;
  };
  const int64_t x = kX + 16;
  const int64_t y = kY - 48;
  const Case cases[] = {
      {0, {Blend(1, 100), At(x, y, dot_ember_crown_fade_in_img[0]), Blend(0, 0)}},
      {10, {Blend(1, 100), At(x, y, dot_ember_crown_fade_in_img[0]), Blend(0, 0)}},
      {11, {Blend(1, 130), At(x, y, dot_ember_crown_fade_in_img[1]), Blend(0, 0)}},
      {21, {Blend(1, 160), At(x, y, dot_ember_crown_fade_in_img[2]), Blend(0, 0)}},
      {40, {Blend(1, 190), At(x, y, dot_ember_crown_fade_in_img[3]), Blend(0, 0)}},
      {41, {At(x, y, dot_ember_crown_img)}},
      {500, {At(x, y, dot_ember_crown_img)}},
      {-1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.age);
    Fly(0, 0, 0, c.age);
    EXPECT_EQ(OpsOf(draw_boss_shots), c.ops);
  }
}

// The drawers do not look at whether the boss is still active.
TEST_F(BossShotSpritesTest, ShotsAndEffectsAreDrawnAfterTheDefeatToo) {
  boss_id = 1;
  boss_active = 0;
  Fly(0, 0, 0);
  StartFade(0, 0);
  EXPECT_EQ(OpsOf(draw_boss_shots).size(), 1u);
  EXPECT_EQ(OpsOf(draw_boss_shot_fades).size(), 1u);
}

TEST_F(BossShotSpritesTest, EffectsShowEachCellTwoFramesAndFreeTheirSlotWithTheLast) {
  struct Case {
    const char* label;
    int32_t boss;
    int32_t slot;
    int32_t kind;
    const int32_t* sheet;
    int32_t cells;
    int64_t dx, dy;
  };
  const Case cases[] = {
      {"talvo", 0, 0, 9, dot_6F_middle_red_shot_fade_img, 6, 48, -16},
      {"big frog", 1, 0, 9, dot_6F_middle_blue_shot_fade_img, 6, 48, -16},
      {"gorlan slot 9 daidai", 2, 9, 0, dot_pelwick_daidai_shot_fade_img, 6, 48, -16},
      {"gorlan slot 6 yellow", 2, 6, 0, dot_pelwick_yellow_shot_fade_img, 6, 48, -16},
      {"bremonkal", 3, 0, 9, dot_6F_middle_red_shot_fade_img, 6, 48, -16},
      {"ludera kind 2", 4, 0, 2, dot_6F_middle_green_shot_fade_img, 6, 48, -16},
      {"ludera kind 3", 4, 0, 3, dot_4F_red_shot_fade_img, 4, 48, -16},
      {"orsenta kind 0", 5, 0, 0, dot_5F_big_red_shot_fade_img, 5, 32, -32},
      {"orsenta kind 2", 5, 0, 2, dot_4F_red_shot_fade_img, 4, 48, -16},
      {"wendel kind 3", 6, 0, 3, dot_6F_middle_yellow_shot_fade_img, 6, 48, -16},
      {"wendel kind 6", 6, 0, 6, dot_4F_green_shot_fade_img, 4, 48, -16},
      {"mobaki kind 0", 7, 0, 0, dot_6F_middle_aqua_shot_fade_img, 6, 48, -16},
      {"mobaki kind 6", 7, 0, 6, dot_5F_big_violet_shot_fade_img, 5, 32, -32},
      {"thessa kind 2", 8, 0, 2, dot_6F_middle_blue_shot_fade_img, 6, 48, -16},
      {"thessa kind 3", 8, 0, 3, dot_5F_big_red_shot_fade_img, 5, 32, -32},
      {"thessa kind 5", 8, 0, 5, dot_4F_blue_shot_fade_img, 4, 48, -16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ClearBoss();
    boss_id = c.boss;
    StartFade(c.slot, c.kind);
    for (int32_t frame = 1; frame <= 2 * c.cells; ++frame) {
      SCOPED_TRACE(frame);
      EXPECT_EQ(OpsOf(draw_boss_shot_fades),
                (std::vector<DrawOp>{At(kX + c.dx, kY + c.dy, c.sheet[(frame - 1) / 2])}));
      EXPECT_EQ(boss_shot_fade_timer[c.slot], frame);
      EXPECT_EQ(boss_shot_fade_alive[c.slot], frame < 2 * c.cells ? 1 : 0);
    }
    EXPECT_TRUE(OpsOf(draw_boss_shot_fades).empty());
    EXPECT_EQ(boss_shot_fade_timer[c.slot], 2 * c.cells);
  }
}

TEST_F(BossShotSpritesTest, EveryEffectSlotRunsOnItsOwn) {
  boss_id = 2;
  for (int32_t i = 0; i < kBossShotSlots; ++i) {
    StartFade(i, 0);
    boss_shot_fade_x[i] = static_cast<float>(i);
    boss_shot_fade_timer[i] = i % 12;  // started in different frames
  }
  const int32_t* const colours[7] = {
      dot_pelwick_aqua_shot_fade_img,   dot_pelwick_blue_shot_fade_img,
      dot_pelwick_daidai_shot_fade_img, dot_pelwick_green_shot_fade_img,
      dot_pelwick_purple_shot_fade_img, dot_pelwick_red_shot_fade_img,
      dot_pelwick_yellow_shot_fade_img};
  std::vector<DrawOp> expected;
  for (int32_t i = 0; i < kBossShotSlots; ++i) {
    const int32_t t = i % 12 + 1;
    expected.push_back(At(i + 20 + 48, kY - 16, colours[i % 7][(t - 1) / 2]));
  }
  EXPECT_EQ(OpsOf(draw_boss_shot_fades), expected);
  for (int32_t i = 0; i < kBossShotSlots; ++i) {
    EXPECT_EQ(boss_shot_fade_alive[i], i % 12 == 11 ? 0 : 1) << i;
  }
}

// Such an effect would otherwise keep its slot for ever.
TEST_F(BossShotSpritesTest, EffectsWithoutARowAreNotDrawnAndFreedAfterTwelveFrames) {
  struct Case {
    const char* label;
    int32_t boss;
    int32_t kind;
  };
  const Case cases[] = {{"ludera kind 5", 4, 5},
                        {"orsenta kind -2", 5, -2},
                        {"thessa kind 6", 8, 6},
                        {"boss 9", 9, 0},
                        {"boss -1", -1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ClearBoss();
    boss_id = c.boss;
    StartFade(4, c.kind);
    for (int32_t frame = 1; frame <= 12; ++frame) {
      EXPECT_TRUE(OpsOf(draw_boss_shot_fades).empty());
      EXPECT_EQ(boss_shot_fade_alive[4], frame < 12 ? 1 : 0) << frame;
    }
  }
}

}  // namespace
