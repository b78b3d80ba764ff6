// Loading graphics from image files: a single image, a sheet cut into cells,
// or (when no decoder takes a file that exists) a movie; the optional alpha
// image beside an image file; and refilling every graphic from its file
// after the screen's surfaces were lost.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

struct GraphImage;
struct StreamSource;

// Decodes a stream with the first image loader that takes it (the loaders
// added at run time first, then BMP, JPEG, PNG, BGRA, TGA, DDS), the stream
// sought to 0 before each. 0, or -1 when none does.
int DecodeImageStream(StreamSource* stream, GraphImage* image);

// Reads the image file and the alpha image beside it (the same path with
// "_a" in front of the last "."): 0 with both, 1 with the image alone, -1
// when the image cannot be read. The caller releases what was read.
int LoadImageFileToGraphImage(const char* path, GraphImage* image, GraphImage* alpha,
                              int32_t load_option);
// The alpha path of `path` into `out` (`size` bytes): 0, or -1 when it does
// not fit.
int MakeAlphaImagePath(const char* path, char* out, int32_t size);

// A graphic of the image file (mirrored left to right with `mirror` 1), or,
// when no decoder takes an existing file, of the movie in it. The handle, or
// -1 with a log line.
int32_t LoadGraphicFromFile(const char* path, int32_t texture_request, int32_t mirror,
                            int32_t movie_option);
// LoadGraphicFromFile(path, texture request = flag 0, no mirror, 0).
int32_t LoadGraphicFileDefault(const char* path, int32_t no_texture_flag);
// Cuts the image file into `count` cells of cell_width x cell_height, row by
// row, `across` to a row, at most `down` rows, one handle each into
// `handles`. 0, or -1 with a log line (the array left as it was when the
// file cannot be read).
int LoadGraphicCellsFromFile(const char* path, int32_t count, int32_t across, int32_t down,
                             int32_t cell_width, int32_t cell_height, int32_t* handles,
                             int32_t texture_request, int32_t mirror);
int LoadGraphicCellsDefault(const char* path, int32_t count, int32_t across, int32_t down,
                            int32_t cell_width, int32_t cell_height, int32_t* handles,
                            int32_t no_texture_flag);
// Loads the image file, draws it at (x, y) and deletes it again. 0 or -1.
int LoadAndRenderImage(int32_t x, int32_t y, const char* path, int32_t transparent);
// A graphic of the image, no alpha image, textures allowed. The handle or -1.
int32_t MakeGraphicFromImageDefault(GraphImage* image);
// Refills the graphic from the image (and alpha image): the graphic shows
// the image from (offset_x, offset_y) on; keeps `name` and the load option
// for the next refill. 0 or -1.
int UploadImageToGraphic(const char* name, const GraphImage* image, const GraphImage* alpha,
                         int32_t offset_x, int32_t offset_y, int32_t graphic, int32_t load_option);
// Writes the rectangle `rect` of the image (and alpha image) into the
// graphic from its top-left corner on: the graphic then shows the image from
// (rect.left, rect.top) on, and only the part of it that the rectangle covers
// changes. Keeps `name` (empty for null), the current directory and the load
// option for a refill. 0, or -1 for a bad graphic, no rectangle or a failed
// upload.
int FillGraphicFromImage(const char* name, const GraphImage* image, const GraphImage* alpha,
                         const RECT* rect, int32_t graphic, int32_t load_option);

// The operation that refills graphics after a screen rebuild;
// RestoreGraphicsFromFiles unless another is set.
using GraphicRestoreFunction = void (*)();
extern GraphicRestoreFunction GraphicRestoreHandler;
// Sets the restore operation (null: none). 0.
int SetGraphicRestoreHandler(GraphicRestoreFunction handler);
// 1 when a restore operation is set, else 0.
int HasGraphicRestoreHandler();
// Refills every graphic marked for restore from its file, reading a sheet's
// file once for its consecutive cells.
void RestoreGraphicsFromFiles();
// Restores the lost surfaces of one graphic. 0, or -1 for a bad graphic.
int RestoreGraphic(int32_t graphic);
// Restores the screen surfaces and every graphic (the window is active
// again). 0.
int RestoreAllGraphics();
