// The DirectDraw stand-in's objects as its two files share them: the
// DirectDraw object (ddraw.cpp) makes surfaces, clippers and palettes; the
// surfaces (ddraw_surface.cpp) read the clipper and palette bound to them.
#pragma once

#include <cstring>
#include <memory>

#include "platform/win32/ddraw.h"
#include "platform/win32/display.h"

// Returns the failure the test seam asks for, if any.
#define DISPLAY_FAULT(name)                                    \
  do {                                                         \
    const HRESULT fault_result = DisplayCallFault(name);       \
    if (FAILED(fault_result)) return fault_result;             \
  } while (false)

namespace ddraw_objects {

class Clipper : public IDirectDrawClipper {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown) {
      *object = static_cast<IUnknown*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return refs_.AddRefImpl(); }
  ULONG Release() override { return refs_.ReleaseImpl(this); }

  HRESULT SetHWnd(DWORD, HWND window) override {
    DISPLAY_FAULT("IDirectDrawClipper::SetHWnd");
    if (window != nullptr && !IsWindow(window)) return DDERR_INVALIDPARAMS;
    window_ = window;
    return DD_OK;
  }
  HRESULT GetHWnd(HWND* window) override {
    DISPLAY_FAULT("IDirectDrawClipper::GetHWnd");
    if (window == nullptr) return DDERR_INVALIDPARAMS;
    *window = window_;
    return DD_OK;
  }
  HWND window() const { return window_; }

 private:
  friend class ::ComRefCount;
  ~Clipper() override = default;
  ComRefCount refs_;
  HWND window_ = nullptr;
};

class Palette : public IDirectDrawPalette {
 public:
  explicit Palette(const PALETTEENTRY* entries) { std::memcpy(entries_, entries, sizeof(entries_)); }
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown) {
      *object = static_cast<IUnknown*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return refs_.AddRefImpl(); }
  ULONG Release() override { return refs_.ReleaseImpl(this); }

  HRESULT SetEntries(DWORD, DWORD start, DWORD count, PALETTEENTRY* entries) override {
    DISPLAY_FAULT("IDirectDrawPalette::SetEntries");
    if (entries == nullptr || start > 256 || count > 256 - start) return DDERR_INVALIDPARAMS;
    std::memcpy(entries_ + start, entries, count * sizeof(PALETTEENTRY));
    return DD_OK;
  }
  HRESULT GetEntries(DWORD, DWORD start, DWORD count, PALETTEENTRY* entries) override {
    DISPLAY_FAULT("IDirectDrawPalette::GetEntries");
    if (entries == nullptr || start > 256 || count > 256 - start) return DDERR_INVALIDPARAMS;
    std::memcpy(entries, entries_ + start, count * sizeof(PALETTEENTRY));
    return DD_OK;
  }
  const PALETTEENTRY& Entry(uint32_t index) const { return entries_[index]; }

 private:
  friend class ::ComRefCount;
  ~Palette() override = default;
  ComRefCount refs_;
  PALETTEENTRY entries_[256];
};

// What a DirectDraw object shares with its surfaces: the one primary.
struct ObjectShared {
  IDirectDrawSurface7* primary = nullptr;
};

void FillPixelFormat(const PixelLayout& layout, DDPIXELFORMAT* format);

// A surface in system memory, its pixels zeroed, with one reference.
IDirectDrawSurface7* MakeSurface(int width, int height, const PixelLayout& layout, DWORD caps,
                                 bool is_primary, std::shared_ptr<ObjectShared> shared);
// Attaches `back` (a surface MakeSurface made) behind `front`, which takes
// over its reference.
void AttachBackBuffer(IDirectDrawSurface7* front, IDirectDrawSurface7* back);
// Gives a surface MakeSurface made its source colour key.
void SetSurfaceKey(IDirectDrawSurface7* surface, const DDCOLORKEY& key);

}  // namespace ddraw_objects
