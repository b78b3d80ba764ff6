// The area table and the two small look-ups over it.
#include "game/areas/area_table.h"

#include <cstdio>

namespace {

constexpr DeathTimeOfFloor kNoTime = {-1, 0};
constexpr PatchMapOfFloor kNoPatch = {-1, nullptr};

}  // namespace

const AreaTableRow area_table[kAreaCount] = {
    {"pelune_house", 1, 0, -1, -1, item_table_pelune_house, item_count_pelune_house, 2,
     1, 10000, {kNoTime, kNoTime, kNoTime, kNoTime}, 1, 1, {kNoPatch, kNoPatch}, 5},
    {"field01", 4, 1, -1, -1, item_table_field01, item_count_field01, 3,
     8, 7200, {kNoTime, kNoTime, kNoTime, kNoTime}, 100, 30, {kNoPatch, kNoPatch}, 5},
    {"dansion01", 7, 1, 5, 0, item_table_dansion01, item_count_dansion01, 4,
     8, 7200, {kNoTime, kNoTime, kNoTime, kNoTime}, 100, 30, {kNoPatch, kNoPatch}, 5},
    {"dansion02", 8, 1, 6, 1, item_table_dansion02, item_count_dansion02, 6,
     8, 7200, {{0, 12000}, {7, 10000}, kNoTime, kNoTime}, 100, 50, {kNoPatch, kNoPatch}, 5},
    {"dansion02sub", 5, 1, -1, -1, item_table_dansion02sub, item_count_dansion02sub, 4,
     8, 7200, {kNoTime, kNoTime, kNoTime, kNoTime}, 100, 50,
     {{3, "patch/patch_data/BRIMAL_dansion02sub3b.csv"},
      {4, "patch/patch_data/BRIMAL_dansion02sub4b.csv"}},
     5},
    // The patch map's name is spelt "filed" in the game's data.
    {"field02", 2, 1, -1, -1, item_table_field02, item_count_field02, 3,
     8, 7200, {kNoTime, kNoTime, kNoTime, kNoTime}, 100, 50,
     {{1, "patch/patch_data/BRIMAL_filed021b.csv"}, kNoPatch}, 5},
    {"dansion03", 7, 1, 6, 2, item_table_dansion03, item_count_dansion03, 8,
     8, 7200, {{2, 9000}, kNoTime, kNoTime, kNoTime}, 120, 80, {kNoPatch, kNoPatch}, 5},
    {"library", 7, 1, 6, 3, item_table_library, item_count_library, 10,
     7, 7200, {{5, 19000}, kNoTime, kNoTime, kNoTime}, 120, 80, {kNoPatch, kNoPatch}, 5},
    {"dansion05", 9, 1, 8, 4, item_table_dansion05, item_count_dansion05, 12,
     9, 7200, {{0, 12000}, {2, 8000}, {3, 10000}, {4, 10000}}, 120, 90, {kNoPatch, kNoPatch}, 5},
    {"dansion06", 8, 1, 5, 5, item_table_dansion06, item_count_dansion06, 14,
     8, 7200, {{2, 9000}, {3, 10000}, kNoTime, kNoTime}, 130, 90, {kNoPatch, kNoPatch}, 5},
    {"field03", 4, 1, -1, -1, item_table_field03, item_count_field03, 3,
     4, 7200, {kNoTime, kNoTime, kNoTime, kNoTime}, 140, 100, {kNoPatch, kNoPatch}, 5},
    {"dansion07", 10, 1, 9, 6, item_table_dansion07, item_count_dansion07, 16,
     10, 7200, {{2, 10000}, kNoTime, kNoTime, kNoTime}, 140, 100,
     {{3, "patch/patch_data/BRIMAL_dansion073b.csv"},
      {4, "patch/patch_data/BRIMAL_dansion074b.csv"}},
     6},
    {"dansion08", 9, 1, 8, 7, item_table_dansion08, item_count_dansion08, 18,
     9, 7200, {{0, 2500}, kNoTime, kNoTime, kNoTime}, 150, 100,
     {{0, "patch/patch_data/BRIMAL_dansion080b.csv"}, kNoPatch}, 6},
    {"dansion09", 10, 1, 9, 8, item_table_dansion09, item_count_dansion09, 20,
     10, 7200, {kNoTime, kNoTime, kNoTime, kNoTime}, 160, 110,
     {{0, "patch/patch_data/BRIMAL_dansion090b.csv"}, kNoPatch}, 6},
    {"ending", 1, 0, -1, -1, item_table_ending, item_count_ending, 100,
     1, 7200, {kNoTime, kNoTime, kNoTime, kNoTime}, 1, 1, {kNoPatch, kNoPatch}, 5},
};

const int32_t item_area_order[kAreaCount] = {0, 1, 5, 10, 2, 3, 4, 6, 7, 8, 9, 11, 12, 13, 14};

// Floors 1 to 5 carry two blocks over their two pits, floors 6 and 7 one;
// floors 0, 8 and 9 none, so what is drawn there never depends on the floor
// entered before.
const MovingBlockStart moving_block_starts[10] = {
    {0, {0.0f, 0.0f}, {0.0f, 0.0f}},        {2, {304.0f, 1520.0f}, {368.0f, 368.0f}},
    {2, {304.0f, 1520.0f}, {368.0f, 368.0f}}, {2, {304.0f, 1520.0f}, {368.0f, 368.0f}},
    {2, {304.0f, 1520.0f}, {368.0f, 368.0f}}, {2, {304.0f, 1520.0f}, {368.0f, 368.0f}},
    {1, {656.0f, 0.0f}, {784.0f, 0.0f}},      {1, {912.0f, 0.0f}, {208.0f, 0.0f}},
    {0, {0.0f, 0.0f}, {0.0f, 0.0f}},        {0, {0.0f, 0.0f}, {0.0f, 0.0f}},
};

int32_t area_death_time(const AreaTableRow& area, int32_t floor) {
  for (const DeathTimeOfFloor& entry : area.death_times) {
    if (entry.floor == floor) return entry.time;
  }
  return area.death_time;
}

bool level_file_path(char* out, size_t size, const AreaTableRow& area, const char* kind,
                     int32_t floor) {
  const int written =
      area.numbered != 0
          ? std::snprintf(out, size, "data/mapdata/%s/%s%s%d.csv", area.folder, kind, area.folder,
                          floor)
          : std::snprintf(out, size, "data/mapdata/%s/%s%s.csv", area.folder, kind, area.folder);
  if (written < 0 || static_cast<size_t>(written) >= size) {
    if (size > 0) out[0] = '\0';
    return false;
  }
  return true;
}
