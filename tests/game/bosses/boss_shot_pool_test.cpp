// The common steps of every boss shot pattern and the launch into the pool,
// seen through update_boss with a standing boss of the test's own whose
// pattern runs the common steps with a plain velocity rule.
#include "game/bosses/boss_shot_pool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/bosses/boss_skeleton.h"
#include "tests/game/bosses/boss_test_support.h"

namespace {

struct PoolScript {
  ShotBox box = ShotBox::kRowBox;
  float speed = 0.0f;          // along each shot's direction
  int32_t skipped_slot = -1;   // the rule skips the rest of the steps for it
  std::vector<int32_t> ruled;  // slots the rule ran for, in order
  int32_t pattern_went_on = 0;
};
PoolScript pool;

void stand() {}
void standing_boss() { run_boss_behaviour(stand, TargetKey::kManhattan); }
bool plain_rule(int32_t i) {
  pool.ruled.push_back(i);
  step_shot_by_direction(i, pool.speed);
  return i != pool.skipped_slot;
}
void plain_pattern() {
  if (move_boss_shots(plain_rule, pool.box)) pool.pattern_went_on += 1;
}

constexpr int32_t kTestBoss = 2;

class BossShotPoolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetBossRoom();
    pool = PoolScript{};
    PlaceBoss(kTestBoss, 400.0f, 400.0f);
  }
  BossSlot slot_{kTestBoss, standing_boss, plain_pattern};
};

// ---- Hits on players --------------------------------------------------------------------

struct ExchangeCase {
  const char* name;
  int32_t power;
  int32_t hp;
  int32_t character;
  int32_t spell1_timer;
  int32_t hp_after;
  int32_t state_after;
  int32_t power_after;
};

TEST_F(BossShotPoolTest, PowerAgainstHitPoints) {
  const ExchangeCase cases[] = {
      {"6 against 20: the shot ends", 6, 20, 1, 0, 14, 0, 6},
      {"30 against 20: flies on with 10", 30, 20, 1, 0, -10, 1, 10},
      {"20 against 20: rest 0 ends it", 20, 20, 1, 0, 0, 0, 20},
      {"guarded 7 against 20: halved to 3 for good", 7, 20, 0, 9, 17, 0, 3},
      {"guarded 7 against 2: flies on with 1", 7, 2, 2, 9, -1, 1, 1},
      {"the second character has no guard", 7, 20, 1, 9, 13, 0, 7},
  };
  for (const ExchangeCase& c : cases) {
    SetUp();
    player_data& p = PlacePlayer(0, 100.0f, 100.0f);
    p.hp = c.hp;
    p.character = c.character;
    p.spell1_timer = c.spell1_timer;
    PutShot(5, 105.0f, 100.0f, c.power);
    RunBossFrame();
    EXPECT_EQ(p.hp, c.hp_after) << c.name;
    EXPECT_EQ(p.hit_counter, 1) << c.name;
    EXPECT_EQ(boss_shot_state[5], c.state_after) << c.name;
    EXPECT_EQ(boss_shot_power[5], c.power_after) << c.name;
    EXPECT_EQ(RunningFades(), c.state_after == 0 ? 1 : 0) << c.name;
  }
}

struct PassCase {
  const char* name;
  int32_t alive0;
  int32_t hit0;
  int32_t stairs0;
  int32_t hurt;  // the player hurt
};

TEST_F(BossShotPoolTest, OneShotHurtsTheLowestPlayerThatCanBeHurt) {
  const PassCase cases[] = {
      {"both can be hurt: player 0 only", 1, 0, 0, 0},
      {"player 0 down", 0, 0, 0, 1},
      {"player 0 blinking", 1, 12, 0, 1},
      {"player 0 on stairs", 1, 0, 1, 1},
  };
  for (const PassCase& c : cases) {
    SetUp();
    player_data& first = PlacePlayer(0, 100.0f, 100.0f, c.alive0);
    first.hit_counter = c.hit0;
    first.on_stairs = c.stairs0;
    player_data& second = PlacePlayer(1, 104.0f, 100.0f);
    PutShot(0, 102.0f, 100.0f, 130);
    RunBossFrame();
    EXPECT_EQ(first.hp, c.hurt == 0 ? -30 : 100) << c.name;
    EXPECT_EQ(second.hp, c.hurt == 1 ? -30 : 100) << c.name;
    EXPECT_EQ(boss_shot_state[0], 1) << c.name;
    EXPECT_EQ(boss_shot_power[0], 30) << c.name << ": the rest of 130 against 100";
  }
}

