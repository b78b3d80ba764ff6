// One enemy record: its animated sprite while it lives, with the white
// flash of the hit blink, and the vanish effect after its death.
#include "game/draw/draw.h"
#include "game/draw/enemy_sprite_table.h"
#include "game/enemies/enemies.h"
#include "game/shell/shell.h"
#include "runtime/system/api.h"

namespace {

constexpr int32_t kPauseTick = 180;
constexpr int32_t kFadingFairy = 46;
constexpr int32_t kFadeFirstTick = 60;
constexpr int32_t kFadeLastTick = 179;
constexpr int32_t kFadeOpacity = 100;
constexpr int32_t kRockDx = 48;
constexpr int32_t kRockDy = -16;

void draw_live_enemy(enemy_data& e) {
  advance_hit_blink(e.hit_counter);
  if (e.kind < 0 || e.kind >= kEnemyLookKinds) return;
  const enemy_look& look = enemy_looks[e.kind];
  const enemy_family& family = *look.family;
  if (look.image == nullptr) {
    // A rolling rock: never animated, never white.
    draw_map_sprite(e.X, e.Y, kRockDx, kRockDy, dot_breakable_rock);
    return;
  }

  // A pausing slime finishes the cycle under way, then rests on cell 0.
  if (!(family.pauses && e.tick >= kPauseTick && e.anim_counter == 0)) {
    e.anim_counter += 1;
    if (e.anim_counter == family.wrap) e.anim_counter = 0;
  }
  int32_t cell = e.anim_counter / family.frames_per_cell;
  if (family.by_facing) {
    if (e.facing < 0 || e.facing > 7) return;
    cell += 4 * e.facing;
  }
  if (cell < 0 || cell >= 32) return;

  if (e.kind == kFadingFairy && e.tick >= kFadeFirstTick && e.tick <= kFadeLastTick) {
    // Translucent and without the white flash while it cannot be touched.
    ApiSetBlendMode(1, kFadeOpacity);
    draw_map_sprite(e.X, e.Y, family.dx, family.dy, look.image[cell]);
    ApiSetBlendMode(0, 0);
    return;
  }
  const int32_t* image = hit_blink_is_white(e.hit_counter) ? family.white : look.image;
  draw_map_sprite(e.X, e.Y, family.dx, family.dy, image[cell]);
}

}  // namespace

void draw_enemy(int32_t slot) {
  if (slot < 0 || slot >= kEnemySlots) return;
  enemy_data& e = enemy[slot];
  if (e.alive == 1) {
    draw_live_enemy(e);
  } else if (e.alive == 0 && e.dying >= 1) {
    run_vanish_effect(e.dying, e.X, e.Y);
  }
}
