// Sound requests and music: the effects loaded at start-up, each request flag
// played once at the end of its frame and cleared, and the background music
// following music_request at the start of the frame, through the recording
// API fake.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/areas/areas.h"
#include "game/shell/shell.h"
#include "tests/support/api_fake/api_fake.h"

namespace {

struct Effect {
  const char* path;
  int32_t* handle;
  int32_t* request;  // null: never requested
};

// The effects in loading order, as the game's files name them.
const std::vector<Effect>& effects() {
  static const std::vector<Effect> list = {
      {"data/se/se_title_cursor.wav", &se_title_cursor, &se_title_cursor_request},
      {"data/se/se_title_decide.wav", &se_title_decide, &se_title_decide_request},
      {"data/se/se_title_exit.wav", &se_title_exit, &se_title_exit_request},
      {"data/se/se_change_map.wav", &se_change_map, &se_change_map_request},
      {"data/se/se_pelune_shot4.wav", &se_pelune_shot4, &se_pelune_shot4_request},
      {"data/se/se_orven_shot.wav", &se_orven_shot, &se_orven_shot_request},
      {"data/se/se_boss_shot10.wav", &se_boss_shot10, &se_boss_shot10_request},
      {"data/se/se_potion.wav", &se_potion, &se_potion_request},
      {"data/se/se_pause.wav", &se_pause, &se_pause_request},
      {"data/se/se_damage.wav", &se_damage, &se_damage_request},
      {"data/se/se_enemy_disappear8.wav", &se_enemy_disappear8, &se_enemy_disappear8_request},
      {"data/se/se_boo.wav", &se_boo, &se_boo_request},
      {"data/se/se_boss_disappear.wav", &se_boss_disappear, &se_boss_disappear_request},
      {"data/se/se_get_item.wav", &se_get_item, &se_get_item_request},
      {"data/se/se_win.wav", &se_win, &se_win_request},
      {"data/se/se_player_damage.wav", &se_player_damage, &se_player_damage_request},
      {"data/se/se_fall.wav", &se_fall, &se_fall_request},
      {"data/se/collectpowerup.wav", &collectpowerup, nullptr},
      {"data/se/se_shot_hit05.wav", &se_shot_hit05, &se_shot_hit05_request},
  };
  return list;
}

const char* const kTracks[] = {
    "data/bgm/bgm_title.ogg",        "data/bgm/bgm_pelune_house.ogg",
    "data/bgm/bgm_feild.ogg",        "data/bgm/bgm_dansion01.ogg",
    "data/bgm/bgm_dusmoren.ogg",     "data/bgm/bgm_dansion02.ogg",
    "data/bgm/bgm_boss01.ogg",       "data/bgm/bgm_dansion03.ogg",
    "data/bgm/bgm_boss_pelwick.ogg", "data/bgm/bgm_dansion04.ogg",
    "data/bgm/bgm_amber_clock.ogg",  "data/bgm/bgm_dansion05.ogg",
    "data/bgm/bgm_sola_cogs.ogg",    "data/bgm/bgm_dansion06.ogg",
    "data/bgm/bgm_boss_orsanta.ogg", "data/bgm/bgm_dansion07.ogg",
    "data/bgm/bgm_yurei.ogg",        "data/bgm/bgm_dansion08.ogg",
    "data/bgm/bgm_mobaki.ogg",       "data/bgm/bgm_dansion09.ogg",
    "data/bgm/bgm_thessan.ogg",
};

class SoundRequestsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    api_fake().Reset();
    reset_game();
    // Distinct handles, so a play names its effect.
    int32_t handle = 500;
    for (const Effect& e : effects()) *e.handle = handle++;
  }
};

TEST_F(SoundRequestsTest, EveryEffectIsLoadedInTableOrderWithThreeBuffers) {
  api_fake().failing_paths.insert("data/se/se_boo.wav");
  load_sounds();
  const std::vector<ApiCall> loads = api_fake().Calls("ApiLoadSoundFile");
  ASSERT_EQ(loads.size(), effects().size());
  for (size_t i = 0; i < loads.size(); ++i) {
    SCOPED_TRACE(effects()[i].path);
    EXPECT_EQ(loads[i].texts, std::vector<std::string>{effects()[i].path});
    EXPECT_EQ(loads[i].args, (std::vector<int64_t>{3, -1}));
  }
  // A file that does not load leaves -1 in its handle; the others differ.
  EXPECT_EQ(se_boo, -1);
  EXPECT_NE(se_title_cursor, se_shot_hit05);
  EXPECT_NE(se_title_cursor, -1);
}

// Each flag at 1 plays its own effect once (not looped, from the start) and
// is cleared; any other value is left alone and plays nothing.
TEST_F(SoundRequestsTest, EachRequestFlagPlaysItsEffectOnceAndIsCleared) {
  for (const Effect& e : effects()) {
    if (e.request == nullptr) continue;
    SCOPED_TRACE(e.path);
    for (const int32_t value : {1, 2, -1, 0}) {
      api_fake().calls.clear();
      *e.request = value;
      play_requested_sounds();
      play_requested_sounds();  // the next frame: nothing more
      const std::vector<ApiCall> plays = api_fake().Calls("ApiPlaySound");
      if (value == 1) {
        ASSERT_EQ(plays.size(), 1u);
        EXPECT_EQ(plays[0].args, (std::vector<int64_t>{*e.handle, 1, 1}));
        EXPECT_EQ(*e.request, 0);
      } else {
        EXPECT_TRUE(plays.empty());
        EXPECT_EQ(*e.request, value);
      }
      *e.request = 0;
    }
  }
  // collectpowerup has no flag: it is played by the ending scene itself.
  EXPECT_EQ(api_fake().Count("ApiPlaySound"), 0);
}

