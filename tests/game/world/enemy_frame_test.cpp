// The enemy frame: death, behaviour, reversal, view, contacts and the move.
#include <gtest/gtest.h>

#include "game/areas/areas.h"
#include "game/enemies/enemies.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/game/world/world_test_support.h"
#include "tests/support/api_fake/api_fake.h"

namespace {

// A behaviour of the test's own: writes a fixed step and counts its calls.
float wanted_vx = 0.0f;
float wanted_vy = 0.0f;
int behaviour_calls = 0;
void scripted_behaviour(int32_t slot) {
  ++behaviour_calls;
  enemy[slot].vx = wanted_vx;
  enemy[slot].vy = wanted_vy;
}

class EnemyFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWorld();
    holly_counter = 0;
    for (int k = 0; k < 55; ++k) saved_[k] = enemy_kind_table[k];
    for (int k = 0; k < 55; ++k) enemy_kind_table[k] = scripted_behaviour;
    wanted_vx = 0.0f;
    wanted_vy = 0.0f;
    behaviour_calls = 0;
  }
  void TearDown() override {
    for (int k = 0; k < 55; ++k) enemy_kind_table[k] = saved_[k];
  }
  static enemy_data& Enemy(int i, int32_t kind, float x, float y) {
    enemy_data& e = enemy[i];
    e.alive = 1;
    e.kind = kind;
    e.X = x;
    e.Y = y;
    e.width = 10;
    e.height = 10;
    e.hp = 5;
    e.attack = 7;
    e.left_generator = 1;
    return e;
  }
  static player_data& Player(int p, float x, float y) {
    player_data& r = player[p];
    r.alive = 1;
    r.X = x;
    r.Y = y;
    r.width = 10;
    r.height = 10;
    r.hp = 30;
    return r;
  }

 private:
  void (*saved_[55])(int32_t);
};

TEST_F(EnemyFrameTest, DeathComesBeforeAnythingElseAndDrops) {
  Enemy(3, 39, 100.0f, 100.0f).hp = 0;  // kind 39 drops after a draw
  wanted_vx = 5.0f;
  api_fake().random_values = {0};
  update_enemies();
  EXPECT_EQ(enemy[3].alive, 0);
  EXPECT_EQ(enemy[3].dying, 1);
  EXPECT_EQ(enemy[3].X, 100.0f);
  EXPECT_EQ(behaviour_calls, 0);
  EXPECT_EQ(se_enemy_disappear8_request, 1);
  EXPECT_EQ(api_fake().Count("ApiGetRandom"), 1);  // the drop's draw
}

