// The machinery every scene shares, on a dialogue scene of the test's own.
#include "game/scenes/scene_machinery.h"

#include <algorithm>

#include "game/bosses/bosses.h"
#include "tests/game/scenes/scene_test_support.h"

namespace {

constexpr int32_t kId = 110;

// Distinct faces per copy, so the drawn face tells the copy that ran.
int32_t pelune_face = 9001;
int32_t orven_face = 9002;
int32_t both_face = 9003;

const scene_page kPelunePages[6] = {{&pelune_face, 2, 0}, {&pelune_face, 1, 0},
                                    {&pelune_face, 1, 0}, {&pelune_face, 1, 0},
                                    {&pelune_face, 1, 0}, {&pelune_face, 3, 0}};
const scene_page kOrvenPages[2] = {{&orven_face, 1, 0}, {&orven_face, 1, 7}};
const scene_page kBothPages[3] = {{&both_face, 1, 0}, {&both_face, 1, 0}, {&both_face, 1, 0}};

const scene_page_text kText[6] = {
    {{"一", "二", nullptr}}, {{"三", nullptr, nullptr}}, {{"四", nullptr, nullptr}},
    {{"五", nullptr, nullptr}}, {{"六", nullptr, nullptr}}, {{"七", "八", "九"}},
};

int first_frames = 0;
int ends = 0;

const dialogue_scene kScene = {
    kId,
    {{kPelunePages, kText, 6}, {kOrvenPages, kText, 2}, {kBothPages, kText, 3}},
    [] { ++first_frames; },
    nullptr,
    nullptr,
    [] { ++ends; },
};

class DialogueTimelineTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    SetParty({0});
    StartScene(kId);
    first_frames = 0;
    ends = 0;
  }
  static int32_t& Counter() { return scene_counter(kId); }
  static void Run() {
    run_dialogue_scene(kScene);
    ApiFlipScreen();
  }
};

TEST_F(DialogueTimelineTest, HeldFastForwardSkipsAWaitByItsRemainderAndPassesOneItLandsOn) {
  // Held from the first frame: 4, 7, ..., 88, then 94 (90 is jumped over),
  // then 97 ... 130, which is a wait the held fast-forward passes.
  SetActions(0, 1);
  std::vector<int32_t> counters;
  for (int i = 0; i < 31; ++i) {
    Run();
    counters.push_back(Counter());
  }
  EXPECT_EQ(counters[0], 4);
  EXPECT_EQ(counters[28], 88);
  EXPECT_EQ(counters[29], 94);
  EXPECT_EQ(counters[30], 97);
  // 97 + 3 x 11 = 130: the wait is reached exactly...
  for (int i = 0; i < 10; ++i) Run();
  EXPECT_EQ(Counter(), 127);
  Run();
  EXPECT_EQ(Counter(), 130);
  // ...released, the scene waits there; held again, it passes with the next
  // block's step in the same frame.
  SetActions(0, 0);
  Run();
  Run();
  EXPECT_EQ(Counter(), 130);
  SetActions(0, 1);
  Run();
  EXPECT_EQ(Counter(), 136);
  EXPECT_EQ(first_frames, 1);
}

TEST_F(DialogueTimelineTest, EachPressingPlayerAddsOneStepAtAWait) {
  struct Case {
    int players;
    int forward_holders;  // of the pressing players, how many hold fast-forward
    int32_t expected;
  };
  // 90 + presses x step, then the next block's step.
  const Case cases[] = {{1, 0, 92}, {2, 0, 93}, {4, 0, 95}, {4, 4, 90 + 12 + 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.players);
    SetUp();
    SetParty(std::vector<int32_t>(c.players, 0));
    Counter() = 90;
    for (int p = 0; p < c.players; ++p) {
      if (p < c.forward_holders) {
        player[p].actions[kFastForwardAction] = 1;
      } else {
        player[p].actions[kDecideAction] = 2;
      }
    }
    Run();
    EXPECT_EQ(Counter(), c.expected);
  }
}

