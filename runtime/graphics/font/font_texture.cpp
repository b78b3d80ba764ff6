// The texture cache of a font (see font_texture.h) and the Direct3D entry of
// the string drawing.
#include "runtime/graphics/font/font_texture.h"

#include <cstring>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/graphics/d3d/d3d_draw.h"
#include "runtime/graphics/draw/graphic_draw.h"
#include "runtime/graphics/font/font.h"
#include "runtime/graphics/font/font_draw.h"
#include "runtime/graphics/font/glyph_cache.h"
#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/surface_data.h"
#include "runtime/graphics/records/texture.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/clip_rect.h"

namespace {

// The top-left pixel of a slot's cell in the cache graphic.
void CellPosition(const FontRecord* record, const GlyphCacheSlot* slot, int32_t* x, int32_t* y) {
  *x = slot->slot_number / record->cells_per_column * record->cell_width;
  *y = slot->slot_number % record->cells_per_column * record->cell_width;
}

// A white pixel of the cache's format: opaque for 1-bit glyphs; for levels
// 1 to 16, alpha level - 1 (level 0 is clear).
uint16_t WhitePixel(const ColorFormat& format, int32_t level, bool grey) {
  if (level <= 0) return 0;
  const uint32_t white = format.red_mask | format.green_mask | format.blue_mask;
  if (!grey) return static_cast<uint16_t>(white | format.alpha_mask);
  const int32_t shift = format.alpha_shift + format.alpha_width - 4;
  return static_cast<uint16_t>(((static_cast<uint32_t>(level) << shift) - 1) | white);
}

uint16_t* WorkPixel(FontRecord* record, int32_t x, int32_t y) {
  GraphImage& work = record->work_image;
  return reinterpret_cast<uint16_t*>(work.pixels + static_cast<size_t>(y) * work.pitch) + x;
}

// Level 0 to 16 of bitmap pixel (x, y); 1-bit bitmaps give 0 or 16.
int32_t BitmapLevel(const uint8_t* bitmap, int32_t pitch, bool grey, int32_t x, int32_t y) {
  const uint8_t* row = bitmap + static_cast<size_t>(y) * pitch;
  if (grey) return row[x];
  return (row[x >> 3] >> (7 - (x & 7))) & 1 ? 16 : 0;
}

}  // namespace

int MakeFontWorkImage(FontRecord* record) {
  const bool antialiased = (record->font_type & kFontTypeAntialias) != 0;
  const bool edged = (record->font_type & kFontTypeEdge) != 0;
  const ColorFormat* format = antialiased ? GetTextureFormatByKind(1, 0, 0, 0)
                                          : GetTextureFormatByKind(0, 1, 0, 0);
  GraphImage& work = record->work_image;
  work.format = *format;
  work.width = record->cell_width * (edged ? 2 : 1);
  work.height = record->cell_width + (edged ? record->edge_size * 2 : 0);
  work.pitch = work.width * format->bytes_per_pixel;
  work.pixels = static_cast<uint8_t*>(AllocTrackedCleared(
      static_cast<size_t>(work.pitch) * work.height, __FILE__, __LINE__));
  if (work.pixels == nullptr) return LogAdd("文字キャッシュ処理用メモリの確保に失敗しました\n");
  return 0;
}

