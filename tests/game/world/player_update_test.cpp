// The player update: walking, contacts, damage floors, scene cells and the
// requests it serves.
#include <gtest/gtest.h>

#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/enemies/enemies.h"
#include "game/scenes/scenes.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/game/world/world_test_support.h"
#include "tests/support/api_fake/api_fake.h"

namespace {

constexpr int kUpKey = 0, kRightKey = 1, kDownKey = 2, kLeftKey = 3;

class PlayerUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWorld();
    scroll_x = -1000;  // a wide view: the clamp stays out of the way
    scroll_y = -1000;
    player_count = 1;
    revive_stock = 3;
    game_status = kStatusPlay;
    Player(0, 1176.0f, 1176.0f);
  }
  static player_data& Player(int p, float x, float y) {
    player_data& r = PutPlayerInPlay(p, x, y);
    r.character = 1;
    return r;
  }
  static void Hold(int p, const std::vector<int>& directions, int state = 1) {
    for (int32_t& s : player[p].input_state) s = 0;
    for (int d : directions) player[p].input_state[d] = state;
  }
};

TEST_F(PlayerUpdateTest, WalkingByTheFirstHeldDirectionOrDiagonalPair) {
  struct Case {
    std::vector<int> held;
    float dx, dy;
    int32_t facing;
  };
  const float d = 0.75f * 2.2f;
  const Case cases[] = {
      {{kRightKey}, 2.2f, 0.0f, 2},
      {{kUpKey, kRightKey}, d, -d, 1},
      {{kDownKey, kLeftKey}, -d, d, 5},
      {{kUpKey, kDownKey}, 0.0f, -2.2f, 0},          // up wins
      {{kUpKey, kLeftKey, kRightKey}, d, -d, 1},     // the first pair: up-right
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.facing);
    SetUp();
    Hold(0, c.held);
    update_players();
    EXPECT_EQ(player[0].X, 1176.0f + c.dx);
    EXPECT_EQ(player[0].Y, 1176.0f + c.dy);
    EXPECT_EQ(player[0].facing, c.facing);
  }
}

TEST_F(PlayerUpdateTest, PositionsAreSummedInFloat) {
  Hold(0, {kRightKey});
  float expected = 1176.0f;
  for (int f = 0; f < 10; ++f) {
    update_players();
    expected += 2.2f;
  }
  EXPECT_EQ(player[0].X, expected);
}

TEST_F(PlayerUpdateTest, ANewPressOnlyKeepsTheStepAndTheShotActionOnlyTurns) {
  player[0].vx = 0.5f;  // a corner nudge left by the last move
  Hold(0, {kUpKey}, 2);
  update_players();
  EXPECT_EQ(player[0].X, 1176.5f);
  EXPECT_EQ(player[0].Y, 1176.0f);
  EXPECT_EQ(player[0].facing, 0);

  SetUp();
  Hold(0, {kLeftKey});
  player[0].actions[0] = 1;
  update_players();
  EXPECT_EQ(player[0].X, 1176.0f);
  EXPECT_EQ(player[0].facing, 6);
}

