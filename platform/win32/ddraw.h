// DirectDraw stand-in: the DirectDraw object (made with CoCreateInstance of
// CLSID_DirectDraw7), its surfaces, clippers and palettes.
//
// What it does:
// - Every surface is kept in system memory and reports DDSCAPS_SYSTEMMEMORY,
//   whatever memory was asked for. Surfaces are 8 (palette), 16 or 32 bits
//   with RGB masks; four-character-code layouts are refused.
// - The primary surface is the display: its size and layout are the display
//   mode's (the desktop's in window mode). Its pixels inside the host window's
//   client area are the host's window image: reading them (Lock, Blt or
//   BltFast from it, GetDC) reads the window image back, and writing them
//   (Unlock, Blt, BltFast, Flip, ReleaseDC) writes it; the rest of the
//   display keeps what was written.
// - A flip chain exists only in exclusive full-screen mode. Flip exchanges the
//   pixels of the primary and its back buffer and shows the result; with
//   DDFLIP_WAIT and without DDFLIP_NOVSYNC it first waits for the vertical
//   blank.
// - Z-buffer surfaces are refused (DDERR_NOZBUFFERHW) and so is every
//   interface but IUnknown, IDirectDraw and IDirectDraw7 (Direct3D among
//   them): a program that needs them falls back to drawing by software.
// - Changing the display mode (or leaving it) loses every surface: IsLost,
//   Lock and Blt report DDERR_SURFACELOST until Restore.
// - The vertical blank and the scan line come from the host clock: the blank
//   status reports a blank only on the first read after a 1/60 s boundary
//   that no wait has consumed.
// - Blt fills colours, copies with or without stretching (nearest pixel)
//   and with a source colour key; a destination with a clipper is clipped to
//   the clipper's window's client area (in desktop coordinates for the
//   primary). BltFast copies without clipper or stretching.
#pragma once

#include <functional>

#include "platform/win32/com.h"
#include "platform/win32/gdi.h"
#include "platform/win32/types.h"

// ---- Result codes --------------------------------------------------------------
constexpr HRESULT DD_OK = S_OK;
constexpr HRESULT MakeDirectDrawError(DWORD code) {
  return static_cast<HRESULT>(0x88760000u | code);
}
constexpr HRESULT DDERR_ALREADYINITIALIZED = MakeDirectDrawError(5);
constexpr HRESULT DDERR_CANNOTATTACHSURFACE = MakeDirectDrawError(10);
constexpr HRESULT DDERR_INVALIDMODE = MakeDirectDrawError(150);
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = MakeDirectDrawError(145);
constexpr HRESULT DDERR_INVALIDRECT = MakeDirectDrawError(160);
constexpr HRESULT DDERR_INVALIDCAPS = MakeDirectDrawError(100);
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = MakeDirectDrawError(225);
constexpr HRESULT DDERR_NOZBUFFERHW = MakeDirectDrawError(210);
constexpr HRESULT DDERR_NOTFOUND = MakeDirectDrawError(255);
constexpr HRESULT DDERR_SURFACEBUSY = MakeDirectDrawError(430);
constexpr HRESULT DDERR_SURFACELOST = MakeDirectDrawError(450);
constexpr HRESULT DDERR_HWNDSUBCLASSED = MakeDirectDrawError(560);
constexpr HRESULT DDERR_HWNDALREADYSET = MakeDirectDrawError(562);
constexpr HRESULT DDERR_PRIMARYSURFACEALREADYEXISTS = MakeDirectDrawError(564);
constexpr HRESULT DDERR_VERTICALBLANKINPROGRESS = MakeDirectDrawError(537);
constexpr HRESULT DDERR_EXCLUSIVEMODEALREADYSET = MakeDirectDrawError(581);
constexpr HRESULT DDERR_NOTFLIPPABLE = MakeDirectDrawError(582);
constexpr HRESULT DDERR_NOTLOCKED = MakeDirectDrawError(584);
constexpr HRESULT DDERR_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);
constexpr HRESULT DDERR_INVALIDPARAMS = E_INVALIDARG;
constexpr HRESULT DDERR_OUTOFMEMORY = E_OUTOFMEMORY;