int PrepareFontTextureCache(int32_t handle) {
  FontRecord* record = GetFontRecord(handle);
  if (record == nullptr) return -1;
  // A cache graphic that is still there (a rebuild asked for without a loss)
  // goes first.
  if (record->cache_graphic >= 0) {
    SetGraphicLostFlagAddress(record->cache_graphic, nullptr);
    DeleteGraphicHandle(record->edge_cache_graphic, 0);
    DeleteGraphicHandle(record->cache_graphic, 0);
    record->cache_graphic = -1;
    record->edge_cache_graphic = -1;
  }
  const bool antialiased = (record->font_type & kFontTypeAntialias) != 0;
  const bool edged = (record->font_type & kFontTypeEdge) != 0;

  // A 16-bit texture with an alpha channel (anti-aliased fonts) or an alpha
  // test (the others), whatever new graphics are set to get.
  const int32_t saved_depth = NewGraphicColorDepth;
  const int32_t saved_alpha = NewGraphicAlphaChannel;
  const int32_t saved_test = NewGraphicAlphaTest;
  const int32_t saved_use3d = NewGraphicUse3D;
  const int32_t saved_drawable = NewGraphicDrawable;
  NewGraphicColorDepth = 16;
  NewGraphicAlphaChannel = antialiased ? 1 : 0;
  NewGraphicAlphaTest = antialiased ? 0 : 1;
  NewGraphicUse3D = 1;
  NewGraphicDrawable = 0;
  if (Screen.DirectDrawObject == nullptr) SetNoTextureFlag(0);
  const int32_t width = record->cache_width * (edged ? 2 : 1);
  const int32_t graphic = MakeEmptyGraphic(width, record->cache_height, 0);
  int32_t edge_graphic = -1;
  if (graphic >= 0 && edged) {
    // The right half: the edge cells.
    edge_graphic = DeriveGraphic(record->cache_width, 0, width, record->cache_height, graphic);
  }
  NewGraphicColorDepth = saved_depth;
  NewGraphicAlphaChannel = saved_alpha;
  NewGraphicAlphaTest = saved_test;
  NewGraphicUse3D = saved_use3d;
  NewGraphicDrawable = saved_drawable;

  const GraphicRecord* made = GetGraphicRecord(graphic);
  if (made == nullptr || made->settings.texture_flag != 1 || (edged && edge_graphic < 0)) {
    DeleteGraphicHandle(edge_graphic, 0);
    DeleteGraphicHandle(graphic, 0);
    return -1;
  }
  record->cache_graphic = graphic;
  record->edge_cache_graphic = edge_graphic;
  // A lost texture asks for the cache again at its next use.
  SetGraphicLostFlagAddress(graphic, &record->texture_cache_rebuild);
  FillGraphicColor(graphic, 255, 255, 255, 0);
  return 0;
}

void WriteGlyphToTextureCache(FontRecord* record, const GlyphCacheSlot* slot,
                              const uint8_t* bitmap, int32_t pitch, int32_t width,
                              int32_t height) {
  GraphImage& work = record->work_image;
  if (work.pixels == nullptr || record->cache_graphic < 0) return;
  const bool grey = (record->font_type & kFontTypeAntialias) != 0;
  const bool edged = (record->font_type & kFontTypeEdge) != 0;
  const int32_t cell = record->cell_width;
  int32_t cell_x, cell_y;
  CellPosition(record, slot, &cell_x, &cell_y);

  if (!edged) {
    // The glyph from the work image's top-left; the whole cell is copied.
    for (int32_t y = 0; y < height && y < cell; ++y) {
      for (int32_t x = 0; x < width && x < cell; ++x) {
        *WorkPixel(record, x, y) =
            WhitePixel(work.format, BitmapLevel(bitmap, pitch, grey, x, y), grey);
      }
    }
    const RECT whole_cell{0, 0, cell, cell};
    UploadImageRectToTexturesAt(record->cache_graphic, &work, &whole_cell, cell_x, cell_y);
    return;
  }

  // Edged: the glyph at (e, e) of the left half, its edge at the same place
  // of the right half. The halves first hold levels 0 to 16: the glyph's
  // own, and for the edge the coverage of every glyph pixel whose
  // neighbourhood reaches it, combined as overlapping coverage.
  const int32_t e = record->edge_size;
  auto inside = [&](int32_t x, int32_t y) { return x >= 0 && y >= 0 && x < cell && y < work.height; };
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const int32_t v = BitmapLevel(bitmap, pitch, grey, x, y);
      if (v == 0) continue;
      if (inside(x + e, y + e)) *WorkPixel(record, x + e, y + e) = static_cast<uint16_t>(v);
      for (int32_t dy = -e; dy <= e; ++dy) {
        for (int32_t dx = -e; dx <= e; ++dx) {
          if (!GlyphEdgeCovers(e, dx, dy) || !inside(x + e + dx, y + e + dy)) continue;
          uint16_t* p = WorkPixel(record, cell + x + e + dx, y + e + dy);
          *p = static_cast<uint16_t>((256 - (16 - *p) * (16 - v)) / 16);
        }
      }
    }
  }
  for (int32_t y = 0; y < work.height; ++y) {
    for (int32_t x = 0; x < work.width; ++x) {
      uint16_t* p = WorkPixel(record, x, y);
      *p = WhitePixel(work.format, *p, grey);
    }
  }
  const RECT glyph{0, 0, slot->bitmap_width, slot->bitmap_height};
  const RECT edge{cell, 0, cell + slot->bitmap_width, slot->bitmap_height};
  UploadImageRectToTexturesAt(record->cache_graphic, &work, &glyph, cell_x, cell_y);
  UploadImageRectToTexturesAt(record->cache_graphic, &work, &edge, record->cache_width + cell_x,
                              cell_y);
}

// ---- Drawing -----------------------------------------------------------------------------

