// GDI stand-ins over the host's window image.
#include "platform/host/not_emulated.h"
#include "platform/win32/gdi.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/host/host.h"
#include "platform/win32/ddraw.h"
#include "platform/win32/display.h"
#include "platform/win32/gdi_font.h"
#include "platform/win32/gdi_target.h"

namespace {

// A device-independent image as the transfers read it.
struct DibLayout {
  int width = 0;
  int height = 0;
  bool top_down = false;
  PixelLayout layout{};
  int pitch = 0;  // bytes, rows padded to 4
  // An 8-bit image's colour table (behind the header) and its length.
  const RGBQUAD* palette = nullptr;
  int palette_count = 0;
};

// Whether an image may be an 8-bit one with a colour table: images that are
// only read (the sources of transfers) may; bitmaps and read-backs may not.
enum class PaletteImages { kRefused, kRead };

bool ReadDibLayout(const BITMAPINFO* info, DibLayout* dib, const char* call,
                   PaletteImages palette_images) {
  if (info == nullptr) return false;
  const BITMAPINFOHEADER& header = info->bmiHeader;
  RequireEmulated(header.biPlanes == 1, call, "device-independent images have one plane only",
                  header.biPlanes);
  RequireEmulated(header.biCompression == BI_RGB || header.biCompression == BI_BITFIELDS, call,
                  "device-independent images: BI_RGB or BI_BITFIELDS only", header.biCompression);
  const bool palette_image = header.biBitCount == 8 && palette_images == PaletteImages::kRead;
  RequireEmulated(palette_image || header.biBitCount == 16 || header.biBitCount == 24 ||
                      header.biBitCount == 32,
                  call,
                  palette_images == PaletteImages::kRead
                      ? "device-independent images: 8, 16, 24 or 32 bits only"
                      : "device-independent images: 16, 24 or 32 bits only",
                  header.biBitCount);
  if (header.biWidth <= 0 || header.biHeight == 0) return false;
  dib->width = header.biWidth;
  dib->height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
  dib->top_down = header.biHeight < 0;
  const int bits = header.biBitCount;
  const int64_t pitch = (int64_t{dib->width} * bits + 31) / 32 * 4;
  if (pitch > INT32_MAX) return false;
  dib->pitch = static_cast<int>(pitch);
  const uint8_t* behind_header = reinterpret_cast<const uint8_t*>(info) + header.biSize;
  if (header.biCompression == BI_BITFIELDS) {
    RequireEmulated(bits == 16 || bits == 32, call,
                    "device-independent images: bit fields at 16 or 32 bits only", bits);
    DWORD masks[3];
    std::memcpy(masks, behind_header, sizeof(masks));
    dib->layout = PixelLayout{bits, masks[0], masks[1], masks[2]};
  } else if (bits == 8) {
    // The colour table: biClrUsed entries, all 256 when it is 0.
    dib->layout = PixelLayout{8, 0, 0, 0};
    dib->palette = reinterpret_cast<const RGBQUAD*>(behind_header);
    dib->palette_count = header.biClrUsed != 0 && header.biClrUsed < 256
                             ? static_cast<int>(header.biClrUsed)
                             : 256;
  } else if (bits == 16) {
    dib->layout = PixelLayout{16, 0x7C00, 0x03E0, 0x001F};
  } else {
    dib->layout = PixelLayout{bits, 0xFF0000, 0xFF00, 0xFF};
  }
  return true;
}

// Row `row` (0 = the picture's top) of the image's bytes.
const uint8_t* DibRow(const DibLayout& dib, const void* bits, int row) {
  const int stored = dib.top_down ? row : dib.height - 1 - row;
  return static_cast<const uint8_t*>(bits) + static_cast<size_t>(stored) * dib.pitch;
}

uint8_t* DibRow(const DibLayout& dib, void* bits, int row) {
  return const_cast<uint8_t*>(DibRow(dib, static_cast<const void*>(bits), row));
}

uint32_t DibPixel(const DibLayout& dib, const uint8_t* row, int x) {
  switch (dib.layout.bits) {
    case 8: {
      // An index past the colour table shows black.
      if (row[x] >= dib.palette_count) return 0;
      const RGBQUAD& entry = dib.palette[row[x]];
      return (static_cast<uint32_t>(entry.rgbRed) << 16) |
             (static_cast<uint32_t>(entry.rgbGreen) << 8) | entry.rgbBlue;
    }
    case 16: {
      uint16_t value;
      std::memcpy(&value, row + x * 2, 2);
      return PixelToXrgb(dib.layout, value);
    }
    case 24:
      return (static_cast<uint32_t>(row[x * 3 + 2]) << 16) |
             (static_cast<uint32_t>(row[x * 3 + 1]) << 8) | row[x * 3];
    default: {
      uint32_t value;
      std::memcpy(&value, row + x * 4, 4);
      return PixelToXrgb(dib.layout, value);
    }
  }
}

// Writes an XRGB colour into a 16-, 24- or 32-bit image.
void PutDibPixel(const DibLayout& dib, uint8_t* row, int x, uint32_t xrgb) {
  switch (dib.layout.bits) {
    case 16: {
      const uint16_t value = static_cast<uint16_t>(XrgbToPixel(dib.layout, xrgb));
      std::memcpy(row + x * 2, &value, 2);
      break;
    }
    case 24:
      row[x * 3] = static_cast<uint8_t>(xrgb);
      row[x * 3 + 1] = static_cast<uint8_t>(xrgb >> 8);
      row[x * 3 + 2] = static_cast<uint8_t>(xrgb >> 16);
      break;
    default: {
      const uint32_t value = XrgbToPixel(dib.layout, xrgb);
      std::memcpy(row + x * 4, &value, 4);
      break;
    }
  }
}

struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // XRGB, top row first (not for a section)
  // A section keeps its pixels in the layout it was made with, in `bits`,
  // where its maker writes and reads them directly.
  bool section = false;
  DibLayout dib;
  std::vector<uint8_t> bits;
  HDC selected_in = nullptr;
};

