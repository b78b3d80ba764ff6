// The looks of the nine bosses, their shots and their shots' vanish effects,
// by boss_id. Images are given by their first cell handle; offsets are added
// to the screen place of the object's map position (draw_map_sprite).
#pragma once

#include <cstdint>

constexpr int32_t kBossLookRows = 9;

// ---- Boss sprites ----------------------------------------------------------------

// How the drawn cell follows the boss.
enum class BossCell : int32_t {
  kAnimAndFacing,  // boss_anim / 16 + 4 x boss_facing
  kAnim,           // boss_anim itself, the frame number 0 to 3
  kFacing,         // boss_facing
};

struct BossLook {
  const int32_t* image;
  const int32_t* white;  // same grid as image
  int32_t cell_count;
  BossCell cell;
  int32_t dx;
  int32_t dy;
};

extern const BossLook boss_looks[kBossLookRows];

// ---- Boss shots and their vanish effects ----------------------------------------------

// What picks a boss's row for one shot or effect.
enum class BossShotSelector : int32_t {
  kEvery,     // row 0 for every shot
  kSlotMod7,  // the shot's or the effect's slot index mod 7
  kAge,       // boss_shot_age: the fade-in below, then row 0
  kKind,      // boss_shot_kind, boss_shot_fade_kind
};

constexpr int32_t kBossShotMaxRows = 8;

// One shot image: a whole image (cell_count 1) or a sheet of one cell per
// direction (cell_count 8, cell boss_shot_direction).
struct BossShotLook {
  const int32_t* image;
  int32_t cell_count;
  int32_t dx;
  int32_t dy;
};

struct BossShotRows {
  BossShotSelector selector;
  int32_t count;
  BossShotLook rows[kBossShotMaxRows];
};

extern const BossShotRows boss_shot_looks[kBossLookRows];

// The fade-in of boss 3's shots: up to last_age, this cell of the fade-in
// sheet drawn blended at this opacity; older shots take their boss's row 0.
struct EmberCrownStage {
  int32_t last_age;
  int32_t cell;
  int32_t alpha;
};

constexpr int32_t kEmberCrownStages = 4;
extern const EmberCrownStage ember_crown_stages[kEmberCrownStages];
extern const BossShotLook ember_crown_fade_in_look;  // its cells are the stages' cells

// One vanish-effect sheet: a row of cells, each shown for 2 frames.
struct FadeSheet {
  const int32_t* cells;
  int32_t cell_count;
  int32_t dx;
  int32_t dy;
};

struct BossShotFadeRows {
  BossShotSelector selector;  // kEvery, kSlotMod7 or kKind
  int32_t count;
  FadeSheet rows[kBossShotMaxRows];
};

extern const BossShotFadeRows boss_shot_fade_looks[kBossLookRows];
