// The ending (118) and the trial end (119).
#include "game/scenes/ending.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <map>

#include "tests/game/scenes/dialogue_test_support.h"

namespace {

namespace fs = std::filesystem;

const std::vector<int32_t> kPeluneParty = {0, 2};
const std::vector<int32_t> kOrvenParty = {1, 3};
const std::vector<int32_t> kBothParty = {0, 1};

// A working folder of the test's own with a settings file whose revival
// stock tells that the settings were read again.
class WorkingFolder {
 public:
  WorkingFolder() : old_(fs::current_path()) {
    folder_ = fs::temp_directory_path() / ("brimal_ending_" + std::to_string(getpid()));
    fs::create_directories(folder_);
    std::ofstream config(folder_ / "config_data.dat");
    for (int i = 0; i < 20; ++i) config << i % 5 << "\n";
    config << kReviveStock << "\n";
    config.close();
    fs::current_path(folder_);
  }
  ~WorkingFolder() {
    fs::current_path(old_);
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
  static constexpr int32_t kReviveStock = 7;

 private:
  fs::path old_;
  fs::path folder_;
};

// ---- The ending's copies, typed from its tables ------------------------------------------

struct RollLine {
  int64_t x;
  int64_t start;
};

struct EndingCopy {
  std::vector<int32_t> party;
  int32_t roll_end;
  std::vector<RollLine> roll;
  std::vector<TypedPage> pages;  // with their counter ranges
  int32_t end_image_from;
  int32_t fade_out_from;
  int32_t end;
};

// A page shown from the wait before it + 1 to its own wait.
TypedPage Page(const int32_t* face, int lines, int32_t wait, int32_t first = 0) {
  return TypedPage{face, lines, 0, first != 0 ? first : wait - 39, wait};
}

std::vector<EndingCopy> EndingCopies() {
  return {
      {kPeluneParty,
       1400,
       {{0, 500}, {0, 700}, {0, 750}, {0, 900}, {0, 950}},
       {Page(&pelune_smile01_img, 2, 1640), Page(&pelune_normal_img, 1, 1680),
        Page(&pelune_normal_img, 1, 1720), Page(&pelune_smile01_img, 2, 1760),
        Page(&pelune_smile02_img, 1, 1800)},
       2400,
       2651,
       3000},
      {kOrvenParty,
       1600,
       {{0, 500}, {0, 700}, {0, 900}, {0, 950}, {0, 1150}},
       {Page(&orven_worry_img, 1, 2010, 1973), Page(&pelune_smile02_img, 1, 2050),
        Page(&orven_smile_img, 2, 2090), Page(&orven_worry_img, 1, 2130),
        Page(&pelune_normal_img, 2, 2170), Page(&orven_angry_img, 2, 2210),
        Page(&pelune_normal_img, 1, 2250), Page(&orven_smile_img, 2, 2290),
        Page(&pelune_smile02_img, 3, 2330), Page(&pelune_smile02_img, 2, 2370),
        Page(&orven_smile_img, 2, 2410)},
       2500,
       2651,
       3000},
      {kBothParty,
       1600,
       {{0, 500}, {8, 700}, {0, 750}, {0, 950}, {0, 1000}, {0, 1150}},
       {Page(&orven_worry_img, 1, 1790), Page(&orven_smile_img, 1, 1830),
        Page(&pelune_normal_img, 1, 1870), Page(&orven_worry_img, 1, 1910),
        Page(&pelune_smile02_img, 3, 1950), Page(&orven_angry_img, 1, 1990),
        Page(&pelune_normal_img, 2, 2030), Page(&pelune_smile03_img, 1, 2440),
        Page(&orven_angry_img, 1, 2480), Page(&orven_worry_img, 1, 2520)},
       2900,
       3100,
       3400},
  };
}

class EndingTest : public DialogueSceneTest {
 protected:
  void SetUp() override {
    DialogueSceneTest::SetUp();
    scene_vars = scene_variables{};
  }

  // One frame with player 0 (and 1) passing waits as `drive` says.
  static void DriveFrame(const EndingCopy& copy, Drive drive) {
    bool at_wait = false;
    for (const TypedPage& page : copy.pages) at_wait = at_wait || scene_counter(118) == page.last;
    SetDriveActions(drive, at_wait);
    Frame();
  }

  static void Start(const EndingCopy& copy) {
    SetParty(copy.party);
    StartScene(118);
  }

