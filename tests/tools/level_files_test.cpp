// The level files of the sample data set, generated and then read with the
// game's own readers (through api_fake's in-memory files): their text, the
// item and boss data, every floor loaded by area entry, the stairs that join
// the floors from the house to the ending, where parties arrive, the start
// and save points, the boss rooms, dansion09's block floors, the objects
// and scene cells that the game and its later whole-program runs rely on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <queue>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "game/areas/area_table.h"
#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/shell/shell.h"
#include "game/world/spawn_table.h"
#include "game/world/world.h"
#include "tests/support/api_fake/api_fake.h"
#include "tests/support/hazard_danger.h"
#include "tools/sample_data/sample_data.h"

namespace {

using Files = std::map<std::string, std::string>;

const Files& Generated() {
  static const Files files = SampleLevelFiles();
  return files;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::vector<int> Tokens(const std::string& line) {
  std::vector<int> values;
  std::stringstream in(line);
  std::string token;
  while (std::getline(in, token, ',')) values.push_back(std::atoi(token.c_str()));
  return values;
}

std::string PathOf(int area, const char* kind, int floor) {
  char path[128];
  level_file_path(path, sizeof path, area_table[area], kind, floor);
  return path;
}

// ---- Cell codes --------------------------------------------------------------------------

bool IsWall(int32_t code) { return code <= 2; }
bool IsPush(int32_t code) { return code >= 10 && code <= 57; }
bool IsDamage(int32_t code) { return code == 60 || code == 61; }
bool IsScene(int32_t code) { return code >= 101 && code <= 122; }
bool IsNeutral(int32_t code) { return !IsWall(code) && !IsPush(code) && !IsDamage(code) && !IsScene(code); }

// The loaded map's cell under a map position; outside the grid a wall.
int32_t CellAt(int x, int y) {
  if (x < 0 || y < 0) return 0;
  const int c = x / 32;
  const int r = y / 32;
  if (c >= kMapGridSize || r >= kMapGridSize) return 0;
  return map_cell[r][c];
}

// Every cell under the box of half-extents `half` around (x, y) passes.
template <typename Pass>
bool BoxCells(int x, int y, int half, Pass pass) {
  for (int cy = y - half; cy <= y + half; cy += 1) {
    for (int cx = x - half; cx <= x + half; cx += 1) {
      if (!pass(CellAt(cx, cy))) return false;
    }
  }
  return true;
}

// ---- dansion09's pits (from the moving blocks' rules) --------------------------------------

bool InPit(int floor, float x, float y) {
  if (floor >= 1 && floor <= 5) return (x >= 258 && x <= 574) || (x >= 1474 && x <= 1790);
  if (floor == 6) return x <= 702;
  if (floor == 7) return (x <= 958 && y <= 320) || (x >= 1026 && y >= 800);
  return false;
}

bool IsBlockFloor(int area, int floor) { return area == kAreaDansion09 && floor >= 1 && floor <= 7; }

// ---- Loading floors ----------------------------------------------------------------------

struct FloorId {
  int area;
  int floor;
  bool operator<(const FloorId& o) const { return area != o.area ? area < o.area : floor < o.floor; }
};

class LevelFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    api_fake().Reset();
    api_fake().files = Generated();
    reset_game();
    player_count = 1;
    load_item_data();
  }

  // Loads a floor as the game enters it; false when entry refused it.
  static bool Load(int area, int floor) {
    present_map_number = area;
    present_map_floor = floor;
    area_entry_request = 1;
    game_status = kStatusPlay;
    enter_area();
    return area_entry_request == 0 && present_map_number == area;
  }

  static std::vector<FloorId> AllFloors() {
    std::vector<FloorId> floors;
    for (int area = 0; area < kAreaCount; ++area) {
      for (int floor = 0; floor < area_table[area].floors; ++floor) floors.push_back({area, floor});
    }
    return floors;
  }

  // The open cells reached on foot from a position: cells that stop no body,
  // and on dansion09's block floors none of the pits.
  static std::set<std::pair<int, int>> Reach(int area, int floor, int x, int y) {
    std::set<std::pair<int, int>> seen;
    std::queue<std::pair<int, int>> next;
    next.push({x / 32, y / 32});
    while (!next.empty()) {
      const auto [c, r] = next.front();
      next.pop();
      if (c < 0 || r < 0 || c >= map_width || r >= map_height || seen.count({c, r})) continue;
      if (IsWall(map_cell[r][c])) continue;
      if (area == kAreaDansion09 && InPit(floor, c * 32.0f + 16.0f, r * 32.0f + 16.0f)) continue;
      seen.insert({c, r});
      next.push({c + 1, r});
      next.push({c - 1, r});
      next.push({c, r + 1});
      next.push({c, r - 1});
    }
    return seen;
  }
};

// ---- Text ---------------------------------------------------------------------------------

// Every file the loaders and the map drawing open, and nothing else.
TEST_F(LevelFilesTest, EveryFileTheGameOpens) {
  std::set<std::string> expected;
  for (int area = 0; area < kAreaCount; ++area) {
    const AreaTableRow& row = area_table[area];
    for (int floor = 0; floor < row.floors; ++floor) {
      for (const char* kind : {"BRIMAL_", "stairs_data_", "generator_data_", "set_enemy_data_",
                               "rock_data_", "item_data_"}) {
        expected.insert(PathOf(area, kind, floor));
      }
    }
    if (row.boss_floor >= 0) expected.insert(PathOf(area, "boss_data_", row.boss_floor));
    for (const PatchMapOfFloor& patch : row.patch_maps) {
      if (patch.path != nullptr) expected.insert(patch.path);
    }
  }
  expected.insert("data/mapdata/dansion08/BRIMAL_dansion088b.csv");
  std::set<std::string> generated;
  for (const auto& [path, text] : Generated()) generated.insert(path);
  EXPECT_EQ(generated, expected);
  EXPECT_EQ(expected.size(), 92u * 6 + 9 + 7 + 1);
  EXPECT_TRUE(expected.count("patch/patch_data/BRIMAL_filed021b.csv"));
}

