// The glyph cache: the lookup of a character, the ring of cells, the
// gathering of a string's missing characters and the rendering of glyphs
// (with their edges) into the software cache.
#include "runtime/graphics/font/glyph_cache.h"

#include <cstring>

#include "runtime/core/lead_byte.h"
#include "runtime/core/library_state.h"
#include "runtime/core/memory.h"
#include "runtime/graphics/font/font_texture.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/state/screen_state.h"

const uint8_t EdgePatternTable[4][9][9] = {
    {
        {0, 1, 0},
        {1, 1, 1},
        {0, 1, 0},
    },
    {
        {0, 1, 1, 1, 0},
        {1, 1, 1, 1, 1},
        {1, 1, 1, 1, 1},
        {1, 1, 1, 1, 1},
        {0, 1, 1, 1, 0},
    },
    {
        {0, 0, 0, 1, 0, 0, 0},
        {0, 1, 1, 1, 1, 1, 0},
        {0, 1, 1, 1, 1, 1, 0},
        {1, 1, 1, 1, 1, 1, 1},
        {0, 1, 1, 1, 1, 1, 0},
        {0, 1, 1, 1, 1, 1, 0},
        {0, 0, 0, 1, 0, 0, 0},
    },
    {
        {0, 0, 1, 1, 1, 1, 1, 0, 0},
        {0, 1, 1, 1, 1, 1, 1, 1, 0},
        {1, 1, 1, 1, 1, 1, 1, 1, 1},
        {1, 1, 1, 1, 1, 1, 1, 1, 1},
        {1, 1, 1, 1, 1, 1, 1, 1, 1},
        {1, 1, 1, 1, 1, 1, 1, 1, 1},
        {1, 1, 1, 1, 1, 1, 1, 1, 1},
        {0, 1, 1, 1, 1, 1, 1, 1, 0},
        {0, 0, 1, 1, 1, 1, 1, 0, 0},
    },
};

namespace {

// Shared scratch lists: the characters a call must render, and the list of
// the string when the caller keeps none.
GlyphCode g_render_list[kGlyphCodeListMax];
GlyphCode g_string_list[kGlyphCodeListMax];

bool DirectDrawMissing() {
  return Screen.HardwareAccelOff == 0 && Screen.DirectDrawObject == nullptr;
}

// The software cache cell of a slot: its first row.
uint8_t* CellRows(FontRecord* record, const GlyphCacheSlot* slot) {
  return record->soft_cache_pixels + static_cast<size_t>(slot->slot_number) *
                                         record->cell_width * record->soft_cache_pitch;
}

// Writes one GDI glyph bitmap (rows of `pitch` bytes; 1 bit per pixel for
// 1-bit fonts, levels 0..16 otherwise) into the slot's cell. Whatever would
// fall outside the cell is cut off.
void WriteGlyphToSoftwareCache(FontRecord* record, const GlyphCacheSlot* slot,
                               const uint8_t* bitmap, int32_t pitch, int32_t width,
                               int32_t height) {
  uint8_t* cell = CellRows(record, slot);
  const int32_t cell_size = record->cell_width;
  const int32_t cache_pitch = record->soft_cache_pitch;
  const int32_t type = record->font_type;
  const int32_t edge = (type & kFontTypeEdge) != 0 ? record->edge_size : 0;

  if (type == 0) {
    // One bit per pixel: rows copied as they stand, cut to the cell.
    const int32_t rows = height < cell_size ? height : cell_size;
    const int32_t bytes = pitch < cache_pitch ? pitch : cache_pitch;
    for (int32_t y = 0; y < rows; ++y) {
      uint8_t* dest = cell + static_cast<size_t>(y) * cache_pitch;
      std::memcpy(dest, bitmap + static_cast<size_t>(y) * pitch, static_cast<size_t>(bytes));
      // Bits past the cell's width would belong to no pixel.
      const int32_t spare = cache_pitch * 8 - cell_size;
      if (spare > 0 && bytes == cache_pitch) {
        dest[cache_pitch - 1] &= static_cast<uint8_t>(0xFF << spare);
      }
    }
    return;
  }

  auto at = [&](int32_t x, int32_t y) -> uint8_t* {
    return cell + static_cast<size_t>(y) * cache_pitch + x;
  };
  auto inside = [&](int32_t x, int32_t y) {
    return x >= 0 && y >= 0 && x < cell_size && y < cell_size;
  };
  auto level = [&](int32_t x, int32_t y) -> int32_t {
    if (type == 1) return (bitmap[static_cast<size_t>(y) * pitch + (x >> 3)] >> (7 - (x & 7))) & 1;
    return bitmap[static_cast<size_t>(y) * pitch + x];
  };

  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const int32_t v = level(x, y);
      if (v == 0) continue;
      const int32_t cx = x + edge, cy = y + edge;
      if (type == 2) {
        if (inside(cx, cy)) *at(cx, cy) = static_cast<uint8_t>(v - 1);
        continue;
      }
      if (type == 1) {
        if (inside(cx, cy)) *at(cx, cy) = 1;
      } else if (inside(cx, cy)) {
        *at(cx, cy) |= static_cast<uint8_t>(v - 1);
      }
      const int32_t reach = edge;
      for (int32_t dy = -reach; dy <= reach; ++dy) {
        for (int32_t dx = -reach; dx <= reach; ++dx) {
          if (!GlyphEdgeCovers(edge, dx, dy) || !inside(cx + dx, cy + dy)) continue;
          uint8_t* p = at(cx + dx, cy + dy);
          if (type == 1) {
            if (*p != 1) *p = 2;
          } else if (((*p >> 4) & 0x0F) < v - 1) {
            *p = static_cast<uint8_t>((*p & 0x0F) | ((v - 1) << 4));
          }
        }
      }
    }
  }
}

}  // namespace

