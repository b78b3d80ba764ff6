// Font handles: making and deleting fonts, their cache objects, the default
// font and the re-creation of every font.
#include "runtime/graphics/font/font.h"

#include <cstring>

#include "platform/win32/kernel.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/graphics/font/font_texture.h"
#include "runtime/graphics/font/glyph_cache.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/surface_2d.h"
#include "runtime/graphics/records/texture.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/graphics_system.h"
#include "runtime/graphics/state/screen_state.h"

const DWORD FontCharSetTable[3] = {DEFAULT_CHARSET, SHIFTJIS_CHARSET, HANGEUL_CHARSET};

DefaultFontSettings DefaultFont = {"", 16, 6, 0, 1, 1, 0, 0};
int32_t DefaultFontHandle = -1;

namespace {

// DirectDraw drawing is in use (hardware acceleration on) but the DirectDraw
// object is not made yet: fonts cannot be made or drawn.
bool DirectDrawMissing() {
  return Screen.HardwareAccelOff == 0 && Screen.DirectDrawObject == nullptr;
}

void CopyText(char* dest, size_t dest_bytes, const char* source) {
  if (source == nullptr) source = "";
  size_t length = std::strlen(source);
  if (length >= dest_bytes) length = dest_bytes - 1;
  std::memcpy(dest, source, length);
  dest[length] = '\0';
}

// A texture cache is used only when Direct3D draws with textures of the
// 4444 and 1555 layouts.
bool TextureCacheWanted() {
  if (IsTextureGraphicsInUse() == 0 || Use3DDrawing == 0 || Screen.MemImageRendering == 1) {
    return false;
  }
  const ColorFormat* alpha = GetTextureFormatByKind(1, 0, 0, 0);
  const ColorFormat* test = GetTextureFormatByKind(0, 1, 0, 0);
  if (alpha == nullptr || test == nullptr) return false;
  const bool is4444 = alpha->bit_depth == 16 && alpha->red_width == 4 &&
                      alpha->green_width == 4 && alpha->blue_width == 4 &&
                      alpha->alpha_width == 4;
  const bool is1555 = test->bit_depth == 16 && test->red_width == 5 && test->green_width == 5 &&
                      test->blue_width == 5 && test->alpha_width == 1;
  return is4444 && is1555;
}

HFONT CreateGdiFont(int32_t size, int32_t thickness, int32_t italic, DWORD char_set,
                    const char* face) {
  return CreateFontA(size, 0, 0, 0, thickness * 100, static_cast<DWORD>(italic), 0, 0, char_set,
                     0, 0, NONANTIALIASED_QUALITY, FIXED_PITCH, face);
}

// The GDI font of a record, with the fall-backs of the character set (and,
// without a face name, of the face). Null after logging the failure.
HFONT MakeRecordFont(FontRecord* record, int32_t char_set_index) {
  const DWORD char_set = FontCharSetTable[char_set_index];
  HFONT font;
  if (record->face_name[0] != '\0') {
    font = CreateGdiFont(record->size, record->thickness, record->italic, char_set,
                         record->face_name);
    if (font == nullptr) {
      font = CreateGdiFont(record->size, record->thickness, record->italic, DEFAULT_CHARSET,
                           record->face_name);
    }
    if (font == nullptr) {
      font = CreateGdiFont(record->size, record->thickness, record->italic, SHIFTJIS_CHARSET,
                           record->face_name);
    }
    if (font == nullptr) LogAdd("指定のフォントの作成に失敗しました\n");
    return font;
  }
  font = CreateGdiFont(record->size, record->thickness, record->italic, char_set, "ＭＳ ゴシック");
  if (font == nullptr) {
    font = CreateGdiFont(record->size, record->thickness, 0, DEFAULT_CHARSET, "ＭＳ ゴシック");
  }
  if (font == nullptr) {
    font = CreateGdiFont(record->size, record->thickness, 0, DEFAULT_CHARSET, nullptr);
  }
  if (font == nullptr) LogAdd("フォントの作成に失敗しました\n");
  return font;
}

// The cell size from the font's metrics. False after logging a failed
// device context.
bool MeasureCell(FontRecord* record) {
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) {
    LogAdd("ＤＣの取得に失敗しました\n");
    return false;
  }
  HGDIOBJ old = SelectObject(dc, record->font_object);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  const bool edged = (record->font_type & kFontTypeEdge) != 0;
  int32_t width = metrics.tmMaxCharWidth + 2;
  if (edged) width += record->edge_size * 2;
  width = (width + 7) / 8 * 8;
  int32_t height = metrics.tmHeight;
  if (edged) height += record->edge_size * 2;
  if (height % 2 != 0) ++height;
  if (width < height) width = height;
  record->cell_width = width;
  record->cell_height = height;
  if (old != nullptr) SelectObject(dc, old);
  DeleteDC(dc);
  return true;
}

