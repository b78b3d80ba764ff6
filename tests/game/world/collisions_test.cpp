// Walls, cells and box collisions: the cell lookup, the wall stop with its
// corner nudges, the bumps between bodies and the push floors.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "game/areas/areas.h"
#include "game/world/world.h"
#include "tests/game/world/world_test_support.h"

namespace {

// ---- map_cell_at -----------------------------------------------------------------------

// Every cell holds its own code.
void NumberCells() {
  for (int32_t row = 0; row < kMapGridSize; ++row)
    for (int32_t column = 0; column < kMapGridSize; ++column)
      map_cell[row][column] = 3 + row * kMapGridSize + column;
}

int32_t Numbered(int32_t row, int32_t column) { return 3 + row * kMapGridSize + column; }

struct LookupCase {
  const char* name;
  float x, y;
  int32_t expected;
};

TEST(MapCellAtTest, CellsByTruncationAndAWallOutsideTheGrid) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const LookupCase cases[] = {
      {"origin", 0.0f, 0.0f, Numbered(0, 0)},
      {"last pixel of the first cell", 31.9f, 31.9f, Numbered(0, 0)},
      {"column by x, row by y", 32.0f, 70.0f, Numbered(2, 1)},
      {"-31 truncates to cell 0", -31.5f, -31.0f, Numbered(0, 0)},
      {"last cell of the grid", 2079.9f, 2079.0f, Numbered(64, 64)},
      {"left of the grid", -32.0f, 10.0f, kWall},
      {"above the grid", 10.0f, -32.0f, kWall},
      {"right of the grid", 2080.0f, 10.0f, kWall},
      {"below the grid", 10.0f, 2080.0f, kWall},
      {"far beyond int range", 1e20f, 10.0f, kWall},
      {"far below int range", 10.0f, -1e20f, kWall},
      {"not a number", nan, 10.0f, kWall},
  };
  NumberCells();
  for (const LookupCase& c : cases) EXPECT_EQ(map_cell_at(c.x, c.y), c.expected) << c.name;
}

// ---- stop_at_walls ---------------------------------------------------------------------

struct Body {
  float x, y, vx, vy;
};

struct WallCase {
  const char* name;
  void (*build)();  // puts walls into an open map
  Body start;
  int32_t width, height;
  Body expected;
  int32_t hit;
};

const WallCase kWallCases[] = {
    // Wall row 2 covers y 64 to 95; the body's top edge is at 106.
    {"up into a wall row stops flush with its lower edge",
     [] { SetCellRow(2, kWall); }, {100, 118, 0, -12}, 12, 12, {100, 108, 0, 0}, 1},
    {"up short of the wall row moves the whole step",
     [] { SetCellRow(2, kWall); }, {100, 118, 0, -9}, 12, 12, {100, 109, 0, 0}, 0},
    // Wall row 5 starts at y 160; the bottom edge is at 150.
    {"down into a wall row stops 1.0 short of its upper edge",
     [] { SetCellRow(5, kWall); }, {100, 138, 0, 12}, 12, 12, {100, 147, 0, 0}, 1},
    {"left into a wall column stops flush",
     [] { SetCellColumn(2, kWall); }, {118, 100, -12, 0}, 12, 12, {108, 100, 0, 0}, 1},
    {"right into a wall column stops 1.0 short",
     [] { SetCellColumn(5, kWall); }, {138, 100, 12, 0}, 12, 12, {147, 100, 0, 0}, 1},
    // Only the cell above the top-left corner is a wall.
    {"one top corner caught: nudged +1.0 toward the free side",
     [] { map_cell[2][2] = kWall; }, {100, 118, 0, -12}, 12, 12, {100, 108, 1, 0}, 1},
    {"one top corner caught on the right: nudged -1.0",
     [] { map_cell[2][3] = kWall; }, {100, 118, 0, -12}, 12, 12, {100, 108, -1, 0}, 1},
    {"one bottom corner caught moving right: vy nudged -1.0",
     [] { map_cell[3][5] = kWall; }, {138, 100, 12, 0}, 12, 12, {147, 100, 0, -1}, 1},
    {"a zero step reports a corner in a wall and stays",
     [] { map_cell[3][3] = kWall; }, {100, 100, 0, 0}, 12, 12, {100, 100, 0, 0}, 1},
    {"a wall behind the step is reported but does not stop it",
     [] { SetCellRow(5, kWall); }, {100, 160, 0, -4}, 12, 12, {100, 156, 0, 0}, 1},
    {"code 2 stops a body",
     [] { SetCellRow(2, 2); }, {100, 118, 0, -12}, 12, 12, {100, 108, 0, 0}, 1},
    {"code 3 does not",
     [] { SetCellRow(2, 3); }, {100, 118, 0, -12}, 12, 12, {100, 106, 0, 0}, 0},
    {"a diagonal step stopped vertically still moves sideways",
     [] { SetCellRow(2, kWall); }, {100, 118, -5, -12}, 12, 12, {95, 108, 0, 0}, 1},
    // The cell left of the body at row 3 is a wall: met only after the
    // vertical move brought the body's top edge into row 3.
    {"the horizontal pass probes at the new y",
     [] { map_cell[3][2] = kWall; }, {110, 140, -8, -10}, 12, 12, {108, 130, 0, 1}, 1},
    {"a step past the grid's left edge meets a wall",
     [] {}, {10, 100, -30, 0}, 12, 12, {12, 100, 0, 0}, 1},
    {"corners beyond the grid's right edge are in a wall",
     [] {}, {2070, 100, 0, 0}, 12, 12, {2070, 100, 0, 0}, 1},
};

