// Enemy shots: firing on request, hits with the power exchange, walls.
#include <gtest/gtest.h>

#include "game/areas/areas.h"
#include "game/enemies/enemies.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/game/world/world_test_support.h"
#include "tests/support/api_fake/api_fake.h"

namespace {

class EnemyShotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWorld();
  }
  // Record i's shot flying at (x, y) in `direction` with `power`.
  static enemy_data& Shot(int i, float x, float y, int32_t direction, int32_t power) {
    enemy_data& e = enemy[i];
    e.shot_state = 1;
    e.shot_X = x;
    e.shot_Y = y;
    e.shot_direction = direction;
    e.shot_power = power;
    e.shot_width = 3;
    e.shot_height = 3;
    return e;
  }
  static player_data& Player(float x, float y) {
    player_data& r = player[0];
    r.alive = 1;
    r.X = x;
    r.Y = y;
    r.width = 10;
    r.height = 10;
    r.hp = 20;
    return r;
  }
};

TEST_F(EnemyShotTest, ShotsTradePowerWithPlayersAndTheGuardHalvesTheShot) {
  struct Case {
    const char* name;
    int32_t power, character, spell1, hit_counter, on_stairs;
    int32_t hp_after, state_after, blink_after;
  };
  const Case cases[] = {
      {"plain", 9, 1, 0, 0, 0, 11, 0, 1},
      {"stronger than the player", 25, 1, 0, 0, 0, -5, 1, 1},
      {"guarded", 9, 0, 5, 0, 0, 16, 0, 1},            // 9 / 2 = 4
      {"guarded power 1", 1, 2, 5, 0, 0, 20, 0, 1},    // 0: no damage, still blinks
      {"blinking", 9, 1, 0, 4, 0, 20, 0, 4},
      {"on stairs", 9, 1, 0, 0, 1, 20, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    player_data& r = Player(100.0f, 100.0f);
    r.character = c.character;
    r.spell1_timer = c.spell1;
    r.hit_counter = c.hit_counter;
    r.on_stairs = c.on_stairs;
    Shot(0, 100.0f, 100.0f, 2, c.power);
    update_enemy_shots();
    EXPECT_EQ(player[0].hp, c.hp_after);
    EXPECT_EQ(enemy[0].shot_state, c.state_after);
    EXPECT_EQ(player[0].hit_counter, c.blink_after);
    EXPECT_EQ(enemy[0].shot_fade_state, c.state_after == 0 ? 1 : 0);
  }
}

TEST_F(EnemyShotTest, AShotKillsAnotherEnemyAndFliesOnButNeverHitsItsOwn) {
  Shot(0, 100.0f, 100.0f, 2, 9);
  enemy[0].alive = 1;
  enemy[0].X = 100.0f;
  enemy[0].Y = 100.0f;
  enemy[0].width = 10;
  enemy[0].height = 10;
  enemy[0].hp = 30;
  enemy[7].alive = 1;
  enemy[7].X = 100.0f;
  enemy[7].Y = 100.0f;
  enemy[7].width = 10;
  enemy[7].height = 10;
  enemy[7].hp = 4;
  update_enemy_shots();
  EXPECT_EQ(enemy[0].hp, 30);
  EXPECT_EQ(enemy[7].hp, -5);
  EXPECT_EQ(enemy[7].hit_counter, 1);
  EXPECT_EQ(enemy[0].shot_power, 5);
  EXPECT_EQ(enemy[0].shot_X, 105.0f);
  // A dead enemy's shot still flies and hits.
  SetUp();
  Shot(3, 100.0f, 100.0f, 2, 9).alive = 0;
  Player(100.0f, 100.0f);
  update_enemy_shots();
  EXPECT_EQ(player[0].hp, 11);
}

TEST_F(EnemyShotTest, FlatHazardsLetShotsThroughAndOtherBodiesTakeThem) {
  struct Case {
    const char* name;
    int32_t hazard_kind;  // -1: a rock, -2: a generator, -3: a floor item
    bool passes;
  };
  const Case cases[] = {{"korone", 2, true},  {"needle", 4, true},      {"fire", 0, false},
                        {"rock", -1, false},  {"generator", -2, false}, {"item", -3, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    if (c.hazard_kind >= 0) {
      set_enemy_count = 1;
      set_enemy_active[0] = 1;
      set_enemy_kind[0] = c.hazard_kind;
      set_enemy_x[0] = 100.0f;
      set_enemy_y[0] = 100.0f;
      set_enemy_width[0] = 10;
      set_enemy_height[0] = 10;
      set_enemy_hp[0] = 50;
    } else if (c.hazard_kind == -1) {
      movable_rock_count = 1;
      movable_rock_x[0] = 100.0f;
      movable_rock_y[0] = 100.0f;
    } else if (c.hazard_kind == -2) {
      generator_count = 1;
      generator_active[0] = 1;
      generator_x[0] = 100.0f;
      generator_y[0] = 100.0f;
      generator_hp[0] = 50;
    } else {
      floor_item_count = 1;
      floor_item_present[0] = 1;
      floor_item_x[0] = 100.0f;
      floor_item_y[0] = 100.0f;
      floor_item_width[0] = 10;
      floor_item_height[0] = 10;
      floor_item_hp[0] = 50;
    }
    Shot(0, 100.0f, 100.0f, 2, 9);
    update_enemy_shots();
    EXPECT_EQ(enemy[0].shot_state == 1, c.passes);
  }
}

TEST_F(EnemyShotTest, ADrainedShotEndsWhereItStandsWithoutTests) {
  Player(100.0f, 100.0f);
  Shot(0, 100.0f, 100.0f, 2, 0);
  update_enemy_shots();
  EXPECT_EQ(enemy[0].shot_state, 0);
  EXPECT_EQ(enemy[0].shot_X, 100.0f);
  EXPECT_EQ(enemy[0].shot_fade_X, 100.0f);
  EXPECT_EQ(enemy[0].shot_fade_state, 1);
  EXPECT_EQ(player[0].hp, 20);
  EXPECT_EQ(player[0].hit_counter, 0);
}

TEST_F(EnemyShotTest, AWallEndIsMovedByTheShortenedStepBeforeItsEffect) {
  SetCellRow(0, kWall);
  Shot(0, 100.0f, 38.0f, 0, 5).shot_fade_state = 1;  // a running effect restarts
  enemy[0].shot_fade_timer = 5;
  update_enemy_shots();
  EXPECT_EQ(enemy[0].shot_state, 0);
  EXPECT_EQ(enemy[0].shot_Y, 35.0f);
  EXPECT_EQ(enemy[0].shot_fade_Y, 35.0f);
  EXPECT_EQ(enemy[0].shot_fade_timer, 0);
}

TEST_F(EnemyShotTest, ARequestWaitsWhileAShotFliesAndIsServedInTheFrameItEnds) {
  enemy_data& e = enemy[2];
  e.alive = 1;
  e.X = 200.0f;
  e.Y = 200.0f;
  e.facing = 3;
  e.shot_power_start = 7;
  e.shot_request = 1;
  update_enemy_shots();
  EXPECT_EQ(e.shot_state, 1);
  EXPECT_EQ(e.shot_X, 216.0f);  // not moved in its firing frame
  EXPECT_EQ(e.shot_Y, 216.0f);
  EXPECT_EQ(e.shot_power, 7);
  EXPECT_EQ(e.shot_direction, 3);
  EXPECT_EQ(e.shot_request, 0);
  const std::vector<ApiCall> plays = api_fake().Calls("ApiPlaySound");
  ASSERT_EQ(plays.size(), 1u);
  EXPECT_EQ(plays[0].args, (std::vector<int64_t>{se_boss_shot10, 1, 1}));
  EXPECT_EQ(se_boss_shot10_request, 0);

  e.shot_request = 1;
  update_enemy_shots();
  EXPECT_EQ(e.shot_X, 219.75f);
  EXPECT_EQ(e.shot_request, 1);  // waiting
  // Leaving the view ends it; the request is served in the same frame.
  scroll_x = -300;
  e.facing = 6;
  update_enemy_shots();
  EXPECT_EQ(e.shot_state, 1);
  EXPECT_EQ(e.shot_direction, 6);
  EXPECT_EQ(e.shot_X, 176.0f);
  EXPECT_EQ(e.shot_fade_state, 1);
}

}  // namespace
