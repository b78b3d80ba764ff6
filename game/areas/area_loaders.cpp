// The fifteen area loaders: each reads the current floor of its area from
// the level files, driven by the area table.
#include "game/areas/area_table.h"
#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/scenes/scenes.h"
#include "game/shell/shell.h"
#include "game/world/world.h"

namespace {

constexpr int32_t kEndingScene = 118;
constexpr int32_t kOrdinaryFloor = 1;
constexpr int32_t kBossFloor = 2;
// Boss 6's keyboard starts this far to the left of the boss.
constexpr float kKeyboardOffset = 35.0f;
// A block placed by a loader stands still until its route starts it.
constexpr int32_t kBlockStopped = 255;

// Long enough for every level file name of the area table.
constexpr size_t kPathSize = 128;

void read_floor_map(const AreaTableRow& area, int32_t number, int32_t floor) {
  char path[kPathSize];
  if (!level_file_path(path, sizeof path, area, "BRIMAL_", floor)) return;
  // The house's second separator line is read whole.
  if (number == kAreaPeluneHouse) {
    read_map_file(path, kLevelLineBuffer);
  } else {
    read_map_file(path);
  }
}

void read_rows(const AreaTableRow& area, const char* kind, int32_t floor, int32_t* count,
               int32_t slots, const RowColumn* columns, int32_t column_count) {
  char path[kPathSize];
  if (!level_file_path(path, sizeof path, area, kind, floor)) return;
  read_row_file(path, count, slots, columns, column_count);
}

void read_stairs(const AreaTableRow& area, int32_t floor) {
  const RowColumn columns[] = {
      {nullptr, stairs_x, nullptr},      {nullptr, stairs_y, nullptr},
      {stairs_to_area, nullptr, nullptr}, {stairs_to_floor, nullptr, nullptr},
      {stairs_to_x, nullptr, nullptr, true}, {stairs_to_y, nullptr, nullptr, true},
      {stairs_exit_look, nullptr, nullptr},
  };
  read_rows(area, "stairs_data_", floor, &stairs_count, kStairsSlots, columns, 7);
}

void read_generators(const AreaTableRow& area, int32_t floor) {
  const RowColumn columns[] = {
      {nullptr, generator_x, nullptr},      {nullptr, generator_y, nullptr},
      {generator_active, nullptr, nullptr}, {generator_kind, nullptr, nullptr},
      {generator_hp, nullptr, nullptr},     {generator_interval, nullptr, nullptr},
  };
  read_rows(area, "generator_data_", floor, &generator_count, kGeneratorSlots, columns,
            area.generator_columns);
}

// In the one-floor areas the file position goes to the current position
// only; the home copies keep what they held.
void read_set_enemies(const AreaTableRow& area, int32_t floor) {
  const bool homes = area.numbered != 0;
  const RowColumn columns[] = {
      {nullptr, set_enemy_x, homes ? set_enemy_home_x : nullptr},
      {nullptr, set_enemy_y, homes ? set_enemy_home_y : nullptr},
      {set_enemy_active, nullptr, nullptr},
      {set_enemy_kind, nullptr, nullptr},
      {set_enemy_hp, nullptr, nullptr},
      {set_enemy_width, nullptr, nullptr},
      {set_enemy_height, nullptr, nullptr},
      {set_enemy_variant, nullptr, nullptr},
      {set_enemy_tick, nullptr, nullptr},
  };
  read_rows(area, "set_enemy_data_", floor, &set_enemy_count, kSetEnemySlots, columns, 9);
}

void read_rocks(const AreaTableRow& area, int32_t floor) {
  const RowColumn columns[] = {
      {nullptr, movable_rock_home_x, movable_rock_x},
      {nullptr, movable_rock_home_y, movable_rock_y},
  };
  read_rows(area, "rock_data_", floor, &movable_rock_count, kMovableRockSlots, columns, 2);
}

// The floor's rows of the area's item table, word for word; slots at and
// above the count keep what they hold.
void copy_floor_items(const AreaTableRow& area, int32_t floor) {
  if (floor < 0 || floor >= area.floors) return;
  floor_item_count = area.item_count[floor];
  for (int32_t i = 0; i < floor_item_count && i < kFloorItemSlots; ++i) {
    const item_data& row = area.item_rows[floor][i];
    floor_item_x[i] = row.x;
    floor_item_y[i] = row.y;
    floor_item_present[i] = row.present;
    floor_item_kind[i] = row.kind;
    floor_item_hp[i] = row.hp;
    floor_item_width[i] = row.width;
    floor_item_height[i] = row.height;
  }
}

void set_death_values(const AreaTableRow& area, int32_t floor) {
  if (floor < 0 || floor >= area.death_floors) return;
  death_appear_time = area_death_time(area, floor);
  death_hp = area.death_hp;
  death_attack = area.death_attack;
}

void place_moving_blocks(int32_t floor) {
  constexpr int32_t kFloors = sizeof moving_block_starts / sizeof moving_block_starts[0];
  if (floor < 0 || floor >= kFloors) return;
  const MovingBlockStart& start = moving_block_starts[floor];
  moving_block_count = start.count;
  for (int32_t b = 0; b < start.count; ++b) {
    moving_block[b].x = start.x[b];
    moving_block[b].y = start.y[b];
    moving_block[b].direction = kBlockStopped;
    moving_block[b].timer = 0;
  }
}

void set_up_boss(const AreaTableRow& area, int32_t number) {
  map_status = kBossFloor;
  const boss_data& row = boss_data_rows[area.boss_row];
  boss_id = row.id;
  boss_active = row.active;
  boss_x = row.x;
  boss_y = row.y;
  present_bossHP = row.hp;
  boss_attack = row.attack;
  boss_width = row.width;
  boss_height = row.height;
  boss_shot_width = row.shot_width;
  boss_shot_height = row.shot_height;
  if (number == kAreaDansion07) {
    boss_part_x = boss_x - kKeyboardOffset;
    boss_part_y = boss_y;
  }
}

// The patch map is read over the floor's own map: cells outside its width
// and height keep the floor's values.
void read_patch_map(const AreaTableRow& area, int32_t floor) {
  for (const PatchMapOfFloor& patch : area.patch_maps) {
    if (patch.floor != floor || patch.path == nullptr) continue;
    read_map_file(patch.path);
    map_status = kOrdinaryFloor;
  }
}

// Loads the current floor of area `number`.
void load_area(int32_t number) {
  const AreaTableRow& area = area_table[number];
  const int32_t floor = present_map_floor;
  // The ending scene runs over the ending floor from this frame on.
  if (number == kAreaEnding) {
    game_status = kStatusScene;
    scene_number = kEndingScene;
  }
  music_request = area.music;
  // The one-floor areas read their files on floor 0 only.
  if (area.numbered != 0 || floor == 0) {
    set_death_values(area, floor);
    if (number == kAreaDansion09) place_moving_blocks(floor);
    read_floor_map(area, number, floor);
    map_status = kOrdinaryFloor;
    read_stairs(area, floor);
    read_generators(area, floor);
    read_set_enemies(area, floor);
    copy_floor_items(area, floor);
    read_rocks(area, floor);
    if (area.boss_floor >= 0 && floor == area.boss_floor) set_up_boss(area, number);
  }
  area_entry_request = 0;
  if (area.numbered != 0) read_patch_map(area, floor);
}

}  // namespace

void load_area_pelune_house() { load_area(0); }
void load_area_field01() { load_area(1); }
void load_area_dansion01() { load_area(2); }
void load_area_dansion02() { load_area(3); }
void load_area_dansion02sub() { load_area(4); }
void load_area_field02() { load_area(5); }
void load_area_dansion03() { load_area(6); }
void load_area_library() { load_area(7); }
void load_area_dansion05() { load_area(8); }
void load_area_dansion06() { load_area(9); }
void load_area_field03() { load_area(10); }
void load_area_dansion07() { load_area(11); }
void load_area_dansion08() { load_area(12); }
void load_area_dansion09() { load_area(13); }
void load_area_ending() { load_area(14); }

void (*const area_loaders[kAreaCount])() = {
    load_area_pelune_house, load_area_field01,   load_area_dansion01, load_area_dansion02,
    load_area_dansion02sub, load_area_field02,   load_area_dansion03, load_area_library,
    load_area_dansion05,    load_area_dansion06, load_area_field03,   load_area_dansion07,
    load_area_dansion08,    load_area_dansion09, load_area_ending,
};
