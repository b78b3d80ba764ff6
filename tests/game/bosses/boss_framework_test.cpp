// The boss update and the skeleton every boss behaviour shares, seen through
// update_boss with a boss of the test's own: its step 5 adds a scripted step.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/bosses/boss_skeleton.h"
#include "game/scenes/scenes.h"
#include "tests/game/bosses/boss_test_support.h"

namespace {

// ---- The test's own boss ----------------------------------------------------------------

struct Script {
  float vx = 0.0f;  // added to the step by the own step
  float vy = 0.0f;
  TargetKey key = TargetKey::kManhattan;
  int32_t own_steps = 0;
  int32_t patterns = 0;
  int32_t target_seen = -1;  // boss_target when the own step ran
};
Script script;

void scripted_step() {
  boss_vx = boss_vx + script.vx;
  boss_vy = boss_vy + script.vy;
  script.own_steps += 1;
  script.target_seen = boss_target;
}
void scripted_boss() { run_boss_behaviour(scripted_step, script.key); }
void counted_pattern() { script.patterns += 1; }

class BossFrameworkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetBossRoom();
    script = Script{};
  }
};

// ---- update_boss -------------------------------------------------------------------------

std::vector<std::string> dispatch_log;
void behaviour_a() { dispatch_log.push_back("behaviour 2"); }
void pattern_a() { dispatch_log.push_back("pattern 2"); }
void behaviour_switching_id() {
  dispatch_log.push_back("behaviour 3");
  boss_id = 2;
}
void pattern_b() { dispatch_log.push_back("pattern 3"); }

TEST_F(BossFrameworkTest, BehaviourThenThePatternOfTheIdReadAgain) {
  BossSlot two(2, behaviour_a, pattern_a);
  BossSlot three(3, behaviour_switching_id, pattern_b);
  dispatch_log.clear();
  boss_id = 2;
  update_boss();
  boss_id = 3;
  update_boss();
  EXPECT_EQ(dispatch_log,
            (std::vector<std::string>{"behaviour 2", "pattern 2", "behaviour 3", "pattern 2"}));
}

void log_any_behaviour() { dispatch_log.push_back("behaviour"); }
void log_any_pattern() { dispatch_log.push_back("pattern"); }

TEST_F(BossFrameworkTest, AnIdOutsideTheTablesCallsNeither) {
  std::vector<std::unique_ptr<BossSlot>> slots;
  for (int32_t id = 0; id < kBossKinds; ++id)
    slots.push_back(std::make_unique<BossSlot>(id, log_any_behaviour, log_any_pattern));
  for (int32_t id : {9, 10, -1, 255}) {
    dispatch_log.clear();
    boss_id = id;
    update_boss();
    EXPECT_TRUE(dispatch_log.empty()) << "boss id " << id;
  }
  boss_id = 8;
  dispatch_log.clear();
  update_boss();
  EXPECT_EQ(dispatch_log, (std::vector<std::string>{"behaviour", "pattern"}));
}

// ---- Defeat -----------------------------------------------------------------------------

// Frames counted from the one whose update sees the hit points at 0.
struct DefeatFrame {
  int32_t frame;
  int32_t counter;  // boss_defeat_counter after it
};

TEST_F(BossFrameworkTest, DefeatTimelineFromTheSwitchToTheCrystals) {
  BossSlot slot(2, scripted_boss, counted_pattern);
  PlaceBoss(2, 250.0f, 200.0f, 0);
  PlacePlayer(0, 100.0f, 100.0f);
  std::vector<int32_t> disappear_frames;
  std::vector<int32_t> win_frames;
  std::vector<DefeatFrame> counters;
  for (int32_t frame = 0; frame <= 140; ++frame) {
    RunBossFrame();
    if (se_boss_disappear_request == 1) disappear_frames.push_back(frame);
    if (se_win_request == 1) win_frames.push_back(frame);
    if (frame == 0) {
      EXPECT_EQ(boss_active, 0);
      EXPECT_EQ(music_request, 100);
      EXPECT_EQ(remain_item, 1);
    }
    if (frame == 131) {
      EXPECT_EQ(floor_item_present[0], 0) << "no crystal before the last count";
    }
    if (frame == 0 || frame == 33 || frame == 131 || frame == 132 || frame == 140)
      counters.push_back({frame, boss_defeat_counter});
  }
  EXPECT_EQ(disappear_frames, (std::vector<int32_t>{0, 33, 66, 99}));
  EXPECT_EQ(win_frames, (std::vector<int32_t>{132}));
  const std::vector<std::pair<int32_t, int32_t>> expected = {
      {0, 1}, {33, 34}, {131, 132}, {132, 0}, {140, 0}};
  ASSERT_EQ(counters.size(), expected.size());
  for (size_t k = 0; k < expected.size(); ++k) {
    EXPECT_EQ(counters[k].frame, expected[k].first);
    EXPECT_EQ(counters[k].counter, expected[k].second) << "frame " << expected[k].first;
  }
  EXPECT_EQ(floor_item_present[0], 1);
  EXPECT_EQ(script.own_steps, 0) << "a beaten boss never moves";
  EXPECT_EQ(script.patterns, 141) << "the pattern runs every frame";
}

