// Generators: releases, blocking, the death figure.
#include <gtest/gtest.h>

#include "game/areas/areas.h"
#include "game/enemies/enemies.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/support/api_fake/api_fake.h"

namespace {

class GeneratorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    api_fake().Reset();
    reset_game();
    for (enemy_data& e : enemy) e = enemy_data{};
    scroll_x = 0;
    scroll_y = 0;
    death_appear_time = 100000;
    death_appear_counter = 0;
    AddGenerator(100.0f, 100.0f, 0, 126);
  }
  static int AddGenerator(float x, float y, int32_t kind, int32_t interval) {
    const int g = generator_count++;
    generator_x[g] = x;
    generator_y[g] = y;
    generator_active[g] = 1;
    generator_kind[g] = kind;
    generator_hp[g] = 10;
    generator_interval[g] = interval;
    generator_counter[g] = 0;
    return g;
  }
  // Runs frames until an enemy is released (or `limit` frames); returns the
  // frames run, or -1.
  static int FramesToRelease(int limit) {
    for (int f = 1; f <= limit; ++f) {
      update_generators();
      for (const enemy_data& e : enemy)
        if (e.alive == 1) return f;
    }
    return -1;
  }
  static int LiveEnemies() {
    int n = 0;
    for (const enemy_data& e : enemy) n += e.alive == 1 ? 1 : 0;
    return n;
  }
};

TEST_F(GeneratorTest, AGeneratorReleasesEveryIntervalFromTheSpawnTable) {
  EXPECT_EQ(FramesToRelease(200), 126);
  const enemy_data& e = enemy[0];
  EXPECT_EQ(e.kind, 0);
  EXPECT_EQ(e.X, 100.0f);
  EXPECT_EQ(e.Y, 100.0f);
  EXPECT_EQ(e.width, 13);
  EXPECT_EQ(e.height, 10);
  EXPECT_EQ(e.hp, 8);
  EXPECT_EQ(e.attack, 3);
  EXPECT_EQ(e.speed, 0.5f);
  EXPECT_EQ(e.target, 255);
  EXPECT_EQ(e.left_generator, 0);
  EXPECT_EQ(generator_counter[0], 0);
  // Standing on its generator, the new enemy blocks the next release.
  for (int f = 0; f < 126; ++f) update_generators();
  EXPECT_EQ(LiveEnemies(), 1);
  // Once it has walked off, the next one comes.
  enemy[0].left_generator = 1;
  for (int f = 0; f < 126; ++f) update_generators();
  EXPECT_EQ(LiveEnemies(), 2);
  EXPECT_EQ(enemy[1].alive, 1);
}

TEST_F(GeneratorTest, TheFirstReleaseComesTwentyFramesAfterComingIntoView) {
  scroll_x = -1000;  // the generator is left of the view
  update_generators();
  EXPECT_EQ(generator_counter[0], 106);
  scroll_x = 0;
  EXPECT_EQ(FramesToRelease(100), 20);
}