  // Runs until the counter reaches `counter` (one presser).
  static void RunTo(const EndingCopy& copy, int32_t counter) {
    while (game_status == kStatusScene && scene_counter(118) < counter) {
      DriveFrame(copy, Drive::kOnePresser);
    }
  }

  static bool Drew(int frame, const Draw& draw) {
    const std::vector<Draw> draws = DrawsIn(frame);
    return std::find(draws.begin(), draws.end(), draw) != draws.end();
  }
  static int LastFrame() { return api_fake().frame - 1; }
};

TEST_F(EndingTest, TheRollDrawsOnlyTheNarrationLinesClimbingABlackScreen) {
  const std::vector<EndingCopy> copies = EndingCopies();
  for (size_t c = 0; c < copies.size(); ++c) {
    SCOPED_TRACE(c);
    SetUp();
    const EndingCopy& copy = copies[c];
    Start(copy);
    for (int frame = 0; frame < 5; ++frame) DriveFrame(copy, Drive::kOnePresser);
    // Fast-forward moves the lines 3 a frame.
    player[0].actions[kFastForwardAction] = 1;
    Frame();
    const uint32_t white = ApiGetColorValue(255, 255, 255);
    // Frame f draws at counter f + 1: the lines at start - (f + 1).
    const int32_t counters[6] = {1, 2, 3, 4, 5, 6};
    for (int frame = 0; frame < 6; ++frame) {
      std::vector<ApiCall> calls;
      for (const ApiCall& call : api_fake().CallsInFrame(frame)) {
        if (call.name != "ApiGetColorValue" && call.name != "ApiFlipScreen") calls.push_back(call);
      }
      ASSERT_EQ(calls.size(), copy.roll.size()) << frame;
      for (size_t i = 0; i < copy.roll.size(); ++i) {
        EXPECT_EQ(calls[i].name, "ApiDrawTextWithFont");
        EXPECT_EQ(calls[i].args, (std::vector<int64_t>{copy.roll[i].x,
                                                       copy.roll[i].start - counters[frame], white,
                                                       roll_font, 0, 0}));
        EXPECT_EQ(calls[i].texts[0].empty(), false);
      }
    }
    EXPECT_EQ(scene_counter(118), 9);
    // The roll's last frame goes on into the room.
    scene_counter(118) = copy.roll_end;
    ClearActions();
    Frame();
    EXPECT_EQ(api_fake().Count("ApiSetDrawBrightness"), 1);
    EXPECT_TRUE(DrewIn(6, back_screen_img));
  }
}

TEST_F(EndingTest, EveryCopyShowsItsPagesAndReturnsToTheTitleHoweverThePlayersPass) {
  for (const EndingCopy& copy : EndingCopies()) {
    SCOPED_TRACE(copy.roll_end + copy.end);
    int frames[3] = {};
    for (Drive drive : {Drive::kOnePresser, Drive::kFastForward, Drive::kTwoPressers}) {
      SCOPED_TRACE(DriveName(drive));
      SetUp();
      WorkingFolder folder;
      Start(copy);
      std::set<size_t> seen;
      int frame = 0;
      for (; game_status == kStatusScene && frame < 5000; ++frame) {
        DriveFrame(copy, drive);
        if (game_status != kStatusScene) break;
        const int32_t counter = scene_counter(118);
        int page = -1;
        for (size_t k = 0; k < copy.pages.size(); ++k) {
          if (counter >= copy.pages[k].first && counter <= copy.pages[k].last) page = static_cast<int>(k);
        }
        const Shown shown = ShownIn(LastFrame());
        if (page < 0) {
          EXPECT_EQ(shown.face, -1) << counter;
          EXPECT_EQ(shown.lines, 0) << counter;
          continue;
        }
        EXPECT_EQ(shown.face, *copy.pages[page].face) << counter;
        EXPECT_EQ(shown.lines, copy.pages[page].lines) << counter;
        seen.insert(page);
      }
      frames[static_cast<int>(drive)] = frame;
      EXPECT_EQ(seen.size(), copy.pages.size());
      // Back at the title with everything reset and read again.
      EXPECT_EQ(game_status, kStatusTitle);
      EXPECT_EQ(menu_cursor, 1);
      EXPECT_EQ(scene_counter(118), 0);
      EXPECT_EQ(progress_flags[18], 0) << "the reset clears the word set at the end";
      EXPECT_EQ(player_count, 4);
      EXPECT_EQ(revive_stock, WorkingFolder::kReviveStock);
      EXPECT_EQ(scene_vars.ending_brightness, 0);
      EXPECT_EQ(scene_vars.ending_flash, 0);
      const std::vector<ApiCall> brightness = api_fake().Calls("ApiSetDrawBrightness");
      ASSERT_FALSE(brightness.empty());
      EXPECT_EQ(brightness.back().args, (std::vector<int64_t>{255, 255, 255}));
      EXPECT_EQ(brightness.back().frame, LastFrame());
    }
    EXPECT_LT(frames[1], frames[0]);
  }
}

TEST_F(EndingTest, TheHouseMusicIsAskedForOnceTheRollIsOver) {
  const EndingCopy copy = EndingCopies()[0];
  Start(copy);
  scene_counter(118) = 1400;
  music_request = 100;
  std::vector<int32_t> requests;
  for (int frame = 0; frame < 20; ++frame) {
    DriveFrame(copy, Drive::kOnePresser);
    requests.push_back(music_request);
    music_request = 100;
  }
  // The request is tested before the counter rules: on the frames that
  // start at 1410 to 1414.
  for (int frame = 0; frame < 20; ++frame) {
    const int32_t counter = 1401 + frame;
    EXPECT_EQ(requests[frame], counter >= 1410 && counter < 1415 ? 2 : 100) << counter;
  }
}

TEST_F(EndingTest, TheRoomFadesInAfterTheRollAndOutOneLevelAFrameToTheEnd) {
  for (const EndingCopy& copy : EndingCopies()) {
    SCOPED_TRACE(copy.end);
    SetUp();
    Start(copy);
    scene_counter(118) = copy.roll_end;
    std::map<int32_t, int64_t> level_at;  // counter after the frame: brightness set
    while (game_status == kStatusScene) {
      DriveFrame(copy, Drive::kOnePresser);
      if (game_status != kStatusScene) break;
      level_at[scene_counter(118)] = BrightnessIn(LastFrame());
    }
    const int32_t r = copy.roll_end;
    // Rising 3 a counter unit from R + 1, held at 255 once reached.
    EXPECT_EQ(level_at[r + 2], 3);
    EXPECT_EQ(level_at[r + 50], 49 * 3);
    EXPECT_EQ(level_at[r + 85], 252);
    EXPECT_EQ(level_at[r + 86], 255);
    EXPECT_EQ(level_at[r + 87], 255);
    EXPECT_EQ(level_at[r + 119], 255);
    EXPECT_EQ(level_at[r + 120], -1) << "no brightness call between the fades";
    // Falling 1 a frame from the fade-out's first value, not below 0.
    EXPECT_EQ(level_at[copy.fade_out_from], 254);
    EXPECT_EQ(level_at[copy.fade_out_from + 100], 154);
    EXPECT_EQ(level_at[copy.fade_out_from + 254], 0);
    EXPECT_EQ(level_at[copy.end - 1], 0);
  }
}

TEST_F(EndingTest, WithFastForwardTheOneSideCopiesEndBeforeTheScreenIsDark) {
  const std::vector<EndingCopy> copies = EndingCopies();
  for (size_t c = 0; c < 2; ++c) {
    SCOPED_TRACE(c);
    SetUp();
    const EndingCopy& copy = copies[c];
    Start(copy);
    scene_counter(118) = copy.fade_out_from - 1;
    scene_vars.ending_brightness = 255;
    int64_t last_level = -1;
    int frames = 0;
    while (game_status == kStatusScene) {
      DriveFrame(copy, Drive::kFastForward);
      const std::vector<ApiCall> calls = api_fake().Calls("ApiSetDrawBrightness");
      if (game_status == kStatusScene) last_level = calls.back().args[0];
      ++frames;
    }
    EXPECT_EQ(frames, 117);
    EXPECT_EQ(last_level, 255 - 116);
    EXPECT_GT(last_level, 0);
  }
}

TEST_F(EndingTest, ThePeluneCopyFlashesAndPlaysItsEffectsWhenTheyAreNotAlreadyPlaying) {
  const EndingCopy copy = EndingCopies()[0];
  std::set<int32_t> playing;  // handles the script says are playing
  api_fake().sound_playing = [&playing](int32_t sound) { return playing.count(sound) ? 1 : 0; };
  Start(copy);
  scene_counter(118) = 1899;
  std::map<int32_t, int64_t> flash_at;  // counter: blend level of the white box, -1 none
  std::map<int32_t, std::vector<int64_t>> plays_at;
  while (scene_counter(118) < 2410) {
    // collectpowerup already plays on 2042 and 2043.
    const int32_t next = scene_counter(118) + 1;
    playing.clear();
    if (next == 2042 || next == 2043) playing.insert(collectpowerup);
    DriveFrame(copy, Drive::kOnePresser);
    const int32_t counter = scene_counter(118);
    int64_t blend = 0;
    flash_at[counter] = -1;
    for (const ApiCall& call : api_fake().CallsInFrame(LastFrame())) {
      if (call.name == "ApiSetBlendMode") blend = call.args[1];
      if (call.name == "ApiDrawRectangle") {
        EXPECT_EQ(call.args, (std::vector<int64_t>{0, 0, 640, 480, ApiGetColorValue(255, 255, 255), 1}));
        flash_at[counter] = blend;
      }
      if (call.name == "ApiPlaySound") {
        EXPECT_EQ(call.args[1], 1);
        EXPECT_EQ(call.args[2], 1);
        plays_at[counter].push_back(call.args[0]);
      }
    }
  }
  EXPECT_EQ(flash_at[1900], -1);
  EXPECT_EQ(flash_at[1901], 0);
  EXPECT_EQ(flash_at[1950], 147);
  EXPECT_EQ(flash_at[1985], 252);
  EXPECT_EQ(flash_at[1986], 255);
  EXPECT_EQ(flash_at[1987], 255);
  EXPECT_EQ(flash_at[2100], 255);
  EXPECT_EQ(flash_at[2101], 254);
  EXPECT_EQ(flash_at[2355], 0);
  EXPECT_EQ(flash_at[2400], 0);
  EXPECT_EQ(flash_at[2401], -1);
  std::map<int32_t, std::vector<int64_t>> expected = {
      {2040, {collectpowerup}}, {2041, {collectpowerup}}, {2044, {collectpowerup}},
      {2100, {se_potion}},      {2101, {se_potion}},      {2102, {se_potion}},
      {2103, {se_potion}},      {2104, {se_potion}}};
  EXPECT_EQ(plays_at, expected);
}

TEST_F(EndingTest, FastForwardThroughTheEffectsStillPlaysThemOnAFrameOfTheirRanges) {
  const EndingCopy copy = EndingCopies()[0];
  Start(copy);
  scene_counter(118) = 2036;
  while (scene_counter(118) < 2110) DriveFrame(copy, Drive::kFastForward);
  // Counters 2039, 2042, 2045: one frame in the first range; 2099, 2102,
  // 2105: one in the second.
  std::vector<int64_t> plays;
  for (const ApiCall& call : api_fake().Calls("ApiPlaySound")) plays.push_back(call.args[0]);
  EXPECT_EQ(plays, (std::vector<int64_t>{collectpowerup, se_potion}));
}

TEST_F(EndingTest, ThePeluneFiguresStandThenGrowLarge) {
  const EndingCopy copy = EndingCopies()[0];
  Start(copy);
  scene_counter(118) = 2098;
  DriveFrame(copy, Drive::kOnePresser);  // 2099
  DriveFrame(copy, Drive::kOnePresser);  // 2100
  const int32_t figure = dot_pelune_img3248[16];
  EXPECT_TRUE(Drew(0, Draw{230, 150, figure}));
  const std::vector<ApiCall> stretched = api_fake().Calls("ApiDrawGraphicStretched");
  ASSERT_EQ(stretched.size(), 1u);
  EXPECT_EQ(stretched[0].frame, 1);
  EXPECT_EQ(stretched[0].args, (std::vector<int64_t>{100, 0, 400, 300, figure, 1}));
  EXPECT_FALSE(DrewIn(1, figure));
}

TEST_F(EndingTest, TheEndImageShowsFromItsCopysValueToTheEnd) {
  for (const EndingCopy& copy : EndingCopies()) {
    SCOPED_TRACE(copy.end_image_from);
    SetUp();
    Start(copy);
    scene_counter(118) = copy.end_image_from - 2;
    DriveFrame(copy, Drive::kOnePresser);
    EXPECT_FALSE(DrewIn(0, ending_end_img));
    DriveFrame(copy, Drive::kOnePresser);
    EXPECT_EQ(scene_counter(118), copy.end_image_from);
    const std::vector<Draw> draws = DrawsIn(1);
    EXPECT_NE(std::find(draws.begin(), draws.end(), Draw{200, 150, ending_end_img}), draws.end());
  }
}

TEST_F(EndingTest, TheOrvenCopysClosingWindowIsOpaqueWithTwoWhiteLines) {
  const EndingCopy copy = EndingCopies()[1];
  Start(copy);
  scene_counter(118) = 2410;
  player[0].actions[kDecideAction] = 2;
  Frame();  // 2410 passed: 2411, then the closing range adds 1
  EXPECT_EQ(scene_counter(118), 2412);
  int64_t blend = 0;
  bool window = false;
  std::vector<ApiCall> lines;
  for (const ApiCall& call : api_fake().CallsInFrame(0)) {
    if (call.name == "ApiSetBlendMode") blend = call.args[0] == 0 ? 0 : call.args[1];
    if (call.name == "ApiDrawGraphicAt" && call.args[2] == message_window_img) {
      EXPECT_EQ(call.args, (std::vector<int64_t>{20, 368, message_window_img, 0}));
      EXPECT_EQ(blend, 0);
      window = true;
    }
    if (call.name == "ApiDrawTextWithFont") lines.push_back(call);
  }
  EXPECT_TRUE(window);
  EXPECT_EQ(api_fake().Count("ApiSetBlendMode"), 0);
  ASSERT_EQ(lines.size(), 2u);
  const int64_t white = ApiGetColorValue(255, 255, 255);
  EXPECT_EQ(lines[0].args, (std::vector<int64_t>{40, 395, white, message_font, 0, 0}));
  EXPECT_EQ(lines[1].args, (std::vector<int64_t>{40, 425, white, message_font, 0, 0}));
  EXPECT_NE(lines[0].texts[0], lines[1].texts[0]);
}

// The stage, wait, brightness and page ranges are separate tests one after
// another: a counter leaving one range enters the next in the same frame.
TEST_F(EndingTest, ARangeLeftInAFrameHandsTheCounterToTheNextOne) {
  struct Case {
    size_t copy;
    int32_t start;
    bool press;
    int32_t after;
  };
  const Case cases[] = {
      {0, 1600, false, 1602},  // the room's last value, then page 1
      {0, 1800, true, 1802},   // the last wait, then the range after the pages
      {1, 1972, false, 1974},  // the standing figure's turn, then page 1
      {1, 2410, true, 2412},   // the last wait, then the closing lines
      {2, 1750, false, 1752},  // the meeting, then page 1
      {2, 2030, true, 2032},   // the talk's last wait, then the first walk
      {2, 2400, false, 2402},  // the walk's end, then the last pages
      {2, 2520, true, 2522},   // the last wait, then the second walk
  };
  const std::vector<EndingCopy> copies = EndingCopies();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start);
    SetUp();
    Start(copies[c.copy]);
    scene_counter(118) = c.start;
    player[0].actions[kDecideAction] = c.press ? 2 : 0;
    Frame();
    EXPECT_EQ(scene_counter(118), c.after);
  }
}

