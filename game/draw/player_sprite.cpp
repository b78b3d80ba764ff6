// One player: the walking sprite of its character, white on blink frames,
// or the exit look while it waits on stairs.
#include "game/draw/draw.h"
#include "game/shell/shell.h"
#include "game/world/world.h"

namespace {

constexpr int32_t kWalkWrap = 64;
constexpr int32_t kFramesPerWalkCell = 16;
constexpr int32_t kStairsLookEnd = 120;
constexpr int32_t kSpin = 0;
constexpr int32_t kFlickerOut = 1;
// A 32 x 48 cell with its bottom edge on the bottom of the 12-pixel box.
constexpr int32_t kDx = 48;
constexpr int32_t kDy = -36;

struct player_sheets {
  const int32_t* normal;
  const int32_t* white;
};

const player_sheets kSheets[4] = {{dot_pelune_img3248, dot_pelune_white_img},
                                  {dot_orven_img3248, dot_orven_white_img},
                                  {dot_pelune_2P_img, dot_pelune_white_img},
                                  {dot_orven_2P_img, dot_orven_white_img}};

bool any_direction_held(const player_data& r) {
  for (int32_t d = 0; d < 4; ++d) {
    if (r.input_state[d] == 1) return true;
  }
  return false;
}

// Flicker out: drawn ever more rarely over the 120 frames of the wait.
bool flicker_shows(int32_t counter) {
  if (counter < 20) return counter % 2 == 1;
  if (counter < 40) return counter % 3 == 1;
  if (counter < 80) return counter % 4 == 1;
  return counter % 5 == 1;
}

void draw_cell(const player_data& r, const int32_t* sheet, int32_t cell) {
  if (cell < 0 || cell >= 32) return;
  draw_map_sprite(r.X, r.Y, kDx, kDy, sheet[cell]);
}

}  // namespace

void draw_player(int32_t index) {
  if (index < 0 || index >= 4) return;
  player_data& r = player[index];
  const bool known = r.character >= 0 && r.character < 4;

  if (r.alive == 1 && r.on_stairs != 1) {
    if (game_status == kStatusPlay && any_direction_held(r)) r.walk_anim += 1;
    if (r.walk_anim == kWalkWrap) r.walk_anim = 0;
    if (!known) return;
    const player_sheets& sheets = kSheets[r.character];
    const int32_t* sheet = r.hit_counter % 4 == 1 ? sheets.white : sheets.normal;
    draw_cell(r, sheet, r.facing * 4 + r.walk_anim / kFramesPerWalkCell);
    return;
  }
  // The stairs look, up or down, always with the normal sprite.
  if (r.on_stairs == 1 && r.stairs_counter < kStairsLookEnd && known) {
    const int32_t* sheet = kSheets[r.character].normal;
    if (r.stairs_look == kSpin) {
      draw_cell(r, sheet, ((r.stairs_counter / 2) % 8) * 4);
    } else if (r.stairs_look == kFlickerOut && flicker_shows(r.stairs_counter)) {
      draw_cell(r, sheet, r.facing * 4 + r.walk_anim / kFramesPerWalkCell);
    }
  }
}
