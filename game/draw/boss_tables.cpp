// The boss look tables: sprites, shots and shot vanish effects of bosses 0
// to 8.
#include "game/draw/boss_tables.h"

#include "game/shell/shell.h"

namespace {

// ---- Shot images by size ------------------------------------------------------------

// A 32 x 32 image, or a 32 x 32 cell per direction, centred on the shot.
constexpr BossShotLook whole_32(const int32_t& image) { return {&image, 1, 48, -16}; }
constexpr BossShotLook directions_32(const int32_t (&cells)[8]) { return {cells, 8, 48, -16}; }
// 16 x 16 cells per direction.
constexpr BossShotLook directions_16(const int32_t (&cells)[8]) { return {cells, 8, 56, -8}; }
// A 64 x 64 image.
constexpr BossShotLook whole_64(const int32_t& image) { return {&image, 1, 32, -32}; }

// ---- Vanish-effect sheets by cell count -----------------------------------------------

constexpr FadeSheet six_cells(const int32_t (&cells)[6]) { return {cells, 6, 48, -16}; }
constexpr FadeSheet five_cells(const int32_t (&cells)[5]) { return {cells, 5, 32, -32}; }
// 24 x 24 cells placed at the 32-pixel corner, 4 pixels left of and above
// the centre.
constexpr FadeSheet four_cells(const int32_t (&cells)[4]) { return {cells, 4, 48, -16}; }

}  // namespace

const BossLook boss_looks[kBossLookRows] = {
    {dot_talvo_img6496, dot_talvo_white_img, 32, BossCell::kAnimAndFacing, 32, -54},
    {dot_big_frog_img, dot_big_frog_white_img, 4, BossCell::kAnim, 0, -64},
    {dot_dask_gorlan_img, dot_dask_gorlan_white_img, 32, BossCell::kAnimAndFacing, 48, -24},
    {dot_bremonkal_img, dot_bremonkal_white_img, 32, BossCell::kAnimAndFacing, 48, -24},
    {dot_vantor_ludera_img, dot_vantor_ludera_white_img, 32, BossCell::kAnimAndFacing, 48, -24},
    {dot_orsenta_img, dot_orsenta_white_img, 32, BossCell::kAnimAndFacing, 48, -24},
    {dot_wendel_img, dot_wendel_white_img, 8, BossCell::kFacing, 48, -24},
    {dot_mobaki_img, dot_mobaki_white_img, 32, BossCell::kAnimAndFacing, 48, -24},
    {dot_thessa_img, dot_thessa_white_img, 8, BossCell::kFacing, 24, -38},
};

const BossShotRows boss_shot_looks[kBossLookRows] = {
    // 0 talvo
    {BossShotSelector::kEvery, 1, {whole_32(dot_talvo_shot_img32)}},
    // 1 big frog
    {BossShotSelector::kEvery, 1, {whole_32(dot_fesku_shot_img)}},
    // 2 gorlan: aqua, blue, daidai, green, purple, red, yellow
    {BossShotSelector::kSlotMod7,
     7,
     {directions_16(dot_pelwick_aqua_shot_img), directions_16(dot_pelwick_blue_shot_img),
      directions_16(dot_pelwick_daidai_shot_img), directions_16(dot_pelwick_green_shot_img),
      directions_16(dot_pelwick_purple_shot_img), directions_16(dot_pelwick_red_shot_img),
      directions_16(dot_pelwick_yellow_shot_img)}},
    // 3 bremonkal: the grown crown, after its fade-in
    {BossShotSelector::kAge, 1, {{&dot_ember_crown_img, 1, 16, -48}}},
    // 4 ludera
    {BossShotSelector::kKind,
     5,
     {directions_32(dot_bullet_knife_red_img), directions_32(dot_bullet_knife_blue_img),
      directions_32(dot_bullet_knife_green_img), directions_32(dot_bullet_kunai_red_img),
      directions_32(dot_bullet_kunai_blue_img)}},
    // 5 orsenta
    {BossShotSelector::kKind,
     3,
     {whole_64(dot_bullet_big_red_img), whole_32(dot_bullet_middle_red_img),
      whole_32(dot_bullet_small_red_img)}},
    // 6 wendel: four notes, then four direction sheets
    {BossShotSelector::kKind,
     8,
     {whole_32(dot_wendel_bulllet_red_note_img), whole_32(dot_wendel_bulllet_blue_note_img),
      whole_32(dot_wendel_bulllet_green_note_img), whole_32(dot_wendel_bulllet_yellow_note_img),
      directions_32(dot_wendel_bullet_red_img), directions_32(dot_wendel_bullet_blue_img),
      directions_32(dot_wendel_bullet_green_img), directions_32(dot_wendel_bullet_yellow_img)}},
    // 7 mobaki
    {BossShotSelector::kKind,
     7,
     {directions_32(dot_mobaki_bullet_aqua_img), directions_32(dot_mobaki_bullet_blue_img),
      directions_32(dot_mobaki_bullet_green_img), directions_32(dot_mobaki_bullet_purple_img),
      directions_32(dot_mobaki_bullet_red_img), directions_32(dot_mobaki_bullet_yellow_img),
      whole_64(dot_bullet_big_violet_img)}},
    // 8 thessa
    {BossShotSelector::kKind,
     6,
     {directions_32(dot_bullet_kunai_green_img), directions_32(dot_bullet_kunai_aqua_img),
      whole_32(dot_fesku_shot_img), whole_64(dot_bullet_big_red_img),
      whole_32(dot_talvo_shot_img32), directions_32(dot_wendel_bullet_blue_img)}},
};

