#include "tests/game/shell/frame_loop_handlers.h"

#include "tests/support/api_fake/api_fake.h"

HandlerLog& handler_log() {
  static HandlerLog log;
  return log;
}

std::vector<std::string> HandlerLog::InFrame(int frame) const {
  std::vector<std::string> out;
  for (const HandlerRun& r : runs)
    if (r.frame == frame) out.push_back(r.name);
  return out;
}

namespace {

void Run(const char* name) {
  HandlerLog& log = handler_log();
  log.runs.push_back(HandlerRun{name, api_fake().frame});
  auto it = log.actions.find(name);
  if (it != log.actions.end() && it->second) it->second();
}

}  // namespace

void load_images() { Run("load_images"); }
void load_sounds() { Run("load_sounds"); }
void load_settings() { Run("load_settings"); }
void update_music() { Run("update_music"); }
void poll_input() { Run("poll_input"); }
void play_requested_sounds() { Run("play_requested_sounds"); }
void run_title_menu() { Run("run_title_menu"); }
void run_player_select() { Run("run_player_select"); }
void start_new_game() { Run("start_new_game"); }
void run_load_menu() { Run("run_load_menu"); }
void run_button_config() { Run("run_button_config"); }
void run_pause_menu() { Run("run_pause_menu"); }
void run_return_confirm() { Run("run_return_confirm"); }
void run_exit_confirm() { Run("run_exit_confirm"); }
void run_game_over() { Run("run_game_over"); }
void run_save_menu() { Run("run_save_menu"); }
void enter_area() { Run("enter_area"); }
void load_item_data() { Run("load_item_data"); }
void update_players() { Run("update_players"); }
void update_player_shots() { Run("update_player_shots"); }
void update_player_spells() { Run("update_player_spells"); }
void update_enemies() { Run("update_enemies"); }
void update_enemy_shots() { Run("update_enemy_shots"); }
void update_set_enemies() { Run("update_set_enemies"); }
void update_floor_items() { Run("update_floor_items"); }
void update_dropped_items() { Run("update_dropped_items"); }
void update_movable_rocks() { Run("update_movable_rocks"); }
void update_generators() { Run("update_generators"); }
void update_camera() { Run("update_camera"); }
void check_map_exit() { Run("check_map_exit"); }
void update_boss() { Run("update_boss"); }
void draw_map_chips() { Run("draw_map_chips"); }
void draw_field_objects() { Run("draw_field_objects"); }
void draw_player_shots() { Run("draw_player_shots"); }
void draw_player_shot_fades() { Run("draw_player_shot_fades"); }
void draw_enemy_shots() { Run("draw_enemy_shots"); }
void draw_enemy_shot_fades() { Run("draw_enemy_shot_fades"); }
void draw_map_overlay() { Run("draw_map_overlay"); }
void draw_boss_shots() { Run("draw_boss_shots"); }
void draw_boss_shot_fades() { Run("draw_boss_shot_fades"); }
void draw_status() { Run("draw_status"); }
void run_scene() { Run("run_scene"); }
