// Boss 5: the scripted walk and the chase, the fans, spears, bursts and orb
// rings, and how each kind of shot flies in each phase.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/game/bosses/boss_test_support.h"

namespace {

constexpr int32_t kBoss = 5;

class SpearsAndOrbsTest : public OnePlayerBossTest {};

TEST_F(SpearsAndOrbsTest, TheScriptedWalkAbove350) {
  ExpectTicks({kBoss, 351, 300.0f, 200.0f, 0, 300.0f, 600.0f, 560},
              {
                  {0, 4, 0, 0, 0},    {15, 4, 0, 0, 1},   {75, 4, 0, 0, 1},  {90, 4, 0, 0, 0},
                  {91, 6, -4, 0, 0},  {140, 6, -4, 0, 0}, {141, 4, 0, 0, 0}, {150, 4, 0, 0, 1},
                  {170, 4, 0, 0, 2},  {200, 4, 0, 0, 2},  {230, 4, 0, 0, 2}, {231, 2, 4, 0, 0},
                  {280, 2, 4, 0, 0},  {300, 4, 0, 0, 1},  {360, 4, 0, 0, 1}, {371, 2, 4, 0, 0},
                  {421, 4, 0, 0, 0},  {430, 4, 0, 0, 1},  {450, 4, 0, 0, 2}, {510, 4, 0, 0, 2},
                  {511, 6, -4, 0, 0}, {559, 6, -4, 0, 0}, {560, 0, 0, 0, 0},
              });
}

TEST_F(SpearsAndOrbsTest, AScriptedCycleEnds4PxRightOfItsStart) {
  PlaceBoss(kBoss, 300.0f, 200.0f, 351, 4);
  boss_target = 0;
  PlacePlayer(0, 300.0f, 900.0f);
  RunBossFrames(560);
  EXPECT_EQ(boss_x, 304.0f);
  EXPECT_EQ(boss_p_cnt, 0);
}

TEST_F(SpearsAndOrbsTest, TheChaseFrom350Down) {
  // The target is down-right; the boss faces up until a turning tick.
  ExpectTicks({kBoss, 350, 300.0f, 200.0f, 0, 500.0f, 400.0f, 560}, {
                                                                        {0, 0, 0, -1, 0},
                                                                        {10, 3, 0.75f, 0.75f, 0},
                                                                        {15, 0, 0, -1, 11},
                                                                        {17, 0, 0, -1, 12},
                                                                        {29, 0, 0, -1, 18},
                                                                        {31, 0, 0, -1, 0},
                                                                        {170, 0, 0, -1, 3},
                                                                        {250, 3, 0.75f, 0.75f, 2},
                                                                        {300, 0, 0, -1, 11},
                                                                        {314, 0, 0, -1, 18},
                                                                        {400, 3, 0.75f, 0.75f, 0},
                                                                        {401, 0, 0, 0, 0},
                                                                        {455, 0, 0, 0, 3},
                                                                        {520, 3, 0, 0, 2},
                                                                        {559, 0, 0, 0, 0},
                                                                    });
}

// ---- Volleys -----------------------------------------------------------------------

// The slots' direction before a volley: a shot that sets none keeps it.
constexpr int32_t kKept = 9;

// A shot of boss 5: its kind is its mode, its power 15.
struct Shot {
  float x, y;
  int32_t direction;
  float aim_x, aim_y;
  int32_t mode;
  int32_t box;
  int32_t age;
};

void ExpectVolley(const char* name, const std::vector<Shot>& shots) {
  std::vector<ShotSpec> specs;
  for (const Shot& s : shots)
    specs.push_back({s.x, s.y, s.direction, s.mode, s.mode, s.aim_x, s.aim_y, s.box, 15, s.age});
  ExpectShots(name, specs);
}

// Fires the volley of `cue` from the boss at (300, 200) with the target at
// (tx, ty), straight through the pattern.
void Fire(int32_t hp, int32_t cue, float tx, float ty, int32_t facing = 4) {
  ResetBossRoom();
  player_count = 1;
  PlaceBoss(kBoss, 300.0f, 200.0f, hp, facing);
  boss_target = 0;
  PlacePlayer(0, tx, ty);
  for (int32_t& d : boss_shot_direction) d = kKept;
  boss_shot_cue = cue;
  boss_shot_update_table[kBoss]();
}

TEST_F(SpearsAndOrbsTest, TheFanOfFiveOrbs) {
  Fire(400, 1, 300.0f, 600.0f);
  ExpectVolley("facing down", {{300, 200, 6, 0, 0, 0, 20, 0},
                               {300, 200, 5, 0, 0, 0, 20, 0},
                               {300, 200, 4, 0, 0, 0, 20, 0},
                               {300, 200, 3, 0, 0, 0, 20, 0},
                               {300, 200, 2, 0, 0, 0, 20, 0}});
  Fire(400, 1, 300.0f, 600.0f, 7);
  ExpectVolley("facing up-left wraps", {{300, 200, 1, 0, 0, 0, 20, 0},
                                        {300, 200, 0, 0, 0, 0, 20, 0},
                                        {300, 200, 7, 0, 0, 0, 20, 0},
                                        {300, 200, 6, 0, 0, 0, 20, 0},
                                        {300, 200, 5, 0, 0, 0, 20, 0}});
}

float Barb(double centre, double reach, double angle, bool x) {
  return static_cast<float>(centre + reach * (x ? std::cos(angle) : std::sin(angle)));
}

TEST_F(SpearsAndOrbsTest, TheSpearIsAnArrowheadAtTheTarget) {
  // A target straight to the right and one on the boss's centre both give
  // the angle 0.
  const float targets[2][2] = {{500.0f, 200.0f}, {300.0f, 200.0f}};
  for (const auto& t : targets) {
    for (int32_t hp : {400, 300}) {
      Fire(hp, 2, t[0], t[1]);
      ExpectVolley("along the aim", {
                                        {316, 200, kKept, 1, 0, 1, 10, 0},
                                        {332, 200, kKept, 1, 0, 1, 10, 0},
                                        {348, 200, kKept, 1, 0, 1, 10, 0},
                                        {364, 200, kKept, 1, 0, 1, 10, 0},
                                        {380, 200, kKept, 1, 0, 1, 10, 0},
                                        {Barb(300, 72, -0.39269875, true),
                                         Barb(200, 72, -0.39269875, false), kKept, 1, 0, 1, 10, 0},
                                        {Barb(300, 82, -0.196349375, true),
                                         Barb(200, 82, -0.196349375, false), kKept, 1, 0, 1, 10, 0},
                                        {Barb(300, 72, 0.39269875, true),
                                         Barb(200, 72, 0.39269875, false), kKept, 1, 0, 1, 10, 0},
                                        {Barb(300, 82, 0.196349375, true),
                                         Barb(200, 82, 0.196349375, false), kKept, 1, 0, 1, 10, 0},
                                        {396, 200, kKept, 1, 0, 1, 10, 0},
                                    });
    }
  }
}

TEST_F(SpearsAndOrbsTest, TheSpearsBarbsAreWorkedInDoubleFromTheSingleAngle) {
  Fire(400, 2, 431.0f, 517.0f);
  const float a = static_cast<float>(std::atan2(317.0, 131.0));
  const float c = static_cast<float>(std::cos(static_cast<double>(a)));
  const float s = static_cast<float>(std::sin(static_cast<double>(a)));
  EXPECT_EQ(boss_shot_x[1], 300.0f + 32.0f * c);
  EXPECT_EQ(boss_shot_y[1], 200.0f + 32.0f * s);
  EXPECT_EQ(boss_shot_x[5], Barb(300, 72, static_cast<double>(a) - 0.39269875, true));
  EXPECT_EQ(boss_shot_y[8], Barb(200, 82, static_cast<double>(a) + 0.196349375, false));
  for (int32_t i = 0; i < 10; ++i) {
    EXPECT_EQ(boss_shot_aim_x[i], c);
    EXPECT_EQ(boss_shot_aim_y[i], s);
  }
}

TEST_F(SpearsAndOrbsTest, TheBurstOfSixteen) {
  Fire(300, 3, 40.0f, 40.0f);
  const float table[16][4] = {
      {16, 0, 1, 0},
      {5.92f, 14.72f, 0.37f, 0.92f},
      {11.2f, 11.2f, 0.7f, 0.7f},
      {14.72f, 5.92f, 0.92f, 0.37f},
      {0, 16, 0, 1},
      {-5.92f, 14.72f, -0.37f, 0.92f},
      {-11.2f, 11.2f, -0.7f, 0.7f},
      {-14.72f, 5.92f, -0.92f, 0.37f},
      {-16, 0, -1, 0},
      {-5.92f, -14.72f, -0.37f, -0.92f},
      {-11.2f, -11.2f, -0.7f, -0.7f},
      {-14.72f, -5.92f, -0.92f, -0.37f},
      {0, -16, 0, -1},
      {5.92f, -14.72f, 0.37f, -0.92f},
      {11.2f, -11.2f, 0.7f, -0.7f},
      {14.72f, -5.92f, 0.92f, -0.37f},
  };
  std::vector<Shot> shots;
  for (const auto& r : table)
    shots.push_back({300.0f + r[0], 200.0f + r[1], kKept, r[2], r[3], 2, 4, 0});
  ExpectVolley("burst", shots);
}

TEST_F(SpearsAndOrbsTest, ABurstWith45BusySlotsAndNoneWithFifty) {
  for (int32_t busy : {45, 50}) {
    ResetBossRoom();
    player_count = 1;
    PlaceBoss(kBoss, 300.0f, 200.0f, 300, 4);
    boss_target = 0;
    PlacePlayer(0, 40.0f, 40.0f);
    for (int32_t i = 0; i < busy; ++i) PutShot(i, 600.0f, 600.0f, 1, 9);
    boss_shot_cue = 3;
    boss_shot_update_table[kBoss]();
    EXPECT_EQ(FlyingShots().size(), 50u);
    if (busy == 45) {
      for (int32_t k = 0; k < 5; ++k) EXPECT_EQ(boss_shot_mode[45 + k], 2);
      EXPECT_EQ(boss_shot_x[49], 300.0f);  // bullet 4, straight down
      EXPECT_EQ(boss_shot_y[49], 216.0f);
      EXPECT_EQ(se_boss_shot10_request, 1);
    } else {
      EXPECT_EQ(se_boss_shot10_request, 0);
    }
  }
}

TEST_F(SpearsAndOrbsTest, RingOrbsStartOnTheirRingPointsWithAgesTwoApart) {
  const float points[8][2] = {{0, -40}, {28, -28}, {40, 0},  {28, 28},
                              {0, 40},  {-28, 28}, {-40, 0}, {-28, -28}};
  for (int32_t k = 0; k < 8; ++k) {
    Fire(300, 11 + k, 40.0f, 40.0f);
    ExpectVolley("ring orb",
                 {{300.0f + points[k][0], 200.0f + points[k][1], k, 0, 0, 0, 20, 2 * k}});
  }
}

// ---- Flight ------------------------------------------------------------------------

TEST_F(SpearsAndOrbsTest, OrbsFlyInTheScriptAndRideTheirRingPointsInTheChase) {
  PlaceBoss(kBoss, 300.0f, 200.0f, 351, 4);
  boss_p_cnt = 1;
  boss_target = 0;
  PlacePlayer(0, 300.0f, 900.0f);
  PutShot(0, 100.0f, 100.0f, 15, 3);
  boss_shot_box_width[0] = 20;
  PutShot(1, 150.0f, 100.0f, 15, 0);
  boss_shot_age[1] = 100;
  RunBossFrame();
  EXPECT_EQ(boss_shot_x[0], 106.0f);
  EXPECT_EQ(boss_shot_y[0], 106.0f);
  // The first chase frame: the young orb jumps to its ring point and rides
  // with the boss; the old one flies on.
  present_bossHP = 350;
  RunBossFrame();
  EXPECT_EQ(boss_shot_x[0], boss_x + 28.0f);
  EXPECT_EQ(boss_shot_y[0], boss_y + 28.0f);
  EXPECT_EQ(boss_shot_y[1], 88.0f);
  boss_shot_age[0] = 100;
  RunBossFrame();  // age 101: it leaves along its direction
  EXPECT_EQ(boss_shot_vx[0], 6.0f);
  EXPECT_EQ(boss_shot_vy[0], 6.0f);
}

TEST_F(SpearsAndOrbsTest, SpearPartsWaitTwentyFramesSmallBulletsFlyAtOnce) {
  PlaceBoss(kBoss, 300.0f, 200.0f, 300, 4);
  boss_p_cnt = 401;
  boss_target = 0;
  PlacePlayer(0, 300.0f, 900.0f);
  PutShot(0, 100.0f, 100.0f, 15, 0);
  boss_shot_mode[0] = 1;
  boss_shot_aim_x[0] = 0.6f;
  boss_shot_aim_y[0] = 0.8f;
  PutShot(1, 100.0f, 300.0f, 15, 0);
  boss_shot_mode[1] = 2;
  boss_shot_aim_x[1] = -1.0f;
  boss_shot_aim_y[1] = 0.0f;
  for (int32_t age = 1; age <= 19; ++age) RunBossFrame();
  EXPECT_EQ(boss_shot_x[0], 100.0f);
  EXPECT_EQ(boss_shot_x[1], 100.0f - 19 * 6.0f);
  RunBossFrame();
  EXPECT_EQ(boss_shot_vx[0], 6.0f * 0.6f);
  EXPECT_EQ(boss_shot_vy[0], 6.0f * 0.8f);
}

}  // namespace