TEST_F(SoundRequestsTest, RequestsOfOneFramePlayInTableOrder) {
  se_fall_request = 1;
  se_shot_hit05_request = 1;
  se_title_cursor_request = 1;
  se_get_item_request = 1;
  play_requested_sounds();
  std::vector<int64_t> played;
  for (const ApiCall& call : api_fake().Calls("ApiPlaySound")) played.push_back(call.args[0]);
  EXPECT_EQ(played, (std::vector<int64_t>{se_title_cursor, se_get_item, se_fall, se_shot_hit05}));
}

// One frame of the loop over a state with nothing to do: the music request is
// met right after message processing, the sound requests just before the
// flip; an effect requested several times in a frame plays once.
TEST_F(SoundRequestsTest, TheFrameLoopStartsMusicFirstAndPlaysRequestsLast) {
  game_status = kStatusPlay;
  map_status = 0;
  area_entry_request = 0;
  music_request = 4;
  api_fake().process_message = [](int frame) {
    if (frame == 1) {
      music_request = 7;
      se_boo_request = 1;
      se_boo_request = 1;
    }
    return frame == 3 ? 1 : 0;
  };
  main_loop();
  auto names = [](int frame) {
    std::vector<std::string> out;
    for (const ApiCall& call : api_fake().CallsInFrame(frame)) out.push_back(call.name);
    return out;
  };
  for (int frame = 0; frame < 3; ++frame) {
    SCOPED_TRACE(frame);
    const std::vector<std::string> calls = names(frame);
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[0], "ApiProcessMessage");
    EXPECT_EQ(calls[1], "ApiIsKeyDown");
    EXPECT_EQ(calls.back(), "ApiFlipScreen");
  }
  const std::vector<ApiCall> music = api_fake().Calls("ApiPlayMusicFile");
  ASSERT_EQ(music.size(), 2u);
  EXPECT_EQ(music[0].frame, 0);
  EXPECT_EQ(music[0].texts[0], "data/bgm/bgm_dansion01.ogg");
  EXPECT_EQ(music[0].args, std::vector<int64_t>{3});
  // The change of request takes effect in the same frame, before its drawing.
  EXPECT_EQ(music[1].frame, 1);
  EXPECT_EQ(music[1].texts[0], "data/bgm/bgm_boss01.ogg");
  EXPECT_EQ(names(1)[2], "ApiPlayMusicFile");
  EXPECT_EQ(names(1)[3], "ApiClearDrawScreen");
  const std::vector<ApiCall> plays = api_fake().Calls("ApiPlaySound");
  ASSERT_EQ(plays.size(), 1u);
  EXPECT_EQ(plays[0].frame, 1);
  EXPECT_EQ(plays[0].args[0], se_boo);
  EXPECT_EQ(names(1)[names(1).size() - 2], "ApiPlaySound");
  EXPECT_EQ(se_boo_request, 0);
  EXPECT_EQ(music_current, 7);
}

TEST_F(SoundRequestsTest, TheMusicFollowsItsRequestOnlyWhenItChanges) {
  struct Step {
    int32_t status;
    int32_t request;
    const char* started;  // the track started in this step, null for none
    bool stopped;
    int32_t current_after;
  };
  const Step steps[] = {
      // After the reset both are 0: nothing until the title forces track 1.
      {kStatusPlay, 0, nullptr, false, 0},
      {kStatusTitle, 0, "data/bgm/bgm_title.ogg", false, 1},
      {kStatusTitle, 5, nullptr, false, 1},  // the title keeps track 1
      {kStatusPlay, 5, "data/bgm/bgm_dusmoren.ogg", false, 5},
      {kStatusPlay, 5, nullptr, false, 5},  // the same track is not restarted
      {kStatusPlay, 100, nullptr, true, 100},
      {kStatusPlay, 100, nullptr, false, 100},  // stopped once
      {kStatusPlay, 0, nullptr, false, 100},
      {kStatusPlay, 22, nullptr, false, 100},
      {kStatusPlay, 99, nullptr, false, 100},
      {kStatusPlay, 101, nullptr, false, 100},
      {kStatusPlay, -1, nullptr, false, 100},
      {kStatusPlay, 21, "data/bgm/bgm_thessan.ogg", false, 21},
      {kStatusTitle, 21, "data/bgm/bgm_title.ogg", false, 1},
  };
  int index = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(index++);
    api_fake().calls.clear();
    game_status = step.status;
    music_request = step.request;
    update_music();
    const std::vector<ApiCall> started = api_fake().Calls("ApiPlayMusicFile");
    if (step.started != nullptr) {
      ASSERT_EQ(started.size(), 1u);
      EXPECT_EQ(started[0].texts[0], step.started);
      EXPECT_EQ(started[0].args, std::vector<int64_t>{3});
    } else {
      EXPECT_TRUE(started.empty());
    }
    EXPECT_EQ(api_fake().Count("ApiStopMusic"), step.stopped ? 1 : 0);
    EXPECT_EQ(music_current, step.current_after);
  }
}

TEST_F(SoundRequestsTest, EveryTrackNumberPlaysItsFile) {
  for (int32_t track = 1; track <= 21; ++track) {
    SCOPED_TRACE(track);
    api_fake().calls.clear();
    game_status = kStatusPlay;
    music_current = 100;
    music_request = track;
    update_music();
    const std::vector<ApiCall> started = api_fake().Calls("ApiPlayMusicFile");
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].texts[0], kTracks[track - 1]);
  }
}

}  // namespace
