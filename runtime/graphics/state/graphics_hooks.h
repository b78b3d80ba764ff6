// Procedures of the higher graphics rooms that lower rooms call at run time.
//
// The rooms stand on each other (state, records, d3d, screen, movie, draw,
// font) and a file includes only headers of its own room and of those below.
// A few rules make a lower room call a higher one: deleting a graphic closes
// its movie, a lost 2D surface brings the screen surfaces back first, the
// Direct3D box falls back to the software box while the target cannot be
// drawn on in 3D, and graphics management starts and ends the fonts. The
// system layer registers them when the library starts (InstallUpperLayers in
// runtime/system/library.h). While none is registered, each call below does
// nothing and answers 0.
#pragma once

#include <cstdint>

struct UpperRoomProcedures {
  int (*close_graphic_movie)(int32_t graphic);  // movie
  int (*restore_lost_screen_surfaces)();        // screen
  int (*draw_filled_box_soft)(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                              uint32_t color);  // screen
  int (*draw_box_outline_soft)(int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                               uint32_t color);  // screen
  void (*init_default_font_settings)();          // font
  int (*init_font_system)();                     // font
  int (*delete_default_font)();                  // font: deletes the default font handle
};

// The registered procedures; all null until the system layer registers them.
extern UpperRoomProcedures UpperRooms;

// The calls lower rooms make: each runs the registered procedure, or does
// nothing and answers 0 while none is registered.
int UpperCloseGraphicMovie(int32_t graphic);
int UpperRestoreLostScreenSurfaces();
int UpperDrawFilledBoxSoft(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color);
int UpperDrawBoxOutlineSoft(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color);
void UpperInitDefaultFontSettings();
int UpperInitFontSystem();
int UpperDeleteDefaultFont();
