// The pause menu over its captured picture, the two confirmations and the
// game-over screen.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/game/shell/menu_test_support.h"
#include "tests/support/api_fake/api_fake.h"

namespace {

class PauseMenusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartAtTitle();
    player_count = 2;
    game_status = kStatusPause;
  }

  // Runs the pause menu until it takes input (its ninth frame) with nothing
  // pressed; returns the picture's handle.
  int32_t OpenPause() {
    for (int frame = 0; frame < 9; ++frame) {
      ClearInput();
      run_pause_menu();
    }
    EXPECT_EQ(menu_capture_counter, 10);
    ClearInput();
    api_fake().calls.clear();
    return menu_capture_img;
  }
};

TEST_F(PauseMenusTest, LeadInCapturesTheScreenAndTakesInputFromItsNinthFrame) {
  std::vector<int64_t> levels;
  for (int frame = 1; frame <= 9; ++frame) {
    SCOPED_TRACE(frame);
    api_fake().calls.clear();
    ClearInput();
    player[1].actions[0] = 2;  // decide pressed on every frame, row 1 (continue)
    run_pause_menu();
    if (frame == 1) {
      const std::vector<ApiCall> made = api_fake().Calls("ApiMakeEmptyGraphic");
      ASSERT_EQ(made.size(), 1u);
      EXPECT_EQ(made[0].args, (std::vector<int64_t>{640, 480, 0}));
      const std::vector<ApiCall> copied = api_fake().Calls("ApiCopyScreenToGraphic");
      ASSERT_EQ(copied.size(), 1u);
      EXPECT_EQ(copied[0].args, (std::vector<int64_t>{0, 0, 640, 480, menu_capture_img, 1}));
    } else {
      EXPECT_EQ(api_fake().Count("ApiMakeEmptyGraphic"), 0);
    }
    levels.push_back(Brightness().front());
    EXPECT_EQ(game_status, frame < 9 ? kStatusPause : kStatusPlay);
  }
  // The picture brightens from 235 as the counter runs up from 2; in the
  // ninth frame the press is taken and the counter is back at 0.
  EXPECT_EQ(levels, (std::vector<int64_t>{235, 225, 215, 205, 195, 185, 175, 165, 255}));
}

