// Lines and tokens of the level files, shared by the floor readers and the
// item and boss readers.
#pragma once

#include <cstdint>

#include "game/areas/areas.h"
#include "runtime/system/api.h"

// The most tokens any reader takes from one line: a map row of 65 cells.
constexpr int32_t kMaxLineTokens = kMapGridSize;

using LevelLine = char[kLevelLineBuffer];

// Cuts `text` into tokens at runs of spaces and commas (a tab is no
// separator) and reads each like atoi: leading white space, a sign, the
// digits up to the first other character; no digit gives 0, and a number
// beyond 32 bits is held at the nearest end. Stores at most `max_values`
// and returns how many it stored.
int32_t read_line_tokens(const char* text, int32_t* values, int32_t max_values);

// Reads the next line of `file` into `line`. False at the end of the file:
// the line reader then leaves the buffer as it was, so the caller must not
// read it again.
inline bool read_level_line(intptr_t file, LevelLine& line) {
  return ApiReadFileLine(line, kLevelLineBuffer, file) != -1;
}

// The table part of a row file or an item file, from its count line to the
// line that begins with '@' or the end of the file: the count (held to 0 to
// `slots`; a count line without a token leaves it), then each row line's
// tokens to `store_row`(slot, values, n) for slots below `slots`. Rows past
// the slots are read and dropped; a line without a token still takes a slot.
template <typename StoreRow>
void read_table_lines(intptr_t file, int32_t* count, int32_t slots, int32_t columns,
                      StoreRow store_row) {
  LevelLine line;
  int32_t values[kMaxLineTokens];
  if (read_level_line(file, line) && read_line_tokens(line, values, 1) == 1) *count = values[0];
  if (*count < 0) *count = 0;
  if (*count > slots) *count = slots;
  for (int32_t slot = 0; read_level_line(file, line) && line[0] != '@'; ++slot) {
    if (slot >= slots) continue;
    store_row(slot, values, read_line_tokens(line, values, columns));
  }
}
