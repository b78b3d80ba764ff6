// The blocked paths, keep exploring, the ice boss's fall and the save point.
#include "game/scenes/short_scenes.h"

#include "tests/game/scenes/dialogue_test_support.h"

namespace {

const std::vector<int32_t> kPeluneParty = {0, 2};
const std::vector<int32_t> kOrvenParty = {1, 3};
const std::vector<int32_t> kBothParty = {0, 1};

// The blocked paths, typed from their table: one page from 60 to 80 whose
// face follows the party, the end at 81 with no played word and the boss
// counter left alone. The players stand on the near side, so nobody moves.
std::vector<TypedCopy> BlockedPathCopies() {
  const auto copy = [](const std::vector<int32_t>& party, const int32_t* face) {
    TypedCopy typed{party, {{face, 1, 0, 60, 80}}, 81};
    typed.sets_played_word = false;
    typed.clears_boss_counter = false;
    return typed;
  };
  return {copy(kPeluneParty, &pelune_normal_img), copy(kOrvenParty, &orven_smile_img),
          copy(kBothParty, &pelune_normal_img)};
}

// Keep exploring: one page from 40 to 60 on one side, two on both (40 to
// 60, 61 to 100); its word is set, the boss counter left alone.
std::vector<TypedCopy> KeepExploringCopies() {
  std::vector<TypedCopy> copies = {
      {kPeluneParty, {{&pelune_normal_img, 2, 0, 40, 60}}, 61},
      {kOrvenParty, {{&orven_smile_img, 2, 0, 40, 60}}, 61},
      {kBothParty, {{&pelune_normal_img, 2, 0, 40, 60}, {&orven_worry_img, 1, 0, 61, 100}}, 101},
  };
  for (TypedCopy& copy : copies) copy.clears_boss_counter = false;
  return copies;
}

class ShortScenesTest : public DialogueSceneTest {
 protected:
  static void PlaceOnNearSide() {
    for (player_data& record : player) {
      record.X = 200.0f;
      record.Y = 600.0f;
    }
  }
};

TEST_F(ShortScenesTest, EveryCopyShowsItsPageAndEndsAtItsValueHoweverThePlayersPass) {
  struct Scene {
    int32_t id;
    std::vector<TypedCopy> copies;
  };
  const Scene scenes[] = {
      {104, BlockedPathCopies()}, {109, BlockedPathCopies()}, {106, KeepExploringCopies()}};
  for (const Scene& scene : scenes) {
    for (size_t c = 0; c < 3; ++c) {
      SCOPED_TRACE(testing::Message() << "scene " << scene.id << " copy " << c);
      for (Drive drive : {Drive::kOnePresser, Drive::kFastForward, Drive::kTwoPressers}) {
        SetUp();
        PlaceOnNearSide();
        progress_flags[4] = scene.id == 106 ? 1 : 0;
        PlayCopy(scene.id, scene.copies[c], drive);
      }
      SetUp();
      PlaceOnNearSide();
      progress_flags[4] = scene.id == 106 ? 1 : 0;
      CheckEndValue(scene.id, scene.copies[c]);
    }
  }
}

TEST_F(ShortScenesTest, TheBlockedPathsCountOneAFrameWhateverIsHeldAndShowNoPageWithoutALivingPlayer) {
  for (int32_t id : {104, 109}) {
    SCOPED_TRACE(id);
    SetUp();
    SetParty({0, 1});
    PlaceOnNearSide();
    StartScene(id);
    player[1].actions[kFastForwardAction] = 1;
    Frame();
    EXPECT_EQ(scene_counter(id), 2);
    Frame();
    EXPECT_EQ(scene_counter(id), 3);
    // Nobody up: the push and the count go on, the page is not drawn.
    player[0].alive = 0;
    player[1].alive = 0;
    scene_counter(id) = 70;
    Frame();
    EXPECT_EQ(scene_counter(id), 71);
    EXPECT_FALSE(DrewIn(2, message_window_img));
  }
}

TEST_F(ShortScenesTest, PlayersBeyondTheLineArePushedBackTowardItAndNoFurther) {
  struct Player {
    float start;  // X for 104, Y for 109
    int32_t alive;
    float end;
    bool turned;
    int32_t walk_end;  // from a walk counter of 60
  };
  struct Case {
    int32_t id;
    int32_t facing;
    std::vector<Player> players;
  };
  const Case cases[] = {
      {104,
       2,
       {{100.0f, 1, 112.0f, true, 8},     // 12 steps to the line, the walk wrapping at 64
        {112.0f, 1, 112.0f, false, 60},   // on the line: not moved
        {32.0f, 1, 111.0f, true, 11},     // 80 px beyond: 79 steps, still beyond
        {50.0f, 0, 50.0f, false, 60}}},   // down: not moved
      {109,
       0,
       {{700.0f, 1, 688.0f, true, 8},
        {688.0f, 1, 688.0f, false, 60},
        {768.0f, 1, 689.0f, true, 11},
        {650.0f, 1, 650.0f, false, 60}}},  // on the near side
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    SetUp();
    SetParty({0, 1, 0, 1});
    player_count = 4;
    for (size_t p = 0; p < c.players.size(); ++p) {
      player_data& record = player[p];
      record.X = 50.0f;
      record.Y = 750.0f;
      (c.id == 104 ? record.X : record.Y) = c.players[p].start;
      record.alive = c.players[p].alive;
      record.facing = 5;
      record.walk_anim = 60;
    }
    StartScene(c.id);
    for (int frame = 0; frame < 79; ++frame) Frame();
    EXPECT_EQ(scene_counter(c.id), 80);
    for (size_t p = 0; p < c.players.size(); ++p) {
      SCOPED_TRACE(p);
      const player_data& record = player[p];
      EXPECT_EQ(c.id == 104 ? record.X : record.Y, c.players[p].end);
      EXPECT_EQ(c.id == 104 ? record.Y : record.X, c.id == 104 ? 750.0f : 50.0f);
      EXPECT_EQ(record.facing, c.players[p].turned ? c.facing : 5);
      EXPECT_EQ(record.walk_anim, c.players[p].walk_end);
    }
  }
}

TEST_F(ShortScenesTest, TheFirstBlockedPathReplaysUntilTheFirstBossFallsThenKeepExploringPlaysOnce) {
  SetParty({0});
  PlaceOnNearSide();
  const auto play = [](int32_t id) {
    StartScene(id);
    int frames = 0;
    for (; game_status == kStatusScene && frames < 200; ++frames) {
      ClearActions();
      player[0].actions[kFastForwardAction] = 1;
      Frame();
    }
    return frames;
  };
  EXPECT_EQ(play(104), 80);
  EXPECT_EQ(play(104), 80);
  EXPECT_EQ(play(106), 1);  // before the first boss falls: one cleared frame
  EXPECT_EQ(play(109), 80);
  EXPECT_EQ(play(109), 80);
  progress_flags[4] = 1;  // the first boss's defeat
  EXPECT_EQ(play(104), 1);
  EXPECT_GT(play(106), 1);
  EXPECT_EQ(progress_flags[6], 1);
  EXPECT_EQ(play(106), 1);
  EXPECT_EQ(play(109), 80);
  EXPECT_EQ(progress_flags[9], 0);
}

TEST_F(ShortScenesTest, KeepExploringCountsFastForwardOfTheFirstPlayersOnly) {
  struct Case {
    std::vector<int32_t> party;
    int forward_holder;
    int32_t after;  // from counter 10
  };
  const Case cases[] = {
      {{0, 2}, 0, 13}, {{0, 2}, 1, 11}, {{0, 2}, 2, 11},  // one side: player 0 only
      {{0, 1}, 0, 13}, {{0, 1}, 1, 13}, {{0, 1, 0}, 2, 11},  // both: players 0 and 1
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.party.size() << " players, holder " << c.forward_holder);
    SetUp();
    SetParty(c.party);
    progress_flags[4] = 1;
    StartScene(106);
    scene_counter(106) = 10;
    player[c.forward_holder].actions[kFastForwardAction] = 1;
    Frame();
    EXPECT_EQ(scene_counter(106), c.after);
  }
}

