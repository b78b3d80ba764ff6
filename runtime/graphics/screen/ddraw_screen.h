// The DirectDraw screen: its start and end, the screen mode and the screen
// surfaces, the screen's colour values.
//
// Graphics start makes the screen with InitDirectDraw; when that fails it
// turns hardware acceleration off for good (SetHardwareAcceleration(0)) and
// starts again: the screens are then software images (MEMIMG) drawn by the
// software renderer and shown through GDI.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"
#include "runtime/graphics/state/screen_state.h"

struct ColorFormat;
struct DDPIXELFORMAT;
struct IDirectDraw7;
struct IDirectDrawClipper;
struct IDirectDrawSurface7;
struct ScreenState;

// ---- Start and end ----------------------------------------------------------------

// Starts DirectDraw and the screen. 0, or -1 (a DirectDraw object is there
// already, or the screen mode could not be set: everything made is ended
// again). Failures of the object or of the clipper end the program.
int InitDirectDraw();
// Ends everything InitDirectDraw made and gives the desktop its mode back. 0.
int EndDirectDraw();
// `flag` 0 turns hardware acceleration off for good; with a DirectDraw object
// the screen is made again for the new road. 0.
int SetHardwareAcceleration(int32_t flag);
// A new, initialised DirectDraw object (and the video card's report). 0 or -1.
int CreateDirectDrawObject(IDirectDraw7** object);
// A clipper bound to `window`. 0, or -1 (logged).
int CreateScreenClipper(IDirectDraw7* object, IDirectDrawClipper** clipper, HWND window);
// Makes ScreenClipper for GraphicsWindow again; a failure ends the program.
// 0.
int AttachScreenClipper();
// Releases and clears ScreenClipper. 0.
int ReleaseScreenClipper();
// The 8-bit screen's palette: made (only with a DirectDraw object, no palette
// yet and an 8-bit screen) and handed to the screen surfaces; a failure ends
// the program. 0.
int CreateScreenPalette();
// Makes the palette again with the entries it had (asked depth 8 only). 0.
int RecreateScreenPalette();
// The two halves of the screen rebuild after the display was taken away:
// the object goes with what hangs on it, and comes back. 0.
int ReleaseDirectDraw();
int RecreateDirectDrawObject();

// ---- Screen mode and screen surfaces ----------------------------------------------

// (Re)builds the screen for a size, depth and refresh rate (-1 keeps each);
// with `force` 1 also when nothing changes. Before graphics start the values
// are only kept. 0, -2 after falling back to 640 x 480 x 16, -1 on failure;
// the program ends when no mode at all can be set.
int ChangeScreenMode(int32_t width, int32_t height, int32_t depth, int32_t force,
                     int32_t refresh_rate);
// Sets the display for window mode (the desktop as it is) or full screen
// (width x height x depth). `depth_out` receives the depth in use,
// `cooperative_flags` the level set (8 or 17), `mode_changed` 1 while the
// display differs from the desktop. 0 or -1.
int SetScreenDisplayMode(IDirectDraw7* object, int32_t desktop_width, int32_t desktop_height,
                         int32_t width, int32_t height, int32_t depth, int32_t* depth_out,
                         uint32_t* cooperative_flags, int32_t window_mode, int32_t* mode_changed,
                         HWND window);
// Gives the desktop its mode back. 0, or -1 without an object while
// acceleration is on.
int RestoreDisplayMode();
// Leaves a changed full-screen mode (screen rebuild). 0.
int LeaveFullScreenDisplayMode();
// Sets the display again for the current screen. 0 or -1.
int ReapplyDisplayMode();
// Fills ScreenColorFormat, ScreenPixelFormat, ScreenFormatCode and
// ScreenPixelDepth for the display in use. 0.
int LogScreenColorFormat();
// Makes the screen surfaces (or software images). 0 or -1.
int CreateOutputSurfaces();
// Releases the screen surfaces and images. 0, or -1 without a DirectDraw
// object while acceleration is on.
int ReleaseMainSurfaces();
// Copies `source_rect` of `source` to (x, y) of `dest` by BitBlt (`method`
// 1) or BltFast (0; -1: UseBitBltTransfer). 0 or -1.
int TransferSurfaceRect(IDirectDrawSurface7* dest, IDirectDrawSurface7* source, int32_t x,
                        int32_t y, const RECT* source_rect, int32_t method);
// Restores the screen surfaces that were lost. 0, or -1 without a DirectDraw
// object.
int RestoreLostScreenSurfaces();

// ---- Accessors ------------------------------------------------------------------------

int SetFlipWaitVSync(int32_t flag);
int32_t GetFlipWaitVSync();
// Only while there is no DirectDraw object. 0.
int SetVistaCompatMode(int32_t flag);
// The screen size (640 x 480 while unset); either output may be null. 0.
int GetScreenSize(int32_t* width, int32_t* height);
// 1 unless hardware acceleration is off.
int32_t IsDirectDrawUsed();
// 1 while the display mode differs from the desktop's.
int32_t IsDisplayModeChanged();
const ColorFormat* GetScreenColorFormat();
// The address of the screen state.
ScreenState* GetScreenStateBlock();
int32_t IsMemImageRendering();
int32_t GetShowGdiSurfaceFlag();
// Copies the 380-byte capability block. 0.
int GetDirectDrawCaps(void* caps);
// The chosen overlay format, or null (none chosen, or a screen narrower than
// 640 or lower than 400).
const DDPIXELFORMAT* GetOverlayPixelFormat();

// ---- Screen colours ----------------------------------------------------------------------

