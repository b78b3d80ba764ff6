// The glyph cache of a font: each character the font has drawn keeps its
// rendered bitmap in a cell of the font's cache, found through one table
// index. Cells are reused in ring order, oldest first.
//
// The software cache is one cell wide: 1 bit per pixel for plain fonts (most
// significant bit first), 8 bits for the others: anti-aliased fonts keep the
// coverage level - 1 (0..15), edged fonts 0 empty, 1 glyph, 2 edge, and
// anti-aliased edged fonts the glyph level - 1 in the low four bits and the
// edge level in the high four.
#pragma once

#include <cstdint>

#include "runtime/graphics/font/font.h"

// One character of a string: its first byte, its second byte (0 for a
// one-byte character) and a 0 byte.
struct GlyphCode {
  uint8_t first;
  uint8_t second;
  uint8_t zero;
};
// A character list holds at most this many characters; longer strings are
// handled in pieces of this size.
constexpr int32_t kGlyphCodeListMax = 256;

// The neighbourhood masks of edge sizes 1 to 4: the top-left
// (2e + 1) x (2e + 1) corner of row set e - 1, rows of 9 bytes.
extern const uint8_t EdgePatternTable[4][9][9];

// Whether (dx, dy) from a glyph pixel belongs to the edge of size `edge`: the
// four direct neighbours (not the pixel itself) for 1, the pattern of
// EdgePatternTable centred on the pixel for 2 to 4, the whole
// (2 x edge + 1) square above; nothing for size 0.
bool GlyphEdgeCovers(int32_t edge, int32_t dx, int32_t dy);

// The table index of a character: first byte + 256 x second byte.
inline int32_t GlyphCodeIndex(const GlyphCode& code) {
  return code.first | (code.second << 8);
}

// Empties the cache of a font. 0 or -1.
int ResetFontGlyphCache(int32_t handle);
// Walks at most kGlyphCodeListMax characters of the first `length` bytes of
// `text` (-1 or more than the text holds: all of it), writes them into `list`
// (a scratch list when null) and their number into `count`, and renders
// those that are not cached (at most the slot count of them). 0 or -1.
int CacheGlyphsOfString(int32_t handle, const char* text, int32_t length, GlyphCode* list,
                        int32_t* count);
// Renders `count` characters of `list` into the cache, in order. The slot of
// the last one; null while drawing is inhibited, before the DirectDraw object
// exists, or for a bad handle. A glyph that GDI cannot give ends the program.
GlyphCacheSlot* RenderGlyphsToCache(int32_t handle, int32_t count, const GlyphCode* list);
// The slot of a cached character, or null.
GlyphCacheSlot* FindCachedGlyph(FontRecord* record, const GlyphCode& code);
// The number of bytes (1 or 2) of the character at `text` for a font's
// character set.
int32_t GlyphCharBytes(const char* text, int32_t char_set_index);