TEST_F(DialogueTimelineTest, ANewlyPressedFastForwardNeitherSpeedsUpNorPassesAWait) {
  Counter() = 10;
  SetActions(0, 2);
  Run();
  EXPECT_EQ(Counter(), 11);
  Counter() = 90;
  Run();
  EXPECT_EQ(Counter(), 90);
  // A held fast-forward of a record beyond the party still sets the step.
  ClearActions();
  player[3].actions[kFastForwardAction] = 1;
  Counter() = 10;
  Run();
  EXPECT_EQ(Counter(), 13);
}

TEST_F(DialogueTimelineTest, PagesShowFromSixtyAndWhileTheirWaitHolds) {
  struct Case {
    int32_t start;  // the counter before the frame
    int decide;
    int page_lines;  // lines of the page drawn, 0 for none
    const char* first_line;
  };
  const Case cases[] = {
      {58, 0, 0, nullptr},  // 59: the field alone
      {59, 0, 2, "一"},     // 60: page 1
      {90, 0, 2, "一"},     // waiting at 90: page 1 stays
      {90, 2, 1, "三"},     // 90 passed: 92 shows page 2
      {129, 0, 1, "三"},    // 130, page 2's wait
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start);
    SetUp();
    Counter() = c.start;
    SetActions(c.decide, 0);
    Run();
    const std::vector<std::string> texts = TextsIn(0);
    EXPECT_EQ(static_cast<int>(texts.size()), c.page_lines);
    if (c.first_line != nullptr && !texts.empty()) {
      EXPECT_EQ(texts[0], c.first_line);
    }
    EXPECT_EQ(DrewIn(0, pelune_face), c.page_lines > 0);
  }
}

TEST_F(DialogueTimelineTest, TheEndFrameShowsTheFieldWithoutAPageAndHandsBack) {
  // The last wait of six pages is 290.
  Counter() = 290;
  boss_p_cnt = 55;
  SetActions(2, 0);
  Run();
  EXPECT_TRUE(DrewIn(0, back_screen_img));
  EXPECT_FALSE(DrewIn(0, pelune_face));
  EXPECT_EQ(Counter(), 0);
  EXPECT_EQ(game_status, kStatusPlay);
  EXPECT_EQ(progress_flags[kId - 100], 1);
  EXPECT_EQ(boss_p_cnt, 0);
  EXPECT_EQ(ends, 1);
}

TEST_F(DialogueTimelineTest, APlayedSceneShowsOneClearedFrameAndReturnsToPlay) {
  progress_flags[kId - 100] = 1;
  Run();
  EXPECT_EQ(game_status, kStatusPlay);
  EXPECT_EQ(CallCountIn(0), 1);  // only the flip
  EXPECT_EQ(Counter(), 0);
  EXPECT_EQ(first_frames, 0);
}

TEST_F(DialogueTimelineTest, TheLivingPlayersSidesChooseTheCopy) {
  struct Case {
    std::vector<int32_t> characters;
    std::vector<int32_t> alive;
    int32_t face;  // 0: nothing runs
  };
  const Case cases[] = {
      {{0}, {1}, pelune_face},
      {{2}, {1}, pelune_face},
      {{1}, {1}, orven_face},
      {{3, 1}, {1, 1}, orven_face},
      {{0, 1}, {1, 1}, both_face},
      {{0, 1}, {1, 0}, pelune_face},  // the second side is down
      {{2, 3}, {0, 1}, orven_face},
      {{0, 1}, {0, 0}, 0},            // nobody up: nothing runs, nothing drawn
  };
  for (const Case& c : cases) {
    SetUp();
    SetParty(c.characters);
    for (size_t p = 0; p < c.alive.size(); ++p) player[p].alive = c.alive[p];
    Counter() = 70;
    Run();
    if (c.face == 0) {
      EXPECT_EQ(CallCountIn(0), 1);
      EXPECT_EQ(Counter(), 70);
    } else {
      EXPECT_TRUE(DrewIn(0, c.face)) << c.face;
    }
  }
}

