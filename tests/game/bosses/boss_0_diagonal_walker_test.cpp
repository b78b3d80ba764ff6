// Boss 0, the diagonal walker: its walk, its aim test and its three shots.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/game/bosses/boss_test_support.h"

namespace {

constexpr int32_t kBoss = 0;

class DiagonalWalkerTest : public OnePlayerBossTest {};

// What one frame showed.
struct Frame {
  int32_t facing;
  float dx, dy;  // how far the boss moved
  int32_t cue;
  int32_t p_cnt;
  int32_t shots;  // launched this frame
};

Frame RunRecorded() {
  const float x = boss_x;
  const float y = boss_y;
  const size_t before = FlyingShots().size();
  RunBossFrame();
  return Frame{boss_facing,   boss_x - x, boss_y - y,
               boss_shot_cue, boss_p_cnt, static_cast<int32_t>(FlyingShots().size() - before)};
}

struct ScheduleRow {
  int32_t frame;
  Frame expected;
};

void ExpectSchedule(const std::vector<Frame>& frames, const std::vector<ScheduleRow>& rows) {
  for (const ScheduleRow& row : rows) {
    const Frame& got = frames[row.frame];
    const Frame& want = row.expected;
    EXPECT_EQ(got.facing, want.facing) << "frame " << row.frame;
    EXPECT_EQ(got.dx, want.dx) << "frame " << row.frame;
    EXPECT_EQ(got.dy, want.dy) << "frame " << row.frame;
    EXPECT_EQ(got.cue, want.cue) << "frame " << row.frame;
    EXPECT_EQ(got.p_cnt, want.p_cnt) << "frame " << row.frame;
    EXPECT_EQ(got.shots, want.shots) << "frame " << row.frame;
  }
}

TEST_F(DiagonalWalkerTest, WalksItsDiagonalsAndTurnsOnlyAtTicks0And30) {
  // The encounter scene left facing 5; the target is far down-right.
  PlaceBoss(kBoss, 300.0f, 300.0f, 100, 5);
  player_data& t = PlacePlayer(0, 700.0f, 800.0f);
  std::vector<Frame> frames;
  for (int32_t k = 0; k < 95; ++k) {
    // At tick 10 the target goes up-left, far enough never to be aimed at.
    if (k == 10) {
      t.X = 40.0f;
      t.Y = 40.0f;
    }
    frames.push_back(RunRecorded());
  }
  ExpectSchedule(frames, {
                             {0, {3, 2.0f, 2.0f, 0, 1, 0}},
                             {10, {3, 2.0f, 2.0f, 0, 11, 0}},
                             {29, {3, 2.0f, 2.0f, 0, 30, 0}},
                             {30, {7, -2.0f, -2.0f, 0, 31, 0}},
                             {89, {7, -2.0f, -2.0f, 0, 0, 0}},
                             {90, {7, -2.0f, -2.0f, 0, 1, 0}},
                         });
  EXPECT_EQ(boss_wanted_facing, 7);
  EXPECT_EQ(boss_anim, 95 - 64) << "a step every frame";
}

TEST_F(DiagonalWalkerTest, AnAimStandsNinetyTicksWithShotsAt30_60And89) {
  // 100 px right of and 95 px below the boss: d2 19025, 5 px off the line.
  PlaceBoss(kBoss, 300.0f, 300.0f);
  PlacePlayer(0, 400.0f, 395.0f);
  std::vector<Frame> frames;
  for (int32_t k = 0; k < 92; ++k) frames.push_back(RunRecorded());
  ExpectSchedule(frames, {
                             // The aim starts after this frame's step.
                             {0, {3, 2.0f, 2.0f, 1, 0, 0}},
                             {1, {3, 0.0f, 0.0f, 1, 1, 0}},
                             {29, {3, 0.0f, 0.0f, 1, 29, 0}},
                             {30, {3, 0.0f, 0.0f, 1, 30, 1}},
                             {31, {3, 0.0f, 0.0f, 1, 31, 0}},
                             {60, {3, 0.0f, 0.0f, 1, 60, 1}},
                             {88, {3, 0.0f, 0.0f, 1, 88, 0}},
                             {89, {3, 0.0f, 0.0f, 1, 89, 1}},
                             // The wrap ends the aim and the test starts the next at once.
                             {90, {3, 0.0f, 0.0f, 1, 0, 0}},
                             {91, {3, 0.0f, 0.0f, 1, 1, 0}},
                         });
}

struct AimCase {
  const char* name;
  float tx, ty;  // the boss stands at (300, 300)
  bool aims;
};

TEST_F(DiagonalWalkerTest, TheAimTestOnTheTwoDiagonalBands) {
  const AimCase cases[] = {
      {"100 right, 95 below", 400.0f, 395.0f, true},
      {"173 straight right: in range, on no band", 473.0f, 300.0f, false},
      {"exactly 25 off the down-right line", 350.0f, 375.0f, false},
      {"24.5 off the down-right line", 350.0f, 374.5f, true},
      {"exactly 25 off the down-left line", 250.0f, 375.0f, false},
      {"24 off the down-left line", 250.0f, 374.0f, true},
      {"up-left on the line", 200.0f, 200.0f, true},
      {"on the line but out of range", 423.0f, 423.0f, false},
      {"on the line at d2 30000 or less", 422.0f, 422.0f, true},
  };
  for (const AimCase& c : cases) {
    SetUp();
    // A facing that adds no step, so the aim test sees the boss where it stands.
    PlaceBoss(kBoss, 300.0f, 300.0f, 100, 0);
    boss_p_cnt = 5;
    PlacePlayer(0, c.tx, c.ty);
    RunBossFrame();
    EXPECT_EQ(boss_shot_cue, c.aims ? 1 : 0) << c.name;
    EXPECT_EQ(boss_p_cnt, c.aims ? 0 : 6) << c.name;
  }
}

TEST_F(DiagonalWalkerTest, WhileAimingItKeepsTurningToTheTargetsQuadrant) {
  PlaceBoss(kBoss, 300.0f, 300.0f);
  player_data& t = PlacePlayer(0, 400.0f, 395.0f);
  RunBossFrames(31);  // the first shot, down-right
  ASSERT_EQ(FlyingShots(), (std::vector<int32_t>{0}));
  EXPECT_EQ(boss_shot_direction[0], 3);
  t.X = 40.0f;  // far up-left: the aim goes on whatever the distance
  t.Y = 40.0f;
  RunBossFrames(30);  // to tick 60
  EXPECT_EQ(boss_facing, 7);
  RunBossFrames(29);  // to tick 89
  ASSERT_EQ(FlyingShots().size(), 3u);
  EXPECT_EQ(boss_shot_direction[1], 7);
  EXPECT_EQ(boss_shot_direction[2], 7);
  // One frame later the second shot has moved up-left, the first down-right.
  const float x1 = boss_shot_x[1];
  const float y1 = boss_shot_y[1];
  const float x0 = boss_shot_x[0];
  RunBossFrame();
  EXPECT_EQ(boss_shot_x[1] - x1, -4.0f);
  EXPECT_EQ(boss_shot_y[1] - y1, -4.0f);
  EXPECT_EQ(boss_shot_x[0] - x0, 4.0f);
}

TEST_F(DiagonalWalkerTest, TheSceneFacingGivesWayToTheWantedOneOnTheFirstFrame) {
  PlaceBoss(kBoss, 300.0f, 300.0f, 100, 5);
  PlacePlayer(0, 600.0f, 40.0f);  // far up-right
  RunBossFrame();
  EXPECT_EQ(boss_facing, 1);
  EXPECT_EQ(boss_x, 302.0f);
  EXPECT_EQ(boss_y, 298.0f);
}

TEST_F(DiagonalWalkerTest, ItsShotsFlyTheDiagonalsOnlyAndDealThree) {
  struct ShotCase {
    const char* name;
    int32_t direction;
    float dx, dy;
  };
  const ShotCase cases[] = {
      {"up-right", 1, 4.0f, -4.0f},   {"down-right", 3, 4.0f, 4.0f},
      {"down-left", 5, -4.0f, 4.0f},  {"up-left", 7, -4.0f, -4.0f},
      {"up: no step", 0, 0.0f, 0.0f}, {"right: no step", 2, 0.0f, 0.0f},
  };
  for (const ShotCase& c : cases) {
    SetUp();
    PlaceBoss(kBoss, 300.0f, 300.0f, 100, 0);
    boss_p_cnt = 5;
    PlacePlayer(0, 40.0f, 600.0f);
    PutShot(0, 100.0f, 100.0f, 3, c.direction);
    RunBossFrame();
    EXPECT_EQ(boss_shot_x[0], 100.0f + c.dx) << c.name;
    EXPECT_EQ(boss_shot_y[0], 100.0f + c.dy) << c.name;
  }

  for (int32_t character : {1, 0}) {
    SetUp();
    PlaceBoss(kBoss, 300.0f, 300.0f, 100, 0);
    boss_p_cnt = 5;
    player_data& p = PlacePlayer(0, 100.0f, 100.0f);
    p.character = character;
    p.spell1_timer = 10;
    PutShot(0, 100.0f, 100.0f, 3, 0);
    RunBossFrame();
    EXPECT_EQ(p.hp, character == 1 ? 97 : 99) << "character " << character;
  }
}

}  // namespace