// ---- Pixel formats -----------------------------------------------------------------
constexpr DWORD DDPF_ALPHAPIXELS = 0x00000001;
constexpr DWORD DDPF_FOURCC = 0x00000004;
constexpr DWORD DDPF_PALETTEINDEXED8 = 0x00000020;
// The format is a packed RGB layout described by its bit count and masks.
constexpr DWORD DDPF_RGB = 0x00000040;
// A depth layout: the bit count holds the depth bits, the red mask the depth
// mask.
constexpr DWORD DDPF_ZBUFFER = 0x00000400;

// A four-character code as a DWORD, first character in the low byte.
constexpr DWORD MakeFourCC(char a, char b, char c, char d) {
  return static_cast<DWORD>(static_cast<uint8_t>(a)) |
         (static_cast<DWORD>(static_cast<uint8_t>(b)) << 8) |
         (static_cast<DWORD>(static_cast<uint8_t>(c)) << 16) |
         (static_cast<DWORD>(static_cast<uint8_t>(d)) << 24);
}

// A surface's pixel layout: 32 bytes, eight 32-bit words.
struct DDPIXELFORMAT {
  DWORD dwSize;             // 32
  DWORD dwFlags;            // DDPF_*
  DWORD dwFourCC;           // four-character code of a non-RGB layout
  DWORD dwRGBBitCount;      // bits per pixel (depth bits of a Z layout)
  DWORD dwRBitMask;         // red bits of a pixel (depth mask of a Z layout)
  DWORD dwGBitMask;         // green bits
  DWORD dwBBitMask;         // blue bits
  DWORD dwRGBAlphaBitMask;  // alpha bits
};
static_assert(sizeof(DDPIXELFORMAT) == 32);

// ---- Surface descriptions --------------------------------------------------------
constexpr DWORD DDSCAPS_BACKBUFFER = 0x00000004;
constexpr DWORD DDSCAPS_COMPLEX = 0x00000008;
constexpr DWORD DDSCAPS_FLIP = 0x00000010;
constexpr DWORD DDSCAPS_FRONTBUFFER = 0x00000020;
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x00000040;
constexpr DWORD DDSCAPS_OVERLAY = 0x00000080;
constexpr DWORD DDSCAPS_PALETTE = 0x00000100;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x00000200;
constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x00000800;
constexpr DWORD DDSCAPS_TEXTURE = 0x00001000;
constexpr DWORD DDSCAPS_3DDEVICE = 0x00002000;
constexpr DWORD DDSCAPS_VIDEOMEMORY = 0x00004000;
constexpr DWORD DDSCAPS_VISIBLE = 0x00008000;
constexpr DWORD DDSCAPS_ZBUFFER = 0x00020000;
constexpr DWORD DDSCAPS_LOCALVIDMEM = 0x10000000;

struct DDSCAPS2 {
  DWORD dwCaps;  // DDSCAPS_*
  DWORD dwCaps2;
  DWORD dwCaps3;
  DWORD dwCaps4;
};

// A colour key: pixel values from low to high (both the same here).
struct DDCOLORKEY {
  DWORD dwColorSpaceLowValue;
  DWORD dwColorSpaceHighValue;
};

constexpr DWORD DDSD_CAPS = 0x00000001;
constexpr DWORD DDSD_HEIGHT = 0x00000002;
constexpr DWORD DDSD_WIDTH = 0x00000004;
constexpr DWORD DDSD_PITCH = 0x00000008;
constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x00000020;
constexpr DWORD DDSD_LPSURFACE = 0x00000800;
constexpr DWORD DDSD_PIXELFORMAT = 0x00001000;
constexpr DWORD DDSD_CKSRCBLT = 0x00010000;
constexpr DWORD DDSD_REFRESHRATE = 0x00020000;