bool GlyphEdgeCovers(int32_t edge, int32_t dx, int32_t dy) {
  if (edge <= 0) return false;
  if (dx < -edge || dx > edge || dy < -edge || dy > edge) return false;
  if (edge == 1) return (dx == 0) != (dy == 0);
  if (edge <= 4) return EdgePatternTable[edge - 1][dy + edge][dx + edge] != 0;
  return true;
}

int32_t GlyphCharBytes(const char* text, int32_t char_set_index) {
  return IsLeadByte(text, char_set_index) != 0 ? 2 : 1;
}

GlyphCacheSlot* FindCachedGlyph(FontRecord* record, const GlyphCode& code) {
  const GlyphCodeEntry& entry = record->code_table[GlyphCodeIndex(code)];
  return entry.cached != 0 ? entry.slot : nullptr;
}

int ResetFontGlyphCache(int32_t handle) {
  FontRecord* record = GetFontRecord(handle);
  if (record == nullptr) return -1;
  // Only a cell's own entry can be set: every set entry names the cell that
  // names it back (a cell taken for another character empties the entry that
  // still names it). Emptying those entries empties the whole table without
  // writing its megabyte, most of which a fresh font never touches.
  for (GlyphCacheSlot& slot : record->slots) {
    if (slot.code_entry != nullptr) *slot.code_entry = GlyphCodeEntry{};
  }
  std::memset(record->slots, 0, sizeof(record->slots));
  for (int32_t i = 0; i < record->slot_count; ++i) record->slots[i].slot_number = i;
  record->slots[record->slot_count].slot_number = -1;
  record->next_slot = 0;
  return 0;
}

int CacheGlyphsOfString(int32_t handle, const char* text, int32_t length, GlyphCode* list,
                        int32_t* count) {
  FontRecord* record = GetFontRecord(handle);
  if (record == nullptr) return -1;
  if (list == nullptr) list = g_string_list;
  const int32_t text_length = static_cast<int32_t>(std::strlen(text));
  if (length == -1 || length > text_length) length = text_length;
  int32_t walked = 0, gathered = 0;
  for (int32_t position = 0; position < length && walked < kGlyphCodeListMax;) {
    GlyphCode code{static_cast<uint8_t>(text[position]), 0, 0};
    int32_t bytes = GlyphCharBytes(text + position, record->char_set_index);
    if (bytes == 2) {
      // A lead byte followed by the text's end ends the text.
      if (text[position + 1] == '\0') break;
      code.second = static_cast<uint8_t>(text[position + 1]);
    }
    list[walked++] = code;
    if (FindCachedGlyph(record, code) == nullptr && gathered < kGlyphCodeListMax &&
        gathered < record->slot_count) {
      g_render_list[gathered++] = code;
    }
    position += bytes;
  }
  if (gathered > 0) RenderGlyphsToCache(handle, gathered, g_render_list);
  if (count != nullptr) *count = walked;
  return 0;
}

