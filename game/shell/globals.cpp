// The game shell's globals, zero at program start.
#include "game/shell/shell.h"

int32_t game_status;
int32_t area_entry_request;
int32_t fade_counter;
int32_t message_font;
int32_t roll_font;

int32_t menu_cursor;
int32_t menu_capture_counter;
int32_t menu_capture_img;

int32_t player_count;
int32_t revive_stock;
int32_t progress_flags[24];
int32_t pad_device[4];

int32_t music_request;
int32_t music_current;

int32_t se_title_cursor;
int32_t se_title_decide;
int32_t se_title_exit;
int32_t se_change_map;
int32_t se_pelune_shot4;
int32_t se_orven_shot;
int32_t se_boss_shot10;
int32_t se_potion;
int32_t se_pause;
int32_t se_damage;
int32_t se_enemy_disappear8;
int32_t se_boo;
int32_t se_boss_disappear;
int32_t se_get_item;
int32_t se_win;
int32_t se_player_damage;
int32_t se_fall;
int32_t collectpowerup;
int32_t se_shot_hit05;

int32_t se_title_cursor_request;
int32_t se_title_decide_request;
int32_t se_title_exit_request;
int32_t se_change_map_request;
int32_t se_pelune_shot4_request;
int32_t se_orven_shot_request;
int32_t se_boss_shot10_request;
int32_t se_potion_request;
int32_t se_pause_request;
int32_t se_damage_request;
int32_t se_enemy_disappear8_request;
int32_t se_boo_request;
int32_t se_boss_disappear_request;
int32_t se_get_item_request;
int32_t se_win_request;
int32_t se_player_damage_request;
int32_t se_fall_request;
int32_t se_shot_hit05_request;

int32_t back_screen_img;