TEST_F(EndingTest, TheOrvenCopyWalksTheSecondCharacterUpToTheStandingFirst) {
  const EndingCopy copy = EndingCopies()[1];
  Start(copy);
  scene_counter(118) = 1600;
  DriveFrame(copy, Drive::kOnePresser);  // 1602
  const scene_actor& second = scene_vars.actor[1];
  EXPECT_EQ(second.x, 368.0f);
  EXPECT_EQ(second.y, 336.0f);
  EXPECT_EQ(second.direction, 0);
  // The standing figure at its place on the screen, the actor at the
  // camera's offsets.
  EXPECT_TRUE(Drew(0, Draw{230, 152, dot_pelune_img3248[4 * 4]}));
  EXPECT_TRUE(Drew(0, Draw{368 + scroll_x + 48, 336 + scroll_y - 32, dot_orven_img3248[0]}));
  RunTo(copy, 1911);
  EXPECT_EQ(second.y, 336.0f - 160.0f);
  EXPECT_EQ(second.walk, 160 % 64);
  RunTo(copy, 1943);
  EXPECT_EQ(second.direction, 6);
  RunTo(copy, 1973);
  EXPECT_EQ(scene_vars.ending_figure_direction, 2);
  EXPECT_TRUE(Drew(LastFrame(), Draw{230, 152, dot_pelune_img3248[2 * 4]}));
}

