// The level files over any bytes: one file of a floor of the sample set
// (its map, stairs, generators, placed hazards, rocks, items, boss file or
// patch map) replaced by the input, read by the game's own readers, then that
// floor played for a few hundred frames by two players who walk, shoot and
// cast over it.
//
// The input's first line names the file it replaces ("data/mapdata/dansion01/
// rock_data_dansion015.csv"); the rest is the file. An input whose first line
// names no level file of the set is, whole, each kind of file of dansion01's
// boss floor in turn.
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "game/areas/area_table.h"
#include "game/areas/areas.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/game_fuzz_support.h"
#include "tools/sample_data/sample_data.h"

namespace {

constexpr size_t kPathSize = 128;
// The level file kinds as the file names begin.
constexpr const char* kKinds[] = {"BRIMAL_",         "stairs_data_", "generator_data_",
                                  "set_enemy_data_", "rock_data_",   "item_data_",
                                  "boss_data_"};
// The floor played when the input names no file: dansion01's boss floor.
constexpr int32_t kFallbackArea = 2;
constexpr int32_t kFallbackFloor = 5;

struct Floor {
  int32_t area;
  int32_t floor;
};

const std::map<std::string, std::string>& SampleFiles() {
  static const std::map<std::string, std::string> files = SampleLevelFiles();
  return files;
}

// The floor whose entry reads `path`; false when it is no level file of the
// areas.
bool FloorOfFile(const std::string& path, Floor* found) {
  for (int32_t a = 0; a < kAreaCount; ++a) {
    const AreaTableRow& area = area_table[a];
    for (const PatchMapOfFloor& patch : area.patch_maps) {
      if (patch.path != nullptr && path == patch.path) {
        *found = {a, patch.floor};
        return true;
      }
    }
    for (int32_t f = 0; f < area.floors; ++f) {
      for (const char* kind : kKinds) {
        char name[kPathSize];
        if (level_file_path(name, sizeof name, area, kind, f) && path == name) {
          *found = {a, f};
          return true;
        }
      }
    }
  }
  return false;
}

// Two players of the two characters with their start values, near the
// top-left of the map.
void PlaceParty() {
  player_count = 2;
  for (int32_t p = 0; p < 2; ++p) {
    player_data& record = player[p];
    record.character = p;
    record.alive = 1;
    record.level = 1;
    record.X = 176.0f + 32.0f * static_cast<float>(p);
    record.Y = 176.0f;
    record.hp_max = record.hp = p == 0 ? 15 : 24;
    record.agility_base = p == 0 ? 2.2f : 1.8f;
    record.attack_base = p == 0 ? 8 : 6;
    record.vitality_base = record.intelligence_base = p == 0 ? 5 : 8;
    record.shot_width = record.shot_height = 6;
    for (int a = 0; a < 5; ++a) record.action_button[a] = a;
  }
}

// Walks a square with the shot held every other press, casts both spells
// and walks on: 300 frames.
std::vector<int32_t> PartyPresses() {
  std::vector<int32_t> presses;
  for (const int32_t direction : {kPadRight, kPadDown, kPadLeft, kPadUp}) {
    for (int step = 0; step < 30; ++step) {
      presses.push_back(direction | (step % 2 == 0 ? PadButton(0) : 0));
    }
    presses.push_back(PadButton(1));
    presses.push_back(PadButton(2));
    presses.push_back(direction | kPadDown);
  }
  return presses;
}

void PlayFloor(const std::map<std::string, std::string>& files, const Floor& floor) {
  StartGameState(files);
  PlaceParty();
  present_map_number = floor.area;
  present_map_floor = floor.floor;
  area_entry_request = 1;
  game_status = kStatusPlay;
  const std::vector<int32_t> presses = PartyPresses();
  RunFrames(presses, static_cast<int>(presses.size()) * 2 + 4);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartGameForFuzzing();
  const char* text = reinterpret_cast<const char*>(data);
  const void* line_end = std::memchr(data, '\n', size);
  const size_t name_length =
      line_end != nullptr ? static_cast<size_t>(static_cast<const uint8_t*>(line_end) - data) : 0;
  std::string name(text, name_length);
  if (!name.empty() && name.back() == '\r') name.pop_back();

  std::map<std::string, std::string> files = SampleFiles();
  Floor floor{};
  if (line_end != nullptr && FloorOfFile(name, &floor)) {
    files[name] = std::string(text + name_length + 1, size - name_length - 1);
    PlayFloor(files, floor);
    return 0;
  }
  const AreaTableRow& area = area_table[kFallbackArea];
  for (const char* kind : kKinds) {
    char path[kPathSize];
    FUZZ_CHECK(level_file_path(path, sizeof path, area, kind, kFallbackFloor));
    std::map<std::string, std::string> changed = files;
    changed[path] = std::string(text, size);
    PlayFloor(changed, {kFallbackArea, kFallbackFloor});
  }
  return 0;
}
