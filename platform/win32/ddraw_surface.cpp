// DirectDraw stand-in: surfaces in system memory over the display of
// display.h, their device contexts, and the loss of every surface at once.
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
#include "platform/win32/gdi_target.h"

using ddraw_objects::Clipper;
using ddraw_objects::FillPixelFormat;
using ddraw_objects::ObjectShared;
using ddraw_objects::Palette;

namespace {

// A surface's pixel memory, zeroed. It comes from calloc, which hands large
// blocks out as fresh pages: a desktop-sized surface costs nothing until its
// pixels are touched.
class ZeroedPixels {
 public:
  ZeroedPixels() = default;
  explicit ZeroedPixels(size_t size) : data_(static_cast<uint8_t*>(std::calloc(size + 1, 1))) {
    if (data_ == nullptr) throw std::bad_alloc();
  }
  ~ZeroedPixels() { std::free(data_); }
  ZeroedPixels(ZeroedPixels&& other) noexcept : data_(std::exchange(other.data_, nullptr)) {}
  ZeroedPixels& operator=(ZeroedPixels&& other) noexcept {
    std::swap(data_, other.data_);
    return *this;
  }
  ZeroedPixels(const ZeroedPixels&) = delete;
  ZeroedPixels& operator=(const ZeroedPixels&) = delete;
  void swap(ZeroedPixels& other) noexcept { std::swap(data_, other.data_); }
  uint8_t* data() const { return data_; }

 private:
  uint8_t* data_ = nullptr;
};

class Surface;

struct SurfaceRegistry {
  std::mutex mutex;
  std::set<Surface*> live;
};

SurfaceRegistry& Registry() {
  static auto* registry = new SurfaceRegistry;
  return *registry;
}

bool SameLayout(const PixelLayout& a, const PixelLayout& b) {
  return a.bits == b.bits && a.red_mask == b.red_mask && a.green_mask == b.green_mask &&
         a.blue_mask == b.blue_mask;
}

bool RectInside(const RECT& rect, int width, int height) {
  return rect.left >= 0 && rect.top >= 0 && rect.left <= rect.right && rect.top <= rect.bottom &&
         rect.right <= width && rect.bottom <= height;
}

RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

bool Empty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

class Surface : public IDirectDrawSurface7 {
 public:
  Surface(int width, int height, const PixelLayout& layout, DWORD caps, bool is_primary,
          std::shared_ptr<ObjectShared> shared)
      : width_(width),
        height_(height),
        layout_(layout),
        caps_(caps),
        is_primary_(is_primary),
        shared_(std::move(shared)) {
    bytes_ = layout.bits / 8;
    pitch_ = (width * bytes_ + 3) / 4 * 4;
    pixels_ = ZeroedPixels(static_cast<size_t>(pitch_) * height);
    SurfaceRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    registry.live.insert(this);
  }

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

  HRESULT Lock(RECT* rect, DDSURFACEDESC2* description, DWORD flags, HANDLE) override {
    DISPLAY_FAULT("IDirectDrawSurface7::Lock");
    RequireEmulated(
        (flags & ~(DDLOCK_WAIT | DDLOCK_READONLY | DDLOCK_WRITEONLY | DDLOCK_NOSYSLOCK)) == 0,
        "IDirectDrawSurface7::Lock", "flags not emulated", flags);
    if (description == nullptr) return DDERR_INVALIDPARAMS;
    if (lost_) return DDERR_SURFACELOST;
    const RECT area = rect != nullptr ? *rect : Whole();
    if (!RectInside(area, width_, height_)) return DDERR_INVALIDRECT;
    if (is_primary_ && (flags & DDLOCK_WRITEONLY) == 0) PullFromWindow(area);
    locks_.push_back(LockEntry{area, rect == nullptr, (flags & DDLOCK_READONLY) != 0});
    Describe(description);
    description->dwFlags |= DDSD_LPSURFACE;
    description->lpSurface = Address(area.left, area.top);
    return DD_OK;
  }

