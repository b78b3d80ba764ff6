// GDI font stand-in: font objects over the faces of gdi_font.h, the text
// metrics of a context's font and glyph bitmaps in GDI's layouts.
#include "platform/host/not_emulated.h"
#include "platform/win32/gdi_font.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/host/cp932.h"

namespace {

struct FontObject {
  FontRequest request;
  std::unique_ptr<FontFace> face;  // made at creation; the stock font's on first use
};

struct FontTable {
  std::mutex mutex;
  std::map<HGDIOBJ, std::unique_ptr<FontObject>> fonts;
  uintptr_t next_handle = kStockHandle;
  FontFaceFactory factory = nullptr;
  static constexpr uintptr_t kStockHandle = 0x70000000u;
};

FontTable& Table() {
  static auto* table = new FontTable;
  return *table;
}

std::unique_ptr<FontFace> MakeFace(FontTable& table, const FontRequest& request) {
  FontFaceFactory factory = table.factory != nullptr ? table.factory : MakeInstalledFontFace;
  return factory(request);
}

// The stock font: the default face at 16 pixels, normal weight. Its entry
// exists from the first use of the table on.
FontObject& StockEntryLocked(FontTable& table) {
  const HGDIOBJ handle = reinterpret_cast<HGDIOBJ>(FontTable::kStockHandle);
  auto found = table.fonts.find(handle);
  if (found == table.fonts.end()) {
    auto stock = std::make_unique<FontObject>();
    stock->request.height = 16;
    stock->request.weight = FW_NORMAL;
    stock->request.char_set = SHIFTJIS_CHARSET;
    found = table.fonts.emplace(handle, std::move(stock)).first;
  }
  return *found->second;
}

// The font of `dc` with its face, or null. Runs under the table's lock.
FontObject* FontOfLocked(FontTable& table, HFONT font) {
  if (font == nullptr) return nullptr;
  if (font == reinterpret_cast<HGDIOBJ>(FontTable::kStockHandle)) {
    FontObject& stock = StockEntryLocked(table);
    if (!stock.face) stock.face = MakeFace(table, stock.request);
    return stock.face ? &stock : nullptr;
  }
  auto found = table.fonts.find(font);
  return found == table.fonts.end() ? nullptr : found->second.get();
}

// Decodes one UTF-8 character that makes up all of `text`; kNoCodePoint
// otherwise.
uint32_t SingleCodePoint(const std::string& text) {
  if (text.empty()) return kNoCodePoint;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  uint32_t code_point;
  size_t length;
  if (bytes[0] < 0x80) {
    code_point = bytes[0];
    length = 1;
  } else if ((bytes[0] & 0xE0) == 0xC0) {
    code_point = bytes[0] & 0x1F;
    length = 2;
  } else if ((bytes[0] & 0xF0) == 0xE0) {
    code_point = bytes[0] & 0x0F;
    length = 3;
  } else if ((bytes[0] & 0xF8) == 0xF0) {
    code_point = bytes[0] & 0x07;
    length = 4;
  } else {
    return kNoCodePoint;
  }
  if (text.size() != length) return kNoCodePoint;
  for (size_t i = 1; i < length; ++i) {
    if ((bytes[i] & 0xC0) != 0x80) return kNoCodePoint;
    code_point = (code_point << 6) | (bytes[i] & 0x3F);
  }
  // The converter's mark for a byte that formed no character.
  return code_point == 0xFFFD ? kNoCodePoint : code_point;
}

}  // namespace

uint32_t FontCodeToCodePoint(UINT code, DWORD char_set) {
  char bytes[2];
  size_t count;
  if (code > 0xFFFF) return kNoCodePoint;
  if (code > 0xFF) {
    bytes[0] = static_cast<char>(code >> 8);
    bytes[1] = static_cast<char>(code & 0xFF);
    count = 2;
  } else {
    bytes[0] = static_cast<char>(code);
    count = 1;
  }
  if (code == 0) return kNoCodePoint;
  std::string utf8;
  if (char_set == HANGEUL_CHARSET) {
    utf8 = Cp949ToUtf8(std::string_view(bytes, count));
  } else {
    utf8 = Cp932ToUtf8(std::string_view(bytes, count));
  }
  return SingleCodePoint(utf8);
}

