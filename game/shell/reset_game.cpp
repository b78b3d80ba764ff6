// The reset to the title state, and the sorts and the box test that the game
// subsystems share.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/draw/draw.h"
#include "game/enemies/enemies.h"
#include "game/scenes/scenes.h"
#include "game/shell/shell.h"
#include "game/world/world.h"

namespace {

template <typename T, size_t N>
void clear(T (&array)[N]) {
  std::fill(std::begin(array), std::end(array), T{});
}

// The rows and columns a reset clears in each map layer: 0 to 63. Row and
// column 64 keep what they hold; every floor load writes only its own width
// and height, so they are never read as part of a smaller map.
constexpr int32_t kClearedMapCells = 64;

void clear_map_layer(int32_t (&layer)[kMapGridSize][kMapGridSize]) {
  for (int32_t row = 0; row < kClearedMapCells; ++row) {
    for (int32_t column = 0; column < kClearedMapCells; ++column) layer[row][column] = 0;
  }
}

void reset_shell_state() {
  game_status = kStatusTitle;
  menu_cursor = 1;
  music_request = 0;
  music_current = 0;
  scene_number = 0;
  clear(progress_flags);
  fade_counter = 0;
  revive_stock = 0;  // the settings file gives it again
  menu_capture_counter = 0;

  se_title_cursor_request = 0;
  se_title_decide_request = 0;
  se_title_exit_request = 0;
  se_change_map_request = 0;
  se_pelune_shot4_request = 0;
  se_orven_shot_request = 0;
  se_boss_shot10_request = 0;
  se_potion_request = 0;
  se_pause_request = 0;
  se_damage_request = 0;
  se_enemy_disappear8_request = 0;
  se_boo_request = 0;
  se_boss_disappear_request = 0;
  se_get_item_request = 0;
  se_win_request = 0;
  se_player_damage_request = 0;
  se_fall_request = 0;
  se_shot_hit05_request = 0;

  player_count = 4;
}

void reset_play_state() {
  map_status = 0;
  present_map_number = 0;
  present_map_floor = 0;
  scroll_x = 0;
  scroll_y = 0;
  map_width = 0;
  map_height = 0;
  map_width_px = 0;
  map_height_px = 0;
  next_area = 0;
  next_floor = 0;
  next_x = 0;
  next_y = 0;
  scene_cell_latch = 0;
  scene_fade_level = 0;
  remain_item = 0;
  holly_counter = 0;
  death_appear_time = 0;
  death_appear_counter = 0;
  death_hp = 0;
  death_attack = 0;
  down_x = 0.0f;
  down_y = 0.0f;
  save_figure_counter = 0;

  clear_map_layer(map_chip_layer);
  clear_map_layer(map_cover_layer);
  clear_map_layer(map_cell);
}

void reset_floor_tables() {
  stairs_count = 0;
  clear(stairs_x);
  clear(stairs_y);
  clear(stairs_to_area);
  clear(stairs_to_floor);
  clear(stairs_to_x);
  clear(stairs_to_y);
  clear(stairs_exit_look);

  movable_rock_count = 0;
  clear(movable_rock_home_x);
  clear(movable_rock_home_y);
  clear(movable_rock_x);
  clear(movable_rock_y);
  clear(movable_rock_push_vx);
  clear(movable_rock_push_vy);
  clear(movable_rock_pushed);

  moving_block_count = 0;
  clear(moving_block);

  generator_count = 0;
  clear(generator_x);
  clear(generator_y);
  clear(generator_active);
  clear(generator_kind);
  clear(generator_hp);
  clear(generator_interval);
  clear(generator_counter);
  clear(generator_blocked);
  clear(generator_hit_blink);
  clear(generator_death_fade);

  clear(enemy);

  set_enemy_count = 0;
  clear(set_enemy_home_x);
  clear(set_enemy_home_y);
  clear(set_enemy_x);
  clear(set_enemy_y);
  clear(set_enemy_active);
  clear(set_enemy_kind);
  clear(set_enemy_hp);
  clear(set_enemy_width);
  clear(set_enemy_height);
  clear(set_enemy_variant);
  clear(set_enemy_tick);
  clear(set_enemy_cell);
  clear(set_enemy_push_vx);
  clear(set_enemy_push_vy);
  clear(set_enemy_pushed);
  clear(set_enemy_hit_blink);
  clear(set_enemy_death_fade);

  floor_item_count = 0;
  clear(floor_item_x);
  clear(floor_item_y);
  clear(floor_item_present);
  clear(floor_item_kind);
  clear(floor_item_hp);
  clear(floor_item_width);
  clear(floor_item_height);
  clear(floor_item_push_vx);
  clear(floor_item_push_vy);
  clear(floor_item_pushed);
  clear(floor_item_hit_blink);
  clear(floor_item_vanish);
  clear(floor_item_anim);

  clear(dropped_item_present);
  clear(dropped_item_kind);
  clear(dropped_item_x);
  clear(dropped_item_y);
  clear(dropped_item_push_vx);
  clear(dropped_item_push_vy);
  clear(dropped_item_hp);
  clear(dropped_item_width);
  clear(dropped_item_height);
  clear(dropped_item_pushed);
  clear(dropped_item_hit_blink);
  clear(dropped_item_vanish);
  clear(dropped_item_anim);

  clear(set_enemy_drawn);
  clear(floor_item_drawn);
  clear(dropped_item_drawn);
  clear(movable_rock_drawn);
  boss_drawn = 0;
}

void reset_boss_state() {
  clear(boss_shot_state);
  clear(boss_shot_x);
  clear(boss_shot_y);
  clear(boss_shot_vx);
  clear(boss_shot_vy);
  clear(boss_shot_direction);
  clear(boss_shot_power);
  clear(boss_shot_age);
  clear(boss_shot_mode);
  clear(boss_shot_aim_x);
  clear(boss_shot_aim_y);
  clear(boss_shot_kind);
  clear(boss_shot_box_width);
  clear(boss_shot_box_height);

  clear(boss_shot_fade_alive);
  clear(boss_shot_fade_x);
  clear(boss_shot_fade_y);
  clear(boss_shot_fade_timer);
  clear(boss_shot_fade_kind);

  boss_id = 0;
  boss_active = 0;
  boss_x = 0.0f;
  boss_y = 0.0f;
  boss_attack = 0;
  boss_width = 0;
  boss_height = 0;
  boss_shot_width = 0;
  boss_shot_height = 0;
  present_bossHP = 0;
  boss_p_cnt = 0;
  boss_hit = 0;
  boss_defeat_counter = 0;
  boss_facing = 0;
  boss_vx = 0.0f;
  boss_vy = 0.0f;
  boss_pushed = 0;
  boss_anim = 0;
  boss_shot_cue = 0;
  boss_edge_turn = 0;
  boss_part_x = 0.0f;
  boss_part_y = 0.0f;
  boss_aim_cos = 0.0f;
  boss_aim_sin = 0.0f;
  boss_final_phase_started = 0;
  // boss_wanted_facing is left alone: its boss sets it every frame before
  // reading it.
}

// Every field of every record to 0 but the configured buttons; then the
// character-choice column and the body box.
void reset_players() {
  for (player_data& record : player) {
    int32_t buttons[std::size(record.action_button)];
    std::memcpy(buttons, record.action_button, sizeof buttons);
    // The pad's bits of the last poll are the device's memory, not game
    // state: kept, a button held through the reset (the press that ends the
    // trial end or the ending, or confirms a return to the title) reads as
    // held on the title, not as a new press that would choose its first row.
    const int32_t pad_bits = record.pad_bits;
    const int32_t pad_bits_before = record.pad_bits_before;
    record = player_data{};
    std::memcpy(record.action_button, buttons, sizeof buttons);
    record.pad_bits = pad_bits;
    record.pad_bits_before = pad_bits_before;
    record.select_column = 1;
    record.width = 12;
    record.height = 12;
  }
}

}  // namespace

