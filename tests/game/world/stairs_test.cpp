// Stairs and the map exit: the trigger's reach, the destination of the last
// row touched, the boss room's closed stairs, rows leading nowhere, and the
// party's switch to the new floor once everyone has waited or is down.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/support/api_fake/api_fake.h"

namespace {

struct StairsRow {
  float x, y;
  int32_t to_area, to_floor, to_x, to_y, look;
};

// The title reset, an ordinary floor and the given stairs rows; every
// player's body box is the reset's 12 x 12.
void StartFloor(std::vector<StairsRow> rows) {
  api_fake().Reset();
  reset_game();
  map_status = 1;
  area_entry_request = 0;
  stairs_count = static_cast<int32_t>(rows.size());
  for (size_t s = 0; s < rows.size(); ++s) {
    stairs_x[s] = rows[s].x;
    stairs_y[s] = rows[s].y;
    stairs_to_area[s] = rows[s].to_area;
    stairs_to_floor[s] = rows[s].to_floor;
    stairs_to_x[s] = rows[s].to_x;
    stairs_to_y[s] = rows[s].to_y;
    stairs_exit_look[s] = rows[s].look;
  }
}

void Place(int32_t p, float x, float y) {
  player[p].alive = 1;
  player[p].X = x;
  player[p].Y = y;
}

bool Destination(int32_t area, int32_t floor, int32_t x, int32_t y) {
  return next_area == area && next_floor == floor && next_x == x && next_y == y;
}

// ---- touch_stairs ---------------------------------------------------------------------

struct ReachCase {
  float x, y;
  int32_t touched;
};

TEST(TouchStairsTest, ReachesNineteenPixelsOnBothAxesTouchingIncluded) {
  const ReachCase cases[] = {
      {100, 100, 1},   {119, 81, 1},   {81, 119, 1},  {119, 119, 1},
      {119.5f, 100, 0}, {100, 80.9f, 0}, {60, 100, 0},
  };
  for (const ReachCase& c : cases) {
    StartFloor({{100, 100, 2, 3, 400, 500, 1}});
    Place(0, c.x, c.y);
    touch_stairs(0, 0);
    EXPECT_EQ(player[0].on_stairs, c.touched) << c.x << ", " << c.y;
    EXPECT_EQ(se_change_map_request, c.touched) << c.x << ", " << c.y;
    EXPECT_EQ(Destination(2, 3, 400, 500), c.touched == 1) << c.x << ", " << c.y;
    EXPECT_EQ(player[0].stairs_look, c.touched == 1 ? 1 : 0);
  }
}

TEST(TouchStairsTest, ASecondTouchWhileOnStairsChangesNothing) {
  StartFloor({{100, 100, 2, 3, 400, 500, 1}, {110, 100, 4, 1, 64, 64, 0}});
  Place(0, 100, 100);
  player[0].stairs_counter = 37;
  touch_stairs(0, 0);
  se_change_map_request = 0;
  touch_stairs(0, 1);
  touch_stairs(0, 0);
  EXPECT_TRUE(Destination(2, 3, 400, 500));
  EXPECT_EQ(player[0].stairs_look, 1);
  EXPECT_EQ(player[0].stairs_counter, 37);
  EXPECT_EQ(se_change_map_request, 0);
}

TEST(TouchStairsTest, TheLastRowTouchedByAnyoneDecidesTheDestination) {
  StartFloor({{100, 100, 2, 3, 400, 500, 1}, {300, 100, 4, 1, 64, 96, 0}});
  player_count = 2;
  Place(0, 100, 100);
  Place(1, 300, 100);
  touch_stairs(0, 0);
  touch_stairs(1, 1);
  EXPECT_EQ(player[0].on_stairs, 1);
  EXPECT_EQ(player[1].on_stairs, 1);
  EXPECT_EQ(player[0].stairs_look, 1);
  EXPECT_EQ(player[1].stairs_look, 0);
  EXPECT_TRUE(Destination(4, 1, 64, 96));
}

struct BossRoomCase {
  const char* name;
  int32_t map_status, boss_active, remain_item;
  int32_t touched;
};

TEST(TouchStairsTest, ABossRoomsStairsOpenOnceTheBossIsBeatenAndEveryCrystalTaken) {
  const BossRoomCase cases[] = {
      {"boss fighting", 2, 1, 0, 0},
      {"beaten, a crystal left", 2, 0, 1, 0},
      {"beaten and cleared", 2, 0, 0, 1},
      {"an ordinary floor ignores the boss values", 1, 1, 3, 1},
  };
  for (const BossRoomCase& c : cases) {
    StartFloor({{100, 100, 2, 3, 400, 500, 1}});
    map_status = c.map_status;
    boss_active = c.boss_active;
    remain_item = c.remain_item;
    Place(0, 100, 100);
    touch_stairs(0, 0);
    EXPECT_EQ(player[0].on_stairs, c.touched) << c.name;
  }
}

struct NowhereCase {
  int32_t area, floor;
  int32_t touched;
};

TEST(TouchStairsTest, ARowLeadingNowhereIsNoTrigger) {
  const NowhereCase cases[] = {
      {15, 0, 0}, {-1, 0, 0}, {1, 4, 0},  {1, -1, 0}, {0, 1, 0},
      {1, 3, 1},  {0, 0, 1},  {13, 9, 1}, {14, 0, 1}, {12, 8, 1},
  };
  for (const NowhereCase& c : cases) {
    StartFloor({{100, 100, c.area, c.floor, 400, 500, 1}});
    Place(0, 100, 100);
    touch_stairs(0, 0);
    EXPECT_EQ(player[0].on_stairs, c.touched) << "area " << c.area << " floor " << c.floor;
    EXPECT_EQ(se_change_map_request, c.touched) << "area " << c.area << " floor " << c.floor;
  }
}

// ---- check_map_exit ------------------------------------------------------------------

enum class State { kWaited, kWaiting, kWalking, kDown, kDownOnStairs };

void SetState(int32_t p, State state) {
  player_data& r = player[p];
  r.alive = (state == State::kDown || state == State::kDownOnStairs) ? 0 : 1;
  r.on_stairs = (state == State::kWalking || state == State::kDown) ? 0 : 1;
  r.stairs_counter = state == State::kWaited || state == State::kDownOnStairs ? 120
                     : state == State::kWaiting                                ? 119
                                                                               : 0;
}

struct ExitCase {
  const char* name;
  std::vector<State> party;
  bool switches;
};

TEST(CheckMapExitTest, TheSwitchWaitsForEveryPlayerWhoIsUp) {
  const ExitCase cases[] = {
      {"one player waited", {State::kWaited}, true},
      {"one player still waiting", {State::kWaiting}, false},
      {"one player down on stairs: alive not looked at", {State::kDownOnStairs}, true},
      {"one player down off the stairs", {State::kDown}, false},
      {"two waited", {State::kWaited, State::kWaited}, true},
      {"one waited, one walking", {State::kWaited, State::kWalking}, false},
      {"one waited, one down", {State::kWaited, State::kDown}, true},
      {"three: waited, down, walking", {State::kWaited, State::kDown, State::kWalking}, false},
      {"three: waited, down, waiting", {State::kWaited, State::kDown, State::kWaiting}, false},
      {"three: waited, down, waited", {State::kWaited, State::kDown, State::kWaited}, true},
      {"everyone down, some on stairs",
       {State::kDownOnStairs, State::kDown, State::kDownOnStairs, State::kDown}, false},
      {"four waited", {State::kWaited, State::kWaited, State::kWaited, State::kWaited}, true},
  };
  for (const ExitCase& c : cases) {
    StartFloor({});
    player_count = static_cast<int32_t>(c.party.size());
    for (size_t p = 0; p < c.party.size(); ++p) SetState(static_cast<int32_t>(p), c.party[p]);
    next_area = 5;
    next_floor = 1;
    check_map_exit();
    EXPECT_EQ(area_entry_request, c.switches ? 1 : 0) << c.name;
    EXPECT_EQ(present_map_number, c.switches ? 5 : 0) << c.name;
    EXPECT_EQ(api_fake().Count("ApiStopSound"), c.switches ? 1 : 0) << c.name;
  }
}

TEST(CheckMapExitTest, TheSwitchPlacesThePartyOnTheArrivalSquare) {
  StartFloor({});
  player_count = 3;
  SetState(0, State::kWaited);
  SetState(1, State::kDown);
  SetState(2, State::kWaited);
  for (int32_t p = 0; p < 4; ++p) {
    player[p].vx = 1.5f;
    player[p].vy = -2.0f;
  }
  // Beyond the party: left alone.
  player[3].on_stairs = 1;
  player[3].stairs_counter = 300;
  player[3].X = 7.0f;
  camera_anchor_x[3] = 77;
  next_area = 4;
  next_floor = 2;
  next_x = 300;
  next_y = 200;

  check_map_exit();

  EXPECT_EQ(present_map_number, 4);
  EXPECT_EQ(present_map_floor, 2);
  EXPECT_EQ(area_entry_request, 1);
  EXPECT_EQ(fade_counter, 1);
  const std::vector<ApiCall> stops = api_fake().Calls("ApiStopSound");
  ASSERT_EQ(stops.size(), 1u);
  EXPECT_EQ(stops[0].args[0], se_win);
  const float places[3][2] = {{300, 200}, {332, 200}, {300, 232}};
  for (int32_t p = 0; p < 3; ++p) {
    EXPECT_EQ(player[p].X, places[p][0]) << p;
    EXPECT_EQ(player[p].Y, places[p][1]) << p;
    EXPECT_EQ(player[p].on_stairs, 0) << p;
    EXPECT_EQ(player[p].stairs_counter, 0) << p;
    EXPECT_EQ(player[p].vx, 0.0f) << p;
    EXPECT_EQ(player[p].vy, 0.0f) << p;
    EXPECT_EQ(camera_anchor_x[p], static_cast<int32_t>(places[p][0])) << p;
    EXPECT_EQ(camera_anchor_y[p], static_cast<int32_t>(places[p][1])) << p;
  }
  EXPECT_EQ(player[1].alive, 0) << "the downed player arrives still down";
  EXPECT_EQ(player[3].on_stairs, 1);
  EXPECT_EQ(player[3].stairs_counter, 300);
  EXPECT_EQ(player[3].X, 7.0f);
  EXPECT_EQ(player[3].vx, 1.5f);
  EXPECT_EQ(camera_anchor_x[3], 77);
}

TEST(CheckMapExitTest, ALonePlayersCameraAnchorIsLeftToTheCamera) {
  StartFloor({});
  player_count = 1;
  SetState(0, State::kWaited);
  camera_anchor_x[0] = 11;
  camera_anchor_y[0] = 22;
  next_x = 300;
  next_y = 200;
  check_map_exit();
  EXPECT_EQ(player[0].X, 300.0f);
  EXPECT_EQ(camera_anchor_x[0], 11);
  EXPECT_EQ(camera_anchor_y[0], 22);

  // The fourth player of four arrives below right.
  StartFloor({});
  player_count = 4;
  for (int32_t p = 0; p < 4; ++p) SetState(p, State::kWaited);
  next_x = 300;
  next_y = 200;
  check_map_exit();
  EXPECT_EQ(player[3].X, 332.0f);
  EXPECT_EQ(player[3].Y, 232.0f);
  EXPECT_EQ(camera_anchor_x[3], 332);
  EXPECT_EQ(camera_anchor_y[3], 232);
}

}  // namespace
