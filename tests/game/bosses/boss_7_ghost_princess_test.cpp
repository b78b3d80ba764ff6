// Boss 7, the ghost princess: her walk toward the target's column and to the
// middle of the room, her rows, aimed pairs, orb rings and bars, and how her
// shots start moving.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/game/bosses/boss_test_support.h"

namespace {

constexpr int32_t kBoss = 7;

class GhostPrincessTest : public OnePlayerBossTest {};

struct FirstRow {
  const char* name;
  int32_t tick;
  int32_t start_facing;
  float tx, ty;  // the boss at (250, 150)
  int32_t facing;
  float dx;
  int32_t cue;
};

TEST_F(GhostPrincessTest, TheFirstPhaseByTick) {
  const FirstRow rows[] = {
      {"target to the right", 0, 4, 350.0f, 300.0f, 2, 1.0f, 3},
      {"target to the left", 0, 4, 150.0f, 300.0f, 6, -1.0f, 3},
      {"exactly 50 to the side, below", 0, 2, 300.0f, 300.0f, 4, 0.0f, 3},
      {"exactly 50 to the side, above", 0, 2, 200.0f, 50.0f, 4, 0.0f, 3},
      {"walking on", 120, 6, 350.0f, 300.0f, 6, -1.0f, 0},
      {"tick 121 faces down and stands", 121, 6, 350.0f, 300.0f, 4, 0.0f, 0},
      {"standing with another facing", 150, 2, 350.0f, 300.0f, 2, 0.0f, 0},
      {"cue 1", 200, 4, 350.0f, 300.0f, 4, 0.0f, 1},
      {"cue 2", 250, 4, 350.0f, 300.0f, 4, 0.0f, 2},
  };
  for (const FirstRow& row : rows) {
    SetUp();
    PlaceBoss(kBoss, 250.0f, 150.0f, 1001, row.start_facing);
    boss_p_cnt = row.tick;
    boss_target = 0;
    PlacePlayer(0, row.tx, row.ty);
    RunBossFrame();
    EXPECT_EQ(boss_facing, row.facing) << row.name;
    EXPECT_EQ(boss_x, 250.0f + row.dx) << row.name;
    EXPECT_EQ(boss_shot_cue, row.cue) << row.name;
    EXPECT_EQ(boss_p_cnt, row.tick + 1) << row.name;
  }
}

struct MiddleRow {
  float bx, by;
  int32_t facing;
  float dx, dy;
};

TEST_F(GhostPrincessTest, TheSecondPhaseSettlesXThenYInTheMiddle) {
  const MiddleRow rows[] = {
      {248.0f, 100.0f, 2, 1.0f, 0.0f}, {264.0f, 100.0f, 6, -1.0f, 0.0f},
      {250.0f, 145.0f, 4, 0.0f, 1.0f}, {250.0f, 155.0f, 0, 0.0f, -1.0f},
      {250.0f, 150.0f, 4, 0.0f, 0.0f}, {263.5f, 145.5f, 4, 0.0f, 0.0f},
  };
  for (const MiddleRow& row : rows) {
    SetUp();
    PlaceBoss(kBoss, row.bx, row.by, 1000, 2);
    boss_p_cnt = 60;
    boss_target = 0;
    PlacePlayer(0, 40.0f, 400.0f);
    RunBossFrame();
    EXPECT_EQ(boss_facing, row.facing) << row.bx << ", " << row.by;
    EXPECT_EQ(boss_x, row.bx + row.dx) << row.bx << ", " << row.by;
    EXPECT_EQ(boss_y, row.by + row.dy) << row.bx << ", " << row.by;
  }
}

TEST_F(GhostPrincessTest, TheSecondPhasesCues) {
  const int32_t cue_ticks[][2] = {{0, 1},   {50, 1},  {60, 0},  {70, 2},  {120, 2}, {130, 0},
                                  {140, 3}, {190, 3}, {230, 4}, {300, 5}, {499, 0}};
  for (const auto& ct : cue_ticks) {
    SetUp();
    PlaceBoss(kBoss, 250.0f, 150.0f, 1000, 4);
    boss_p_cnt = ct[0];
    boss_target = 0;
    PlacePlayer(0, 40.0f, 400.0f);
    RunBossFrame();
    EXPECT_EQ(boss_shot_cue, ct[1]) << "tick " << ct[0];
    EXPECT_EQ(boss_p_cnt, ct[0] == 499 ? 0 : ct[0] + 1);
  }
}

// ---- Volleys -----------------------------------------------------------------------

// A shot of boss 7 as a volley leaves it: power 20, age 0.
ShotSpec Spec(float x, float y, int32_t direction, int32_t mode, int32_t kind, float aim_x,
              float aim_y, int32_t box) {
  return {x, y, direction, mode, kind, aim_x, aim_y, box, 20, 0};
}

void Fire(int32_t hp, int32_t cue, float tx = 40.0f, float ty = 400.0f) {
  ResetBossRoom();
  player_count = 1;
  PlaceBoss(kBoss, 250.0f, 150.0f, hp, 4);
  boss_target = 0;
  PlacePlayer(0, tx, ty);
  boss_shot_cue = cue;
  boss_shot_update_table[kBoss]();
}

TEST_F(GhostPrincessTest, TheRowsOfCue1) {
  Fire(1001, 1);
  const float xs[8] = {154, 154, 218, 218, 282, 282, 346, 346};
  const int32_t kinds[8] = {0, 1, 2, 5, 0, 1, 2, 5};
  std::vector<ShotSpec> shots;
  for (int32_t i = 0; i < 32; ++i) {
    const int32_t g = i / 4;
    const bool left = g % 2 == 0;
    shots.push_back(
        Spec(xs[g], 150.0f, left ? 5 : 3, i % 4, kinds[g], left ? -0.4f : 0.4f, 0.9f, 5));
  }
  ExpectShots("cue 1", shots);
}

TEST_F(GhostPrincessTest, Cue1WithTooFewSlotsLosesTheRightmostGroups) {
  PlaceBoss(kBoss, 250.0f, 150.0f, 1001, 4);
  for (int32_t i = 0; i < 30; ++i) PutShot(i, 600.0f, 600.0f, 20, 4);
  boss_shot_cue = 1;
  boss_shot_update_table[kBoss]();
  EXPECT_EQ(FlyingShots().size(), 50u);
  EXPECT_EQ(boss_shot_x[49], 282.0f) << "shot 19, group 4";
  EXPECT_EQ(boss_shot_mode[49], 3);
}

TEST_F(GhostPrincessTest, TheAimedPairsOfCues2And3) {
  for (int32_t cue : {2, 3}) {
    Fire(1001, cue, 310.0f, 330.0f);
    std::vector<ShotSpec> shots;
    for (int32_t i = 0; i < 8; ++i) {
      const float x = i < 4 ? 298.0f : 202.0f;
      const float a = static_cast<float>(
          std::atan2(static_cast<double>(330.0f - 150.0f), static_cast<double>(310.0f - x)));
      shots.push_back(Spec(x, 150.0f, 0, i % 4, cue == 2 ? 4 : 3,
                           static_cast<float>(std::cos(static_cast<double>(a))),
                           static_cast<float>(std::sin(static_cast<double>(a))), 5));
    }
    ExpectShots(cue == 2 ? "cue 2" : "cue 3", shots);
  }
  // A target on a start point: atan2(0, 0) is 0, so that bullet goes right.
  Fire(1001, 2, 298.0f, 150.0f);
  EXPECT_EQ(boss_shot_aim_x[0], 1.0f);
  EXPECT_EQ(boss_shot_aim_y[0], 0.0f);
}

TEST_F(GhostPrincessTest, TheOrbRingsLeaveTheSlotsDirection) {
  const float r1[8][2] = {{0, -1}, {0.75f, -0.75f}, {1, 0},  {0.75f, 0.75f},
                          {0, 1},  {-0.75f, 0.75f}, {-1, 0}, {-0.75f, -0.75f}};
  const float r2[8][2] = {{0.4f, -0.9f}, {0.9f, -0.4f}, {0.9f, 0.4f},   {0.4f, 0.9f},
                          {-0.4f, 0.9f}, {-0.9f, 0.4f}, {-0.9f, -0.4f}, {-0.4f, -0.9f}};
  const float r3[4][2] = {{0.75f, -0.75f}, {0.75f, 0.75f}, {-0.75f, 0.75f}, {-0.75f, -0.75f}};
  const struct {
    int32_t cue;
    const float (*aims)[2];
    int32_t count;
  } rings[] = {{1, r1, 8}, {2, r2, 8}, {3, r3, 4}};
  for (const auto& ring : rings) {
    ResetBossRoom();
    player_count = 1;
    for (int32_t i = 0; i < 8; ++i) boss_shot_direction[i] = 7 - i;
    PlaceBoss(kBoss, 250.0f, 150.0f, 1000, 4);
    boss_shot_cue = ring.cue;
    boss_shot_update_table[kBoss]();
    std::vector<ShotSpec> shots;
    for (int32_t i = 0; i < ring.count; ++i)
      shots.push_back(Spec(250.0f, 150.0f, 7 - i, 4, 6, ring.aims[i][0], ring.aims[i][1], 20));
    ExpectShots("orb ring", shots);
  }
}

TEST_F(GhostPrincessTest, SixRingsOfCue1AndAPoolNearFull) {
  PlaceBoss(kBoss, 250.0f, 150.0f, 1000, 4);
  boss_shot_cue = 1;
  for (int32_t ring = 0; ring < 6; ++ring) boss_shot_update_table[kBoss]();
  EXPECT_EQ(FlyingShots().size(), 48u);

  ResetBossRoom();
  PlaceBoss(kBoss, 250.0f, 150.0f, 1000, 4);
  for (int32_t i = 0; i < 5; ++i) PutShot(i, 600.0f, 600.0f, 20, 4);
  boss_shot_cue = 1;
  std::vector<int32_t> sounds;
  for (int32_t ring = 0; ring < 7; ++ring) {
    se_boss_shot10_request = 0;
    boss_shot_update_table[kBoss]();
    sounds.push_back(se_boss_shot10_request);
  }
  EXPECT_EQ(FlyingShots().size(), 50u);
  EXPECT_EQ(boss_shot_aim_x[49], 0.0f) << "the sixth ring's fifth orb, straight down";
  EXPECT_EQ(boss_shot_aim_y[49], 1.0f);
  EXPECT_EQ(sounds, (std::vector<int32_t>{1, 1, 1, 1, 1, 1, 0}));
}

TEST_F(GhostPrincessTest, TheBarsOfCues4And5) {
  const float cue4[16][2] = {{16, -16},  {0, 0},     {-16, 16}, {-32, 32}, {16, 16},  {0, 0},
                             {-16, -16}, {-32, -32}, {-16, 16}, {0, 0},    {16, -16}, {32, -32},
                             {-16, -16}, {0, 0},     {16, 16},  {32, 32}};
  const float cue5[16][2] = {{-16, -16}, {0, 0},    {16, 16},  {32, 32}, {16, -16},  {0, 0},
                             {-16, 16},  {-32, 32}, {16, 16},  {0, 0},   {-16, -16}, {-32, -32},
                             {-16, 16},  {0, 0},    {16, -16}, {32, -32}};
  const int32_t kinds[4] = {0, 1, 2, 5};
  const int32_t directions[4] = {4, 3, 5, 3};
  const float aims[4][2] = {{0, 1}, {-1, 0}, {0, -1}, {1, 0}};
  const int32_t modes[16] = {2, 2, 2, 2, 0, 1, 2, 3, 2, 2, 2, 2, 0, 1, 2, 3};
  for (int32_t cue : {4, 5}) {
    Fire(1000, cue);
    std::vector<ShotSpec> shots;
    for (int32_t i = 0; i < 16; ++i) {
      const int32_t g = i / 4;
      const float(&at)[2] = cue == 4 ? cue4[i] : cue5[i];
      shots.push_back(Spec(250.0f + at[0], 150.0f + at[1], directions[g], modes[i], kinds[g],
                           aims[g][0], aims[g][1], 5));
    }
    ExpectShots(cue == 4 ? "cue 4" : "cue 5", shots);
  }
}

// ---- Flight ------------------------------------------------------------------------

TEST_F(GhostPrincessTest, ModesStartMovingAt30AndOrbsAtOnce) {
  PlaceBoss(kBoss, 250.0f, 150.0f, 1001, 4);
  boss_p_cnt = 130;
  boss_target = 0;
  PlacePlayer(0, 40.0f, 400.0f);
  const float speeds[5] = {1.5f, 2.0f, 3.0f, 4.5f, 6.0f};
  for (int32_t m = 0; m < 5; ++m) {
    PutShot(m, 300.0f, 100.0f + 40.0f * m, 20, 0);
    boss_shot_mode[m] = m;
    boss_shot_aim_x[m] = -0.4f;
    boss_shot_aim_y[m] = 0.9f;
  }
  for (int32_t age = 1; age <= 30; ++age) {
    RunBossFrame();
    for (int32_t m = 0; m < 4; ++m) {
      EXPECT_EQ(boss_shot_vx[m], age < 30 ? 0.0f : speeds[m] * -0.4f) << "mode " << m;
    }
    EXPECT_EQ(boss_shot_vy[4], 6.0f * 0.9f) << "age " << age;
  }
  // The same in the second phase.
  present_bossHP = 1000;
  RunBossFrame();
  EXPECT_EQ(boss_shot_vy[3], 4.5f * 0.9f);
}

}  // namespace