// The software cache image and its screen surface. False after logging.
bool MakeSoftwareCache(FontRecord* record, int32_t handle) {
  record->soft_cache_bpp = record->font_type == 0 ? 1 : 8;
  const int32_t cell = record->cell_width;
  int32_t slots = 0x50000 / (cell * cell);
  if (slots < 20) slots = 20;
  if (slots > kGlyphCacheSlotMax) slots = kGlyphCacheSlotMax;
  record->slot_count = slots;
  record->cache_width = cell;
  record->cache_height = slots * cell;
  record->cells_per_column = slots;
  record->soft_cache_pitch = (cell * record->soft_cache_bpp + 7) / 8;
  record->soft_cache_pixels = static_cast<uint8_t*>(AllocTracked(
      static_cast<size_t>(record->soft_cache_pitch) * record->cache_height, __FILE__, __LINE__));
  if (record->soft_cache_pixels == nullptr) {
    LogAdd("フォントのキャッシュ用メモリの確保に失敗しました in CreateFontToHandle");
    return false;
  }
  record->soft_cache_rebuild = 1;
  if (PrepareFontCache(handle) < 0) {
    LogAdd("フォント用描画スクリーンの作成に失敗しました\n");
    return false;
  }
  return true;
}

}  // namespace

void InitDefaultFontSettings() {
  DefaultFont.face_name[0] = '\0';
  DefaultFont.size = 16;
  DefaultFont.thickness = 6;
  DefaultFont.font_type = 0;
  DefaultFont.char_set = 1;
  DefaultFont.edge_size = 1;
  DefaultFont.italic = 0;
  DefaultFont.char_spacing = 0;
}

FontRecord* GetFontRecord(int32_t handle) {
  return reinterpret_cast<FontRecord*>(CheckRuntimeHandle(FontHandleTable, handle));
}

int IsFontHandleValid(int32_t handle) { return GetFontRecord(handle) != nullptr ? 1 : 0; }

int32_t GetDefaultFontHandle() { return DefaultFontHandle; }

int32_t CreateFontToHandle(const char* face_name, int32_t size, int32_t thickness,
                           int32_t font_type, int32_t char_set_index, int32_t edge_size,
                           int32_t italic, int32_t slot, int32_t check_id) {
  if (DirectDrawMissing()) return -1;
  if (font_type == -1) font_type = 0;
  if (edge_size > 1) font_type |= kFontTypeEdge;
  if (size == -1) size = 16;
  if (thickness == -1) thickness = 6;
  if (edge_size == -1) edge_size = 1;
  if (char_set_index == -1) char_set_index = GetOEMCP() == 949 ? 2 : 1;
  // Values outside the table would index past it.
  if (char_set_index < 0 || char_set_index > 2 || font_type < 0 || font_type > 3 ||
      edge_size < 0) {
    return -1;
  }
  if (slot != -1 && (slot < 0 || slot >= kFontHandleMax)) return -1;

  HandleRecordHead* head = nullptr;
  const int32_t handle = AddHandleRecord(&FontHandleTable, kFontHandlePolicy, sizeof(FontRecord),
                                         slot, check_id, &head);
  if (handle < 0) return -1;
  FontRecord* record = reinterpret_cast<FontRecord*>(head);
  record->soft_screen_surface = -1;
  record->cache_graphic = -1;
  record->edge_cache_graphic = -1;

  if (GetScreenColorDepthDefault() == 8) font_type &= ~kFontTypeAntialias;
  record->edge_size = edge_size;
  record->font_type = font_type;
  record->size = size;
  record->thickness = thickness;
  record->italic = italic;
  record->char_spacing = 0;
  const bool texture_wanted = TextureCacheWanted();
  if (face_name != nullptr) CopyText(record->face_name, sizeof(record->face_name), face_name);

  record->font_object = MakeRecordFont(record, char_set_index);
  bool made = record->font_object != nullptr && MeasureCell(record);
  if (made && texture_wanted) {
    // The texture cache: square cells in a texture of at least 10 cells.
    int32_t width = 512, height = 512;
    int32_t slots = (512 / record->cell_width) * (512 / record->cell_width);
    while (slots < 10) {
      if (width <= height) {
        width *= 2;
      } else {
        height *= 2;
      }
      slots = (height / record->cell_width) * (width / record->cell_width);
    }
    if (slots > kGlyphCacheSlotMax) slots = kGlyphCacheSlotMax;
    record->cache_width = width;
    record->cache_height = height;
    record->slot_count = slots;
    record->cells_per_column = height / record->cell_width;
    record->texture_cache = 1;
    record->texture_cache_rebuild = 1;
    if (PrepareFontCache(handle) < 0) {
      LogAdd("テクスチャ文字キャッシュの作成に失敗しました\n");
      record->texture_cache = 0;
      record->texture_cache_rebuild = 0;
      made = MakeSoftwareCache(record, handle);
    } else {
      // One character is rendered here before it goes into its cell.
      made = MakeFontWorkImage(record) == 0;
    }
  } else if (made) {
    made = MakeSoftwareCache(record, handle);
  }
  if (!made) {
    DeleteFontHandle(handle);
    return -1;
  }
  ResetFontGlyphCache(handle);
  record->char_set_index = char_set_index;
  record->head.lost_flag = nullptr;
  return handle;
}