// A window's client area: the host's window image for the host's window,
// nothing for any other.
class WindowTarget : public GdiTarget {
 public:
  explicit WindowTarget(HWND window) : window_(window) {}
  int Width() const override { return Client().right; }
  int Height() const override { return Client().bottom; }
  int BitsPerPixel() const override { return CurrentDisplayMode().bits; }
  void Read(const RECT& rect, uint32_t* xrgb, int pitch) override {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    for (int y = 0; y < height; ++y) std::fill_n(xrgb + static_cast<size_t>(y) * pitch, width, 0u);
    if (!IsHostWindow()) return;
    CurrentHost().Video().ReadImage(rect.left, rect.top, width, height, xrgb, pitch);
  }
  void Write(const RECT& rect, const uint32_t* xrgb, int pitch) override {
    if (!IsHostWindow()) return;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    CurrentHost().Video().WriteImage(rect.left, rect.top, width, height, xrgb, width, height,
                                     pitch);
  }
  // A rectangle inside the client area goes to the window image as it is,
  // converted there in one pass.
  void WritePixels(int x, int y, int width, int height, const HostPixels& src) override {
    if (!IsHostWindow()) return;
    if (x < 0 || y < 0 || int64_t{x} + width > Width() || int64_t{y} + height > Height()) {
      GdiTarget::WritePixels(x, y, width, height, src);
      return;
    }
    CurrentHost().Video().WritePixels(x, y, width, height, src);
  }

 private:
  RECT Client() const {
    RECT client{0, 0, 0, 0};
    GetClientRect(window_, &client);
    return client;
  }
  bool IsHostWindow() const { return HostInstalled() && window_ == GetForegroundWindow(); }
  HWND window_;
};

// The whole display in desktop coordinates; only the host window's client
// area has pixels.
class ScreenTarget : public GdiTarget {
 public:
  int Width() const override { return CurrentDisplayMode().width; }
  int Height() const override { return CurrentDisplayMode().height; }
  int BitsPerPixel() const override { return CurrentDisplayMode().bits; }
  void Read(const RECT& rect, uint32_t* xrgb, int pitch) override {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    for (int y = 0; y < height; ++y) std::fill_n(xrgb + static_cast<size_t>(y) * pitch, width, 0u);
    RECT client, part;
    if (!Overlap(rect, &client, &part)) return;
    uint32_t* start = xrgb + static_cast<size_t>(part.top - rect.top) * pitch + (part.left - rect.left);
    CurrentHost().Video().ReadImage(part.left - client.left, part.top - client.top,
                                    part.right - part.left, part.bottom - part.top, start, pitch);
  }
  void Write(const RECT& rect, const uint32_t* xrgb, int pitch) override {
    RECT client, part;
    if (!Overlap(rect, &client, &part)) return;
    const uint32_t* start =
        xrgb + static_cast<size_t>(part.top - rect.top) * pitch + (part.left - rect.left);
    const int width = part.right - part.left, height = part.bottom - part.top;
    CurrentHost().Video().WriteImage(part.left - client.left, part.top - client.top, width, height,
                                     start, width, height, pitch);
  }

