// The special attacks of both characters.
#include <gtest/gtest.h>

#include "game/areas/areas.h"
#include "game/enemies/enemies.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/support/api_fake/api_fake.h"

namespace {

class SpellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    api_fake().Reset();
    reset_game();
    for (player_data& record : player) record = player_data{};
    for (enemy_data& e : enemy) e = enemy_data{};
    player_count = 1;
    SetUpPlayer(0, 0);
  }
  static void SetUpPlayer(int p, int32_t character) {
    player_data& r = player[p];
    r.character = character;
    r.alive = 1;
    r.level = 2;
    r.intelligence = 5;
    r.attack_base = 7;
    r.attack_bonus = 2;
    r.hp_max = 50;
    r.hp = 10;
    r.spell1_stock = 3;
    r.spell2_stock = 3;
  }
  // One frame with `action` (1 or 2) newly pressed by player p, then released.
  static void Press(int p, int action) {
    player[p].actions[action] = 2;
    update_player_spells();
    player[p].actions[action] = 0;
  }
};

TEST_F(SpellTest, TheGuardRunsForIntelligenceTimesTwoHundredFrames) {
  Press(0, 1);
  EXPECT_EQ(player[0].spell1_stock, 2);
  EXPECT_EQ(player[0].spell1_length, 1000);
  EXPECT_EQ(player[0].spell1_timer, 2);  // the start update counts once
  EXPECT_EQ(se_potion_request, 1);
  int frames = 1;
  while (player[0].spell1_timer != 0 && frames < 2000) {
    update_player_spells();
    ++frames;
  }
  // Timer values 2 to 999 after updates, 0 when it would reach 1000.
  EXPECT_EQ(frames, 999);
  // The length was taken at the start: a changed intelligence does not matter.
  Press(0, 1);
  player[0].intelligence = 1;
  for (int i = 0; i < 500; ++i) update_player_spells();
  EXPECT_GT(player[0].spell1_timer, 0);
}

TEST_F(SpellTest, ThePowerRaisesAttackOnlyWhileItRuns) {
  update_player_spells();
  EXPECT_EQ(player[0].attack, 9);
  Press(0, 2);
  EXPECT_EQ(player[0].attack, 13);  // trunc(9 x 1.5)
  player[0].spell2_timer = 999;
  update_player_spells();
  EXPECT_EQ(player[0].spell2_timer, 0);
  EXPECT_EQ(player[0].attack, 13);  // computed before the timer ended
  update_player_spells();
  EXPECT_EQ(player[0].attack, 9);
}

TEST_F(SpellTest, AnAttackStartsOnlyOnANewPressByAPlayerWhoIsUpWithACharge) {
  struct Case {
    int32_t action_state;
    int32_t alive;
    int32_t stock;
    bool starts;
  };
  const Case cases[] = {{2, 1, 1, true}, {1, 1, 1, false}, {2, 0, 1, false}, {2, 1, 0, false}};
  for (int32_t character : {0, 1}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << character << " " << c.action_state << c.alive << c.stock);
      SetUp();
      SetUpPlayer(0, character);
      player[0].alive = c.alive;
      player[0].spell1_stock = c.stock;
      player[0].actions[1] = c.action_state;
      update_player_spells();
      EXPECT_EQ(player[0].spell1_timer > 0, c.starts);
      EXPECT_EQ(player[0].spell1_stock, c.starts ? c.stock - 1 : c.stock);
      EXPECT_EQ(se_potion_request, c.starts ? 1 : 0);
    }
  }
}

TEST_F(SpellTest, ADownedPlayersRunningTimersStillCountAndEnd) {
  SetUpPlayer(0, 1);
  Press(0, 1);
  player[0].alive = 0;
  for (int i = 0; i < 93; ++i) update_player_spells();
  EXPECT_EQ(player[0].spell1_timer, 95);
  update_player_spells();
  EXPECT_EQ(player[0].spell1_timer, 0);
}

TEST_F(SpellTest, TheHealReachesEveryRecordOfThePartyUpOrDownUpToItsOwnMaximum) {
  player_count = 4;
  SetUpPlayer(0, 1);  // heals 5 x 3 + 2 x 5 = 25
  SetUpPlayer(1, 0);
  SetUpPlayer(2, 0);
  SetUpPlayer(3, 2);
  player[1].alive = 0;
  player[1].hp = -3;
  player[2].hp = 40;
  player[3].hp = 70;  // above its maximum: set back
  Press(0, 1);
  EXPECT_EQ(player[0].hp, 35);
  EXPECT_EQ(player[1].hp, 22);
  EXPECT_EQ(player[2].hp, 50);
  EXPECT_EQ(player[3].hp, 50);
  // A restart spends another charge and heals again.
  Press(0, 1);
  EXPECT_EQ(player[0].spell1_stock, 1);
  EXPECT_EQ(player[0].spell1_timer, 2);
  EXPECT_EQ(player[0].hp, 50);
}

TEST_F(SpellTest, TheBlastHitsEveryLiveEnemyAndNothingElse) {
  SetUpPlayer(0, 3);  // 2 + 5 x 2 = 12
  enemy[0].alive = 1;
  enemy[0].hp = 20;
  enemy[9].alive = 1;
  enemy[9].hp = 5;
  enemy[3].alive = 0;
  enemy[3].hp = 20;
  generator_count = 1;
  generator_hp[0] = 20;
  set_enemy_count = 1;
  set_enemy_active[0] = 1;
  set_enemy_hp[0] = 20;
  Press(0, 2);
  EXPECT_EQ(enemy[0].hp, 8);
  EXPECT_EQ(enemy[9].hp, -7);
  EXPECT_EQ(enemy[3].hp, 20);
  EXPECT_EQ(enemy[0].hit_counter, 0);
  EXPECT_EQ(generator_hp[0], 20);
  EXPECT_EQ(set_enemy_hp[0], 20);
  EXPECT_EQ(player[0].attack, 9);
}

}  // namespace
