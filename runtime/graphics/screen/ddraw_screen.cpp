// The DirectDraw screen's start and end, the clipper, the 8-bit palette, the
// accessors of the screen state and the screen's colour values.
#include "runtime/graphics/screen/ddraw_screen.h"

#include <cstring>

#include "platform/win32/com.h"
#include "platform/win32/ddraw.h"
#include "platform/win32/user.h"
#include "runtime/core/library_state.h"
#include "runtime/core/log.h"
#include "runtime/core/window_state.h"
#include "runtime/graphics/d3d/d3d_start.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/surface_2d.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/graphics_system.h"
#include "runtime/graphics/screen/present.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/color_format.h"
#include "runtime/image/convert_blit.h"
#include "runtime/image/mem_image.h"
#include "runtime/softrender/blend_tables.h"

namespace {

constexpr int32_t kOsVista = 0x108;

// The overlay layouts tried in order; a row without a name ends the list.
struct OverlayFormatRow {
  const char* name;
  DDPIXELFORMAT format;
};

const OverlayFormatRow kOverlayPixelFormatTable[] = {
    {" UYVY", {sizeof(DDPIXELFORMAT), DDPF_FOURCC, MakeFourCC('U', 'Y', 'V', 'Y'), 0, 0, 0, 0, 0}},
    {" YUY2", {sizeof(DDPIXELFORMAT), DDPF_FOURCC, MakeFourCC('Y', 'U', 'Y', '2'), 0, 0, 0, 0, 0}},
    {" 16-bit RGB 5:5:5 ", {sizeof(DDPIXELFORMAT), DDPF_RGB, 0, 16, 0x7c00, 0x03e0, 0x001f, 0}},
    {" 16-bit RGB 5:6:5 ", {sizeof(DDPIXELFORMAT), DDPF_RGB, 0, 16, 0xf800, 0x07e0, 0x001f, 0}},
    {"", {}},
};

// The palette of an 8-bit screen: a 3-3-2 colour cube (red in the top three
// bits of the index, blue in the lowest two), with entry 51 the dark red
// (173, 0, 0); entry 0 is black and entry 255 white.
struct DefaultPalette {
  uint8_t rgb[256][3];
  DefaultPalette() {
    for (int i = 0; i < 256; ++i) {
      rgb[i][0] = static_cast<uint8_t>(((i >> 5) & 7) * 255 / 7);
      rgb[i][1] = static_cast<uint8_t>(((i >> 2) & 7) * 255 / 7);
      rgb[i][2] = static_cast<uint8_t>((i & 3) * 255 / 3);
    }
    rgb[51][0] = 173;
    rgb[51][1] = 0;
    rgb[51][2] = 0;
  }
};

const DefaultPalette& DefaultScreenPalette() {
  static const DefaultPalette palette;
  return palette;
}

bool ShiftKeyDown() {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  return (keys[VK_SHIFT] & 0x80) != 0;
}

void ReleaseScreenPalette() {
  if (Screen.ScreenPalette != nullptr) {
    Screen.ScreenPalette->Release();
    Screen.ScreenPalette = nullptr;
  }
}

// Tries the overlay layouts when the driver's overlay stretch factors are too
// small to stretch freely; keeps the first layout the driver makes in video
// memory.
void ChooseOverlayFormat() {
  Screen.OverlayFormatIndex = -1;
  IDirectDraw* first = nullptr;
  if (FAILED(Screen.DirectDrawObject->QueryInterface(IID_IDirectDraw,
                                                     reinterpret_cast<void**>(&first)))) {
    LogAdd("オーバーレイサーフェスは使用しません\n");
    return;
  }
  DDCAPS caps{};
  caps.dwSize = sizeof(caps);
  first->GetCaps(&caps, nullptr);
  std::memcpy(Screen.DirectDrawCaps, &caps, sizeof(Screen.DirectDrawCaps));
  if (caps.dwMinOverlayStretch < 1000 || caps.dwMaxOverlayStretch < 2000) {
    for (int row = 0; kOverlayPixelFormatTable[row].name[0] != '\0'; ++row) {
      DDSURFACEDESC2 description{};
      description.dwSize = sizeof(description);
      description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
      description.dwWidth = 16;
      description.dwHeight = 16;
      description.ddsCaps.dwCaps = DDSCAPS_OVERLAY | DDSCAPS_VIDEOMEMORY;
      description.ddpfPixelFormat = kOverlayPixelFormatTable[row].format;
      IDirectDrawSurface7* surface = nullptr;
      if (FAILED(Screen.DirectDrawObject->CreateSurface(&description, &surface, nullptr))) continue;
      DDSCAPS2 surface_caps{};
      surface->GetCaps(&surface_caps);
      surface->Release();
      if ((surface_caps.dwCaps & DDSCAPS_SYSTEMMEMORY) == 0) {
        Screen.OverlayFormatIndex = row;
        break;
      }
    }
  }
  if (Screen.OverlayFormatIndex >= 0) {
    LogPrintf("オーバーレイサーフェスを使用します　　　%s",
              kOverlayPixelFormatTable[Screen.OverlayFormatIndex].name);
  } else {
    LogAdd("オーバーレイサーフェスは使用しません\n");
  }
  first->Release();
}

}  // namespace

