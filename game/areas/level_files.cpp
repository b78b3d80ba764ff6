// The floor readers: the map file with its three layers and the row files of
// stairs, generators, placed hazards and rocks.
#include <climits>

#include "game/areas/areas.h"
#include "game/areas/level_lines.h"
#include "game/world/positions.h"
#include "runtime/system/api.h"

namespace {

bool is_token_separator(char c) { return c == ' ' || c == ','; }

bool is_white_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// One token from `text` (which starts on its first character) to its end,
// read like atoi.
int32_t token_value(const char* text, const char* end) {
  while (text < end && is_white_space(*text)) ++text;
  bool negative = false;
  if (text < end && (*text == '+' || *text == '-')) {
    negative = *text == '-';
    ++text;
  }
  int64_t number = 0;
  for (; text < end && *text >= '0' && *text <= '9'; ++text) {
    // Held just past the 32-bit range, so the sign still decides the end.
    if (number <= INT32_MAX) number = number * 10 + (*text - '0');
  }
  if (negative) number = -number;
  if (number > INT32_MAX) return INT32_MAX;
  if (number < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(number);
}

// Reads one map layer: row i of the layer from the next line, token j to
// column j; tokens past the width are ignored and a short line leaves the
// rest of its row.
void read_map_layer(intptr_t file, int32_t (&layer)[kMapGridSize][kMapGridSize]) {
  LevelLine line;
  int32_t values[kMaxLineTokens];
  for (int32_t row = 0; row < map_height; ++row) {
    if (!read_level_line(file, line)) return;
    const int32_t found = read_line_tokens(line, values, map_width);
    for (int32_t column = 0; column < found; ++column) layer[row][column] = values[column];
  }
}

// The separator line between two layers, read with a buffer of `size`
// bytes: a separator longer than the buffer leaves its rest as the next
// line.
void skip_separator(intptr_t file, int32_t size) {
  LevelLine line;
  ApiReadFileLine(line, size, file);
}

int32_t held_map_size(int32_t cells) {
  if (cells < 0) return 0;
  return cells > kMapGridSize ? kMapGridSize : cells;
}

}  // namespace

int32_t read_line_tokens(const char* text, int32_t* values, int32_t max_values) {
  int32_t found = 0;
  while (found < max_values) {
    while (is_token_separator(*text)) ++text;
    if (*text == '\0') break;
    const char* end = text;
    while (*end != '\0' && !is_token_separator(*end)) ++end;
    values[found++] = token_value(text, end);
    text = end;
  }
  return found;
}

void read_map_file(const char* path, int32_t second_separator_buffer) {
  const intptr_t file = ApiOpenFileForRead(path, 0);
  if (file == 0) return;
  LevelLine line;
  int32_t values[2];
  const int32_t found = read_level_line(file, line) ? read_line_tokens(line, values, 2) : 0;
  if (found >= 1) map_width = values[0];
  if (found >= 2) map_height = values[1];
  map_width = held_map_size(map_width);
  map_height = held_map_size(map_height);

  read_map_layer(file, map_chip_layer);
  skip_separator(file, kMapSeparatorBuffer);
  read_map_layer(file, map_cover_layer);
  skip_separator(file, second_separator_buffer);
  read_map_layer(file, map_cell);
  ApiCloseFile(file);

  map_width_px = map_width * 32;
  map_height_px = map_height * 32;
}

void read_row_file(const char* path, int32_t* count, int32_t slots, const RowColumn* columns,
                   int32_t column_count) {
  const intptr_t file = ApiOpenFileForRead(path, 0);
  if (file == 0) {
    *count = 0;
    return;
  }
  read_table_lines(file, count, slots, column_count,
                   [columns](int32_t slot, const int32_t* values, int32_t found) {
                     for (int32_t c = 0; c < found; ++c) {
                       const RowColumn& column = columns[c];
                       const bool position = column.position || column.floats != nullptr;
                       const int32_t value = position ? held_position(values[c]) : values[c];
                       if (column.ints != nullptr) column.ints[slot] = value;
                       if (column.floats != nullptr) column.floats[slot] = static_cast<float>(value);
                       if (column.floats_copy != nullptr) {
                         column.floats_copy[slot] = static_cast<float>(value);
                       }
                     }
                   });
  ApiCloseFile(file);
}
