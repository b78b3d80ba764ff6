// Procedures of the higher graphics rooms that lower rooms call at run time.
#include "runtime/graphics/state/graphics_hooks.h"

UpperRoomProcedures UpperRooms = {};

int UpperCloseGraphicMovie(int32_t graphic) {
  return UpperRooms.close_graphic_movie != nullptr ? UpperRooms.close_graphic_movie(graphic) : 0;
}

int UpperRestoreLostScreenSurfaces() {
  return UpperRooms.restore_lost_screen_surfaces != nullptr
             ? UpperRooms.restore_lost_screen_surfaces()
             : 0;
}

int UpperDrawFilledBoxSoft(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color) {
  return UpperRooms.draw_filled_box_soft != nullptr
             ? UpperRooms.draw_filled_box_soft(x1, y1, x2, y2, color)
             : 0;
}

int UpperDrawBoxOutlineSoft(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color) {
  return UpperRooms.draw_box_outline_soft != nullptr
             ? UpperRooms.draw_box_outline_soft(x1, y1, x2, y2, color)
             : 0;
}

void UpperInitDefaultFontSettings() {
  if (UpperRooms.init_default_font_settings != nullptr) UpperRooms.init_default_font_settings();
}

int UpperInitFontSystem() {
  return UpperRooms.init_font_system != nullptr ? UpperRooms.init_font_system() : 0;
}

int UpperDeleteDefaultFont() {
  return UpperRooms.delete_default_font != nullptr ? UpperRooms.delete_default_font() : 0;
}
