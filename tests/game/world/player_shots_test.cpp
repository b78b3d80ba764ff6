// Player shots: hits with the power exchange, walls, bounces, firing.
#include <gtest/gtest.h>

#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/enemies/enemies.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/game/world/world_test_support.h"
#include "tests/support/api_fake/api_fake.h"

namespace {

class PlayerShotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWorld();
    player_count = 2;
    for (int p = 0; p < 2; ++p) {
      player_data& r = player[p];
      r.character = p;
      r.alive = 1;
      r.X = 100.0f + 300.0f * p;
      r.Y = 300.0f;
      r.width = 12;
      r.height = 12;
      r.shot_width = 6;
      r.shot_height = 6;
      r.attack = 8;
      r.facing = 2;
    }
  }
  // A shot of player p in slot s at (x, y), flying in `direction`.
  static void Shot(int p, int s, float x, float y, int32_t direction, int32_t power) {
    player_data& r = player[p];
    r.shot_state[s] = 1;
    r.shot_x[s] = x;
    r.shot_y[s] = y;
    r.shot_direction[s] = direction;
    r.shot_power[s] = power;
  }
  static enemy_data& Enemy(int i, float x, float y, int32_t hp) {
    enemy_data& e = enemy[i];
    e.alive = 1;
    e.kind = 0;
    e.X = x;
    e.Y = y;
    e.width = 10;
    e.height = 10;
    e.hp = hp;
    return e;
  }
  static int FadesOf(int p) {
    int n = 0;
    for (int32_t alive : player[p].shot_fade_alive) n += alive;
    return n;
  }
};

TEST_F(PlayerShotTest, APowerExchangeKillsAndFliesOnWithTheDifference) {
  struct Case {
    int32_t power, hp;
    int32_t hp_after, power_after, state_after;
  };
  const Case cases[] = {
      {9, 4, -5, 5, 1},   // kills and flies on with 5
      {4, 4, 0, 4, 0},    // even: ends, keeping its power
      {3, 10, 7, 3, 0},
      {5, -2, -7, 7, 1},  // already at or below 0: still hit, and P - H is larger
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.power << " vs " << c.hp);
    SetUp();
    Shot(0, 0, 200.0f, 100.0f, 0, c.power);
    Enemy(3, 200.0f, 100.0f, c.hp);
    update_player_shots();
    EXPECT_EQ(enemy[3].hp, c.hp_after);
    EXPECT_EQ(enemy[3].hit_counter, 1);
    EXPECT_EQ(player[0].shot_power[0], c.power_after);
    EXPECT_EQ(player[0].shot_state[0], c.state_after);
    EXPECT_EQ(se_shot_hit05_request, 1);
    EXPECT_EQ(FadesOf(0), c.state_after == 1 ? 0 : 1);
  }
}

TEST_F(PlayerShotTest, EachGroupTakesOneTargetAFrameAndTheGroupsFollowInOrder) {
  Shot(0, 0, 200.0f, 100.0f, 0, 30);
  Enemy(2, 200.0f, 100.0f, 1);
  Enemy(5, 200.0f, 100.0f, 1);
  set_enemy_count = 1;
  set_enemy_active[0] = 1;
  set_enemy_kind[0] = 0;
  set_enemy_x[0] = 200.0f;
  set_enemy_y[0] = 100.0f;
  set_enemy_width[0] = 8;
  set_enemy_height[0] = 8;
  set_enemy_hp[0] = 4;
  generator_count = 1;
  generator_active[0] = 1;
  generator_x[0] = 200.0f;
  generator_y[0] = 100.0f;
  generator_hp[0] = 5;
  update_player_shots();
  EXPECT_EQ(enemy[2].hp, -29);
  EXPECT_EQ(enemy[5].hp, 1);  // the group stopped at its first hit
  EXPECT_EQ(set_enemy_hp[0], 4 - 29);
  EXPECT_EQ(set_enemy_hit_blink[0], 1);
  EXPECT_EQ(generator_hp[0], 5 - 25);
  EXPECT_EQ(generator_hit_blink[0], 1);
  EXPECT_EQ(player[0].shot_power[0], 20);
}

