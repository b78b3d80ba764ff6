// Area entry and the fifteen area loaders over api_fake's in-memory files:
// what entry clears and keeps, the files each loader opens and in what
// order, music and death values by area and floor, boss floors, patch maps,
// moving blocks, the ending, and the floors that do not exist.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/enemies/enemies.h"
#include "game/scenes/scenes.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/support/api_fake/api_fake.h"

namespace {

// The five files of a floor, in the order a loader opens them; `floor` is ""
// in the one-floor areas.
std::vector<std::string> FloorFiles(const std::string& folder, const std::string& floor) {
  const std::string dir = "data/mapdata/" + folder + "/";
  return {dir + "BRIMAL_" + folder + floor + ".csv", dir + "stairs_data_" + folder + floor + ".csv",
          dir + "generator_data_" + folder + floor + ".csv",
          dir + "set_enemy_data_" + folder + floor + ".csv",
          dir + "rock_data_" + folder + floor + ".csv"};
}

// Small files for a floor: a 2 x 2 map whose ground row 0 is (tag, tag),
// one stairs row, one generator row with an interval column of 40, one
// hazard row and one rock row.
void ServeFloor(const std::string& folder, const std::string& floor, int tag = 5) {
  const std::vector<std::string> files = FloorFiles(folder, floor);
  const std::string t = std::to_string(tag);
  auto& served = api_fake().files;
  served[files[0]] = "2,2\r\n" + t + "," + t + "\r\n6,6\r\n\r\n255,255\r\n255,255\r\n\r\n9,9\r\n9,9\r\n";
  served[files[1]] = "1\r\n10,20,3,4,50,60,1\r\n@\r\n";
  served[files[2]] = "1\r\n100,200,1,5,30,40\r\n@\r\n";
  served[files[3]] = "1\r\n320,96,1,3,10,16,16,0,0\r\n@\r\n";
  served[files[4]] = "1\r\n64,96\r\n@\r\n";
}

std::vector<std::string> OpenedFiles() {
  std::vector<std::string> paths;
  for (const ApiCall& call : api_fake().Calls("ApiOpenFileForRead")) paths.push_back(call.texts[0]);
  return paths;
}

class AreaEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    api_fake().Reset();
    reset_game();
    player_count = 1;
    death_appear_time = death_hp = death_attack = -1;
  }

  void Enter(int32_t area, int32_t floor) {
    present_map_number = area;
    present_map_floor = floor;
    area_entry_request = 1;
    enter_area();
  }
};

// ---- The loaders, one case per area and the floors that differ ------------------------

struct LoaderCase {
  const char* name;
  int32_t area;
  int32_t floor;
  const char* folder;
  const char* floor_text;  // "" in the one-floor areas
  int32_t music;
  int32_t death_time, death_hp, death_attack;
  int32_t map_status;
  const char* patch;  // "" when the floor has none
};

const LoaderCase kLoaderCases[] = {
    {"pelune_house", 0, 0, "pelune_house", "", 2, 10000, 1, 1, 1, ""},
    {"field01", 1, 2, "field01", "2", 3, 7200, 100, 30, 1, ""},
    {"dansion01_boss", 2, 5, "dansion01", "5", 4, 7200, 100, 30, 2, ""},
    {"dansion02_floor0", 3, 0, "dansion02", "0", 6, 12000, 100, 50, 1, ""},
    {"dansion02_floor3", 3, 3, "dansion02", "3", 6, 7200, 100, 50, 1, ""},
    {"dansion02_floor7", 3, 7, "dansion02", "7", 6, 10000, 100, 50, 1, ""},
    {"dansion02sub_patch", 4, 3, "dansion02sub", "3", 4, 7200, 100, 50, 1,
     "patch/patch_data/BRIMAL_dansion02sub3b.csv"},
    {"dansion02sub_floor4_patch", 4, 4, "dansion02sub", "4", 4, 7200, 100, 50, 1,
     "patch/patch_data/BRIMAL_dansion02sub4b.csv"},
    {"field02_patch", 5, 1, "field02", "1", 3, 7200, 100, 50, 1,
     "patch/patch_data/BRIMAL_filed021b.csv"},
    {"dansion03", 6, 2, "dansion03", "2", 8, 9000, 120, 80, 1, ""},
    {"library", 7, 5, "library", "5", 10, 19000, 120, 80, 1, ""},
    {"dansion05_floor2", 8, 2, "dansion05", "2", 12, 8000, 120, 90, 1, ""},
    {"dansion05_floor3", 8, 3, "dansion05", "3", 12, 10000, 120, 90, 1, ""},
    {"dansion05_floor5", 8, 5, "dansion05", "5", 12, 7200, 120, 90, 1, ""},
    {"dansion06", 9, 3, "dansion06", "3", 14, 10000, 130, 90, 1, ""},
    {"field03", 10, 3, "field03", "3", 3, 7200, 140, 100, 1, ""},
    {"dansion07_boss", 11, 9, "dansion07", "9", 16, 7200, 140, 100, 2, ""},
    {"dansion07_patch", 11, 4, "dansion07", "4", 16, 7200, 140, 100, 1,
     "patch/patch_data/BRIMAL_dansion074b.csv"},
    {"dansion08_floor0_patch", 12, 0, "dansion08", "0", 18, 2500, 150, 100, 1,
     "patch/patch_data/BRIMAL_dansion080b.csv"},
    {"dansion09", 13, 6, "dansion09", "6", 20, 7200, 160, 110, 1, ""},
    {"dansion09_patch", 13, 0, "dansion09", "0", 20, 7200, 160, 110, 1,
     "patch/patch_data/BRIMAL_dansion090b.csv"},
    {"ending", 14, 0, "ending", "", 100, 7200, 1, 1, 1, ""},
};