TEST_F(LevelFilesTest, TextIsCrLfLinesOfAtMost509Characters) {
  for (const auto& [path, text] : Generated()) {
    SCOPED_TRACE(path);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') {
        EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << "a lone LF at " << i;
      }
      if (text[i] == '\r') {
        EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "a lone CR at " << i;
      }
    }
    for (const std::string& line : Lines(text)) EXPECT_LE(line.size(), 509u);
  }
}

// Row files: a count equal to their row lines and within the table, then
// the '@' line last. Map files: W and H, three layers of H rows of W
// values, empty separators. Boss files: one line of ten values.
TEST_F(LevelFilesTest, RowMapAndBossFilesHaveTheirShape) {
  const std::map<std::string, size_t> slots = {{"stairs_data_", 16}, {"generator_data_", 72},
                                               {"set_enemy_data_", 36}, {"rock_data_", 8},
                                               {"item_data_", 16}};
  for (const auto& [path, text] : Generated()) {
    SCOPED_TRACE(path);
    const std::vector<std::string> lines = Lines(text);
    const std::string name = path.substr(path.rfind('/') + 1);
    if (name.rfind("boss_data_", 0) == 0) {
      ASSERT_EQ(lines.size(), 1u);
      EXPECT_EQ(Tokens(lines[0]).size(), 10u);
      continue;
    }
    if (name.rfind("BRIMAL_", 0) == 0) {
      const std::vector<int> size = Tokens(lines.at(0));
      ASSERT_EQ(size.size(), 2u);
      const size_t w = static_cast<size_t>(size[0]);
      const size_t h = static_cast<size_t>(size[1]);
      ASSERT_EQ(lines.size(), 1 + 3 * h + 2);
      EXPECT_EQ(lines[1 + h], "");
      EXPECT_EQ(lines[2 + 2 * h], "");
      for (size_t i = 1; i < lines.size(); ++i) {
        if (i != 1 + h && i != 2 + 2 * h) {
          EXPECT_EQ(Tokens(lines[i]).size(), w) << "line " << i;
        }
      }
      continue;
    }
    size_t table_slots = 0;
    for (const auto& [prefix, n] : slots) {
      if (name.rfind(prefix, 0) == 0) table_slots = n;
    }
    ASSERT_NE(table_slots, 0u) << "an unknown file";
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.back(), "@");
    const size_t rows = lines.size() - 2;
    EXPECT_EQ(Tokens(lines[0]), std::vector<int>{static_cast<int>(rows)});
    EXPECT_LE(rows, table_slots);
    for (size_t i = 1; i + 1 < lines.size(); ++i) EXPECT_NE(lines[i][0], '@');
  }
}

// Generating twice gives the same bytes.
TEST_F(LevelFilesTest, GeneratingTwiceGivesTheSameFiles) { EXPECT_TRUE(SampleLevelFiles() == Generated()); }

// ---- Item and boss data --------------------------------------------------------------------

TEST_F(LevelFilesTest, ItemAndBossData) {
  for (const FloorId& id : AllFloors()) {
    SCOPED_TRACE(std::to_string(id.area) + "/" + std::to_string(id.floor));
    const AreaTableRow& area = area_table[id.area];
    const int32_t count = area.item_count[id.floor];
    if (id.floor == area.boss_floor) {
      EXPECT_EQ(count, 0) << "the boss's crystals need the slots";
    }
    for (int32_t i = 0; i < count; ++i) {
      const item_data& item = area.item_rows[id.floor][i];
      const bool known = (item.kind >= 0 && item.kind <= 9) || (item.kind >= 21 && item.kind <= 29) ||
                         item.kind == 100;
      EXPECT_TRUE(known) << "kind " << item.kind;
      EXPECT_EQ(item.present, 1);
      EXPECT_GT(item.hp, 0);
      EXPECT_EQ(item.width, 13);
      EXPECT_EQ(item.height, 13);
    }
  }
  for (int32_t row = 0; row < kBossRowCount; ++row) {
    SCOPED_TRACE(row);
    EXPECT_EQ(boss_data_rows[row].id, row);
    EXPECT_EQ(boss_data_rows[row].active, 1);
    EXPECT_GT(boss_data_rows[row].width, 0);
    EXPECT_GT(boss_data_rows[row].shot_width, 0);
  }
  // Bosses 0 and 1 fall quickly; the others start in their first phase.
  EXPECT_LE(boss_data_rows[0].hp, 100);
  EXPECT_LE(boss_data_rows[1].hp, 100);
  EXPECT_GE(boss_data_rows[2].hp, 150);
  EXPECT_GT(boss_data_rows[4].hp, 350);
  EXPECT_GT(boss_data_rows[5].hp, 350);
  EXPECT_GT(boss_data_rows[6].hp, 600);
  EXPECT_GT(boss_data_rows[7].hp, 1000);
  EXPECT_GT(boss_data_rows[8].hp, 3000);
}

// ---- Every floor --------------------------------------------------------------------------