TEST_F(BossShotPoolTest, ThePatternsBoxMeetsThePlayer) {
  // The shot's own box is 3 x 3, the row's 8 x 8: 18 px apart only the row's
  // box reaches the player's 12.
  struct BoxCase {
    const char* name;
    ShotBox box;
    int32_t hp_after;
    int32_t fade_kind;
  };
  const BoxCase cases[] = {
      {"bosses 0 to 3: the row's box, no kind for the effect", ShotBox::kRowBox, 95, 0},
      {"bosses 4 and up: the shot's own box and its kind", ShotBox::kOwnBox, 100, 4},
  };
  for (const BoxCase& c : cases) {
    SetUp();
    pool.box = c.box;
    player_data& p = PlacePlayer(0, 118.0f, 100.0f);
    PutShot(0, 100.0f, 100.0f, 5);
    boss_shot_box_width[0] = 3;
    boss_shot_box_height[0] = 3;
    boss_shot_kind[0] = 4;
    RunBossFrame();
    EXPECT_EQ(p.hp, c.hp_after) << c.name;
    // End it with a wall to see what the effect takes.
    boss_shot_power[0] = 0;
    RunBossFrame();
    EXPECT_EQ(boss_shot_fade_kind[0], c.fade_kind) << c.name;
  }
}

// ---- Walls, moves and ends ----------------------------------------------------------------

TEST_F(BossShotPoolTest, AShotMovesByItsStepAndEndsAtAWallWithItsEffect) {
  map_cell[3][5] = kWallCell;  // x 160 to 191, y 96 to 127
  pool.speed = 4.0f;
  PutShot(0, 150.0f, 110.0f, 5, 2);
  RunBossFrame();
  EXPECT_EQ(boss_shot_x[0], 154.0f);
  EXPECT_EQ(boss_shot_state[0], 1);
  RunBossFrames(1);
  EXPECT_EQ(boss_shot_x[0], 157.0f) << "the last step stops 1 px short of the wall cell";
  EXPECT_EQ(boss_shot_state[0], 0);
  ASSERT_EQ(boss_shot_fade_alive[0], 1);
  EXPECT_EQ(boss_shot_fade_x[0], 157.0f);
  EXPECT_EQ(boss_shot_fade_y[0], 110.0f);
  EXPECT_EQ(boss_shot_fade_timer[0], 0);
}

TEST_F(BossShotPoolTest, AShotStartedInsideAWallEndsAtItsFirstMove) {
  map_cell[3][3] = kWallCell;  // x 96 to 127, y 96 to 127
  pool.speed = 4.0f;
  RunBossFrame();
  const int32_t i = launch_row_box_shot(110.0f, 110.0f, 3);
  boss_shot_direction[i] = 4;
  EXPECT_EQ(boss_shot_state[i], 1);
  RunBossFrame();
  EXPECT_EQ(boss_shot_state[i], 0);
  EXPECT_EQ(RunningFades(), 1);
  EXPECT_EQ(boss_shot_fade_x[0], boss_shot_x[i]);
  EXPECT_EQ(boss_shot_fade_y[0], boss_shot_y[i]);
}

TEST_F(BossShotPoolTest, ADrainedShotEndsInTheSameFrameWithItsEffectAndHurtsNobody) {
  pool.speed = 4.0f;
  player_data& p = PlacePlayer(0, 100.0f, 100.0f);
  PutShot(3, 100.0f, 100.0f, 0, 2);
  PutShot(4, 300.0f, 100.0f, -2, 2);
  RunBossFrame();
  EXPECT_EQ(p.hp, 100);
  EXPECT_EQ(boss_shot_state[3], 0);
  EXPECT_EQ(boss_shot_state[4], 0);
  EXPECT_EQ(boss_shot_x[3], 100.0f) << "not moved";
  EXPECT_EQ(pool.ruled, (std::vector<int32_t>{3, 4})) << "the rule still runs for them";
  EXPECT_EQ(boss_shot_fade_x[0], 100.0f);
  EXPECT_EQ(boss_shot_fade_x[1], 300.0f);
}

