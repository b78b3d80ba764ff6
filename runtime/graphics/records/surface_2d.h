// 2D surfaces: a graphic that is not a Direct3D texture draws through 2D
// surfaces. A 2D surface names a rectangle of a surface data record: a whole
// graphic owns one over surface data of its own size; a derived graphic owns
// one that shares its parent's surface data at an offset.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"
#include "runtime/core/handle.h"

struct GraphImage;
struct MEMIMG;
struct SurfaceSettings;

struct Surface2DRecord {
  HandleRecordHead head;  // check id, own handle, lost flag address
  uint32_t reserved;      // 0
  uint16_t graphic_x;     // where this surface sits inside its graphic
  uint16_t graphic_y;
  uint16_t data_x;  // top-left of its rectangle inside the surface data
  uint16_t data_y;
  uint16_t width;
  uint16_t height;
  int32_t graphic;       // the graphic that holds it, -1 for none
  int32_t surface_data;  // the surface data whose pixels it shows
};

// A new 2D surface of width x height at (graphic_x, graphic_y) of `graphic`.
// With `shared`, it shows the rectangle at (data_x, data_y) from the top-left
// of `shared`'s own rectangle, inside `shared`'s surface data (one reference
// more); the rectangle must lie inside `shared`'s. Without, it gets new
// surface data of its size with TransparentColor and `settings`. The handle,
// or -1 (logged; nothing is left behind).
int32_t AddSurface2D(int32_t width, int32_t height, int32_t graphic_x, int32_t graphic_y,
                     int32_t graphic, const Surface2DRecord* shared, int32_t data_x,
                     int32_t data_y, const SurfaceSettings* settings);
Surface2DRecord* GetSurface2DRecord(int32_t handle);
// Stores a flag that the restore path and the delete set, and clears it. 0.
int SetSurface2DLostFlagAddress(int32_t handle, int32_t* flag);

// The one 2D surface of a new graphic. 0 or -1.
int CreateGraphicSurface2D(int32_t graphic);
// The one 2D surface of a derived graphic: (x, y, width, height) of the
// parent's surface. 0 or -1.
int DeriveGraphicSurface2D(int32_t graphic, int32_t x, int32_t y, int32_t width, int32_t height,
                           int32_t parent);
// OR of the restore results of the graphic's surface data; -1 for a bad
// graphic or surface.
int RestoreGraphicSurfaces2D(int32_t graphic);
// The screen surfaces, then every 2D surface's data: OR of their results.
int RestoreLost2DSurfaces();
// Fills every surface of a graphic with a colour. 0 or -1.
int FillGraphicSurfaces2D(int32_t graphic, int32_t r, int32_t g, int32_t b, int32_t a);

// Converts the rectangle `source` of `color` (with alpha from `alpha` when
// given) into the graphic placed with that rectangle's top-left at (x, y) of
// the graphic: each surface receives the part that overlaps it. 0 or -1.
int UploadImageToSurfaces2D(const GraphImage* color, const GraphImage* alpha, const RECT* source,
                            int32_t x, int32_t y, int32_t graphic);
// Fills each surface of the graphic from the image, the surface at
// (gx, gy) of the graphic taking the image's pixels at (x + gx, y + gy).
// 0, or -1 at the first failure.
int DrawImageToGraphicSurfaces2D(const GraphImage* color, const GraphImage* alpha, int32_t x,
                                 int32_t y, int32_t graphic);
// Fills one surface from the image's pixels at (x, y). 0 or -1.
int DrawImageToSurface2D(const GraphImage* color, const GraphImage* alpha, int32_t x, int32_t y,
                         int32_t surface);
// Converts the rectangle `source` of `color` into the surface at
// (dest_x, dest_y) of the surface's own rectangle. What lies outside the
// image or the surface is left out: a surface never writes into pixels of
// its surface data that other surfaces show. 0 or -1.
int TransferImageToSurface2D(const GraphImage* color, const GraphImage* alpha,
                             const RECT* source, int32_t dest_x, int32_t dest_y, int32_t surface);

// Deletes a 2D surface and, with its last user, its surface data. 0 (also
// for a bad handle).
int DeleteSurface2D(int32_t handle);
// Deletes every surface of a graphic. 0, or -1 for a bad graphic.
int ReleaseGraphicSurfaces2D(int32_t graphic);
// Deletes every 2D surface. 0, or -1 when neither DirectDraw nor software
// rendering is up.
int DeleteAll2DSurfaces();
// Around a screen rebuild: the stores of every 2D surface are released, and
// made again with their colour keys. 0.
int ReleaseAllSurfaceObjects();
int RecreateAllSurfaceObjects();

// Copies the rectangle (x1, y1, x2, y2) of the draw screen into a graphic of
// exactly that size. 0 or -1.
int GetDrawScreenGraph2D(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t graphic,
                         int32_t flag);
// The screen rectangle on the desktop: (0, 0, width, height) moved by the
// client area's top-left unless the front screen is redirected.
void GetFrontScreenRect(RECT* rect);
uint64_t GetFlipCounter();
// The software image of the blend graphic when it is a 2D graphic whose
// surface data holds one, else null.
MEMIMG* GetBlendGraphicImage();
