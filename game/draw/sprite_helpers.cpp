// What the object drawers share: placing a sprite on the field, the hit
// blink and the vanish effect of destroyed objects.
#include "game/draw/draw.h"
#include "game/shell/shell.h"
#include "game/world/positions.h"
#include "game/world/world.h"
#include "runtime/system/api.h"

namespace {

constexpr int32_t kBlinkEnd = 16;
constexpr int32_t kVanishFramesPerCell = 3;
constexpr int32_t kVanishLast = 33;  // 11 cells of 3 frames
// A 32 x 32 cell centred on the object.
constexpr int32_t kVanishDx = 48;
constexpr int32_t kVanishDy = -16;

}  // namespace

void draw_map_sprite(float x, float y, int32_t dx, int32_t dy, int32_t graphic) {
  ApiDrawGraphicAt(held_sum(position_to_int(x), scroll_x, dx),
                   held_sum(position_to_int(y), scroll_y, dy), graphic, 1);
}

void advance_hit_blink(int32_t& blink) {
  if (blink <= 0) return;
  blink = blink < kBlinkEnd ? blink + 1 : 0;
}

bool hit_blink_is_white(int32_t blink) { return blink % 4 == 1; }

// Started at 1 by the update that destroys the object, the counter is first
// drawn at 2: cell 0 shows for 2 frames, cells 1 to 10 for 3 frames each.
void run_vanish_effect(int32_t& counter, float x, float y) {
  if (counter < 1) return;
  counter += 1;
  if (counter <= kVanishLast) {
    draw_map_sprite(x, y, kVanishDx, kVanishDy,
                    dot_enemy_fade_img[(counter - 1) / kVanishFramesPerCell]);
  }
  if (counter == kVanishLast) counter = 0;
}
