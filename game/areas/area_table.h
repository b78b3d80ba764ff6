// The fifteen areas: folder word, floors, boss floor and row, item table,
// music, death values, patch maps and generator columns, by area number
// (present_map_number). Data only: the area loaders, the item data, the save
// slots and the sample data generator all read it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "game/areas/areas.h"

// Area numbers that some rules single out.
constexpr int32_t kAreaPeluneHouse = 0;
constexpr int32_t kAreaField02 = 5;
constexpr int32_t kAreaDansion07 = 11;
constexpr int32_t kAreaDansion08 = 12;
constexpr int32_t kAreaDansion09 = 13;
constexpr int32_t kAreaEnding = 14;

// A floor whose death enemy comes after another number of frames than the
// area's; floor -1 marks an unused entry.
struct DeathTimeOfFloor {
  int32_t floor;
  int32_t time;
};

// A map file read over a floor's own map; floor -1 marks an unused entry.
struct PatchMapOfFloor {
  int32_t floor;
  const char* path;
};

struct AreaTableRow {
  // The folder under "data/mapdata/" and the word in the file names.
  const char* folder;
  int32_t floors;
  // 1: the file names carry the floor number ("BRIMAL_dansion013.csv");
  // 0: the area has one floor and names without it ("BRIMAL_ending.csv").
  int32_t numbered;
  int32_t boss_floor;  // -1: no boss
  int32_t boss_row;    // row of boss_data_rows, -1 without a boss
  // The item table and the per-floor item counts of the area.
  item_data (*item_rows)[kItemRowsPerFloor];
  int32_t* item_count;
  int32_t music;  // music_request on every floor
  // The death values are set on floors 0 to death_floors - 1 only; another
  // floor number keeps them as they were.
  int32_t death_floors;
  int32_t death_time;
  DeathTimeOfFloor death_times[4];
  int32_t death_hp;
  int32_t death_attack;
  PatchMapOfFloor patch_maps[2];
  // Columns of a generator row: 5, or 6 with the release interval.
  int32_t generator_columns;
};

extern const AreaTableRow area_table[kAreaCount];

// The areas in the order their item data is read and their rows are kept in
// a save slot: pelune_house, field01, field02, field03, dansion01, ...
extern const int32_t item_area_order[kAreaCount];

// The moving blocks of dansion09 placed on entry to each of its floors.
struct MovingBlockStart {
  int32_t count;
  float x[2];
  float y[2];
};
extern const MovingBlockStart moving_block_starts[10];

// The death enemy's arrival time on `floor` of the area.
int32_t area_death_time(const AreaTableRow& area, int32_t floor);

// The level file of one kind ("BRIMAL_", "stairs_data_", "generator_data_",
// "set_enemy_data_", "rock_data_", "item_data_", "boss_data_") for a floor
// of an area: "data/mapdata/<folder>/<kind><folder><floor>.csv", without the
// floor number in the one-floor areas. False (and `out` empty) when it does
// not fit `size`.
bool level_file_path(char* out, size_t size, const AreaTableRow& area, const char* kind,
                     int32_t floor);