 private:
  static bool Overlap(const RECT& rect, RECT* client, RECT* part) {
    if (!HostInstalled() || !HostWindowClientRect(client)) return false;
    *part = RECT{std::max(rect.left, client->left), std::max(rect.top, client->top),
                 std::min(rect.right, client->right), std::min(rect.bottom, client->bottom)};
    return part->left < part->right && part->top < part->bottom;
  }
};

class BitmapTarget : public GdiTarget {
 public:
  explicit BitmapTarget(std::shared_ptr<Bitmap> bitmap) : bitmap_(std::move(bitmap)) {}
  int Width() const override { return bitmap_->width; }
  int Height() const override { return bitmap_->height; }
  int BitsPerPixel() const override { return bitmap_->section ? bitmap_->dib.layout.bits : 32; }
  void Read(const RECT& rect, uint32_t* xrgb, int pitch) override {
    for (int y = rect.top; y < rect.bottom; ++y) {
      uint32_t* out = xrgb + static_cast<size_t>(y - rect.top) * pitch;
      if (bitmap_->section) {
        const uint8_t* row = DibRow(bitmap_->dib, bitmap_->bits.data(), y);
        for (int x = rect.left; x < rect.right; ++x) {
          out[x - rect.left] = DibPixel(bitmap_->dib, row, x);
        }
      } else {
        std::copy_n(&bitmap_->pixels[static_cast<size_t>(y) * bitmap_->width + rect.left],
                    rect.right - rect.left, out);
      }
    }
  }
  void Write(const RECT& rect, const uint32_t* xrgb, int pitch) override {
    for (int y = rect.top; y < rect.bottom; ++y) {
      const uint32_t* row = xrgb + static_cast<size_t>(y - rect.top) * pitch;
      if (bitmap_->section) {
        uint8_t* out = DibRow(bitmap_->dib, bitmap_->bits.data(), y);
        for (int x = rect.left; x < rect.right; ++x) {
          PutDibPixel(bitmap_->dib, out, x, row[x - rect.left]);
        }
      } else {
        uint32_t* out = &bitmap_->pixels[static_cast<size_t>(y) * bitmap_->width + rect.left];
        for (int x = 0; x < rect.right - rect.left; ++x) out[x] = row[x] & 0xFFFFFF;
      }
    }
  }

 private:
  std::shared_ptr<Bitmap> bitmap_;
};

// The largest section made: anything above is refused as memory the system
// would not give.
constexpr int64_t kSectionBytesMax = int64_t{1} << 30;

enum class DcKind { kWindow, kScreen, kMemory, kTarget };

struct DcEntry {
  DcKind kind = DcKind::kMemory;
  HWND window = nullptr;
  std::shared_ptr<GdiTarget> target;  // window, screen and target contexts
  std::shared_ptr<Bitmap> bitmap;     // memory contexts: the selected bitmap
  std::shared_ptr<Bitmap> default_bitmap;
  HGDIOBJ font = nullptr;  // memory contexts: the selected font, null for the stock one
};

struct GdiState {
  std::mutex mutex;
  std::map<HDC, DcEntry> dcs;
  std::map<HGDIOBJ, std::shared_ptr<Bitmap>> bitmaps;
  uintptr_t next_handle = 0x50000;
};

GdiState& State() {
  static auto* state = new GdiState;
  return *state;
}

template <typename Handle>
Handle NewHandleLocked() {
  GdiState& state = State();
  state.next_handle += 4;
  return reinterpret_cast<Handle>(state.next_handle);
}

std::shared_ptr<Bitmap> NewBitmap(int width, int height) {
  auto bitmap = std::make_shared<Bitmap>();
  bitmap->width = width;
  bitmap->height = height;
  bitmap->pixels.assign(static_cast<size_t>(width) * height, 0);
  return bitmap;
}

