// Area entry: the run-time state of the floor being left is cleared and the
// current area's loader reads the new floor.
#include "game/areas/area_table.h"
#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/enemies/enemies.h"
#include "game/shell/shell.h"
#include "game/world/world.h"

namespace {

// Every floor's generators release this often unless their file gives an
// interval of their own.
constexpr int32_t kDefaultGeneratorInterval = 126;

bool floor_exists(int32_t area, int32_t floor) {
  if (area < 0 || area >= kAreaCount) return false;
  return floor >= 0 && floor < area_table[area].floors;
}

// Only what belongs to the floor being left: shots of the players in the
// party, the enemies' life and shots (a death or shot fade that runs goes on
// over the new floor), the hazards', items' and generators' run-time state.
void clear_floor_state() {
  for (int32_t p = 0; p < player_count && p < 4; ++p) {
    player[p].shot_state[0] = 0;
    player[p].shot_state[1] = 0;
  }
  for (enemy_data& record : enemy) {
    record.alive = 0;
    record.shot_state = 0;
  }
  for (int32_t i = 0; i < kSetEnemySlots; ++i) {
    set_enemy_active[i] = 0;
    set_enemy_cell[i] = 0;
    set_enemy_tick[i] = 0;
    set_enemy_hit_blink[i] = 0;
  }
  for (int32_t i = 0; i < kFloorItemSlots; ++i) {
    floor_item_present[i] = 0;
    floor_item_anim[i] = 0;
    floor_item_hit_blink[i] = 0;
  }
  for (int32_t i = 0; i < kDroppedItemSlots; ++i) {
    dropped_item_present[i] = 0;
    dropped_item_anim[i] = 0;
    dropped_item_hit_blink[i] = 0;
  }
  for (int32_t i = 0; i < kGeneratorSlots; ++i) {
    generator_active[i] = 0;
    generator_counter[i] = 0;
    generator_hit_blink[i] = 0;
    generator_interval[i] = kDefaultGeneratorInterval;
  }
  boss_hit = 0;
  boss_anim = 0;
  death_appear_counter = 0;
}

}  // namespace

void enter_area() {
  // An area or floor that does not exist (from a stairs row or a save slot)
  // is never loaded: the floor in force stays and the request is dropped.
  if (!floor_exists(present_map_number, present_map_floor)) {
    area_entry_request = 0;
    return;
  }
  clear_floor_state();
  area_loaders[present_map_number]();
}
