// The rebuild of every screen object after the display changed under the
// program.
#include "runtime/system/screen_rebuild.h"

#include "runtime/core/handle.h"
#include "runtime/core/log.h"
#include "runtime/graphics/d3d/d3d_start.h"
#include "runtime/graphics/draw/graphic_load.h"
#include "runtime/graphics/font/font.h"
#include "runtime/graphics/movie/movie.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/mask.h"
#include "runtime/graphics/records/surface_2d.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/present.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/input/input.h"

namespace {

int MarkAllGraphicsForRestore() {
  int32_t marked = 0;
  for (int32_t slot = 0; slot < GraphicTable.area_end && marked < GraphicTable.live_count;
       ++slot) {
    auto* graphic = reinterpret_cast<GraphicRecord*>(GraphicTable.records[slot]);
    if (graphic == nullptr) continue;
    graphic->RestoreMark = 1;
    ++marked;
  }
  if (GraphicRestoreHandler != nullptr) GraphicRestoreHandler();
  RecreateAllFonts();
  return 0;
}

}  // namespace

int RebuildScreenObjects() {
  IncreaseLogIndent();
  const bool input_running = InputDevices.direct_input != nullptr;
  ReleaseDirect3D();
  ReleaseMaskScreen();
  ReleaseMainSurfaces();
  EndInput();
  ReleaseAllSurfaceObjects();
  ReleaseScreenClipper();

  if (Screen.ShowGdiSurface) {
    ReapplyDisplayMode();
    RecreateAllSurfaceObjects();
    AttachScreenClipper();
  } else {
    ReleaseDirectDraw();
    RecreateDirectDrawObject();
  }

  CreateOutputSurfaces();
  RecreateScreenPalette();

  SetDrawTarget2D(DrawTarget, DrawTarget);
  AcquireDirect3DObject();

  ClearDrawTarget();
  PresentScreen();
  // The input devices were ended with the screen objects; without a new
  // start the keyboard and the pads would stay silent from now on.
  if (input_running) InitInput();

  MarkAllGraphicsForRestore();
  ReopenAllMovies();
  RecreateMaskScreen();

  DecreaseLogIndent();
  return 0;
}
