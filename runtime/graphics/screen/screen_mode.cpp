// The screen mode: the display's mode for window or full-screen mode, the
// screen's pixel format, the screen surfaces or software images, the copy
// method between surfaces and the display's frame time.
#include <cstring>

#include "platform/win32/ddraw.h"
#include "platform/win32/gdi.h"
#include "platform/win32/kernel.h"
#include "platform/win32/mmsystem.h"
#include "platform/win32/user.h"
#include "runtime/core/library_state.h"
#include "runtime/core/log.h"
#include "runtime/core/primitives.h"
#include "runtime/core/system_info.h"
#include "runtime/core/upper_layers.h"
#include "runtime/core/window_state.h"
#include "runtime/graphics/d3d/d3d_start.h"
#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/surface_2d.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/graphics_system.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/color_format.h"
#include "runtime/image/mem_image.h"

namespace {

constexpr int32_t kMeasureCopies = 8;
constexpr int32_t kMaxFramePasses = 4;
constexpr uint32_t kCooperativeNormal = DDSCL_NORMAL;
constexpr uint32_t kCooperativeFullScreen = DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN;

// Graphics have started once library start-up runs (or has run).
bool GraphicsStarted() { return InitRunningFlag != 0 || LibraryRunningFlag != 0; }

bool AccelerationOff() { return Screen.HardwareAccelOff == 1; }

bool ToleratedCooperativeFailure(HRESULT result) {
  return result == DDERR_EXCLUSIVEMODEALREADYSET || result == DDERR_HWNDALREADYSET ||
         result == DDERR_HWNDSUBCLASSED;
}

// The desktop's depth: planes times bits per pixel.
int32_t DesktopDepth() {
  HDC dc = GetDC(nullptr);
  const int32_t depth = GetDeviceCaps(dc, PLANES) * GetDeviceCaps(dc, BITSPIXEL);
  ReleaseDC(nullptr, dc);
  return depth;
}

// A full-screen mode through the display settings (acceleration off).
bool ChangeDisplayTo(int32_t width, int32_t height, int32_t depth, int32_t refresh,
                     DWORD flags) {
  DEVMODEA mode{};
  mode.dmSize = sizeof(mode);
  mode.dmBitsPerPel = static_cast<DWORD>(depth);
  mode.dmPelsWidth = static_cast<DWORD>(width);
  mode.dmPelsHeight = static_cast<DWORD>(height);
  mode.dmDisplayFrequency = static_cast<DWORD>(refresh);
  return ChangeDisplaySettingsA(&mode, flags) == DISP_CHANGE_SUCCESSFUL;
}

// The display settings' ladder of a full-screen mode change with
// acceleration off: the asked mode (with its refresh rate when one is asked),
// without the refresh rate, the old mode, 640 x 480 x 16. Returns the
// result (0, or -2 for the last rung) and leaves the mode set in the three
// values; the program ends when every rung fails.
int DisplaySettingsLadder(int32_t* width, int32_t* height, int32_t* depth, int32_t refresh,
                          int32_t old_width, int32_t old_height, int32_t old_depth) {
  if (ChangeDisplayTo(*width, *height, *depth, refresh, CDS_FULLSCREEN)) return 0;
  if (ChangeDisplayTo(*width, *height, *depth, 0, 0)) return 0;
  if (ChangeDisplayTo(old_width, old_height, old_depth, 0, 0)) {
    *width = old_width;
    *height = old_height;
    *depth = old_depth;
    return 0;
  }
  if (ChangeDisplayTo(640, 480, 16, 0, 0)) {
    *width = 640;
    *height = 480;
    *depth = 16;
    return -2;
  }
  FatalExit("予期せぬ画面モード変更不能現象が起きました2\n");
}

// The same ladder through the DirectDraw object (acceleration on).
int DirectDrawModeLadder(int32_t* width, int32_t* height, int32_t* depth, int32_t refresh,
                         int32_t old_width, int32_t old_height, int32_t old_depth) {
  IDirectDraw7* object = Screen.DirectDrawObject;
  auto set = [&](int32_t w, int32_t h, int32_t d, int32_t r) {
    return SUCCEEDED(object->SetDisplayMode(static_cast<DWORD>(w), static_cast<DWORD>(h),
                                            static_cast<DWORD>(d), static_cast<DWORD>(r), 0));
  };
  if (set(*width, *height, *depth, refresh)) return 0;
  if (set(*width, *height, *depth, 0)) return 0;
  if (set(old_width, old_height, old_depth, 0)) {
    *width = old_width;
    *height = old_height;
    *depth = old_depth;
    return 0;
  }
  if (set(640, 480, 16, 0)) {
    *width = 640;
    *height = 480;
    *depth = 16;
    return -2;
  }
  FatalExit("予期せぬ画面モード変更不能現象が起きました2\n");
}

// Fills `surface` with black.
void FillBlack(IDirectDrawSurface7* surface) {
  DDBLTFX fx{};
  fx.dwSize = sizeof(fx);
  fx.dwFillColor = 0;
  surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

IDirectDrawSurface7* MakeSurface(DWORD caps, int32_t width, int32_t height, bool source_key) {
  DDSURFACEDESC2 description{};
  description.dwSize = sizeof(description);
  description.dwFlags = DDSD_CAPS;
  description.ddsCaps.dwCaps = caps;
  if (width > 0) {
    description.dwFlags |= DDSD_WIDTH | DDSD_HEIGHT;
    description.dwWidth = static_cast<DWORD>(width);
    description.dwHeight = static_cast<DWORD>(height);
  }
  if (source_key) {
    description.dwFlags |= DDSD_CKSRCBLT;
    description.ddckCKSrcBlt = DDCOLORKEY{0, 0};
  }
  IDirectDrawSurface7* surface = nullptr;
  if (FAILED(Screen.DirectDrawObject->CreateSurface(&description, &surface, nullptr))) {
    return nullptr;
  }
  return surface;
}

const char* MemoryName(IDirectDrawSurface7* surface) {
  DDSCAPS2 caps{};
  if (surface != nullptr) surface->GetCaps(&caps);
  return (caps.dwCaps & DDSCAPS_VIDEOMEMORY) != 0 ? "VIDEOMEMORY" : "SYSTEMMEMORY";
}

void ReleaseSurface(IDirectDrawSurface7** surface) {
  if (*surface != nullptr) {
    (*surface)->Release();
    *surface = nullptr;
  }
}

// The standard format of a depth has the display's masks.
bool DisplayMatchesStandard(int32_t depth) {
  const DDPIXELFORMAT& format = Screen.ScreenPixelFormat;
  if (depth == 32) {
    return format.dwRBitMask == 0xff0000 && format.dwGBitMask == 0xff00 && format.dwBBitMask == 0xff;
  }
  if (depth == 16) {
    return format.dwRBitMask == 0xf800 && format.dwGBitMask == 0x07e0 && format.dwBBitMask == 0x1f;
  }
  return false;
}

// The software screens: the display's surfaces with a DirectDraw object,
// the front, back and depth images.
void CreateSoftwareScreens(int32_t width, int32_t height) {
  Screen.SoftwareScreensActive = 1;
  if (Screen.DirectDrawObject != nullptr) {
    Screen.PrimarySurface = MakeSurface(DDSCAPS_PRIMARYSURFACE | DDSCAPS_SYSTEMMEMORY, 0, 0, false);
    if (Screen.PrimarySurface == nullptr) FatalExit("プライマリサーフェスの作成に失敗しました");
    Screen.BackSurface =
        MakeSurface(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY, width, height, false);
    if (Screen.BackSurface == nullptr) FatalExit("バックサーフェスの作成に失敗しました");
    FillBlack(Screen.BackSurface);
  }
  if (CreateScreenMemImage(&Screen.PrimaryMemImage, width, height, -1) < 0) {
    FatalExit("プライマリサーフェス用の MEMIMG の作成に失敗しました\n");
  }
  const int32_t asked = GetScreenColorDepthDefault();
  if (Screen.DirectDrawObject != nullptr && Screen.ScreenPixelDepth == asked &&
      DisplayMatchesStandard(asked)) {
    // The back image lives in the locked back surface.
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof(locked);
    if (FAILED(Screen.BackSurface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr))) {
      FatalExit("バックサーフェスのロックに失敗しました");
    }
    std::memset(&Screen.BackMemImage, 0, sizeof(Screen.BackMemImage));
    Screen.BackMemImage.pixels = static_cast<uint8_t*>(locked.lpSurface);
    InitMemImage(&Screen.BackMemImage, width, height, locked.lPitch, 0, asked == 16 ? 0 : 1, 0, 0,
                 0);
  } else if (CreateScreenMemImage(&Screen.BackMemImage, width, height, -1) < 0) {
    FatalExit("バックサーフェス用の MEMIMG の作成に失敗しました\n");
  }
  if (CreateZBufferMemImage(&Screen.ZBufferMemImage, width, height) < 0) {
    FatalExit("Ｚバッファサーフェス用の MEMIMG の作成に失敗しました\n");
  }
  for (MEMIMG* image : {&Screen.PrimaryMemImage, &Screen.BackMemImage}) {
    FillMemImage(image, nullptr, PackColor(image->format, 0, 0, 0, 255));
  }
}

// The DirectDraw screens. 0, or -1 when the depth buffer cannot be made.
int CreateDirectDrawScreens(int32_t width, int32_t height) {
  Screen.SoftwareScreensActive = 0;
  if (GetWindowModeFlag() == 0) {
    DDSURFACEDESC2 description{};
    description.dwSize = sizeof(description);
    description.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    description.ddsCaps.dwCaps =
        DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    description.dwBackBufferCount = 1;
    if (FAILED(Screen.DirectDrawObject->CreateSurface(&description, &Screen.PrimarySurface,
                                                      nullptr))) {
      FatalExit("プライマリサーフェスの作成に失敗しました");
    }
    DDSCAPS2 back_caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
    if (FAILED(Screen.PrimarySurface->GetAttachedSurface(&back_caps, &Screen.BackSurface))) {
      FatalExit("バックバッファのポインタ取得に失敗しました");
    }
    // Every buffer of the chain starts black.
    for (int i = 0; i < 3; ++i) {
      FillBlack(Screen.BackSurface);
      Screen.PrimarySurface->Flip(nullptr, DDFLIP_NOVSYNC);
    }
  } else {
    Screen.PrimarySurface = MakeSurface(DDSCAPS_PRIMARYSURFACE | DDSCAPS_3DDEVICE, 0, 0, false);
    if (Screen.PrimarySurface == nullptr) FatalExit("プライマリサーフェスの作成に失敗しました");
    Screen.BackSurface = MakeSurface(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE, width, height, false);
    if (Screen.BackSurface == nullptr) FatalExit("バックサーフェスの作成に失敗しました");
    FillBlack(Screen.BackSurface);
  }
  if (Screen.VistaCompatMode != 0) {
    Screen.TemporaryPrimarySurface =
        MakeSurface(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE, width, height, false);
    if (Screen.TemporaryPrimarySurface == nullptr) {
      FatalExit("テンポラリプライマリサーフェスの作成に失敗しました");
    }
    FillBlack(Screen.TemporaryPrimarySurface);
  }
  Screen.WorkSurface = MakeSurface(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY, width, height, true);
  if (Screen.WorkSurface == nullptr) FatalExit("作業用サーフェスの作成に失敗しました");
  Screen.WorkSurface2 =
      MakeSurface(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY, width, height, true);
  if (Screen.WorkSurface2 == nullptr) FatalExit("作業用サーフェス２の作成に失敗しました");

  DDSURFACEDESC2 depth{};
  depth.dwSize = sizeof(depth);
  depth.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  depth.ddsCaps.dwCaps = DDSCAPS_ZBUFFER;
  depth.dwWidth = static_cast<DWORD>(width);
  depth.dwHeight = static_cast<DWORD>(height);
  depth.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
  depth.ddpfPixelFormat.dwFlags = DDPF_ZBUFFER;
  depth.ddpfPixelFormat.dwRGBBitCount = 16;
  depth.ddpfPixelFormat.dwRBitMask = 0xffff;
  if (FAILED(Screen.DirectDrawObject->CreateSurface(&depth, &Screen.ZBufferSurface, nullptr))) {
    Screen.ZBufferSurface = nullptr;
    LogAdd("Ｚバッファの作成に失敗しました\n");
    DecreaseLogIndent();
    return -1;
  }
  Screen.BackSurface->AddAttachedSurface(Screen.ZBufferSurface);
  return 0;
}

// Which copy between surfaces is faster: 8 BltFast copies of the whole
// screen into WorkSurface, or 8 BitBlt copies between their device contexts.
void MeasureCopyMethod(int32_t width, int32_t height) {
  IDirectDrawSurface7* source =
      Screen.VistaCompatMode != 0 ? Screen.TemporaryPrimarySurface : Screen.PrimarySurface;
  if (source == nullptr || Screen.WorkSurface == nullptr) return;
  RECT whole{0, 0, width, height};
  const int64_t blt_start = GetTimeMicroseconds(1);
  for (int i = 0; i < kMeasureCopies; ++i) Screen.WorkSurface->BltFast(0, 0, source, &whole, 0);
  const int64_t blt_time = GetTimeMicroseconds(1) - blt_start;
  const int64_t gdi_start = GetTimeMicroseconds(1);
  for (int i = 0; i < kMeasureCopies; ++i) {
    HDC dest = nullptr, from = nullptr;
    if (SUCCEEDED(Screen.WorkSurface->GetDC(&dest))) {
      if (SUCCEEDED(source->GetDC(&from))) {
        BitBlt(dest, 0, 0, width, height, from, 0, 0, SRCCOPY);
        source->ReleaseDC(from);
      }
      Screen.WorkSurface->ReleaseDC(dest);
    }
  }
  const int64_t gdi_time = GetTimeMicroseconds(1) - gdi_start;
  Screen.UseBitBltTransfer = gdi_time <= blt_time ? 1 : 0;
  LogPrintf("サーフェス間転送には %s を使用します", Screen.UseBitBltTransfer ? "BitBlt" : "BltFast");
  LogPrintf("BitBlt:%.0lfμs   BltFast:%.0lfμs", static_cast<double>(gdi_time),
            static_cast<double>(blt_time));
}

// The display's scan line, and whether a blank has begun.
DWORD ScanLine() {
  DWORD line = 0;
  Screen.DirectDrawObject->GetScanLine(&line);
  return line;
}

bool BlankBegun() {
  BOOL in_blank = FALSE;
  Screen.DirectDrawObject->GetVerticalBlankStatus(&in_blank);
  return in_blank != FALSE;
}

// Waits until the scan line wraps (drops below where it was) or a blank
// begins.
void WaitForScanWrap() {
  DWORD last = ScanLine();
  for (;;) {
    if (BlankBegun()) return;
    const DWORD line = ScanLine();
    if (line < last) return;
    last = line;
  }
}

void WaitOutBlank() {
  while (BlankBegun()) {
  }
}

// Measures the display's frame time in milliseconds from the scan line.
void MeasureFrameTime(bool refresh_found) {
  const int samples = refresh_found ? 4 : 20;
  Screen.ScreenScanLines = GetSystemMetrics(SM_CYSCREEN);
  LogPrintf("スキャンラインの数:%d", Screen.ScreenScanLines);
  for (int i = 0; i < 3; ++i) {
    WaitForScanWrap();
    WaitOutBlank();
  }
  Screen.FrameTime = -1;
  int32_t times[20] = {};
  int64_t microseconds_total = 0;
  for (int pass = 0; pass < kMaxFramePasses && Screen.FrameTime < 0; ++pass) {
    microseconds_total = 0;
    for (int i = 0; i < samples; ++i) {
      const DWORD start = timeGetTime();
      const int64_t start_us = GetTimeMicroseconds(1);
      WaitOutBlank();
      WaitForScanWrap();
      times[i] = static_cast<int32_t>(timeGetTime() - start);
      microseconds_total += GetTimeMicroseconds(1) - start_us;
    }
    for (int i = 0; i < samples && Screen.FrameTime < 0; ++i) {
      for (int j = i + 1; j < samples; ++j) {
        if (times[j] == times[i]) {
          Screen.FrameTime = times[i];
          break;
        }
      }
    }
  }
  if (!refresh_found && microseconds_total > 0) {
    const int64_t tenths = 10000000 / (microseconds_total / samples > 0 ? microseconds_total / samples : 1);
    Screen.DisplayRefreshRate = static_cast<int32_t>(tenths / 10 + (tenths % 10 > 5 ? 1 : 0));
  }
  if (Screen.FrameTime >= 0) {
    LogPrintf("１フレーム当たりの時間は %d msecです", Screen.FrameTime);
  } else {
    LogAdd("１フレームの時間を正常に取得できませんでした\n");
  }
  for (int i = 0; i < samples; ++i) LogPrintf("\tTri%02d:%d msec", i, times[i]);
}

// The display's mode, to see whether a change of the screen changed it.
struct DisplaySnapshot {
  int width, height, bits;
  bool operator==(const DisplaySnapshot&) const = default;
};

DisplaySnapshot TakeDisplaySnapshot() {
  HDC dc = GetDC(nullptr);
  const DisplaySnapshot snapshot{GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES),
                                 GetDeviceCaps(dc, BITSPIXEL)};
  ReleaseDC(nullptr, dc);
  return snapshot;
}

