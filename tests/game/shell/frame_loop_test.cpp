// The program start and the frame loop, driven through the API fake with
// recording handlers in place of the menus, the world and the scenes.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "game/areas/areas.h"
#include "game/shell/shell.h"
#include "tests/game/shell/frame_loop_handlers.h"
#include "tests/support/api_fake/api_fake.h"

namespace {

using Names = std::vector<std::string>;

class FrameLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    api_fake().Reset();
    handler_log().Reset();
    game_status = kStatusTitle;
    map_status = 0;
    area_entry_request = 0;
    fade_counter = 0;
  }

  // Runs main_loop until `frames` frames have been flipped (the window then
  // reports closed), or until the loop ends by itself.
  void RunFrames(int frames) {
    api_fake().process_message = [frames](int frame) { return frame >= frames ? -1 : 0; };
    main_loop();
  }

  // The names of the fake's calls of one frame, in order.
  static Names ApiNamesInFrame(int frame) {
    Names out;
    for (const ApiCall& c : api_fake().CallsInFrame(frame)) out.push_back(c.name);
    return out;
  }
};

// ---- Start-up ------------------------------------------------------------------

TEST_F(FrameLoopTest, StartUpAsksAndAnswerDecidesTheWindowMode) {
  struct Case {
    int answer;
    bool window_mode;
  };
  for (const Case& c : {Case{7 /* IDNO */, true}, Case{6 /* IDYES */, false},
                        Case{2 /* any other */, true}}) {
    SCOPED_TRACE(c.answer);
    api_fake().Reset();
    api_fake().message_box_answer = c.answer;
    api_fake().init_library_result = -1;
    EXPECT_EQ(WinMain(), -1);

    const std::vector<ApiCall> boxes = api_fake().Calls("MessageBoxA");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].texts[0], "フルスクリーンで起動しますか？\n");
    EXPECT_EQ(boxes[0].texts[1], "ブリマル");
    EXPECT_EQ(boxes[0].args[0], 36);

    const std::vector<ApiCall> modes = api_fake().Calls("ApiChangeWindowMode");
    if (c.window_mode) {
      ASSERT_EQ(modes.size(), 1u);
      EXPECT_EQ(modes[0].args[0], 1);
    } else {
      EXPECT_TRUE(modes.empty());
    }
  }
}

TEST_F(FrameLoopTest, FailedRuntimeStartEndsAtOnceWithMinusOne) {
  api_fake().init_library_result = -1;
  EXPECT_EQ(WinMain(), -1);
  EXPECT_EQ(api_fake().Names(),
            (Names{"MessageBoxA", "ApiChangeWindowMode", "ApiSetWindowIcon", "ApiSetWindowText",
                   "ApiSetLogOutput", "ApiInitLibrary"}));
  EXPECT_TRUE(handler_log().runs.empty());
}

TEST_F(FrameLoopTest, StartUpConfiguresLoadsAndEndsTheRuntime) {
  api_fake().message_box_answer = 6;
  api_fake().process_message = [](int) { return -1; };  // closed at once
  game_status = 55;
  area_entry_request = 0;
  EXPECT_EQ(WinMain(), 0);

  EXPECT_EQ(api_fake().Names(),
            (Names{"MessageBoxA", "ApiSetWindowIcon", "ApiSetWindowText", "ApiSetLogOutput",
                   "ApiInitLibrary", "ApiSetArchiveExtension", "ApiSetArchiveKey",
                   "ApiSetDrawTarget", "ApiCreateFontToHandle", "ApiCreateFontToHandle",
                   "ApiClearDrawScreen", "ApiLoadAndDrawImage", "ApiFlipScreen",
                   "ApiProcessMessage", "ApiEndLibrary"}));
  const std::vector<ApiCall>& calls = api_fake().calls;
  EXPECT_EQ(calls[1].args, (std::vector<int64_t>{102}));
  EXPECT_EQ(calls[2].texts[0], "BRIMAL_Ver1.04");
  EXPECT_EQ(calls[3].args, (std::vector<int64_t>{0}));
  EXPECT_EQ(calls[5].texts[0], "dat");
  EXPECT_EQ(calls[6].texts[0], "quietmarble");
  EXPECT_EQ(calls[7].args, (std::vector<int64_t>{-2}));
  EXPECT_EQ(calls[8].texts[0], "");
  EXPECT_EQ(calls[8].args, (std::vector<int64_t>{-1, -1, -1, -1, -1, 0, -1, -1}));
  EXPECT_EQ(calls[9].args, (std::vector<int64_t>{24, -1, 3, -1, -1, 0, -1, -1}));
  EXPECT_EQ(calls[11].texts[0], "data/img/title/loading_img.png");
  EXPECT_EQ(calls[11].args, (std::vector<int64_t>{370, 420, 1}));

  Names handlers;
  for (const HandlerRun& r : handler_log().runs) handlers.push_back(r.name);
  EXPECT_EQ(handlers, (Names{"load_images", "load_sounds", "load_item_data", "load_settings"}));
  // The reset ran between the item data and the settings: title state, with
  // the first area entry pending.
  EXPECT_EQ(game_status, kStatusTitle);
  EXPECT_EQ(area_entry_request, 1);
  EXPECT_NE(message_font, roll_font);
}