  HRESULT Unlock(RECT* rect) override {
    DISPLAY_FAULT("IDirectDrawSurface7::Unlock");
    if (locks_.empty()) return DDERR_NOTLOCKED;
    auto found = locks_.end() - 1;
    if (rect != nullptr) {
      found = std::find_if(locks_.begin(), locks_.end(), [&](const LockEntry& entry) {
        return entry.rect.left == rect->left && entry.rect.top == rect->top &&
               entry.rect.right == rect->right && entry.rect.bottom == rect->bottom;
      });
      if (found == locks_.end()) return DDERR_NOTLOCKED;
    }
    const LockEntry entry = *found;
    locks_.erase(found);
    if (is_primary_ && !entry.read_only) PushToWindow(entry.rect);
    return DD_OK;
  }

  HRESULT Blt(RECT* dest_rect, IDirectDrawSurface7* source_interface, RECT* source_rect,
              DWORD flags, DDBLTFX* fx) override {
    DISPLAY_FAULT("IDirectDrawSurface7::Blt");
    return BltCore(dest_rect, source_interface, source_rect, flags, fx);
  }

  HRESULT BltCore(RECT* dest_rect, IDirectDrawSurface7* source_interface, RECT* source_rect,
                  DWORD flags, DDBLTFX* fx) {
    RequireEmulated((flags & ~(DDBLT_ASYNC | DDBLT_COLORFILL | DDBLT_KEYSRC |
                               DDBLT_KEYSRCOVERRIDE | DDBLT_WAIT | DDBLT_DEPTHFILL)) == 0,
                    "IDirectDrawSurface7::Blt", "flags not emulated", flags);
    if (lost_) return DDERR_SURFACELOST;
    const RECT dest = dest_rect != nullptr ? *dest_rect : Whole();
    if (dest.left > dest.right || dest.top > dest.bottom) return DDERR_INVALIDRECT;
    if (clipper_ == nullptr && !RectInside(dest, width_, height_)) return DDERR_INVALIDRECT;
    const RECT visible = Intersect(dest, ClipArea());

    if ((flags & DDBLT_DEPTHFILL) != 0) return DDERR_INVALIDPARAMS;  // no depth surfaces here
    if ((flags & DDBLT_COLORFILL) != 0) {
      if (fx == nullptr) return DDERR_INVALIDPARAMS;
      for (int y = visible.top; y < visible.bottom; ++y) {
        for (int x = visible.left; x < visible.right; ++x) PutPixel(x, y, fx->dwFillColor);
      }
      if (is_primary_) PushToWindow(visible);
      return DD_OK;
    }

    Surface* source = dynamic_cast<Surface*>(source_interface);
    if (source == nullptr) return DDERR_INVALIDPARAMS;
    if (source->lost_) return DDERR_SURFACELOST;
    const RECT from = source_rect != nullptr ? *source_rect : source->Whole();
    if (!RectInside(from, source->width_, source->height_)) return DDERR_INVALIDRECT;
    if (!SameLayout(layout_, source->layout_)) return DDERR_INVALIDPIXELFORMAT;
    bool keyed = false;
    DDCOLORKEY key{};
    if ((flags & DDBLT_KEYSRCOVERRIDE) != 0) {
      if (fx == nullptr) return DDERR_INVALIDPARAMS;
      keyed = true;
      key = fx->ddckSrcColorkey;
    } else if ((flags & DDBLT_KEYSRC) != 0) {
      if (!source->has_key_) return DDERR_INVALIDPARAMS;
      keyed = true;
      key = source->key_;
    }
    const int dest_width = dest.right - dest.left, dest_height = dest.bottom - dest.top;
    const int from_width = from.right - from.left, from_height = from.bottom - from.top;
    if (dest_width == 0 || dest_height == 0 || from_width == 0 || from_height == 0) return DD_OK;
    if (source->is_primary_) source->PullFromWindow(from);
    // The source rectangle is read whole first, so a copy within one surface
    // sees the pixels as they were.
    std::vector<uint32_t> block(static_cast<size_t>(from_width) * from_height);
    for (int y = 0; y < from_height; ++y) {
      for (int x = 0; x < from_width; ++x) {
        block[static_cast<size_t>(y) * from_width + x] =
            source->GetPixel(from.left + x, from.top + y);
      }
    }
    for (int y = visible.top; y < visible.bottom; ++y) {
      const int sy = static_cast<int>(static_cast<int64_t>(y - dest.top) * from_height / dest_height);
      for (int x = visible.left; x < visible.right; ++x) {
        const int sx = static_cast<int>(static_cast<int64_t>(x - dest.left) * from_width / dest_width);
        const uint32_t value = block[static_cast<size_t>(sy) * from_width + sx];
        if (keyed && value >= key.dwColorSpaceLowValue && value <= key.dwColorSpaceHighValue) {
          continue;
        }
        PutPixel(x, y, value);
      }
    }
    if (is_primary_) PushToWindow(visible);
    return DD_OK;
  }

  HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface7* source_interface, RECT* source_rect,
                  DWORD flags) override {
    DISPLAY_FAULT("IDirectDrawSurface7::BltFast");
    RequireEmulated((flags & ~(DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT)) == 0,
                    "IDirectDrawSurface7::BltFast", "flags not emulated", flags);
    if (lost_) return DDERR_SURFACELOST;
    if (clipper_ != nullptr) return DDERR_INVALIDPARAMS;  // BltFast cannot clip
    Surface* source = dynamic_cast<Surface*>(source_interface);
    if (source == nullptr) return DDERR_INVALIDPARAMS;
    if (source->lost_) return DDERR_SURFACELOST;
    const RECT from = source_rect != nullptr ? *source_rect : source->Whole();
    if (!RectInside(from, source->width_, source->height_)) return DDERR_INVALIDRECT;
    const RECT dest{static_cast<LONG>(x), static_cast<LONG>(y),
                    static_cast<LONG>(x) + (from.right - from.left),
                    static_cast<LONG>(y) + (from.bottom - from.top)};
    if (x > static_cast<DWORD>(width_) || y > static_cast<DWORD>(height_) ||
        !RectInside(dest, width_, height_)) {
      return DDERR_INVALIDRECT;
    }
    if ((flags & DDBLTFAST_SRCCOLORKEY) != 0 && !source->has_key_) return DDERR_INVALIDPARAMS;
    DDBLTFX fx{};
    fx.dwSize = sizeof(fx);
    fx.ddckSrcColorkey = source->key_;
    RECT dest_copy = dest, from_copy = from;
    // Same pixels as a Blt without stretching or clipper.
    return BltCore(&dest_copy, source, &from_copy,
                        (flags & DDBLTFAST_SRCCOLORKEY) != 0 ? DDBLT_KEYSRCOVERRIDE : 0, &fx);
  }

  HRESULT Flip(IDirectDrawSurface7* override_surface, DWORD flags) override {
    DISPLAY_FAULT("IDirectDrawSurface7::Flip");
    RequireEmulated(override_surface == nullptr, "IDirectDrawSurface7::Flip",
                    "override surfaces are not emulated", override_surface);
    RequireEmulated((flags & ~(DDFLIP_WAIT | DDFLIP_NOVSYNC)) == 0, "IDirectDrawSurface7::Flip",
                    "flags not emulated", flags);
    std::vector<Surface*> chain = FlipChain();
    if (!is_primary_ || chain.size() < 2) return DDERR_NOTFLIPPABLE;
    for (Surface* surface : chain) {
      if (surface->lost_) return DDERR_SURFACELOST;
    }
    if ((flags & DDFLIP_NOVSYNC) == 0 && HostInstalled()) {
      CurrentHost().Clock().WaitVerticalBlank();
    }
    // The buffers' pixels move one place towards the front.
    for (size_t i = 0; i + 1 < chain.size(); ++i) chain[i]->pixels_.swap(chain[i + 1]->pixels_);
    PushToWindow(Whole());
    return DD_OK;
  }

