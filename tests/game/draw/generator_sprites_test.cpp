// Generators: the frame tables and their ends, the looks by enemy kind, the
// blue overlay of one floor, the white blink and the vanish effect.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/areas/areas.h"
#include "game/draw/draw.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/game/draw/draw_test_support.h"

namespace {

class GeneratorSpritesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartDrawing();
    scroll_x = 3;
    scroll_y = 4;
    Place(0);
  }

  // Generator 5 at map (32.0, 64.0): screen x 32 + 3 + 48, y 64 + 4 - 16.
  static void Place(int32_t kind) {
    generator_active[5] = 1;
    generator_kind[5] = kind;
    generator_x[5] = 32.0f;
    generator_y[5] = 64.0f;
    generator_counter[5] = 0;
    generator_hit_blink[5] = 0;
  }
  static std::vector<DrawOp> Sprite(int32_t handle) { return {At(kX, kY, handle)}; }
  static std::vector<DrawOp> DrawFive() {
    return OpsOf([] { draw_generator(5); });
  }
  static constexpr int64_t kX = 83;
  static constexpr int64_t kY = 52;
};

TEST_F(GeneratorSpritesTest, FrameTablesHoldTheirEndsBeyondTheirLength) {
  const int32_t long_table[] = {1, 0, 1, 0, 1, 2, 3, 2, 3, 4, 3, 2, 1, 2, 3, 4, 5, 6};
  for (int32_t i = 0; i < 18; ++i) EXPECT_EQ(get_generator_frame_long(i), long_table[i]) << i;
  for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(get_generator_frame_short(i), i + 1) << i;
  // Intervals from the level files may run past either end.
  for (const int32_t i : {18, 19, 1000}) {
    EXPECT_EQ(get_generator_frame_long(i), 6) << i;
    EXPECT_EQ(get_generator_frame_short(i), 6) << i;
  }
  for (const int32_t i : {-1, -1000}) {
    EXPECT_EQ(get_generator_frame_long(i), 1) << i;
    EXPECT_EQ(get_generator_frame_short(i), 1) << i;
  }
}

TEST_F(GeneratorSpritesTest, SpawnCounterChoosesTheCell) {
  struct Case {
    int32_t counter;
    int32_t long_cell;
    int32_t short_cell;
  };
  const Case cases[] = {
      {0, 1, 1},   {6, 1, 1},   {7, 0, 2},   {41, 2, 6}, {42, 3, 6},  {118, 5, 6},  {119, 6, 6},
      {125, 6, 6}, {126, 6, 6}, {300, 6, 6}, {-6, 1, 1}, {-20, 1, 1}, {-100, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.counter);
    Place(0);
    generator_counter[5] = c.counter;
    EXPECT_EQ(DrawFive(), Sprite(dot_generator_red_img[c.long_cell]));
    Place(14);
    generator_counter[5] = c.counter;
    EXPECT_EQ(DrawFive(), Sprite(dot_generator_red_img[c.short_cell]));
    EXPECT_EQ(generator_counter[5], c.counter);  // owned by the generator update
  }
}

TEST_F(GeneratorSpritesTest, LooksFollowTheKindReleased) {
  struct Case {
    int32_t kind;
    std::vector<DrawOp> normal;
    std::vector<DrawOp> white;  // on a blink frame
  };
  // Counter 21: long entry 3 is cell 0, short entry 3 is cell 4.
  const Case cases[] = {
      {0, Sprite(dot_generator_red_img[0]), Sprite(dot_generator_white_img[0])},
      {54, Sprite(dot_generator_red_img[0]), Sprite(dot_generator_white_img[0])},
      {14, Sprite(dot_generator_red_img[4]), Sprite(dot_generator_white_img[4])},
      {16, Sprite(dot_generator_red_img[4]), Sprite(dot_generator_white_img[4])},
      {15, Sprite(dot_generator_red_img[4]), Sprite(dot_generator_white_img[4])},
      {17, Sprite(dot_generator_red_img[4]), Sprite(dot_generator_white_img[4])},
      {18, Sprite(BRIMAL_map_chip_strandmoorle[130]), Sprite(BRIMAL_map_chip_strandmoorle[130])},
      {19, Sprite(BRIMAL_map_chip_strandmoorle[129]), Sprite(BRIMAL_map_chip_strandmoorle[129])},
      {50, Sprite(dot_generator_blue_img[0]), Sprite(dot_generator_blue_img[0])},
      {55, {}, {}},
      {-1, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    Place(c.kind);
    generator_counter[5] = 21;
    EXPECT_EQ(DrawFive(), c.normal);
    generator_hit_blink[5] = 4;  // becomes 5
    EXPECT_EQ(DrawFive(), c.white);
    EXPECT_EQ(generator_hit_blink[5], 5);  // the blink runs for every kind
  }
}

TEST_F(GeneratorSpritesTest, BlueFrameOverlaysOnlyOnAreaElevenFloorFour) {
  struct Case {
    int32_t area;
    int32_t floor;
    bool overlay;
  };
  const Case cases[] = {{11, 4, true}, {11, 3, false}, {12, 4, false}, {0, 0, false}};
  for (const Case& c : cases) {
    present_map_number = c.area;
    present_map_floor = c.floor;
    for (const int32_t kind : {15, 17, 14, 16, 0}) {
      SCOPED_TRACE(testing::Message()
                   << "area " << c.area << " floor " << c.floor << " kind " << kind);
      Place(kind);
      generator_counter[5] = 35;   // short entry 5: cell 6
      generator_hit_blink[5] = 8;  // becomes 9: white
      std::vector<DrawOp> expected;
      if (kind == 0) {
        expected = Sprite(dot_generator_white_img[2]);  // long entry 5
      } else {
        expected = Sprite(dot_generator_white_img[6]);
        if (c.overlay && (kind == 15 || kind == 17)) {
          expected.push_back(At(kX, kY, dot_generator_blue_img[6]));
        }
      }
      EXPECT_EQ(DrawFive(), expected);
    }
  }
}

TEST_F(GeneratorSpritesTest, DestroyedGeneratorsShowTheirVanishEffect) {
  generator_active[5] = 0;
  generator_hit_blink[5] = 3;
  EXPECT_TRUE(DrawFive().empty());  // no effect started
  generator_death_fade[5] = 1;
  for (int32_t frame = 1; frame <= 32; ++frame) {
    SCOPED_TRACE(frame);
    EXPECT_EQ(DrawFive(), Sprite(dot_enemy_fade_img[frame / 3]));
    EXPECT_EQ(generator_death_fade[5], frame < 32 ? frame + 1 : 0);
  }
  EXPECT_TRUE(DrawFive().empty());
  EXPECT_EQ(generator_hit_blink[5], 3);  // the blink runs only while active
}

}  // namespace