// What `dc` draws on, or null when it does not exist.
std::shared_ptr<GdiTarget> TargetOf(HDC dc) {
  GdiState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  auto found = state.dcs.find(dc);
  if (found == state.dcs.end()) return nullptr;
  if (found->second.kind == DcKind::kMemory) {
    return std::make_shared<BitmapTarget>(found->second.bitmap);
  }
  return found->second.target;
}

// The rectangle (x, y, width, height) of the image, in picture rows, as the
// window image takes it: where it is, in the layouts the host converts
// itself, else converted to XRGB into `converted`.
HostPixels DibPixels(const DibLayout& dib, const void* bits, int x, int y, int width, int height,
                     std::vector<uint32_t>* converted) {
  const PixelLayout& l = dib.layout;
  HostPixels pixels;
  pixels.width = width;
  pixels.height = height;
  bool direct = true;
  if (l.bits == 16 && l.red_mask == 0xF800 && l.green_mask == 0x07E0 && l.blue_mask == 0x001F) {
    pixels.format = HostPixelFormat::kRgb565;
  } else if (l.bits == 16 && l.red_mask == 0x7C00 && l.green_mask == 0x03E0 &&
             l.blue_mask == 0x001F) {
    pixels.format = HostPixelFormat::kRgb555;
  } else if (l.bits == 24) {
    pixels.format = HostPixelFormat::kBgr888;
  } else if (l.bits == 32 && l.red_mask == 0xFF0000 && l.green_mask == 0xFF00 &&
             l.blue_mask == 0xFF) {
    pixels.format = HostPixelFormat::kXrgb8888;
  } else {
    direct = false;
  }
  if (direct) {
    pixels.top_row = DibRow(dib, bits, y) + static_cast<ptrdiff_t>(x) * (l.bits / 8);
    pixels.pitch = dib.top_down ? dib.pitch : -static_cast<ptrdiff_t>(dib.pitch);
    return pixels;
  }
  converted->resize(static_cast<size_t>(width) * height);
  for (int j = 0; j < height; ++j) {
    const uint8_t* row = DibRow(dib, bits, y + j);
    uint32_t* out = converted->data() + static_cast<size_t>(j) * width;
    for (int i = 0; i < width; ++i) out[i] = DibPixel(dib, row, x + i);
  }
  return HostPixels::Xrgb(converted->data(), width, height, width);
}

}  // namespace

void GdiTarget::WritePixels(int x, int y, int width, int height, const HostPixels& src) {
  const RECT clipped{std::max(x, 0), std::max(y, 0),
                     static_cast<LONG>(std::min<int64_t>(int64_t{x} + width, Width())),
                     static_cast<LONG>(std::min<int64_t>(int64_t{y} + height, Height()))};
  if (clipped.left >= clipped.right || clipped.top >= clipped.bottom) return;
  const int out_width = clipped.right - clipped.left;
  const int out_height = clipped.bottom - clipped.top;
  // The block stands for the clipped rectangle of the target.
  std::vector<uint32_t> block(static_cast<size_t>(out_width) * out_height);
  WriteScaledPixels(block.data(), out_width, out_height, out_width, x - clipped.left,
                    y - clipped.top, width, height, src);
  Write(clipped, block.data(), out_width);
}

HDC CreateTargetDC(std::shared_ptr<GdiTarget> target) {
  GdiState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  const HDC dc = NewHandleLocked<HDC>();
  DcEntry entry;
  entry.kind = DcKind::kTarget;
  entry.target = std::move(target);
  state.dcs[dc] = std::move(entry);
  return dc;
}

bool DeleteTargetDC(HDC dc) {
  GdiState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  auto found = state.dcs.find(dc);
  if (found == state.dcs.end() || found->second.kind != DcKind::kTarget) return false;
  state.dcs.erase(found);
  return true;
}

HDC GetDC(HWND window) {
  if (window != nullptr && !IsWindow(window)) return nullptr;
  GdiState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  const HDC dc = NewHandleLocked<HDC>();
  DcEntry entry;
  entry.window = window;
  if (window == nullptr) {
    entry.kind = DcKind::kScreen;
    entry.target = std::make_shared<ScreenTarget>();
  } else {
    entry.kind = DcKind::kWindow;
    entry.target = std::make_shared<WindowTarget>(window);
  }
  state.dcs[dc] = std::move(entry);
  return dc;
}

