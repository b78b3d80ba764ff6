// Decoded images as GDI device-independent images and section bitmaps.
#include "runtime/image/graph_image_dib.h"

#include <cstring>

#include "runtime/core/memory.h"
#include "runtime/image/color_format.h"
#include "runtime/image/convert_blit.h"

namespace {

constexpr DWORD kDibHeaderBytes = sizeof(BITMAPINFOHEADER);

// Bytes of a row of `width` pixels of `bytes` each, rounded up to 4.
int64_t DibPitch(int32_t width, int32_t bytes) { return (int64_t{width} * bytes + 3) & ~int64_t{3}; }

// A top-down header of the image's size; the colour table is cleared.
void DescribeTopDown(const GraphImage& image, WORD bit_count, DibDescription* description) {
  std::memset(description, 0, sizeof(*description));
  BITMAPINFOHEADER& header = description->bmiHeader;
  header.biSize = kDibHeaderBytes;
  header.biWidth = image.width;
  header.biHeight = -image.height;  // rows run from the top down
  header.biPlanes = 1;
  header.biBitCount = bit_count;
  header.biCompression = BI_RGB;
}

// A new tracked block of `pitch` x height bytes with each row's first
// `row_bytes` copied from the image; null when it cannot be had.
void* CopyRows(const GraphImage& image, int64_t pitch, int64_t row_bytes) {
  auto* block = static_cast<uint8_t*>(
      AllocTrackedCleared(static_cast<size_t>(pitch * image.height), "", 0));
  if (block == nullptr) return nullptr;
  for (int32_t y = 0; y < image.height; ++y) {
    std::memcpy(block + pitch * y, image.pixels + int64_t{image.pitch} * y,
                static_cast<size_t>(row_bytes));
  }
  return block;
}

bool IsRgb888(const ColorFormat& format) {
  return format.bit_depth == 24 && format.red_mask == 0xFF0000 && format.green_mask == 0xFF00 &&
         format.blue_mask == 0xFF;
}

// The section's description: the header and, for bit fields, the masks.
struct SectionDescription {
  BITMAPINFOHEADER header;
  DWORD masks[3];
};

}  // namespace

int GraphImageToDib(const GraphImage* image, DibDescription* description, void** pixels,
                    int32_t copy, int32_t force24) {
  if (image == nullptr || description == nullptr || pixels == nullptr) return -1;
  const int32_t bytes = image->format.bytes_per_pixel;
  if (image->pixels == nullptr || image->width <= 0 || image->height <= 0 || bytes < 1 ||
      bytes > 4 || int64_t{image->pitch} < int64_t{image->width} * bytes) {
    return -1;
  }

  if (bytes == 1 && force24 == 0) {
    const int64_t pitch = DibPitch(image->width, 1);
    if (pitch * image->height > INT32_MAX) return -1;
    DescribeTopDown(*image, 8, description);
    for (int i = 0; i < 256; ++i) {
      const ColorPaletteEntry& entry = image->format.palette[i];
      description->bmiColors[i] = RGBQUAD{entry.blue, entry.green, entry.red, entry.reserved};
    }
    if (copy != 1 && image->pitch == pitch) {
      *pixels = image->pixels;
      return copy;
    }
    void* block = CopyRows(*image, pitch, image->width);
    if (block == nullptr) return -1;
    *pixels = block;
    return 1;
  }

  const int64_t pitch = DibPitch(image->width, 3);
  if (pitch * image->height > INT32_MAX) return -1;
  DescribeTopDown(*image, 24, description);
  if (IsRgb888(image->format) && copy != 1) {
    if (image->pitch == pitch) {
      *pixels = image->pixels;
      return copy;
    }
    void* block = CopyRows(*image, pitch, int64_t{image->width} * 3);
    if (block == nullptr) return -1;
    *pixels = block;
    return 1;
  }
  auto* block =
      static_cast<uint8_t*>(AllocTrackedCleared(static_cast<size_t>(pitch * image->height), "", 0));
  if (block == nullptr) return -1;
  ColorFormat rgb888{};
  SetRgb888ColorFormat(&rgb888);
  const RECT whole{0, 0, image->width, image->height};
  ConvertImageBlit(block, static_cast<int32_t>(pitch), &rgb888, image->pixels, image->pitch,
                   &image->format, nullptr, 0, nullptr, 0, 0, &whole, 0, 0, 0, 0, 0, 0, 0);
  *pixels = block;
  return 1;
}

HBITMAP CreateDibSectionFromBits(const BITMAPINFO* info, const void* bits, int32_t mirror,
                                 const ColorFormat* format) {
  if (info == nullptr || bits == nullptr) return nullptr;
  const BITMAPINFOHEADER& given = info->bmiHeader;
  const LONG width = given.biWidth;
  const LONG height = given.biHeight < 0 ? -given.biHeight : given.biHeight;
  if (width <= 0 || height <= 0) return nullptr;

  SectionDescription section{};
  section.header.biSize = kDibHeaderBytes;
  section.header.biWidth = width;
  section.header.biHeight = -height;
  section.header.biPlanes = 1;
  section.header.biBitCount = 24;
  section.header.biCompression = BI_RGB;
  if (format != nullptr) {
    // The caller's format is only read: a 32-bit one over 24-bit bits is
    // taken as the 24-bit layout here, not rewritten.
    ColorFormat layout = *format;
    if (layout.bit_depth != 16 && layout.bit_depth != 24 && layout.bit_depth != 32) {
      return nullptr;
    }
    if (layout.bit_depth == 16 || (layout.bit_depth >= 25 && given.biBitCount != 24)) {
      section.header.biCompression = BI_BITFIELDS;
      section.masks[0] = layout.red_mask;
      section.masks[1] = layout.green_mask;
      section.masks[2] = layout.blue_mask;
    } else if (layout.bit_depth == 32) {
      SetRgb888ColorFormat(&layout);
    }
    section.header.biBitCount = layout.bit_depth;
  }

  // A memory device context compatible with the screen draws the bits in.
  const HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) return nullptr;
  void* section_bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(dc, reinterpret_cast<const BITMAPINFO*>(&section),
                                          DIB_RGB_COLORS, &section_bits, nullptr, 0);
  if (bitmap == nullptr) {
    DeleteDC(dc);
    return nullptr;
  }
  const HGDIOBJ previous = SelectObject(dc, bitmap);
  if (mirror == 1) {
    // From the last column leftwards.
    StretchDIBits(dc, 0, 0, width, height, width - 1, 0, -width, height, bits, info,
                  DIB_RGB_COLORS, SRCCOPY);
  } else {
    SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                      static_cast<UINT>(height), bits, info, DIB_RGB_COLORS);
  }
  SelectObject(dc, previous);
  DeleteDC(dc);
  return bitmap;
}
