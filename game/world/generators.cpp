// Generators: the floor's spawners release an enemy of their kind into a
// free slot every interval while they are on screen, and the death timer
// turns the first release after it ran out into the death figure.
#include <algorithm>

#include "game/areas/areas.h"
#include "game/enemies/enemies.h"
#include "game/shell/shell.h"
#include "game/world/spawn_table.h"
#include "game/world/world.h"
#include "runtime/system/api.h"

namespace {

constexpr int32_t kFirstReleaseDelay = 20;  // frames after coming into view
constexpr int32_t kNoTarget = 255;
constexpr int32_t kBee = 18;
constexpr int32_t kDeathFigure = 19;

// The view the generators count in, against the scroll: strictly inside,
// reaching 16 px past the right and bottom edges of the 512 x 360 field.
constexpr int32_t kViewRight = 528;
constexpr int32_t kViewBottom = 376;

bool on_screen(float x, float y) {
  return static_cast<float>(-scroll_x) < x && x < static_cast<float>(kViewRight - scroll_x) &&
         static_cast<float>(-scroll_y) < y && y < static_cast<float>(kViewBottom - scroll_y);
}

// Whether an enemy that has not yet walked off its generator stands on g.
bool blocked_by_enemy(int32_t g) {
  bool blocked = false;
  for (const enemy_data& e : enemy) {  // all 16, no early stop
    if (e.left_generator == 1 || e.alive != 1) continue;
    if (rects_overlap(generator_x[g], generator_y[g], generator_box_w, generator_box_h, e.X, e.Y,
                      e.width, e.height) == 1) {
      blocked = true;
    }
  }
  return blocked;
}

int32_t free_enemy_slot() {
  for (int32_t s = 0; s < kEnemySlots; ++s) {
    if (enemy[s].alive == 0 && enemy[s].dying == 0) return s;
  }
  return -1;
}

// Writes the fields a release sets and no other: facing, the shot request,
// the flying shot and its vanish effect, dying and drawn keep their values.
void place_enemy(enemy_data& e, int32_t kind, const spawn_row& row, float x, float y) {
  e.width = row.width;
  e.height = row.height;
  e.kind = kind;
  e.X = x;
  e.Y = y;
  e.vx = 0.0f;
  e.vy = 0.0f;
  e.alive = 1;
  e.hp = row.hp;
  e.attack = row.attack;
  e.shot_power_start = row.shot_power;
  e.shot_width = row.shot_box;
  e.shot_height = row.shot_box;
  e.speed = row.speed;
  e.tick = 0;
  e.aggro = 0;
  e.left_generator = 0;
  e.pushed = 0;
  e.target = kNoTarget;
  e.anim_counter = 0;
  e.hit_counter = 0;
}

void release(int32_t g, int32_t s) {
  enemy_data& e = enemy[s];
  const int32_t kind = generator_kind[g];
  if (kind >= 0 && kind < kEnemyKinds) {
    place_enemy(e, kind, spawn_table[kind], generator_x[g], generator_y[g]);
    generator_blocked[g] = 1;
    if (kind == kBee) {
      // The bee never starts on one of the eight main directions.
      e.facing = ApiGetRandom(15);
      if (e.facing == 0 || e.facing == 4 || e.facing == 8 || e.facing == 12) e.facing += 1;
    }
  }
  if (death_appear_counter >= death_appear_time) {
    const spawn_row death = {10, 13, death_hp, death_attack, 1.0f, 0, 0};
    place_enemy(e, kDeathFigure, death, generator_x[g], generator_y[g]);
    generator_blocked[g] = 1;
    death_appear_counter = 0;
  }
}

}  // namespace

void update_generators() {
  death_appear_counter += 1;
  const int32_t count = std::min(generator_count, kGeneratorSlots);
  for (int32_t g = 0; g < count; ++g) {
    if (generator_active[g] == 0) continue;
    if (generator_hp[g] <= 0) {
      se_enemy_disappear8_request = 1;
      generator_active[g] = 0;
      generator_death_fade[g] = 1;
      continue;
    }
    if (!on_screen(generator_x[g], generator_y[g])) {
      generator_counter[g] = generator_interval[g] - kFirstReleaseDelay;
      continue;
    }
    generator_blocked[g] = 0;
    generator_counter[g] += 1;
    if (blocked_by_enemy(g)) generator_blocked[g] = 1;

    // Equality: a counter already past its interval never releases on screen.
    if (generator_counter[g] != generator_interval[g]) continue;
    generator_counter[g] = 0;
    if (generator_blocked[g] == 1) continue;  // this release is lost
    const int32_t s = free_enemy_slot();
    if (s < 0) continue;  // lost too
    release(g, s);
  }
}