TEST_F(EnemyFrameTest, LeavingTheClosedViewFreesTheSlotSilentlyAndTheStepStillRuns) {
  struct Case {
    float x, y;
    bool removed;
  };
  scroll_x = -100;
  scroll_y = -50;
  const Case cases[] = {{100.0f - 16.0f, 200.0f, false}, {83.5f, 200.0f, true},
                        {628.0f, 200.0f, false},         {628.5f, 200.0f, true},
                        {300.0f, 34.0f, false},          {300.0f, 426.5f, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
    enemy[0] = enemy_data{};
    Enemy(0, 0, c.x, c.y);
    wanted_vx = 1.0f;
    update_enemies();
    EXPECT_EQ(enemy[0].alive, c.removed ? 0 : 1);
    EXPECT_EQ(enemy[0].dying, 0);
    EXPECT_EQ(enemy[0].X, c.x + 1.0f);  // moved all the same
  }
  EXPECT_EQ(se_enemy_disappear8_request, 0);
}

TEST_F(EnemyFrameTest, ContactDamageByBlinkStairsGuardAndKind) {
  struct Case {
    const char* name;
    int32_t kind;
    int32_t tick;
    int32_t hit_counter, on_stairs, character, spell1;
    int32_t hp_after;      // the player's
    int32_t enemy_hp_after;
  };
  const Case cases[] = {
      {"plain", 0, 0, 0, 0, 1, 0, 23, 5},
      {"guarded first character", 0, 0, 0, 0, 2, 10, 27, 5},  // 7 / 2 = 3
      {"unguarded first character", 0, 0, 0, 0, 0, 0, 23, 5},
      {"second character's spell is no guard", 0, 0, 0, 0, 1, 10, 23, 5},
      {"blinking", 0, 0, 3, 0, 1, 0, 30, 5},
      {"on stairs", 0, 0, 0, 1, 1, 0, 30, 5},
      {"rolling rock breaks", 12, 0, 0, 0, 1, 0, 23, 0},
      {"rolling rock against a blinking player", 12, 0, 5, 0, 1, 0, 30, 5},
      {"death figure", 19, 0, 0, 0, 1, 0, 23, 0},
      {"bee keeps its hit points", 18, 0, 0, 0, 1, 0, 23, 5},
      {"fading fairy in its window", 46, 100, 0, 0, 1, 0, 30, 5},
      {"fading fairy after it", 46, 180, 0, 0, 1, 0, 23, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    player_data& r = Player(0, 100.0f, 100.0f);
    r.hit_counter = c.hit_counter;
    r.on_stairs = c.on_stairs;
    r.character = c.character;
    r.spell1_timer = c.spell1;
    enemy_data& e = Enemy(0, c.kind, 100.0f, 125.0f);
    e.tick = c.tick;
    wanted_vy = -6.0f;  // into the player
    update_enemies();
    EXPECT_EQ(player[0].hp, c.hp_after);
    EXPECT_EQ(enemy[0].hp, c.enemy_hp_after);
    EXPECT_EQ(player[0].hit_counter, c.hp_after != 30 ? 1 : c.hit_counter);
    // The player is pushed whatever happened, the enemy stopped.
    EXPECT_EQ(player[0].vy, -3.0f);
    EXPECT_EQ(enemy[0].Y, 125.0f);
  }
}

TEST_F(EnemyFrameTest, TheFadingFairyLeavesThePlayerLoopForThisFrame) {
  player_count = 2;
  Player(0, 100.0f, 100.0f);
  Player(1, 100.0f, 100.0f);
  Enemy(0, 46, 100.0f, 125.0f).tick = 60;
  wanted_vy = -6.0f;
  update_enemies();
  EXPECT_EQ(player[0].vy, -3.0f);
  EXPECT_EQ(player[1].vy, 0.0f);  // not tested at all
}

TEST_F(EnemyFrameTest, ABeeTurnsBackOnceAFrameHoweverManyBodiesItTouched) {
  player_count = 2;
  Player(0, 100.0f, 90.0f);
  Player(1, 100.0f, 90.0f);
  Enemy(1, 0, 100.0f, 90.0f);
  enemy_data& bee = Enemy(0, 18, 100.0f, 110.0f);
  bee.facing = 1;
  wanted_vy = -2.0f;
  update_enemies();
  EXPECT_EQ(enemy[0].facing, 9);
  EXPECT_EQ(enemy[0].hp, 5);
}

TEST_F(EnemyFrameTest, TheDeathFigurePassesEverythingButPlayersAndGenerators) {
  SetCellRow(2, kWall);  // y 64 to 95
  Enemy(1, 0, 100.0f, 60.0f);
  movable_rock_count = 1;
  movable_rock_x[0] = 100.0f;
  movable_rock_y[0] = 60.0f;
  floor_item_count = 1;
  floor_item_present[0] = 1;
  floor_item_x[0] = 100.0f;
  floor_item_y[0] = 60.0f;
  floor_item_width[0] = 8;
  floor_item_height[0] = 8;
  Enemy(0, 19, 100.0f, 100.0f);
  wanted_vy = -20.0f;
  update_enemies();
  EXPECT_EQ(enemy[0].Y, 80.0f);  // into the wall row, past everything
  // A generator stops it.
  SetUp();
  generator_count = 1;
  generator_active[0] = 1;
  generator_x[0] = 100.0f;
  generator_y[0] = 70.0f;
  Enemy(0, 19, 100.0f, 100.0f);
  wanted_vy = -10.0f;
  update_enemies();
  EXPECT_EQ(enemy[0].Y, 100.0f);
}

TEST_F(EnemyFrameTest, RollingRocksBreakOnBodiesAndWallsAndIgnorePushFloors) {
  // A wall under the step.
  SetCellRow(2, kWall);
  Enemy(0, 14, 100.0f, 110.0f);
  wanted_vy = -20.0f;
  update_enemies();
  EXPECT_EQ(enemy[0].hp, 0);
  // A push floor moves a slime but not a rolling rock.
  SetUp();
  map_cell[3][3] = 32;  // speed 3, direction 2: right
  map_cell[3][6] = 32;
  Enemy(0, 14, 110.0f, 110.0f);
  Enemy(1, 0, 210.0f, 110.0f);
  update_enemies();
  EXPECT_EQ(enemy[0].X, 110.0f);
  EXPECT_EQ(enemy[1].X, 213.0f);
  // Stepping into another body, a rolling rock breaks.
  SetUp();
  Enemy(0, 14, 100.0f, 110.0f);
  Enemy(1, 0, 100.0f, 88.0f);
  wanted_vy = -3.0f;
  update_enemies();
  EXPECT_EQ(enemy[0].hp, 0);
}

TEST_F(EnemyFrameTest, APushedEnemyPushesNothingAndItsFlagLastsToItsOwnStep) {
  // Slot 0 walks into slot 1: slot 1 is pushed and, at its own step later
  // in this frame, pushes nothing and clears its flag.
  Enemy(0, 0, 100.0f, 100.0f);
  Enemy(1, 0, 100.0f, 78.0f);
  enemy_kind_table[0] = [](int32_t slot) {
    if (slot == 0) enemy[0].vy = -4.0f;
  };
  update_enemies();
  EXPECT_EQ(enemy[1].Y, 75.0f);  // pushed 3.0 up
  EXPECT_EQ(enemy[1].pushed, 0);
  // The other way round: slot 1 pushes slot 0, which keeps the flag until
  // its own step in the next frame.
  SetUp();
  Enemy(0, 0, 100.0f, 78.0f);
  Enemy(1, 0, 100.0f, 100.0f);
  enemy_kind_table[0] = [](int32_t slot) {
    if (slot == 1) enemy[1].vy = -4.0f;
  };
  update_enemies();
  EXPECT_EQ(enemy[0].pushed, 1);
  EXPECT_EQ(enemy[0].vy, -3.0f);
  update_enemies();
  EXPECT_EQ(enemy[0].pushed, 0);
  EXPECT_EQ(enemy[0].Y, 75.0f);
}

TEST_F(EnemyFrameTest, HazardsStopEnemiesButAreNeverMovedByThem) {
  set_enemy_count = 1;
  set_enemy_active[0] = 1;
  set_enemy_kind[0] = 0;
  set_enemy_x[0] = 100.0f;
  set_enemy_y[0] = 78.0f;
  set_enemy_width[0] = 10;
  set_enemy_height[0] = 10;
  Enemy(0, 0, 100.0f, 100.0f);
  wanted_vy = -4.0f;
  update_enemies();
  EXPECT_EQ(enemy[0].Y, 100.0f);
  EXPECT_EQ(set_enemy_push_vy[0], 0.0f);
  EXPECT_EQ(set_enemy_pushed[0], 1);
}

TEST_F(EnemyFrameTest, AnEnemyCountsAsOffItsGeneratorOnlyOnceItOverlapsNone) {
  generator_count = 2;
  generator_active[0] = 0;  // gone, still tested
  generator_x[0] = 100.0f;
  generator_y[0] = 100.0f;
  generator_x[1] = 300.0f;
  generator_y[1] = 300.0f;
  Enemy(0, 0, 100.0f, 120.0f).left_generator = 0;
  update_enemies();
  EXPECT_EQ(enemy[0].left_generator, 0);  // 10 + 16 reaches 126 > 120
  enemy[0].Y = 127.0f;
  update_enemies();
  EXPECT_EQ(enemy[0].left_generator, 1);
  // With no generators it stays 0.
  SetUp();
  Enemy(0, 0, 100.0f, 120.0f).left_generator = 0;
  update_enemies();
  EXPECT_EQ(enemy[0].left_generator, 0);
}

TEST_F(EnemyFrameTest, TheHollyReversesEveryStepAndFacingAndRunsOutAtAThousand) {
  holly_counter = 998;
  Enemy(0, 0, 100.0f, 100.0f).facing = 6;
  enemy_kind_table[0] = [](int32_t slot) {
    enemy[slot].vx = 2.0f;
    enemy[slot].facing = 2;
  };
  update_enemies();
  EXPECT_EQ(holly_counter, 999);
  EXPECT_EQ(enemy[0].X, 98.0f);
  EXPECT_EQ(enemy[0].facing, 6);
  update_enemies();
  EXPECT_EQ(holly_counter, 0);
  EXPECT_EQ(enemy[0].X, 100.0f);
}

TEST_F(EnemyFrameTest, AKindOutsideTheTableRunsNoBehaviour) {
  Enemy(0, 55, 100.0f, 100.0f);
  Enemy(1, -3, 200.0f, 100.0f);
  update_enemies();
  EXPECT_EQ(behaviour_calls, 0);
  EXPECT_EQ(enemy[0].alive, 1);
}

}  // namespace