// Each floor loads through area entry with a map of 16 x 12 to 64 x 64
// cells, the chips the chip sets draw, walls and open floor, and stairs
// shown with the stairs chip (the stairs on of a boss room are shown by its
// exit chip once the room is cleared).
TEST_F(LevelFilesTest, EveryFloorLoads) {
  for (const FloorId& id : AllFloors()) {
    SCOPED_TRACE(std::to_string(id.area) + "/" + std::to_string(id.floor));
    ASSERT_TRUE(Load(id.area, id.floor));
    const bool boss_floor = id.floor == area_table[id.area].boss_floor;
    EXPECT_EQ(map_status, boss_floor ? 2 : 1);
    EXPECT_GE(map_width, 16);
    EXPECT_GE(map_height, 12);
    EXPECT_LE(map_width, 64);
    EXPECT_LE(map_height, 64);
    int open = 0;
    for (int r = 0; r < map_height; ++r) {
      for (int c = 0; c < map_width; ++c) {
        const int32_t code = map_cell[r][c];
        const int32_t chip = map_chip_layer[r][c];
        const int32_t cover = map_cover_layer[r][c];
        EXPECT_TRUE(code == 0 || code == 1 || code == 9 || IsPush(code) || IsDamage(code) || IsScene(code))
            << "cell code " << code << " at " << c << "," << r;
        if (IsWall(code)) {
          EXPECT_TRUE(chip >= 128 && chip <= 239) << "wall chip " << chip;
        } else {
          ++open;
          const bool pit = id.area == kAreaDansion09 && chip == 255;
          EXPECT_TRUE(pit || (chip >= 0 && chip <= 111)) << "floor chip " << chip << " at " << c << "," << r;
          if (id.area == kAreaDansion09 && !pit) {
            EXPECT_GE(chip, 48) << "nimbra chips below 48 are blocks";
          }
        }
        EXPECT_TRUE(cover == 255 || (cover >= 112 && cover <= 127) || cover >= 240) << "cover " << cover;
      }
    }
    EXPECT_GT(open, 0);
    for (int32_t s = 0; s < stairs_count; ++s) {
      const int c = static_cast<int>(stairs_x[s]) / 32;
      const int r = static_cast<int>(stairs_y[s]) / 32;
      EXPECT_FALSE(IsWall(map_cell[r][c]));
      const bool boss_exit = boss_floor && stairs_to_floor[s] != id.floor - 1;
      if (!boss_exit) {
        EXPECT_EQ(map_chip_layer[r][c], kStairsChip) << "stairs " << s;
      }
    }
  }
}

// ---- Connectivity -------------------------------------------------------------------------

// Every stairs row leads to a floor that exists; each floor leads to the
// next and back, the last floor of an area to the first of the next, the
// dansion09 boss room to the ending; every floor is reached from the house.
TEST_F(LevelFilesTest, StairsJoinEveryFloorFromTheHouseToTheEnding) {
  std::map<FloorId, std::set<FloorId>> ways;
  for (const FloorId& id : AllFloors()) {
    ASSERT_TRUE(Load(id.area, id.floor));
    for (int32_t s = 0; s < stairs_count; ++s) {
      const FloorId to{stairs_to_area[s], stairs_to_floor[s]};
      ASSERT_TRUE(to.area >= 0 && to.area < kAreaCount && to.floor >= 0 &&
                  to.floor < area_table[to.area].floors)
          << id.area << "/" << id.floor << " stairs " << s;
      ways[id].insert(to);
    }
  }
  for (const FloorId& id : AllFloors()) {
    SCOPED_TRACE(std::to_string(id.area) + "/" + std::to_string(id.floor));
    const bool last = id.floor + 1 == area_table[id.area].floors;
    if (!last) {
      EXPECT_TRUE(ways[id].count({id.area, id.floor + 1}));
      EXPECT_TRUE((ways[FloorId{id.area, id.floor + 1}].count(id)));
    } else if (id.area + 1 < kAreaCount) {
      EXPECT_TRUE(ways[id].count({id.area + 1, 0}));
    }
  }
  EXPECT_TRUE((ways[FloorId{13, 9}].count(FloorId{14, 0})));
  std::set<FloorId> reached = {{0, 0}};
  std::queue<FloorId> next;
  next.push({0, 0});
  while (!next.empty()) {
    const FloorId id = next.front();
    next.pop();
    for (const FloorId& to : ways[id]) {
      if (reached.insert(to).second) next.push(to);
    }
  }
  EXPECT_EQ(reached.size(), 92u);
}

// ---- Arrivals ------------------------------------------------------------------------------

// The arrival of every stairs row and its three party places lie on neutral
// floor with room for a 12-pixel half-box, outside the pits, and off every
// stairs trigger of the floor arrived on (a party touching one would leave
// at once); from there every stairs of that floor is reached on foot (on
// dansion09's block floors, those on the arrival's side).
TEST_F(LevelFilesTest, ArrivalsStandClearOfStairs) {
  struct Arrival {
    FloorId from;
    FloorId to;
    int x, y;
  };
  std::vector<Arrival> arrivals;
  for (const FloorId& id : AllFloors()) {
    ASSERT_TRUE(Load(id.area, id.floor));
    for (int32_t s = 0; s < stairs_count; ++s) {
      arrivals.push_back({id, {stairs_to_area[s], stairs_to_floor[s]}, stairs_to_x[s], stairs_to_y[s]});
    }
  }
  for (const Arrival& a : arrivals) {
    SCOPED_TRACE("from " + std::to_string(a.from.area) + "/" + std::to_string(a.from.floor) + " to " +
                 std::to_string(a.to.area) + "/" + std::to_string(a.to.floor));
    ASSERT_TRUE(Load(a.to.area, a.to.floor));
    const int places[4][2] = {{0, 0}, {32, 0}, {0, 32}, {32, 32}};
    for (const auto& place : places) {
      const int x = a.x + place[0];
      const int y = a.y + place[1];
      EXPECT_TRUE(BoxCells(x, y, 12, IsNeutral)) << "party place " << x << "," << y;
      if (a.to.area == kAreaDansion09) {
        EXPECT_FALSE(InPit(a.to.floor, x, y));
      }
      for (int32_t s = 0; s < stairs_count; ++s) {
        const bool touches = std::abs(x - stairs_x[s]) <= 19.0f && std::abs(y - stairs_y[s]) <= 19.0f;
        EXPECT_FALSE(touches) << "party place " << x << "," << y << " on stairs " << s;
      }
    }
    const auto reach = Reach(a.to.area, a.to.floor, a.x, a.y);
    for (int32_t s = 0; s < stairs_count; ++s) {
      const bool reached = reach.count({static_cast<int>(stairs_x[s]) / 32, static_cast<int>(stairs_y[s]) / 32});
      // On a block floor the stairs on the far side are reached by block.
      if (!IsBlockFloor(a.to.area, a.to.floor)) {
        EXPECT_TRUE(reached) << "stairs " << s;
      }
    }
  }
}

