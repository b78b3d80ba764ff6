// The three openings.
#include "game/scenes/openings.h"

#include <algorithm>
#include <set>

#include "game/scenes/scene_machinery.h"
#include "game/scenes/scene_text.h"
#include "tests/game/scenes/scene_test_support.h"

namespace {

class OpeningTest : public SceneTest {
 protected:
  // The waits of each opening, typed from the scene tables.
  static std::set<int32_t> Waits(int32_t id) {
    if (id == 102) return {240, 460, 760, 820, 880};
    if (id == 103) {
      std::set<int32_t> waits = {480, 690, 730, 770, 1270};
      for (int32_t w = 950; w <= 1230; w += 40) waits.insert(w);
      return waits;
    }
    return {720, 780, 840};
  }

  // Plays the opening to its end: player 0 presses decide on every frame
  // that starts on a wait (and holds fast-forward throughout when asked).
  // Returns the frames played.
  static int PlayToEnd(int32_t id, bool forward) {
    const std::set<int32_t> waits = Waits(id);
    const int32_t slot = id == 100 ? 101 : id;
    StartScene(id);
    int frames = 0;
    while (game_status == kStatusScene && frames < 5000) {
      const bool at_wait = waits.count(scene_counter(slot)) != 0;
      SetActions(at_wait ? 2 : 0, forward ? 1 : 0);
      Frame();
      ++frames;
    }
    return frames;
  }

  // Frames (0-based) on which a face of the message window was drawn.
  static std::vector<int> PageFrames(int frames) {
    std::vector<int> out;
    for (int f = 0; f < frames; ++f) {
      for (const Draw& d : DrawsIn(f)) {
        if (d.x == 23 && d.y == 371) out.push_back(f);
      }
    }
    return out;
  }
};

TEST_F(OpeningTest, TheFirstCharacterAloneWalksItsPathAndEndsWhereTheSumsSay) {
  SetParty({0, 2});
  const int frames = PlayToEnd(101, false);
  // 176 + 59.5 - 60 + 60 - 30: the first walk has 119 frames.
  EXPECT_EQ(player[0].X, 205.5f);
  EXPECT_EQ(player[0].Y, 176.0f);
  EXPECT_EQ(player[1].X, 205.5f - 64.0f);
  EXPECT_EQ(player[1].Y, 176.0f);
  EXPECT_EQ(player[0].facing, 4);
  EXPECT_EQ(player[1].facing, 4);
  EXPECT_EQ(fade_counter, 1);
  EXPECT_EQ(game_status, kStatusPlay);
  EXPECT_EQ(progress_flags[1], 1);
  EXPECT_EQ(scene_counter(101), 0);
  EXPECT_EQ(scene_vars.actor[0].x, 0.0f);
  EXPECT_EQ(scene_vars.fade_in_level, 0);
  // One unit a frame up to 841 (the first frame counts 0 to 2, and twice a
  // range hands over to the next in the same frame: 359 to 361 between the
  // chains, 659 to 661 into the first page), 26 fade-out frames, the end.
  EXPECT_EQ(frames, 838 + 26 + 1);
  // Pages from counter 660 to the last wait at 840, the faces by page.
  const std::vector<int> pages = PageFrames(frames);
  EXPECT_EQ(pages.front(), 657);
  EXPECT_EQ(pages.back(), 837);
  EXPECT_EQ(static_cast<int>(pages.size()), 840 - 660 + 1);
  EXPECT_TRUE(DrewIn(700, pelune_normal_img));
  EXPECT_TRUE(DrewIn(800, pelune_smile02_img));
}

TEST_F(OpeningTest, FastForwardInTheFirstOpeningTakesAnotherPath) {
  SetParty({0});
  StartScene(101);
  SetActions(0, 1);
  Frame();
  // 1 + 5 + 1, and 2.5 px a frame.
  EXPECT_EQ(scene_counter(101), 7);
  EXPECT_EQ(scene_vars.actor[0].x, 178.5f);
  Frame();
  EXPECT_EQ(scene_counter(101), 13);
  EXPECT_EQ(scene_vars.actor[0].x, 181.0f);

  SetUp();
  SetParty({0});
  PlayToEnd(101, true);
  EXPECT_NE(player[0].X, 205.5f);
  EXPECT_EQ(game_status, kStatusPlay);
}

TEST_F(OpeningTest, TheFirstOpeningsWaitsAndTheirPresses) {
  struct Case {
    int32_t counter;
    int players;
    int presser;       // player pressing decide (-1 none)
    int forwarder;     // player holding fast-forward (-1 none)
    int32_t expected;  // counter after the frame
  };
  const Case cases[] = {
      {720, 1, -1, -1, 720},
      {720, 2, 1, -1, 721},
      {720, 3, -1, 2, 720},  // player 2's fast-forward neither speeds up nor passes
      {720, 1, -1, 0, 726},  // +5, then page 2's +1
      {780, 2, 0, -1, 781},
      {838, 1, -1, 0, 839},  // from 835 on no +5: the page adds 1
      {840, 1, -1, 0, 841},  // the last wait takes a held fast-forward
      {840, 2, 0, -1, 841},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.counter);
    SetUp();
    SetParty(std::vector<int32_t>(c.players, 0));
    StartScene(101);
    scene_counter(101) = c.counter;
    if (c.presser >= 0) player[c.presser].actions[kDecideAction] = 2;
    if (c.forwarder >= 0) player[c.forwarder].actions[kFastForwardAction] = 1;
    Frame();
    EXPECT_EQ(scene_counter(101), c.expected);
  }
}

