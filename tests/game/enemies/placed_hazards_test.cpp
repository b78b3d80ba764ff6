// The five placed hazards through set_enemy_kind_table: the frame cycles,
// the damage boxes, the damage by area and the bookshelf's slide.
#include "game/enemies/placed_hazards.h"

#include <climits>

#include "game/areas/areas.h"
#include "tests/game/enemies/enemy_test_support.h"

namespace {

enum Kind : int32_t { kFire = 0, kVine = 1, kKorone = 2, kBookshelf = 3, kNeedle = 4 };

class PlacedHazardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetField();
    player_count = 1;
    present_map_number = 2;
    for (int32_t s = 0; s < kSetEnemySlots; ++s) ClearHazard(s);
  }

  static void ClearHazard(int32_t s) {
    set_enemy_x[s] = set_enemy_y[s] = 0.0f;
    set_enemy_home_x[s] = set_enemy_home_y[s] = 0.0f;
    set_enemy_kind[s] = set_enemy_variant[s] = set_enemy_tick[s] = set_enemy_cell[s] = 0;
    set_enemy_push_vx[s] = set_enemy_push_vy[s] = 0.0f;
  }

  static void Place(int32_t s, int32_t kind, int32_t variant, int32_t tick, float x = 400.0f,
                    float y = 400.0f) {
    set_enemy_kind[s] = kind;
    set_enemy_variant[s] = variant;
    set_enemy_tick[s] = tick;
    set_enemy_x[s] = set_enemy_home_x[s] = x;
    set_enemy_y[s] = set_enemy_home_y[s] = y;
    set_enemy_active[s] = 1;
    set_enemy_hp[s] = 10;
    set_enemy_width[s] = set_enemy_height[s] = 12;
  }

  static void Run(int32_t s) { set_enemy_kind_table[set_enemy_kind[s]](s); }

  // Player p at (dx, dy) from hazard 0, up, with 100 hit points.
  static player_data& PlayerAt(int32_t p, float dx, float dy, int32_t character = 1) {
    player_data& record = PlacePlayer(p, set_enemy_x[0] + dx, set_enemy_y[0] + dy);
    record.character = character;
    record.hp = 100;
    record.hit_counter = 0;
    return record;
  }
};

// ---- Frame cycles ------------------------------------------------------------------------

struct CellRun {
  int32_t cell;
  int ticks;
};

// The cells of every tick, typed from the ticks each cell holds.
std::vector<int32_t> Expand(const std::vector<CellRun>& runs) {
  std::vector<int32_t> cells;
  for (const CellRun& run : runs) cells.insert(cells.end(), run.ticks, run.cell);
  return cells;
}

TEST_F(PlacedHazardTest, EveryCycleShowsItsCellsTickByTickAndWraps) {
  struct Case {
    const char* name;
    int32_t kind;
    int32_t variant;
    std::vector<CellRun> runs;
  };
  const Case cases[] = {
      {"slow fire", kFire, 0,
       {{1, 5}, {0, 20}, {1, 5}, {0, 20}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}, {0, 10}}},
      {"fast fire", kFire, 16,
       {{1, 5}, {0, 20}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}, {0, 10}}},
      {"vine", kVine, 2,
       {{0, 64}, {1, 8}, {2, 8}, {3, 8}, {4, 8}, {3, 8}, {2, 8}, {1, 8}, {0, 15}}},
      {"korone", kKorone, 0,
       {{0, 2}, {1, 2}, {2, 2}, {3, 2}, {4, 2}, {5, 2}, {6, 36},
        {5, 12}, {4, 12}, {3, 12}, {2, 12}, {1, 12}, {0, 84}}},
      {"short needle", kNeedle, 0, {{0, 24}, {1, 4}, {2, 4}, {3, 4}, {2, 4}, {1, 4}}},
      {"long needle", kNeedle, 1, {{0, 60}, {1, 4}, {2, 4}, {3, 28}, {2, 4}, {1, 4}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    const std::vector<int32_t> expected = Expand(c.runs);
    const int32_t cycle = static_cast<int32_t>(expected.size());
    // From the cycle's last tick, the first frame wraps to tick 0.
    Place(0, c.kind, c.variant, cycle - 1);
    for (int32_t tick = 0; tick < cycle; ++tick) {
      Run(0);
      ASSERT_EQ(set_enemy_tick[0], tick);
      EXPECT_EQ(set_enemy_cell[0], expected[tick]) << "tick " << tick;
    }
    Run(0);
    EXPECT_EQ(set_enemy_tick[0], 0);
  }
}