TEST_F(GeneratorTest, TheViewTestIsStrictOnEverySide) {
  struct Case {
    float x, y;
    bool counts;
  };
  const Case cases[] = {{0.0f, 100.0f, false},   {0.5f, 100.0f, true},    {528.0f, 100.0f, false},
                        {527.5f, 100.0f, true},  {100.0f, 0.0f, false},   {100.0f, 376.0f, false},
                        {100.0f, 375.0f, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
    SetUp();
    scroll_x = -40;
    scroll_y = 12;
    generator_x[0] = c.x + 40.0f;  // the limits move with the scroll
    generator_y[0] = c.y - 12.0f;
    generator_counter[0] = 50;
    update_generators();
    EXPECT_EQ(generator_counter[0], c.counts ? 51 : 106);
  }
}

TEST_F(GeneratorTest, ACounterPastItsIntervalNeverReleasesOnScreen) {
  generator_counter[0] = 130;
  EXPECT_EQ(FramesToRelease(500), -1);
  EXPECT_EQ(generator_counter[0], 630);
}

TEST_F(GeneratorTest, BlockedOrSlotlessReleasesAreLostAndTheCountStartsAgain) {
  // An enemy of another generator that has not left its own one stands here.
  enemy[5].alive = 1;
  enemy[5].X = 110.0f;
  enemy[5].Y = 100.0f;
  enemy[5].width = 4;
  enemy[5].height = 4;
  generator_counter[0] = 125;
  update_generators();
  EXPECT_EQ(generator_counter[0], 0);
  EXPECT_EQ(generator_blocked[0], 1);
  EXPECT_EQ(LiveEnemies(), 1);
  // Every slot taken, the ones whose death fade runs included.
  for (int s = 0; s < 16; ++s) {
    enemy[s] = enemy_data{};
    enemy[s].alive = s % 2;
    enemy[s].dying = 1 - s % 2;
    enemy[s].left_generator = 1;
  }
  generator_counter[0] = 125;
  update_generators();
  EXPECT_EQ(generator_counter[0], 0);
  EXPECT_EQ(generator_blocked[0], 0);
  EXPECT_EQ(LiveEnemies(), 8);
}

TEST_F(GeneratorTest, TheReleaseTakesTheLowestFreeSlotAndWritesOnlyItsFields) {
  enemy[0].alive = 1;
  enemy[0].left_generator = 1;
  enemy[0].X = 900.0f;
  enemy[1].dying = 5;
  enemy[2].facing = 6;  // left from an earlier enemy
  enemy[2].shot_state = 1;
  enemy[2].shot_request = 1;
  enemy[2].drawn = 1;
  generator_counter[0] = 125;
  update_generators();
  EXPECT_EQ(enemy[2].alive, 1);
  EXPECT_EQ(enemy[2].facing, 6);
  EXPECT_EQ(enemy[2].shot_state, 1);
  EXPECT_EQ(enemy[2].shot_request, 1);
  EXPECT_EQ(enemy[2].drawn, 1);
  EXPECT_EQ(enemy[1].alive, 0);
}

TEST_F(GeneratorTest, TheBeeNeverStartsOnAMainDirection) {
  const int32_t draws[] = {0, 4, 8, 12, 5};
  const int32_t facings[] = {1, 5, 9, 13, 5};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(draws[i]);
    SetUp();
    generator_kind[0] = 18;
    generator_counter[0] = 125;
    api_fake().random_values = {draws[i]};
    update_generators();
    EXPECT_EQ(enemy[0].facing, facings[i]);
    const std::vector<ApiCall> calls = api_fake().Calls("ApiGetRandom");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args[0], 15);
  }
}

TEST_F(GeneratorTest, TheDeathFigureReplacesTheFirstReleaseOnceTheTimerRanOut) {
  death_appear_time = 50;
  death_hp = 77;
  death_attack = 12;
  generator_kind[1] = 0;
  // Off screen when the timer runs out: it waits for the first release.
  scroll_x = -1000;
  for (int f = 0; f < 60; ++f) update_generators();
  EXPECT_EQ(death_appear_counter, 60);
  scroll_x = 0;
  EXPECT_EQ(FramesToRelease(100), 20);
  const enemy_data& e = enemy[0];
  EXPECT_EQ(e.kind, 19);
  EXPECT_EQ(e.hp, 77);
  EXPECT_EQ(e.attack, 12);
  EXPECT_EQ(e.width, 10);
  EXPECT_EQ(e.height, 13);
  EXPECT_EQ(e.speed, 1.0f);
  EXPECT_EQ(death_appear_counter, 0);
}

TEST_F(GeneratorTest, AKindOutsideTheTableReleasesNothingButStillTheDeathFigure) {
  for (int32_t kind : {-1, 55, 1000}) {
    SCOPED_TRACE(kind);
    SetUp();
    generator_kind[0] = kind;
    generator_counter[0] = 125;
    update_generators();
    EXPECT_EQ(LiveEnemies(), 0);
    death_appear_time = 0;
    generator_counter[0] = 125;
    update_generators();
    EXPECT_EQ(enemy[0].kind, 19);
  }
}

TEST_F(GeneratorTest, AGeneratorWithoutHitPointsIsRemovedWithItsSoundAndFade) {
  generator_hp[0] = 0;
  update_generators();
  EXPECT_EQ(generator_active[0], 0);
  EXPECT_EQ(generator_death_fade[0], 1);
  EXPECT_EQ(se_enemy_disappear8_request, 1);
  EXPECT_EQ(FramesToRelease(300), -1);
}

}  // namespace