TEST_F(EndingTest, TheBothCopyWalksEachCharacterOutOfTheRoom) {
  const EndingCopy copy = EndingCopies()[2];
  Start(copy);
  scene_counter(118) = 1700;
  const scene_actor& first = scene_vars.actor[0];
  const scene_actor& second = scene_vars.actor[1];
  DriveFrame(copy, Drive::kOnePresser);
  EXPECT_EQ(first.x, 190.0f);
  EXPECT_EQ(first.y, 160.0f);
  EXPECT_EQ(first.direction, 2);
  EXPECT_EQ(second.x, 240.0f);
  EXPECT_EQ(second.y, 160.0f);
  EXPECT_EQ(second.direction, 6);
  // Down 100, right 200; the frame that takes the counter into a range
  // already walks by it, so stopping at 2332 the last walk has begun.
  RunTo(copy, 2331);
  EXPECT_EQ(scene_counter(118), 2332);
  EXPECT_EQ(first.x, 390.0f);
  EXPECT_EQ(first.y, 261.0f);
  RunTo(copy, 2401);
  EXPECT_EQ(first.y, 330.0f);
  RunTo(copy, 2442);
  EXPECT_EQ(first.x, 999.0f);
  EXPECT_EQ(first.y, 999.0f);
  RunTo(copy, 2840);
  EXPECT_EQ(second.x, 240.0f + 150.0f);
  EXPECT_EQ(second.y, 160.0f + 169.0f);
  EXPECT_EQ(second.direction, 4);
  RunTo(copy, 2841);
  EXPECT_EQ(second.x, 999.0f);
  EXPECT_EQ(second.y, 999.0f);
  // The end clears the actors.
  RunTo(copy, INT_MAX);
  EXPECT_EQ(first.x, 0.0f);
  EXPECT_EQ(second.walk, 0);
}