TEST_F(PlayerShotTest, TargetsThatCannotBeHit) {
  // The fading fairy in its window, flat hazards, a rock (ends the shot).
  struct Case {
    const char* name;
    int32_t enemy_kind, enemy_tick;
    int32_t hazard_kind;
    bool rock;
    bool enemy_hit, hazard_hit, ends;
  };
  const Case cases[] = {
      {"fairy in its window", 46, 100, -1, false, false, false, false},
      {"fairy before it", 46, 59, -1, false, true, false, false},
      {"korone", -1, 0, 2, false, false, false, false},
      {"needle", -1, 0, 4, false, false, false, false},
      {"vine", -1, 0, 1, false, false, true, false},
      {"rock", -1, 0, -1, true, false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    Shot(0, 0, 200.0f, 100.0f, 0, 30);
    if (c.enemy_kind >= 0) {
      Enemy(0, 200.0f, 100.0f, 5).kind = c.enemy_kind;
      enemy[0].tick = c.enemy_tick;
    }
    if (c.hazard_kind >= 0) {
      set_enemy_count = 1;
      set_enemy_active[0] = 1;
      set_enemy_kind[0] = c.hazard_kind;
      set_enemy_x[0] = 200.0f;
      set_enemy_y[0] = 100.0f;
      set_enemy_width[0] = 8;
      set_enemy_height[0] = 8;
      set_enemy_hp[0] = 5;
    }
    if (c.rock) {
      movable_rock_count = 1;
      movable_rock_x[0] = 200.0f;
      movable_rock_y[0] = 100.0f;
    }
    update_player_shots();
    if (c.enemy_kind >= 0) {
      EXPECT_EQ(enemy[0].hp != 5, c.enemy_hit);
    }
    if (c.hazard_kind >= 0) {
      EXPECT_EQ(set_enemy_hp[0] != 5, c.hazard_hit);
    }
    EXPECT_EQ(player[0].shot_state[0] == 0, c.ends);
  }
}

TEST_F(PlayerShotTest, AnotherPlayersBodyEndsTheShotWithoutHarm) {
  player[1].hp = 20;
  Shot(0, 0, player[1].X, player[1].Y, 2, 8);
  update_player_shots();
  EXPECT_EQ(player[0].shot_state[0], 0);
  EXPECT_EQ(player[1].hp, 20);
  EXPECT_EQ(FadesOf(0), 1);
  // On stairs or down, the other player lets it pass; the shooter's own
  // body is never tested.
  for (int32_t on_stairs : {1, 0}) {
    SetUp();
    player[1].on_stairs = on_stairs;
    player[1].alive = on_stairs == 1 ? 1 : 0;
    Shot(0, 0, player[1].X, player[1].Y, 2, 8);
    Shot(0, 1, player[0].X, player[0].Y, 2, 8);
    update_player_shots();
    EXPECT_EQ(player[0].shot_state[0], 1);
    EXPECT_EQ(player[0].shot_state[1], 1);
  }
}

TEST_F(PlayerShotTest, ShotsOfTwoPlayersTradePowerAndTheLowerOneEndsAtItsOwnUpdate) {
  // Player 0's shot (updated first) lowers player 1's, which ends later in
  // the same frame at its own update.
  Shot(0, 0, 250.0f, 100.0f, 2, 5);
  Shot(1, 0, 250.0f, 100.0f, 6, 3);
  update_player_shots();
  EXPECT_EQ(player[0].shot_power[0], 2);
  EXPECT_EQ(player[0].shot_state[0], 1);
  EXPECT_EQ(player[1].shot_power[0], -2);
  EXPECT_EQ(player[1].shot_state[0], 0);
  EXPECT_EQ(FadesOf(1), 1);

  // Lowered by the later player's shot, player 0's shot ends next frame.
  SetUp();
  Shot(0, 0, 250.0f, 100.0f, 2, 3);
  Shot(1, 0, 265.0f, 100.0f, 6, 5);  // apart until player 0's shot moves to 257
  update_player_shots();
  EXPECT_EQ(player[0].shot_power[0], -2);
  EXPECT_EQ(player[0].shot_state[0], 1);
  update_player_shots();
  EXPECT_EQ(player[0].shot_state[0], 0);
  EXPECT_EQ(FadesOf(0), 1);
}

TEST_F(PlayerShotTest, EnemyShotsBossAndBossShotsTakeTheExchange) {
  Shot(0, 0, 200.0f, 100.0f, 0, 30);
  enemy[4].shot_state = 1;
  enemy[4].shot_X = 200.0f;
  enemy[4].shot_Y = 100.0f;
  enemy[4].shot_width = 3;
  enemy[4].shot_height = 3;
  enemy[4].shot_power = 4;
  boss_active = 1;
  boss_x = 200.0f;
  boss_y = 100.0f;
  boss_width = 20;
  boss_height = 20;
  present_bossHP = 10;
  boss_shot_width = 4;
  boss_shot_height = 4;
  boss_shot_state[7] = 1;
  boss_shot_x[7] = 200.0f;
  boss_shot_y[7] = 100.0f;
  boss_shot_power[7] = 6;
  update_player_shots();
  EXPECT_EQ(enemy[4].shot_power, -26);
  EXPECT_EQ(present_bossHP, 10 - 26);
  EXPECT_EQ(boss_hit, 1);
  EXPECT_EQ(boss_shot_power[7], 6 - 16);
  EXPECT_EQ(player[0].shot_power[0], 10);
  // No boss hit while it is not active.
  SetUp();
  Shot(0, 0, 200.0f, 100.0f, 0, 30);
  boss_active = 0;
  present_bossHP = 10;
  update_player_shots();
  EXPECT_EQ(present_bossHP, 10);
}

TEST_F(PlayerShotTest, AWallStopsTheShotOnePixelShortWithItsEffect) {
  SetCellRow(0, kWall);
  Shot(0, 0, 100.0f, 38.0f, 0, 8);
  update_player_shots();
  EXPECT_EQ(player[0].shot_state[0], 0);
  EXPECT_EQ(player[0].shot_y[0], 35.0f);  // top edge at 33
  EXPECT_EQ(player[0].shot_fade_alive[0], 1);
  EXPECT_EQ(player[0].shot_fade_y[0], 35.0f);
}

TEST_F(PlayerShotTest, InReflectModeAShotBouncesAndEndsAtItsTwentiethBounce) {
  SetCellRow(0, kWall);
  SetCellColumn(0, kWall);
  player[0].reflect_timer = 100;
  Shot(0, 0, 36.0f, 36.0f, 7, 8);
  update_player_shots();
  // Twice in the corner: off the ceiling, then off the side wall.
  EXPECT_EQ(player[0].shot_bounces[0], 2);
  EXPECT_EQ(player[0].shot_direction[0], 3);
  EXPECT_EQ(player[0].shot_x[0], 36.0f + 5.25f);
  EXPECT_EQ(player[0].shot_y[0], 36.0f + 5.25f);
  player[0].shot_x[0] = 36.0f;
  player[0].shot_y[0] = 36.0f;
  player[0].shot_direction[0] = 7;
  player[0].shot_bounces[0] = 18;
  update_player_shots();
  EXPECT_EQ(player[0].shot_state[0], 0);
  EXPECT_EQ(FadesOf(0), 1);
  // With the timer at 1 the count-down makes it 0 first: the wall stop holds.
  SetUp();
  SetCellRow(0, kWall);
  player[0].reflect_timer = 1;
  Shot(0, 0, 100.0f, 38.0f, 0, 8);
  update_player_shots();
  EXPECT_EQ(player[0].reflect_timer, 0);
  EXPECT_EQ(player[0].shot_state[0], 0);
}

TEST_F(PlayerShotTest, AShotLeavesTheViewWithoutAnEffectOnlyPastItsLastPixel) {
  scroll_x = -100;
  // Moving right by 7 to 544 - scroll_x = 644 exactly: it stays.
  Shot(0, 0, 637.0f, 100.0f, 2, 8);
  update_player_shots();
  EXPECT_EQ(player[0].shot_x[0], 644.0f);
  EXPECT_EQ(player[0].shot_state[0], 1);
  update_player_shots();
  EXPECT_EQ(player[0].shot_state[0], 0);
  EXPECT_EQ(FadesOf(0), 0);
}

TEST_F(PlayerShotTest, FiringFromTheFacingWithTheAttackEveryFourteenFrames) {
  struct Case {
    int32_t facing;
    float dx, dy;
  };
  const Case cases[] = {{0, 0, -24}, {1, 16, -16}, {2, 24, 0}, {3, 16, 16},
                        {4, 0, 24},  {5, -16, 16}, {6, -24, 0}, {7, -16, -16}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.facing);
    SetUp();
    player[0].facing = c.facing;
    player[0].actions[0] = 2;
    update_player_shots();
    EXPECT_EQ(player[0].shot_state[0], 1);
    EXPECT_EQ(player[0].shot_x[0], 100.0f + c.dx);  // not moved in its first frame
    EXPECT_EQ(player[0].shot_y[0], 300.0f + c.dy);
    EXPECT_EQ(player[0].shot_direction[0], c.facing);
    EXPECT_EQ(player[0].shot_power[0], 8);
    EXPECT_EQ(se_pelune_shot4_request, 1);
  }
  // Reflect mode starts at the centre; the second character has its sound.
  SetUp();
  player[1].reflect_timer = 50;
  player[1].actions[0] = 1;
  update_player_shots();
  EXPECT_EQ(player[1].shot_x[0], 400.0f);
  EXPECT_EQ(se_orven_shot_request, 1);

  // Held: a shot every 14 frames while a slot is free.
  SetUp();
  player[0].facing = 4;  // down, into open floor
  player[0].actions[0] = 1;
  std::vector<int> fired;
  for (int f = 0; f < 30; ++f) {
    const int32_t before = player[0].shot_cooldown;
    update_player_shots();
    if (player[0].shot_cooldown == 1 && before != 1) fired.push_back(f);
  }
  EXPECT_EQ(fired, (std::vector<int>{0, 14, 28}));
}

