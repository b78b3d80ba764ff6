// The image loading table and load_images: the table's totals and a row of
// every folder worked out by hand, and the loading through the recording API
// fake (transparent colour first, every row with its grid, failed files left
// at -1).
#include "game/shell/image_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "game/shell/shell.h"
#include "tests/support/api_fake/api_fake.h"

namespace {

const ImageTableRow* FindRow(const std::string& path) {
  for (const ImageTableRow& row : image_table)
    if (path == row.path) return &row;
  return nullptr;
}

// ---- The table ---------------------------------------------------------------------

TEST(ImageTableTest, TotalsOfFilesAndHandles) {
  int32_t whole = 0;
  int32_t cut = 0;
  int32_t handles = 0;
  for (const ImageTableRow& row : image_table) {
    (row.cell_count == 0 ? whole : cut) += 1;
    handles += image_row_handle_count(row);
  }
  EXPECT_EQ(std::size(image_table), 342u);
  EXPECT_EQ(whole, 140);
  EXPECT_EQ(cut, 202);
  EXPECT_EQ(handles, 5370);
}

TEST(ImageTableTest, FilesPerFolder) {
  const std::map<std::string, int> expected = {
      {"data/img/player/", 10},    {"data/img/enemy/", 55},      {"data/img/boss/", 21},
      {"data/img/set_enemy/", 20}, {"data/img/map_chip/", 12},   {"data/img/item/", 23},
      {"data/img/status/", 34},    {"data/img/title/", 22},      {"data/img/ending/", 1},
      {"data/img/config/", 17},    {"data/img/pause_menu/", 14}, {"data/img/cg_character/", 26},
      {"data/img/shot/", 48},      {"data/img/shot_fade/", 25},  {"patch/patch_data/", 14},
  };
  std::map<std::string, int> counted;
  for (const ImageTableRow& row : image_table) {
    const std::string path = row.path;
    counted[path.substr(0, path.rfind('/') + 1)] += 1;
  }
  EXPECT_EQ(counted, expected);
}

// Every row is consistent in itself, paths and names are unique, and no two
// rows fill the same handle.
TEST(ImageTableTest, RowsAreWellFormedAndDisjoint) {
  std::set<std::string> paths;
  std::vector<std::pair<const int32_t*, const int32_t*>> ranges;
  for (const ImageTableRow& row : image_table) {
    SCOPED_TRACE(row.path);
    const std::string path = row.path;
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    ASSERT_NE(slash, std::string::npos);
    ASSERT_NE(dot, std::string::npos);
    EXPECT_EQ(path.substr(slash + 1, dot - slash - 1), row.name);
    const std::string extension = path.substr(dot);
    // Only the map chip sets are bitmaps.
    EXPECT_EQ(extension, path.find("/map_chip/BRIMAL_") != std::string::npos ? ".bmp" : ".png");
    EXPECT_TRUE(paths.insert(path).second) << "listed twice";

    if (row.cell_count == 0) {
      EXPECT_EQ(row.cells_across, 0);
      EXPECT_EQ(row.cells_down, 0);
      EXPECT_EQ(row.cell_width, 0);
      EXPECT_EQ(row.cell_height, 0);
    } else {
      EXPECT_EQ(row.cell_count, row.cells_across * row.cells_down);
      EXPECT_GT(row.cell_width, 0);
      EXPECT_GT(row.cell_height, 0);
    }
    ASSERT_NE(row.handles, nullptr);
    ranges.emplace_back(row.handles, row.handles + image_row_handle_count(row));
  }
  std::sort(ranges.begin(), ranges.end());
  for (size_t i = 1; i < ranges.size(); ++i)
    EXPECT_LE(ranges[i - 1].second, ranges[i].first) << "two rows share handles";
}

struct HandRow {
  const char* path;
  int32_t cell_count, across, down, width, height;
  const int32_t* handles;
  size_t handle_slots;  // the size of the global
};

template <size_t N>
HandRow Cells(const char* path, int32_t count, int32_t across, int32_t down, int32_t width,
              int32_t height, const int32_t (&array)[N]) {
  return {path, count, across, down, width, height, array, N};
}
HandRow Whole(const char* path, const int32_t& handle) { return {path, 0, 0, 0, 0, 0, &handle, 1}; }

// One or two rows of every folder, read off the list of files by hand; the
// size of each global is checked against the cell count too.
TEST(ImageTableTest, RowsWorkedOutByHand) {
  const HandRow rows[] = {
      Cells("data/img/player/dot_orven_shot_fade_img.png", 6, 6, 1, 32, 32,
            dot_orven_shot_fade_img),
      Cells("data/img/enemy/dot_fairy_maid_white_img.png", 32, 4, 8, 24, 32,
            dot_fairy_maid_white_img),
      Cells("data/img/boss/dot_wendel_shadow_img.png", 3, 1, 3, 32, 32, dot_wendel_shadow_img),
      Whole("data/img/boss/dot_fesku_front_img.png", dot_fesku_front_img),
      Cells("data/img/set_enemy/dot_vine_img04.png", 5, 1, 5, 160, 64, dot_vine_img04),
      Cells("data/img/map_chip/BRIMAL_map_chip_nimbra.bmp", 256, 16, 16, 32, 32,
            BRIMAL_map_chip_nimbra),
      Whole("data/img/map_chip/dot_movable_stone_img.png", dot_movable_stone_img),
      Whole("data/img/item/dot_breakable_rock_white.png", dot_breakable_rock_white),
      Cells("data/img/status/dot_number_17_img.png", 10, 10, 1, 12, 17, dot_number_17_img),
      Whole("data/img/status/back_screen_img.png", back_screen_img),
      Whole("data/img/title/select_character_arrow_4P_img2.png", select_character_arrow_4P_img2),
      Whole("data/img/ending/ending_end_img.png", ending_end_img),
      Cells("data/img/config/config_select_number_shade_img.png", 10, 10, 1, 19, 26,
            config_select_number_shade_img),
      Whole("data/img/pause_menu/yes_shade_img.png", yes_shade_img),
      Whole("data/img/cg_character/thessa_img.png", thessa_img),
      Cells("data/img/shot/dot_ember_crown_fade_in_img.png", 4, 4, 1, 96, 96,
            dot_ember_crown_fade_in_img),
      Cells("data/img/shot/dot_mobaki_bullet_yellow_img.png", 8, 1, 8, 32, 32,
            dot_mobaki_bullet_yellow_img),
      Cells("data/img/shot_fade/dot_4F_blue_green_shot_fade_img.png", 4, 4, 1, 16, 16,
            dot_4F_blue_green_shot_fade_img),
      Cells("patch/patch_data/dot_slowly_sadri_img.png", 4, 4, 1, 40, 40, dot_slowly_sadri_img),
      Whole("patch/patch_data/cg_sadri_img.png", cg_sadri_img),
  };
  for (const HandRow& expected : rows) {
    SCOPED_TRACE(expected.path);
    const ImageTableRow* row = FindRow(expected.path);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->cell_count, expected.cell_count);
    EXPECT_EQ(row->cells_across, expected.across);
    EXPECT_EQ(row->cells_down, expected.down);
    EXPECT_EQ(row->cell_width, expected.width);
    EXPECT_EQ(row->cell_height, expected.height);
    EXPECT_EQ(row->handles, expected.handles);
    EXPECT_EQ(static_cast<size_t>(image_row_handle_count(*row)), expected.handle_slots);
  }
}

