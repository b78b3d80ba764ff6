// The stairs trigger: a player who walks onto a stairs row's box waits there
// and makes the row's destination the party's.
#include "game/areas/area_table.h"
#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/shell/shell.h"
#include "game/world/world.h"

namespace {

constexpr int32_t kBossFloor = 2;

// A row leading to an area or floor that does not exist would have the map
// exit load through tables that have no such row.
bool destination_exists(int32_t area, int32_t floor) {
  return area >= 0 && area < kAreaCount && floor >= 0 && floor < area_table[area].floors;
}

}  // namespace

void touch_stairs(int32_t p, int32_t s) {
  // A boss room's stairs open once the boss is beaten and every crystal taken.
  if (map_status == kBossFloor && (boss_active == 1 || remain_item != 0)) return;
  if (!destination_exists(stairs_to_area[s], stairs_to_floor[s])) return;

  player_data& record = player[p];
  if (rects_overlap(record.X, record.Y, record.width, record.height, stairs_x[s], stairs_y[s],
                    stairs_box_w, stairs_box_h) != 1) {
    return;
  }
  if (record.on_stairs != 0) return;

  // on_stairs stays 1 until the map exit; the wait is counted by the player
  // update. The last row touched by anyone decides the destination.
  record.on_stairs = 1;
  record.stairs_look = stairs_exit_look[s];
  next_area = stairs_to_area[s];
  next_floor = stairs_to_floor[s];
  next_x = stairs_to_x[s];
  next_y = stairs_to_y[s];
  se_change_map_request = 1;
}
