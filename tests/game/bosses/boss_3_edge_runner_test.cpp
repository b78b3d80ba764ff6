// Boss 3, the edge runner: its flee and approach rules, its 300-tick cycle
// and its cue shots that fade in beside the target.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/game/bosses/boss_test_support.h"

namespace {

constexpr int32_t kBoss = 3;

class EdgeRunnerTest : public OnePlayerBossTest {};

struct FacingCase {
  const char* name;
  float bx, by;
  float tx, ty;
  int32_t facing;
};

TEST_F(EdgeRunnerTest, NearItRunsAlongTheEdgesOrFleesFarItComesCloser) {
  const FacingCase cases[] = {
      {"right edge, target 100 below: up the edge", 448.0f, 200.0f, 448.0f, 300.0f, 0},
      {"right edge, target above: down the edge", 448.0f, 200.0f, 448.0f, 100.0f, 4},
      {"top edge, target to the right: left", 200.0f, 64.0f, 260.0f, 80.0f, 6},
      {"top edge, target below: right", 200.0f, 60.0f, 200.0f, 160.0f, 2},
      {"bottom edge, target to the right", 200.0f, 288.0f, 230.0f, 250.0f, 6},
      {"left edge, target above", 64.0f, 200.0f, 100.0f, 150.0f, 4},
      {"top-left corner, target 30 right, 200 below", 60.0f, 60.0f, 90.0f, 260.0f, 2},
      {"top-left corner, target 200 right, 30 below", 60.0f, 60.0f, 260.0f, 90.0f, 4},
      {"top-right corner, dy not below dx", 448.0f, 64.0f, 448.0f, 200.0f, 6},
      {"bottom-right corner, dy below dx", 450.0f, 290.0f, 300.0f, 280.0f, 0},
      {"bottom-left corner, dy not below dx", 64.0f, 288.0f, 64.0f, 100.0f, 2},
      {"inside, target above: flee down", 200.0f, 200.0f, 200.0f, 100.0f, 4},
      {"inside, target up-right: flee down-left", 200.0f, 200.0f, 300.0f, 100.0f, 5},
      {"inside, target right: flee left", 200.0f, 200.0f, 300.0f, 205.0f, 6},
      {"inside, target down-left: flee up-right", 200.0f, 200.0f, 100.0f, 300.0f, 1},
      {"inside, target on the boss: the facing stays", 200.0f, 200.0f, 200.0f, 200.0f, 3},
      {"dx + dy exactly 500 is near", 200.0f, 200.0f, 600.0f, 100.0f, 5},
      {"600 away: toward the target", 200.0f, 200.0f, 800.0f, 200.0f, 2},
      {"far, from an edge: toward the target", 448.0f, 200.0f, 448.0f, 750.0f, 4},
  };
  for (const FacingCase& c : cases) {
    SetUp();
    PlaceBoss(kBoss, c.bx, c.by, 100, 3);
    boss_p_cnt = 160;  // a turning tick of the walk after the spin
    boss_target = 0;
    PlacePlayer(0, c.tx, c.ty);
    RunBossFrame();
    EXPECT_EQ(boss_facing, c.facing) << c.name;
  }
}

struct TickRow {
  int32_t tick;
  int32_t facing;
  bool steps;
  int32_t cue;
};

TEST_F(EdgeRunnerTest, TheCycleByTick) {
  // Facing 2 and a far target straight to the right, so a turn keeps it.
  const TickRow rows[] = {
      {0, 2, true, 0},    {9, 2, true, 0},    {79, 2, true, 0},  {80, 0, false, 0},
      {81, 0, false, 0},  {82, 1, false, 0},  {95, 7, false, 0}, {109, 6, false, 0},
      {110, 4, false, 0}, {149, 4, false, 0}, {150, 4, true, 1}, {157, 4, true, 2},
      {160, 2, true, 0},  {283, 2, true, 20}, {290, 2, true, 0}, {299, 2, true, 0},
  };
  for (const TickRow& row : rows) {
    SetUp();
    PlaceBoss(kBoss, 200.0f, 200.0f, 100, row.tick >= 150 && row.tick < 160 ? 4 : 2);
    boss_p_cnt = row.tick;
    boss_target = 0;
    PlacePlayer(0, 900.0f, 200.0f);
    RunBossFrame();
    EXPECT_EQ(boss_facing, row.facing) << "tick " << row.tick;
    const bool moved = boss_x != 200.0f || boss_y != 200.0f;
    EXPECT_EQ(moved, row.steps) << "tick " << row.tick;
    EXPECT_EQ(boss_shot_cue, row.cue) << "tick " << row.tick;
    EXPECT_EQ(boss_p_cnt, row.tick == 299 ? 0 : row.tick + 1) << "tick " << row.tick;
  }
}

struct CueShot {
  int32_t cue;
  int32_t direction;
  float dx, dy;
};

TEST_F(EdgeRunnerTest, EachCuePlacesAShotBesideTheTarget) {
  const CueShot shots[] = {
      {1, 6, 64, -16},   {2, 7, 80, 40},   {3, 7, 64, 64},   {4, 7, 40, 80},   {5, 0, -16, 64},
      {6, 2, -64, 16},   {7, 3, -80, -40}, {8, 3, -64, -64}, {9, 3, -40, -80}, {10, 4, 16, -64},
      {11, 4, -16, -64}, {12, 5, 40, -80}, {13, 5, 64, -64}, {14, 5, 80, -40}, {15, 6, 64, 16},
      {16, 6, 16, 64},   {17, 7, -40, 80}, {18, 7, -64, 64}, {19, 7, -80, 40}, {20, 0, -64, -16},
  };
  for (const CueShot& s : shots) {
    SetUp();
    PlaceBoss(kBoss, 100.0f, 100.0f, 100, 4);
    boss_p_cnt = 150 + 7 * (s.cue - 1);
    boss_target = 0;
    PlacePlayer(0, 300.0f, 200.0f);
    RunBossFrame();
    ASSERT_EQ(FlyingShots(), (std::vector<int32_t>{0})) << "cue " << s.cue;
    EXPECT_EQ(boss_shot_x[0], 300.0f + s.dx) << "cue " << s.cue;
    EXPECT_EQ(boss_shot_y[0], 200.0f + s.dy) << "cue " << s.cue;
    EXPECT_EQ(boss_shot_direction[0], s.direction) << "cue " << s.cue;
    EXPECT_EQ(boss_shot_power[0], 9);
  }
}

TEST_F(EdgeRunnerTest, AShotFadingInNeitherHurtsNorMovesUntilAge41) {
  PlaceBoss(kBoss, 100.0f, 100.0f, 100, 4);
  boss_p_cnt = 10;
  boss_target = 0;
  player_data& p = PlacePlayer(0, 300.0f, 200.0f);
  PutShot(0, 300.0f, 200.0f, 9, 2);  // right on the target
  for (int32_t age = 1; age <= 40; ++age) {
    RunBossFrame();
    ASSERT_EQ(boss_shot_x[0], 300.0f) << "age " << age;
  }
  EXPECT_EQ(p.hp, 100);
  RunBossFrame();  // age 41: it hits before it moves
  EXPECT_EQ(p.hp, 91);
  EXPECT_EQ(boss_shot_state[0], 0);
}

TEST_F(EdgeRunnerTest, AShotInsideAWallHangsThereAndVanishesAtItsFirstMove) {
  map_cell[6][9] = kWallCell;  // x 288 to 319, y 192 to 223
  PlaceBoss(kBoss, 100.0f, 100.0f, 100, 4);
  boss_target = 0;
  PlacePlayer(0, 40.0f, 600.0f);
  PutShot(0, 300.0f, 200.0f, 9, 2);
  RunBossFrames(40);
  EXPECT_EQ(boss_shot_state[0], 1);
  EXPECT_EQ(RunningFades(), 0);
  RunBossFrame();
  EXPECT_EQ(boss_shot_state[0], 0);
  EXPECT_EQ(RunningFades(), 1);
}

TEST_F(EdgeRunnerTest, ADrainedShotFadingInStillEndsWithItsEffect) {
  PlaceBoss(kBoss, 100.0f, 100.0f, 100, 4);
  boss_target = 0;
  PlacePlayer(0, 40.0f, 600.0f);
  PutShot(0, 300.0f, 200.0f, 9, 2);
  RunBossFrames(5);
  boss_shot_power[0] = 0;  // a player shot's hit
  RunBossFrame();
  EXPECT_EQ(boss_shot_state[0], 0);
  EXPECT_EQ(RunningFades(), 1);
  EXPECT_EQ(boss_shot_fade_x[0], 300.0f);
}

}  // namespace