// A window switching between window and full-screen mode waits for the
// display's change message; when the display stays as it was, none comes, so
// the wait is told it is over.
void NoDisplayChangeComing() { MainWindow.display_change_seen = 1; }

}  // namespace

int ChangeScreenMode(int32_t width, int32_t height, int32_t depth, int32_t force,
                     int32_t refresh_rate) {
  const bool keep_transparent = Screen.SoftwareTablesReady == 1;
  const uint32_t kept_transparent = TransparentColor;
  if (width == -1) width = Screen.ScreenWidth;
  if (height == -1) height = Screen.ScreenHeight;
  if (depth == -1) depth = Screen.ScreenColorDepth;
  if (refresh_rate == -1) refresh_rate = Screen.ScreenRefreshRate;
  if (width == Screen.ScreenWidth && height == Screen.ScreenHeight &&
      depth == Screen.ScreenColorDepth && refresh_rate == Screen.ScreenRefreshRate && force == 0) {
    NoDisplayChangeComing();
    return 0;
  }

  LogAdd("画面モード変更処理を開始します\n");
  IncreaseLogIndent();
  const int32_t old_width = Screen.ScreenWidth, old_height = Screen.ScreenHeight;
  const int32_t old_depth = Screen.ScreenColorDepth, old_refresh = Screen.ScreenRefreshRate;
  Screen.ScreenWidth = width;
  Screen.ScreenHeight = height;
  Screen.ScreenColorDepth = depth;
  Screen.ScreenRefreshRate = refresh_rate;
  if (!GraphicsStarted() || (Screen.DirectDrawObject == nullptr && !AccelerationOff())) {
    // The values wait for the start.
    DecreaseLogIndent();
    NoDisplayChangeComing();
    return 0;
  }
  const DisplaySnapshot display_before = TakeDisplaySnapshot();

  // Display changes are paced: at least 2060 ms from one to the next.
  const DWORD now = timeGetTime();
  if (Screen.LastModeChangeTime != 0 && now - Screen.LastModeChangeTime < 2000) {
    Sleep(Screen.LastModeChangeTime + 2060 - now);
  } else {
    Sleep(60);
  }
  Screen.LastModeChangeTime = timeGetTime();

  DeleteAllGraphics(0);
  EndGraphicsManagement();
  TerminateDirect3D();
  if (Screen.ScreenPalette != nullptr) {
    Screen.ScreenPalette->Release();
    Screen.ScreenPalette = nullptr;
  }
  ReleaseMainSurfaces();

  int result = 0;
  const bool window_mode = GetWindowModeFlag() != 0;
  if (Screen.SoftwareTablesReady == 0) {
    // The first run: the display as the window mode wants it.
    UpperRestyleMainWindow();
    int32_t desktop_width = 0, desktop_height = 0;
    GetDesktopInfo(&desktop_width, &desktop_height, nullptr);
    if (Screen.ScreenWidth == 0) Screen.ScreenWidth = 640;
    if (Screen.ScreenHeight == 0) Screen.ScreenHeight = 480;
    if (Screen.ScreenColorDepth == 0) Screen.ScreenColorDepth = 16;
    auto set_display = [&]() {
      return SetScreenDisplayMode(Screen.DirectDrawObject, desktop_width, desktop_height,
                                  Screen.ScreenWidth, Screen.ScreenHeight, Screen.ScreenColorDepth,
                                  &Screen.ScreenPixelDepth, &Screen.CooperativeLevelFlags,
                                  window_mode ? 1 : 0, &Screen.DisplayModeChanged,
                                  Screen.GraphicsWindow);
    };
    if (set_display() < 0) {
      result = -1;
      const bool old_differs = old_width != Screen.ScreenWidth || old_height != Screen.ScreenHeight ||
                               old_depth != Screen.ScreenColorDepth ||
                               old_refresh != Screen.ScreenRefreshRate;
      Screen.ScreenWidth = old_width;
      Screen.ScreenHeight = old_height;
      Screen.ScreenColorDepth = old_depth;
      Screen.ScreenRefreshRate = old_refresh;
      if (!old_differs || set_display() < 0) {
        result = -2;
        Screen.ScreenWidth = 640;
        Screen.ScreenHeight = 480;
        Screen.ScreenColorDepth = 16;
        Screen.ScreenRefreshRate = 0;
        if (set_display() < 0) FatalExit("予期せぬ画面モード変更不能現象が起きました\n");
      }
    }
  } else if (!AccelerationOff()) {
    // Later runs with acceleration on: a new object at the mode's level.
    DeleteAll2DSurfaces();
    LogAdd("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放します\n");
    Screen.DirectDrawObject->SetCooperativeLevel(Screen.GraphicsWindow, kCooperativeNormal);
    Screen.DirectDrawObject->Release();
    Screen.DirectDrawObject = nullptr;
    LogAdd("ＤｉｒｅｃｔＤｒａｗオブジェクトを解放しました\n");
    if (CreateDirectDrawObject(&Screen.DirectDrawObject) < 0) {
      FatalExit("DirectDrawオブジェクトの作成に失敗しました");
    }
    const uint32_t level = window_mode ? kCooperativeNormal : kCooperativeFullScreen;
    const HRESULT set = Screen.DirectDrawObject->SetCooperativeLevel(Screen.GraphicsWindow, level);
    if (FAILED(set) && !ToleratedCooperativeFailure(set)) {
      FatalExit("DirectDrawの協調レベルの設定に失敗しました、ソフトを終了します");
    }
    Screen.CooperativeLevelFlags = level;
    Screen.DisplayModeChanged = 0;
    if (!window_mode) {
      LogAdd("画面解像度を変更します... ");
      result = DirectDrawModeLadder(&Screen.ScreenWidth, &Screen.ScreenHeight,
                                    &Screen.ScreenColorDepth, Screen.ScreenRefreshRate, old_width,
                                    old_height, old_depth);
      Screen.DisplayModeChanged = 1;
      LogAdd("成功しました\n");
    }
  } else {
    // Later runs with acceleration off: the display settings' ladder in
    // full screen; window mode gives the desktop its mode back.
    if (!window_mode) {
      result = DisplaySettingsLadder(&Screen.ScreenWidth, &Screen.ScreenHeight,
                                     &Screen.ScreenColorDepth, Screen.ScreenRefreshRate, old_width,
                                     old_height, old_depth);
      Screen.DisplayModeChanged = 1;
      Screen.ScreenPixelDepth = Screen.ScreenColorDepth;
    } else {
      if (Screen.DisplayModeChanged != 0) {
        ChangeDisplaySettingsA(nullptr, 0);
        Screen.DisplayModeChanged = 0;
      }
      Screen.ScreenPixelDepth = DesktopDepth();
    }
  }

  LogScreenColorFormat();
  if (window_mode || AccelerationOff()) UpperRestyleMainWindow();
  if (CreateOutputSurfaces() < 0) {
    DecreaseLogIndent();
    LogAdd("DirectDrawSurface の初期化に失敗しました\n");
    return -1;
  }
  if (!AccelerationOff() && GetNoTextureFlag() == 0 && Screen.MemImageRendering == 0) {
    if (InitializeDirect3D() < 0) {
      DecreaseLogIndent();
      ReleaseMainSurfaces();
      return -1;
    }
  }
  InitGraphicsManagement();
  UpperInitDebugConsole();
  CreateScreenPalette();

  if (!(Screen.MemImageRendering == 1 && Screen.ScreenPixelDepth != 8)) {
    MeasureCopyMethod(Screen.ScreenWidth, Screen.ScreenHeight);
  }

  Screen.DisplayRefreshRate = -1;
  if (OsVersionCode >= 260) {
    HDC dc = GetDC(GetMainWindowHandle());
    Screen.DisplayRefreshRate = GetDeviceCaps(dc, VREFRESH);
    ReleaseDC(GetMainWindowHandle(), dc);
    if (Screen.DisplayRefreshRate < 60) Screen.DisplayRefreshRate = -1;
  }
  if (AccelerationOff() || Screen.DirectDrawObject == nullptr) {
    Screen.DisplayRefreshRate = 60;
    Screen.FrameTime = -1;
  } else {
    MeasureFrameTime(Screen.DisplayRefreshRate != -1);
  }
  Screen.FramePeriod = Screen.FrameTime == -1 ? -1 : (2 * Screen.FrameTime - 4) / 3;

  if (keep_transparent) TransparentColor = kept_transparent;
  if (TakeDisplaySnapshot() == display_before) NoDisplayChangeComing();
  DecreaseLogIndent();
  LogAdd("画面モード変更処理は正常に終了しました\n");
  UpperProcessMessage();
  Screen.FlipCounter = 0;
  Screen.ShowGdiApplied = -1;
  return result;
}