// ---- The ice boss's fall ----------------------------------------------------------------

class IceBossFallTest : public SceneTest {
 protected:
  // The figure's y offsets from the boss's place, frame by frame, at the
  // camera's offsets.
  std::vector<int64_t> Offsets(int frames) {
    std::vector<int64_t> out;
    for (int f = 0; f < frames; ++f) {
      for (const Draw& d : DrawsIn(f)) {
        if (d.handle != dot_fesku_front_img) continue;
        EXPECT_EQ(d.x, 300 + scroll_x + 48);
        out.push_back(d.y - (500 + scroll_y - 16));
      }
    }
    return out;
  }
};

TEST_F(IceBossFallTest, TheFigureSlidesFiveUnitsPerCounterAndTheSceneEndsAtNinety) {
  struct Case {
    bool forward;
    int frames;
    int64_t first, last;
    size_t figures;
  };
  // Without fast-forward: 89 frames, offsets 5 to 445 (counters 2 to 90);
  // with it: 30 frames, offsets 15 to 435 (counters 4 to 88), none at 91.
  for (const Case& c : {Case{false, 89, 5, 445, 89}, Case{true, 30, 15, 435, 29}}) {
    SCOPED_TRACE(c.forward);
    SetUp();
    SetParty({0});
    boss_x = 300.7f;
    boss_y = 500.9f;
    boss_p_cnt = 12;
    StartScene(108);
    if (c.forward) player[0].actions[kFastForwardAction] = 1;
    int frames = 0;
    for (; game_status == kStatusScene && frames < 200; ++frames) Frame();
    EXPECT_EQ(frames, c.frames);
    const std::vector<int64_t> offsets = Offsets(frames);
    ASSERT_EQ(offsets.size(), c.figures);
    EXPECT_EQ(offsets.front(), c.first);
    EXPECT_EQ(offsets.back(), c.last);
    for (size_t i = 1; i < offsets.size(); ++i) {
      EXPECT_EQ(offsets[i] - offsets[i - 1], c.forward ? 15 : 5);
    }
    // The figure is drawn over everything.
    EXPECT_EQ(DrawsIn(0).back().handle, dot_fesku_front_img);
    EXPECT_EQ(api_fake().Count("ApiPlaySound"), 0);
    EXPECT_EQ(progress_flags[8], 1);
    EXPECT_EQ(boss_p_cnt, 0);
    EXPECT_EQ(scene_counter(108), 0);
  }
}