TEST_F(EndingTest, TheFirstFrameTurnsThePlayersAndTheBossDownAndAPlayedEndingIsSkipped) {
  SetParty({0, 1, 2});
  player[2].alive = 0;
  player[3].facing = 1;
  boss_facing = 1;
  StartScene(118);
  Frame();
  for (int p = 0; p < 3; ++p) EXPECT_EQ(player[p].facing, 4);
  EXPECT_EQ(player[3].facing, 1);
  EXPECT_EQ(boss_facing, 4);
  EXPECT_EQ(scene_counter(118), 2);

  SetUp();
  SetParty({0});
  progress_flags[18] = 1;
  StartScene(118);
  Frame();
  EXPECT_EQ(game_status, kStatusPlay);
  EXPECT_EQ(CallCountIn(0), 1);
}

// ---- The trial end ----------------------------------------------------------------------

// Typed from its table; the copies return to the title, where the reset has
// cleared the played word again.
std::vector<TypedCopy> TrialEndCopies() {
  std::vector<TypedCopy> copies = {
      {kPeluneParty,
       {{&pelune_normal_img, 1}, {&pelune_smile02_img, 1}, {&pelune_smile02_img, 1}},
       171},
      {kOrvenParty, {{&orven_smile_img, 1}, {&orven_smile_img, 1}, {&orven_smile_img, 1}}, 171},
      {kBothParty,
       {{&pelune_smile01_img, 3}, {&orven_worry_img, 2}, {&pelune_normal_img, 1},
        {&pelune_smile02_img, 1}, {&orven_smile_img, 1}, {&pelune_smile02_img, 1}},
       291},
  };
  for (TypedCopy& copy : copies) copy.returns_to_title = true;
  return copies;
}

