// The current boss's flying shots and the vanish effects of its ended shots.
#include "game/bosses/bosses.h"
#include "game/draw/boss_tables.h"
#include "game/draw/draw.h"
#include "runtime/system/api.h"

namespace {

// An effect whose boss or kind has no row in the effect table is not drawn;
// its slot is freed after the length of the longest sheet, so it cannot stay
// taken for ever.
constexpr int32_t kUnknownFadeFrames = 12;
constexpr int32_t kFramesPerFadeCell = 2;
constexpr int32_t kAlphaBlend = 1;

// The row a selector picks, -1 when there is none.
int32_t selected_row(BossShotSelector selector, int32_t count, int32_t slot, int32_t kind) {
  int32_t row = 0;
  if (selector == BossShotSelector::kSlotMod7) row = slot % 7;
  if (selector == BossShotSelector::kKind) row = kind;
  return row >= 0 && row < count ? row : -1;
}

void draw_shot_look(const BossShotLook& look, int32_t cell, float x, float y) {
  if (cell < 0 || cell >= look.cell_count) return;
  draw_map_sprite(x, y, look.dx, look.dy, look.image[cell]);
}

// Boss 3's shots fade in, blended, until they are grown; a negative age
// draws nothing.
void draw_ember_crown(const BossShotLook& grown, int32_t age, float x, float y) {
  if (age < 0) return;
  for (const EmberCrownStage& stage : ember_crown_stages) {
    if (age > stage.last_age) continue;
    ApiSetBlendMode(kAlphaBlend, stage.alpha);
    draw_shot_look(ember_crown_fade_in_look, stage.cell, x, y);
    ApiSetBlendMode(0, 0);
    return;
  }
  draw_shot_look(grown, 0, x, y);
}

void draw_boss_shot(const BossShotRows& rows, int32_t i) {
  const float x = boss_shot_x[i];
  const float y = boss_shot_y[i];
  if (rows.selector == BossShotSelector::kAge) {
    draw_ember_crown(rows.rows[0], boss_shot_age[i], x, y);
    return;
  }
  const int32_t row = selected_row(rows.selector, rows.count, i, boss_shot_kind[i]);
  if (row < 0) return;
  const BossShotLook& look = rows.rows[row];
  draw_shot_look(look, look.cell_count == 1 ? 0 : boss_shot_direction[i], x, y);
}

// The sheet of effect slot i, or nullptr when its boss or kind has none.
const FadeSheet* fade_sheet(int32_t i) {
  if (boss_id < 0 || boss_id >= kBossLookRows) return nullptr;
  const BossShotFadeRows& rows = boss_shot_fade_looks[boss_id];
  const int32_t row = selected_row(rows.selector, rows.count, i, boss_shot_fade_kind[i]);
  return row < 0 ? nullptr : &rows.rows[row];
}

}  // namespace

void draw_boss_shots() {
  if (boss_id < 0 || boss_id >= kBossLookRows) return;
  const BossShotRows& rows = boss_shot_looks[boss_id];
  for (int32_t i = 0; i < kBossShotSlots; ++i) {
    if (boss_shot_state[i] == 1) draw_boss_shot(rows, i);
  }
}

// Each effect shows its sheet's n cells for 2 frames each and frees its slot
// in the frame of the last one.
void draw_boss_shot_fades() {
  for (int32_t i = 0; i < kBossShotSlots; ++i) {
    if (boss_shot_fade_alive[i] != 1) continue;
    boss_shot_fade_timer[i] += 1;
    const int32_t t = boss_shot_fade_timer[i];
    const FadeSheet* sheet = fade_sheet(i);
    const int32_t last = sheet ? sheet->cell_count * kFramesPerFadeCell : kUnknownFadeFrames;
    if (sheet && t >= 1 && t <= last) {
      draw_map_sprite(boss_shot_fade_x[i], boss_shot_fade_y[i], sheet->dx, sheet->dy,
                      sheet->cells[(t - 1) / kFramesPerFadeCell]);
    }
    if (t == last) boss_shot_fade_alive[i] = 0;
  }
}
