// The two floor readers over api_fake's in-memory files: tokens, counts and
// end lines of the row files, and the layers, sizes and separator lines of
// the map files, with the files that break the rules.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "game/areas/areas.h"
#include "tests/support/api_fake/api_fake.h"

namespace {

constexpr const char* kPath = "data/mapdata/test/rows.csv";
constexpr int32_t kFill = 7;  // what every slot holds before a read

// ---- Row files ----------------------------------------------------------------------

struct RowCase {
  const char* name;
  const char* file;  // nullptr: the file does not exist
  int32_t slots;
  int32_t count;     // after the read (starts at 5)
  // Slots 0 to 3 of the two columns after the read (the int column, then the
  // float column); slots at and past `slots` must keep kFill.
  int32_t first[4];
  float second[4];
};

const RowCase kRowCases[] = {
    {"atoi_like_tokens", "1\r\n12abc,abc\r\n-5,7.9\r\n@\r\n", 4, 1,
     {12, -5, kFill, kFill}, {0.0f, 7.0f, kFill, kFill}},
    {"tab_is_no_separator", "1\r\n100\t200\r\n@\r\n", 4, 1,
     {100, kFill, kFill, kFill}, {kFill, kFill, kFill, kFill}},
    {"leading_separators_and_runs", "1\r\n ,, 5 ,,, 6\r\n@\r\n", 4, 1,
     {5, kFill, kFill, kFill}, {6.0f, kFill, kFill, kFill}},
    {"empty_line_takes_a_slot", "3\r\n1,1\r\n\r\n3,3\r\n@\r\n", 4, 3,
     {1, kFill, 3, kFill}, {1.0f, kFill, 3.0f, kFill}},
    {"blank_then_at_is_a_row", "2\r\n @,9\r\n4,4\r\n@\r\n", 4, 2,
     {0, 4, kFill, kFill}, {9.0f, 4.0f, kFill, kFill}},
    {"count_is_no_bound_on_rows", "2\r\n1,1\r\n2,2\r\n3,3\r\n@\r\n", 4, 2,
     {1, 2, 3, kFill}, {1.0f, 2.0f, 3.0f, kFill}},
    {"short_rows_keep_earlier_values", "2\r\n5\r\n,6\r\n@\r\n", 4, 2,
     {5, 6, kFill, kFill}, {kFill, kFill, kFill, kFill}},
    {"nothing_after_the_end_line", "1\r\n1,1\r\n@\r\n2,2\r\n", 4, 1,
     {1, kFill, kFill, kFill}, {1.0f, kFill, kFill, kFill}},
    {"file_without_end_line_stops_at_its_end", "2\r\n1,1\r\n2,2", 4, 2,
     {1, 2, kFill, kFill}, {1.0f, 2.0f, kFill, kFill}},
    {"count_line_without_token_keeps_the_count", ",\r\n1,1\r\n@\r\n", 4, 4,
     {1, kFill, kFill, kFill}, {1.0f, kFill, kFill, kFill}},
    {"rows_past_the_slots_are_dropped", "9\r\n1,1\r\n2,2\r\n3,3\r\n4,4\r\n@\r\n", 2, 2,
     {1, 2, kFill, kFill}, {1.0f, 2.0f, kFill, kFill}},
    {"negative_count_is_none", "-3\r\n1,1\r\n@\r\n", 4, 0,
     {1, kFill, kFill, kFill}, {1.0f, kFill, kFill, kFill}},
    // An int column keeps the held number; a float column is a position, held
    // at the position limit of 2^24 pixels.
    {"numbers_past_32_bits_are_held", "1\r\n99999999999,-99999999999\r\n@\r\n", 4, 1,
     {INT32_MAX, kFill, kFill, kFill}, {-16777216.0f, kFill, kFill, kFill}},
    {"empty_file_keeps_the_count", "", 4, 4,
     {kFill, kFill, kFill, kFill}, {kFill, kFill, kFill, kFill}},
    {"missing_file_has_no_rows", nullptr, 4, 0,
     {kFill, kFill, kFill, kFill}, {kFill, kFill, kFill, kFill}},
};

class RowFileTest : public ::testing::TestWithParam<RowCase> {
 protected:
  void SetUp() override { api_fake().Reset(); }
};

TEST_P(RowFileTest, ReadsRowsIntoTheColumns) {
  const RowCase& c = GetParam();
  if (c.file != nullptr) api_fake().files[kPath] = c.file;
  // Two spare slots past the table show that nothing is written beyond it.
  int32_t ints[6];
  float floats[6];
  float copies[6];
  for (int i = 0; i < 6; ++i) {
    ints[i] = kFill;
    floats[i] = copies[i] = static_cast<float>(kFill);
  }
  // The count starts at 5 (held to the slots when the file gives none).
  int32_t count = 5;
  const RowColumn columns[] = {{ints, nullptr, nullptr}, {nullptr, floats, copies}};
  read_row_file(kPath, &count, c.slots, columns, 2);

  EXPECT_EQ(count, c.count);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(ints[i], c.first[i]) << "slot " << i;
    EXPECT_EQ(floats[i], c.second[i]) << "slot " << i;
    EXPECT_EQ(copies[i], c.second[i]) << "copy, slot " << i;
  }
  for (int i = 4; i < 6; ++i) {
    EXPECT_EQ(ints[i], kFill);
    EXPECT_EQ(floats[i], kFill);
  }
  // Every file that opened is closed again.
  EXPECT_EQ(api_fake().Count("ApiCloseFile"), c.file != nullptr ? 1 : 0);
  for (const ApiCall& call : api_fake().Calls("ApiOpenFileForRead")) EXPECT_EQ(call.args[0], 0);
  for (const ApiCall& call : api_fake().Calls("ApiReadFileLine")) EXPECT_EQ(call.args[0], 512);
}

