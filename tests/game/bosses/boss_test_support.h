// Shared by the boss tests: an open room with nobody up, players and a boss
// placed by the test, runs of update_boss, a test's own boss in a table slot,
// and the shots and effects in use.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/support/api_fake/api_fake.h"

constexpr int32_t kOpenCell = 9;
constexpr int32_t kWallCell = 0;
constexpr int32_t kNoTarget = 255;

// The title state with every player record cleared (all down), four players
// counted, a map of open floor, the fake's record empty.
inline void ResetBossRoom() {
  api_fake().Reset();
  reset_game();
  for (player_data& record : player) record = player_data{};
  player_count = 4;
  for (auto& row : map_cell)
    for (int32_t& cell : row) cell = kOpenCell;
  api_fake().calls.clear();
}

inline player_data& PlacePlayer(int32_t p, float x, float y, int32_t alive = 1) {
  player_data& record = player[p];
  record.alive = alive;
  record.X = x;
  record.Y = y;
  record.width = 12;
  record.height = 12;
  record.hp = 100;
  record.hp_max = 100;
  record.character = 1;
  return record;
}

// A fighting boss as its row and the encounter scene leave it.
inline void PlaceBoss(int32_t id, float x, float y, int32_t hp = 100, int32_t facing = 4) {
  boss_id = id;
  boss_active = 1;
  boss_x = x;
  boss_y = y;
  present_bossHP = hp;
  boss_attack = 7;
  boss_width = 20;
  boss_height = 20;
  boss_shot_width = 8;
  boss_shot_height = 8;
  boss_p_cnt = 0;
  boss_facing = facing;
  boss_target = kNoTarget;
}

// One play frame of the boss, with the sound requests cleared first as the
// end of the frame before would have.
inline void RunBossFrame() {
  se_boss_shot10_request = 0;
  se_boss_disappear_request = 0;
  se_win_request = 0;
  update_boss();
}

inline void RunBossFrames(int32_t n) {
  for (int32_t k = 0; k < n; ++k) RunBossFrame();
}

// Puts a test's own behaviour and shot pattern into slot `id` of the boss
// tables for the scope of the object.
class BossSlot {
 public:
  BossSlot(int32_t id, void (*behaviour)(), void (*pattern)())
      : id_(id), behaviour_(boss_update_table[id]), pattern_(boss_shot_update_table[id]) {
    boss_update_table[id] = behaviour;
    boss_shot_update_table[id] = pattern;
  }
  ~BossSlot() {
    boss_update_table[id_] = behaviour_;
    boss_shot_update_table[id_] = pattern_;
  }
  BossSlot(const BossSlot&) = delete;
  BossSlot& operator=(const BossSlot&) = delete;

 private:
  int32_t id_;
  void (*behaviour_)();
  void (*pattern_)();
};

// The slots whose state is 1, in slot order.
inline std::vector<int32_t> FlyingShots() {
  std::vector<int32_t> slots;
  for (int32_t i = 0; i < kBossShotSlots; ++i)
    if (boss_shot_state[i] == 1) slots.push_back(i);
  return slots;
}

inline int32_t RunningFades() {
  int32_t count = 0;
  for (int32_t alive : boss_shot_fade_alive) count += alive == 1 ? 1 : 0;
  return count;
}

// A flying shot put straight into slot i.
inline void PutShot(int32_t i, float x, float y, int32_t power, int32_t direction = 0) {
  boss_shot_state[i] = 1;
  boss_shot_x[i] = x;
  boss_shot_y[i] = y;
  boss_shot_power[i] = power;
  boss_shot_direction[i] = direction;
  boss_shot_box_width[i] = boss_shot_width;
  boss_shot_box_height[i] = boss_shot_height;
}

// ---- Schedules ----------------------------------------------------------------------