class TrialEndTest : public DialogueSceneTest {};

TEST_F(TrialEndTest, EveryCopyShowsItsPagesAndReturnsToTheTitleFadingIn) {
  for (const TypedCopy& copy : TrialEndCopies()) {
    SCOPED_TRACE(copy.end);
    for (Drive drive : {Drive::kOnePresser, Drive::kFastForward, Drive::kTwoPressers}) {
      SetUp();
      WorkingFolder folder;
      PlayCopy(119, copy, drive);
      EXPECT_EQ(menu_cursor, 1);
      EXPECT_EQ(fade_counter, 1);
      EXPECT_EQ(player_count, 4);
      EXPECT_EQ(revive_stock, WorkingFolder::kReviveStock);
      // The press that ended it does not also choose on the title.
      for (const player_data& record : player) EXPECT_EQ(record.actions[kDecideAction], 0);
    }
    SetUp();
    CheckEndValue(119, copy);
  }
}

TEST_F(TrialEndTest, TheFirstFrameTurnsThePlayersAndTheBossDownOnce) {
  SetParty({1, 0});
  boss_facing = 2;
  StartScene(119);
  Frame();
  EXPECT_EQ(player[0].facing, 4);
  EXPECT_EQ(player[1].facing, 4);
  EXPECT_EQ(boss_facing, 4);
  player[0].facing = 2;
  Frame();
  EXPECT_EQ(player[0].facing, 2);
}

}  // namespace