void reset_game() {
  reset_shell_state();
  reset_play_state();
  reset_floor_tables();
  reset_boss_state();
  reset_players();

  stairs_box_w = 7;
  stairs_box_h = 7;
  generator_box_w = 15;
  generator_box_h = 15;
  movable_rock_box_w = 14;
  movable_rock_box_h = 14;
  boss_target = 255;  // no target

  // The first play or scene frame loads the current area and floor.
  area_entry_request = 1;
}

void sort_ints(int32_t* array, int32_t count) {
  for (int32_t i = 0; i <= count - 2; ++i) {
    for (int32_t j = count - 1; j >= i + 1; --j) {
      if (array[j - 1] > array[j]) std::swap(array[j - 1], array[j]);
    }
  }
}

void sort_keys_with_values(int32_t* keys, int32_t count, int32_t* values) {
  for (int32_t i = 0; i <= count - 2; ++i) {
    for (int32_t j = count - 1; j >= i + 1; --j) {
      if (keys[j - 1] > keys[j]) {
        std::swap(keys[j - 1], keys[j]);
        std::swap(values[j - 1], values[j]);
      }
    }
  }
}

int32_t rects_overlap(float x1, float y1, int32_t w1, int32_t h1, float x2, float y2, int32_t w2,
                      int32_t h2) {
  // Edges in double precision: a float sum could round two separate edges
  // onto one value far from the origin.
  const double left1 = static_cast<double>(x1) - w1;
  const double right1 = static_cast<double>(x1) + w1;
  const double left2 = static_cast<double>(x2) - w2;
  const double right2 = static_cast<double>(x2) + w2;
  const bool x_meets = (left2 <= left1 && right2 >= left1) || (left1 <= left2 && right1 >= left2);
  if (!x_meets) return 0;

  const double top1 = static_cast<double>(y1) - h1;
  const double bottom1 = static_cast<double>(y1) + h1;
  const double top2 = static_cast<double>(y2) - h2;
  const double bottom2 = static_cast<double>(y2) + h2;
  const bool y_meets = (top2 <= top1 && bottom2 >= top1) || (top1 <= top2 && bottom1 >= top2);
  return y_meets ? 1 : 0;
}
