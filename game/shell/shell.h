// The game shell: the program entry, the frame loop, menus, settings and save
// files, the sound requests and the image and sound handles.
#pragma once

#include <cstdint>

// ---- Top-level state -------------------------------------------------------

// The top-level state: which handler the frame loop runs.
enum GameStatus : int32_t {
  kStatusTitle = 0,
  kStatusPlayerCount = 11,
  kStatusCharacterChoice = 12,
  kStatusLoadMenu = 13,
  kStatusPlay = 21,
  kStatusScene = 22,
  kStatusButtonConfig = 31,
  kStatusPause = 42,
  kStatusGameOver = 43,
  kStatusExitConfirm = 44,
  kStatusReturnConfirm = 45,
  kStatusSaveQuestion = 46,
  kStatusSaveSlotChoice = 47,
  kStatusEnd = 100,
};

extern int32_t game_status;
// 1 asks the frame loop to load the current area and floor before the frame's
// work in the play and scene states.
extern int32_t area_entry_request;
// 0 = no fade; 1 starts a fade-in of the whole screen.
extern int32_t fade_counter;
// The two fonts made at start-up, used by the scenes.
extern int32_t message_font;
extern int32_t roll_font;

// ---- Menus -----------------------------------------------------------------

// The 1-based row of the menu on screen.
extern int32_t menu_cursor;
// Lead-in counter of the pause and confirmation screens, and their captured
// picture of the play field.
extern int32_t menu_capture_counter;
extern int32_t menu_capture_img;
// Frames shown of the game-over screen; 0 outside it.
extern int32_t game_over_counter;

// ---- Character choice ----------------------------------------------------------

// How many more players may take the first or the second character: 2 while
// its first colours are free, 1 when only the second colours are left, 0 once
// two players took it. 2 at program start and whenever the choice is left.
extern int32_t first_character_stock;
extern int32_t second_character_stock;
// Animation counters 0 to 63 of the two portraits; 12 at program start.
extern int32_t first_portrait_counter;
extern int32_t second_portrait_counter;
// How many players have chosen, and per player 1 once chosen.
extern int32_t choice_done_count;
extern int32_t choice_done[4];

// ---- Party and progress ----------------------------------------------------

extern int32_t player_count;          // 1 to 4
extern int32_t revive_stock;          // shared revival stock, 0 to 9
extern int32_t progress_flags[24];    // story flags; words 1 to 19 are scene_played
extern int32_t pad_device[4];         // per player: 0 keyboard + pad 1, 1-4 pad, 5 keyboard

// ---- Save slots ----------------------------------------------------------------

// One player's part of a save slot.
struct save_player_data {
  int32_t character;
  int32_t alive;
  int32_t level;
  int32_t hp;
  int32_t hp_max;
  int32_t agility_base;  // the bits of the player's float agility_base
  int32_t attack_base;
  int32_t vitality_base;
  int32_t intelligence_base;
  int32_t spell1_stock;
  int32_t spell2_stock;
};

// The image of one save slot file, 6216 bytes of little-endian 32-bit words.
struct save_data {
  int32_t used;  // 1 once written; 0 = empty slot
  int32_t player_count;
  int32_t revive_stock;
  int32_t present_map_number;
  int32_t present_map_floor;
  int32_t progress_flags[24];
  // The present word of the 16 item rows of every floor of every area, areas
  // in the order pelune_house, field01, field02, field03, dansion01,
  // dansion02, dansion02sub, dansion03, library, dansion05, dansion06,
  // dansion07, dansion08, dansion09, ending (92 floors).
  int32_t item_present[92][16];
  int32_t boss_active[9];  // the active word of the nine boss rows
  save_player_data players[4];
};

// The three slots in memory, in file order ("patch/save_data0.dat" to
// "patch/save_data2.dat"); read by load_settings, changed by write_save_slot.
extern save_data save_slots[3];

// ---- Music and sound requests -----------------------------------------------

extern int32_t music_request;  // wanted track 1 to 21, 100 for silence
extern int32_t music_current;  // track last started, 100 after a stop

// Sound effect handles, named after their files.
extern int32_t se_title_cursor;
extern int32_t se_title_decide;
extern int32_t se_title_exit;
extern int32_t se_change_map;
extern int32_t se_pelune_shot4;
extern int32_t se_orven_shot;
extern int32_t se_boss_shot10;
extern int32_t se_potion;
extern int32_t se_pause;
extern int32_t se_damage;
extern int32_t se_enemy_disappear8;
extern int32_t se_boo;
extern int32_t se_boss_disappear;
extern int32_t se_get_item;
extern int32_t se_win;
extern int32_t se_player_damage;
extern int32_t se_fall;
extern int32_t collectpowerup;
extern int32_t se_shot_hit05;

