// Every stairs row of the sample data set walked through the game's own
// code: the party waits on the trigger, the map exit loads the destination
// floor, the party stands at its arrival point and touches no stairs there.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

#include "game/areas/area_table.h"
#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/support/api_fake/api_fake.h"
#include "tools/sample_data/sample_data.h"

namespace {

constexpr int kExitWithin = 200;     // frames a wait may take
constexpr int kFramesAfterArrival = 30;

struct StairsRow {
  float x, y;
  int32_t area, floor, arrival_x, arrival_y;
};

class AllStairsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    api_fake().Reset();
    api_fake().files = SampleLevelFiles();
    reset_game();
    load_item_data();
    // Every boss beaten, so the boss rooms' stairs are open.
    for (boss_data& row : boss_data_rows) row.active = 0;
    player_count = 1;
  }

  static void Enter(int32_t area, int32_t floor) {
    present_map_number = area;
    present_map_floor = floor;
    area_entry_request = 1;
    enter_area();
  }

  static void PutPlayerAt(float x, float y) {
    player_data& r = player[0];
    r = player_data{};
    r.character = 0;
    r.alive = 1;
    r.X = x;
    r.Y = y;
    r.width = 12;
    r.height = 12;
    r.hp = 15;
    r.hp_max = 15;
    r.agility_base = 2.2f;
    update_camera();
  }

  static void Frame() {
    update_players();
    update_camera();
    check_map_exit();
  }
};

TEST_F(AllStairsTest, EveryRowLeadsToItsArrivalAndNoArrivalTouchesStairs) {
  int rows_walked = 0;
  for (int32_t area = 0; area < kAreaCount; ++area) {
    for (int32_t floor = 0; floor < area_table[area].floors; ++floor) {
      Enter(area, floor);
      const int32_t count = stairs_count;
      for (int32_t s = 0; s < count; ++s) {
        SCOPED_TRACE(testing::Message() << "area " << area << " floor " << floor << " row " << s);
        Enter(area, floor);
        const StairsRow row = {stairs_x[s],       stairs_y[s],       stairs_to_area[s],
                               stairs_to_floor[s], stairs_to_x[s],   stairs_to_y[s]};
        boss_active = 0;
        remain_item = 0;
        PutPlayerAt(row.x, row.y);
        int frames = 0;
        while (area_entry_request == 0 && frames < kExitWithin) {
          Frame();
          ++frames;
        }
        ASSERT_EQ(area_entry_request, 1) << "no map exit";
        EXPECT_EQ(next_area, row.area);
        EXPECT_EQ(next_floor, row.floor);
        enter_area();
        ASSERT_EQ(area_entry_request, 0);
        EXPECT_EQ(present_map_number, row.area);
        EXPECT_EQ(present_map_floor, row.floor);
        EXPECT_EQ(player[0].X, static_cast<float>(row.arrival_x));
        EXPECT_EQ(player[0].Y, static_cast<float>(row.arrival_y));
        boss_active = 0;
        for (int f = 0; f < kFramesAfterArrival; ++f) Frame();
        EXPECT_EQ(player[0].on_stairs, 0) << "stairs touched on arrival";
        EXPECT_EQ(player[0].alive, 1);
        ++rows_walked;
      }
    }
  }
  EXPECT_GT(rows_walked, 0);
}

}  // namespace