TEST_F(PlacedHazardTest, StartTicksOutsideTheCycleStartFromZero) {
  struct Case {
    int32_t kind;
    int32_t variant;
    int32_t start;
  };
  const Case cases[] = {
      {kFire, 0, 90},     {kFire, 0, -1},      {kFire, 12, -40},  {kFire, 12, 65},
      {kVine, 0, 135},    {kVine, 0, -200},    {kKorone, 0, 500}, {kKorone, 0, INT_MIN},
      {kNeedle, 0, -3},   {kNeedle, 1, 104},   {kNeedle, 1, INT_MAX},
      {kBookshelf, 0, -9}, {kBookshelf, 10, 180}, {kBookshelf, 14, INT_MAX},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.kind << "/" << c.variant << " from " << c.start);
    SetUp();
    Place(0, c.kind, c.variant, c.start);
    set_enemy_cell[0] = 9;
    Run(0);
    EXPECT_EQ(set_enemy_tick[0], 0);
    if (c.kind != kBookshelf) {
      EXPECT_EQ(set_enemy_cell[0], c.kind == kFire ? 1 : 0);
    }
  }
}

TEST_F(PlacedHazardTest, VariantsAKindDoesNotListOnlyCount) {
  // A needle of another variant counts on without a wrap and keeps its cell;
  // a bookshelf of another variant leaves even its tick; fire and vine run
  // their cycle. None of them hurts anybody.
  struct Case {
    int32_t kind;
    int32_t variant;
    int32_t start;
    int32_t tick_after;
    int32_t cell_after;
  };
  const Case cases[] = {
      {kNeedle, 3, 5000, 5001, 9},   {kNeedle, 3, INT_MAX, INT_MAX, 9},
      {kBookshelf, 1, 20, 20, 9},    {kBookshelf, 8, 20, 20, 9},
      {kFire, 7, 59, 60, 3},         {kFire, 11, 34, 35, 3},
      {kVine, 5, 79, 80, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.kind << "/" << c.variant);
    SetUp();
    Place(0, c.kind, c.variant, c.start);
    set_enemy_cell[0] = 9;
    PlayerAt(0, 0.0f, 0.0f);
    Run(0);
    EXPECT_EQ(set_enemy_tick[0], c.tick_after);
    EXPECT_EQ(set_enemy_cell[0], c.cell_after);
    EXPECT_EQ(player[0].hp, 100);
    EXPECT_EQ(player[0].hit_counter, 0);
    EXPECT_EQ(set_enemy_push_vx[0], 0.0f);
    EXPECT_EQ(set_enemy_push_vy[0], 0.0f);
  }
}

// ---- Damage boxes --------------------------------------------------------------------------