  HRESULT GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface7** surface) override {
    DISPLAY_FAULT("IDirectDrawSurface7::GetAttachedSurface");
    if (caps == nullptr || surface == nullptr) return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    for (Surface* attached : attached_) {
      if ((attached->caps_ & caps->dwCaps) == caps->dwCaps) {
        attached->AddRef();
        *surface = attached;
        return DD_OK;
      }
    }
    return DDERR_NOTFOUND;
  }

  HRESULT AddAttachedSurface(IDirectDrawSurface7* surface_interface) override {
    DISPLAY_FAULT("IDirectDrawSurface7::AddAttachedSurface");
    Surface* surface = dynamic_cast<Surface*>(surface_interface);
    if (surface == nullptr || surface == this) return DDERR_CANNOTATTACHSURFACE;
    if (std::find(attached_.begin(), attached_.end(), surface) != attached_.end()) {
      return DDERR_CANNOTATTACHSURFACE;
    }
    surface->AddRef();
    attached_.push_back(surface);
    return DD_OK;
  }

  HRESULT DeleteAttachedSurface(DWORD, IDirectDrawSurface7* surface_interface) override {
    DISPLAY_FAULT("IDirectDrawSurface7::DeleteAttachedSurface");
    if (surface_interface == nullptr) {
      ReleaseAttached();
      return DD_OK;
    }
    auto found = std::find(attached_.begin(), attached_.end(),
                           dynamic_cast<Surface*>(surface_interface));
    if (found == attached_.end()) return DDERR_NOTFOUND;
    Surface* surface = *found;
    attached_.erase(found);
    surface->Release();
    return DD_OK;
  }

  HRESULT EnumAttachedSurfaces(LPVOID context, LPDDENUMSURFACESCALLBACK7 callback) override {
    DISPLAY_FAULT("IDirectDrawSurface7::EnumAttachedSurfaces");
    if (callback == nullptr) return DDERR_INVALIDPARAMS;
    const std::vector<Surface*> attached = attached_;
    for (Surface* surface : attached) {
      DDSURFACEDESC2 description{};
      description.dwSize = sizeof(description);
      surface->Describe(&description);
      surface->AddRef();
      if (callback(surface, &description, context) == DDENUMRET_CANCEL) break;
    }
    return DD_OK;
  }

  HRESULT GetDC(HDC* dc) override;
  HRESULT ReleaseDC(HDC dc) override;

  HRESULT SetClipper(IDirectDrawClipper* clipper_interface) override {
    DISPLAY_FAULT("IDirectDrawSurface7::SetClipper");
    Clipper* clipper = dynamic_cast<Clipper*>(clipper_interface);
    if (clipper_interface != nullptr && clipper == nullptr) return DDERR_INVALIDPARAMS;
    if (clipper != nullptr) clipper->AddRef();
    if (clipper_ != nullptr) clipper_->Release();
    clipper_ = clipper;
    return DD_OK;
  }

  HRESULT GetClipper(IDirectDrawClipper** clipper) override {
    DISPLAY_FAULT("IDirectDrawSurface7::GetClipper");
    if (clipper == nullptr) return DDERR_INVALIDPARAMS;
    *clipper = clipper_;
    if (clipper_ == nullptr) return DDERR_NOTFOUND;
    clipper_->AddRef();
    return DD_OK;
  }

  HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) override {
    DISPLAY_FAULT("IDirectDrawSurface7::SetColorKey");
    RequireEmulated(flags == DDCKEY_SRCBLT, "IDirectDrawSurface7::SetColorKey",
                    "only the source blit key is emulated", flags);
    has_key_ = key != nullptr;
    if (key != nullptr) key_ = *key;
    return DD_OK;
  }

  HRESULT GetCaps(DDSCAPS2* caps) override {
    DISPLAY_FAULT("IDirectDrawSurface7::GetCaps");
    if (caps == nullptr) return DDERR_INVALIDPARAMS;
    *caps = DDSCAPS2{caps_, 0, 0, 0};
    return DD_OK;
  }

  HRESULT GetSurfaceDesc(DDSURFACEDESC2* description) override {
    DISPLAY_FAULT("IDirectDrawSurface7::GetSurfaceDesc");
    if (description == nullptr) return DDERR_INVALIDPARAMS;
    Describe(description);
    return DD_OK;
  }

  HRESULT GetPixelFormat(DDPIXELFORMAT* format) override {
    DISPLAY_FAULT("IDirectDrawSurface7::GetPixelFormat");
    if (format == nullptr) return DDERR_INVALIDPARAMS;
    FillPixelFormat(layout_, format);
    return DD_OK;
  }

  HRESULT IsLost() override {
    DISPLAY_FAULT("IDirectDrawSurface7::IsLost");
    return lost_ ? DDERR_SURFACELOST : DD_OK;
  }

  HRESULT Restore() override {
    DISPLAY_FAULT("IDirectDrawSurface7::Restore");
    lost_ = false;
    for (Surface* attached : attached_) attached->lost_ = false;
    return DD_OK;
  }

  HRESULT SetPalette(IDirectDrawPalette* palette_interface) override {
    DISPLAY_FAULT("IDirectDrawSurface7::SetPalette");
    Palette* palette = dynamic_cast<Palette*>(palette_interface);
    if (palette_interface != nullptr && palette == nullptr) return DDERR_INVALIDPARAMS;
    if (palette != nullptr) palette->AddRef();
    if (palette_ != nullptr) palette_->Release();
    palette_ = palette;
    return DD_OK;
  }

  // ---- For the object, the device contexts and LoseAllDirectDrawSurfaces.

  void Attach(Surface* surface) { attached_.push_back(surface); }  // takes the reference
  void SetKey(const DDCOLORKEY& key) {
    has_key_ = true;
    key_ = key;
  }
  void MarkLost() { lost_ = true; }
  int width() const { return width_; }
  int height() const { return height_; }
  int bits() const { return layout_.bits; }

  void ReadXrgb(const RECT& rect, uint32_t* xrgb, int pitch) {
    if (is_primary_) PullFromWindow(rect);
    for (int y = rect.top; y < rect.bottom; ++y) {
      uint32_t* out = xrgb + static_cast<size_t>(y - rect.top) * pitch;
      for (int x = rect.left; x < rect.right; ++x) out[x - rect.left] = ToXrgb(GetPixel(x, y));
    }
  }
  void WriteXrgb(const RECT& rect, const uint32_t* xrgb, int pitch) {
    for (int y = rect.top; y < rect.bottom; ++y) {
      const uint32_t* in = xrgb + static_cast<size_t>(y - rect.top) * pitch;
      for (int x = rect.left; x < rect.right; ++x) PutPixel(x, y, FromXrgb(in[x - rect.left]));
    }
    if (is_primary_) PushToWindow(rect);
  }

 private:
  friend class ::ComRefCount;
  ~Surface() override {
    {
      SurfaceRegistry& registry = Registry();
      std::lock_guard<std::mutex> lock(registry.mutex);
      registry.live.erase(this);
    }
    if (is_primary_ && shared_->primary == this) shared_->primary = nullptr;
    ReleaseAttached();
    if (clipper_ != nullptr) clipper_->Release();
    if (palette_ != nullptr) palette_->Release();
  }

  struct LockEntry {
    RECT rect;
    bool whole;
    bool read_only;
  };

  void ReleaseAttached() {
    std::vector<Surface*> attached;
    attached.swap(attached_);
    for (Surface* surface : attached) surface->Release();
  }

  // The primary followed by its back buffers, in flip order.
  std::vector<Surface*> FlipChain() {
    std::vector<Surface*> chain{this};
    Surface* current = this;
    for (;;) {
      Surface* next = nullptr;
      for (Surface* attached : current->attached_) {
        if ((attached->caps_ & DDSCAPS_BACKBUFFER) != 0 &&
            std::find(chain.begin(), chain.end(), attached) == chain.end()) {
          next = attached;
        }
      }
      if (next == nullptr) return chain;
      chain.push_back(next);
      current = next;
    }
  }

  RECT Whole() const { return RECT{0, 0, width_, height_}; }

  // Where a blit may write: the surface, and with a clipper bound to a window
  // the window's client area (on the desktop for the primary).
  RECT ClipArea() const {
    RECT area = Whole();
    if (clipper_ != nullptr && clipper_->window() != nullptr) {
      RECT client{};
      GetClientRect(clipper_->window(), &client);
      if (is_primary_) {
        POINT origin{0, 0};
        ClientToScreen(clipper_->window(), &origin);
        client = RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
      }
      area = Intersect(area, client);
    }
    return area;
  }

  uint8_t* Address(int x, int y) {
    return pixels_.data() + static_cast<size_t>(y) * pitch_ + static_cast<size_t>(x) * bytes_;
  }

  uint32_t GetPixel(int x, int y) {
    const uint8_t* at = Address(x, y);
    switch (bytes_) {
      case 1:
        return *at;
      case 2: {
        uint16_t value;
        std::memcpy(&value, at, 2);
        return value;
      }
      default: {
        uint32_t value;
        std::memcpy(&value, at, 4);
        return value;
      }
    }
  }

  void PutPixel(int x, int y, uint32_t value) {
    uint8_t* at = Address(x, y);
    switch (bytes_) {
      case 1:
        *at = static_cast<uint8_t>(value);
        break;
      case 2: {
        const uint16_t narrow = static_cast<uint16_t>(value);
        std::memcpy(at, &narrow, 2);
        break;
      }
      default:
        std::memcpy(at, &value, 4);
        break;
    }
  }

  uint32_t ToXrgb(uint32_t pixel) const {
    if (layout_.bits == 8) {
      if (palette_ == nullptr) return (pixel << 16) | (pixel << 8) | pixel;
      const PALETTEENTRY& entry = palette_->Entry(pixel & 0xFF);
      return (static_cast<uint32_t>(entry.peRed) << 16) | (static_cast<uint32_t>(entry.peGreen) << 8) |
             entry.peBlue;
    }
    return PixelToXrgb(layout_, pixel);
  }

  uint32_t FromXrgb(uint32_t xrgb) const {
    if (layout_.bits == 8) return xrgb & 0xFF;  // no colour matching for palette surfaces
    return XrgbToPixel(layout_, xrgb);
  }

  // The primary's pixels inside the host window's client area are the
  // window image.
  void PullFromWindow(const RECT& rect) {
    RECT client;
    if (!HostInstalled() || !HostWindowClientRect(&client)) return;
    const RECT part = Intersect(rect, client);
    if (Empty(part)) return;
    const int width = part.right - part.left, height = part.bottom - part.top;
    std::vector<uint32_t> block(static_cast<size_t>(width) * height);
    // Pixels the window image does not have keep what the surface holds.
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        block[static_cast<size_t>(y) * width + x] = ToXrgb(GetPixel(part.left + x, part.top + y));
      }
    }
    CurrentHost().Video().ReadImage(part.left - client.left, part.top - client.top, width, height,
                                    block.data(), width);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        PutPixel(part.left + x, part.top + y, FromXrgb(block[static_cast<size_t>(y) * width + x]));
      }
    }
  }

  void PushToWindow(const RECT& rect) {
    RECT client;
    if (!HostInstalled() || !HostWindowClientRect(&client)) return;
    const RECT part = Intersect(rect, client);
    if (Empty(part)) return;
    const int width = part.right - part.left, height = part.bottom - part.top;
    std::vector<uint32_t> block(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        block[static_cast<size_t>(y) * width + x] = ToXrgb(GetPixel(part.left + x, part.top + y));
      }
    }
    CurrentHost().Video().WriteImage(part.left - client.left, part.top - client.top, width, height,
                                     block.data(), width, height, width);
  }

  void Describe(DDSURFACEDESC2* description) {
    const DWORD size = description->dwSize;
    std::memset(description, 0, sizeof(*description));
    description->dwSize = size != 0 ? size : sizeof(DDSURFACEDESC2);
    description->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    description->dwWidth = static_cast<DWORD>(width_);
    description->dwHeight = static_cast<DWORD>(height_);
    description->lPitch = pitch_;
    FillPixelFormat(layout_, &description->ddpfPixelFormat);
    description->ddsCaps.dwCaps = caps_;
    if (has_key_) {
      description->dwFlags |= DDSD_CKSRCBLT;
      description->ddckCKSrcBlt = key_;
    }
  }

  ComRefCount refs_;
  int width_;
  int height_;
  PixelLayout layout_;
  DWORD caps_;
  bool is_primary_;
  std::shared_ptr<ObjectShared> shared_;
  int bytes_ = 2;
  int pitch_ = 0;
  ZeroedPixels pixels_;
  std::vector<Surface*> attached_;  // each holds one reference
  std::vector<LockEntry> locks_;
  bool lost_ = false;
  bool has_key_ = false;
  DDCOLORKEY key_{};
  Clipper* clipper_ = nullptr;
  Palette* palette_ = nullptr;
  HDC dc_ = nullptr;
};