// ---- Start and end ------------------------------------------------------------------

int StartScreenSystem(HWND window) {
  Screen.GraphicsWindow = window;
  if (InitDirectDraw() < 0) {
    if (Screen.MemImageRendering == 1) FatalExit("DirectDraw の初期化に失敗しました");
    LogAdd("ソフトウエアレンダリングモードに変更します\n");
    SetHardwareAcceleration(0);
    if (InitDirectDraw() < 0) FatalExit("DirectDraw の初期化に失敗しました");
  }
  GraphicsReady = 1;
  return 0;
}

int EndScreenSystem() {
  EndDirectDraw();
  // Without acceleration the DirectDraw end leaves the clipper alone, yet a
  // screen rebuild makes one on that road too: it goes here.
  ReleaseScreenClipper();
  GraphicsReady = 0;
  return 0;
}

int InitDirectDraw() {
  if (Screen.DirectDrawObject != nullptr) return -1;
  LogAdd("DirectDraw 関連の初期化を行います\n");
  IncreaseLogIndent();
  if (Screen.HardwareAccelOff == 1) {
    SetUse3DForNewGraphics(0);
    SetHardwareAcceleration(0);
  }
  if (CreateDirectDrawObject(&Screen.DirectDrawObject) < 0) {
    FatalExit("DirectDrawオブジェクトの作成に失敗しました");
  }
  if (Screen.HardwareAccelOff == 0 &&
      CreateScreenClipper(Screen.DirectDrawObject, &Screen.ScreenClipper, Screen.GraphicsWindow) <
          0) {
    FatalExit("DirectDrawClipperオブジェクトの作成時にエラーが発生しました");
  }
  if (Screen.ScreenWidth == 0) Screen.ScreenWidth = 640;
  if (Screen.ScreenHeight == 0) Screen.ScreenHeight = 480;
  // The asked depth is kept as it was asked (16 when never set): the depth a
  // failed earlier start found in use must not become the asked one.
  if (Screen.ScreenColorDepth == 0) Screen.ScreenColorDepth = 16;
  Screen.ScreenPixelDepth = Screen.ScreenColorDepth;

  if (ChangeScreenMode(-1, -1, -1, 1, -1) < 0) {
    DecreaseLogIndent();
    EndDirectDraw();
    return -1;
  }
  if (HasWindowRegion() == 0) {
    ChangeDrawTarget(kDrawTargetBackScreen);
    ClearDrawTarget();
    ChangeDrawTarget(kDrawTargetFrontScreen);
  }
  Screen.DirectDrawStarted = 1;
  Screen.MmxBlitsEnabled = MmxUsableFlag;

  if (OsVersionCode == kOsVista || Screen.DirectDrawObject == nullptr) {
    Screen.OverlayFormatIndex = -1;
  } else {
    ChooseOverlayFormat();
  }

  DecreaseLogIndent();
  LogAdd("DirectDraw 関連の初期化は正常に終了しました\n");
  BuildSoftwareRenderTables();
  Screen.SoftwareTablesReady = 1;
  return 0;
}