FontFaceFactory SetFontFaceFactory(FontFaceFactory factory) {
  FontTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  const FontFaceFactory previous = table.factory;
  table.factory = factory;
  // The stock font follows the factory: it is made again on its next use.
  StockEntryLocked(table).face.reset();
  return previous;
}

bool IsFontObject(HGDIOBJ object) {
  FontTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  if (object == reinterpret_cast<HGDIOBJ>(FontTable::kStockHandle)) return true;
  return table.fonts.count(object) != 0;
}

HFONT StockFontObject() { return reinterpret_cast<HFONT>(FontTable::kStockHandle); }

BOOL DeleteFontObject(HGDIOBJ object) {
  FontTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  // Stock objects are never deleted.
  if (object == reinterpret_cast<HGDIOBJ>(FontTable::kStockHandle)) return FALSE;
  return table.fonts.erase(object) != 0 ? TRUE : FALSE;
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight,
                  DWORD italic, DWORD underline, DWORD strike_out, DWORD char_set,
                  DWORD output_precision, DWORD clip_precision, DWORD quality,
                  DWORD pitch_and_family, LPCSTR face_name) {
  (void)quality;
  (void)pitch_and_family;
  RequireEmulated(width == 0, "CreateFontA", "a width is not emulated", width);
  RequireEmulated(escapement == 0, "CreateFontA", "an escapement is not emulated", escapement);
  RequireEmulated(orientation == 0, "CreateFontA", "an orientation is not emulated", orientation);
  RequireEmulated(underline == 0, "CreateFontA", "underlined fonts are not emulated", underline);
  RequireEmulated(strike_out == 0, "CreateFontA", "struck-out fonts are not emulated", strike_out);
  RequireEmulated(output_precision == 0, "CreateFontA", "an output precision is not emulated",
                  output_precision);
  RequireEmulated(clip_precision == 0, "CreateFontA", "a clip precision is not emulated",
                  clip_precision);
  RequireEmulated(
      char_set == DEFAULT_CHARSET || char_set == SHIFTJIS_CHARSET || char_set == HANGEUL_CHARSET,
      "CreateFontA", "character set not emulated", char_set);
  auto font = std::make_unique<FontObject>();
  font->request.height = height == 0 ? 16 : height;
  font->request.weight = weight == 0 ? FW_NORMAL : weight;
  font->request.italic = italic != 0;
  font->request.char_set = char_set;
  if (face_name != nullptr) font->request.face_name = Cp932ToUtf8(face_name);

  FontTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  font->face = MakeFace(table, font->request);
  if (!font->face) return nullptr;
  table.next_handle += 4;
  const HFONT handle = reinterpret_cast<HFONT>(table.next_handle);
  table.fonts.emplace(handle, std::move(font));
  return handle;
}

BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics) {
  const HFONT selected = SelectedFontOf(dc);
  FontTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  FontObject* font = FontOfLocked(table, selected);
  if (font == nullptr || metrics == nullptr) return FALSE;
  const FontFaceMetrics m = font->face->Metrics();
  std::memset(metrics, 0, sizeof(*metrics));
  metrics->tmHeight = m.height;
  metrics->tmAscent = m.ascent;
  metrics->tmDescent = m.descent;
  metrics->tmInternalLeading = m.internal_leading;
  metrics->tmAveCharWidth = m.average_width;
  metrics->tmMaxCharWidth = m.max_width;
  metrics->tmWeight = font->request.weight;
  metrics->tmDigitizedAspectX = 96;
  metrics->tmDigitizedAspectY = 96;
  metrics->tmFirstChar = 0x20;
  metrics->tmLastChar = 0xFC;
  metrics->tmDefaultChar = 0x1F;
  metrics->tmBreakChar = 0x20;
  metrics->tmItalic = font->request.italic ? 1 : 0;
  metrics->tmPitchAndFamily = 0x30;  // modern family, fixed pitch
  metrics->tmCharSet = static_cast<BYTE>(
      font->request.char_set == DEFAULT_CHARSET ? SHIFTJIS_CHARSET : font->request.char_set);
  return TRUE;
}

