// Level files of tests/fixtures/bad-input among the sample set's, over
// api_fake's in-memory files: positions far beyond any map are held at
// kPositionLimit by every reader (rocks, generators, placed hazards, items,
// stairs, boss rows), in-range positions are read as they are, and a floor
// entered with such a boss is played without a fault (the sanitizer build
// stopped there before).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/shell/shell.h"
#include "game/world/positions.h"
#include "game/world/world.h"
#include "tests/support/api_fake/api_fake.h"
#include "tests/support/bad_input.h"
#include "tools/sample_data/sample_data.h"

namespace {

constexpr float kLimit = static_cast<float>(kPositionLimit);
constexpr int32_t kDansion01 = 2;
constexpr int32_t kBossFloor = 5;
constexpr const char* kBossFile = "data/mapdata/dansion01/boss_data_dansion015.csv";
constexpr const char* kHouseStairs = "data/mapdata/pelune_house/stairs_data_pelune_house.csv";

std::string BadInputText(const char* name) {
  const std::vector<uint8_t> bytes = ReadBadInput(name);
  EXPECT_FALSE(bytes.empty()) << name;
  return std::string(bytes.begin(), bytes.end());
}

class BadLevelFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    api_fake().Reset();
    api_fake().files = SampleLevelFiles();
    reset_game();
    for (player_data& record : player) record = player_data{};
  }

  // Reads the item and boss files, then enters the floor.
  void Enter(int32_t area, int32_t floor) {
    load_item_data();
    present_map_number = area;
    present_map_floor = floor;
    area_entry_request = 1;
    enter_area();
  }
};

struct HeldCase {
  const char* name;
  const char* fixture;  // a file of tests/fixtures/bad-input
  const char* served_as;
  int32_t floor;  // of dansion01
  float (*x)();
  float (*y)();
  float expected_x, expected_y;
};

TEST_F(BadLevelFilesTest, PositionsBeyondTheLimitAreHeldAtIt) {
  const HeldCase cases[] = {
      {"a rock x of 99999999999", "rock-data-huge-x.csv",
       "data/mapdata/dansion01/rock_data_dansion010.csv", 0, [] { return movable_rock_x[0]; },
       [] { return movable_rock_y[0]; }, kLimit, 160.0f},
      {"the rock's home", "rock-data-huge-x.csv", "data/mapdata/dansion01/rock_data_dansion010.csv",
       0, [] { return movable_rock_home_x[0]; }, [] { return movable_rock_home_y[0]; }, kLimit,
       160.0f},
      {"the same row as a generator", "rock-data-huge-x.csv",
       "data/mapdata/dansion01/generator_data_dansion010.csv", 0, [] { return generator_x[0]; },
       [] { return generator_y[0]; }, kLimit, 160.0f},
      {"the same row as a placed hazard", "rock-data-huge-x.csv",
       "data/mapdata/dansion01/set_enemy_data_dansion010.csv", 0,
       [] { return set_enemy_home_x[0]; }, [] { return set_enemy_y[0]; }, kLimit, 160.0f},
      {"the same row as an item", "rock-data-huge-x.csv",
       "data/mapdata/dansion01/item_data_dansion010.csv", 0, [] { return floor_item_x[0]; },
       [] { return floor_item_y[0]; }, kLimit, 160.0f},
      {"a boss x of 99999999999", "boss-data-huge-x.csv", kBossFile, kBossFloor,
       [] { return boss_x; }, [] { return boss_y; }, kLimit, 128.0f},
      {"a boss x and y of -2147483520", "boss-data-negative-x.csv", kBossFile, kBossFloor,
       [] { return boss_x; }, [] { return boss_y; }, -kLimit, -kLimit},
  };
  for (const HeldCase& c : cases) {
    SetUp();
    api_fake().files[c.served_as] = BadInputText(c.fixture);
    Enter(kDansion01, c.floor);
    EXPECT_EQ(c.x(), c.expected_x) << c.name;
    EXPECT_EQ(c.y(), c.expected_y) << c.name;
  }
}