int EndDirectDraw() {
  StopFrontScreenTimer();
  if (Screen.HardwareAccelOff == 1) {
    LogAdd("DirectDraw 関連の終了処理をおこないます\n");
    IncreaseLogIndent();
    EndGraphicsManagement();
    DeleteAll2DSurfaces();
    ReleaseMainSurfaces();
    LogAdd("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放します\n");
    if (Screen.DirectDrawObject != nullptr) Screen.DirectDrawObject->Release();
  } else {
    if (Screen.DirectDrawObject == nullptr) return 0;
    LogAdd("DirectDraw 関連の終了処理をおこないます\n");
    IncreaseLogIndent();
    ReleaseScreenPalette();
    EndGraphicsManagement();
    DeleteAll2DSurfaces();
    TerminateDirect3D();
    ReleaseMainSurfaces();
    ReleaseScreenClipper();
    LogAdd("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放します\n");
    Screen.DirectDrawObject->Release();
  }
  Screen.DirectDrawObject = nullptr;
  LogAdd("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放しました\n");
  RestoreDisplayMode();
  // With acceleration on, the object that set a full-screen mode took it
  // with it: the display is the desktop's again either way.
  Screen.DisplayModeChanged = 0;
  DecreaseLogIndent();
  LogAdd("DirectDraw 関連の終了処理は正常に終了しました\n");
  Screen.SoftwareTablesReady = 0;
  return 0;
}

int SetHardwareAcceleration(int32_t flag) {
  const bool was_on = Screen.HardwareAccelOff == 0;
  if (!was_on || flag == 0) {
    SetUse3DForNewGraphics(0);
    Screen.HardwareAccelOff = 1;
  }
  Screen.MemImageRendering = was_on && flag != 0 ? 0 : 1;
  if (Screen.DirectDrawObject == nullptr) return 0;
  const int32_t target = DrawTarget;
  DeleteAllGraphics(0);
  ChangeScreenMode(-1, -1, -1, 1, -1);
  if (target == kDrawTargetFrontScreen || target == kDrawTargetBackScreen) ChangeDrawTarget(target);
  return 0;
}

int CreateDirectDrawObject(IDirectDraw7** object) {
  LogAdd("DirectDraw オブジェクトの取得を行います....  ");
  IDirectDraw7* made = nullptr;
  if (FAILED(CoCreateInstance(CLSID_DirectDraw7, nullptr, CLSCTX_ALL, IID_IDirectDraw7,
                              reinterpret_cast<void**>(&made))) ||
      made == nullptr) {
    LogAdd("オブジェクトの取得に失敗しました\n");
    return -1;
  }
  LogAdd("成功\n");
  LogAdd("引き続き初期化処理... ");
  if (FAILED(made->Initialize(nullptr))) {
    LogAdd("DirectDrawオブジェクトの初期化に失敗しました\n");
    made->Release();
    return -1;
  }
  LogAdd("初期化に成功しました\n");

  LogAdd("ビデオカードの情報\n");
  IncreaseLogIndent();
  // The driver's report is read only while the Shift key is held down.
  if (ShiftKeyDown()) {
    DDDEVICEIDENTIFIER2 identifier{};
    if (SUCCEEDED(made->GetDeviceIdentifier(&identifier, 0))) {
      const uint64_t version = static_cast<uint64_t>(identifier.liDriverVersion.QuadPart);
      LogPrintf("ビデオカードドライバ:%s バージョン:%u.%u.%u.%u ", identifier.szDriver,
                static_cast<unsigned>((version >> 48) & 0xFFFF),
                static_cast<unsigned>((version >> 32) & 0xFFFF),
                static_cast<unsigned>((version >> 16) & 0xFFFF),
                static_cast<unsigned>(version & 0xFFFF));
      LogPrintf("ドライバ記述:%s ", identifier.szDescription);
    }
    DDSCAPS2 caps{DDSCAPS_VIDEOMEMORY, 0, 0, 0};
    DWORD total = 0, free = 0;
    made->GetAvailableVidMem(&caps, &total, &free);
    LogPrintf("ビデオメモリ総量:%.2fMB ビデオメモリ空き容量:%.2fMB",
              static_cast<double>(total) / 1048576.0, static_cast<double>(free) / 1048576.0);
  }
  DecreaseLogIndent();
  *object = made;
  return 0;
}

