// Boss 4, the three-phase duelist: stalking, jumping and holding, and its
// volleys of slow and fast shots by hit points.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/game/bosses/boss_test_support.h"

namespace {

constexpr int32_t kBoss = 4;

class DuelistTest : public OnePlayerBossTest {};

TEST_F(DuelistTest, StalkingAbove350) {
  // Facing up at first; the target is down-right.
  ExpectTicks({kBoss, 351, 200.0f, 150.0f, 0, 400.0f, 300.0f, 150}, {
                                                                        {0, 0, 0.0f, -1.0f, 0},
                                                                        {10, 3, 0.75f, 0.75f, 0},
                                                                        {100, 3, 0.75f, 0.75f, 2},
                                                                        {101, 0, 0.0f, 0.0f, 0},
                                                                        {105, 0, 0.0f, 0.0f, 1},
                                                                        {115, 3, 0.0f, 0.0f, 1},
                                                                        {140, 0, 0.0f, 0.0f, 3},
                                                                        {149, 0, 0.0f, 0.0f, 0},
                                                                    });
}

TEST_F(DuelistTest, JumpingPhaseClimbsCentresAndDrifts) {
  // Below the top band it faces up and climbs whatever the tick.
  ExpectTicks({kBoss, 300, 200.0f, 150.0f, 2, 400.0f, 300.0f, 300}, {
                                                                        {0, 0, 0.0f, -2.0f, 2},
                                                                        {60, 0, 0.0f, -2.0f, 1},
                                                                        {150, 0, 0.0f, -2.0f, 0},
                                                                    });
  // On top: centring to ticks 50, nothing to 99, then drifting by the facing.
  ExpectTicks({kBoss, 300, 200.0f, 80.0f, 4, 400.0f, 300.0f, 300}, {
                                                                       {0, 2, 2.0f, 0.0f, 2},
                                                                       {50, 2, 2.0f, 0.0f, 1},
                                                                       {51, 4, 0.0f, 0.0f, 0},
                                                                       {60, 3, 0.0f, 0.0f, 1},
                                                                       {100, 2, 1.0f, 0.0f, 0},
                                                                       {181, 4, 0.0f, 0.0f, 0},
                                                                       {199, 4, 0.0f, 0.0f, 0},
                                                                       {200, 4, 0.0f, 1.0f, 2},
                                                                       {206, 4, 0.0f, 1.0f, 0},
                                                                       {220, 3, 0.75f, 0.75f, 2},
                                                                       {290, 4, 0.0f, 1.0f, 1},
                                                                   });
  ExpectTicks({kBoss, 300, 300.0f, 80.0f, 7, 100.0f, 300.0f, 300}, {
                                                                       {0, 6, -2.0f, 0.0f, 2},
                                                                       {120, 6, -1.0f, 0.0f, 0},
                                                                   });
  ExpectTicks({kBoss, 300, 260.0f, 80.0f, 7, 100.0f, 300.0f, 300}, {{30, 7, 0.0f, 0.0f, 1}});
}

struct JumpCase {
  const char* name;
  float bx, by;  // on top of the room
  float tx, ty;
  float x, y;  // after the frame: the landing and that frame's own step
};

TEST_F(DuelistTest, TheJumpAtTick180LandsBesideTheTarget) {
  const JumpCase cases[] = {
      // Facing 3: 420 + 64 is not below 448; landing (356, 150), then a climb.
      {"right side blocked", 300.0f, 85.0f, 420.0f, 150.0f, 356.0f, 148.0f},
      {"right side open", 100.0f, 85.0f, 200.0f, 150.0f, 264.0f, 148.0f},
      // Facing 6 level with the target: landing (164, 88) on top, then a drift.
      {"left side blocked", 300.0f, 85.0f, 100.0f, 88.0f, 163.0f, 88.0f},
      {"left side open, facing 5", 300.0f, 85.0f, 200.0f, 150.0f, 136.0f, 148.0f},
      {"above blocked, facing 0", 300.0f, 85.0f, 300.0f, 40.0f, 300.0f, 102.0f},
      {"below open, facing 4", 300.0f, 85.0f, 300.0f, 200.0f, 300.0f, 262.0f},
      {"below blocked, facing 4", 300.0f, 85.0f, 300.0f, 250.0f, 300.0f, 184.0f},
  };
  for (const JumpCase& c : cases) {
    SetUp();
    PlaceBoss(kBoss, c.bx, c.by, 300, 2);
    boss_p_cnt = 180;
    boss_target = 0;
    PlacePlayer(0, c.tx, c.ty);
    RunBossFrame();
    EXPECT_EQ(boss_x, c.x) << c.name;
    EXPECT_EQ(boss_y, c.y) << c.name;
  }
}

TEST_F(DuelistTest, PlayersBlinkWhileTheCountAfterItsStepIs180To200) {
  for (int32_t tick : {178, 179, 199, 200}) {
    SetUp();
    player_count = 3;
    PlaceBoss(kBoss, 200.0f, 80.0f, 300, 2);
    boss_p_cnt = tick;
    boss_target = 0;
    PlacePlayer(0, 400.0f, 300.0f);
    PlacePlayer(2, 40.0f, 300.0f, 0);
    RunBossFrame();
    const int32_t expected = tick >= 179 && tick <= 199 ? 60 : 0;
    EXPECT_EQ(player[0].revive_timer, expected) << "tick " << tick;
    EXPECT_EQ(player[1].revive_timer, expected) << "tick " << tick << ": absent, still set";
    EXPECT_EQ(player[2].revive_timer, expected) << "tick " << tick << ": down, still set";
    EXPECT_EQ(player[3].revive_timer, 0) << "tick " << tick << ": beyond the count";
  }
}

TEST_F(DuelistTest, HoldingPhase) {
  // Inside the middle box: it lunges along its facing at ticks 0 to 30 only
  // and turns to the target from tick 31.
  ExpectTicks({kBoss, 250, 260.0f, 180.0f, 6, 400.0f, 180.0f, 300}, {
                                                                        {0, 6, -1.0f, 0.0f, 1},
                                                                        {30, 6, -1.0f, 0.0f, 0},
                                                                        {31, 2, 0.0f, 0.0f, 0},
                                                                        {120, 2, 0.0f, 0.0f, 2},
                                                                        {160, 2, 0.0f, 0.0f, 3},
                                                                        {200, 2, 0.0f, 0.0f, 1},
                                                                    });
  // Just outside it at tick 10 it keeps its old facing, away from the box;
  // at tick 31 it turns back.
  ExpectTicks({kBoss, 250, 225.0f, 180.0f, 6, 400.0f, 180.0f, 300}, {
                                                                        {10, 6, -1.0f, 0.0f, 0},
                                                                        {31, 2, 1.0f, 0.0f, 0},
                                                                        {50, 2, 1.0f, 0.0f, 1},
                                                                    });
  ExpectTicks({kBoss, 250, 260.0f, 210.0f, 3, 400.0f, 180.0f, 300}, {{31, 0, 0.0f, -1.0f, 0}});
}

TEST_F(DuelistTest, TheCountCarriesOverAndWrapsInTheShorterCycle) {
  PlaceBoss(kBoss, 200.0f, 150.0f, 351, 0);
  boss_p_cnt = 220;  // left by the jumping phase
  boss_target = 0;
  PlacePlayer(0, 400.0f, 300.0f);
  RunBossFrame();
  EXPECT_EQ(boss_p_cnt, 0);
}

// ---- Volleys -----------------------------------------------------------------------

// A shot of a volley from the boss at (300, 200).
struct VolleyShot {
  float dx, dy;
  int32_t direction;
  int32_t mode;
  int32_t kind;
};

struct VolleyCase {
  const char* name;
  int32_t hp;
  int32_t cue;
  std::vector<VolleyShot> shots;
};

TEST_F(DuelistTest, VolleysByCueAndHitPoints) {
  // Facing 1; the slots fill from 0.
  const VolleyCase cases[] = {
      {"cue 1 above 200: two slow about the facing", 201, 1, {{0, 0, 2, 0, 0}, {0, 0, 0, 0, 1}}},
      {"cue 1 from 101 to 200: five slow",
       200,
       1,
       {{0, 0, 3, 0, 0}, {0, 0, 2, 0, 1}, {0, 0, 1, 0, 2}, {0, 0, 0, 0, 0}, {0, 0, 7, 0, 1}}},
      {"cue 1 at 100 and less: eight slow round",
       100,
       1,
       {{0, 0, 0, 0, 0},
        {0, 0, 1, 0, 1},
        {0, 0, 2, 0, 2},
        {0, 0, 3, 0, 0},
        {0, 0, 4, 0, 1},
        {0, 0, 5, 0, 2},
        {0, 0, 6, 0, 0},
        {0, 0, 7, 0, 1}}},
      {"cue 2: one fast", 300, 2, {{0, 0, 1, 1, 3}}},
      {"cue 3 above 100: five fast",
       101,
       3,
       {{-20, -20, 1, 1, 3},
        {20, -20, 1, 1, 4},
        {0, 0, 1, 1, 3},
        {-20, 20, 1, 1, 4},
        {20, 20, 1, 1, 3}}},
      {"cue 3 at 100 and less: nine fast",
       100,
       3,
       {{-40, -40, 1, 1, 3},
        {40, -40, 1, 1, 4},
        {0, 0, 1, 1, 3},
        {-40, 40, 1, 1, 4},
        {40, 40, 1, 1, 3},
        {0, -15, 2, 1, 4},
        {0, 15, 2, 1, 3},
        {0, -15, 6, 1, 4},
        {0, 15, 6, 1, 3}}},
  };
  for (const VolleyCase& c : cases) {
    SetUp();
    PlaceBoss(kBoss, 300.0f, 200.0f, c.hp, 1);
    boss_target = 0;
    PlacePlayer(0, 40.0f, 600.0f);
    boss_shot_cue = c.cue;
    boss_shot_update_table[kBoss]();
    std::vector<ShotSpec> shots;
    for (const VolleyShot& v : c.shots) {
      shots.push_back(
          {300.0f + v.dx, 200.0f + v.dy, v.direction, v.mode, v.kind, 0.0f, 0.0f, 3, 12, 0});
    }
    ExpectShots(c.name, shots);
  }
}

TEST_F(DuelistTest, Cue3Below101WithFourFreeSlots) {
  PlaceBoss(kBoss, 300.0f, 200.0f, 100, 2);
  for (int32_t i = 0; i < kBossShotSlots; ++i) PutShot(i, 40.0f, 40.0f, 1, 9);
  for (int32_t i : {5, 6, 40, 41}) boss_shot_state[i] = 0;
  boss_shot_cue = 3;
  boss_shot_update_table[kBoss]();
  EXPECT_EQ(FlyingShots().size(), static_cast<size_t>(kBossShotSlots));
  const float xs[4] = {260.0f, 340.0f, 300.0f, 260.0f};
  const float ys[4] = {160.0f, 160.0f, 200.0f, 240.0f};
  const int32_t slots[4] = {5, 6, 40, 41};
  for (int32_t k = 0; k < 4; ++k) {
    EXPECT_EQ(boss_shot_x[slots[k]], xs[k]);
    EXPECT_EQ(boss_shot_y[slots[k]], ys[k]);
    EXPECT_EQ(boss_shot_kind[slots[k]], slots[k] % 2 == 0 ? 3 : 4);
  }
}

TEST_F(DuelistTest, SpeedsAndTheOwnBox) {
  PlaceBoss(kBoss, 300.0f, 200.0f, 400, 4);
  boss_p_cnt = 101;
  boss_target = 0;
  // 17 px below the shot: the row's 8 x 8 box would reach it, the own 3 x 3 not.
  player_data& p = PlacePlayer(0, 100.0f, 117.0f);
  PutShot(0, 100.0f, 100.0f, 12, 3);
  boss_shot_box_width[0] = 3;
  boss_shot_box_height[0] = 3;
  PutShot(1, 200.0f, 100.0f, 12, 6);
  boss_shot_mode[1] = 1;
  RunBossFrame();
  EXPECT_EQ(boss_shot_x[0], 100.0f + 1.3333334f);
  EXPECT_EQ(boss_shot_y[0], 100.0f + 1.3333334f);
  EXPECT_EQ(boss_shot_x[1], 196.0f);
  EXPECT_EQ(p.hp, 100);
}

TEST_F(DuelistTest, Below251SlowShotsStopAndDrawANewDirection) {
  PlaceBoss(kBoss, 300.0f, 200.0f, 251, 4);
  boss_p_cnt = 101;
  boss_target = 0;
  PlacePlayer(0, 40.0f, 600.0f);
  PutShot(0, 100.0f, 100.0f, 12, 2);  // slow
  PutShot(1, 100.0f, 300.0f, 12, 2);
  boss_shot_mode[1] = 1;  // fast: never stops
  boss_shot_age[0] = 43;
  boss_shot_age[1] = 43;
  RunBossFrame();  // age 44 at 251 hit points: no stop
  EXPECT_TRUE(RandomBounds().empty());
  EXPECT_NE(boss_shot_vx[0], 0.0f);
  present_bossHP = 250;  // a shot already flying starts doing it
  api_fake().random_values = {5, 1};
  std::vector<float> vx;
  for (int32_t age = 45; age <= 56; ++age) {
    RunBossFrame();
    vx.push_back(boss_shot_vx[0]);
    if (age == 50) {
      EXPECT_EQ(boss_shot_direction[0], 5);
      EXPECT_EQ(RandomBounds(), (std::vector<int64_t>{7}));
    }
  }
  for (size_t k = 0; k + 1 < vx.size(); ++k) EXPECT_EQ(vx[k], 0.0f) << "age " << 45 + k;
  EXPECT_EQ(vx.back(), -1.3333334f) << "age 56 leaves down-left";
  EXPECT_EQ(boss_shot_direction[1], 2) << "fast shots keep theirs";
  // The next draw comes at age 140.
  boss_shot_age[0] = 139;
  RunBossFrame();
  EXPECT_EQ(boss_shot_direction[0], 1);
  EXPECT_EQ(RandomBounds(), (std::vector<int64_t>{7, 7}));
}

TEST_F(DuelistTest, NewDirectionsAreDrawnInSlotOrder) {
  PlaceBoss(kBoss, 300.0f, 200.0f, 200, 4);
  boss_p_cnt = 101;
  boss_target = 0;
  PlacePlayer(0, 40.0f, 600.0f);
  for (int32_t i : {7, 2, 30}) {
    PutShot(i, 100.0f + 10.0f * i, 100.0f, 12, 0);
    boss_shot_age[i] = 49;
  }
  api_fake().random_values = {3, 6, 0};
  RunBossFrame();
  EXPECT_EQ(boss_shot_direction[2], 3);
  EXPECT_EQ(boss_shot_direction[7], 6);
  EXPECT_EQ(boss_shot_direction[30], 0);
  EXPECT_EQ(RandomBounds(), (std::vector<int64_t>{7, 7, 7}));
}

}  // namespace
