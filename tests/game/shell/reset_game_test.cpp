// The reset to the title state: every group of game state it clears, the
// values it sets, and what it must leave alone.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/draw/draw.h"
#include "game/enemies/enemies.h"
#include "game/scenes/scenes.h"
#include "game/shell/shell.h"
#include "game/world/world.h"

namespace {

// One global (scalar, array or record) seen as bytes.
struct Global {
  const char* name;
  void* address;
  size_t size;
};

#define GLOBAL(x) Global{#x, static_cast<void*>(&(x)), sizeof(x)}

// What the reset sets to 0, every byte of it.
const std::vector<Global>& cleared_globals() {
  static const std::vector<Global> globals = {
      // Shell.
      GLOBAL(game_status), GLOBAL(music_request), GLOBAL(music_current), GLOBAL(scene_number),
      GLOBAL(progress_flags), GLOBAL(fade_counter), GLOBAL(revive_stock),
      GLOBAL(menu_capture_counter), GLOBAL(se_title_cursor_request),
      GLOBAL(se_title_decide_request), GLOBAL(se_title_exit_request),
      GLOBAL(se_change_map_request), GLOBAL(se_pelune_shot4_request),
      GLOBAL(se_orven_shot_request), GLOBAL(se_boss_shot10_request), GLOBAL(se_potion_request),
      GLOBAL(se_pause_request), GLOBAL(se_damage_request), GLOBAL(se_enemy_disappear8_request),
      GLOBAL(se_boo_request), GLOBAL(se_boss_disappear_request), GLOBAL(se_get_item_request),
      GLOBAL(se_win_request), GLOBAL(se_player_damage_request), GLOBAL(se_fall_request),
      GLOBAL(se_shot_hit05_request),
      // Play state.
      GLOBAL(map_status), GLOBAL(present_map_number), GLOBAL(present_map_floor),
      GLOBAL(scroll_x), GLOBAL(scroll_y), GLOBAL(map_width), GLOBAL(map_height),
      GLOBAL(map_width_px), GLOBAL(map_height_px), GLOBAL(next_area), GLOBAL(next_floor),
      GLOBAL(next_x), GLOBAL(next_y), GLOBAL(scene_cell_latch), GLOBAL(scene_fade_level),
      GLOBAL(remain_item), GLOBAL(holly_counter), GLOBAL(death_appear_time),
      GLOBAL(death_appear_counter), GLOBAL(death_hp), GLOBAL(death_attack), GLOBAL(down_x),
      GLOBAL(down_y), GLOBAL(save_figure_counter),
      // Stairs.
      GLOBAL(stairs_count), GLOBAL(stairs_x), GLOBAL(stairs_y), GLOBAL(stairs_to_area),
      GLOBAL(stairs_to_floor), GLOBAL(stairs_to_x), GLOBAL(stairs_to_y),
      GLOBAL(stairs_exit_look),
      // Movable rocks and moving blocks.
      GLOBAL(movable_rock_count), GLOBAL(movable_rock_home_x), GLOBAL(movable_rock_home_y),
      GLOBAL(movable_rock_x), GLOBAL(movable_rock_y), GLOBAL(movable_rock_push_vx),
      GLOBAL(movable_rock_push_vy), GLOBAL(movable_rock_pushed), GLOBAL(moving_block),
      GLOBAL(moving_block_count),
      // Generators.
      GLOBAL(generator_count), GLOBAL(generator_x), GLOBAL(generator_y),
      GLOBAL(generator_active), GLOBAL(generator_kind), GLOBAL(generator_hp),
      GLOBAL(generator_interval), GLOBAL(generator_counter), GLOBAL(generator_blocked),
      GLOBAL(generator_hit_blink), GLOBAL(generator_death_fade),
      // Enemies, every field of all 16 records.
      GLOBAL(enemy),
      // Placed hazards.
      GLOBAL(set_enemy_count), GLOBAL(set_enemy_home_x), GLOBAL(set_enemy_home_y),
      GLOBAL(set_enemy_x), GLOBAL(set_enemy_y), GLOBAL(set_enemy_active), GLOBAL(set_enemy_kind),
      GLOBAL(set_enemy_hp), GLOBAL(set_enemy_width), GLOBAL(set_enemy_height),
      GLOBAL(set_enemy_variant), GLOBAL(set_enemy_tick), GLOBAL(set_enemy_cell),
      GLOBAL(set_enemy_push_vx), GLOBAL(set_enemy_push_vy), GLOBAL(set_enemy_pushed),
      GLOBAL(set_enemy_hit_blink), GLOBAL(set_enemy_death_fade),
      // Floor items.
      GLOBAL(floor_item_count), GLOBAL(floor_item_x), GLOBAL(floor_item_y),
      GLOBAL(floor_item_present), GLOBAL(floor_item_kind), GLOBAL(floor_item_hp),
      GLOBAL(floor_item_width), GLOBAL(floor_item_height), GLOBAL(floor_item_push_vx),
      GLOBAL(floor_item_push_vy), GLOBAL(floor_item_pushed), GLOBAL(floor_item_hit_blink),
      GLOBAL(floor_item_vanish), GLOBAL(floor_item_anim),
      // Dropped items.
      GLOBAL(dropped_item_present), GLOBAL(dropped_item_kind), GLOBAL(dropped_item_x),
      GLOBAL(dropped_item_y), GLOBAL(dropped_item_push_vx), GLOBAL(dropped_item_push_vy),
      GLOBAL(dropped_item_hp), GLOBAL(dropped_item_width), GLOBAL(dropped_item_height),
      GLOBAL(dropped_item_pushed), GLOBAL(dropped_item_hit_blink), GLOBAL(dropped_item_vanish),
      GLOBAL(dropped_item_anim),
      // Drawn flags.
      GLOBAL(set_enemy_drawn), GLOBAL(floor_item_drawn), GLOBAL(dropped_item_drawn),
      GLOBAL(movable_rock_drawn), GLOBAL(boss_drawn),
      // The current boss and its working state.
      GLOBAL(boss_id), GLOBAL(boss_active), GLOBAL(boss_x), GLOBAL(boss_y),
      GLOBAL(present_bossHP), GLOBAL(boss_attack), GLOBAL(boss_width), GLOBAL(boss_height),
      GLOBAL(boss_shot_width), GLOBAL(boss_shot_height), GLOBAL(boss_p_cnt), GLOBAL(boss_facing),
      GLOBAL(boss_vx), GLOBAL(boss_vy), GLOBAL(boss_pushed), GLOBAL(boss_anim),
      GLOBAL(boss_shot_cue), GLOBAL(boss_edge_turn), GLOBAL(boss_defeat_counter),
      GLOBAL(boss_hit), GLOBAL(boss_part_x), GLOBAL(boss_part_y), GLOBAL(boss_aim_cos),
      GLOBAL(boss_aim_sin), GLOBAL(boss_final_phase_started),
      // The boss shot pools.
      GLOBAL(boss_shot_state), GLOBAL(boss_shot_x), GLOBAL(boss_shot_y), GLOBAL(boss_shot_vx),
      GLOBAL(boss_shot_vy), GLOBAL(boss_shot_direction), GLOBAL(boss_shot_power),
      GLOBAL(boss_shot_age), GLOBAL(boss_shot_mode), GLOBAL(boss_shot_aim_x),
      GLOBAL(boss_shot_aim_y), GLOBAL(boss_shot_kind), GLOBAL(boss_shot_box_width),
      GLOBAL(boss_shot_box_height), GLOBAL(boss_shot_fade_alive), GLOBAL(boss_shot_fade_x),
      GLOBAL(boss_shot_fade_y), GLOBAL(boss_shot_fade_timer), GLOBAL(boss_shot_fade_kind),
  };
  return globals;
}

// What the reset must leave as it is: the item tables and boss rows (read
// again from the level files where needed) and the handles made at start-up.
const std::vector<Global>& kept_globals() {
  static const std::vector<Global> globals = {
      GLOBAL(item_table_pelune_house), GLOBAL(item_table_field01),
      GLOBAL(item_table_dansion01), GLOBAL(item_table_dansion02),
      GLOBAL(item_table_dansion02sub), GLOBAL(item_table_field02),
      GLOBAL(item_table_dansion03), GLOBAL(item_table_library), GLOBAL(item_table_dansion05),
      GLOBAL(item_table_dansion06), GLOBAL(item_table_field03), GLOBAL(item_table_dansion07),
      GLOBAL(item_table_dansion08), GLOBAL(item_table_dansion09), GLOBAL(item_table_ending),
      GLOBAL(item_count_pelune_house), GLOBAL(item_count_field01),
      GLOBAL(item_count_dansion01), GLOBAL(item_count_dansion02),
      GLOBAL(item_count_dansion02sub), GLOBAL(item_count_field02),
      GLOBAL(item_count_dansion03), GLOBAL(item_count_library), GLOBAL(item_count_dansion05),
      GLOBAL(item_count_dansion06), GLOBAL(item_count_field03), GLOBAL(item_count_dansion07),
      GLOBAL(item_count_dansion08), GLOBAL(item_count_dansion09), GLOBAL(item_count_ending),
      GLOBAL(boss_data_rows),
      GLOBAL(message_font), GLOBAL(roll_font), GLOBAL(pad_device), GLOBAL(back_screen_img),
      GLOBAL(se_get_item), GLOBAL(se_win), GLOBAL(collectpowerup),
  };
  return globals;
}

#undef GLOBAL

// Fills a global with a byte pattern that varies from byte to byte.
void scribble(const Global& global, uint8_t seed) {
  auto* bytes = static_cast<uint8_t*>(global.address);
  for (size_t i = 0; i < global.size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7 + 1);
}

std::vector<uint8_t> bytes_of(const Global& global) {
  const auto* bytes = static_cast<const uint8_t*>(global.address);
  return std::vector<uint8_t>(bytes, bytes + global.size);
}

// Index of the first non-zero byte, or -1.
long first_non_zero(const Global& global) {
  const auto* bytes = static_cast<const uint8_t*>(global.address);
  for (size_t i = 0; i < global.size; ++i) {
    if (bytes[i] != 0) return static_cast<long>(i);
  }
  return -1;
}

// Every global of the game filled with garbage before each test.
class ResetGameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    uint8_t seed = 3;
    for (const Global& global : cleared_globals()) scribble(global, seed++);
    for (const Global& global : kept_globals()) scribble(global, seed++);
    scribble({"player", &player, sizeof player}, seed++);
    scribble({"map_chip_layer", &map_chip_layer, sizeof map_chip_layer}, seed++);
    scribble({"map_cover_layer", &map_cover_layer, sizeof map_cover_layer}, seed++);
    scribble({"map_cell", &map_cell, sizeof map_cell}, seed++);
    menu_cursor = 3;
    player_count = 2;
    area_entry_request = 0;
    stairs_box_w = stairs_box_h = 0;
    generator_box_w = generator_box_h = 0;
    movable_rock_box_w = movable_rock_box_h = 0;
    boss_target = 2;
    for (const Global& global : kept_globals()) kept_before_.push_back(bytes_of(global));
  }

  std::vector<std::vector<uint8_t>> kept_before_;
};