int CreateScreenClipper(IDirectDraw7* object, IDirectDrawClipper** clipper, HWND window) {
  IDirectDrawClipper* made = nullptr;
  if (object == nullptr || FAILED(object->CreateClipper(0, &made, nullptr)) || made == nullptr) {
    return LogAdd("ＤｉｒｅｃｔＤｒａｗＣｌｉｐｐｅｒオブジェクトの作成に失敗しました\n");
  }
  if (FAILED(made->SetHWnd(0, window))) {
    made->Release();
    return LogAdd("ＤｉｒｅｃｔＤｒａｗＣｌｉｐｐｅｒオブジェクトの作成に失敗しました\n");
  }
  *clipper = made;
  return 0;
}

int AttachScreenClipper() {
  if (Screen.DirectDrawObject == nullptr) return 0;
  ReleaseScreenClipper();
  if (CreateScreenClipper(Screen.DirectDrawObject, &Screen.ScreenClipper, Screen.GraphicsWindow) <
      0) {
    FatalExit("クリッパーオブジェクトの作成失敗しました");
  }
  return 0;
}

int ReleaseScreenClipper() {
  if (Screen.ScreenClipper != nullptr) {
    Screen.ScreenClipper->Release();
    Screen.ScreenClipper = nullptr;
  }
  return 0;
}

namespace {

HRESULT SetPaletteOnAttached(IDirectDrawSurface7* surface, DDSURFACEDESC2*, LPVOID) {
  surface->SetPalette(Screen.ScreenPalette);
  surface->Release();
  return DDENUMRET_OK;
}

}  // namespace

int CreateScreenPalette() {
  if (Screen.DirectDrawObject == nullptr || Screen.ScreenPalette != nullptr ||
      Screen.ScreenPixelDepth != 8) {
    return 0;
  }
  const DefaultPalette& palette = DefaultScreenPalette();
  for (int i = 0; i < 256; ++i) {
    Screen.ScreenPaletteEntries[i][0] = palette.rgb[i][0];
    Screen.ScreenPaletteEntries[i][1] = palette.rgb[i][1];
    Screen.ScreenPaletteEntries[i][2] = palette.rgb[i][2];
    Screen.ScreenPaletteEntries[i][3] = 0;
  }
  static_assert(sizeof(PALETTEENTRY) == 4);
  auto* entries = reinterpret_cast<PALETTEENTRY*>(Screen.ScreenPaletteEntries);
  if (FAILED(Screen.DirectDrawObject->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries,
                                                    &Screen.ScreenPalette, nullptr)) ||
      Screen.PrimarySurface == nullptr ||
      FAILED(Screen.PrimarySurface->SetPalette(Screen.ScreenPalette))) {
    FatalExit("パレットの作成に失敗しました");
  }
  if (GetWindowModeFlag() == 0) {
    Screen.PrimarySurface->EnumAttachedSurfaces(nullptr, SetPaletteOnAttached);
  } else if (Screen.BackSurface != nullptr &&
             FAILED(Screen.BackSurface->SetPalette(Screen.ScreenPalette))) {
    FatalExit("パレットの作成に失敗しました");
  }
  return 0;
}