TEST_F(PlacedHazardTest, APlayerIsHurtOnlyStrictlyInsideABoxOfTheCurrentCell) {
  struct Case {
    const char* what;
    int32_t kind;
    int32_t variant;
    int32_t tick_before;  // the frame's tick is this + 1
    float dx, dy;
    bool hurt;
  };
  const Case cases[] = {
      // Fire in cell 0 (tick 10): its base only, open on every side.
      {"fire base, 26 to the side", kFire, 0, 9, 26.0f, 0.0f, false},
      {"fire base, 25.9 to the side", kFire, 0, 9, 25.9f, 0.0f, true},
      {"fire base, 26 below", kFire, 0, 9, 0.0f, 26.0f, false},
      {"fire cell 0 has no column", kFire, 0, 9, 0.0f, -40.0f, false},
      // Cell 1 (tick 0) up: the column from 26 behind to 54 ahead, no base.
      {"cell 1 up, 53 ahead", kFire, 0, 89, 0.0f, -53.0f, true},
      {"cell 1 up, 54 ahead", kFire, 0, 89, 0.0f, -54.0f, false},
      {"cell 1 up, 25 behind", kFire, 0, 89, 0.0f, 25.0f, true},
      {"cell 1 up, 23 across", kFire, 0, 89, 23.0f, -10.0f, false},
      {"cell 1 up, 24 to the side (no base)", kFire, 0, 89, 24.5f, 0.0f, false},
      // Cell 4 (tick 65) right: from 26 behind to 150 ahead, no base.
      {"cell 4 right, 149 ahead", kFire, 2, 64, 149.0f, 0.0f, true},
      {"cell 4 right, 150 ahead", kFire, 2, 64, 150.0f, 0.0f, false},
      {"cell 4 right, 22 across", kFire, 2, 64, 40.0f, 22.0f, true},
      {"cell 4 right, 25 behind", kFire, 2, 64, -25.0f, 0.0f, true},
      // Cell 5 (tick 70) down: the base and the detached flame 74 to 150.
      {"cell 5 down, the base", kFire, 4, 69, 0.0f, 20.0f, true},
      {"cell 5 down, between", kFire, 4, 69, 0.0f, 50.0f, false},
      {"cell 5 down, 74", kFire, 4, 69, 0.0f, 74.0f, false},
      {"cell 5 down, the flame", kFire, 4, 69, 0.0f, 100.0f, true},
      {"cell 5 down, the flame's far end", kFire, 4, 69, 0.0f, 150.0f, false},
      // Cell 6 (tick 50 of the fast cycle) left: 106 to 150 out.
      {"cell 6 left, 107 out", kFire, 16, 49, -107.0f, 0.0f, true},
      {"cell 6 left, 90 out", kFire, 16, 49, -90.0f, 0.0f, false},
      // Vine: the base at cell 0, the shoot at cells 1 to 4.
      {"vine base, 23 to the side", kVine, 0, 9, 23.0f, 27.0f, true},
      {"vine base, 28 below", kVine, 0, 9, 0.0f, 28.0f, false},
      {"vine cell 4 up, 154 ahead", kVine, 0, 89, 0.0f, -154.0f, true},
      {"vine cell 4 up, 155 ahead", kVine, 0, 89, 0.0f, -155.0f, false},
      {"vine cell 4 down, 138 ahead", kVine, 4, 89, 0.0f, 138.0f, true},
      {"vine cell 4 down, 139 ahead", kVine, 4, 89, 0.0f, 139.0f, false},
      {"vine cell 4 down, 27 behind", kVine, 4, 89, 0.0f, -27.0f, true},
      {"vine cell 3 up, 128 ahead", kVine, 0, 97, 0.0f, -128.0f, false},
      {"vine cell 1 right, 63 ahead", kVine, 2, 63, 63.0f, 0.0f, true},
      {"vine cell 1 right, 16 across", kVine, 2, 63, 30.0f, 16.0f, false},
      {"vine cell 2 left, 95 out", kVine, 6, 71, -95.0f, 0.0f, true},
      {"vine cell 2 left, 24 behind", kVine, 6, 71, 24.0f, 0.0f, false},
      // Vine tick 130: cell 0, hurting only through its base.
      {"vine tick 130, in the shoot's reach", kVine, 0, 129, 0.0f, -60.0f, false},
      {"vine tick 130, in the base", kVine, 0, 129, 0.0f, -20.0f, true},
      // Korone: nobody while cell 0; one small box otherwise.
      {"korone cell 0", kKorone, 0, 150, 0.0f, 0.0f, false},
      {"korone cell 6, 11 to the side", kKorone, 0, 29, 11.0f, 13.0f, true},
      {"korone cell 6, 12 to the side", kKorone, 0, 29, 12.0f, 0.0f, false},
      {"korone cell 6, 14 below", kKorone, 0, 29, 0.0f, 14.0f, false},
      // Needle: cells 2 and 3 only; the box reaches 22 up and 12 down.
      {"needle cell 1", kNeedle, 0, 24, 0.0f, 0.0f, false},
      {"needle cell 2, 21 up", kNeedle, 0, 28, 0.0f, -21.0f, true},
      {"needle cell 3, 12 down", kNeedle, 1, 70, 0.0f, 12.0f, false},
      {"needle cell 3, 18 to the side", kNeedle, 1, 70, -18.0f, 11.0f, true},
  };
  // In dansion06 every kind but the bookshelf has a damage value.
  const int32_t damage[5] = {10, 8, 5, 0, 10};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetUp();
    present_map_number = 9;
    Place(0, c.kind, c.variant, c.tick_before);
    PlayerAt(0, c.dx, c.dy);
    Run(0);
    EXPECT_EQ(player[0].hp, c.hurt ? 100 - damage[c.kind] : 100);
    EXPECT_EQ(player[0].hit_counter, c.hurt ? 1 : 0);
  }
}