GlyphCacheSlot* RenderGlyphsToCache(int32_t handle, int32_t count, const GlyphCode* list) {
  if (DrawInhibitFlag != 0 || DirectDrawMissing()) return nullptr;
  FontRecord* record = GetFontRecord(handle);
  if (record == nullptr) return nullptr;

  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = dc != nullptr ? SelectObject(dc, record->font_object) : nullptr;
  if (dc == nullptr || old == nullptr) {
    if (dc != nullptr) DeleteDC(dc);
    FatalExit("テキストキャッシュサーフェスのＤＣの取得に失敗しました");
  }
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  const UINT format = (record->font_type & kFontTypeAntialias) != 0 ? GGO_GRAY4_BITMAP : GGO_BITMAP;
  MAT2 identity{};
  identity.eM11.value = 1;
  identity.eM22.value = 1;
  const bool edged = (record->font_type & kFontTypeEdge) != 0;
  const int32_t edge2 = edged ? record->edge_size * 2 : 0;

  GlyphCacheSlot* slot = nullptr;
  for (int32_t i = 0; i < count; ++i) {
    const GlyphCode& code = list[i];
    slot = &record->slots[record->next_slot];
    if (slot->in_use != 0) {
      // The character it held is no longer cached (unless the table already
      // names a newer slot for it).
      if (slot->code_entry != nullptr && slot->code_entry->slot == slot) {
        slot->code_entry->cached = 0;
        slot->code_entry->slot = nullptr;
      }
      slot->in_use = 0;
    }
    GlyphCodeEntry* entry = &record->code_table[GlyphCodeIndex(code)];
    entry->cached = 1;
    entry->slot = slot;
    slot->code_entry = entry;
    slot->in_use = 1;
    // The staging area: the work image of the texture cache, or the cell of
    // the software cache.
    if (record->texture_cache == 1) {
      if (record->work_image.pixels != nullptr) {
        std::memset(record->work_image.pixels, 0,
                    static_cast<size_t>(record->work_image.pitch) * record->work_image.height);
      }
    } else {
      std::memset(CellRows(record, slot), 0,
                  static_cast<size_t>(record->soft_cache_pitch) * record->cell_width);
    }

    const UINT gdi_code = code.second != 0 ? code.first * 256u + code.second : code.first;
    GLYPHMETRICS glyph{};
    const DWORD size = GetGlyphOutlineA(dc, gdi_code, format, &glyph, 0, nullptr, &identity);
    if (size == GDI_ERROR) FatalExit("GetGlyphOutline 関数が失敗しました");
    const bool space =
        code.first == 0x20 || (code.first == 0x81 && code.second == 0x40);
    slot->x_offset = 0;
    slot->y_offset = 0;
    slot->advance = glyph.gmCellIncX;
    slot->bitmap_width = 0;
    slot->bitmap_height = 0;
    // A space keeps only its advance; so does any glyph without pixels (its
    // bitmap has no bytes to read).
    if (!space && size != 0 && glyph.gmBlackBoxY != 0) {
      const int32_t height = static_cast<int32_t>(glyph.gmBlackBoxY);
      const int32_t pitch = static_cast<int32_t>(size / glyph.gmBlackBoxY) & ~3;
      uint8_t* buffer = static_cast<uint8_t*>(
          AllocTrackedCleared(size + 2 * static_cast<size_t>(pitch), __FILE__, __LINE__));
      if (buffer == nullptr) FatalExit("アンチエイリアス文字取得用バッファの確保に失敗しました");
      if (GetGlyphOutlineA(dc, gdi_code, format, &glyph, size, buffer + pitch, &identity) ==
          GDI_ERROR) {
        FatalExit("GetGlyphOutline 関数が失敗しました");
      }
      slot->x_offset = static_cast<int16_t>(glyph.gmptGlyphOrigin.x);
      slot->y_offset = static_cast<int16_t>(metrics.tmAscent - glyph.gmptGlyphOrigin.y);
      slot->advance = glyph.gmCellIncX;
      int32_t width = static_cast<int32_t>(glyph.gmBlackBoxX);
      // A row holds at most pitch bytes of pixels.
      const int32_t row_pixels = format == GGO_BITMAP ? pitch * 8 : pitch;
      if (width > row_pixels) width = row_pixels;
      // What is drawn from the cell never reaches past it.
      int32_t drawn_width = width + edge2, drawn_height = height + edge2;
      if (drawn_width > record->cell_width) drawn_width = record->cell_width;
      if (drawn_height > record->cell_width) drawn_height = record->cell_width;
      slot->bitmap_width = static_cast<uint16_t>(drawn_width);
      slot->bitmap_height = static_cast<uint16_t>(drawn_height);
      if (record->texture_cache == 1) {
        WriteGlyphToTextureCache(record, slot, buffer + pitch, pitch, width, height);
      } else {
        WriteGlyphToSoftwareCache(record, slot, buffer + pitch, pitch, width, height);
      }
      FreeTracked(buffer);
    }
    if (edged) slot->advance = static_cast<int16_t>(slot->advance + edge2);
    if (++record->next_slot >= record->slot_count) record->next_slot = 0;
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return slot;
}
