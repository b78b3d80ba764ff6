// The body step that floor items and dropped items share: pushes from the
// floor and from the bodies the item runs into, then the wall move.
#include "game/areas/areas.h"
#include "game/enemies/enemies.h"
#include "game/shell/shell.h"
#include "game/world/world.h"

namespace {

// Rolling rocks: an item that meets one destroys it.
constexpr int32_t kRollingRockFirst = 10;
constexpr int32_t kRollingRockLast = 17;

// Placed hazards that items slide over: korone and needles.
constexpr int32_t kKoroneHazard = 2;
constexpr int32_t kNeedleHazard = 4;

}  // namespace

void step_item_body(float& x, float& y, float& push_vx, float& push_vy, int32_t width,
                    int32_t height, int32_t& pushed, int32_t own_floor_item,
                    int32_t own_dropped_item) {
  apply_floor_push(x, y, push_vx, push_vy);

  for (int32_t p = 0; p < player_count; ++p) {
    player_data& other = player[p];
    if (other.alive != 1) continue;
    push_out_of_box(x, y, push_vx, push_vy, width, height, pushed, other.X, other.Y, other.vx,
                    other.vy, other.width, other.height, other.pushed);
  }

  for (enemy_data& other : enemy) {
    if (other.alive != 1) continue;
    const int32_t met =
        push_out_of_box_hit(x, y, push_vx, push_vy, width, height, pushed, other.X, other.Y,
                            other.vx, other.vy, other.width, other.height, other.pushed);
    if (met == 1 && other.kind >= kRollingRockFirst && other.kind <= kRollingRockLast) {
      other.hp = 0;
    }
  }

  for (int32_t h = 0; h < set_enemy_count; ++h) {
    if (set_enemy_active[h] != 1) continue;
    if (set_enemy_kind[h] == kKoroneHazard || set_enemy_kind[h] == kNeedleHazard) continue;
    push_out_of_box(x, y, push_vx, push_vy, width, height, pushed, set_enemy_x[h], set_enemy_y[h],
                    set_enemy_push_vx[h], set_enemy_push_vy[h], set_enemy_width[h],
                    set_enemy_height[h], set_enemy_pushed[h]);
  }

  // Generators never move: their share of a push is thrown away.
  for (int32_t g = 0; g < generator_count; ++g) {
    if (generator_active[g] == 0) continue;
    float ignored_vx = 0.0f;
    float ignored_vy = 0.0f;
    int32_t ignored_pushed = 0;
    push_out_of_box(x, y, push_vx, push_vy, width, height, pushed, generator_x[g], generator_y[g],
                    ignored_vx, ignored_vy, generator_box_w, generator_box_h, ignored_pushed);
  }

  for (int32_t r = 0; r < movable_rock_count; ++r) {
    push_out_of_box(x, y, push_vx, push_vy, width, height, pushed, movable_rock_x[r],
                    movable_rock_y[r], movable_rock_push_vx[r], movable_rock_push_vy[r],
                    movable_rock_box_w, movable_rock_box_h, movable_rock_pushed[r]);
  }

  for (int32_t m = 0; m < floor_item_count; ++m) {
    if (m == own_floor_item || floor_item_present[m] == 0) continue;
    push_out_of_box(x, y, push_vx, push_vy, width, height, pushed, floor_item_x[m],
                    floor_item_y[m], floor_item_push_vx[m], floor_item_push_vy[m],
                    floor_item_width[m], floor_item_height[m], floor_item_pushed[m]);
  }

  for (int32_t d = 0; d < kDroppedItemSlots; ++d) {
    if (d == own_dropped_item || dropped_item_present[d] == 0) continue;
    push_out_of_box(x, y, push_vx, push_vy, width, height, pushed, dropped_item_x[d],
                    dropped_item_y[d], dropped_item_push_vx[d], dropped_item_push_vy[d],
                    dropped_item_width[d], dropped_item_height[d], dropped_item_pushed[d]);
  }

  stop_at_walls(x, y, push_vx, push_vy, width, height);
  pushed = 0;
}