TEST_F(PlacedHazardTest, DamageFollowsTheAreaAndTheGuardOfAFirstCharacterPlayer) {
  struct Case {
    int32_t kind;
    int32_t variant;
    int32_t tick_before;  // a dangerous cell for a player on the hazard
    int32_t area;
    int32_t damage;  // -1: no value, nobody hurt
    int32_t guarded;
  };
  const Case cases[] = {
      {kFire, 0, 9, 2, 5, 3},       {kFire, 0, 9, 9, 10, 5},       {kFire, 0, 9, 13, 15, 8},
      {kFire, 0, 9, 7, -1, -1},     {kFire, 0, 9, 8, -1, -1},      {kFire, 0, 9, 0, -1, -1},
      {kNeedle, 0, 30, 8, 8, 4},    {kNeedle, 0, 30, 9, 10, 5},    {kNeedle, 0, 30, 13, 14, 7},
      {kNeedle, 0, 30, 2, -1, -1},  {kNeedle, 0, 30, 7, -1, -1},   {kNeedle, 0, 30, 14, -1, -1},
      {kBookshelf, 0, 20, 7, 7, 4}, {kBookshelf, 0, 20, 13, 15, 8}, {kBookshelf, 0, 20, 2, -1, -1},
      {kBookshelf, 10, 20, 9, -1, -1},
      {kVine, 0, 9, 0, 8, 4},       {kVine, 0, 9, 7, 8, 4},        {kVine, 0, 9, 13, 8, 4},
      {kKorone, 0, 20, 2, 5, 5},    {kKorone, 0, 20, 11, 5, 5},
  };
  struct Player {
    int32_t character;
    int32_t spell1_timer;
    bool guards;
  };
  const Player players[] = {{0, 30, true},  {2, 1, true},   {0, 0, false},
                            {1, 30, false}, {3, 30, false}, {2, 0, false}};
  for (const Case& c : cases) {
    for (const Player& who : players) {
      SCOPED_TRACE(testing::Message() << "kind " << c.kind << " area " << c.area << " character "
                                      << who.character << " timer " << who.spell1_timer);
      SetUp();
      present_map_number = c.area;
      Place(0, c.kind, c.variant, c.tick_before);
      player_data& record = PlayerAt(0, 0.0f, 0.0f, who.character);
      record.spell1_timer = who.spell1_timer;
      Run(0);
      if (c.damage < 0) {
        EXPECT_EQ(record.hp, 100);
        EXPECT_EQ(record.hit_counter, 0) << "no latch where there is no damage";
      } else {
        EXPECT_EQ(record.hp, 100 - (who.guards ? c.guarded : c.damage));
        EXPECT_EQ(record.hit_counter, 1);
      }
    }
  }
}