// ---- Start points ----------------------------------------------------------------------------

// The view of the first screen around a start point, as the camera frames
// it: [left, left + 512) x [top, top + 360).
struct View {
  int left, top;
};
View ViewAround(int x, int y) {
  int scroll_x = std::min(0, 256 - x);
  int scroll_y = std::min(0, 180 - y);
  scroll_x = std::max(scroll_x, 512 - map_width_px);
  scroll_y = std::max(scroll_y, 360 - map_height_px);
  return {-scroll_x, -scroll_y};
}

bool InView(const View& v, float x, float y) {
  return x >= v.left && x < v.left + 512 && y >= v.top && y < v.top + 360;
}

// Whether a box overlaps a swept rectangle (edges included).
bool Overlaps(float x, float y, int w, int h, int x0, int y0, int x1, int y1) {
  return x + w >= x0 && x - w <= x1 && y + h >= y0 && y - h <= y1;
}

// A walk along one row and then one column from (x, y) to (tx, ty): every
// cell under the 12-pixel box on the way is neutral and no object stands in
// the way.
bool ClearWalk(int x, int y, int tx, int ty) {
  const int legs[2][4] = {{std::min(x, tx) - 12, y - 12, std::max(x, tx) + 12, y + 12},
                          {tx - 12, std::min(y, ty) - 12, tx + 12, std::max(y, ty) + 12}};
  for (const auto& leg : legs) {
    for (int py = leg[1]; py <= leg[3]; ++py) {
      for (int px = leg[0]; px <= leg[2]; ++px) {
        if (!IsNeutral(CellAt(px, py))) return false;
      }
    }
    for (int i = 0; i < floor_item_count; ++i) {
      if (Overlaps(floor_item_x[i], floor_item_y[i], 13, 13, leg[0], leg[1], leg[2], leg[3])) return false;
    }
    for (int i = 0; i < movable_rock_count; ++i) {
      if (Overlaps(movable_rock_x[i], movable_rock_y[i], 14, 14, leg[0], leg[1], leg[2], leg[3])) return false;
    }
    for (int i = 0; i < generator_count; ++i) {
      if (Overlaps(generator_x[i], generator_y[i], 15, 15, leg[0], leg[1], leg[2], leg[3])) return false;
    }
    for (int i = 0; i < set_enemy_count; ++i) {
      if (Overlaps(set_enemy_x[i], set_enemy_y[i], set_enemy_width[i], set_enemy_height[i], leg[0], leg[1],
                   leg[2], leg[3])) {
        return false;
      }
    }
  }
  return true;
}

// In the first screen of a start point: stairs on reached by one row and one
// column, a potion, a floor crystal, a breakable rock and a movable rock.
void ExpectFirstScreen(int x, int y, FloorId onward) {
  const View view = ViewAround(x, y);
  bool stairs = false;
  for (int32_t s = 0; s < stairs_count; ++s) {
    if (stairs_to_area[s] != onward.area || stairs_to_floor[s] != onward.floor) continue;
    stairs = stairs || (InView(view, stairs_x[s], stairs_y[s]) &&
                        ClearWalk(x, y, static_cast<int>(stairs_x[s]), static_cast<int>(stairs_y[s])));
  }
  EXPECT_TRUE(stairs) << "stairs on, one row and one column away";
  auto has_item = [&](auto kind_fits) {
    for (int i = 0; i < floor_item_count; ++i) {
      if (kind_fits(floor_item_kind[i]) && InView(view, floor_item_x[i], floor_item_y[i])) return true;
    }
    return false;
  };
  EXPECT_TRUE(has_item([](int k) { return k == 0 || k == 1; })) << "potion";
  EXPECT_TRUE(has_item([](int k) { return k >= 21 && k <= 29; })) << "floor crystal";
  EXPECT_TRUE(has_item([](int k) { return k == 100; })) << "breakable rock";
  bool rock = false;
  for (int i = 0; i < movable_rock_count; ++i) rock = rock || InView(view, movable_rock_x[i], movable_rock_y[i]);
  EXPECT_TRUE(rock) << "movable rock";
}

TEST_F(LevelFilesTest, NewGameStartsInTheHouse) {
  ASSERT_TRUE(Load(0, 0));
  EXPECT_GE(map_width, 34);
  EXPECT_GE(map_height, 34);
  // The two characters' start points.
  EXPECT_TRUE(BoxCells(176, 176, 12, IsNeutral));
  EXPECT_TRUE(BoxCells(999, 999, 12, IsNeutral));
  ExpectFirstScreen(176, 176, {1, 0});
}

