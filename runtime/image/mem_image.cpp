// MEMIMG, the runtime's software image: making, converting and releasing it.
#include "runtime/image/mem_image.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "platform/win32/ddraw.h"
#include "runtime/core/memory.h"
#include "runtime/image/color_format.h"
#include "runtime/image/convert_blit.h"
#include "runtime/image/pixel_access.h"


namespace {

// Depth and masks of the shared formats, by (kind, alpha, palette) for
// kinds 0 and 1, then kind 2 and kind 3.
struct StandardRow {
  int32_t depth;
  uint32_t red, green, blue, alpha;
};

constexpr int kStandardCount = 10;
constexpr StandardRow kStandardRows[kStandardCount] = {
    {16, 0xF800, 0x07E0, 0x001F, 0},                      // kind 0
    {8, 0xF800, 0x07E0, 0x001F, 0},                       // kind 0, palette
    {32, 0xF800, 0x07E0, 0x001F, 0x00FF0000},             // kind 0, alpha
    {8, 0xF800, 0x07E0, 0x001F, 0x00FF0000},              // kind 0, alpha, palette
    {32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0},          // kind 1
    {8, 0x00FF0000, 0x0000FF00, 0x000000FF, 0},           // kind 1, palette
    {32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, // kind 1, alpha
    {8, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000},  // kind 1, alpha, palette
    {8, 0xFF, 0xFF, 0xFF, 0xFF},                          // kind 2
    {16, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF},                 // kind 3
};

int StandardIndex(int32_t kind, int32_t alpha_flag, int32_t palette_flag) {
  if (kind == 0 || kind == 1) {
    return kind * 4 + (alpha_flag != 0 ? 2 : 0) + (palette_flag != 0 ? 1 : 0);
  }
  if (kind == 2) return 8;
  if (kind == 3) return 9;
  return -1;
}

// A single-channel format: every channel is the whole pixel.
void SetSingleChannelFormat(ColorFormat* format, int32_t depth, uint32_t mask) {
  std::memset(format, 0, sizeof(*format));
  format->bit_depth = static_cast<uint16_t>(depth);
  format->bytes_per_pixel = static_cast<uint16_t>(depth / 8);
  uint8_t width = static_cast<uint8_t>(depth);
  format->red_width = format->green_width = format->blue_width = format->alpha_width = width;
  format->red_mask = format->green_mask = format->blue_mask = format->alpha_mask = mask;
}

struct StandardFormats {
  ColorFormat colors[kStandardCount];
  DDPIXELFORMAT pixel_formats[kStandardCount];
};

// Built on first use and shared for the life of the program.
const StandardFormats& Standard() {
  static const StandardFormats formats = [] {
    StandardFormats built{};
    for (int i = 0; i < kStandardCount; ++i) {
      const StandardRow& row = kStandardRows[i];
      if (i < 8) {
        BuildColorFormatFromMasks(&built.colors[i], row.depth, row.red, row.green, row.blue,
                                  row.alpha);
      } else {
        SetSingleChannelFormat(&built.colors[i], row.depth, row.red);
      }
      BuildDDPixelFormat(&built.pixel_formats[i], row.depth, row.red, row.green, row.blue,
                         row.alpha);
    }
    return built;
  }();
  return formats;
}

int BytesPerPixel(int32_t kind, int32_t palette_flag, int32_t alpha_flag) {
  if (alpha_flag != 0 && kind == 0) return 4;
  if (palette_flag != 0) return 1;
  static const int kByKind[4] = {2, 4, 1, 2};
  return kByKind[kind];
}

// The smallest power of two at least `n` (1 for n of 1 or less) and its log2.
int Log2OfPowerAtLeast(int64_t n, int64_t* power) {
  int shift = 0;
  int64_t p = 1;
  while (p < n) {
    p <<= 1;
    ++shift;
  }
  *power = p;
  return shift;
}

// Clips a source rectangle and its destination point against a source of
// source_w x source_h and a destination of dest_w x dest_h pixels; false
// when nothing is left.
bool ClipTransfer(RECT* rect, int32_t* dest_x, int32_t* dest_y, int32_t source_w,
                  int32_t source_h, int32_t dest_w, int32_t dest_h) {
  int64_t left = rect->left, top = rect->top, right = rect->right, bottom = rect->bottom;
  int64_t x = *dest_x, y = *dest_y;
  if (left < 0) {
    x -= left;
    left = 0;
  }
  if (top < 0) {
    y -= top;
    top = 0;
  }
  if (right > source_w) right = source_w;
  if (bottom > source_h) bottom = source_h;
  if (x < 0) {
    left -= x;
    x = 0;
  }
  if (y < 0) {
    top -= y;
    y = 0;
  }
  if (right - left > dest_w - x) right = left + (dest_w - x);
  if (bottom - top > dest_h - y) bottom = top + (dest_h - y);
  if (right <= left || bottom <= top) return false;
  *rect = RECT{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
               static_cast<LONG>(bottom)};
  *dest_x = static_cast<int32_t>(x);
  *dest_y = static_cast<int32_t>(y);
  return true;
}

// The rectangle (x, y, x + width, y + height), its far edges held to what
// 32 bits can say.
RECT RectOfSize(int32_t x, int32_t y, int32_t width, int32_t height) {
  auto edge = [](int64_t v) {
    return static_cast<LONG>(v > INT32_MAX ? INT32_MAX : (v < INT32_MIN ? INT32_MIN : v));
  };
  return RECT{x, y, edge(int64_t{x} + width), edge(int64_t{y} + height)};
}

// A MEMIMG whose rows can be read and written.
bool ImageUsable(const MEMIMG* image) {
  return image != nullptr && image->pixels != nullptr && image->format != nullptr &&
         image->width >= 0 && image->height >= 0 &&
         int64_t{image->pitch} >= int64_t{image->width} * image->format->bytes_per_pixel;
}

// A GraphImage whose rows can be read and written.
bool GraphImageUsable(const GraphImage* image) {
  int bytes = image != nullptr ? image->format.bytes_per_pixel : 0;
  return bytes >= 1 && bytes <= 4 && image->pixels != nullptr && image->width >= 0 &&
         image->height >= 0 && int64_t{image->pitch} >= int64_t{image->width} * bytes;
}

enum RunClass { kTransparent = 0, kOpaque = 1, kTranslucent = 2 };

uint8_t RunByte(RunClass run_class, int count) {
  static const uint8_t kClassBits[3] = {0, kRunOpaque, kRunTranslucent};
  return static_cast<uint8_t>((count - 1) | kClassBits[run_class]);
}

// The run table from the class of each pixel, `classify(row, x)`: runs end
// where the class changes and after 64 pixels.
template <class Classify>
void WriteRunTableRows(MEMIMG* image, Classify classify) {
  uint8_t* out = image->run_table;
  for (int32_t y = 0; y < image->height; ++y) {
    const uint8_t* row = image->pixels + int64_t{y} * image->pitch;
    for (int32_t x = 0; x < image->width;) {
      const RunClass run_class = classify(row, x);
      const int32_t limit = image->width - x < 64 ? image->width : x + 64;
      int32_t end = x + 1;
      while (end < limit && classify(row, end) == run_class) ++end;
      *out++ = RunByte(run_class, end - x);
      x = end;
    }
    *out++ = kRunRowEnd;
  }
}

// The run table of a 16-bit image with a transparent colour: a run of
// pixels that all equal the key, or all differ from it, is found eight
// pixels at a time.
void WriteRunTable16(MEMIMG* image, uint16_t key) {
  uint8_t* out = image->run_table;
  for (int32_t y = 0; y < image->height; ++y) {
    const uint8_t* row = image->pixels + int64_t{y} * image->pitch;
    auto transparent = [&](int32_t x) { return ReadPixelBytes(row + x * 2, 2) == key; };
    for (int32_t x = 0; x < image->width;) {
      const bool run_transparent = transparent(x);
      const int32_t limit = image->width - x < 64 ? image->width : x + 64;
      int32_t end = x + 1;
#ifdef __SSE2__
      const __m128i keys = _mm_set1_epi16(static_cast<int16_t>(key));
      // Bit pairs of the pixels that leave the run.
      const int leave = run_transparent ? 0xFFFF : 0;
      while (end + 8 <= limit) {
        __m128i pixels;
        std::memcpy(&pixels, row + end * 2, 16);
        const int changed = _mm_movemask_epi8(_mm_cmpeq_epi16(pixels, keys)) ^ leave;
        if (changed != 0) {
          end += __builtin_ctz(static_cast<unsigned>(changed)) / 2;
          break;
        }
        end += 8;
      }
#endif
      while (end < limit && transparent(end) == run_transparent) ++end;
      *out++ = RunByte(run_transparent ? kTransparent : kOpaque, end - x);
      x = end;
    }
    *out++ = kRunRowEnd;
  }
}

void WriteRunTable(MEMIMG* image) {
  if (image->palette_flag != 0) {
    const uint32_t key = image->transparent_value;
    WriteRunTableRows(image, [key](const uint8_t* row, int32_t x) {
      return row[x] == key ? kTransparent : kOpaque;
    });
  } else if (image->alpha_flag != 0) {
    // The alpha byte: the third of four bytes at 16 bits, the fourth at 32.
    const int32_t at = image->kind == 0 ? 2 : 3;
    WriteRunTableRows(image, [at](const uint8_t* row, int32_t x) {
      const uint8_t alpha = row[x * 4 + at];
      return alpha == 0 ? kTransparent : alpha == 255 ? kOpaque : kTranslucent;
    });
  } else if (image->kind == 0) {
    WriteRunTable16(image, static_cast<uint16_t>(image->transparent_value & 0xFFFF));
  } else {
    const uint32_t key = image->transparent_value;
    WriteRunTableRows(image, [key](const uint8_t* row, int32_t x) {
      return ReadPixelBytes(row + x * 4, 4) == key ? kTransparent : kOpaque;
    });
  }
}

// Each colour channel multiplied by the pixel's alpha / 256 (truncated) in
// its own field; the alpha is kept.
void WritePremultipliedCopy(MEMIMG* image) {
  for (int32_t y = 0; y < image->height; ++y) {
    const uint8_t* source = image->pixels + int64_t{y} * image->pitch;
    uint8_t* dest = image->premultiplied + int64_t{y} * image->pitch;
    for (int32_t x = 0; x < image->width; ++x) {
      uint32_t pixel = ReadPixelBytes(source + x * 4, 4);
      uint32_t out;
      if (image->kind == 0) {
        uint32_t a = (pixel >> 16) & 0xFF;
        uint32_t red = ((pixel >> 11) & 0x1F) * a / 256;
        uint32_t green = ((pixel >> 5) & 0x3F) * a / 256;
        uint32_t blue = (pixel & 0x1F) * a / 256;
        out = (red << 11) | (green << 5) | blue | (a << 16);
      } else {
        uint32_t a = pixel >> 24;
        uint32_t red = ((pixel >> 16) & 0xFF) * a / 256;
        uint32_t green = ((pixel >> 8) & 0xFF) * a / 256;
        uint32_t blue = (pixel & 0xFF) * a / 256;
        out = (red << 16) | (green << 8) | blue | (a << 24);
      }
      WritePixelBytes(dest + x * 4, 4, out);
    }
  }
}

// The palette table rebuilt from a colour image's palette, and copied into
// the second table.
void RebuildPalette(MEMIMG* image, const ColorPaletteEntry* entries) {
  MemImagePalette& table = image->palette_table;
  for (int i = 0; i < 256; ++i) {
    const ColorPaletteEntry& e = entries[i];
    if (image->kind == 0) {
      table.entries16[i] = static_cast<uint16_t>(((e.red & 0xF8) << 8) | ((e.green & 0xFC) << 3) |
                                                 (e.blue >> 3));
    } else {
      table.entries32[i] = (uint32_t{e.red} << 16) | (uint32_t{e.green} << 8) | e.blue;
    }
  }
  std::memcpy(&image->second_table, &table, image->kind == 0 ? 512 : 1024);
}

// The image's transparent value as a 0x00RRGGBB key for the conversion: a
// 32-bit value's colour bytes, a 16-bit value's fields moved to the top of
// their bytes (the conversion compares in the 16-bit precision).
uint32_t TransparentKeyColor(const MEMIMG* image) {
  uint32_t value = image->transparent_value;
  if (image->kind == 1) return value & 0x00FFFFFF;
  uint32_t red = ((value >> 11) & 0x1F) << 3;
  uint32_t green = ((value >> 5) & 0x3F) << 2;
  uint32_t blue = (value & 0x1F) << 3;
  return (red << 16) | (green << 8) | blue;
}

}  // namespace

int InitMemImage(MEMIMG* image, int32_t width, int32_t height, int32_t pitch,
                 uint32_t transparent_value, int32_t kind, int32_t palette_flag,
                 int32_t alpha_flag, int32_t allocate_extras) {
  if (image->magic == kMemImageMagic) return -1;
  if (kind < 0 || kind > 3 || width < 0 || height < 0) return -1;
  palette_flag = palette_flag != 0 ? 1 : 0;
  alpha_flag = palette_flag == 1 ? 0 : (alpha_flag != 0 ? 1 : 0);
  if (kind == 2 || kind == 3) {
    palette_flag = 0;
    alpha_flag = 0;
  }
  const int bytes = BytesPerPixel(kind, palette_flag, alpha_flag);
  const int64_t row_bytes = int64_t{bytes} * width;
  int64_t row_length = pitch == -1 ? row_bytes : pitch;
  // A given pitch must hold a row; one that is computed must fit 32 bits.
  if (pitch != -1 && pitch < row_bytes) return -1;
  int64_t new_pitch = pitch == -1 ? (row_bytes + 15) & ~int64_t{15} : pitch;
  if (new_pitch > INT32_MAX || new_pitch * height > INT32_MAX) return -1;
  int64_t power = 1;
  int shift = Log2OfPowerAtLeast(row_length, &power);

  image->height = height;
  image->transparent_value = transparent_value;
  image->alpha_flag = alpha_flag;
  image->palette = &image->palette_table;
  image->second_palette = &image->second_table;
  image->width = width;
  image->kind = kind;
  image->palette_flag = palette_flag;
  image->premultiplied_flag = 0;
  image->run_table_flag = 0;
  image->pitch = static_cast<int32_t>(new_pitch);
  image->row_shift = new_pitch == power ? shift : -1;
  image->format = GetStandardColorFormat(kind, alpha_flag, palette_flag);

  const size_t image_bytes = static_cast<size_t>(new_pitch * height);
  uint8_t* own_pixels = nullptr;
  if (image->pixels == nullptr) {
    own_pixels = static_cast<uint8_t*>(AllocTracked(image_bytes, "", 0));
    if (own_pixels == nullptr) return -1;
    image->pixels = own_pixels;
    image->pixels_borrowed = 0;
  } else {
    image->pixels_borrowed = 1;
  }

  if (allocate_extras != 0) {
    uint8_t* own_premultiplied = nullptr;
    if (alpha_flag == 1 && image->premultiplied == nullptr) {
      own_premultiplied = static_cast<uint8_t*>(AllocTracked(image_bytes, "", 0));
      image->premultiplied = own_premultiplied;
    }
    bool failed = alpha_flag == 1 && image->premultiplied == nullptr;
    if (!failed && kind != 2 && image->run_table == nullptr) {
      image->run_table =
          static_cast<uint8_t*>(AllocTracked(static_cast<size_t>(width + 5) * height, "", 0));
      failed = image->run_table == nullptr;
    }
    if (failed) {
      // Give back what this build took, so that a later build does not take
      // these blocks for the caller's.
      FreeTracked(own_premultiplied);
      if (own_premultiplied != nullptr) image->premultiplied = nullptr;
      FreeTracked(own_pixels);
      if (own_pixels != nullptr) image->pixels = nullptr;
      return -1;
    }
  }

  image->magic = kMemImageMagic;
  return 0;
}


int CreateZBufferMemImage(MEMIMG* image, int32_t width, int32_t height) {
  std::memset(image, 0, sizeof(*image));
  return InitMemImage(image, width, height, -1, 0, 3, 0, 0, 0);
}

void MakeSubImageView(MEMIMG* view, const MEMIMG* source, int32_t x, int32_t y, int32_t width,
                      int32_t height) {
  // The window stays inside the source, so reads through it stay in the
  // source's pixels.
  x = x < 0 ? 0 : (x > source->width ? source->width : x);
  y = y < 0 ? 0 : (y > source->height ? source->height : y);
  width = width < 0 ? 0 : (width > source->width - x ? source->width - x : width);
  height = height < 0 ? 0 : (height > source->height - y ? source->height - y : height);
  const int bytes = source->format != nullptr ? source->format->bytes_per_pixel : 0;

  view->magic = kMemImageMagic;
  view->width = width;
  view->height = height;
  view->pitch = source->pitch;
  view->row_shift = source->row_shift;
  view->format = source->format;
  view->transparent_value = source->transparent_value;
  view->kind = source->kind;
  view->palette_flag = source->palette_flag;
  view->palette_entry_count = source->palette_entry_count;
  view->alpha_flag = source->alpha_flag;
  view->premultiplied_flag = 0;
  view->run_table_flag = 0;
  view->pixels_borrowed = 0;
  view->palette = source->palette;
  view->second_palette = source->second_palette;
  view->pixels = source->pixels == nullptr
                     ? nullptr
                     : source->pixels + int64_t{x} * bytes + int64_t{y} * source->pitch;
  view->premultiplied = nullptr;
  view->run_table = nullptr;
}

int IsMemImageAllocated(const MEMIMG* image) { return image->pixels != nullptr ? 1 : 0; }

void ReleaseMemImage(MEMIMG* image) {
  if (image->magic != kMemImageMagic) return;
  if (image->pixels_borrowed != 1) FreeTracked(image->pixels);
  FreeTracked(image->premultiplied);
  FreeTracked(image->run_table);
  image->pixels = nullptr;
  image->premultiplied = nullptr;
  image->run_table = nullptr;
  image->magic = 0;
}

const ColorFormat* GetStandardColorFormat(int32_t kind, int32_t alpha_flag,
                                          int32_t palette_flag) {
  int index = StandardIndex(kind, alpha_flag, palette_flag);
  return index < 0 ? nullptr : &Standard().colors[index];
}

const DDPIXELFORMAT* GetStandardDDPixelFormat(int32_t kind, int32_t alpha_flag,
                                              int32_t palette_flag) {
  int index = StandardIndex(kind, alpha_flag, palette_flag);
  return index < 0 ? nullptr : &Standard().pixel_formats[index];
}

namespace {

// Writes `count` pixels of the byte pattern at `pattern` (one pixel's size).
template <typename Word>
void FillPattern(uint8_t* row, int32_t count, const uint8_t* pattern) {
  Word word;
  std::memcpy(&word, pattern, sizeof(word));
  for (int32_t x = 0; x < count; ++x) std::memcpy(row + x * sizeof(word), &word, sizeof(word));
}

}  // namespace

void FillMemImage(MEMIMG* image, const RECT* rect, uint32_t value) {
  if (!ImageUsable(image)) return;
  const int bytes = image->format->bytes_per_pixel;
  if (bytes != 1 && bytes != 2 && bytes != 4) return;
  int32_t left = 0, top = 0, right = image->width, bottom = image->height;
  if (rect != nullptr) {
    left = rect->left > 0 ? rect->left : 0;
    top = rect->top > 0 ? rect->top : 0;
    right = rect->right < image->width ? rect->right : image->width;
    bottom = rect->bottom < image->height ? rect->bottom : image->height;
  }
  if (left >= right) return;
  // The pixel's bytes once, then whole rows of that pattern.
  uint8_t pattern[4];
  WritePixelBytes(pattern, bytes, value);
  for (int32_t y = top; y < bottom; ++y) {
    uint8_t* row = image->pixels + int64_t{y} * image->pitch + int64_t{left} * bytes;
    if (bytes == 1) {
      std::memset(row, pattern[0], static_cast<size_t>(right - left));
    } else if (bytes == 2) {
      FillPattern<uint16_t>(row, right - left, pattern);
    } else {
      FillPattern<uint32_t>(row, right - left, pattern);
    }
  }
}

void ConvertMemImageRect(MEMIMG* dest, const MEMIMG* source, const RECT* rect, int32_t x,
                         int32_t y) {
  if (!ImageUsable(dest) || !ImageUsable(source)) return;
  dest->premultiplied_flag = 0;
  dest->run_table_flag = 0;
  RECT area = rect != nullptr ? *rect : RECT{0, 0, source->width, source->height};
  if (!ClipTransfer(&area, &x, &y, source->width, source->height, dest->width, dest->height)) {
    return;
  }
  ConvertImageBlit(dest->pixels, dest->pitch, dest->format, source->pixels, source->pitch,
                   source->format, nullptr, 0, nullptr, x, y, &area, 0, 0, 0, 0, 0, 0, 0);
}

void TransferMemImageToGraphImage(GraphImage* dest, const MEMIMG* source, int32_t x, int32_t y,
                                  int32_t width, int32_t height, int32_t dest_x, int32_t dest_y,
                                  int32_t general_only, int32_t no_key_alpha) {
  if (source->kind == 2 || source->kind == 3 || source->palette_flag != 0 ||
      source->alpha_flag != 0) {
    return;
  }
  if (!ImageUsable(source) || !GraphImageUsable(dest)) return;
  RECT area = RectOfSize(x, y, width, height);
  if (!ClipTransfer(&area, &dest_x, &dest_y, source->width, source->height, dest->width,
                    dest->height)) {
    return;
  }
  ConvertImageBlit(dest->pixels, dest->pitch, &dest->format, source->pixels, source->pitch,
                   source->format, nullptr, 0, nullptr, dest_x, dest_y, &area, 0, 0, 0, 0,
                   general_only, no_key_alpha, 0);
}

void TransferGraphImageToMemImage(const GraphImage* color, const GraphImage* alpha, MEMIMG* dest,
                                  int32_t x, int32_t y, int32_t width, int32_t height,
                                  int32_t dest_x, int32_t dest_y, int32_t alpha_from_key) {
  dest->premultiplied_flag = 0;
  dest->run_table_flag = 0;
  if (!ImageUsable(dest) || !GraphImageUsable(color)) return;
  if (alpha != nullptr && !GraphImageUsable(alpha)) alpha = nullptr;

  RECT area = RectOfSize(x, y, width, height);
  int32_t source_w = color->width;
  int32_t source_h = color->height;
  if (alpha != nullptr) {
    // The alpha image is read at the colour image's coordinates.
    if (alpha->width < source_w) source_w = alpha->width;
    if (alpha->height < source_h) source_h = alpha->height;
  }
  bool any = ClipTransfer(&area, &dest_x, &dest_y, source_w, source_h, dest->width,
                          dest->height);

  if (dest->kind == 2 || dest->kind == 3) {
    if (any) {
      ConvertImageBlit(dest->pixels, dest->pitch, dest->format, color->pixels, color->pitch,
                       &color->format, nullptr, 0, nullptr, dest_x, dest_y, &area, 0, 0, 0, 0, 1,
                       1, 0);
    }
    return;
  }

  int result = 0;
  if (any) {
    result = ConvertImageBlit(
        dest->pixels, dest->pitch, dest->format, color->pixels, color->pitch, &color->format,
        alpha != nullptr ? alpha->pixels : nullptr, alpha != nullptr ? alpha->pitch : 0,
        alpha != nullptr ? &alpha->format : nullptr, dest_x, dest_y, &area, 0, alpha_from_key,
        TransparentKeyColor(dest), 0, 0, 0, 0);
  }
  if (alpha == nullptr && dest->palette_flag == 1) dest->palette_entry_count = result + 1;

  if (dest->palette_flag == 1) RebuildPalette(dest, color->format.palette);

  // The derived data is rebuilt only when the whole image was replaced.
  if (!any || area.right - area.left != dest->width || area.bottom - area.top != dest->height) {
    return;
  }
  if (dest->run_table == nullptr) return;
  if (dest->alpha_flag == 1 && dest->premultiplied != nullptr) {
    WritePremultipliedCopy(dest);
    dest->premultiplied_flag = 1;
  }
  BuildMemImageRunTable(dest);
}

int BuildMemImageRunTable(MEMIMG* image) {
  image->run_table_flag = 0;
  if ((image->kind != 0 && image->kind != 1) || image->run_table == nullptr ||
      !ImageUsable(image)) {
    return -1;
  }
  WriteRunTable(image);
  image->run_table_flag = 1;
  return 0;
}
