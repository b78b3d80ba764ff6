// The mask screen's release, rebuild and end, and the few mask-layer
// operations they use.
#include "runtime/graphics/records/mask.h"

#include "runtime/core/handle.h"
#include "runtime/core/memory.h"
#include "runtime/core/upper_layers.h"
#include "runtime/core/window_state.h"
#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/state/draw_state.h"
#include "runtime/graphics/state/graphics_flags.h"
#include "runtime/graphics/state/screen_state.h"

uint8_t* MaskBuffer;
IDirectDrawSurface7* MaskSurface;
MEMIMG MaskMemImage;
int32_t MaskMemImageInUse;
int32_t MaskScreenFlag;
int32_t MaskUseFlag;
int32_t MaskInForceFlag;
MaskRecord MaskRecords[kMaskRecordCount];

static void ScreenSize(int32_t* width, int32_t* height) {
  *width = Screen.ScreenWidth != 0 ? Screen.ScreenWidth : 640;
  *height = Screen.ScreenHeight != 0 ? Screen.ScreenHeight : 480;
}

// Frees the mask image when it is built.
static void ReleaseMaskMemImage() {
  if (MaskMemImageInUse != 0) ReleaseMemImage(&MaskMemImage);
  MaskMemImageInUse = 0;
}

int CreateMaskScreen(int32_t make_buffer, int32_t make_surface) {
  int32_t width;
  int32_t height;
  ScreenSize(&width, &height);
  if (make_buffer != 0 && MaskBuffer == nullptr) {
    MaskBuffer = static_cast<uint8_t*>(
        AllocTrackedCleared(static_cast<size_t>(width) * static_cast<size_t>(height), "", 0));
    if (MaskBuffer == nullptr) return -1;
  }
  // On the software road the mask is a software image; a DirectDraw mask
  // surface is not made (the DirectDraw stand-in makes no surfaces).
  if (make_surface != 0 && MaskMemImageInUse == 0 && Screen.MemImageRendering != 0 &&
      Screen.ScreenPixelDepth != 8) {
    if (CreateScreenMemImage(&MaskMemImage, width, height, -1) < 0) return -1;
    MaskMemImageInUse = 1;
  }
  return 0;
}

int EnableMaskUse(int32_t flag) {
  MaskUseFlag = flag != 0 ? 1 : 0;
  const int32_t in_force = MaskUseFlag == 1 && MaskScreenFlag == 1 ? 1 : 0;
  if (in_force != MaskInForceFlag) {
    MaskInForceFlag = in_force;
    if (Use3DDrawing != 0) SetD3DDrawArea(in_force);
  }
  return 0;
}

int DeleteMaskHandle(int32_t handle) {
  if (handle < 0 || (handle & kHandleTypeMask) != HandleTypeBits(HandleType::kMask)) return -1;
  const int32_t slot = HandleSlot(handle);
  if (slot >= kMaskRecordCount) return -1;
  MaskRecord& record = MaskRecords[slot];
  if (record.in_use == 0 || record.check_id != HandleCheckId(handle)) return -1;
  record = MaskRecord{};
  return 0;
}

int ReleaseMaskScreen() {
  FreeTracked(MaskBuffer);
  MaskBuffer = nullptr;
  MaskSurface = nullptr;
  ReleaseMaskMemImage();
  return 0;
}

int RecreateMaskScreen() {
  CreateMaskScreen(MaskScreenFlag, MaskScreenFlag);
  if (MaskUseFlag == 0 || MaskBuffer == nullptr) return 0;

  MaskUseFlag = 1;
  MaskInForceFlag = MaskScreenFlag != 0 ? 1 : 0;
  if (MaskInForceFlag == 0 && DrawTarget == kDrawTargetFrontScreen && GetWindowModeFlag() == 1 &&
      Screen.VistaCompatMode == 0 &&
      (Screen.MemImageRendering == 0 || Screen.ScreenPixelDepth == 8)) {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
    GetClientScreenRect(&left, &top, &right, &bottom);
    DrawTargetRect = RECT{left, top, right, bottom};
  } else {
    int32_t width = 0;
    int32_t height = 0;
    QueryGraphicSize(DrawTarget, &width, &height);
    DrawTargetRect = RECT{0, 0, width, height};
  }
  SetD3DDrawArea(MaskUseFlag);
  return 0;
}

int EndMaskScreen() {
  UpperWaitWhileInactive();
  if (MaskUseFlag != 0) EnableMaskUse(0);
  MaskSurface = nullptr;
  FreeTracked(MaskBuffer);
  MaskBuffer = nullptr;
  ReleaseMaskMemImage();
  MaskScreenFlag = 0;
  MaskInForceFlag = 0;
  return 0;
}

int DeleteAllMasks() {
  for (int32_t slot = 0; slot < kMaskRecordCount; ++slot) {
    if (MaskRecords[slot].in_use != 0) {
      DeleteMaskHandle(MakeRuntimeHandle(MaskRecords[slot].check_id, HandleType::kMask, slot));
    }
  }
  return 0;
}