int ReleaseDC(HWND window, HDC dc) {
  GdiState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  auto found = state.dcs.find(dc);
  if (found == state.dcs.end() || found->second.window != window ||
      (found->second.kind != DcKind::kWindow && found->second.kind != DcKind::kScreen)) {
    return 0;
  }
  state.dcs.erase(found);
  return 1;
}

HDC CreateCompatibleDC(HDC dc) {
  GdiState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (dc != nullptr && state.dcs.count(dc) == 0) return nullptr;
  const HDC memory = NewHandleLocked<HDC>();
  DcEntry entry;
  entry.kind = DcKind::kMemory;
  entry.default_bitmap = NewBitmap(1, 1);
  entry.default_bitmap->selected_in = memory;
  entry.bitmap = entry.default_bitmap;
  state.dcs[memory] = std::move(entry);
  return memory;
}

BOOL DeleteDC(HDC dc) {
  if (DeleteTargetDC(dc)) return TRUE;
  GdiState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  auto found = state.dcs.find(dc);
  if (found == state.dcs.end() || found->second.kind != DcKind::kMemory) return FALSE;
  if (found->second.bitmap) found->second.bitmap->selected_in = nullptr;
  state.dcs.erase(found);
  return TRUE;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  if (width < 1 || height < 1) return nullptr;
  GdiState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (dc != nullptr && state.dcs.count(dc) == 0) return nullptr;
  const HBITMAP bitmap = NewHandleLocked<HBITMAP>();
  state.bitmaps[bitmap] = NewBitmap(width, height);
  return bitmap;
}

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits,
                         HANDLE section, DWORD offset) {
  RequireEmulated(usage == DIB_RGB_COLORS, "CreateDIBSection", "only DIB_RGB_COLORS is emulated",
                  usage);
  RequireEmulated(section == nullptr, "CreateDIBSection", "only bits of its own: no file mapping",
                  section);
  RequireEmulated(offset == 0, "CreateDIBSection", "only bits of its own: no offset", offset);
  if (bits != nullptr) *bits = nullptr;
  DibLayout dib;
  if (!ReadDibLayout(info, &dib, "CreateDIBSection", PaletteImages::kRefused)) return nullptr;
  if (int64_t{dib.pitch} * dib.height > kSectionBytesMax) return nullptr;
  auto bitmap = std::make_shared<Bitmap>();
  bitmap->width = dib.width;
  bitmap->height = dib.height;
  bitmap->section = true;
  bitmap->dib = dib;
  bitmap->bits.assign(static_cast<size_t>(dib.pitch) * dib.height, 0);
  GdiState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (dc != nullptr && state.dcs.count(dc) == 0) return nullptr;
  const HBITMAP handle = NewHandleLocked<HBITMAP>();
  if (bits != nullptr) *bits = bitmap->bits.data();
  state.bitmaps[handle] = std::move(bitmap);
  return handle;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  GdiState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  auto found_dc = state.dcs.find(dc);
  if (found_dc == state.dcs.end() || found_dc->second.kind != DcKind::kMemory) return nullptr;
  DcEntry& entry = found_dc->second;
  std::shared_ptr<Bitmap> wanted;
  if (object == nullptr) return nullptr;
  if (IsFontObject(object)) {
    const HGDIOBJ previous = entry.font != nullptr ? entry.font : StockFontObject();
    entry.font = object == StockFontObject() ? nullptr : object;
    return previous;
  }
  auto found = state.bitmaps.find(object);
  if (found != state.bitmaps.end()) {
    wanted = found->second;
  } else if (object == reinterpret_cast<HGDIOBJ>(entry.default_bitmap.get())) {
    wanted = entry.default_bitmap;
  } else {
    return nullptr;
  }
  if (wanted->selected_in != nullptr && wanted->selected_in != dc) return nullptr;
  // The previous bitmap's handle: a made one, or the context's own default.
  HGDIOBJ previous = reinterpret_cast<HGDIOBJ>(entry.default_bitmap.get());
  for (const auto& [handle, bitmap] : state.bitmaps) {
    if (bitmap == entry.bitmap) previous = handle;
  }
  entry.bitmap->selected_in = nullptr;
  entry.bitmap = wanted;
  wanted->selected_in = dc;
  return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
  GdiState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (IsFontObject(object)) {
    // A font still selected into a context stays.
    for (const auto& [dc, entry] : state.dcs) {
      if (entry.font == object) return FALSE;
    }
    return DeleteFontObject(object);
  }
  auto found = state.bitmaps.find(object);
  if (found == state.bitmaps.end() || found->second->selected_in != nullptr) return FALSE;
  state.bitmaps.erase(found);
  return TRUE;
}