int RecreateScreenPalette() {
  if (GetScreenColorDepthDefault() != 8) return 0;
  uint8_t kept[256][4];
  std::memcpy(kept, Screen.ScreenPaletteEntries, sizeof(kept));
  CreateScreenPalette();
  std::memcpy(Screen.ScreenPaletteEntries, kept, sizeof(kept));
  if (Screen.ScreenPalette != nullptr) {
    auto* entries = reinterpret_cast<PALETTEENTRY*>(Screen.ScreenPaletteEntries);
    Screen.ScreenPalette->SetEntries(0, 0, 256, entries);
    Screen.ScreenPalette->GetEntries(0, 0, 256, entries);
  }
  return 0;
}

int ReleaseDirectDraw() {
  LogAdd("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放します\n");
  if (Screen.HardwareAccelOff == 0 && Screen.DirectDrawObject == nullptr) {
    LogAdd("既に解放されています\n");
    return 0;
  }
  ReleaseAllSurfaceObjects();
  LeaveFullScreenDisplayMode();
  ReleaseScreenPalette();
  ReleaseScreenClipper();
  if (Screen.DirectDrawObject != nullptr) {
    Screen.DirectDrawObject->Release();
    Screen.DirectDrawObject = nullptr;
  }
  LogAdd("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放しました\n");
  return 0;
}

int RecreateDirectDrawObject() {
  if (Screen.DirectDrawObject != nullptr) return 0;
  if (CreateDirectDrawObject(&Screen.DirectDrawObject) < 0) {
    FatalExit("DirectDraw オブジェクトの作成処理時にエラーが発生しました");
  }
  ReapplyDisplayMode();
  RecreateAllSurfaceObjects();
  AttachScreenClipper();
  return 0;
}

// ---- Accessors ------------------------------------------------------------------------

int SetFlipWaitVSync(int32_t flag) {
  Screen.FlipWaitVSync = flag;
  return 0;
}

int32_t GetFlipWaitVSync() { return Screen.FlipWaitVSync; }



int SetVistaCompatMode(int32_t flag) {
  if (Screen.DirectDrawObject == nullptr) Screen.VistaCompatMode = flag;
  return 0;
}

int GetScreenSize(int32_t* width, int32_t* height) {
  if (width != nullptr) *width = Screen.ScreenWidth != 0 ? Screen.ScreenWidth : 640;
  if (height != nullptr) *height = Screen.ScreenHeight != 0 ? Screen.ScreenHeight : 480;
  return 0;
}

int32_t IsDirectDrawUsed() { return Screen.HardwareAccelOff == 1 ? 0 : 1; }
int32_t IsDisplayModeChanged() { return Screen.DisplayModeChanged; }
const ColorFormat* GetScreenColorFormat() { return &Screen.ScreenColorFormat; }
ScreenState* GetScreenStateBlock() { return &Screen; }
int32_t IsMemImageRendering() { return Screen.MemImageRendering; }
int32_t GetShowGdiSurfaceFlag() { return Screen.ShowGdiSurface; }

int GetDirectDrawCaps(void* caps) {
  if (caps != nullptr) std::memcpy(caps, Screen.DirectDrawCaps, sizeof(Screen.DirectDrawCaps));
  return 0;
}

const DDPIXELFORMAT* GetOverlayPixelFormat() {
  int32_t width, height;
  GetScreenSize(&width, &height);
  if (width < 640 || height < 400 || Screen.OverlayFormatIndex < 0) return nullptr;
  return &kOverlayPixelFormatTable[Screen.OverlayFormatIndex].format;
}

// ---- Screen colours ----------------------------------------------------------------------



