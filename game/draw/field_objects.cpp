// The depth-sorted object pass: a line sweeps down the field in steps of 20
// pixels and draws every object not yet drawn that it has reached, so lower
// objects cover higher ones. Generators and floor needles lie under all.
#include <algorithm>
#include <iterator>

#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/draw/draw.h"
#include "game/enemies/enemies.h"
#include "game/shell/shell.h"
#include "game/world/world.h"

namespace {

constexpr int32_t kNeedle = 4;
constexpr int32_t kLineStep = 20;
constexpr int32_t kSweepDepth = 420;
constexpr int32_t kBossFloor = 2;

void clear_drawn_flags() {
  for (player_data& r : player) r.drawn = 0;
  for (enemy_data& e : enemy) e.drawn = 0;
  std::fill(std::begin(set_enemy_drawn), std::end(set_enemy_drawn), 0);
  std::fill(std::begin(floor_item_drawn), std::end(floor_item_drawn), 0);
  std::fill(std::begin(dropped_item_drawn), std::end(dropped_item_drawn), 0);
  std::fill(std::begin(movable_rock_drawn), std::end(movable_rock_drawn), 0);
  boss_drawn = 0;
}

// Draws object i when the line has reached its y and it is not drawn yet.
template <typename Draw>
void reach(int32_t& drawn, float y, int32_t line, Draw draw) {
  if (drawn != 0 || !(y <= static_cast<float>(line))) return;
  draw();
  drawn = 1;
}

}  // namespace

void draw_field_objects() {
  clear_drawn_flags();
  const int32_t generators = std::min(generator_count, kGeneratorSlots);
  const int32_t hazards = std::min(set_enemy_count, kSetEnemySlots);
  const int32_t items = std::min(floor_item_count, kFloorItemSlots);
  const int32_t rocks = std::min(movable_rock_count, kMovableRockSlots);
  const int32_t players = std::clamp(player_count, 0, 4);

  for (int32_t g = 0; g < generators; ++g) draw_generator(g);
  for (int32_t s = 0; s < hazards; ++s) {
    if (set_enemy_kind[s] != kNeedle) continue;
    draw_set_enemy(s);
    set_enemy_drawn[s] = 1;
  }

  for (int32_t line = -scroll_y; line <= kSweepDepth - scroll_y; line += kLineStep) {
    for (int32_t p = 0; p < players; ++p) {
      reach(player[p].drawn, player[p].Y, line, [p] { draw_player(p); });
    }
    for (int32_t i = 0; i < kEnemySlots; ++i) {
      reach(enemy[i].drawn, enemy[i].Y, line, [i] { draw_enemy(i); });
    }
    for (int32_t s = 0; s < hazards; ++s) {
      reach(set_enemy_drawn[s], set_enemy_y[s], line, [s] { draw_set_enemy(s); });
    }
    for (int32_t i = 0; i < items; ++i) {
      reach(floor_item_drawn[i], floor_item_y[i], line, [i] { draw_floor_item(i); });
    }
    for (int32_t d = 0; d < kDroppedItemSlots; ++d) {
      reach(dropped_item_drawn[d], dropped_item_y[d], line, [d] { draw_dropped_item(d); });
    }
    for (int32_t k = 0; k < rocks; ++k) {
      reach(movable_rock_drawn[k], movable_rock_y[k], line, [k] { draw_movable_rock(k); });
    }
    if (map_status == kBossFloor) reach(boss_drawn, boss_y, line, [] { draw_boss(); });
  }
}