TEST_F(FrameLoopTest, ResetRunsAfterItemDataAndBeforeSettings) {
  api_fake().process_message = [](int) { return -1; };
  int status_seen_by_item_data = -1;
  int status_seen_by_settings = -1;
  game_status = 55;
  handler_log().actions["load_item_data"] = [&] { status_seen_by_item_data = game_status; };
  handler_log().actions["load_settings"] = [&] { status_seen_by_settings = game_status; };
  WinMain();
  EXPECT_EQ(status_seen_by_item_data, 55);
  EXPECT_EQ(status_seen_by_settings, kStatusTitle);
}

// ---- One frame -------------------------------------------------------------------

TEST_F(FrameLoopTest, FrameRunsItsStepsInOrder) {
  fade_counter = 1;
  RunFrames(1);
  EXPECT_EQ(ApiNamesInFrame(0),
            (Names{"ApiProcessMessage", "ApiIsKeyDown", "ApiClearDrawScreen",
                   "ApiSetDrawBrightness", "ApiFlipScreen"}));
  EXPECT_EQ(api_fake().Calls("ApiIsKeyDown")[0].args[0], 1);
  EXPECT_EQ(handler_log().InFrame(0),
            (Names{"update_music", "poll_input", "run_title_menu", "play_requested_sounds"}));

  // The handlers sit between the API calls where the loop puts them.
  handler_log().Reset();
  api_fake().Reset();
  for (const char* h : {"update_music", "poll_input", "run_title_menu", "play_requested_sounds"}) {
    handler_log().actions[h] = [h] { api_fake().Record(h, {}); };
  }
  fade_counter = 1;
  RunFrames(1);
  EXPECT_EQ(ApiNamesInFrame(0),
            (Names{"ApiProcessMessage", "ApiIsKeyDown", "update_music", "ApiClearDrawScreen",
                   "poll_input", "run_title_menu", "ApiSetDrawBrightness",
                   "play_requested_sounds", "ApiFlipScreen"}));
}

TEST_F(FrameLoopTest, ClosedWindowEndsTheLoopBeforeAnythingElse) {
  RunFrames(0);
  EXPECT_EQ(api_fake().Names(), (Names{"ApiProcessMessage"}));
  EXPECT_TRUE(handler_log().runs.empty());
}

TEST_F(FrameLoopTest, EscapeEndsTheLoopAtTheStartOfTheNextFrameFromAnyScreen) {
  for (int status : {kStatusTitle, kStatusPlay, kStatusPause, kStatusScene}) {
    SCOPED_TRACE(status);
    api_fake().Reset();
    handler_log().Reset();
    game_status = status;
    api_fake().key_down = [](int32_t key, int frame) { return key == 1 && frame == 2 ? 1 : 0; };
    RunFrames(10);
    EXPECT_EQ(api_fake().frame, 2);
    EXPECT_EQ(ApiNamesInFrame(2), (Names{"ApiProcessMessage", "ApiIsKeyDown"}));
    EXPECT_TRUE(handler_log().InFrame(2).empty());
  }
}

TEST_F(FrameLoopTest, EndStateIsNeverFlipped) {
  handler_log().actions["run_title_menu"] = [] { game_status = kStatusEnd; };
  fade_counter = 1;
  RunFrames(10);  // the loop must end by itself
  EXPECT_EQ(api_fake().Count("ApiFlipScreen"), 0);
  EXPECT_EQ(api_fake().Count("ApiSetDrawBrightness"), 0);
  EXPECT_EQ(handler_log().InFrame(0), (Names{"update_music", "poll_input", "run_title_menu"}));
}

// ---- Dispatch and same-frame hand-overs --------------------------------------

struct HandOverCase {
  const char* label;
  int32_t start;
  const char* changer;  // the handler that changes the state
  int32_t next;
  Names handlers;  // the state handlers that run in the frame, in order
};

void PrintTo(const HandOverCase& c, std::ostream* os) { *os << c.label; }

class DispatchTest : public FrameLoopTest,
                     public ::testing::WithParamInterface<HandOverCase> {};

