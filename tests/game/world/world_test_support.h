// Shared by the world tests: the map's cell layer filled with one code, and
// walls or other codes put into single cells, rows or columns.
#pragma once

#include <cstdint>

#include "game/areas/areas.h"

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