TEST_F(OpeningTest, ScenesHundredAndHundredAndOneShareTheirPlayedWord) {
  SetParty({0});
  PlayToEnd(100, false);
  EXPECT_EQ(progress_flags[1], 1);
  for (int32_t id : {100, 101}) {
    SetActions(0, 0);
    StartScene(id);
    const int frame = api_fake().frame;
    Frame();
    EXPECT_EQ(game_status, kStatusPlay);
    EXPECT_EQ(CallCountIn(frame), 1);
  }
}

TEST_F(OpeningTest, FadeInAndFadeOutBrightness) {
  SetParty({0});
  StartScene(101);
  for (int f = 0; f < 130; ++f) Frame();
  // Fade-in: 3 x counter until 255, then 255; no call from 120 on.
  EXPECT_EQ(BrightnessIn(0), 3);
  EXPECT_EQ(BrightnessIn(1), 6);
  EXPECT_EQ(BrightnessIn(84), 255);
  EXPECT_EQ(BrightnessIn(85), 255);
  EXPECT_EQ(BrightnessIn(118), 255);
  EXPECT_EQ(BrightnessIn(119), -1);

  SetUp();
  SetParty({0});
  StartScene(101);
  scene_counter(101) = 841;
  for (int f = 0; f < 27; ++f) Frame();
  for (int k = 1; k <= 25; ++k) EXPECT_EQ(BrightnessIn(k - 1), 255 - 60 * k) << k;
  // The 26th frame ends black and moves on; no page on any of them.
  EXPECT_EQ(BrightnessIn(25), 0);
  EXPECT_EQ(scene_fade_level, 0);
  for (int f = 0; f < 26; ++f) EXPECT_FALSE(DrewIn(f, pelune_normal_img));
  EXPECT_EQ(game_status, kStatusPlay);  // the end on the 27th
}

TEST_F(OpeningTest, TheSecondOpeningWaitsOnlyForPlayerZero) {
  struct Case {
    int32_t counter;
    int presser;
    int forwarder;
    int32_t expected;
  };
  const Case cases[] = {
      {240, 1, -1, 240},
      {240, 0, -1, 241},
      {240, 0, 0, 246},
      {240, -1, 1, 240},  // player 1's fast-forward sets step 6 but only player 0 passes
      {880, 0, -1, 881},
      {880, -1, 0, 881},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.counter << " " << c.presser << " " << c.forwarder);
    SetUp();
    SetParty({1, 3});
    StartScene(102);
    scene_counter(102) = c.counter;
    if (c.presser >= 0) player[c.presser].actions[kDecideAction] = 2;
    if (c.forwarder >= 0) player[c.forwarder].actions[kFastForwardAction] = 1;
    Frame();
    EXPECT_EQ(scene_counter(102), c.expected);
  }
}

TEST_F(OpeningTest, InTheSecondAndJointOpeningsActorsWalkAsFarPerCounterUnitAtAnySpeed) {
  struct Case {
    int32_t id;
    int32_t counter;
    int actor;
    float per_unit_x, per_unit_y;
  };
  const Case cases[] = {
      {102, 300, 1, 0.0f, -1.0f},  // walks up
      {102, 500, 1, -1.0f, 0.0f},  // walks left
      {103, 50, 0, 0.5f, 0.0f},    // the first actor at half speed
      {103, 250, 0, -0.5f, 0.0f},
      {103, 500, 1, 0.0f, -1.5f},  // the second at one and a half
  };
  for (const Case& c : cases) {
    for (bool forward : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.id << " " << c.counter << " " << forward);
      SetUp();
      SetParty({0, 1});
      StartScene(c.id);
      scene_counter(c.id) = c.counter;
      scene_vars.actor[c.actor] = scene_actor{300.0f, 300.0f, 0, 0};
      scene_vars.fade_in_level = 255;
      SetActions(0, forward ? 1 : 0);
      Frame();
      const int32_t units = scene_counter(c.id) - c.counter;
      EXPECT_EQ(units, forward ? 6 : 1);
      EXPECT_EQ(scene_vars.actor[c.actor].x, 300.0f + c.per_unit_x * units);
      EXPECT_EQ(scene_vars.actor[c.actor].y, 300.0f + c.per_unit_y * units);
    }
  }
}