int DeleteFontHandle(int32_t handle) {
  return DeleteHandleRecord(&FontHandleTable, handle, [](HandleRecordHead* head) {
    FontRecord* record = reinterpret_cast<FontRecord*>(head);
    if (record->font_object != nullptr) {
      DeleteObject(record->font_object);
      record->font_object = nullptr;
    }
    if (record->soft_cache_pixels != nullptr) {
      FreeTracked(record->soft_cache_pixels);
      record->soft_cache_pixels = nullptr;
    }
    if (record->soft_screen_surface >= 0) {
      // The surface's lost flag points into this record: taken off first.
      SetSurface2DLostFlagAddress(record->soft_screen_surface, nullptr);
      DeleteSurface2D(record->soft_screen_surface);
    }
    record->soft_screen_surface = -1;
    if (record->cache_graphic >= 0) {
      SetGraphicLostFlagAddress(record->cache_graphic, nullptr);
      DeleteGraphicHandle(record->cache_graphic, 0);
      if (record->edge_cache_graphic >= 0) DeleteGraphicHandle(record->edge_cache_graphic, 0);
    }
    record->cache_graphic = -1;
    record->edge_cache_graphic = -1;
    if (record->work_image.pixels != nullptr) {
      FreeTracked(record->work_image.pixels);
      record->work_image.pixels = nullptr;
    }
    return HandleRelease::kFree;
  });
}

int SetFontCharSpacing(int32_t spacing, int32_t handle) {
  FontRecord* record = GetFontRecord(handle);
  if (record == nullptr) return -1;
  record->char_spacing = spacing;
  return 0;
}

int SetFontLostFlagAddress(int32_t handle, int32_t* flag) {
  FontRecord* record = GetFontRecord(handle);
  if (record == nullptr) return -1;
  record->head.lost_flag = flag;
  if (flag != nullptr) *flag = 0;
  return 0;
}

int GetFontHandleInfo(char* face_name, int32_t* size, int32_t* thickness, int32_t handle) {
  FontRecord* record = GetFontRecord(handle);
  if (record == nullptr) return -1;
  if (face_name != nullptr) CopyText(face_name, kFontFaceNameBytes, record->face_name);
  if (size != nullptr) *size = record->size;
  if (thickness != nullptr) *thickness = record->thickness;
  return 0;
}

int32_t GetFontSize(int32_t handle) {
  FontRecord* record = GetFontRecord(handle);
  return record != nullptr ? record->size : -1;
}

int PrepareFontCache(int32_t handle) {
  FontRecord* record = GetFontRecord(handle);
  if (record == nullptr) return -1;
  if (record->soft_cache_rebuild == 1) {
    // A surface that was lost (or deleted under the font) is made anew.
    if (record->soft_screen_surface >= 0) {
      SetSurface2DLostFlagAddress(record->soft_screen_surface, nullptr);
      DeleteSurface2D(record->soft_screen_surface);
      record->soft_screen_surface = -1;
    }
    record->soft_cache_rebuild = 0;
    SurfaceSettings settings{};
    settings.texture_flag = 0;
    settings.AlphaChFlag = (record->font_type & kFontTypeAntialias) != 0 ? 1 : 0;
    settings.DrawValid = 0;
    // Blended text is drawn into this surface's software image.
    settings.software_image_flag = 1;
    settings.AlphaTestFlag = 0;
    settings.ColorBitDepth = static_cast<uint8_t>(GetScreenColorDepthDefault());
    settings.keyless_flag = 0;
    settings.palette_flag = 0;
    const int32_t width = Screen.ScreenWidth != 0 ? Screen.ScreenWidth : 640;
    const int32_t height = Screen.ScreenHeight != 0 ? Screen.ScreenHeight : 480;
    const int32_t surface = AddSurface2D(width, height, 0, 0, -1, nullptr, 0, 0, &settings);
    if (surface < 0) return -1;
    record->soft_screen_surface = surface;
    SetSurface2DLostFlagAddress(surface, &record->soft_cache_rebuild);
  }
  if (record->texture_cache_rebuild == 1) {
    record->texture_cache_rebuild = 0;
    if (PrepareFontTextureCache(handle) < 0) return -1;
    ResetFontGlyphCache(handle);
  }
  return 0;
}

