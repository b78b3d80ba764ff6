// DirectDraw stand-in: the DirectDraw object, its display modes and
// cooperative levels; it makes the surfaces (ddraw_surface.cpp), clippers
// and palettes (ddraw_objects.h).
#include "platform/host/not_emulated.h"
#include "platform/win32/ddraw.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <utility>
#include <vector>

#include "platform/host/host.h"
#include "platform/win32/ddraw_objects.h"
#include "platform/win32/display.h"

const CLSID CLSID_DirectDraw7 = {0x6b1a0d01, 0x2c3e, 0x4f51, {0x9a, 0x10, 0x44, 0x72, 0x61, 0x77, 0x37, 0x01}};
const IID IID_IDirectDraw = {0x6b1a0d02, 0x2c3e, 0x4f51, {0x9a, 0x10, 0x44, 0x72, 0x61, 0x77, 0x31, 0x02}};
const IID IID_IDirectDraw7 = {0x6b1a0d03, 0x2c3e, 0x4f51, {0x9a, 0x10, 0x44, 0x72, 0x61, 0x77, 0x37, 0x03}};


using ddraw_objects::Clipper;
using ddraw_objects::FillPixelFormat;
using ddraw_objects::ObjectShared;
using ddraw_objects::Palette;

namespace {

constexpr DWORD kVideoMemoryBytes = 32u * 1024u * 1024u;
constexpr int kMaxSurfaceSide = 16384;

class DirectDraw;

// The one object that holds the exclusive level, if any.
std::mutex exclusive_mutex;
DirectDraw* exclusive_owner = nullptr;

// ---- The DirectDraw object ------------------------------------------------------------

class DirectDraw : public IDirectDraw7 {
 public:
  DirectDraw() : shared_(std::make_shared<ObjectShared>()) {}

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirectDraw || riid == IID_IDirectDraw7) {
      *object = static_cast<IDirectDraw7*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return refs_.AddRefImpl(); }
  ULONG Release() override { return refs_.ReleaseImpl(this); }

  HRESULT GetCaps(DDCAPS* driver_caps, DDCAPS* emulation_caps) override {
    DISPLAY_FAULT("IDirectDraw7::GetCaps");
    if (!initialized_) return DDERR_NOTINITIALIZED;
    for (DDCAPS* caps : {driver_caps, emulation_caps}) {
      if (caps == nullptr) continue;
      std::memset(caps, 0, sizeof(*caps));
      caps->dwSize = sizeof(DDCAPS);
      caps->dwVidMemTotal = kVideoMemoryBytes;
      caps->dwVidMemFree = kVideoMemoryBytes;
      // No overlay hardware: both stretch factors 0.
    }
    return DD_OK;
  }

  HRESULT Initialize(GUID* driver) override {
    DISPLAY_FAULT("IDirectDraw7::Initialize");
    RequireEmulated(driver == nullptr, "IDirectDraw7::Initialize",
                    "only the default display is emulated", driver);
    if (initialized_) return DDERR_ALREADYINITIALIZED;
    initialized_ = true;
    return DD_OK;
  }

  HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
    DISPLAY_FAULT("IDirectDraw7::SetCooperativeLevel");
    if (!initialized_) return DDERR_NOTINITIALIZED;
    const DWORD extras = DDSCL_ALLOWREBOOT | DDSCL_FPUSETUP | DDSCL_MULTITHREADED;
    const DWORD level = flags & ~extras;
    RequireEmulated(level == DDSCL_NORMAL || level == (DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
                    "IDirectDraw7::SetCooperativeLevel",
                    "only the normal or the exclusive full-screen level is emulated", flags);
    std::lock_guard<std::mutex> lock(exclusive_mutex);
    if (level == (DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN)) {
      if (window == nullptr || !IsWindow(window)) return DDERR_INVALIDPARAMS;
      if (exclusive_owner != nullptr && exclusive_owner != this) return DDERR_EXCLUSIVEMODEALREADYSET;
      exclusive_owner = this;
    } else if (level == DDSCL_NORMAL) {
      if (exclusive_owner == this) exclusive_owner = nullptr;
    } else {
      return DDERR_INVALIDPARAMS;
    }
    window_ = window;
    return DD_OK;
  }

  HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bits, DWORD refresh, DWORD) override {
    DISPLAY_FAULT("IDirectDraw7::SetDisplayMode");
    if (!initialized_) return DDERR_NOTINITIALIZED;
    if (!Exclusive()) return DDERR_NOEXCLUSIVEMODE;
    const DisplayMode mode{static_cast<int>(width), static_cast<int>(height),
                           static_cast<int>(bits), static_cast<int>(refresh)};
    if (!SetCurrentDisplayMode(mode)) return DDERR_INVALIDMODE;
    const DisplayMode desktop = DesktopDisplayMode();
    changed_mode_ = !(mode.width == desktop.width && mode.height == desktop.height &&
                      mode.bits == desktop.bits);
    return DD_OK;
  }

  HRESULT RestoreDisplayMode() override {
    DISPLAY_FAULT("IDirectDraw7::RestoreDisplayMode");
    if (!initialized_) return DDERR_NOTINITIALIZED;
    if (changed_mode_) {
      changed_mode_ = false;
      RestoreDesktopDisplayMode();
    }
    return DD_OK;
  }

  HRESULT GetDisplayMode(DDSURFACEDESC2* description) override {
    DISPLAY_FAULT("IDirectDraw7::GetDisplayMode");
    if (!initialized_) return DDERR_NOTINITIALIZED;
    if (description == nullptr) return DDERR_INVALIDPARAMS;
    DescribeMode(CurrentDisplayMode(), description);
    return DD_OK;
  }

  HRESULT EnumDisplayModes(DWORD, DDSURFACEDESC2* filter, LPVOID context,
                           LPDDENUMMODESCALLBACK2 callback) override {
    DISPLAY_FAULT("IDirectDraw7::EnumDisplayModes");
    if (!initialized_) return DDERR_NOTINITIALIZED;
    if (callback == nullptr) return DDERR_INVALIDPARAMS;
    for (const DisplayMode& mode : ListedDisplayModes()) {
      if (filter != nullptr) {
        const DWORD asked = filter->dwFlags;
        if ((asked & DDSD_WIDTH) != 0 && filter->dwWidth != static_cast<DWORD>(mode.width)) continue;
        if ((asked & DDSD_HEIGHT) != 0 && filter->dwHeight != static_cast<DWORD>(mode.height)) continue;
        if ((asked & DDSD_PIXELFORMAT) != 0 &&
            filter->ddpfPixelFormat.dwRGBBitCount != static_cast<DWORD>(mode.bits)) {
          continue;
        }
        if ((asked & DDSD_REFRESHRATE) != 0 && filter->dwRefreshRate != 0 &&
            filter->dwRefreshRate != static_cast<DWORD>(mode.refresh)) {
          continue;
        }
      }
      DDSURFACEDESC2 description{};
      description.dwSize = sizeof(description);
      DescribeMode(mode, &description);
      if (callback(&description, context) == DDENUMRET_CANCEL) break;
    }
    return DD_OK;
  }

  HRESULT CreateSurface(DDSURFACEDESC2* description, IDirectDrawSurface7** surface,
                        IUnknown* outer) override {
    DISPLAY_FAULT("IDirectDraw7::CreateSurface");
    if (!initialized_) return DDERR_NOTINITIALIZED;
    if (description == nullptr || surface == nullptr || outer != nullptr) return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    const DWORD flags = description->dwFlags;
    const DWORD asked_caps = (flags & DDSD_CAPS) != 0 ? description->ddsCaps.dwCaps : 0;
    const bool has_format = (flags & DDSD_PIXELFORMAT) != 0;
    if ((asked_caps & DDSCAPS_ZBUFFER) != 0 ||
        (has_format && (description->ddpfPixelFormat.dwFlags & DDPF_ZBUFFER) != 0)) {
      return DDERR_NOZBUFFERHW;
    }
    // Everything lives in system memory.
    const DWORD caps =
        (asked_caps & ~(DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM)) | DDSCAPS_SYSTEMMEMORY;

    if ((asked_caps & DDSCAPS_PRIMARYSURFACE) != 0) {
      if (shared_->primary != nullptr) return DDERR_PRIMARYSURFACEALREADYEXISTS;
      const DisplayMode mode = CurrentDisplayMode();
      const PixelLayout layout = DisplayPixelLayout(mode.bits);
      int back_count = 0;
      if ((asked_caps & DDSCAPS_FLIP) != 0) {
        if ((asked_caps & DDSCAPS_COMPLEX) == 0 || (flags & DDSD_BACKBUFFERCOUNT) == 0 ||
            description->dwBackBufferCount < 1 || description->dwBackBufferCount > 3) {
          return DDERR_INVALIDCAPS;
        }
        if (!Exclusive()) return DDERR_NOEXCLUSIVEMODE;
        back_count = static_cast<int>(description->dwBackBufferCount);
      }
      IDirectDrawSurface7* primary =
          ddraw_objects::MakeSurface(mode.width, mode.height, layout,
                                     caps | DDSCAPS_FRONTBUFFER | DDSCAPS_VISIBLE, true, shared_);
      IDirectDrawSurface7* previous = primary;
      const DWORD back_caps = (caps & ~(DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER)) |
                              DDSCAPS_BACKBUFFER;
      for (int i = 0; i < back_count; ++i) {
        IDirectDrawSurface7* back =
            ddraw_objects::MakeSurface(mode.width, mode.height, layout, back_caps, false, shared_);
        ddraw_objects::AttachBackBuffer(previous, back);
        previous = back;
      }
      shared_->primary = primary;
      *surface = primary;
      return DD_OK;
    }

    if ((flags & DDSD_WIDTH) == 0 || (flags & DDSD_HEIGHT) == 0) return DDERR_INVALIDPARAMS;
    const int width = static_cast<int>(description->dwWidth);
    const int height = static_cast<int>(description->dwHeight);
    if (width < 1 || height < 1 || width > kMaxSurfaceSide || height > kMaxSurfaceSide) {
      return DDERR_INVALIDPARAMS;
    }
    PixelLayout layout = DisplayPixelLayout(CurrentDisplayMode().bits);
    if (has_format) {
      const DDPIXELFORMAT& format = description->ddpfPixelFormat;
      if ((format.dwFlags & DDPF_FOURCC) != 0) return DDERR_INVALIDPIXELFORMAT;
      if ((format.dwFlags & DDPF_PALETTEINDEXED8) != 0 && format.dwRGBBitCount == 8) {
        layout = PixelLayout{8, 0, 0, 0};
      } else if ((format.dwFlags & DDPF_RGB) != 0 &&
                 (format.dwRGBBitCount == 16 || format.dwRGBBitCount == 32)) {
        layout = PixelLayout{static_cast<int>(format.dwRGBBitCount), format.dwRBitMask,
                             format.dwGBitMask, format.dwBBitMask};
      } else {
        return DDERR_INVALIDPIXELFORMAT;
      }
    }
    IDirectDrawSurface7* made = ddraw_objects::MakeSurface(width, height, layout, caps, false, shared_);
    if ((flags & DDSD_CKSRCBLT) != 0) ddraw_objects::SetSurfaceKey(made, description->ddckCKSrcBlt);
    *surface = made;
    return DD_OK;
  }

  HRESULT CreateClipper(DWORD, IDirectDrawClipper** clipper, IUnknown* outer) override {
    DISPLAY_FAULT("IDirectDraw7::CreateClipper");
    if (!initialized_) return DDERR_NOTINITIALIZED;
    if (clipper == nullptr || outer != nullptr) return DDERR_INVALIDPARAMS;
    *clipper = new Clipper;
    return DD_OK;
  }

  HRESULT CreatePalette(DWORD flags, PALETTEENTRY* entries, IDirectDrawPalette** palette,
                        IUnknown* outer) override {
    DISPLAY_FAULT("IDirectDraw7::CreatePalette");
    if (!initialized_) return DDERR_NOTINITIALIZED;
    RequireEmulated((flags & DDPCAPS_8BIT) != 0, "IDirectDraw7::CreatePalette",
                    "only 256-colour palettes are emulated", flags);
    if (palette == nullptr || entries == nullptr || outer != nullptr) {
      return DDERR_INVALIDPARAMS;
    }
    *palette = new Palette(entries);
    return DD_OK;
  }

  HRESULT GetDeviceIdentifier(DDDEVICEIDENTIFIER2* identifier, DWORD) override {
    DISPLAY_FAULT("IDirectDraw7::GetDeviceIdentifier");
    if (!initialized_) return DDERR_NOTINITIALIZED;
    if (identifier == nullptr) return DDERR_INVALIDPARAMS;
    std::memset(identifier, 0, sizeof(*identifier));
    std::strcpy(identifier->szDriver, "brimal_display");
    std::strcpy(identifier->szDescription, "Display of the stand-in layer");
    identifier->liDriverVersion.QuadPart = (1ll << 48) | (0ll << 32) | (0ll << 16) | 1ll;
    return DD_OK;
  }

  HRESULT GetAvailableVidMem(DDSCAPS2* caps, LPDWORD total, LPDWORD free) override {
    DISPLAY_FAULT("IDirectDraw7::GetAvailableVidMem");
    if (!initialized_) return DDERR_NOTINITIALIZED;
    if (caps == nullptr) return DDERR_INVALIDPARAMS;
    if (total != nullptr) *total = kVideoMemoryBytes;
    if (free != nullptr) *free = kVideoMemoryBytes;
    return DD_OK;
  }

  HRESULT WaitForVerticalBlank(DWORD flags, HANDLE) override {
    DISPLAY_FAULT("IDirectDraw7::WaitForVerticalBlank");
    if (!initialized_) return DDERR_NOTINITIALIZED;
    RequireEmulated(flags == DDWAITVB_BLOCKBEGIN, "IDirectDraw7::WaitForVerticalBlank",
                    "only DDWAITVB_BLOCKBEGIN is emulated", flags);
    CurrentHost().Clock().WaitVerticalBlank();
    return DD_OK;
  }

  HRESULT GetVerticalBlankStatus(BOOL* in_blank) override {
    DISPLAY_FAULT("IDirectDraw7::GetVerticalBlankStatus");
    if (!initialized_) return DDERR_NOTINITIALIZED;
    if (in_blank == nullptr) return DDERR_INVALIDPARAMS;
    *in_blank = CurrentHost().Clock().InVerticalBlank() ? TRUE : FALSE;
    return DD_OK;
  }

  HRESULT GetScanLine(LPDWORD line) override {
    DISPLAY_FAULT("IDirectDraw7::GetScanLine");
    if (!initialized_) return DDERR_NOTINITIALIZED;
    if (line == nullptr) return DDERR_INVALIDPARAMS;
    const int scan = CurrentHost().Clock().ScanLine();
    *line = static_cast<DWORD>(scan);
    return scan >= 480 ? DDERR_VERTICALBLANKINPROGRESS : DD_OK;
  }

  HRESULT FlipToGDISurface() override {
    DISPLAY_FAULT("IDirectDraw7::FlipToGDISurface");
    return initialized_ ? DD_OK : DDERR_NOTINITIALIZED;
  }

 private:
  friend class ::ComRefCount;
  ~DirectDraw() override {
    {
      std::lock_guard<std::mutex> lock(exclusive_mutex);
      if (exclusive_owner == this) exclusive_owner = nullptr;
    }
    // The system puts the desktop back when the object that changed it goes.
    if (changed_mode_) RestoreDesktopDisplayMode();
  }

  bool Exclusive() {
    std::lock_guard<std::mutex> lock(exclusive_mutex);
    return exclusive_owner == this;
  }

  static void DescribeMode(const DisplayMode& mode, DDSURFACEDESC2* description) {
    const DWORD size = description->dwSize;
    std::memset(description, 0, sizeof(*description));
    description->dwSize = size != 0 ? size : sizeof(DDSURFACEDESC2);
    description->dwFlags =
        DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
    description->dwWidth = static_cast<DWORD>(mode.width);
    description->dwHeight = static_cast<DWORD>(mode.height);
    description->lPitch = mode.width * mode.bits / 8;
    description->dwRefreshRate = static_cast<DWORD>(mode.refresh);
    FillPixelFormat(DisplayPixelLayout(mode.bits), &description->ddpfPixelFormat);
  }

  ComRefCount refs_;
  std::shared_ptr<ObjectShared> shared_;
  bool initialized_ = false;
  bool changed_mode_ = false;
  HWND window_ = nullptr;
};

const ComFactoryRegistration direct_draw_factory(CLSID_DirectDraw7, [](REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  const HRESULT fault = DisplayCallFault("CoCreateInstance(DirectDraw7)");
  if (FAILED(fault)) return fault;
  auto* made = new DirectDraw;
  const HRESULT result = made->QueryInterface(riid, object);
  made->Release();
  return result;
});

}  // namespace
