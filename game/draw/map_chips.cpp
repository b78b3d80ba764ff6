// The map chips: the visible window of the floor's two chip layers with the
// save-point figure, a beaten boss room's exit chip and area 13's moving
// blocks under every object, and the overlay chips drawn over them.
#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/draw/draw.h"
#include "game/draw/map_chip_table.h"
#include "game/shell/shell.h"
#include "game/world/positions.h"
#include "game/world/world.h"
#include "runtime/system/api.h"

namespace {

constexpr int32_t kChip = 32;
constexpr int32_t kFieldLeft = 64;  // screen x of map x 0 at scroll 0
constexpr int32_t kWindowColumns = 17;
constexpr int32_t kWindowRows = 13;
constexpr int32_t kChipCount = 256;
constexpr int32_t kNoCover = 255;

constexpr int32_t kNimbraArea = 13;  // ground chip 255 stays black; moving blocks

// The figure shows each of its 4 cells for 15 frames.
constexpr int32_t kFigureCounterLast = 59;
constexpr int32_t kFigureFramesPerCell = 15;

// The area-12 boss room swaps its map once the cell at row 3, column 7 holds 9.
constexpr int32_t kSwitchArea = 12;
constexpr int32_t kSwitchRow = 3;
constexpr int32_t kSwitchColumn = 7;
constexpr int32_t kSwitchCell = 9;
constexpr char kSwitchMap[] = "data/mapdata/dansion08/BRIMAL_dansion088b.csv";

// Chip numbers outside the set draw nothing.
void draw_chip(const int32_t* chip_set, int32_t chip, int32_t x, int32_t y) {
  if (chip < 0 || chip >= kChipCount) return;
  ApiDrawGraphicAt(x, y, chip_set[chip], 1);
}

void draw_placed_chip(const PlacedChip& placed) {
  draw_chip(placed.chip_set, placed.chip, scroll_x + placed.x, scroll_y + placed.y);
}

bool on_floor(const PlacedChip& placed) {
  return placed.area == present_map_number &&
         (placed.floor == -1 || placed.floor == present_map_floor);
}

// The 17 x 13 window from column -(scroll_x / 32), row -(scroll_y / 32): one
// more than the field holds whole each way. Cells outside the grid (a negative
// index on a map smaller than the field, or 65) show nothing.
void draw_window(const int32_t* chip_set) {
  const int32_t first_column = -(scroll_x / kChip);
  const int32_t first_row = -(scroll_y / kChip);
  for (int32_t row = first_row; row < first_row + kWindowRows; ++row) {
    if (row < 0 || row >= kMapGridSize) continue;
    for (int32_t column = first_column; column < first_column + kWindowColumns; ++column) {
      if (column < 0 || column >= kMapGridSize) continue;
      const int32_t x = column * kChip + scroll_x + kFieldLeft;
      const int32_t y = row * kChip + scroll_y;
      const int32_t ground = map_chip_layer[row][column];
      if (present_map_number != kNimbraArea || ground != kChipCount - 1) {
        draw_chip(chip_set, ground, x, y);
      }
      const int32_t cover = map_cover_layer[row][column];
      if (cover != kNoCover) draw_chip(chip_set, cover, x, y);
    }
  }
}

// The counter moves only on frames a figure is drawn; every figure floor
// shares it.
void draw_save_figure() {
  for (const PlacedChip& place : save_figure_places) {
    if (!on_floor(place)) continue;
    if (save_figure_counter < kFigureCounterLast) {
      save_figure_counter += 1;
    } else {
      save_figure_counter = 0;
    }
    ApiDrawGraphicAt(scroll_x + place.x, scroll_y + place.y,
                     dot_slowly_sadri_img[save_figure_counter / kFigureFramesPerCell], 1);
  }
}

// A beaten boss room with every crystal taken shows its way on. In area 12
// the room's map is then swapped, after this frame's chips were drawn; it is
// read again on every frame whose new map still holds the switch cell.
void draw_exit_chips() {
  if (map_status != 2 || boss_active != 0 || remain_item != 0) return;
  for (const PlacedChip& chip : exit_chips) {
    if (on_floor(chip)) draw_placed_chip(chip);
  }
  if (present_map_number == kSwitchArea && map_cell[kSwitchRow][kSwitchColumn] == kSwitchCell) {
    read_map_file(kSwitchMap);
    map_status = 2;
  }
}

// Each block is twelve nimbra chips, four rows of three; its look is column
// present_map_floor of the set's first three rows, the top row doubled.
void draw_moving_blocks() {
  if (present_map_number != kNimbraArea) return;
  const int32_t rows[4][2] = {{-48, 0}, {-16, 0}, {16, 16}, {48, 32}};  // y offset, chip row start
  const int32_t columns[3] = {16, 48, 80};
  for (int32_t i = 0; i < moving_block_count && i < kMovingBlockSlots; ++i) {
    const int32_t x = position_to_int(moving_block[i].x);
    const int32_t y = position_to_int(moving_block[i].y);
    for (const auto& row : rows) {
      for (const int32_t column : columns) {
        draw_chip(BRIMAL_map_chip_nimbra, row[1] + present_map_floor,
                  held_sum(x, scroll_x, column), held_sum(y, scroll_y, row[0]));
      }
    }
  }
}

}  // namespace

void draw_map_chips() {
  if (present_map_number >= 0 && present_map_number < kAreaCount) {
    draw_window(area_chip_set[present_map_number]);
  }
  draw_save_figure();
  draw_exit_chips();
  draw_moving_blocks();
}

void draw_map_overlay() {
  for (const PlacedChip& chip : overlay_chips) {
    if (on_floor(chip)) draw_placed_chip(chip);
  }
}
