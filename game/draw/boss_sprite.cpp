// The boss of a boss floor: its sprite while the fight runs, white on the
// blink frames after a hit, and the four vanish bursts of its defeat.
#include "game/bosses/bosses.h"
#include "game/draw/boss_tables.h"
#include "game/draw/draw.h"
#include "game/shell/shell.h"
#include "runtime/system/api.h"

namespace {

constexpr int32_t kWendel = 6;  // drawn with a shadow and a keyboard
constexpr int32_t kWendelShadowCell = 2;

// The defeat sequence: four bursts of the 11 fade cells, 3 frames a cell.
constexpr int32_t kBurstFrames = 33;
constexpr int32_t kBurstCount = 4;
constexpr int32_t kBurstOffsets[kBurstCount][2] = {{48, -16}, {56, -8}, {56, -16}, {48, -8}};

int32_t boss_cell(const BossLook& look) {
  switch (look.cell) {
    case BossCell::kAnimAndFacing:
      return boss_anim / 16 + 4 * boss_facing;
    case BossCell::kAnim:
      return boss_anim;
    case BossCell::kFacing:
      return boss_facing;
  }
  return -1;
}

void draw_fighting_boss(bool white) {
  if (boss_id < 0 || boss_id >= kBossLookRows) return;
  const BossLook& look = boss_looks[boss_id];
  if (boss_id == kWendel) {
    draw_map_sprite(boss_x, boss_y, 48, 24, dot_wendel_shadow_img[kWendelShadowCell]);
  }
  // A cell outside the sheet (boss 1 outside its frames 0 to 3) is not drawn.
  const int32_t cell = boss_cell(look);
  if (cell >= 0 && cell < look.cell_count) {
    draw_map_sprite(boss_x, boss_y, look.dx, look.dy, (white ? look.white : look.image)[cell]);
  }
  if (boss_id == kWendel) {
    draw_map_sprite(boss_part_x, boss_part_y, 48, -16, dot_wendel_keyboard_img[0]);
  }
}

}  // namespace

void draw_boss() {
  if (boss_active == 1) {
    advance_hit_blink(boss_hit);
    draw_fighting_boss(hit_blink_is_white(boss_hit));
    return;
  }
  if (boss_active == 0 && boss_defeat_counter >= 1 &&
      boss_defeat_counter <= kBurstFrames * kBurstCount) {
    const int32_t k = boss_defeat_counter - 1;
    const int32_t(&offset)[2] = kBurstOffsets[k / kBurstFrames];
    draw_map_sprite(boss_x, boss_y, offset[0], offset[1],
                    dot_enemy_fade_img[(k % kBurstFrames) / 3]);
  }
}
