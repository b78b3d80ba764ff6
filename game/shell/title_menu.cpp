// The title menu, the player-count menu and the character choice that lead
// to a new game.
#include "game/scenes/scenes.h"
#include "game/shell/menu_common.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "runtime/system/api.h"

int32_t first_character_stock = 2;
int32_t second_character_stock = 2;
int32_t first_portrait_counter = 12;
int32_t second_portrait_counter = 12;
int32_t choice_done_count;
int32_t choice_done[4];

namespace {

// input_state indexes.
constexpr int32_t kRight = 1;
constexpr int32_t kLeft = 3;
// actions indexes.
constexpr int32_t kDecide = 0;
constexpr int32_t kBack = 4;

constexpr int32_t kFullStock = 2;

bool any_player_decided() {
  for (const player_data& record : player) {
    if (record.actions[kDecide] == 2) return true;
  }
  return false;
}

// ---- Player count ----------------------------------------------------------------

constexpr int32_t kCountRows = 5;
constexpr int32_t kCountReturnRow = 5;

void run_player_count() {
  ApiDrawGraphicAt(0, 0, title_menu_img, 0);
  move_cursor_any_player(kCountRows);

  // Row k is for k players: only the first k players can take it.
  for (int32_t k = 1; k <= 4; ++k) {
    if (menu_cursor != k) continue;
    for (int32_t p = 0; p < k; ++p) {
      if (player[p].actions[kDecide] != 2) continue;
      game_status = kStatusCharacterChoice;
      player_count = k;
      menu_cursor = 1;
      clear_decide_actions();
      se_title_decide_request = 1;
      return;
    }
  }
  if (menu_cursor == kCountReturnRow && any_player_decided()) {
    game_status = kStatusTitle;
    menu_cursor = 1;
    clear_decide_actions();
    se_title_exit_request = 1;
    return;
  }

  draw_menu_row(180, 230, select_one_img, select_one_shade_img, 1);
  draw_menu_row(180, 280, select_two_img, select_two_shade_img, 2);
  draw_menu_row(180, 330, select_three_img, select_three_shade_img, 3);
  draw_menu_row(180, 380, select_four_img, select_four_shade_img, 4);
  draw_menu_row(180, 430, select_return_img, select_return_shade_img, kCountReturnRow);
}

// ---- Character choice ----------------------------------------------------------------

struct ArrowPlace {
  int32_t offset;  // added to 257 x column
  int32_t y;
};
constexpr ArrowPlace kArrowPlaces[4] = {{-162, 197}, {-35, 197}, {-138, 130}, {-41, 130}};

const int32_t* arrow_image(int32_t p) {
  static const int32_t* const images[4] = {
      &select_character_arrow_1P_img2, &select_character_arrow_2P_img2,
      &select_character_arrow_3P_img2, &select_character_arrow_4P_img2};
  return images[p];
}

// The start values of a chosen character.
struct CharacterStart {
  float x, y;
  int32_t hp;
  float agility;
  int32_t attack, vitality, intelligence;
};
constexpr CharacterStart kFirstCharacter = {176.0f, 176.0f, 15, 2.2f, 8, 5, 5};
constexpr CharacterStart kSecondCharacter = {999.0f, 999.0f, 24, 1.8f, 6, 8, 8};
constexpr int32_t kShotBox = 6;

// Puts back the fields a choice set to the values of the title reset, so a
// record left behind by going back counts as an absent player.
void undo_choice(player_data& record) {
  record.character = 0;
  record.alive = 0;
  record.level = 0;
  record.walk_anim = 0;
  record.X = 0.0f;
  record.Y = 0.0f;
  record.hp_max = 0;
  record.hp = 0;
  record.agility_base = 0.0f;
  record.attack_base = 0;
  record.vitality_base = 0;
  record.intelligence_base = 0;
  record.shot_width = 0;
  record.shot_height = 0;
}

void go_back_to_player_count(int32_t p) {
  // Players who had chosen would otherwise stay up beyond a smaller party,
  // and a game with a record that never goes down could never end.
  for (int32_t q = 0; q < 4; ++q) {
    if (choice_done[q] == 1) undo_choice(player[q]);
  }
  game_status = kStatusPlayerCount;
  player_count = 4;
  first_character_stock = kFullStock;
  second_character_stock = kFullStock;
  choice_done_count = 0;
  menu_cursor = 1;
  player[p].actions[kBack] = 0;
  for (int32_t q = 0; q < 4; ++q) {
    choice_done[q] = 0;
    player[q].select_column = 1;
  }
  se_title_exit_request = 1;
}

void take_character(int32_t p, int32_t column, int32_t& stock) {
  player_data& record = player[p];
  menu_cursor = 1;
  // The first colours while the character is still free, else the second.
  record.character = stock == kFullStock ? column - 1 : column + 1;
  stock -= 1;
  record.alive = 1;
  record.level = 1;
  record.walk_anim = 0;
  record.actions[kDecide] = 0;
  const CharacterStart& start = column == 1 ? kFirstCharacter : kSecondCharacter;
  record.X = start.x;
  record.Y = start.y;
  record.hp_max = start.hp;
  record.hp = start.hp;
  record.agility_base = start.agility;
  record.attack_base = start.attack;
  record.vitality_base = start.vitality;
  record.intelligence_base = start.intelligence;
  record.shot_width = kShotBox;
  record.shot_height = kShotBox;
  se_title_decide_request = 1;
  choice_done_count += 1;
  choice_done[p] = 1;

  if (choice_done_count == player_count) {
    game_status = kStatusScene;
    // The opening scene follows the characters taken.
    if (first_character_stock < kFullStock && second_character_stock == kFullStock) {
      scene_number = 101;
    } else if (first_character_stock == kFullStock && second_character_stock < kFullStock) {
      scene_number = 102;
    } else if (first_character_stock < kFullStock && second_character_stock < kFullStock) {
      scene_number = 103;
    }
  }
}

// One portrait: animated while a player who has not chosen stands in its
// column, else its still frame darkened.
void draw_portrait(int32_t column, int32_t& counter, int32_t stock, const int32_t (&first)[32],
                   const int32_t (&second)[32], int32_t x) {
  const int32_t(&sheet)[32] = stock == kFullStock ? first : second;
  for (int32_t p = 0; p < player_count && p < 4; ++p) {
    if (choice_done[p] == 1 || player[p].select_column != column) continue;
    counter += 1;
    if (counter == 64) counter = 0;
    ApiDrawGraphicAt(x, 180, sheet[16 + counter / 16], 1);
    return;
  }
  ApiSetDrawBrightness(180, 180, 180);
  ApiDrawGraphicAt(x, 180, sheet[16], 1);
  ApiSetDrawBrightness(255, 255, 255);
}

void run_character_choice() {
  ApiDrawGraphicAt(64, 16, select_character_back_ground_img, 0);
  ApiDrawGraphicAt(0, 0, back_screen_img, 1);

  for (int32_t p = 0; p < player_count && p < 4; ++p) {
    if (choice_done[p] == 1) continue;
    player_data& record = player[p];

    if (record.input_state[kLeft] == 2 || record.input_state[kRight] == 2) {
      record.select_column = record.select_column == 1 ? 2 : 1;
      se_title_cursor_request = 1;
    }

    const ArrowPlace& place = kArrowPlaces[p];
    ApiDrawGraphicAt(257 * record.select_column + place.offset, place.y, *arrow_image(p), 1);

    if (record.actions[kBack] == 2) {
      go_back_to_player_count(p);
      return;
    }

    const int32_t column = record.select_column;
    if (record.actions[kDecide] == 2 && (column == 1 || column == 2)) {
      int32_t& stock = column == 1 ? first_character_stock : second_character_stock;
      if (stock > 0) {
        take_character(p, column, stock);
      } else {
        se_title_exit_request = 1;
      }
    }
  }

  draw_portrait(1, first_portrait_counter, first_character_stock, dot_pelune_img3248,
                dot_pelune_2P_img, 176);
  draw_portrait(2, second_portrait_counter, second_character_stock, dot_orven_img3248,
                dot_orven_2P_img, 432);

  if (game_status == kStatusScene) {
    choice_done_count = 0;
    first_character_stock = kFullStock;
    second_character_stock = kFullStock;
    for (int32_t p = 0; p < player_count && p < 4; ++p) choice_done[p] = 0;
  }
}

}  // namespace

void run_title_menu() {
  ApiDrawGraphicAt(0, 0, title_menu_img, 0);
  move_cursor_any_player(4);

  if (any_player_decided()) {
    switch (menu_cursor) {
      case 1:
      case 2:
      case 3:
        game_status = menu_cursor == 1   ? kStatusPlayerCount
                      : menu_cursor == 2 ? kStatusLoadMenu
                                         : kStatusButtonConfig;
        menu_cursor = 1;
        clear_decide_actions();
        se_title_decide_request = 1;
        return;
      case 4:
        game_status = kStatusEnd;
        se_title_exit_request = 1;
        return;
      default:
        break;
    }
  }

  draw_menu_row(220, 240, select_start_img, select_start_shade_img, 1);
  draw_menu_row(200, 300, select_continue_img, select_continue_shade_img, 2);
  draw_menu_row(220, 360, select_config_img, select_config_shade_img, 3);
  draw_menu_row(220, 420, select_end_img, select_end_shade_img, 4);
}

void run_player_select() {
  if (game_status == kStatusPlayerCount) run_player_count();
  if (game_status == kStatusCharacterChoice) run_character_choice();
}

void start_new_game() {
  progress_flags[19] = 1;  // the closing scene counts as played
}