// The save-point floors: open at the restore point and its party places,
// a save cell right under the figure (whose map place is its screen place
// less (64, 0), 40 x 40 pixels).
TEST_F(LevelFilesTest, SavePoints) {
  struct SavePoint {
    int area, floor;
    int restore_x, restore_y;
    int figure_x, figure_y;
  };
  const SavePoint points[] = {{5, 1, 592, 144, 668 - 64, 86},
                              {4, 3, 400, 112, 505 - 64, 54},
                              {4, 4, 400, 112, 505 - 64, 54},
                              {13, 0, 1136, 208, 1179 - 64, 118}};
  for (const SavePoint& p : points) {
    SCOPED_TRACE(std::to_string(p.area) + "/" + std::to_string(p.floor));
    ASSERT_TRUE(Load(p.area, p.floor));
    for (const auto& place : {std::pair{0, 0}, {32, 0}, {0, 32}, {32, 32}}) {
      EXPECT_TRUE(BoxCells(p.restore_x + place.first, p.restore_y + place.second, 12, IsNeutral));
    }
    const int below = (p.figure_y + 40) / 32 + ((p.figure_y + 40) % 32 == 0 ? 0 : 1);
    bool save_cell = false;
    for (int c = p.figure_x / 32; c <= (p.figure_x + 39) / 32; ++c) save_cell = save_cell || map_cell[below][c] == 120;
    EXPECT_TRUE(save_cell) << "a save cell under the figure";
    // Stairs on are reached from the restore point.
    const auto reach = Reach(p.area, p.floor, p.restore_x, p.restore_y);
    for (int32_t s = 0; s < stairs_count; ++s) {
      EXPECT_TRUE(reach.count({static_cast<int>(stairs_x[s]) / 32, static_cast<int>(stairs_y[s]) / 32}));
    }
  }
  ASSERT_TRUE(Load(5, 1));
  ExpectFirstScreen(592, 144, {6, 0});
}

// ---- What a party meets where it appears ---------------------------------------------------

struct Appearance {
  FloorId floor;
  int x, y;  // player 0
  std::string what;
};


// A party of one to four standing where it appears sees no generator: the
// generator's box lies wholly outside the field as the camera frames it
// there and the 16 pixels past its right and bottom edges in which a
// generator releases. Nor does any party place stand where a placed hazard
// hurts. So a party that arrives and stands still meets nobody.
TEST_F(LevelFilesTest, NothingWaitsWhereAPartyAppears) {
  // Every stairs row's arrival, the two characters' start points of a new
  // game, the restore point of each save floor.
  auto appearances = [] {
    std::vector<Appearance> points = {{{0, 0}, 176, 176, "first character's start"},
                                      {{0, 0}, 999, 999, "second character's start"},
                                      {{5, 1}, 592, 144, "restore point"},
                                      {{4, 3}, 400, 112, "restore point"},
                                      {{4, 4}, 400, 112, "restore point"},
                                      {{13, 0}, 1136, 208, "restore point"}};
    for (int area = 0; area < kAreaCount; ++area) {
      for (int floor = 0; floor < area_table[area].floors; ++floor) {
        EXPECT_TRUE(Load(area, floor));
        for (int32_t s = 0; s < stairs_count; ++s) {
          points.push_back({{stairs_to_area[s], stairs_to_floor[s]}, stairs_to_x[s], stairs_to_y[s],
                            "arrival by stairs " + std::to_string(s) + " of " + std::to_string(area) + "/" +
                                std::to_string(floor)});
        }
      }
    }
    return points;
  };
  const std::vector<Appearance> points = appearances();
  EXPECT_GT(points.size(), 150u);
  for (const Appearance& a : points) {
    SCOPED_TRACE(std::to_string(a.floor.area) + "/" + std::to_string(a.floor.floor) + " at " +
                 std::to_string(a.x) + "," + std::to_string(a.y) + ", " + a.what);
    ASSERT_TRUE(Load(a.floor.area, a.floor.floor));
    for (int party = 1; party <= 4; ++party) {
      // The camera's centre: the middle of the extreme players on each axis.
      const int centre_x = a.x + (party >= 2 ? 16 : 0);
      const int centre_y = a.y + (party >= 3 ? 16 : 0);
      const View view = ViewAround(centre_x, centre_y);
      for (int32_t g = 0; g < generator_count; ++g) {
        const bool apart = generator_x[g] + generator_box_w < view.left ||
                           generator_x[g] - generator_box_w > view.left + 528 ||
                           generator_y[g] + generator_box_h < view.top ||
                           generator_y[g] - generator_box_h > view.top + 376;
        EXPECT_TRUE(apart) << "party of " << party << ": generator " << g << " at " << generator_x[g]
                           << "," << generator_y[g] << " in view from " << view.left << "," << view.top;
      }
      for (int p = 0; p < party; ++p) {
        const float x = static_cast<float>(a.x + 32 * (p % 2));
        const float y = static_cast<float>(a.y + 32 * (p / 2));
        for (int32_t h = 0; h < set_enemy_count; ++h) {
          for (const DangerBox& o : HazardDanger(set_enemy_kind[h], set_enemy_variant[h])) {
            const float dx = x - set_enemy_x[h];
            const float dy = y - set_enemy_y[h];
            EXPECT_FALSE(o.left < dx && dx < o.right && o.top < dy && dy < o.bottom)
                << "player " << p << " within reach of hazard " << h << " (kind " << set_enemy_kind[h] << ")";
          }
        }
      }
    }
  }
}

// The floors met before the first boss hold at most one generator each, of
// a kind that fires no shots and hits no harder than those of the floors
// after it, which hold more of them on average and hit harder.
TEST_F(LevelFilesTest, GeneratorsGrowWithTheRoute) {
  FloorId first_boss{-1, -1};
  for (int area = 0; area < kAreaCount; ++area) {
    if (area_table[area].boss_row == 0) first_boss = {area, area_table[area].boss_floor};
  }
  ASSERT_GE(first_boss.area, 0);
  int early_floors = 0, early_max = 0, early_attack_max = 0;
  int later_floors = 0, later_generators = 0, later_attack_sum = 0;
  for (const FloorId& id : AllFloors()) {
    if (id.floor == area_table[id.area].boss_floor || id.area == kAreaEnding) continue;
    SCOPED_TRACE(std::to_string(id.area) + "/" + std::to_string(id.floor));
    ASSERT_TRUE(Load(id.area, id.floor));
    if (id < first_boss) {
      ++early_floors;
      early_max = std::max(early_max, static_cast<int>(generator_count));
      for (int32_t g = 0; g < generator_count; ++g) {
        const spawn_row& kind = spawn_table[generator_kind[g]];
        EXPECT_EQ(kind.shot_power, 0) << "kind " << generator_kind[g] << " shoots";
        early_attack_max = std::max(early_attack_max, static_cast<int>(kind.attack));
      }
    } else {
      ++later_floors;
      later_generators += generator_count;
      for (int32_t g = 0; g < generator_count; ++g) later_attack_sum += spawn_table[generator_kind[g]].attack;
    }
  }
  ASSERT_GT(early_floors, 0);
  ASSERT_GT(later_generators, 0);
  EXPECT_LE(early_max, 1);
  EXPECT_GT(static_cast<double>(later_generators) / later_floors, 1.0 * early_max) << "more generators later";
  EXPECT_GT(static_cast<double>(later_attack_sum) / later_generators, 1.0 * early_attack_max)
      << "harder hitting kinds later";
}