struct CrystalCase {
  const char* name;
  int32_t boss;
  int32_t count;  // player_count
  int32_t alive[4];
  int32_t crystals;
};

TEST_F(BossFrameworkTest, OneCrystalPerLivePlayerAndAllFourPlacesWritten) {
  const CrystalCase cases[] = {
      {"one player", 2, 1, {1, 0, 0, 0}, 1},
      {"two players", 3, 2, {1, 1, 0, 0}, 2},
      {"four players, one down", 4, 4, {1, 0, 1, 1}, 3},
      {"four players", 8, 4, {1, 1, 1, 1}, 4},
      {"players beyond the count are no candidates", 5, 2, {1, 0, 1, 1}, 1},
  };
  const float places[4][2] = {{220, 180}, {284, 180}, {220, 244}, {284, 244}};
  for (const CrystalCase& c : cases) {
    ResetBossRoom();
    BossSlot slot(c.boss, scripted_boss, counted_pattern);
    PlaceBoss(c.boss, 250.0f, 200.0f);
    player_count = c.count;
    for (int32_t p = 0; p < 4; ++p) PlacePlayer(p, 40.0f + 30.0f * p, 300.0f, c.alive[p]);
    for (int32_t i = 0; i < kFloorItemSlots; ++i) {
      floor_item_x[i] = -1.0f;
      floor_item_y[i] = -1.0f;
      floor_item_kind[i] = 3;
    }
    boss_defeat_counter = 132;
    boss_active = 0;
    RunBossFrame();
    EXPECT_EQ(floor_item_count, c.crystals) << c.name;
    EXPECT_EQ(remain_item, c.crystals) << c.name;
    EXPECT_EQ(boss_defeat_counter, 0) << c.name;
    for (int32_t i = 0; i < 4; ++i) {
      EXPECT_EQ(floor_item_x[i], places[i][0]) << c.name << ", slot " << i;
      EXPECT_EQ(floor_item_y[i], places[i][1]) << c.name << ", slot " << i;
      if (i < c.crystals) {
        EXPECT_EQ(floor_item_present[i], 1) << c.name;
        EXPECT_EQ(floor_item_kind[i], 11 + c.boss) << c.name;
        EXPECT_EQ(floor_item_hp[i], 10000) << c.name;
        EXPECT_EQ(floor_item_width[i], 13) << c.name;
        EXPECT_EQ(floor_item_height[i], 13) << c.name;
      } else {
        EXPECT_EQ(floor_item_present[i], 0) << c.name << ", slot " << i;
        EXPECT_EQ(floor_item_kind[i], 3) << c.name << ", slot " << i;
      }
    }
  }
}

struct ExtraCase {
  const char* name;
  int32_t boss;
  int32_t played_word_4;
  int32_t status;
  int32_t scene;
};

