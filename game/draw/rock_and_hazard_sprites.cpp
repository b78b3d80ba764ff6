// Movable rocks and placed hazards (fire jets, vines, korone, bookshelves,
// floor needles): the hazards' hit blink and the vanish effect of a
// destroyed hazard.
#include "game/areas/areas.h"
#include "game/draw/draw.h"
#include "game/draw/object_tables.h"
#include "game/shell/shell.h"

namespace {

enum HazardKind : int32_t { kFire = 0, kVine = 1, kKorone = 2, kBookshelf = 3, kNeedle = 4 };

constexpr int32_t kKoroneCells = 7;
constexpr int32_t kNeedleCells = 4;

// The areas whose rocks are drawn as stone.
bool area_has_stones(int32_t area) {
  return area == 8 || area == 9 || area == 11 || area == 12 || area == 13;
}

// The look of a fire jet's or vine's variant, or nullptr when it has none.
template <int32_t N>
const HazardLook* look_of_variant(const HazardLook (&looks)[N], int32_t variant) {
  for (const HazardLook& look : looks) {
    if (look.variant == variant) return &look;
  }
  return nullptr;
}

// Cell `cell` of a sheet of `count` cells; a cell outside the sheet is not
// drawn.
void draw_hazard_cell(int32_t i, const int32_t* sheet, int32_t count, int32_t dx, int32_t dy) {
  const int32_t cell = set_enemy_cell[i];
  if (cell < 0 || cell >= count) return;
  draw_map_sprite(set_enemy_x[i], set_enemy_y[i], dx, dy, sheet[cell]);
}

// Only fire jets and vines have white images.
void draw_active_hazard(int32_t i, bool white) {
  const int32_t variant = set_enemy_variant[i];
  switch (set_enemy_kind[i]) {
    case kFire:
    case kVine: {
      const HazardLook* look = set_enemy_kind[i] == kFire ? look_of_variant(fire_looks, variant)
                                                          : look_of_variant(vine_looks, variant);
      if (look == nullptr) return;
      draw_hazard_cell(i, white ? look->white : look->image, look->cell_count, look->dx, look->dy);
      return;
    }
    case kKorone:
      draw_hazard_cell(i, dot_korone_img, kKoroneCells, 48, -48);
      return;
    case kBookshelf: {
      const bool back = variant == 0 || variant == 10;
      draw_map_sprite(set_enemy_x[i], set_enemy_y[i], 32, -32,
                      back ? dot_bookshelf_back_img : dot_bookshelf_front_img);
      return;
    }
    case kNeedle:
      draw_hazard_cell(i, dot_needle_img, kNeedleCells, 48, -16);
      return;
    default:
      return;
  }
}

}  // namespace

// Every rock below the count is drawn: rocks have no presence flag.
void draw_movable_rock(int32_t index) {
  const int32_t image =
      area_has_stones(present_map_number) ? dot_movable_stone_img : dot_movable_rock;
  draw_map_sprite(movable_rock_x[index], movable_rock_y[index], 48, -16, image);
}

// The blink moves only while the hazard is active and the vanish counter
// only once it is switched off, so an effect still running when the floor
// changes goes on in its slot on the next floor.
void draw_set_enemy(int32_t index) {
  if (set_enemy_active[index] == 1) {
    advance_hit_blink(set_enemy_hit_blink[index]);
    draw_active_hazard(index, hit_blink_is_white(set_enemy_hit_blink[index]));
    return;
  }
  if (set_enemy_active[index] == 0) {
    run_vanish_effect(set_enemy_death_fade[index], set_enemy_x[index], set_enemy_y[index]);
  }
}
