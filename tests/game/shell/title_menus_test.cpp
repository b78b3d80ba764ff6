// The title menu, the player-count menu and the character choice: rows,
// cursor, decisions, the characters' start values, going back, and the
// same-frame hand-overs from the title to a new game.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "game/scenes/scenes.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/game/shell/menu_test_support.h"
#include "tests/support/api_fake/api_fake.h"

namespace {

class TitleMenusTest : public ::testing::Test {
 protected:
  void SetUp() override { StartAtTitle(); }
};

// ---- Title -----------------------------------------------------------------------

TEST_F(TitleMenusTest, TitleCursorTakesAnyPlayerUpFirstAndWraps) {
  struct Case {
    const char* label;
    int32_t from;
    std::vector<std::pair<int, int>> presses;  // (player, direction)
    int32_t to;
  };
  const Case cases[] = {
      {"up from the first row wraps", 1, {{0, kUp}}, 4},
      {"up", 3, {{0, kUp}}, 2},
      {"down", 2, {{0, kDown}}, 3},
      {"down from the last row wraps", 4, {{0, kDown}}, 1},
      {"fourth player counts with one player", 2, {{3, kDown}}, 3},
      {"one move a frame, up first", 2, {{0, kDown}, {1, kUp}, {2, kUp}}, 1},
      {"no press", 2, {}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ClearInput();
    player_count = 1;
    game_status = kStatusTitle;
    menu_cursor = c.from;
    for (const auto& [p, direction] : c.presses) player[p].input_state[direction] = 2;
    run_title_menu();
    EXPECT_EQ(menu_cursor, c.to);
    EXPECT_EQ(se_title_cursor_request, c.presses.empty() ? 0 : 1);
  }
}

TEST_F(TitleMenusTest, TitleDecisionsLeaveWithoutDrawingTheRows) {
  struct Case {
    int32_t row;
    int32_t status;
    bool cancel_sound;
  };
  const Case cases[] = {{1, kStatusPlayerCount, false},
                        {2, kStatusLoadMenu, false},
                        {3, kStatusButtonConfig, false},
                        {4, kStatusEnd, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    ClearInput();
    api_fake().calls.clear();
    game_status = kStatusTitle;
    menu_cursor = c.row;
    player[3].actions[0] = 2;  // any player decides
    player[0].actions[0] = 2;
    run_title_menu();
    EXPECT_EQ(game_status, c.status);
    EXPECT_EQ(se_title_exit_request, c.cancel_sound ? 1 : 0);
    EXPECT_EQ(se_title_decide_request, c.cancel_sound ? 0 : 1);
    EXPECT_EQ(Draws(), (std::vector<Draw>{{0, 0, title_menu_img, 0}}));
    if (!c.cancel_sound) {
      EXPECT_EQ(menu_cursor, 1);
      EXPECT_EQ(player[0].actions[0], 0);
      EXPECT_EQ(player[3].actions[0], 0);
    }
  }
}

TEST_F(TitleMenusTest, TitleDrawsItsRowsLitOrDim) {
  menu_cursor = 2;
  run_title_menu();
  EXPECT_EQ(Draws(), (std::vector<Draw>{{0, 0, title_menu_img, 0},
                                        {220, 240, select_start_shade_img, 1},
                                        {200, 300, select_continue_img, 1},
                                        {220, 360, select_config_shade_img, 1},
                                        {220, 420, select_end_shade_img, 1}}));
}

// ---- Player count ------------------------------------------------------------------

TEST_F(TitleMenusTest, PlayerCountRowIsTakenOnlyByItsFirstPlayers) {
  struct Case {
    int32_t row;
    int player;
    int32_t status;  // after the call
    int32_t count;
  };
  const Case cases[] = {
      {1, 0, kStatusCharacterChoice, 1}, {1, 1, kStatusPlayerCount, 4},
      {1, 3, kStatusPlayerCount, 4},     {2, 1, kStatusCharacterChoice, 2},
      {3, 2, kStatusCharacterChoice, 3}, {3, 3, kStatusPlayerCount, 4},
      {4, 3, kStatusCharacterChoice, 4}, {5, 3, kStatusTitle, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "row " << c.row << " player " << c.player);
    ClearInput();
    api_fake().calls.clear();
    game_status = kStatusPlayerCount;
    player_count = 4;
    menu_cursor = c.row;
    player[c.player].actions[0] = 2;
    run_player_select();
    EXPECT_EQ(game_status, c.status);
    EXPECT_EQ(player_count, c.count);
    const bool taken = c.status != kStatusPlayerCount;
    EXPECT_EQ(se_title_decide_request, taken && c.row < 5 ? 1 : 0);
    EXPECT_EQ(se_title_exit_request, c.row == 5 ? 1 : 0);
    if (taken) {
      EXPECT_EQ(menu_cursor, 1);
      EXPECT_EQ(player[c.player].actions[0], 0);
      EXPECT_FALSE(Drew(select_one_img) || Drew(select_one_shade_img));
    }
    // A count taken shows the character choice in the same call.
    EXPECT_EQ(Drew(select_character_back_ground_img), c.status == kStatusCharacterChoice);
  }
}

TEST_F(TitleMenusTest, PlayerCountDrawsFiveRowsAndWrapsOverThem) {
  game_status = kStatusPlayerCount;
  menu_cursor = 1;
  player[2].input_state[kUp] = 2;
  run_player_select();
  EXPECT_EQ(menu_cursor, 5);
  EXPECT_EQ(Draws(), (std::vector<Draw>{{0, 0, title_menu_img, 0},
                                        {180, 230, select_one_shade_img, 1},
                                        {180, 280, select_two_shade_img, 1},
                                        {180, 330, select_three_shade_img, 1},
                                        {180, 380, select_four_shade_img, 1},
                                        {180, 430, select_return_img, 1}}));
  ClearInput();
  player[0].input_state[kDown] = 2;
  run_player_select();
  EXPECT_EQ(menu_cursor, 1);
}

// ---- Character choice ------------------------------------------------------------------

class CharacterChoiceTest : public TitleMenusTest {
 protected:
  void Enter(int32_t count) {
    game_status = kStatusCharacterChoice;
    player_count = count;
    ClearInput();
  }
  // One frame of the choice with the given players' decide pressed.
  void DecideFrame(std::vector<int> players) {
    ClearInput();
    for (int p : players) player[p].actions[0] = 2;
    run_player_select();
  }
};

TEST_F(CharacterChoiceTest, CharactersAndOpeningSceneFollowTheColumnsTaken) {
  struct Case {
    int32_t column0, column1;
    int32_t character0, character1;
    int32_t scene;
  };
  const Case cases[] = {
      {1, 1, 0, 2, 101},
      {2, 2, 1, 3, 102},
      {1, 2, 0, 1, 103},
      {2, 1, 1, 0, 103},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.column0 << c.column1);
    StartAtTitle();
    Enter(2);
    player[0].select_column = c.column0;
    player[1].select_column = c.column1;
    // Both decide in one frame: player order, the second sees the lowered stock.
    DecideFrame({0, 1});
    EXPECT_EQ(player[0].character, c.character0);
    EXPECT_EQ(player[1].character, c.character1);
    EXPECT_EQ(game_status, kStatusScene);
    EXPECT_EQ(scene_number, c.scene);
    // Leaving the choice puts its bookkeeping back.
    EXPECT_EQ(first_character_stock, 2);
    EXPECT_EQ(second_character_stock, 2);
    EXPECT_EQ(choice_done_count, 0);
    EXPECT_EQ(choice_done[0], 0);
    EXPECT_EQ(choice_done[1], 0);
  }
}

TEST_F(CharacterChoiceTest, ChosenPlayerGetsTheCharactersStartValues) {
  struct Case {
    int32_t column;
    float x;
    int32_t hp;
    float agility;
    int32_t attack, vitality, intelligence;
  };
  const Case cases[] = {{1, 176.0f, 15, 2.2f, 8, 5, 5}, {2, 999.0f, 24, 1.8f, 6, 8, 8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.column);
    StartAtTitle();
    Enter(2);
    player[1].select_column = c.column;
    player[1].walk_anim = 30;
    DecideFrame({1});
    const player_data& r = player[1];
    EXPECT_EQ(r.alive, 1);
    EXPECT_EQ(r.level, 1);
    EXPECT_EQ(r.walk_anim, 0);
    EXPECT_EQ(r.X, c.x);
    EXPECT_EQ(r.Y, c.x);
    EXPECT_EQ(r.hp_max, c.hp);
    EXPECT_EQ(r.hp, c.hp);
    EXPECT_EQ(r.agility_base, c.agility);
    EXPECT_EQ(r.attack_base, c.attack);
    EXPECT_EQ(r.vitality_base, c.vitality);
    EXPECT_EQ(r.intelligence_base, c.intelligence);
    EXPECT_EQ(r.shot_width, 6);
    EXPECT_EQ(r.shot_height, 6);
    EXPECT_EQ(r.actions[0], 0);
    EXPECT_EQ(choice_done[1], 1);
    EXPECT_EQ(choice_done_count, 1);
    EXPECT_EQ(se_title_decide_request, 1);
    EXPECT_EQ(game_status, kStatusCharacterChoice);  // player 1 has not chosen
    EXPECT_EQ(player[0].alive, 0);
  }
}

TEST_F(CharacterChoiceTest, ATakenCharacterOnlyGivesTheCancelSound) {
  Enter(3);
  DecideFrame({0, 1});  // both take the first character
  EXPECT_EQ(first_character_stock, 0);
  DecideFrame({2});  // the third player stands in column 1 too
  EXPECT_EQ(choice_done[2], 0);
  EXPECT_EQ(player[2].alive, 0);
  EXPECT_EQ(se_title_exit_request, 1);
  EXPECT_EQ(se_title_decide_request, 0);
  EXPECT_EQ(game_status, kStatusCharacterChoice);
}

TEST_F(CharacterChoiceTest, ChosenPlayersTakeNoMoreInput) {
  Enter(2);
  DecideFrame({0});
  ClearInput();
  player[0].input_state[kRight] = 2;
  player[0].actions[0] = 2;
  run_player_select();
  EXPECT_EQ(player[0].select_column, 1);
  EXPECT_EQ(choice_done_count, 1);
  EXPECT_EQ(first_character_stock, 1);
}

// Going back restores four players, both stocks and every column, and puts
// the records of players who had already chosen back to the title state: a
// record left up beyond a smaller party would never go down, and a game with
// it could never end.
TEST_F(CharacterChoiceTest, GoingBackUndoesEveryChoiceMade) {
  Enter(3);
  player[1].select_column = 2;
  DecideFrame({0, 1});
  ASSERT_EQ(player[0].alive, 1);
  ClearInput();
  player[2].select_column = 2;
  player[2].actions[4] = 2;
  run_player_select();

  EXPECT_EQ(game_status, kStatusPlayerCount);
  EXPECT_EQ(player_count, 4);
  EXPECT_EQ(first_character_stock, 2);
  EXPECT_EQ(second_character_stock, 2);
  EXPECT_EQ(choice_done_count, 0);
  EXPECT_EQ(menu_cursor, 1);
  EXPECT_EQ(se_title_exit_request, 1);
  EXPECT_EQ(player[2].actions[4], 0);
  for (int p = 0; p < 4; ++p) {
    SCOPED_TRACE(p);
    const player_data& r = player[p];
    EXPECT_EQ(choice_done[p], 0);
    EXPECT_EQ(r.select_column, 1);
    EXPECT_EQ(r.alive, 0);
    EXPECT_EQ(r.character, 0);
    EXPECT_EQ(r.level, 0);
    EXPECT_EQ(r.hp, 0);
    EXPECT_EQ(r.hp_max, 0);
    EXPECT_EQ(r.X, 0.0f);
    EXPECT_EQ(r.agility_base, 0.0f);
    EXPECT_EQ(r.attack_base, 0);
    EXPECT_EQ(r.shot_width, 0);
    EXPECT_EQ(r.width, 12);  // the reset's body box stays
    for (int a = 0; a < 5; ++a) EXPECT_EQ(r.action_button[a], a);
  }

  // A one-player game chosen afterwards has exactly one record up.
  game_status = kStatusCharacterChoice;
  player_count = 1;
  DecideFrame({0});
  EXPECT_EQ(game_status, kStatusScene);
  EXPECT_EQ(player[0].alive, 1);
  EXPECT_EQ(player[1].alive + player[2].alive + player[3].alive, 0);
}

TEST_F(CharacterChoiceTest, ColumnsMoveOnceAFrameAndPlaceEachArrow) {
  struct Case {
    int player;
    std::vector<int> presses;
    int32_t column;
    int64_t arrow_x, arrow_y;
  };
  const Case cases[] = {
      {0, {kLeft}, 2, 514 - 162, 197},  {1, {kRight}, 2, 514 - 35, 197},
      {2, {kLeft, kRight}, 2, 514 - 138, 130}, {3, {}, 1, 257 - 41, 130},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.player);
    StartAtTitle();
    Enter(4);
    for (int direction : c.presses) player[c.player].input_state[direction] = 2;
    run_player_select();
    EXPECT_EQ(player[c.player].select_column, c.column);
    EXPECT_EQ(se_title_cursor_request, c.presses.empty() ? 0 : 1);
    const int32_t arrows[4] = {select_character_arrow_1P_img2, select_character_arrow_2P_img2,
                               select_character_arrow_3P_img2, select_character_arrow_4P_img2};
    bool found = false;
    for (const Draw& d : Draws()) {
      if (d.handle == arrows[c.player]) {
        EXPECT_EQ(d, (Draw{c.arrow_x, c.arrow_y, arrows[c.player], 1}));
        found = true;
      }
    }
    EXPECT_TRUE(found);
  }
}

TEST_F(CharacterChoiceTest, PortraitsAnimateWhileAPlayerStandsInTheirColumn) {
  Enter(2);
  first_portrait_counter = 47;
  second_portrait_counter = 5;
  run_player_select();
  // Column 1 has a player: counter 48, cell 16 + 3. Column 2 has none: its
  // still cell, darkened.
  EXPECT_EQ(first_portrait_counter, 48);
  EXPECT_EQ(second_portrait_counter, 5);
  const std::vector<Draw> draws = Draws();
  ASSERT_GE(draws.size(), 4u);
  EXPECT_EQ(draws[0], (Draw{64, 16, select_character_back_ground_img, 0}));
  EXPECT_EQ(draws[1], (Draw{0, 0, back_screen_img, 1}));
  EXPECT_EQ(draws[draws.size() - 2], (Draw{176, 180, dot_pelune_img3248[19], 1}));
  EXPECT_EQ(draws.back(), (Draw{432, 180, dot_orven_img3248[16], 1}));
  EXPECT_EQ(Brightness(), (std::vector<int64_t>{180, 255}));

  // The counter runs 0 to 63; once one player took the first character, the
  // second colours are shown.
  first_portrait_counter = 63;
  DecideFrame({1});
  api_fake().calls.clear();
  run_player_select();
  EXPECT_EQ(first_portrait_counter, 1);
  EXPECT_TRUE(Drew(dot_pelune_2P_img[16]));
}

TEST_F(TitleMenusTest, NewGameMarksTheClosingSceneAsPlayed) {
  start_new_game();
  EXPECT_EQ(progress_flags[19], 1);
}

// ---- Hand-overs through the frame loop ----------------------------------------------------

// Pad bits of player 1's joypad by frame; the window closes after `frames`.
void RunFrames(int frames, std::map<int, int32_t> pad1_by_frame) {
  api_fake().pad_input = [pad1_by_frame](int32_t input_set, int frame) {
    if (input_set != 1) return 0;
    auto found = pad1_by_frame.find(frame);
    return found != pad1_by_frame.end() ? found->second : 0;
  };
  api_fake().process_message = [frames](int frame) { return frame >= frames ? -1 : 0; };
  main_loop();
}

bool DrewInFrame(int frame, int32_t handle) {
  for (const ApiCall& c : api_fake().CallsInFrame(frame))
    if (c.name == "ApiDrawGraphicAt" && c.args[2] == handle) return true;
  return false;
}

// Each decision shows the next screen in the frame it is made: the title's
// start row shows the count menu, the count shows the character choice, and
// the last choice hands over to the scene state with the new game begun.
TEST_F(TitleMenusTest, EachScreenOfANewGameTakesOverInTheFrameOfItsDecision) {
  constexpr int32_t kDecideBit = 0x10;  // button 0
  RunFrames(5, {{0, kDecideBit}, {2, kDecideBit}, {4, kDecideBit}});

  EXPECT_TRUE(DrewInFrame(0, title_menu_img));
  EXPECT_TRUE(DrewInFrame(0, select_one_img));  // the count menu, row 1 lit
  EXPECT_FALSE(DrewInFrame(0, select_character_back_ground_img));

  EXPECT_TRUE(DrewInFrame(2, title_menu_img));  // the count menu deciding
  EXPECT_TRUE(DrewInFrame(2, select_character_back_ground_img));
  EXPECT_EQ(player_count, 1);

  EXPECT_TRUE(DrewInFrame(4, select_character_back_ground_img));
  // The choice starts the opening scene in the same frame; the scene's own
  // frame then decides where the game goes (the stand-in scene hands straight
  // back to play).
  EXPECT_NE(game_status, kStatusCharacterChoice);
  EXPECT_EQ(scene_number, 101);
  EXPECT_EQ(progress_flags[19], 1);
  EXPECT_EQ(player[0].character, 0);
  EXPECT_EQ(api_fake().Count("ApiFlipScreen"), 5);
}

}  // namespace