TEST_P(DispatchTest, HandlerThatMovesToALaterStateRunsItInTheSameFrame) {
  const HandOverCase& c = GetParam();
  game_status = c.start;
  const int32_t next = c.next;
  handler_log().actions[c.changer] = [next] { game_status = next; };
  RunFrames(1);
  Names state_handlers;
  for (const std::string& n : handler_log().InFrame(0)) {
    if (n != "update_music" && n != "poll_input" && n != "play_requested_sounds")
      state_handlers.push_back(n);
  }
  EXPECT_EQ(state_handlers, c.handlers);
}

INSTANTIATE_TEST_SUITE_P(
    FrameLoop, DispatchTest,
    ::testing::Values(
        HandOverCase{"title_to_count", 0, "run_title_menu", 11,
                     {"run_title_menu", "run_player_select"}},
        HandOverCase{"title_to_load", 0, "run_title_menu", 13,
                     {"run_title_menu", "run_load_menu"}},
        HandOverCase{"title_to_config", 0, "run_title_menu", 31,
                     {"run_title_menu", "run_button_config"}},
        // The character choice's test calls the choice again, then the new
        // game's step.
        HandOverCase{"count_to_choice", 11, "run_player_select", 12,
                     {"run_player_select", "run_player_select", "start_new_game"}},
        HandOverCase{"choice_to_scene", 12, "start_new_game", 22,
                     {"run_player_select", "start_new_game", "run_scene"}},
        HandOverCase{"load_to_play", 13, "run_load_menu", 21, {"run_load_menu"}},
        HandOverCase{"scene_to_save", 22, "run_scene", 46, {"run_scene", "run_save_menu"}},
        HandOverCase{"pause_to_return", 42, "run_pause_menu", 45,
                     {"run_pause_menu", "run_return_confirm"}},
        HandOverCase{"pause_to_exit", 42, "run_pause_menu", 44,
                     {"run_pause_menu", "run_exit_confirm"}},
        HandOverCase{"save_question_to_slots", 46, "run_save_menu", 47,
                     {"run_save_menu", "run_save_menu"}},
        // A move to a state tested earlier waits for the next frame.
        HandOverCase{"count_back_to_title", 11, "run_player_select", 0, {"run_player_select"}},
        HandOverCase{"exit_no_to_play", 44, "run_exit_confirm", 21, {"run_exit_confirm"}},
        HandOverCase{"game_over_to_title", 43, "run_game_over", 0, {"run_game_over"}},
        HandOverCase{"unknown_state", 77, "run_title_menu", 0, {}}),
    [](const ::testing::TestParamInfo<HandOverCase>& info) { return info.param.label; });

TEST_F(FrameLoopTest, PlayFrameHandsOverToPauseAndGameOverInTheSameFrame) {
  struct Case {
    int32_t next;
    const char* handler;
  };
  for (const Case& c : {Case{kStatusPause, "run_pause_menu"}, Case{kStatusGameOver, "run_game_over"},
                        Case{kStatusScene, "run_scene"}}) {
    SCOPED_TRACE(c.handler);
    api_fake().Reset();
    handler_log().Reset();
    game_status = kStatusPlay;
    map_status = 1;
    const int32_t next = c.next;
    handler_log().actions["update_players"] = [next] { game_status = next; };
    RunFrames(1);
    const Names ran = handler_log().InFrame(0);
    // The play list runs to its end before the new state's handler.
    ASSERT_GE(ran.size(), 3u);
    EXPECT_EQ(ran[ran.size() - 2], c.handler);
    EXPECT_EQ(ran[ran.size() - 3], "draw_status");
  }
}

// ---- The play frame --------------------------------------------------------------

const Names kOrdinaryFloor = {
    "update_players", "update_player_shots", "update_player_spells", "update_enemies",
    "update_enemy_shots", "update_set_enemies", "update_floor_items", "update_dropped_items",
    "update_movable_rocks", "update_generators", "update_camera", "draw_map_chips",
    "draw_field_objects", "draw_player_shots", "draw_player_shot_fades", "draw_enemy_shots",
    "draw_enemy_shot_fades", "draw_map_overlay", "check_map_exit", "draw_status"};

const Names kBossFloor = {
    "update_players", "update_player_shots", "update_player_spells", "update_boss",
    "update_enemies", "update_set_enemies", "update_floor_items", "update_dropped_items",
    "update_movable_rocks", "update_generators", "update_camera", "draw_map_chips",
    "draw_field_objects", "draw_player_shots", "draw_player_shot_fades", "draw_boss_shots",
    "draw_boss_shot_fades", "check_map_exit", "draw_status"};

Names Without(const Names& all, const Names& drop) {
  Names out;
  for (const std::string& n : all) {
    bool keep = true;
    for (const std::string& d : drop) keep = keep && n != d;
    if (keep) out.push_back(n);
  }
  return out;
}