TEST_F(PlayerUpdateTest, ContactAndFloorDamageWithTheGuard) {
  struct Case {
    const char* name;
    int32_t enemy_kind, enemy_tick, cell;
    int32_t character, spell1, hit_counter;
    int32_t hp_after, enemy_hp_after;
  };
  const Case cases[] = {
      {"contact", 0, 0, kOpen, 1, 0, 0, 23, 9},
      {"guarded contact", 0, 0, kOpen, 0, 50, 0, 27, 9},  // past the spin
      {"fading fairy in its window", 46, 100, kOpen, 1, 0, 0, 30, 9},
      {"fading fairy before it", 46, 59, kOpen, 1, 0, 0, 23, 9},
      {"rolling rock while blinking", 12, 0, kOpen, 1, 0, 5, 30, 0},
      {"rolling rock", 12, 0, kOpen, 1, 0, 0, 23, 0},
      {"weak floor", -1, 0, 60, 1, 0, 0, 22, 0},
      {"weak floor guarded", -1, 0, 60, 0, 5, 0, 26, 0},
      {"strong floor", -1, 0, 61, 1, 0, 0, 10, 0},
      {"strong floor guarded", -1, 0, 61, 2, 5, 0, 20, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    player_data& r = player[0];
    r.character = c.character;
    r.spell1_timer = c.spell1;
    r.hit_counter = c.hit_counter;
    CellAt(1176, 1176) = c.cell;
    if (c.enemy_kind >= 0) {
      enemy_data& e = enemy[2];
      e.alive = 1;
      e.kind = c.enemy_kind;
      e.tick = c.enemy_tick;
      e.X = 1200.0f;
      e.Y = 1176.0f;
      e.width = 10;
      e.height = 10;
      e.hp = 9;
      e.attack = 7;
      Hold(0, {kRightKey});
    }
    update_players();
    EXPECT_EQ(r.hp, c.hp_after);
    if (c.enemy_kind >= 0) {
      EXPECT_EQ(enemy[2].hp, c.enemy_hp_after);
    }
  }
}

TEST_F(PlayerUpdateTest, AStandingPlayerTakesNoContactDamageHere) {
  enemy_data& e = enemy[0];
  e.alive = 1;
  e.X = 1190.0f;
  e.Y = 1176.0f;
  e.width = 10;
  e.height = 10;
  e.attack = 7;
  update_players();
  EXPECT_EQ(player[0].hp, 30);
}

TEST_F(PlayerUpdateTest, PlayersThatOverlapWalkApartFreely) {
  player_count = 2;
  Player(1, 1186.0f, 1176.0f);
  Hold(0, {kRightKey});
  update_players();
  EXPECT_EQ(player[0].X, 1178.2f);
  EXPECT_EQ(player[1].vx, 0.0f);
  // Apart, one pushes the other.
  SetUp();
  player_count = 2;
  Player(1, 1202.0f, 1176.0f);
  Hold(0, {kRightKey});
  update_players();
  EXPECT_EQ(player[0].X, 1176.0f);
}

TEST_F(PlayerUpdateTest, SceneCellsStartScenesOncePerLatch) {
  CellAt(1176, 1176) = 105;
  update_players();
  EXPECT_EQ(game_status, kStatusScene);
  EXPECT_EQ(scene_number, 105);
  EXPECT_EQ(scene_cell_latch, 1);
  game_status = kStatusPlay;
  scene_number = 0;
  update_players();
  EXPECT_EQ(game_status, kStatusPlay);  // latched
  CellAt(1176, 1176) = kOpen;
  update_players();
  EXPECT_EQ(scene_cell_latch, 0);

  struct Case {
    int32_t cell;
    int32_t decide;
    int32_t facing;
    bool starts;
  };
  const Case cases[] = {{120, 2, 0, true},  {120, 1, 0, false}, {120, 2, 2, false},
                        {121, 2, 0, false}, {122, 2, 0, false}, {100, 2, 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cell);
    SetUp();
    scene_cell_latch = 1;  // the save point ignores the latch
    CellAt(1176, 1176) = c.cell;
    player[0].actions[0] = c.decide;
    player[0].facing = c.facing;
    update_players();
    EXPECT_EQ(game_status == kStatusScene, c.starts);
    EXPECT_EQ(scene_cell_latch, 1);  // 121, 122 and 100 leave it as it is
  }
}

TEST_F(PlayerUpdateTest, GoingDownTheGameOverAndThePause) {
  player[0].hp = 0;
  update_players();
  EXPECT_EQ(player[0].alive, 0);
  EXPECT_EQ(down_x, 1176.0f);
  EXPECT_EQ(se_enemy_disappear8_request, 1);
  EXPECT_EQ(game_status, kStatusPlay);  // the test comes before the loop
  revive_stock = 0;
  update_players();
  EXPECT_EQ(game_status, kStatusGameOver);

  // The pause request leaves the rest of the frame to run.
  SetUp();
  player[0].actions[3] = 2;
  Hold(0, {kRightKey});
  update_players();
  EXPECT_EQ(game_status, kStatusPause);
  EXPECT_EQ(se_pause_request, 1);
  EXPECT_EQ(player[0].X, 1178.2f);
}

TEST_F(PlayerUpdateTest, ARevivalAndItsHitCounterInTheSameUpdate) {
  player_count = 2;
  Player(1, 1176.0f, 1176.0f).alive = 0;
  player[1].actions[3] = 2;
  update_players();
  EXPECT_EQ(player[1].alive, 1);
  EXPECT_EQ(player[1].revive_timer, 2);  // 1, then +1 in the same update
  // Up again, it goes on through the rest of its update: the counter that
  // the revival started at 2 already counts on.
  EXPECT_EQ(player[1].hit_counter, 3);
  EXPECT_EQ(revive_stock, 2);
  update_players();
  EXPECT_EQ(player[1].hit_counter, 4);
  EXPECT_EQ(se_player_damage_request, 0);  // a revival plays no damage sound
}

TEST_F(PlayerUpdateTest, TheDamageSoundComesOnTheUpdateAfterAHit) {
  player[0].hit_counter = 1;
  update_players();
  EXPECT_EQ(se_player_damage_request, 1);
  EXPECT_EQ(player[0].hit_counter, 2);
  player[0].hit_counter = 29;
  update_players();
  EXPECT_EQ(player[0].hit_counter, 0);
}

TEST_F(PlayerUpdateTest, TheViewClampHoldsTheCentreInTheField) {
  scroll_x = 0;
  scroll_y = 0;
  Player(0, 511.0f, 343.0f);
  Hold(0, {kDownKey, kRightKey});
  update_players();
  EXPECT_EQ(player[0].X, 511.0f);
  EXPECT_EQ(player[0].Y, 343.0f);
  Hold(0, {kUpKey, kLeftKey});
  update_players();
  EXPECT_LT(player[0].X, 511.0f);
}

}  // namespace
