// Graphics management's start and end. (The screen system's own start and end
// are with the DirectDraw screen; the rebuild of every screen object after
// the display changed is the system layer's.)
#include "runtime/core/handle.h"
#include "runtime/core/log.h"
#include "runtime/graphics/d3d/d3d_start.h"
#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/mask.h"
#include "runtime/graphics/records/surface_2d.h"
#include "runtime/graphics/records/texture.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/graphics_system.h"
#include "runtime/graphics/screen/present.h"
#include "runtime/graphics/state/graphics_hooks.h"
#include "runtime/graphics/state/screen_state.h"

namespace {

// The registry's bookkeeping starts anew. A registry that still holds records
// keeps them: dropping the pointers would lose the records and their
// surfaces, and graphics end deletes them all before a new start anyway.
void ResetRegistryIfEmpty(HandleRegistry* registry) {
  if (registry->live_count != 0) return;
  registry->area_end = 0;
}

// The draw settings of graphics management at their start values.
void ResetDrawSettings() {
  const uint32_t brightness = DrawBrightness;
  BlendGraphic = -1;
  BlendGraphicParam1 = 0;
  BlendGraphicParam2 = 0;
  NewGraphicUse3D = 1;
  NewGraphicDrawable = 0;
  NewGraphicAlphaChannel = 0;
  NewGraphicAlphaTest = 1;
  NewGraphicColorDepth = 0;
  NewGraphicSoftwareImage = 0;
  DrawFilterMode = 0;
  BlendMode = 0;
  BlendParam = 0;
  DrawBrightness = 0xFFFFFF;
  if (brightness != 0xFFFFFF) UpdateD3DDiffuseColor();
  TransparentColor = 0;
  DrawInhibitFlag = 0;
}

}  // namespace

int InitGraphicsManagement() {
  if (GraphicsReady == 1) return 0;
  LogAdd("グラフィック管理系の初期化を行います\n");
  IncreaseLogIndent();

  ResetRegistryIfEmpty(&GraphicTable);
  ResetRegistryIfEmpty(&SurfaceDataTable);
  ResetDrawSettings();
  GraphicsReady = 1;

  if (GetDirectDrawObject() != nullptr || Screen.HardwareAccelOff == 1) DeleteAll2DSurfaces();
  // The delete reports success also when Direct3D is not in use (there is
  // nothing to delete then), so Direct3D drawing is taken up only when its
  // object exists as well.
  const int textures_deleted = DeleteAllSurface3DDataIfReady();
  Use3DDrawing = Direct3DObject != nullptr && textures_deleted != -1 ? 1 : 0;
  LogAdd(Use3DDrawing ? "３Ｄグラフィック描画機能を使用します\n"
                      : "３Ｄグラフィック描画機能は使用しません\n");

  NewGraphicColorDepth = 0;
  MaskUseFlag = 1;
  MaskInForceFlag = MaskScreenFlag == 1 ? 1 : 0;
  DrawTarget = kDrawTargetBackScreen;
  ChangeDrawTarget(kDrawTargetFrontScreen);
  int32_t width = 0, height = 0;
  QueryGraphicSize(kDrawTargetFrontScreen, &width, &height);
  ChangeDrawArea(0, 0, width, height);

  UpperInitDefaultFontSettings();
  UpperInitFontSystem();

  DecreaseLogIndent();
  LogAdd("グラフィック管理系の初期化は正常に終了しました\n");
  return 0;
}

int EndGraphicsManagement() {
  if (GraphicsReady == 0) return 0;
  EndMaskScreen();
  DeleteAllMasks();
  DeleteAllGraphics(0);
  UpperInitFontSystem();
  UpperDeleteDefaultFont();
  GraphicsReady = 0;
  LogAdd("グラフィック管理系の終了処理は正常に終了しました\n");
  return 0;
}


