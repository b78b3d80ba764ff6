// The registration of the procedures that lower layers and lower graphics
// rooms call upward at run time (runtime/core/upper_layers.h and
// runtime/graphics/state/graphics_hooks.h).
#include "runtime/core/upper_layers.h"
#include "runtime/graphics/font/font.h"
#include "runtime/graphics/movie/movie.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/graphics/screen/soft_front.h"
#include "runtime/graphics/state/graphics_hooks.h"
#include "runtime/system/debug_console.h"
#include "runtime/system/library.h"
#include "runtime/system/main_window.h"
#include "runtime/system/message.h"

namespace {

int DeleteDefaultFont() { return DeleteFontHandle(GetDefaultFontHandle()); }

}  // namespace

int InstallUpperLayers() {
  UpperLayers.process_message = ProcessMessage;
  UpperLayers.wait_while_inactive = WaitWhileInactive;
  UpperLayers.end_library = EndLibrary;
  UpperLayers.restyle_main_window = RestyleMainWindow;
  UpperLayers.init_debug_console = InitDebugConsole;
  UpperLayers.is_debug_console_shown = IsDebugConsoleShown;
  UpperLayers.draw_debug_console = DrawDebugConsole;

  UpperRooms.close_graphic_movie = CloseGraphicMovie;
  UpperRooms.restore_lost_screen_surfaces = RestoreLostScreenSurfaces;
  UpperRooms.draw_filled_box_soft = DrawFilledBoxSoft;
  UpperRooms.draw_box_outline_soft = DrawBoxOutlineSoft;
  UpperRooms.init_default_font_settings = InitDefaultFontSettings;
  UpperRooms.init_font_system = InitFontSystem;
  UpperRooms.delete_default_font = DeleteDefaultFont;
  return 0;
}

int RemoveUpperLayers() {
  UpperLayers = UpperLayerProcedures{};
  UpperRooms = UpperRoomProcedures{};
  return 0;
}
