// Areas and floors: the area and floor in force, the three map layers and the
// row tables of the current floor (stairs, generators, placed hazards,
// movable rocks) read from the level files, the per-floor strength of the
// death enemy, the item tables of every area and the nine boss rows.
#pragma once

#include <cstdint>

// ---- Table sizes ----------------------------------------------------------------

constexpr int32_t kMapGridSize = 65;       // each map layer is 65 x 65 cells of 32 pixels
constexpr int32_t kStairsSlots = 16;
constexpr int32_t kGeneratorSlots = 72;
constexpr int32_t kSetEnemySlots = 36;
constexpr int32_t kMovableRockSlots = 8;
constexpr int32_t kItemRowsPerFloor = 16;
constexpr int32_t kBossRowCount = 9;
constexpr int32_t kAreaCount = 15;

// ---- The floor in force ---------------------------------------------------------

// The play sub-state: 1 ordinary floor, 2 boss floor, 0 from the title reset
// until the first area entry. Written by the area loaders.
extern int32_t map_status;
// The current area (0 to 14, index of the area loaders) and its floor.
extern int32_t present_map_number;
extern int32_t present_map_floor;

// ---- Map layers ------------------------------------------------------------------

// Indexed [row][column]; row = map y / 32, column = map x / 32.
extern int32_t map_chip_layer[kMapGridSize][kMapGridSize];   // ground chip 0-255
extern int32_t map_cover_layer[kMapGridSize][kMapGridSize];  // chip over it, 255 none
extern int32_t map_cell[kMapGridSize][kMapGridSize];         // walls, floors, scene cells
extern int32_t map_width;      // in cells
extern int32_t map_height;     // in cells
extern int32_t map_width_px;   // map_width x 32
extern int32_t map_height_px;  // map_height x 32

// ---- Stairs and exits (parallel arrays, one row a slot) ----------------------------

extern int32_t stairs_count;
extern float stairs_x[kStairsSlots];  // centre of the trigger, map pixels
extern float stairs_y[kStairsSlots];
extern int32_t stairs_to_area[kStairsSlots];
extern int32_t stairs_to_floor[kStairsSlots];
extern int32_t stairs_to_x[kStairsSlots];  // arrival point of the first player
extern int32_t stairs_to_y[kStairsSlots];
extern int32_t stairs_exit_look[kStairsSlots];  // 0 spin, 1 flicker out, else hidden

// ---- Enemy generators (parallel arrays) -----------------------------------------

extern int32_t generator_count;
extern float generator_x[kGeneratorSlots];
extern float generator_y[kGeneratorSlots];
extern int32_t generator_active[kGeneratorSlots];  // 1 present, 0 gone
extern int32_t generator_kind[kGeneratorSlots];    // enemy kind 0-54 it releases
extern int32_t generator_hp[kGeneratorSlots];
extern int32_t generator_interval[kGeneratorSlots];  // frames between releases
// Run-time columns.
extern int32_t generator_counter[kGeneratorSlots];  // frames counted towards the interval
extern int32_t generator_blocked[kGeneratorSlots];
extern int32_t generator_hit_blink[kGeneratorSlots];
extern int32_t generator_death_fade[kGeneratorSlots];

// ---- Placed hazards (parallel arrays) ----------------------------------------------