TEST_F(IceBossFallTest, TheFallSoundIsRequestedOnTheFirstFrameOnly) {
  SetParty({0});
  StartScene(108);
  Frame();
  EXPECT_EQ(se_fall_request, 1);
  se_fall_request = 0;
  Frame();
  EXPECT_EQ(se_fall_request, 0);
  // Played: one cleared frame.
  progress_flags[8] = 1;
  scene_counter(108) = 0;
  Frame();
  EXPECT_EQ(se_fall_request, 0);
  EXPECT_EQ(game_status, kStatusPlay);
  EXPECT_EQ(CallCountIn(2), 1);
}

// ---- The save point ---------------------------------------------------------------------

class SavePointTest : public SceneTest {};

TEST_F(SavePointTest, ThePageShowsFromSixtyToTheEndFrameThenTheSaveMenuTakesOver) {
  struct Case {
    std::vector<int32_t> party;
    int pressers;
    bool forward;
    int frames;
    int32_t end_counter;  // the counter on the end frame
  };
  // Counter 2 after the first frame, 90 after the 89th; a press then ends
  // it in the same frame, at 91, or at 92 with two pressers. With
  // fast-forward 88 is followed by 91.
  const Case cases[] = {
      {{0}, 1, false, 90, 91}, {{1, 3}, 2, false, 90, 92}, {{0, 1}, 0, true, 30, 91}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frames);
    SetUp();
    SetParty(c.party);
    boss_p_cnt = 40;
    StartScene(120);
    std::vector<int> page_frames;
    int frames = 0;
    for (; game_status == kStatusScene && frames < 200; ++frames) {
      ClearActions();
      const bool at_wait = scene_counter(120) == 90;
      for (int p = 0; p < c.pressers; ++p) player[p].actions[kDecideAction] = at_wait ? 2 : 0;
      if (c.forward) player[0].actions[kFastForwardAction] = 1;
      const int32_t before = scene_counter(120);
      Frame();
      const int32_t after = game_status == kStatusScene ? scene_counter(120) : c.end_counter;
      const bool page = DrewIn(frames, cg_sadri_img);
      EXPECT_EQ(page, after >= 60 && after <= 91) << before;
      if (page) {
        EXPECT_EQ(TextsIn(frames).size(), 1u);
        page_frames.push_back(frames);
      }
    }
    EXPECT_EQ(frames, c.frames);
    EXPECT_EQ(page_frames.back() == frames - 1, c.end_counter == 91) << "the end frame's page";
    EXPECT_EQ(game_status, kStatusSaveQuestion);
    EXPECT_EQ(boss_p_cnt, 0);
    EXPECT_EQ(scene_counter(120), 0);
    for (int32_t word : progress_flags) EXPECT_EQ(word, 0);
  }
}

TEST_F(SavePointTest, ItPlaysEveryTimeWithoutAPlayedWordOrAParty) {
  SetParty({0});
  player[0].alive = 0;
  for (int32_t& word : progress_flags) word = 1;
  StartScene(120);
  Frame();
  EXPECT_EQ(game_status, kStatusScene);
  EXPECT_EQ(scene_counter(120), 2);
}

// The frame loop runs the save menu after the scene in the same frame: the
// scene's last frame shows its page and the save question.
TEST_F(SavePointTest, TheSaveQuestionComesWithinTheScenesLastFrame) {
  SetParty({0});
  StartScene(120);
  scene_counter(120) = 90;
  // One frame of the loop; the input poll gives player 0's first button,
  // which every action of a cleared record is bound to, newly pressed.
  pad_device[0] = 0;
  api_fake().process_message = [](int frame) { return frame >= 1 ? -1 : 0; };
  api_fake().pad_input = [](int32_t input_set, int) { return input_set == 4097 ? 0x10 : 0; };
  main_loop();
  EXPECT_EQ(game_status, kStatusSaveQuestion);
  EXPECT_TRUE(DrewIn(0, cg_sadri_img));
  EXPECT_TRUE(DrewIn(0, slowdownnow_img));
}

}  // namespace