TEST_F(PlayerShotTest, NoShotWhileASpellSpinsOrOnStairsOrDown) {
  struct Case {
    int32_t spell1, spell2, on_stairs, alive;
    bool fires;
  };
  const Case cases[] = {{1, 0, 0, 1, false},  {28, 0, 0, 1, false}, {0, 28, 0, 1, false},
                        {29, 0, 0, 1, true},  {0, 0, 1, 1, false},  {0, 0, 0, 0, false},
                        {0, 0, 0, 1, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.spell1 << " " << c.spell2 << " " << c.on_stairs);
    SetUp();
    player[0].spell1_timer = c.spell1;
    player[0].spell2_timer = c.spell2;
    player[0].on_stairs = c.on_stairs;
    player[0].alive = c.alive;
    player[0].actions[0] = 2;
    update_player_shots();
    EXPECT_EQ(player[0].shot_state[0] == 1, c.fires);
  }
}

TEST_F(PlayerShotTest, AShotKeepsThePowerItWasFiredWith) {
  player[0].attack = 13;  // a running power boost
  player[0].actions[0] = 2;
  update_player_shots();
  player[0].actions[0] = 0;
  player[0].attack = 9;  // the boost has ended
  update_player_shots();
  EXPECT_EQ(player[0].shot_power[0], 13);
}

}  // namespace
