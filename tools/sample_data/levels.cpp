// The level files of the sample data set: every floor of every area of the
// game's area table, joined by stairs from the house to the ending, with the
// item and boss files and the patch maps.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "game/areas/area_table.h"
#include "tools/sample_data/level_floors.h"
#include "tools/sample_data/level_plan.h"
#include "tools/sample_data/sample_data.h"

namespace {

// Stairs looks: a player going on spins away, one going back flickers out.
constexpr int kLookOnward = 0;
constexpr int kLookBack = 1;

std::string LevelPath(int area, const char* kind, int floor) {
  char path[128];
  level_file_path(path, sizeof path, area_table[area], kind, floor);
  return path;
}

struct FloorRef {
  int area = -1;
  int floor = 0;
};

// The floor before and after each floor: the next floor of the area, or
// the first floor of the next area; the ending follows dansion09.
FloorRef Previous(int area, int floor) {
  if (floor > 0) return {area, floor - 1};
  if (area > 0) return {area - 1, area_table[area - 1].floors - 1};
  return {};
}

FloorRef Next(int area, int floor) {
  if (floor + 1 < area_table[area].floors) return {area, floor + 1};
  if (area + 1 < kAreaCount) return {area + 1, 0};
  return {};
}

StairsPlan Stairs(const FloorPort& from, FloorRef to, const FloorPort& arrival, int look) {
  return {CellCentre(from.stairs_c), CellCentre(from.stairs_r), to.area, to.floor, arrival.arrival_x,
          arrival.arrival_y, look};
}

// Every floor's stairs: the way back leads to the arrival by the down
// stairs of the floor before, the way on to the arrival by the up stairs of
// the floor after.
void Connect(std::vector<std::vector<FloorPlan>>& plans) {
  for (int area = 0; area < kAreaCount; ++area) {
    for (int floor = 0; floor < area_table[area].floors; ++floor) {
      FloorPlan& plan = plans[area][floor];
      const FloorRef back = Previous(area, floor);
      const FloorRef on = Next(area, floor);
      if (plan.up.used && plan.up.has_stairs && back.area >= 0) {
        plan.stairs.push_back(Stairs(plan.up, back, plans[back.area][back.floor].down, kLookBack));
      }
      if (plan.down.used && plan.down.has_stairs && on.area >= 0) {
        plan.stairs.push_back(Stairs(plan.down, on, plans[on.area][on.floor].up, kLookOnward));
      }
    }
  }
}

// The map the floor's own file holds under a patch map: the same walls,
// but plain floor everywhere else and nothing laid over it.
FloorPlan BeforePatch(const FloorPlan& patched) {
  FloorPlan own = patched;
  for (int r = 0; r < own.height(); ++r) {
    for (int c = 0; c < own.width(); ++c) {
      if (own.cell(c, r) != kWallCell) own.SetCell(c, r, kOpenCell);
      own.SetCover(c, r, kNoCover);
    }
  }
  return own;
}

std::string BossText(const SampleBossRow& boss) {
  char line[160];
  std::snprintf(line, sizeof line, "%d,1,%d,%d,%d,%d,%d,%d,%d,%d\r\n", boss.id, boss.x, boss.y,
                boss.hp, boss.attack, boss.width, boss.height, boss.shot_width, boss.shot_height);
  return line;
}

}  // namespace

std::map<std::string, std::string> SampleLevelFiles() {
  std::vector<std::vector<FloorPlan>> plans(kAreaCount);
  for (int area = 0; area < kAreaCount; ++area) {
    for (int floor = 0; floor < area_table[area].floors; ++floor) {
      plans[area].push_back(BuildSampleFloor(area, floor));
    }
  }
  Connect(plans);

  std::map<std::string, std::string> files;
  for (int area = 0; area < kAreaCount; ++area) {
    const AreaTableRow& row = area_table[area];
    for (int floor = 0; floor < row.floors; ++floor) {
      const FloorPlan& plan = plans[area][floor];
      std::string map = plan.MapText();
      for (const PatchMapOfFloor& patch : row.patch_maps) {
        if (patch.floor != floor || patch.path == nullptr) continue;
        files[patch.path] = map;
        map = BeforePatch(plan).MapText();
      }
      files[LevelPath(area, "BRIMAL_", floor)] = map;
      files[LevelPath(area, "stairs_data_", floor)] = StairsText(plan.stairs);
      files[LevelPath(area, "generator_data_", floor)] =
          GeneratorText(plan.generators, row.generator_columns);
      files[LevelPath(area, "set_enemy_data_", floor)] = HazardText(plan.hazards);
      files[LevelPath(area, "rock_data_", floor)] = RockText(plan.rocks);
      files[LevelPath(area, "item_data_", floor)] = ItemText(plan.items);
    }
    if (row.boss_floor >= 0) {
      files[LevelPath(area, "boss_data_", row.boss_floor)] = BossText(kSampleBossRows[row.boss_row]);
    }
  }
  // Once the dansion08 boss is beaten and its crystals are taken, the room
  // is read again from this file: the same room with another open code at
  // row 3, column 7, so it is read once.
  FloorPlan beaten = plans[kAreaDansion08][area_table[kAreaDansion08].boss_floor];
  beaten.SetCell(kSwitchCellColumn, kSwitchCellRow, kBeatenSwitchCell);
  files[kBeatenRoomPath] = beaten.MapText();
  return files;
}
