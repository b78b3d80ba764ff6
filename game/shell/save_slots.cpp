// The three save slots: their files, filling a slot from the game state and
// restoring it, the load menu and the save menus.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "game/areas/area_table.h"
#include "game/areas/areas.h"
#include "game/shell/menu_common.h"
#include "game/shell/settings_table.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "runtime/system/api.h"

save_data save_slots[3];

namespace {

// The slot files are the memory images written whole: little-endian words.
static_assert(std::endian::native == std::endian::little);
static_assert(sizeof(save_data) == 6216);
static_assert(offsetof(save_data, progress_flags) == 20);
static_assert(offsetof(save_data, item_present) == 116);
static_assert(offsetof(save_data, boss_active) == 6004);
static_assert(offsetof(save_data, players) == 6040);
static_assert(sizeof(save_player_data) == 44);
static_assert(std::size(save_data{}.item_present[0]) == kItemRowsPerFloor);
static_assert(std::size(save_data{}.boss_active) == kBossRowCount);

constexpr const char* kSlotPaths[3] = {"patch/save_data0.dat", "patch/save_data1.dat",
                                       "patch/save_data2.dat"};
// Each slot is written here first and renamed over its file once complete.
constexpr const char* kSlotTempPaths[3] = {"patch/save_data0.dat.tmp", "patch/save_data1.dat.tmp",
                                           "patch/save_data2.dat.tmp"};

// Calls `each`(row) for every item row of every floor of every area, in slot
// order, with the index of the floor's block in the slot.
template <typename Each>
void for_each_item_row(Each each) {
  int32_t block = 0;
  for (const int32_t number : item_area_order) {
    const AreaTableRow& area = area_table[number];
    for (int32_t floor = 0; floor < area.floors; ++floor, ++block) {
      for (int32_t row = 0; row < kItemRowsPerFloor; ++row) {
        each(block, row, area.item_rows[floor][row]);
      }
    }
  }
}

// A used slot whose party, area, floor or characters the game cannot take
// reads as empty.
bool slot_is_playable(const save_data& slot) {
  if (slot.player_count < 1 || slot.player_count > 4) return false;
  if (slot.present_map_number < 0 || slot.present_map_number >= kAreaCount) return false;
  const int32_t floors = area_table[slot.present_map_number].floors;
  if (slot.present_map_floor < 0 || slot.present_map_floor >= floors) return false;
  for (const save_player_data& record : slot.players) {
    if (record.character < 0 || record.character > 3) return false;
  }
  return true;
}

// Item kinds that raise what a slot holds: the life-up adds a revival
// without limit; a floor crystal raises the taker's level.
constexpr int32_t kLifeUpKind = 9;
constexpr int32_t kFirstFloorCrystalKind = 21;
constexpr int32_t kLastFloorCrystalKind = 29;
// Attack, vitality and intelligence stop growing at 20; hp_max is vitality
// times a crystal's factor, at most 40.
constexpr int32_t kStatisticReach = 20;
constexpr int32_t kHpMaxReach = kStatisticReach * 40;
// Agility grows by 0.2 while below 4.0.
constexpr float kAgilityBaseReach = 4.2f;
constexpr int32_t kSpellStockReach = 9;

// The highest revival stock and level a game on these item tables can reach:
// the configured stock and every life-up taken; level 1, each boss's crystal
// and every floor crystal.
struct SlotReach {
  int32_t revive_stock;
  int32_t level;
};

SlotReach slot_reach() {
  SlotReach reach{kReviveStockMax, 1 + kBossRowCount};
  for_each_item_row([&reach](int32_t, int32_t, const item_data& item) {
    if (item.kind == kLifeUpKind) reach.revive_stock += 1;
    if (item.kind >= kFirstFloorCrystalKind && item.kind <= kLastFloorCrystalKind) reach.level += 1;
  });
  return reach;
}

void clamp_word(int32_t& value, int32_t low, int32_t high) {
  value = std::clamp(value, low, high);
}

// Brings every number of a playable slot into the range play can reach, so
// nothing read from the file indexes or sizes anything beyond what the game
// draws and counts. Story, item and boss flags are only ever compared, and
// stay as they are.
void clamp_slot_values(save_data& slot) {
  const SlotReach reach = slot_reach();
  clamp_word(slot.revive_stock, 0, reach.revive_stock);
  for (save_player_data& record : slot.players) {
    clamp_word(record.alive, 0, 1);
    clamp_word(record.level, 0, reach.level);
    clamp_word(record.hp_max, 0, kHpMaxReach);
    clamp_word(record.hp, 0, record.hp_max);
    float agility = std::bit_cast<float>(record.agility_base);
    if (!(agility >= 0.0f)) agility = 0.0f;  // negative or not a number
    if (agility > kAgilityBaseReach) agility = kAgilityBaseReach;
    record.agility_base = std::bit_cast<int32_t>(agility);
    clamp_word(record.attack_base, 0, kStatisticReach);
    clamp_word(record.vitality_base, 0, kStatisticReach);
    clamp_word(record.intelligence_base, 0, kStatisticReach);
    clamp_word(record.spell1_stock, 0, kSpellStockReach);
    clamp_word(record.spell2_stock, 0, kSpellStockReach);
  }
}

void read_slot(int32_t k) {
  save_data image{};
  bool whole = false;
  if (std::FILE* file = std::fopen(kSlotPaths[k], "rb")) {
    whole = std::fread(&image, sizeof image, 1, file) == 1;
    std::fclose(file);
  }
  if (!whole || (image.used != 0 && !slot_is_playable(image))) image = save_data{};
  if (image.used != 0) clamp_slot_values(image);
  save_slots[k] = image;
}

save_data slot_from_game_state() {
  save_data slot{};
  slot.used = 1;
  slot.player_count = player_count;
  slot.revive_stock = revive_stock;
  slot.present_map_number = present_map_number;
  slot.present_map_floor = present_map_floor;
  std::memcpy(slot.progress_flags, progress_flags, sizeof slot.progress_flags);
  for_each_item_row([&slot](int32_t block, int32_t row, const item_data& item) {
    slot.item_present[block][row] = item.present;
  });
  for (int32_t b = 0; b < kBossRowCount; ++b) slot.boss_active[b] = boss_data_rows[b].active;
  for (int32_t p = 0; p < 4; ++p) {
    const player_data& record = player[p];
    save_player_data& saved = slot.players[p];
    saved.character = record.character;
    saved.alive = record.alive;
    saved.level = record.level;
    saved.hp = record.hp;
    saved.hp_max = record.hp_max;
    saved.agility_base = std::bit_cast<int32_t>(record.agility_base);
    saved.attack_base = record.attack_base;
    saved.vitality_base = record.vitality_base;
    saved.intelligence_base = record.intelligence_base;
    saved.spell1_stock = record.spell1_stock;
    saved.spell2_stock = record.spell2_stock;
  }
  return slot;
}

// The save points of the floors a game is saved on, where a restored party
// starts; any other floor leaves the positions as they are.
struct StartPoint {
  int32_t area;
  int32_t floor;
  float x, y;
};
constexpr StartPoint kStartPoints[] = {
    {5, 1, 592.0f, 144.0f},
    {4, 3, 400.0f, 112.0f},
    {4, 4, 400.0f, 112.0f},
    {13, 0, 1136.0f, 208.0f},
};

void place_restored_party() {
  for (const StartPoint& point : kStartPoints) {
    if (point.area != present_map_number || point.floor != present_map_floor) continue;
    player[0].X = point.x;
    player[0].Y = point.y;
    camera_centre_x = static_cast<int32_t>(point.x);
    camera_centre_y = static_cast<int32_t>(point.y);
  }
  const float x = player[0].X;
  const float y = player[0].Y;
  player[1].X = x + 32.0f;
  player[1].Y = y;
  player[2].X = x;
  player[2].Y = y + 32.0f;
  player[3].X = x + 32.0f;
  player[3].Y = y + 32.0f;
  for (int32_t p = 0; p < player_count && p < 4; ++p) {
    player[p].facing = 4;  // down
    camera_anchor_x[p] = static_cast<int32_t>(player[p].X);
    camera_anchor_y[p] = static_cast<int32_t>(player[p].Y);
    camera_sorted_x[p] = camera_anchor_x[p];
    camera_sorted_y[p] = camera_anchor_y[p];
  }
}

// ---- Load and save menus ------------------------------------------------------------

constexpr int32_t kSlotReturnRow = 4;

void run_save_question() {
  step_menu_capture();
  if (menu_capture_counter == kMenuCaptureReady) {
    move_cursor_each_player(2);
    if (deciding_player() >= 0) {
      if (menu_cursor == 1) {
        // The slot choice opens on its return row, over the same picture.
        game_status = kStatusSaveSlotChoice;
        menu_cursor = kSlotReturnRow;
        clear_decide_actions();
        se_title_decide_request = 1;
      } else if (menu_cursor == 2) {
        leave_menu_to_play(true);
      }
    }
  }
  draw_menu_capture();
  ApiDrawGraphicAt(122, 100, slowdownnow_img, 1);
  draw_menu_row(240, 180, yes_img, yes_shade_img, 1);
  draw_menu_row(240, 250, no_img, no_shade_img, 2);
}

void run_slot_choice() {
  if (menu_capture_counter == kMenuCaptureReady) {
    move_cursor_each_player(4);
    if (deciding_player() >= 0) {
      if (menu_cursor >= 1 && menu_cursor <= 3) {
        if (write_save_slot(menu_cursor - 1) == 1) {
          leave_menu_to_play(false);
        } else {
          // The error is on screen; the choice stays open for another slot
          // or the return row.
          clear_decide_actions();
          se_title_exit_request = 1;
        }
      } else if (menu_cursor == kSlotReturnRow) {
        leave_menu_to_play(false);
      }
    }
  }
  draw_menu_capture();
  draw_menu_row(220, 60, save1_img, save1_shade_img, 1);
  draw_menu_row(220, 140, save2_img, save2_shade_img, 2);
  draw_menu_row(220, 220, save3_img, save3_shade_img, 3);
  draw_menu_row(260, 300, save_return_img, save_return_shade_img, kSlotReturnRow);
}

}  // namespace

