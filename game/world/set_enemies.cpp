// The placed-hazard frame: removes hazards whose hit points are gone, runs
// each live one's behaviour, then moves it by the step the behaviour (or a
// push) gave it, stopping at bodies and walls.
#include <algorithm>

#include "game/areas/areas.h"
#include "game/enemies/enemies.h"
#include "game/shell/shell.h"
#include "game/world/body_tests.h"
#include "game/world/world.h"

namespace {

constexpr int32_t kHazardKinds = 5;

}  // namespace

void update_set_enemies() {
  const int32_t count = std::min(set_enemy_count, kSetEnemySlots);
  for (int32_t i = 0; i < count; ++i) {
    if (set_enemy_active[i] != 1) continue;
    if (set_enemy_hp[i] <= 0) {
      se_enemy_disappear8_request = 1;
      set_enemy_active[i] = 0;
      set_enemy_death_fade[i] = 1;
      continue;
    }
    // The kind comes from the level files: one outside the table runs no
    // behaviour.
    const int32_t kind = set_enemy_kind[i];
    if (kind >= 0 && kind < kHazardKinds) set_enemy_kind_table[kind](i);

    const moving_body hazard = {set_enemy_x[i],       set_enemy_y[i],      &set_enemy_push_vx[i],
                                &set_enemy_push_vy[i], set_enemy_width[i], set_enemy_height[i],
                                set_enemy_pushed[i]};
    meet_players(hazard);
    meet_enemies(hazard);
    meet_set_enemies(hazard, i, true);
    meet_generators(hazard);
    meet_movable_rocks(hazard, -1);
    meet_floor_items(hazard);
    meet_dropped_items(hazard);

    stop_at_walls(set_enemy_x[i], set_enemy_y[i], set_enemy_push_vx[i], set_enemy_push_vy[i],
                  set_enemy_width[i], set_enemy_height[i]);
    set_enemy_pushed[i] = 0;
  }
}
