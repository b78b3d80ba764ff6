// The looks of the small world objects: enemy shots and their vanish
// effects by enemy kind, items by item kind, crystals by phase, the
// generator frame tables, and the fire jets and vines by variant. Images are
// given by their first cell handle.
#pragma once

#include <cstdint>

// ---- Enemy shots ---------------------------------------------------------------------

// The shot sheet (8 direction cells of 16 x 16) and the 4-cell vanish effect
// of the shots of one enemy kind. Kinds without a row have neither.
struct EnemyShotRow {
  int32_t kind;
  const int32_t* shot;
  const int32_t* fade;
};

constexpr int32_t kEnemyShotRows = 12;
extern const EnemyShotRow enemy_shot_rows[kEnemyShotRows];

// ---- Items -------------------------------------------------------------------------------

// Items of kinds 0 to 9 (the potions, the four statistic items, holly,
// healing, mirror, life-up): 4 cells of 32 x 32 and their white partners.
struct ItemLook {
  const int32_t* image;
  const int32_t* white;
};

constexpr int32_t kItemLooks = 10;
extern const ItemLook item_looks[kItemLooks];

// A crystal's image by phase: 120 frames each of AG, AT, VT and IN.
constexpr int32_t kCrystalPhaseFrames = 120;
constexpr int32_t kCrystalPhases = 4;
extern const int32_t* const crystal_phase_images[kCrystalPhases];

// ---- Generators -----------------------------------------------------------------------

// Cells of the 7-cell generator images, one entry for every 7 frames of the
// spawn counter: the long table spans the default interval of 126 frames,
// the short one 42.
constexpr int32_t kGeneratorFramesLong = 18;
constexpr int32_t kGeneratorFramesShort = 6;
extern const int32_t generator_frames_long[kGeneratorFramesLong];
extern const int32_t generator_frames_short[kGeneratorFramesShort];

// ---- Fire jets and vines ---------------------------------------------------------------

// The sheet of one variant and its white partner; the jet or vine reaches
// from the hazard's own cell along the variant's units digit (0 up, 2 right,
// 4 down, 6 left).
struct HazardLook {
  int32_t variant;
  const int32_t* image;
  const int32_t* white;
  int32_t cell_count;
  int32_t dx;
  int32_t dy;
};

constexpr int32_t kFireLooks = 8;
constexpr int32_t kVineLooks = 4;
extern const HazardLook fire_looks[kFireLooks];
extern const HazardLook vine_looks[kVineLooks];
