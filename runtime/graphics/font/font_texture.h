// The texture cache of a font on the Direct3D road: the cache graphic of
// square cells (4444 pixels for anti-aliased fonts, 1555 for the others),
// with the edge cell of a character beside its glyph cell in the right half
// of the graphic for edged fonts; the rendering of a glyph into a cell through
// the font's work image; and the drawing of cached glyphs through the graphic
// drawing, across or turned a quarter turn for vertical text.
//
// A cell holds white pixels whose alpha is the coverage: 1 bit (1555) or the
// level - 1 (4444). The text is drawn with the draw brightness set to its
// colour, so a white texel shows the colour.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

struct FontRecord;
struct GlyphCacheSlot;

// Gives the font's work image (one cell, twice as wide and 2 x edge size
// higher for edged fonts) the cache's pixel format. 0, or -1 (logged) when
// its pixels cannot be had.
int MakeFontWorkImage(FontRecord* record);

// Writes one glyph bitmap (rows of `pitch` bytes: 1 bit a pixel, or levels 0
// to 16 for anti-aliased fonts; `width` x `height` pixels) into the slot's
// cell through the work image: the glyph, and for edged fonts its edge in the
// edge cell. The slot's bitmap size (edges included) bounds what is copied.
void WriteGlyphToTextureCache(FontRecord* record, const GlyphCacheSlot* slot,
                              const uint8_t* bitmap, int32_t pitch, int32_t width,
                              int32_t height);

// Draws the cached glyphs of one string from the texture cache. While it
// lives no blend graphic is in force and the draw brightness follows the
// colours; both are put back afterwards. Colours are 0xRRGGBB, already taken
// times the draw brightness.
class TextureGlyphDrawer {
 public:
  TextureGlyphDrawer(const FontRecord* record, uint32_t text_color, uint32_t edge_color);
  ~TextureGlyphDrawer();
  TextureGlyphDrawer(const TextureGlyphDrawer&) = delete;
  TextureGlyphDrawer& operator=(const TextureGlyphDrawer&) = delete;

  // The glyph of `slot` at pen position `pen` of a string at (x, y).
  void Draw(const GlyphCacheSlot* slot, int32_t x, int32_t y, int32_t pen, int32_t vertical) const;

 private:
  void DrawAcross(int32_t graphic, int32_t left, int32_t top, int32_t cell_x, int32_t cell_y,
                  int32_t width, int32_t height) const;
  void DrawTurned(int32_t graphic, int32_t x0, int32_t y0, int32_t cell_x, int32_t cell_y,
                  int32_t width, int32_t height) const;

  const FontRecord* record_;
  uint32_t text_color_;
  uint32_t edge_color_;
  int32_t saved_blend_graphic_;
  uint32_t saved_brightness_;
};