TEST_F(BossFrameworkTest, TheExtrasOfBosses0And1AtTheCrystals) {
  const ExtraCase cases[] = {
      {"boss 0 marks scene 104 played", 0, 1, kStatusPlay, 0},
      {"boss 1 starts scene 108 in the same call", 1, 0, kStatusScene, 108},
      {"boss 2 has none", 2, 0, kStatusPlay, 0},
      {"boss 8 has none", 8, 0, kStatusPlay, 0},
  };
  for (const ExtraCase& c : cases) {
    ResetBossRoom();
    BossSlot slot(c.boss, scripted_boss, counted_pattern);
    PlaceBoss(c.boss, 250.0f, 200.0f);
    PlacePlayer(0, 100.0f, 100.0f);
    game_status = kStatusPlay;
    boss_active = 0;
    boss_defeat_counter = 131;
    RunBossFrame();
    EXPECT_EQ(progress_flags[4], 0) << c.name << ": nothing before the last count";
    EXPECT_EQ(game_status, kStatusPlay) << c.name;
    RunBossFrame();
    EXPECT_EQ(se_win_request, 1) << c.name;
    EXPECT_EQ(progress_flags[4], c.played_word_4) << c.name;
    EXPECT_EQ(game_status, c.status) << c.name;
    EXPECT_EQ(scene_number, c.scene) << c.name;
    for (int32_t word = 0; word < 24; ++word)
      if (word != 4) {
        EXPECT_EQ(progress_flags[word], 0) << c.name << ", word " << word;
      }
  }
}

TEST_F(BossFrameworkTest, TheSwitchFrameHurtsNobodyAndStopsTheBoss) {
  BossSlot slot(2, scripted_boss, counted_pattern);
  PlaceBoss(2, 200.0f, 200.0f, 0);
  player_data& p = PlacePlayer(0, 200.0f, 230.0f);  // inside the boss's reach
  script.vy = 10.0f;
  boss_final_phase_started = 1;
  RunBossFrame();
  EXPECT_EQ(p.hp, 100);
  EXPECT_EQ(p.hit_counter, 0);
  EXPECT_EQ(p.vy, 0.0f);
  EXPECT_EQ(boss_y, 200.0f);
  EXPECT_EQ(script.own_steps, 0);
  EXPECT_EQ(boss_defeat_counter, 1);
  EXPECT_EQ(boss_final_phase_started, 0);
  EXPECT_EQ(script.patterns, 1) << "the pattern still runs, to clear the shots";
}

struct RowCase {
  const char* name;
  int32_t area;
  int32_t cleared_row;  // -1: none
};

TEST_F(BossFrameworkTest, TheSwitchClearsTheCurrentAreasRow) {
  const RowCase cases[] = {
      {"dansion01", 2, 0},
      {"dansion02", 3, 1},
      {"library", 7, 3},
      {"dansion09", 13, 8},
      {"field01 has no boss row", 1, -1},
  };
  for (const RowCase& c : cases) {
    ResetBossRoom();
    BossSlot slot(0, scripted_boss, counted_pattern);
    for (boss_data& row : boss_data_rows) row.active = 1;
    present_map_number = c.area;
    // The id is not the row: the row follows the area.
    PlaceBoss(0, 250.0f, 200.0f, -5);
    RunBossFrame();
    for (int32_t r = 0; r < kBossRowCount; ++r)
      EXPECT_EQ(boss_data_rows[r].active, r == c.cleared_row ? 0 : 1) << c.name << ", row " << r;
  }
}

struct ItemCountCase {
  const char* name;
  int32_t items_before;
  int32_t live;
  int32_t expected;
};

TEST_F(BossFrameworkTest, TheSwitchAddsTheLivePlayersToTheItemCountUpToItsSlots) {
  const ItemCountCase cases[] = {
      {"an empty floor", 0, 2, 2},
      {"the count is not cleared first", 5, 3, 8},
      {"held to the 16 slots", 15, 4, 16},
      {"a full table stays full", 16, 1, 16},
  };
  for (const ItemCountCase& c : cases) {
    ResetBossRoom();
    BossSlot slot(2, scripted_boss, counted_pattern);
    PlaceBoss(2, 250.0f, 200.0f, 0);
    for (int32_t p = 0; p < c.live; ++p) PlacePlayer(p, 40.0f * p, 300.0f);
    floor_item_count = c.items_before;
    RunBossFrame();
    EXPECT_EQ(floor_item_count, c.expected) << c.name;
    EXPECT_EQ(remain_item, c.expected) << c.name;
  }
}

// ---- Contact ---------------------------------------------------------------------------

struct ContactCase {
  const char* name;
  int32_t character;
  int32_t spell1_timer;
  int32_t hit_counter;
  int32_t on_stairs;
  int32_t hp_lost;
};