// ---- Boss rooms ----------------------------------------------------------------------------

// The stairs on lie on the cell the beaten room's exit chip covers; the
// room is open where the bosses walk and the crystals appear; the boss
// stands in the room away from the party's arrival, and its encounter
// scene lies across the way between them.
TEST_F(LevelFilesTest, BossRooms) {
  struct Room {
    int area, floor, row;
    int exit_c, exit_r;
    int scene;
  };
  const Room rooms[] = {{2, 5, 0, 14, 2, 105},  {3, 6, 1, 14, 5, 107}, {6, 6, 2, 3, 4, 110},
                        {7, 6, 3, 13, 8, 111},  {8, 8, 4, 2, 3, 112},  {9, 5, 5, 7, 2, 113},
                        {11, 9, 6, 2, 3, 114},  {12, 8, 7, 2, 8, 115}, {13, 9, 8, 8, 2, 116}};
  for (const Room& room : rooms) {
    SCOPED_TRACE(room.area);
    // The arrival from the floor before.
    ASSERT_TRUE(Load(room.area, room.floor - 1));
    int arrival_x = -1, arrival_y = -1;
    for (int32_t s = 0; s < stairs_count; ++s) {
      if (stairs_to_area[s] == room.area && stairs_to_floor[s] == room.floor) {
        arrival_x = stairs_to_x[s];
        arrival_y = stairs_to_y[s];
      }
    }
    ASSERT_TRUE(Load(room.area, room.floor));
    ASSERT_EQ(boss_id, room.row);
    bool exit_stairs = false;
    for (int32_t s = 0; s < stairs_count; ++s) {
      const bool onward = stairs_to_area[s] != room.area || stairs_to_floor[s] > room.floor;
      if (onward) exit_stairs = stairs_x[s] == room.exit_c * 32 + 16 && stairs_y[s] == room.exit_r * 32 + 16;
    }
    EXPECT_TRUE(exit_stairs) << "stairs on the exit chip's cell";
    for (const auto& crystal : {std::pair{220, 180}, {284, 180}, {220, 244}, {284, 244}}) {
      EXPECT_TRUE(BoxCells(crystal.first, crystal.second, 13, IsNeutral));
    }
    // Where the bosses move: boss 1 turns at x 120 and 420, boss 3 keeps to
    // (64, 64)-(448, 288), boss 6 walks x 96 to 416 with its keyboard 35 to
    // the left, boss 8 lays its ring from (40, 30) to (475, 330).
    const int top = room.row == 8 ? 28 : 40;
    for (int y = top; y <= 330; y += 2) {
      for (int x = 40; x <= 475; x += 2) ASSERT_FALSE(IsWall(CellAt(x, y))) << x << "," << y;
    }
    auto passable = [](int32_t code) { return !IsWall(code); };
    EXPECT_TRUE(BoxCells(static_cast<int>(boss_x), static_cast<int>(boss_y),
                         std::max(boss_width, boss_height), passable));
    EXPECT_TRUE(BoxCells(static_cast<int>(boss_x) - 35, static_cast<int>(boss_y), 12, passable));
    EXPECT_GE(std::abs(boss_y - arrival_y) + std::abs(boss_x - arrival_x), 200.0f) << "boss near the arrival";
    // Without the scene cells the way from the arrival to the boss is shut.
    for (int r = 0; r < map_height; ++r) {
      for (int c = 0; c < map_width; ++c) {
        if (map_cell[r][c] == room.scene) map_cell[r][c] = 0;
      }
    }
    const auto reach = Reach(room.area, room.floor, arrival_x, arrival_y);
    EXPECT_FALSE(reach.count({static_cast<int>(boss_x) / 32, static_cast<int>(boss_y) / 32}))
        << "the encounter scene does not lie across the way";
  }
}

// dansion08's boss room holds 9 at row 3, column 7 until the map drawing
// reads the beaten room over it, which holds another open code there and
// keeps the stairs' cell open.
TEST_F(LevelFilesTest, Dansion08SwitchAndOverlayFloor) {
  ASSERT_TRUE(Load(12, 8));
  EXPECT_EQ(map_cell[3][7], 9);
  read_map_file("data/mapdata/dansion08/BRIMAL_dansion088b.csv");
  EXPECT_EQ(map_cell[3][7], 8);
  EXPECT_FALSE(IsWall(map_cell[8][2]));
  ASSERT_TRUE(Load(12, 7));
  EXPECT_GE(map_width, 36);
  EXPECT_GE(map_height, 36);
}

// ---- dansion09's block floors ------------------------------------------------------------

