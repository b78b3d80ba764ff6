// Drawing and measuring strings with a font handle.
#include "runtime/graphics/font/font_draw.h"

#include <cstring>
#include <optional>

#include "runtime/core/library_state.h"
#include "runtime/core/log.h"
#include "runtime/core/upper_layers.h"
#include "runtime/core/window_state.h"
#include "runtime/graphics/d3d/d3d_draw.h"
#include "runtime/graphics/draw/subtractive_blend.h"
#include "runtime/graphics/font/font.h"
#include "runtime/graphics/font/font_texture.h"
#include "runtime/graphics/font/glyph_cache.h"
#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/records/surface_2d.h"
#include "runtime/graphics/records/surface_data.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/graphics_system.h"
#include "runtime/graphics/screen/present.h"
#include "runtime/graphics/screen/software_draw.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/clip_rect.h"
#include "runtime/image/color_format.h"
#include "runtime/image/mem_image.h"

namespace {

bool DirectDrawMissing() {
  return Screen.HardwareAccelOff == 0 && Screen.DirectDrawObject == nullptr;
}

bool SoftwareScreen() { return Screen.MemImageRendering == 1 && Screen.ScreenPixelDepth != 8; }

struct Rgb {
  int32_t r;
  int32_t g;
  int32_t b;
};

// A 0xRRGGBB colour times the draw brightness.
Rgb Brightened(uint32_t color) {
  const int32_t br = static_cast<int32_t>((DrawBrightness >> 16) & 0xFF);
  const int32_t bg = static_cast<int32_t>((DrawBrightness >> 8) & 0xFF);
  const int32_t bb = static_cast<int32_t>(DrawBrightness & 0xFF);
  return Rgb{br * static_cast<int32_t>((color >> 16) & 0xFF) / 255,
             bg * static_cast<int32_t>((color >> 8) & 0xFF) / 255,
             bb * static_cast<int32_t>(color & 0xFF) / 255};
}

uint32_t PackedRgb(const Rgb& rgb) {
  return (static_cast<uint32_t>(rgb.r) << 16) | (static_cast<uint32_t>(rgb.g) << 8) |
         static_cast<uint32_t>(rgb.b);
}

// The colour a screen pixel value stands for, as 0xRRGGBB.
uint32_t RgbOfScreenValue(uint32_t value) {
  int32_t r = 0, g = 0, b = 0;
  GetColorOfScreenValue(value, &r, &g, &b);
  return (static_cast<uint32_t>(r & 0xFF) << 16) | (static_cast<uint32_t>(g & 0xFF) << 8) |
         static_cast<uint32_t>(b & 0xFF);
}

// How glyph pixels are written into one destination image.
class GlyphPainter {
 public:
  GlyphPainter(MEMIMG* dest, int32_t font_type, Rgb text, Rgb edge)
      : dest_(dest), type_(font_type), text_(text), edge_(edge) {
    const int32_t depth = GetScreenColorDepthDefault();
    usable_ = dest != nullptr && dest->pixels != nullptr && dest->format != nullptr &&
              (depth == 8 || depth == 16 || depth == 32);
    if (!usable_) return;
    bytes_ = dest->format->bytes_per_pixel;
    alpha_ = dest->alpha_flag == 1;
    if (bytes_ == 1) {
      // A palette screen: the nearest entry.
      text_value_ = GetScreenColorValue(text.r, text.g, text.b);
      edge_value_ = GetScreenColorValue(edge.r, edge.g, edge.b);
    } else if (alpha_) {
      text_value_ = PackColor(dest->format, text.r, text.g, text.b, 255);
      edge_value_ = PackColor(dest->format, edge.r, edge.g, edge.b, 255);
    } else {
      const uint32_t black = PackColor(dest->format, 0, 0, 0, 255);
      text_value_ = PackColor(dest->format, text.r, text.g, text.b, 255) & ~black;
      edge_value_ = PackColor(dest->format, edge.r, edge.g, edge.b, 255) & ~black;
    }
  }