struct DDSURFACEDESC2 {
  DWORD dwSize;   // sizeof(DDSURFACEDESC2)
  DWORD dwFlags;  // DDSD_*: which fields are valid
  DWORD dwHeight;
  DWORD dwWidth;
  LONG lPitch;  // bytes from one row to the next
  DWORD dwBackBufferCount;
  DWORD dwRefreshRate;
  DWORD dwAlphaBitDepth;
  DWORD dwReserved;
  LPVOID lpSurface;  // first byte of the locked rectangle
  DDCOLORKEY ddckCKDestOverlay;
  DDCOLORKEY ddckCKDestBlt;
  DDCOLORKEY ddckCKSrcOverlay;
  DDCOLORKEY ddckCKSrcBlt;
  DDPIXELFORMAT ddpfPixelFormat;
  DDSCAPS2 ddsCaps;
  DWORD dwTextureStage;
};

// ---- Object settings and operations' flags -------------------------------------------
constexpr DWORD DDSCL_FULLSCREEN = 0x00000001;
constexpr DWORD DDSCL_ALLOWREBOOT = 0x00000002;
constexpr DWORD DDSCL_NORMAL = 0x00000008;
constexpr DWORD DDSCL_EXCLUSIVE = 0x00000010;
constexpr DWORD DDSCL_FPUSETUP = 0x00000200;
constexpr DWORD DDSCL_MULTITHREADED = 0x00000400;

constexpr DWORD DDLOCK_WAIT = 0x00000001;
constexpr DWORD DDLOCK_READONLY = 0x00000010;
constexpr DWORD DDLOCK_WRITEONLY = 0x00000020;
constexpr DWORD DDLOCK_NOSYSLOCK = 0x00000800;

constexpr DWORD DDBLT_ASYNC = 0x00000200;
constexpr DWORD DDBLT_COLORFILL = 0x00000400;
constexpr DWORD DDBLT_KEYSRC = 0x00008000;
constexpr DWORD DDBLT_KEYSRCOVERRIDE = 0x00010000;
constexpr DWORD DDBLT_WAIT = 0x01000000;
constexpr DWORD DDBLT_DEPTHFILL = 0x02000000;

constexpr DWORD DDBLTFAST_NOCOLORKEY = 0x00000000;
constexpr DWORD DDBLTFAST_SRCCOLORKEY = 0x00000001;
constexpr DWORD DDBLTFAST_WAIT = 0x00000010;

constexpr DWORD DDFLIP_WAIT = 0x00000001;
constexpr DWORD DDFLIP_NOVSYNC = 0x00000008;

constexpr DWORD DDCKEY_SRCBLT = 0x00000008;

constexpr DWORD DDWAITVB_BLOCKBEGIN = 0x00000001;

constexpr DWORD DDPCAPS_8BIT = 0x00000004;
constexpr DWORD DDPCAPS_ALLOW256 = 0x00000040;

constexpr DWORD DDEDM_DEFAULT = 0;
constexpr HRESULT DDENUMRET_CANCEL = 0;
constexpr HRESULT DDENUMRET_OK = 1;

// Blt's extra values: the fill colour (a pixel value) or fill depth, and the
// keys of DDBLT_KEYSRCOVERRIDE.
struct DDBLTFX {
  DWORD dwSize;  // sizeof(DDBLTFX)
  union {
    DWORD dwFillColor;
    DWORD dwFillDepth;
  };
  DDCOLORKEY ddckDestColorkey;
  DDCOLORKEY ddckSrcColorkey;
};

// The driver's capabilities: a 380-byte block. Only the fields named here
// are filled; the overlay stretch factors are in thousandths.
struct DDCAPS {
  DWORD dwSize;  // sizeof(DDCAPS)
  DWORD dwCaps;
  DWORD dwCaps2;
  DWORD dwCKeyCaps;
  DWORD dwFXCaps;
  DWORD dwFXAlphaCaps;
  DWORD dwPalCaps;
  DWORD dwSVCaps;
  DWORD dwAlphaDepths[6];
  DWORD dwZBufferBitDepths;
  DWORD dwVidMemTotal;
  DWORD dwVidMemFree;
  DWORD dwMaxVisibleOverlays;
  DWORD dwCurrVisibleOverlays;
  DWORD dwNumFourCCCodes;
  DWORD dwAlign[5];
  DWORD dwRops[8];
  DWORD dwOldCaps;
  DWORD dwMinOverlayStretch;
  DWORD dwMaxOverlayStretch;
  BYTE reserved[380 - 36 * 4];
};
static_assert(sizeof(DDCAPS) == 380);

