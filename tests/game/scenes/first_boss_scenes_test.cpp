// The first two boss rooms' dialogues: pages by copy, facings, the boss
// music, the toad's label and spit pages.
#include "game/scenes/first_boss_scenes.h"

#include <algorithm>

#include "tests/game/scenes/dialogue_test_support.h"

namespace {

const std::vector<int32_t> kPeluneParty = {0, 2};
const std::vector<int32_t> kOrvenParty = {1, 3};
const std::vector<int32_t> kBothParty = {0, 1};

// Scene 105, typed from its table.
std::vector<TypedCopy> FirstBossCopies() {
  return {
      {kPeluneParty,
       {{&pelune_normal_img, 2}, {&talvo_worry_img, 1}, {&pelune_normal_img, 1},
        {&talvo_smile_img, 1}, {&pelune_smile02_img, 1, 5}, {&pelune_smile03_img, 1}},
       291},
      {kOrvenParty,
       {{&orven_smile_img, 1}, {&talvo_worry_img, 1}, {&orven_smile_img, 2},
        {&talvo_angry_img, 1, 5}, {&talvo_angry_img, 1}},
       251},
      {kBothParty,
       {{&orven_smile_img, 1}, {&pelune_smile02_img, 1}, {&talvo_smile_img, 2},
        {&orven_smile_img, 1}, {&talvo_smile_img, 2}, {&pelune_normal_img, 2},
        {&talvo_smile_img, 2, 5}, {&pelune_smile03_img, 1}},
       371},
  };
}

// Scene 107, typed from its table.
std::vector<TypedCopy> GiantToadCopies() {
  return {
      {kPeluneParty,
       {Label(), {&pelune_normal_img, 1}, Label(), Spit(), {&pelune_smile02_img, 1},
        {&pelune_normal_img, 2, 7}},
       291},
      {kOrvenParty,
       {{&orven_smile_img, 1}, Label(), {&orven_worry_img, 1}, Label(), Spit(),
        {&orven_smile_img, 1, 7}},
       291},
      {kBothParty,
       {Label(), {&pelune_normal_img, 1}, {&orven_smile_img, 1}, Label(), Spit(),
        {&pelune_smile02_img, 1}, {&orven_smile_img, 1}, {&pelune_smile01_img, 2, 7}},
       371},
  };
}

class FirstBossScenesTest : public DialogueSceneTest {};

TEST_F(FirstBossScenesTest, EveryCopyShowsItsPagesAndEndsAtItsValueHoweverThePlayersPass) {
  struct Scene {
    int32_t id;
    std::vector<TypedCopy> copies;
  };
  const Scene scenes[] = {{105, FirstBossCopies()}, {107, GiantToadCopies()}};
  for (const Scene& scene : scenes) {
    for (size_t c = 0; c < 3; ++c) {
      SCOPED_TRACE(testing::Message() << "scene " << scene.id << " copy " << c);
      int frames[3] = {};
      for (Drive drive : {Drive::kOnePresser, Drive::kFastForward, Drive::kTwoPressers}) {
        SetUp();
        frames[static_cast<int>(drive)] = PlayCopy(scene.id, scene.copies[c], drive);
      }
      EXPECT_LT(frames[1], frames[0]);
      SetUp();
      CheckEndValue(scene.id, scene.copies[c]);
    }
  }
}

TEST_F(FirstBossScenesTest, TheFirstPageTurnsEveryPlayerEachFrameAndTheFirstBossFacesThemAtTheEnd) {
  struct Case {
    int32_t id;
    int32_t facing;
  };
  for (const Case& c : {Case{105, 1}, Case{107, 7}}) {
    SCOPED_TRACE(c.id);
    SetUp();
    SetParty({0, 1, 2});
    player[2].alive = 0;  // a downed player is turned too
    player[3].facing = 3;  // beyond player_count: kept
    StartScene(c.id);
    for (int32_t counter : {1, 45, 88}) {
      scene_counter(c.id) = counter;
      for (int p = 0; p < 3; ++p) player[p].facing = 3;
      Frame();
      for (int p = 0; p < 3; ++p) EXPECT_EQ(player[p].facing, c.facing) << counter;
      EXPECT_EQ(player[3].facing, 3);
    }
    // From the first wait on, nothing turns them.
    scene_counter(c.id) = 95;
    for (int p = 0; p < 3; ++p) player[p].facing = 3;
    Frame();
    for (int p = 0; p < 3; ++p) EXPECT_EQ(player[p].facing, 3);
  }
  // Only the first boss turns at the end.
  for (const Case& c : {Case{105, 5}, Case{107, 2}}) {
    SetUp();
    SetParty({0, 1});
    boss_facing = 2;
    StartScene(c.id);
    scene_counter(c.id) = 370;
    player[0].actions[kDecideAction] = 2;
    Frame();
    EXPECT_EQ(game_status, kStatusPlay);
    EXPECT_EQ(boss_facing, c.facing);
  }
}

TEST_F(FirstBossScenesTest, AMusicRequestMadeOnItsPageStaysWhenTheLastPageIsPassedQuickly) {
  SetParty({0});
  StartScene(105);
  music_request = 0;
  int pelune_music_frames = 0;
  player[0].actions[kFastForwardAction] = 1;
  while (game_status == kStatusScene) {
    Frame();
    if (music_request == 5 && pelune_music_frames == 0) {
      // Made while page 5 (211 to 250) shows.
      EXPECT_GE(scene_counter(105), 211);
      EXPECT_LE(scene_counter(105), 250);
      ++pelune_music_frames;
    }
  }
  EXPECT_EQ(pelune_music_frames, 1);
  EXPECT_EQ(music_request, 5);
}

class GiantToadSpitTest : public SceneTest {
 protected:
  // The frames' ApiPlaySound calls of se_boss_shot10.
  static int SpitSounds() {
    int count = 0;
    for (const ApiCall& c : api_fake().Calls("ApiPlaySound")) {
      if (c.args[0] == se_boss_shot10) ++count;
    }
    return count;
  }
  static std::vector<Draw> ShotDraws(int frame) {
    std::vector<Draw> out;
    for (const Draw& d : DrawsIn(frame)) {
      if (d.handle == dot_fesku_shot_img) out.push_back(d);
    }
    return out;
  }
};

TEST_F(GiantToadSpitTest, TheSoundPlaysOnlyWhenTheCounterStandsOnePastThePagesFirstValue) {
  struct Case {
    std::vector<int32_t> party;
    int pressers;
    bool forward;
    int32_t after;  // the counter after the frame that passes the wait at 170
    int sounds;
  };
  const Case cases[] = {
      {{0}, 1, false, 172, 1},     // 170, 171, 172: the sound
      {{0}, 1, true, 176, 0},      // 170, 173, 176: no sound
      {{0, 2}, 2, false, 173, 0},  // 170, 172, 173: no sound
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.after);
    SetUp();
    SetParty(c.party);
    StartScene(107);
    scene_counter(107) = 170;
    for (int p = 0; p < c.pressers; ++p) player[p].actions[kDecideAction] = 2;
    if (c.forward) player[0].actions[kFastForwardAction] = 1;
    Frame();
    EXPECT_EQ(scene_counter(107), c.after);
    EXPECT_EQ(SpitSounds(), c.sounds);
    EXPECT_EQ(se_boss_shot10_request, 0);
    // The shot falls 7 px per counter unit from 171, whatever the sound did,
    // at the camera's offsets.
    EXPECT_EQ(ShotDraws(0), (std::vector<Draw>{{scroll_x + 308,
                                                 scroll_y + 114 + (c.after - 171) * 7,
                                                 dot_fesku_shot_img}}));
    EXPECT_EQ(boss_anim, 3);
  }
}

