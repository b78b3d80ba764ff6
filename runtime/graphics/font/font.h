// Font handles: a GDI font with the cache of the characters it has drawn.
// At most 40 fonts live at once; one of them is the default font that the
// plain string entry draws with, kept in line with the default font
// settings.
#pragma once

#include <cstdint>

#include "platform/win32/gdi.h"
#include "runtime/core/handle.h"
#include "runtime/image/color_format.h"

constexpr int32_t kFontHandleMax = kFontSlotCount;  // 40
// Cells a glyph cache may hold, and the slots of a record (one more, whose
// slot number -1 marks the end).
constexpr int32_t kGlyphCacheSlotMax = 2024;
constexpr int32_t kGlyphCacheSlotCount = 2025;
constexpr int32_t kGlyphCodeCount = 65536;
constexpr int32_t kFontFaceNameBytes = 256;
constexpr int32_t kDefaultFontFaceNameBytes = 128;

// Font type bits.
constexpr int32_t kFontTypeEdge = 1;
constexpr int32_t kFontTypeAntialias = 2;

struct GlyphCodeEntry;

// One cell of a font's glyph cache.
struct GlyphCacheSlot {
  uint16_t in_use;
  int16_t x_offset;  // pen to the bitmap's left side
  int16_t y_offset;  // cell top (the line's ascent) to the bitmap's top
  int16_t advance;   // the pen's advance, 2 x edge size more for edged fonts
  int32_t slot_number;  // the cell of the cache image; -1 marks the end
  uint16_t bitmap_width;  // 2 x edge size more for edged fonts; 0 for blanks
  uint16_t bitmap_height;
  GlyphCodeEntry* code_entry;  // the table entry that names this slot
};

// One character code's entry: whether it has a slot, and which.
struct GlyphCodeEntry {
  int32_t cached;
  GlyphCacheSlot* slot;
};

struct FontRecord {
  HandleRecordHead head;  // check id, own handle, lost flag address
  GlyphCacheSlot slots[kGlyphCacheSlotCount];
  // Indexed by a character's bytes read as a little-endian 16-bit number.
  GlyphCodeEntry code_table[kGlyphCodeCount];
  int32_t next_slot;   // the ring position filled next
  int32_t slot_count;  // cells the cache holds, at most 2024
  // The software cache: one cell wide, slot_count cells high.
  uint8_t* soft_cache_pixels;
  int32_t soft_cache_pitch;  // bytes
  int32_t soft_cache_bpp;    // 1 (type 0) or 8
  char face_name[kFontFaceNameBytes];  // empty when the default face was used
  int32_t thickness;     // GDI weight / 100
  int32_t size;          // character height given to GDI
  int32_t cell_height;
  int32_t italic;
  int32_t char_spacing;  // pixels added to every advance
  int32_t cell_width;    // side of the square cache cell
  HFONT font_object;
  int32_t font_type;       // bit 0 edge, bit 1 anti-aliased
  int32_t char_set_index;  // 0..2, see FontCharSetTable
  int32_t edge_size;
  int32_t cache_width;
  int32_t cache_height;
  int32_t cells_per_column;
  int32_t soft_screen_surface;  // 2D surface for blended drawing, or -1
  int32_t soft_cache_rebuild;   // 1: the surface must be made (again)
  int32_t cache_graphic;        // texture cache graphic, or -1
  int32_t edge_cache_graphic;   // its right half for edged fonts, or -1
  int32_t texture_cache_rebuild;
  GraphImage work_image;  // one character of the texture cache while rendered
  int32_t texture_cache;  // 1: the cache is a Direct3D texture graphic
};

// Character-set index to GDI character set: 0 DEFAULT, 1 SHIFTJIS, 2 HANGEUL.
extern const DWORD FontCharSetTable[3];

// The default font settings (graphics start gives them their start values)
// and the default font's handle.
struct DefaultFontSettings {
  char face_name[kDefaultFontFaceNameBytes];
  int32_t size;
  int32_t thickness;
  int32_t font_type;
  int32_t char_set;
  int32_t edge_size;
  int32_t italic;
  int32_t char_spacing;
};
extern DefaultFontSettings DefaultFont;
extern int32_t DefaultFontHandle;

// Empty face, size 16, thickness 6, type 0, character set 1, edge 1, not
// italic, no extra spacing (graphics start).
void InitDefaultFontSettings();

// Makes a font. -1 in size, thickness, font type, character-set index and
// edge size asks for the default; `slot` -1 takes the first free slot and
// `check_id` -1 a new check id (a font made again passes its old ones, so
// its handle value survives). The handle, or -1.
int32_t CreateFontToHandle(const char* face_name, int32_t size, int32_t thickness,
                           int32_t font_type, int32_t char_set_index, int32_t edge_size,
                           int32_t italic, int32_t slot, int32_t check_id);
// Deletes a font and everything its cache holds. 0, or -1 for a bad handle.
int DeleteFontHandle(int32_t handle);
int SetFontCharSpacing(int32_t spacing, int32_t handle);
// Stores `flag` (set to 0 now, to 1 when the font is deleted). 0 or -1.
int SetFontLostFlagAddress(int32_t handle, int32_t* flag);
// Copies the face name (into 256 bytes), the size and the thickness; any
// output may be null. 0 or -1.
int GetFontHandleInfo(char* face_name, int32_t* size, int32_t* thickness, int32_t handle);
// The size, or -1 for a bad handle.
int32_t GetFontSize(int32_t handle);
int32_t GetDefaultFontHandle();
FontRecord* GetFontRecord(int32_t handle);
int IsFontHandleValid(int32_t handle);
// Makes the cache objects whose rebuild flag is set. 0 or -1.
int PrepareFontCache(int32_t handle);
// The texture part of PrepareFontCache: the cache graphic (and, for edged
// fonts, the edge cache graphic) of a font with a texture cache. 0 or -1.
int PrepareFontTextureCache(int32_t handle);
// Makes the default font agree with the default font settings. 0.
int RefreshDefaultFont();
// Stores size and thickness (-1 gives 16 and 6) in the default settings and
// refreshes the default font. 0, or -1 before the DirectDraw object exists.
int SetDefaultFontSize(int32_t size, int32_t thickness);
// Deletes every font and makes the default font again (keeping the old
// default's look). 0, or -1 before the DirectDraw object exists.
int InitFontSystem();
// Makes every font again with its own handle, after the screen objects were
// rebuilt; the glyph caches start empty. 0.
int RecreateAllFonts();