// A device context over a surface.
class SurfaceTarget : public GdiTarget {
 public:
  explicit SurfaceTarget(Surface* surface) : surface_(surface) {}
  int Width() const override { return surface_->width(); }
  int Height() const override { return surface_->height(); }
  int BitsPerPixel() const override { return surface_->bits(); }
  void Read(const RECT& rect, uint32_t* xrgb, int pitch) override {
    surface_->ReadXrgb(rect, xrgb, pitch);
  }
  void Write(const RECT& rect, const uint32_t* xrgb, int pitch) override {
    surface_->WriteXrgb(rect, xrgb, pitch);
  }

 private:
  Surface* surface_;
};

HRESULT Surface::GetDC(HDC* dc) {
  DISPLAY_FAULT("IDirectDrawSurface7::GetDC");
  if (dc == nullptr) return DDERR_INVALIDPARAMS;
  if (lost_) return DDERR_SURFACELOST;
  if (dc_ != nullptr) return DDERR_SURFACEBUSY;
  dc_ = CreateTargetDC(std::make_shared<SurfaceTarget>(this));
  AddRef();  // the context keeps the surface alive
  *dc = dc_;
  return DD_OK;
}

HRESULT Surface::ReleaseDC(HDC dc) {
  DISPLAY_FAULT("IDirectDrawSurface7::ReleaseDC");
  if (dc == nullptr || dc != dc_) return DDERR_INVALIDPARAMS;
  DeleteTargetDC(dc_);
  dc_ = nullptr;
  Release();
  return DD_OK;
}

}  // namespace

