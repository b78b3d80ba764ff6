// The draw settings' setters and queries.
#include "runtime/graphics/screen/draw_settings.h"

#include <cmath>
#include <utility>

#include "runtime/core/log.h"
#include "runtime/core/upper_layers.h"
#include "runtime/core/window_state.h"
#include "runtime/graphics/d3d/d3d_draw.h"
#include "runtime/graphics/d3d/transform.h"
#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/mask.h"
#include "runtime/graphics/screen/graphics_system.h"
#include "runtime/graphics/screen/present.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/softrender/blend_tables.h"

static int32_t ClampByte(int32_t value) { return value < 0 ? 0 : value > 255 ? 255 : value; }

// `value` kept inside [low, high] (low wins when the range is empty).
static int32_t ClampTo(int32_t value, int32_t low, int32_t high) {
  if (value > high) value = high;
  if (value < low) value = low;
  return value;
}

int ChangeDrawArea(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  DrawAreaRequest[0] = x1;
  DrawAreaRequest[1] = y1;
  DrawAreaRequest[2] = x2;
  DrawAreaRequest[3] = y2;

  const char* name;
  int32_t low_x = 0;
  int32_t low_y = 0;
  int32_t width;
  int32_t height;
  if (DrawTarget == kDrawTargetFrontScreen) {
    name = "Front Buffer";
    width = ScreenWidthOrDefault();
    height = ScreenHeightOrDefault();
    // Of a window partly off the desktop only the part on it can be drawn.
    int32_t left;
    int32_t top;
    GetClientScreenRect(&left, &top, nullptr, nullptr);
    int32_t desktop_width;
    int32_t desktop_height;
    GetDesktopInfo(&desktop_width, &desktop_height, nullptr);
    if (left < 0) low_x = -left;
    if (top < 0) low_y = -top;
    if (left + width >= desktop_width) width = desktop_width - left;
    if (top + height >= desktop_height) height = desktop_height - top;
  } else if (DrawTarget == kDrawTargetBackScreen) {
    name = "Back Buffer";
    width = ScreenWidthOrDefault();
    height = ScreenHeightOrDefault();
  } else {
    name = "Image Buffer";
    if (QueryGraphicSize(DrawTarget, &width, &height) < 0) return 0;
  }

  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  x1 = ClampTo(x1, low_x, width);
  x2 = ClampTo(x2, low_x, width);
  y1 = ClampTo(y1, low_y, height);
  y2 = ClampTo(y2, low_y, height);

  DrawArea = RECT{x1, y1, x2, y2};
  DrawAreaF[0] = static_cast<float>(x1);
  DrawAreaF[1] = static_cast<float>(y1);
  DrawAreaF[2] = static_cast<float>(x2);
  DrawAreaF[3] = static_cast<float>(y2);
  if (x1 == x2 || y1 == y2) {
    DrawAreaEmpty = 1;
    return 0;
  }
  DrawAreaEmpty = 0;
  if (Use3DDrawing != 0 && SetD3DViewportRect(&DrawArea) < 0) {
    LogPrintf("ビューポートの設定に失敗しました %s", name);
  }
  // The software renderer and the 2D side read DrawArea as they draw.
  return 0;
}

// The 3D set-up of a w x h draw screen: identity world, the viewport matrix,
// a camera that sees the screen at 60 degrees and its projection.
static void SetUpDrawScreenTransforms(int32_t w, int32_t h) {
  TransformMatrix world;
  ResetTransformMatrices(&world);
  SetWorldMatrix(&world);

  TransformMatrix viewport;
  MakeScreenMatrix(&viewport, 0.0f, 0.0f, static_cast<float>(w), static_cast<float>(h));
  DrawViewportMatrix = viewport;
  CombineTransformMatrices();
  DrawViewportMatrixCopy = viewport;

  const float distance = static_cast<float>(h / 2) * 1.7320509f;
  const float eye[3] = {static_cast<float>(w) * 0.5f, static_cast<float>(h) * 0.5f, -distance};
  const float target[3] = {eye[0], eye[1], -distance + 1.0f};
  const float up[3] = {0.0f, 1.0f, 0.0f};
  TransformMatrix view;
  MakeLookAtMatrix(&view, eye, target, up);
  SetViewMatrix(&view);

  TransformMatrix projection;
  if (MakePerspectiveMatrix(&projection, 1.0471976f, distance * 0.1f, distance + 1000.0f) == 0) {
    SetProjectionMatrix(&projection);
  }
}