  bool usable() const { return usable_; }
  uint32_t text_value() const { return text_value_; }
  uint32_t edge_value() const { return edge_value_; }

  // Writes the cell value `stored` (a bit for plain fonts, a byte for the
  // others) at (x, y) of the destination, which the caller keeps inside it.
  void Plot(int32_t x, int32_t y, uint32_t stored) const {
    switch (type_) {
      case 0:
        if (stored != 0) Store(x, y, text_value_);
        return;
      case 1:
        if (stored == 1) Store(x, y, text_value_);
        if (stored == 2) Store(x, y, edge_value_);
        return;
      case 2: {
        const uint32_t level = stored & 0x0F;
        if (level == 0) return;
        if (alpha_) {
          Store(x, y, PackColor(dest_->format, text_.r, text_.g, text_.b,
                                static_cast<int32_t>(level * 16)));
        } else if (level >= 8) {
          Store(x, y, text_value_);
        }
        return;
      }
      default: {
        const int32_t g = static_cast<int32_t>(stored & 0x0F);
        const int32_t e = static_cast<int32_t>((stored >> 4) & 0x0F);
        if (g == 0 && e == 0) return;
        if (!alpha_) {
          if (g >= 8) {
            Store(x, y, text_value_);
          } else if (e >= 8 || g + e >= 8) {
            Store(x, y, edge_value_);
          }
          return;
        }
        if (g == 0) {
          Store(x, y, PackColor(dest_->format, edge_.r, edge_.g, edge_.b, e * 16));
          return;
        }
        if (g == 15) {
          Store(x, y, text_value_);
          return;
        }
        // The text colour over the edge colour by the glyph's share of the
        // alpha.
        const int32_t a = g * 16 + (15 - g) * e;
        const int32_t t = g * 4096 / a;
        auto mix = [t](int32_t text, int32_t edge) {
          const int32_t d = (text - edge) * t;
          // Rounded down, also for a negative difference.
          return edge + (d >= 0 ? d / 256 : -((-d + 255) / 256));
        };
        Store(x, y, PackColor(dest_->format, mix(text_.r, edge_.r), mix(text_.g, edge_.g),
                              mix(text_.b, edge_.b), a));
        return;
      }
    }
  }

 private:
  void Store(int32_t x, int32_t y, uint32_t value) const {
    uint8_t* p = dest_->pixels + static_cast<intptr_t>(y) * dest_->pitch +
                 static_cast<intptr_t>(x) * bytes_;
    switch (bytes_) {
      case 1: *p = static_cast<uint8_t>(value); break;
      case 2: {
        const uint16_t v = static_cast<uint16_t>(value);
        std::memcpy(p, &v, 2);
        break;
      }
      default: std::memcpy(p, &value, 4); break;
    }
  }

