// Dropped and floor items: images by kind, the 32-frame animation, the white
// blink, crystals by phase, the breakable rock, invisible kinds, absent items
// and the vanish effect.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/draw/draw.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/game/draw/draw_test_support.h"

namespace {

class ItemSpritesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartDrawing();
    scroll_x = 7;
    scroll_y = -100;
  }

  // Slot or index 1 at map (64.5, 128.9): screen x 64 + 7 + 48, y 128 - 100 - 16.
  static void PlaceDropped(int32_t kind) {
    dropped_item_present[1] = 1;
    dropped_item_kind[1] = kind;
    dropped_item_x[1] = 64.5f;
    dropped_item_y[1] = 128.9f;
    dropped_item_anim[1] = 0;
    dropped_item_hit_blink[1] = 0;
  }
  static void PlaceFloor(int32_t kind) {
    floor_item_present[1] = 1;
    floor_item_kind[1] = kind;
    floor_item_x[1] = 64.5f;
    floor_item_y[1] = 128.9f;
    floor_item_anim[1] = 0;
    floor_item_hit_blink[1] = 0;
  }
  static std::vector<DrawOp> Sprite(int32_t handle) { return {At(kX, kY, handle)}; }
  static constexpr int64_t kX = 119;
  static constexpr int64_t kY = 12;
};

struct ItemImages {
  int32_t kind;
  const int32_t* image;
  const int32_t* white;
};

// Kind 9 is dropped by one enemy kind; it is drawn as on the floor.
const ItemImages kItems[] = {
    {0, dot_potion_white_img, dot_potion_white_white_img},
    {1, dot_potion_black_img, dot_potion_black_white_img},
    {2, dot_item_AG_img, dot_item_AG_white_img},
    {3, dot_item_AT_img, dot_item_AG_white_img},
    {4, dot_item_VT_img, dot_item_AG_white_img},
    {5, dot_item_IN_img, dot_item_AG_white_img},
    {6, dot_holly_img, dot_holly_white_img},
    {7, dot_healing_img, dot_healing_white_img},
    {8, dot_mirror_img, dot_mirror_white_img},
    {9, dot_life_up_img, dot_life_up_white_img},
};

// The cells of 33 drawn frames: 8 frames a cell, the counter wrapping at 32.
TEST_F(ItemSpritesTest, ItemsCycleFourCellsOfTheirKind) {
  for (const ItemImages& item : kItems) {
    SCOPED_TRACE(item.kind);
    PlaceDropped(item.kind);
    PlaceFloor(item.kind);
    for (int32_t frame = 1; frame <= 33; ++frame) {
      SCOPED_TRACE(frame);
      const int32_t anim = frame % 32;
      EXPECT_EQ(OpsOf([] { draw_dropped_item(1); }), Sprite(item.image[anim / 8]));
      EXPECT_EQ(dropped_item_anim[1], anim);
      EXPECT_EQ(OpsOf([] { draw_floor_item(1); }), Sprite(item.image[anim / 8]));
      EXPECT_EQ(floor_item_anim[1], anim);
    }
  }
}

// After a hit (1) the drawn values are 2 to 16 and then 0: white at 5, 9, 13.
TEST_F(ItemSpritesTest, ItemsFlashWhiteOnTheBlinkFrames) {
  for (const ItemImages& item : kItems) {
    SCOPED_TRACE(item.kind);
    PlaceDropped(item.kind);
    PlaceFloor(item.kind);
    dropped_item_hit_blink[1] = 1;
    floor_item_hit_blink[1] = 1;
    for (int32_t frame = 1; frame <= 17; ++frame) {
      SCOPED_TRACE(frame);
      const int32_t blink = frame <= 15 ? frame + 1 : 0;
      const int32_t* sheet = blink == 5 || blink == 9 || blink == 13 ? item.white : item.image;
      const int32_t cell = (frame % 32) / 8;
      EXPECT_EQ(OpsOf([] { draw_dropped_item(1); }), Sprite(sheet[cell]));
      EXPECT_EQ(OpsOf([] { draw_floor_item(1); }), Sprite(sheet[cell]));
      EXPECT_EQ(dropped_item_hit_blink[1], blink);
      EXPECT_EQ(floor_item_hit_blink[1], blink);
    }
  }
}

