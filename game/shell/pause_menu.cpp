// The pause menu with its two confirmations, and the game-over screen.
#include "game/areas/areas.h"
#include "game/draw/draw.h"
#include "game/shell/menu_common.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "runtime/system/api.h"

int32_t game_over_counter;

namespace {

constexpr int32_t kGameOverFrames = 180;

// Pause row 2 or 3: the confirmation opens on row 1 over the same picture,
// already taking input.
void open_confirmation(int32_t status) {
  game_status = status;
  menu_cursor = 1;
  clear_decide_actions();
  se_title_exit_request = 1;
}

void draw_yes_no_rows() {
  draw_menu_row(240, 180, no_img, no_shade_img, 1);
  draw_menu_row(240, 250, yes_img, yes_shade_img, 2);
}

}  // namespace

void run_pause_menu() {
  step_menu_capture();
  if (menu_capture_counter == kMenuCaptureReady) {
    move_cursor_each_player(3);
    if (deciding_player() >= 0) {
      if (menu_cursor == 1) {
        leave_menu_to_play(false);
      } else if (menu_cursor == 2) {
        open_confirmation(kStatusReturnConfirm);
      } else if (menu_cursor == 3) {
        open_confirmation(kStatusExitConfirm);
      }
    }
  }
  draw_menu_capture();
  draw_menu_row(160, 90, continue_img, continue_shade_img, 1);
  draw_menu_row(160, 170, return_1_img, return_1_shade_img, 2);
  draw_menu_row(160, 250, exit_1_img, exit_1_shade_img, 3);
}

void run_return_confirm() {
  if (menu_capture_counter != kMenuCaptureReady) return;
  move_cursor_each_player(2);
  if (deciding_player() >= 0) {
    if (menu_cursor == 1) {
      leave_menu_to_play(false);
    } else if (menu_cursor == 2) {
      game_status = kStatusTitle;
      menu_cursor = 1;
      clear_decide_actions();
      se_title_exit_request = 1;
      menu_capture_counter = 0;
      reset_game();
      load_item_data();
      load_settings();
      ApiDeleteGraphic(menu_capture_img, 0);
      ApiStopSound(se_win);
      fade_counter += 1;
      return;
    }
  }
  draw_menu_capture();
  ApiDrawGraphicAt(115, 100, return_2_img, 1);
  draw_yes_no_rows();
}

void run_exit_confirm() {
  if (menu_capture_counter == kMenuCaptureReady) {
    move_cursor_each_player(2);
    if (deciding_player() >= 0) {
      if (menu_cursor == 1) {
        leave_menu_to_play(false);
      } else if (menu_cursor == 2) {
        game_status = kStatusEnd;
        se_title_exit_request = 1;
      }
    }
  }
  draw_menu_capture();
  ApiDrawGraphicAt(200, 100, exit_2_img, 1);
  draw_yes_no_rows();
}

void run_game_over() {
  game_over_counter += 1;
  // The field stands still behind the message: drawn, not updated.
  draw_map_chips();
  draw_field_objects();
  draw_player_shots();
  draw_player_shot_fades();
  ApiDrawGraphicAt(0, 0, back_screen_img, 1);
  ApiDrawGraphicAt(192, 150, game_over_img, 1);
  if (game_over_counter >= kGameOverFrames) {
    game_over_counter = 0;
    reset_game();
    load_item_data();
    load_settings();
    fade_counter = 1;
  }
}