HFONT SelectedFontOf(HDC dc) {
  GdiState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  auto found = state.dcs.find(dc);
  if (found == state.dcs.end()) return nullptr;
  return found->second.font != nullptr ? found->second.font : StockFontObject();
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int x_source, int y_source,
            DWORD rop) {
  RequireEmulated(rop == SRCCOPY, "BitBlt", "only SRCCOPY is emulated", rop);
  if (width < 0 || height < 0) return FALSE;
  const std::shared_ptr<GdiTarget> to = TargetOf(dest);
  const std::shared_ptr<GdiTarget> from = TargetOf(source);
  if (!to || !from) return FALSE;
  // The part of the rectangle that lies inside both devices.
  int left = std::max({0, -x_source, -x}), top = std::max({0, -y_source, -y});
  int right = std::min({width, from->Width() - x_source, to->Width() - x});
  int bottom = std::min({height, from->Height() - y_source, to->Height() - y});
  if (left >= right || top >= bottom) return TRUE;
  const int w = right - left, h = bottom - top;
  std::vector<uint32_t> block(static_cast<size_t>(w) * h);
  from->Read(RECT{x_source + left, y_source + top, x_source + right, y_source + bottom},
             block.data(), w);
  to->Write(RECT{x + left, y + top, x + right, y + bottom}, block.data(), w);
  return TRUE;
}

int SetDIBitsToDevice(HDC dc, int x_dest, int y_dest, DWORD width, DWORD height, int x_source,
                      int y_source, UINT start_scan, UINT lines, const void* bits,
                      const BITMAPINFO* info, UINT usage) {
  RequireEmulated(usage == DIB_RGB_COLORS, "SetDIBitsToDevice", "only DIB_RGB_COLORS is emulated",
                  usage);
  DibLayout dib;
  if (bits == nullptr || !ReadDibLayout(info, &dib, "SetDIBitsToDevice", PaletteImages::kRead)) return 0;
  RequireEmulated(start_scan == 0, "SetDIBitsToDevice", "only whole images: the first scan line",
                  start_scan);
  RequireEmulated(lines == static_cast<UINT>(dib.height), "SetDIBitsToDevice",
                  "only whole images: the scan line count", lines);
  const std::shared_ptr<GdiTarget> target = TargetOf(dc);
  if (!target) return 0;
  // Only the part of the source rectangle inside the image is written.
  const int left = std::max(0, -x_source), top = std::max(0, -y_source);
  const int right = std::min(static_cast<int>(width), dib.width - x_source);
  const int bottom = std::min(static_cast<int>(height), dib.height - y_source);
  if (left < right && top < bottom) {
    std::vector<uint32_t> converted;
    const HostPixels pixels = DibPixels(dib, bits, x_source + left, y_source + top, right - left,
                                        bottom - top, &converted);
    target->WritePixels(x_dest + left, y_dest + top, right - left, bottom - top, pixels);
  }
  return static_cast<int>(lines);
}

int StretchDIBits(HDC dc, int x_dest, int y_dest, int width_dest, int height_dest, int x_source,
                  int y_source, int width_source, int height_source, const void* bits,
                  const BITMAPINFO* info, UINT usage, DWORD rop) {
  RequireEmulated(usage == DIB_RGB_COLORS, "StretchDIBits", "only DIB_RGB_COLORS is emulated",
                  usage);
  RequireEmulated(rop == SRCCOPY, "StretchDIBits", "only SRCCOPY is emulated", rop);
  RequireEmulated(width_dest > 0 && width_source != 0, "StretchDIBits",
                  "mirroring only by the source width: the destination width must be positive",
                  width_dest > 0 ? width_source : width_dest);
  RequireEmulated(height_dest > 0 && height_source > 0, "StretchDIBits",
                  "no upside-down images: heights must be positive",
                  height_dest > 0 ? height_source : height_dest);
  DibLayout dib;
  if (bits == nullptr || !ReadDibLayout(info, &dib, "StretchDIBits", PaletteImages::kRead)) {
    return 0;
  }
  // A negative source width reads the columns from x_source leftwards.
  const bool mirrored = width_source < 0;
  const int columns = mirrored ? -width_source : width_source;
  const int left = mirrored ? x_source + width_source + 1 : x_source;
  if (left < 0 || y_source < 0 || left + columns > dib.width ||
      y_source + height_source > dib.height) {
    return 0;
  }
  const std::shared_ptr<GdiTarget> target = TargetOf(dc);
  if (!target) return 0;
  std::vector<uint32_t> converted;
  if (!mirrored) {
    const HostPixels pixels =
        DibPixels(dib, bits, left, y_source, columns, height_source, &converted);
    target->WritePixels(x_dest, y_dest, width_dest, height_dest, pixels);
    return height_source;
  }
  converted.resize(static_cast<size_t>(columns) * height_source);
  for (int j = 0; j < height_source; ++j) {
    const uint8_t* row = DibRow(dib, bits, y_source + j);
    uint32_t* out = converted.data() + static_cast<size_t>(j) * columns;
    for (int i = 0; i < columns; ++i) out[i] = DibPixel(dib, row, x_source - i);
  }
  target->WritePixels(x_dest, y_dest, width_dest, height_dest,
                      HostPixels::Xrgb(converted.data(), columns, height_source, columns));
  return height_source;
}

