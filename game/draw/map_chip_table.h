// The fixed chips of the map drawing: the chip set of each area, the floors
// with a save-point figure, the exit chips of beaten boss rooms and the
// overlay chips drawn over the objects.
#pragma once

#include <cstdint>

// The chip set (256 cell handles) of each area 0 to 14.
extern int32_t* const area_chip_set[15];

// A chip at a screen place given as an offset from the scroll: drawn at
// (scroll_x + x, scroll_y + y).
struct PlacedChip {
  int32_t area;
  int32_t floor;  // -1: every floor of the area
  int32_t* chip_set;
  int32_t chip;
  int32_t x;
  int32_t y;
};

// The save-point figure's top-left corner on its floors (chip_set and chip
// unused).
constexpr int32_t kSaveFigureFloors = 4;
extern const PlacedChip save_figure_places[kSaveFigureFloors];

// The exit chips of a beaten boss room, by area (two in area 12), in drawing
// order.
constexpr int32_t kExitChips = 10;
extern const PlacedChip exit_chips[kExitChips];

// The overlay chips of two floors, in drawing order.
constexpr int32_t kOverlayChips = 30;
extern const PlacedChip overlay_chips[kOverlayChips];
