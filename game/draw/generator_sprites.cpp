// Enemy generators, animated by their spawn counter, white on the blink
// frames, and their vanish effect once destroyed.
#include <algorithm>

#include "game/areas/areas.h"
#include "game/draw/draw.h"
#include "game/draw/object_tables.h"
#include "game/shell/shell.h"

namespace {

constexpr int32_t kDx = 48;
constexpr int32_t kDy = -16;
constexpr int32_t kCounterFramesPerEntry = 7;

// Enemy kinds whose generators look different from the red one.
constexpr int32_t kShortKindA = 14;
constexpr int32_t kShortKindB = 16;
constexpr int32_t kOverlaidKindA = 15;
constexpr int32_t kOverlaidKindB = 17;
constexpr int32_t kChipKind130 = 18;
constexpr int32_t kChipKind129 = 19;
constexpr int32_t kBlueKind = 50;
constexpr int32_t kLastEnemyKind = 54;

// The floor whose kind-15 and kind-17 generators show the blue frame over
// the red one.
constexpr int32_t kOverlayArea = 11;
constexpr int32_t kOverlayFloor = 4;

// A table entry; spawn intervals from the level files may run past either
// end of a table (above 126 or 42, or below 20, when the off-screen counter
// is negative), so the index is held to the table.
int32_t clamped_entry(const int32_t* table, int32_t count, int32_t i) {
  return table[std::clamp(i, 0, count - 1)];
}

}  // namespace

int32_t get_generator_frame_long(int32_t i) {
  return clamped_entry(generator_frames_long, kGeneratorFramesLong, i);
}

int32_t get_generator_frame_short(int32_t i) {
  return clamped_entry(generator_frames_short, kGeneratorFramesShort, i);
}

void draw_generator(int32_t index) {
  const float x = generator_x[index];
  const float y = generator_y[index];
  if (generator_active[index] != 1) {
    run_vanish_effect(generator_death_fade[index], x, y);
    return;
  }
  advance_hit_blink(generator_hit_blink[index]);
  const int32_t* red_or_white = hit_blink_is_white(generator_hit_blink[index])
                                    ? dot_generator_white_img
                                    : dot_generator_red_img;
  const int32_t f = generator_counter[index] / kCounterFramesPerEntry;
  const int32_t kind = generator_kind[index];

  if (kind == kShortKindA || kind == kShortKindB) {
    draw_map_sprite(x, y, kDx, kDy, red_or_white[get_generator_frame_short(f)]);
  } else if (kind == kOverlaidKindA || kind == kOverlaidKindB) {
    const int32_t cell = get_generator_frame_short(f);
    draw_map_sprite(x, y, kDx, kDy, red_or_white[cell]);
    if (present_map_number == kOverlayArea && present_map_floor == kOverlayFloor) {
      draw_map_sprite(x, y, kDx, kDy, dot_generator_blue_img[cell]);
    }
  } else if (kind == kChipKind130) {
    draw_map_sprite(x, y, kDx, kDy, BRIMAL_map_chip_strandmoorle[130]);
  } else if (kind == kChipKind129) {
    draw_map_sprite(x, y, kDx, kDy, BRIMAL_map_chip_strandmoorle[129]);
  } else if (kind == kBlueKind) {
    draw_map_sprite(x, y, kDx, kDy, dot_generator_blue_img[get_generator_frame_long(f)]);
  } else if (kind >= 0 && kind <= kLastEnemyKind) {
    draw_map_sprite(x, y, kDx, kDy, red_or_white[get_generator_frame_long(f)]);
  }
}
