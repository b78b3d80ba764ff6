// The box-overlap test and the two bubble sorts that the game subsystems share.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "game/shell/shell.h"

namespace {

// ---- rects_overlap ------------------------------------------------------------------

struct Box {
  float x, y;
  int32_t w, h;
};

struct OverlapCase {
  const char* name;
  Box a, b;
  int32_t expected;
};

// 2^24: from here on a float holds only even integers, so a float sum of a
// position and a half-extent would round an edge onto its neighbour.
constexpr float kFar = 16777216.0f;

const OverlapCase kOverlapCases[] = {
    {"same box", {10, 10, 5, 5}, {10, 10, 5, 5}, 1},
    {"edges touch on x", {0, 0, 10, 10}, {20, 0, 10, 10}, 1},
    {"one pixel apart on x", {0, 0, 10, 10}, {21, 0, 10, 10}, 0},
    {"edges touch on y", {0, 0, 10, 10}, {0, 20, 10, 10}, 1},
    {"one pixel apart on y", {0, 0, 10, 10}, {0, 21, 10, 10}, 0},
    {"corners touch", {0, 0, 10, 10}, {20, 20, 10, 10}, 1},
    {"separated on x only", {0, 0, 10, 10}, {50, 3, 10, 10}, 0},
    {"separated on y only", {0, 0, 10, 10}, {3, 50, 10, 10}, 0},
    {"small box inside a large one", {100, 100, 50, 40}, {110, 90, 2, 3}, 1},
    {"point inside a box", {0, 0, 5, 5}, {1, -2, 0, 0}, 1},
    {"point on a box's corner", {0, 0, 5, 5}, {5, -5, 0, 0}, 1},
    {"point just outside a box", {0, 0, 5, 5}, {5.5f, 0, 0, 0}, 0},
    {"two equal points", {3.25f, 7.5f, 0, 0}, {3.25f, 7.5f, 0, 0}, 1},
    {"two different points", {3.25f, 7.5f, 0, 0}, {3.25f, 7.75f, 0, 0}, 0},
    {"negative positions touching", {-100.5f, -40, 10, 10}, {-80.5f, -60, 10, 10}, 1},
    {"fractional edges touching", {0.5f, 0, 10, 1}, {20.5f, 0, 10, 1}, 1},
    {"fractional edges a quarter apart", {0.5f, 0, 10, 1}, {20.75f, 0, 10, 1}, 0},
    // A player (half-extents 12) against a stairs trigger (7) at (100, 100):
    // met within 19 pixels on both axes.
    {"player at the stairs' reach", {119, 81, 12, 12}, {100, 100, 7, 7}, 1},
    {"player just beyond the stairs", {119.01f, 100, 12, 12}, {100, 100, 7, 7}, 0},
    // Right edge 2^24 + 3 and left edge 2^24 + 4 are one apart; in float
    // arithmetic both round to 2^24 + 4 and would meet.
    {"far apart by one on x", {kFar + 2, 0, 1, 1}, {kFar + 6, 0, 2, 1}, 0},
    {"far apart by one on y", {0, kFar + 2, 1, 1}, {0, kFar + 6, 1, 2}, 0},
    {"far edges touching", {kFar + 2, 0, 1, 1}, {kFar + 6, 0, 3, 1}, 1},
};

TEST(RectsOverlapTest, TableOfBoxPairsInBothOrders) {
  for (const OverlapCase& c : kOverlapCases) {
    EXPECT_EQ(rects_overlap(c.a.x, c.a.y, c.a.w, c.a.h, c.b.x, c.b.y, c.b.w, c.b.h), c.expected)
        << c.name;
    EXPECT_EQ(rects_overlap(c.b.x, c.b.y, c.b.w, c.b.h, c.a.x, c.a.y, c.a.w, c.a.h), c.expected)
        << c.name << " (boxes swapped)";
  }
}

// ---- The bubble sorts ---------------------------------------------------------------------

struct SortCase {
  const char* name;
  int32_t count;
  std::vector<int32_t> keys;
  std::vector<int32_t> values;
  std::vector<int32_t> sorted_keys;
  std::vector<int32_t> sorted_values;
};

const SortCase kSortCases[] = {
    {"equal keys keep their order", 3, {5, 3, 5}, {0, 1, 2}, {3, 5, 5}, {1, 0, 2}},
    {"count 0 changes nothing", 0, {9, 1}, {0, 1}, {9, 1}, {0, 1}},
    {"count 1 changes nothing", 1, {9, 1}, {0, 1}, {9, 1}, {0, 1}},
    {"only the first count entries", 2, {3, 2, 1, 0}, {0, 1, 2, 3}, {2, 3, 1, 0}, {1, 0, 2, 3}},
    {"negative numbers compare signed",
     5,
     {0, -1, INT32_MIN, INT32_MAX, -5},
     {0, 1, 2, 3, 4},
     {INT32_MIN, -5, -1, 0, INT32_MAX},
     {2, 4, 1, 0, 3}},
    {"reversed", 4, {40, 30, 20, 10}, {0, 1, 2, 3}, {10, 20, 30, 40}, {3, 2, 1, 0}},
    // Players by distance to an enemy, 9999 for a player who is down: the
    // nearest first, ties by the lower player number.
    {"distances with ties",
     4,
     {9999, 40, 9999, 40},
     {0, 1, 2, 3},
     {40, 40, 9999, 9999},
     {1, 3, 0, 2}},
    {"all keys equal", 4, {7, 7, 7, 7}, {0, 1, 2, 3}, {7, 7, 7, 7}, {0, 1, 2, 3}},
};

TEST(SortKeysWithValuesTest, TableOfCases) {
  for (const SortCase& c : kSortCases) {
    std::vector<int32_t> keys = c.keys;
    std::vector<int32_t> values = c.values;
    sort_keys_with_values(keys.data(), c.count, values.data());
    EXPECT_EQ(keys, c.sorted_keys) << c.name;
    EXPECT_EQ(values, c.sorted_values) << c.name;
  }
}

TEST(SortIntsTest, TableOfCases) {
  for (const SortCase& c : kSortCases) {
    std::vector<int32_t> keys = c.keys;
    sort_ints(keys.data(), c.count);
    EXPECT_EQ(keys, c.sorted_keys) << c.name;
  }
}

}  // namespace
