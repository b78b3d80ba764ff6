// Movable rocks and the placed-hazard frame.
#include <gtest/gtest.h>

#include "game/areas/areas.h"
#include "game/enemies/enemies.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/game/world/world_test_support.h"
#include "tests/support/api_fake/api_fake.h"

namespace {

class BodyFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWorld();
  }
  static int AddRock(float x, float y) {
    const int r = movable_rock_count++;
    movable_rock_x[r] = movable_rock_home_x[r] = x;
    movable_rock_y[r] = movable_rock_home_y[r] = y;
    return r;
  }
  static int AddHazard(float x, float y, int32_t kind) {
    const int i = set_enemy_count++;
    set_enemy_x[i] = x;
    set_enemy_y[i] = y;
    set_enemy_kind[i] = kind;
    set_enemy_active[i] = 1;
    set_enemy_hp[i] = 10;
    set_enemy_width[i] = 12;
    set_enemy_height[i] = 12;
    return i;
  }
  static void Push(int r, float vx, float vy) {
    movable_rock_push_vx[r] = vx;
    movable_rock_push_vy[r] = vy;
    movable_rock_pushed[r] = 1;
  }
};

using RockTest = BodyFrameTest;

TEST_F(RockTest, APushedRockSlidesAndScrapesOnlyWhileItMovesAndTheSoundIsSilent) {
  struct Case {
    const char* name;
    bool wall_right;
    int32_t playing;
    float expected_x;
    int32_t request;
  };
  const Case cases[] = {
      {"slides", false, 0, 103.0f, 1},
      {"sound already playing", false, 1, 103.0f, 0},
      {"against a wall", true, 0, 100.0f, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    // Right edge at 114: a wall from x 115 on stops it where it stands.
    if (c.wall_right) map_cell[3][3] = kWall;
    const int r = AddRock(c.wall_right ? 81.0f : 100.0f, 100.0f);
    const float start = movable_rock_x[r];
    Push(r, 3.0f, 0.0f);
    const int32_t playing = c.playing;
    api_fake().sound_playing = [playing](int32_t) { return playing; };
    update_movable_rocks();
    EXPECT_EQ(movable_rock_x[r], c.wall_right ? start : c.expected_x);
    EXPECT_EQ(se_boo_request, c.request);
    EXPECT_EQ(movable_rock_pushed[r], 0);
    EXPECT_EQ(movable_rock_push_vx[r], 0.0f);
    if (c.request == 1 || c.playing == 1) {
      const std::vector<ApiCall> calls = api_fake().Calls("ApiIsSoundPlaying");
      ASSERT_FALSE(calls.empty());
      EXPECT_EQ(calls[0].args[0], se_boo);
    }
  }
}

TEST_F(RockTest, ARockGoesHomeOnlyWhenItAndItsHomeAreBothOutOfView) {
  struct Case {
    float x, home_x;
    float expected_x;
  };
  // The view rectangle reaches 32 px round the field, edges inside.
  const Case cases[] = {{-40.0f, -50.0f, -50.0f},   // both out
                        {-40.0f, 100.0f, -40.0f},   // home in view: stays
                        {-32.0f, -50.0f, -32.0f},   // on the edge: inside
                        {545.0f, 600.0f, 600.0f},
                        {544.0f, 600.0f, 544.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x);
    SetUp();
    const int r = AddRock(c.x, 100.0f);
    movable_rock_home_x[r] = c.home_x;
    update_movable_rocks();
    EXPECT_EQ(movable_rock_x[r], c.expected_x);
  }
}

TEST_F(RockTest, AMovingRockKillsRollingRocksPushesOthersAndPassesFlatHazards) {
  const int r = AddRock(100.0f, 100.0f);
  enemy[0] = enemy_data{};
  enemy[0].alive = 1;
  enemy[0].kind = 12;  // a rolling rock
  enemy[0].hp = 2;
  enemy[0].X = 100.0f;
  enemy[0].Y = 72.0f;  // its bottom, 84, overlaps the moved rock's top, 83
  enemy[0].width = 12;
  enemy[0].height = 12;
  Push(r, 0.0f, -3.0f);
  update_movable_rocks();
  EXPECT_EQ(enemy[0].hp, 0);
  EXPECT_EQ(movable_rock_y[r], 100.0f);  // stopped by it

  SetUp();
  const int r2 = AddRock(100.0f, 100.0f);
  enemy[1].alive = 1;
  enemy[1].kind = 5;
  enemy[1].hp = 8;
  enemy[1].X = 100.0f;
  enemy[1].Y = 72.0f;
  enemy[1].width = 12;
  enemy[1].height = 12;
  Push(r2, 0.0f, -3.0f);
  update_movable_rocks();
  EXPECT_EQ(enemy[1].hp, 8);
  // A rock being pushed pushes nothing on: the enemy only stops it.
  EXPECT_EQ(enemy[1].vy, 0.0f);
  EXPECT_EQ(enemy[1].pushed, 0);

  // A korone and a needle lie flat: the rock passes over them; a fire stops it.
  for (int32_t kind : {2, 4, 0}) {
    SCOPED_TRACE(kind);
    SetUp();
    const int r3 = AddRock(100.0f, 100.0f);
    AddHazard(100.0f, 72.0f, kind);
    Push(r3, 0.0f, -3.0f);
    update_movable_rocks();
    EXPECT_EQ(movable_rock_y[r3], kind == 0 ? 100.0f : 97.0f);
  }
}

TEST_F(RockTest, AnUnpushedMoverHandsOnThePushAndAPushedOneDoesNot) {
  // A rock with a step but no pushed flag (as a body's own step would be)
  // shoves the player it meets by 3.0.
  player[0].alive = 1;
  player[0].X = 100.0f;
  player[0].Y = 72.0f;
  player[0].width = 12;
  player[0].height = 12;
  const int r = AddRock(100.0f, 100.0f);
  movable_rock_push_vy[r] = -3.0f;
  update_movable_rocks();
  EXPECT_EQ(player[0].vy, -3.0f);
  EXPECT_EQ(player[0].pushed, 1);
}

using HazardFrameTest = BodyFrameTest;

int behaviour_calls[5];
void count_fire(int32_t) { ++behaviour_calls[0]; }
void slide_bookshelf(int32_t i) {
  ++behaviour_calls[3];
  set_enemy_push_vx[i] = 4.0f;
}

class HazardBehaviours {
 public:
  HazardBehaviours() {
    for (int k = 0; k < 5; ++k) saved_[k] = set_enemy_kind_table[k];
    set_enemy_kind_table[0] = count_fire;
    set_enemy_kind_table[3] = slide_bookshelf;
    for (int& n : behaviour_calls) n = 0;
  }
  ~HazardBehaviours() {
    for (int k = 0; k < 5; ++k) set_enemy_kind_table[k] = saved_[k];
  }

 private:
  void (*saved_[5])(int32_t);
};

TEST_F(HazardFrameTest, AHazardWithoutHitPointsIsRemovedAndItsBehaviourNoLongerRuns) {
  HazardBehaviours behaviours;
  const int i = AddHazard(100.0f, 100.0f, 0);
  update_set_enemies();
  EXPECT_EQ(behaviour_calls[0], 1);
  set_enemy_hp[i] = 0;
  update_set_enemies();
  EXPECT_EQ(behaviour_calls[0], 1);
  EXPECT_EQ(set_enemy_active[i], 0);
  EXPECT_EQ(set_enemy_death_fade[i], 1);
  EXPECT_EQ(se_enemy_disappear8_request, 1);
}

TEST_F(HazardFrameTest, OnlyActiveValueOneIsUpdatedAndKindsOutsideTheTableRunNothing) {
  HazardBehaviours behaviours;
  const int odd = AddHazard(100.0f, 100.0f, 0);
  set_enemy_active[odd] = 2;
  set_enemy_hp[odd] = 0;
  AddHazard(200.0f, 100.0f, 7);
  AddHazard(300.0f, 100.0f, -1);
  update_set_enemies();
  EXPECT_EQ(set_enemy_active[odd], 2);  // neither updated nor removed
  EXPECT_EQ(set_enemy_death_fade[odd], 0);
  EXPECT_EQ(behaviour_calls[0], 0);
}

TEST_F(HazardFrameTest, AMovingHazardPushesBodiesKillsRollingRocksAndMeetsEveryHazardKind) {
  HazardBehaviours behaviours;
  const int shelf = AddHazard(100.0f, 100.0f, 3);
  player[0].alive = 1;
  player[0].X = 126.0f;
  player[0].Y = 100.0f;
  player[0].width = 12;
  player[0].height = 12;
  update_set_enemies();
  EXPECT_EQ(player[0].vx, 3.0f);  // shoved on
  EXPECT_EQ(set_enemy_x[shelf], 100.0f);

  SetUp();
  const int shelf2 = AddHazard(100.0f, 100.0f, 3);
  enemy[0].alive = 1;
  enemy[0].kind = 15;
  enemy[0].hp = 2;
  enemy[0].X = 126.0f;
  enemy[0].Y = 100.0f;
  enemy[0].width = 12;
  enemy[0].height = 12;
  update_set_enemies();
  EXPECT_EQ(enemy[0].hp, 0);
  EXPECT_EQ(set_enemy_x[shelf2], 100.0f);

  // Unlike a rock, a hazard meets korone and needles too.
  SetUp();
  const int shelf3 = AddHazard(100.0f, 100.0f, 3);
  AddHazard(126.0f, 100.0f, 2);
  update_set_enemies();
  EXPECT_EQ(set_enemy_x[shelf3], 100.0f);
  SetUp();
  const int shelf4 = AddHazard(100.0f, 100.0f, 3);
  update_set_enemies();
  EXPECT_EQ(set_enemy_x[shelf4], 104.0f);
  EXPECT_EQ(set_enemy_push_vx[shelf4], 0.0f);
}

}  // namespace