TEST_F(DialogueTimelineTest, AMusicPageAsksForItsMusicOnEveryFrameItShows) {
  SetParty({1});
  Counter() = 95;  // orven's page 2
  music_request = 100;
  Run();
  EXPECT_EQ(music_request, 7);
  music_request = 100;
  Run();
  EXPECT_EQ(music_request, 7);
}

TEST_F(DialogueTimelineTest, TheMessageWindowIsDrawnInItsOrderWithItsBlendsAndColours) {
  Counter() = 284;  // page 6 (three lines) of the pelune copy
  Run();
  // Every call from the window on, with the blend mode in force reconstructed.
  struct Step {
    std::string name;
    std::vector<int64_t> args;
    int64_t blend;
  };
  std::vector<Step> steps;
  int64_t blend = 0;
  bool window = false;
  for (const ApiCall& c : api_fake().CallsInFrame(0)) {
    if (c.name == "ApiSetBlendMode") {
      blend = c.args[0] == 0 ? 0 : c.args[1];
      continue;
    }
    if (c.name == "ApiDrawGraphicAt" && c.args[2] == message_window_img) window = true;
    if (!window || c.name == "ApiGetColorValue" || c.name == "ApiFlipScreen") continue;
    steps.push_back(Step{c.name, c.args, blend});
  }
  const uint32_t black = ApiGetColorValue(0, 0, 0);
  ASSERT_EQ(steps.size(), 6u);
  EXPECT_EQ(steps[0].args, (std::vector<int64_t>{20, 368, message_window_img, 1}));
  EXPECT_EQ(steps[0].blend, 220);
  EXPECT_EQ(steps[1].args, (std::vector<int64_t>{112, 373, message_window_speak_img, 1}));
  EXPECT_EQ(steps[1].blend, 240);
  EXPECT_EQ(steps[2].args, (std::vector<int64_t>{23, 371, pelune_face, 1}));
  EXPECT_EQ(steps[2].blend, 0);
  const int64_t line_y[3] = {386, 411, 436};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(steps[3 + i].name, "ApiDrawTextWithFont");
    EXPECT_EQ(steps[3 + i].args,
              (std::vector<int64_t>{145, line_y[i], black, message_font, 0, 0}));
    EXPECT_EQ(steps[3 + i].blend, 0);
  }
  EXPECT_EQ(TextsIn(0), (std::vector<std::string>{"七", "八", "九"}));
}

TEST_F(DialogueTimelineTest, TheFrozenFieldIsDrawnUnderTheFrameImageAtTheOrigin) {
  Counter() = 10;
  Run();
  const std::vector<Draw> draws = DrawsIn(0);
  EXPECT_NE(std::find(draws.begin(), draws.end(), Draw{0, 0, back_screen_img}), draws.end());
}

class DispatchTest : public SceneTest {};

TEST_F(DispatchTest, SceneNumbersWithoutASlotReturnToPlayDrawingNothing) {
  for (int32_t id : {-1, 0, 99, 121, 122, 1000}) {
    SCOPED_TRACE(id);
    SetUp();
    SetParty({0});
    scene_cell_latch = 1;
    StartScene(id);
    Frame();
    EXPECT_EQ(game_status, kStatusPlay);
    EXPECT_EQ(CallCountIn(0), 1);
    EXPECT_EQ(scene_cell_latch, 1);
  }
}

TEST_F(DispatchTest, EverySlotRunsTheSceneOfItsId) {
  // A first frame of each scene starts the counter of its own slot (scene
  // 100 counts in 101's); the played word of 104 and 106's first boss word
  // are set so that each one runs.
  for (int32_t id = 100; id <= 120; ++id) {
    SCOPED_TRACE(id);
    SetUp();
    SetParty({0});
    progress_flags[4] = 1;  // the first boss is beaten: 106 plays, 104 does not
    StartScene(id);
    Frame();
    const int32_t slot = id == 100 ? 1 : id - 100;
    for (int32_t other = 0; other < kSceneSlots; ++other) {
      const bool started = scene_vars.counter[other] != 0;
      EXPECT_EQ(started, other == slot && id != 104) << "slot " << other;
    }
  }
}

}  // namespace
