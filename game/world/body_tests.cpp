// Box tests of one moving body against every body of a kind.
#include "game/world/body_tests.h"

#include <algorithm>

#include "game/areas/areas.h"
#include "game/enemies/enemies.h"
#include "game/shell/shell.h"
#include "game/world/world.h"

namespace {

constexpr int32_t kFirstRollingRock = 10;
constexpr int32_t kLastRollingRock = 17;
constexpr int32_t kKorone = 2;
constexpr int32_t kNeedle = 4;

void meet(const moving_body& m, float x, float y, float& vx, float& vy, int32_t width,
          int32_t height, int32_t& pushed) {
  push_out_of_box(m.x, m.y, *m.vx, *m.vy, m.width, m.height, m.no_push, x, y, vx, vy, width,
                  height, pushed);
}

}  // namespace

void meet_players(const moving_body& m) {
  for (int32_t p = 0; p < player_count; ++p) {
    player_data& r = player[p];
    if (r.alive != 1) continue;
    meet(m, r.X, r.Y, r.vx, r.vy, r.width, r.height, r.pushed);
  }
}

void meet_enemies(const moving_body& m) {
  for (enemy_data& e : enemy) {
    if (e.alive != 1) continue;
    const int32_t met = push_out_of_box_hit(m.x, m.y, *m.vx, *m.vy, m.width, m.height, m.no_push,
                                            e.X, e.Y, e.vx, e.vy, e.width, e.height, e.pushed);
    if (met == 1 && e.kind >= kFirstRollingRock && e.kind <= kLastRollingRock) e.hp = 0;
  }
}

void meet_set_enemies(const moving_body& m, int32_t skip, bool with_flat_kinds) {
  const int32_t count = std::min(set_enemy_count, kSetEnemySlots);
  for (int32_t k = 0; k < count; ++k) {
    if (k == skip || set_enemy_active[k] != 1) continue;
    if (!with_flat_kinds && (set_enemy_kind[k] == kKorone || set_enemy_kind[k] == kNeedle)) continue;
    meet(m, set_enemy_x[k], set_enemy_y[k], set_enemy_push_vx[k], set_enemy_push_vy[k],
         set_enemy_width[k], set_enemy_height[k], set_enemy_pushed[k]);
  }
}

void meet_generators(const moving_body& m) {
  const int32_t count = std::min(generator_count, kGeneratorSlots);
  for (int32_t g = 0; g < count; ++g) {
    if (generator_active[g] == 0) continue;
    // Generators never move: their step and flag are thrown away.
    float scratch_vx = 0.0f, scratch_vy = 0.0f;
    int32_t scratch_pushed = 0;
    meet(m, generator_x[g], generator_y[g], scratch_vx, scratch_vy, generator_box_w,
         generator_box_h, scratch_pushed);
  }
}

void meet_movable_rocks(const moving_body& m, int32_t skip) {
  const int32_t count = std::min(movable_rock_count, kMovableRockSlots);
  for (int32_t k = 0; k < count; ++k) {
    if (k == skip) continue;
    meet(m, movable_rock_x[k], movable_rock_y[k], movable_rock_push_vx[k], movable_rock_push_vy[k],
         movable_rock_box_w, movable_rock_box_h, movable_rock_pushed[k]);
  }
}

void meet_floor_items(const moving_body& m) {
  const int32_t count = std::min(floor_item_count, kFloorItemSlots);
  for (int32_t k = 0; k < count; ++k) {
    if (floor_item_present[k] == 0) continue;
    meet(m, floor_item_x[k], floor_item_y[k], floor_item_push_vx[k], floor_item_push_vy[k],
         floor_item_width[k], floor_item_height[k], floor_item_pushed[k]);
  }
}

void meet_dropped_items(const moving_body& m) {
  for (int32_t k = 0; k < kDroppedItemSlots; ++k) {
    if (dropped_item_present[k] == 0) continue;
    meet(m, dropped_item_x[k], dropped_item_y[k], dropped_item_push_vx[k], dropped_item_push_vy[k],
         dropped_item_width[k], dropped_item_height[k], dropped_item_pushed[k]);
  }
}
