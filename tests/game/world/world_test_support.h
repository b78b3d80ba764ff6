// Shared by the world tests: the map's cell layer filled with one code, and
// walls or other codes put into single cells, rows or columns.
#pragma once

#include <cstdint>

#include "game/areas/areas.h"
#include "game/enemies/enemies.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/support/api_fake/api_fake.h"

// Open floor that is also the revival cell.
constexpr int32_t kOpen = 9;
constexpr int32_t kWall = 0;

inline void FillCells(int32_t code) {
  for (auto& row : map_cell)
    for (int32_t& cell : row) cell = code;
}

inline void SetCellRow(int32_t row, int32_t code) {
  for (int32_t& cell : map_cell[row]) cell = code;
}

inline void SetCellColumn(int32_t column, int32_t code) {
  for (auto& row : map_cell) row[column] = code;
}

// The cell under map pixel (x, y).
inline int32_t& CellAt(int32_t x, int32_t y) { return map_cell[y / 32][x / 32]; }

// The title reset with every player and enemy record cleared, an open map,
// the camera at 0 and one player.
inline void ResetWorld() {
  api_fake().Reset();
  reset_game();
  for (player_data& record : player) record = player_data{};
  for (enemy_data& e : enemy) e = enemy_data{};
  FillCells(kOpen);
  scroll_x = 0;
  scroll_y = 0;
  player_count = 1;
}

// Player p up at (x, y) with the body box of play, of the first character.
inline player_data& PutPlayerInPlay(int p, float x, float y) {
  player_data& r = player[p];
  r.alive = 1;
  r.X = x;
  r.Y = y;
  r.width = 12;
  r.height = 12;
  r.hp = 30;
  r.hp_max = 30;
  r.agility_base = 2.2f;
  return r;
}