TEST(StopAtWallsTest, StopsNudgesAndReports) {
  for (const WallCase& c : kWallCases) {
    FillCells(kOpen);
    c.build();
    Body b = c.start;
    const int32_t hit = stop_at_walls(b.x, b.y, b.vx, b.vy, c.width, c.height);
    EXPECT_EQ(hit, c.hit) << c.name;
    EXPECT_EQ(b.x, c.expected.x) << c.name;
    EXPECT_EQ(b.y, c.expected.y) << c.name;
    EXPECT_EQ(b.vx, c.expected.vx) << c.name;
    EXPECT_EQ(b.vy, c.expected.vy) << c.name;
  }
}

// ---- push_out_of_box and push_out_of_box_hit ----------------------------------------------

struct Box {
  float x, y, vx, vy;
  int32_t w, h;
  int32_t pushed;  // the mover's: its no-push flag
};

struct BumpCase {
  const char* name;
  Box mover, other;
  float vx, vy;                    // the mover's step afterwards
  float other_vx, other_vy;        // the other body's step afterwards
  int32_t other_pushed;
  int32_t hit;
};

const BumpCase kBumpCases[] = {
    // The mover's box moved 2 up reaches y 86; the other's bottom edge is 88.
    {"up into a box above: stopped, the other pushed up",
     {100, 100, 0, -2, 12, 12, 0}, {100, 76, 0, 0, 12, 12, 0}, 0, 0, 0, -3, 1, 1},
    {"the no-push flag stops the mover only",
     {100, 100, 0, -2, 12, 12, 1}, {100, 76, 0, 0, 12, 12, 0}, 0, 0, 0, 0, 0, 1},
    {"boxes that only touch meet",
     {100, 100, 0, -2, 12, 12, 0}, {100, 74, 0, 0, 12, 12, 0}, 0, 0, 0, -3, 1, 1},
    {"a box out of reach",
     {100, 100, 0, -2, 12, 12, 0}, {100, 73.5f, 0, 0, 12, 12, 0}, 0, -2, 0, 0, 0, 0},
    {"down into a box below: pushed down",
     {100, 100, 0, 2, 12, 12, 0}, {100, 126, 0, 0, 12, 12, 0}, 0, 0, 0, 3, 1, 1},
    {"left into a box: pushed left",
     {100, 100, -2, 0, 12, 12, 0}, {76, 100, 0, 0, 12, 12, 0}, 0, 0, -3, 0, 1, 1},
    {"right into a box: pushed right, adding to its own step",
     {100, 100, 2, 0, 12, 12, 0}, {126, 100, 1.5f, 0, 12, 12, 0}, 0, 0, 4.5f, 0, 1, 1},
    // Moved 5 up the mover reaches the other's box; tested sideways at the
    // unmoved y it does not.
    {"a cancelled vertical step puts the sideways test at the unmoved y",
     {100, 100, 5, -5, 12, 12, 0}, {120, 75, 0, 0, 12, 12, 0}, 5, 0, 0, -3, 1, 1},
    {"a diagonal step cancelled on both axes pushes on both",
     {100, 100, 3, 3, 12, 12, 0}, {120, 120, 0, 0, 12, 12, 0}, 0, 0, 3, 3, 1, 1},
    {"a body standing inside another meets nothing",
     {100, 100, 0, 0, 12, 12, 0}, {100, 100, 0, 0, 12, 12, 0}, 0, 0, 0, 0, 0, 0},
};