namespace ddraw_objects {

void FillPixelFormat(const PixelLayout& layout, DDPIXELFORMAT* format) {
  std::memset(format, 0, sizeof(*format));
  format->dwSize = sizeof(DDPIXELFORMAT);
  if (layout.bits == 8) {
    format->dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
    format->dwRGBBitCount = 8;
    return;
  }
  format->dwFlags = DDPF_RGB;
  format->dwRGBBitCount = static_cast<DWORD>(layout.bits);
  format->dwRBitMask = layout.red_mask;
  format->dwGBitMask = layout.green_mask;
  format->dwBBitMask = layout.blue_mask;
}

IDirectDrawSurface7* MakeSurface(int width, int height, const PixelLayout& layout, DWORD caps,
                                 bool is_primary, std::shared_ptr<ObjectShared> shared) {
  return new Surface(width, height, layout, caps, is_primary, std::move(shared));
}

void AttachBackBuffer(IDirectDrawSurface7* front, IDirectDrawSurface7* back) {
  static_cast<Surface*>(front)->Attach(static_cast<Surface*>(back));
}

void SetSurfaceKey(IDirectDrawSurface7* surface, const DDCOLORKEY& key) {
  static_cast<Surface*>(surface)->SetKey(key);
}

}  // namespace ddraw_objects

void LoseAllDirectDrawSurfaces() {
  SurfaceRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  for (Surface* surface : registry.live) surface->MarkLost();
}
