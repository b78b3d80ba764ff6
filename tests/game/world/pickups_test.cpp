// Item effects and pickups: every kind taken and refused, the crystals by
// phase with their life factors, one crystal of each boss a player, and the
// walking pickup that tries only a step that would meet the item.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/game/world/world_test_support.h"
#include "tests/support/api_fake/api_fake.h"

namespace {

// What an item may change besides the player record.
struct Globals {
  int32_t holly_counter, revive_stock, remain_item;
  bool operator==(const Globals&) const = default;
};

Globals ReadGlobals() { return {holly_counter, revive_stock, remain_item}; }

// A player with middling statistics; item slot 0 (floor) or 0 (dropped)
// holds the item.
void StartPickup() {
  api_fake().Reset();
  reset_game();
  present_map_number = 1;
  present_map_floor = 0;
  player_count = 2;
  for (int32_t p = 0; p < 2; ++p) {
    player_data& r = player[p];
    r.alive = 1;
    r.level = 3;
    r.hp_max = 30;
    r.hp = 20;
    r.agility_base = 2.2f;
    r.agility = 2.2f;
    r.attack_base = 8;
    r.attack = 8;
    r.vitality_base = 5;
    r.vitality = 5;
    r.intelligence_base = 5;
    r.intelligence = 5;
    r.spell1_stock = 3;
    r.spell2_stock = 3;
  }
  // Floor item 0 is row 0 of field01 floor 0's item table.
  item_table_field01[0][0].present = 1;
  holly_counter = 500;
  revive_stock = 4;
  remain_item = 2;
  floor_item_count = 1;
  floor_item_present[0] = 1;
  floor_item_hp[0] = 50;
  floor_item_x[0] = 100.0f;
  floor_item_y[0] = 100.0f;
  floor_item_width[0] = 13;
  floor_item_height[0] = 13;
  dropped_item_present[0] = 1;
  dropped_item_hp[0] = 50;
  dropped_item_x[0] = 100.0f;
  dropped_item_y[0] = 100.0f;
  dropped_item_width[0] = 13;
  dropped_item_height[0] = 13;
}

bool SameRecord(const player_data& a, const player_data& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// ---- The kind table ----------------------------------------------------------------------

struct KindCase {
  const char* name;
  int32_t kind;
  void (*before)(player_data&);  // the player as the item finds him
  void (*change)(player_data&, Globals&);  // what taking it does; null: refused
  bool dropped_too;                        // the same as a dropped item
};

void Nothing(player_data&) {}

const KindCase kKindCases[] = {
    {"white potion", 0, Nothing, [](player_data& r, Globals&) { r.spell1_stock = 4; }, true},
    {"white potion at stock 9", 0, [](player_data& r) { r.spell1_stock = 9; }, nullptr, true},
    {"black potion", 1, [](player_data& r) { r.spell2_stock = 8; },
     [](player_data& r, Globals&) { r.spell2_stock = 9; }, true},
    {"black potion at stock 9", 1, [](player_data& r) { r.spell2_stock = 9; }, nullptr, true},
    {"AG item at agility 3.8", 2, [](player_data& r) { r.agility = 3.8f; },
     [](player_data& r, Globals&) { r.agility_bonus = 0.2f; }, true},
    {"AG item at agility exactly 4.0", 2, [](player_data& r) { r.agility = 4.0f; }, nullptr,
     true},
    {"AT item while a boost makes attack 24 of base and bonus 16", 3,
     [](player_data& r) {
       r.attack_base = 10;
       r.attack_bonus = 6;
       r.attack = 24;
     },
     [](player_data& r, Globals&) { r.attack_bonus = 7; }, true},
    {"AT item at base and bonus 20", 3,
     [](player_data& r) {
       r.attack_base = 15;
       r.attack_bonus = 5;
       r.attack = 12;
     },
     nullptr, true},
    {"VT item at 19", 4, [](player_data& r) { r.vitality = 19; },
     [](player_data& r, Globals&) { r.vitality_bonus = 1; }, true},
    {"VT item at 20", 4, [](player_data& r) { r.vitality = 20; }, nullptr, true},
    {"IN item at 19", 5, [](player_data& r) { r.intelligence = 19; },
     [](player_data& r, Globals&) { r.intelligence_bonus = 1; }, true},
    {"IN item at 20", 5, [](player_data& r) { r.intelligence = 20; }, nullptr, true},
    {"holly restarts the reversed time", 6, Nothing,
     [](player_data&, Globals& g) { g.holly_counter = 1; }, true},
    {"healing 90 of 100", 7,
     [](player_data& r) {
       r.hp_max = 100;
       r.hp = 90;
     },
     [](player_data& r, Globals&) { r.hp = 100; }, true},
    {"healing a third", 7, [](player_data& r) { r.hp = 10; },
     [](player_data& r, Globals&) { r.hp = 20; }, true},
    {"healing at hp_max 2 adds 0", 7,
     [](player_data& r) {
       r.hp_max = 2;
       r.hp = 1;
     },
     [](player_data&, Globals&) {}, true},
    {"mirror", 8, Nothing, [](player_data& r, Globals&) { r.reflect_timer = 5000; }, true},
    {"life-up without limit", 9, Nothing, [](player_data&, Globals& g) { g.revive_stock = 5; },
     false},
    {"kind 10", 10, Nothing, nullptr, true},
    {"kind 20", 20, Nothing, nullptr, true},
    {"kind 30", 30, Nothing, nullptr, true},
    {"kind -1", -1, Nothing, nullptr, true},
    {"breakable rock", 100, Nothing, nullptr, true},
};

TEST(PickUpTest, EveryKindOfTheTableTakenOrRefused) {
  for (const KindCase& c : kKindCases) {
    for (const bool dropped : {false, true}) {
      StartPickup();
      floor_item_kind[0] = c.kind;
      dropped_item_kind[0] = c.kind;
      c.before(player[0]);
      player_data expected = player[0];
      Globals expected_globals = ReadGlobals();
      const bool taken = c.change != nullptr && (!dropped || c.dropped_too);
      if (taken) c.change(expected, expected_globals);

      const int32_t result = dropped ? pick_up_dropped_item(0, 0) : pick_up_floor_item(0, 0);

      const char* which = dropped ? " (dropped)" : " (floor)";
      EXPECT_EQ(result, taken ? 1 : 0) << c.name << which;
      EXPECT_TRUE(SameRecord(player[0], expected)) << c.name << which;
      EXPECT_EQ(ReadGlobals(), expected_globals) << c.name << which;
      EXPECT_EQ(dropped ? dropped_item_present[0] : floor_item_present[0], taken ? 0 : 1)
          << c.name << which;
      EXPECT_EQ(se_get_item_request, taken ? 1 : 0) << c.name << which;
      // A taken floor item stays gone; dropped items are in no table.
      EXPECT_EQ(item_table_field01[0][0].present, taken && !dropped ? 0 : 1) << c.name << which;
    }
  }
}

TEST(PickUpTest, AnItemNotThereCountsAsTaken) {
  StartPickup();
  floor_item_kind[0] = 100;
  floor_item_present[0] = 0;
  dropped_item_kind[0] = 100;
  dropped_item_present[0] = 0;
  EXPECT_EQ(pick_up_floor_item(0, 0), 1);
  EXPECT_EQ(pick_up_dropped_item(0, 0), 1);
  EXPECT_EQ(se_get_item_request, 0);
}

// ---- Crystals ---------------------------------------------------------------------------

struct CrystalCase {
  const char* name;
  int32_t kind, phase;
  void (*before)(player_data&);
  void (*change)(player_data&);  // the statistic; null: refused
  int32_t hp_max;                // after, when taken
};

const CrystalCase kCrystalCases[] = {
    {"VT floor crystal of kind 21", 21, 240, [](player_data& r) { r.vitality_base = 7; },
     [](player_data& r) { r.vitality_base = 8; }, 48},
    {"AG phase", 21, 0, Nothing, [](player_data& r) { r.agility_base += 0.2f; }, 30},
    {"AG phase's last frame", 22, 119, Nothing, [](player_data& r) { r.agility_base += 0.2f; },
     50},
    {"AG phase at agility 4.0", 21, 5, [](player_data& r) { r.agility = 4.0f; }, nullptr, 0},
    {"AT phase", 23, 120, Nothing, [](player_data& r) { r.attack_base = 9; }, 70},
    {"AT phase counts base and bonus only", 24, 200,
     [](player_data& r) {
       r.attack_base = 12;
       r.attack_bonus = 8;
       r.attack = 14;
     },
     nullptr, 0},
    {"VT phase at vitality 20", 25, 300, [](player_data& r) { r.vitality = 20; }, nullptr, 0},
    {"IN phase", 26, 360, Nothing, [](player_data& r) { r.intelligence_base = 6; }, 130},
    {"IN phase's last frame", 29, 479, Nothing, [](player_data& r) { r.intelligence_base = 6; },
     190},
    {"IN phase at intelligence 20", 27, 400, [](player_data& r) { r.intelligence = 20; },
     nullptr, 0},
    {"past the four phases: nothing, still taken", 28, 480, [](player_data& r) {
       r.agility = 4.0f;
     },
     [](player_data&) {}, 170},
    {"boss 0's crystal", 11, 240, Nothing, [](player_data& r) { r.vitality_base = 6; }, 48},
    {"boss 8's crystal", 19, 240, Nothing, [](player_data& r) { r.vitality_base = 6; }, 240},
    {"a boss crystal in its AG quarter at agility 4.0", 14, 100,
     [](player_data& r) { r.agility = 4.0f; }, nullptr, 0},
    {"... taken by him in its AT quarter", 14, 220, [](player_data& r) { r.agility = 4.0f; },
     [](player_data& r) { r.attack_base = 9; }, 100},
};

TEST(PickUpTest, CrystalsByPhaseWithTheirLifeFactors) {
  for (const CrystalCase& c : kCrystalCases) {
    StartPickup();
    floor_item_kind[0] = c.kind;
    floor_item_anim[0] = c.phase;
    c.before(player[0]);
    player_data expected = player[0];
    const bool taken = c.change != nullptr;
    const bool boss = c.kind < 20;
    if (taken) {
      c.change(expected);
      expected.level += 1;
      expected.hp_max = c.hp_max;
      expected.hp = c.hp_max;
      if (boss) expected.crystal_taken[c.kind - 11] = 1;
    }
    EXPECT_EQ(pick_up_floor_item(0, 0), taken ? 1 : 0) << c.name;
    EXPECT_TRUE(SameRecord(player[0], expected)) << c.name;
    EXPECT_EQ(floor_item_present[0], taken ? 0 : 1) << c.name;
    EXPECT_EQ(remain_item, taken && boss ? 1 : 2) << c.name;
    EXPECT_EQ(se_get_item_request, taken ? 1 : 0) << c.name;
    // Boss crystals are no table rows.
    EXPECT_EQ(item_table_field01[0][0].present, taken && !boss ? 0 : 1) << c.name;
  }
}

TEST(PickUpTest, OneCrystalOfEachBossAPlayer) {
  StartPickup();
  floor_item_count = 2;
  remain_item = 2;
  for (int32_t i = 0; i < 2; ++i) {
    floor_item_present[i] = 1;
    floor_item_kind[i] = 14;  // boss 3
    floor_item_anim[i] = 250;
  }
  EXPECT_EQ(pick_up_floor_item(0, 0), 1);
  EXPECT_EQ(player[0].crystal_taken[3], 1);
  EXPECT_EQ(remain_item, 1);
  // The second crystal of boss 3 is solid for him ...
  EXPECT_EQ(pick_up_floor_item(0, 1), 0);
  EXPECT_EQ(floor_item_present[1], 1);
  EXPECT_EQ(player[0].vitality_base, 6);
  // ... and another player takes it.
  EXPECT_EQ(pick_up_floor_item(1, 1), 1);
  EXPECT_EQ(player[1].crystal_taken[3], 1);
  EXPECT_EQ(remain_item, 0);
  // A crystal of another boss is still his to take.
  floor_item_present[0] = 1;
  floor_item_kind[0] = 15;
  EXPECT_EQ(pick_up_floor_item(0, 0), 1);
}

// ---- Walking into items -------------------------------------------------------------------

struct Step {
  float vx, vy;
};

// Player 0 at (x, y) with half-box 12 steps by `step` against floor item 0
// at (100, 100) with half-box 13.
Step CollideFloor(float x, float y, Step step, int32_t pushed = 0) {
  collide_floor_item(x, y, step.vx, step.vy, 12, 12, 0, pushed, floor_item_x[0], floor_item_y[0],
                     floor_item_push_vx[0], floor_item_push_vy[0], floor_item_width[0],
                     floor_item_height[0], floor_item_pushed[0], 0);
  return step;
}

struct WalkCase {
  const char* name;
  float x, y;
  Step step;
  bool taken;
};

TEST(CollideItemTest, OnlyAStepThatWouldMeetTheItemTriesThePickup) {
  const WalkCase cases[] = {
      {"standing still on top of it", 100, 100, {0, 0}, false},
      {"stepping up onto it", 100, 126, {0, -2}, true},
      {"stepping down onto it", 100, 74, {0, 2}, true},
      {"stepping left onto it", 126, 100, {-2, 0}, true},
      {"stepping right onto it", 74, 100, {2, 0}, true},
      {"stepping away from it while touching", 100, 125, {0, 1}, false},
      {"a step that falls short", 100, 128, {0, -2}, false},
  };
  for (const WalkCase& c : cases) {
    StartPickup();
    floor_item_kind[0] = 0;
    const Step after = CollideFloor(c.x, c.y, c.step);
    EXPECT_EQ(floor_item_present[0], c.taken ? 0 : 1) << c.name;
    EXPECT_EQ(player[0].spell1_stock, c.taken ? 4 : 3) << c.name;
    // A taken item leaves the step as it was.
    EXPECT_EQ(after.vx, c.step.vx) << c.name;
    EXPECT_EQ(after.vy, c.step.vy) << c.name;
  }
}

TEST(CollideItemTest, ARefusedItemStopsThePlayerAndIsShovedUnlessHeWasPushed) {
  StartPickup();
  FillCells(kOpen);
  dropped_item_present[0] = 0;
  floor_item_kind[0] = 0;
  player[0].spell1_stock = 9;
  // Walking up into the potion: stopped, and the potion gets 3.0 of push.
  Step after = CollideFloor(100, 126, {0, -2});
  EXPECT_EQ(after.vy, 0.0f);
  EXPECT_EQ(floor_item_push_vy[0], -3.0f);
  EXPECT_EQ(floor_item_pushed[0], 1);
  // Its own step moves it 3.0 a frame.
  update_floor_items();
  EXPECT_EQ(floor_item_y[0], 97.0f);
  EXPECT_EQ(floor_item_push_vy[0], 0.0f);
  EXPECT_EQ(floor_item_pushed[0], 0);

  // A diagonal step: refused on y, the x part is tested with y cancelled.
  after = CollideFloor(120, 120, {-2, -2});
  EXPECT_EQ(after.vy, 0.0f);
  EXPECT_EQ(after.vx, 0.0f);
  EXPECT_EQ(floor_item_push_vx[0], -3.0f);
  EXPECT_EQ(floor_item_push_vy[0], -3.0f);

  // A player pushed this frame stops but shoves nothing.
  StartPickup();
  floor_item_kind[0] = 100;
  after = CollideFloor(74, 100, {2, 0}, 1);
  EXPECT_EQ(after.vx, 0.0f);
  EXPECT_EQ(floor_item_push_vx[0], 0.0f);
  EXPECT_EQ(floor_item_pushed[0], 0);
}

TEST(CollideItemTest, TheLowerIndexTakesAnItemFirstAndTheOtherPassesThrough) {
  StartPickup();
  floor_item_kind[0] = 0;
  Step first = CollideFloor(100, 126, {0, -2});
  Step second{0, 2};
  collide_floor_item(100, 74, second.vx, second.vy, 12, 12, 1, 0, floor_item_x[0],
                     floor_item_y[0], floor_item_push_vx[0], floor_item_push_vy[0], 13, 13,
                     floor_item_pushed[0], 0);
  EXPECT_EQ(player[0].spell1_stock, 4);
  EXPECT_EQ(player[1].spell1_stock, 3);
  EXPECT_EQ(first.vy, -2.0f);
  EXPECT_EQ(second.vy, 2.0f);
}

TEST(CollideItemTest, ADroppedItemOfAKindAboveEightStaysAnObstacle) {
  StartPickup();
  dropped_item_kind[0] = 9;
  float vx = -2.0f;
  float vy = 0.0f;
  collide_dropped_item(126, 100, vx, vy, 12, 12, 0, 0, dropped_item_x[0], dropped_item_y[0],
                       dropped_item_push_vx[0], dropped_item_push_vy[0], 13, 13,
                       dropped_item_pushed[0], 0);
  EXPECT_EQ(vx, 0.0f);
  EXPECT_EQ(dropped_item_push_vx[0], -3.0f);
  EXPECT_EQ(dropped_item_present[0], 1);
  EXPECT_EQ(revive_stock, 4);

  dropped_item_kind[0] = 8;
  vx = -2.0f;
  collide_dropped_item(126, 100, vx, vy, 12, 12, 0, 0, dropped_item_x[0], dropped_item_y[0],
                       dropped_item_push_vx[0], dropped_item_push_vy[0], 13, 13,
                       dropped_item_pushed[0], 0);
  EXPECT_EQ(dropped_item_present[0], 0);
  EXPECT_EQ(player[0].reflect_timer, 5000);
}

}  // namespace