// ---- load_images ----------------------------------------------------------------------

class LoadImagesTest : public ::testing::Test {
 protected:
  void SetUp() override { api_fake().Reset(); }
  void TearDown() override { api_fake().Reset(); }
};

TEST_F(LoadImagesTest, TransparentColourFirstThenEveryRowInTableOrder) {
  load_images();
  const std::vector<ApiCall>& calls = api_fake().calls;
  ASSERT_EQ(calls.size(), 1u + std::size(image_table));
  EXPECT_EQ(calls[0].name, "ApiSetTransparentColor");
  EXPECT_EQ(calls[0].args, (std::vector<int64_t>{0, 117, 117}));

  for (size_t i = 0; i < std::size(image_table); ++i) {
    const ImageTableRow& row = image_table[i];
    const ApiCall& call = calls[i + 1];
    SCOPED_TRACE(row.path);
    ASSERT_EQ(call.texts, std::vector<std::string>{row.path});
    if (row.cell_count == 0) {
      EXPECT_EQ(call.name, "ApiLoadGraphicFile");
      EXPECT_EQ(call.args, std::vector<int64_t>{0});
    } else {
      EXPECT_EQ(call.name, "ApiLoadGraphicCells");
      EXPECT_EQ(call.args, (std::vector<int64_t>{row.cell_count, row.cells_across, row.cells_down,
                                                 row.cell_width, row.cell_height, 0}));
    }
  }

  // Every handle holds one of the fake's fresh handles, none twice.
  std::set<int32_t> seen;
  for (const ImageTableRow& row : image_table) {
    for (int32_t i = 0; i < image_row_handle_count(row); ++i) {
      EXPECT_GE(row.handles[i], 100) << row.path << " cell " << i;
      EXPECT_TRUE(seen.insert(row.handles[i]).second) << row.path << " cell " << i;
    }
  }
  EXPECT_EQ(seen.size(), 5370u);
}

// A missing file leaves -1 in its handles (whatever they held before) and the
// rest of the table still loads.
TEST_F(LoadImagesTest, FailedFilesLeaveMinusOneAndTheRestLoads) {
  for (const ImageTableRow& row : image_table)
    for (int32_t i = 0; i < image_row_handle_count(row); ++i) row.handles[i] = 77;
  api_fake().failing_paths = {"data/img/title/title_menu_img.png",
                              "data/img/map_chip/BRIMAL_map_chip_forest.bmp",
                              "patch/patch_data/dot_slowly_sadri_img.png"};
  load_images();

  EXPECT_EQ(title_menu_img, -1);
  for (int32_t h : BRIMAL_map_chip_forest) EXPECT_EQ(h, -1);
  for (int32_t h : dot_slowly_sadri_img) EXPECT_EQ(h, -1);
  EXPECT_EQ(api_fake().Count("ApiLoadGraphicFile") + api_fake().Count("ApiLoadGraphicCells"), 342);
  int32_t loaded = 0;
  for (const ImageTableRow& row : image_table)
    for (int32_t i = 0; i < image_row_handle_count(row); ++i) loaded += row.handles[i] >= 100;
  EXPECT_EQ(loaded, 5370 - 1 - 256 - 4);
  EXPECT_GE(select_start_img, 100);
  EXPECT_GE(BRIMAL_map_chip_tower[255], 100);
}

}  // namespace