TEST_F(BossShotPoolTest, ARuleThatSkipsTheRestLeavesTheShotAlone) {
  pool.speed = 4.0f;
  pool.skipped_slot = 1;
  player_data& p = PlacePlayer(0, 100.0f, 100.0f);
  PutShot(1, 100.0f, 100.0f, 5, 2);
  RunBossFrame();
  EXPECT_EQ(p.hp, 100);
  EXPECT_EQ(boss_shot_x[1], 100.0f);
  EXPECT_EQ(boss_shot_state[1], 1);
  // A drained one skips its effect too while the rule says so.
  boss_shot_power[1] = 0;
  RunBossFrame();
  EXPECT_EQ(boss_shot_state[1], 0);
  EXPECT_EQ(RunningFades(), 0);
}

TEST_F(BossShotPoolTest, EffectsTakeTheLowestFreeSlotAndNoneWhenAllRun) {
  for (int32_t f = 0; f < kBossShotSlots; ++f) boss_shot_fade_alive[f] = 1;
  boss_shot_fade_alive[9] = 0;
  PutShot(0, 100.0f, 100.0f, 0);
  PutShot(1, 200.0f, 100.0f, 0);
  RunBossFrame();
  EXPECT_EQ(boss_shot_fade_x[9], 100.0f);
  EXPECT_EQ(RunningFades(), kBossShotSlots);
  EXPECT_EQ(boss_shot_state[1], 0) << "the second shot ends without an effect";
}

TEST_F(BossShotPoolTest, ABeatenBossFreesEveryShotWithoutEffects) {
  for (int32_t i = 0; i < 30; ++i) PutShot(i, 100.0f + i, 100.0f, 5);
  boss_shot_fade_alive[40] = 1;
  present_bossHP = 0;
  RunBossFrame();
  EXPECT_TRUE(FlyingShots().empty());
  EXPECT_EQ(RunningFades(), 1) << "only the effect that already ran";
  EXPECT_EQ(pool.pattern_went_on, 0) << "the pattern fires nothing";
  EXPECT_TRUE(pool.ruled.empty());
}

// ---- Launch ----------------------------------------------------------------------------

TEST_F(BossShotPoolTest, LaunchesFillTheLowestFreeSlotAndStopAtFifty) {
  for (int32_t i = 0; i < kBossShotSlots; ++i) {
    se_boss_shot10_request = 0;
    EXPECT_EQ(launch_row_box_shot(10.0f, 20.0f, 3), i);
    EXPECT_EQ(se_boss_shot10_request, 1);
  }
  se_boss_shot10_request = 0;
  EXPECT_EQ(launch_row_box_shot(10.0f, 20.0f, 3), -1);
  EXPECT_EQ(se_boss_shot10_request, 0) << "no sound when no slot was found";
  boss_shot_state[7] = 0;
  boss_shot_state[3] = 0;
  EXPECT_EQ(launch_boss_shot(1.0f, 2.0f, 12, 3, 4), 3);
  EXPECT_EQ(launch_boss_shot(1.0f, 2.0f, 12, 3, 4), 7);
  EXPECT_EQ(launch_boss_shot(1.0f, 2.0f, 12, 3, 4), -1);
}

TEST_F(BossShotPoolTest, ALaunchSetsPlaceBoxPowerAndAgeAndKeepsTheRest) {
  boss_shot_direction[0] = 6;
  boss_shot_mode[0] = 1;
  boss_shot_kind[0] = 2;
  boss_shot_age[0] = 77;
  const int32_t i = launch_row_box_shot(12.5f, 40.0f, 3);
  ASSERT_EQ(i, 0);
  EXPECT_EQ(boss_shot_state[0], 1);
  EXPECT_EQ(boss_shot_x[0], 12.5f);
  EXPECT_EQ(boss_shot_y[0], 40.0f);
  EXPECT_EQ(boss_shot_power[0], 3);
  EXPECT_EQ(boss_shot_age[0], 0);
  EXPECT_EQ(boss_shot_box_width[0], 8);
  EXPECT_EQ(boss_shot_box_height[0], 8);
  EXPECT_EQ(boss_shot_direction[0], 6);
  EXPECT_EQ(boss_shot_mode[0], 1);
  EXPECT_EQ(boss_shot_kind[0], 2);
}

}  // namespace