// The switch itself. With `undo_on_failure`, a target that the screen side
// refuses gives way to the old one again.
static int SwitchDrawTarget(int32_t target, bool undo_on_failure) {
  if (GraphicsReady == 0) return -1;
  UpperWaitWhileInactive();
  // Anything but the two screens must be a live graphic.
  if (target != kDrawTargetFrontScreen && target != kDrawTargetBackScreen &&
      GetGraphicRecord(target) == nullptr) {
    return -1;
  }
  const int32_t mask_use = MaskUseFlag;
  EnableMaskUse(0);

  const int32_t old_target = DrawTarget;
  DrawTarget = target;
  if (target == kDrawTargetFrontScreen && GetWindowModeFlag() == 1 &&
      Screen.VistaCompatMode == 0 &&
      (Screen.MemImageRendering == 0 || Screen.ScreenPixelDepth == 8)) {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
    GetClientScreenRect(&left, &top, &right, &bottom);
    DrawTargetRect = RECT{left, top, right, bottom};
  } else {
    DrawTargetRect = RECT{0, 0, 0, 0};
  }

  // Without Direct3D the 2D side alone decides: a target it cannot draw on is
  // not kept.
  const int result_3d = Use3DDrawing != 0 ? SetDrawScreenD3D(target, old_target) : -1;
  const int result_2d = SetDrawTarget2D(target, old_target);
  if (result_3d < 0 && result_2d < 0) {
    if (undo_on_failure) {
      SwitchDrawTarget(old_target, false);
      DrawTarget = old_target;
    }
    EnableMaskUse(mask_use);
    return -1;
  }

  int32_t width = 0;
  int32_t height = 0;
  QueryGraphicSize(target, &width, &height);
  const bool same_size = width == DrawScreenWidth && height == DrawScreenHeight;
  DrawScreenWidth = width;
  DrawScreenHeight = height;
  if (same_size) {
    ChangeDrawArea(DrawArea.left, DrawArea.top, DrawArea.right, DrawArea.bottom);
  } else {
    ChangeDrawArea(0, 0, width, height);
  }
  SetUpDrawScreenTransforms(width, height);

  EnableMaskUse(mask_use);
  return 0;
}

int ChangeDrawTarget(int32_t target) { return SwitchDrawTarget(target, true); }

int ClearDrawTarget() {
  UpperWaitWhileInactive();
  if (Use3DDrawing != 0) ClearDrawScreenD3D();
  ClearDrawTarget2D();
  if (Screen.MemImageRendering != 0 && Screen.ScreenPixelDepth != 8 &&
      DrawTarget == kDrawTargetFrontScreen) {
    const RECT whole = {0, 0, ScreenWidthOrDefault(), ScreenHeightOrDefault()};
    TransferFrontMemImageRect(&whole);
  }
  return 0;
}

int ChangeBlendMode(int32_t mode, int32_t param) {
  if (mode == BlendMode && param == BlendParam) return 0;
  UpperWaitWhileInactive();
  BlendMode = mode;
  BlendParam = ClampByte(param);
  UpdateD3DDiffuseColor();
  return 0;
}

int SelectBlendImage(int32_t graphic, int32_t param1, int32_t param2) {
  if (graphic == BlendGraphic && param1 == BlendGraphicParam1 && param2 == BlendGraphicParam2) {
    return 0;
  }
  if (graphic != -1 && GetGraphicRecord(graphic) == nullptr) return -1;
  BlendGraphic = graphic;
  UpperWaitWhileInactive();
  BlendGraphicParam1 = ClampByte(param1);
  BlendGraphicParam2 = ClampByte(param2);
  if (Use3DDrawing != 0) SetBlendGraphicD3D(graphic, BlendGraphicParam1, BlendGraphicParam2);
  BuildBlendGraphicTable(BlendGraphicParam1, BlendGraphicParam2);
  return 0;
}

int ChangeDrawBrightness(int32_t r, int32_t g, int32_t b) {
  const int32_t red = static_cast<int32_t>((DrawBrightness >> 16) & 0xFF);
  const int32_t green = static_cast<int32_t>((DrawBrightness >> 8) & 0xFF);
  const int32_t blue = static_cast<int32_t>(DrawBrightness & 0xFF);
  if (r == red && g == green && b == blue) return 0;
  DrawBrightness = (static_cast<uint32_t>(ClampByte(r)) << 16) |
                   (static_cast<uint32_t>(ClampByte(g)) << 8) |
                   static_cast<uint32_t>(ClampByte(b));
  if (Use3DDrawing != 0) UpdateD3DDiffuseColor();
  return 0;
}

int SetDrawBrightnessColor(uint32_t color) {
  color &= 0xFFFFFF;
  if (color != DrawBrightness) {
    DrawBrightness = color;
    UpdateD3DDiffuseColor();
  }
  return 0;
}

int ChangeTransparentColor(int32_t r, int32_t g, int32_t b) {
  if (GetScreenColorDepthDefault() == 8) return 0;
  TransparentColor = ((static_cast<uint32_t>(r) & 0xFF) << 16) |
                     ((static_cast<uint32_t>(g) & 0xFF) << 8) | (static_cast<uint32_t>(b) & 0xFF);
  return 0;
}

int ChangeDrawFilterMode(int32_t mode) {
  if (mode == DrawFilterMode) return 0;
  DrawFilterMode = mode;
  if (Use3DDrawing != 0) SetTextureFilterCurrent(mode);
  return 0;
}

int GetDrawFilterMode() { return DrawFilterMode; }

int32_t GetCurrentDrawTarget() { return DrawTarget; }

int GetDrawArea(RECT* rect) {
  *rect = DrawArea;
  return 0;
}

int StoreDrawTargetRect(const RECT* rect) {
  DrawTargetRect = *rect;
  return 0;
}

int GetScreenSizeAndDepth(int32_t* width, int32_t* height, int32_t* depth) {
  if (width != nullptr) *width = ScreenWidthOrDefault();
  if (height != nullptr) *height = ScreenHeightOrDefault();
  if (depth != nullptr) *depth = GetScreenColorDepthDefault();
  return 0;
}

int IsTextureGraphicsInUse() {
  return NewGraphicUse3D == 1 && Use3DDrawing != 0 && Screen.MemImageRendering == 0 &&
                 GetCurrentD3DDeviceObject() != nullptr
             ? 1
             : 0;
}