int RefreshDefaultFont() {
  FontRecord* record = GetFontRecord(DefaultFontHandle);
  if (record != nullptr && std::strcmp(record->face_name, DefaultFont.face_name) == 0 &&
      record->font_type == DefaultFont.font_type && record->size == DefaultFont.size &&
      record->thickness == DefaultFont.thickness &&
      record->char_set_index == DefaultFont.char_set &&
      record->edge_size == DefaultFont.edge_size && record->italic == DefaultFont.italic) {
    return 0;
  }
  DeleteFontHandle(DefaultFontHandle);
  DefaultFontHandle = CreateFontToHandle(
      DefaultFont.face_name, DefaultFont.size, DefaultFont.thickness, DefaultFont.font_type,
      DefaultFont.char_set,
      (DefaultFont.font_type & kFontTypeEdge) != 0 ? DefaultFont.edge_size : -1,
      DefaultFont.italic, -1, -1);
  SetFontCharSpacing(DefaultFont.char_spacing, DefaultFontHandle);
  return 0;
}

int SetDefaultFontSize(int32_t size, int32_t thickness) {
  if (DirectDrawMissing()) return -1;
  DefaultFont.size = size == -1 ? 16 : size;
  DefaultFont.thickness = thickness == -1 ? 6 : thickness;
  RefreshDefaultFont();
  return 0;
}

int InitFontSystem() {
  if (DirectDrawMissing()) return -1;
  LogAdd("フォントの初期化を行います\n");
  IncreaseLogIndent();
  bool keep = false;
  char face[kFontFaceNameBytes] = "";
  int32_t size = 16, thickness = 6, type = -1, char_set = -1, edge = -1, italic = 0;
  if (FontRecord* record = GetFontRecord(DefaultFontHandle)) {
    keep = true;
    CopyText(face, sizeof(face), record->face_name);
    size = record->size;
    thickness = record->thickness;
    type = record->font_type;
    char_set = record->char_set_index;
    edge = record->edge_size;
    italic = record->italic;
  }
  DeleteAllHandleRecords(&FontHandleTable, [](int32_t handle) { DeleteFontHandle(handle); });
  DefaultFontHandle =
      keep ? CreateFontToHandle(face, size, thickness, type, char_set, edge, italic, -1, -1)
           : CreateFontToHandle("", 16, 6, -1, -1, -1, 0, -1, -1);
  DecreaseLogIndent();
  LogAdd("フォントの初期化は正常に終了しました\n");
  return 0;
}

int RecreateAllFonts() {
  for (int32_t slot = 0; slot < kFontHandleMax; ++slot) {
    auto* record = reinterpret_cast<FontRecord*>(FontHandleTable.records[slot]);
    if (record == nullptr) continue;
    char face[kFontFaceNameBytes];
    CopyText(face, sizeof(face), record->face_name);
    const int32_t size = record->size, thickness = record->thickness;
    const int32_t type = record->font_type, char_set = record->char_set_index;
    const int32_t edge = record->edge_size, italic = record->italic;
    const int32_t spacing = record->char_spacing, check_id = record->head.check_id;
    int32_t* lost_flag = record->head.lost_flag;
    const int32_t old_handle = MakeRuntimeHandle(check_id, HandleType::kFont, slot);
    DeleteFontHandle(old_handle);
    const int32_t handle =
        CreateFontToHandle(face, size, thickness, type, char_set, edge, italic, slot, check_id);
    if (IsFontHandleValid(handle)) {
      SetFontCharSpacing(spacing, handle);
      // The keeper of the handle keeps it: the handle value is the same, so
      // its lost flag goes back to 0 instead of asking for a new font.
      if (lost_flag != nullptr) SetFontLostFlagAddress(handle, lost_flag);
    }
  }
  return 0;
}