TEST_F(PauseMenusTest, PauseRowsLeaveToPlayOrOpenAConfirmationOverTheSamePicture) {
  struct Case {
    int32_t row;
    int32_t status;
    bool cancel_sound;
    bool picture_deleted;
  };
  const Case cases[] = {{1, kStatusPlay, false, true},
                        {2, kStatusReturnConfirm, true, false},
                        {3, kStatusExitConfirm, true, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    SetUp();
    const int32_t picture = OpenPause();
    menu_cursor = c.row;
    player[1].actions[0] = 2;
    player[0].actions[0] = 2;
    run_pause_menu();
    EXPECT_EQ(game_status, c.status);
    EXPECT_EQ(menu_cursor, 1);
    EXPECT_EQ(player[0].actions[0], 0);
    EXPECT_EQ(player[1].actions[0], 0);
    EXPECT_EQ(se_title_exit_request, c.cancel_sound ? 1 : 0);
    EXPECT_EQ(se_title_decide_request, c.cancel_sound ? 0 : 1);
    EXPECT_EQ(menu_capture_counter, c.picture_deleted ? 0 : 10);
    const std::vector<ApiCall> deleted = api_fake().Calls("ApiDeleteGraphic");
    ASSERT_EQ(deleted.size(), c.picture_deleted ? 1u : 0u);
    if (c.picture_deleted) {
      EXPECT_EQ(deleted[0].args, (std::vector<int64_t>{picture, 0}));
      // The picture once more at full brightness before the menu's own rows.
      const std::vector<Draw> draws = Draws();
      ASSERT_EQ(draws.size(), 5u);
      EXPECT_EQ(draws[0], (Draw{0, 0, picture, 0}));
      EXPECT_EQ(draws[2], (Draw{160, 90, continue_img, 1}));
    }
  }
}

TEST_F(PauseMenusTest, PauseDrawsItsRowsOverTheDarkenedPicture) {
  const int32_t picture = OpenPause();
  player[0].input_state[kDown] = 2;
  player[1].input_state[kDown] = 2;  // each player moves the cursor
  run_pause_menu();
  EXPECT_EQ(menu_cursor, 3);
  EXPECT_EQ(Brightness(), (std::vector<int64_t>{155, 255}));
  EXPECT_EQ(Draws(), (std::vector<Draw>{{0, 0, picture, 0},
                                        {160, 90, continue_shade_img, 1},
                                        {160, 170, return_1_shade_img, 1},
                                        {160, 250, exit_1_img, 1}}));
  ClearInput();
  player[1].input_state[kDown] = 2;
  run_pause_menu();
  EXPECT_EQ(menu_cursor, 1);
}

TEST_F(PauseMenusTest, ConfirmationTakesInputAtOnceAndOpensOnNo) {
  const int32_t picture = OpenPause();
  menu_cursor = 2;
  player[0].actions[0] = 2;
  run_pause_menu();
  ASSERT_EQ(game_status, kStatusReturnConfirm);
  // The same frame's confirmation: the press was used, the cursor is on no.
  api_fake().calls.clear();
  run_return_confirm();
  EXPECT_EQ(Draws(), (std::vector<Draw>{{0, 0, picture, 0},
                                        {115, 100, return_2_img, 1},
                                        {240, 180, no_img, 1},
                                        {240, 250, yes_shade_img, 1}}));
  // Next frame: no leaves to play.
  ClearInput();
  player[1].actions[0] = 2;
  run_return_confirm();
  EXPECT_EQ(game_status, kStatusPlay);
  EXPECT_EQ(se_title_decide_request, 1);
  EXPECT_EQ(api_fake().Count("ApiDeleteGraphic"), 1);
}

TEST_F(PauseMenusTest, ReturnConfirmationDoesNothingBeforeThePictureIsReady) {
  game_status = kStatusReturnConfirm;
  menu_capture_counter = 9;
  player[0].actions[0] = 2;
  menu_cursor = 2;
  run_return_confirm();
  EXPECT_EQ(game_status, kStatusReturnConfirm);
  EXPECT_TRUE(api_fake().calls.empty());
}

TEST_F(PauseMenusTest, ConfirmedReturnBringsBackTheTitleStateAndTheSettings) {
  ScratchFolder folder;
  std::string config;
  for (int i = 0; i < 20; ++i) config += std::to_string(7 - i % 5) + "\n";
  config += "6\n";
  ScratchFolder::Write("config_data.dat", config);
  ScratchFolder::Write("pad.dat", "5\n5\n5\n5\n");
  std::string slot(6216, '\0');
  slot[0] = 1;
  slot[4] = 1;  // one player, area 0, floor 0
  ScratchFolder::Write("patch/save_data2.dat", slot);

  const int32_t picture = OpenPause();
  progress_flags[3] = 1;
  revive_stock = 2;
  player[0].alive = 1;
  menu_cursor = 2;
  player[0].actions[0] = 2;
  run_pause_menu();
  player[0].actions[0] = 2;
  menu_cursor = 2;  // yes
  api_fake().calls.clear();
  run_return_confirm();

  EXPECT_EQ(game_status, kStatusTitle);
  EXPECT_EQ(menu_cursor, 1);
  EXPECT_EQ(se_title_exit_request, 0);  // cleared by the reset with every request
  EXPECT_EQ(progress_flags[3], 0);
  EXPECT_EQ(player[0].alive, 0);
  EXPECT_EQ(menu_capture_counter, 0);
  EXPECT_EQ(fade_counter, 1);
  EXPECT_EQ(revive_stock, 6);
  EXPECT_EQ(player[2].action_button[1], 6);
  EXPECT_EQ(pad_device[3], 5);
  EXPECT_EQ(save_slots[2].used, 1);
  EXPECT_EQ(api_fake().Calls("ApiDeleteGraphic").at(0).args, (std::vector<int64_t>{picture, 0}));
  EXPECT_EQ(api_fake().Calls("ApiStopSound").at(0).args, (std::vector<int64_t>{se_win}));
  EXPECT_TRUE(Draws().empty());
}

TEST_F(PauseMenusTest, ExitConfirmationEndsTheProgramOrGoesBackToPlay) {
  struct Case {
    int32_t row;
    int32_t status;
  };
  for (const Case& c : {Case{1, kStatusPlay}, Case{2, kStatusEnd}}) {
    SCOPED_TRACE(c.row);
    SetUp();
    const int32_t picture = OpenPause();
    game_status = kStatusExitConfirm;
    menu_cursor = c.row;
    player[1].actions[0] = 2;
    run_exit_confirm();
    EXPECT_EQ(game_status, c.status);
    EXPECT_EQ(se_title_exit_request, c.status == kStatusEnd ? 1 : 0);
    EXPECT_EQ(api_fake().Count("ApiDeleteGraphic"), c.status == kStatusPlay ? 1 : 0);
    // Its rows are drawn whatever was chosen.
    EXPECT_TRUE(Drew(exit_2_img));
    EXPECT_TRUE(Drew(picture));
  }
}

TEST_F(PauseMenusTest, ExitConfirmationDrawsButIgnoresInputBeforeThePictureIsReady) {
  game_status = kStatusExitConfirm;
  menu_capture_counter = 5;
  menu_cursor = 2;
  player[0].actions[0] = 2;
  player[0].input_state[kUp] = 2;
  run_exit_confirm();
  EXPECT_EQ(game_status, kStatusExitConfirm);
  EXPECT_EQ(menu_cursor, 2);
  EXPECT_EQ(Brightness().front(), 205);
  EXPECT_EQ(Draws(), (std::vector<Draw>{{0, 0, menu_capture_img, 0},
                                        {200, 100, exit_2_img, 1},
                                        {240, 180, no_shade_img, 1},
                                        {240, 250, yes_img, 1}}));
}

TEST_F(PauseMenusTest, GameOverLastsExactly180FramesThenFadesInTheTitle) {
  ScratchFolder folder;
  ScratchFolder::Write("config_data.dat", "1\n1\n1\n1\n1\n@\n4\n");
  game_status = kStatusGameOver;
  progress_flags[5] = 1;
  for (int frame = 1; frame <= 180; ++frame) {
    api_fake().calls.clear();
    run_game_over();
    if (frame < 180) {
      ASSERT_EQ(game_status, kStatusGameOver) << frame;
      ASSERT_EQ(game_over_counter, frame);
    }
    // The field behind the message (the title reset's map: chip 0 on both
    // layers), then the frame and the message.
    const std::vector<Draw> draws = Draws();
    ASSERT_EQ(draws.size(), 17u * 13u * 2u + 2u) << frame;
    for (size_t k = 0; k + 2 < draws.size(); ++k)
      ASSERT_EQ(draws[k].handle, BRIMAL_map_chip_field01[0]) << frame;
    ASSERT_EQ(std::vector<Draw>(draws.end() - 2, draws.end()),
              (std::vector<Draw>{{0, 0, back_screen_img, 1}, {192, 150, game_over_img, 1}}))
        << frame;
  }
  EXPECT_EQ(game_status, kStatusTitle);
  EXPECT_EQ(game_over_counter, 0);
  EXPECT_EQ(fade_counter, 1);
  EXPECT_EQ(progress_flags[5], 0);
  EXPECT_EQ(revive_stock, 4);
  EXPECT_EQ(player[0].action_button[4], 1);
}

}  // namespace