DWORD GetGlyphOutlineA(HDC dc, UINT code, UINT format, GLYPHMETRICS* metrics, DWORD size,
                       void* buffer, const MAT2* transform) {
  RequireEmulated(format == GGO_BITMAP || format == GGO_GRAY4_BITMAP, "GetGlyphOutlineA",
                  "format not emulated", format);
  if (metrics == nullptr || transform == nullptr) return GDI_ERROR;
  const bool identity = transform->eM11.value == 1 && transform->eM11.fract == 0 &&
                        transform->eM12.value == 0 && transform->eM12.fract == 0 &&
                        transform->eM21.value == 0 && transform->eM21.fract == 0 &&
                        transform->eM22.value == 1 && transform->eM22.fract == 0;
  RequireEmulated(identity, "GetGlyphOutlineA", "only the identity transformation is emulated",
                  transform->eM12.value);

  const HFONT selected = SelectedFontOf(dc);
  FontTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  FontObject* font = FontOfLocked(table, selected);
  if (font == nullptr) return GDI_ERROR;
  const bool grey = format == GGO_GRAY4_BITMAP;
  RenderedGlyph glyph;
  if (!font->face->Render(FontCodeToCodePoint(code, font->request.char_set), grey, &glyph)) {
    return GDI_ERROR;
  }

  if (glyph.width > 0 && glyph.height > 0 &&
      glyph.levels.size() < static_cast<size_t>(glyph.width) * glyph.height) {
    return GDI_ERROR;
  }
  if (glyph.width <= 0 || glyph.height <= 0) {
    // A blank glyph: GDI reports a 1 x 1 box at the pen and needs no bytes.
    metrics->gmBlackBoxX = 1;
    metrics->gmBlackBoxY = 1;
    metrics->gmptGlyphOrigin = POINT{0, 0};
    metrics->gmCellIncX = static_cast<SHORT>(glyph.advance);
    metrics->gmCellIncY = 0;
    return 0;
  }
  metrics->gmBlackBoxX = static_cast<UINT>(glyph.width);
  metrics->gmBlackBoxY = static_cast<UINT>(glyph.height);
  metrics->gmptGlyphOrigin = POINT{glyph.origin_x, glyph.origin_y};
  metrics->gmCellIncX = static_cast<SHORT>(glyph.advance);
  metrics->gmCellIncY = 0;

  // Rows are padded to whole 32-bit words.
  const DWORD pitch = grey ? (static_cast<DWORD>(glyph.width) + 3) / 4 * 4
                           : (static_cast<DWORD>(glyph.width) + 31) / 32 * 4;
  const DWORD needed = pitch * static_cast<DWORD>(glyph.height);
  if (size == 0 || buffer == nullptr) return needed;
  if (size < needed) return GDI_ERROR;
  auto* out = static_cast<uint8_t*>(buffer);
  std::memset(out, 0, needed);
  for (int y = 0; y < glyph.height; ++y) {
    uint8_t* row = out + static_cast<size_t>(y) * pitch;
    const uint8_t* levels = glyph.levels.data() + static_cast<size_t>(y) * glyph.width;
    for (int x = 0; x < glyph.width; ++x) {
      if (grey) {
        row[x] = levels[x] > 16 ? 16 : levels[x];
      } else if (levels[x] != 0) {
        row[x >> 3] |= static_cast<uint8_t>(0x80u >> (x & 7));
      }
    }
  }
  return needed;
}
