// Taking an item out of its floor's master row.
#include "game/areas/area_table.h"
#include "game/areas/areas.h"

void mark_floor_item_taken(int32_t i) {
  if (present_map_number < 0 || present_map_number >= kAreaCount) return;
  const AreaTableRow& area = area_table[present_map_number];
  // The one-floor areas keep their items in floor 0 whatever the floor.
  const int32_t floor = area.numbered != 0 ? present_map_floor : 0;
  if (floor < 0 || floor >= area.floors || i < 0 || i >= kItemRowsPerFloor) return;
  area.item_rows[floor][i].present = 0;
}