extern int32_t set_enemy_count;
extern float set_enemy_home_x[kSetEnemySlots];  // position from the floor file
extern float set_enemy_home_y[kSetEnemySlots];
extern float set_enemy_x[kSetEnemySlots];  // current centre
extern float set_enemy_y[kSetEnemySlots];
extern int32_t set_enemy_active[kSetEnemySlots];
extern int32_t set_enemy_kind[kSetEnemySlots];  // 0 fire, 1 vine, 2 korone, 3 bookshelf, 4 needle
extern int32_t set_enemy_hp[kSetEnemySlots];
extern int32_t set_enemy_width[kSetEnemySlots];  // half-extents of the box
extern int32_t set_enemy_height[kSetEnemySlots];
extern int32_t set_enemy_variant[kSetEnemySlots];
extern int32_t set_enemy_tick[kSetEnemySlots];  // the hazard's frame counter
// Run-time columns.
extern int32_t set_enemy_cell[kSetEnemySlots];  // image cell chosen by the behaviour
// The hazard's step of this frame (also called set_enemy_vx, set_enemy_vy).
extern float set_enemy_push_vx[kSetEnemySlots];
extern float set_enemy_push_vy[kSetEnemySlots];
extern int32_t set_enemy_pushed[kSetEnemySlots];
extern int32_t set_enemy_hit_blink[kSetEnemySlots];
extern int32_t set_enemy_death_fade[kSetEnemySlots];

// ---- Movable rocks (parallel arrays) -----------------------------------------------

extern int32_t movable_rock_count;
extern float movable_rock_home_x[kMovableRockSlots];
extern float movable_rock_home_y[kMovableRockSlots];
extern float movable_rock_x[kMovableRockSlots];
extern float movable_rock_y[kMovableRockSlots];
extern float movable_rock_push_vx[kMovableRockSlots];
extern float movable_rock_push_vy[kMovableRockSlots];
extern int32_t movable_rock_pushed[kMovableRockSlots];

// ---- The death enemy of the current floor ----------------------------------------

extern int32_t death_appear_time;  // frames until a generator releases it
extern int32_t death_hp;
extern int32_t death_attack;

// ---- Item tables of every area ------------------------------------------------------

// One floor item row as the item files give it.
struct item_data {
  float x;  // centre in map pixels
  float y;
  int32_t present;  // 1 on the floor, 0 taken or broken; kept in the save slots
  int32_t kind;     // item kind
  int32_t hp;
  int32_t width;  // half-extents of the box
  int32_t height;
};

// Per area: 16 rows for every floor, and the number of rows each floor uses.
// They are read at start-up and on every return to the title, and are the
// master copy of each floor's items for the whole game.
extern item_data item_table_pelune_house[1][kItemRowsPerFloor];
extern item_data item_table_field01[4][kItemRowsPerFloor];
extern item_data item_table_dansion01[7][kItemRowsPerFloor];
extern item_data item_table_dansion02[8][kItemRowsPerFloor];
extern item_data item_table_dansion02sub[5][kItemRowsPerFloor];
extern item_data item_table_field02[2][kItemRowsPerFloor];
extern item_data item_table_dansion03[7][kItemRowsPerFloor];
extern item_data item_table_library[7][kItemRowsPerFloor];
extern item_data item_table_dansion05[9][kItemRowsPerFloor];
extern item_data item_table_dansion06[8][kItemRowsPerFloor];
extern item_data item_table_field03[4][kItemRowsPerFloor];
extern item_data item_table_dansion07[10][kItemRowsPerFloor];
extern item_data item_table_dansion08[9][kItemRowsPerFloor];
extern item_data item_table_dansion09[10][kItemRowsPerFloor];
extern item_data item_table_ending[1][kItemRowsPerFloor];

extern int32_t item_count_pelune_house[1];
extern int32_t item_count_field01[4];
extern int32_t item_count_dansion01[7];
extern int32_t item_count_dansion02[8];
extern int32_t item_count_dansion02sub[5];
extern int32_t item_count_field02[2];
extern int32_t item_count_dansion03[7];
extern int32_t item_count_library[7];
extern int32_t item_count_dansion05[9];
extern int32_t item_count_dansion06[8];
extern int32_t item_count_field03[4];
extern int32_t item_count_dansion07[10];
extern int32_t item_count_dansion08[9];
extern int32_t item_count_dansion09[10];
extern int32_t item_count_ending[1];

// ---- Boss rows -------------------------------------------------------------------------

