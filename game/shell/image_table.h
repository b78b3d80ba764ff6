// The image loading table: every picture file of the game, with its cell grid
// and the handle global it fills. `load_images` walks it at start-up; the
// sample data generator walks it to write a file of the right size and grid
// for every row.
#pragma once

#include <cstdint>

struct ImageTableRow {
  // The file as the game opens it, e.g. "data/img/status/back_screen_img.png".
  const char* path;
  // The file's stem, which is also the name of the handle global.
  const char* name;
  // 0 for an image loaded whole into one handle; else the number of cells,
  // always cells_across x cells_down, numbered row by row from the top left.
  int32_t cell_count;
  int32_t cells_across;
  int32_t cells_down;
  int32_t cell_width;   // pixels; 0 for a whole image
  int32_t cell_height;  // pixels; 0 for a whole image
  // The handle global of a whole image, or the first element of the cut
  // image's handle array (cell_count elements).
  int32_t* handles;
};

constexpr int32_t kImageTableRows = 342;

// Folder by folder, in loading order.
extern const ImageTableRow image_table[kImageTableRows];

// How many handles a row fills: 1 for a whole image, else its cell count.
inline int32_t image_row_handle_count(const ImageTableRow& row) {
  return row.cell_count == 0 ? 1 : row.cell_count;
}
