// Boss 1, the side-stepper: its 100-tick cycle, its volley of three shots
// that hang and turn, and the aimed shot of a turn forced by the room's edge.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/game/bosses/boss_test_support.h"

namespace {

constexpr int32_t kBoss = 1;

class SideStepperTest : public OnePlayerBossTest {};

struct CycleRow {
  int32_t tick;  // boss_p_cnt before the frame
  int32_t anim;
  float dx;
  int32_t cue;
};

TEST_F(SideStepperTest, TheCycleByTick) {
  PlaceBoss(kBoss, 270.0f, 200.0f);
  PlacePlayer(0, 500.0f, 200.0f);  // right, level with the boss, out of its reach
  const CycleRow rows[] = {
      {0, 0, 0.0f, 0},  {15, 0, 0.0f, 0}, {16, 2, 0.0f, 0}, {30, 2, 0.0f, 0}, {31, 1, 3.0f, 0},
      {60, 1, 3.0f, 0}, {61, 2, 0.0f, 0}, {75, 2, 0.0f, 0}, {76, 0, 0.0f, 0}, {90, 0, 0.0f, 0},
      {91, 3, 0.0f, 1}, {92, 3, 0.0f, 0}, {99, 3, 0.0f, 0},
  };
  size_t next = 0;
  for (int32_t tick = 0; tick < 100; ++tick) {
    const float x = boss_x;
    RunBossFrame();
    EXPECT_EQ(boss_p_cnt, tick == 99 ? 0 : tick + 1);
    EXPECT_EQ(boss_facing, 2);
    if (next < std::size(rows) && rows[next].tick == tick) {
      EXPECT_EQ(boss_anim, rows[next].anim) << "tick " << tick;
      EXPECT_EQ(boss_x - x, rows[next].dx) << "tick " << tick;
      EXPECT_EQ(boss_shot_cue, rows[next].cue) << "tick " << tick;
      ++next;
    }
  }
  EXPECT_EQ(boss_x, 360.0f) << "30 steps of 3";
  EXPECT_EQ(FlyingShots().size(), 3u);
}

struct SideCase {
  const char* name;
  float bx;
  float tx;
  int32_t facing;
  int32_t edge_turn;
};

TEST_F(SideStepperTest, TheFacingAtTick0WithTheEdgeRulesFirst) {
  const SideCase cases[] = {
      {"target to the right", 270.0f, 400.0f, 2, 0},
      {"target straight below faces right", 270.0f, 270.0f, 2, 0},
      {"target to the left", 270.0f, 100.0f, 6, 0},
      {"at x 110 with the target on the left", 110.0f, 40.0f, 2, 1},
      {"beyond x 420 with the target on the right", 421.0f, 600.0f, 6, 1},
      {"exactly 120 is inside", 120.0f, 40.0f, 6, 0},
      {"exactly 420 is inside", 420.0f, 600.0f, 2, 0},
  };
  for (const SideCase& c : cases) {
    SetUp();
    PlaceBoss(kBoss, c.bx, 200.0f);
    PlacePlayer(0, c.tx, 300.0f);
    RunBossFrame();
    EXPECT_EQ(boss_facing, c.facing) << c.name;
    EXPECT_EQ(boss_edge_turn, c.edge_turn) << c.name;
    EXPECT_EQ(FlyingShots().size(), static_cast<size_t>(c.edge_turn)) << c.name;
  }
}

struct VolleyCase {
  const char* name;
  float tx, ty;  // the boss stands at (300, 200)
  int32_t directions[3];
};

TEST_F(SideStepperTest, TheVolleyAboutTheAimTableNotWrapped) {
  const VolleyCase cases[] = {
      {"straight above", 300.0f, 100.0f, {-1, 0, 1}},
      {"straight right: up, up-right, right", 400.0f, 200.0f, {0, 1, 2}},
      {"straight below: the down-right rule holds first", 300.0f, 300.0f, {2, 3, 4}},
      {"straight left", 200.0f, 200.0f, {4, 5, 6}},
      {"up-left", 200.0f, 100.0f, {6, 7, 8}},
      {"right and 30 below", 400.0f, 230.0f, {2, 3, 4}},
  };
  for (const VolleyCase& c : cases) {
    SetUp();
    PlaceBoss(kBoss, 300.0f, 200.0f);
    boss_p_cnt = 91;
    boss_target = 0;
    PlacePlayer(0, c.tx, c.ty);
    RunBossFrame();
    ASSERT_EQ(FlyingShots(), (std::vector<int32_t>{0, 1, 2})) << c.name;
    for (int32_t k = 0; k < 3; ++k) {
      EXPECT_EQ(boss_shot_direction[k], c.directions[k]) << c.name << ", shot " << k;
      EXPECT_EQ(boss_shot_x[k], 300.0f) << c.name;
      EXPECT_EQ(boss_shot_y[k], 240.0f) << c.name << ": 40 px below the boss";
      EXPECT_EQ(boss_shot_mode[k], 0) << c.name;
      EXPECT_EQ(boss_shot_power[k], 6) << c.name;
      EXPECT_EQ(boss_shot_age[k], 0) << c.name;
      EXPECT_EQ(boss_shot_box_width[k], boss_shot_width) << c.name;
    }
  }
}

TEST_F(SideStepperTest, AVolleyWithFewerThanThreeFreeSlots) {
  PlaceBoss(kBoss, 300.0f, 200.0f);
  boss_p_cnt = 91;
  boss_target = 0;
  PlacePlayer(0, 400.0f, 200.0f);
  for (int32_t i = 0; i < kBossShotSlots; ++i) PutShot(i, 40.0f, 40.0f, 1, 9);
  boss_shot_state[10] = 0;
  boss_shot_state[30] = 0;
  RunBossFrame();
  EXPECT_EQ(FlyingShots().size(), static_cast<size_t>(kBossShotSlots));
  EXPECT_EQ(boss_shot_direction[10], 0);
  EXPECT_EQ(boss_shot_direction[30], 1);
  EXPECT_EQ(se_boss_shot10_request, 1);
}

// A volley shot's path, frame by frame, for a target that then stands far up.
TEST_F(SideStepperTest, AVolleyShotFliesHangsAndTakesANewAimAt61) {
  PlaceBoss(kBoss, 300.0f, 200.0f);
  boss_p_cnt = 91;
  boss_target = 0;
  player_data& t = PlacePlayer(0, 300.0f, 100.0f);  // straight above
  RunBossFrame();
  t.X = 600.0f;  // now up-right of every shot, far beyond them
  t.Y = -300.0f;
  std::vector<float> ys[3];
  std::vector<float> xs[3];
  for (int32_t age = 1; age <= 62; ++age) {
    RunBossFrame();
    for (int32_t k = 0; k < 3; ++k) {
      xs[k].push_back(boss_shot_x[k]);
      ys[k].push_back(boss_shot_y[k]);
    }
  }
  // Shot 0 (direction -1) has no step until its new aim.
  EXPECT_EQ(xs[0][59], 300.0f);
  EXPECT_EQ(ys[0][59], 240.0f);
  // Shot 1 (up) flies ages 1 to 29 and hangs 30 to 60.
  EXPECT_EQ(ys[1][0], 236.0f);
  EXPECT_EQ(ys[1][28], 240.0f - 29 * 4.0f);
  EXPECT_EQ(ys[1][29], ys[1][28]);
  EXPECT_EQ(ys[1][59], ys[1][28]);
  // Shot 2 (up-right) alike on both axes.
  EXPECT_EQ(xs[2][28], 300.0f + 29 * 4.0f);
  EXPECT_EQ(xs[2][59], xs[2][28]);
  // Age 61: every shot takes its new aim, up-right toward the target, and moves.
  for (int32_t k = 0; k < 3; ++k) {
    EXPECT_EQ(boss_shot_direction[k], 1) << "shot " << k;
    EXPECT_EQ(xs[k][60] - xs[k][59], 4.0f) << "shot " << k;
    EXPECT_EQ(ys[k][60] - ys[k][59], -4.0f) << "shot " << k;
  }
}

TEST_F(SideStepperTest, TheEdgeShotIsAimedBelowTheTargetAndFliesStraight) {
  PlaceBoss(kBoss, 110.0f, 200.0f);
  PlacePlayer(0, 40.0f, 330.0f);
  RunBossFrame();
  ASSERT_EQ(FlyingShots(), (std::vector<int32_t>{0}));
  const float a = static_cast<float>(std::atan2(170.0, -70.0));
  EXPECT_EQ(boss_shot_mode[0], 1);
  EXPECT_EQ(boss_shot_aim_x[0], static_cast<float>(std::cos(static_cast<double>(a))));
  EXPECT_EQ(boss_shot_aim_y[0], static_cast<float>(std::sin(static_cast<double>(a))));
  EXPECT_EQ(boss_shot_x[0], 110.0f);
  EXPECT_EQ(boss_shot_y[0], 240.0f);
  EXPECT_EQ(boss_shot_direction[0], 0) << "not set";
  player[0].X = 900.0f;  // out of its way
  const float vx = 4.0f * boss_shot_aim_x[0];
  const float vy = 4.0f * boss_shot_aim_y[0];
  for (int32_t age = 1; age <= 80; ++age) {
    RunBossFrame();
    ASSERT_EQ(boss_shot_state[0], 1) << "age " << age;
    EXPECT_EQ(boss_shot_vx[0], vx) << "age " << age;
    EXPECT_EQ(boss_shot_vy[0], vy) << "age " << age;
  }
}

}  // namespace
