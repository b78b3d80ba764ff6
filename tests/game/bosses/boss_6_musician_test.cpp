// Boss 6, the musician: its walk and brake, the sway and the keyboard, the
// two phases' notes and how they split, stop and turn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/game/bosses/boss_test_support.h"

namespace {

constexpr int32_t kBoss = 6;

class MusicianTest : public OnePlayerBossTest {};

void PlaceMusician(float x, float y, int32_t hp, int32_t tick, int32_t facing = 2) {
  PlaceBoss(kBoss, x, y, hp, facing);
  boss_p_cnt = tick;
  boss_target = 0;
  boss_part_x = x - 35.0f;
  boss_part_y = y;
}

// ---- First phase ---------------------------------------------------------------------

struct SideCase {
  const char* name;
  float bx;
  std::vector<int32_t> draws;  // scripted ApiGetRandom answers
  int32_t facing;
  std::vector<int64_t> bounds;
};

TEST_F(MusicianTest, TheWalkingDirectionAtTick0) {
  const SideCase cases[] = {
      {"x 96 exactly: right, no draw", 96.0f, {}, 2, {}},
      {"x 416 exactly: left, no draw", 416.0f, {}, 6, {}},
      {"between: a draw of 1 goes right", 250.0f, {1}, 2, {1}},
      {"between: a draw of 0 goes left", 250.0f, {0}, 6, {1}},
  };
  for (const SideCase& c : cases) {
    SetUp();
    PlaceMusician(c.bx, 200.0f, 700, 0, 4);
    PlacePlayer(0, 600.0f, 400.0f);
    api_fake().random_values.assign(c.draws.begin(), c.draws.end());
    RunBossFrame();
    EXPECT_EQ(boss_facing, c.facing) << c.name;
    EXPECT_EQ(RandomBounds(), c.bounds) << c.name;
    EXPECT_EQ(boss_x - c.bx, c.facing == 2 ? 0.25f : -0.25f) << c.name;
  }
}

struct TickRow {
  int32_t tick;
  float dx;
  float dy;  // the sway of the tick after the count
  int32_t cue;
};

TEST_F(MusicianTest, TheFirstPhaseByTick) {
  const TickRow rows[] = {
      {0, 0.25f, -0.1f, 0},  {9, 0.25f, -0.3f, 0}, {10, 0.5f, -0.3f, 0}, {19, 0.5f, -0.5f, 0},
      {20, 1.0f, -0.5f, 0},  {49, 1.0f, 0.1f, 0},  {50, 1.0f, 0.1f, 2},  {79, 1.0f, 0.3f, 0},
      {80, 0.5f, 0.3f, 0},   {89, 0.5f, 0.1f, 0},  {90, 0.25f, 0.1f, 0}, {95, 0.25f, 0.1f, 1},
      {99, 0.25f, -0.1f, 0},
  };
  for (const TickRow& row : rows) {
    SetUp();
    PlaceMusician(200.0f, 200.0f, 601, row.tick);
    PlacePlayer(0, 600.0f, 400.0f);
    api_fake().random_values = {1};  // tick 0 draws right
    RunBossFrame();
    EXPECT_EQ(boss_x, 200.0f + row.dx) << "tick " << row.tick;
    EXPECT_EQ(boss_y, 200.0f + row.dy) << "tick " << row.tick;
    EXPECT_EQ(boss_shot_cue, row.cue) << "tick " << row.tick;
    EXPECT_EQ(boss_p_cnt, row.tick == 99 ? 0 : row.tick + 1) << "tick " << row.tick;
  }
}

struct BrakeCase {
  const char* name;
  int32_t tick;
  float tx;  // the boss at x 200
  int32_t next_tick;
  float speed;  // of the tick before the brake
};

TEST_F(MusicianTest, LevelWithItsTargetFromTick20To40ItBrakes) {
  const BrakeCase cases[] = {
      {"level at tick 20", 20, 200.0f, 81, 1.0f},
      {"9.9 to the side at tick 40", 40, 209.9f, 81, 1.0f},
      {"10 to the side is not level", 30, 210.0f, 31, 1.0f},
      {"level at tick 19: too early", 19, 200.0f, 20, 0.5f},
      {"level at tick 41: too late", 41, 200.0f, 42, 1.0f},
  };
  for (const BrakeCase& c : cases) {
    SetUp();
    PlaceMusician(200.0f, 200.0f, 700, c.tick);
    PlacePlayer(0, c.tx, 400.0f);
    RunBossFrame();
    EXPECT_EQ(boss_p_cnt, c.next_tick) << c.name;
    EXPECT_EQ(boss_x, 200.0f + c.speed) << c.name;
  }
}

// From tick 20 to the wrap, once braked at once and once not.
TEST_F(MusicianTest, ABrakeAtTick20SkipsCue2AndLeavesTheBoss08PxHigher) {
  float end_y[2];
  std::vector<int32_t> cues[2];
  for (int32_t braked = 0; braked < 2; ++braked) {
    SetUp();
    PlaceMusician(200.0f, 200.0f, 700, 20);
    player_data& t = PlacePlayer(0, braked == 1 ? 200.0f : 900.0f, 400.0f);
    RunBossFrame();
    t.X = 900.0f;
    while (boss_p_cnt != 0) {
      RunBossFrame();
      if (boss_shot_cue != 0) cues[braked].push_back(boss_shot_cue);
    }
    end_y[braked] = boss_y;
  }
  EXPECT_EQ(cues[0], (std::vector<int32_t>{2, 1}));
  EXPECT_EQ(cues[1], (std::vector<int32_t>{1}));
  EXPECT_NEAR(end_y[1] - end_y[0], -0.8f, 1.0e-4f);
}

// ---- Second phase --------------------------------------------------------------------

struct SecondRow {
  int32_t tick;
  float bx, by;
  float tx;
  int32_t facing;
  float dx;
  float hold;  // the step toward the band between y 140 and 160
  int32_t cue;
};

TEST_F(MusicianTest, TheSecondPhaseByTick) {
  const SecondRow rows[] = {
      {10, 200, 150, 300, 2, 1.0f, 0.0f, 0},   {10, 200, 150, 100, 6, -1.0f, 0.0f, 0},
      {30, 96, 150, 10, 2, 1.0f, 0.0f, 0},     {30, 416, 150, 500, 6, -1.0f, 0.0f, 0},
      {11, 200, 150, 100, 2, 1.0f, 0.0f, 0},   {100, 200, 140, 300, 2, 1.0f, 1.0f, 1},
      {101, 200, 160, 300, 2, 0.0f, -1.0f, 0}, {130, 200, 150, 300, 2, 0.0f, 0.0f, 2},
      {180, 200, 150, 300, 2, 0.0f, 0.0f, 3},  {199, 200, 150, 300, 2, 0.0f, 0.0f, 0},
  };
  for (const SecondRow& row : rows) {
    SetUp();
    PlaceMusician(row.bx, row.by, 600, row.tick);
    PlacePlayer(0, row.tx, 400.0f);
    RunBossFrame();
    const int32_t next = row.tick == 199 ? 0 : row.tick + 1;
    const float sway[10] = {-0.1f, -0.3f, -0.5f, -0.3f, -0.1f, 0.1f, 0.3f, 0.5f, 0.3f, 0.1f};
    EXPECT_EQ(boss_facing, row.facing) << "tick " << row.tick;
    EXPECT_EQ(boss_x, row.bx + row.dx) << "tick " << row.tick;
    EXPECT_EQ(boss_y, row.by + (row.hold + sway[(next % 100) / 10])) << "tick " << row.tick;
    EXPECT_EQ(boss_shot_cue, row.cue) << "tick " << row.tick;
    EXPECT_EQ(boss_p_cnt, next) << "tick " << row.tick;
    EXPECT_TRUE(RandomBounds().empty());
  }
}

// ---- Keyboard ------------------------------------------------------------------------

TEST_F(MusicianTest, TheKeyboardCirclesTheBossOnceEvery180Frames) {
  PlaceMusician(250.0f, 150.0f, 600, 150);
  boss_anim = 179;
  PlacePlayer(0, 250.0f, 400.0f);
  float min_x = 1e9f, max_x = -1e9f, min_y = 1e9f, max_y = -1e9f;
  float first_dy = 0.0f;
  for (int32_t k = 0; k < 180; ++k) {
    const float by = boss_y;
    RunBossFrame();
    if (k == 0) {
      EXPECT_EQ(boss_anim, 0);
      EXPECT_EQ(boss_part_x, 250.0f - 35.0f + boss_vx) << "put back 35 px left";
      first_dy = boss_part_y - by;
    }
    min_x = std::min(min_x, boss_part_x - boss_x);
    max_x = std::max(max_x, boss_part_x - boss_x);
    min_y = std::min(min_y, boss_part_y - boss_y);
    max_y = std::max(max_y, boss_part_y - boss_y);
  }
  EXPECT_GT(first_dy, 0.0f) << "it moves down first";
  // Down first, so a quarter circuit takes it about 29 px below the boss and
  // three quarters about 28 px above.
  EXPECT_NEAR(min_x, -35.0f, 0.5f);
  EXPECT_NEAR(max_x, 34.0f, 0.5f);
  EXPECT_NEAR(min_y, -28.0f, 0.5f);
  EXPECT_NEAR(max_y, 29.0f, 0.5f);
}

TEST_F(MusicianTest, TheKeyboardFollowsTheStepEvenWhenAWallStopsTheBoss) {
  float drift[2];
  for (int32_t walled = 0; walled < 2; ++walled) {
    SetUp();
    if (walled == 1) {
      for (auto& row : map_cell) row[8] = kWallCell;  // x 256 to 287
    }
    PlaceMusician(235.0f, 150.0f, 700, 30);  // walking right at 1.0, against the wall
    PlacePlayer(0, 600.0f, 400.0f);
    const float gap = boss_part_x - boss_x;
    RunBossFrames(20);
    if (walled == 1) {
      EXPECT_EQ(boss_x, 235.0f);
    }
    drift[walled] = boss_part_x - boss_x - gap;
  }
  EXPECT_NEAR(drift[1] - drift[0], 20.0f, 1.0e-3f) << "the 20 blocked steps";
}

// ---- Notes -------------------------------------------------------------------------

struct Note {
  float x, y;
  int32_t direction;
  int32_t mode;
  int32_t kind;
};

// Notes have a 10 x 10 box, power 15 and no aim of their own.
void ExpectNotes(const char* name, const std::vector<Note>& notes) {
  std::vector<ShotSpec> specs;
  for (const Note& n : notes)
    specs.push_back({n.x, n.y, n.direction, n.mode, n.kind, 0.0f, 0.0f, 10, 15, 0});
  ExpectShots(name, specs);
}

void Play(int32_t hp, int32_t cue) {
  ResetBossRoom();
  player_count = 1;
  PlaceMusician(250.0f, 150.0f, hp, 0);
  PlacePlayer(0, 40.0f, 400.0f);
  boss_shot_cue = cue;
  boss_shot_update_table[kBoss]();
}

TEST_F(MusicianTest, TheVolleysOfBothPhases) {
  Play(601, 1);
  ExpectNotes("first phase, cue 1", {{250, 150, 2, 0, 0},
                                     {250, 150, 3, 0, 1},
                                     {250, 150, 4, 0, 2},
                                     {250, 150, 5, 0, 3},
                                     {250, 150, 6, 0, 0}});
  Play(601, 2);
  ExpectNotes("first phase, cue 2",
              {{250, 170, 2, 2, 0}, {250, 140, 2, 2, 1}, {250, 170, 6, 2, 2}, {250, 140, 6, 2, 3}});
  Play(601, 3);
  ExpectNotes("first phase, cue 3: none", {});
  Play(600, 1);
  std::vector<Note> ring;
  for (int32_t d = 0; d < 8; ++d) ring.push_back({250, 150, d, 2, 1});
  ExpectNotes("second phase, cue 1: blue", ring);
  Play(600, 2);
  for (Note& n : ring) {
    n.mode = 3;
    n.kind = 0;
  }
  ExpectNotes("second phase, cue 2: red", ring);
  Play(600, 3);
  ExpectNotes("second phase, cue 3",
              {{250, 170, 2, 5, 0}, {250, 140, 2, 5, 1}, {250, 170, 6, 5, 2}, {250, 140, 6, 5, 3}});
}

TEST_F(MusicianTest, ANoteSplitsAtAge80AndIsNeitherHitTestedNorMoved) {
  PlaceMusician(250.0f, 150.0f, 700, 1);
  player_data& p = PlacePlayer(0, 100.0f, 100.0f);  // right on the note
  PutShot(5, 100.0f, 100.0f, 15, 2);
  boss_shot_mode[5] = 0;
  boss_shot_kind[5] = 3;
  boss_shot_age[5] = 79;
  RunBossFrame();
  EXPECT_EQ(boss_shot_state[5], 0);
  EXPECT_EQ(p.hp, 100);
  ASSERT_EQ(RunningFades(), 1);
  EXPECT_EQ(boss_shot_fade_x[0], 100.0f);
  EXPECT_EQ(FlyingShots(), (std::vector<int32_t>{0, 1, 2, 3}));
  for (int32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(boss_shot_direction[i], 2 * i);
    EXPECT_EQ(boss_shot_mode[i], 1);
    EXPECT_EQ(boss_shot_kind[i], 7) << "the bullet of the note's colour";
    EXPECT_EQ(boss_shot_box_width[i], 6);
    EXPECT_EQ(boss_shot_power[i], 15);
    EXPECT_EQ(boss_shot_age[i], 0);
    EXPECT_EQ(boss_shot_x[i], 100.0f);
    EXPECT_EQ(boss_shot_y[i], 100.0f);
  }
}

TEST_F(MusicianTest, SplitBulletsAboveTheNotesSlotMoveInTheSamePass) {
  PlaceMusician(250.0f, 150.0f, 700, 1);
  PlacePlayer(0, 40.0f, 400.0f);
  for (int32_t i = 0; i < kBossShotSlots; ++i) PutShot(i, 600.0f, 600.0f, 15, 9);
  PutShot(5, 100.0f, 100.0f, 15, 2);
  boss_shot_mode[5] = 0;
  boss_shot_age[5] = 79;
  for (int32_t i : {1, 9, 20, 30}) boss_shot_state[i] = 0;
  RunBossFrame();
  EXPECT_EQ(boss_shot_direction[1], 0);
  EXPECT_EQ(boss_shot_age[1], 0);
  EXPECT_EQ(boss_shot_y[1], 100.0f) << "below the note's slot: first moves next frame";
  EXPECT_EQ(boss_shot_direction[9], 2);
  EXPECT_EQ(boss_shot_age[9], 1);
  EXPECT_EQ(boss_shot_x[9], 102.0f);
  EXPECT_EQ(boss_shot_y[20], 102.0f);
  EXPECT_EQ(boss_shot_x[30], 98.0f);
}

TEST_F(MusicianTest, ANoteEndingAtAWallBeforeItsSplitGivesNoBullets) {
  map_cell[3][4] = kWallCell;  // x 128 to 159, y 96 to 127
  PlaceMusician(250.0f, 250.0f, 700, 1);
  PlacePlayer(0, 40.0f, 400.0f);
  PutShot(0, 110.0f, 110.0f, 15, 2);
  boss_shot_mode[0] = 0;
  boss_shot_age[0] = 60;
  RunBossFrames(20);
  EXPECT_TRUE(FlyingShots().empty());
  EXPECT_EQ(RunningFades(), 1);
}

TEST_F(MusicianTest, SecondPhaseNotesStopThenBurstOrTurnAtTheTarget) {
  PlaceMusician(250.0f, 150.0f, 600, 1);
  PlacePlayer(0, 400.0f, 400.0f);
  PutShot(0, 100.0f, 100.0f, 15, 4);  // blue ring note
  boss_shot_mode[0] = 2;
  PutShot(1, 150.0f, 100.0f, 15, 4);  // red ring note
  boss_shot_mode[1] = 3;
  std::vector<float> y0, y1;
  for (int32_t age = 1; age <= 71; ++age) {
    RunBossFrame();
    y0.push_back(boss_shot_y[0]);
    y1.push_back(boss_shot_y[1]);
  }
  EXPECT_EQ(y0[28], 100.0f + 29 * 2.0f);
  EXPECT_EQ(y0[70], y0[28]) << "the blue note stands from age 30";
  EXPECT_EQ(y1[38], 100.0f + 39 * 2.0f);
  EXPECT_EQ(y1[69], y1[38]) << "the red note stands from age 40 to 70";
  EXPECT_EQ(boss_shot_mode[1], 4);
  const float a = static_cast<float>(std::atan2(static_cast<double>(400.0f - y1[38]), 250.0));
  EXPECT_EQ(boss_shot_aim_x[1], static_cast<float>(std::cos(static_cast<double>(a))));
  EXPECT_EQ(boss_shot_vx[1], 5.0f * boss_shot_aim_x[1]) << "age 71 flies at 5";
  boss_shot_age[0] = 99;
  RunBossFrame();
  EXPECT_EQ(boss_shot_state[0], 0);
  std::vector<int32_t> directions;
  for (int32_t i : FlyingShots())
    if (boss_shot_mode[i] == 1) directions.push_back(boss_shot_direction[i]);
  EXPECT_EQ(directions, (std::vector<int32_t>{1, 3, 5, 7}));
}

TEST_F(MusicianTest, HorizontalNotesCrossAt5InTheFirstPhaseAndStopInTheSecond) {
  PlaceMusician(250.0f, 150.0f, 601, 1);
  PlacePlayer(0, 40.0f, 400.0f);
  PutShot(0, 100.0f, 300.0f, 15, 6);
  boss_shot_mode[0] = 2;
  boss_shot_age[0] = 40;
  RunBossFrame();
  EXPECT_EQ(boss_shot_x[0], 95.0f);
  present_bossHP = 600;
  PutShot(1, 400.0f, 300.0f, 15, 2);
  boss_shot_mode[1] = 5;
  RunBossFrame();
  EXPECT_EQ(boss_shot_x[0], 95.0f) << "age 42: a second-phase mode-2 note stands";
  EXPECT_EQ(boss_shot_x[1], 405.0f) << "the second phase's pairs cross at 5";
}

}  // namespace
