// Shared by the enemy behaviour tests: a reset field with nobody up, players
// and enemies placed by the test, and a run of one enemy's routine through
// enemy_kind_table.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "game/enemies/enemies.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/support/api_fake/api_fake.h"

// Each kind's speed as its spawn sets it.
constexpr float kSpawnSpeed[55] = {
    0.5f,  1.5f,  1.5f,  1.5f,  0.5f,  1.0f,  0.25f, 1.0f,  1.5f,  0.5f,  // 0 to 9
    3.0f,  3.0f,  3.0f,  3.0f,  3.0f,  3.0f,  3.0f,  3.0f,  5.0f,  1.0f,  // 10 to 19
    0.5f,  1.0f,  1.0f,  1.25f, 0.5f,  1.5f,  0.25f, 1.25f, 1.0f,  1.0f,  // 20 to 29
    0.25f, 1.25f, 1.0f,  0.5f,  1.0f,  1.25f, 1.0f,  3.0f,  0.25f, 1.0f,  // 30 to 39
    1.25f, 0.5f,  1.25f, 1.0f,  0.25f, 0.5f,  0.75f, 1.25f, 0.25f, 0.5f,  // 40 to 49
    0.75f, 0.75f, 0.75f, 1.0f,  0.25f,                                    // 50 to 54
};

constexpr int32_t kNoTarget = 255;

// The title state with every player record and enemy slot cleared (all
// players down), four players counted, the fake's record empty.
inline void ResetField() {
  api_fake().Reset();
  reset_game();
  for (player_data& record : player) record = player_data{};
  for (enemy_data& record : enemy) record = enemy_data{};
  api_fake().calls.clear();
}

inline player_data& PlacePlayer(int32_t p, float x, float y, int32_t alive = 1,
                                int32_t facing = 0) {
  player_data& record = player[p];
  record.alive = alive;
  record.X = x;
  record.Y = y;
  record.facing = facing;
  record.width = 12;
  record.height = 12;
  return record;
}

// An enemy as a spawn leaves it: no step, tick 0, not aggro, no target.
inline enemy_data& PlaceEnemy(int32_t slot, int32_t kind, float x, float y) {
  enemy_data& record = enemy[slot];
  record = enemy_data{};
  record.kind = kind;
  record.X = x;
  record.Y = y;
  record.alive = 1;
  record.hp = 1;
  record.speed = kSpawnSpeed[kind];
  record.target = kNoTarget;
  return record;
}

// One run of the slot's routine, chosen by its kind.
inline void RunEnemy(int32_t slot) { enemy_kind_table[enemy[slot].kind](slot); }

// What the enemy frame's move leaves for the next frame: no step.
inline void ClearStep(int32_t slot) {
  enemy[slot].vx = 0.0f;
  enemy[slot].vy = 0.0f;
}

// The bounds asked of ApiGetRandom, in order.
inline std::vector<int64_t> RandomBounds() {
  std::vector<int64_t> bounds;
  for (const ApiCall& call : api_fake().Calls("ApiGetRandom")) bounds.push_back(call.args[0]);
  return bounds;
}