// The start values of one boss, copied into the current-boss globals when its
// floor is entered.
struct boss_data {
  int32_t id;      // boss behaviour 0-8
  int32_t active;  // 1 while the boss is to be fought; 0 once beaten (kept in the save slots)
  float x;
  float y;
  int32_t hp;
  int32_t attack;
  int32_t width;  // half-extents of the boss's box
  int32_t height;
  int32_t shot_width;  // half-extents of every boss shot's box
  int32_t shot_height;
};

// Row r belongs to the r-th boss area: dansion01, dansion02, dansion03,
// library, dansion05, dansion06, dansion07, dansion08, dansion09.
extern boss_data boss_data_rows[kBossRowCount];

// ---- Floor files -------------------------------------------------------------------------

// The buffer of the separator line between two map layers: three characters
// and the end of the line. A longer separator leaves its rest to the next
// layer's first row.
constexpr int32_t kMapSeparatorBuffer = 4;
// The line buffer of every level reader: at most 511 characters a line.
constexpr int32_t kLevelLineBuffer = 512;

// Reads a map file (W and H, then the ground, cover and cell layers) into
// map_width, map_height, the three layers, map_width_px and map_height_px.
// W and H are held to 0 to 65; a short row, a missing line or a file that
// does not open leaves the cells it does not reach as they were. The second
// separator line is read with `second_separator_buffer` bytes. It never
// writes map_status.
void read_map_file(const char* path, int32_t second_separator_buffer = kMapSeparatorBuffer);

// One column of a row table: each row's token goes to `ints`, or, stored as
// a float, to `floats` and also to `floats_copy` when given. Float columns
// are map positions, as are int columns marked `position`: their tokens are
// held within kPositionLimit pixels (game/world/positions.h).
struct RowColumn {
  int32_t* ints;
  float* floats;
  float* floats_copy;
  bool position = false;
};

// Reads a row file: the first token of line 1 into `*count` (held to 0 to
// `slots`), then one row a line into slots 0, 1, ... of the columns until a
// line that begins with '@' or the end of the file. Rows past `slots` are
// read and dropped; a missing token leaves its slot as it was; a position
// beyond kPositionLimit is held at it. A file that does not open sets the
// count to 0.
void read_row_file(const char* path, int32_t* count, int32_t slots, const RowColumn* columns,
                   int32_t column_count);

// ---- Procedures --------------------------------------------------------------------------

// Clears the run-time state of the floor being left and runs the loader of
// the current area for the current floor; the loader clears
// area_entry_request. An area outside 0 to 14 or a floor it does not have
// loads nothing: only the request is cleared.
void enter_area();

// The loaders of the 15 areas, by area number: each loads the current floor
// (present_map_floor) of its area and clears area_entry_request.
extern void (*const area_loaders[kAreaCount])();
void load_area_pelune_house();
void load_area_field01();
void load_area_dansion01();
void load_area_dansion02();
void load_area_dansion02sub();
void load_area_field02();
void load_area_dansion03();
void load_area_library();
void load_area_dansion05();
void load_area_dansion06();
void load_area_field03();
void load_area_dansion07();
void load_area_dansion08();
void load_area_dansion09();
void load_area_ending();

// Reads the item tables of the 15 areas and the nine boss rows.
void load_item_data();
// The item and boss files of one area each.
void load_item_data_pelune_house();
void load_item_data_field01();
void load_item_data_field02();
void load_item_data_field03();
void load_item_data_dansion01();
void load_item_data_dansion02();
void load_item_data_dansion02sub();
void load_item_data_dansion03();
void load_item_data_library();
void load_item_data_dansion05();
void load_item_data_dansion06();
void load_item_data_dansion07();
void load_item_data_dansion08();
void load_item_data_dansion09();
void load_item_data_ending();

// Marks row i of the current floor's item table taken (present 0), so the
// item stays gone on the floor's next entry and in save slots. Areas 0 and
// 14 use their one floor; another area number, floor or row changes nothing.
void mark_floor_item_taken(int32_t i);
