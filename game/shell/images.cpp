// Loading every picture of the game at start-up.
#include "game/shell/image_table.h"
#include "game/shell/shell.h"
#include "runtime/system/api.h"

void load_images() {
  // A file that fails to load leaves -1 in its handles.
  for (const ImageTableRow& row : image_table) {
    const int32_t count = image_row_handle_count(row);
    for (int32_t i = 0; i < count; ++i) row.handles[i] = -1;
  }

  // The transparent colour of every picture of the game.
  ApiSetTransparentColor(0, 117, 117);

  for (const ImageTableRow& row : image_table) {
    if (row.cell_count == 0) {
      *row.handles = ApiLoadGraphicFile(row.path, 0);
    } else {
      ApiLoadGraphicCells(row.path, row.cell_count, row.cells_across, row.cells_down,
                          row.cell_width, row.cell_height, row.handles, 0);
    }
  }
}
