// Sprites of objects whose positions lie beyond any int (a float the level
// files could once leave, such as the 2^31 of an x of 99999999999): they are
// placed at the int range's ends, where a cast was undefined.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "game/draw/draw.h"
#include "tests/game/draw/draw_test_support.h"

namespace {

constexpr int32_t kGraphic = 77;

TEST(FarPositionsTest, MapSpritesBeyondTheIntRangeAreHeldAtItsEnds) {
  const struct {
    const char* name;
    float x, y;
    int32_t scroll_x, scroll_y;
    int32_t drawn_x, drawn_y;
  } cases[] = {
      {"a position on the map", 160.5f, 96.0f, -32, 0, 160 - 32 + 48, 96 - 16},
      {"x of 2^31", 2147483648.0f, 160.0f, 0, 0, INT32_MAX, 160 - 16},
      {"x of -2^31 less the scroll", -2147483648.0f, 160.0f, -500, 0, INT32_MIN, 160 - 16},
      {"x of 1e11 and y of -1e11", 1e11f, -1e11f, 0, 0, INT32_MAX, INT32_MIN},
      {"the largest float below 2^31 plus the offset", 2147483520.0f, 0.0f, 0, 0, 2147483568, -16},
      {"the largest float below 2^31 plus the offset and a scroll past the end", 2147483520.0f,
       0.0f, 200, 0, INT32_MAX, -16},
      {"not a number as 0, infinity as the largest int", std::nanf(""),
       std::numeric_limits<float>::infinity(), 0, 0, 48, INT32_MAX - 16},
  };
  for (const auto& c : cases) {
    StartDrawing();
    scroll_x = c.scroll_x;
    scroll_y = c.scroll_y;
    draw_map_sprite(c.x, c.y, 48, -16, kGraphic);
    EXPECT_EQ(DrawOps(), std::vector<DrawOp>{At(c.drawn_x, c.drawn_y, kGraphic)}) << c.name;
  }
}

}  // namespace