// Request flags: any code sets one to 1; play_requested_sounds plays the
// effect once at the end of the frame and clears the flag.
extern int32_t se_title_cursor_request;
extern int32_t se_title_decide_request;
extern int32_t se_title_exit_request;
extern int32_t se_change_map_request;
extern int32_t se_pelune_shot4_request;
extern int32_t se_orven_shot_request;
extern int32_t se_boss_shot10_request;
extern int32_t se_potion_request;
extern int32_t se_pause_request;
extern int32_t se_damage_request;
extern int32_t se_enemy_disappear8_request;
extern int32_t se_boo_request;
extern int32_t se_boss_disappear_request;
extern int32_t se_get_item_request;
extern int32_t se_win_request;
extern int32_t se_player_damage_request;
extern int32_t se_fall_request;
extern int32_t se_shot_hit05_request;

// ---- Image handles ------------------------------------------------------------

// One handle per image file loaded whole, one array of cell handles (row by
// row from the top left) per sheet, each named after its file; filled by
// load_images from image_table (game/shell/image_table.h), -1 where a load
// failed.
// "data/img/player/"
extern int32_t dot_pelune_img3248[32];
extern int32_t dot_pelune_2P_img[32];
extern int32_t dot_pelune_white_img[32];
extern int32_t dot_orven_img3248[32];
extern int32_t dot_orven_2P_img[32];
extern int32_t dot_orven_white_img[32];
extern int32_t dot_pelune_shot_img[32];
extern int32_t dot_orven_shot_img[32];
extern int32_t dot_pelune_shot_fade_img[6];
extern int32_t dot_orven_shot_fade_img[6];
// "data/img/enemy/"
extern int32_t dot_enemy_fade_img[11];
extern int32_t dot_generator_red_img[7];
extern int32_t dot_generator_blue_img[7];
extern int32_t dot_generator_white_img[7];
extern int32_t dot_slime_green_img[5];
extern int32_t dot_slime_ai_img[5];
extern int32_t dot_slime_blue_img[5];
extern int32_t dot_slime_orange_img[5];
extern int32_t dot_slime_purple_img[5];
extern int32_t dot_slime_red_img[5];
extern int32_t dot_slime_yellow_img[5];
extern int32_t dot_slime_white_img[5];
extern int32_t dot_golem_img[32];
extern int32_t dot_golem_blue_green_img[32];
extern int32_t dot_golem_ai_img[32];
extern int32_t dot_golem_gray_img[32];
extern int32_t dot_golem_green_img[32];
extern int32_t dot_golem_orange_img[32];
extern int32_t dot_golem_purple_img[32];
extern int32_t dot_golem_red_img[32];
extern int32_t dot_golem_white_img[32];
extern int32_t dot_fairy_normal_aqua_img[32];
extern int32_t dot_fairy_normal_black_img[32];
extern int32_t dot_fairy_normal_blue_img[32];
extern int32_t dot_fairy_normal_brown_img[32];
extern int32_t dot_fairy_normal_gray_img[32];
extern int32_t dot_fairy_normal_green_img[32];
extern int32_t dot_fairy_normal_orange_img[32];
extern int32_t dot_fairy_normal_purple_img[32];
extern int32_t dot_fairy_normal_red_img[32];
extern int32_t dot_fairy_normal_white_img[32];
extern int32_t dot_fairy_maid_aqua_img[32];
extern int32_t dot_fairy_maid_blue_img[32];
extern int32_t dot_fairy_maid_brown_img[32];
extern int32_t dot_fairy_maid_gray_img[32];
extern int32_t dot_fairy_maid_green_img[32];
extern int32_t dot_fairy_maid_orange_img[32];
extern int32_t dot_fairy_maid_purple_img[32];
extern int32_t dot_fairy_maid_red_img[32];
extern int32_t dot_fairy_maid_white_img[32];
extern int32_t dot_kedama_ai_img[32];
extern int32_t dot_kedama_blue_img[32];
extern int32_t dot_kedama_green_img[32];
extern int32_t dot_kedama_normal_img[32];
extern int32_t dot_kedama_orange_img[32];
extern int32_t dot_kedama_purple_img[32];
extern int32_t dot_kedama_red_img[32];
extern int32_t dot_kedama_yellow_img[32];
extern int32_t dot_kedama_white_img[32];
extern int32_t dot_book_img[5];
extern int32_t dot_book_white_img[5];
extern int32_t dot_bee_img[4];
extern int32_t dot_bee_white_img[4];
extern int32_t dot_death_img[16];
extern int32_t dot_death_white_img[16];
// "data/img/boss/"
extern int32_t dot_talvo_img6496[32];
extern int32_t dot_talvo_white_img[32];
extern int32_t dot_big_frog_img[4];
extern int32_t dot_big_frog_white_img[4];
extern int32_t dot_fesku_front_img;
extern int32_t dot_dask_gorlan_img[32];
extern int32_t dot_dask_gorlan_white_img[32];
extern int32_t dot_bremonkal_img[32];
extern int32_t dot_bremonkal_white_img[32];
extern int32_t dot_vantor_ludera_img[32];
extern int32_t dot_vantor_ludera_white_img[32];
extern int32_t dot_orsenta_img[32];
extern int32_t dot_orsenta_white_img[32];
extern int32_t dot_mobaki_img[32];
extern int32_t dot_mobaki_white_img[32];
extern int32_t dot_wendel_img[8];
extern int32_t dot_wendel_white_img[8];
extern int32_t dot_wendel_keyboard_img[4];
extern int32_t dot_wendel_shadow_img[3];
extern int32_t dot_thessa_img[8];
extern int32_t dot_thessa_white_img[8];
// "data/img/set_enemy/"
extern int32_t dot_fire_enemy_img01[7];
extern int32_t dot_fire_enemy_img03[7];
extern int32_t dot_fire_enemy_white_img01[7];
extern int32_t dot_fire_enemy_white_img03[7];
extern int32_t dot_fire_enemy_img02[7];
extern int32_t dot_fire_enemy_img04[7];
extern int32_t dot_fire_enemy_white_img02[7];
extern int32_t dot_fire_enemy_white_img04[7];
extern int32_t dot_vine_img01[5];
extern int32_t dot_vine_white_img01[5];
extern int32_t dot_vine_img02[5];
extern int32_t dot_vine_img04[5];
extern int32_t dot_vine_white_img02[5];
extern int32_t dot_vine_white_img04[5];
extern int32_t dot_vine_img03[5];
extern int32_t dot_vine_white_img03[5];
extern int32_t dot_korone_img[7];
extern int32_t dot_bookshelf_front_img;
extern int32_t dot_bookshelf_back_img;
extern int32_t dot_needle_img[4];
// "data/img/map_chip/"
extern int32_t dot_movable_rock;
extern int32_t dot_movable_stone_img;
extern int32_t BRIMAL_map_chip_field01[256];
extern int32_t BRIMAL_map_chip_dansion01[256];
extern int32_t BRIMAL_map_chip_forest[256];
extern int32_t BRIMAL_map_chip_library[256];
extern int32_t BRIMAL_map_chip_dansion05[256];
extern int32_t BRIMAL_map_chip_dansion06[256];
extern int32_t BRIMAL_map_chip_field03[256];
extern int32_t BRIMAL_map_chip_tower[256];
extern int32_t BRIMAL_map_chip_strandmoorle[256];
extern int32_t BRIMAL_map_chip_nimbra[256];
// "data/img/item/"
extern int32_t dot_potion_white_img[4];
extern int32_t dot_potion_white_white_img[4];
extern int32_t dot_potion_black_img[4];
extern int32_t dot_potion_black_white_img[4];
extern int32_t dot_holly_img[4];
extern int32_t dot_holly_white_img[4];
extern int32_t dot_healing_img[4];
extern int32_t dot_healing_white_img[4];
extern int32_t dot_mirror_img[4];
extern int32_t dot_mirror_white_img[4];
extern int32_t dot_crystal_AG_img[4];
extern int32_t dot_crystal_AT_img[4];
extern int32_t dot_crystal_VT_img[4];
extern int32_t dot_crystal_IN_img[4];
extern int32_t dot_item_AG_img[4];
extern int32_t dot_item_AT_img[4];
extern int32_t dot_item_VT_img[4];
extern int32_t dot_item_IN_img[4];
extern int32_t dot_item_AG_white_img[4];
extern int32_t dot_life_up_img[4];
extern int32_t dot_life_up_white_img[4];
extern int32_t dot_breakable_rock;
extern int32_t dot_breakable_rock_white;
// "data/img/status/"
extern int32_t dot_gauge_AG_10_img;
extern int32_t dot_gauge_AG_13_img;
extern int32_t dot_gauge_AT_10_img;
extern int32_t dot_gauge_AT_13_img;
extern int32_t dot_gauge_HP_10_img;
extern int32_t dot_gauge_HP_13_img;
extern int32_t dot_gauge_IN_10_img;
extern int32_t dot_gauge_IN_13_img;
extern int32_t dot_gauge_VT_10_img;
extern int32_t dot_gauge_VT_13_img;
extern int32_t dot_life_img;
extern int32_t dot_letter_AG_10_img;
extern int32_t dot_letter_AG_13_img;
extern int32_t dot_letter_AT_10_img;
extern int32_t dot_letter_AT_13_img;
extern int32_t dot_letter_HP_10_img;
extern int32_t dot_letter_HP_13_img;
extern int32_t dot_letter_IN_10_img;
extern int32_t dot_letter_IN_13_img;
extern int32_t dot_letter_VT_10_img;
extern int32_t dot_letter_VT_13_img;
extern int32_t dot_letter_ORVEN_img;
extern int32_t dot_letter_PELUNE_img;
extern int32_t dot_letter_slash_10_img;
extern int32_t dot_letter_slash_13_img;
extern int32_t dot_letter_LV_img;
extern int32_t message_window_img;
extern int32_t message_window_speak_img;
extern int32_t revive_img;
extern int32_t game_over_img;
// The frame image drawn over the play field before the status display.
extern int32_t back_screen_img;
extern int32_t dot_number_10_img[10];
extern int32_t dot_number_13_img[10];
extern int32_t dot_number_17_img[10];
// "data/img/title/"
extern int32_t select_start_img;
extern int32_t select_start_shade_img;
extern int32_t select_config_img;
extern int32_t select_config_shade_img;
extern int32_t select_end_img;
extern int32_t select_end_shade_img;
extern int32_t select_return_img;
extern int32_t select_return_shade_img;
extern int32_t select_one_img;
extern int32_t select_one_shade_img;
extern int32_t select_two_img;
extern int32_t select_two_shade_img;
extern int32_t select_three_img;
extern int32_t select_three_shade_img;
extern int32_t select_four_img;
extern int32_t select_four_shade_img;
extern int32_t select_character_back_ground_img;
extern int32_t select_character_arrow_1P_img2;
extern int32_t select_character_arrow_2P_img2;
extern int32_t select_character_arrow_3P_img2;
extern int32_t select_character_arrow_4P_img2;
extern int32_t title_menu_img;
// "data/img/ending/"
extern int32_t ending_end_img;
// "data/img/config/"
extern int32_t config_back_ground_img;
extern int32_t config_select_black_potion_img;
extern int32_t config_select_black_potion_shade_img;
extern int32_t config_select_exit_img;
extern int32_t config_select_exit_shade_img;
extern int32_t config_select_pause_img;
extern int32_t config_select_pause_shade_img;
extern int32_t config_select_shot_img;
extern int32_t config_select_shot_shade_img;
extern int32_t config_select_skip_img;
extern int32_t config_select_skip_shade_img;
extern int32_t config_select_white_potion_img;
extern int32_t config_select_white_potion_shade_img;
extern int32_t config_select_life_img;
extern int32_t config_select_life_shade_img;
extern int32_t config_select_number_img[10];
extern int32_t config_select_number_shade_img[10];
// "data/img/pause_menu/"
extern int32_t continue_img;
extern int32_t continue_shade_img;
extern int32_t exit_1_img;
extern int32_t exit_1_shade_img;
extern int32_t exit_2_img;
extern int32_t exit_2_shade_img;
extern int32_t no_img;
extern int32_t no_shade_img;
extern int32_t return_1_img;
extern int32_t return_1_shade_img;
extern int32_t return_2_img;
extern int32_t return_2_shade_img;
extern int32_t yes_img;
extern int32_t yes_shade_img;
// "data/img/cg_character/"
extern int32_t pelune_normal_img;
extern int32_t pelune_smile01_img;
extern int32_t pelune_smile02_img;
extern int32_t pelune_smile03_img;
extern int32_t orven_smile_img;
extern int32_t orven_worry_img;
extern int32_t orven_angry_img;
extern int32_t talvo_smile_img;
extern int32_t talvo_worry_img;
extern int32_t talvo_angry_img;
extern int32_t gorlan_normal_img;
extern int32_t gorlan_cry_img;
extern int32_t bremonkal_normal_img;
extern int32_t bremonkal_worry_img;
extern int32_t ludera_normal_img;
extern int32_t ludera_smile_img;
extern int32_t orsenta_normal_img;
extern int32_t orsenta_smile_img;
extern int32_t orsenta_angry_img;
extern int32_t wendel_normal_img;
extern int32_t wendel_smile_img;
extern int32_t wendel_angry_img;
extern int32_t mobaki_normal_img;
extern int32_t mobaki_worry_img;
extern int32_t mobaki_hungry_img;
extern int32_t thessa_img;
// "data/img/shot/"
extern int32_t dot_small_bullet_blue_green_img[8];
extern int32_t dot_oval_bullet_black_img[8];
extern int32_t dot_oval_bullet_blue_img[8];
extern int32_t dot_oval_bullet_brown_img[8];
extern int32_t dot_oval_bullet_gray_img[8];
extern int32_t dot_oval_bullet_green_img[8];
extern int32_t dot_oval_bullet_orange_img[8];
extern int32_t dot_oval_bullet_purple_img[8];
extern int32_t dot_oval_bullet_red_img[8];
extern int32_t dot_oval_bullet_yellow_img[8];
extern int32_t dot_pelwick_aqua_shot_img[8];
extern int32_t dot_pelwick_blue_shot_img[8];
extern int32_t dot_pelwick_daidai_shot_img[8];
extern int32_t dot_pelwick_green_shot_img[8];
extern int32_t dot_pelwick_purple_shot_img[8];
extern int32_t dot_pelwick_red_shot_img[8];
extern int32_t dot_pelwick_yellow_shot_img[8];
extern int32_t dot_talvo_shot_img32;
extern int32_t dot_fesku_shot_img;
extern int32_t dot_ember_crown_img;
extern int32_t dot_bullet_big_red_img;
extern int32_t dot_bullet_middle_red_img;
extern int32_t dot_bullet_small_red_img;
extern int32_t dot_wendel_bulllet_red_note_img;
extern int32_t dot_wendel_bulllet_blue_note_img;
extern int32_t dot_wendel_bulllet_green_note_img;
extern int32_t dot_wendel_bulllet_yellow_note_img;
extern int32_t dot_bullet_big_violet_img;
extern int32_t dot_ember_crown_fade_in_img[4];
extern int32_t dot_bullet_knife_red_img[8];
extern int32_t dot_bullet_knife_blue_img[8];
extern int32_t dot_bullet_knife_green_img[8];
extern int32_t dot_bullet_kunai_red_img[8];
extern int32_t dot_bullet_kunai_blue_img[8];
extern int32_t dot_bullet_kunai_blue_purple_img[8];
extern int32_t dot_bullet_kunai_green_img[8];
extern int32_t dot_bullet_kunai_purple_img[8];
extern int32_t dot_bullet_kunai_aqua_img[8];
extern int32_t dot_wendel_bullet_red_img[8];
extern int32_t dot_wendel_bullet_blue_img[8];
extern int32_t dot_wendel_bullet_green_img[8];
extern int32_t dot_wendel_bullet_yellow_img[8];
extern int32_t dot_mobaki_bullet_aqua_img[8];
extern int32_t dot_mobaki_bullet_blue_img[8];
extern int32_t dot_mobaki_bullet_green_img[8];
extern int32_t dot_mobaki_bullet_purple_img[8];
extern int32_t dot_mobaki_bullet_red_img[8];
extern int32_t dot_mobaki_bullet_yellow_img[8];
// "data/img/shot_fade/"
extern int32_t dot_4F_blue_green_shot_fade_img[4];
extern int32_t dot_4F_black_shot_fade_img[4];
extern int32_t dot_4F_blue_shot_fade_img[4];
extern int32_t dot_4F_brown_shot_fade_img[4];
extern int32_t dot_4F_gray_shot_fade_img[4];
extern int32_t dot_4F_green_shot_fade_img[4];
extern int32_t dot_4F_orange_shot_fade_img[4];
extern int32_t dot_4F_purple_shot_fade_img[4];
extern int32_t dot_4F_red_shot_fade_img[4];
extern int32_t dot_4F_yellow_shot_fade_img[4];
extern int32_t dot_6F_middle_red_shot_fade_img[6];
extern int32_t dot_6F_middle_blue_shot_fade_img[6];
extern int32_t dot_6F_middle_green_shot_fade_img[6];
extern int32_t dot_6F_middle_yellow_shot_fade_img[6];
extern int32_t dot_6F_middle_aqua_shot_fade_img[6];
extern int32_t dot_6F_middle_purple_shot_fade_img[6];
extern int32_t dot_pelwick_aqua_shot_fade_img[6];
extern int32_t dot_pelwick_blue_shot_fade_img[6];
extern int32_t dot_pelwick_daidai_shot_fade_img[6];
extern int32_t dot_pelwick_green_shot_fade_img[6];
extern int32_t dot_pelwick_purple_shot_fade_img[6];
extern int32_t dot_pelwick_red_shot_fade_img[6];
extern int32_t dot_pelwick_yellow_shot_fade_img[6];
extern int32_t dot_5F_big_red_shot_fade_img[5];
extern int32_t dot_5F_big_violet_shot_fade_img[5];
// "patch/patch_data/"
extern int32_t save1_img;
extern int32_t save1_shade_img;
extern int32_t save2_img;
extern int32_t save2_shade_img;
extern int32_t save3_img;
extern int32_t save3_shade_img;
extern int32_t save_return_img;
extern int32_t save_return_shade_img;
extern int32_t select_continue_img;
extern int32_t select_continue_shade_img;
extern int32_t slowdownnow_img;
extern int32_t slowdownnow_shade_img;
extern int32_t cg_sadri_img;
extern int32_t dot_slowly_sadri_img[4];

