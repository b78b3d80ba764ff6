// The item and boss data over api_fake's in-memory files: the files in the
// order they open, item rows and counts, boss rows by their area's place,
// taking an item, and a save round trip through the shell's slot code.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "game/areas/area_table.h"
#include "game/areas/areas.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/support/api_fake/api_fake.h"

namespace {

// The areas in the order their data is read, with their floors and boss
// floors (-1: none).
struct AreaFiles {
  const char* folder;
  int32_t floors;
  int32_t boss_floor;
};
const AreaFiles kReadOrder[] = {
    {"pelune_house", 1, -1}, {"field01", 4, -1},   {"field02", 2, -1},  {"field03", 4, -1},
    {"dansion01", 7, 5},     {"dansion02", 8, 6},  {"dansion02sub", 5, -1},
    {"dansion03", 7, 6},     {"library", 7, 6},    {"dansion05", 9, 8}, {"dansion06", 8, 5},
    {"dansion07", 10, 9},    {"dansion08", 9, 8},  {"dansion09", 10, 9}, {"ending", 1, -1},
};

std::string ItemFile(const AreaFiles& area, int32_t floor) {
  const std::string digit = area.floors == 1 ? "" : std::to_string(floor);
  return std::string("data/mapdata/") + area.folder + "/item_data_" + area.folder + digit + ".csv";
}

std::string BossFile(const AreaFiles& area) {
  return std::string("data/mapdata/") + area.folder + "/boss_data_" + area.folder +
         std::to_string(area.boss_floor) + ".csv";
}

std::vector<std::string> OpenedFiles() {
  std::vector<std::string> paths;
  for (const ApiCall& call : api_fake().Calls("ApiOpenFileForRead")) paths.push_back(call.texts[0]);
  return paths;
}

// Rows 0 of every floor of every area that are marked taken.
int32_t TakenRows() {
  int32_t taken = 0;
  for (const AreaTableRow& area : area_table) {
    for (int32_t floor = 0; floor < area.floors; ++floor) taken += area.item_rows[floor][0].present == 0;
  }
  return taken;
}

class ItemDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    api_fake().Reset();
    reset_game();
  }

  // Every item file holds one row, every boss file a row whose id column is
  // 20 + its place.
  void ServeAll() {
    int32_t place = 0;
    for (const AreaFiles& area : kReadOrder) {
      for (int32_t floor = 0; floor < area.floors; ++floor) {
        api_fake().files[ItemFile(area, floor)] = "1\r\n64,96,1,2,30,13,13\r\n@\r\n";
      }
      if (area.boss_floor >= 0) {
        api_fake().files[BossFile(area)] =
            std::to_string(20 + place++) + ",1,256,128,300,10,12,20,6,6\r\n9,9,9\r\n";
      }
    }
  }
};

// All 92 item files in area order, each boss file right after its boss
// floor's item file (so dansion06's comes between its floors 5 and 6).
TEST_F(ItemDataTest, FilesOpenInAreaOrderWithBossFilesAfterTheirFloor) {
  ServeAll();
  load_item_data();
  std::vector<std::string> expected;
  for (const AreaFiles& area : kReadOrder) {
    for (int32_t floor = 0; floor < area.floors; ++floor) {
      expected.push_back(ItemFile(area, floor));
      if (floor == area.boss_floor) expected.push_back(BossFile(area));
    }
  }
  EXPECT_EQ(expected.size(), 92u + 9u);
  EXPECT_EQ(OpenedFiles(), expected);
  EXPECT_EQ(api_fake().Count("ApiCloseFile"), 101);
}

// Boss rows go by their area's place in the boss-area order, whatever the
// id column says; only the first line of a boss file is read.
TEST_F(ItemDataTest, BossRowsByPlace) {
  ServeAll();
  load_item_data();
  for (int32_t row = 0; row < kBossRowCount; ++row) {
    EXPECT_EQ(boss_data_rows[row].id, 20 + row);
    EXPECT_EQ(boss_data_rows[row].active, 1);
    EXPECT_EQ(boss_data_rows[row].x, 256.0f);
    EXPECT_EQ(boss_data_rows[row].shot_height, 6);
  }
}

