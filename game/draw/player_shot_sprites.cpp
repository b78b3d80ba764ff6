// The players' flying shots and their vanish effects.
#include "game/draw/draw.h"
#include "game/shell/shell.h"
#include "game/world/world.h"

namespace {

constexpr int32_t kShotAnimWrap = 24;
constexpr int32_t kFramesPerShotCell = 6;
constexpr int32_t kFadeLast = 12;  // 6 cells, 2 frames each
constexpr int32_t kFadeSlots = 5;
// A 32 x 32 cell centred on the shot.
constexpr int32_t kDx = 48;
constexpr int32_t kDy = -16;

bool first_character(const player_data& record) {
  return record.character == 0 || record.character == 2;
}

}  // namespace

void draw_player_shots() {
  for (int32_t p = 0; p < player_count; ++p) {
    player_data& record = player[p];
    const int32_t* sheet = first_character(record) ? dot_pelune_shot_img : dot_orven_shot_img;
    for (int32_t s = 0; s < 2; ++s) {
      if (record.shot_state[s] != 1) continue;
      record.shot_anim[s] += 1;
      if (record.shot_anim[s] == kShotAnimWrap) record.shot_anim[s] = 0;
      const int32_t direction = record.shot_direction[s];
      const int32_t frame = record.shot_anim[s] / kFramesPerShotCell;
      if (direction < 0 || direction > 7 || frame < 0 || frame > 3) continue;
      draw_map_sprite(record.shot_x[s], record.shot_y[s], kDx, kDy, sheet[direction * 4 + frame]);
    }
  }
}

void draw_player_shot_fades() {
  for (int32_t p = 0; p < player_count; ++p) {
    player_data& record = player[p];
    const int32_t* sheet =
        first_character(record) ? dot_pelune_shot_fade_img : dot_orven_shot_fade_img;
    for (int32_t f = 0; f < kFadeSlots; ++f) {
      if (record.shot_fade_alive[f] != 1) continue;
      const int32_t timer = ++record.shot_fade_timer[f];
      if (timer >= 1 && timer <= kFadeLast) {
        draw_map_sprite(record.shot_fade_x[f], record.shot_fade_y[f], kDx, kDy,
                        sheet[(timer - 1) / 2]);
      }
      if (timer == kFadeLast) record.shot_fade_alive[f] = 0;
    }
  }
}