TextureGlyphDrawer::TextureGlyphDrawer(const FontRecord* record, uint32_t text_color,
                                       uint32_t edge_color)
    : record_(record),
      text_color_(text_color),
      edge_color_(edge_color),
      saved_blend_graphic_(BlendGraphic),
      saved_brightness_(DrawBrightness) {
  BlendGraphic = -1;
}

TextureGlyphDrawer::~TextureGlyphDrawer() {
  BlendGraphic = saved_blend_graphic_;
  SetDrawBrightnessColor(saved_brightness_);
}

void TextureGlyphDrawer::Draw(const GlyphCacheSlot* slot, int32_t x, int32_t y, int32_t pen,
                              int32_t vertical) const {
  int32_t cell_x, cell_y;
  CellPosition(record_, slot, &cell_x, &cell_y);
  const int32_t width = slot->bitmap_width, height = slot->bitmap_height;
  const bool edged = (record_->font_type & kFontTypeEdge) != 0;
  // The edge first, in the edge colour; then the glyph over it.
  if (vertical == 0) {
    const int32_t left = pen + x + slot->x_offset, top = y + slot->y_offset;
    if (edged) {
      SetDrawBrightnessColor(edge_color_);
      DrawAcross(record_->edge_cache_graphic, left, top, cell_x, cell_y, width, height);
    }
    SetDrawBrightnessColor(text_color_);
    DrawAcross(record_->cache_graphic, left, top, cell_x, cell_y, width, height);
    return;
  }
  // A quarter turn clockwise: glyph pixel (c, r) lands on (x0 - 1 - r, y0 + c).
  const int32_t x0 = x + record_->cell_height - slot->y_offset;
  const int32_t y0 = y + pen + slot->x_offset;
  if (edged) {
    SetDrawBrightnessColor(edge_color_);
    DrawTurned(record_->edge_cache_graphic, x0, y0, cell_x, cell_y, width, height);
  }
  SetDrawBrightnessColor(text_color_);
  DrawTurned(record_->cache_graphic, x0, y0, cell_x, cell_y, width, height);
}

void TextureGlyphDrawer::DrawAcross(int32_t graphic, int32_t left, int32_t top, int32_t cell_x,
                                    int32_t cell_y, int32_t width, int32_t height) const {
  RenderGraphicPart(left, top, cell_x, cell_y, width, height, graphic, 1, 0);
}

void TextureGlyphDrawer::DrawTurned(int32_t graphic, int32_t x0, int32_t y0, int32_t cell_x,
                                    int32_t cell_y, int32_t width, int32_t height) const {
  const GraphicRecord* const texture = GetGraphicRecord(graphic);
  if (texture == nullptr) return;
  // The whole cache graphic turned, its cell's top-left texel on (x0 - 1, y0),
  // with the draw area narrowed to the glyph's place.
  const RECT saved = DrawArea;
  int32_t saved_request[4];
  std::memcpy(saved_request, DrawAreaRequest, sizeof(saved_request));
  RECT narrowed{x0 - height - 1, y0, x0 + 1, y0 + width};
  ClipRect(&narrowed, &saved);
  ChangeDrawArea(narrowed.left, narrowed.top, narrowed.right, narrowed.bottom);
  // The texture's top edge runs down the screen at x `top_x`, its bottom
  // edge at `bottom_x`; its left edge lies at y `left_y`, its right edge at
  // `right_y`.
  const float top_x = static_cast<float>(x0 + cell_y) - 0.5f;
  const float bottom_x = static_cast<float>(x0 + cell_y - texture->height) - 0.5f;
  const float left_y = static_cast<float>(y0 - cell_x) - 0.5f;
  const float right_y = static_cast<float>(y0 - cell_x + texture->width) - 0.5f;
  RenderGraphicQuad(top_x, left_y, top_x, right_y, bottom_x, right_y, bottom_x, left_y, graphic, 1);
  ChangeDrawArea(saved.left, saved.top, saved.right, saved.bottom);
  std::memcpy(DrawAreaRequest, saved_request, sizeof(saved_request));
}

int DrawStringWithFontCache(int32_t x, int32_t y, const char* text, uint32_t color, int32_t font,
                            uint32_t edge_color, int32_t vertical) {
  if (GetCurrentD3DDeviceObject() == nullptr) return -1;
  FontRecord* record = GetFontRecord(font);
  if (record == nullptr) return -1;
  if (record->texture_cache != 1) {
    return RenderTextSoftware2D(x, y, text, color, font, edge_color, -1, vertical);
  }
  if (PrepareFontCache(font) < 0) return -1;
  return DrawStringWithCache(1, x, y, text, color, nullptr, &DrawArea, font, edge_color, -1,
                             vertical, nullptr) < 0
             ? -1
             : 0;
}