// 64 x 64 maps; the blocks' routes lie over open void (pit chips); the
// party boards a block from the side it arrives on and leaves it on the
// other, which it cannot reach on foot.
TEST_F(LevelFilesTest, BlockFloorsOfDansion09) {
  struct Leg {
    int x0, y0, x1, y1;  // a block's centre moves along this segment
  };
  struct Boarding {
    int x, y;
    bool arrival_side;  // reached from the arrival (else from the stairs on)
  };
  struct BlockFloor {
    std::vector<int> floors;
    std::vector<Leg> legs;
    std::vector<Boarding> boardings;
  };
  const BlockFloor block_floors[] = {
      {{1, 2, 3, 4, 5},
       {{304, 368, 528, 368}, {1520, 368, 1744, 368}},
       {{240, 368, true}, {1808, 368, false}}},
      {{6},
       {{656, 784, 144, 784}, {144, 784, 144, 208}, {144, 208, 656, 208}},
       {{720, 784, true}, {720, 208, false}}},
      {{7},
       {{912, 208, 144, 208}, {144, 208, 144, 1392}, {144, 1392, 1072, 1392}, {1072, 1392, 1072, 912}},
       {{976, 208, true}, {1008, 912, false}}},
  };
  for (const BlockFloor& block_floor : block_floors) {
    for (int floor : block_floor.floors) {
      SCOPED_TRACE(floor);
      // The arrival from the floor before.
      ASSERT_TRUE(Load(13, floor - 1));
      int arrival_x = 0, arrival_y = 0;
      for (int32_t s = 0; s < stairs_count; ++s) {
        if (stairs_to_floor[s] == floor) {
          arrival_x = stairs_to_x[s];
          arrival_y = stairs_to_y[s];
        }
      }
      ASSERT_TRUE(Load(13, floor));
      EXPECT_EQ(map_width, 64);
      EXPECT_EQ(map_height, 64);
      for (const Leg& leg : block_floor.legs) {
        for (int y = std::min(leg.y0, leg.y1) - 47; y <= std::max(leg.y0, leg.y1) + 47; y += 8) {
          for (int x = std::min(leg.x0, leg.x1) - 47; x <= std::max(leg.x0, leg.x1) + 47; x += 8) {
            ASSERT_FALSE(IsWall(CellAt(x, y))) << "route " << x << "," << y;
            if (InPit(floor, x, y)) {
              EXPECT_EQ(map_chip_layer[y / 32][x / 32], 255);
            }
          }
        }
      }
      int onward_x = 0, onward_y = 0;
      for (int32_t s = 0; s < stairs_count; ++s) {
        EXPECT_FALSE(InPit(floor, stairs_x[s], stairs_y[s]));
        if (stairs_to_floor[s] == floor + 1) {
          onward_x = static_cast<int>(stairs_x[s]);
          onward_y = static_cast<int>(stairs_y[s]);
        }
      }
      const auto from_arrival = Reach(13, floor, arrival_x, arrival_y);
      const auto from_onward = Reach(13, floor, onward_x, onward_y);
      EXPECT_FALSE(from_arrival.count({onward_x / 32, onward_y / 32})) << "the pits are crossed on foot";
      for (const Boarding& b : block_floor.boardings) {
        const auto& side = b.arrival_side ? from_arrival : from_onward;
        EXPECT_TRUE(side.count({b.x / 32, b.y / 32})) << "boarding at " << b.x << "," << b.y;
      }
    }
  }
}

// ---- Objects ------------------------------------------------------------------------------

// Generators: kinds 0 to 54 that fit their area, six columns with intervals
// of 20 to 126 (20 to 42 for kinds 14 to 17) in dansion07 to dansion09,
// five elsewhere; hazards of the kinds and variants the drawing knows, in
// the areas where they hurt; every object on open floor.
TEST_F(LevelFilesTest, ObjectsFitTheirFloors) {
  for (const FloorId& id : AllFloors()) {
    SCOPED_TRACE(std::to_string(id.area) + "/" + std::to_string(id.floor));
    const std::vector<std::string> rows = Lines(Generated().at(PathOf(id.area, "generator_data_", id.floor)));
    const size_t columns = id.area >= 11 && id.area <= 13 ? 6 : 5;
    for (size_t i = 1; i + 1 < rows.size(); ++i) EXPECT_EQ(Tokens(rows[i]).size(), columns);

    ASSERT_TRUE(Load(id.area, id.floor));
    auto on_open_floor = [](float x, float y) { return CellAt(static_cast<int>(x), static_cast<int>(y)) == 9; };
    for (int32_t g = 0; g < generator_count; ++g) {
      const int32_t kind = generator_kind[g];
      EXPECT_TRUE(kind >= 0 && kind <= 54);
      EXPECT_EQ(generator_active[g], 1);
      EXPECT_GT(generator_hp[g], 0);
      if (kind == 18 || kind == 19) {
        EXPECT_EQ(id.area, 12) << "hive and grave chips are dansion08's";
      }
      const bool short_interval = kind >= 14 && kind <= 17;
      if (short_interval) {
        EXPECT_TRUE(id.area >= 11 && id.area <= 13);
      }
      EXPECT_GE(generator_interval[g], 20);
      EXPECT_LE(generator_interval[g], short_interval ? 42 : 126);
      EXPECT_TRUE(on_open_floor(generator_x[g], generator_y[g]));
    }
    for (int32_t h = 0; h < set_enemy_count; ++h) {
      const int32_t kind = set_enemy_kind[h];
      const int32_t variant = set_enemy_variant[h];
      const int area = id.area;
      switch (kind) {
        case 0:
          EXPECT_TRUE(variant % 10 % 2 == 0 && variant % 10 <= 6 && variant <= 16) << variant;
          EXPECT_TRUE(area == 2 || area == 9 || area == 13);
          break;
        case 1:
          EXPECT_TRUE(variant == 0 || variant == 2 || variant == 4 || variant == 6);
          EXPECT_TRUE(area != 0 && area != 14);
          break;
        case 2:
          EXPECT_TRUE(area != 0 && area != 14);
          break;
        case 3:
          EXPECT_TRUE(variant % 10 % 2 == 0 && variant % 10 <= 6 && variant <= 16);
          EXPECT_TRUE(area == 7 || area == 13);
          break;
        case 4:
          EXPECT_TRUE(variant == 0 || variant == 1);
          EXPECT_TRUE(area == 8 || area == 9 || area == 13);
          break;
        default:
          ADD_FAILURE() << "hazard kind " << kind;
      }
      EXPECT_EQ(set_enemy_active[h], 1);
      EXPECT_GT(set_enemy_hp[h], 0);
      EXPECT_TRUE(on_open_floor(set_enemy_x[h], set_enemy_y[h]));
    }
    for (int32_t i = 0; i < floor_item_count; ++i) {
      EXPECT_TRUE(on_open_floor(floor_item_x[i], floor_item_y[i]));
    }
    for (int32_t r = 0; r < movable_rock_count; ++r) {
      EXPECT_TRUE(on_open_floor(movable_rock_x[r], movable_rock_y[r]));
    }
  }
}