TEST(PushOutOfBoxTest, BothTwinsCancelAndPushAlike) {
  for (const BumpCase& c : kBumpCases) {
    for (int twin = 0; twin < 2; ++twin) {
      Box m = c.mover;
      Box o = c.other;
      int32_t hit = -1;
      if (twin == 0) {
        push_out_of_box(m.x, m.y, m.vx, m.vy, m.w, m.h, m.pushed, o.x, o.y, o.vx, o.vy, o.w, o.h,
                        o.pushed);
      } else {
        hit = push_out_of_box_hit(m.x, m.y, m.vx, m.vy, m.w, m.h, m.pushed, o.x, o.y, o.vx, o.vy,
                                  o.w, o.h, o.pushed);
        EXPECT_EQ(hit, c.hit) << c.name;
      }
      const char* which = twin == 0 ? " (push_out_of_box)" : " (push_out_of_box_hit)";
      EXPECT_EQ(m.vx, c.vx) << c.name << which;
      EXPECT_EQ(m.vy, c.vy) << c.name << which;
      EXPECT_EQ(o.vx, c.other_vx) << c.name << which;
      EXPECT_EQ(o.vy, c.other_vy) << c.name << which;
      EXPECT_EQ(o.pushed, c.other_pushed) << c.name << which;
    }
  }
}

// ---- apply_floor_push ------------------------------------------------------------------

struct FloorPushCase {
  int32_t code;
  float vx, vy;  // added to a step of (0.5, -0.5)
};

TEST(ApplyFloorPushTest, PushFloorCodesByTensAndUnits) {
  const FloorPushCase cases[] = {
      {10, 0, -1},  {11, 1, -1},  {22, 2, 0},   {23, 2, 2},  {34, 0, 3},  {35, -3, 3},
      {46, -4, 0},  {47, -4, -4}, {50, 0, -5},  {57, -5, -5},
      // Not push floors.
      {9, 0, 0},    {18, 0, 0},   {19, 0, 0},   {28, 0, 0},  {49, 0, 0},  {58, 0, 0},
      {59, 0, 0},   {60, 0, 0},   {0, 0, 0},    {-13, 0, 0},
  };
  for (const FloorPushCase& c : cases) {
    FillCells(kOpen);
    map_cell[3][4] = c.code;
    float vx = 0.5f;
    float vy = -0.5f;
    apply_floor_push(140.0f, 100.0f, vx, vy);
    EXPECT_EQ(vx, 0.5f + c.vx) << "code " << c.code;
    EXPECT_EQ(vy, -0.5f + c.vy) << "code " << c.code;
  }
}

TEST(ApplyFloorPushTest, TheCellUnderTheCentreDecides) {
  FillCells(kOpen);
  map_cell[3][4] = 52;  // 5 to the right, under x 128 to 159
  float vx = 0.0f;
  float vy = 0.0f;
  apply_floor_push(127.9f, 100.0f, vx, vy);
  EXPECT_EQ(vx, 0.0f);
  apply_floor_push(128.0f, 100.0f, vx, vy);
  EXPECT_EQ(vx, 5.0f);
}

}  // namespace
