// The item and boss data of every area, read at start-up and on every return
// to the title: one item file per floor, one boss file per boss area.
#include "game/areas/area_table.h"
#include "game/areas/areas.h"
#include "game/areas/level_lines.h"
#include "game/world/positions.h"
#include "runtime/system/api.h"

namespace {

constexpr size_t kPathSize = 128;
constexpr int32_t kItemColumns = 7;
constexpr int32_t kBossColumns = 10;

// Floor `floor`'s item file: its count and its rows, up to the '@' line or
// the end of the file; positions are held within kPositionLimit. A file that
// does not open sets the count to 0.
void read_item_file(const AreaTableRow& area, int32_t floor) {
  char path[kPathSize];
  int32_t& count = area.item_count[floor];
  const intptr_t file =
      level_file_path(path, sizeof path, area, "item_data_", floor) ? ApiOpenFileForRead(path, 0) : 0;
  if (file == 0) {
    count = 0;
    return;
  }
  item_data* rows = area.item_rows[floor];
  read_table_lines(file, &count, kItemRowsPerFloor, kItemColumns,
                   [rows](int32_t slot, const int32_t* values, int32_t found) {
                     item_data& row = rows[slot];
                     if (found > 0) row.x = static_cast<float>(held_position(values[0]));
                     if (found > 1) row.y = static_cast<float>(held_position(values[1]));
                     if (found > 2) row.present = values[2];
                     if (found > 3) row.kind = values[3];
                     if (found > 4) row.hp = values[4];
                     if (found > 5) row.width = values[5];
                     if (found > 6) row.height = values[6];
                   });
  ApiCloseFile(file);
}

// The boss file: one line, no count and no end line; the position is held
// within kPositionLimit. A file that does not open or holds no line leaves
// the row as it was.
void read_boss_file(const AreaTableRow& area) {
  char path[kPathSize];
  if (!level_file_path(path, sizeof path, area, "boss_data_", area.boss_floor)) return;
  const intptr_t file = ApiOpenFileForRead(path, 0);
  if (file == 0) return;
  LevelLine line;
  int32_t values[kBossColumns];
  const int32_t found = read_level_line(file, line) ? read_line_tokens(line, values, kBossColumns) : 0;
  ApiCloseFile(file);
  boss_data& row = boss_data_rows[area.boss_row];
  if (found > 0) row.id = values[0];
  if (found > 1) row.active = values[1];
  if (found > 2) row.x = static_cast<float>(held_position(values[2]));
  if (found > 3) row.y = static_cast<float>(held_position(values[3]));
  if (found > 4) row.hp = values[4];
  if (found > 5) row.attack = values[5];
  if (found > 6) row.width = values[6];
  if (found > 7) row.height = values[7];
  if (found > 8) row.shot_width = values[8];
  if (found > 9) row.shot_height = values[9];
}

// The item files of the area's floors in order, the boss file right after
// the boss floor's.
void load_area_items(int32_t number) {
  const AreaTableRow& area = area_table[number];
  for (int32_t floor = 0; floor < area.floors; ++floor) {
    read_item_file(area, floor);
    if (floor == area.boss_floor) read_boss_file(area);
  }
}

}  // namespace

void load_item_data_pelune_house() { load_area_items(0); }
void load_item_data_field01() { load_area_items(1); }
void load_item_data_dansion01() { load_area_items(2); }
void load_item_data_dansion02() { load_area_items(3); }
void load_item_data_dansion02sub() { load_area_items(4); }
void load_item_data_field02() { load_area_items(5); }
void load_item_data_dansion03() { load_area_items(6); }
void load_item_data_library() { load_area_items(7); }
void load_item_data_dansion05() { load_area_items(8); }
void load_item_data_dansion06() { load_area_items(9); }
void load_item_data_field03() { load_area_items(10); }
void load_item_data_dansion07() { load_area_items(11); }
void load_item_data_dansion08() { load_area_items(12); }
void load_item_data_dansion09() { load_area_items(13); }
void load_item_data_ending() { load_area_items(14); }

void load_item_data() {
  static void (*const by_area[kAreaCount])() = {
      load_item_data_pelune_house, load_item_data_field01,   load_item_data_dansion01,
      load_item_data_dansion02,    load_item_data_dansion02sub, load_item_data_field02,
      load_item_data_dansion03,    load_item_data_library,   load_item_data_dansion05,
      load_item_data_dansion06,    load_item_data_field03,   load_item_data_dansion07,
      load_item_data_dansion08,    load_item_data_dansion09, load_item_data_ending,
  };
  // The order of the areas' blocks in a save slot.
  for (const int32_t number : item_area_order) by_area[number]();
}