int SetScreenDisplayMode(IDirectDraw7* object, int32_t desktop_width, int32_t desktop_height,
                         int32_t width, int32_t height, int32_t depth, int32_t* depth_out,
                         uint32_t* cooperative_flags, int32_t window_mode, int32_t* mode_changed,
                         HWND window) {
  LogPrintf("画面モードの変更処理を開始します %u x %u  %u bit ", static_cast<unsigned>(width),
            static_cast<unsigned>(height), static_cast<unsigned>(depth));
  IncreaseLogIndent();
  const bool acceleration_on = !AccelerationOff() && object != nullptr;
  if (window_mode != 0) {
    LogAdd("ウインドウモードにします\n");
    if (width > desktop_width || height > desktop_height) {
      FatalExit("デスクトップ画面のサイズが足りません、ソフトを終了します");
    }
    if (*mode_changed != 0) {
      LogAdd("フルスクリーンモードから抜けます\n");
      RestoreDisplayMode();
      *mode_changed = 0;
    }
    const int32_t desktop_depth = DesktopDepth();
    if (desktop_depth == 24) {
      DecreaseLogIndent();
      return -1;
    }
    *depth_out = desktop_depth;
    if (acceleration_on && FAILED(object->SetCooperativeLevel(window, kCooperativeNormal))) {
      FatalExit("DirectDrawの協調レベルの設定に失敗しました、ソフトを終了します");
    }
    *cooperative_flags = kCooperativeNormal;
    LogAdd("画面モードの変更は正常に終了しました \n");
    DecreaseLogIndent();
    return 0;
  }

  if (depth == 24) {
    DecreaseLogIndent();
    return -1;
  }
  LogAdd("画面解像度を変更します... ");
  if (acceleration_on) {
    const HRESULT set = object->SetCooperativeLevel(window, kCooperativeFullScreen);
    if (FAILED(set) && !ToleratedCooperativeFailure(set)) {
      FatalExit("DirectDrawの協調レベルの設定に失敗しました、ソフトを終了します");
    }
  }
  *cooperative_flags = kCooperativeFullScreen;
  const int32_t refresh = Screen.ScreenRefreshRate;
  bool set = false;
  if (acceleration_on) {
    set = SUCCEEDED(object->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(height),
                                           static_cast<DWORD>(depth), static_cast<DWORD>(refresh),
                                           0)) ||
          SUCCEEDED(object->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(height),
                                           static_cast<DWORD>(depth), 0, 0));
  } else {
    set = ChangeDisplayTo(width, height, depth, refresh, CDS_FULLSCREEN) ||
          ChangeDisplayTo(width, height, depth, 0, CDS_FULLSCREEN);
  }
  if (!set) {
    LogAdd("画面モードの変更に失敗しました\n");
    DecreaseLogIndent();
    return -1;
  }
  *depth_out = depth;
  *mode_changed = 1;
  LogAdd("成功しました\n");
  LogAdd("画面モードの変更は正常に終了しました \n");
  DecreaseLogIndent();
  return 0;
}

