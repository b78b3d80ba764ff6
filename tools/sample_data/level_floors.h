// The floors of the sample level data: one builder for each kind of floor
// (ordinary rooms, the house, the save points, the boss rooms, dansion09's
// block floors, the ending) and what they hold.
#pragma once

#include "tools/sample_data/level_plan.h"

// A boss row of the set (row r of the boss rows, id r, active 1).
struct SampleBossRow {
  int id, x, y, hp, attack, width, height, shot_width, shot_height;
};
extern const SampleBossRow kSampleBossRows[9];

// The dansion08 boss room holds the open code 9 at row 3, column 7 until it
// is read again from the beaten room's file, which holds 8 there.
constexpr int kSwitchCellColumn = 7;
constexpr int kSwitchCellRow = 3;
constexpr int kBeatenSwitchCell = 8;
constexpr const char* kBeatenRoomPath = "data/mapdata/dansion08/BRIMAL_dansion088b.csv";

// Floor `floor` of area `area`, laid out with its contents and its ports;
// the stairs rows come when the floors are joined.
FloorPlan BuildSampleFloor(int area, int floor);
