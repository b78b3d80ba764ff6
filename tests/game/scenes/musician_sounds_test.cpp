// The musician's scene (114): its own effects by copy, with a scripted
// ApiIsSoundPlaying that lets an effect play for a few frames.
#include "game/scenes/boss_scenes.h"

#include <map>

#include "tests/game/scenes/scene_test_support.h"

namespace {

constexpr const char* kBrisca = "data/se/se_brisca.ogg";
constexpr const char* kNingyo = "data/se/se_ningyo.ogg";

class MusicianSoundsTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    // An effect plays for kLength frames from its last start, until stopped;
    // a handle that is no live sound answers -1, as the runtime does.
    api_fake().sound_playing = [](int32_t sound) -> int32_t {
      if (sound == -1) return -1;
      int started = -1;
      for (const ApiCall& c : api_fake().calls) {
        if (c.args.empty() || c.args[0] != sound) continue;
        if (c.name == "ApiPlaySound") started = c.frame;
        if (c.name == "ApiStopSound") started = -1;
      }
      return started >= 0 && api_fake().frame - started < kLength ? 1 : 0;
    };
  }
  static constexpr int kLength = 10;

  // The sound calls of one frame as "name handle" strings, in order.
  static std::vector<std::string> SoundCallsIn(int frame) {
    std::vector<std::string> out;
    for (const ApiCall& c : api_fake().CallsInFrame(frame)) {
      if (c.name == "ApiPlaySound" || c.name == "ApiStopSound" || c.name == "ApiDeleteSound") {
        out.push_back(c.name + " " + std::to_string(c.args[0]));
      }
    }
    return out;
  }

  // Runs frames, player 0 pressing decide at every wait, until the counter
  // reaches `counter`.
  static void RunTo(int32_t counter) {
    while (scene_counter(114) < counter && game_status == kStatusScene) {
      ClearActions();
      player[0].actions[kDecideAction] = (scene_counter(114) - 50) % 40 == 0 ? 2 : 0;
      Frame();
    }
  }

  static std::string Call(const char* name, int32_t handle) {
    return std::string(name) + " " + std::to_string(handle);
  }
};

TEST_F(MusicianSoundsTest, ThePeluneCopyPlaysOneEffectOnPageEightAgainEachTimeItEndsWhileThePageWaits) {
  SetParty({0});
  StartScene(114);
  Frame();
  const std::vector<ApiCall> loads = api_fake().Calls("ApiLoadSoundFile");
  ASSERT_EQ(loads.size(), 1u);
  EXPECT_EQ(loads[0].texts[0], kBrisca);
  EXPECT_EQ(loads[0].args, (std::vector<int64_t>{3, -1}));
  const int32_t a = scene_vars.sound[0];

  RunTo(331);
  ASSERT_EQ(scene_counter(114), 332);  // page 8, its first frame
  EXPECT_EQ(music_request, 100);
  EXPECT_EQ(SoundCallsIn(api_fake().frame - 1), (std::vector<std::string>{Call("ApiPlaySound", a)}));
  // Waiting on page 8 for 35 frames: restarted each time it ends.
  RunTo(370);
  const int wait_start = api_fake().frame;
  for (int i = 0; i < 35; ++i) {
    ClearActions();
    Frame();
  }
  std::vector<int> starts;
  for (const ApiCall& c : api_fake().Calls("ApiPlaySound")) {
    if (c.frame >= wait_start) starts.push_back(c.frame - wait_start);
  }
  ASSERT_GE(starts.size(), 3u);
  for (size_t i = 1; i < starts.size(); ++i) EXPECT_EQ(starts[i] - starts[i - 1], kLength);
  // Page 9 does nothing: the effect plays on to its end.
  player[0].actions[kDecideAction] = 2;
  Frame();
  ClearActions();
  EXPECT_TRUE(SoundCallsIn(api_fake().frame - 1).empty());
  // Page 10 stops it every frame it shows and asks for the boss music.
  RunTo(411);
  EXPECT_EQ(SoundCallsIn(api_fake().frame - 1), (std::vector<std::string>{Call("ApiStopSound", a)}));
  EXPECT_EQ(music_request, 17);
  // The end deletes it.
  RunTo(491);
  while (game_status == kStatusScene) {
    player[0].actions[kDecideAction] = 2;
    Frame();
  }
  EXPECT_EQ(SoundCallsIn(api_fake().frame - 1), (std::vector<std::string>{Call("ApiDeleteSound", a)}));
  EXPECT_EQ(api_fake().Calls("ApiDeleteSound")[0].args[1], 0);
}

