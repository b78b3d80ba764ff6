// The image loading table and the handle globals it fills (back_screen_img
// lives with the shell's other globals).
#include "game/shell/image_table.h"

#include "game/shell/shell.h"

// ---- Handle globals --------------------------------------------------------------

// "data/img/player/"
int32_t dot_pelune_img3248[32];
int32_t dot_pelune_2P_img[32];
int32_t dot_pelune_white_img[32];
int32_t dot_orven_img3248[32];
int32_t dot_orven_2P_img[32];
int32_t dot_orven_white_img[32];
int32_t dot_pelune_shot_img[32];
int32_t dot_orven_shot_img[32];
int32_t dot_pelune_shot_fade_img[6];
int32_t dot_orven_shot_fade_img[6];
// "data/img/enemy/"
int32_t dot_enemy_fade_img[11];
int32_t dot_generator_red_img[7];
int32_t dot_generator_blue_img[7];
int32_t dot_generator_white_img[7];
int32_t dot_slime_green_img[5];
int32_t dot_slime_ai_img[5];
int32_t dot_slime_blue_img[5];
int32_t dot_slime_orange_img[5];
int32_t dot_slime_purple_img[5];
int32_t dot_slime_red_img[5];
int32_t dot_slime_yellow_img[5];
int32_t dot_slime_white_img[5];
int32_t dot_golem_img[32];
int32_t dot_golem_blue_green_img[32];
int32_t dot_golem_ai_img[32];
int32_t dot_golem_gray_img[32];
int32_t dot_golem_green_img[32];
int32_t dot_golem_orange_img[32];
int32_t dot_golem_purple_img[32];
int32_t dot_golem_red_img[32];
int32_t dot_golem_white_img[32];
int32_t dot_fairy_normal_aqua_img[32];
int32_t dot_fairy_normal_black_img[32];
int32_t dot_fairy_normal_blue_img[32];
int32_t dot_fairy_normal_brown_img[32];
int32_t dot_fairy_normal_gray_img[32];
int32_t dot_fairy_normal_green_img[32];
int32_t dot_fairy_normal_orange_img[32];
int32_t dot_fairy_normal_purple_img[32];
int32_t dot_fairy_normal_red_img[32];
int32_t dot_fairy_normal_white_img[32];
int32_t dot_fairy_maid_aqua_img[32];
int32_t dot_fairy_maid_blue_img[32];
int32_t dot_fairy_maid_brown_img[32];
int32_t dot_fairy_maid_gray_img[32];
int32_t dot_fairy_maid_green_img[32];
int32_t dot_fairy_maid_orange_img[32];
int32_t dot_fairy_maid_purple_img[32];
int32_t dot_fairy_maid_red_img[32];
int32_t dot_fairy_maid_white_img[32];
int32_t dot_kedama_ai_img[32];
int32_t dot_kedama_blue_img[32];
int32_t dot_kedama_green_img[32];
int32_t dot_kedama_normal_img[32];
int32_t dot_kedama_orange_img[32];
int32_t dot_kedama_purple_img[32];
int32_t dot_kedama_red_img[32];
int32_t dot_kedama_yellow_img[32];
int32_t dot_kedama_white_img[32];
int32_t dot_book_img[5];
int32_t dot_book_white_img[5];
int32_t dot_bee_img[4];
int32_t dot_bee_white_img[4];
int32_t dot_death_img[16];
int32_t dot_death_white_img[16];
// "data/img/boss/"
int32_t dot_talvo_img6496[32];
int32_t dot_talvo_white_img[32];
int32_t dot_big_frog_img[4];
int32_t dot_big_frog_white_img[4];
int32_t dot_fesku_front_img;
int32_t dot_dask_gorlan_img[32];
int32_t dot_dask_gorlan_white_img[32];
int32_t dot_bremonkal_img[32];
int32_t dot_bremonkal_white_img[32];
int32_t dot_vantor_ludera_img[32];
int32_t dot_vantor_ludera_white_img[32];
int32_t dot_orsenta_img[32];
int32_t dot_orsenta_white_img[32];
int32_t dot_mobaki_img[32];
int32_t dot_mobaki_white_img[32];
int32_t dot_wendel_img[8];
int32_t dot_wendel_white_img[8];
int32_t dot_wendel_keyboard_img[4];
int32_t dot_wendel_shadow_img[3];
int32_t dot_thessa_img[8];
int32_t dot_thessa_white_img[8];
// "data/img/set_enemy/"
int32_t dot_fire_enemy_img01[7];
int32_t dot_fire_enemy_img03[7];
int32_t dot_fire_enemy_white_img01[7];
int32_t dot_fire_enemy_white_img03[7];
int32_t dot_fire_enemy_img02[7];
int32_t dot_fire_enemy_img04[7];
int32_t dot_fire_enemy_white_img02[7];
int32_t dot_fire_enemy_white_img04[7];
int32_t dot_vine_img01[5];
int32_t dot_vine_white_img01[5];
int32_t dot_vine_img02[5];
int32_t dot_vine_img04[5];
int32_t dot_vine_white_img02[5];
int32_t dot_vine_white_img04[5];
int32_t dot_vine_img03[5];
int32_t dot_vine_white_img03[5];
int32_t dot_korone_img[7];
int32_t dot_bookshelf_front_img;
int32_t dot_bookshelf_back_img;
int32_t dot_needle_img[4];
// "data/img/map_chip/"
int32_t dot_movable_rock;
int32_t dot_movable_stone_img;
int32_t BRIMAL_map_chip_field01[256];
int32_t BRIMAL_map_chip_dansion01[256];
int32_t BRIMAL_map_chip_forest[256];
int32_t BRIMAL_map_chip_library[256];
int32_t BRIMAL_map_chip_dansion05[256];
int32_t BRIMAL_map_chip_dansion06[256];
int32_t BRIMAL_map_chip_field03[256];
int32_t BRIMAL_map_chip_tower[256];
int32_t BRIMAL_map_chip_strandmoorle[256];
int32_t BRIMAL_map_chip_nimbra[256];
// "data/img/item/"
int32_t dot_potion_white_img[4];
int32_t dot_potion_white_white_img[4];
int32_t dot_potion_black_img[4];
int32_t dot_potion_black_white_img[4];
int32_t dot_holly_img[4];
int32_t dot_holly_white_img[4];
int32_t dot_healing_img[4];
int32_t dot_healing_white_img[4];
int32_t dot_mirror_img[4];
int32_t dot_mirror_white_img[4];
int32_t dot_crystal_AG_img[4];
int32_t dot_crystal_AT_img[4];
int32_t dot_crystal_VT_img[4];
int32_t dot_crystal_IN_img[4];
int32_t dot_item_AG_img[4];
int32_t dot_item_AT_img[4];
int32_t dot_item_VT_img[4];
int32_t dot_item_IN_img[4];
int32_t dot_item_AG_white_img[4];
int32_t dot_life_up_img[4];
int32_t dot_life_up_white_img[4];
int32_t dot_breakable_rock;
int32_t dot_breakable_rock_white;
// "data/img/status/"
int32_t dot_gauge_AG_10_img;
int32_t dot_gauge_AG_13_img;
int32_t dot_gauge_AT_10_img;
int32_t dot_gauge_AT_13_img;
int32_t dot_gauge_HP_10_img;
int32_t dot_gauge_HP_13_img;
int32_t dot_gauge_IN_10_img;
int32_t dot_gauge_IN_13_img;
int32_t dot_gauge_VT_10_img;
int32_t dot_gauge_VT_13_img;
int32_t dot_life_img;
int32_t dot_letter_AG_10_img;
int32_t dot_letter_AG_13_img;
int32_t dot_letter_AT_10_img;
int32_t dot_letter_AT_13_img;
int32_t dot_letter_HP_10_img;
int32_t dot_letter_HP_13_img;
int32_t dot_letter_IN_10_img;
int32_t dot_letter_IN_13_img;
int32_t dot_letter_VT_10_img;
int32_t dot_letter_VT_13_img;
int32_t dot_letter_ORVEN_img;
int32_t dot_letter_PELUNE_img;
int32_t dot_letter_slash_10_img;
int32_t dot_letter_slash_13_img;
int32_t dot_letter_LV_img;
int32_t message_window_img;
int32_t message_window_speak_img;
int32_t revive_img;
int32_t game_over_img;
int32_t dot_number_10_img[10];
int32_t dot_number_13_img[10];
int32_t dot_number_17_img[10];
// "data/img/title/"
int32_t select_start_img;
int32_t select_start_shade_img;
int32_t select_config_img;
int32_t select_config_shade_img;
int32_t select_end_img;
int32_t select_end_shade_img;
int32_t select_return_img;
int32_t select_return_shade_img;
int32_t select_one_img;
int32_t select_one_shade_img;
int32_t select_two_img;
int32_t select_two_shade_img;
int32_t select_three_img;
int32_t select_three_shade_img;
int32_t select_four_img;
int32_t select_four_shade_img;
int32_t select_character_back_ground_img;
int32_t select_character_arrow_1P_img2;
int32_t select_character_arrow_2P_img2;
int32_t select_character_arrow_3P_img2;
int32_t select_character_arrow_4P_img2;
int32_t title_menu_img;
// "data/img/ending/"
int32_t ending_end_img;
// "data/img/config/"
int32_t config_back_ground_img;
int32_t config_select_black_potion_img;
int32_t config_select_black_potion_shade_img;
int32_t config_select_exit_img;
int32_t config_select_exit_shade_img;
int32_t config_select_pause_img;
int32_t config_select_pause_shade_img;
int32_t config_select_shot_img;
int32_t config_select_shot_shade_img;
int32_t config_select_skip_img;
int32_t config_select_skip_shade_img;
int32_t config_select_white_potion_img;
int32_t config_select_white_potion_shade_img;
int32_t config_select_life_img;
int32_t config_select_life_shade_img;
int32_t config_select_number_img[10];
int32_t config_select_number_shade_img[10];
// "data/img/pause_menu/"
int32_t continue_img;
int32_t continue_shade_img;
int32_t exit_1_img;
int32_t exit_1_shade_img;
int32_t exit_2_img;
int32_t exit_2_shade_img;
int32_t no_img;
int32_t no_shade_img;
int32_t return_1_img;
int32_t return_1_shade_img;
int32_t return_2_img;
int32_t return_2_shade_img;
int32_t yes_img;
int32_t yes_shade_img;
// "data/img/cg_character/"
int32_t pelune_normal_img;
int32_t pelune_smile01_img;
int32_t pelune_smile02_img;
int32_t pelune_smile03_img;
int32_t orven_smile_img;
int32_t orven_worry_img;
int32_t orven_angry_img;
int32_t talvo_smile_img;
int32_t talvo_worry_img;
int32_t talvo_angry_img;
int32_t gorlan_normal_img;
int32_t gorlan_cry_img;
int32_t bremonkal_normal_img;
int32_t bremonkal_worry_img;
int32_t ludera_normal_img;
int32_t ludera_smile_img;
int32_t orsenta_normal_img;
int32_t orsenta_smile_img;
int32_t orsenta_angry_img;
int32_t wendel_normal_img;
int32_t wendel_smile_img;
int32_t wendel_angry_img;
int32_t mobaki_normal_img;
int32_t mobaki_worry_img;
int32_t mobaki_hungry_img;
int32_t thessa_img;
// "data/img/shot/"
int32_t dot_small_bullet_blue_green_img[8];
int32_t dot_oval_bullet_black_img[8];
int32_t dot_oval_bullet_blue_img[8];
int32_t dot_oval_bullet_brown_img[8];
int32_t dot_oval_bullet_gray_img[8];
int32_t dot_oval_bullet_green_img[8];
int32_t dot_oval_bullet_orange_img[8];
int32_t dot_oval_bullet_purple_img[8];
int32_t dot_oval_bullet_red_img[8];
int32_t dot_oval_bullet_yellow_img[8];
int32_t dot_pelwick_aqua_shot_img[8];
int32_t dot_pelwick_blue_shot_img[8];
int32_t dot_pelwick_daidai_shot_img[8];
int32_t dot_pelwick_green_shot_img[8];
int32_t dot_pelwick_purple_shot_img[8];
int32_t dot_pelwick_red_shot_img[8];
int32_t dot_pelwick_yellow_shot_img[8];
int32_t dot_talvo_shot_img32;
int32_t dot_fesku_shot_img;
int32_t dot_ember_crown_img;
int32_t dot_bullet_big_red_img;
int32_t dot_bullet_middle_red_img;
int32_t dot_bullet_small_red_img;
int32_t dot_wendel_bulllet_red_note_img;
int32_t dot_wendel_bulllet_blue_note_img;
int32_t dot_wendel_bulllet_green_note_img;
int32_t dot_wendel_bulllet_yellow_note_img;
int32_t dot_bullet_big_violet_img;
int32_t dot_ember_crown_fade_in_img[4];
int32_t dot_bullet_knife_red_img[8];
int32_t dot_bullet_knife_blue_img[8];
int32_t dot_bullet_knife_green_img[8];
int32_t dot_bullet_kunai_red_img[8];
int32_t dot_bullet_kunai_blue_img[8];
int32_t dot_bullet_kunai_blue_purple_img[8];
int32_t dot_bullet_kunai_green_img[8];
int32_t dot_bullet_kunai_purple_img[8];
int32_t dot_bullet_kunai_aqua_img[8];
int32_t dot_wendel_bullet_red_img[8];
int32_t dot_wendel_bullet_blue_img[8];
int32_t dot_wendel_bullet_green_img[8];
int32_t dot_wendel_bullet_yellow_img[8];
int32_t dot_mobaki_bullet_aqua_img[8];
int32_t dot_mobaki_bullet_blue_img[8];
int32_t dot_mobaki_bullet_green_img[8];
int32_t dot_mobaki_bullet_purple_img[8];
int32_t dot_mobaki_bullet_red_img[8];
int32_t dot_mobaki_bullet_yellow_img[8];
// "data/img/shot_fade/"
int32_t dot_4F_blue_green_shot_fade_img[4];
int32_t dot_4F_black_shot_fade_img[4];
int32_t dot_4F_blue_shot_fade_img[4];
int32_t dot_4F_brown_shot_fade_img[4];
int32_t dot_4F_gray_shot_fade_img[4];
int32_t dot_4F_green_shot_fade_img[4];
int32_t dot_4F_orange_shot_fade_img[4];
int32_t dot_4F_purple_shot_fade_img[4];
int32_t dot_4F_red_shot_fade_img[4];
int32_t dot_4F_yellow_shot_fade_img[4];
int32_t dot_6F_middle_red_shot_fade_img[6];
int32_t dot_6F_middle_blue_shot_fade_img[6];
int32_t dot_6F_middle_green_shot_fade_img[6];
int32_t dot_6F_middle_yellow_shot_fade_img[6];
int32_t dot_6F_middle_aqua_shot_fade_img[6];
int32_t dot_6F_middle_purple_shot_fade_img[6];
int32_t dot_pelwick_aqua_shot_fade_img[6];
int32_t dot_pelwick_blue_shot_fade_img[6];
int32_t dot_pelwick_daidai_shot_fade_img[6];
int32_t dot_pelwick_green_shot_fade_img[6];
int32_t dot_pelwick_purple_shot_fade_img[6];
int32_t dot_pelwick_red_shot_fade_img[6];
int32_t dot_pelwick_yellow_shot_fade_img[6];
int32_t dot_5F_big_red_shot_fade_img[5];
int32_t dot_5F_big_violet_shot_fade_img[5];
// "patch/patch_data/"
int32_t save1_img;
int32_t save1_shade_img;
int32_t save2_img;
int32_t save2_shade_img;
int32_t save3_img;
int32_t save3_shade_img;
int32_t save_return_img;
int32_t save_return_shade_img;
int32_t select_continue_img;
int32_t select_continue_shade_img;
int32_t slowdownnow_img;
int32_t slowdownnow_shade_img;
int32_t cg_sadri_img;
int32_t dot_slowly_sadri_img[4];