int RestoreDisplayMode() {
  if (!AccelerationOff()) {
    if (Screen.DirectDrawObject == nullptr) return -1;
    if ((Screen.CooperativeLevelFlags & DDSCL_EXCLUSIVE) != 0) {
      Screen.DirectDrawObject->SetCooperativeLevel(Screen.GraphicsWindow, kCooperativeNormal);
      Screen.CooperativeLevelFlags = kCooperativeNormal;
      Screen.DirectDrawObject->RestoreDisplayMode();
    }
  } else {
    ChangeDisplaySettingsA(nullptr, 0);
  }
  Screen.DisplayModeChanged = 0;
  LogAdd("画面モードを元に戻す処理は正常に終了しました\n");
  return 0;
}

int LeaveFullScreenDisplayMode() {
  if (GetWindowModeFlag() != 0 || Screen.DisplayModeChanged == 0) return 0;
  if (!AccelerationOff()) {
    if (Screen.DirectDrawObject == nullptr) return 0;
    Screen.DirectDrawObject->SetCooperativeLevel(Screen.GraphicsWindow, kCooperativeNormal);
    Screen.CooperativeLevelFlags = kCooperativeNormal;
    Screen.DirectDrawObject->RestoreDisplayMode();
  } else {
    ChangeDisplaySettingsA(nullptr, 0);
  }
  Screen.DisplayModeChanged = 0;
  return 0;
}

