// Movable rocks and placed hazards: the rock image by area, the hazard looks
// by kind and variant, the white blink of fire jets and vines only, and the
// vanish effect of a switched-off hazard.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/areas/areas.h"
#include "game/draw/draw.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/game/draw/draw_test_support.h"

namespace {

class RockAndHazardSpritesTest : public ::testing::Test {
 protected:
  void SetUp() override { StartDrawing(); }

  // Hazard 2 at map (200.0, 100.0), active, with the camera at 0.
  static void Place(int32_t kind, int32_t variant, int32_t cell) {
    set_enemy_active[2] = 1;
    set_enemy_kind[2] = kind;
    set_enemy_variant[2] = variant;
    set_enemy_cell[2] = cell;
    set_enemy_x[2] = 200.0f;
    set_enemy_y[2] = 100.0f;
    set_enemy_hit_blink[2] = 0;
    set_enemy_death_fade[2] = 0;
  }
  static std::vector<DrawOp> DrawTwo() {
    return OpsOf([] { draw_set_enemy(2); });
  }
};

TEST_F(RockAndHazardSpritesTest, RocksAreStoneInTheLaterAreas) {
  movable_rock_x[3] = 90.9f;
  movable_rock_y[3] = 40.2f;
  scroll_x = -30;
  scroll_y = 10;
  for (int32_t area = 0; area < 15; ++area) {
    SCOPED_TRACE(area);
    present_map_number = area;
    const bool stone = area == 8 || area == 9 || area == 11 || area == 12 || area == 13;
    EXPECT_EQ(OpsOf([] { draw_movable_rock(3); }),
              (std::vector<DrawOp>{At(90 - 30 + 48, 40 + 10 - 16,
                                      stone ? dot_movable_stone_img : dot_movable_rock)}));
  }
}

TEST_F(RockAndHazardSpritesTest, HazardsDrawTheirCellByKindAndVariant) {
  struct Case {
    const char* label;
    int32_t kind;
    int32_t variant;
    int32_t cell;
    int32_t handle;  // 0 nothing
    int64_t dx, dy;
  };
  const Case cases[] = {
      {"fire up", 0, 0, 6, dot_fire_enemy_img01[6], 48, -144},
      {"fire up, tens 1", 0, 10, 0, dot_fire_enemy_img01[0], 48, -144},
      {"fire right", 0, 2, 3, dot_fire_enemy_img02[3], 48, -16},
      {"fire right, tens 1", 0, 12, 3, dot_fire_enemy_img02[3], 48, -16},
      {"fire down", 0, 4, 1, dot_fire_enemy_img03[1], 48, -16},
      {"fire down, tens 1", 0, 14, 1, dot_fire_enemy_img03[1], 48, -16},
      {"fire left", 0, 6, 2, dot_fire_enemy_img04[2], -80, -16},
      {"fire left, tens 1", 0, 16, 2, dot_fire_enemy_img04[2], -80, -16},
      {"fire variant 1", 0, 1, 0, 0, 0, 0},
      {"fire variant 8", 0, 8, 0, 0, 0, 0},
      {"fire variant 20", 0, 20, 0, 0, 0, 0},
      {"fire cell 7", 0, 2, 7, 0, 0, 0},
      {"vine up", 1, 0, 4, dot_vine_img01[4], 48, -144},
      {"vine right", 1, 2, 0, dot_vine_img02[0], 48, -48},
      {"vine down", 1, 4, 2, dot_vine_img03[2], 48, -48},
      {"vine left", 1, 6, 3, dot_vine_img04[3], -80, -48},
      {"vine variant 10", 1, 10, 0, 0, 0, 0},
      {"vine cell 5", 1, 0, 5, 0, 0, 0},
      {"korone", 2, 0, 6, dot_korone_img[6], 48, -48},
      {"korone cell -1", 2, 0, -1, 0, 0, 0},
      {"bookshelf back 0", 3, 0, 0, dot_bookshelf_back_img, 32, -32},
      {"bookshelf back 10", 3, 10, 0, dot_bookshelf_back_img, 32, -32},
      {"bookshelf front", 3, 2, 0, dot_bookshelf_front_img, 32, -32},
      {"needle", 4, 0, 3, dot_needle_img[3], 48, -16},
      {"kind 5", 5, 0, 0, 0, 0, 0},
      {"kind -1", -1, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Place(c.kind, c.variant, c.cell);
    set_enemy_hit_blink[2] = 1;
    std::vector<DrawOp> expected;
    if (c.handle != 0) expected.push_back(At(200 + c.dx, 100 + c.dy, c.handle));
    EXPECT_EQ(DrawTwo(), expected);
    EXPECT_EQ(set_enemy_hit_blink[2], 2);  // the blink counts even when nothing shows
  }
}

// A fire of variant 12 at (200.0, 100.0) with cell 3 lands at (248, 84).
TEST_F(RockAndHazardSpritesTest, FireAndVineFlashWhiteOthersNever) {
  struct Case {
    int32_t kind;
    int32_t variant;
    int32_t cell;
    int32_t normal;
    int32_t white;
    int64_t x, y;
  };
  const Case cases[] = {
      {0, 12, 3, dot_fire_enemy_img02[3], dot_fire_enemy_white_img02[3], 248, 84},
      {0, 6, 3, dot_fire_enemy_img04[3], dot_fire_enemy_white_img04[3], 120, 84},
      {1, 4, 3, dot_vine_img03[3], dot_vine_white_img03[3], 248, 52},
      {2, 0, 3, dot_korone_img[3], dot_korone_img[3], 248, 52},
      {3, 0, 3, dot_bookshelf_back_img, dot_bookshelf_back_img, 232, 68},
      {4, 0, 3, dot_needle_img[3], dot_needle_img[3], 248, 84},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " variant " << c.variant);
    Place(c.kind, c.variant, c.cell);
    set_enemy_hit_blink[2] = 1;
    for (int32_t frame = 1; frame <= 17; ++frame) {
      SCOPED_TRACE(frame);
      const int32_t blink = frame <= 15 ? frame + 1 : 0;
      const bool white = blink == 5 || blink == 9 || blink == 13;
      EXPECT_EQ(DrawTwo(), (std::vector<DrawOp>{At(c.x, c.y, white ? c.white : c.normal)}));
      EXPECT_EQ(set_enemy_hit_blink[2], blink);
    }
  }
}

TEST_F(RockAndHazardSpritesTest, SwitchedOffHazardsShowOnlyTheirVanishEffect) {
  Place(0, 2, 3);
  set_enemy_active[2] = 0;
  set_enemy_hit_blink[2] = 3;
  EXPECT_TRUE(DrawTwo().empty());  // switched off with no effect started
  EXPECT_EQ(set_enemy_hit_blink[2], 3);

  set_enemy_death_fade[2] = 1;
  for (int32_t frame = 1; frame <= 32; ++frame) {
    SCOPED_TRACE(frame);
    EXPECT_EQ(DrawTwo(), (std::vector<DrawOp>{At(248, 84, dot_enemy_fade_img[frame / 3])}));
    EXPECT_EQ(set_enemy_death_fade[2], frame < 32 ? frame + 1 : 0);
  }
  EXPECT_TRUE(DrawTwo().empty());
  EXPECT_EQ(set_enemy_hit_blink[2], 3);
}

// An effect still running when the floor changed goes on in the slot while
// the slot's new hazard is inactive, and stands still while it is active.
TEST_F(RockAndHazardSpritesTest, VanishCounterMovesOnlyWhileSwitchedOff) {
  Place(4, 0, 1);
  set_enemy_death_fade[2] = 10;
  EXPECT_EQ(DrawTwo(), (std::vector<DrawOp>{At(248, 84, dot_needle_img[1])}));
  EXPECT_EQ(set_enemy_death_fade[2], 10);
  set_enemy_active[2] = 0;
  EXPECT_EQ(DrawTwo(), (std::vector<DrawOp>{At(248, 84, dot_enemy_fade_img[3])}));
  EXPECT_EQ(set_enemy_death_fade[2], 11);
}

}  // namespace