TEST_F(GiantToadSpitTest, TheShotFallsBetweenTheObjectsAndTheFrameImageWithNoWindow) {
  SetParty({1});
  StartScene(107);
  boss_anim = 0;
  scene_counter(107) = 230;  // the orven-only copy's spit page: 211 to 250
  Frame();
  // After the field's chips and objects, right before the frame image.
  const std::vector<Draw> draws = DrawsIn(0);
  const auto shot = std::find_if(draws.begin(), draws.end(),
                                 [](const Draw& d) { return d.handle == dot_fesku_shot_img; });
  ASSERT_NE(shot, draws.end());
  EXPECT_EQ(*shot, (Draw{scroll_x + 308, scroll_y + 114 + (231 - 211) * 7, dot_fesku_shot_img}));
  ASSERT_NE(shot + 1, draws.end());
  EXPECT_EQ(shot[1], (Draw{0, 0, back_screen_img}));
  EXPECT_EQ(boss_anim, 3);
  // Waiting on the spit page's last value: no window, still waiting.
  scene_counter(107) = 250;
  Frame();
  EXPECT_EQ(scene_counter(107), 250);
  EXPECT_FALSE(DrewIn(1, message_window_img));
  // The page after it closes the toad's mouth.
  player[0].actions[kDecideAction] = 2;
  Frame();
  EXPECT_EQ(scene_counter(107), 252);
  EXPECT_EQ(boss_anim, 0);
  EXPECT_TRUE(DrewIn(2, orven_smile_img));
}

TEST_F(GiantToadSpitTest, ALabelPageShowsAWhiteNameInPlaceOfAFaceThenOneBlackLine) {
  SetParty({0});
  StartScene(107);
  scene_counter(107) = 70;  // pelune only, page 1: a label page
  Frame();
  std::vector<ApiCall> texts;
  for (const ApiCall& c : api_fake().CallsInFrame(0)) {
    if (c.name == "ApiDrawTextWithFont") texts.push_back(c);
  }
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].args, (std::vector<int64_t>{40, 410, ApiGetColorValue(255, 255, 255),
                                                 message_font, 0, 0}));
  EXPECT_EQ(texts[1].args,
            (std::vector<int64_t>{145, 386, ApiGetColorValue(0, 0, 0), message_font, 0, 0}));
  EXPECT_FALSE(DrewIn(0, pelune_normal_img));
  EXPECT_TRUE(DrewIn(0, message_window_img));
  EXPECT_TRUE(DrewIn(0, message_window_speak_img));
}

}  // namespace