int GetDIBits(HDC dc, HBITMAP bitmap_handle, UINT start_scan, UINT lines, void* bits,
              BITMAPINFO* info, UINT usage) {
  RequireEmulated(usage == DIB_RGB_COLORS, "GetDIBits", "only DIB_RGB_COLORS is emulated", usage);
  RequireEmulated(bits != nullptr, "GetDIBits", "only reading pixels is emulated", bits);
  DibLayout dib;
  if (!ReadDibLayout(info, &dib, "GetDIBits", PaletteImages::kRefused)) return 0;
  std::shared_ptr<Bitmap> bitmap;
  {
    GdiState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    auto found = state.bitmaps.find(bitmap_handle);
    if (found == state.bitmaps.end() || state.dcs.count(dc) == 0) return 0;
    bitmap = found->second;
    if (bitmap->selected_in != nullptr && bitmap->selected_in != dc) return 0;
  }
  if (dib.width != bitmap->width) return 0;
  const int count = static_cast<int>(std::min<UINT>(lines, static_cast<UINT>(
                                                              std::max(0, bitmap->height - static_cast<int>(start_scan)))));
  BitmapTarget source(bitmap);
  std::vector<uint32_t> in(static_cast<size_t>(bitmap->width));
  for (int n = 0; n < count; ++n) {
    // Row `start_scan + n` in the image's own order.
    const int stored = static_cast<int>(start_scan) + n;
    const int picture_row = dib.top_down ? stored : bitmap->height - 1 - stored;
    uint8_t* out = static_cast<uint8_t*>(bits) + static_cast<size_t>(n) * dib.pitch;
    source.Read(RECT{0, picture_row, bitmap->width, picture_row + 1}, in.data(), bitmap->width);
    for (int x = 0; x < bitmap->width; ++x) PutDibPixel(dib, out, x, in[x]);
  }
  return count;
}

BOOL GdiFlush() { return TRUE; }

int GetDeviceCaps(HDC, int index) {
  const DisplayMode mode = CurrentDisplayMode();
  switch (index) {
    case HORZRES:
      return mode.width;
    case VERTRES:
      return mode.height;
    case BITSPIXEL:
      return mode.bits;
    case PLANES:
      return 1;
    case VREFRESH:
      return mode.refresh;
    default:
      FailNotEmulated("GetDeviceCaps", "index not emulated", NotEmulatedValue(index));
  }
}

LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
  if (FAILED(DisplayCallFault("ChangeDisplaySettingsA"))) return DISP_CHANGE_FAILED;
  if (mode == nullptr) {
    RestoreDesktopDisplayMode();
    return DISP_CHANGE_SUCCESSFUL;
  }
  RequireEmulated(flags == 0 || flags == CDS_FULLSCREEN, "ChangeDisplaySettingsA",
                  "flags not emulated", flags);
  const DisplayMode wanted{static_cast<int>(mode->dmPelsWidth), static_cast<int>(mode->dmPelsHeight),
                           static_cast<int>(mode->dmBitsPerPel),
                           static_cast<int>(mode->dmDisplayFrequency)};
  return SetCurrentDisplayMode(wanted) ? DISP_CHANGE_SUCCESSFUL : DISP_CHANGE_BADMODE;
}