const EmberCrownStage ember_crown_stages[kEmberCrownStages] = {
    {10, 0, 100}, {20, 1, 130}, {30, 2, 160}, {40, 3, 190}};

// 96 x 96 cells, like the grown crown.
const BossShotLook ember_crown_fade_in_look = {dot_ember_crown_fade_in_img, 4, 16, -48};

const BossShotFadeRows boss_shot_fade_looks[kBossLookRows] = {
    // 0 talvo
    {BossShotSelector::kEvery, 1, {six_cells(dot_6F_middle_red_shot_fade_img)}},
    // 1 big frog
    {BossShotSelector::kEvery, 1, {six_cells(dot_6F_middle_blue_shot_fade_img)}},
    // 2 gorlan: aqua, blue, daidai, green, purple, red, yellow
    {BossShotSelector::kSlotMod7,
     7,
     {six_cells(dot_pelwick_aqua_shot_fade_img), six_cells(dot_pelwick_blue_shot_fade_img),
      six_cells(dot_pelwick_daidai_shot_fade_img), six_cells(dot_pelwick_green_shot_fade_img),
      six_cells(dot_pelwick_purple_shot_fade_img), six_cells(dot_pelwick_red_shot_fade_img),
      six_cells(dot_pelwick_yellow_shot_fade_img)}},
    // 3 bremonkal
    {BossShotSelector::kEvery, 1, {six_cells(dot_6F_middle_red_shot_fade_img)}},
    // 4 ludera
    {BossShotSelector::kKind,
     5,
     {six_cells(dot_6F_middle_red_shot_fade_img), six_cells(dot_6F_middle_blue_shot_fade_img),
      six_cells(dot_6F_middle_green_shot_fade_img), four_cells(dot_4F_red_shot_fade_img),
      four_cells(dot_4F_blue_shot_fade_img)}},
    // 5 orsenta
    {BossShotSelector::kKind,
     3,
     {five_cells(dot_5F_big_red_shot_fade_img), six_cells(dot_6F_middle_red_shot_fade_img),
      four_cells(dot_4F_red_shot_fade_img)}},
    // 6 wendel
    {BossShotSelector::kKind,
     8,
     {six_cells(dot_6F_middle_red_shot_fade_img), six_cells(dot_6F_middle_blue_shot_fade_img),
      six_cells(dot_6F_middle_green_shot_fade_img), six_cells(dot_6F_middle_yellow_shot_fade_img),
      four_cells(dot_4F_red_shot_fade_img), four_cells(dot_4F_blue_shot_fade_img),
      four_cells(dot_4F_green_shot_fade_img), four_cells(dot_4F_yellow_shot_fade_img)}},
    // 7 mobaki
    {BossShotSelector::kKind,
     7,
     {six_cells(dot_6F_middle_aqua_shot_fade_img), six_cells(dot_6F_middle_blue_shot_fade_img),
      six_cells(dot_6F_middle_green_shot_fade_img), six_cells(dot_6F_middle_purple_shot_fade_img),
      six_cells(dot_6F_middle_red_shot_fade_img), six_cells(dot_6F_middle_yellow_shot_fade_img),
      five_cells(dot_5F_big_violet_shot_fade_img)}},
    // 8 thessa
    {BossShotSelector::kKind,
     6,
     {four_cells(dot_4F_green_shot_fade_img), four_cells(dot_4F_blue_shot_fade_img),
      six_cells(dot_6F_middle_blue_shot_fade_img), five_cells(dot_5F_big_red_shot_fade_img),
      six_cells(dot_6F_middle_red_shot_fade_img), four_cells(dot_4F_blue_shot_fade_img)}},
};