INSTANTIATE_TEST_SUITE_P(Cases, RowFileTest, ::testing::ValuesIn(kRowCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Map files ------------------------------------------------------------------------

class MapFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    api_fake().Reset();
    for (int r = 0; r < kMapGridSize; ++r) {
      for (int c = 0; c < kMapGridSize; ++c) {
        map_chip_layer[r][c] = 1000 + r;
        map_cover_layer[r][c] = 2000 + r;
        map_cell[r][c] = 3000 + r;
      }
    }
    map_width = map_height = 11;
    map_width_px = map_height_px = 352;
    map_status = 9;
  }

  // Reads `text` as a map file.
  void Read(const std::string& text, int32_t second_separator = kMapSeparatorBuffer) {
    api_fake().files["map.csv"] = text;
    read_map_file("map.csv", second_separator);
  }
};

TEST_F(MapFileTest, ReadsThreeLayersAndTheSizes) {
  Read("3,2\r\n1,2,3\r\n4,5,6\r\n\r\n11,12,13\r\n14,15,16\r\n-\r\n21,22,23\r\n24,25,26\r\n9,9,9\r\n");
  EXPECT_EQ(map_width, 3);
  EXPECT_EQ(map_height, 2);
  EXPECT_EQ(map_width_px, 96);
  EXPECT_EQ(map_height_px, 64);
  EXPECT_EQ(map_chip_layer[0][0], 1);
  EXPECT_EQ(map_chip_layer[1][2], 6);
  EXPECT_EQ(map_cover_layer[0][1], 12);
  EXPECT_EQ(map_cell[1][2], 26);
  // Nothing past the width and height, and nothing after the cell layer.
  EXPECT_EQ(map_chip_layer[0][3], 1000);
  EXPECT_EQ(map_cell[2][0], 3002);
  EXPECT_EQ(map_status, 9) << "the reader leaves map_status to its callers";
  EXPECT_EQ(api_fake().Count("ApiCloseFile"), 1);
}

