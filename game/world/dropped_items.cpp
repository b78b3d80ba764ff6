// The two dropped-item slots: an item whose hit points are gone breaks, the
// others move as bodies.
#include "game/shell/shell.h"
#include "game/world/world.h"

void update_dropped_items() {
  for (int32_t d = 0; d < kDroppedItemSlots; ++d) {
    if (dropped_item_present[d] != 1) continue;
    if (dropped_item_hp[d] <= 0) {
      se_enemy_disappear8_request = 1;
      dropped_item_vanish[d] = 1;
      dropped_item_present[d] = 0;
    } else {
      step_item_body(dropped_item_x[d], dropped_item_y[d], dropped_item_push_vx[d],
                     dropped_item_push_vy[d], dropped_item_width[d], dropped_item_height[d],
                     dropped_item_pushed[d], -1, d);
    }
  }
}
