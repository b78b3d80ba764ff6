// The steady shooters' request cycles, kind 46's tick around its intangible
// window, and requests that only the enemy-shot update clears.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/game/enemies/enemy_test_support.h"

namespace {

struct SteadyCase {
  int32_t kind;
  int32_t cycle;                  // frames
  std::vector<int32_t> requests;  // runs that raise a request over two cycles
};
const SteadyCase kSteadyCases[] = {
    {28, 100, {61, 161}}, {42, 100, {61, 161}},  {52, 100, {61, 161}},
    {46, 300, {51, 351}}, {50, 240, {221, 461}},
};

TEST(SteadyShooterTest, RequestsOverTwoCyclesWhileChasing) {
  for (const SteadyCase& c : kSteadyCases) {
    ResetField();
    player_count = 1;
    PlacePlayer(0, 100, 500);  // straight below
    PlaceEnemy(0, c.kind, 100, 100);
    std::vector<int32_t> requests;
    for (int32_t run = 1; run <= 2 * c.cycle; ++run) {
      ClearStep(0);
      enemy[0].shot_request = 0;  // as the enemy-shot update does when it fires
      RunEnemy(0);
      ASSERT_EQ(enemy[0].vy, kSpawnSpeed[c.kind]) << "kind " << c.kind << " run " << run;
      ASSERT_EQ(enemy[0].facing, 4) << "kind " << c.kind << " run " << run;
      if (enemy[0].shot_request == 1) requests.push_back(run);
      ASSERT_EQ(enemy[0].tick, run % c.cycle) << "kind " << c.kind << " run " << run;
    }
    EXPECT_EQ(requests, c.requests) << "kind " << c.kind;
  }
}

TEST(SteadyShooterTest, RequestFacesTheStepOfItsFrame) {
  ResetField();
  player_count = 1;
  PlacePlayer(0, 40, 100);  // to the left
  PlaceEnemy(0, 28, 100, 100).tick = 60;
  enemy[0].facing = 2;
  RunEnemy(0);
  EXPECT_EQ(enemy[0].shot_request, 1);
  EXPECT_EQ(enemy[0].facing, 6);
}

// Kind 46 hurts nobody and lets shots through while the tick the world reads
// after its routine is 60 to 179.
TEST(SteadyShooterTest, Kind46TickAtTheEdgesOfItsWindow) {
  ResetField();
  player_count = 1;
  PlacePlayer(0, 300, 100);
  PlaceEnemy(0, 46, 100, 100);
  const struct {
    int32_t run;
    int32_t tick;
  } kChecks[] = {{59, 59}, {60, 60},  {179, 179}, {180, 180}, {299, 299},
                 {300, 0}, {359, 59}, {360, 60},  {479, 179}, {480, 180}};
  int32_t run = 0;
  for (const auto& check : kChecks) {
    while (run < check.run) {
      RunEnemy(0);
      ++run;
    }
    EXPECT_EQ(enemy[0].tick, check.tick) << "run " << check.run;
  }
}

// A request waits for the shot in flight: no behaviour clears it.
TEST(ShootingEnemyTest, ABehaviourNeverClearsARequest) {
  for (int32_t kind : {5, 28, 36, 40, 42, 46, 50, 52}) {
    ResetField();
    player_count = 1;
    PlacePlayer(0, 300, 100);
    PlaceEnemy(0, kind, 100, 100).shot_request = 1;
    for (int32_t run = 1; run <= 300; ++run) {
      ClearStep(0);
      RunEnemy(0);
      ASSERT_EQ(enemy[0].shot_request, 1) << "kind " << kind << " run " << run;
    }
  }
}

}  // namespace