int ReapplyDisplayMode() {
  int32_t desktop_width = 0, desktop_height = 0;
  GetDesktopInfo(&desktop_width, &desktop_height, nullptr);
  int32_t width, height;
  GetScreenSize(&width, &height);
  return SetScreenDisplayMode(Screen.DirectDrawObject, desktop_width, desktop_height, width, height,
                              Screen.ScreenPixelDepth, &Screen.ScreenPixelDepth,
                              &Screen.CooperativeLevelFlags, GetWindowModeFlag(),
                              &Screen.DisplayModeChanged, Screen.GraphicsWindow);
}

int LogScreenColorFormat() {
  if (!AccelerationOff() && Screen.DirectDrawObject != nullptr) {
    DDSURFACEDESC2 mode{};
    mode.dwSize = sizeof(mode);
    Screen.DirectDrawObject->GetDisplayMode(&mode);
    Screen.ScreenPixelFormat = mode.ddpfPixelFormat;
    DeriveColorFormatChannels(&Screen.ScreenPixelFormat, &Screen.ScreenColorFormat);
    LogAdd("カラー情報\n");
    IncreaseLogIndent();
    const DDPIXELFORMAT& format = Screen.ScreenPixelFormat;
    LogPrintf("A:%08x  B:%08x  G:%08x  B:%08x", format.dwRGBAlphaBitMask, format.dwRBitMask,
              format.dwGBitMask, format.dwBBitMask);
    DecreaseLogIndent();
    Screen.ScreenPixelDepth = static_cast<int32_t>(format.dwRGBBitCount);
    if (format.dwRBitMask == 0xf800 && format.dwGBitMask == 0x07e0 && format.dwBBitMask == 0x001f) {
      Screen.ScreenFormatCode = 0;
    } else if (format.dwRBitMask == 0x7c00 && format.dwGBitMask == 0x03e0 &&
               format.dwBBitMask == 0x001f) {
      Screen.ScreenFormatCode = 1;
    } else if (format.dwRBitMask == 0xff0000 && format.dwGBitMask == 0xff00 &&
               format.dwBBitMask == 0xff) {
      Screen.ScreenFormatCode = 2;
    } else {
      Screen.ScreenFormatCode = 3;
    }
    return 0;
  }
  // Without DirectDraw drawing the screen takes the standard format of its
  // depth. The 16-bit format is 5-6-5, so its code is that of 5-6-5.
  if (Screen.ScreenPixelDepth != 16 && Screen.ScreenPixelDepth != 32) Screen.ScreenPixelDepth = 16;
  const int32_t kind = Screen.ScreenPixelDepth == 32 ? 1 : 0;
  Screen.ScreenColorFormat = *GetStandardColorFormat(kind, 0, 0);
  Screen.ScreenPixelFormat = *GetStandardDDPixelFormat(kind, 0, 0);
  Screen.ScreenFormatCode = kind == 1 ? 2 : 0;
  return 0;
}