void read_save_slots() {
  for (int32_t k = 0; k < 3; ++k) read_slot(k);
}

int32_t write_save_slot(int32_t k) {
  const save_data slot = slot_from_game_state();
  if (!write_file_safely(kSlotPaths[k], kSlotTempPaths[k], &slot, sizeof slot)) {
    ApiPrintToScreen("ファイル書き込みエラー\n");
    return 0;
  }
  save_slots[k] = slot;
  return 1;
}

void restore_save_slot(int32_t k) {
  const save_data& slot = save_slots[k];
  player_count = slot.player_count;
  revive_stock = slot.revive_stock;
  present_map_number = slot.present_map_number;
  present_map_floor = slot.present_map_floor;
  place_restored_party();

  std::memcpy(progress_flags, slot.progress_flags, sizeof progress_flags);
  for_each_item_row([&slot](int32_t block, int32_t row, item_data& item) {
    item.present = slot.item_present[block][row];
  });
  for (int32_t b = 0; b < kBossRowCount; ++b) boss_data_rows[b].active = slot.boss_active[b];

  for (int32_t p = 0; p < 4; ++p) {
    player_data& record = player[p];
    const save_player_data& saved = slot.players[p];
    record.character = saved.character;
    record.alive = saved.alive;
    record.level = saved.level;
    record.hp = saved.hp;
    record.hp_max = saved.hp_max;
    record.agility_base = std::bit_cast<float>(saved.agility_base);
    record.attack_base = saved.attack_base;
    record.vitality_base = saved.vitality_base;
    record.intelligence_base = saved.intelligence_base;
    record.spell1_stock = saved.spell1_stock;
    record.spell2_stock = saved.spell2_stock;
    record.shot_width = 6;
    record.shot_height = 6;
  }

  // The play field fades in from black.
  fade_counter = 1;
  ApiSetDrawBrightness(0, 0, 0);
}

