// The look tables of enemy shots, items, crystals, generators, fire jets and
// vines.
#include "game/draw/object_tables.h"

#include "game/shell/shell.h"

const EnemyShotRow enemy_shot_rows[kEnemyShotRows] = {
    {5, dot_oval_bullet_green_img, dot_4F_green_shot_fade_img},
    // 16 x 16 effect cells, placed like the 24 x 24 ones of the others
    {8, dot_small_bullet_blue_green_img, dot_4F_blue_green_shot_fade_img},
    {22, dot_oval_bullet_blue_img, dot_4F_blue_shot_fade_img},
    {50, dot_oval_bullet_blue_img, dot_4F_blue_shot_fade_img},
    {28, dot_oval_bullet_orange_img, dot_4F_orange_shot_fade_img},
    {42, dot_oval_bullet_orange_img, dot_4F_orange_shot_fade_img},
    {32, dot_oval_bullet_purple_img, dot_4F_purple_shot_fade_img},
    {52, dot_oval_bullet_purple_img, dot_4F_purple_shot_fade_img},
    {36, dot_oval_bullet_red_img, dot_4F_red_shot_fade_img},
    {40, dot_oval_bullet_red_img, dot_4F_red_shot_fade_img},
    {46, dot_oval_bullet_black_img, dot_4F_black_shot_fade_img},
    {51, dot_oval_bullet_brown_img, dot_4F_brown_shot_fade_img},
};

// The four statistic items share one white image.
const ItemLook item_looks[kItemLooks] = {
    {dot_potion_white_img, dot_potion_white_white_img},
    {dot_potion_black_img, dot_potion_black_white_img},
    {dot_item_AG_img, dot_item_AG_white_img},
    {dot_item_AT_img, dot_item_AG_white_img},
    {dot_item_VT_img, dot_item_AG_white_img},
    {dot_item_IN_img, dot_item_AG_white_img},
    {dot_holly_img, dot_holly_white_img},
    {dot_healing_img, dot_healing_white_img},
    {dot_mirror_img, dot_mirror_white_img},
    {dot_life_up_img, dot_life_up_white_img},
};

const int32_t* const crystal_phase_images[kCrystalPhases] = {
    dot_crystal_AG_img, dot_crystal_AT_img, dot_crystal_VT_img, dot_crystal_IN_img};

// With the default interval a generator shows cell 6 for the last 7 frames
// before it releases an enemy.
const int32_t generator_frames_long[kGeneratorFramesLong] = {1, 0, 1, 0, 1, 2, 3, 2, 3,
                                                             4, 3, 2, 1, 2, 3, 4, 5, 6};
const int32_t generator_frames_short[kGeneratorFramesShort] = {1, 2, 3, 4, 5, 6};

// Jets up and down are rows of 32 x 160 cells, left and right columns of
// 160 x 32; tens digits 0 and 1 look alike.
const HazardLook fire_looks[kFireLooks] = {
    {0, dot_fire_enemy_img01, dot_fire_enemy_white_img01, 7, 48, -144},
    {10, dot_fire_enemy_img01, dot_fire_enemy_white_img01, 7, 48, -144},
    {2, dot_fire_enemy_img02, dot_fire_enemy_white_img02, 7, 48, -16},
    {12, dot_fire_enemy_img02, dot_fire_enemy_white_img02, 7, 48, -16},
    {4, dot_fire_enemy_img03, dot_fire_enemy_white_img03, 7, 48, -16},
    {14, dot_fire_enemy_img03, dot_fire_enemy_white_img03, 7, 48, -16},
    {6, dot_fire_enemy_img04, dot_fire_enemy_white_img04, 7, -80, -16},
    {16, dot_fire_enemy_img04, dot_fire_enemy_white_img04, 7, -80, -16},
};

// Vines up 32 x 160, right and left 160 x 64, down 32 x 192.
const HazardLook vine_looks[kVineLooks] = {
    {0, dot_vine_img01, dot_vine_white_img01, 5, 48, -144},
    {2, dot_vine_img02, dot_vine_white_img02, 5, 48, -48},
    {4, dot_vine_img03, dot_vine_white_img03, 5, 48, -48},
    {6, dot_vine_img04, dot_vine_white_img04, 5, -80, -48},
};