int CreateOutputSurfaces() {
  if (!AccelerationOff() &&
      (Screen.DirectDrawObject == nullptr || Screen.PrimarySurface != nullptr)) {
    return -1;
  }
  LogAdd("出力画面用の DirectDrawSurface を作成します\n");
  IncreaseLogIndent();
  int32_t width, height;
  GetScreenSize(&width, &height);
  const bool software = Screen.MemImageRendering == 1 && Screen.ScreenPixelDepth != 8;
  if (software) {
    CreateSoftwareScreens(width, height);
  } else if (CreateDirectDrawScreens(width, height) < 0) {
    return -1;
  }
  LogAdd("各スクリーンメモリの配置位置\n");
  IncreaseLogIndent();
  if (software) {
    LogPrintf("PrimaryBuffer : SYSTEMMEMORY( MEMIMG ) ");
    LogPrintf("BaskBuffer : SYSTEMMEMORY( MEMIMG ) ");
  } else {
    LogPrintf("PrimaryBuffer : %s  ", MemoryName(Screen.PrimarySurface));
    LogPrintf("BaskBuffer : %s  ", MemoryName(Screen.BackSurface));
  }
  DecreaseLogIndent();
  DecreaseLogIndent();
  LogAdd("出力画面用の DirectDrawSurface の作成は正常に終了しました\n");
  return 0;
}

