// Movable rocks: a rock carries out the step that pushes gave it, stops at
// bodies and walls, scrapes while it really moves, and goes back home once
// neither it nor its home is in view.
#include <algorithm>

#include "game/areas/areas.h"
#include "game/shell/shell.h"
#include "game/world/body_tests.h"
#include "game/world/world.h"
#include "runtime/system/api.h"

namespace {

// The view rectangle against the scroll, edges inside: the field and 32 px
// around it.
bool outside_view(float x, float y) {
  return x < static_cast<float>(-scroll_x - 32) || x > static_cast<float>(544 - scroll_x) ||
         y < static_cast<float>(-scroll_y - 32) || y > static_cast<float>(392 - scroll_y);
}

}  // namespace

void update_movable_rocks() {
  const int32_t count = std::min(movable_rock_count, kMovableRockSlots);
  for (int32_t r = 0; r < count; ++r) {
    const float old_x = movable_rock_x[r];
    const float old_y = movable_rock_y[r];

    // A rock that is itself being pushed stops at what it meets and pushes
    // nothing on.
    const moving_body rock = {movable_rock_x[r],     movable_rock_y[r], &movable_rock_push_vx[r],
                              &movable_rock_push_vy[r], movable_rock_box_w, movable_rock_box_h,
                              movable_rock_pushed[r]};
    meet_players(rock);
    meet_enemies(rock);
    meet_set_enemies(rock, -1, false);
    meet_generators(rock);
    meet_movable_rocks(rock, r);
    meet_floor_items(rock);
    meet_dropped_items(rock);

    stop_at_walls(movable_rock_x[r], movable_rock_y[r], movable_rock_push_vx[r],
                  movable_rock_push_vy[r], movable_rock_box_w, movable_rock_box_h);

    const bool moved = movable_rock_x[r] != old_x || movable_rock_y[r] != old_y;
    if (movable_rock_pushed[r] == 1 && ApiIsSoundPlaying(se_boo) == 0 && moved) {
      se_boo_request = 1;
    }
    if (outside_view(movable_rock_x[r], movable_rock_y[r]) &&
        outside_view(movable_rock_home_x[r], movable_rock_home_y[r])) {
      movable_rock_x[r] = movable_rock_home_x[r];
      movable_rock_y[r] = movable_rock_home_y[r];
    }
    movable_rock_pushed[r] = 0;
  }
}
