// Graphics from decoded images: reading an image file (or a block of memory)
// into a GraphImage, making a graphic of it, and dividing a sheet of cells
// into derived graphics that share one picture.
#pragma once

#include <cstdint>

struct GraphImage;

// Decodes the file at `path` (or, with `memory_flag`, the `size` bytes at
// `data`) into `image`; with `copy_flag` the pixels are copied into a block
// of their own. The caller owns the pixels. 0 or -1.
int ReadImageFile(const char* path, const void* data, uint32_t size, int32_t memory_flag,
                  int32_t copy_flag, GraphImage* image);
// A graphic of the image's size filled from the image (and alpha image).
// With `reverse_flag` and `mirror_here_flag` both 1 the image is mirrored
// left to right for the fill and put back afterwards. The handle or -1.
int32_t MakeGraphicFromImage(GraphImage* image, GraphImage* alpha, int32_t texture_request,
                             int32_t reverse_flag, int32_t mirror_here_flag);
// Divides the image into `total` cells of cell_width x cell_height, row by
// row from the top, `across` to a row (from the right with `reverse_flag`,
// for an image the caller has mirrored), at most `down` rows; each cell is a
// derived graphic whose handle goes to `handles`. 0, or -1 with no graphic
// left behind.
int CreateDivGraphFromGraphImage(GraphImage* image, GraphImage* alpha, int32_t total,
                                 int32_t across, int32_t down, int32_t cell_width,
                                 int32_t cell_height, int32_t* handles, int32_t texture_request,
                                 int32_t reverse_flag);