int ReleaseMainSurfaces() {
  if (!AccelerationOff() && Screen.DirectDrawObject == nullptr) return -1;
  // A back image over the locked back surface gives the lock back first.
  if (Screen.SoftwareScreensActive == 1 && Screen.BackSurface != nullptr &&
      Screen.BackMemImage.magic == kMemImageMagic && Screen.BackMemImage.pixels_borrowed == 1) {
    Screen.BackSurface->Unlock(nullptr);
  }
  if (Screen.ZBufferSurface != nullptr) {
    if (Screen.BackSurface != nullptr) {
      Screen.BackSurface->DeleteAttachedSurface(0, Screen.ZBufferSurface);
    }
    ReleaseSurface(&Screen.ZBufferSurface);
  }
  if (Screen.PrimarySurface != nullptr) {
    LogAdd("メインサーフェスを破棄をします... 完了しました\n");
    Screen.PrimarySurface->SetClipper(nullptr);
    ReleaseSurface(&Screen.BackSurface);
    ReleaseSurface(&Screen.PrimarySurface);
  }
  ReleaseSurface(&Screen.BackSurface);
  ReleaseSurface(&Screen.TemporaryPrimarySurface);
  ReleaseSurface(&Screen.WorkSurface);
  ReleaseSurface(&Screen.WorkSurface2);
  if (Screen.SoftwareScreensActive == 1) {
    ReleaseMemImage(&Screen.PrimaryMemImage);
    ReleaseMemImage(&Screen.BackMemImage);
    ReleaseMemImage(&Screen.ZBufferMemImage);
    Screen.SoftwareScreensActive = 0;
  }
  return 0;
}

