// Cursor rules, rows and the captured picture shared by the shell's menus.
#include "game/shell/menu_common.h"

#include "game/shell/shell.h"
#include "game/world/world.h"
#include "runtime/system/api.h"

namespace {

constexpr int32_t kUp = 0;  // input_state index
constexpr int32_t kDown = 2;

constexpr int32_t kCaptureWidth = 640;
constexpr int32_t kCaptureHeight = 480;

// The players whose states the in-game menus read.
int32_t active_players() {
  if (player_count < 0) return 0;
  return player_count < 4 ? player_count : 4;
}

}  // namespace

void move_cursor_any_player(int32_t rows) {
  bool up = false;
  bool down = false;
  for (const player_data& record : player) {
    up = up || record.input_state[kUp] == 2;
    down = down || record.input_state[kDown] == 2;
  }
  if (up) {
    menu_cursor = menu_cursor == 1 ? rows : menu_cursor - 1;
    se_title_cursor_request = 1;
  } else if (down) {
    menu_cursor = menu_cursor >= rows ? 1 : menu_cursor + 1;
    se_title_cursor_request = 1;
  }
}

void move_cursor_each_player(int32_t rows) {
  for (int32_t p = 0; p < active_players(); ++p) {
    const player_data& record = player[p];
    if (record.input_state[kUp] == 2) {
      menu_cursor = menu_cursor == 1 ? rows : menu_cursor - 1;
      se_title_cursor_request = 1;
    } else if (record.input_state[kDown] == 2) {
      menu_cursor = menu_cursor < rows ? menu_cursor + 1 : 1;
      se_title_cursor_request = 1;
    }
  }
}

int32_t deciding_player() {
  for (int32_t p = 0; p < active_players(); ++p) {
    if (player[p].actions[0] == 2) return p;
  }
  return -1;
}

void clear_decide_actions() {
  for (int32_t p = 0; p < active_players(); ++p) player[p].actions[0] = 0;
}

void draw_menu_row(int32_t x, int32_t y, int32_t lit, int32_t dim, int32_t row) {
  ApiDrawGraphicAt(x, y, menu_cursor == row ? lit : dim, 1);
}

void step_menu_capture() {
  if (menu_capture_counter == 0) {
    // What the frame drew so far: the play field of the frame that opened
    // the menu.
    menu_capture_img = ApiMakeEmptyGraphic(kCaptureWidth, kCaptureHeight, 0);
    ApiCopyScreenToGraphic(0, 0, kCaptureWidth, kCaptureHeight, menu_capture_img, 1);
    menu_capture_counter = 1;
  }
  if (menu_capture_counter >= 1 && menu_capture_counter < kMenuCaptureReady) menu_capture_counter += 1;
}

void draw_menu_capture() {
  const int32_t level = 255 - 10 * menu_capture_counter;
  ApiSetDrawBrightness(level, level, level);
  ApiDrawGraphicAt(0, 0, menu_capture_img, 0);
  ApiSetDrawBrightness(255, 255, 255);
}

void leave_menu_to_play(bool cancel_sound) {
  game_status = kStatusPlay;
  menu_cursor = 1;
  clear_decide_actions();
  if (cancel_sound) {
    se_title_exit_request = 1;
  } else {
    se_title_decide_request = 1;
  }
  menu_capture_counter = 0;
  ApiDrawGraphicAt(0, 0, menu_capture_img, 0);
  ApiDeleteGraphic(menu_capture_img, 0);
}

void draw_digit_cell(int32_t x, int32_t y, const int32_t (&sheet)[10], int32_t cell) {
  if (cell < 0 || cell > 9) return;
  ApiDrawGraphicAt(x, y, sheet[cell], 1);
}
