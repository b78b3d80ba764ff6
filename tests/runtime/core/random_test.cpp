#include "runtime/core/random.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace {

// The first outputs of the 1998 reference program with its default seed 4357.
constexpr uint32_t kReference4357[] = {2867219139u, 1585203162u, 3113124129u, 2953900839u,
                                       2463794868u};
// Its 625th output: the first one of the second regeneration.
constexpr uint32_t kReference4357Output625 = 1044672925u;

// Runs first so that, in its own process, nothing has drawn or seeded before.
TEST(RandomDeathTest, FirstDrawWithoutSeedingUsesSeed4357) {
  EXPECT_EXIT(
      {
        const uint32_t first = NextRandom();
        const uint32_t second = NextRandom();
        std::fprintf(stderr, "draws %u %u\n", first, second);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "draws 2867219139 1585203162");
}

TEST(Random, Seed4357GivesTheReferenceSequence) {
  SeedRandom(4357);
  for (uint32_t expected : kReference4357) EXPECT_EQ(NextRandom(), expected);
  for (int draw = 6; draw < 625; ++draw) NextRandom();
  EXPECT_EQ(NextRandom(), kReference4357Output625);
}

TEST(Random, RegenerationGoesOnWithoutRepeating) {
  SeedRandom(4357);
  std::set<uint32_t> first_block;
  for (int draw = 0; draw < 624; ++draw) first_block.insert(NextRandom());
  int repeats = 0;
  for (int draw = 0; draw < 624; ++draw) repeats += first_block.count(NextRandom()) != 0 ? 1 : 0;
  EXPECT_EQ(repeats, 0);
}

TEST(Random, ReseedingRestartsTheSequence) {
  SeedRandom(4357);
  for (int draw = 0; draw < 700; ++draw) NextRandom();
  SeedRandom(4357);
  EXPECT_EQ(NextRandom(), kReference4357[0]);

  SeedRandom(1);
  const uint32_t from_one = NextRandom();
  EXPECT_NE(from_one, kReference4357[0]);
  SeedRandom(1);
  EXPECT_EQ(NextRandom(), from_one);
}

struct RangeCase {
  const char* name;
  int32_t max;
  int32_t expected[5];  // for the five reference outputs
};

const RangeCase kRangeCases[] = {
    {"max 0 is always 0", 0, {0, 0, 0, 0, 0}},
    // 1 for outputs of 2^31 and above, else 0.
    {"max 1 splits at 2^31", 1, {1, 0, 1, 1, 1}},
    {"max -1 is always 0", -1, {0, 0, 0, 0, 0}},
    {"max 6", 6, {4, 2, 5, 4, 4}},
    {"max 999", 999, {667, 369, 724, 687, 573}},
    // max + 1 = 2^31 does not overflow: the output halved.
    {"largest max", INT32_MAX, {1433609569, 792601581, 1556562064, 1476950419, 1231897434}},
};

TEST(RandomRange, ScalesTheOutputWithoutModulo) {
  for (const RangeCase& c : kRangeCases) {
    SCOPED_TRACE(c.name);
    SeedRandom(4357);
    for (int32_t expected : c.expected) EXPECT_EQ(RandomRange(c.max), expected);
  }
}

TEST(RandomRange, EveryValueFromZeroToMaxComesUp) {
  SeedRandom(4357);
  constexpr int32_t kMax = 6;
  int counts[kMax + 1] = {};
  for (int draw = 0; draw < 7000; ++draw) {
    const int32_t value = RandomRange(kMax);
    ASSERT_GE(value, 0);
    ASSERT_LE(value, kMax);
    ++counts[value];
  }
  for (int count : counts) EXPECT_GT(count, 800);
}

TEST(Random, MmxIsReportedUsable) { EXPECT_EQ(MmxAvailable(), 1); }

}  // namespace