TEST_F(PlacedHazardTest, OnStairsOrBlinkingPlayersAreSparedAndDownedOnesAreNot) {
  struct Case {
    int32_t alive, on_stairs, hit_counter;
    int32_t hp_after;
  };
  const Case cases[] = {{1, 1, 0, 100}, {1, 0, 5, 100}, {0, 0, 0, 95}, {1, 0, 0, 95}};
  for (const Case& c : cases) {
    SetUp();
    Place(0, kFire, 0, 9);
    player_data& record = PlayerAt(0, 0.0f, 0.0f);
    record.alive = c.alive;
    record.on_stairs = c.on_stairs;
    record.hit_counter = c.hit_counter;
    Run(0);
    EXPECT_EQ(record.hp, c.hp_after);
    EXPECT_EQ(record.hit_counter, c.hp_after < 100 ? 1 : c.hit_counter);
  }
}

TEST_F(PlacedHazardTest, EveryPlayerBelowThePlayerCountIsTestedAndTwoHazardsHurtOnceByTheLowerSlot) {
  player_count = 3;
  present_map_number = 9;
  Place(0, kFire, 0, 9);        // fire in area 9: 10
  Place(1, kKorone, 0, 20);     // korone: 5, on the same spot
  PlayerAt(0, 0.0f, 0.0f);
  PlayerAt(1, 5.0f, 5.0f);
  PlayerAt(2, 200.0f, 0.0f);    // out of reach
  PlayerAt(3, 0.0f, 0.0f);      // beyond player_count
  Run(0);
  Run(1);
  EXPECT_EQ(player[0].hp, 90);
  EXPECT_EQ(player[1].hp, 90);
  EXPECT_EQ(player[2].hp, 100);
  EXPECT_EQ(player[3].hp, 100);
}

// ---- The bookshelf --------------------------------------------------------------------------

TEST_F(PlacedHazardTest, TheBookshelfSlidesOnItsAxisAndWritesNothingBetweenItsWindows) {
  struct Case {
    int32_t variant;
    int32_t tick_before;
    float offset;  // the shelf's distance from home along its out direction
    float vx_after, vy_after;  // from a step of (0.5, 0.5)
  };
  const Case cases[] = {
      {0, 9, 0.0f, 0.5f, -3.5f},     // up, out window: 4 out
      {2, 20, 10.0f, 4.5f, 0.5f},    // right, out: 4 out
      {4, 41, 127.0f, 0.5f, 4.5f},   // down, last out tick, 1 short of the reach
      {6, 41, 128.0f, 0.0f, 0.5f},   // left, at the reach: the component 0
      {10, 41, 0.0f, 0.5f, 1.5f},    // up, jolt: 1 toward home
      {16, 42, 0.0f, 1.5f, 0.5f},    // left, jolt: 1 toward home
      {12, 150, 30.0f, -3.5f, 0.5f}, // right, return: 4 toward home
      {14, 173, 0.0f, 0.5f, 0.0f},   // down, return, at home: 0
      {4, 160, -2.0f, 0.5f, 0.0f},   // down, return, past home: 0
      {0, 100, 50.0f, 0.5f, 0.5f},   // between windows: nothing written
      {12, 200 - 21, 0.0f, 0.5f, 0.5f},  // tick 179 of the short cycle: nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "variant " << c.variant << " tick " << c.tick_before + 1);
    SetUp();
    Place(0, kBookshelf, c.variant, c.tick_before);
    const int32_t out = c.variant % 10;
    if (out == 0) set_enemy_y[0] -= c.offset;
    if (out == 2) set_enemy_x[0] += c.offset;
    if (out == 4) set_enemy_y[0] += c.offset;
    if (out == 6) set_enemy_x[0] -= c.offset;
    set_enemy_push_vx[0] = 0.5f;
    set_enemy_push_vy[0] = 0.5f;
    Run(0);
    EXPECT_EQ(set_enemy_push_vx[0], c.vx_after);
    EXPECT_EQ(set_enemy_push_vy[0], c.vy_after);
  }
}