class LoaderTest : public AreaEntryTest, public ::testing::WithParamInterface<LoaderCase> {};

TEST_P(LoaderTest, OpensTheFloorFilesAndSetsTheFloorValues) {
  const LoaderCase& c = GetParam();
  ServeFloor(c.folder, c.floor_text);
  std::vector<std::string> expected = FloorFiles(c.folder, c.floor_text);
  if (std::string(c.patch).empty()) {
    // The patch map of another floor must not be read here.
  } else {
    api_fake().files[c.patch] = "1,1\r\n77\r\n\r\n255\r\n\r\n9\r\n";
    expected.push_back(c.patch);
  }
  Enter(c.area, c.floor);

  EXPECT_EQ(OpenedFiles(), expected);
  EXPECT_EQ(api_fake().Count("ApiCloseFile"), static_cast<int>(expected.size()));
  EXPECT_EQ(music_request, c.music);
  EXPECT_EQ(death_appear_time, c.death_time);
  EXPECT_EQ(death_hp, c.death_hp);
  EXPECT_EQ(death_attack, c.death_attack);
  EXPECT_EQ(map_status, c.map_status);
  EXPECT_EQ(area_entry_request, 0);
  // The patch map replaces the floor's own map where it reaches.
  EXPECT_EQ(map_chip_layer[0][0], std::string(c.patch).empty() ? 5 : 77);
  EXPECT_EQ(map_width, std::string(c.patch).empty() ? 2 : 1);
  // The row files of the floor.
  EXPECT_EQ(stairs_count, 1);
  EXPECT_EQ(stairs_x[0], 10.0f);
  EXPECT_EQ(stairs_to_area[0], 3);
  EXPECT_EQ(stairs_exit_look[0], 1);
  EXPECT_EQ(generator_count, 1);
  EXPECT_EQ(generator_kind[0], 5);
  EXPECT_EQ(set_enemy_count, 1);
  EXPECT_EQ(set_enemy_kind[0], 3);
  EXPECT_EQ(movable_rock_count, 1);
  EXPECT_EQ(movable_rock_home_y[0], 96.0f);
  EXPECT_EQ(movable_rock_y[0], 96.0f);
}

