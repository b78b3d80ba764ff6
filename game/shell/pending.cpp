// Shell procedures that do nothing yet.
#include "game/shell/shell.h"

void load_settings() {}

void run_title_menu() {}
void run_player_select() {}
void start_new_game() {}
void run_load_menu() {}
void run_button_config() {}
void run_pause_menu() {}
void run_return_confirm() {}
void run_exit_confirm() {}
void run_game_over() {}
void run_save_menu() {}
