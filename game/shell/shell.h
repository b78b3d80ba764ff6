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

// ---- Party and progress ----------------------------------------------------

extern int32_t player_count;          // 1 to 4
extern int32_t revive_stock;          // shared revival stock, 0 to 9
extern int32_t progress_flags[24];    // story flags; words 1 to 19 are scene_played
extern int32_t pad_device[4];         // per player: 0 keyboard + pad 1, 1-4 pad, 5 keyboard

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

// The frame image drawn over the play field before the status display.
extern int32_t back_screen_img;

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
void load_settings();

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