// ---- Procedures ----------------------------------------------------------------

// The program entry: 0 after a normal end, -1 when the runtime fails to start.
int WinMain();
// Shows the start-up question; anything but Yes switches to window mode.
void ask_full_screen();
// One frame per turn until the window closes, Escape is down or the game ends.
void main_loop();

// Start-up loading.
void load_images();
void load_sounds();
// Puts every action button, the revival stock and every input device at its
// default (settings_table.h): the values in force before the settings files
// are first read.
void set_default_settings();
// Reads "config_data.dat", "pad.dat" and then the three save slots. A value
// a file gives outside its range, and a line or file that is missing, takes
// its default.
void load_settings();
// Reads the three slot files into save_slots. A missing or short slot, or one
// whose party, area, floor or characters the game cannot take, reads as
// empty (all zero); the other values are clamped to the ranges play reaches.
void read_save_slots();
// Fills slot k (0 to 2) from the game state and writes its file safely
// (write_file_safely). 1 when written; 0 when the write failed, which shows an
// error line and leaves the slot image and the file as they were.
int32_t write_save_slot(int32_t k);
// Replaces the file `path` with `size` bytes so that a failure, a crash or a
// power cut at any moment leaves the old file or the new one whole: the bytes
// go to `temp_path` (a stale one from an earlier crash is overwritten), are
// flushed to the disk, and the file is renamed over `path`, the rename itself
// written through to the disk. True when the new file is in place; on failure
// the temporary file is removed and `path` is as it was.
bool write_file_safely(const char* path, const char* temp_path, const void* bytes,
                       uint32_t size);
// Puts slot k into the game state: party, area and floor, story flags, item
// and boss flags, the players' statistics and their start positions.
void restore_save_slot(int32_t k);

// Per-frame services of the frame loop.
void update_music();
void poll_input();
void play_requested_sounds();

// State handlers.
void run_title_menu();
void run_player_select();
void start_new_game();
void run_load_menu();
void run_button_config();
void run_pause_menu();
void run_return_confirm();
void run_exit_confirm();
void run_game_over();
void run_save_menu();

// Puts every game variable into the title state.
void reset_game();

// Ascending bubble sort of `count` signed integers, in place; stable.
void sort_ints(int32_t* array, int32_t count);
// Sorts `keys` ascending and applies every swap to `values` too; stable.
void sort_keys_with_values(int32_t* keys, int32_t count, int32_t* values);
// 1 when the closed boxes (centre x, y; half-extents w, h) overlap, touching
// included; else 0.
int32_t rects_overlap(float x1, float y1, int32_t w1, int32_t h1, float x2, float y2, int32_t w2,
                      int32_t h2);
