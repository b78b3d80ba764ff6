// Graphic handles: every picture the runtime can draw or draw into (an image
// loaded from a file, an empty picture made to be drawn on, one cell of an
// image sheet) is a GraphicRecord in GraphicTable, named by a handle of type
// 1. Its pixels live in 2D surfaces or in Direct3D texture pieces over shared
// surface data; a derived graphic shows a rectangle of another graphic and
// shares its pixels.
#pragma once

#include <cstdint>

#include "runtime/core/handle.h"

struct GraphImage;

// Eight bytes that describe how a graphic's pixels are kept; copied into
// every surface data record made for the graphic.
struct SurfaceSettings {
  uint8_t texture_flag;         // 1: Direct3D texture pieces; 0: 2D surfaces
  uint8_t AlphaChFlag;          // the pixels carry alpha
  uint8_t DrawValid;            // the graphic can be a draw target
  uint8_t software_image_flag;  // 1: the surface data is a software image (MEMIMG)
  uint8_t AlphaTestFlag;        // draw with an alpha test
  uint8_t ColorBitDepth;        // 16 or 32
  uint8_t keyless_flag;         // always 0 for graphics: an 8-bit image without key
  uint8_t palette_flag;         // one-byte palette image without alpha
};
static_assert(sizeof(SurfaceSettings) == 8);

// The most surfaces (2D surfaces or texture pieces) one graphic may have.
constexpr int32_t kGraphicSurfaceMax = 64;
// Room for a path with its NUL (a longer one is cut).
constexpr int32_t kGraphicPathBytes = 260;

struct GraphicRecord {
  HandleRecordHead head;  // check id, own handle, lost flag address
  SurfaceSettings settings;
  // The image-reading option the pixels were read with (0 for files loaded
  // by name); handed back to the reader when the graphic is reloaded.
  int32_t LoadOptionWord;
  int32_t surfaces[kGraphicSurfaceMax];  // 2D surface or texture piece handles
  int32_t surface_count;
  char file_name[kGraphicPathBytes];       // as loaded; empty when not from a file
  char load_directory[kGraphicPathBytes];  // the file layer's current directory at load
  int32_t offset_x;  // position inside the pixels it shares; 0, 0 for its own
  int32_t offset_y;
  int32_t width;
  int32_t height;
  int32_t movie_handle;  // the movie that feeds it, -1 for none
  int32_t RestoreMark;   // 1 while waiting to be refilled after a screen rebuild
};

// Options that shape new graphics.
extern int32_t NewGraphicUse3D;          // texture graphics allowed; 1
extern int32_t NewGraphicDrawable;       // new graphics are draw targets; 0
extern int32_t NewGraphicAlphaChannel;   // alpha of MakeEmptyGraphic's graphics; 0
extern int32_t NewGraphicAlphaTest;      // AlphaTestFlag of non-drawable graphics; 1
extern int32_t NewGraphicColorDepth;     // colour depth wish, 0 = choose
extern int32_t NewGraphicSoftwareImage;  // software-image flag of 2D graphics

// Adds a record with the graphic fields set and no surfaces: the handle, or
// the program ends when the registry is full or the record cannot be had.
// `record` receives the record when not null.
int32_t AddGraphicHandle(int32_t width, int32_t height, int32_t texture_request,
                         GraphicRecord** record, int32_t alpha_flag, int32_t palette_flag);
// A graphic with its surfaces, or -1 (nothing is left behind).
int32_t CreateEmptyGraphic(int32_t width, int32_t height, int32_t texture_request,
                           int32_t alpha_flag, int32_t palette_flag);
// CreateEmptyGraphic(width, height, texture request = flag 0, the alpha
// option, no palette).
int32_t MakeEmptyGraphic(int32_t width, int32_t height, int32_t no_texture_flag);
// An empty graphic of the image's size, with alpha when the image has alpha
// bits or `alpha` is given and the palette flag for one-byte images without
// alpha. -1 when `alpha` differs from the image in size.
int32_t CreateGraphicForImage(const GraphImage* image, const GraphImage* alpha,
                              int32_t texture_request);
GraphicRecord* GetGraphicRecord(int32_t handle);
// The size of a graphic, or of the screen for -4 and -2 (640 x 480 when
// unset); either output may be null. 0, or -1 for a bad handle.
int QueryGraphicSize(int32_t handle, int32_t* width, int32_t* height);
// Stores a flag that the delete sets to 1, and clears it now. 0 or -1.
int SetGraphicLostFlagAddress(int32_t handle, int32_t* flag);
// Keeps the path (cut to the record's room) and the file layer's current
// directory, for the delete log and reloading. 0 or -1.
int StoreGraphicFileName(int32_t handle, const char* path);
// The same for the `count` cells of one picture, with the current directory
// read once for all of them. 0, or -1 when a handle is bad (the good ones
// are stored).
int StoreGraphicFileNames(const int32_t* handles, int64_t count, const char* path);
// A graphic that shows the rectangle (x, y, width, height) of `parent` and
// shares its pixels; the rectangle is cut at the parent's right and bottom.
// -1 for a bad parent, a corner outside the parent or an empty size.
int32_t DeriveGraphic(int32_t x, int32_t y, int32_t width, int32_t height, int32_t parent);
// Deletes the graphic and its surfaces, logging the file name with
// `log_flag`. 0 or -1.
int DeleteGraphicHandle(int32_t handle, int32_t log_flag);
// Deletes every graphic (nothing before graphics start). 0.
int DeleteAllGraphics(int32_t log_flag);

int SetUse3DForNewGraphics(int32_t flag);
int SetMakeDrawableGraphics(int32_t flag);
int SetNewGraphicSoftwareImage(int32_t flag);
int SetNewGraphicVideoMemory(int32_t flag);