TEST_F(BossFrameworkTest, AStepIntoAPlayerPushesAndHurtsByTheDamageLatch) {
  const ContactCase cases[] = {
      {"second character", 1, 0, 0, 0, 7},
      {"first character with the guard up: 7 / 2", 0, 5, 0, 0, 3},
      {"first character, second colours, guarded", 2, 5, 0, 0, 3},
      {"first character without the guard", 0, 0, 0, 0, 7},
      {"the second character's spell is no guard", 3, 5, 0, 0, 7},
      {"blinking: pushed, not hurt", 1, 0, 4, 0, 0},
      {"on stairs: pushed, not hurt", 1, 0, 0, 1, 0},
  };
  for (const ContactCase& c : cases) {
    ResetBossRoom();
    BossSlot slot(2, scripted_boss, counted_pattern);
    script = Script{};
    script.vy = 10.0f;
    PlaceBoss(2, 200.0f, 200.0f);
    // The boss's box ends at y 220, the player's begins at 228.
    player_data& p = PlacePlayer(0, 200.0f, 240.0f);
    p.character = c.character;
    p.spell1_timer = c.spell1_timer;
    p.hit_counter = c.hit_counter;
    p.on_stairs = c.on_stairs;
    RunBossFrame();
    EXPECT_EQ(p.hp, 100 - c.hp_lost) << c.name;
    EXPECT_EQ(p.hit_counter, c.hp_lost > 0 ? 1 : c.hit_counter) << c.name;
    EXPECT_EQ(p.vy, 3.0f) << c.name << ": pushed the way the boss steps";
    EXPECT_EQ(p.pushed, 1) << c.name;
    EXPECT_EQ(boss_y, 200.0f) << c.name << ": the step that met the player is dropped";
  }
}

TEST_F(BossFrameworkTest, AStandingBossMeetsNobodyAndADownedPlayerIsPassedBy) {
  BossSlot slot(2, scripted_boss, counted_pattern);
  PlaceBoss(2, 200.0f, 200.0f);
  player_data& inside = PlacePlayer(0, 200.0f, 210.0f);
  RunBossFrame();
  EXPECT_EQ(inside.hp, 100);
  EXPECT_EQ(inside.pushed, 0);

  ResetBossRoom();
  script = Script{};
  script.vx = 10.0f;
  PlaceBoss(2, 200.0f, 200.0f);
  player_data& down = PlacePlayer(0, 240.0f, 200.0f, 0);
  player_data& up = PlacePlayer(1, 400.0f, 400.0f);
  RunBossFrame();
  EXPECT_EQ(down.hp, 100);
  EXPECT_EQ(down.vx, 0.0f);
  EXPECT_EQ(boss_x, 210.0f) << "the boss walks into the downed player";
  EXPECT_EQ(up.hp, 100);
}

TEST_F(BossFrameworkTest, EveryLivePlayerInTheWayIsMet) {
  BossSlot slot(2, scripted_boss, counted_pattern);
  script.vx = 10.0f;
  script.vy = 10.0f;
  PlaceBoss(2, 200.0f, 200.0f);
  player_data& below = PlacePlayer(0, 200.0f, 240.0f);
  player_data& right = PlacePlayer(1, 240.0f, 200.0f);
  RunBossFrame();
  EXPECT_EQ(below.hp, 93);
  EXPECT_EQ(below.vy, 3.0f);
  EXPECT_EQ(right.hp, 93);
  EXPECT_EQ(right.vx, 3.0f);
  EXPECT_EQ(boss_x, 200.0f);
  EXPECT_EQ(boss_y, 200.0f);
}

// ---- Wall stop -------------------------------------------------------------------------

TEST_F(BossFrameworkTest, ACornerSlideIsKeptForTheNextFrame) {
  BossSlot slot(2, scripted_boss, counted_pattern);
  map_cell[2][2] = kWallCell;  // x 64 to 95, y 64 to 95
  PlaceBoss(2, 110.0f, 130.0f);
  script.vy = -20.0f;
  RunBossFrame();
  EXPECT_EQ(boss_y, 116.0f) << "the top stops flush with the wall cell";
  EXPECT_EQ(boss_x, 110.0f);
  EXPECT_EQ(boss_vx, 1.0f) << "the top-left corner caught the wall";
  EXPECT_EQ(boss_vy, 0.0f);
  script.vy = 0.0f;
  RunBossFrame();
  EXPECT_EQ(boss_x, 111.0f);
  EXPECT_EQ(boss_vx, 0.0f);
}

