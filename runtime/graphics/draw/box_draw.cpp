// Boxes: the choice between the Direct3D and the software path, with the
// front-screen handling every drawing entry shares.
#include "runtime/graphics/draw/box_draw.h"

#include <algorithm>

#include "runtime/core/upper_layers.h"
#include "runtime/core/window_state.h"
#include "runtime/graphics/d3d/d3d_draw.h"
#include "runtime/graphics/draw/subtractive_blend.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/graphics_system.h"
#include "runtime/graphics/screen/present.h"
#include "runtime/graphics/screen/soft_front.h"
#include "runtime/graphics/state/screen_state.h"

namespace {

int DrawBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color, bool fill) {
  if (DrawInhibitFlag != 0 || DrawAreaEmpty != 0) return 0;
  const bool direct3d =
      IsTextureGraphicsInUse() != 0 && Use3DDrawing != 0 && Screen.MemImageRendering == 0;
  if (GetWindowActiveFlag() == 0) UpperWaitWhileInactive();
  const bool front = Screen.MemImageRendering == 1 && Screen.ScreenPixelDepth != 8 &&
                     DrawTarget == kDrawTargetFrontScreen;
  RECT rect{x1, y1, x2, y2};
  SortRectCorners(&rect);
  if (front && Screen.BackImageTransferred == 1) SyncFrontMemImage();
  int result;
  if (direct3d) {
    if (BlendMode == 3) InvertBoxThenAddMode(rect.left, rect.top, rect.right, rect.bottom);
    result = DrawBoxD3D(x1, y1, x2, y2, color, fill ? 1 : 0);
    if (BlendMode == 3) InvertBoxThenSubMode(rect.left, rect.top, rect.right, rect.bottom);
  } else if (fill) {
    result = DrawFilledBoxSoft(x1, y1, x2, y2, color);
  } else {
    result = DrawBoxOutlineSoft(x1, y1, x2, y2, color);
  }
  if (front) TransferFrontMemImageRect(&rect);
  return result;
}

}  // namespace

int SortRectCorners(RECT* rect) {
  if (rect->left > rect->right) std::swap(rect->left, rect->right);
  if (rect->top > rect->bottom) std::swap(rect->top, rect->bottom);
  return 0;
}

int GetRectExtent(const RECT* rect, int32_t* width, int32_t* height) {
  if (width != nullptr) *width = rect->right - rect->left;
  if (height != nullptr) *height = rect->bottom - rect->top;
  return 0;
}

int RenderBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color, int32_t fill) {
  return fill != 0 ? RenderFilledBox(x1, y1, x2, y2, color)
                   : RenderBoxOutline(x1, y1, x2, y2, color);
}

int RenderFilledBox(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color) {
  return DrawBox(x1, y1, x2, y2, color, true);
}

int RenderBoxOutline(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color) {
  return DrawBox(x1, y1, x2, y2, color, false);
}