TEST_F(ResetGameTest, ClearsEveryGroupOfGameState) {
  reset_game();
  for (const Global& global : cleared_globals()) {
    EXPECT_EQ(first_non_zero(global), -1) << global.name << " is not cleared";
  }
}

TEST_F(ResetGameTest, SetsTheTitleStartValues) {
  reset_game();
  EXPECT_EQ(game_status, 0);
  EXPECT_EQ(menu_cursor, 1);
  EXPECT_EQ(player_count, 4);
  EXPECT_EQ(area_entry_request, 1);
  EXPECT_EQ(stairs_box_w, 7);
  EXPECT_EQ(stairs_box_h, 7);
  EXPECT_EQ(generator_box_w, 15);
  EXPECT_EQ(generator_box_h, 15);
  EXPECT_EQ(movable_rock_box_w, 14);
  EXPECT_EQ(movable_rock_box_h, 14);
  EXPECT_EQ(boss_target, 255);
}

TEST_F(ResetGameTest, LeavesItemTablesBossRowsAndHandlesAlone) {
  reset_game();
  const auto& kept = kept_globals();
  for (size_t i = 0; i < kept.size(); ++i) {
    EXPECT_EQ(bytes_of(kept[i]), kept_before_[i]) << kept[i].name << " was changed";
  }
}