// A crystal drawn every frame shows AG for 120 frames, then AT, VT and IN,
// and AG again; its cell turns every 8 frames, round every 32. It never
// flashes.
TEST_F(ItemSpritesTest, CrystalsShowTheirPhaseOver480Frames) {
  for (const int32_t kind : {11, 19, 21, 29}) {
    SCOPED_TRACE(kind);
    PlaceFloor(kind);
    const int32_t* const phases[4] = {dot_crystal_AG_img, dot_crystal_AT_img, dot_crystal_VT_img,
                                      dot_crystal_IN_img};
    for (int32_t frame = 1; frame <= 500; ++frame) {
      if (frame % 50 == 0) floor_item_hit_blink[1] = 1;
      const int32_t anim = frame % 480;
      ASSERT_EQ(OpsOf([] { draw_floor_item(1); }), Sprite(phases[anim / 120][(anim % 32) / 8]))
          << frame;
      ASSERT_EQ(floor_item_anim[1], anim);
    }
  }
}

TEST_F(ItemSpritesTest, BreakableRockHoldsItsAnimationAndFlashesWhite) {
  PlaceFloor(100);
  floor_item_anim[1] = 20;
  floor_item_hit_blink[1] = 3;
  EXPECT_EQ(OpsOf([] { draw_floor_item(1); }), Sprite(dot_breakable_rock));
  EXPECT_EQ(floor_item_anim[1], 0);
  EXPECT_EQ(OpsOf([] { draw_floor_item(1); }), Sprite(dot_breakable_rock_white));  // blink 5
  EXPECT_EQ(OpsOf([] { draw_floor_item(1); }), Sprite(dot_breakable_rock));
  EXPECT_EQ(floor_item_anim[1], 0);
}

TEST_F(ItemSpritesTest, KindsWithoutAnImageArePresentButInvisible) {
  for (const int32_t kind : {10, 20, 30, 99, 101, -1}) {
    SCOPED_TRACE(kind);
    PlaceFloor(kind);
    EXPECT_TRUE(OpsOf([] { draw_floor_item(1); }).empty());
    EXPECT_TRUE(OpsOf([] { draw_floor_item(1); }).empty());
    EXPECT_EQ(floor_item_anim[1], 2);
  }
  // A dropped item other than 0 to 9 likewise.
  PlaceDropped(11);
  EXPECT_TRUE(OpsOf([] { draw_dropped_item(1); }).empty());
  EXPECT_EQ(dropped_item_anim[1], 1);
}

TEST_F(ItemSpritesTest, AbsentItemsShowOnlyTheirVanishEffect) {
  PlaceDropped(0);
  PlaceFloor(0);
  dropped_item_present[1] = 0;
  floor_item_present[1] = 0;
  dropped_item_hit_blink[1] = 3;
  floor_item_hit_blink[1] = 3;
  // Taken items get no effect: nothing drawn, nothing moves.
  EXPECT_TRUE(OpsOf([] { draw_dropped_item(1); }).empty());
  EXPECT_TRUE(OpsOf([] { draw_floor_item(1); }).empty());
  EXPECT_EQ(dropped_item_anim[1], 0);
  EXPECT_EQ(floor_item_hit_blink[1], 3);

  // Destroyed items: the counter started at 1 is first drawn at 2, so cell 0
  // shows twice and cells 1 to 10 three times, 32 frames in all.
  dropped_item_vanish[1] = 1;
  floor_item_vanish[1] = 1;
  for (int32_t frame = 1; frame <= 32; ++frame) {
    SCOPED_TRACE(frame);
    const int32_t cell = frame / 3;
    EXPECT_EQ(OpsOf([] { draw_dropped_item(1); }), Sprite(dot_enemy_fade_img[cell]));
    EXPECT_EQ(OpsOf([] { draw_floor_item(1); }), Sprite(dot_enemy_fade_img[cell]));
    EXPECT_EQ(dropped_item_vanish[1], frame < 32 ? frame + 1 : 0);
    EXPECT_EQ(floor_item_vanish[1], frame < 32 ? frame + 1 : 0);
  }
  EXPECT_TRUE(OpsOf([] { draw_dropped_item(1); }).empty());
  EXPECT_TRUE(OpsOf([] { draw_floor_item(1); }).empty());
  EXPECT_EQ(dropped_item_hit_blink[1], 3);
}

}  // namespace