TEST_F(ItemDataTest, ItemRowsAndCounts) {
  ServeAll();
  // Partial rows, a count over the table, more rows than the table holds.
  std::string crowded = "40\r\n";
  for (int i = 0; i < 20; ++i) crowded += std::to_string(i) + ",5,1,3,30,13,13\r\n";
  crowded += "@\r\n";
  api_fake().files["data/mapdata/field01/item_data_field012.csv"] = crowded;
  api_fake().files["data/mapdata/field01/item_data_field011.csv"] = "2\r\n12.5,8\r\n\r\n@\r\n";
  item_table_field01[1][0].kind = 77;
  item_table_field01[1][1] = item_data{1.0f, 2.0f, 1, 4, 5, 6, 7};
  api_fake().files.erase("data/mapdata/field01/item_data_field013.csv");
  item_count_field01[3] = 9;
  // An item file without its end line, a boss file that does not open.
  api_fake().files["data/mapdata/ending/item_data_ending.csv"] = "1\r\n64,64,1,7,30,13,13";
  api_fake().files.erase("data/mapdata/library/boss_data_library6.csv");
  boss_data_rows[3] = boss_data{3, 0, 1.0f, 2.0f, 3, 4, 5, 6, 7, 8};

  load_item_data();
  EXPECT_EQ(item_count_field01[0], 1);
  EXPECT_EQ(item_table_field01[0][0].x, 64.0f);
  EXPECT_EQ(item_table_field01[0][0].height, 13);
  EXPECT_EQ(item_count_field01[2], 16);
  EXPECT_EQ(item_table_field01[2][15].x, 15.0f);
  EXPECT_EQ(item_table_field02[0][0].x, 64.0f) << "the next table is not overwritten";
  EXPECT_EQ(item_count_field01[1], 2);
  EXPECT_EQ(item_table_field01[1][0].x, 12.0f);
  EXPECT_EQ(item_table_field01[1][0].y, 8.0f);
  EXPECT_EQ(item_table_field01[1][0].kind, 77) << "a short row keeps the rest";
  EXPECT_EQ(item_table_field01[1][1].kind, 4) << "an empty line takes a row";
  EXPECT_EQ(item_count_field01[3], 0) << "a file that does not open has no items";
  EXPECT_EQ(item_count_ending[0], 1);
  EXPECT_EQ(item_table_ending[0][0].kind, 7);
  EXPECT_EQ(boss_data_rows[3].x, 1.0f);
  EXPECT_EQ(boss_data_rows[3].active, 0);
}

// A taken item is marked in its floor's master row: in the one-floor areas
// always floor 0; nothing for an area, floor or row that does not exist.
TEST_F(ItemDataTest, MarkFloorItemTaken) {
  ServeAll();
  load_item_data();
  struct Case {
    int32_t area, floor, row;
    item_data* marked;  // nullptr: nothing is marked
  };
  const Case cases[] = {
      {2, 3, 0, &item_table_dansion01[3][0]}, {0, 5, 0, &item_table_pelune_house[0][0]},
      {14, 2, 0, &item_table_ending[0][0]},   {13, 9, 0, &item_table_dansion09[9][0]},
      {15, 0, 0, nullptr},                    {1, 4, 0, nullptr},
      {1, 0, 16, nullptr},                    {1, 0, -1, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.area) + "/" + std::to_string(c.floor) + "/" + std::to_string(c.row));
    load_item_data();
    present_map_number = c.area;
    present_map_floor = c.floor;
    mark_floor_item_taken(c.row);
    if (c.marked != nullptr) {
      EXPECT_EQ(c.marked->present, 0);
    }
    EXPECT_EQ(TakenRows(), c.marked != nullptr ? 1 : 0);
  }
}

// A taken row survives a save and a load: going back to the title reads the
// file values again, and restoring the slot takes the row away again.
TEST_F(ItemDataTest, TakenRowSurvivesASaveRoundTrip) {
  std::filesystem::create_directory("patch");
  ServeAll();
  load_item_data();
  player_count = 1;
  present_map_number = 9;  // dansion06
  present_map_floor = 6;
  mark_floor_item_taken(0);
  boss_data_rows[5].active = 0;
  ASSERT_EQ(write_save_slot(2), 1);

  load_item_data();
  EXPECT_EQ(item_table_dansion06[6][0].present, 1);
  EXPECT_EQ(boss_data_rows[5].active, 1);
  read_save_slots();
  restore_save_slot(2);
  EXPECT_EQ(item_table_dansion06[6][0].present, 0);
  EXPECT_EQ(item_table_dansion06[5][0].present, 1);
  EXPECT_EQ(item_table_dansion06[6][0].kind, 2) << "only the present word comes from the slot";
  EXPECT_EQ(boss_data_rows[5].active, 0);
  EXPECT_EQ(boss_data_rows[5].x, 256.0f);
  std::filesystem::remove("patch/save_data2.dat");
}

}  // namespace