TEST_F(OpeningTest, TheJointOpeningPlacesEachCharacterByItsActor) {
  SetParty({3, 0, 1, 2});
  const int frames = PlayToEnd(103, false);
  EXPECT_EQ(game_status, kStatusPlay);
  EXPECT_EQ(progress_flags[3], 1);
  const float fx = player[1].X, fy = player[1].Y;  // character 0: the first actor
  const float sx = player[2].X, sy = player[2].Y;  // character 1: the second actor
  EXPECT_EQ(player[3].X, fx);
  EXPECT_EQ(player[3].Y, fy + 64.0f);
  EXPECT_EQ(player[0].X, sx);
  EXPECT_EQ(player[0].Y, sy + 64.0f);
  // The second actor came in at (368, 336) and walked 107 frames up at 1.5.
  EXPECT_EQ(sx, 368.0f);
  EXPECT_EQ(sy, 336.0f - 1.5f * 107.0f);
  for (int p = 0; p < 4; ++p) EXPECT_EQ(player[p].facing, 4);
  EXPECT_EQ(fade_counter, 1);
  // Two pictures on each actor while it plays: one per player, by side.
  int pelune_pictures = 0, orven_pictures = 0;
  for (const Draw& d : DrawsIn(frames / 2)) {
    if (std::count(dot_pelune_img3248, dot_pelune_img3248 + 32, d.handle)) ++pelune_pictures;
    if (std::count(dot_orven_img3248, dot_orven_img3248 + 32, d.handle)) ++orven_pictures;
  }
  EXPECT_EQ(pelune_pictures, 2);
  EXPECT_EQ(orven_pictures, 2);
}

TEST_F(OpeningTest, TheJointOpeningsWaitsAddTheStepPerPresserAndTheLastOneOne) {
  struct Case {
    int32_t counter;
    int players;
    int pressers;
    bool forward;
    int32_t expected;
  };
  // The stages are tested before the waits, so a passed wait moves the
  // counter by the presses alone in its frame.
  const Case cases[] = {
      {480, 2, 0, false, 480},
      {480, 2, 2, false, 482},
      {690, 2, 1, false, 691},
      {690, 2, 2, true, 690 + 12},
      {1270, 1, 1, false, 1271},  // the last wait adds 1 per player: the fade-out
      // Two or three presses jump over the fade-out's value: the scene ends
      // at once (it ends at or above its end value, so it never stays).
      {1270, 2, 2, false, 0},
      {1270, 3, 3, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.counter << " " << c.pressers);
    SetUp();
    SetParty(std::vector<int32_t>(c.players, 0));
    StartScene(103);
    scene_counter(103) = c.counter;
    for (int p = 0; p < c.pressers; ++p) player[p].actions[kDecideAction] = 2;
    if (c.forward) player[0].actions[kFastForwardAction] = 1;
    Frame();
    EXPECT_EQ(scene_counter(103), c.expected);
  }
}

TEST_F(OpeningTest, EachTextTableHoldsTheLinesItsPageTableShows) {
  struct Table {
    const opening_page* pages;
    const scene_page_text* text;
    size_t count;
  };
  const Table tables[] = {{scene101_pages, scene101_text, std::size(scene101_pages)},
                          {scene102_pages, scene102_text, std::size(scene102_pages)},
                          {scene103_pages, scene103_text, std::size(scene103_pages)}};
  for (const Table& t : tables) {
    for (size_t i = 0; i < t.count; ++i) {
      int lines = 0;
      for (const char* line : t.text[i].line) lines += line != nullptr ? 1 : 0;
      EXPECT_EQ(lines, t.pages[i].line_count) << i;
      for (int k = 0; k < t.pages[i].line_count; ++k) EXPECT_NE(t.text[i].line[k], nullptr);
    }
  }
  // Line counts typed from the scene tables.
  const int first[] = {2, 2, 1};
  const int second[] = {2, 1, 1, 1, 2};
  const int both[] = {3, 3, 1, 1, 1, 1, 1, 1, 2, 2, 1, 1, 1};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(scene101_pages[i].line_count, first[i]);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(scene102_pages[i].line_count, second[i]);
  for (int i = 0; i < 13; ++i) EXPECT_EQ(scene103_pages[i].line_count, both[i]);
}

}  // namespace