// The display driver's identity.
struct DDDEVICEIDENTIFIER2 {
  char szDriver[512];
  char szDescription[512];
  LARGE_INTEGER liDriverVersion;  // four 16-bit parts, most significant first
  DWORD dwVendorId;
  DWORD dwDeviceId;
  DWORD dwSubSysId;
  DWORD dwRevision;
  GUID guidDeviceIdentifier;
  DWORD dwWHQLLevel;
};

// ---- Interfaces ------------------------------------------------------------------------
struct IDirectDrawSurface7;
struct IDirectDrawClipper;
struct IDirectDrawPalette;

using LPDDENUMSURFACESCALLBACK7 = HRESULT (*)(IDirectDrawSurface7* surface,
                                              DDSURFACEDESC2* description, LPVOID context);
using LPDDENUMMODESCALLBACK2 = HRESULT (*)(DDSURFACEDESC2* description, LPVOID context);

extern const CLSID CLSID_DirectDraw7;
extern const IID IID_IDirectDraw;
extern const IID IID_IDirectDraw7;

// The first DirectDraw interface: only the capability query is emulated.
struct IDirectDraw : public IUnknown {
 public:
  // Fills the driver's (and the emulation layer's) capabilities; either may
  // be null. The blocks' dwSize must be set.
  virtual HRESULT GetCaps(DDCAPS* driver_caps, DDCAPS* emulation_caps) = 0;
};

struct IDirectDraw7 : public IDirectDraw {
 public:
  // Readies an object made by CoCreateInstance; only the default display
  // (null) is emulated. Every other call fails before it.
  virtual HRESULT Initialize(GUID* driver) = 0;
  // DDSCL_NORMAL, or DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN (with any of
  // ALLOWREBOOT, FPUSETUP, MULTITHREADED). One object at a time may be
  // exclusive: another gets DDERR_EXCLUSIVEMODEALREADYSET.
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
  // Needs the exclusive level; DDERR_INVALIDMODE for a mode not listed.
  virtual HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bits, DWORD refresh,
                                 DWORD flags) = 0;
  // Back to the desktop's mode (when this object changed it).
  virtual HRESULT RestoreDisplayMode() = 0;
  // Size, pitch, refresh rate and pixel format of the current mode.
  virtual HRESULT GetDisplayMode(DDSURFACEDESC2* description) = 0;
  // Calls `callback` for each listed mode that matches the width, height,
  // bit count and refresh rate given in `filter` (by its flags; null: all).
  virtual HRESULT EnumDisplayModes(DWORD flags, DDSURFACEDESC2* filter, LPVOID context,
                                   LPDDENUMMODESCALLBACK2 callback) = 0;
  virtual HRESULT CreateSurface(DDSURFACEDESC2* description, IDirectDrawSurface7** surface,
                                IUnknown* outer) = 0;
  virtual HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer) = 0;
  // Needs DDPCAPS_8BIT; `entries` holds 256 colours.
  virtual HRESULT CreatePalette(DWORD flags, PALETTEENTRY* entries,
                                IDirectDrawPalette** palette, IUnknown* outer) = 0;
  virtual HRESULT GetDeviceIdentifier(DDDEVICEIDENTIFIER2* identifier, DWORD flags) = 0;
  virtual HRESULT GetAvailableVidMem(DDSCAPS2* caps, LPDWORD total, LPDWORD free) = 0;
  // Only DDWAITVB_BLOCKBEGIN: blocks until the next 1/60 s boundary.
  virtual HRESULT WaitForVerticalBlank(DWORD flags, HANDLE event) = 0;
  virtual HRESULT GetVerticalBlankStatus(BOOL* in_blank) = 0;
  // DDERR_VERTICALBLANKINPROGRESS (with the line) while in the blank.
  virtual HRESULT GetScanLine(LPDWORD line) = 0;
  virtual HRESULT FlipToGDISurface() = 0;
};