INSTANTIATE_TEST_SUITE_P(Areas, LoaderTest, ::testing::ValuesIn(kLoaderCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Every slot of area_loaders loads its own area.
TEST_F(AreaEntryTest, EachLoaderSlotReadsItsArea) {
  const char* const folders[kAreaCount] = {
      "pelune_house", "field01",   "dansion01", "dansion02", "dansion02sub",
      "field02",      "dansion03", "library",   "dansion05", "dansion06",
      "field03",      "dansion07", "dansion08", "dansion09", "ending"};
  for (int32_t area = 0; area < kAreaCount; ++area) {
    SCOPED_TRACE(folders[area]);
    api_fake().Reset();
    present_map_floor = 0;
    area_loaders[area]();
    const std::vector<std::string> opened = OpenedFiles();
    ASSERT_FALSE(opened.empty());
    const bool one_floor = area == 0 || area == 14;
    EXPECT_EQ(opened[0], FloorFiles(folders[area], one_floor ? "" : "0")[0]);
  }
}

// ---- Floors that differ ----------------------------------------------------------------

TEST_F(AreaEntryTest, BossFloorCopiesTheRowAndPlacesTheKeyboard) {
  ServeFloor("dansion07", "9");
  boss_data_rows[6] = boss_data{6, 1, 320.0f, 160.0f, 700, 12, 14, 22, 5, 6};
  Enter(11, 9);
  EXPECT_EQ(map_status, 2);
  EXPECT_EQ(boss_id, 6);
  EXPECT_EQ(boss_active, 1);
  EXPECT_EQ(boss_x, 320.0f);
  EXPECT_EQ(boss_y, 160.0f);
  EXPECT_EQ(present_bossHP, 700);
  EXPECT_EQ(boss_attack, 12);
  EXPECT_EQ(boss_width, 14);
  EXPECT_EQ(boss_height, 22);
  EXPECT_EQ(boss_shot_width, 5);
  EXPECT_EQ(boss_shot_height, 6);
  EXPECT_EQ(boss_part_x, 285.0f);
  EXPECT_EQ(boss_part_y, 160.0f);
}

// A beaten boss's room is still a boss floor; the keyboard is placed in
// dansion07 alone, and no other boss state is reset.
TEST_F(AreaEntryTest, BeatenBossRowStillGivesABossFloor) {
  ServeFloor("dansion03", "6");
  boss_data_rows[2] = boss_data{2, 0, 200.0f, 100.0f, 0, 9, 12, 20, 6, 6};
  boss_part_x = 1.0f;
  boss_p_cnt = 33;
  boss_hit = 5;
  boss_anim = 40;
  Enter(6, 6);
  EXPECT_EQ(map_status, 2);
  EXPECT_EQ(boss_active, 0);
  EXPECT_EQ(boss_x, 200.0f);
  EXPECT_EQ(boss_part_x, 1.0f);
  EXPECT_EQ(boss_p_cnt, 33);
  EXPECT_EQ(boss_hit, 0);
  EXPECT_EQ(boss_anim, 0);
}

TEST_F(AreaEntryTest, BossValuesStayOnOrdinaryFloors) {
  ServeFloor("dansion03", "5");
  boss_data_rows[2] = boss_data{2, 1, 200.0f, 100.0f, 150, 9, 12, 20, 6, 6};
  boss_x = 3.0f;
  Enter(6, 5);
  EXPECT_EQ(map_status, 1);
  EXPECT_EQ(boss_x, 3.0f);
}

// The ending's loader starts the ending scene before it opens any file.
TEST_F(AreaEntryTest, EndingStartsItsSceneBeforeAnyFileOpens) {
  ServeFloor("ending", "");
  game_status = kStatusPlay;
  std::vector<std::pair<int32_t, int32_t>> state_at_open;
  api_fake().on_open_file = [&](const std::string&) {
    state_at_open.emplace_back(game_status, scene_number);
  };
  Enter(14, 0);
  ASSERT_EQ(state_at_open.size(), 5u);
  EXPECT_EQ(state_at_open[0], std::make_pair(22, 118));
  EXPECT_EQ(music_request, 100);
}

// The one-floor areas' loaders read nothing on another floor number; area
// entry does not even call them there.
TEST_F(AreaEntryTest, OneFloorAreasReadNothingOnFloorOne) {
  ServeFloor("pelune_house", "");
  ServeFloor("ending", "");
  present_map_floor = 1;
  area_entry_request = 1;
  load_area_pelune_house();
  EXPECT_EQ(api_fake().Count("ApiOpenFileForRead"), 0);
  EXPECT_EQ(music_request, 2);
  EXPECT_EQ(area_entry_request, 0);
  EXPECT_EQ(death_appear_time, -1);

  load_area_ending();
  EXPECT_EQ(api_fake().Count("ApiOpenFileForRead"), 0);
  EXPECT_EQ(game_status, 22);
  EXPECT_EQ(scene_number, 118);
  EXPECT_EQ(music_request, 100);

  music_request = 0;
  Enter(0, 1);
  EXPECT_EQ(api_fake().Count("ApiOpenFileForRead"), 0);
  EXPECT_EQ(music_request, 0) << "entry refuses the floor before any loader runs";
  EXPECT_EQ(area_entry_request, 0);
}

// dansion09 places its blocks before the map; floor 0 has none whatever the
// floor before held.
TEST_F(AreaEntryTest, MovingBlocksOfDansion09) {
  struct Case {
    int32_t floor;
    int32_t count;
    float x0, y0, x1, y1;
  };
  const Case cases[] = {{3, 2, 304.0f, 368.0f, 1520.0f, 368.0f},
                        {6, 1, 656.0f, 784.0f, 0, 0},
                        {7, 1, 912.0f, 208.0f, 0, 0},
                        {8, 0, 0, 0, 0, 0},
                        {0, 0, 0, 0, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.floor);
    ServeFloor("dansion09", std::to_string(c.floor));
    moving_block_count = 2;
    for (moving_block_data& block : moving_block) block = moving_block_data{1.0f, 1.0f, 4, 99};
    Enter(13, c.floor);
    EXPECT_EQ(moving_block_count, c.count);
    if (c.count >= 1) {
      EXPECT_EQ(moving_block[0].x, c.x0);
      EXPECT_EQ(moving_block[0].y, c.y0);
      EXPECT_EQ(moving_block[0].direction, 255);
      EXPECT_EQ(moving_block[0].timer, 0);
    }
    if (c.count == 2) {
      EXPECT_EQ(moving_block[1].x, c.x1);
      EXPECT_EQ(moving_block[1].y, c.y1);
      EXPECT_EQ(moving_block[1].direction, 255);
    }
  }
}

// The sixth generator column is read in dansion07 to dansion09 only;
// elsewhere the interval is area entry's 126.
TEST_F(AreaEntryTest, GeneratorIntervalColumn) {
  ServeFloor("field03", "1");
  ServeFloor("dansion07", "1");
  generator_interval[0] = 5;
  Enter(10, 1);
  EXPECT_EQ(generator_interval[0], 126);
  EXPECT_EQ(generator_hp[0], 30);
  Enter(11, 1);
  EXPECT_EQ(generator_interval[0], 40);
}

// The file position goes to both copies of a hazard's position, in the
// one-floor areas only to the current one.
TEST_F(AreaEntryTest, HazardPositionsAndTheirHomeCopies) {
  ServeFloor("dansion03", "1");
  ServeFloor("pelune_house", "");
  Enter(6, 1);
  EXPECT_EQ(set_enemy_home_x[0], 320.0f);
  EXPECT_EQ(set_enemy_x[0], 320.0f);
  EXPECT_EQ(set_enemy_home_y[0], 96.0f);
  EXPECT_EQ(set_enemy_y[0], 96.0f);
  set_enemy_home_x[0] = 11.0f;
  set_enemy_home_y[0] = 12.0f;
  Enter(0, 0);
  EXPECT_EQ(set_enemy_x[0], 320.0f);
  EXPECT_EQ(set_enemy_home_x[0], 11.0f);
  EXPECT_EQ(set_enemy_home_y[0], 12.0f);
}

// The floor's item rows are copied word for word up to the count; the slots
// above it stay absent from area entry.
TEST_F(AreaEntryTest, FloorItemsUpToTheCount) {
  ServeFloor("field02", "0");
  item_count_field02[0] = 2;
  for (int i = 0; i < 3; ++i) item_table_field02[0][i] = item_data{100.0f + i, 50.0f, 1, i, 30, 13, 13};
  item_table_field02[0][1].present = 0;
  for (int i = 0; i < kFloorItemSlots; ++i) floor_item_present[i] = 1;
  floor_item_kind[2] = 44;
  Enter(5, 0);
  EXPECT_EQ(floor_item_count, 2);
  EXPECT_EQ(floor_item_x[0], 100.0f);
  EXPECT_EQ(floor_item_present[0], 1);
  EXPECT_EQ(floor_item_present[1], 0) << "a taken row comes back taken";
  EXPECT_EQ(floor_item_kind[1], 1);
  EXPECT_EQ(floor_item_width[1], 13);
  EXPECT_EQ(floor_item_present[2], 0);
  EXPECT_EQ(floor_item_kind[2], 44) << "slots above the count are not copied";
}

// The patch map replaces the floor's map only where its own width and
// height reach.
TEST_F(AreaEntryTest, PatchMapKeepsTheCellsOutsideIt) {
  ServeFloor("field02", "1");
  api_fake().files["patch/patch_data/BRIMAL_filed021b.csv"] = "1,1\r\n77\r\n\r\n255\r\n\r\n3\r\n";
  Enter(5, 1);
  EXPECT_EQ(map_width, 1);
  EXPECT_EQ(map_height_px, 32);
  EXPECT_EQ(map_chip_layer[0][0], 77);
  EXPECT_EQ(map_cell[0][0], 3);
  EXPECT_EQ(map_chip_layer[0][1], 5);
  EXPECT_EQ(map_chip_layer[1][0], 6);
  EXPECT_EQ(map_cell[1][1], 9);
}

// ---- What entry clears and keeps --------------------------------------------------------

TEST_F(AreaEntryTest, ClearsOnlyTheFloorsRunTimeState) {
  ServeFloor("field01", "1");
  player_count = 2;
  for (player_data& record : player) record.shot_state[0] = record.shot_state[1] = 1;
  for (enemy_data& record : enemy) {
    record.alive = 1;
    record.shot_state = 1;
    record.shot_fade_state = 1;
  }
  enemy[3].dying = 12;
  set_enemy_death_fade[4] = 9;
  set_enemy_cell[4] = 3;
  set_enemy_hit_blink[4] = 2;
  floor_item_anim[2] = 50;
  floor_item_hit_blink[2] = 3;
  floor_item_vanish[2] = 7;
  dropped_item_present[1] = 1;
  dropped_item_anim[1] = 8;
  dropped_item_vanish[1] = 4;
  generator_counter[10] = 90;
  generator_hit_blink[10] = 2;
  generator_death_fade[10] = 5;
  generator_interval[10] = 30;
  boss_hit = 4;
  boss_anim = 33;
  boss_defeat_counter = 20;
  death_appear_counter = 999;

  Enter(1, 1);
  EXPECT_EQ(player[0].shot_state[0], 0);
  EXPECT_EQ(player[1].shot_state[1], 0);
  EXPECT_EQ(player[2].shot_state[0], 1) << "records beyond the party keep their shots";
  EXPECT_EQ(player[3].shot_state[1], 1);
  EXPECT_EQ(enemy[3].alive, 0);
  EXPECT_EQ(enemy[3].shot_state, 0);
  EXPECT_EQ(enemy[3].dying, 12) << "a running death fade finishes on the new floor";
  EXPECT_EQ(enemy[3].shot_fade_state, 1);
  EXPECT_EQ(set_enemy_cell[4], 0);
  EXPECT_EQ(set_enemy_hit_blink[4], 0);
  EXPECT_EQ(set_enemy_death_fade[4], 9);
  EXPECT_EQ(floor_item_anim[2], 0);
  EXPECT_EQ(floor_item_hit_blink[2], 0);
  EXPECT_EQ(floor_item_vanish[2], 7);
  EXPECT_EQ(dropped_item_present[1], 0);
  EXPECT_EQ(dropped_item_anim[1], 0);
  EXPECT_EQ(dropped_item_vanish[1], 4);
  EXPECT_EQ(generator_counter[10], 0);
  EXPECT_EQ(generator_hit_blink[10], 0);
  EXPECT_EQ(generator_death_fade[10], 5);
  EXPECT_EQ(generator_interval[10], 126);
  EXPECT_EQ(generator_active[10], 0);
  EXPECT_EQ(boss_hit, 0);
  EXPECT_EQ(boss_anim, 0);
  EXPECT_EQ(boss_defeat_counter, 20);
  EXPECT_EQ(death_appear_counter, 0);
  // Hazards past the floor's one row are inactive with their tick cleared.
  EXPECT_EQ(set_enemy_active[4], 0);
  EXPECT_EQ(set_enemy_tick[4], 0);
}

// An area or floor that does not exist loads nothing and clears nothing:
// the floor in force stays and only the request is dropped.
TEST_F(AreaEntryTest, RefusesAreasAndFloorsThatDoNotExist) {
  ServeFloor("field01", "1");
  Enter(1, 1);
  const struct {
    int32_t area;
    int32_t floor;
  } cases[] = {{15, 0}, {-1, 0}, {1, 4}, {1, -1}, {14, 1}, {13, 10}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.area) + "/" + std::to_string(c.floor));
    api_fake().Reset();
    enemy[0].alive = 1;
    generator_counter[0] = 17;
    music_request = 55;
    Enter(c.area, c.floor);
    EXPECT_EQ(area_entry_request, 0);
    EXPECT_EQ(api_fake().Count("ApiOpenFileForRead"), 0);
    EXPECT_EQ(enemy[0].alive, 1);
    EXPECT_EQ(generator_counter[0], 17);
    EXPECT_EQ(music_request, 55);
    EXPECT_EQ(map_chip_layer[0][0], 5);
    EXPECT_EQ(stairs_count, 1);
  }
}

// Two floors of one area in a row request the same music.
TEST_F(AreaEntryTest, MusicStaysWithinAnArea) {
  ServeFloor("dansion01", "0");
  ServeFloor("dansion01", "1");
  Enter(2, 0);
  EXPECT_EQ(music_request, 4);
  music_request = 0;
  Enter(2, 1);
  EXPECT_EQ(music_request, 4);
}

}  // namespace
