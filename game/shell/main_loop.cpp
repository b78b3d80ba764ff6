// The program entry and the frame loop.
#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/draw/draw.h"
#include "game/scenes/scenes.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "platform/win32/user.h"
#include "runtime/system/api.h"

namespace {

constexpr int32_t kEscapeKey = 1;  // DirectInput key code of Escape
constexpr int32_t kBackScreen = -2;

// One play frame on an ordinary floor.
void run_ordinary_floor() {
  update_players();
  update_player_shots();
  update_player_spells();
  update_enemies();
  update_enemy_shots();
  update_set_enemies();
  update_floor_items();
  update_dropped_items();
  update_movable_rocks();
  update_generators();
  update_camera();
  draw_map_chips();
  draw_field_objects();
  draw_player_shots();
  draw_player_shot_fades();
  draw_enemy_shots();
  draw_enemy_shot_fades();
  draw_map_overlay();
  check_map_exit();
  ApiDrawGraphicAt(0, 0, back_screen_img, 1);
  draw_status();
}

// One play frame on a boss floor: the boss runs in place of the enemy shots,
// and its shots are drawn in place of the enemy shots and the overlay.
void run_boss_floor() {
  update_players();
  update_player_shots();
  update_player_spells();
  update_boss();
  update_enemies();
  update_set_enemies();
  update_floor_items();
  update_dropped_items();
  update_movable_rocks();
  update_generators();
  update_camera();
  draw_map_chips();
  draw_field_objects();
  draw_player_shots();
  draw_player_shot_fades();
  draw_boss_shots();
  draw_boss_shot_fades();
  check_map_exit();
  ApiDrawGraphicAt(0, 0, back_screen_img, 1);
  draw_status();
}

void run_play_frame() {
  if (area_entry_request == 1) enter_area();
  // Two separate tests: when the first list switches to a boss floor (the map
  // chips do so in one boss room), the boss list runs in the same frame.
  if (map_status == 1) run_ordinary_floor();
  if (map_status == 2) run_boss_floor();
}

void run_scene_frame() {
  if (area_entry_request == 1) enter_area();
  run_scene();
}

// Runs the handler of the current state. Every test reads game_status afresh,
// so a handler that moves to a state tested later also runs that state's
// handler in this frame.
void dispatch() {
  if (game_status == kStatusTitle) run_title_menu();
  if (game_status == kStatusPlayerCount) run_player_select();
  if (game_status == kStatusCharacterChoice) {
    run_player_select();
    start_new_game();
  }
  if (game_status == kStatusLoadMenu) run_load_menu();
  if (game_status == kStatusPlay) run_play_frame();
  if (game_status == kStatusScene) run_scene_frame();
  if (game_status == kStatusButtonConfig) run_button_config();
  if (game_status == kStatusPause) run_pause_menu();
  if (game_status == kStatusReturnConfirm) run_return_confirm();
  if (game_status == kStatusExitConfirm) run_exit_confirm();
  if (game_status == kStatusGameOver) run_game_over();
  if (game_status == kStatusSaveQuestion) run_save_menu();
  if (game_status == kStatusSaveSlotChoice) run_save_menu();
}

// The fade-in: brightness 6 x counter per frame (the runtime clamps it to
// 255), so a fade started with 1 is at full brightness on its 43rd step; the
// counter itself runs for 255 frames.
void step_fade() {
  if (fade_counter <= 0) return;
  ApiSetDrawBrightness(6 * fade_counter, 6 * fade_counter, 6 * fade_counter);
  fade_counter += 1;
  if (fade_counter > 255) {
    fade_counter = 0;
    ApiSetDrawBrightness(255, 255, 255);
  }
}

}  // namespace

void ask_full_screen() {
  const int answer = MessageBoxA(nullptr, "フルスクリーンで起動しますか？\n", "ブリマル",
                                 MB_YESNO | MB_ICONQUESTION);
  if (answer != IDYES) ApiChangeWindowMode(1);
}

void main_loop() {
  for (;;) {
    if (ApiProcessMessage() != 0) return;
    if (ApiIsKeyDown(kEscapeKey) != 0) return;
    update_music();
    ApiClearDrawScreen();
    poll_input();
    dispatch();
    // The end state leaves before the fade, the sounds and the flip.
    if (game_status == kStatusEnd) return;
    step_fade();
    play_requested_sounds();
    ApiFlipScreen();
  }
}

int WinMain() {
  ask_full_screen();

  // Settings the runtime takes before it starts.
  ApiSetWindowIcon(102);
  ApiSetWindowText("BRIMAL_Ver1.04");
  ApiSetLogOutput(0);

  if (ApiInitLibrary() == -1) return -1;

  ApiSetArchiveExtension("dat");
  ApiSetArchiveKey("quietmarble");
  ApiSetDrawTarget(kBackScreen);
  message_font = ApiCreateFontToHandle(nullptr, -1, -1, -1, -1, -1, 0, -1, -1);
  roll_font = ApiCreateFontToHandle(nullptr, 24, -1, 3, -1, -1, 0, -1, -1);

  // The loading picture, shown while everything else loads.
  ApiClearDrawScreen();
  ApiLoadAndDrawImage(370, 420, "data/img/title/loading_img.png", 1);
  ApiFlipScreen();

  load_images();
  load_sounds();
  load_item_data();
  reset_game();
  // What the settings files leave out keeps the values in force: at start-up,
  // the defaults.
  set_default_settings();
  load_settings();

  main_loop();

  ApiEndLibrary();
  return 0;
}