// Floors that the later runs need: one with generators of the chasing,
// shooting, straight and bee kinds, one with the flanking and weaving
// kinds; fires of both cycles in the four directions with a vine and a
// korone in dansion01; bookshelves of both cycles in the library; needles
// of both cycles in dansion05; push and damage floors.
TEST_F(LevelFilesTest, FloorsForTheEnemyHazardAndCellRuns) {
  auto floor_with_kinds = [](const std::vector<std::vector<int>>& groups) {
    for (const FloorId& id : AllFloors()) {
      Load(id.area, id.floor);
      std::set<int> kinds(generator_kind, generator_kind + generator_count);
      bool all = true;
      for (const std::vector<int>& group : groups) {
        all = all && std::any_of(group.begin(), group.end(), [&](int k) { return kinds.count(k) != 0; });
      }
      if (all) return true;
    }
    return false;
  };
  EXPECT_TRUE(floor_with_kinds({{1, 20, 30, 35, 38, 39, 44, 48, 54}, {0, 9, 24, 33, 41, 45, 49}, {5, 36, 40},
                                {28, 42, 46, 50, 52}, {10, 11, 12, 13, 14, 15, 16, 17}, {18}, {39, 48}}));
  EXPECT_TRUE(floor_with_kinds({{23, 47}, {32}, {2, 3, 27}, {4}, {21, 25, 29, 34, 43, 53}, {6, 26}, {22, 51},
                                {31}, {37}, {7}, {8}}));

  auto hazards_in_area = [](int area) {
    std::set<std::pair<int, int>> found;  // kind, variant
    for (int floor = 0; floor < area_table[area].floors; ++floor) {
      Load(area, floor);
      for (int32_t h = 0; h < set_enemy_count; ++h) found.insert({set_enemy_kind[h], set_enemy_variant[h]});
    }
    return found;
  };
  const auto fires = hazards_in_area(2);
  for (int variant : {0, 2, 4, 6, 10, 12, 14, 16}) EXPECT_TRUE(fires.count({0, variant})) << variant;
  EXPECT_TRUE(std::any_of(fires.begin(), fires.end(), [](auto h) { return h.first == 1; }));
  EXPECT_TRUE(std::any_of(fires.begin(), fires.end(), [](auto h) { return h.first == 2; }));
  const auto shelves = hazards_in_area(7);
  EXPECT_TRUE(std::any_of(shelves.begin(), shelves.end(), [](auto h) { return h.first == 3 && h.second < 10; }));
  EXPECT_TRUE(std::any_of(shelves.begin(), shelves.end(), [](auto h) { return h.first == 3 && h.second >= 10; }));
  const auto needles = hazards_in_area(8);
  EXPECT_TRUE(needles.count({4, 0}));
  EXPECT_TRUE(needles.count({4, 1}));

  bool push = false, damage = false;
  for (const FloorId& id : AllFloors()) {
    Load(id.area, id.floor);
    for (int r = 0; r < map_height; ++r) {
      for (int c = 0; c < map_width; ++c) {
        push = push || IsPush(map_cell[r][c]);
        damage = damage || IsDamage(map_cell[r][c]);
      }
    }
  }
  EXPECT_TRUE(push);
  EXPECT_TRUE(damage);
}

// The scene cells of the story: 104 left of x 112 and 109 below y 688 on
// an early floor, 106 after the first boss, 117 on dansion09's first
// floor, 119 on field02's save floor.
TEST_F(LevelFilesTest, SceneCells) {
  struct Found {
    std::set<FloorId> floors;
  };
  std::map<int, Found> scenes;
  for (const FloorId& id : AllFloors()) {
    ASSERT_TRUE(Load(id.area, id.floor));
    for (int r = 0; r < map_height; ++r) {
      for (int c = 0; c < map_width; ++c) {
        const int32_t code = map_cell[r][c];
        if (!IsScene(code)) continue;
        if (code == 104) {
          EXPECT_LT(c * 32, 112) << "104 at column " << c;
        }
        if (code == 109) {
          EXPECT_GT(r * 32 + 31, 688) << "109 at row " << r;
        }
        scenes[code].floors.insert(id);
      }
    }
  }
  auto early = [](const Found& f) { return !f.floors.empty() && f.floors.begin()->area <= 2; };
  EXPECT_TRUE(early(scenes[104]));
  EXPECT_TRUE(early(scenes[109]));
  ASSERT_FALSE(scenes[106].floors.empty());
  EXPECT_TRUE((FloorId{2, 5}) < *scenes[106].floors.begin()) << "after the first boss";
  EXPECT_TRUE(scenes[117].floors.count({13, 0}));
  EXPECT_TRUE(scenes[119].floors.count({5, 1}));
  for (int code = 105; code <= 120; ++code) {
    if (code == 108 || code == 118) continue;  // started by a defeat and by the ending's loader
    EXPECT_FALSE(scenes[code].floors.empty()) << "no cell of scene " << code;
  }
}

}  // namespace
