// The screen state: one instance for the program, all zero at start. It holds
// the DirectDraw objects, the screen's size and pixel format, the screen
// surfaces or software images, the presentation and draw-target state.
#pragma once

#include <cstdint>

#include "platform/win32/ddraw.h"
#include "platform/win32/types.h"
#include "runtime/image/color_format.h"
#include "runtime/image/mem_image.h"

struct IDirectDraw7;
struct IDirectDrawClipper;
struct IDirectDrawPalette;
struct IDirectDrawSurface7;

struct ScreenState {
  // ---- DirectDraw and the display ----
  HWND GraphicsWindow;                  // the window given to graphics start
  IDirectDraw7* DirectDrawObject;       // null when none
  IDirectDrawClipper* ScreenClipper;    // clipper bound to GraphicsWindow
  IDirectDrawPalette* ScreenPalette;    // only in 8-bit screen mode
  uint8_t ScreenPaletteEntries[256][4]; // R, G, B, flags
  uint8_t DirectDrawCaps[380];          // driver capabilities read at start
  int32_t OverlayFormatIndex;           // accepted overlay format row, -1 none
  int32_t ScreenWidth;                  // 0 means the default 640
  int32_t ScreenHeight;                 // 0 means the default 480
  int32_t ScreenColorDepth;             // depth asked for the screen, 16 when 0
  int32_t ScreenPixelDepth;             // depth in use (8 = palette mode)
  ColorFormat ScreenColorFormat;        // pixel format of the screen in use
  int32_t ScreenFormatCode;             // 0 5-6-5, 1 5-5-5, 2 8-8-8 in 32 bits, 3 other
  DDPIXELFORMAT ScreenPixelFormat;      // the display's format as reported
  uint32_t CooperativeLevelFlags;       // 8 normal, 17 exclusive full screen
  int32_t DisplayModeChanged;           // 1 while the display mode differs from the desktop's
  int32_t HardwareAccelOff;             // 1 = hardware acceleration is off for good
  int32_t MemImageRendering;            // 1 = screens and graphics are software images
  int32_t DirectDrawStarted;            // 1 once InitDirectDraw has made the screen
  int32_t MmxBlitsEnabled;              // copy of the core's MMX-usable flag, taken at start
  int32_t SoftwareTablesReady;          // 1 once the software renderer's tables are built
  int32_t NoTextureFlag;                // 1 = new graphics are not made as textures

  // ---- Screen surfaces and images ----
  IDirectDrawSurface7* PrimarySurface;
  IDirectDrawSurface7* BackSurface;
  IDirectDrawSurface7* TemporaryPrimarySurface;
  IDirectDrawSurface7* WorkSurface;
  IDirectDrawSurface7* WorkSurface2;
  IDirectDrawSurface7* ZBufferSurface;
  MEMIMG PrimaryMemImage;
  MEMIMG BackMemImage;
  MEMIMG ZBufferMemImage;
  int32_t SoftwareScreensActive;  // 1 while the software path's images exist

  // ---- Timing of mode changes and transfers ----
  int32_t UseBitBltTransfer;    // 1 = copy between surfaces with BitBlt, 0 = BltFast
  int32_t DisplayRefreshRate;   // Hz, -1 when not found
  int32_t ScreenScanLines;
  int32_t FrameTime;            // ms, -1 when not measured
  int32_t FramePeriod;          // ms, -1 when not measured
  uint32_t LastModeChangeTime;  // ms
  int32_t ScreenRefreshRate;    // asked refresh rate, 0 = driver default

  // ---- Presentation ----
  int32_t FlipWaitVSync;   // 1 = presenting waits for the vertical blank
  uint64_t FlipCounter;    // screens presented since the last mode change
  int32_t ShowGdiSurface;  // 1 = presentation copies instead of flipping
  int32_t ShowGdiApplied;  // the GDI state last applied, -1 after a mode change
  int32_t VistaCompatMode;
  uint32_t LastVBlankWaitTime;
  uint32_t SoftwareTransferTime;
  int32_t BackImageTransferred;

  // ---- The surface or image 2D drawing writes to ----
  IDirectDrawSurface7* DrawTargetSurface;
  int32_t DrawTargetOffsetX;
  int32_t DrawTargetOffsetY;
  MEMIMG* DrawTargetMemImage;
  MEMIMG* DrawTargetZMemImage;
  int32_t DrawTargetInVideoMemory;
  int32_t SoftwareDrawOff;
  // Views of a graphic's part of a shared software image, when the draw
  // target is such a part (a cell of an image sheet): DrawTargetMemImage and
  // DrawTargetZMemImage then point here, so drawing lands in the cell.
  MEMIMG DrawTargetViewImage;
  MEMIMG DrawTargetZViewImage;
};

extern ScreenState Screen;

// The screen's colour depth setting: ScreenColorDepth, 16 when it is 0.
inline int32_t GetScreenColorDepthDefault() {
  return Screen.ScreenColorDepth == 0 ? 16 : Screen.ScreenColorDepth;
}

// The screen's width and height, 640 and 480 while unset.
inline int32_t ScreenWidthOrDefault() { return Screen.ScreenWidth != 0 ? Screen.ScreenWidth : 640; }
inline int32_t ScreenHeightOrDefault() {
  return Screen.ScreenHeight != 0 ? Screen.ScreenHeight : 480;
}

// ---- Screen colour values and accessors ---------------------------------------

// The screen's pixel value of an RGB colour: the nearest palette index on an
// 8-bit screen; with software images the colour in the standard format of
// the asked depth; otherwise in ScreenColorFormat.
uint32_t GetScreenColorValue(int32_t r, int32_t g, int32_t b);
// The RGB colour of a screen pixel value (any output may be null). 0, or -1
// on an 8-bit screen for a value outside 0 to 255.
int GetColorOfScreenValue(uint32_t value, int32_t* r, int32_t* g, int32_t* b);
// Stores the no-texture word: 1 when hardware acceleration is off, else
// `flag`. 0.
int SetNoTextureFlag(int32_t flag);
int32_t GetNoTextureFlag();
// The DirectDraw object, or null.
IDirectDraw7* GetDirectDrawObject();
// The surface 2D drawing to the screen goes to: the temporary primary in
// the compatibility mode, else the primary.
IDirectDrawSurface7* GetScreenDrawSurface();
IDirectDrawSurface7* GetDrawTargetSurface();
// 1 only in window mode while 2D drawing goes to PrimarySurface.
int32_t IsDrawTargetFrontInWindow();
// The colour the draw screen is cleared with, 0x00RRGGBB (black until set).
extern uint32_t BackgroundColor;
// The table index of the method that worked last, -1 for none: [0] for
// graphics without alpha, [1] for graphics with an alpha channel or alpha
// test. Direct3D start sets both to -1.
extern int32_t DrawScreenGraphMethodMemo[2];

// Clears the record and builds a screen image of `kind` (-1: kind 0 for an
// asked screen depth of 16, else kind 1) with its own pixels. 0 or -1.
int CreateScreenMemImage(MEMIMG* image, int32_t width, int32_t height, int32_t kind);