TEST_F(PlacedHazardTest, TheBookshelfHurtsThroughItsOutAndReturnWindowsOnlyWithALongerLeadingSide) {
  struct Case {
    int32_t variant;
    int32_t tick_before;
    float dx, dy;
    bool hurt;
  };
  const Case cases[] = {
      {0, 9, 0.0f, -46.0f, true},    // up, out: 47 on the top
      {0, 9, 0.0f, 46.0f, false},    // 43 below
      {0, 9, 42.0f, 42.0f, true},
      {0, 9, 43.0f, 0.0f, false},
      {0, 49, 0.0f, 0.0f, false},    // the jolt: nobody, even against it
      {0, 50, 0.0f, 0.0f, false},
      {0, 149, 0.0f, 46.0f, true},   // return: 47 toward home (down)
      {0, 149, 0.0f, -46.0f, false},
      {0, 44, 0.0f, 0.0f, false},    // standing at its reach after the window
      {12, 20, 46.0f, 0.0f, true},   // right, out
      {12, 20, -46.0f, 0.0f, false},
      {12, 160, -46.0f, 0.0f, true}, // right, return: toward the left
      {16, 20, -46.0f, 0.0f, true},  // left, out
      {14, 150, 0.0f, -46.0f, true}, // down, return: up
  };
  present_map_number = 7;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "variant " << c.variant << " tick " << c.tick_before + 1
                                    << " at " << c.dx << ", " << c.dy);
    SetUp();
    present_map_number = 7;
    Place(0, kBookshelf, c.variant, c.tick_before);
    PlayerAt(0, c.dx, c.dy);
    Run(0);
    EXPECT_EQ(player[0].hp, c.hurt ? 93 : 100);
  }
}

TEST_F(PlacedHazardTest, TheBookshelfTraceRepeatsEveryTwoCycles) {
  // An open floor, the placed-hazard update's move: the wall stop by the
  // frame's step, which it clears.
  for (auto& row : map_cell)
    for (int32_t& cell : row) cell = 9;
  const float home = 800.0f;
  Place(0, kBookshelf, 0, 0, 400.0f, home);
  const auto frame = [] {
    Run(0);
    stop_at_walls(set_enemy_x[0], set_enemy_y[0], set_enemy_push_vx[0], set_enemy_push_vy[0],
                  set_enemy_width[0], set_enemy_height[0]);
  };
  const auto run_to = [&frame](int32_t tick) {
    while (set_enemy_tick[0] != tick) frame();
  };
  // First outing: at the reach after 32 ticks (10 to 41), 2 short after the
  // jolt, 2 past home on the way back.
  run_to(41);
  EXPECT_EQ(set_enemy_y[0], home - 128.0f);
  run_to(42);
  EXPECT_EQ(set_enemy_y[0], home - 128.0f);
  run_to(51);
  EXPECT_EQ(set_enemy_y[0], home - 126.0f);
  run_to(190);
  EXPECT_EQ(set_enemy_y[0], home + 2.0f);
  // Second outing: 2 past the reach, then exactly home.
  run_to(0);
  run_to(42);
  EXPECT_EQ(set_enemy_y[0], home - 130.0f);
  run_to(51);
  EXPECT_EQ(set_enemy_y[0], home - 128.0f);
  run_to(190);
  EXPECT_EQ(set_enemy_y[0], home);
  // And the first again.
  run_to(0);
  run_to(51);
  EXPECT_EQ(set_enemy_y[0], home - 126.0f);
  EXPECT_EQ(set_enemy_x[0], 400.0f);
}

}  // namespace