TEST_F(MapFileTest, ShortRowsKeepTheirRestAndLongRowsAreCut) {
  Read("4,2\r\n1,2,3,4,5,6\r\n9\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
  EXPECT_EQ(map_chip_layer[0][3], 4);
  EXPECT_EQ(map_chip_layer[0][4], 1000) << "tokens past the width are ignored";
  EXPECT_EQ(map_chip_layer[1][0], 9);
  EXPECT_EQ(map_chip_layer[1][1], 1001) << "a short row keeps the rest of its cells";
  EXPECT_EQ(map_cover_layer[0][0], 2000) << "empty rows change nothing";
}

TEST_F(MapFileTest, TenByEightLeavesRowsEightAndOnAlone) {
  std::string text = "10,8\r\n";
  for (int layer = 0; layer < 3; ++layer) {
    for (int r = 0; r < 8; ++r) text += "5,5,5,5,5,5,5,5,5,5\r\n";
    if (layer < 2) text += "\r\n";
  }
  Read(text);
  EXPECT_EQ(map_width_px, 320);
  EXPECT_EQ(map_height_px, 256);
  EXPECT_EQ(map_cell[7][9], 5);
  EXPECT_EQ(map_cell[8][0], 3008);
  EXPECT_EQ(map_chip_layer[64][0], 1064);
  EXPECT_EQ(map_cover_layer[0][10], 2000);
}

// A separator is read with a 4-byte buffer: an empty one or one of a single
// character is skipped whole; a longer one feeds its rest into the next
// layer's first row.
TEST_F(MapFileTest, SeparatorLines) {
  struct Case {
    const char* separator;
    int32_t first_cover[2];
  };
  const Case cases[] = {{"", {40, 41}}, {"#", {40, 41}}, {"abcd12,13", {0, 13}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.separator);
    SetUp();
    Read(std::string("2,1\r\n1,2\r\n") + c.separator + "\r\n40,41\r\n\r\n50,51\r\n");
    EXPECT_EQ(map_cover_layer[0][0], c.first_cover[0]);
    EXPECT_EQ(map_cover_layer[0][1], c.first_cover[1]);
  }
}

// The house's second separator is read with the whole line buffer.
TEST_F(MapFileTest, WideSecondSeparatorIsSkippedWhole) {
  const std::string text = "2,1\r\n1,2\r\n\r\n3,4\r\nabcd12,13\r\n5,6\r\n";
  Read(text);
  EXPECT_EQ(map_cell[0][0], 0) << "the 4-byte buffer leaves \"d12,13\" as the cell row";
  EXPECT_EQ(map_cell[0][1], 13);
  SetUp();
  Read(text, kLevelLineBuffer);
  EXPECT_EQ(map_cell[0][0], 5);
  EXPECT_EQ(map_cell[0][1], 6);
}

TEST_F(MapFileTest, SizesAreHeldToTheGrid) {
  Read("70,-3\r\n");
  EXPECT_EQ(map_width, 65);
  EXPECT_EQ(map_height, 0);
  EXPECT_EQ(map_width_px, 65 * 32);
  EXPECT_EQ(map_height_px, 0);
  EXPECT_EQ(map_chip_layer[0][0], 1000);
}

// A file that ends early leaves the rows it does not reach as they were
// (the line reader would hand back its last line again).
TEST_F(MapFileTest, FileEndingEarlyLeavesTheRestOfTheLayers) {
  Read("2,3\r\n1,2\r\n3,4");
  EXPECT_EQ(map_chip_layer[1][1], 4);
  EXPECT_EQ(map_chip_layer[2][0], 1002);
  EXPECT_EQ(map_cover_layer[0][0], 2000);
  EXPECT_EQ(map_cell[0][0], 3000);
  EXPECT_EQ(map_height_px, 96);
}

TEST_F(MapFileTest, MissingFileChangesNothing) {
  read_map_file("no such map.csv");
  EXPECT_EQ(map_width, 11);
  EXPECT_EQ(map_height_px, 352);
  EXPECT_EQ(map_chip_layer[0][0], 1000);
  EXPECT_EQ(api_fake().Count("ApiCloseFile"), 0);
}

TEST_F(MapFileTest, MissingSizeTokensKeepTheSizes) {
  Read("\r\n");
  EXPECT_EQ(map_width, 11);
  EXPECT_EQ(map_height, 11);
  EXPECT_EQ(map_width_px, 352);
}

}  // namespace