TEST_F(ResetGameTest, PlayersKeepOnlyTheirButtonsAndPadBitsThenGetColumnAndBodyBox) {
  for (int p = 0; p < 4; ++p) {
    for (int a = 0; a < 5; ++a) player[p].action_button[a] = (p * 5 + a) % 8;
    player[p].pad_bits = 0x10 << p;
    player[p].pad_bits_before = 0x3;
    player[p].actions[0] = 2;
    player[p].hp = 9;
  }
  reset_game();
  for (int p = 0; p < 4; ++p) {
    player_data expected{};
    for (int a = 0; a < 5; ++a) expected.action_button[a] = (p * 5 + a) % 8;
    expected.pad_bits = 0x10 << p;
    expected.pad_bits_before = 0x3;
    expected.select_column = 1;
    expected.width = 12;
    expected.height = 12;
    // The record holds only 32-bit fields, so compare it word by word.
    int32_t got_words[sizeof(player_data) / 4];
    int32_t expected_words[sizeof(player_data) / 4];
    std::memcpy(got_words, &player[p], sizeof got_words);
    std::memcpy(expected_words, &expected, sizeof expected_words);
    for (size_t w = 0; w < std::size(got_words); ++w) {
      EXPECT_EQ(got_words[w], expected_words[w]) << "player " << p << ", word " << w;
    }
  }
}

// Rows and columns 0 to 63 of each layer are cleared; row and column 64 keep
// their values.
TEST_F(ResetGameTest, ClearsMapLayersUpToRowAndColumn63) {
  struct Layer {
    const char* name;
    int32_t (*cells)[kMapGridSize];
  };
  const Layer layers[] = {{"map_chip_layer", map_chip_layer},
                          {"map_cover_layer", map_cover_layer},
                          {"map_cell", map_cell}};
  for (const Layer& layer : layers) {
    for (int row = 0; row < kMapGridSize; ++row) {
      for (int column = 0; column < kMapGridSize; ++column) layer.cells[row][column] = 77;
    }
  }
  reset_game();
  for (const Layer& layer : layers) {
    int wrong = 0;
    for (int row = 0; row < kMapGridSize; ++row) {
      for (int column = 0; column < kMapGridSize; ++column) {
        const int32_t expected = (row < 64 && column < 64) ? 0 : 77;
        if (layer.cells[row][column] != expected) ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0) << layer.name;
  }
}

}  // namespace
