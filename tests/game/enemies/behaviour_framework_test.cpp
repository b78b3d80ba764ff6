// The target choice and the approach step that the enemy behaviours share,
// seen through the routines of enemy_kind_table.
#include <gtest/gtest.h>

#include <cstdint>

#include "tests/game/enemies/enemy_test_support.h"

namespace {

constexpr int32_t kChaser = 1;
constexpr int32_t kRestingKeepsDowned = 24;

// ---- Target choice -------------------------------------------------------------------

struct PlayerPlace {
  float x, y;
  int32_t alive;
  int32_t stairs_counter;
};
constexpr PlayerPlace kAway = {5000.0f, 5000.0f, 0, 0};  // down, far off

struct TargetCase {
  const char* name;
  int32_t kind;
  int32_t count;  // player_count
  float ex, ey;   // the enemy
  PlayerPlace players[4];
  int32_t start_target;
  int32_t expected;
};

const TargetCase kTargetCases[] = {
    {"a tie goes to the lower player number",
     kChaser,
     4,
     100,
     100,
     {{130, 100, 1, 0}, {100, 130, 1, 0}, kAway, kAway},
     kNoTarget,
     0},
    {"a tie between players 1 and 3",
     kChaser,
     4,
     100,
     100,
     {{200, 100, 1, 0}, {100, 120, 1, 0}, {150, 100, 1, 0}, {80, 100, 1, 0}},
     kNoTarget,
     1},
    // Keys 10 and 9 from truncated coordinates; unrounded the first is nearer.
    {"coordinates are truncated before the subtraction",
     kChaser,
     2,
     100.9f,
     50,
     {{110.5f, 50, 1, 0}, {91.0f, 50, 1, 0}, kAway, kAway},
     kNoTarget,
     1},
    // -0.5 and -10.9 truncate to 0 and -10 (key 10); 9.5 to 9 (key 9).
    {"truncation is toward zero",
     kChaser,
     2,
     -0.5f,
     0,
     {{-10.9f, 0, 1, 0}, {9.5f, 0, 1, 0}, kAway, kAway},
     kNoTarget,
     1},
    {"with two players, players 2 and 3 are no candidates",
     kChaser,
     2,
     100,
     100,
     {{300, 100, 1, 0}, {250, 100, 1, 0}, {101, 100, 1, 0}, {100, 101, 1, 0}},
     kNoTarget,
     1},
    {"a downed player is keyed 9999",
     kChaser,
     2,
     100,
     100,
     {{110, 100, 0, 0}, {300, 100, 1, 0}, kAway, kAway},
     kNoTarget,
     1},
    {"kind 24 keeps a downed player as a candidate",
     kRestingKeepsDowned,
     2,
     100,
     100,
     {{110, 100, 0, 0}, {300, 100, 1, 0}, kAway, kAway},
     kNoTarget,
     0},
    {"everybody down: player 0",
     kChaser,
     4,
     100,
     100,
     {{900, 900, 0, 0}, {300, 100, 0, 0}, {110, 100, 0, 0}, {105, 100, 0, 0}},
     kNoTarget,
     0},
    {"everybody down, kind 24: the nearest",
     kRestingKeepsDowned,
     4,
     100,
     100,
     {{900, 900, 0, 0}, {300, 100, 0, 0}, {110, 100, 0, 0}, {120, 100, 0, 0}},
     kNoTarget,
     2},
    {"a kept target stays when another player is nearer",
     kChaser,
     2,
     100,
     100,
     {{101, 100, 1, 0}, {300, 100, 1, 0}, kAway, kAway},
     1,
     1},
    {"a target that went down is dropped",
     kChaser,
     3,
     100,
     100,
     {{300, 100, 1, 0}, {101, 100, 0, 0}, {200, 100, 1, 0}, kAway},
     1,
     2},
    {"119 frames on stairs keep the target",
     kChaser,
     2,
     100,
     100,
     {{101, 100, 1, 0}, {300, 100, 1, 119}, kAway, kAway},
     1,
     1},
    {"120 frames on stairs drop the target",
     kChaser,
     2,
     100,
     100,
     {{101, 100, 1, 0}, {300, 100, 1, 120}, kAway, kAway},
     1,
     0},
    {"the choice after the drop may take the same player",
     kChaser,
     2,
     100,
     100,
     {{300, 100, 1, 0}, {101, 100, 1, 120}, kAway, kAway},
     1,
     1},
};

TEST(EnemyTargetChoiceTest, TableOfCases) {
  for (const TargetCase& c : kTargetCases) {
    ResetField();
    player_count = c.count;
    for (int32_t p = 0; p < 4; ++p) {
      const PlayerPlace& place = c.players[p];
      PlacePlayer(p, place.x, place.y, place.alive).stairs_counter = place.stairs_counter;
    }
    PlaceEnemy(3, c.kind, c.ex, c.ey).target = c.start_target;
    RunEnemy(3);
    EXPECT_EQ(enemy[3].target, c.expected) << c.name;
  }
}

TEST(EnemyTargetChoiceTest, TheTargetStaysFromFrameToFrame) {
  ResetField();
  player_count = 2;
  PlacePlayer(0, 150, 100);
  PlacePlayer(1, 300, 100);
  PlaceEnemy(0, kChaser, 100, 100);
  RunEnemy(0);
  ASSERT_EQ(enemy[0].target, 0);
  // Player 1 comes onto the enemy: the enemy still walks at player 0.
  PlacePlayer(1, 100, 100);
  ClearStep(0);
  RunEnemy(0);
  EXPECT_EQ(enemy[0].target, 0);
  EXPECT_EQ(enemy[0].facing, 2);
  EXPECT_EQ(enemy[0].vx, 1.5f);
}

// How each kind's target choice keys a downed player.
enum Rule { kKeyed, kKept, kNoChoice };

TEST(EnemyTargetChoiceTest, DownedPlayerKeyOfEveryKind) {
  Rule rules[55];
  for (Rule& rule : rules) rule = kKeyed;
  for (int32_t kind : {22, 23, 24, 25, 29, 37, 47, 51}) rules[kind] = kKept;
  for (int32_t kind = 10; kind <= 18; ++kind) rules[kind] = kNoChoice;

  for (int32_t kind = 0; kind < 55; ++kind) {
    ResetField();
    player_count = 2;
    PlacePlayer(0, 110, 100, 0);  // down, near
    PlacePlayer(1, 300, 100);     // up, far
    PlaceEnemy(5, kind, 100, 100);
    RunEnemy(5);
    const int32_t expected = rules[kind] == kKept ? 0 : rules[kind] == kKeyed ? 1 : kNoTarget;
    EXPECT_EQ(enemy[5].target, expected) << "kind " << kind;
  }
}

// ---- Approach step ---------------------------------------------------------------------

struct StepCase {
  const char* name;
  float ex, ey;  // the enemy
  float px, py;  // its target
  float start_vx, start_vy;
  int32_t start_facing;
  float vx, vy;
  int32_t facing;
};

// A chaser of kind 1: speed 1.5, diagonal 1.125.
const StepCase kStepCases[] = {
    {"up", 100, 100, 100, 40, 0, 0, 5, 0, -1.5f, 0},
    {"up-right", 100, 100, 150, 40, 0, 0, 5, 1.125f, -1.125f, 1},
    {"right", 100, 100, 160, 100, 0, 0, 5, 1.5f, 0, 2},
    {"down-right", 100, 100, 160, 160, 0, 0, 5, 1.125f, 1.125f, 3},
    {"down", 100, 100, 100, 160, 0, 0, 5, 0, 1.5f, 4},
    {"down-left", 100, 100, 40, 160, 0, 0, 0, -1.125f, 1.125f, 5},
    {"left", 100, 100, 40, 100, 0, 0, 5, -1.5f, 0, 6},
    {"up-left", 100, 100, 40, 40, 0, 0, 5, -1.125f, -1.125f, 7},
    // Truncated 100 and 111: 11 across fails the band; 110.9 < 111 and 40 > 20.
    {"the worked diagonal", 100.9f, 50, 111, 20, 0, 0, 5, 1.125f, -1.125f, 1},
    // Tests 1 and 3 both hold: full speed on both axes, the later facing.
    {"3 right and 2 up", 100, 100, 103, 98, 0, 0, 5, 1.5f, -1.5f, 2},
    {"on the enemy: nothing written", 100, 100, 100, 100, 0.5f, -0.25f, 5, 0.5f, -0.25f, 5},
    {"10 across is still straight up", 100, 100, 110, 40, 0, 0, 5, 0, -1.5f, 0},
    {"11 across is diagonal", 100, 100, 111, 40, 0, 0, 5, 1.125f, -1.125f, 1},
    // Test 4 holds (110.1 < 110.9), then test 5 on truncated 110 and 100
    // rewrites only vy.
    {"a straight test after a diagonal writes one component", 100.1f, 100, 110.9f, 160, 0, 0, 5,
     1.125f, 1.5f, 4},
    {"a slide in vx survives a vertical step", 100, 100, 100, 40, 1.0f, 0, 5, 1.0f, -1.5f, 0},
    {"a slide in vy survives a horizontal step", 100, 100, 160, 100, 0, -1.0f, 5, 1.5f, -1.0f, 2},
};

TEST(EnemyApproachStepTest, TableOfCases) {
  for (const StepCase& c : kStepCases) {
    ResetField();
    player_count = 1;
    PlacePlayer(0, c.px, c.py);
    enemy_data& e = PlaceEnemy(2, kChaser, c.ex, c.ey);
    e.vx = c.start_vx;
    e.vy = c.start_vy;
    e.facing = c.start_facing;
    RunEnemy(2);
    EXPECT_EQ(e.vx, c.vx) << c.name;
    EXPECT_EQ(e.vy, c.vy) << c.name;
    EXPECT_EQ(e.facing, c.facing) << c.name;
    EXPECT_EQ(e.X, c.ex) << c.name << ": a behaviour never moves the enemy";
  }
}

}  // namespace