TEST_F(BadLevelFilesTest, StairsArrivalsAreHeldAndInRangeOnesKept) {
  // The house's stairs of the fixture lead to dansion01's boss floor.
  api_fake().files[kHouseStairs] = BadInputText("stairs-data-house-to-boss-room.csv");
  Enter(0, 0);
  ASSERT_EQ(stairs_count, 1);
  EXPECT_EQ(stairs_x[0], 400.0f);
  EXPECT_EQ(stairs_y[0], 304.0f);
  EXPECT_EQ(stairs_to_area[0], kDansion01);
  EXPECT_EQ(stairs_to_floor[0], kBossFloor);
  EXPECT_EQ(stairs_to_x[0], 240);
  EXPECT_EQ(stairs_to_y[0], 432);

  SetUp();
  api_fake().files[kHouseStairs] =
      "2\r\n99999999999,-99999999999,2,5,99999999999,-2147483520,0\r\n"
      "16777216,-16777216,2,5,-16777216,16777216,0\r\n@\r\n";
  Enter(0, 0);
  ASSERT_EQ(stairs_count, 2);
  EXPECT_EQ(stairs_x[0], kLimit);
  EXPECT_EQ(stairs_y[0], -kLimit);
  EXPECT_EQ(stairs_to_x[0], kPositionLimit);
  EXPECT_EQ(stairs_to_y[0], -kPositionLimit);
  // The limit itself is a position like any other.
  EXPECT_EQ(stairs_x[1], kLimit);
  EXPECT_EQ(stairs_y[1], -kLimit);
  EXPECT_EQ(stairs_to_x[1], -kPositionLimit);
  EXPECT_EQ(stairs_to_y[1], kPositionLimit);
}

// Two players of the two characters near the boss room's entry, shooting
// every other frame while they walk, for 300 frames of the frame loop.
void PlayTheFloor() {
  player_count = 2;
  for (int32_t p = 0; p < 2; ++p) {
    player_data& record = player[p];
    record.character = p;
    record.alive = 1;
    record.level = 1;
    record.X = 240.0f + 32.0f * static_cast<float>(p);
    record.Y = 432.0f;
    record.hp_max = record.hp = 200;
    record.agility_base = 2.0f;
    record.attack_base = 8;
    record.shot_width = record.shot_height = 6;
    for (int32_t a = 0; a < 5; ++a) record.action_button[a] = a;
  }
  game_status = kStatusPlay;
  constexpr int kFrames = 300;
  const int end = api_fake().frame + kFrames;
  api_fake().process_message = [end](int frame) { return frame >= end ? -1 : 0; };
  api_fake().pad_input = [](int32_t, int frame) {
    constexpr int32_t kUp = 0x8, kShot = 0x10;
    return frame % 2 == 1 ? kUp | kShot : 0;
  };
  main_loop();
  api_fake().process_message = nullptr;
  api_fake().pad_input = nullptr;
}

TEST_F(BadLevelFilesTest, TheBossFloorIsPlayedWithAFarBoss) {
  for (const char* fixture : {"boss-data-huge-x.csv", "boss-data-negative-x.csv"}) {
    SetUp();
    api_fake().files[kBossFile] = BadInputText(fixture);
    Enter(kDansion01, kBossFloor);
    ASSERT_EQ(map_status, 2) << fixture;
    PlayTheFloor();
    EXPECT_GE(api_fake().frame, 300) << fixture;
    EXPECT_EQ(present_map_number, kDansion01) << fixture;
    // The boss keeps a position that every conversion can take.
    EXPECT_LE(std::fabs(boss_x), 2.0f * kLimit) << fixture;
    EXPECT_LE(std::fabs(boss_y), 2.0f * kLimit) << fixture;
  }
}

}  // namespace
