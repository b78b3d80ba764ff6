// Boss 8, the final boss: its four phases, the bob, the rest box, the cut of
// the last phase, the seven shot modes and the volleys of each phase.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/game/bosses/boss_test_support.h"

namespace {

constexpr int32_t kBoss = 8;

class FinalBossTest : public OnePlayerBossTest {};

// The bob of tick t.
float Bob(int32_t t) {
  const float table[10] = {-0.1f, -0.3f, -0.5f, -0.3f, -0.1f, 0.1f, 0.3f, 0.5f, 0.3f, 0.1f};
  return table[(t % 100) / 10];
}

TEST_F(FinalBossTest, ThePhase1WalkByTick) {
  ExpectTicks({kBoss, 3001, 255.0f, 150.0f, 1, 40.0f, 400.0f, 1600},
              {
                  {0, 4, 0.0f, Bob(1), 0},
                  {20, 1, 0.0f, Bob(21), 1},
                  {50, 1, 0.0f, Bob(51), 1},
                  {80, 1, 0.0f, Bob(81), 1},
                  {100, 6, -0.85f, Bob(101), 0},
                  {120, 1, -0.85f, Bob(121), 2},
                  {199, 1, -0.85f, Bob(200), 0},
                  {200, 4, 0.0f, Bob(201), 0},
                  {220, 1, 0.0f, Bob(221), 1},
                  {500, 2, 0.85f, Bob(501), 0},
                  {1199, 1, 0.85f, Bob(1200), 0},
                  {1320, 1, -0.85f, Bob(1321), 2},
                  {1500, 6, -0.85f, Bob(1501), 0},
                  {1480, 1, 0.0f, Bob(1481), 1},
                  {1599, 1, -0.85f, Bob(0), 0},
              });
}

TEST_F(FinalBossTest, TheBobFollowsTheCountAfterThePhaseStep) {
  for (int32_t tick : {0, 9, 10, 29, 49, 50, 70, 99}) {
    SetUp();
    PlaceBoss(kBoss, 255.0f, 150.0f, 3001, 4);
    boss_p_cnt = tick;
    boss_target = 0;
    PlacePlayer(0, 40.0f, 400.0f);
    RunBossFrame();
    EXPECT_EQ(boss_y, 150.0f + Bob(tick + 1)) << "tick " << tick;
  }
}

TEST_F(FinalBossTest, ThePhase2DashIsFixedAtTick0) {
  PlaceBoss(kBoss, 255.0f, 150.0f, 3000, 1);
  boss_p_cnt = 0;
  boss_target = 0;
  player_data& t = PlacePlayer(0, 355.0f, 250.0f);
  RunBossFrame();
  const float a = static_cast<float>(std::atan2(100.0, 100.0));
  EXPECT_EQ(boss_aim_cos, static_cast<float>(std::cos(static_cast<double>(a))));
  EXPECT_EQ(boss_aim_sin, static_cast<float>(std::sin(static_cast<double>(a))));
  EXPECT_EQ(boss_facing, 3);
  EXPECT_EQ(boss_x, 255.0f + 4.0f * boss_aim_cos);
  t.X = 40.0f;  // moving afterwards is not followed
  t.Y = 40.0f;
  const float cos_at_0 = boss_aim_cos;
  for (int32_t tick = 1; tick <= 60; ++tick) {
    const float x = boss_x;
    RunBossFrame();
    EXPECT_EQ(boss_x, x + 4.0f * cos_at_0) << "tick " << tick;
  }
  const float x = boss_x;
  RunBossFrame();
  EXPECT_EQ(boss_x, x) << "tick 61 stands";
  EXPECT_EQ(boss_facing, 3);
}

TEST_F(FinalBossTest, APhase2TargetOnTheBossKeepsTheFacingAndDashesRight) {
  PlaceBoss(kBoss, 255.0f, 150.0f, 2500, 6);
  boss_target = 0;
  PlacePlayer(0, 255.0f, 150.0f, 0);  // down, so nobody is pushed
  RunBossFrame();
  EXPECT_EQ(boss_facing, 6);
  EXPECT_EQ(boss_aim_cos, 1.0f);
  EXPECT_EQ(boss_aim_sin, 0.0f);
}

TEST_F(FinalBossTest, ThePhase2Cues) {
  ExpectTicks({kBoss, 2001, 255.0f, 150.0f, 1, 40.0f, 400.0f, 200},
              {
                  {100, 1, 0.0f, Bob(101), 1},
                  {120, 1, 0.0f, Bob(121), 1},
                  {140, 1, 0.0f, Bob(141), 2},
                  {150, 1, 0.0f, Bob(151), 2},
                  {155, 1, 0.0f, Bob(156), 0},
                  {199, 1, 0.0f, Bob(0), 0},
                  // A count left from phase 1 wraps at the end of the frame.
                  {1320, 1, 0.0f, Bob(0), 0},
              });
}

struct RestCase {
  const char* name;
  float bx, by;
  int32_t facing;
  float dx, dy;  // the step toward the box
  int32_t next;  // from tick 100
  int32_t cue;
};

TEST_F(FinalBossTest, Phase3ReturnsToTheRestBoxAndCountsOnlyInsideIt) {
  const RestCase cases[] = {
      {"inside", 255.0f, 50.0f, 4, 0.0f, 0.0f, 101, 1},
      {"on the left bound", 250.0f, 50.0f, 2, 4.0f, 0.0f, 1, 0},
      {"on the right bound", 260.0f, 50.0f, 6, -4.0f, 0.0f, 1, 0},
      {"x first, then y", 240.0f, 100.0f, 2, 4.0f, 0.0f, 1, 0},
      {"above", 255.0f, 30.0f, 4, 0.0f, 4.0f, 1, 0},
      {"below", 255.0f, 70.0f, 0, 0.0f, -4.0f, 1, 0},
  };
  for (const RestCase& c : cases) {
    SetUp();
    PlaceBoss(kBoss, c.bx, c.by, 2000, 1);
    boss_p_cnt = 100;
    boss_target = 0;
    PlacePlayer(0, 40.0f, 400.0f);
    RunBossFrame();
    EXPECT_EQ(boss_facing, c.facing) << c.name;
    EXPECT_EQ(boss_x, c.bx + c.dx) << c.name;
    EXPECT_EQ(boss_y, c.by + (c.dy + Bob(c.next))) << c.name;
    EXPECT_EQ(boss_p_cnt, c.next) << c.name;
    EXPECT_EQ(boss_shot_cue, c.cue) << c.name;
  }
}

TEST_F(FinalBossTest, Phase3FiresOnlyAfter100FramesInsideTheBox) {
  PlaceBoss(kBoss, 242.0f, 50.0f, 1500, 1);
  boss_p_cnt = 150;
  boss_target = 0;
  PlacePlayer(0, 40.0f, 400.0f);
  std::vector<int32_t> cue_frames;
  for (int32_t frame = 0; frame < 110; ++frame) {
    RunBossFrame();
    if (boss_shot_cue == 1) cue_frames.push_back(frame);
  }
  // Three frames outside the open box (at 242, 246 and 250), each leaving
  // the count at 1; inside from the fourth frame, so tick 100 is frame 102.
  EXPECT_EQ(cue_frames, (std::vector<int32_t>{102}));
}

TEST_F(FinalBossTest, Phase4CutsEveryShotOnItsFirstFrameOnly) {
  PlaceBoss(kBoss, 255.0f, 50.0f, 1000, 4);
  boss_p_cnt = 50;
  boss_target = 0;
  PlacePlayer(0, 40.0f, 400.0f);
  for (int32_t i = 0; i < 20; ++i) {
    PutShot(i, 100.0f + 5.0f * i, 200.0f, 25);
    boss_shot_mode[i] = 9;
  }
  boss_shot_power[20] = 7;  // a free slot
  RunBossFrame();
  EXPECT_EQ(boss_final_phase_started, 1);
  EXPECT_TRUE(FlyingShots().empty());
  EXPECT_EQ(RunningFades(), 20);
  EXPECT_EQ(boss_shot_power[20], -93);
  PutShot(0, 100.0f, 200.0f, 25);
  boss_shot_mode[0] = 9;
  RunBossFrame();
  EXPECT_EQ(boss_shot_power[0], 25);
  EXPECT_EQ(boss_shot_state[0], 1);
}

TEST_F(FinalBossTest, Phase4CuesLayTheRingAndTheHeavyShot) {
  const int32_t ticks[][2] = {{100, 41}, {104, 0},  {105, 2},  {110, 3},  {195, 20}, {200, 41},
                              {205, 22}, {295, 40}, {300, 41}, {400, 41}, {405, 0},  {499, 0}};
  for (const auto& tc : ticks) {
    SetUp();
    PlaceBoss(kBoss, 255.0f, 50.0f, 1000, 4);
    boss_final_phase_started = 1;
    boss_p_cnt = tc[0];
    boss_target = 0;
    PlacePlayer(0, 40.0f, 400.0f);
    RunBossFrame();
    EXPECT_EQ(boss_shot_cue, tc[1]) << "tick " << tc[0];
    EXPECT_EQ(boss_p_cnt, tc[0] == 499 ? 0 : tc[0] + 1) << "tick " << tc[0];
  }
}

// ---- Flight ------------------------------------------------------------------------

TEST_F(FinalBossTest, TheModesVelocities) {
  struct ModeCase {
    int32_t mode;
    int32_t age;  // before the frame
    float vx, vy;
  };
  const float ax = 0.6f;
  const float ay = -0.8f;
  const auto circle = [](int32_t age, bool x) {
    const double a = static_cast<double>(age % 180) * (3.14159 / 90.0);
    return static_cast<float>(3.0 * (x ? std::sin(a) : std::cos(a)));
  };
  const ModeCase cases[] = {
      {0, 0, 1.0f * ax, 1.0f * ay},
      {1, 0, 4.0f * ax, 4.0f * ay},
      {2, 0, 4.0f * ax, 4.0f * ay},
      {3, 0, 5.0f * ax, 5.0f * ay},
      {4, 68, 2.0f * ax, 2.0f * ay},
      {4, 69, 0.0f, 0.0f},
      {4, 148, 0.0f, 0.0f},
      {4, 149, circle(150, true), circle(150, false)},
      {4, 250, circle(251, true), circle(251, false)},
      {4, 329, circle(330, true), circle(330, false)},
      {4, 330, 2.0f * ax, 2.0f * ay},
      {5, 10, 3.0f * ax, 3.0f * ay},
      {5, 100, 0.0f, 0.0f},
      {5, 330, 3.0f * ax, 3.0f * ay},
      {6, -10, 0.0f, 0.0f},
      {6, 58, 0.0f, 0.0f},
      {6, 59, 2.0f * ax, 2.0f * ay},
      {7, 0, 0.0f, 0.0f},
  };
  for (const ModeCase& c : cases) {
    SetUp();
    PlaceBoss(kBoss, 255.0f, 150.0f, 3001, 4);
    boss_p_cnt = 1;
    boss_target = 0;
    PlacePlayer(0, 40.0f, 400.0f);
    PutShot(0, 600.0f, 600.0f, 25);
    boss_shot_mode[0] = c.mode;
    boss_shot_age[0] = c.age;
    boss_shot_aim_x[0] = ax;
    boss_shot_aim_y[0] = ay;
    RunBossFrame();
    EXPECT_EQ(boss_shot_vx[0], c.vx) << "mode " << c.mode << ", age " << c.age + 1;
    EXPECT_EQ(boss_shot_vy[0], c.vy) << "mode " << c.mode << ", age " << c.age + 1;
  }
  // Age 150 starts toward the lower left.
  EXPECT_LT(circle(150, true), 0.0f);
  EXPECT_GT(circle(150, false), 0.0f);
}

// ---- Volleys -----------------------------------------------------------------------

struct Shot {
  float x, y;
  float aim_x, aim_y;
  int32_t direction;  // -1: none set, the slot keeps its own
  int32_t mode;
  int32_t kind;
};

// The slots' direction before a volley.
constexpr int32_t kKept = 9;

void Fire(int32_t hp, int32_t cue, float tx, float ty) {
  ResetBossRoom();
  player_count = 1;
  PlaceBoss(kBoss, 255.0f, 150.0f, hp, 4);
  boss_target = 0;
  PlacePlayer(0, tx, ty);
  for (int32_t& d : boss_shot_direction) d = kKept;
  boss_shot_cue = cue;
  boss_shot_update_table[kBoss]();
}

void ExpectVolley(const char* name, const std::vector<Shot>& shots, int32_t power = 25,
                  int32_t box = 3, int32_t age = 0) {
  std::vector<ShotSpec> specs;
  for (const Shot& s : shots) {
    specs.push_back({s.x, s.y, s.direction < 0 ? kKept : s.direction, s.mode, s.kind, s.aim_x,
                     s.aim_y, box, power, age});
  }
  ExpectShots(name, specs);
}

Shot Aimed(float theta, int32_t n, int32_t direction, int32_t mode, int32_t kind) {
  const double angle = static_cast<double>(theta) + n * 0.39269875;
  return {255.0f,
          150.0f,
          static_cast<float>(std::cos(angle)),
          static_cast<float>(std::sin(angle)),
          direction,
          mode,
          kind};
}

TEST_F(FinalBossTest, Phase1Fans) {
  Fire(3001, 1, 40.0f, 400.0f);
  const float fan[9][2] = {{5, 0},     {4.5f, 2},     {3.5f, 3.5f}, {2, 4.5f}, {0, 5},
                           {-2, 4.5f}, {-3.5f, 3.5f}, {-4.5f, 2},   {-5, 0}};
  const int32_t directions[9] = {2, 3, 3, 3, 4, 5, 5, 5, 6};
  std::vector<Shot> fixed;
  for (int32_t k = 0; k < 9; ++k)
    fixed.push_back({255.0f, 150.0f, fan[k][0], fan[k][1], directions[k], 0, 0});
  ExpectVolley("cue 1", fixed);

  Fire(3001, 2, 355.0f, 350.0f);
  const float theta = static_cast<float>(std::atan2(200.0, 100.0));
  std::vector<Shot> aimed;
  for (int32_t n = -4; n <= 4; ++n) aimed.push_back(Aimed(theta, n, directions[n + 4], 1, 1));
  ExpectVolley("cue 2", aimed);
}

TEST_F(FinalBossTest, Phase2RingAndBigShot) {
  Fire(2500, 1, 155.0f, 100.0f);
  const float theta = static_cast<float>(std::atan2(-50.0, -100.0));
  std::vector<Shot> ring;
  for (int32_t n = -4; n <= 11; ++n) ring.push_back(Aimed(theta, n, -1, 2, 2));
  ExpectVolley("cue 1", ring);

  Fire(2500, 2, 155.0f, 100.0f);
  ExpectVolley("cue 2", {Aimed(theta, 0, -1, 3, 3)});
}

TEST_F(FinalBossTest, Phase3Circlers) {
  Fire(1500, 1, 40.0f, 400.0f);
  std::vector<Shot> shots;
  for (int32_t k = 0; k < 19; ++k) {
    const double angle = (k - 1) * 0.196349375;
    shots.push_back({255.0f, 150.0f, static_cast<float>(std::cos(angle)),
                     static_cast<float>(std::sin(angle)), -1, k % 2 == 0 ? 5 : 4,
                     k % 4 < 2 ? 2 : 4});
  }
  ExpectVolley("cue 1", shots);
  EXPECT_EQ(boss_shot_aim_x[1], 1.0f);
  EXPECT_EQ(boss_shot_aim_y[1], 0.0f);
  EXPECT_LT(boss_shot_aim_y[0], 0.0f) << "11.25 degrees above the right";
  EXPECT_LT(boss_shot_aim_y[18], 0.0f) << "11.25 degrees above the left";
}

TEST_F(FinalBossTest, Phase4LaidShotsAndTheHeavyShot) {
  struct Laid {
    int32_t cue;
    float x, y;
    float ax, ay;
    int32_t direction;
  };
  const Laid laid[] = {
      {2, 45, 75, 0.75f, 0.75f, 3},
      {5, 95, 40, 0.75f, 0.75f, 3},
      {6, 420, 40, -0.75f, 0.75f, 5},
      {10, 475, 95, -0.75f, 0.75f, 5},
      {11, 475, 250, -0.75f, -0.75f, 7},
      {15, 420, 305, -0.75f, -0.75f, 7},
      {16, 95, 305, 0.75f, -0.75f, 1},
      {20, 40, 250, 0.75f, -0.75f, 1},
      {22, 236, 35, 0, 1, 4},
      {25, 296, 45, 0, 1, 4},
      {26, 390, 132, -1, 0, 6},
      {28, 405, 172, -1, 0, 6},
      {31, 296, 315, 0, -1, 0},
      {33, 256, 330, 0, -1, 0},
      {36, 120, 212, 1, 0, 2},
      {40, 120, 132, 1, 0, 2},
  };
  for (const Laid& l : laid) {
    Fire(1000, l.cue, 40.0f, 400.0f);
    ExpectVolley("laid", {{l.x, l.y, l.ax, l.ay, l.direction, 6, 5}}, 25, 3, -205 + 5 * l.cue);
  }
  for (int32_t cue : {1, 21, 42}) {
    Fire(1000, cue, 40.0f, 400.0f);
    EXPECT_TRUE(FlyingShots().empty()) << "cue " << cue;
  }
  Fire(1000, 41, 355.0f, 250.0f);
  const float theta = static_cast<float>(std::atan2(100.0, 100.0));
  ExpectVolley("heavy", {Aimed(theta, 0, -1, 3, 3)}, 100, 10);
}

TEST_F(FinalBossTest, ACueThePhaseDoesNotListFiresNothing) {
  const int32_t cases[][2] = {{3001, 3}, {2500, 3}, {1500, 2}, {1500, 41}, {1000, 50}};
  for (const auto& c : cases) {
    Fire(c[0], c[1], 40.0f, 400.0f);
    EXPECT_TRUE(FlyingShots().empty()) << "hp " << c[0] << ", cue " << c[1];
    EXPECT_EQ(se_boss_shot10_request, 0);
  }
}

TEST_F(FinalBossTest, TheHeavyShotsDamage) {
  for (int32_t guarded : {0, 1}) {
    Fire(1000, 41, 100.0f, 300.0f);
    boss_final_phase_started = 1;
    player_data& p = player[0];
    p.hp = 120;
    p.character = guarded == 1 ? 0 : 1;
    p.spell1_timer = 50;
    // Held 22 px beside the player: the 10 x 10 box touches its 12 x 12 one.
    boss_shot_x[0] = 122.0f;
    boss_shot_y[0] = 300.0f;
    boss_shot_aim_x[0] = 0.0f;
    boss_shot_aim_y[0] = 0.0f;
    boss_shot_cue = 0;
    boss_shot_update_table[kBoss]();
    EXPECT_EQ(p.hp, guarded == 1 ? 70 : 20);
    EXPECT_EQ(boss_shot_state[0], 0) << "the player had more left than its power";
  }
}

// Over one unbroken phase-4 count from tick 0, inside the rest box.
TEST_F(FinalBossTest, EveryLaidShotFirstMovesAtTick360) {
  PlaceBoss(kBoss, 255.0f, 50.0f, 1000, 4);
  boss_final_phase_started = 1;
  boss_target = 0;
  PlacePlayer(0, 40.0f, 400.0f, 0);
  player_count = 1;
  std::vector<int32_t> first_move(kBossShotSlots, -1);
  for (int32_t tick = 0; tick <= 365; ++tick) {
    const int32_t t = boss_p_cnt;
    std::vector<int32_t> laid_before;
    for (int32_t i : FlyingShots())
      if (boss_shot_mode[i] == 6) laid_before.push_back(i);
    RunBossFrame();
    for (int32_t i : laid_before) {
      if (boss_shot_state[i] != 1 || first_move[i] >= 0) continue;
      if (boss_shot_vx[i] != 0.0f || boss_shot_vy[i] != 0.0f) first_move[i] = t;
    }
    // The boss must stay inside its box for the count to run unbroken.
    ASSERT_EQ(boss_p_cnt, tick + 1) << "tick " << tick;
  }
  int32_t laid = 0;
  for (int32_t i = 0; i < kBossShotSlots; ++i) {
    if (boss_shot_mode[i] != 6 || boss_shot_state[i] != 1) continue;
    ++laid;
    EXPECT_EQ(first_move[i], 360) << "slot " << i;
  }
  EXPECT_EQ(laid, 38);
}

}  // namespace
