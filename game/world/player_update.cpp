// The player update: each player's input becomes a step that the floor, the
// other bodies, the stairs, the view and the moving blocks shape before the
// wall move; then the cell under the player hurts it or starts a scene. It
// also serves the pause, revival and panel requests and declares the game
// lost.
#include <algorithm>

#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/enemies/enemies.h"
#include "game/scenes/scenes.h"
#include "game/shell/shell.h"
#include "game/world/world.h"

namespace {

// input_state indexes.
constexpr int32_t kUp = 0, kRight = 1, kDown = 2, kLeft = 3;
// actions indexes.
constexpr int32_t kShot = 0, kPause = 3, kPanel = 4;
constexpr int32_t kHeld = 1, kNewlyPressed = 2;

constexpr int32_t kHitCounterEnd = 30;
constexpr int32_t kReviveGuardEnd = 90;
constexpr int32_t kSpinLast = 28;
constexpr int32_t kFadingFairy = 46;
constexpr int32_t kDeathFigure = 19;
constexpr int32_t kKorone = 2;
constexpr int32_t kNeedle = 4;

// Damage floors and their damage, unguarded and guarded.
constexpr int32_t kWeakDamageCell = 60;
constexpr int32_t kStrongDamageCell = 61;

bool guarded(const player_data& r) {
  return (r.character == 0 || r.character == 2) && r.spell1_timer > 0;
}

bool held(const player_data& r, int32_t direction) { return r.input_state[direction] == kHeld; }

// Every record down, the ones beyond the party too, and no revival left.
bool game_lost() {
  for (const player_data& r : player) {
    if (r.alive != 0) return false;
  }
  return revive_stock < 1;
}

void walk(player_data& r) {
  const float a = r.agility;
  const bool step = r.actions[kShot] == 0;  // holding the shot only turns
  // The first held straight direction, writing only its own axis.
  if (held(r, kUp)) {
    if (step) r.vy = -a;
    r.facing = 0;
  } else if (held(r, kRight)) {
    if (step) r.vx = a;
    r.facing = 2;
  } else if (held(r, kDown)) {
    if (step) r.vy = a;
    r.facing = 4;
  } else if (held(r, kLeft)) {
    if (step) r.vx = -a;
    r.facing = 6;
  }
  // Then the first held diagonal pair.
  const float d = 0.75f * a;
  struct pair {
    int32_t first, second;
    float vx, vy;
    int32_t facing;
  };
  const pair pairs[4] = {{kUp, kRight, d, -d, 1},
                         {kDown, kRight, d, d, 3},
                         {kDown, kLeft, -d, d, 5},
                         {kUp, kLeft, -d, -d, 7}};
  for (const pair& diagonal : pairs) {
    if (!held(r, diagonal.first) || !held(r, diagonal.second)) continue;
    if (step) {
      r.vx = diagonal.vx;
      r.vy = diagonal.vy;
    }
    r.facing = diagonal.facing;
    break;
  }
}

void spin(player_data& r) {
  for (int32_t timer : {r.spell1_timer, r.spell2_timer}) {
    if (timer >= 1 && timer <= kSpinLast) {
      r.vx = 0.0f;
      r.vy = 0.0f;
      r.facing = timer % 8;
    }
  }
}

void meet_players(int32_t p) {
  player_data& r = player[p];
  for (int32_t q = 0; q < player_count; ++q) {
    if (q == p) continue;
    player_data& o = player[q];
    // Players who already overlap walk apart freely.
    if (rects_overlap(r.X, r.Y, r.width, r.height, o.X, o.Y, o.width, o.height) == 1) continue;
    if (o.alive != 1 || o.on_stairs == 1) continue;
    push_out_of_box(r.X, r.Y, r.vx, r.vy, r.width, r.height, r.pushed, o.X, o.Y, o.vx, o.vy,
                    o.width, o.height, o.pushed);
  }
}

void meet_enemies(player_data& r) {
  for (enemy_data& e : enemy) {
    if (e.alive != 1) continue;
    // Just revived: enemies neither block nor hurt.
    if (r.revive_timer > 0) {
      if (r.revive_timer >= kReviveGuardEnd) r.revive_timer = 0;
      continue;
    }
    if (push_out_of_box_hit(r.X, r.Y, r.vx, r.vy, r.width, r.height, r.pushed, e.X, e.Y, e.vx,
                            e.vy, e.width, e.height, e.pushed) != 1) {
      continue;
    }
    if (e.kind == kFadingFairy && e.tick >= 60 && e.tick <= 179) continue;
    if (r.hit_counter == 0) {
      r.hit_counter = 1;
      r.hp -= guarded(r) ? e.attack / 2 : e.attack;
    }
    // Rolling rocks and the death figure go at their next update.
    if ((e.kind >= 10 && e.kind <= 17) || e.kind == kDeathFigure) e.hp = 0;
  }
}

void meet_set_enemies(player_data& r) {
  const int32_t count = std::min(set_enemy_count, kSetEnemySlots);
  for (int32_t s = 0; s < count; ++s) {
    if (set_enemy_active[s] != 1 || set_enemy_kind[s] == kKorone || set_enemy_kind[s] == kNeedle) {
      continue;
    }
    if (push_out_of_box_hit(r.X, r.Y, r.vx, r.vy, r.width, r.height, r.pushed, set_enemy_x[s],
                            set_enemy_y[s], set_enemy_push_vx[s], set_enemy_push_vy[s],
                            set_enemy_width[s], set_enemy_height[s], set_enemy_pushed[s]) == 1) {
      // Hazards stop the player and are not moved by it.
      set_enemy_push_vx[s] = 0.0f;
      set_enemy_push_vy[s] = 0.0f;
    }
  }
}

void meet_generators(player_data& r) {
  const int32_t count = std::min(generator_count, kGeneratorSlots);
  for (int32_t g = 0; g < count; ++g) {
    if (generator_active[g] == 0) continue;
    float scratch_vx = 0.0f, scratch_vy = 0.0f;
    int32_t scratch_pushed = 0;
    push_out_of_box(r.X, r.Y, r.vx, r.vy, r.width, r.height, r.pushed, generator_x[g],
                    generator_y[g], scratch_vx, scratch_vy, generator_box_w, generator_box_h,
                    scratch_pushed);
  }
}

void meet_items_and_rocks(int32_t p) {
  player_data& r = player[p];
  const int32_t items = std::min(floor_item_count, kFloorItemSlots);
  for (int32_t i = 0; i < items; ++i) {
    if (floor_item_present[i] == 0) continue;
    collide_floor_item(r.X, r.Y, r.vx, r.vy, r.width, r.height, p, r.pushed, floor_item_x[i],
                       floor_item_y[i], floor_item_push_vx[i], floor_item_push_vy[i],
                       floor_item_width[i], floor_item_height[i], floor_item_pushed[i], i);
  }
  for (int32_t d = 0; d < kDroppedItemSlots; ++d) {
    if (dropped_item_present[d] == 0) continue;
    collide_dropped_item(r.X, r.Y, r.vx, r.vy, r.width, r.height, p, r.pushed, dropped_item_x[d],
                         dropped_item_y[d], dropped_item_push_vx[d], dropped_item_push_vy[d],
                         dropped_item_width[d], dropped_item_height[d], dropped_item_pushed[d], d);
  }
  const int32_t rocks = std::min(movable_rock_count, kMovableRockSlots);
  for (int32_t k = 0; k < rocks; ++k) {
    push_out_of_box(r.X, r.Y, r.vx, r.vy, r.width, r.height, r.pushed, movable_rock_x[k],
                    movable_rock_y[k], movable_rock_push_vx[k], movable_rock_push_vy[k],
                    movable_rock_box_w, movable_rock_box_h, movable_rock_pushed[k]);
  }
}

void boss_damage(player_data& r) {
  r.hit_counter = 1;
  r.hp -= guarded(r) ? boss_attack / 2 : boss_attack;
}

void meet_boss(player_data& r) {
  if (boss_active != 1) return;
  const bool overlaps =
      rects_overlap(r.X, r.Y, r.width, r.height, boss_x, boss_y, boss_width, boss_height) == 1;
  if (r.revive_timer > 0) {
    if (r.revive_timer >= kReviveGuardEnd) r.revive_timer = 0;
    r.boss_overlap = overlaps ? 1 : 0;
    return;
  }
  if (r.boss_overlap == 1) {
    // Revived inside the boss: it walks out without being blocked.
    if (overlaps) {
      if (r.hit_counter == 0) boss_damage(r);
    } else {
      r.boss_overlap = 0;
    }
    return;
  }
  if (push_out_of_box_hit(r.X, r.Y, r.vx, r.vy, r.width, r.height, r.pushed, boss_x, boss_y,
                          boss_vx, boss_vy, boss_width, boss_height, boss_pushed) == 1 &&
      r.hit_counter == 0) {
    boss_damage(r);
  }
}

// Keeps the next position inside the field the camera showed last.
void clamp_to_view(player_data& r) {
  const float next_x = r.X + r.vx;
  const float next_y = r.Y + r.vy;
  if (next_x < static_cast<float>(-scroll_x) || next_x > static_cast<float>(512 - scroll_x)) {
    r.vx = 0.0f;
  }
  if (next_y < static_cast<float>(16 - scroll_y) || next_y > static_cast<float>(344 - scroll_y)) {
    r.vy = 0.0f;
  }
}

void start_scene(int32_t code) {
  game_status = kStatusScene;
  scene_cell_latch = 1;
  scene_number = code;
}

void cell_effects(player_data& r) {
  const int32_t c = map_cell_at(r.X, r.Y);
  if (c == kWeakDamageCell && r.hit_counter == 0) {
    r.hit_counter = 1;
    r.hp -= guarded(r) ? 4 : 8;
  } else if (c == kStrongDamageCell && r.hit_counter == 0) {
    r.hit_counter = 1;
    r.hp -= guarded(r) ? 10 : 20;
  } else if (c >= 101 && c <= 119 && scene_cell_latch == 0) {
    start_scene(c);
  } else if (c == 120 && r.actions[kShot] == kNewlyPressed && r.facing == 0) {
    // The save point: asked for by the decide action while facing it. The
    // cells 121 and 122 would ask for scenes that do not exist: nothing.
    start_scene(c);
  } else if (c < 100) {
    scene_cell_latch = 0;
  }
}

void update_player(int32_t p) {
  player_data& r = player[p];
  if (r.actions[kPanel] == kNewlyPressed) r.compact_panel = r.compact_panel == 0 ? 1 : 0;
  if (r.on_stairs == 1) r.stairs_counter += 1;
  if (r.alive == 0 && r.actions[kPause] == kNewlyPressed && revive_stock > 0) revive_player(p);
  if (r.revive_timer > 0) r.revive_timer += 1;
  if (r.on_stairs == 1 || r.alive == 0) return;

  if (r.actions[kPause] == kNewlyPressed) {
    se_pause_request = 1;
    game_status = kStatusPause;  // the rest of the frame still runs
  }
  if (r.hp <= 0) {
    se_enemy_disappear8_request = 1;
    r.alive = 0;
    down_x = r.X;
    down_y = r.Y;
    return;
  }
  if (r.hit_counter > 0) {
    if (r.hit_counter == 1) se_player_damage_request = 1;
    r.hit_counter += 1;
    if (r.hit_counter == kHitCounterEnd) r.hit_counter = 0;
  }
  r.agility = r.agility_base + r.agility_bonus;
  r.vitality = r.vitality_base + r.vitality_bonus;
  r.intelligence = r.intelligence_base + r.intelligence_bonus;

  walk(r);
  spin(r);
  apply_floor_push(r.X, r.Y, r.vx, r.vy);
  meet_players(p);
  meet_enemies(r);
  meet_set_enemies(r);
  meet_generators(r);
  meet_items_and_rocks(p);
  meet_boss(r);
  const int32_t stairs = std::min(stairs_count, kStairsSlots);
  for (int32_t s = 0; s < stairs; ++s) touch_stairs(p, s);
  clamp_to_view(r);
  update_moving_blocks(p);
  stop_at_walls(r.X, r.Y, r.vx, r.vy, r.width, r.height);
  r.pushed = 0;
  cell_effects(r);
}

}  // namespace

void update_players() {
  if (game_lost()) game_status = kStatusGameOver;  // the loop still runs
  for (int32_t p = 0; p < player_count; ++p) update_player(p);
}