void run_load_menu() {
  ApiDrawGraphicAt(0, 0, title_menu_img, 0);
  move_cursor_each_player(4);

  for (int32_t p = 0; p < player_count && p < 4; ++p) {
    if (player[p].actions[0] != 2) continue;
    if (menu_cursor >= 1 && menu_cursor <= 3) {
      const int32_t k = menu_cursor - 1;
      if (save_slots[k].used == 0) {
        se_title_exit_request = 1;  // an empty slot cannot be loaded
        break;
      }
      clear_decide_actions();
      restore_save_slot(k);
      menu_cursor = 1;
      se_title_decide_request = 1;
      game_status = kStatusPlay;
      break;
    }
    if (menu_cursor == kSlotReturnRow) {
      game_status = kStatusTitle;
      menu_cursor = 1;
      clear_decide_actions();
      se_title_exit_request = 1;
      return;
    }
  }

  draw_menu_row(220, 240, save1_img, save1_shade_img, 1);
  draw_menu_row(220, 300, save2_img, save2_shade_img, 2);
  draw_menu_row(220, 360, save3_img, save3_shade_img, 3);
  draw_menu_row(260, 420, save_return_img, save_return_shade_img, kSlotReturnRow);
}

void run_save_menu() {
  if (game_status == kStatusSaveQuestion) run_save_question();
  if (game_status == kStatusSaveSlotChoice) run_slot_choice();
}
