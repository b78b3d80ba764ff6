// Boss 2, the ring thrower: its facing tests, its two cycles and its ring
// shots, hanging while it walks.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/game/bosses/boss_test_support.h"

namespace {

constexpr int32_t kBoss = 2;

class RingThrowerTest : public OnePlayerBossTest {};

struct FacingCase {
  const char* name;
  float dx, dy;  // the target from the boss at (300, 200)
  int32_t facing;
};

TEST_F(RingThrowerTest, EveryFacingTestThatHoldsOverridesTheOnesBefore) {
  const FacingCase cases[] = {
      {"10 right, 40 above: 10 is inside the band", 10.0f, -40.0f, 0},
      {"20 right, 5 above", 20.0f, -5.0f, 2},
      {"5 right, 5 above: up, then right overrides", 5.0f, -5.0f, 2},
      {"5 left, 5 above: up, then left overrides", -5.0f, -5.0f, 6},
      {"5 left, 5 below: down, then left overrides", -5.0f, 5.0f, 6},
      {"11 right, 11 below", 11.0f, 11.0f, 3},
      {"10.5 left, 10.5 above: 10.5 is beyond 10", -10.5f, -10.5f, 7},
      {"on the boss: the facing stays", 0.0f, 0.0f, 4},
  };
  for (const FacingCase& c : cases) {
    SetUp();
    PlaceBoss(kBoss, 300.0f, 200.0f, 200, 4);
    boss_p_cnt = 130;  // 130 % 30 = 10, and no step at this tick
    boss_target = 0;
    PlacePlayer(0, 300.0f + c.dx, 200.0f + c.dy);
    RunBossFrame();
    EXPECT_EQ(boss_facing, c.facing) << c.name;
  }
}

// Facing right with the target straight below: a turning tick faces down.
TEST_F(RingThrowerTest, TheWalkingCycleFrom150HitPoints) {
  ExpectTicks({kBoss, 150, 300.0f, 200.0f, 2, 300.0f, 400.0f, 180}, {
                                                                        {0, 2, 2.5f, 0.0f, 0},
                                                                        {10, 4, 0.0f, 2.5f, 0},
                                                                        {40, 4, 0.0f, 2.5f, 0},
                                                                        {89, 2, 2.5f, 0.0f, 0},
                                                                        {90, 2, 2.5f, 0.0f, 0},
                                                                        {91, 2, 0.0f, 0.0f, 0},
                                                                        {94, 2, 0.0f, 0.0f, 0},
                                                                        {95, 2, 0.0f, 0.0f, 1},
                                                                        {100, 4, 0.0f, 0.0f, 2},
                                                                        {165, 2, 0.0f, 0.0f, 15},
                                                                        {170, 2, 0.0f, 0.0f, 16},
                                                                        {175, 2, 0.0f, 0.0f, 0},
                                                                        {179, 2, 0.0f, 0.0f, 0},
                                                                    });
}

TEST_F(RingThrowerTest, TheShortCycleBelow150) {
  ExpectTicks({kBoss, 149, 300.0f, 200.0f, 2, 300.0f, 400.0f, 58},
              {
                  {0, 2, 1.6f, 0.0f, 1},
                  {7, 2, 1.6f, 0.0f, 2},
                  {10, 4, 0.0f, 1.6f, 0},
                  {40, 4, 0.0f, 1.6f, 0},
                  {49, 2, 1.6f, 0.0f, 8},
                  {56, 2, 1.6f, 0.0f, 0},
                  {57, 2, 1.6f, 0.0f, 0},
                  // A count left from the long cycle wraps on its next tick.
                  {120, 2, 1.6f, 0.0f, 0},
              });
}

TEST_F(RingThrowerTest, DiagonalStepsInBothCycles) {
  const int32_t hps[2] = {200, 120};
  const float steps[2] = {1.875f, 1.2f};
  for (int32_t k = 0; k < 2; ++k) {
    SetUp();
    PlaceBoss(kBoss, 300.0f, 200.0f, hps[k], 5);
    boss_p_cnt = 1;
    boss_target = 0;
    PlacePlayer(0, 40.0f, 40.0f);
    RunBossFrame();
    EXPECT_EQ(boss_x, 300.0f - steps[k]);
    EXPECT_EQ(boss_y, 200.0f + steps[k]);
    EXPECT_EQ(boss_anim, 1);
  }
}

struct RingShot {
  int32_t cue;
  int32_t direction;
  float dx, dy;  // from (bx, by - 5)
};

TEST_F(RingThrowerTest, TheRingShotOfEachCueWhileWalking) {
  const RingShot ring[] = {
      {1, 0, 0, -30},   {2, 1, 21, -21},  {3, 2, 30, 0},     {4, 3, 21, 21},
      {5, 4, 0, 30},    {6, 5, -21, 21},  {7, 6, -30, 0},    {8, 7, -21, -21},
      {9, 0, 12, -27},  {10, 1, 27, -12}, {11, 2, 27, 12},   {12, 3, 12, 27},
      {13, 4, -12, 27}, {14, 5, -27, 12}, {15, 6, -27, -12}, {16, 7, -12, -27},
  };
  for (const RingShot& r : ring) {
    SetUp();
    PlaceBoss(kBoss, 300.0f, 200.0f, 150, 4);
    boss_p_cnt = 90 + 5 * r.cue;
    boss_target = 0;
    PlacePlayer(0, 40.0f, 600.0f);
    RunBossFrame();
    ASSERT_EQ(boss_shot_cue, r.cue);
    ASSERT_EQ(FlyingShots(), (std::vector<int32_t>{0})) << "cue " << r.cue;
    EXPECT_EQ(boss_shot_x[0], 300.0f + r.dx) << "cue " << r.cue;
    EXPECT_EQ(boss_shot_y[0], 195.0f + r.dy) << "cue " << r.cue;
    EXPECT_EQ(boss_shot_direction[0], r.direction) << "cue " << r.cue;
    EXPECT_EQ(boss_shot_power[0], 8);
    EXPECT_EQ(boss_shot_age[0], 0);
    EXPECT_EQ(se_boss_shot10_request, 1);
  }
}

// The short cycle's cues, from where the boss stands after its step.
TEST_F(RingThrowerTest, From100To149OnTheRingAndBelow100AtTheCentreInTurn) {
  const RingShot pressing[8] = {{1, 0, 0, -30}, {2, 1, 21, -21}, {3, 2, 30, 0},  {4, 3, 21, 21},
                                {5, 4, 0, 30},  {6, 5, -21, 21}, {7, 6, -30, 0}, {8, 7, -21, -21}};
  for (const RingShot& r : pressing) {
    SetUp();
    PlaceBoss(kBoss, 300.0f, 200.0f, 100, 4);
    boss_p_cnt = 7 * (r.cue - 1);
    boss_target = 0;
    PlacePlayer(0, 40.0f, 600.0f);
    RunBossFrame();
    ASSERT_EQ(FlyingShots(), (std::vector<int32_t>{0})) << "cue " << r.cue;
    EXPECT_EQ(boss_shot_x[0], boss_x + r.dx) << "cue " << r.cue;
    EXPECT_EQ(boss_shot_y[0], boss_y - 5.0f + r.dy) << "cue " << r.cue;
    EXPECT_EQ(boss_shot_direction[0], r.direction) << "cue " << r.cue;
  }
  for (int32_t cue = 1; cue <= 9; ++cue) {
    SetUp();
    PlaceBoss(kBoss, 300.0f, 200.0f, 99, 4);
    boss_shot_direction[0] = 6;
    // Cues come only at ticks of the short cycle; set the cue as they leave it.
    boss_p_cnt = 7 * (cue - 1);
    boss_target = 0;
    PlacePlayer(0, 40.0f, 600.0f);
    RunBossFrame();
    if (cue == 9) {
      EXPECT_EQ(boss_shot_cue, 0) << "the short cycle has 8 cues";
      continue;
    }
    ASSERT_EQ(FlyingShots(), (std::vector<int32_t>{0}));
    EXPECT_EQ(boss_shot_x[0], boss_x);
    EXPECT_EQ(boss_shot_y[0], boss_y - 5.0f);
    EXPECT_EQ(boss_shot_direction[0], cue - 1);
  }
}

TEST_F(RingThrowerTest, ACueAbove8Below100LeavesTheSlotsDirection) {
  // A walking-phase cue seen by the pattern below 100 hit points.
  PlaceBoss(kBoss, 300.0f, 200.0f, 99, 4);
  boss_target = 0;
  PlacePlayer(0, 40.0f, 600.0f);
  boss_shot_direction[0] = 6;
  boss_shot_cue = 12;
  boss_shot_update_table[kBoss]();
  ASSERT_EQ(FlyingShots(), (std::vector<int32_t>{0}));
  EXPECT_EQ(boss_shot_direction[0], 6);
  EXPECT_EQ(boss_shot_x[0], 300.0f);
  EXPECT_EQ(boss_shot_y[0], 195.0f);
}

TEST_F(RingThrowerTest, ARingHangsWhileTheBossWalksAndFliesAtOnceBelow150) {
  PlaceBoss(kBoss, 300.0f, 200.0f, 150, 4);
  boss_target = 0;
  PlacePlayer(0, 40.0f, 600.0f);
  PutShot(0, 100.0f, 100.0f, 8, 2);
  PutShot(1, 100.0f, 300.0f, 8, 3);
  boss_shot_age[1] = 109;
  RunBossFrame();  // ages 1 and 110: both hang
  EXPECT_EQ(boss_shot_x[0], 100.0f);
  EXPECT_EQ(boss_shot_x[1], 100.0f);
  RunBossFrame();  // age 111 flies 2.5 on each axis
  EXPECT_EQ(boss_shot_x[0], 100.0f);
  EXPECT_EQ(boss_shot_x[1], 102.5f);
  EXPECT_EQ(boss_shot_y[1], 302.5f);
  present_bossHP = 149;  // a player shot's hit earlier in the frame
  RunBossFrame();
  EXPECT_EQ(boss_shot_x[0], 102.5f) << "released in the same frame";
}

}  // namespace