int TransferSurfaceRect(IDirectDrawSurface7* dest, IDirectDrawSurface7* source, int32_t x,
                        int32_t y, const RECT* source_rect, int32_t method) {
  if (method == -1) method = Screen.UseBitBltTransfer;
  RECT rect = *source_rect;
  if (method == 1) {
    HDC dest_dc = nullptr, source_dc = nullptr;
    if (FAILED(dest->GetDC(&dest_dc))) return -1;
    if (FAILED(source->GetDC(&source_dc))) {
      dest->ReleaseDC(dest_dc);
      return -1;
    }
    const BOOL copied = BitBlt(dest_dc, x, y, rect.right - rect.left, rect.bottom - rect.top,
                               source_dc, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    dest->ReleaseDC(dest_dc);
    source->ReleaseDC(source_dc);
    return copied ? 0 : -1;
  }
  return FAILED(dest->BltFast(static_cast<DWORD>(x), static_cast<DWORD>(y), source, &rect, 0)) ? -1
                                                                                                  : 0;
}

int RestoreLostScreenSurfaces() {
  if (Screen.DirectDrawObject == nullptr) return -1;
  if (DrawInhibitFlag != 0) return 0;
  for (IDirectDrawSurface7* surface : {Screen.PrimarySurface, Screen.TemporaryPrimarySurface,
                                       Screen.BackSurface, Screen.ZBufferSurface}) {
    if (surface != nullptr && surface->IsLost() == DDERR_SURFACELOST) surface->Restore();
  }
  return 0;
}