struct IDirectDrawSurface7 : public IUnknown {
 public:
  // Locks the rectangle (null: whole surface); `description` receives the
  // size, pitch, layout and the address of the rectangle's first byte.
  virtual HRESULT Lock(RECT* rect, DDSURFACEDESC2* description, DWORD flags, HANDLE event) = 0;
  // Unlocks the lock of that rectangle (null: the latest lock).
  virtual HRESULT Unlock(RECT* rect) = 0;
  virtual HRESULT Blt(RECT* dest_rect, IDirectDrawSurface7* source, RECT* source_rect,
                      DWORD flags, DDBLTFX* fx) = 0;
  virtual HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface7* source, RECT* source_rect,
                          DWORD flags) = 0;
  // Only on the primary of a flip chain, without an override surface.
  virtual HRESULT Flip(IDirectDrawSurface7* override_surface, DWORD flags) = 0;
  // The attached surface whose caps hold all of `caps`' (one reference more).
  virtual HRESULT GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface7** surface) = 0;
  virtual HRESULT AddAttachedSurface(IDirectDrawSurface7* surface) = 0;
  virtual HRESULT DeleteAttachedSurface(DWORD flags, IDirectDrawSurface7* surface) = 0;
  // Calls `callback` for each attached surface, each with one reference that
  // the callback gives back; stops at DDENUMRET_CANCEL.
  virtual HRESULT EnumAttachedSurfaces(LPVOID context, LPDDENUMSURFACESCALLBACK7 callback) = 0;
  // A device context over the surface's pixels (see gdi.h), until ReleaseDC.
  virtual HRESULT GetDC(HDC* dc) = 0;
  virtual HRESULT ReleaseDC(HDC dc) = 0;
  virtual HRESULT SetClipper(IDirectDrawClipper* clipper) = 0;
  virtual HRESULT GetClipper(IDirectDrawClipper** clipper) = 0;
  // Only DDCKEY_SRCBLT; a null key removes it.
  virtual HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) = 0;
  virtual HRESULT GetCaps(DDSCAPS2* caps) = 0;
  virtual HRESULT GetSurfaceDesc(DDSURFACEDESC2* description) = 0;
  virtual HRESULT GetPixelFormat(DDPIXELFORMAT* format) = 0;
  // DD_OK, or DDERR_SURFACELOST.
  virtual HRESULT IsLost() = 0;
  virtual HRESULT Restore() = 0;
  virtual HRESULT SetPalette(IDirectDrawPalette* palette) = 0;
};

struct IDirectDrawClipper : public IUnknown {
 public:
  // Binds the clipper to a window: blits through it stay in the window's
  // client area.
  virtual HRESULT SetHWnd(DWORD flags, HWND window) = 0;
  virtual HRESULT GetHWnd(HWND* window) = 0;
};

struct IDirectDrawPalette : public IUnknown {
 public:
  virtual HRESULT SetEntries(DWORD flags, DWORD start, DWORD count, PALETTEENTRY* entries) = 0;
  virtual HRESULT GetEntries(DWORD flags, DWORD start, DWORD count, PALETTEENTRY* entries) = 0;
};

// ---- Test seams ------------------------------------------------------------------------------
// Called at the start of every call of the DirectDraw objects (named like
// "IDirectDraw7::CreateSurface", "IDirectDrawSurface7::Lock"), of their
// creation ("CoCreateInstance(DirectDraw7)") and of ChangeDisplaySettingsA,
// with the call's name. A failure code it returns is the call's result (for
// ChangeDisplaySettingsA: DISP_CHANGE_FAILED) and the call does nothing else.
// An empty hook (the default) lets every call through.
using DisplayCallHook = std::function<HRESULT(const char* call)>;
void SetDisplayCallHook(DisplayCallHook hook);

// Loses every live surface, as when another program takes the display.
void LoseAllDirectDrawSurfaces();
