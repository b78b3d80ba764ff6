// Floor items and dropped items as bodies: breaking at no hit points,
// breakable rocks that never move, push floors, what an item stops at and
// what it pushes or destroys, and the two dropped-item slots.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/enemies/enemies.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/game/world/world_test_support.h"
#include "tests/support/api_fake/api_fake.h"

namespace {

// An open floor, one player up far from everything.
void StartItems() {
  api_fake().Reset();
  reset_game();
  present_map_number = 1;
  present_map_floor = 0;
  map_status = 1;
  FillCells(kOpen);
  player_count = 1;
  player[0].alive = 1;
  player[0].X = 1500.0f;
  player[0].Y = 1500.0f;
}

void PutFloorItem(int32_t i, int32_t kind, float x, float y, int32_t hp = 50) {
  if (floor_item_count <= i) floor_item_count = i + 1;
  floor_item_present[i] = 1;
  floor_item_kind[i] = kind;
  floor_item_x[i] = x;
  floor_item_y[i] = y;
  floor_item_hp[i] = hp;
  floor_item_width[i] = 13;
  floor_item_height[i] = 13;
}

void PutDroppedItem(int32_t d, int32_t kind, float x, float y, int32_t hp = 50) {
  dropped_item_present[d] = 1;
  dropped_item_kind[d] = kind;
  dropped_item_x[d] = x;
  dropped_item_y[d] = y;
  dropped_item_hp[d] = hp;
  dropped_item_width[d] = 13;
  dropped_item_height[d] = 13;
}

void PlacePlayer(int32_t p, float x, float y, int32_t alive) {
  player[p].X = x;
  player[p].Y = y;
  player[p].alive = alive;
}

// A placed hazard of `kind` with a 16 x 16 half-box, its left edge at x 116.
void PlaceHazard(int32_t kind, int32_t active) {
  set_enemy_count = 1;
  set_enemy_active[0] = active;
  set_enemy_kind[0] = kind;
  set_enemy_x[0] = 132.0f;
  set_enemy_y[0] = 100.0f;
  set_enemy_width[0] = 16;
  set_enemy_height[0] = 16;
}

void PlaceGenerator(int32_t active) {
  generator_count = 1;
  generator_active[0] = active;
  generator_x[0] = 131.0f;
  generator_y[0] = 100.0f;
}

// A live enemy of `kind` with a 12 x 12 half-box.
enemy_data Enemy(int32_t kind, float x, float y, int32_t alive = 1) {
  enemy_data e{};
  e.width = 12;
  e.height = 12;
  e.kind = kind;
  e.X = x;
  e.Y = y;
  e.alive = alive;
  e.hp = 40;
  return e;
}

// ---- Breaking ------------------------------------------------------------------------------

TEST(FloorItemsTest, AnItemWithNoHitPointsBreaksWithTheVanishSoundAndStaysGone) {
  StartItems();
  for (item_data& row : item_table_field01[0]) row.present = 1;
  PutFloorItem(0, 0, 100, 100, 0);
  PutFloorItem(1, 100, 200, 100, -5);
  PutFloorItem(2, 3, 300, 100, 1);
  update_floor_items();
  EXPECT_EQ(se_enemy_disappear8_request, 1);
  for (int32_t i = 0; i < 2; ++i) {
    EXPECT_EQ(floor_item_present[i], 0) << i;
    EXPECT_EQ(floor_item_vanish[i], 1) << i;
    EXPECT_EQ(item_table_field01[0][i].present, 0) << i;
  }
  EXPECT_EQ(floor_item_present[2], 1);
  EXPECT_EQ(floor_item_vanish[2], 0);
  EXPECT_EQ(item_table_field01[0][2].present, 1);
}

TEST(FloorItemsTest, ARowLoadedWithNoHitPointsBreaksInTheFirstFrameAndIsGoneOnTheNextVisit) {
  StartItems();
  present_map_floor = 2;
  item_count_field01[2] = 2;
  item_table_field01[2][0] = item_data{100.0f, 100.0f, 1, 0, 0, 13, 13};
  item_table_field01[2][1] = item_data{200.0f, 100.0f, 1, 5, 40, 13, 13};
  enter_area();
  ASSERT_EQ(floor_item_count, 2);
  ASSERT_EQ(floor_item_present[0], 1);
  update_floor_items();
  EXPECT_EQ(floor_item_present[0], 0);
  EXPECT_EQ(se_enemy_disappear8_request, 1);
  EXPECT_EQ(item_table_field01[2][0].present, 0);

  se_enemy_disappear8_request = 0;
  area_entry_request = 1;
  enter_area();
  EXPECT_EQ(floor_item_present[0], 0);
  EXPECT_EQ(floor_item_present[1], 1);
  update_floor_items();
  EXPECT_EQ(se_enemy_disappear8_request, 0) << "nothing breaks again";
}

TEST(FloorItemsTest, OnlySlotsWhosePresentFlagIsExactlyOneRun) {
  StartItems();
  PutFloorItem(0, 0, 100, 100, 0);
  floor_item_present[0] = 2;
  PutFloorItem(1, 0, 200, 100);
  floor_item_push_vx[1] = 2.0f;
  floor_item_present[1] = -1;
  update_floor_items();
  EXPECT_EQ(floor_item_present[0], 2);
  EXPECT_EQ(se_enemy_disappear8_request, 0);
  EXPECT_EQ(floor_item_x[1], 200.0f);
  // Slots at or beyond the count do not run either.
  StartItems();
  PutFloorItem(0, 0, 100, 100, 0);
  floor_item_count = 0;
  update_floor_items();
  EXPECT_EQ(floor_item_present[0], 1);
}

TEST(FloorItemsTest, ABrokenBossCrystalCountsAsACrystalTaken) {
  StartItems();
  item_table_field01[0][0].present = 1;
  map_status = 2;
  remain_item = 2;
  PutFloorItem(0, 14, 220, 180, 0);
  PutFloorItem(1, 14, 284, 180, 10000);
  update_floor_items();
  EXPECT_EQ(floor_item_present[0], 0);
  EXPECT_EQ(floor_item_vanish[0], 1);
  EXPECT_EQ(remain_item, 1);
  EXPECT_EQ(se_enemy_disappear8_request, 1);
  // Boss crystals are no table rows: row 0 of the floor's items is another
  // item, which stays.
  EXPECT_EQ(item_table_field01[0][0].present, 1);
}

// ---- Breakable rocks and push floors -------------------------------------------------------

TEST(FloorItemsTest, ABreakableRockIsNeverMoved) {
  StartItems();
  SetCellRow(3, 22);  // pushes 2 to the right along y 96 to 127
  PutFloorItem(0, 0, 170, 100);
  PutFloorItem(1, kItemBreakableRock, 200, 100);
  floor_item_push_vy[1] = -3.0f;
  for (int frame = 0; frame < 10; ++frame) {
    // A player who cannot take it walks into it from the right.
    float vx = -2.0f;
    float vy = 0.0f;
    collide_floor_item(226, 100, vx, vy, 12, 12, 0, 0, floor_item_x[1], floor_item_y[1],
                       floor_item_push_vx[1], floor_item_push_vy[1], 13, 13,
                       floor_item_pushed[1], 1);
    EXPECT_EQ(vx, 0.0f);
    update_floor_items();
    EXPECT_EQ(floor_item_x[1], 200.0f) << frame;
    EXPECT_EQ(floor_item_y[1], 100.0f) << frame;
  }
  // The potion slid on the push floor until it met the rock.
  EXPECT_EQ(floor_item_x[0], 172.0f);
  EXPECT_EQ(floor_item_push_vx[1], 0.0f);
}

TEST(FloorItemsTest, APotionSlidesOnAPushFloorToAWall) {
  StartItems();
  SetCellRow(3, 22);
  SetCellColumn(10, kWall);  // x 320 to 351
  PutFloorItem(0, 0, 100, 100);
  std::vector<float> xs;
  for (int frame = 0; frame < 110; ++frame) {
    update_floor_items();
    xs.push_back(floor_item_x[0]);
  }
  EXPECT_EQ(xs[0], 102.0f);
  EXPECT_EQ(xs[1], 104.0f);
  // Its right edge stops 1.0 short of the wall.
  EXPECT_EQ(xs.back(), 306.0f);
  EXPECT_EQ(floor_item_y[0], 100.0f);
  EXPECT_EQ(floor_item_push_vx[0], 0.0f);
}

// ---- What an item meets --------------------------------------------------------------------

struct MeetCase {
  const char* name;
  std::function<void()> place;  // puts one body near the item's way
  bool stopped;
  std::function<void()> check;  // what happened to that body
};

TEST(ItemBodyTest, WhatAMovingItemStopsAtAndWhatItDoesToIt) {
  // The item at (100, 100), half-box 13, steps 3 to the right: its moved box
  // reaches x 116.
  const MeetCase cases[] = {
      {"a player up: pushed", [] { PlacePlayer(0, 128.0f, 100.0f, 1); }, true,
       [] {
         EXPECT_EQ(player[0].vx, 3.0f);
         EXPECT_EQ(player[0].pushed, 1);
       }},
      {"a player down", [] { PlacePlayer(0, 128.0f, 100.0f, 0); }, false, [] {}},
      {"a player beyond the party", [] { PlacePlayer(1, 128.0f, 100.0f, 1); }, false, [] {}},
      {"a rolling-rock enemy: destroyed", [] { enemy[2] = Enemy(12, 128.0f, 100.0f); }, true,
       [] {
         EXPECT_EQ(enemy[2].hp, 0);
         EXPECT_EQ(enemy[2].vx, 3.0f);
         EXPECT_EQ(enemy[2].pushed, 1);
       }},
      {"rolling-rock kinds end at 17", [] { enemy[2] = Enemy(17, 128.0f, 100.0f); }, true,
       [] { EXPECT_EQ(enemy[2].hp, 0); }},
      {"another enemy: only pushed", [] { enemy[2] = Enemy(18, 128.0f, 100.0f); }, true,
       [] {
         EXPECT_EQ(enemy[2].hp, 40);
         EXPECT_EQ(enemy[2].vx, 3.0f);
       }},
      {"a dead enemy", [] { enemy[2] = Enemy(12, 128.0f, 100.0f, 0); }, false,
       [] { EXPECT_EQ(enemy[2].hp, 40); }},
      {"a fire hazard: pushed", [] { PlaceHazard(0, 1); }, true,
       [] {
         EXPECT_EQ(set_enemy_push_vx[0], 3.0f);
         EXPECT_EQ(set_enemy_pushed[0], 1);
       }},
      {"a korone is slid over", [] { PlaceHazard(2, 1); }, false,
       [] { EXPECT_EQ(set_enemy_push_vx[0], 0.0f); }},
      {"needles are slid over", [] { PlaceHazard(4, 1); }, false, [] {}},
      {"a bookshelf stops it", [] { PlaceHazard(3, 1); }, true, [] {}},
      {"an inactive hazard", [] { PlaceHazard(0, 0); }, false, [] {}},
      {"a generator", [] { PlaceGenerator(1); }, true, [] {}},
      {"a gone generator", [] { PlaceGenerator(0); }, false, [] {}},
      {"a movable rock: pushed",
       [] {
         movable_rock_count = 1;
         movable_rock_x[0] = 130.0f;
         movable_rock_y[0] = 100.0f;
       },
       true,
       [] {
         EXPECT_EQ(movable_rock_push_vx[0], 3.0f);
         EXPECT_EQ(movable_rock_pushed[0], 1);
       }},
      {"another floor item: pushed", [] { PutFloorItem(1, 2, 129, 100); }, true,
       [] { EXPECT_EQ(floor_item_x[1], 132.0f) << "pushed before its own step, it moves in it"; }},
      {"a floor item taken or broken",
       [] {
         PutFloorItem(1, 2, 129, 100);
         floor_item_present[1] = 0;
       },
       false, [] {}},
      {"a dropped item: pushed", [] { PutDroppedItem(0, 2, 129, 100); }, true,
       [] { EXPECT_EQ(dropped_item_push_vx[0], 3.0f); }},
      {"a free dropped-item slot",
       [] {
         dropped_item_x[0] = 129.0f;
         dropped_item_y[0] = 100.0f;
       },
       false, [] {}},
  };
  for (const MeetCase& c : cases) {
    StartItems();
    PutFloorItem(0, 0, 100, 100);
    floor_item_push_vx[0] = 3.0f;
    c.place();
    update_floor_items();
    EXPECT_EQ(floor_item_x[0], c.stopped ? 100.0f : 103.0f) << c.name;
    SCOPED_TRACE(c.name);
    c.check();
  }
}

TEST(ItemBodyTest, AnItemPushedThisFramePushesNothing) {
  StartItems();
  PutFloorItem(0, 0, 100, 100);
  floor_item_push_vx[0] = 3.0f;
  floor_item_pushed[0] = 1;
  movable_rock_count = 1;
  movable_rock_x[0] = 130.0f;
  movable_rock_y[0] = 100.0f;
  update_floor_items();
  EXPECT_EQ(floor_item_x[0], 100.0f);
  EXPECT_EQ(movable_rock_push_vx[0], 0.0f);
  EXPECT_EQ(movable_rock_pushed[0], 0);
  EXPECT_EQ(floor_item_pushed[0], 0) << "cleared at the end of its step";
}

TEST(ItemBodyTest, APushFromALaterSlotMovesTheItemOnTheNextFrame) {
  StartItems();
  PutFloorItem(0, 0, 100, 100);
  PutFloorItem(1, 0, 127, 100);
  floor_item_push_vx[1] = -3.0f;
  update_floor_items();
  EXPECT_EQ(floor_item_x[1], 127.0f);
  EXPECT_EQ(floor_item_x[0], 100.0f);
  EXPECT_EQ(floor_item_push_vx[0], -3.0f);
  update_floor_items();
  EXPECT_EQ(floor_item_x[0], 97.0f);
}

// ---- Dropped items --------------------------------------------------------------------------

TEST(DroppedItemsTest, TwoDroppedItemsStopEachOtherAndAFreeSlotIsNoObstacle) {
  StartItems();
  PutDroppedItem(0, 0, 100, 100);
  PutDroppedItem(1, 1, 127, 100);
  dropped_item_push_vx[0] = 3.0f;
  update_dropped_items();
  EXPECT_EQ(dropped_item_x[0], 100.0f);
  EXPECT_EQ(dropped_item_x[1], 130.0f) << "slot 1 takes the push in its own step";
  EXPECT_EQ(dropped_item_pushed[0], 0);
  EXPECT_EQ(dropped_item_pushed[1], 0);

  StartItems();
  PutDroppedItem(0, 0, 100, 100);
  dropped_item_x[1] = 127.0f;
  dropped_item_y[1] = 100.0f;
  dropped_item_push_vx[0] = 3.0f;
  update_dropped_items();
  EXPECT_EQ(dropped_item_x[0], 103.0f);
}

TEST(DroppedItemsTest, ADroppedItemMeetsEveryFloorItemAndRollsOnPushFloors) {
  StartItems();
  PutDroppedItem(0, 0, 100, 100);
  PutFloorItem(0, 2, 129, 100);
  dropped_item_push_vx[0] = 3.0f;
  update_dropped_items();
  EXPECT_EQ(dropped_item_x[0], 100.0f);
  EXPECT_EQ(floor_item_push_vx[0], 3.0f);

  StartItems();
  SetCellColumn(3, 34);  // 3 down along x 96 to 127
  PutDroppedItem(1, 5, 100, 100);
  update_dropped_items();
  EXPECT_EQ(dropped_item_y[1], 103.0f);
}

TEST(DroppedItemsTest, ADroppedItemKillsARollingRock) {
  StartItems();
  PutDroppedItem(0, 0, 100, 100);
  dropped_item_push_vy[0] = 3.0f;
  enemy[5] = Enemy(10, 100.0f, 128.0f);
  update_dropped_items();
  EXPECT_EQ(enemy[5].hp, 0);
  EXPECT_EQ(dropped_item_y[0], 100.0f);
}

TEST(DroppedItemsTest, TwoBreakingInOneFrameRequestOneSound) {
  StartItems();
  load_sounds();  // a handle for every effect
  PutDroppedItem(0, 0, 100, 100, 0);
  PutDroppedItem(1, 1, 300, 100, -3);
  update_dropped_items();
  for (int32_t d = 0; d < 2; ++d) {
    EXPECT_EQ(dropped_item_present[d], 0) << d;
    EXPECT_EQ(dropped_item_vanish[d], 1) << d;
  }
  play_requested_sounds();
  const std::vector<ApiCall> plays = api_fake().Calls("ApiPlaySound");
  ASSERT_EQ(plays.size(), 1u);
  EXPECT_EQ(plays[0].args[0], se_enemy_disappear8);
}

}  // namespace
