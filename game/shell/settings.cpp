// The settings files "config_data.dat" and "pad.dat", and the button
// configuration screen that edits and writes the first.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/shell/menu_common.h"
#include "game/shell/settings_table.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "runtime/system/api.h"

namespace {

constexpr const char* kConfigPath = "config_data.dat";
// The configuration is written here first and renamed over the file once
// complete, so a failed write leaves the old file whole.
constexpr const char* kConfigTempPath = "config_data.dat.tmp";
constexpr const char* kPadPath = "pad.dat";

// A line of the settings files: at most 255 characters are kept.
using Line = char[256];

// Reads the next line without its line end; the rest of a longer line is
// skipped. False at the end of the file.
bool read_line(std::FILE* file, Line& line) {
  if (std::fgets(line, sizeof line, file) == nullptr) return false;
  size_t length = std::strlen(line);
  if (length > 0 && line[length - 1] == '\n') {
    line[--length] = '\0';
  } else {
    int c;
    do {
      c = std::fgetc(file);
    } while (c != EOF && c != '\n');
  }
  if (length > 0 && line[length - 1] == '\r') line[--length] = '\0';
  return true;
}

bool is_separator(char c) { return c == ' ' || c == ','; }

// Puts the line's first token (blanks and commas separate), read as a
// decimal number that stops at the first non-digit, into `field` when it is
// 0 to `max`. A token without leading digits, or a number outside the range,
// gives `fallback` instead, so every action keeps a button the game can
// read. A line without a token leaves the field as it is.
void take_setting(const Line& line, int32_t max, int32_t fallback, int32_t& field) {
  const char* start = line;
  while (is_separator(*start)) ++start;
  if (*start == '\0') return;
  char token[sizeof(Line)];
  size_t length = 0;
  while (start[length] != '\0' && !is_separator(start[length])) {
    token[length] = start[length];
    ++length;
  }
  token[length] = '\0';
  char* digits_end = nullptr;
  errno = 0;
  const long number = std::strtol(token, &digits_end, 10);
  const bool is_number = digits_end != token && errno == 0;
  field = is_number && number >= 0 && number <= max ? static_cast<int32_t>(number) : fallback;
}

// Button numbers of the four players, then the revival stock. A line opening
// with '@' ends the button lines (the buttons after it keep their values);
// the next line is the revival stock. A missing file or line gives the
// defaults of what it would have held.
void read_config_file() {
  std::FILE* file = std::fopen(kConfigPath, "r");
  bool at_end = file == nullptr;
  bool stopped = false;
  Line line;
  for (int32_t p = 0; p < kSettingsPlayers && !stopped; ++p) {
    for (int32_t a = 0; a < kSettingsActions; ++a) {
      const int32_t fallback = default_action_buttons[p][a];
      int32_t& button = player[p].action_button[a];
      if (!at_end && !read_line(file, line)) at_end = true;
      if (at_end) {
        button = fallback;
        continue;
      }
      if (line[0] == '@') {
        stopped = true;
        break;
      }
      take_setting(line, kButtonNumberMax, fallback, button);
    }
  }
  if (!at_end && read_line(file, line)) {
    take_setting(line, kReviveStockMax, default_revive_stock, revive_stock);
  } else {
    revive_stock = default_revive_stock;
  }
  if (file != nullptr) std::fclose(file);
}

void read_pad_file() {
  std::FILE* file = std::fopen(kPadPath, "r");
  bool at_end = file == nullptr;
  Line line;
  for (int32_t p = 0; p < kSettingsPlayers; ++p) {
    if (!at_end && !read_line(file, line)) at_end = true;
    if (at_end) {
      pad_device[p] = default_pad_devices[p];
    } else {
      take_setting(line, kPadDeviceMax, default_pad_devices[p], pad_device[p]);
    }
  }
  if (file != nullptr) std::fclose(file);
}

// The 20 button numbers and the revival stock, one "%d\n" line each.
bool write_config_file() {
  // Room for 21 lines of the longest int and the NUL.
  char text[(kSettingsPlayers * kSettingsActions + 1) * 12 + 1];
  size_t length = 0;
  auto add_line = [&](int32_t value) {
    length += static_cast<size_t>(
        std::snprintf(text + length, sizeof text - length, "%d\n", static_cast<int>(value)));
  };
  for (const player_data& record : player) {
    for (const int32_t button : record.action_button) add_line(button);
  }
  add_line(revive_stock);
  return write_file_safely(kConfigPath, kConfigTempPath, text, static_cast<uint32_t>(length));
}

// ---- Button configuration -------------------------------------------------------------

constexpr int32_t kConfigRows = 7;
constexpr int32_t kReviveRow = 6;
constexpr int32_t kExitRow = 7;
// input_state indexes.
constexpr int32_t kRight = 1;
constexpr int32_t kLeft = 3;
constexpr int32_t kFirstButton = 4;

struct ConfigRow {
  int32_t x, y;
  const int32_t* lit;
  const int32_t* dim;
};
const ConfigRow kConfigRowImages[kConfigRows] = {
    {50, 45, &config_select_shot_img, &config_select_shot_shade_img},
    {48, 105, &config_select_white_potion_img, &config_select_white_potion_shade_img},
    {50, 165, &config_select_black_potion_img, &config_select_black_potion_shade_img},
    {50, 225, &config_select_pause_img, &config_select_pause_shade_img},
    {50, 285, &config_select_skip_img, &config_select_skip_shade_img},
    {50, 345, &config_select_life_img, &config_select_life_shade_img},
    {50, 405, &config_select_exit_img, &config_select_exit_shade_img},
};
constexpr int32_t kButtonColumnsX[4] = {360, 428, 496, 564};

// Every newly pressed button of any player goes to the action of the row;
// the highest number pressed wins.
void assign_buttons(int32_t action) {
  for (int32_t b = 0; b < 8; ++b) {
    for (player_data& record : player) {
      if (record.input_state[kFirstButton + b] != 2) continue;
      record.action_button[action] = b;
      se_title_decide_request = 1;
    }
  }
}

void change_revive_stock() {
  for (const player_data& record : player) {
    if (record.input_state[kRight] == 2 && revive_stock < 9) {
      revive_stock += 1;
      return;
    }
    if (record.input_state[kLeft] == 2 && revive_stock >= 1) {
      revive_stock -= 1;
      return;
    }
  }
}

void exit_config() {
  for (const player_data& record : player) {
    if (record.actions[0] != 2) continue;
    if (write_config_file()) {
      game_status = kStatusTitle;
      menu_cursor = 1;
      clear_decide_actions();
      se_title_exit_request = 1;
    } else {
      ApiPrintToScreen("ファイル書き込みエラー\n");
    }
    return;
  }
}

void draw_config() {
  ApiDrawGraphicAt(0, 0, config_back_ground_img, 0);
  for (int32_t row = 1; row <= kConfigRows; ++row) {
    const ConfigRow& image = kConfigRowImages[row - 1];
    draw_menu_row(image.x, image.y, *image.lit, *image.dim, row);
  }
  for (int32_t row = 1; row <= 5; ++row) {
    const int32_t(&digits)[10] =
        menu_cursor == row ? config_select_number_img : config_select_number_shade_img;
    for (int32_t p = 0; p < 4; ++p) {
      // Buttons 0 to 7 show as 1 to 8; a number without a cell is not drawn
      // (nor counted on: it may be any value the program was given).
      const int32_t button = player[p].action_button[row - 1];
      if (button >= -1 && button <= 8) {
        draw_digit_cell(kButtonColumnsX[p], kConfigRowImages[row - 1].y, digits, button + 1);
      }
    }
  }
  const int32_t(&digits)[10] =
      menu_cursor == kReviveRow ? config_select_number_img : config_select_number_shade_img;
  draw_digit_cell(360, 345, digits, revive_stock);
}

}  // namespace

void load_settings() {
  read_config_file();
  read_pad_file();
  read_save_slots();
}

void run_button_config() {
  move_cursor_any_player(kConfigRows);
  if (menu_cursor >= 1 && menu_cursor <= 5) assign_buttons(menu_cursor - 1);
  if (menu_cursor == kReviveRow) change_revive_stock();
  if (menu_cursor == kExitRow) exit_config();
  draw_config();
}