// ---- The table -------------------------------------------------------------------

#define PLAYER_DIR "data/img/player/"
#define ENEMY_DIR "data/img/enemy/"
#define BOSS_DIR "data/img/boss/"
#define SET_ENEMY_DIR "data/img/set_enemy/"
#define MAP_CHIP_DIR "data/img/map_chip/"
#define ITEM_DIR "data/img/item/"
#define STATUS_DIR "data/img/status/"
#define TITLE_DIR "data/img/title/"
#define ENDING_DIR "data/img/ending/"
#define CONFIG_DIR "data/img/config/"
#define PAUSE_MENU_DIR "data/img/pause_menu/"
#define CG_CHARACTER_DIR "data/img/cg_character/"
#define SHOT_DIR "data/img/shot/"
#define SHOT_FADE_DIR "data/img/shot_fade/"
#define PATCH_DATA_DIR "patch/patch_data/"

// A whole image: one handle. Its path and its global's name both come from
// the stem.
#define WHOLE(folder, stem) {folder #stem ".png", #stem, 0, 0, 0, 0, 0, &stem}
// A sheet cut into cells: cell count, cells across, cells down, cell width
// and height in pixels; the handles go into the array named after the stem.
#define CELLS(folder, stem, count, across, down, width, height) \
  {folder #stem ".png", #stem, count, across, down, width, height, stem}
// The same for the map chip sets, which are bitmaps.
#define CELLS_BMP(folder, stem, count, across, down, width, height) \
  {folder #stem ".bmp", #stem, count, across, down, width, height, stem}

const ImageTableRow image_table[kImageTableRows] = {
    // data/img/player/
    CELLS(PLAYER_DIR, dot_pelune_img3248, 32, 4, 8, 32, 48),
    CELLS(PLAYER_DIR, dot_pelune_2P_img, 32, 4, 8, 32, 48),
    CELLS(PLAYER_DIR, dot_pelune_white_img, 32, 4, 8, 32, 48),
    CELLS(PLAYER_DIR, dot_orven_img3248, 32, 4, 8, 32, 48),
    CELLS(PLAYER_DIR, dot_orven_2P_img, 32, 4, 8, 32, 48),
    CELLS(PLAYER_DIR, dot_orven_white_img, 32, 4, 8, 32, 48),
    CELLS(PLAYER_DIR, dot_pelune_shot_img, 32, 4, 8, 32, 32),
    CELLS(PLAYER_DIR, dot_orven_shot_img, 32, 4, 8, 32, 32),
    CELLS(PLAYER_DIR, dot_pelune_shot_fade_img, 6, 6, 1, 32, 32),
    CELLS(PLAYER_DIR, dot_orven_shot_fade_img, 6, 6, 1, 32, 32),
    // data/img/enemy/
    CELLS(ENEMY_DIR, dot_enemy_fade_img, 11, 11, 1, 32, 32),
    CELLS(ENEMY_DIR, dot_generator_red_img, 7, 7, 1, 32, 32),
    CELLS(ENEMY_DIR, dot_generator_blue_img, 7, 7, 1, 32, 32),
    CELLS(ENEMY_DIR, dot_generator_white_img, 7, 7, 1, 32, 32),
    CELLS(ENEMY_DIR, dot_slime_green_img, 5, 5, 1, 32, 32),
    CELLS(ENEMY_DIR, dot_slime_ai_img, 5, 5, 1, 32, 32),
    CELLS(ENEMY_DIR, dot_slime_blue_img, 5, 5, 1, 32, 32),
    CELLS(ENEMY_DIR, dot_slime_orange_img, 5, 5, 1, 32, 32),
    CELLS(ENEMY_DIR, dot_slime_purple_img, 5, 5, 1, 32, 32),
    CELLS(ENEMY_DIR, dot_slime_red_img, 5, 5, 1, 32, 32),
    CELLS(ENEMY_DIR, dot_slime_yellow_img, 5, 5, 1, 32, 32),
    CELLS(ENEMY_DIR, dot_slime_white_img, 5, 5, 1, 32, 32),
    CELLS(ENEMY_DIR, dot_golem_img, 32, 4, 8, 32, 48),
    CELLS(ENEMY_DIR, dot_golem_blue_green_img, 32, 4, 8, 32, 48),
    CELLS(ENEMY_DIR, dot_golem_ai_img, 32, 4, 8, 32, 48),
    CELLS(ENEMY_DIR, dot_golem_gray_img, 32, 4, 8, 32, 48),
    CELLS(ENEMY_DIR, dot_golem_green_img, 32, 4, 8, 32, 48),
    CELLS(ENEMY_DIR, dot_golem_orange_img, 32, 4, 8, 32, 48),
    CELLS(ENEMY_DIR, dot_golem_purple_img, 32, 4, 8, 32, 48),
    CELLS(ENEMY_DIR, dot_golem_red_img, 32, 4, 8, 32, 48),
    CELLS(ENEMY_DIR, dot_golem_white_img, 32, 4, 8, 32, 48),
    CELLS(ENEMY_DIR, dot_fairy_normal_aqua_img, 32, 4, 8, 24, 32),
    CELLS(ENEMY_DIR, dot_fairy_normal_black_img, 32, 4, 8, 24, 32),
    CELLS(ENEMY_DIR, dot_fairy_normal_blue_img, 32, 4, 8, 24, 32),
    CELLS(ENEMY_DIR, dot_fairy_normal_brown_img, 32, 4, 8, 24, 32),
    CELLS(ENEMY_DIR, dot_fairy_normal_gray_img, 32, 4, 8, 24, 32),
    CELLS(ENEMY_DIR, dot_fairy_normal_green_img, 32, 4, 8, 24, 32),
    CELLS(ENEMY_DIR, dot_fairy_normal_orange_img, 32, 4, 8, 24, 32),
    CELLS(ENEMY_DIR, dot_fairy_normal_purple_img, 32, 4, 8, 24, 32),
    CELLS(ENEMY_DIR, dot_fairy_normal_red_img, 32, 4, 8, 24, 32),
    CELLS(ENEMY_DIR, dot_fairy_normal_white_img, 32, 4, 8, 24, 32),
    CELLS(ENEMY_DIR, dot_fairy_maid_aqua_img, 32, 4, 8, 24, 32),
    CELLS(ENEMY_DIR, dot_fairy_maid_blue_img, 32, 4, 8, 24, 32),
    CELLS(ENEMY_DIR, dot_fairy_maid_brown_img, 32, 4, 8, 24, 32),
    CELLS(ENEMY_DIR, dot_fairy_maid_gray_img, 32, 4, 8, 24, 32),
    CELLS(ENEMY_DIR, dot_fairy_maid_green_img, 32, 4, 8, 24, 32),
    CELLS(ENEMY_DIR, dot_fairy_maid_orange_img, 32, 4, 8, 24, 32),
    CELLS(ENEMY_DIR, dot_fairy_maid_purple_img, 32, 4, 8, 24, 32),
    CELLS(ENEMY_DIR, dot_fairy_maid_red_img, 32, 4, 8, 24, 32),
    CELLS(ENEMY_DIR, dot_fairy_maid_white_img, 32, 4, 8, 24, 32),
    CELLS(ENEMY_DIR, dot_kedama_ai_img, 32, 4, 8, 40, 40),
    CELLS(ENEMY_DIR, dot_kedama_blue_img, 32, 4, 8, 40, 40),
    CELLS(ENEMY_DIR, dot_kedama_green_img, 32, 4, 8, 40, 40),
    CELLS(ENEMY_DIR, dot_kedama_normal_img, 32, 4, 8, 40, 40),
    CELLS(ENEMY_DIR, dot_kedama_orange_img, 32, 4, 8, 40, 40),
    CELLS(ENEMY_DIR, dot_kedama_purple_img, 32, 4, 8, 40, 40),
    CELLS(ENEMY_DIR, dot_kedama_red_img, 32, 4, 8, 40, 40),
    CELLS(ENEMY_DIR, dot_kedama_yellow_img, 32, 4, 8, 40, 40),
    CELLS(ENEMY_DIR, dot_kedama_white_img, 32, 4, 8, 40, 40),
    CELLS(ENEMY_DIR, dot_book_img, 5, 5, 1, 48, 32),
    CELLS(ENEMY_DIR, dot_book_white_img, 5, 5, 1, 48, 32),
    CELLS(ENEMY_DIR, dot_bee_img, 4, 4, 1, 24, 24),
    CELLS(ENEMY_DIR, dot_bee_white_img, 4, 4, 1, 24, 24),
    CELLS(ENEMY_DIR, dot_death_img, 16, 16, 1, 32, 32),
    CELLS(ENEMY_DIR, dot_death_white_img, 16, 16, 1, 32, 32),
    // data/img/boss/
    CELLS(BOSS_DIR, dot_talvo_img6496, 32, 4, 8, 64, 96),
    CELLS(BOSS_DIR, dot_talvo_white_img, 32, 4, 8, 64, 96),
    CELLS(BOSS_DIR, dot_big_frog_img, 4, 4, 1, 128, 128),
    CELLS(BOSS_DIR, dot_big_frog_white_img, 4, 4, 1, 128, 128),
    WHOLE(BOSS_DIR, dot_fesku_front_img),
    CELLS(BOSS_DIR, dot_dask_gorlan_img, 32, 4, 8, 32, 48),
    CELLS(BOSS_DIR, dot_dask_gorlan_white_img, 32, 4, 8, 32, 48),
    CELLS(BOSS_DIR, dot_bremonkal_img, 32, 4, 8, 32, 48),
    CELLS(BOSS_DIR, dot_bremonkal_white_img, 32, 4, 8, 32, 48),
    CELLS(BOSS_DIR, dot_vantor_ludera_img, 32, 4, 8, 32, 48),
    CELLS(BOSS_DIR, dot_vantor_ludera_white_img, 32, 4, 8, 32, 48),
    CELLS(BOSS_DIR, dot_orsenta_img, 32, 4, 8, 32, 48),
    CELLS(BOSS_DIR, dot_orsenta_white_img, 32, 4, 8, 32, 48),
    CELLS(BOSS_DIR, dot_mobaki_img, 32, 4, 8, 32, 48),
    CELLS(BOSS_DIR, dot_mobaki_white_img, 32, 4, 8, 32, 48),
    CELLS(BOSS_DIR, dot_wendel_img, 8, 1, 8, 32, 48),
    CELLS(BOSS_DIR, dot_wendel_white_img, 8, 1, 8, 32, 48),
    CELLS(BOSS_DIR, dot_wendel_keyboard_img, 4, 4, 1, 32, 32),
    CELLS(BOSS_DIR, dot_wendel_shadow_img, 3, 1, 3, 32, 32),
    CELLS(BOSS_DIR, dot_thessa_img, 8, 1, 8, 80, 64),
    CELLS(BOSS_DIR, dot_thessa_white_img, 8, 1, 8, 80, 64),
    // data/img/set_enemy/
    CELLS(SET_ENEMY_DIR, dot_fire_enemy_img01, 7, 7, 1, 32, 160),
    CELLS(SET_ENEMY_DIR, dot_fire_enemy_img03, 7, 7, 1, 32, 160),
    CELLS(SET_ENEMY_DIR, dot_fire_enemy_white_img01, 7, 7, 1, 32, 160),
    CELLS(SET_ENEMY_DIR, dot_fire_enemy_white_img03, 7, 7, 1, 32, 160),
    CELLS(SET_ENEMY_DIR, dot_fire_enemy_img02, 7, 1, 7, 160, 32),
    CELLS(SET_ENEMY_DIR, dot_fire_enemy_img04, 7, 1, 7, 160, 32),
    CELLS(SET_ENEMY_DIR, dot_fire_enemy_white_img02, 7, 1, 7, 160, 32),
    CELLS(SET_ENEMY_DIR, dot_fire_enemy_white_img04, 7, 1, 7, 160, 32),
    CELLS(SET_ENEMY_DIR, dot_vine_img01, 5, 5, 1, 32, 160),
    CELLS(SET_ENEMY_DIR, dot_vine_white_img01, 5, 5, 1, 32, 160),
    CELLS(SET_ENEMY_DIR, dot_vine_img02, 5, 1, 5, 160, 64),
    CELLS(SET_ENEMY_DIR, dot_vine_img04, 5, 1, 5, 160, 64),
    CELLS(SET_ENEMY_DIR, dot_vine_white_img02, 5, 1, 5, 160, 64),
    CELLS(SET_ENEMY_DIR, dot_vine_white_img04, 5, 1, 5, 160, 64),
    CELLS(SET_ENEMY_DIR, dot_vine_img03, 5, 5, 1, 32, 192),
    CELLS(SET_ENEMY_DIR, dot_vine_white_img03, 5, 5, 1, 32, 192),
    CELLS(SET_ENEMY_DIR, dot_korone_img, 7, 7, 1, 32, 64),
    WHOLE(SET_ENEMY_DIR, dot_bookshelf_front_img),
    WHOLE(SET_ENEMY_DIR, dot_bookshelf_back_img),
    CELLS(SET_ENEMY_DIR, dot_needle_img, 4, 4, 1, 32, 32),
    // data/img/map_chip/
    WHOLE(MAP_CHIP_DIR, dot_movable_rock),
    WHOLE(MAP_CHIP_DIR, dot_movable_stone_img),
    CELLS_BMP(MAP_CHIP_DIR, BRIMAL_map_chip_field01, 256, 16, 16, 32, 32),
    CELLS_BMP(MAP_CHIP_DIR, BRIMAL_map_chip_dansion01, 256, 16, 16, 32, 32),
    CELLS_BMP(MAP_CHIP_DIR, BRIMAL_map_chip_forest, 256, 16, 16, 32, 32),
    CELLS_BMP(MAP_CHIP_DIR, BRIMAL_map_chip_library, 256, 16, 16, 32, 32),
    CELLS_BMP(MAP_CHIP_DIR, BRIMAL_map_chip_dansion05, 256, 16, 16, 32, 32),
    CELLS_BMP(MAP_CHIP_DIR, BRIMAL_map_chip_dansion06, 256, 16, 16, 32, 32),
    CELLS_BMP(MAP_CHIP_DIR, BRIMAL_map_chip_field03, 256, 16, 16, 32, 32),
    CELLS_BMP(MAP_CHIP_DIR, BRIMAL_map_chip_tower, 256, 16, 16, 32, 32),
    CELLS_BMP(MAP_CHIP_DIR, BRIMAL_map_chip_strandmoorle, 256, 16, 16, 32, 32),
    CELLS_BMP(MAP_CHIP_DIR, BRIMAL_map_chip_nimbra, 256, 16, 16, 32, 32),
    // data/img/item/
    CELLS(ITEM_DIR, dot_potion_white_img, 4, 4, 1, 32, 32),
    CELLS(ITEM_DIR, dot_potion_white_white_img, 4, 4, 1, 32, 32),
    CELLS(ITEM_DIR, dot_potion_black_img, 4, 4, 1, 32, 32),
    CELLS(ITEM_DIR, dot_potion_black_white_img, 4, 4, 1, 32, 32),
    CELLS(ITEM_DIR, dot_holly_img, 4, 4, 1, 32, 32),
    CELLS(ITEM_DIR, dot_holly_white_img, 4, 4, 1, 32, 32),
    CELLS(ITEM_DIR, dot_healing_img, 4, 4, 1, 32, 32),
    CELLS(ITEM_DIR, dot_healing_white_img, 4, 4, 1, 32, 32),
    CELLS(ITEM_DIR, dot_mirror_img, 4, 4, 1, 32, 32),
    CELLS(ITEM_DIR, dot_mirror_white_img, 4, 4, 1, 32, 32),
    CELLS(ITEM_DIR, dot_crystal_AG_img, 4, 4, 1, 32, 32),
    CELLS(ITEM_DIR, dot_crystal_AT_img, 4, 4, 1, 32, 32),
    CELLS(ITEM_DIR, dot_crystal_VT_img, 4, 4, 1, 32, 32),
    CELLS(ITEM_DIR, dot_crystal_IN_img, 4, 4, 1, 32, 32),
    CELLS(ITEM_DIR, dot_item_AG_img, 4, 4, 1, 32, 32),
    CELLS(ITEM_DIR, dot_item_AT_img, 4, 4, 1, 32, 32),
    CELLS(ITEM_DIR, dot_item_VT_img, 4, 4, 1, 32, 32),
    CELLS(ITEM_DIR, dot_item_IN_img, 4, 4, 1, 32, 32),
    CELLS(ITEM_DIR, dot_item_AG_white_img, 4, 4, 1, 32, 32),
    CELLS(ITEM_DIR, dot_life_up_img, 4, 4, 1, 32, 32),
    CELLS(ITEM_DIR, dot_life_up_white_img, 4, 4, 1, 32, 32),
    WHOLE(ITEM_DIR, dot_breakable_rock),
    WHOLE(ITEM_DIR, dot_breakable_rock_white),
    // data/img/status/
    WHOLE(STATUS_DIR, dot_gauge_AG_10_img),
    WHOLE(STATUS_DIR, dot_gauge_AG_13_img),
    WHOLE(STATUS_DIR, dot_gauge_AT_10_img),
    WHOLE(STATUS_DIR, dot_gauge_AT_13_img),
    WHOLE(STATUS_DIR, dot_gauge_HP_10_img),
    WHOLE(STATUS_DIR, dot_gauge_HP_13_img),
    WHOLE(STATUS_DIR, dot_gauge_IN_10_img),
    WHOLE(STATUS_DIR, dot_gauge_IN_13_img),
    WHOLE(STATUS_DIR, dot_gauge_VT_10_img),
    WHOLE(STATUS_DIR, dot_gauge_VT_13_img),
    WHOLE(STATUS_DIR, dot_life_img),
    WHOLE(STATUS_DIR, dot_letter_AG_10_img),
    WHOLE(STATUS_DIR, dot_letter_AG_13_img),
    WHOLE(STATUS_DIR, dot_letter_AT_10_img),
    WHOLE(STATUS_DIR, dot_letter_AT_13_img),
    WHOLE(STATUS_DIR, dot_letter_HP_10_img),
    WHOLE(STATUS_DIR, dot_letter_HP_13_img),
    WHOLE(STATUS_DIR, dot_letter_IN_10_img),
    WHOLE(STATUS_DIR, dot_letter_IN_13_img),
    WHOLE(STATUS_DIR, dot_letter_VT_10_img),
    WHOLE(STATUS_DIR, dot_letter_VT_13_img),
    WHOLE(STATUS_DIR, dot_letter_ORVEN_img),
    WHOLE(STATUS_DIR, dot_letter_PELUNE_img),
    WHOLE(STATUS_DIR, dot_letter_slash_10_img),
    WHOLE(STATUS_DIR, dot_letter_slash_13_img),
    WHOLE(STATUS_DIR, dot_letter_LV_img),
    WHOLE(STATUS_DIR, message_window_img),
    WHOLE(STATUS_DIR, message_window_speak_img),
    WHOLE(STATUS_DIR, revive_img),
    WHOLE(STATUS_DIR, game_over_img),
    WHOLE(STATUS_DIR, back_screen_img),
    CELLS(STATUS_DIR, dot_number_10_img, 10, 10, 1, 7, 10),
    CELLS(STATUS_DIR, dot_number_13_img, 10, 10, 1, 9, 13),
    CELLS(STATUS_DIR, dot_number_17_img, 10, 10, 1, 12, 17),
    // data/img/title/
    WHOLE(TITLE_DIR, select_start_img),
    WHOLE(TITLE_DIR, select_start_shade_img),
    WHOLE(TITLE_DIR, select_config_img),
    WHOLE(TITLE_DIR, select_config_shade_img),
    WHOLE(TITLE_DIR, select_end_img),
    WHOLE(TITLE_DIR, select_end_shade_img),
    WHOLE(TITLE_DIR, select_return_img),
    WHOLE(TITLE_DIR, select_return_shade_img),
    WHOLE(TITLE_DIR, select_one_img),
    WHOLE(TITLE_DIR, select_one_shade_img),
    WHOLE(TITLE_DIR, select_two_img),
    WHOLE(TITLE_DIR, select_two_shade_img),
    WHOLE(TITLE_DIR, select_three_img),
    WHOLE(TITLE_DIR, select_three_shade_img),
    WHOLE(TITLE_DIR, select_four_img),
    WHOLE(TITLE_DIR, select_four_shade_img),
    WHOLE(TITLE_DIR, select_character_back_ground_img),
    WHOLE(TITLE_DIR, select_character_arrow_1P_img2),
    WHOLE(TITLE_DIR, select_character_arrow_2P_img2),
    WHOLE(TITLE_DIR, select_character_arrow_3P_img2),
    WHOLE(TITLE_DIR, select_character_arrow_4P_img2),
    WHOLE(TITLE_DIR, title_menu_img),
    // data/img/ending/
    WHOLE(ENDING_DIR, ending_end_img),
    // data/img/config/
    WHOLE(CONFIG_DIR, config_back_ground_img),
    WHOLE(CONFIG_DIR, config_select_black_potion_img),
    WHOLE(CONFIG_DIR, config_select_black_potion_shade_img),
    WHOLE(CONFIG_DIR, config_select_exit_img),
    WHOLE(CONFIG_DIR, config_select_exit_shade_img),
    WHOLE(CONFIG_DIR, config_select_pause_img),
    WHOLE(CONFIG_DIR, config_select_pause_shade_img),
    WHOLE(CONFIG_DIR, config_select_shot_img),
    WHOLE(CONFIG_DIR, config_select_shot_shade_img),
    WHOLE(CONFIG_DIR, config_select_skip_img),
    WHOLE(CONFIG_DIR, config_select_skip_shade_img),
    WHOLE(CONFIG_DIR, config_select_white_potion_img),
    WHOLE(CONFIG_DIR, config_select_white_potion_shade_img),
    WHOLE(CONFIG_DIR, config_select_life_img),
    WHOLE(CONFIG_DIR, config_select_life_shade_img),
    CELLS(CONFIG_DIR, config_select_number_img, 10, 10, 1, 19, 26),
    CELLS(CONFIG_DIR, config_select_number_shade_img, 10, 10, 1, 19, 26),
    // data/img/pause_menu/
    WHOLE(PAUSE_MENU_DIR, continue_img),
    WHOLE(PAUSE_MENU_DIR, continue_shade_img),
    WHOLE(PAUSE_MENU_DIR, exit_1_img),
    WHOLE(PAUSE_MENU_DIR, exit_1_shade_img),
    WHOLE(PAUSE_MENU_DIR, exit_2_img),
    WHOLE(PAUSE_MENU_DIR, exit_2_shade_img),
    WHOLE(PAUSE_MENU_DIR, no_img),
    WHOLE(PAUSE_MENU_DIR, no_shade_img),
    WHOLE(PAUSE_MENU_DIR, return_1_img),
    WHOLE(PAUSE_MENU_DIR, return_1_shade_img),
    WHOLE(PAUSE_MENU_DIR, return_2_img),
    WHOLE(PAUSE_MENU_DIR, return_2_shade_img),
    WHOLE(PAUSE_MENU_DIR, yes_img),
    WHOLE(PAUSE_MENU_DIR, yes_shade_img),
    // data/img/cg_character/
    WHOLE(CG_CHARACTER_DIR, pelune_normal_img),
    WHOLE(CG_CHARACTER_DIR, pelune_smile01_img),
    WHOLE(CG_CHARACTER_DIR, pelune_smile02_img),
    WHOLE(CG_CHARACTER_DIR, pelune_smile03_img),
    WHOLE(CG_CHARACTER_DIR, orven_smile_img),
    WHOLE(CG_CHARACTER_DIR, orven_worry_img),
    WHOLE(CG_CHARACTER_DIR, orven_angry_img),
    WHOLE(CG_CHARACTER_DIR, talvo_smile_img),
    WHOLE(CG_CHARACTER_DIR, talvo_worry_img),
    WHOLE(CG_CHARACTER_DIR, talvo_angry_img),
    WHOLE(CG_CHARACTER_DIR, gorlan_normal_img),
    WHOLE(CG_CHARACTER_DIR, gorlan_cry_img),
    WHOLE(CG_CHARACTER_DIR, bremonkal_normal_img),
    WHOLE(CG_CHARACTER_DIR, bremonkal_worry_img),
    WHOLE(CG_CHARACTER_DIR, ludera_normal_img),
    WHOLE(CG_CHARACTER_DIR, ludera_smile_img),
    WHOLE(CG_CHARACTER_DIR, orsenta_normal_img),
    WHOLE(CG_CHARACTER_DIR, orsenta_smile_img),
    WHOLE(CG_CHARACTER_DIR, orsenta_angry_img),
    WHOLE(CG_CHARACTER_DIR, wendel_normal_img),
    WHOLE(CG_CHARACTER_DIR, wendel_smile_img),
    WHOLE(CG_CHARACTER_DIR, wendel_angry_img),
    WHOLE(CG_CHARACTER_DIR, mobaki_normal_img),
    WHOLE(CG_CHARACTER_DIR, mobaki_worry_img),
    WHOLE(CG_CHARACTER_DIR, mobaki_hungry_img),
    WHOLE(CG_CHARACTER_DIR, thessa_img),
    // data/img/shot/
    CELLS(SHOT_DIR, dot_small_bullet_blue_green_img, 8, 1, 8, 16, 16),
    CELLS(SHOT_DIR, dot_oval_bullet_black_img, 8, 1, 8, 16, 16),
    CELLS(SHOT_DIR, dot_oval_bullet_blue_img, 8, 1, 8, 16, 16),
    CELLS(SHOT_DIR, dot_oval_bullet_brown_img, 8, 1, 8, 16, 16),
    CELLS(SHOT_DIR, dot_oval_bullet_gray_img, 8, 1, 8, 16, 16),
    CELLS(SHOT_DIR, dot_oval_bullet_green_img, 8, 1, 8, 16, 16),
    CELLS(SHOT_DIR, dot_oval_bullet_orange_img, 8, 1, 8, 16, 16),
    CELLS(SHOT_DIR, dot_oval_bullet_purple_img, 8, 1, 8, 16, 16),
    CELLS(SHOT_DIR, dot_oval_bullet_red_img, 8, 1, 8, 16, 16),
    CELLS(SHOT_DIR, dot_oval_bullet_yellow_img, 8, 1, 8, 16, 16),
    CELLS(SHOT_DIR, dot_pelwick_aqua_shot_img, 8, 1, 8, 16, 16),
    CELLS(SHOT_DIR, dot_pelwick_blue_shot_img, 8, 1, 8, 16, 16),
    CELLS(SHOT_DIR, dot_pelwick_daidai_shot_img, 8, 1, 8, 16, 16),
    CELLS(SHOT_DIR, dot_pelwick_green_shot_img, 8, 1, 8, 16, 16),
    CELLS(SHOT_DIR, dot_pelwick_purple_shot_img, 8, 1, 8, 16, 16),
    CELLS(SHOT_DIR, dot_pelwick_red_shot_img, 8, 1, 8, 16, 16),
    CELLS(SHOT_DIR, dot_pelwick_yellow_shot_img, 8, 1, 8, 16, 16),
    WHOLE(SHOT_DIR, dot_talvo_shot_img32),
    WHOLE(SHOT_DIR, dot_fesku_shot_img),
    WHOLE(SHOT_DIR, dot_ember_crown_img),
    WHOLE(SHOT_DIR, dot_bullet_big_red_img),
    WHOLE(SHOT_DIR, dot_bullet_middle_red_img),
    WHOLE(SHOT_DIR, dot_bullet_small_red_img),
    WHOLE(SHOT_DIR, dot_wendel_bulllet_red_note_img),
    WHOLE(SHOT_DIR, dot_wendel_bulllet_blue_note_img),
    WHOLE(SHOT_DIR, dot_wendel_bulllet_green_note_img),
    WHOLE(SHOT_DIR, dot_wendel_bulllet_yellow_note_img),
    WHOLE(SHOT_DIR, dot_bullet_big_violet_img),
    CELLS(SHOT_DIR, dot_ember_crown_fade_in_img, 4, 4, 1, 96, 96),
    CELLS(SHOT_DIR, dot_bullet_knife_red_img, 8, 1, 8, 32, 32),
    CELLS(SHOT_DIR, dot_bullet_knife_blue_img, 8, 1, 8, 32, 32),
    CELLS(SHOT_DIR, dot_bullet_knife_green_img, 8, 1, 8, 32, 32),
    CELLS(SHOT_DIR, dot_bullet_kunai_red_img, 8, 1, 8, 32, 32),
    CELLS(SHOT_DIR, dot_bullet_kunai_blue_img, 8, 1, 8, 32, 32),
    CELLS(SHOT_DIR, dot_bullet_kunai_blue_purple_img, 8, 1, 8, 32, 32),
    CELLS(SHOT_DIR, dot_bullet_kunai_green_img, 8, 1, 8, 32, 32),
    CELLS(SHOT_DIR, dot_bullet_kunai_purple_img, 8, 1, 8, 32, 32),
    CELLS(SHOT_DIR, dot_bullet_kunai_aqua_img, 8, 1, 8, 32, 32),
    CELLS(SHOT_DIR, dot_wendel_bullet_red_img, 8, 1, 8, 32, 32),
    CELLS(SHOT_DIR, dot_wendel_bullet_blue_img, 8, 1, 8, 32, 32),
    CELLS(SHOT_DIR, dot_wendel_bullet_green_img, 8, 1, 8, 32, 32),
    CELLS(SHOT_DIR, dot_wendel_bullet_yellow_img, 8, 1, 8, 32, 32),
    CELLS(SHOT_DIR, dot_mobaki_bullet_aqua_img, 8, 1, 8, 32, 32),
    CELLS(SHOT_DIR, dot_mobaki_bullet_blue_img, 8, 1, 8, 32, 32),
    CELLS(SHOT_DIR, dot_mobaki_bullet_green_img, 8, 1, 8, 32, 32),
    CELLS(SHOT_DIR, dot_mobaki_bullet_purple_img, 8, 1, 8, 32, 32),
    CELLS(SHOT_DIR, dot_mobaki_bullet_red_img, 8, 1, 8, 32, 32),
    CELLS(SHOT_DIR, dot_mobaki_bullet_yellow_img, 8, 1, 8, 32, 32),
    // data/img/shot_fade/
    CELLS(SHOT_FADE_DIR, dot_4F_blue_green_shot_fade_img, 4, 4, 1, 16, 16),
    CELLS(SHOT_FADE_DIR, dot_4F_black_shot_fade_img, 4, 4, 1, 24, 24),
    CELLS(SHOT_FADE_DIR, dot_4F_blue_shot_fade_img, 4, 4, 1, 24, 24),
    CELLS(SHOT_FADE_DIR, dot_4F_brown_shot_fade_img, 4, 4, 1, 24, 24),
    CELLS(SHOT_FADE_DIR, dot_4F_gray_shot_fade_img, 4, 4, 1, 24, 24),
    CELLS(SHOT_FADE_DIR, dot_4F_green_shot_fade_img, 4, 4, 1, 24, 24),
    CELLS(SHOT_FADE_DIR, dot_4F_orange_shot_fade_img, 4, 4, 1, 24, 24),
    CELLS(SHOT_FADE_DIR, dot_4F_purple_shot_fade_img, 4, 4, 1, 24, 24),
    CELLS(SHOT_FADE_DIR, dot_4F_red_shot_fade_img, 4, 4, 1, 24, 24),
    CELLS(SHOT_FADE_DIR, dot_4F_yellow_shot_fade_img, 4, 4, 1, 24, 24),
    CELLS(SHOT_FADE_DIR, dot_6F_middle_red_shot_fade_img, 6, 6, 1, 32, 32),
    CELLS(SHOT_FADE_DIR, dot_6F_middle_blue_shot_fade_img, 6, 6, 1, 32, 32),
    CELLS(SHOT_FADE_DIR, dot_6F_middle_green_shot_fade_img, 6, 6, 1, 32, 32),
    CELLS(SHOT_FADE_DIR, dot_6F_middle_yellow_shot_fade_img, 6, 6, 1, 32, 32),
    CELLS(SHOT_FADE_DIR, dot_6F_middle_aqua_shot_fade_img, 6, 6, 1, 32, 32),
    CELLS(SHOT_FADE_DIR, dot_6F_middle_purple_shot_fade_img, 6, 6, 1, 32, 32),
    CELLS(SHOT_FADE_DIR, dot_pelwick_aqua_shot_fade_img, 6, 6, 1, 32, 32),
    CELLS(SHOT_FADE_DIR, dot_pelwick_blue_shot_fade_img, 6, 6, 1, 32, 32),
    CELLS(SHOT_FADE_DIR, dot_pelwick_daidai_shot_fade_img, 6, 6, 1, 32, 32),
    CELLS(SHOT_FADE_DIR, dot_pelwick_green_shot_fade_img, 6, 6, 1, 32, 32),
    CELLS(SHOT_FADE_DIR, dot_pelwick_purple_shot_fade_img, 6, 6, 1, 32, 32),
    CELLS(SHOT_FADE_DIR, dot_pelwick_red_shot_fade_img, 6, 6, 1, 32, 32),
    CELLS(SHOT_FADE_DIR, dot_pelwick_yellow_shot_fade_img, 6, 6, 1, 32, 32),
    CELLS(SHOT_FADE_DIR, dot_5F_big_red_shot_fade_img, 5, 5, 1, 64, 64),
    CELLS(SHOT_FADE_DIR, dot_5F_big_violet_shot_fade_img, 5, 5, 1, 64, 64),
    // patch/patch_data/
    WHOLE(PATCH_DATA_DIR, save1_img),
    WHOLE(PATCH_DATA_DIR, save1_shade_img),
    WHOLE(PATCH_DATA_DIR, save2_img),
    WHOLE(PATCH_DATA_DIR, save2_shade_img),
    WHOLE(PATCH_DATA_DIR, save3_img),
    WHOLE(PATCH_DATA_DIR, save3_shade_img),
    WHOLE(PATCH_DATA_DIR, save_return_img),
    WHOLE(PATCH_DATA_DIR, save_return_shade_img),
    WHOLE(PATCH_DATA_DIR, select_continue_img),
    WHOLE(PATCH_DATA_DIR, select_continue_shade_img),
    WHOLE(PATCH_DATA_DIR, slowdownnow_img),
    WHOLE(PATCH_DATA_DIR, slowdownnow_shade_img),
    WHOLE(PATCH_DATA_DIR, cg_sadri_img),
    CELLS(PATCH_DATA_DIR, dot_slowly_sadri_img, 4, 4, 1, 40, 40),
};

#undef WHOLE
#undef CELLS
#undef CELLS_BMP
#undef PLAYER_DIR
#undef ENEMY_DIR
#undef BOSS_DIR
#undef SET_ENEMY_DIR
#undef MAP_CHIP_DIR
#undef ITEM_DIR
#undef STATUS_DIR
#undef TITLE_DIR
#undef ENDING_DIR
#undef CONFIG_DIR
#undef PAUSE_MENU_DIR
#undef CG_CHARACTER_DIR
#undef SHOT_DIR
#undef SHOT_FADE_DIR
#undef PATCH_DATA_DIR
