// The floor items of the current floor: those whose hit points are gone
// break, breakable rocks stand, the others move as bodies.
#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/shell/shell.h"
#include "game/world/world.h"

namespace {

// A broken item stays gone, also in the save slots. A boss crystal is no
// table row: breaking it counts as one crystal fewer to take, so the room's
// stairs still open.
void break_floor_item(int32_t i) {
  se_enemy_disappear8_request = 1;
  floor_item_vanish[i] = 1;
  floor_item_present[i] = 0;
  const int32_t kind = floor_item_kind[i];
  if (kind >= kItemBossCrystalFirst && kind <= kItemBossCrystalLast) {
    remain_item -= 1;
  } else {
    mark_floor_item_taken(i);
  }
}

}  // namespace

void update_floor_items() {
  for (int32_t i = 0; i < floor_item_count; ++i) {
    if (floor_item_present[i] != 1) continue;
    if (floor_item_hp[i] <= 0) {
      break_floor_item(i);
    } else if (floor_item_kind[i] == kItemBreakableRock) {
      floor_item_push_vx[i] = 0.0f;
      floor_item_push_vy[i] = 0.0f;
    } else {
      step_item_body(floor_item_x[i], floor_item_y[i], floor_item_push_vx[i],
                     floor_item_push_vy[i], floor_item_width[i], floor_item_height[i],
                     floor_item_pushed[i], i, -1);
    }
  }
}
