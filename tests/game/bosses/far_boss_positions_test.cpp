// The boss's choice of target when the boss stands far beyond any map, as
// the boss files of tests/fixtures/bad-input could once place it (an x of
// 99999999999 kept as the float 2^31, an x and y of -2147483520): the
// distances stay defined, a distance beyond the int range counts as the
// largest int, and the choice is the nearest live player as ever.
#include <gtest/gtest.h>

#include <cstdint>

#include "game/bosses/boss_skeleton.h"
#include "tests/game/bosses/boss_test_support.h"

namespace {

int32_t target_seen = -1;
TargetKey key = TargetKey::kManhattan;

void recording_step() { target_seen = boss_target; }
void recording_boss() { run_boss_behaviour(recording_step, key); }
void no_pattern() {}

TEST(FarBossPositionsTest, TheTargetIsChosenWithoutOverflow) {
  const struct {
    const char* name;
    TargetKey key;
    float boss_x, boss_y;
    float player_x[2];
    int32_t expected;
  } cases[] = {
      {"x of 2^31: the nearer player", TargetKey::kHorizontal, 2147483648.0f, 128.0f,
       {100.0f, 240.0f}, 1},
      {"x of -2147483520: the nearer player, the farther distance held", TargetKey::kHorizontal,
       -2147483520.0f, 128.0f, {240.0f, 100.0f}, 1},
      {"x and y of -2147483520: both sums held, a tie keeps player 0", TargetKey::kManhattan,
       -2147483520.0f, -2147483520.0f, {240.0f, 100.0f}, 0},
      {"x and y of 1e11: both sums held, a tie keeps player 0", TargetKey::kManhattan, 1e11f,
       1e11f, {100.0f, 240.0f}, 0},
      {"x held at 2^24 by the reader: the nearer player", TargetKey::kManhattan, 16777216.0f,
       128.0f, {100.0f, 240.0f}, 1},
  };
  for (const auto& c : cases) {
    ResetBossRoom();
    BossSlot slot(2, recording_boss, no_pattern);
    key = c.key;
    target_seen = -1;
    PlaceBoss(2, c.boss_x, c.boss_y);
    player_count = 2;
    PlacePlayer(0, c.player_x[0], 128.0f);
    PlacePlayer(1, c.player_x[1], 128.0f);
    RunBossFrame();
    EXPECT_EQ(target_seen, c.expected) << c.name;
  }
}

}  // namespace
