// The map chips through the draws the fake records: the chip window and its
// layers, the save-point figure, the exit chips of a beaten boss room, area
// 13's moving blocks and the overlay chips.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/draw/draw.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/game/shell/menu_test_support.h"
#include "tests/support/api_fake/api_fake.h"

namespace {

constexpr size_t kWindowDraws = 17 * 13;

int32_t Ground(int32_t row, int32_t column) { return (row * 17 + column) % 250; }

// The title reset with a handle in every image global, then a floor whose
// ground cells hold distinct chips below 250 and whose cover layer is empty.
void StartMap(int32_t area, int32_t floor, int32_t sx = 0, int32_t sy = 0) {
  api_fake().Reset();
  load_images();
  reset_game();
  present_map_number = area;
  present_map_floor = floor;
  map_status = 1;
  for (int32_t row = 0; row < kMapGridSize; ++row) {
    for (int32_t column = 0; column < kMapGridSize; ++column) {
      map_chip_layer[row][column] = Ground(row, column);
      map_cover_layer[row][column] = 255;
      map_cell[row][column] = 8;  // open floor, not the area-12 switch cell
    }
  }
  scroll_x = sx;
  scroll_y = sy;
  api_fake().calls.clear();
}

std::vector<Draw> DrawsAt(int64_t x, int64_t y) {
  std::vector<Draw> out;
  for (const Draw& d : Draws())
    if (d.x == x && d.y == y) out.push_back(d);
  return out;
}

// What was drawn after a full window of ground chips.
std::vector<Draw> Extras() {
  const std::vector<Draw> all = Draws();
  EXPECT_GE(all.size(), kWindowDraws);
  if (all.size() < kWindowDraws) return {};
  return std::vector<Draw>(all.begin() + kWindowDraws, all.end());
}

// ---- The window ---------------------------------------------------------------------

struct WindowCase {
  const char* name;
  int32_t scroll_x, scroll_y;
  int32_t first_column, first_row;
  int32_t columns, rows;  // of the window inside the grid
};

TEST(MapChipsTest, TheWindowRowByRowFromTheScrolledCorner) {
  const WindowCase cases[] = {
      {"at scroll 0", 0, 0, 0, 0, 17, 13},
      {"at scroll (-100, -40)", -100, -40, 3, 1, 17, 13},
      {"a scroll of -31 starts at cell 0", -31, -31, 0, 0, 17, 13},
      // A map narrower than the field scrolls right: columns -6 to -1 show nothing.
      {"a positive scroll", 192, 0, -6, 0, 11, 13},
      // Column and row 65 are beyond the grid.
      {"at the grid's far corner", -1568, -1700, 49, 53, 16, 12},
  };
  for (const WindowCase& c : cases) {
    StartMap(1, 0, c.scroll_x, c.scroll_y);
    draw_map_chips();
    std::vector<Draw> expected;
    const int32_t first_column = c.first_column < 0 ? 0 : c.first_column;
    const int32_t first_row = c.first_row < 0 ? 0 : c.first_row;
    for (int32_t row = first_row; row < first_row + c.rows; ++row) {
      for (int32_t column = first_column; column < first_column + c.columns; ++column) {
        expected.push_back(Draw{column * 32 + c.scroll_x + 64, row * 32 + c.scroll_y,
                                BRIMAL_map_chip_field01[Ground(row, column)], 1});
      }
    }
    EXPECT_EQ(Draws(), expected) << c.name;
  }
  // A worked example: column 3 lands at screen x 60, under the frame's edge.
  StartMap(1, 0, -100, -40);
  draw_map_chips();
  EXPECT_EQ(Draws().front(), (Draw{60, -8, BRIMAL_map_chip_field01[Ground(1, 3)], 1}));
}

TEST(MapChipsTest, CoverChipsOverTheGroundAndChipsOutsideTheSet) {
  StartMap(7, 0);
  map_cover_layer[1][2] = 0;    // chip 0 of the set
  map_cover_layer[1][3] = 255;  // no cover
  map_chip_layer[2][0] = 300;   // beyond the set: nothing
  map_chip_layer[2][1] = -1;
  map_cover_layer[2][2] = 256;
  map_chip_layer[2][3] = 255;  // drawn as chip 255 outside area 13
  draw_map_chips();
  const int32_t* library = BRIMAL_map_chip_library;
  EXPECT_EQ(DrawsAt(128, 32), (std::vector<Draw>{{128, 32, library[Ground(1, 2)], 1},
                                                 {128, 32, library[0], 1}}));
  EXPECT_EQ(DrawsAt(160, 32).size(), 1u);
  EXPECT_TRUE(DrawsAt(64, 64).empty());
  EXPECT_TRUE(DrawsAt(96, 64).empty());
  EXPECT_EQ(DrawsAt(128, 64), (std::vector<Draw>{{128, 64, library[Ground(2, 2)], 1}}));
  EXPECT_EQ(DrawsAt(160, 64), (std::vector<Draw>{{160, 64, library[255], 1}}));
}

TEST(MapChipsTest, AreaThirteenAloneLeavesAGroundOf255Black) {
  StartMap(13, 1);
  map_chip_layer[2][3] = 255;
  map_cover_layer[2][3] = 7;
  draw_map_chips();
  EXPECT_EQ(DrawsAt(160, 64), (std::vector<Draw>{{160, 64, BRIMAL_map_chip_nimbra[7], 1}}));
}

struct ChipSetCase {
  int32_t area;
  const int32_t* chip_set;
};

TEST(MapChipsTest, TheChipSetOfEachArea) {
  const ChipSetCase cases[] = {
      {0, BRIMAL_map_chip_field01},       {1, BRIMAL_map_chip_field01},
      {2, BRIMAL_map_chip_dansion01},     {3, BRIMAL_map_chip_forest},
      {4, BRIMAL_map_chip_dansion01},     {5, BRIMAL_map_chip_field01},
      {6, BRIMAL_map_chip_field01},       {7, BRIMAL_map_chip_library},
      {8, BRIMAL_map_chip_dansion05},     {9, BRIMAL_map_chip_dansion06},
      {10, BRIMAL_map_chip_field03},      {11, BRIMAL_map_chip_tower},
      {12, BRIMAL_map_chip_strandmoorle}, {13, BRIMAL_map_chip_nimbra},
      {14, BRIMAL_map_chip_field01},
  };
  for (const ChipSetCase& c : cases) {
    StartMap(c.area, 2);
    draw_map_chips();
    EXPECT_EQ(Draws().front().handle, c.chip_set[Ground(0, 0)]) << "area " << c.area;
  }
  // An area that does not exist draws no window.
  StartMap(15, 0);
  draw_map_chips();
  EXPECT_TRUE(Draws().empty());
}

// ---- The save-point figure ------------------------------------------------------------

// The figure's cell on each frame, -1 when none is drawn.
std::vector<int32_t> FigureCells(int frames) {
  std::vector<int32_t> cells;
  for (int f = 0; f < frames; ++f) {
    api_fake().calls.clear();
    draw_map_chips();
    int32_t cell = -1;
    for (const Draw& d : Draws()) {
      for (int32_t k = 0; k < 4; ++k) {
        if (d.handle != dot_slowly_sadri_img[k]) continue;
        EXPECT_EQ(cell, -1) << "two figures in one frame";
        EXPECT_EQ(d.x, scroll_x + 668);
        EXPECT_EQ(d.y, scroll_y + 86);
        cell = k;
      }
    }
    cells.push_back(cell);
  }
  return cells;
}

TEST(MapChipsTest, TheSaveFigureRunsItsFourCellsInSixtyFrames) {
  StartMap(5, 1, -200, -30);
  std::vector<int32_t> expected;
  expected.insert(expected.end(), 14, 0);  // counter 1 to 14
  expected.insert(expected.end(), 15, 1);
  expected.insert(expected.end(), 15, 2);
  expected.insert(expected.end(), 15, 3);
  expected.push_back(0);  // counter back at 0
  expected.push_back(0);
  EXPECT_EQ(FigureCells(61), expected);
  EXPECT_EQ(save_figure_counter, 1);
}

TEST(MapChipsTest, TheFigureCounterMovesOnlyWhereAFigureIsDrawnAndIsShared) {
  StartMap(5, 0);  // no figure here
  save_figure_counter = 20;
  FigureCells(3);
  EXPECT_EQ(save_figure_counter, 20);

  const struct {
    int32_t area, floor, x, y;
  } places[] = {{5, 1, 668, 86}, {4, 3, 505, 54}, {4, 4, 505, 54}, {13, 0, 1179, 118}};
  for (const auto& place : places) {
    present_map_number = place.area;
    present_map_floor = place.floor;
    api_fake().calls.clear();
    draw_map_chips();
    EXPECT_TRUE(DrawsAt(place.x, place.y) ==
                (std::vector<Draw>{{place.x, place.y, dot_slowly_sadri_img[1], 1}}))
        << "area " << place.area << " floor " << place.floor;
  }
  EXPECT_EQ(save_figure_counter, 24);
}

// ---- Exit chips of a beaten boss room --------------------------------------------------

// A chip to be drawn, resolved to its handle once the images are loaded.
struct ChipDraw {
  int64_t x, y;
  const int32_t* chip_set;
  int32_t chip;
};

std::vector<Draw> Resolve(const std::vector<ChipDraw>& chips) {
  std::vector<Draw> out;
  for (const ChipDraw& c : chips) out.push_back(Draw{c.x, c.y, c.chip_set[c.chip], 1});
  return out;
}

struct ExitCase {
  const char* name;
  int32_t area, status, boss, remain;
  std::vector<ChipDraw> extras;  // at scroll (-10, -20)
};

TEST(MapChipsTest, TheExitChipOfABeatenRoomOnceEveryCrystalIsTaken) {
  const ExitCase cases[] = {
      {"area 2 beaten and cleared", 2, 2, 0, 0, {{502, 44, BRIMAL_map_chip_dansion01, 54}}},
      {"a crystal left", 2, 2, 0, 1, {}},
      {"the boss still fights", 2, 2, 1, 0, {}},
      {"an ordinary floor", 2, 1, 0, 0, {}},
      {"area 3", 3, 2, 0, 0, {{502, 140, BRIMAL_map_chip_forest, 5}}},
      {"area 6 from the field01 set", 6, 2, 0, 0, {{150, 108, BRIMAL_map_chip_field01, 222}}},
      {"area 7", 7, 2, 0, 0, {{470, 236, BRIMAL_map_chip_library, 73}}},
      {"area 8", 8, 2, 0, 0, {{118, 76, BRIMAL_map_chip_dansion05, 103}}},
      {"area 9", 9, 2, 0, 0, {{278, 44, BRIMAL_map_chip_dansion06, 87}}},
      {"area 11", 11, 2, 0, 0, {{118, 76, BRIMAL_map_chip_tower, 49}}},
      {"area 12: two chips, the second from the nimbra set",
       12, 2, 0, 0,
       {{118, 236, BRIMAL_map_chip_strandmoorle, 98}, {494, 16, BRIMAL_map_chip_nimbra, 85}}},
      {"area 13", 13, 2, 0, 0, {{310, 44, BRIMAL_map_chip_nimbra, 85}}},
      {"area 5 has none", 5, 2, 0, 0, {}},
  };
  for (const ExitCase& c : cases) {
    StartMap(c.area, 2, -10, -20);
    map_status = c.status;
    boss_active = c.boss;
    remain_item = c.remain;
    draw_map_chips();
    EXPECT_EQ(Extras(), Resolve(c.extras)) << c.name;
  }
}

// ---- The area-12 map switch ---------------------------------------------------------------

constexpr char kSwitchMap[] = "data/mapdata/dansion08/BRIMAL_dansion088b.csv";

// An 8 x 4 map whose ground is all chip 40 and whose cell at row 3, column 7
// holds `switch_cell`.
std::string SwitchMap(int32_t switch_cell) {
  const std::string row = "40,40,40,40,40,40,40,40\r\n";
  const std::string cover = "255,255,255,255,255,255,255,255\r\n";
  const std::string cells = "8,8,8,8,8,8,8,8\r\n";
  std::string map = "8,4\r\n" + row + row + row + row + "\r\n" + cover + cover + cover + cover +
                    "\r\n" + cells + cells + cells + "8,8,8,8,8,8,8," +
                    std::to_string(switch_cell) + "\r\n";
  return map;
}

int SwitchReads() {
  int reads = 0;
  for (const ApiCall& c : api_fake().Calls("ApiOpenFileForRead"))
    if (c.texts[0] == kSwitchMap) ++reads;
  return reads;
}

TEST(MapChipsTest, TheAreaTwelveRoomSwapsItsMapOnceCleared) {
  // The new map no longer holds 9 at the switch cell: read once.
  StartMap(12, 8);
  api_fake().files[kSwitchMap] = SwitchMap(8);
  map_status = 2;
  boss_active = 0;
  remain_item = 0;
  map_cell[3][7] = 9;
  draw_map_chips();
  EXPECT_EQ(SwitchReads(), 1);
  EXPECT_EQ(map_status, 2);
  EXPECT_EQ(map_width, 8);
  EXPECT_EQ(map_height_px, 128);
  EXPECT_EQ(Draws().front().handle, BRIMAL_map_chip_strandmoorle[Ground(0, 0)])
      << "the old layers are drawn in the frame of the switch";
  api_fake().calls.clear();
  draw_map_chips();
  EXPECT_EQ(SwitchReads(), 0);
  EXPECT_EQ(Draws().front().handle, BRIMAL_map_chip_strandmoorle[40]) << "the new ones after it";

  // While the new map still holds 9 there, it is read on every frame.
  StartMap(12, 8);
  api_fake().files[kSwitchMap] = SwitchMap(9);
  map_status = 2;
  boss_active = 0;
  remain_item = 0;
  map_cell[3][7] = 9;
  for (int frame = 0; frame < 3; ++frame) draw_map_chips();
  EXPECT_EQ(SwitchReads(), 3);

  // Not before the room is cleared, and in no other area.
  StartMap(12, 8);
  api_fake().files[kSwitchMap] = SwitchMap(8);
  map_status = 2;
  boss_active = 0;
  remain_item = 1;
  map_cell[3][7] = 9;
  draw_map_chips();
  EXPECT_EQ(SwitchReads(), 0);
  StartMap(11, 8);
  map_status = 2;
  boss_active = 0;
  remain_item = 0;
  map_cell[3][7] = 9;
  draw_map_chips();
  EXPECT_EQ(SwitchReads(), 0);
}

// ---- Moving blocks -----------------------------------------------------------------------

TEST(MapChipsTest, MovingBlocksOfAreaThirteenAfterTheMap) {
  StartMap(13, 6, -400, -500);
  moving_block_count = 1;
  moving_block[0].x = 656.9f;
  moving_block[0].y = 784.2f;
  std::vector<Draw> expected;
  const int32_t rows[4][2] = {{236, 6}, {268, 6}, {300, 22}, {332, 38}};
  for (const auto& row : rows)
    for (const int32_t x : {272, 304, 336})
      expected.push_back(Draw{x, row[0], BRIMAL_map_chip_nimbra[row[1]], 1});
  draw_map_chips();
  EXPECT_EQ(Extras(), expected);

  // On a boss floor too, after the exit chip.
  api_fake().calls.clear();
  map_status = 2;
  boss_active = 0;
  remain_item = 0;
  draw_map_chips();
  expected.insert(expected.begin(), Draw{-80, -436, BRIMAL_map_chip_nimbra[85], 1});
  EXPECT_EQ(Extras(), expected);

  // With no block nothing comes after the map; other areas draw none.
  StartMap(13, 6, -400, -500);
  moving_block_count = 0;
  draw_map_chips();
  EXPECT_TRUE(Extras().empty());
  StartMap(12, 6, -400, -500);
  moving_block_count = 1;
  draw_map_chips();
  EXPECT_TRUE(Extras().empty());
}

// ---- Overlays -----------------------------------------------------------------------------

TEST(MapOverlayTest, TheFixedChipsOfTwoFloors) {
  StartMap(1, 0, -8, -16);
  draw_map_overlay();
  const int32_t* field = BRIMAL_map_chip_field01;
  EXPECT_EQ(Draws(), (std::vector<Draw>{
                         {184, 208, field[214], 1}, {184, 240, field[230], 1},
                         {184, 272, field[246], 1}, {216, 208, field[1], 1},
                         {216, 240, field[17], 1},  {216, 272, field[33], 1},
                         {472, 208, field[215], 1}, {472, 240, field[231], 1},
                         {472, 272, field[247], 1}, {440, 208, field[1], 1},
                         {440, 240, field[17], 1},  {440, 272, field[37], 1},
                     }));

  StartMap(12, 7, -8, -16);
  draw_map_overlay();
  const std::vector<Draw> all = Draws();
  ASSERT_EQ(all.size(), 18u);
  const int32_t* strand = BRIMAL_map_chip_strandmoorle;
  EXPECT_EQ(all.front(), (Draw{184, 272, strand[18], 1}));
  EXPECT_EQ(all[6], (Draw{1112, 272, strand[16], 1}));
  EXPECT_EQ(std::vector<Draw>(all.end() - 6, all.end()),
            (std::vector<Draw>{{440, 1008, strand[35], 1}, {440, 1040, strand[35], 1},
                               {440, 1070, strand[35], 1}, {888, 1008, strand[35], 1},
                               {888, 1040, strand[35], 1}, {888, 1070, strand[35], 1}}));

  for (const auto& floor : {std::pair{1, 1}, std::pair{12, 6}, std::pair{3, 0}}) {
    StartMap(floor.first, floor.second);
    draw_map_overlay();
    EXPECT_TRUE(Draws().empty()) << "area " << floor.first << " floor " << floor.second;
  }
}

}  // namespace