Names Concat(Names a, const Names& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const Names kFrameServices = {"update_music", "poll_input", "play_requested_sounds"};

TEST_F(FrameLoopTest, PlayFrameListsByFloorKind) {
  struct Case {
    const char* label;
    int32_t map_status;
    int32_t entry_request;
    Names expected;
  };
  const Case cases[] = {
      {"ordinary", 1, 0, kOrdinaryFloor},
      {"boss", 2, 0, kBossFloor},
      {"before_first_entry", 0, 0, {}},
      {"entry_first", 1, 1, Concat({"enter_area"}, kOrdinaryFloor)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    api_fake().Reset();
    handler_log().Reset();
    game_status = kStatusPlay;
    map_status = c.map_status;
    area_entry_request = c.entry_request;
    RunFrames(1);
    EXPECT_EQ(Without(handler_log().InFrame(0), kFrameServices), c.expected);
  }
}

TEST_F(FrameLoopTest, FrameImageIsDrawnBeforeTheStatusDisplay) {
  game_status = kStatusPlay;
  map_status = 1;
  back_screen_img = 4242;
  handler_log().actions["check_map_exit"] = [] { api_fake().Record("check_map_exit", {}); };
  handler_log().actions["draw_status"] = [] { api_fake().Record("draw_status", {}); };
  RunFrames(1);
  const Names names = ApiNamesInFrame(0);
  const Names tail(names.end() - 4, names.end() - 1);
  EXPECT_EQ(tail, (Names{"check_map_exit", "ApiDrawGraphicAt", "draw_status"}));
  const std::vector<ApiCall> draws = api_fake().Calls("ApiDrawGraphicAt");
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].args, (std::vector<int64_t>{0, 0, 4242, 1}));
}

TEST_F(FrameLoopTest, MapChipsSwitchingToABossFloorRunBothListsInOneFrame) {
  game_status = kStatusPlay;
  map_status = 1;
  handler_log().actions["draw_map_chips"] = [] {
    if (map_status == 1) map_status = 2;
  };
  RunFrames(1);
  EXPECT_EQ(Without(handler_log().InFrame(0), kFrameServices),
            Concat(kOrdinaryFloor, kBossFloor));
}

TEST_F(FrameLoopTest, AreaEntryIsTestedOnceAFrame) {
  // The loader clears the request; a loader that leaves it set is called
  // again only in the next frame.
  game_status = kStatusScene;
  area_entry_request = 1;
  RunFrames(3);
  for (int frame = 0; frame < 3; ++frame) {
    EXPECT_EQ(Without(handler_log().InFrame(frame), kFrameServices),
              (Names{"enter_area", "run_scene"}));
  }
  handler_log().Reset();
  api_fake().Reset();
  area_entry_request = 1;
  handler_log().actions["enter_area"] = [] { area_entry_request = 0; };
  RunFrames(2);
  EXPECT_EQ(Without(handler_log().InFrame(0), kFrameServices), (Names{"enter_area", "run_scene"}));
  EXPECT_EQ(Without(handler_log().InFrame(1), kFrameServices), (Names{"run_scene"}));
}

// ---- The fade ----------------------------------------------------------------------

TEST_F(FrameLoopTest, FadeStartedWithOneRisesOver43FramesAndRunsFor255) {
  fade_counter = 1;
  RunFrames(300);
  std::vector<std::vector<int64_t>> by_frame(300);
  std::vector<int> calls_in_frame(300, 0);
  for (const ApiCall& c : api_fake().Calls("ApiSetDrawBrightness")) {
    ++calls_in_frame[c.frame];
    by_frame[c.frame] = c.args;  // the last call of the frame is in force
  }
  // Step n (frame n - 1) asks for 6n on every channel; the runtime clamps.
  EXPECT_EQ(api_fake().Calls("ApiSetDrawBrightness")[0].args, (std::vector<int64_t>{6, 6, 6}));
  EXPECT_EQ(by_frame[41][0], 252);  // step 42: still below full
  EXPECT_GE(by_frame[42][0], 255);  // step 43: full brightness
  // Step 255 asks for 1530, then the counter ends and full brightness is set.
  const std::vector<ApiCall> last = api_fake().CallsInFrame(254);
  std::vector<std::vector<int64_t>> brightness;
  for (const ApiCall& c : last)
    if (c.name == "ApiSetDrawBrightness") brightness.push_back(c.args);
  EXPECT_EQ(brightness, (std::vector<std::vector<int64_t>>{{1530, 1530, 1530}, {255, 255, 255}}));
  for (int f = 0; f < 254; ++f) EXPECT_EQ(calls_in_frame[f], 1) << "frame " << f;
  for (int f = 255; f < 300; ++f) EXPECT_EQ(calls_in_frame[f], 0) << "frame " << f;
  EXPECT_EQ(fade_counter, 0);
}

}  // namespace
