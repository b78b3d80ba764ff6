// Items dropped by enemies and items, crystals and breakable rocks placed on
// the floor, with their hit blink and vanish effect.
#include "game/draw/draw.h"
#include "game/draw/object_tables.h"
#include "game/shell/shell.h"
#include "game/world/world.h"

namespace {

// A 32 x 32 cell centred on the item.
constexpr int32_t kDx = 48;
constexpr int32_t kDy = -16;

constexpr int32_t kItemAnimWrap = 32;  // 4 cells of 8 frames
constexpr int32_t kFramesPerItemCell = 8;
constexpr int32_t kCrystalAnimWrap = kCrystalPhaseFrames * kCrystalPhases;
constexpr int32_t kBreakableRock = 100;

bool is_item(int32_t kind) { return kind >= 0 && kind < kItemLooks; }
bool is_crystal(int32_t kind) { return (kind >= 11 && kind <= 19) || (kind >= 21 && kind <= 29); }

// An item of kinds 0 to 9: its four cells, 8 frames each, white on the
// blink frames.
void draw_item(int32_t kind, float x, float y, int32_t blink, int32_t& anim) {
  if (anim >= kItemAnimWrap) anim = 0;
  const ItemLook& look = item_looks[kind];
  const int32_t* sheet = hit_blink_is_white(blink) ? look.white : look.image;
  draw_map_sprite(x, y, kDx, kDy, sheet[anim / kFramesPerItemCell]);
}

}  // namespace

// Kinds 0 to 8 come from the enemies' drops; kind 9 (life-up), which one
// enemy kind drops, is drawn as on the floor, since it stays solid and can
// be shot.
void draw_dropped_item(int32_t slot) {
  if (dropped_item_present[slot] == 0) {
    run_vanish_effect(dropped_item_vanish[slot], dropped_item_x[slot], dropped_item_y[slot]);
    return;
  }
  advance_hit_blink(dropped_item_hit_blink[slot]);
  dropped_item_anim[slot] += 1;
  const int32_t kind = dropped_item_kind[slot];
  if (is_item(kind)) {
    draw_item(kind, dropped_item_x[slot], dropped_item_y[slot], dropped_item_hit_blink[slot],
              dropped_item_anim[slot]);
  }
}

// The animation counter of a crystal is its phase, which the pickup reads to
// choose the statistic raised: what is seen at the touch is what is given.
// Kinds 10, 20 and others are present but not drawn.
void draw_floor_item(int32_t index) {
  if (floor_item_present[index] == 0) {
    run_vanish_effect(floor_item_vanish[index], floor_item_x[index], floor_item_y[index]);
    return;
  }
  advance_hit_blink(floor_item_hit_blink[index]);
  int32_t& anim = floor_item_anim[index];
  anim += 1;
  const int32_t kind = floor_item_kind[index];
  const float x = floor_item_x[index];
  const float y = floor_item_y[index];
  const int32_t blink = floor_item_hit_blink[index];

  if (is_item(kind)) {
    draw_item(kind, x, y, blink, anim);
  } else if (is_crystal(kind)) {
    // Crystals never flash white.
    if (anim >= kCrystalAnimWrap) anim = 0;
    const int32_t* sheet = crystal_phase_images[anim / kCrystalPhaseFrames];
    draw_map_sprite(x, y, kDx, kDy, sheet[(anim % kItemAnimWrap) / kFramesPerItemCell]);
  } else if (kind == kBreakableRock) {
    anim = 0;
    draw_map_sprite(x, y, kDx, kDy,
                    hit_blink_is_white(blink) ? dot_breakable_rock_white : dot_breakable_rock);
  }
}
