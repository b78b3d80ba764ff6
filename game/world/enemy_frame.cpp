// The enemy frame: each live enemy dies (its hit points used up) or runs its
// kind's behaviour, and then its step is settled against the holly reversal,
// the view, the push floors, every kind of body and the walls.
#include <algorithm>

#include "game/areas/areas.h"
#include "game/enemies/enemies.h"
#include "game/shell/shell.h"
#include "game/world/world.h"

namespace {

constexpr int32_t kHollyEnd = 1000;
constexpr int32_t kEnemyKinds = 55;
constexpr int32_t kBee = 18;
constexpr int32_t kDeathFigure = 19;
constexpr int32_t kFadingFairy = 46;
constexpr int32_t kKorone = 2;
constexpr int32_t kNeedle = 4;
constexpr int32_t kLeaveGeneratorHalf = 16;

bool breaks_on_contact(int32_t kind) { return kind >= 10 && kind <= 17; }

// What an enemy feels when it meets a body: a rolling rock breaks, the bee
// turns back at its move.
void on_contact(enemy_data& e, int32_t& bounce) {
  if (breaks_on_contact(e.kind)) e.hp = 0;
  if (e.kind == kBee) bounce = 1;
}

int32_t meet(enemy_data& e, float x, float y, float& vx, float& vy, int32_t width, int32_t height,
             int32_t& pushed) {
  return push_out_of_box_hit(e.X, e.Y, e.vx, e.vy, e.width, e.height, e.pushed, x, y, vx, vy, width,
                             height, pushed);
}

bool outside_view(float x, float y) {
  return x < static_cast<float>(-scroll_x - 16) || x > static_cast<float>(528 - scroll_x) ||
         y < static_cast<float>(-scroll_y - 16) || y > static_cast<float>(376 - scroll_y);
}

void meet_players(enemy_data& e, int32_t& bounce) {
  for (int32_t p = 0; p < player_count; ++p) {
    player_data& r = player[p];
    if (r.alive != 1) continue;
    if (meet(e, r.X, r.Y, r.vx, r.vy, r.width, r.height, r.pushed) != 1) continue;
    // Harmless in its fading window: no player is hurt by it this frame.
    if (e.kind == kFadingFairy && e.tick >= 60 && e.tick <= 179) return;
    if (r.hit_counter != 0 || r.on_stairs != 0) continue;
    r.hit_counter = 1;
    const bool guarded = (r.character == 0 || r.character == 2) && r.spell1_timer > 0;
    r.hp -= guarded ? e.attack / 2 : e.attack;
    if (breaks_on_contact(e.kind) || e.kind == kDeathFigure) e.hp = 0;
    if (e.kind == kBee) bounce = 1;
  }
}

void meet_other_enemies(int32_t i, int32_t& bounce) {
  enemy_data& e = enemy[i];
  for (int32_t j = 0; j < kEnemySlots; ++j) {
    enemy_data& o = enemy[j];
    if (j == i || o.alive != 1) continue;
    if (meet(e, o.X, o.Y, o.vx, o.vy, o.width, o.height, o.pushed) == 1) on_contact(e, bounce);
  }
}

void meet_set_enemies(enemy_data& e, int32_t& bounce) {
  const int32_t count = std::min(set_enemy_count, kSetEnemySlots);
  for (int32_t s = 0; s < count; ++s) {
    if (set_enemy_active[s] == 0 || set_enemy_kind[s] == kKorone || set_enemy_kind[s] == kNeedle) {
      continue;
    }
    if (meet(e, set_enemy_x[s], set_enemy_y[s], set_enemy_push_vx[s], set_enemy_push_vy[s],
             set_enemy_width[s], set_enemy_height[s], set_enemy_pushed[s]) == 1) {
      // Enemies never move a hazard, though its pushed flag may be set.
      set_enemy_push_vx[s] = 0.0f;
      set_enemy_push_vy[s] = 0.0f;
      on_contact(e, bounce);
    }
  }
}

// 1 once the enemy overlaps no generator, present or not; with no
// generators at all it stays 0.
void test_left_generator(enemy_data& e) {
  if (e.left_generator != 0) return;
  const int32_t count = std::min(generator_count, kGeneratorSlots);
  for (int32_t g = 0; g < count; ++g) {
    if (rects_overlap(e.X, e.Y, e.width, e.height, generator_x[g], generator_y[g],
                      kLeaveGeneratorHalf, kLeaveGeneratorHalf) == 1) {
      e.left_generator = 0;
      return;
    }
    e.left_generator = 1;
  }
}

void meet_generators(enemy_data& e, int32_t& bounce) {
  if (e.left_generator != 1) return;
  const int32_t count = std::min(generator_count, kGeneratorSlots);
  for (int32_t g = 0; g < count; ++g) {
    if (generator_active[g] == 0) continue;
    float scratch_vx = 0.0f, scratch_vy = 0.0f;
    int32_t scratch_pushed = 0;
    if (meet(e, generator_x[g], generator_y[g], scratch_vx, scratch_vy, generator_box_w,
             generator_box_h, scratch_pushed) == 1) {
      on_contact(e, bounce);
    }
  }
}

void meet_rocks_and_items(enemy_data& e, int32_t& bounce) {
  const int32_t rocks = std::min(movable_rock_count, kMovableRockSlots);
  for (int32_t r = 0; r < rocks; ++r) {
    if (meet(e, movable_rock_x[r], movable_rock_y[r], movable_rock_push_vx[r],
             movable_rock_push_vy[r], movable_rock_box_w, movable_rock_box_h,
             movable_rock_pushed[r]) == 1) {
      on_contact(e, bounce);
    }
  }
  const int32_t items = std::min(floor_item_count, kFloorItemSlots);
  for (int32_t k = 0; k < items; ++k) {
    if (floor_item_present[k] == 0) continue;
    if (meet(e, floor_item_x[k], floor_item_y[k], floor_item_push_vx[k], floor_item_push_vy[k],
             floor_item_width[k], floor_item_height[k], floor_item_pushed[k]) == 1) {
      on_contact(e, bounce);
    }
  }
  for (int32_t k = 0; k < kDroppedItemSlots; ++k) {
    if (dropped_item_present[k] == 0) continue;
    if (meet(e, dropped_item_x[k], dropped_item_y[k], dropped_item_push_vx[k],
             dropped_item_push_vy[k], dropped_item_width[k], dropped_item_height[k],
             dropped_item_pushed[k]) == 1) {
      on_contact(e, bounce);
    }
  }
}

void move(enemy_data& e, int32_t& bounce) {
  if (e.kind == kBee) {
    if (bounce == 1) {
      e.facing = (e.facing + 8) % 16;
      bounce = 0;
    }
    reflect_on_walls16(e.X, e.Y, e.vx, e.vy, e.facing);
    reflect_on_walls16(e.X, e.Y, e.vx, e.vy, e.facing);
    e.X += e.vx;
    e.Y += e.vy;
    e.vx = 0.0f;
    e.vy = 0.0f;
  } else if (e.kind == kDeathFigure) {
    // Walls do not stop it.
    e.X += e.vx;
    e.Y += e.vy;
    e.vx = 0.0f;
    e.vy = 0.0f;
  } else if (stop_at_walls(e.X, e.Y, e.vx, e.vy, e.width, e.height) == 1 &&
             breaks_on_contact(e.kind)) {
    e.hp = 0;
  }
}

void update_enemy(int32_t i) {
  enemy_data& e = enemy[i];
  if (e.hp <= 0) {
    se_enemy_disappear8_request = 1;
    e.alive = 0;
    e.dying = 1;
    drop_item_from_enemy(e.kind, e.X, e.Y);
    return;
  }
  // The kind comes from the spawn table; one outside it runs no behaviour.
  if (e.kind >= 0 && e.kind < kEnemyKinds) enemy_kind_table[e.kind](i);
  if (holly_counter > 0) {
    e.vx = -e.vx;
    e.vy = -e.vy;
    e.facing = (e.facing + 4) % 8;  // the bee's sixteen directions too
  }
  // Removed without sound, fade or drop; the rest of the step still runs.
  if (outside_view(e.X, e.Y)) e.alive = 0;
  if (!breaks_on_contact(e.kind)) apply_floor_push(e.X, e.Y, e.vx, e.vy);

  int32_t bounce = 0;
  meet_players(e, bounce);
  if (e.kind != kDeathFigure) {
    meet_other_enemies(i, bounce);
    meet_set_enemies(e, bounce);
  }
  test_left_generator(e);
  meet_generators(e, bounce);
  if (e.kind != kDeathFigure) meet_rocks_and_items(e, bounce);
  move(e, bounce);
  e.pushed = 0;
}

}  // namespace

void update_enemies() {
  if (holly_counter > 0) {
    holly_counter += 1;
    if (holly_counter == kHollyEnd) holly_counter = 0;
  }
  for (int32_t i = 0; i < kEnemySlots; ++i) {
    if (enemy[i].alive == 1) update_enemy(i);
  }
}
