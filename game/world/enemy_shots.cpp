// Enemy shots: each enemy record carries at most one shot, fired along the
// enemy's facing when its behaviour asks for one; it trades power with the
// first thing it meets in each group of bodies and stops at walls.
#include <algorithm>

#include "game/areas/areas.h"
#include "game/enemies/enemies.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "runtime/system/api.h"

namespace {

constexpr float kStepX[8] = {0.0f, 3.75f, 5.0f, 3.75f, 0.0f, -3.75f, -5.0f, -3.75f};
constexpr float kStepY[8] = {-5.0f, -3.75f, 0.0f, 3.75f, 5.0f, 3.75f, 0.0f, -3.75f};
constexpr float kStartX[8] = {0.0f, 16.0f, 24.0f, 16.0f, 0.0f, -16.0f, -24.0f, -16.0f};
constexpr float kStartY[8] = {-24.0f, -16.0f, 0.0f, 16.0f, 24.0f, 16.0f, 0.0f, -16.0f};
constexpr int32_t kShotHalf = 2;
constexpr int32_t kKorone = 2;
constexpr int32_t kNeedle = 4;

bool valid_direction(int32_t d) { return d >= 0 && d < 8; }

bool meets(const enemy_data& e, float x, float y, int32_t w, int32_t h) {
  return rects_overlap(e.shot_X, e.shot_Y, e.shot_width, e.shot_height, x, y, w, h) == 1;
}

bool flies(const enemy_data& e) { return e.shot_state == 1; }

void hit_players(enemy_data& e) {
  for (int32_t p = 0; p < player_count; ++p) {
    player_data& r = player[p];
    if (r.alive != 1 || !meets(e, r.X, r.Y, r.width, r.height)) continue;
    if (r.hit_counter != 0 || r.on_stairs != 0) {
      e.shot_state = 0;  // gone without damage
      return;
    }
    r.hit_counter = 1;
    // The guard weakens the shot itself before the exchange.
    if ((r.character == 0 || r.character == 2) && r.spell1_timer > 0) e.shot_power /= 2;
    power_exchange(e.shot_power, e.shot_state, r.hp);
    return;
  }
}

void hit_rocks(enemy_data& e) {
  const int32_t count = std::min(movable_rock_count, kMovableRockSlots);
  for (int32_t r = 0; r < count; ++r) {
    if (meets(e, movable_rock_x[r], movable_rock_y[r], movable_rock_box_w, movable_rock_box_h)) {
      e.shot_state = 0;
      return;
    }
  }
}

void hit_enemies(int32_t i) {
  enemy_data& e = enemy[i];
  for (int32_t j = 0; j < kEnemySlots; ++j) {
    enemy_data& o = enemy[j];
    if (j == i || o.alive != 1 || !meets(e, o.X, o.Y, o.width, o.height)) continue;
    power_exchange(e.shot_power, e.shot_state, o.hp);
    o.hit_counter = 1;
    return;
  }
}

void hit_set_enemies(enemy_data& e) {
  const int32_t count = std::min(set_enemy_count, kSetEnemySlots);
  for (int32_t s = 0; s < count; ++s) {
    if (set_enemy_active[s] != 1 || set_enemy_kind[s] == kKorone || set_enemy_kind[s] == kNeedle) {
      continue;
    }
    if (!meets(e, set_enemy_x[s], set_enemy_y[s], set_enemy_width[s], set_enemy_height[s])) continue;
    power_exchange(e.shot_power, e.shot_state, set_enemy_hp[s]);
    set_enemy_hit_blink[s] = 1;
    return;
  }
}

void hit_generators(enemy_data& e) {
  const int32_t count = std::min(generator_count, kGeneratorSlots);
  for (int32_t g = 0; g < count; ++g) {
    if (generator_active[g] != 1) continue;
    if (!meets(e, generator_x[g], generator_y[g], generator_box_w, generator_box_h)) continue;
    power_exchange(e.shot_power, e.shot_state, generator_hp[g]);
    generator_hit_blink[g] = 1;
    return;
  }
}

void hit_items(enemy_data& e) {
  const int32_t count = std::min(floor_item_count, kFloorItemSlots);
  for (int32_t k = 0; k < count; ++k) {
    if (floor_item_present[k] != 1) continue;
    if (!meets(e, floor_item_x[k], floor_item_y[k], floor_item_width[k], floor_item_height[k])) {
      continue;
    }
    power_exchange(e.shot_power, e.shot_state, floor_item_hp[k]);
    floor_item_hit_blink[k] = 1;
    break;
  }
  if (!flies(e)) return;
  for (int32_t k = 0; k < kDroppedItemSlots; ++k) {
    if (dropped_item_present[k] != 1) continue;
    if (!meets(e, dropped_item_x[k], dropped_item_y[k], dropped_item_width[k],
               dropped_item_height[k])) {
      continue;
    }
    power_exchange(e.shot_power, e.shot_state, dropped_item_hp[k]);
    dropped_item_hit_blink[k] = 1;
    return;
  }
}

bool outside_view(float x, float y) {
  return x < static_cast<float>(-scroll_x - 32) || x > static_cast<float>(544 - scroll_x) ||
         y < static_cast<float>(-scroll_y - 32) || y > static_cast<float>(392 - scroll_y);
}

void fly(int32_t i) {
  enemy_data& e = enemy[i];
  // Drained by a player shot: it ends where it stands and hits nothing.
  if (e.shot_power <= 0) {
    e.shot_state = 0;
  } else {
    const bool valid = valid_direction(e.shot_direction);
    e.shot_vx = valid ? kStepX[e.shot_direction] : 0.0f;
    e.shot_vy = valid ? kStepY[e.shot_direction] : 0.0f;
    if (flies(e)) hit_players(e);
    if (flies(e)) hit_rocks(e);
    if (flies(e)) hit_enemies(i);
    if (flies(e)) hit_set_enemies(e);
    if (flies(e)) hit_generators(e);
    if (flies(e)) hit_items(e);
    if (flies(e)) {
      // Moved also when the wall test has just ended it.
      shot_hits_wall(e.shot_X, e.shot_Y, e.shot_vx, e.shot_vy, e.shot_state, kShotHalf);
      e.shot_X += e.shot_vx;
      e.shot_Y += e.shot_vy;
      if (outside_view(e.shot_X, e.shot_Y)) e.shot_state = 0;
    }
  }
  if (e.shot_state == 0) {
    e.shot_fade_X = e.shot_X;
    e.shot_fade_Y = e.shot_Y;
    e.shot_fade_state = 1;
    e.shot_fade_timer = 0;
  }
}

void fire(enemy_data& e) {
  e.shot_X = e.X;
  e.shot_Y = e.Y;
  e.shot_direction = e.facing;
  if (valid_direction(e.facing)) {
    e.shot_X += kStartX[e.facing];
    e.shot_Y += kStartY[e.facing];
  }
  e.shot_state = 1;
  e.shot_power = e.shot_power_start;
  ApiPlaySound(se_boss_shot10, 1, 1);
  e.shot_request = 0;
}

}  // namespace

void update_enemy_shots() {
  for (int32_t i = 0; i < kEnemySlots; ++i) {
    enemy_data& e = enemy[i];
    if (e.shot_state == 1) fly(i);
    // Also in the frame a shot ended: a request waits while a shot flies.
    if (e.shot_state == 0 && e.shot_request == 1) fire(e);
  }
}