// The room a schedule row starts from: the boss at (x, y) with its facing and
// hit points, its target player 0 at (tx, ty), and the length of its cycle.
struct BossStart {
  int32_t id;
  int32_t hp;
  float x, y;
  int32_t facing;
  float tx, ty;
  int32_t cycle;
};

// What one frame from `tick` leaves: the facing, the boss's move, the cue.
struct TickRow {
  int32_t tick;
  int32_t facing;
  float dx, dy;
  int32_t cue;
};

// Runs one frame from each row's tick in a fresh room; the count must then
// be the tick + 1, or 0 where that reaches the cycle.
inline void ExpectTicks(const BossStart& start, const std::vector<TickRow>& rows) {
  for (const TickRow& row : rows) {
    ResetBossRoom();
    player_count = 1;
    PlaceBoss(start.id, start.x, start.y, start.hp, start.facing);
    boss_p_cnt = row.tick;
    boss_target = 0;
    PlacePlayer(0, start.tx, start.ty);
    RunBossFrame();
    const int32_t next = row.tick + 1 >= start.cycle ? 0 : row.tick + 1;
    EXPECT_EQ(boss_facing, row.facing) << "hp " << start.hp << ", tick " << row.tick;
    EXPECT_EQ(boss_x, start.x + row.dx) << "hp " << start.hp << ", tick " << row.tick;
    EXPECT_EQ(boss_y, start.y + row.dy) << "hp " << start.hp << ", tick " << row.tick;
    EXPECT_EQ(boss_shot_cue, row.cue) << "hp " << start.hp << ", tick " << row.tick;
    EXPECT_EQ(boss_p_cnt, next) << "hp " << start.hp << ", tick " << row.tick;
  }
}

// ---- Volleys -------------------------------------------------------------------------

// A shot as a volley leaves it.
struct ShotSpec {
  float x, y;
  int32_t direction;
  int32_t mode;
  int32_t kind;
  float aim_x, aim_y;
  int32_t box;  // half-extent on both axes
  int32_t power;
  int32_t age;
};

// Slots 0 to n - 1 hold these shots in order, and no other slot flies.
inline void ExpectShots(const char* name, const std::vector<ShotSpec>& shots) {
  ASSERT_EQ(FlyingShots().size(), shots.size()) << name;
  for (size_t i = 0; i < shots.size(); ++i) {
    const ShotSpec& s = shots[i];
    EXPECT_EQ(boss_shot_state[i], 1) << name << ", shot " << i;
    EXPECT_EQ(boss_shot_x[i], s.x) << name << ", shot " << i;
    EXPECT_EQ(boss_shot_y[i], s.y) << name << ", shot " << i;
    EXPECT_EQ(boss_shot_direction[i], s.direction) << name << ", shot " << i;
    EXPECT_EQ(boss_shot_mode[i], s.mode) << name << ", shot " << i;
    EXPECT_EQ(boss_shot_kind[i], s.kind) << name << ", shot " << i;
    EXPECT_EQ(boss_shot_aim_x[i], s.aim_x) << name << ", shot " << i;
    EXPECT_EQ(boss_shot_aim_y[i], s.aim_y) << name << ", shot " << i;
    EXPECT_EQ(boss_shot_box_width[i], s.box) << name << ", shot " << i;
    EXPECT_EQ(boss_shot_box_height[i], s.box) << name << ", shot " << i;
    EXPECT_EQ(boss_shot_power[i], s.power) << name << ", shot " << i;
    EXPECT_EQ(boss_shot_age[i], s.age) << name << ", shot " << i;
  }
}

// A test suite whose bosses have one player to follow.
class OnePlayerBossTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetBossRoom();
    player_count = 1;
  }
};

// The bounds asked of ApiGetRandom, in order.
inline std::vector<int64_t> RandomBounds() {
  std::vector<int64_t> bounds;
  for (const ApiCall& call : api_fake().Calls("ApiGetRandom")) bounds.push_back(call.args[0]);
  return bounds;
}
