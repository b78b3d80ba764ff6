// The position bound of the level readers and the conversions of positions
// to whole pixels: the same as a cast for every position a map can hold,
// defined (held at the int range's ends) for any other float.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "game/world/positions.h"

namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();

TEST(PositionsTest, HeldPositionKeepsTheLimitAndHoldsBeyondIt) {
  const struct {
    int32_t read, held;
  } cases[] = {
      {0, 0},
      {2080, 2080},
      {-31, -31},
      {kPositionLimit, kPositionLimit},
      {-kPositionLimit, -kPositionLimit},
      {kPositionLimit + 1, kPositionLimit},
      {-kPositionLimit - 1, -kPositionLimit},
      {INT32_MAX, kPositionLimit},  // 99999999999 as the token reader holds it
      {-2147483520, -kPositionLimit},
      {INT32_MIN, -kPositionLimit},
  };
  for (const auto& c : cases) EXPECT_EQ(held_position(c.read), c.held) << c.read;
}

TEST(PositionsTest, PositionToIntTruncatesLikeACastAndHoldsTheRest) {
  const struct {
    float position;
    int32_t pixel;
  } cases[] = {
      {176.9f, 176},
      {-0.5f, 0},
      {-31.9f, -31},
      {16777216.0f, 16777216},
      {2147483520.0f, 2147483520},    // the largest float below 2^31
      {-2147483648.0f, INT32_MIN},    // -2^31 is an int
      {2147483648.0f, INT32_MAX},     // 2^31, what a boss x of 99999999999 was stored as
      {1e11f, INT32_MAX},
      {-1e11f, INT32_MIN},
      {kInfinity, INT32_MAX},
      {-kInfinity, INT32_MIN},
      {std::nanf(""), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(position_to_int(c.position), c.pixel) << c.position;
}

TEST(PositionsTest, SumsAndDistancesAreHeldAtTheIntRange) {
  EXPECT_EQ(held_sum(176, -100, 48), 124);
  EXPECT_EQ(held_sum(INT32_MAX, 1), INT32_MAX);
  EXPECT_EQ(held_sum(INT32_MIN, -32), INT32_MIN);
  EXPECT_EQ(held_sum(INT32_MAX, INT32_MIN, 0), -1);

  EXPECT_EQ(position_distance(300.9f, 200.0f), 100);
  EXPECT_EQ(position_distance(200.0f, 300.9f), 100);
  // 240 - -2147483648 and the player against a boss at -2147483520.
  EXPECT_EQ(position_distance(240.0f, -2147483648.0f), INT32_MAX);
  EXPECT_EQ(position_distance(240.0f, -2147483520.0f), INT32_MAX);
  EXPECT_EQ(position_distance(100.0f, -2147483520.0f), 2147483620);
  EXPECT_EQ(position_distance(1e11f, -1e11f), INT32_MAX);
  EXPECT_EQ(position_distance(std::nanf(""), 5.0f), 5);
}

}  // namespace