// ---- Target choice -------------------------------------------------------------------

struct TargetPlace {
  float x, y;
  int32_t alive;
  int32_t stairs_counter;
};
constexpr TargetPlace kGone = {900.0f, 900.0f, 0, 0};

struct TargetCase {
  const char* name;
  TargetKey key;
  int32_t p_cnt;
  int32_t start_target;
  TargetPlace players[4];
  int32_t expected;
};

TEST_F(BossFrameworkTest, TargetChoice) {
  const TargetCase cases[] = {
      {"the nearest by truncated Manhattan distance",
       TargetKey::kManhattan,
       5,
       kNoTarget,
       {{300.9f, 200.0f, 1, 0}, {200.0f, 290.0f, 1, 0}, kGone, kGone},
       1},
      {"a tie keeps the lower player number",
       TargetKey::kManhattan,
       5,
       kNoTarget,
       {{270.0f, 200.0f, 1, 0}, {200.0f, 270.0f, 1, 0}, {130.0f, 200.0f, 1, 0}, kGone},
       0},
      {"a downed player is keyed 9999",
       TargetKey::kManhattan,
       5,
       kNoTarget,
       {{201.0f, 200.0f, 0, 0}, {600.0f, 600.0f, 1, 0}, kGone, kGone},
       1},
      {"nobody up: player 0",
       TargetKey::kManhattan,
       5,
       kNoTarget,
       {{900.0f, 200.0f, 0, 0}, {201.0f, 200.0f, 0, 0}, kGone, kGone},
       0},
      {"a kept target stays between ticks 0",
       TargetKey::kManhattan,
       5,
       1,
       {{201.0f, 200.0f, 1, 0}, {600.0f, 600.0f, 1, 0}, kGone, kGone},
       1},
      {"tick 0 chooses anew",
       TargetKey::kManhattan,
       0,
       1,
       {{201.0f, 200.0f, 1, 0}, {600.0f, 600.0f, 1, 0}, kGone, kGone},
       0},
      {"a downed target is dropped",
       TargetKey::kManhattan,
       5,
       1,
       {{300.0f, 200.0f, 1, 0}, {201.0f, 200.0f, 0, 0}, kGone, kGone},
       0},
      {"a target 120 frames on stairs is dropped",
       TargetKey::kManhattan,
       5,
       1,
       {{300.0f, 200.0f, 1, 0}, {600.0f, 200.0f, 1, 120}, kGone, kGone},
       0},
      {"at 120 frames it is still a candidate",
       TargetKey::kManhattan,
       5,
       1,
       {{300.0f, 200.0f, 1, 0}, {250.0f, 200.0f, 1, 120}, kGone, kGone},
       1},
      {"at 121 frames the target is kept",
       TargetKey::kManhattan,
       5,
       1,
       {{201.0f, 200.0f, 1, 0}, {600.0f, 200.0f, 1, 121}, kGone, kGone},
       1},
      {"at 119 frames the target is kept",
       TargetKey::kManhattan,
       5,
       1,
       {{201.0f, 200.0f, 1, 0}, {600.0f, 200.0f, 1, 119}, kGone, kGone},
       1},
      {"the horizontal key ignores y",
       TargetKey::kHorizontal,
       0,
       kNoTarget,
       {{250.0f, 200.0f, 1, 0}, {210.0f, 500.0f, 1, 0}, kGone, kGone},
       1},
      {"the same places by Manhattan distance",
       TargetKey::kManhattan,
       0,
       kNoTarget,
       {{250.0f, 200.0f, 1, 0}, {210.0f, 500.0f, 1, 0}, kGone, kGone},
       0},
  };
  for (const TargetCase& c : cases) {
    ResetBossRoom();
    BossSlot slot(2, scripted_boss, counted_pattern);
    script = Script{};
    script.key = c.key;
    PlaceBoss(2, 200.0f, 200.0f);
    boss_p_cnt = c.p_cnt;
    boss_target = c.start_target;
    for (int32_t p = 0; p < 4; ++p) {
      player_data& record = PlacePlayer(p, c.players[p].x, c.players[p].y, c.players[p].alive);
      record.stairs_counter = c.players[p].stairs_counter;
    }
    RunBossFrame();
    EXPECT_EQ(script.target_seen, c.expected) << c.name;
  }
}

}  // namespace
