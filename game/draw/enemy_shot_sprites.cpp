// The flying shot of each enemy record and the vanish effect of its ended
// shot; both images follow the record's current kind.
#include "game/draw/draw.h"
#include "game/draw/object_tables.h"
#include "game/enemies/enemies.h"

namespace {

constexpr int32_t kDirections = 8;
constexpr int32_t kFadeCells = 4;
constexpr int32_t kFramesPerFadeCell = 2;
constexpr int32_t kFadeFrames = kFadeCells * kFramesPerFadeCell;

// The images of a kind's shots, or nullptr when the kind has none.
const EnemyShotRow* shot_row(int32_t kind) {
  for (const EnemyShotRow& row : enemy_shot_rows) {
    if (row.kind == kind) return &row;
  }
  return nullptr;
}

}  // namespace

// A shot is drawn whether or not its enemy still lives.
void draw_enemy_shots() {
  for (const enemy_data& e : enemy) {
    if (e.shot_state != 1) continue;
    const EnemyShotRow* row = shot_row(e.kind);
    if (row == nullptr || e.shot_direction < 0 || e.shot_direction >= kDirections) continue;
    draw_map_sprite(e.shot_X, e.shot_Y, 56, -8, row->shot[e.shot_direction]);
  }
}

// Each effect shows its 4 cells for 2 frames each, centred as 24 x 24 cells,
// and is switched off in its eighth frame, also for a kind without images.
void draw_enemy_shot_fades() {
  for (enemy_data& e : enemy) {
    if (e.shot_fade_state != 1) continue;
    e.shot_fade_timer += 1;
    const int32_t t = e.shot_fade_timer;
    const EnemyShotRow* row = shot_row(e.kind);
    if (row != nullptr && t >= 1 && t <= kFadeFrames) {
      draw_map_sprite(e.shot_fade_X, e.shot_fade_Y, 52, -12,
                      row->fade[(t - 1) / kFramesPerFadeCell]);
    }
    if (t == kFadeFrames) e.shot_fade_state = 0;
  }
}