TEST_F(MusicianSoundsTest, TheOrvenCopyCutsTheFirstEffectAsPageSevenBeginsAndStartsTheSecond) {
  SetParty({1});
  StartScene(114);
  Frame();
  const std::vector<ApiCall> loads = api_fake().Calls("ApiLoadSoundFile");
  ASSERT_EQ(loads.size(), 2u);
  EXPECT_EQ(loads[0].texts[0], kNingyo);
  EXPECT_EQ(loads[1].texts[0], kBrisca);
  const int32_t a = scene_vars.sound[0];
  const int32_t b = scene_vars.sound[1];
  EXPECT_NE(a, b);

  RunTo(251);  // page 6
  EXPECT_EQ(music_request, 100);
  EXPECT_EQ(SoundCallsIn(api_fake().frame - 1), (std::vector<std::string>{Call("ApiPlaySound", a)}));
  RunTo(290);
  player[0].actions[kDecideAction] = 2;
  Frame();  // page 7's first frame
  EXPECT_EQ(scene_counter(114), 292);
  EXPECT_EQ(music_request, 100);
  EXPECT_EQ(SoundCallsIn(api_fake().frame - 1),
            (std::vector<std::string>{Call("ApiStopSound", a), Call("ApiPlaySound", b)}));
  RunTo(331);  // page 8: nothing
  EXPECT_TRUE(SoundCallsIn(api_fake().frame - 1).empty());
  RunTo(371);  // page 9 stops the second effect
  EXPECT_EQ(SoundCallsIn(api_fake().frame - 1), (std::vector<std::string>{Call("ApiStopSound", b)}));
  RunTo(411);
  EXPECT_EQ(music_request, 17);
  RunTo(491);
  while (game_status == kStatusScene) {
    player[0].actions[kDecideAction] = 2;
    Frame();
  }
  EXPECT_EQ(SoundCallsIn(api_fake().frame - 1),
            (std::vector<std::string>{Call("ApiDeleteSound", a), Call("ApiDeleteSound", b)}));
  // Every handle loaded was deleted, and nothing else.
  EXPECT_EQ(api_fake().Count("ApiDeleteSound"), 2);
  for (const ApiCall& c : api_fake().Calls("ApiPlaySound")) {
    EXPECT_EQ(c.args[1], 1);
    EXPECT_EQ(c.args[2], 1);
  }
}

TEST_F(MusicianSoundsTest, TheCopyForBothLoadsNothingAndChangesTheMusicOnce) {
  SetParty({0, 1});
  StartScene(114);
  music_request = 6;
  std::vector<int32_t> changes;
  int32_t last = music_request;
  while (game_status == kStatusScene) {
    ClearActions();
    player[0].actions[kFastForwardAction] = 1;
    Frame();
    if (music_request != last) changes.push_back(music_request);
    last = music_request;
  }
  EXPECT_EQ(changes, (std::vector<int32_t>{17}));
  EXPECT_EQ(api_fake().Count("ApiLoadSoundFile"), 0);
  EXPECT_EQ(api_fake().Count("ApiPlaySound"), 0);
  EXPECT_EQ(api_fake().Count("ApiDeleteSound"), 0);
}

TEST_F(MusicianSoundsTest, AnEffectThatFailedToLoadIsNeverPlayed) {
  api_fake().failing_paths = {kBrisca};
  SetParty({1});
  StartScene(114);
  Frame();
  EXPECT_EQ(scene_vars.sound[1], -1);
  while (game_status == kStatusScene) {
    ClearActions();
    player[0].actions[kDecideAction] = (scene_counter(114) - 50) % 40 == 0 ? 2 : 0;
    Frame();
  }
  for (const ApiCall& c : api_fake().Calls("ApiPlaySound")) EXPECT_NE(c.args[0], -1);
  EXPECT_GT(api_fake().Count("ApiPlaySound"), 0);  // the other effect played
  EXPECT_EQ(game_status, kStatusPlay);
  EXPECT_EQ(progress_flags[14], 1);
}

TEST_F(MusicianSoundsTest, APlayedSceneLoadsNothing) {
  SetParty({0});
  progress_flags[14] = 1;
  StartScene(114);
  Frame();
  EXPECT_EQ(api_fake().Count("ApiLoadSoundFile"), 0);
  EXPECT_EQ(game_status, kStatusPlay);
}

}  // namespace