  MEMIMG* dest_;
  int32_t type_;
  Rgb text_;
  Rgb edge_;
  bool usable_ = false;
  int32_t bytes_ = 0;
  bool alpha_ = false;
  uint32_t text_value_ = 0;
  uint32_t edge_value_ = 0;
};

// The cell value of glyph pixel (column, row) of a slot.
uint32_t CellValue(const FontRecord* record, const GlyphCacheSlot* slot, int32_t column,
                   int32_t row) {
  const uint8_t* line =
      record->soft_cache_pixels +
      (static_cast<size_t>(slot->slot_number) * record->cell_width + row) *
          record->soft_cache_pitch;
  if (record->soft_cache_bpp == 1) return (line[column >> 3] >> (7 - (column & 7))) & 1;
  return line[column];
}

// Writes one cached glyph at pen position `pen` of a string at (x, y).
void DrawCachedGlyph(const FontRecord* record, const GlyphCacheSlot* slot,
                     const GlyphPainter& paint, int32_t x, int32_t y, int32_t pen,
                     int32_t vertical, const RECT& clip) {
  const int32_t width = slot->bitmap_width, height = slot->bitmap_height;
  if (vertical == 0) {
    const int32_t left = pen + x + slot->x_offset, top = y + slot->y_offset;
    RECT rect{left, top, left + width, top + height};
    ClipRect(&rect, &clip);
    for (int32_t py = rect.top; py < rect.bottom; ++py) {
      for (int32_t px = rect.left; px < rect.right; ++px) {
        paint.Plot(px, py, CellValue(record, slot, px - left, py - top));
      }
    }
    return;
  }
  // A quarter turn clockwise: glyph pixel (c, r) lands on (x0 - 1 - r, y0 + c).
  const int32_t x0 = x + record->cell_height - slot->y_offset;
  const int32_t y0 = y + pen + slot->x_offset;
  RECT rect{x0 - height, y0, x0, y0 + width};
  ClipRect(&rect, &clip);
  for (int32_t py = rect.top; py < rect.bottom; ++py) {
    for (int32_t px = rect.left; px < rect.right; ++px) {
      paint.Plot(px, py, CellValue(record, slot, py - y0, x0 - 1 - px));
    }
  }
}

void SetDrawAreaOnly(const RECT& area) {
  DrawArea = area;
  DrawAreaF[0] = static_cast<float>(area.left);
  DrawAreaF[1] = static_cast<float>(area.top);
  DrawAreaF[2] = static_cast<float>(area.right);
  DrawAreaF[3] = static_cast<float>(area.bottom);
}

bool RectEmpty(const RECT& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

}  // namespace

int32_t DrawStringWithCache(int32_t draw, int32_t x, int32_t y, const char* text, uint32_t color,
                            MEMIMG* dest, const RECT* clip, int32_t font, uint32_t edge_color,
                            int32_t length, int32_t vertical, StringSize* size) {
  if (text == nullptr || text[0] == '\0') {
    if (size != nullptr) *size = StringSize{0, 0};
    return 0;
  }
  FontRecord* record = GetFontRecord(font);
  if (record == nullptr || DrawInhibitFlag != 0 || DirectDrawMissing()) return -1;

  const GlyphPainter paint(draw != 0 ? dest : nullptr, record->font_type, Brightened(color),
                           Brightened(edge_color));
  // Without a destination image a font with a texture cache draws its
  // glyphs through the graphic drawing.
  std::optional<TextureGlyphDrawer> texture;
  if (draw != 0 && dest == nullptr && record->texture_cache == 1) {
    texture.emplace(record, PackedRgb(Brightened(color)), PackedRgb(Brightened(edge_color)));
  }
  // Glyphs are written only inside the clip rectangle and the destination.
  RECT area{0, 0, 0, 0};
  if (paint.usable()) {
    area = RECT{0, 0, dest->width, dest->height};
    if (clip != nullptr) ClipRect(&area, clip);
  }

  const int32_t text_length = static_cast<int32_t>(std::strlen(text));
  if (length == -1 || length > text_length) length = text_length;

  int32_t pen = 0;
  GlyphCode list[kGlyphCodeListMax];
  for (int32_t position = 0; position < length;) {
    // One piece of at most a character list's length.
    int32_t end = position, characters = 0;
    bool text_ends = false;
    while (end < length && characters < kGlyphCodeListMax) {
      const int32_t bytes = GlyphCharBytes(text + end, record->char_set_index);
      if (bytes == 2 && text[end + 1] == '\0') {
        // A lead byte followed by the text's end ends the text.
        text_ends = true;
        break;
      }
      end += bytes;
      ++characters;
    }
    if (end == position) break;
    int32_t count = 0;
    CacheGlyphsOfString(font, text + position, end - position, list, &count);
    record = GetFontRecord(font);
    for (int32_t i = 0; i < count; ++i) {
      GlyphCacheSlot* slot = FindCachedGlyph(record, list[i]);
      if (slot == nullptr) slot = RenderGlyphsToCache(font, 1, &list[i]);
      if (slot == nullptr) FatalExit("テキストキャッシュの作成に失敗しました");
      const bool space = list[i].first == 0x20 || (list[i].first == 0x81 && list[i].second == 0x40);
      const bool inked = !space && (slot->bitmap_width != 0 || slot->bitmap_height != 0);
      if (paint.usable() && inked) DrawCachedGlyph(record, slot, paint, x, y, pen, vertical, area);
      if (texture && inked) texture->Draw(slot, x, y, pen, vertical);
      pen += slot->advance + record->char_spacing;
    }
    // Marks of the image that the new pixels make stale.
    if (paint.usable()) {
      dest->run_table_flag = 0;
      dest->premultiplied_flag = 0;
    }
    position = end;
    if (text_ends) break;
  }
  if (size != nullptr) {
    *size = vertical == 0 ? StringSize{pen, record->cell_height}
                          : StringSize{record->cell_height, pen};
  }
  return pen;
}

int32_t MeasureStringWithFont(const char* text, int32_t length, int32_t font, int32_t vertical) {
  return DrawStringWithCache(0, 0, 0, text, 0, nullptr, nullptr, font, 0, length, vertical,
                             nullptr);
}

int RenderTextSoftware2D(int32_t x, int32_t y, const char* text, uint32_t color, int32_t font,
                         uint32_t edge_color, int32_t length, int32_t vertical) {
  if (Screen.SoftwareDrawOff != 0 || DirectDrawMissing()) return -1;
  if (PrepareFontCache(font) < 0) return -1;
  FontRecord* record = GetFontRecord(font);
  if (record == nullptr) return -1;
  StringSize size{0, 0};
  if (DrawStringWithCache(0, x, y, text, color, nullptr, nullptr, font, edge_color, length,
                          vertical, &size) < 0) {
    return -1;
  }
  const bool plain_blend = BlendMode == 0 || (BlendMode == 1 && BlendParam == 255);
  const RECT string_rect{x, y, x + size.width, y + size.height};

  if (Screen.ScreenPixelDepth == 8 ||
      (plain_blend && (record->font_type & kFontTypeAntialias) == 0)) {
    // Straight into the draw target.
    if (SoftwareScreen()) {
      MEMIMG* dest = Screen.DrawTargetMemImage;
      if (dest == nullptr) return -1;
      DrawStringWithCache(1, x, y, text, color, dest, &DrawArea, font, edge_color, length,
                          vertical, nullptr);
      return 0;
    }
    if (Screen.DirectDrawStarted != 0) EndCurrentD3DScene();
    FlushCurrentD3DBatch();
    if (BeginSoftwareDraw(nullptr, 0, nullptr, &string_rect, 1, nullptr, nullptr) < 0) return -1;
    // Only the locked part of the target may be written.
    RECT clip = string_rect;
    ClipRect(&clip, &DrawArea);
    if (SoftwareTargetImage != nullptr) {
      DrawStringWithCache(1, x, y, text, color, SoftwareTargetImage, &clip, font, edge_color,
                          length, vertical, nullptr);
    }
    EndSoftwareDraw();
    return 0;
  }

  // Blended: the text is finished in the font's own screen-sized image and
  // then drawn onto the target as one picture, so blending applies to it
  // whole.
  Surface2DRecord* surface = GetSurface2DRecord(record->soft_screen_surface);
  SurfaceDataRecord* data =
      surface != nullptr ? GetSurfaceDataRecord(surface->surface_data) : nullptr;
  if (data == nullptr || data->software_flag != 1 || data->image.pixels == nullptr) return -1;
  MEMIMG* work = &data->image;
  const RECT noted_area = DrawArea;
  const float noted_floats[4] = {DrawAreaF[0], DrawAreaF[1], DrawAreaF[2], DrawAreaF[3]};
  const uint32_t noted_brightness = DrawBrightness;
  auto restore = [&] {
    DrawArea = noted_area;
    for (int i = 0; i < 4; ++i) DrawAreaF[i] = noted_floats[i];
    DrawBrightness = noted_brightness;
  };

  RECT work_area{0, 0, size.width, size.height};
  const RECT whole{0, 0, work->width, work->height};
  ClipRect(&work_area, &whole);
  SetDrawAreaOnly(work_area);
  const GlyphPainter values(work, record->font_type, Brightened(color), Brightened(edge_color));
  uint32_t key = 0;
  if (work->alpha_flag != 1) {
    key = work->transparent_value;
    while (key == values.text_value() || key == values.edge_value()) ++key;
  }
  work->transparent_value = key;
  FillMemImage(work, &work_area, key);
  if (DrawStringWithCache(1, 0, 0, text, color, work, &work_area, font, edge_color, length,
                          vertical, nullptr) < 0) {
    restore();
    return -1;
  }
  work->run_table_flag = 0;
  work->premultiplied_flag = 0;

  DrawBrightness = 0xFFFFFF;
  RECT target_area = string_rect;
  ClipRect(&target_area, &noted_area);
  SetDrawAreaOnly(target_area);
  int result = 0;
  if (!RectEmpty(target_area)) {
    result = RenderSurface2DSoftware(x, y, record->soft_screen_surface, 1);
  }
  restore();
  return result < 0 ? -1 : 0;
}

int RenderTextWithFont(int32_t x, int32_t y, const char* text, uint32_t color, int32_t font,
                       uint32_t edge_color, int32_t vertical) {
  if (text == nullptr || text[0] == '\0' || DrawInhibitFlag != 0 || DrawAreaEmpty != 0) return 0;
  const bool direct3d = IsTextureGraphicsInUse() != 0 && Use3DDrawing != 0;
  FontRecord* record = GetFontRecord(font);
  if (record == nullptr) return LogAdd("フォントハンドル値が異常です\n");
  if (GetWindowActiveFlag() == 0) UpperWaitWhileInactive();
  record = GetFontRecord(font);
  if (record == nullptr) return LogAdd("フォントハンドル値が異常です\n");

  const bool front = SoftwareScreen() && DrawTarget == kDrawTargetFrontScreen;
  // The rectangle shown on the front screen afterwards: the line to the
  // right edge of the draw area (a vertical line: the column down to its
  // bottom edge).
  const int32_t extent = GetFontSize(font) + 3;
  const RECT rect = vertical == 0 ? RECT{x, y, DrawArea.right, y + extent}
                                  : RECT{x, y, x + extent, DrawArea.bottom};
  if ((BlendMode == 3 && direct3d) || front) {
    if (vertical == 0 ? x >= DrawArea.right : y >= DrawArea.bottom) return 0;
  }
  if (front && Screen.BackImageTransferred == 1) SyncFrontMemImage();

  const uint32_t rgb = RgbOfScreenValue(color);
  const uint32_t edge_rgb = RgbOfScreenValue(edge_color);
  int result;
  if (BlendMode == 3 && direct3d) {
    // Subtracted as invert, add, invert over the string's rectangle.
    InvertBoxThenAddMode(rect.left, rect.top, rect.right, rect.bottom);
    result = DrawStringWithFontCache(x, y, text, rgb, font, edge_rgb, vertical);
    InvertBoxThenSubMode(rect.left, rect.top, rect.right, rect.bottom);
  } else if (direct3d) {
    result = DrawStringWithFontCache(x, y, text, rgb, font, edge_rgb, vertical);
  } else {
    result = RenderTextSoftware2D(x, y, text, rgb, font, edge_rgb, -1, vertical);
  }
  if (front) TransferFrontMemImageRect(&rect);
  return result;
}

int RenderTextDefaultFont(int32_t x, int32_t y, const char* text, uint32_t color,
                          uint32_t edge_color) {
  RefreshDefaultFont();
  return RenderTextWithFont(x, y, text, color, DefaultFontHandle, edge_color, 0);
}
